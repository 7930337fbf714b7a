#include "tables/globals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class AirAbsorption : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(AirAbsorption, CellsAndAxes) {
    const double row50at20[9] = {0, 0.1, 0.4, 1.2, 2.8, 5.0, 10.0, 28.1, 97.4};
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(gAirAbs[2][2][k], row50at20[k]) << "octave " << k;

    struct Cell {
        int h, t, k;
        double v;
    };
    const Cell cells[] = {
        {1, 1, 8, 198.0}, {1, 1, 5, 5.9},  {1, 4, 5, 6.5}, {3, 1, 5, 4.5},
        {3, 4, 5, 7.4},   {3, 4, 8, 58.4}, {1, 4, 1, 0.1}, {2, 3, 6, 10.8},
    };
    for (const Cell& c : cells)
        EXPECT_EQ(gAirAbs[c.h][c.t][c.k], c.v);

    double largest = 0, smallest = 1e9;
    for (int h = 1; h <= 3; ++h)
        for (int t = 1; t <= 4; ++t)
            for (int k = 1; k <= 8; ++k) {
                largest = std::max(largest, gAirAbs[h][t][k]);
                smallest = std::min(smallest, gAirAbs[h][t][k]);
                if (k > 1) {
                    EXPECT_GE(gAirAbs[h][t][k], gAirAbs[h][t][k - 1]) << h << t << k;
                }
            }
    EXPECT_EQ(largest, 198.0);
    EXPECT_EQ(smallest, 0.1);

    // Row 0, column 0 and octave 0 stay empty.
    for (int t = 0; t <= 4; ++t)
        for (int k = 0; k <= 8; ++k)
            EXPECT_EQ(gAirAbs[0][t][k], 0);
    for (int h = 1; h <= 3; ++h) {
        for (int k = 0; k <= 8; ++k)
            EXPECT_EQ(gAirAbs[h][0][k], 0);
        for (int t = 0; t <= 4; ++t)
            EXPECT_EQ(gAirAbs[h][t][0], 0);
    }

    ASSERT_EQ(gAirAbsRH.size(), 4u);
    ASSERT_EQ(gAirAbsTemp.size(), 5u);
    EXPECT_EQ(gAirAbsRH[0], 0);
    EXPECT_EQ(gAirAbsTemp[0], 0);
    for (int h = 1; h <= 3; ++h)
        EXPECT_EQ(gAirAbsRH[h], 25 * h);
    for (int t = 1; t <= 4; ++t)
        EXPECT_EQ(gAirAbsTemp[t], 10 + 5 * t);
}

// Pure-tone attenuation coefficient of ISO 9613-1 in dB/km at sea-level
// pressure, from the standard's equations alone.
double iso9613Alpha(double f, double celsius, double rh) {
    const double T = celsius + 273.15, T0 = 293.15, T01 = 273.16;
    const double c = -6.8346 * std::pow(T01 / T, 1.261) + 4.6151;
    const double h = rh * std::pow(10.0, c);
    const double frO = 24 + 4.04e4 * h * (0.02 + h) / (0.391 + h);
    const double frN = std::pow(T / T0, -0.5) *
                       (9 + 280 * h * std::exp(-4.170 * (std::pow(T / T0, -1.0 / 3) - 1)));
    return 1000 * 8.686 * f * f *
           (1.84e-11 * std::sqrt(T / T0) +
            std::pow(T / T0, -2.5) * (0.01275 * std::exp(-2239.1 / T) / (frO + f * f / frO) +
                                      0.1068 * std::exp(-3352.0 / T) / (frN + f * f / frN)));
}

// The table is an older tabulation: it keeps to ISO 9613-1's pure-tone values
// at the exact mid-band frequencies only to within about 17 % (at 250 Hz, 75 %,
// 20 deg C it reads 0.9 where the standard gives 1.09; at 2 kHz, 25 %, 15 deg C
// 19.3 against 21.8). Stored sheets were computed with the table, so it stays;
// this check catches a cell in the wrong row, column or octave.
TEST_F(AirAbsorption, FollowsTheStandardsCurvesLoosely) {
    for (int h = 1; h <= 3; ++h)
        for (int t = 1; t <= 4; ++t)
            for (int k = 1; k <= 8; ++k) {
                const double f = 1000 * std::pow(10.0, 0.3 * (k - 5));
                const double iso = iso9613Alpha(f, 10 + 5 * t, 25 * h);
                EXPECT_NEAR(gAirAbs[h][t][k], iso, 0.1 + 0.2 * iso)
                    << 25 * h << " %, " << 10 + 5 * t << " C, octave " << k;
            }
    // Where the standard is flat enough the table agrees within its rounding.
    EXPECT_NEAR(gAirAbs[2][2][1], iso9613Alpha(63.0957, 20, 50), 0.05);
    EXPECT_NEAR(gAirAbs[3][2][7], iso9613Alpha(3981.07, 20, 75), 0.05);
    EXPECT_NEAR(gAirAbs[2][3][7], iso9613Alpha(3981.07, 25, 50), 0.1);
}

} // namespace
