#pragma once
// The two ends of a worksheet window's life: binding it to a sheet of a
// worksheet file and showing it, and the clean-up when it closes.
#include <QString>

#include <optional>
#include <string>

class SheetWindow;
class QMdiArea;

// Binds a new, not yet shown worksheet window to `sheet` of `file`, fills its
// lists, gives it its caption, places it in the main window's client area
// and shows it (which activates it). view: 1 Formula, 2 Spreadsheet. When
// the sheet cannot be bound (after the one retry), shows the error once,
// closes the window and returns true; the caller then stops.
bool OpenSheetForm(SheetWindow* window, const QString& file, const QString& sheet, int bandKind,
                   int firstBand, int view, bool isWorksheet);

// What makes a sheet of `file` unfit to open, as a file written by another
// program can have it: listed in the Sheets List but no table, a band system
// or First Band that puts its bands outside the band table, a spectrum
// without a whole number. The message names the sheet; nothing when it is
// fit (or not listed: the binding reports that). Throws db::Error when the
// file cannot be read.
std::optional<std::string> sheetFault(const std::string& file, const std::string& sheet,
                                      bool isWorksheet);

// The clean-up of a closing worksheet window: commits its notes, sets the
// menus when it was the active child, and drops its recovery table
// ("~" and the sheet name) from the file. Silent on failure.
void CloseSheetForm(SheetWindow* window);

// Number of loaded windows whose caption holds "Worksheet", "Datasheet",
// "Graph" or "Print": the cascade step of a new child window.
int cascadeCount();

// Makes sure each real activation of a child window of `mdi` runs its
// Form_Activate (not the return of the focus from a message box or dialog).
void watchActivation(QMdiArea* mdi);
// The main window's client area, or nullptr before it exists.
QMdiArea* mdiArea();
