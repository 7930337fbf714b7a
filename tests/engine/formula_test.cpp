#include "engine/arith.h"
#include "engine/formula.h"
#include "tables/globals.h"
#include "tests/support/param_names.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

double lg(double x) {
    return std::log(x) / std::log(10.0);
}
double energy(double l) {
    return std::pow(10.0, l / 10);
}

// Six spectra on an octave sheet from 31.5 Hz; the formula under test is
// spectrum 5's, and the evaluator is told the sheet has five records.
// s1: 60, no value in band 3. s2: 50 + j. s3: 55. s4: 40, marked band 2,
// error band 4. s6 exists in the matrix but beyond the record count.
SheetMatrix testSheet() {
    SheetMatrix m(6, 10);
    for (int j = 1; j <= 10; ++j) {
        m(1, j) = j == 3 ? kNoValue : 60;
        m(2, j) = 50 + j;
        m(3, j) = 55;
        m(4, j) = j == 2 ? kMarked : j == 4 ? kErrorValue : 40;
        m(5, j) = 1;
        m(6, j) = 2;
    }
    return m;
}

struct Evaluated {
    std::string msg;
    BandArray result;
    std::string formula; // after the call: blanks removed
};

Evaluated evaluate(std::string formula, int bandCount = 10, int firstBand = 14) {
    static const SheetMatrix m = testSheet();
    Evaluated e;
    for (int j = 1; j <= kMaxBands; ++j)
        e.result[j] = 77;
    e.msg = EvalFormula(m, 5, formula, e.result, 5, bandCount, firstBand);
    e.formula = formula;
    return e;
}

struct ValueCase {
    const char* formula;
    double (*band)(int j); // expected value of band j
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(std::string(c.formula));
}

// Each case is named after its formula.
std::string formulaName(const ::testing::TestParamInfo<ValueCase>& info) {
    return paramname::fromText(info.param.formula);
}

class FormulaValues : public ::testing::TestWithParam<ValueCase> {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_P(FormulaValues, EvaluateBandByBand) {
    const ValueCase& c = GetParam();
    const Evaluated e = evaluate(c.formula);
    ASSERT_EQ(e.msg, "") << c.formula;
    for (int j = 1; j <= 10; ++j) {
        const double expected = c.band(j);
        if (isMarker(expected) || expected == std::floor(expected))
            EXPECT_EQ(e.result[j], expected) << c.formula << " band " << j;
        else
            EXPECT_NEAR(e.result[j], expected, 1e-9) << c.formula << " band " << j;
    }
    for (int j = 11; j <= kMaxBands; ++j)
        EXPECT_EQ(e.result[j], 77) << "past the sheet's bands";
}

INSTANTIATE_TEST_SUITE_P(
    Splits, FormulaValues,
    ::testing::Values(
        ValueCase{"s1 + s3", [](int j) { return j == 3 ? kMarked : 115.0; }},
        ValueCase{"(s3 + 4) * s2", [](int j) { return 59.0 * (50 + j); }},
        ValueCase{"s1 !+ (s2 + 10 * log( 15 ))",
                  [](int j) {
                      return j == 3 ? kMarked : 10 * lg(energy(60) + energy(50 + j + 10 * lg(15)));
                  }},
        ValueCase{"10 - 4 - 3", [](int) { return 3.0; }}, // one priority groups from the left
        ValueCase{"2 ^ 3 ^ 2", [](int) { return 64.0; }},
        ValueCase{"8 / 4 / 2", [](int) { return 1.0; }},
        ValueCase{"8 / 4 * 2", [](int) { return 4.0; }},
        ValueCase{"1 + 2 * 3", [](int) { return 7.0; }},
        ValueCase{"2 * 3 + 1 ^ 5", [](int) { return 7.0; }},
        ValueCase{
            "70 !- 60 !+ 60",
            [](int) { return 10 * lg(energy(10 * lg(energy(70) - energy(60))) + energy(60)); }},
        ValueCase{"60 !+ 60 - 3", [](int) { return 10 * lg(energy(60) + energy(57)); }},
        ValueCase{"1 + 1 = 2", [](int) { return -1.0; }},
        ValueCase{"1 < 2 = -1", [](int) { return -1.0; }},
        ValueCase{"s2 >= s3", [](int j) { return 50 + j >= 55 ? -1.0 : 0.0; }},
        ValueCase{"s2 <> 55", [](int j) { return j == 5 ? 0.0 : -1.0; }},
        ValueCase{"s2 <= 55", [](int j) { return j <= 5 ? -1.0 : 0.0; }},
        ValueCase{"3 <>= 3", [](int) { return 0.0; }}, // "<>" then "=": (3 <> 0) = 3
        ValueCase{"log(1000) = 3", [](int) { return 0.0; }},
        ValueCase{"((s3))", [](int) { return 55.0; }},
        ValueCase{"( s1 ) + ( s3 )", [](int j) { return j == 3 ? kMarked : 115.0; }},
        ValueCase{"- 10", [](int) { return -10.0; }}, // an empty side is zeros
        ValueCase{"- s1", [](int j) { return j == 3 ? kMarked : -60.0; }},
        ValueCase{"2 * - 3", [](int) { return -3.0; }},
        ValueCase{"1 - 1000", [](int) { return kNoValue; }}),
    formulaName);

INSTANTIATE_TEST_SUITE_P(
    Terminals, FormulaValues,
    ::testing::Values(
        ValueCase{"PI", [](int) { return 3.14159; }},
        ValueCase{"pi*2", [](int) { return 6.28318; }}, ValueCase{"tRuE", [](int) { return -1.0; }},
        ValueCase{"FALSE", [](int) { return 0.0; }}, ValueCase{"C", [](int) { return 343.0; }},
        ValueCase{"f", [](int j) { return gBandFreq[static_cast<size_t>(14 + 3 * (j - 1))]; }},
        ValueCase{"1e3", [](int) { return 1000.0; }}, ValueCase{"2.5E2", [](int) { return 250.0; }},
        ValueCase{".5", [](int) { return 0.5; }}, ValueCase{"5.", [](int) { return 5.0; }},
        ValueCase{"007", [](int) { return 7.0; }}, ValueCase{"S03", [](int) { return 55.0; }},
        ValueCase{"s3.0", [](int) { return 55.0; }}, ValueCase{"s0.3e1", [](int) { return 55.0; }},
        ValueCase{"s4", [](int j) { return j == 2   ? kMarked
                                           : j == 4 ? kErrorValue
                                                    : 40.0; }}),
    formulaName);

INSTANTIATE_TEST_SUITE_P(
    Calls, FormulaValues,
    ::testing::Values(
        ValueCase{"LOG(100)", [](int) { return 2.0; }},
        ValueCase{"Log(100)", [](int) { return 2.0; }},
        ValueCase{"log()", [](int) { return kErrorValue; }}, // one argument of zeros
        ValueCase{"log(s4)",
                  [](int j) { return j == 2   ? kMarked
                                     : j == 4 ? kErrorValue
                                              : lg(40); }},
        ValueCase{"logsum( s3, logsum( s3, s3 ) )", [](int) { return 10 * lg(3 * energy(55)); }},
        ValueCase{"logsum( logsum( s3, s3 ), s3 )", [](int) { return 10 * lg(3 * energy(55)); }},
        ValueCase{"logav(s3, s3)", [](int) { return 55.0; }},
        ValueCase{"logsum( s1, )", [](int j) { return j == 3 ? kNoValue : kMarked; }},
        ValueCase{"if( s1 > 0, , s2 )", [](int j) { return j == 3 ? kMarked : kNoValue; }},
        ValueCase{"if(1, s3, )", [](int) { return 55.0; }},
        ValueCase{"if(0, s3, )", [](int) { return kNoValue; }},
        ValueCase{"If( s2>s3, s2!-s3, 0)",
                  [](int j) { return 50 + j > 55 ? 10 * lg(energy(50 + j) - energy(55)) : 0.0; }},
        ValueCase{"if((1), (s3), ((2)))", [](int) { return 55.0; }},
        ValueCase{"Awt(0)", [](int j) { return gAWeight[static_cast<size_t>(14 + 3 * (j - 1))]; }}),
    formulaName);

struct MessageCase {
    const char* formula;
    const char* msg;
};

void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(std::string(c.formula));
}

class FormulaMessages : public ::testing::TestWithParam<MessageCase> {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_P(FormulaMessages, EndTheFormulaAndLeaveTheResult) {
    const MessageCase& c = GetParam();
    const Evaluated e = evaluate(c.formula);
    EXPECT_EQ(e.msg, c.msg) << c.formula;
    for (int j = 1; j <= kMaxBands; ++j)
        ASSERT_EQ(e.result[j], 77) << c.formula;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FormulaMessages,
    ::testing::Values(
        MessageCase{"(s1", "Unmatched parentheses"}, MessageCase{"s1)", "Unmatched parentheses"},
        MessageCase{"log(s1 + (s2)", "Unmatched parentheses"},
        MessageCase{")s1(", "Unrecognised expression: )s1("},
        MessageCase{"log(s1))(", "Unrecognised expression: log(s1))("},
        MessageCase{"log(a)(b)", "Unrecognised expression: a)(b"},
        MessageCase{"()", "Unrecognised expression: "},
        MessageCase{"s1 + ()", "Unrecognised expression: "},
        MessageCase{"s1 ! s2", "Unrecognised expression: s1!s2"},
        MessageCase{"s1 + xyz", "Unrecognised expression: xyz"},
        MessageCase{"(((s1 + q)))", "Unrecognised expression: q"},
        MessageCase{"s0", "Referenced spectrum does not exist"},
        MessageCase{"s6", "Referenced spectrum does not exist"},
        MessageCase{"s99", "Referenced spectrum does not exist"},
        MessageCase{"s1e999", "Referenced spectrum does not exist"},
        MessageCase{"s5", "Spectrum formula cannot reference itself"},
        MessageCase{"S05", "Spectrum formula cannot reference itself"},
        MessageCase{"s5.0 + 1", "Spectrum formula cannot reference itself"},
        MessageCase{"s1.5", "Unrecognised expression: s1.5"},
        MessageCase{"sx", "Unrecognised expression: sx"},
        MessageCase{"s", "Unrecognised expression: s"},
        MessageCase{"s+1", "Unrecognised expression: s"},
        MessageCase{"1E-3", "Unrecognised expression: 1E"}, // splits at the "-" first
        MessageCase{"1,5", "Unrecognised expression: 1,5"},
        MessageCase{"1.5.2", "Unrecognised expression: 1.5.2"},
        MessageCase{"0x10", "Unrecognised expression: 0x10"},
        MessageCase{"inf", "Unrecognised expression: inf"},
        MessageCase{"nan", "Unrecognised expression: nan"},
        MessageCase{"1e", "Unrecognised expression: 1e"},
        MessageCase{".", "Unrecognised expression: ."},
        MessageCase{"ff", "Unrecognised expression: ff"}, MessageCase{"1e999", "Overflow"},
        MessageCase{"s1\t+ s3", "Unrecognised expression: s1\t"}, // only blanks go
        MessageCase{"log(s1, s2)", "Wrong number of parameters - log"},
        MessageCase{"LOG(s1,s2)", "Wrong number of parameters - log"},
        MessageCase{"IF(1, 2)", "Wrong number of parameters - if"},
        MessageCase{"if(s1 > 0, Ln,w(60), 0)", "Unrecognised expression: Ln"},
        MessageCase{"if(1, 2, 3, )", "Wrong number of parameters - if"},
        MessageCase{"logsum(Ln,w(60))", "Unrecognised expression: Ln"},
        MessageCase{"logsum(s1, (s2)", "Unmatched parentheses"},
        MessageCase{"logsum(s1, s2 + )s3()", "Unrecognised expression: s2+)s3("},
        MessageCase{"s1 / 0", "Division by zero"}, MessageCase{"0 / 0", "Division by zero"},
        MessageCase{"10 ^ (s3 * 10)", "Overflow"},
        MessageCase{"(-8) ^ (1/3)", "Invalid procedure call or argument"},
        MessageCase{"logsum(4000, 1)", "Overflow"},
        // Failing in band 5 only: bands 1 to 4 must not be written either.
        MessageCase{"(s2 - 54) * 1e300 !+ 3", "Overflow"},
        MessageCase{"1 / (s2 - 55)", "Division by zero"},
        MessageCase{"s1 + s0", "Referenced spectrum does not exist"},
        MessageCase{"s0 + q", "Referenced spectrum does not exist"}, // the left side first
        MessageCase{"log(q, s0)", "Unrecognised expression: q"}),
    [](const auto& info) { return paramname::fromText(info.param.formula); });

class Formula : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(Formula, EmptyOrBlankFormulaWritesNothing) {
    for (const char* f : {"", " ", "     "}) {
        const Evaluated e = evaluate(f);
        EXPECT_EQ(e.msg, "");
        EXPECT_EQ(e.formula, "");
        for (int j = 1; j <= kMaxBands; ++j)
            EXPECT_EQ(e.result[j], 77);
    }
}

TEST_F(Formula, BlanksAreRemovedInPlace) {
    EXPECT_EQ(evaluate(" s1 !+ (s2 + 10 * log( 15 ))").formula, "s1!+(s2+10*log(15))");
    EXPECT_EQ(evaluate("s1\t+ s3").formula, "s1\t+s3");
}

TEST_F(Formula, LnwWithItsCommaIsOneCallAsAWholeFormula) {
    // As a whole formula the call reaches function 21 (its comma is no
    // argument separator there); its own result is that function's business.
    const Evaluated e = evaluate("Ln,w(60) + 3");
    EXPECT_TRUE(e.msg.empty() || e.msg == "Function not available - Ln,w") << e.msg;
}

TEST_F(Formula, BandFrequencyFollowsTheSheet) {
    Evaluated e = evaluate("F", 30, 1);
    ASSERT_EQ(e.msg, "");
    for (int j = 1; j <= 30; ++j)
        EXPECT_EQ(e.result[j], gBandFreq[static_cast<size_t>(j)]);
    e = evaluate("F", 10, 14);
    ASSERT_EQ(e.msg, "");
    const double octaves[] = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    for (int j = 1; j <= 10; ++j)
        EXPECT_EQ(e.result[j], octaves[j - 1]);
    // A first band that runs past the table gives bands without frequency.
    e = evaluate("F", 10, 35);
    ASSERT_EQ(e.msg, "");
    EXPECT_EQ(e.result[5], gBandFreq[47]);
    EXPECT_EQ(e.result[6], kNoValue);
    EXPECT_EQ(e.result[10], kNoValue);
}

TEST_F(Formula, NestingUpToTheLimitWorksAndDeeperIsTooComplex) {
    auto wrapped = [](int pairs, const std::string& inner) {
        return std::string(static_cast<size_t>(pairs), '(') + inner +
               std::string(static_cast<size_t>(pairs), ')');
    };
    Evaluated e = evaluate(wrapped(kMaxFormulaDepth, "s3"));
    EXPECT_EQ(e.msg, "");
    EXPECT_EQ(e.result[1], 55);
    EXPECT_EQ(evaluate(wrapped(kMaxFormulaDepth + 1, "s3")).msg, kMsgTooComplex);
    EXPECT_EQ(evaluate(wrapped(100000, "s3")).msg, kMsgTooComplex);

    std::string calls;
    for (int i = 0; i < 150; ++i)
        calls += "logsum(";
    calls += "s3" + std::string(150, ')');
    e = evaluate(calls);
    EXPECT_EQ(e.msg, "");
    EXPECT_NEAR(e.result[1], 55, 1e-9);
    std::string deepCalls;
    for (int i = 0; i < 5000; ++i)
        deepCalls += "log(";
    deepCalls += "s3" + std::string(5000, ')');
    EXPECT_EQ(evaluate(deepCalls).msg, kMsgTooComplex);

    // Operands nest too: a chain of 200 operators is the most one level takes.
    std::string chain = "1";
    for (int i = 0; i < kMaxFormulaDepth; ++i)
        chain += "+1";
    e = evaluate(chain);
    EXPECT_EQ(e.msg, "");
    EXPECT_EQ(e.result[1], kMaxFormulaDepth + 1);
    EXPECT_EQ(evaluate(chain + "+1").msg, kMsgTooComplex);

    // Brackets nested 200 deep around operations: each pair is one level.
    auto nested = [](int n) {
        std::string f;
        for (int i = 0; i < n; ++i)
            f += "(1+";
        return f + "1" + std::string(static_cast<size_t>(n), ')');
    };
    e = evaluate(nested(kMaxFormulaDepth));
    EXPECT_EQ(e.msg, "");
    EXPECT_EQ(e.result[1], kMaxFormulaDepth + 1);
    EXPECT_EQ(evaluate(nested(kMaxFormulaDepth + 1)).msg, kMsgTooComplex);
}

TEST(FindBracketPairs, RecordsOnlyOutermostPairs) {
    int count = -1;
    std::vector<BracketPair> pairs;
    EXPECT_EQ(FindBracketPairs("(s3+4)*s2", count, pairs), "");
    ASSERT_EQ(count, 1);
    EXPECT_EQ(pairs[1].open, 1);
    EXPECT_EQ(pairs[1].close, 6);

    EXPECT_EQ(FindBracketPairs("a((b)c)d(e)", count, pairs), "");
    ASSERT_EQ(count, 2);
    EXPECT_EQ(pairs.size(), 4u); // sized for every "("
    EXPECT_EQ(pairs[1].open, 2);
    EXPECT_EQ(pairs[1].close, 7);
    EXPECT_EQ(pairs[2].open, 9);
    EXPECT_EQ(pairs[2].close, 11);

    EXPECT_EQ(FindBracketPairs("s1", count, pairs), "");
    EXPECT_EQ(count, 0);

    EXPECT_EQ(FindBracketPairs(")s1(", count, pairs), "Unrecognised expression: )s1(");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(pairs[1].open, 4);
    EXPECT_EQ(pairs[1].close, 0);
}

TEST(FillConstant, WritesTheConstantsBandsOnly) {
    FillTables();
    const double values[] = {3.14159, 343, -1, 0};
    for (int k = 1; k <= 4; ++k) {
        BandArray b;
        for (int j = 1; j <= kMaxBands; ++j)
            b[j] = 77;
        EXPECT_EQ(FillConstant(k, b, 10), "");
        for (int j = 1; j <= 10; ++j)
            EXPECT_EQ(b[j], values[k - 1]);
        EXPECT_EQ(b[11], 77);
    }
}

TEST(FormulaNumbers, OneGrammarForNumbersAndSpectrumDigits) {
    struct Case {
        const char* text;
        NumberText kind;
        double value;
    };
    const Case cases[] = {
        {"0", NumberText::Value, 0},
        {"15", NumberText::Value, 15},
        {"1.25", NumberText::Value, 1.25},
        {".5", NumberText::Value, 0.5},
        {"5.", NumberText::Value, 5},
        {"1e3", NumberText::Value, 1000},
        {"1E+3", NumberText::Value, 1000},
        {"25e-1", NumberText::Value, 2.5},
        {"1e999", NumberText::TooLarge, 0},
        {"123456789e305", NumberText::TooLarge, 0},
        {"0.000001e-400", NumberText::TooSmall, 0},
        {"0e99999999999999", NumberText::Value, 0},
        {"", NumberText::NotNumber, 0},
        {".", NumberText::NotNumber, 0},
        {"+1", NumberText::NotNumber, 0},
        {"-1", NumberText::NotNumber, 0},
        {"1e", NumberText::NotNumber, 0},
        {"1e+", NumberText::NotNumber, 0},
        {"e5", NumberText::NotNumber, 0},
        {"1,5", NumberText::NotNumber, 0},
        {"0x1A", NumberText::NotNumber, 0},
        {"inf", NumberText::NotNumber, 0},
        {"nan", NumberText::NotNumber, 0},
        {"1 ", NumberText::NotNumber, 0},
        {"1..2", NumberText::NotNumber, 0},
        {"1e2.5", NumberText::NotNumber, 0},
    };
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_EQ(parseFormulaNumber(c.text, v), c.kind) << c.text;
        if (c.kind == NumberText::Value) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

} // namespace
