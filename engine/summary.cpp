#include "engine/summary.h"

#include "engine/arith.h"
#include "engine/number_format.h"
#include "engine/summary_frame.h"
#include "tables/band_table.h"
#include "tables/criterion_curves.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

namespace summary {

std::string wholeNumber(double n) {
    if (!(std::fabs(n) < 1e15)) return kMsgOverflow;
    return formatWhole(n);
}

namespace {

// pow(10, level / 10), the energy of a level. Sheets repeat their levels
// (typed to a tenth of a decibel), so the last results are kept by the
// level's bits: a kept result is the very value pow gave for that level.
// Every slot starts as level +0, whose energy is exactly 1.
double energyOf(double level) {
    struct Slot {
        std::uint64_t bits = 0;
        double energy = 1;
    };
    thread_local Slot slots[2048];
    const auto bits = std::bit_cast<std::uint64_t>(level);
    Slot& slot = slots[(bits * 0x9E3779B97F4A7C15ull) >> 53];
    if (slot.bits != bits) slot = {bits, std::pow(10.0, level / 10)};
    return slot.energy;
}

// Band-table row of position p, 0 when the sheet puts it outside the table.
int tableIndex(const Sheet& s, int p) {
    const long long fb = std::clamp<long long>(s.firstBand, INT_MIN / 4, INT_MAX / 4);
    return bandTableIndex(static_cast<int>(fb), p, s.third ? 30 : 10);
}

// A position that holds a value and lies on the band table.
bool counts(const Sheet& s, int p) {
    return s.usable(p) && tableIndex(s, p) != 0;
}

// Energy sum over the sheet, optionally weighted; "" or a failure text.
std::string levelSum(const Sheet& s, const std::vector<double>* weights, const char* suffix) {
    double sum = 0;
    for (int p = 1; p <= s.count; ++p) {
        if (!counts(s, p)) continue;
        double level = s.at(p);
        if (weights) {
            const double w = (*weights)[static_cast<size_t>(tableIndex(s, p))];
            if (w == -999) continue;
            level += w;
        }
        sum += energyOf(level);
    }
    if (std::isinf(sum)) return kMsgOverflow;
    if (!(sum > 0)) return std::string();
    return formatOneDecimal(10 * std::log10(sum)) + suffix;
}

std::string extreme(const Sheet& s, bool max) {
    bool found = false;
    double x = 0;
    for (int p = 1; p <= s.count; ++p) {
        if (!counts(s, p)) continue;
        const double v = s.at(p);
        if (!found || (max ? v > x : v < x)) x = v;
        found = true;
    }
    if (!found) return std::string();
    // Beyond this the text would run to hundreds of digits, more than a
    // summary field holds.
    if (!(std::fabs(x) < 1e15)) return kMsgOverflow;
    return formatOneDecimal(x) + (max ? " Max" : " Min");
}

std::string noiseReductionCoefficient(const Sheet& s) {
    long long k;
    int n;
    if (s.third) {
        k = s.positionOf(22); // 200 Hz
        if (k < 1 || k > 18) return std::string();
        n = 12;
    } else {
        k = s.positionOf(23); // 250 Hz
        if (k < 1 || k > 6) return std::string();
        n = 4;
    }
    double sum = 0;
    for (long long p = k; p < k + n; ++p) {
        if (!s.usable(p)) return std::string();
        sum += s.at(p);
    }
    const double m = sum / n;
    const double rounded = std::floor(20 * m + 0.5) / 20;
    if (!(std::fabs(rounded) < 1e15)) return kMsgOverflow;
    return "NRC " + formatTwoDecimalsNoLead(rounded);
}

// How an octave of a criterion rating reads on the sheet.
enum class Octave {
    Off,     // off the sheet, or a band missing or marked: it does not count
    Level,   // its level is known
    Failure, // its energy sum overflows or vanishes: the rating fails
};

// Level of octave j (1-based) of a criterion rating whose octave 1 lies at
// band-table index octStart on an octave sheet and whose first third-octave
// triple starts at index thirdStart.
Octave octaveLevel(const Sheet& s, long long octStart, long long thirdStart, int j, double& level) {
    if (!s.third) {
        const long long p = s.positionOf(octStart) + j - 1;
        if (p < 1 || p > 10 || !s.usable(p)) return Octave::Off;
        level = s.at(p);
        return Octave::Level;
    }
    const long long p = s.positionOf(thirdStart) + 3LL * (j - 1);
    // 27, not 28: a triple starting at position 28 is not used.
    if (p < 1 || p > 27 || !s.usable(p) || !s.usable(p + 1) || !s.usable(p + 2)) return Octave::Off;
    level = 10 * std::log10(energyOf(s.at(p)) + energyOf(s.at(p + 1)) + energyOf(s.at(p + 2)));
    // A sum that underflows to 0 is no level below every curve but a lost
    // one, as much an arithmetic failure as a sum that overflows.
    return std::isfinite(level) ? Octave::Level : Octave::Failure;
}

std::string noiseRating(const Sheet& s) {
    double r = -999;
    for (int j = 1; j <= 9; ++j) {
        double level;
        const Octave o = octaveLevel(s, 14, 13, j, level);
        if (o == Octave::Failure) return kMsgOverflow;
        if (o == Octave::Off) continue;
        const double v = (level - gNRa[j]) / gNRb[j];
        if (v > r) r = v;
    }
    if (r == -999) return std::string();
    // A rating too large to show is the failure text alone, without "NR ".
    const std::string n = wholeNumber(std::floor(r + 0.5));
    if (n == kMsgOverflow) return n;
    return "NR " + n;
}

// NC and PNC: the highest octave rating, interpolated between the curves.
template <size_t N>
std::string criterionRating(const Sheet& s, const std::vector<std::array<double, N>>& curves,
                            const std::vector<double>& levels, int top, long long octStart,
                            long long thirdStart, const char* prefix) {
    constexpr int octaves = static_cast<int>(N) - 1;
    double r = -999;
    for (int j = 1; j <= octaves; ++j) {
        double level;
        const Octave o = octaveLevel(s, octStart, thirdStart, j, level);
        if (o == Octave::Failure) return kMsgOverflow;
        if (o == Octave::Off) continue;
        double v;
        if (level < curves[1][j]) {
            continue; // below the lowest curve: the octave does not count
        } else if (level > curves[static_cast<size_t>(top)][j]) {
            v = 999;
        } else {
            size_t row = 2;
            while (level > curves[row][j])
                ++row;
            v = levels[row - 1] + (level - curves[row - 1][j]) * (levels[row] - levels[row - 1]) /
                                      (curves[row][j] - curves[row - 1][j]);
        }
        if (v > r) r = v;
    }
    if (r == -999) return std::string();
    if (r == 999) return std::string(prefix) + "***";
    return prefix + wholeNumber(1 + std::floor(r - 0.00001));
}

std::string roomCriterion(const Sheet& s) {
    double r = -999;
    int m = 0;
    for (int j = 1; j <= 9; ++j) {
        double level;
        const Octave o = octaveLevel(s, 11, 10, j, level);
        if (o == Octave::Failure) return kMsgOverflow;
        if (o == Octave::Off) continue;
        const double v = level + 5 * (j - 7);
        if (v > r) { // the first octave wins a tie
            r = v;
            m = j;
        }
    }
    if (r == -999) return std::string();
    if (r > 50 || (m == 2 && r > 40) || (m == 1 && r > 35)) return "RC ***";
    return "RC " + wholeNumber(std::floor(r) + 1);
}

} // namespace
} // namespace summary

std::string CalcSummary(int type, const BandArray& bands, int firstBand, int bandCount) {
    using namespace summary;
    const Sheet s{bands, firstBand, std::clamp(bandCount, 0, kMaxBands), bandCount >= 30};
    for (int p = 1; p <= s.count; ++p)
        if (s.at(p) == kErrorValue) return "#ERR";
    // A value no arithmetic can hold (never typed; only a damaged record).
    for (int p = 1; p <= s.count; ++p)
        if (const char* failure = arithFailure(s.at(p))) return failure;

    switch (type) {
    case kDBL:
        return levelSum(s, nullptr, " dBL");
    case kDBA:
        return levelSum(s, &gAWeight, " dBA");
    case kDBC:
        return levelSum(s, &gCWeight, " dBC");
    case kMax:
        return extreme(s, true);
    case kMin:
        return extreme(s, false);
    case kNRC:
        return noiseReductionCoefficient(s);
    case kNR:
        return noiseRating(s);
    case kNC:
        return criterionRating(s, gNCCurves, gNCLevels, 12, 17, 16, "NC ");
    case kPNC:
        return criterionRating(s, gPNCCurves, gPNCLevels, 11, 14, 13, "PNC ");
    case kRC:
        return roomCriterion(s);
    case kSTC:
    case kRw:
    case kCtr:
    case kC:
    case kCtr50:
    case kC50:
        return rateInsulation(type, s);
    case kLnw:
    case kC1:
    case kIIC:
        return rateImpact(type, s);
    default:
        return std::string();
    }
}
