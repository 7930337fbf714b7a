#pragma once
// Global state of the main window and workspace, read at start-up from the
// settings and changed by Options. The active-window kind, the open file and
// the datasheets flag are shared with the sheet windows and live with them.
#include "sheets/globals.h"

#include <QString>

// Number of previous files shown in the File menu and the start dialog (0 to 10).
extern int gShowFiles;
// "Spreadsheet" or "Formula": the view a worksheet opens in.
extern QString gDefaultView;
// Initial folder of the new-file and start-dialog file dialogs.
extern QString gDefaultDir;
// The help file opened by Help > General.
extern QString gHelpFile;
// The templates file and whether it is usable.
extern QString gTemplatePath;
extern bool gTemplateOK;
// The datasheets file (gDatasheetOK says whether it is usable).
extern QString gDatasheetPath;
