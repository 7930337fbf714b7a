// Rating frame, level and criterion ratings.
#include "summary_support.h"

#include <cmath>

namespace {

using namespace ratingtest;

struct Case {
    const char* name;
    const char* type;
    BandArray bands;
    int firstBand;
    int count;
    const char* expected;
};

void runCases(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(rate(c.type, c.bands, c.firstBand, c.count), c.expected) << c.name;
}

TEST_F(Ratings, ErrorBandGivesErrForEveryTypeNumber) {
    BandArray b = onSheet(13, kThird, 50);
    b(30) = kErrorValue;
    for (int type = -1; type <= 21; ++type)
        EXPECT_EQ(CalcSummary(type, b, 13, kThird), "#ERR");
    BandArray o = onSheet(14, kOctave, 50);
    o(1) = kErrorValue;
    o(2) = kMarked;
    EXPECT_EQ(rate("Max", o, 14, kOctave), "#ERR");
}

TEST_F(Ratings, UnknownTypesGiveNoRating) {
    const BandArray b = onSheet(13, kThird, 50);
    for (int type : {0, 20, -5, 1000})
        EXPECT_EQ(CalcSummary(type, b, 13, kThird), "") << type;
    EXPECT_EQ(rate("dba", b, 13, kThird), "");
    EXPECT_EQ(rate(" dBA", b, 13, kThird), "");
    EXPECT_EQ(rate("dBA", b, 13, kThird), "61.9 dBA");
}

TEST_F(Ratings, LevelSumsAndExtremes) {
    BandArray twoFifties = onSheet(13, kThird, kNoValue, {{20, 50}, {30, 50}});
    BandArray oneFifty = onSheet(13, kThird, kMarked, {{20, 50}});
    BandArray markers = onSheet(13, kThird, kNoValue, {{20, kMarked}});
    // Bands below 10 Hz carry no A or C weight, whatever their level.
    BandArray infrasound = onSheet(1, kThird, kNoValue, {{1, 140}, {8, 140}, {29, 60}});
    BandArray mixed = onSheet(14, kOctave, kNoValue, {{14, 12.3}, {17, kMarked}, {20, 7}});
    BandArray negatives = onSheet(14, kOctave, kNoValue, {{14, -1200}, {17, -1001.25}});
    // 1 kHz octave from its three third-octaves, 60 dB each.
    BandArray oct = onSheet(14, kOctave, kNoValue, {{29, 60}});
    runCases({
        {"empty", "dBL", markers, 13, kThird, ""},
        {"one band", "dBL", oneFifty, 13, kThird, "50.0 dBL"},
        {"two bands", "dBL", twoFifties, 13, kThird, "53.0 dBL"},
        {"infrasound A", "dBA", infrasound, 1, kThird, "60.0 dBA"},
        {"infrasound C", "dBC", infrasound, 1, kThird, "60.0 dBC"},
        {"infrasound L", "dBL", infrasound, 1, kThird, "143.0 dBL"},
        {"A at 125 Hz", "dBA", onSheet(14, kOctave, kNoValue, {{20, 80}}), 14, kOctave, "63.9 dBA"},
        {"C at 31.5 Hz", "dBC", onSheet(14, kOctave, kNoValue, {{14, 80}}), 14, kOctave,
         "77.0 dBC"},
        {"octave A", "dBA", oct, 14, kOctave, "60.0 dBA"},
        {"max", "Max", mixed, 14, kOctave, "12.3 Max"},
        {"min", "Min", mixed, 14, kOctave, "7.0 Min"},
        {"max empty", "Max", markers, 13, kThird, ""},
        {"min empty", "Min", markers, 13, kThird, ""},
        // Levels below the no-value marker are still levels.
        {"max below -999", "Max", negatives, 14, kOctave, "-1001.3 Max"},
        {"min below -999", "Min", negatives, 14, kOctave, "-1200.0 Min"},
        {"negative rounds to zero", "Max", onSheet(14, kOctave, -0.04), 14, kOctave, "0.0 Max"},
        // 63.05 lies just below in binary; the shown value rounds up.
        {"decimal half", "Max", onSheet(14, kOctave, 63.05), 14, kOctave, "63.1 Max"},
    });
}

TEST_F(Ratings, BandsOffTheBandTableHaveNoValue) {
    // First band 40 puts octave bands 4 to 10 past 80 kHz.
    BandArray b = onSheet(40, kOctave, 70);
    EXPECT_EQ(rate("dBL", b, 40, kOctave), "74.8 dBL");
    EXPECT_EQ(rate("Max", b, 40, kOctave), "70.0 Max");
    b(1) = 90;
    EXPECT_EQ(rate("Max", b, 40, kOctave), "90.0 Max");
    BandArray c = onSheet(-5, kThird, 70);
    EXPECT_EQ(rate("dBL", c, -5, kThird), "83.8 dBL"); // 24 bands on the table
    EXPECT_EQ(rate("dBA", c, 2000000000, kThird), "");
    for (const char* t : {"NR", "NC", "PNC", "RC", "NRC", "STC", "Rw", "Ln,w", "IIC", "Ctr"})
        EXPECT_EQ(rate(t, b, -2147483647 - 1, kOctave), "") << t;
}

TEST_F(Ratings, AbsurdLevelsOverflowOrRate) {
    BandArray loud = onSheet(14, kOctave, 50, {{29, 4000}});
    EXPECT_EQ(rate("dBL", loud, 14, kOctave), "Overflow");
    EXPECT_EQ(rate("dBA", loud, 14, kOctave), "Overflow");
    EXPECT_EQ(rate("Max", loud, 14, kOctave), "4000.0 Max");
    BandArray third = onSheet(13, kThird, 50, {{29, 4000}});
    for (const char* t : {"NR", "NC", "PNC", "RC"})
        EXPECT_EQ(rate(t, third, 13, kThird), "Overflow");
    // An octave level rates without an energy sum; too large to show as NR.
    BandArray huge = onSheet(14, kOctave, 50, {{29, 1e300}});
    EXPECT_EQ(rate("NR", huge, 14, kOctave), "Overflow");
    EXPECT_EQ(rate("Max", huge, 14, kOctave), "Overflow");
    EXPECT_EQ(rate("NRC", onSheet(20, kOctave, 1e300), 20, kOctave), "Overflow");
    EXPECT_EQ(rate("Min", onSheet(14, kOctave, -1e300), 14, kOctave), "Overflow");
    EXPECT_EQ(rate("NR", onSheet(14, kOctave, 50, {{29, 1e12}}), 14, kOctave), "NR 1000000000000");
    BandArray quiet = onSheet(13, kThird, -1e12);
    EXPECT_EQ(rate("dBL", quiet, 13, kThird), "");
    EXPECT_EQ(rate("Min", quiet, 13, kThird), "-1000000000000.0 Min");
    // A triple whose energies vanish has no level at all: not "below every
    // curve" but a failure, even beside an octave that rates.
    for (const char* t : {"NR", "NC", "PNC", "RC"}) {
        EXPECT_EQ(rate(t, quiet, 13, kThird), "Overflow") << t;
        EXPECT_EQ(rate(t, onSheet(13, kThird, -4000, {{13, 40}, {14, 40}, {15, 40}}), 13, kThird),
                  "Overflow")
            << t;
    }
    // Far down, but one band of the triple still holds energy.
    BandArray faint = onSheet(13, kThird, -4000, {{13, 40}, {14, 40}, {15, 40}});
    for (int p = 4; p <= 30; p += 3)
        faint(p) = -3200;
    EXPECT_EQ(rate("NR", faint, 13, kThird), "NR -16");
}

TEST_F(Ratings, NoiseReductionCoefficient) {
    BandArray oct = onSheet(20, kOctave, 0.3, {{23, 0.5}, {26, 0.8}, {29, 0.9}, {32, 0.95}});
    BandArray ones = onSheet(20, kOctave, 1.0);
    BandArray third = onSheet(16, kThird, 0.2);
    for (int i = 22; i <= 33; ++i)
        third(i - 15) = 0.35 + (i - 22) * 0.01; // mean 0.405
    BandArray markedThird = third;
    markedThird(33 - 15) = kMarked;
    runCases({
        {"rounded to 0.05", "NRC", oct, 20, kOctave, "NRC .80"},
        {"all ones", "NRC", ones, 20, kOctave, "NRC 1.00"},
        {"rounded down", "NRC", third, 16, kThird, "NRC .40"},
        // Octave 250 Hz at position 7 is past the bound, although 4 bands fit.
        {"250 Hz at 7", "NRC", onSheet(5, kOctave, 0.5), 5, kOctave, ""},
        {"250 Hz at 6", "NRC", onSheet(8, kOctave, 0.5), 8, kOctave, "NRC .50"},
        // Third-octave sheets must reach 3150 Hz, not only 2500 Hz.
        {"ends at 2500", "NRC", onSheet(4, kThird, 0.5), 4, kThird, ""},
        {"ends at 3150", "NRC", onSheet(5, kThird, 0.5), 5, kThird, "NRC .50"},
        {"starts above 200", "NRC", onSheet(23, kThird, 0.5), 23, kThird, ""},
        {"marked band", "NRC", markedThird, 16, kThird, ""},
        {"zero", "NRC", onSheet(20, kOctave, 0.01), 20, kOctave, "NRC .00"},
    });
    // Means halfway between two steps of 0.05 round up.
    EXPECT_EQ(rate("NRC", onSheet(20, kOctave, 0.375), 20, kOctave), "NRC .40");
    EXPECT_EQ(rate("NRC", onSheet(20, kOctave, 0.125), 20, kOctave), "NRC .15");
}

TEST_F(Ratings, NoiseRating) {
    BandArray at35 = onSheet(14, kOctave, 0, {{29, 35}});
    BandArray marked = onSheet(14, kOctave, 0, {{29, kMarked}, {26, 40}});
    BandArray none = onSheet(14, kOctave, kNoValue, {{29, kMarked}});
    // NR 50 at 31.5 Hz is 89.45 dB; 8 kHz 43.5 dB.
    BandArray low = onSheet(14, kOctave, 0, {{14, 89.45}});
    BandArray high = onSheet(14, kOctave, 0, {{38, 43.5}});
    // Third-octave from 1.6 Hz: the 1 kHz triple starts at position 28.
    BandArray lateTriple = onSheet(1, kThird, 0, {{28, 80}, {29, 80}, {30, 80}});
    BandArray thirdNR = onSheet(13, kThird, 0, {{28, 30}, {29, 30}, {30, 30}});
    BandArray gap = thirdNR;
    gap(30 - 12) = kNoValue;
    runCases({
        {"1 kHz", "NR", at35, 14, kOctave, "NR 35"},
        {"marked 1 kHz", "NR", marked, 14, kOctave, "NR 36"}, // (40 - 4.8) / .974
        {"no bands", "NR", none, 14, kOctave, ""},
        {"31.5 Hz", "NR", low, 14, kOctave, "NR 50"},
        {"8 kHz", "NR", high, 14, kOctave, "NR 50"},
        {"triple at 28", "NR", lateTriple, 1, kThird, "NR 0"},
        {"third-octave", "NR", thirdNR, 13, kThird, "NR 35"},       // 34.77 dB
        {"missing band of triple", "NR", gap, 13, kThird, "NR 12"}, // 8 kHz
        {"octave sheet from 63 Hz", "NR", onSheet(17, kOctave, 0, {{29, 35}}), 17, kOctave,
         "NR 35"},
    });
}

TEST_F(Ratings, CriterionCurves) {
    auto ncRow = [](int r, double add = 0) {
        std::map<int, double> m;
        for (int k = 1; k <= 8; ++k)
            m[14 + 3 * k] = gNCCurves[static_cast<size_t>(r)][k] + add;
        return m;
    };
    BandArray nc35 = onSheet(17, kOctave, 0, {{29, 36}});
    BandArray between = onSheet(17, kOctave, 0, {{29, 38.5}}); // NC 37.5
    BandArray justAbove = onSheet(17, kOctave, 0, {{29, 36.0001}});
    BandArray over = onSheet(17, kOctave, 0, {{17, 84}, {29, 40}});
    BandArray under = onSheet(17, kOctave, 10);
    BandArray topRow = onSheet(17, kOctave, 0, ncRow(12));
    BandArray bottomRow = onSheet(17, kOctave, 0, ncRow(1));
    // A third-octave sheet is summed into octaves: three bands make 36 dB.
    const double part = 36 - 10 * std::log10(3.0);
    BandArray third = onSheet(16, kThird, 0, {{28, part}, {29, part}, {30, part}});
    BandArray pnc8k = onSheet(14, kOctave, 0, {{38, 59}});
    BandArray pnc40 = onSheet(14, kOctave, 0, {{14, 64}});
    runCases({
        {"on NC35", "NC", nc35, 17, kOctave, "NC 35"},
        {"between", "NC", between, 17, kOctave, "NC 38"},
        {"just above", "NC", justAbove, 17, kOctave, "NC 36"},
        {"above NC70", "NC", over, 17, kOctave, "NC ***"},
        {"below NC15", "NC", under, 17, kOctave, ""},
        {"NC70 row", "NC", topRow, 17, kOctave, "NC 70"},
        {"NC15 row", "NC", bottomRow, 17, kOctave, "NC 15"},
        {"third-octave", "NC", third, 16, kThird, "NC 35"},
        {"sheet from 31.5 Hz", "NC", onSheet(14, kOctave, 0, {{29, 36}}), 14, kOctave, "NC 35"},
        {"PNC 8 kHz over", "PNC", pnc8k, 14, kOctave, "PNC ***"},
        {"PNC 31.5 Hz", "PNC", pnc40, 14, kOctave, "PNC 40"},
        {"PNC below", "PNC", onSheet(14, kOctave, 5), 14, kOctave, ""},
    });
}

TEST_F(Ratings, RoomCriterion) {
    runCases({
        {"1 kHz 35", "RC", onSheet(11, kOctave, 0, {{29, 35}}), 11, kOctave, "RC 36"},
        {"1 kHz 35.7", "RC", onSheet(11, kOctave, 0, {{29, 35.7}}), 11, kOctave, "RC 36"},
        {"31.5 Hz 45", "RC", onSheet(11, kOctave, 0, {{14, 70}}), 11, kOctave, "RC ***"},
        {"31.5 Hz 40", "RC", onSheet(11, kOctave, 0, {{14, 65}}), 11, kOctave, "RC 41"},
        {"16 Hz 36", "RC", onSheet(11, kOctave, 0, {{11, 66}}), 11, kOctave, "RC ***"},
        {"16 Hz 35", "RC", onSheet(11, kOctave, 0, {{11, 65}}), 11, kOctave, "RC 36"},
        {"over 50", "RC", onSheet(11, kOctave, 0, {{38 - 3, 40.5}}), 11, kOctave, "RC ***"},
        // Ties go to the lower octave: 31.5 Hz at 45 beside 1 kHz at 45.
        {"tie", "RC", onSheet(11, kOctave, 0, {{14, 70}, {29, 45}}), 11, kOctave, "RC ***"},
        {"none", "RC", onSheet(11, kOctave, kMarked), 11, kOctave, ""},
        {"third-octave", "RC", onSheet(10, kThird, 0, {{29, 35}}), 10, kThird, "RC 36"},
    });
}

} // namespace
