// Criterion, insulation and impact curves, checked against the rules and
// published values they come from rather than restated.
#include "tables/globals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Curves : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(Curves, SizesAndUnusedElements) {
    EXPECT_EQ(gNRa.size(), 10u);
    EXPECT_EQ(gNRb.size(), 10u);
    EXPECT_EQ(gNCCurves.size(), 13u);
    EXPECT_EQ(gNCLevels.size(), 13u);
    EXPECT_EQ(gPNCCurves.size(), 12u);
    EXPECT_EQ(gPNCLevels.size(), 12u);
    EXPECT_EQ(gSTCContour.size(), 17u);
    EXPECT_EQ(gCtrThird.size(), 22u);
    EXPECT_EQ(gCtrOct.size(), 8u);
    EXPECT_EQ(gCOct.size(), 8u);
    EXPECT_EQ(gImpactRefThird.size(), 17u);
    EXPECT_EQ(gImpactRefOct.size(), 6u);
    EXPECT_EQ(gIICContour.size(), 17u);
    for (const auto* t : {&gNRa, &gNRb, &gNCLevels, &gPNCLevels, &gCtrThird, &gCtrOct, &gCOct,
                          &gImpactRefThird, &gImpactRefOct, &gIICContour})
        EXPECT_EQ((*t)[0], 0);
    for (double v : gNCCurves[0])
        EXPECT_EQ(v, 0);
    for (double v : gPNCCurves[0])
        EXPECT_EQ(v, 0);
    for (size_t r = 1; r < gNCCurves.size(); ++r)
        EXPECT_EQ(gNCCurves[r][0], 0);
    for (size_t r = 1; r < gPNCCurves.size(); ++r)
        EXPECT_EQ(gPNCCurves[r][0], 0);
    // Element 0 of the contour is data: 100 Hz of the weighted index curve.
    EXPECT_EQ(gSTCContour[0], 21);
}

TEST_F(Curves, NoiseRatingCurvesPassThroughTheirRatingAt1kHz) {
    for (int n : {0, 25, 50, 100})
        EXPECT_DOUBLE_EQ(gNRa[6] + gNRb[6] * n, n);
    EXPECT_NEAR(gNRa[1] + gNRb[1] * 50, 89.45, 1e-9);
    EXPECT_NEAR(gNRa[9] + gNRb[9] * 50, 43.5, 1e-9);
    // Low octaves lie higher and rise more slowly with the rating.
    for (int k = 1; k < 9; ++k) {
        EXPECT_GT(gNRa[k], gNRa[k + 1]) << k;
        EXPECT_LT(gNRb[k], gNRb[k + 1]) << k;
    }
}

TEST_F(Curves, CriterionCurvesRiseInFivesAndStrictlyPerOctave) {
    for (size_t r = 1; r <= 12; ++r)
        EXPECT_EQ(gNCLevels[r], 10 + 5.0 * r);
    for (size_t r = 1; r <= 11; ++r)
        EXPECT_EQ(gPNCLevels[r], 10 + 5.0 * r);
    // Interpolation divides by the step between neighbouring curves.
    for (size_t r = 2; r <= 12; ++r)
        for (size_t k = 1; k <= 8; ++k)
            EXPECT_GT(gNCCurves[r][k], gNCCurves[r - 1][k]);
    for (size_t r = 2; r <= 11; ++r)
        for (size_t k = 1; k <= 9; ++k)
            EXPECT_GT(gPNCCurves[r][k], gPNCCurves[r - 1][k]);
    // Each curve falls with frequency (PNC flat from 4 to 8 kHz).
    for (size_t r = 1; r <= 12; ++r)
        for (size_t k = 1; k < 8; ++k)
            EXPECT_GT(gNCCurves[r][k], gNCCurves[r][k + 1]);
    for (size_t r = 1; r <= 11; ++r) {
        for (size_t k = 1; k < 8; ++k)
            EXPECT_GT(gPNCCurves[r][k], gPNCCurves[r][k + 1]);
        EXPECT_EQ(gPNCCurves[r][8], gPNCCurves[r][9]);
    }
    EXPECT_EQ(gNCCurves[12][4], 73); // NC70 at 500 Hz
    EXPECT_EQ(gNCCurves[5][5], 36);
    EXPECT_EQ(gPNCCurves[6][6], 40);
}

// ISO 717-1 reference values, 100 Hz to 3150 Hz, and its octave values.
constexpr double kIsoAirborneThird[16] = {33, 36, 39, 42, 45, 48, 51, 52,
                                          53, 54, 55, 56, 56, 56, 56, 56};
constexpr double kIsoAirborneOctave[5] = {36, 45, 52, 55, 56};
// ASTM E413 contour at STC 40, 125 Hz to 4000 Hz.
constexpr double kAstmStc40[16] = {24, 27, 30, 33, 36, 39, 40, 41, 42, 43, 44, 44, 44, 44, 44, 44};

TEST_F(Curves, InsulationContourServesBothStandards) {
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(gSTCContour[k], kAstmStc40[k - 1]) << k;
    for (int k = 0; k <= 15; ++k)
        EXPECT_EQ(gSTCContour[k] + 12, kIsoAirborneThird[k]) << k;
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(gSTCContour[3 * i - 2] + 12, kIsoAirborneOctave[i - 1]);
}

TEST_F(Curves, AdaptationSpectra) {
    // Traffic spectrum: octave values are the energy sums of their thirds,
    // normalised like the third-octave spectrum (within rounding).
    for (int k = 2; k <= 6; ++k) {
        const int first = 3 * k - 2; // gCtrThird element of the lower third
        double e = 0;
        for (int i = first; i <= first + 2; ++i)
            e += std::pow(10.0, gCtrThird[i] / 10);
        EXPECT_NEAR(10 * std::log10(e), gCtrOct[k], 0.6) << k;
    }
    // The pink-noise octave values are the A weights rounded, halves up, less 6.
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(gCOct[k], std::floor(gAWeight[static_cast<size_t>(14 + 3 * k)] + 0.5) - 6) << k;
}

// ISO 717-2 reference values, 100 Hz to 3150 Hz, and octave values.
constexpr double kIsoImpactThird[16] = {62, 62, 62, 62, 62, 62, 61, 60,
                                        59, 58, 57, 54, 51, 48, 45, 42};
constexpr double kIsoImpactOctave[5] = {67, 67, 65, 62, 49};

TEST_F(Curves, ImpactCurves) {
    for (int k = 1; k <= 16; ++k) {
        EXPECT_EQ(gImpactRefThird[k], kIsoImpactThird[k - 1]) << k;
        // ASTM E989 contour at IIC 60: 110 minus its 500 Hz value is 60.
        EXPECT_EQ(gIICContour[k], gImpactRefThird[k] - 10) << k;
    }
    EXPECT_EQ(110 - gIICContour[8], 60);
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(gImpactRefOct[k], kIsoImpactOctave[k - 1]) << k;
}

} // namespace
