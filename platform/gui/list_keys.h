#pragma once
// Lists whose selected line is the user's choice: the moving keys choose.
class QAbstractItemView;

namespace platform::gui {

// Makes the arrows, Home, End, Page Up and Page Down choose the list's
// current line as a click does, also when the key leaves that line where it
// is: a list takes its first line as current on the focus without choosing
// it, and Home there would otherwise choose nothing.
void chooseWithMovingKeys(QAbstractItemView* list);

} // namespace platform::gui
