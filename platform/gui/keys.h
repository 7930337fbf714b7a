#pragma once
// Key codes and shift states as the forms' KeyDown handlers test them:
// Enter is 13, letters their capital's code, Shift/Ctrl/Alt a bit mask.
#include <Qt>

class QKeyEvent;

namespace platform::gui {

enum KeyCode : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyF1 = 112, // F1 ... F12 follow
};

enum ShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// The code of a key: the table above, digits and letters as their (capital)
// character; keys outside it keep Qt's number.
int keyCodeOf(int qtKey);
int keyCodeOf(const QKeyEvent& e);
int shiftOf(Qt::KeyboardModifiers modifiers);

} // namespace platform::gui
