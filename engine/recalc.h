#pragma once
// Recalculation of the worksheet shown in the active sheet window.
#include "engine/recalc_pass.h"

#include <cstdint>
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
//
// Only the work that can change a result is done: beside the window's rows
// the recalculation keeps what its last pass gave, and a row written since
// in any way is evaluated and rated again, as is every formula that read a
// spectrum that may read otherwise now (see runRecalcPassKeeping). The first
// pass over rows just read (an open, a Requery) does all the work.
void RecalcSheet();
// Cleared, RecalcSheet does all the work, as RecalcSheetFully: the reference
// a test drives the windows against.
inline bool gRecalcKeepsWork = true;
// The same, doing all the work: every formula evaluated, every record rated
// and visited by the write. What RecalcSheet keeps is dropped.
void RecalcSheetFully();

// The three phases RecalcSheet runs, each callable alone so that it can be
// timed on its own. `records` is a batch clone of the sheet's records and
// `list` the sheet's "Sheets List" row; both throw db::Error.

// What the read phase takes from the records. The values as read, which
// decide what is written, stay in the records themselves until the write.
struct RecalcSheetInput {
    RecalcPassInput pass;
    int summary1Val = -1; // field positions the write phase fills
    int summary2Val = -1;
    int summary1Type = -1; // and those of the summary types
    int summary2Type = -1;
};

// Reads the bands, the formulas and the summary types of every record.
RecalcSheetInput readRecalcInput(db::Recordset& records, db::Recordset& list);
// Formulas in record order, then both ratings of every record; the second
// form takes over the input's sheet matrix instead of copying it.
RecalcPassOutput evaluateRecalc(const RecalcSheetInput& input, bool showMessages = true);
RecalcPassOutput evaluateRecalc(RecalcSheetInput&& input, bool showMessages = true);
// Writes the bands that differ from the records' and the summary texts that
// differ or are Null, all in one batch or none, on the records the read
// phase read, unchanged since; only the records of `output.visit` are
// visited. After a failure the caller cancels the batch of `records`.
// Takes the summary texts out of `output`; its sheet matrix stays.
// Returns the positions visited that now hold exactly the output (bands bit
// for bit, both summary texts).
std::vector<int> writeRecalcResult(db::Recordset& records, const RecalcSheetInput& input,
                                   RecalcPassOutput&& output);
