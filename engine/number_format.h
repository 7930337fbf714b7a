#pragma once
// Number masks of the rating texts. Rounding works on the value's decimal
// form with 15 significant digits, halves away from zero, so 63.05 shows
// "63.1" although its binary value lies just below; a result that rounds to
// zero never shows a minus sign.
#include <string>

// "#0.0": one decimal, at least one integer digit.
std::string formatOneDecimal(double v);
// "#0": whole number.
std::string formatWhole(double v);
// "#.00": two decimals, no integer digit below 1 (0.85 gives ".85").
std::string formatTwoDecimalsNoLead(double v);

// Fixed-point text of v with `decimals` decimals; `leadingZero` keeps a "0"
// before the point when the integer part is 0. v must be finite.
std::string formatFixed(double v, int decimals, bool leadingZero);
