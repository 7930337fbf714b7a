#pragma once
// Recalculation of the worksheet shown in the active sheet window.

// Evaluates every formula of the sheet of gActiveSheet in record order,
// rates both summaries of every spectrum and writes back, in one batch, the
// bands that changed and the summary texts that differ or are Null. Formula
// errors are shown one message per spectrum; a failing data operation is
// shown as one message and leaves the file as it was. Does nothing while
// gNoRecalc is set, for a datasheet, for an empty sheet, for a read-only
// file, and when called again from inside one of its own message boxes.
void RecalcSheet();
