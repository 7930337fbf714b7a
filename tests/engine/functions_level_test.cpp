#include "engine/arith.h"
#include "engine/functions.h"
#include "tables/globals.h"
#include "tests/support/param_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

class LevelFunctions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

// Arguments that hold one value in every band.
ArgMatrix constants(std::initializer_list<double> values) {
    ArgMatrix args;
    for (double v : values) {
        BandArray& col = args.addColumn();
        for (int j = 1; j <= kMaxBands; ++j)
            col[j] = v;
    }
    return args;
}

struct Call {
    std::string msg;
    BandArray result;
};

Call call(int funcNo, const ArgMatrix& args, int bandCount = 10, int firstBand = 14) {
    Call c;
    c.msg = EvalFunction(funcNo, args, args.count(), c.result, bandCount, firstBand);
    return c;
}

struct OneValueCase {
    int funcNo;
    std::vector<double> args;
    double expected;
    double tolerance;
};

// Names of the functions the cases call; names are made before the tables
// are filled.
const char* functionName(int funcNo) {
    switch (funcNo) {
    case 1:
        return "log";
    case 2:
        return "loge";
    case 9:
        return "logsum";
    case 10:
        return "logav";
    case 16:
        return "if";
    default:
        return "function";
    }
}

void PrintTo(const OneValueCase& c, std::ostream* os) {
    *os << functionName(c.funcNo) << "(";
    for (size_t a = 0; a < c.args.size(); ++a)
        *os << (a ? ", " : "") << c.args[a];
    *os << ")";
}

// "logsum_none_50" for logsum(-999, 50).
std::string callName(const ::testing::TestParamInfo<OneValueCase>& info) {
    std::string name = functionName(info.param.funcNo);
    for (double v : info.param.args)
        name += "_" + paramname::fromNumber(v);
    return name;
}

class LevelFunctionValues : public ::testing::TestWithParam<OneValueCase> {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_P(LevelFunctionValues, InEveryBand) {
    const OneValueCase& c = GetParam();
    ArgMatrix args;
    for (double v : c.args) {
        BandArray& col = args.addColumn();
        for (int j = 1; j <= kMaxBands; ++j)
            col[j] = v;
    }
    const Call r = call(c.funcNo, args);
    ASSERT_EQ(r.msg, "");
    for (int j = 1; j <= 10; ++j)
        EXPECT_NEAR(r.result[j], c.expected, c.tolerance) << j;
}

INSTANTIATE_TEST_SUITE_P(
    Values, LevelFunctionValues,
    ::testing::Values(
        OneValueCase{1, {100}, 2, 0}, OneValueCase{1, {1000}, 2.9999999999999996, 0}, // ln / ln 10
        OneValueCase{1, {0}, kErrorValue, 0}, OneValueCase{1, {-5}, kErrorValue, 0},
        OneValueCase{1, {kNoValue}, kNoValue, 0}, OneValueCase{1, {kMarked}, kMarked, 0},
        OneValueCase{1, {kErrorValue}, kErrorValue, 0}, OneValueCase{2, {1}, 0, 0},
        OneValueCase{2, {std::exp(2.0)}, 2, 1e-15}, OneValueCase{2, {0}, kErrorValue, 0},
        OneValueCase{2, {kMarked}, kMarked, 0},
        OneValueCase{9, {60, 60}, 63.010299956639813, 1e-12},
        OneValueCase{9, {60, 60, 60}, 64.771212547196626, 1e-12}, OneValueCase{9, {55}, 55, 1e-12},
        OneValueCase{10, {60, 60}, 60, 1e-12},
        OneValueCase{10, {50, 60, 70}, 65.682017240669951, 1e-12},
        // Markers: all without value stay without; an error is never hidden
        // behind a band without value; otherwise one marker marks the band.
        OneValueCase{9, {kNoValue, kNoValue}, kNoValue, 0},
        OneValueCase{9, {kNoValue, 50}, kMarked, 0},
        OneValueCase{9, {kNoValue, kErrorValue}, kErrorValue, 0},
        OneValueCase{10, {kErrorValue, kNoValue, 40}, kErrorValue, 0},
        OneValueCase{9, {50, kMarked}, kMarked, 0},
        OneValueCase{9, {kMarked, kErrorValue}, kErrorValue, 0},
        OneValueCase{10, {kMarked, kNoValue}, kMarked, 0},
        OneValueCase{9, {-5000, -5000}, kNoValue, 0}, // the energies vanish
        OneValueCase{16, {-1, 7, 9}, 7, 0}, OneValueCase{16, {0.5, 7, 9}, 7, 0},
        OneValueCase{16, {0, 7, 9}, 9, 0}, OneValueCase{16, {1, kMarked, 9}, kMarked, 0},
        OneValueCase{16, {0, 7, kNoValue}, kNoValue, 0},
        OneValueCase{16, {kNoValue, 7, 9}, kNoValue, 0},
        OneValueCase{16, {kErrorValue, 7, 9}, kErrorValue, 0}),
    callName);

TEST_F(LevelFunctions, WeightingsFollowTheBandPositions) {
    // Third-octave sheet from 1.6 Hz: no weighting below 10 Hz.
    Call r = call(3, constants({0}), 30, 1);
    ASSERT_EQ(r.msg, "");
    for (int j = 1; j <= 8; ++j)
        EXPECT_EQ(r.result[j], kNoValue) << j;
    for (int j = 9; j <= 30; ++j)
        EXPECT_EQ(r.result[j], gAWeight[static_cast<size_t>(j)]) << j;
    // Octave sheet from 31.5 Hz: every third row of the table.
    r = call(4, constants({80}), 10, 14);
    ASSERT_EQ(r.msg, "");
    for (int j = 1; j <= 10; ++j)
        EXPECT_EQ(r.result[j], 80 + gCWeight[static_cast<size_t>(14 + 3 * (j - 1))]) << j;
    // A first band that runs past the table has no weighting there.
    r = call(3, constants({50}), 30, 40);
    ASSERT_EQ(r.msg, "");
    EXPECT_EQ(r.result[3], 50 + gAWeight[42]); // 20 kHz, the last weighted band
    for (int j = 4; j <= 30; ++j)
        EXPECT_EQ(r.result[j], kNoValue) << j;
    r = call(3, constants({50}), 10, -100);
    ASSERT_EQ(r.msg, "");
    for (int j = 1; j <= 10; ++j)
        EXPECT_EQ(r.result[j], kNoValue) << j;
    // Markers pass unchanged, even where no weighting is defined.
    r = call(3, constants({kMarked}), 30, 1);
    EXPECT_EQ(r.result[1], kMarked);
    EXPECT_EQ(r.result[20], kMarked);
}

TEST_F(LevelFunctions, IfTakesEachBandFromItsOwnArguments) {
    ArgMatrix cond;
    cond.addColumn();
    cond.addColumn();
    cond.addColumn();
    const double a[] = {-1, 0, kMarked};
    for (int j = 1; j <= 3; ++j) {
        cond(j, 1) = a[j - 1];
        cond(j, 2) = 10 + j;
        cond(j, 3) = 20 + j;
    }
    const Call r = call(16, cond, 3);
    ASSERT_EQ(r.msg, "");
    EXPECT_EQ(r.result[1], 11);
    EXPECT_EQ(r.result[2], 22);
    EXPECT_EQ(r.result[3], kMarked);
}

TEST_F(LevelFunctions, ArgumentCountsAreCheckedBeforeAnyBandIsWritten) {
    struct CountCase {
        int funcNo;
        std::vector<int> accepted; // counts 1..8 that are accepted
    };
    const CountCase cases[] = {
        {1, {1}},
        {2, {1}},
        {3, {1}},
        {4, {1}},
        {5, {1}},
        {6, {1}},
        {7, {1}},
        {8, {1}},
        {9, {1, 2, 3, 4, 5, 6, 7, 8}},
        {10, {1, 2, 3, 4, 5, 6, 7, 8}},
        {11, {5, 6}},
        {12, {1, 2, 3}},
        {13, {1}},
        {14, {1, 2, 3, 4}},
        {15, {2}},
        {16, {3}},
        {17, {1}},
        {18, {2, 4, 6, 8}},
        {19, {3}},
        {20, {1}},
        {21, {1}},
        {22, {1}},
        {23, {3, 4, 5}},
        {24, {2, 4}},
    };
    for (const CountCase& c : cases)
        for (int n = 1; n <= 8; ++n) {
            const bool accepted =
                std::find(c.accepted.begin(), c.accepted.end(), n) != c.accepted.end();
            EXPECT_EQ(functionAcceptsArgCount(c.funcNo, n), accepted) << c.funcNo << " " << n;
            if (accepted) continue;
            ArgMatrix args;
            for (int a = 1; a <= n; ++a)
                args.addColumn()[1] = 50;
            BandArray result;
            result[1] = 123;
            EXPECT_EQ(EvalFunction(c.funcNo, args, n, result, 10, 14),
                      "Wrong number of parameters - " + gFuncNames[static_cast<size_t>(c.funcNo)]);
            EXPECT_EQ(result[1], 123) << c.funcNo;
        }
}

TEST_F(LevelFunctions, OverflowingEnergiesEndTheFormula) {
    EXPECT_EQ(call(9, constants({4000, 10})).msg, kMsgOverflow);
    EXPECT_EQ(call(10, constants({10, 3100})).msg, kMsgOverflow);
}

TEST_F(LevelFunctions, NumbersOutsideTheTableAreRefused) {
    ArgMatrix args = constants({1});
    BandArray result;
    EXPECT_EQ(EvalFunction(0, args, 1, result, 10, 14), kMsgInvalidCall);
    EXPECT_EQ(EvalFunction(25, args, 1, result, 10, 14), kMsgInvalidCall);
    // More arguments claimed than the matrix holds would read past it.
    EXPECT_EQ(EvalFunction(9, args, 3, result, 10, 14), kMsgInvalidCall);
}

} // namespace
