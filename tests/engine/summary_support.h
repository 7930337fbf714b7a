#pragma once
// Spectra for the rating tests, laid out on a sheet by band-table index.
#include "engine/bands.h"
#include "engine/summary.h"
#include "tables/globals.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace ratingtest {

constexpr int kThird = 30;
constexpr int kOctave = 10;

inline void fillOnce() {
    static bool filled = false;
    if (!filled) FillTables();
    filled = true;
}

// A sheet whose every band holds `fill`, then the given band-table rows set.
inline BandArray onSheet(int firstBand, int count, double fill,
                         const std::map<int, double>& byIndex = {}) {
    BandArray b;
    for (int j = 1; j <= count; ++j) {
        const int step = count >= 30 ? 1 : 3;
        const int index = firstBand + step * (j - 1);
        auto it = byIndex.find(index);
        b(j) = it != byIndex.end() ? it->second : fill;
    }
    return b;
}

inline std::string rate(const std::string& type, const BandArray& b, int firstBand, int count) {
    return CalcSummary(summaryTypeNumber(type), b, firstBand, count);
}

class Ratings : public ::testing::Test {
protected:
    static void SetUpTestSuite() { fillOnce(); }
};

} // namespace ratingtest
