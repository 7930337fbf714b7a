#pragma once
// The sheet as the ratings see it: band positions for both band systems and
// the tests every rating shares. Internal to the rating code.
#include "engine/bands.h"

#include <string>

namespace summary {

// Summary type numbers: the rows of gSummaryTypes.
enum SummaryType {
    kDBL = 1,
    kDBA,
    kDBC,
    kNR,
    kNC,
    kRC,
    kSTC,
    kRw,
    kNRC,
    kMax,
    kMin,
    kCtr,
    kC,
    kCtr50,
    kC50,
    kPNC,
    kLnw,
    kC1,
    kIIC
};

// Position of a band-table index that no position of the sheet holds.
constexpr long long kNoPosition = -1000000;

// Values beyond this size are rated as "Overflow" by the shift ratings, whose
// whole-decibel steps lose meaning once a double no longer holds 0.1 dB.
constexpr double kShiftValueLimit = 1e13;

struct Sheet {
    const BandArray& bands;
    long long firstBand;
    int count;  // band positions 1..count, never more than the array holds
    bool third; // third-octave rules (30 or more bands), else octave

    bool inRange(long long p) const { return p >= 1 && p <= count; }
    double at(long long p) const { return bands[static_cast<int>(p)]; }
    // Position p exists and holds neither -999 nor -998.
    bool usable(long long p) const { return inRange(p) && at(p) != kNoValue && at(p) != kMarked; }
    // Position of band-table index x; kNoPosition when no band of the sheet
    // lies there (an octave sheet whose bands are not that octave's centres).
    long long positionOf(long long x) const {
        const long long d = x - firstBand;
        if (third) return d + 1;
        if (d % 3 != 0) return kNoPosition;
        return d / 3 + 1;
    }
};

// Whole-number text n of a rating ("-" when negative), or "Overflow" when
// the number is too large to be shown as one.
std::string wholeNumber(double n);

std::string rateInsulation(int type, const Sheet& sheet); // types 7, 8, 12..15
std::string rateImpact(int type, const Sheet& sheet);     // types 17..19

} // namespace summary
