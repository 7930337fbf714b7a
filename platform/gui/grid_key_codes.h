#pragma once
// Key codes and the shift mask as the grid's KeyDown events report them.
#include <Qt>

class QKeyEvent;

namespace platform {

int vbKeyCode(const QKeyEvent& event); // 0 for a key without one
int vbShiftState(Qt::KeyboardModifiers modifiers);
constexpr int vbShiftMask = 1;
constexpr int vbCtrlMask = 2;
constexpr int vbAltMask = 4;

} // namespace platform
