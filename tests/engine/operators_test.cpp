#include "engine/arith.h"
#include "engine/operators.h"
#include "tests/support/param_names.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

namespace {

// Runs one operator on one band (band 1 of a 1-band array pair).
struct OneBand {
    std::string msg;
    double value = 0;
};

OneBand apply(int op, double l, double r) {
    BandArray a;
    BandArray b;
    BandArray out;
    a[1] = l;
    b[1] = r;
    OneBand res;
    res.msg = ApplyOperator(op, a, b, out, 1, 14);
    res.value = out[1];
    return res;
}

// Operator texts by operator number, for names and messages.
constexpr const char* kOperatorText[] = {"",   "^", "/", "*", "-",  "+",  "!-",
                                         "!+", "=", ">", "<", "<>", ">=", "<="};

// "l op r", as the case's name ("m8_pow_3") and as its printed value.
std::string expressionName(int op, double l, double r) {
    return paramname::fromNumber(l) + "_" + paramname::fromText(kOperatorText[op]) + "_" +
           paramname::fromNumber(r);
}
void printExpression(int op, double l, double r, std::ostream* os) {
    *os << l << " " << kOperatorText[op] << " " << r;
}

struct ValueCase {
    int op;
    double l;
    double r;
    double expected;
    double tolerance;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    printExpression(c.op, c.l, c.r, os);
}

class OperatorValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(OperatorValues, GiveTheOperatorsResult) {
    const ValueCase& c = GetParam();
    const OneBand res = apply(c.op, c.l, c.r);
    EXPECT_EQ(res.msg, "");
    EXPECT_NEAR(res.value, c.expected, c.tolerance) << c.op << " " << c.l << " " << c.r;
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, OperatorValues,
    ::testing::Values(ValueCase{1, 2, 0.5, 1.4142135623730951, 1e-15}, // ^
                      ValueCase{1, -8, 3, -512, 0}, ValueCase{1, 0, 0, 1, 0},
                      ValueCase{2, 10, 4, 2.5, 0}, // no integer division
                      ValueCase{3, -3, 7, -21, 0}, ValueCase{4, 0, 10, -10, 0},
                      ValueCase{5, 1, -1000, -999, 0}, // lands on a marker, stays a number
                      ValueCase{6, 70, 60, 69.542425094393252, 1e-12},
                      ValueCase{6, 60, 60, kNoValue, 0}, // equal levels leave nothing
                      ValueCase{6, 60, 70, kErrorValue, 0},
                      ValueCase{7, 60, 60, 63.010299956639813, 1e-12},
                      ValueCase{7, 0, 0, 3.0102999566398121, 1e-12}, ValueCase{8, 5, 5, -1, 0},
                      ValueCase{8, 5, 6, 0, 0}, ValueCase{9, 6, 5, -1, 0}, ValueCase{9, 5, 5, 0, 0},
                      ValueCase{10, 4, 5, -1, 0}, ValueCase{10, 5, 5, 0, 0},
                      ValueCase{11, 4, 5, -1, 0}, ValueCase{11, 5, 5, 0, 0},
                      ValueCase{12, 5, 5, -1, 0}, ValueCase{12, 4, 5, 0, 0},
                      ValueCase{13, 5, 5, -1, 0}, ValueCase{13, 6, 5, 0, 0}),
    [](const auto& info) { return expressionName(info.param.op, info.param.l, info.param.r); });

// The marker table holds for every operator, the energy ones included: an
// error wins, then a marked value, two bands without value stay without, and
// exactly one without value becomes a marked value.
TEST(OperatorMarkers, SameTableForEveryOperator) {
    const double X = 40;
    struct Cell {
        double l;
        double r;
        double expected;
    };
    const Cell cells[] = {
        {X, kNoValue, kMarked},
        {X, kMarked, kMarked},
        {X, kErrorValue, kErrorValue},
        {kNoValue, X, kMarked},
        {kNoValue, kNoValue, kNoValue},
        {kNoValue, kMarked, kMarked},
        {kNoValue, kErrorValue, kErrorValue},
        {kMarked, X, kMarked},
        {kMarked, kNoValue, kMarked},
        {kMarked, kMarked, kMarked},
        {kMarked, kErrorValue, kErrorValue},
        {kErrorValue, X, kErrorValue},
        {kErrorValue, kNoValue, kErrorValue},
        {kErrorValue, kMarked, kErrorValue},
        {kErrorValue, kErrorValue, kErrorValue},
        {0, kNoValue, kMarked}, // an empty operand side counts as an ordinary 0
    };
    for (int op = 1; op <= 13; ++op)
        for (const Cell& c : cells) {
            const OneBand res = apply(op, c.l, c.r);
            EXPECT_EQ(res.msg, "");
            EXPECT_EQ(res.value, c.expected) << "op " << op << ": " << c.l << ", " << c.r;
        }
}

TEST(OperatorMarkers, NearMarkerValuesAreOrdinary) {
    EXPECT_EQ(apply(5, -998.5, 0.5).value, kMarked); // the sum is a marker now
    EXPECT_EQ(apply(5, -998.5, 1).value, -997.5);
    EXPECT_EQ(apply(8, -997.5, -997.5).value, -1);
}

struct FailureCase {
    int op;
    double l;
    double r;
    const char* msg;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    printExpression(c.op, c.l, c.r, os);
}

class OperatorFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(OperatorFailures, EndWithTheArithmeticText) {
    const FailureCase& c = GetParam();
    EXPECT_EQ(apply(c.op, c.l, c.r).msg, c.msg) << c.op << " " << c.l << " " << c.r;
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, OperatorFailures,
    ::testing::Values(
        FailureCase{2, 5, 0, kMsgDivisionByZero}, FailureCase{2, 0, 0, kMsgDivisionByZero},
        FailureCase{2, 1e308, 1e-10, kMsgOverflow}, FailureCase{1, 0, -1, kMsgDivisionByZero},
        FailureCase{1, -8, 1.0 / 3, kMsgInvalidCall}, FailureCase{1, 10, 400, kMsgOverflow},
        FailureCase{3, 1e200, 1e200, kMsgOverflow}, FailureCase{5, 1.7e308, 1.7e308, kMsgOverflow},
        FailureCase{4, -1.7e308, 1.7e308, kMsgOverflow},
        FailureCase{7, 4000, 10, kMsgOverflow}, // 10^(L/10) overflows
        FailureCase{6, 4000, 3900, kMsgOverflow},
        FailureCase{7, -4000, -4000, kMsgInvalidCall}, // both powers vanish
        FailureCase{6, -4000, -4100, kMsgInvalidCall}),
    [](const auto& info) { return expressionName(info.param.op, info.param.l, info.param.r); });

TEST(ApplyOperator, WritesOnlyTheSheetsBandsAndLeavesOperands) {
    BandArray l;
    BandArray r;
    BandArray out;
    for (int j = 1; j <= kMaxBands; ++j) {
        l[j] = j;
        r[j] = 1;
        out[j] = 77;
    }
    EXPECT_EQ(ApplyOperator(5, l, r, out, 10, 14), "");
    for (int j = 1; j <= 10; ++j)
        EXPECT_EQ(out[j], j + 1);
    for (int j = 11; j <= kMaxBands; ++j)
        EXPECT_EQ(out[j], 77);
    EXPECT_EQ(l[3], 3);
    EXPECT_EQ(r[3], 1);
    // A band count beyond the array is held to the array.
    EXPECT_EQ(ApplyOperator(5, l, r, out, 1000, 14), "");
    EXPECT_EQ(out[kMaxBands], kMaxBands + 1);
}

TEST(ApplyOperator, NeverStoresNaNOrInfinity) {
    BandArray l;
    BandArray r;
    BandArray out;
    l[1] = 1;
    l[2] = 0; // 0 / 0 in band 2
    const std::string msg = ApplyOperator(2, l, r, out, 2, 14);
    EXPECT_EQ(msg, kMsgDivisionByZero);
    for (int j = 1; j <= 2; ++j)
        EXPECT_TRUE(std::isfinite(out[j]));
}

} // namespace
