#pragma once
// The main menus' state by what the user works on.
class QWidget;
class QAction;

// Menu modes.
enum MenuMode : int {
    kMenuNoFile = 1,    // no worksheet file open
    kMenuFileOpen = 2,  // a file open, no sheet window active
    kMenuWorksheet = 3, // a worksheet window active
    kMenuDatasheet = 4, // a datasheet window active
    kMenuOutput = 5,    // a graph or print window active
};

// Enables, shows, hides and checks the main window's menu items for `mode`;
// any other value changes nothing. In mode 4 the Editable check and the
// items that edit a datasheet follow `datasheetEditable`, which the
// datasheet window passes (Edit > Editable on for it).
void SetMenus(int mode, bool datasheetEditable = false);

// The mode once no sheet window is active: 1 when the main window's caption
// names no file (shorter than 13 characters, the bare product name), else 2.
// The caption read is the one the program set, never Qt's retitling of the
// frame while a child window is maximised.
int noSheetMode();

// The main window (objectName "Bandwright"), or nullptr before it exists.
QWidget* mainForm();
// A menu item of the main window by its name ("mnuEditNew",
// "mnuFilePrevFiles(0)"), or nullptr.
QAction* menuItem(const char* name);
