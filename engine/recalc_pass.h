#pragma once
// The in-memory core of a sheet recalculation: every formula in record order,
// then both summary ratings of every record. Works on plain data so that the
// recalculation over a sheet's records and the sheetcalc tool share it.
#include "engine/bands.h"

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
};

struct RecalcPassOutput {
    SheetMatrix values; // after the formulas; a failing spectrum keeps its values
    // Rows 1..records (row 0 unused): the rating texts of both summaries.
    std::vector<std::string> summary1Vals;
    std::vector<std::string> summary2Vals;
    // The message of every failing spectrum, in record order, as shown.
    std::vector<std::string> messages;
};

// Runs the pass. Each formula message is shown at once through
// platform::MsgBox (OK only) as "Spectrum n: message" when `showMessages`.
RecalcPassOutput runRecalcPass(const RecalcPassInput& in, bool showMessages = true);
// The same, taking over the input's sheet matrix instead of copying it.
RecalcPassOutput runRecalcPass(RecalcPassInput&& in, bool showMessages = true);

// The text shown for a formula of spectrum `n` that failed with `message`.
std::string spectrumMessage(int n, const std::string& message);
