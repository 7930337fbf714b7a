#include "engine/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kSignificant = 15;

// Adds one unit in the last place of a string of decimal digits.
void incrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::string formatFixed(double v, int decimals, bool leadingZero) {
    const bool negative = v < 0;
    // "d.dddddddddddddde+XX": the 15 significant digits and the exponent.
    char buf[40];
    // fabs, not -v: a negative zero would print its sign among the digits.
    const auto end = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(v),
                                   std::chars_format::scientific, kSignificant - 1)
                         .ptr;
    *end = '\0';
    std::string sig;
    sig += buf[0];
    sig.append(buf + 2, kSignificant - 1);
    const int exponent = std::atoi(buf + kSignificant + 2);

    // Digits of |v| * 10^decimals rounded to a whole number, halves up.
    const int keep = exponent + 1 + decimals;
    std::string units;
    if (keep >= kSignificant) {
        units = sig + std::string(static_cast<size_t>(keep - kSignificant), '0');
    } else if (keep >= 0) {
        units = sig.substr(0, static_cast<size_t>(keep));
        if (units.empty()) units = "0";
        if (sig[static_cast<size_t>(keep)] >= '5') incrementDigits(units);
    } else {
        units = "0";
    }
    const size_t nonZero = units.find_first_not_of('0');
    if (nonZero == std::string::npos)
        units = "0";
    else
        units.erase(0, nonZero);
    const bool zero = units == "0";

    const size_t minLen = static_cast<size_t>(decimals) + (leadingZero ? 1 : 0);
    if (units.size() < minLen) units.insert(0, minLen - units.size(), '0');
    if (zero && !leadingZero && decimals == 0) units = "0";
    std::string out = (negative && !zero) ? "-" : "";
    const size_t intLen = units.size() - static_cast<size_t>(decimals);
    out.append(units, 0, intLen);
    if (decimals > 0) {
        out += '.';
        out.append(units, intLen, std::string::npos);
    }
    return out;
}

std::string formatOneDecimal(double v) {
    return formatFixed(v, 1, true);
}
std::string formatWhole(double v) {
    return formatFixed(v, 0, true);
}
std::string formatTwoDecimalsNoLead(double v) {
    return formatFixed(v, 2, false);
}
