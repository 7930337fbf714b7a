#pragma once
// Arithmetic failures inside an operator, a function or a rating end the
// formula (or the rating) with one of these texts; no NaN or infinity is
// ever stored in a band.
#include <cmath>

inline constexpr const char* kMsgDivisionByZero = "Division by zero";
inline constexpr const char* kMsgOverflow = "Overflow";
inline constexpr const char* kMsgInvalidCall = "Invalid procedure call or argument";

// The failure text for a computed value, or nullptr when it is a finite number.
inline const char* arithFailure(double v) {
    if (std::isnan(v)) return kMsgInvalidCall;
    if (std::isinf(v)) return kMsgOverflow;
    return nullptr;
}

// The decimal logarithm as the engine takes it everywhere: ln(x) / ln(10),
// which is not always std::log10(x) to the last bit (log of 1000 is
// 2.9999999999999996).
inline double log10ByLn(double x) {
    return std::log(x) / std::log(10.0);
}
