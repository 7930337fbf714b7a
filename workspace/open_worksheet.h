#pragma once
// Opening a sheet: picking it from its file's "Sheets List" and creating its
// window.
#include "sheets/open_datasheet.h"

#include <QString>

// Lists the sheets of `file` that are not open in the picker and opens the
// one chosen: a worksheet through OpenWS2, a datasheet through OpenDS2.
// showDifferentFile offers "Different File" (a worksheet of another file,
// opened without changing the open worksheet file) and lets an empty list
// through to the picker. Returns true when cancelled or failed (the failure
// has been shown).
bool OpenWS(const QString& file, bool isWorksheet, bool showDifferentFile);

// Creates a window of the class for the band system and the default view,
// makes it the active sheet and binds it to the sheet. Returns true on
// failure (shown; no window is left).
bool OpenWS2(const QString& file, const QString& name, int bandKind, int firstBand,
             bool isWorksheet);

// Whether a worksheet or datasheet window shows this sheet of this file.
bool isSheetOpen(const QString& file, const QString& name);

// The view a worksheet opens in: 2 (Spreadsheet) when the default view is
// exactly "Spreadsheet", else 1 (Formula).
int defaultViewNumber();
