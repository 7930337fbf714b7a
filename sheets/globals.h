#pragma once
// Global state of the sheet windows that the main window's commands share.
#include <QString>

// Kind of the active window: 1 worksheet, 2 datasheet, 3 graph, 4 print
// window; 0 while the splash or About window is up.
extern int gActiveKind;
// The open worksheet file ("" when none).
extern QString gFilePath;
// Whether the datasheets file is usable (enables the datasheet commands).
extern bool gDatasheetOK;
// Caption of the sheet window whose records the backup table holds, and
// the file it was taken in: two sheets of one name in different files
// never share a backup.
extern QString gBackupCaption;
extern QString gBackupFile;
// Level box to receive the focus after Enter in a level box (0: none).
extern int gNextLev;
// Multi-record selection being extended with Shift+Up/Down in a sheet grid.
extern bool gSelExtending;
extern long gSelAnchor;
extern long gSelEnd;
