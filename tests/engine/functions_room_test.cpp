#include "tables/globals.h"
#include "tests/engine/function_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

using namespace function_tests;

constexpr Sheet kOctaveFrom63{10, 17}; // 63 Hz .. 31.5 kHz; 1 kHz is band 5
constexpr Sheet kThirdFrom20{30, 12};  // 20 Hz .. 16 kHz

using function_tests::call;
Out call(Body fn, const ArgMatrix& args) {
    return call(fn, args, kOctaveFrom63);
}

class Room : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(Room, ArgumentCounts) {
    struct Case {
        Body fn;
        const char* name;
        std::vector<int> accepted, refused;
    };
    const Case cases[] = {
        {fnCompTL, "CompTL", {2, 4, 6, 8}, {1, 3, 5, 7}},
        {fnDnT, "DnT", {3}, {1, 2, 4}},
        {fnPlen, "Plen", {3, 4, 5}, {1, 2, 6}},
        {fnRmC, "RmC", {2, 4}, {1, 3, 5}},
    };
    for (const Case& c : cases) {
        for (int n : c.accepted) {
            ArgMatrix m;
            for (int a = 1; a <= n; ++a)
                m.addColumn().v.fill(a == 3 && c.fn == fnPlen ? 0.5 : 1);
            const Out o = call(c.fn, m);
            EXPECT_EQ(o.msg, "") << c.name << " with " << n;
            EXPECT_NE(o.band(1), 12345) << c.name << " with " << n;
        }
        for (int n : c.refused) {
            ArgMatrix m;
            for (int a = 1; a <= n; ++a)
                m.addColumn().v.fill(1);
            const Out o = callByName(c.name, m, kOctaveFrom63);
            EXPECT_EQ(o.msg, std::string("Wrong number of parameters - ") + c.name);
            for (int j = 1; j <= 10; ++j)
                EXPECT_EQ(o.band(j), 12345) << c.name;
        }
    }
}

// Markers: CompTL and DnT count the missing values (all missing: -999, some:
// -998), Plen and RmC take the greatest marker; an error always wins.
TEST_F(Room, Markers) {
    struct Case {
        Body fn;
        std::vector<double> args;
        double expected;
    };
    const Case cases[] = {
        {fnCompTL, {1, -999}, -999},
        {fnCompTL, {1, 40, 1, -999}, -998},
        {fnCompTL, {-999, 40, 1, -999}, -999},
        {fnCompTL, {1, 40, 1, -998}, -998},
        {fnCompTL, {1, 40, 1, -997}, -997},
        {fnCompTL, {1, -999, 1, -997}, -997},
        {fnCompTL, {-999, -999, -997, 30}, -997}, // error beside missing values
        {fnCompTL, {-998, -999, -999, -999}, -999},
        {fnDnT, {-999, -999, -999}, -999},
        {fnDnT, {70, -999, 1}, -998},
        {fnDnT, {-999, -999, 1}, -998},
        {fnDnT, {70, 30, -998}, -998},
        {fnDnT, {-999, -999, -997}, -997},
        {fnDnT, {-997, 30, 0.5}, -997},
        {fnPlen, {-999, 10, 0.5}, -999},
        {fnPlen, {1, -998, 0.5, -999}, -998},
        {fnPlen, {1, 10, -999, 2, -997}, -997},
        {fnPlen, {0, 10, 0.5, -999}, -999}, // the marker comes before the domain
        {fnRmC, {-999, 1}, -999},
        {fnRmC, {100, -998, -999, 1}, -998},
        {fnRmC, {-999, 1, 1, -997}, -997},
    };
    for (const Case& c : cases) {
        ArgMatrix m;
        for (double v : c.args)
            m.addColumn().v.fill(v);
        const Out o = call(c.fn, m, kThirdFrom20);
        ASSERT_EQ(o.msg, "");
        for (int j = 1; j <= 30; ++j)
            EXPECT_EQ(o.band(j), c.expected) << "band " << j;
    }
}

// Zero or negative areas, volumes, distances and reverberation times, and
// absorption coefficients outside (0, 1), mark the band as an error.
TEST_F(Room, ArgumentsOutsideTheDomainGiveErrorBands) {
    struct Case {
        Body fn;
        std::vector<double> args;
    };
    const Case cases[] = {
        {fnCompTL, {0, 40, 0, 30}},  // no area at all
        {fnCompTL, {-1, 40, 2, 30}}, // a negative area
        {fnDnT, {70, 30, 0}},
        {fnDnT, {70, 30, -1}},
        {fnPlen, {0, 10, 0.5}},
        {fnPlen, {1, 0, 0.5}},
        {fnPlen, {1, 10, 0}},
        {fnPlen, {1, 10, 1}},
        {fnPlen, {1, 10, 1.2}},
        {fnPlen, {1, 10, 0.5, 0}},
        {fnPlen, {1, 10, 0.5, -2}},
        {fnPlen, {1, 10, 0.5, 2, 95}},
        {fnPlen, {1, 10, 0.5, 2, -90.5}},
        {fnPlen, {1, 10, 0.5, 0, 45}},
        {fnRmC, {0, 1}},
        {fnRmC, {-100, 1}},
        {fnRmC, {100, 0}},
        {fnRmC, {100, 1, 0, 1}},
        {fnRmC, {100, 1, 1, -1}},
    };
    for (const Case& c : cases) {
        ArgMatrix m;
        for (double v : c.args)
            m.addColumn().v.fill(v);
        const Out o = call(c.fn, m);
        ASSERT_EQ(o.msg, "");
        for (int j = 1; j <= 10; ++j)
            EXPECT_EQ(o.band(j), -997) << "band " << j;
    }
}

// Composite transmission loss: the areas' share of the transmitted power.
TEST_F(Room, CompositeTransmissionLoss) {
    Out o = call(fnCompTL, constants({0.9, 40, 0.1, 20}));
    ASSERT_EQ(o.msg, "");
    for (int j = 1; j <= 10; ++j)
        EXPECT_NEAR(o.band(j), 29.626, 5e-4);

    struct Case {
        std::vector<double> areaTl;
    };
    const Case cases[] = {{{10, 52}},
                          {{12, 45, 2, 25}},
                          {{8, 55, 1.5, 30, 0.02, 0}},
                          {{0, 10, 3, 40}}}; // a section without area drops out
    for (const Case& c : cases) {
        ArgMatrix m;
        for (double v : c.areaTl)
            m.addColumn().v.fill(v);
        double area = 0, tau = 0;
        for (size_t i = 0; i < c.areaTl.size(); i += 2) {
            area += c.areaTl[i];
            tau += c.areaTl[i] * std::pow(10.0, -c.areaTl[i + 1] / 10);
        }
        o = call(fnCompTL, m);
        ASSERT_EQ(o.msg, "");
        EXPECT_NEAR(o.band(3), -10 * lg(tau / area), 1e-9);
    }
    // No transmitted power at all is no value.
    EXPECT_EQ(call(fnCompTL, constants({1, 4000})).band(1), -999);

    // Band by band.
    ArgMatrix m = constants({1, 40, 1, 40});
    m(2, 4) = 20;
    m(3, 2) = -999;
    o = call(fnCompTL, m);
    EXPECT_NEAR(o.band(1), 40, 1e-9);
    EXPECT_NEAR(o.band(2), -10 * lg((1e-4 + 1e-2) / 2), 1e-9);
    EXPECT_EQ(o.band(3), -998);
}

// Standardised level difference (ISO 16283-1): D + 10 lg(T / 0.5 s).
TEST_F(Room, StandardisedLevelDifference) {
    EXPECT_NEAR(call(fnDnT, constants({70, 30, 0.5})).band(1), 40, 1e-12);
    EXPECT_NEAR(call(fnDnT, constants({70, 30, 1})).band(1), 43.0103, 5e-5);
    EXPECT_NEAR(call(fnDnT, constants({55, 62, 2})).band(7), -7 + 10 * lg(4), 1e-12);
}

// Plenum insertion loss (Wells): -10 lg[So (cos(theta) / (2 pi d^2) + (1 - a) / (a S))].
TEST_F(Room, PlenumInsertionLoss) {
    EXPECT_NEAR(call(fnPlen, constants({1, 10, 0.5})).band(1), 10, 1e-12);
    struct Case {
        double so, s, alpha, d, theta;
    };
    const Case cases[] = {
        {0.5, 12, 0.3, 2, 45}, {0.2, 6, 0.8, 1, 0}, {1, 30, 0.05, 3, -60}, {0.3, 8, 0.5, 1.5, 90}};
    for (const Case& c : cases) {
        const double wells =
            -10 * lg(c.so * (std::cos(c.theta * kPi / 180) / (2 * kPi * c.d * c.d) +
                             (1 - c.alpha) / (c.alpha * c.s)));
        const Out o = call(fnPlen, constants({c.so, c.s, c.alpha, c.d, c.theta}));
        ASSERT_EQ(o.msg, "");
        EXPECT_NEAR(o.band(1), wells, 1e-4) << c.so << " " << c.theta;
        if (c.theta == 0) {
            EXPECT_NEAR(call(fnPlen, constants({c.so, c.s, c.alpha, c.d})).band(1), wells, 1e-4);
        }
    }
}

// The Part's own grid loop, kept here to compare with: it visits i2 >= i1 only.
double halfGridSum(double a, double b, double r) {
    const double A = (a / (2 * r)) * (a / (2 * r)), B = (b / (2 * r)) * (b / (2 * r));
    double sum = 0;
    for (int i1 = 1; i1 <= 100; ++i1) {
        const double x = (i1 - 0.5) / 100;
        for (int i2 = i1; i2 <= 100; ++i2) {
            const double y = (i2 - 0.5) / 100;
            const double term = 1 / std::sqrt(1 + A * x * x + B * y * y);
            sum += i2 == i1 ? term : 2 * term;
        }
    }
    return sum;
}

// Room correction: Schultz's 12 - 5 lg V - 3 lg f - 10 lg r for a point
// source; a rectangular source adds the mean of its extent over a grid.
TEST_F(Room, RoomCorrection) {
    Out o = call(fnRmC, constants({100, 1}));
    ASSERT_EQ(o.msg, "");
    EXPECT_NEAR(o.band(5), -7, 1e-12); // 1 kHz
    const double freq[] = {63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 31500};
    o = call(fnRmC, constants({250, 3}));
    for (int j = 1; j <= 10; ++j)
        EXPECT_NEAR(o.band(j), 12 - 5 * lg(250) - 3 * lg(freq[j - 1]) - 10 * lg(3), 1e-12) << j;

    // A small source is a point source.
    const Out point = call(fnRmC, constants({100, 2}));
    o = call(fnRmC, constants({100, 2, 0.01, 0.01}));
    EXPECT_NEAR(o.band(4), point.band(4), 1e-4);

    // Square source: the full grid gives what the half-grid loop gives.
    o = call(fnRmC, constants({100, 2, 3, 3}));
    EXPECT_NEAR(o.band(4), point.band(4) + 10 * lg(halfGridSum(3, 3, 2) / 10000), 1e-12);

    // The sides may come in either order. The half-grid loop would give
    // -1.00 dB one way round and -2.11 dB the other, around the full grid's -1.52.
    const Out ab = call(fnRmC, constants({100, 1, 4, 1}));
    const Out ba = call(fnRmC, constants({100, 1, 1, 4}));
    EXPECT_NEAR(ab.band(4), ba.band(4), 1e-12);
    EXPECT_GT(10 * lg(halfGridSum(4, 1, 1) / halfGridSum(1, 4, 1)), 1.1);
    EXPECT_NEAR(ab.band(4) - call(fnRmC, constants({100, 1})).band(4), -1.5208, 1e-4);

    // The grid mean approximates the mean over the source's face.
    const int n = 400;
    double mean = 0;
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < n; ++k) {
            const double x = (i + 0.5) / n, y = (k + 0.5) / n;
            mean += 1 / std::sqrt(1 + 4 * x * x + 0.25 * y * y);
        }
    mean /= n * n;
    const Out pointAt1 = call(fnRmC, constants({100, 1}));
    EXPECT_NEAR(ab.band(4), pointAt1.band(4) + 10 * lg(mean), 1e-3);

    // Each band its own source size.
    ArgMatrix m = constants({100, 1, 4, 1});
    m(6, 3) = 1;
    m(6, 4) = 4;
    m(7, 3) = 2;
    o = call(fnRmC, m);
    EXPECT_NEAR(o.band(5) - pointAt1.band(5), ab.band(4) - pointAt1.band(4), 1e-12);
    EXPECT_NEAR(o.band(6) - pointAt1.band(6), ab.band(4) - pointAt1.band(4), 1e-12);
    EXPECT_GT(o.band(7) - pointAt1.band(7), ab.band(4) - pointAt1.band(4));

    // Bands beyond the band table have no frequency.
    o = call(fnRmC, constants({100, 1}), Sheet{30, 40});
    EXPECT_TRUE(std::isfinite(o.band(9)));
    for (int j = 10; j <= 30; ++j)
        EXPECT_EQ(o.band(j), -999) << j;
}

TEST_F(Room, NoNonFiniteBand) {
    struct Case {
        Body fn;
        std::vector<double> args;
    };
    const Case cases[] = {
        {fnCompTL, {1, -4000}},         {fnCompTL, {1e308, 10, 1e308, 10}},
        {fnDnT, {1e308, -1e308, 1}},    {fnDnT, {70, 30, 1e-320}},
        {fnPlen, {1e-300, 1e300, 0.5}}, {fnPlen, {1, 10, 0.5, 1e-300}},
        {fnRmC, {1e-320, 1}},           {fnRmC, {100, 1e-300, 1e300, 1e300}},
    };
    for (const Case& c : cases) {
        ArgMatrix m;
        for (double v : c.args)
            m.addColumn().v.fill(v);
        const Out o = call(c.fn, m);
        if (o.msg.empty()) {
            for (int j = 1; j <= 10; ++j)
                EXPECT_TRUE(std::isfinite(o.band(j))) << j;
        } else {
            EXPECT_TRUE(o.msg == "Overflow" || o.msg == "Division by zero" ||
                        o.msg == "Invalid procedure call or argument")
                << o.msg;
        }
    }
}

TEST_F(Room, ThroughFormulas) {
    EXPECT_NEAR(formula("CompTL(0.9, 40, 0.1, 20)", kOctaveFrom63).band(1), 29.626, 5e-4);
    EXPECT_NEAR(formula("DnT(70, 30, 1)", kOctaveFrom63).band(1), 43.0103, 5e-5);
    EXPECT_NEAR(formula("Plen(1, 10, 0.5)", kOctaveFrom63).band(1), 10, 1e-12);
    EXPECT_NEAR(formula("rmc(100, 1)", kOctaveFrom63).band(5), -7, 1e-12);
    EXPECT_EQ(formula("DnT(s1, 30, 1)", kOctaveFrom63, -999).band(1), -998);
    EXPECT_EQ(formula("CompTL(1, s1, 1, 30)", kOctaveFrom63, -997).band(1), -997);
    struct Refused {
        const char* text;
        const char* msg;
    };
    const Refused refused[] = {
        {"CompTL(1, 40, 1)", "Wrong number of parameters - CompTL"},
        {"DnT(70, 30)", "Wrong number of parameters - DnT"},
        {"Plen(1, 10)", "Wrong number of parameters - Plen"},
        {"plen(1,10,0.5,1,0,1)", "Wrong number of parameters - Plen"},
        {"RmC(100, 1, 2)", "Wrong number of parameters - RmC"},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(formula(r.text, kOctaveFrom63).msg, r.msg);
}

} // namespace
