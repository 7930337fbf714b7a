#pragma once
// The open worksheet file: creating one, opening one, copying it under a
// new name, and closing the windows of the file that was open before.
#include <QString>

// Takes a worksheet file for this program (writing, or viewing only while
// another Bandwright writes it), before it is read. Returns true when it was
// taken now, false when it was held already or does not exist.
bool takeWorksheetFile(const QString& path);
// Says that the file opens for viewing only, and why, when it does.
void tellIfViewingOnly(const QString& path);
// Holds the templates and datasheets files in use (those usable) as files
// shared by design, letting go of the ones held before: no program replaces
// a file another one has open.
void holdSharedFiles();
// Why a copy may not replace the file at `path` (open in this program or
// another, named with its use here), as a message; "" when it may.
QString replaceRefused(const QString& path);

// The main window's caption: "Bandwright: " and the path, or "Bandwright"
// for none.
void setMainCaption(const QString& path);

// Closes the worksheet, graph and print windows, last loaded first; the
// datasheet windows (of the datasheets file) stay.
void closeOldFileWindows();

// Asks for a new file's name and creates it with an empty "Sheets List",
// making it the open file. Returns true when cancelled or failed (shown;
// the open file, if any, stays open then).
bool NewWSFile();

// Opens a worksheet file: checks it (a "Sheets List" table, spelt exactly)
// and gives an older one its "Notes" field before anything of the old file
// is closed, so a refused file changes nothing. Then makes it the open file
// and lets the user pick a worksheet (or make the first one when it holds
// none). Returns true when refused, failed or the choice was cancelled.
bool OpenFile(const QString& path);

// Copies the open file to `path` and makes the copy the open file, with
// every worksheet window of the old file writing the copy. Pending edits are
// committed first. Returns true when refused or failed (shown).
bool SaveFileAs(const QString& path);
