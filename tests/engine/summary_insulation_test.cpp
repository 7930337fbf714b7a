// Airborne insulation and impact ratings: the boundaries of their searches,
// the sheets that do or do not cover them, markers and absurd values.
#include "summary_support.h"

#include <cmath>
#include <vector>

namespace {

using namespace ratingtest;

const char* const kAirborne[] = {"STC", "Rw", "Ctr", "C", "Ctr50-5K", "C50-5K"};
const char* const kImpact[] = {"Ln,w", "C1", "IIC"};

// Third-octave sheet from 50 Hz holding table values at the given rows.
std::map<int, double> rows(const std::vector<double>& table, int from, int to, int indexOfFrom,
                           double add = 0) {
    std::map<int, double> m;
    for (int e = from; e <= to; ++e)
        m[indexOfFrom + e - from] = table[static_cast<size_t>(e)] + add;
    return m;
}

BandArray third(const std::map<int, double>& m, double fill = 80, int firstBand = 16) {
    return onSheet(firstBand, kThird, fill, m);
}

TEST_F(Ratings, TransmissionClassContour) {
    const auto contour = rows(gSTCContour, 1, 16, 20);
    auto tenBelowOne = rows(gSTCContour, 1, 16, 20, 20);
    tenBelowOne[26] = gSTCContour[7] - 9;
    // Octave sheet from 125 Hz: 2 kHz covers three contour bands, 4 kHz two.
    BandArray oct = onSheet(20, kOctave, 60, {{32, 38}, {35, 38}});
    BandArray oct4k = onSheet(20, kOctave, 60, {{35, 38}});
    struct {
        const char* name;
        BandArray b;
        int fb, count;
        const char* expected;
    } cases[] = {
        {"contour", third(contour), 16, kThird, "STC 42"},
        {"contour + 0.4", third(rows(gSTCContour, 1, 16, 20, 0.4)), 16, kThird, "STC 42"},
        {"contour + 0.5", third(rows(gSTCContour, 1, 16, 20, 0.5)), 16, kThird, "STC 43"},
        {"contour - 3", third(rows(gSTCContour, 1, 16, 20, -3)), 16, kThird, "STC 39"},
        {"8 dB rule", third(tenBelowOne), 16, kThird, "STC 39"},
        {"100 Hz ignored", third(contour, 80, 19), 19, kThird, "STC 42"},
        {"from 125 Hz", third(contour, 80, 20), 20, kThird, "STC 42"},
        {"from 160 Hz", third(contour, 80, 21), 21, kThird, ""},
        {"ends at 4 kHz", third(contour, 80, 6), 6, kThird, "STC 42"},
        {"ends at 3150 Hz", third(contour, 80, 5), 5, kThird, ""},
        {"octave 2k and 4k", oct, 20, kOctave, "STC 40"},
        {"octave 4k", oct4k, 20, kOctave, "STC 42"},
        {"octave from 63 Hz", onSheet(17, kOctave, 60, {{32, 38}, {35, 38}}), 17, kOctave,
         "STC 40"},
        {"octave ends at 2 kHz", onSheet(5, kOctave, 60), 5, kOctave, ""},
        {"octave ends at 4 kHz", onSheet(8, kOctave, 60), 8, kOctave, "STC 60"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rate("STC", c.b, c.fb, c.count), c.expected) << c.name;
}

TEST_F(Ratings, WeightedIndexShiftSearch) {
    const auto ref = rows(gSTCContour, 0, 15, 19);
    auto oneLower = ref;
    oneLower[26] -= 2;
    // Decimal deficiencies that sum to exactly 32 dB at shift 0, although the
    // binary sum comes out a little above.
    const double tenths[16] = {20.3, 21.3, 23.7, 24.7, 32.8, 34.9, 33.3, 34.9,
                               40.8, 38.4, 42.6, 42.5, 43.4, 43.4, 43.9, 43.1};
    std::map<int, double> exact;
    double binarySum = 0;
    for (int i = 0; i < 16; ++i) {
        exact[19 + i] = tenths[i];
        binarySum += gSTCContour[static_cast<size_t>(i)] - tenths[i];
    }
    ASSERT_GT(binarySum, 32.0);
    const std::map<int, double> octaveCurve = {{20, gSTCContour[1]},
                                               {23, gSTCContour[4]},
                                               {26, gSTCContour[7]},
                                               {29, gSTCContour[10]},
                                               {32, gSTCContour[13]}};
    std::map<int, double> octaveLow;
    for (auto [i, v] : octaveCurve)
        octaveLow[i] = v - 4;
    struct {
        const char* name;
        BandArray b;
        int fb, count;
        const char* expected;
    } cases[] = {
        {"reference from below", third(ref), 16, kThird, "Rw 42"},
        {"one band 2 dB lower", third(oneLower), 16, kThird, "Rw 41"},
        {"32 from above", third(rows(gSTCContour, 0, 15, 19, -4)), 16, kThird, "Rw 38"},
        {"32 at shift 0", third(rows(gSTCContour, 0, 15, 19, -2)), 16, kThird, "Rw 40"},
        {"decimal 32", third(exact), 16, kThird, "Rw 40"},
        {"4 kHz not needed", third(ref, 80, 5), 5, kThird, "Rw 42"},
        {"ends at 2500 Hz", third(ref, 80, 4), 4, kThird, ""},
        {"starts at 125 Hz", third(ref, 80, 20), 20, kThird, ""},
        {"octave curve", onSheet(20, kOctave, 0, octaveCurve), 20, kOctave, "Rw 42"},
        {"octave 10 from above", onSheet(20, kOctave, 0, octaveLow), 20, kOctave, "Rw 38"},
        {"octave 125 Hz at 6", onSheet(5, kOctave, 0, octaveCurve), 5, kOctave, "Rw 42"},
        {"octave 125 Hz at 7", onSheet(2, kOctave, 0, octaveCurve), 2, kOctave, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rate("Rw", c.b, c.fb, c.count), c.expected) << c.name;
}

// Transmission loss rising 1.5 dB per third-octave, 10 dB at 50 Hz.
BandArray sloped(int firstBand, int count) {
    std::map<int, double> m;
    for (int i = 1; i <= 48; ++i)
        m[i] = 10 + 1.5 * (i - 16);
    return onSheet(firstBand, count, 0, m);
}

TEST_F(Ratings, AdaptationTermRanges) {
    struct {
        const char* type;
        int fb, count;
        const char* expected;
    } cases[] = {
        {"Rw", 16, kThird, "Rw 29"},
        {"Ctr", 16, kThird, "Ctr -4"}, // -3.66
        {"C", 16, kThird, "C -1"},     // -0.75
        {"Ctr50-5K", 16, kThird, "Ctr50-5K -5"},
        {"C50-5K", 16, kThird, "C50-5K 0"}, // -0.001, never "-0"
        // From 100 Hz: the terms over 100 to 3150 Hz only.
        {"Ctr", 19, kThird, "Ctr -4"},
        {"Ctr50-5K", 19, kThird, ""},
        {"C50-5K", 17, kThird, ""}, // 63 Hz first
        {"C50-5K", 6, kThird, ""},  // ends at 4 kHz
        {"C", 6, kThird, "C -1"},
        {"Rw", 17, kOctave, "Rw 29"},
        {"Ctr", 17, kOctave, "Ctr -4"}, // -3.87
        {"C", 17, kOctave, "C 0"},
        {"Ctr50-5K", 17, kOctave, "Ctr50-5K -5"},
        {"C50-5K", 17, kOctave, "C50-5K 0"}, // -0.26
        {"Ctr", 20, kOctave, "Ctr -4"},
        {"Ctr50-5K", 20, kOctave, ""}, // no 63 Hz octave
        {"C50-5K", 5, kOctave, ""},    // ends at 2 kHz
        {"Ctr", 5, kOctave, "Ctr -4"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rate(c.type, sloped(c.fb, c.count), c.fb, c.count), c.expected)
            << c.type << " from " << c.fb << " on " << c.count;
    // A marked band only the wide range reads.
    BandArray marked80 = sloped(16, kThird);
    marked80(3) = kMarked;
    EXPECT_EQ(rate("Ctr", marked80, 16, kThird), "Ctr -4");
    EXPECT_EQ(rate("Ctr50-5K", marked80, 16, kThird), "");
    BandArray octMarked = sloped(17, kOctave);
    octMarked(7) = kNoValue; // 4 kHz
    EXPECT_EQ(rate("C50-5K", octMarked, 17, kOctave), "");
    EXPECT_EQ(rate("C", octMarked, 17, kOctave), "C 0");
}

TEST_F(Ratings, MarkedBandsAndUncoveredSheetsGiveNoInsulationRating) {
    BandArray b = onSheet(16, kThird, 40);
    b(26 - 15) = kMarked; // 500 Hz
    BandArray o = onSheet(17, kOctave, 40);
    o(4) = kNoValue; // 500 Hz
    for (const char* t : kAirborne) {
        EXPECT_EQ(rate(t, b, 16, kThird), "") << t;
        EXPECT_EQ(rate(t, o, 17, kOctave), "") << t;
        EXPECT_EQ(rate(t, onSheet(23, kOctave, 40), 23, kOctave), "") << t; // from 250 Hz
        // An octave sheet whose bands are not octave centres holds no octave.
        EXPECT_EQ(rate(t, onSheet(18, kOctave, 40), 18, kOctave), "") << t;
    }
    for (const char* t : kImpact) {
        EXPECT_EQ(rate(t, b, 16, kThird), "") << t;
        EXPECT_EQ(rate(t, o, 17, kOctave), "") << t;
        EXPECT_EQ(rate(t, onSheet(4, kThird, 40), 4, kThird), "") << t; // ends at 2500 Hz
        EXPECT_EQ(rate(t, onSheet(20, kThird, 40), 20, kThird), "") << t;
        EXPECT_EQ(rate(t, onSheet(23, kOctave, 40), 23, kOctave), "") << t;
    }
}

TEST_F(Ratings, AnAbsurdBandDoesNotHideAMissingOne) {
    // 1e14 dB at 125 Hz and a marked 2 kHz on an octave sheet from 31.5 Hz.
    const BandArray o = onSheet(14, kOctave, 40, {{20, 1e14}, {32, kMarked}});
    // Third-octave sheets ending at 2500 Hz, which every rating reads past.
    const BandArray short3 = onSheet(4, kThird, 40, {{20, 1e14}});
    for (const char* t : kAirborne) {
        EXPECT_EQ(rate(t, o, 14, kOctave), "") << t;
        EXPECT_EQ(rate(t, short3, 4, kThird), "") << t;
    }
    for (const char* t : kImpact) {
        EXPECT_EQ(rate(t, o, 14, kOctave), "") << t;
        EXPECT_EQ(rate(t, short3, 4, kThird), "") << t;
    }
    // Up to 3150 Hz Rw holds its bands and overflows; STC reads past 4 kHz.
    const BandArray to3150 = onSheet(5, kThird, 40, {{20, 1e14}});
    EXPECT_EQ(rate("Rw", to3150, 5, kThird), "Overflow");
    EXPECT_EQ(rate("STC", to3150, 5, kThird), "");
    // The wide-range terms need 50 Hz and 63 Hz as well.
    const BandArray from63 = onSheet(17, kThird, 40, {{20, 1e14}});
    EXPECT_EQ(rate("Ctr", from63, 17, kThird), "Overflow");
    EXPECT_EQ(rate("Ctr50-5K", from63, 17, kThird), "");
    const BandArray octFrom125 = onSheet(20, kOctave, 40, {{23, 1e14}});
    EXPECT_EQ(rate("C", octFrom125, 20, kOctave), "Overflow");
    EXPECT_EQ(rate("C50-5K", octFrom125, 20, kOctave), "");
    BandArray marked50 = third({{22, 1e14}}, 40);
    marked50(1) = kMarked;
    EXPECT_EQ(rate("Rw", marked50, 16, kThird), "Overflow");
    EXPECT_EQ(rate("C50-5K", marked50, 16, kThird), "");
}

TEST_F(Ratings, WeightedImpactLevel) {
    const auto ref = rows(gImpactRefThird, 1, 16, 19);
    // Decimal excesses summing to exactly 32 dB at shift 0.
    const double tenths[16] = {62.7, 65.0, 63.6, 63.2, 62.7, 63.0, 62.2, 61.7,
                               60.7, 59.6, 62.6, 54.9, 52.9, 54.6, 47.3, 42.3};
    std::map<int, double> exact;
    for (int i = 0; i < 16; ++i)
        exact[19 + i] = tenths[i];
    std::map<int, double> octRef;
    for (int k = 1; k <= 5; ++k)
        octRef[17 + 3 * k] = gImpactRefOct[static_cast<size_t>(k)];
    struct {
        const char* name;
        BandArray b;
        int fb, count;
        const char* expected;
    } cases[] = {
        {"reference", third(ref, 0), 16, kThird, "Ln,w 58"},
        {"reference + 0.04", third(rows(gImpactRefThird, 1, 16, 19, 0.04), 0), 16, kThird,
         "Ln,w 58"},
        {"reference + 0.05", third(rows(gImpactRefThird, 1, 16, 19, 0.05), 0), 16, kThird,
         "Ln,w 59"},
        {"reference + 4", third(rows(gImpactRefThird, 1, 16, 19, 4), 0), 16, kThird, "Ln,w 62"},
        {"decimal 32", third(exact, 0), 16, kThird, "Ln,w 60"},
        {"ends at 3150 Hz", third(ref, 0, 5), 5, kThird, "Ln,w 58"},
        {"octave reference", onSheet(20, kOctave, 0, octRef), 20, kOctave, "Ln,w 58"},
        {"octave ends at 2 kHz", onSheet(5, kOctave, 0, octRef), 5, kOctave, "Ln,w 58"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rate("Ln,w", c.b, c.fb, c.count), c.expected) << c.name;
    // The octave IIC needs the 4 kHz octave as well.
    EXPECT_EQ(rate("IIC", onSheet(5, kOctave, 0, octRef), 5, kOctave), "");
}

TEST_F(Ratings, ImpactAdaptationTermRoundsItsSumFirst) {
    // Ln,w 60 with energy sums of 74.5 and 74.4 dB over the 16 bands.
    auto spectrum = [](double low, double mid, double top) {
        std::map<int, double> m;
        for (int i = 1; i <= 16; ++i)
            m[18 + i] = i <= 6    ? low
                        : i <= 15 ? gImpactRefThird[static_cast<size_t>(i)] + mid
                                  : top;
        return third(m, 0);
    };
    const BandArray sum745 = spectrum(62.0, 0.3, 71.3);
    const BandArray sum744 = spectrum(62.2, 0.2, 71.0);
    EXPECT_EQ(rate("Ln,w", sum745, 16, kThird), "Ln,w 60");
    EXPECT_EQ(rate("Ln,w", sum744, 16, kThird), "Ln,w 60");
    EXPECT_EQ(rate("C1", sum745, 16, kThird), "C1 0");
    EXPECT_EQ(rate("C1", sum744, 16, kThird), "C1 -1");
}

TEST_F(Ratings, ImpactInsulationClass) {
    const auto contour = rows(gIICContour, 1, 16, 19);
    auto oneHigh = rows(gIICContour, 1, 16, 19, -20);
    oneHigh[26] += 29; // 9 dB above the contour at 500 Hz
    // Octave sheet from 125 Hz: 60.4 dB reads 60 - 4.771 in each third-octave.
    std::map<int, double> oct = {{20, 60.4}, {23, 0}, {26, 0}, {29, 0}, {32, 0}, {35, 0}};
    struct {
        const char* name;
        BandArray b;
        int fb, count;
        const char* expected;
    } cases[] = {
        {"contour", third(contour, 0), 16, kThird, "IIC 62"},
        {"contour + 0.5", third(rows(gIICContour, 1, 16, 19, 0.5), 0), 16, kThird, "IIC 61"},
        {"contour + 0.49", third(rows(gIICContour, 1, 16, 19, 0.49), 0), 16, kThird, "IIC 62"},
        {"8 dB rule", third(oneHigh, 0), 16, kThird, "IIC 59"},
        // 125 Hz: three bands at 55.229 against 52; the 8 dB rule starts at
        // shift 4, where the sum is 3 x 7.229.
        {"octave 125 Hz", onSheet(20, kOctave, 0, oct), 20, kOctave, "IIC 64"},
        {"octave ends at 2 kHz", onSheet(5, kOctave, 0, oct), 5, kOctave, ""},
        {"octave ends at 4 kHz", onSheet(8, kOctave, 0, oct), 8, kOctave, "IIC 64"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rate("IIC", c.b, c.fb, c.count), c.expected) << c.name;
}

TEST_F(Ratings, AbsurdValuesRateAtOnce) {
    const double big = 1e12;
    EXPECT_EQ(rate("STC", third(rows(gSTCContour, 1, 16, 20, big), big), 16, kThird),
              "STC 1000000000042");
    EXPECT_EQ(rate("Rw", third(rows(gSTCContour, 0, 15, 19, big), big), 16, kThird),
              "Rw 1000000000042");
    EXPECT_EQ(rate("Rw", third(rows(gSTCContour, 0, 15, 19, -big), -big), 16, kThird),
              "Rw -999999999958");
    EXPECT_EQ(rate("Ln,w", third(rows(gImpactRefThird, 1, 16, 19, -big), -big), 16, kThird),
              "Ln,w -999999999942");
    EXPECT_EQ(rate("IIC", third(rows(gIICContour, 1, 16, 19, -big), -big), 16, kThird),
              "IIC 1000000000062");
    EXPECT_EQ(rate("IIC", third(rows(gIICContour, 1, 16, 19, big), big), 16, kThird),
              "IIC -999999999938");
    // One absurd band among ordinary ones.
    auto wild = rows(gSTCContour, 0, 15, 19);
    wild[26] = big;
    EXPECT_EQ(rate("Rw", third(wild), 16, kThird), "Rw 42");
    wild[26] = -big;
    EXPECT_EQ(rate("Rw", third(wild), 16, kThird), "Rw -999999999968");
    // Energy sums that no double holds.
    EXPECT_EQ(rate("Ctr", third({}, -4000), 16, kThird), "Overflow");
    EXPECT_EQ(rate("C1", third({}, 4000), 16, kThird), "Overflow");
    // Beyond the whole-decibel range of a double.
    for (const char* t : kAirborne)
        EXPECT_EQ(rate(t, third({}, 1e300), 16, kThird), "Overflow");
    for (const char* t : kImpact)
        EXPECT_EQ(rate(t, third({}, -1e300), 16, kThird), "Overflow");
}

} // namespace
