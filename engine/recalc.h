#pragma once
// Recalculation of the worksheet shown in the active sheet window.
#include "engine/recalc_pass.h"

#include <optional>
#include <string>
#include <vector>

namespace db {
class Recordset;
}

// Evaluates every formula of the sheet of gActiveSheet in record order,
// rates both summaries of every spectrum and writes back, in one batch, the
// bands that changed and the summary texts that differ or are Null. Formula
// errors are shown one message per spectrum; a failing data operation is
// shown as one message and leaves the file as it was. Does nothing while
// gNoRecalc is set, for a datasheet, for an empty sheet, for a read-only
// file, and when called again from inside one of its own message boxes.
void RecalcSheet();

// The three phases RecalcSheet runs, each callable alone so that it can be
// timed on its own. `records` is a batch clone of the sheet's records and
// `list` the sheet's "Sheets List" row; both throw db::Error.

// What the read phase takes from the records.
struct RecalcSheetInput {
    RecalcPassInput pass;
    int summary1Val = -1; // field positions the write phase fills
    int summary2Val = -1;
    // Rows 1..records (row 0 unused): the summary texts as stored, none for Null.
    std::vector<std::optional<std::string>> summary1Stored;
    std::vector<std::optional<std::string>> summary2Stored;
};

RecalcSheetInput readRecalcInput(db::Recordset& records, db::Recordset& list);
// Formulas in record order, then both ratings of every record.
RecalcPassOutput evaluateRecalc(const RecalcSheetInput& input, bool showMessages = true);
// Writes the bands that changed and the summary texts that differ or are
// Null, all in one batch or none; after a failure the caller cancels the
// batch of `records`.
void writeRecalcResult(db::Recordset& records, const RecalcSheetInput& input,
                       const RecalcPassOutput& output);
