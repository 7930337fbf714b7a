#pragma once
// The in-memory core of a sheet recalculation: every formula in record order,
// then both summary ratings of every record. Works on plain data so that the
// recalculation over a sheet's records and the sheetcalc tool share it.
#include "engine/bands.h"

#include <functional>
#include <string>
#include <vector>

struct RecalcPassInput {
    int bandCount = 10; // 30 on a third-octave sheet
    int firstBand = 1;
    SheetMatrix values; // (n, j) as read from record n, n = 1..records
    // Rows 1..records (row 0 unused); a missing row counts as "".
    std::vector<std::string> formulas;
    std::vector<std::string> summary1Types;
    std::vector<std::string> summary2Types;
    // For a pass that keeps work (runRecalcPassKeeping): where it reads the
    // texts of the rows it evaluates or rates when the vectors above are
    // empty, 0 for the formula, 1 and 2 for the summary types.
    std::function<std::string(int n, int which)> text;
    // For a pass that keeps work, rows 1..records:
    // the row holds exactly what the last pass over these rows left in it,
    // the bands bit for bit and the summary texts as rated, and its formula
    // and summary types are those of then. Empty: no row is known.
    std::vector<char> unchanged;
};

struct RecalcPassOutput {
    SheetMatrix values; // after the formulas; a failing spectrum keeps its values
    // Rows 1..records (row 0 unused): the rating texts of both summaries.
    std::vector<std::string> summary1Vals;
    std::vector<std::string> summary2Vals;
    // The message of every failing spectrum, in record order, as shown.
    std::vector<std::string> messages;
    // The positions (ascending) whose bands the pass may have changed or
    // whose summaries it rated: the only ones the write needs to visit.
    // Summary texts of any other row are left empty here.
    std::vector<int> visit;
};

// What a pass that keeps work leaves for the next one over the same rows,
// by position (rows 1..records, row 0 unused).
struct RecalcPassMemory {
    // The positions each formula read at its last evaluation, ascending.
    std::vector<std::vector<int>> reads;
    // The message of that evaluation, "" when it succeeded.
    std::vector<std::string> messages;
    // Whether the pass changed the row's bands (bit for bit).
    std::vector<char> changedBands;
    // The summary texts of the next pass's output, rows 1..records, every
    // one empty: handed back, emptied, by whoever took the last output, so
    // that a pass need not make them anew. Else left empty.
    std::vector<std::string> summary1Vals;
    std::vector<std::string> summary2Vals;
};

// Runs the pass. Each formula message is shown at once through
// platform::MsgBox (OK only) as "Spectrum n: message" when `showMessages`.
RecalcPassOutput runRecalcPass(const RecalcPassInput& in, bool showMessages = true);
// The same, taking over the input's sheet matrix instead of copying it.
RecalcPassOutput runRecalcPass(RecalcPassInput&& in, bool showMessages = true);

// The same results, messages and order as runRecalcPass, doing only the
// work that can change one: a formula is evaluated again only when its row
// is not `unchanged`, when the pass before changed the row's own bands, or
// when a spectrum it read at its last evaluation may read otherwise now (an
// earlier one changed in this pass, a later one changed since or in the
// pass before); a formula not evaluated gives its last result and message.
// A row is rated only when it is not `unchanged` or its bands changed.
// `memory` is what the last pass left (empty the first time) and is left
// for the next; should the results not reach the rows, drop it.
RecalcPassOutput runRecalcPassKeeping(RecalcPassInput&& in, RecalcPassMemory& memory,
                                      bool showMessages = true);

// The text shown for a formula of spectrum `n` that failed with `message`.
std::string spectrumMessage(int n, const std::string& message);
