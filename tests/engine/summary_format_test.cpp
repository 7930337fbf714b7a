// Number masks of the rating texts.
#include "engine/number_format.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberMasks, RoundFromFifteenDigitsHalvesAwayFromZero) {
    struct Case {
        double v;
        const char* oneDecimal; // "#0.0"
        const char* whole;      // "#0"
        const char* noLead;     // "#.00"
    } cases[] = {
        {0, "0.0", "0", ".00"},
        {63.05, "63.1", "63", "63.05"}, // binary 63.04999...
        {-63.05, "-63.1", "-63", "-63.05"},
        {0.85, "0.9", "1", ".85"},
        {1.05, "1.1", "1", "1.05"},
        {0.045, "0.0", "0", ".05"}, // binary 0.04499...
        {2.5, "2.5", "3", "2.50"},
        {-2.5, "-2.5", "-3", "-2.50"},
        {-0.4, "-0.4", "0", "-.40"},
        {-0.04, "0.0", "0", "-.04"},
        {-0.004, "0.0", "0", ".00"},
        {-0.0, "0.0", "0", ".00"},
        {9.95, "10.0", "10", "9.95"},
        {99.96, "100.0", "100", "99.96"},
        {999.5, "999.5", "1000", "999.50"},
        {1.0 / 3, "0.3", "0", ".33"},
        {123456789.25, "123456789.3", "123456789", "123456789.25"},
        {1e20, "100000000000000000000.0", "100000000000000000000", "100000000000000000000.00"},
        {1e-300, "0.0", "0", ".00"},
        // 15 significant digits decide: 0.1 + 0.2 is 0.30000000000000004.
        {0.1 + 0.2 + 0.05, "0.4", "0", ".35"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(formatOneDecimal(c.v), c.oneDecimal);
        EXPECT_EQ(formatWhole(c.v), c.whole);
        EXPECT_EQ(formatTwoDecimalsNoLead(c.v), c.noLead);
    }
}

} // namespace
