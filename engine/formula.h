#pragma once
// The formula evaluator: a recursive descent over a formula's text that
// turns it into a band array, without a separate tokenizer.
#include "engine/bands.h"

#include <string>
#include <string_view>
#include <vector>

// Deeper nesting than this (brackets, operands, arguments) ends the formula
// with kMsgTooComplex instead of exhausting the stack.
constexpr int kMaxFormulaDepth = 200;
inline constexpr const char* kMsgTooComplex = "Formula is too complex";

// Evaluates `formula` (the spectrum at position `ownPos` of a sheet of
// `recordCount` spectra) into `result`. Removes the blanks of `formula` in
// place. Returns "" on success or the message that ended the formula; the
// result is written only on success, and an empty formula writes nothing.
std::string EvalFormula(const SheetMatrix& m, int recordCount, std::string& formula,
                        BandArray& result, int ownPos, int bandCount, int firstBand);
// The same, adding to `reads` the position of every spectrum the formula
// read from the sheet matrix (a position may appear more than once).
std::string EvalFormula(const SheetMatrix& m, int recordCount, std::string& formula,
                        BandArray& result, int ownPos, int bandCount, int firstBand,
                        std::vector<int>* reads);

// A top-level bracket pair: 1-based positions of its "(" and matching ")".
struct BracketPair {
    int open = 0;
    int close = 0;
};

// Records the outermost bracket pairs of `text` in rows 1..pairCount of
// `pairs` (row 0 unused; sized for every "(" of the text). Returns "" or
// "Unrecognised expression: " and the text when a "(" has no match after it.
std::string FindBracketPairs(std::string_view text, int& pairCount,
                             std::vector<BracketPair>& pairs);

// Writes named constant `constNo` (row of gConstNames) into bands
// 1..bandCount. Always returns "".
std::string FillConstant(int constNo, BandArray& result, int bandCount);

// The number grammar of formulas, shared by the number terminal and the
// digits of a spectrum reference: digits with an optional point and fraction
// (or a point and digits), then an optional E or e, optional sign and digits.
enum class NumberText { NotNumber, Value, TooLarge, TooSmall };
NumberText parseFormulaNumber(std::string_view text, double& value);
