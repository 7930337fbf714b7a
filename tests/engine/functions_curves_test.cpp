#include "tables/globals.h"
#include "tests/engine/function_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace function_tests;

constexpr Sheet kOctaveFrom31{10, 14}; // 31.5 Hz .. 16 kHz
constexpr Sheet kOctaveFrom16{10, 11}; // 16 Hz .. 8 kHz
constexpr Sheet kOctaveFrom63{10, 17}; // 63 Hz .. 31.5 kHz
constexpr Sheet kThirdFrom16{30, 11};  // 16 Hz .. 12.5 kHz: band j is table row j + 10

Out curve(Body fn, double rating, Sheet sheet) {
    ArgMatrix m;
    m.addColumn().v.fill(rating);
    Out o;
    o.band.v.fill(12345);
    o.msg = fn(m, 1, o.band, sheet.bandCount, sheet.firstBand);
    return o;
}

// Band j of kThirdFrom16 that lies on band-table row t.
int third(int t) {
    return t - 10;
}

class Curves : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

struct Named {
    Body fn;
    const char* name;
};
const Named kAll[] = {{fnNR, "NR"}, {fnNC, "NC"},   {fnRC, "RC"},    {fnSTC, "STC"},
                      {fnRw, "Rw"}, {fnPNC, "PNC"}, {fnLnw, "Ln,w"}, {fnIIC, "IIC"}};

TEST_F(Curves, ArgumentCounts) {
    for (const Named& f : kAll) {
        for (int n : {2, 3}) {
            ArgMatrix m;
            for (int a = 1; a <= n; ++a)
                m.addColumn().v.fill(40);
            const Out o = callByName(f.name, m, kThirdFrom16);
            EXPECT_EQ(o.msg, std::string("Wrong number of parameters - ") + f.name);
            for (int j = 1; j <= 30; ++j)
                EXPECT_EQ(o.band(j), 12345);
        }
        EXPECT_EQ(curve(f.fn, 40, kThirdFrom16).msg, "") << f.name;
    }
}

// A marker in the rating passes through in its band, wherever the band lies;
// the other bands draw the curve of their own rating.
TEST_F(Curves, MarkersPassThroughPerBand) {
    for (const Named& f : kAll) {
        ArgMatrix m;
        m.addColumn().v.fill(40);
        m(1, 1) = -998;  // 16 Hz: no curve reaches it
        m(16, 1) = -997; // 500 Hz
        m(17, 1) = -999; // 630 Hz
        m(18, 1) = 45;   // 800 Hz
        BandArray r;
        ASSERT_EQ(f.fn(m, 1, r, 30, 11), "");
        EXPECT_EQ(r(1), -998) << f.name;
        EXPECT_EQ(r(16), -997) << f.name;
        EXPECT_EQ(r(17), -999) << f.name;
        const Out at45 = curve(f.fn, 45, kThirdFrom16);
        const Out at40 = curve(f.fn, 40, kThirdFrom16);
        EXPECT_EQ(r(18), at45.band(18)) << f.name;
        EXPECT_EQ(r(19), at40.band(19)) << f.name;
    }
}

TEST_F(Curves, NoiseRating) {
    Out o = curve(fnNR, 30, kOctaveFrom31);
    ASSERT_EQ(o.msg, "");
    for (int k = 1; k <= 9; ++k)
        EXPECT_DOUBLE_EQ(o.band(k), gNRa[k] + gNRb[k] * 30) << k;
    EXPECT_EQ(o.band(6), 30); // 1 kHz
    EXPECT_EQ(o.band(10), -999);
    o = curve(fnNR, 30, kOctaveFrom16);
    EXPECT_EQ(o.band(1), -999);
    EXPECT_DOUBLE_EQ(o.band(2), 55.4 + 0.681 * 30);

    o = curve(fnNR, 50, kOctaveFrom31);
    EXPECT_NEAR(o.band(1), 89.45, 1e-12);
    EXPECT_NEAR(o.band(9), 43.5, 1e-12);

    // Third-octaves take the octave that holds them: 25 to 40 Hz is 31.5 Hz.
    o = curve(fnNR, 20, kThirdFrom16);
    EXPECT_EQ(o.band(third(12)), -999);
    for (int t : {13, 14, 15})
        EXPECT_DOUBLE_EQ(o.band(third(t)), 55.4 + 0.681 * 20) << t;
    for (int t : {37, 38, 39})
        EXPECT_DOUBLE_EQ(o.band(third(t)), -8 + 1.03 * 20) << t;
    EXPECT_EQ(o.band(third(40)), -999);
    // Any rating is valid.
    EXPECT_DOUBLE_EQ(curve(fnNR, -10, kOctaveFrom31).band(6), -10);
    EXPECT_DOUBLE_EQ(curve(fnNR, 140, kOctaveFrom31).band(6), 140);
}

TEST_F(Curves, NoiseCriterionAndPreferredNoiseCriterion) {
    Out o = curve(fnNC, 35, kThirdFrom16);
    ASSERT_EQ(o.msg, "");
    for (int t = 11; t <= 15; ++t)
        EXPECT_EQ(o.band(third(t)), -999) << t;
    for (int t : {16, 17, 18})
        EXPECT_EQ(o.band(third(t)), 60) << t;
    for (int t : {37, 38, 39})
        EXPECT_EQ(o.band(third(t)), 32) << t;
    EXPECT_EQ(o.band(third(40)), -999);

    o = curve(fnNC, 70, kOctaveFrom63);
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(o.band(k), gNCCurves[12][k]) << k;
    EXPECT_EQ(o.band(4), 73);
    o = curve(fnNC, 15, kOctaveFrom63);
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(o.band(k), gNCCurves[1][k]) << k;
    o = curve(fnNC, 37.5, kOctaveFrom63);
    for (int k = 1; k <= 8; ++k)
        EXPECT_DOUBLE_EQ(o.band(k), (gNCCurves[5][k] + gNCCurves[6][k]) / 2) << k;
    o = curve(fnNC, 69, kOctaveFrom63);
    for (int k = 1; k <= 8; ++k)
        EXPECT_NEAR(o.band(k), gNCCurves[11][k] + 0.8 * (gNCCurves[12][k] - gNCCurves[11][k]),
                    1e-12);

    o = curve(fnPNC, 65, kOctaveFrom31);
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(o.band(k), gPNCCurves[11][k]) << k;
    o = curve(fnPNC, 40, kOctaveFrom31);
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(o.band(k), gPNCCurves[6][k]) << k;
    EXPECT_EQ(o.band(10), -999);
    o = curve(fnPNC, 22, kThirdFrom16);
    for (int t : {13, 14, 15})
        EXPECT_NEAR(o.band(third(t)), 59 + 0.4 * (60 - 59), 1e-12) << t; // 31.5 Hz octave
    EXPECT_EQ(o.band(third(12)), -999);

    // Outside the tabulated ratings no band has a value.
    for (const auto& [fn, rating] : std::vector<std::pair<Body, double>>{
             {fnNC, 71}, {fnNC, 14.9}, {fnNC, 70.0001}, {fnPNC, 65.1}, {fnPNC, 14.99}}) {
        o = curve(fn, rating, kThirdFrom16);
        for (int j = 1; j <= 30; ++j)
            EXPECT_EQ(o.band(j), -999) << rating << " band " << j;
    }
}

TEST_F(Curves, RoomCriterion) {
    // Octaves 16 Hz .. 8 kHz; 5 dB per octave through N at 1 kHz.
    Out o = curve(fnRC, 45, kOctaveFrom16);
    ASSERT_EQ(o.msg, "");
    EXPECT_EQ(o.band(1), -999);
    EXPECT_EQ(o.band(2), -999);
    EXPECT_EQ(o.band(3), 65);
    EXPECT_EQ(o.band(7), 45);
    EXPECT_EQ(o.band(9), 35);
    EXPECT_EQ(o.band(10), -999);

    struct Case {
        double rating, at16, at31;
    };
    const Case lowOctaves[] = {
        {35, 65, 60}, {30, -999, 55}, {40, -999, 65}, {29.9, -999, -999}, {40.1, -999, -999}};
    for (const Case& c : lowOctaves) {
        o = curve(fnRC, c.rating, kOctaveFrom16);
        EXPECT_EQ(o.band(1), c.at16) << c.rating;
        EXPECT_EQ(o.band(2), c.at31) << c.rating;
        EXPECT_EQ(o.band(3), c.rating + 20) << c.rating;
    }
    EXPECT_EQ(curve(fnRC, 25, kOctaveFrom16).band(9), 15);
    EXPECT_EQ(curve(fnRC, 50, kOctaveFrom16).band(3), 70);
    for (double rating : {24.9, 50.1}) {
        o = curve(fnRC, rating, kThirdFrom16);
        for (int j = 1; j <= 30; ++j)
            EXPECT_EQ(o.band(j), -999) << rating;
    }
    // Third-octaves 12.5 to 20 Hz belong to the 16 Hz octave.
    o = curve(fnRC, 35, kThirdFrom16);
    EXPECT_EQ(o.band(third(10 + 1)), 65);
    EXPECT_EQ(o.band(third(12)), 65);
    EXPECT_EQ(o.band(third(36)), 25);
    EXPECT_EQ(o.band(third(37)), -999);
}

TEST_F(Curves, AirborneInsulationContours) {
    Out o = curve(fnSTC, 52, kThirdFrom16);
    EXPECT_EQ(o.band(third(26)), 52);   // 500 Hz
    EXPECT_EQ(o.band(third(19)), -999); // 100 Hz
    EXPECT_EQ(o.band(third(20)), 36);   // 125 Hz
    EXPECT_EQ(o.band(third(35)), 56);   // 4 kHz
    EXPECT_EQ(o.band(third(36)), -999);
    o = curve(fnRw, 52, kThirdFrom16);
    EXPECT_EQ(o.band(third(19)), 33);
    EXPECT_EQ(o.band(third(34)), 56);
    EXPECT_EQ(o.band(third(35)), -999);
    EXPECT_EQ(o.band(third(18)), -999);
    for (int t = 19; t <= 34; ++t)
        EXPECT_EQ(o.band(third(t)), 52 + gSTCContour[t - 19] - 40);

    // Octaves: STC six from 125 Hz to 4 kHz, Rw five to 2 kHz.
    const double stc[] = {-999, 36, 45, 52, 55, 56, 56, -999, -999, -999};
    const double rw[] = {-999, 36, 45, 52, 55, 56, -999, -999, -999, -999};
    const Out s = curve(fnSTC, 52, kOctaveFrom63);
    const Out r = curve(fnRw, 52, kOctaveFrom63);
    for (int j = 1; j <= 10; ++j) {
        EXPECT_EQ(s.band(j), stc[j - 1]) << j;
        EXPECT_EQ(r.band(j), rw[j - 1]) << j;
    }
}

TEST_F(Curves, ImpactReferenceCurves) {
    Out o = curve(fnLnw, 60, kThirdFrom16);
    for (int t = 19; t <= 34; ++t)
        EXPECT_EQ(o.band(third(t)), gImpactRefThird[t - 18]) << t;
    EXPECT_EQ(o.band(third(18)), -999);
    EXPECT_EQ(o.band(third(35)), -999);
    o = curve(fnIIC, 60, kThirdFrom16);
    for (int t = 19; t <= 34; ++t)
        EXPECT_EQ(o.band(third(t)), gIICContour[t - 18]) << t;
    EXPECT_EQ(curve(fnIIC, 50, kThirdFrom16).band(third(26)), 60);
    EXPECT_EQ(curve(fnLnw, 55, kThirdFrom16).band(third(26)), 55);

    // Octaves: Ln,w reads its own octave values, IIC the contour at the centres.
    const double lnw[] = {-999, 67, 67, 65, 62, 49, -999, -999, -999, -999};
    const double iic[] = {-999, 52, 52, 50, 47, 38, -999, -999, -999, -999};
    const Out l = curve(fnLnw, 60, kOctaveFrom63);
    const Out i = curve(fnIIC, 60, kOctaveFrom63);
    for (int j = 1; j <= 10; ++j) {
        EXPECT_EQ(l.band(j), lnw[j - 1]) << j;
        EXPECT_EQ(i.band(j), iic[j - 1]) << j;
    }
    EXPECT_EQ(curve(fnIIC, 70, kOctaveFrom63).band(4), 40);
}

TEST_F(Curves, NoValueBeyondTheBandTableAndNoInfinity) {
    for (const Named& f : kAll) {
        const Out o = curve(f.fn, 40, Sheet{30, 40}); // bands 10 .. 30 lie past 80 kHz
        for (int j = 10; j <= 30; ++j)
            EXPECT_EQ(o.band(j), -999) << f.name;
    }
    EXPECT_EQ(curve(fnNR, 1.75e308, kOctaveFrom31).msg, "Overflow");
}

TEST_F(Curves, ThroughFormulas) {
    EXPECT_EQ(formula("NC(35)", kOctaveFrom63).band(1), 60);
    EXPECT_EQ(formula("nc( 35 )", kOctaveFrom63).band(8), 32);
    EXPECT_EQ(formula("Ln,w(60)", kOctaveFrom63).band(2), 67);
    EXPECT_EQ(formula("LN,W(60)", kOctaveFrom63).band(6), 49);
    EXPECT_EQ(formula("IIC(50)", kThirdFrom16).band(third(26)), 60);
    EXPECT_EQ(formula("Rw(52)", kThirdFrom16).band(third(19)), 33);
    EXPECT_EQ(formula("RC(40) - 5", kOctaveFrom16).band(7), 35);
    EXPECT_EQ(formula("PNC(s1)", kOctaveFrom31, -998).band(10), -998);
    EXPECT_EQ(formula("NR(s1)", kOctaveFrom31, 40).band(6), 40);
    struct Refused {
        const char* text;
        const char* msg;
    };
    const Refused refused[] = {
        {"STC(52, 1)", "Wrong number of parameters - STC"},
        {"ln,w(60,)", "Wrong number of parameters - Ln,w"},
        {"nr(1,2,3)", "Wrong number of parameters - NR"},
        {"Pnc(s1, s1)", "Wrong number of parameters - PNC"},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(formula(r.text, kOctaveFrom31).msg, r.msg);
    EXPECT_EQ(formula("NR(1E300) * 1E300", kOctaveFrom31).msg, "Overflow");
}

} // namespace
