// Seeded random formulas: the evaluator never crashes, every result is a
// message or finite bands, and it gives exactly what a literal, copy-per-level
// reading of the evaluation rules gives (operator marks per position, the
// bracket-pair table, argument splitting by that table).
#include "engine/formula.h"
#include "engine/functions.h"
#include "engine/operators.h"
#include "tables/globals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

bool iequal(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

struct RefSheet {
    const SheetMatrix& m;
    int count;
    int own;
    int bands;
    int firstBand;
};

// The rules read literally: a copy of the text per level, a mark per position.
std::string refEval(const RefSheet& s, std::string text, BandArray& result, int depth,
                    int brackets = 0) {
    if (depth > kMaxFormulaDepth) return kMsgTooComplex;
    std::erase(text, ' ');
    if (text.empty()) return "";
    const auto opens = std::count(text.begin(), text.end(), '(');
    if (opens != std::count(text.begin(), text.end(), ')')) return "Unmatched parentheses";
    int pairCount = 0;
    std::vector<BracketPair> pairs;
    if (opens > 0) {
        std::string msg = FindBracketPairs(text, pairCount, pairs);
        if (!msg.empty()) return msg;
        while (pairCount >= 1 && pairs[1].open == 1 &&
               pairs[1].close == static_cast<int>(text.size())) {
            text = text.substr(1, text.size() - 2);
            if (++brackets > kMaxFormulaDepth) return kMsgTooComplex;
            msg = FindBracketPairs(text, pairCount, pairs);
            if (!msg.empty()) return msg;
        }
    }
    const int len = static_cast<int>(text.size());
    std::vector<int> marks(static_cast<size_t>(len) + 2, 0);
    for (int k = 1; k <= gOperatorCount; ++k) {
        const std::string& op = gOperators[static_cast<size_t>(k)].text;
        size_t pos = text.find(op);
        while (pos != std::string::npos) {
            marks[pos + 1] = k;
            pos = text.find(op, pos + 1);
        }
    }
    for (int i = 1; i <= len; ++i)
        if (marks[static_cast<size_t>(i)] != 0) {
            const int oplen = static_cast<int>(
                gOperators[static_cast<size_t>(marks[static_cast<size_t>(i)])].text.size());
            for (int c = 1; c < oplen && i + c <= len; ++c)
                marks[static_cast<size_t>(i + c)] = 0;
        }
    for (int p = 1; p <= pairCount; ++p)
        for (int i = pairs[static_cast<size_t>(p)].open; i <= pairs[static_cast<size_t>(p)].close;
             ++i)
            marks[static_cast<size_t>(i)] = 0;
    int largest = 0;
    int split = 0;
    for (int i = 1; i <= len; ++i) {
        const int k = marks[static_cast<size_t>(i)];
        if (k == 0) continue;
        const int pr = gOperators[static_cast<size_t>(k)].priority;
        if (pr > largest) largest = pr;
        if (pr == largest) split = i;
    }
    if (split > 0) {
        const int k = marks[static_cast<size_t>(split)];
        const std::string left = text.substr(0, static_cast<size_t>(split - 1));
        const std::string right = text.substr(static_cast<size_t>(split - 1) +
                                              gOperators[static_cast<size_t>(k)].text.size());
        BandArray l;
        BandArray r;
        std::string msg = refEval(s, left, l, depth + 1, brackets);
        if (!msg.empty()) return msg;
        msg = refEval(s, right, r, depth + 1, brackets);
        if (!msg.empty()) return msg;
        return ApplyOperator(k, l, r, result, s.bands, s.firstBand);
    }

    int fn = 0;
    for (int k = 1; k <= gFuncCount; ++k) {
        const std::string& name = gFuncNames[static_cast<size_t>(k)];
        if (text.size() > name.size() + 1 && iequal(text.substr(0, name.size() + 1), name + "(") &&
            text.back() == ')')
            fn = k;
    }
    if (fn != 0) {
        const size_t nameLen = gFuncNames[static_cast<size_t>(fn)].size();
        const std::string argText = text.substr(nameLen + 1, text.size() - nameLen - 2);
        int argPairs = 0;
        std::vector<BracketPair> argPairTable;
        FindBracketPairs(argText, argPairs, argPairTable);
        ArgMatrix args;
        int argCount = 0;
        size_t start = 0;
        auto take = [&](const std::string& arg, bool emptyIsNoValue) -> std::string {
            ++argCount;
            args.addColumn();
            BandArray col;
            if (arg.empty() && emptyIsNoValue) {
                for (int j = 1; j <= s.bands; ++j)
                    col[j] = kNoValue;
            } else {
                std::string msg = refEval(s, arg, col, depth + 1, brackets);
                if (!msg.empty()) return msg;
            }
            for (int j = 1; j <= s.bands; ++j)
                args(j, argCount) = col[j];
            return "";
        };
        for (size_t c = 0; c < argText.size(); ++c) {
            if (argText[c] != ',') continue;
            bool nested = false;
            for (int p = 1; p <= argPairs; ++p)
                if (static_cast<int>(c) + 1 > argPairTable[static_cast<size_t>(p)].open &&
                    static_cast<int>(c) + 1 < argPairTable[static_cast<size_t>(p)].close)
                    nested = true;
            if (nested) continue;
            std::string msg = take(argText.substr(start, c - start), true);
            if (!msg.empty()) return msg;
            start = c + 1;
        }
        std::string msg = take(argText.substr(start), argCount > 0);
        if (!msg.empty()) return msg;
        return EvalFunction(fn, args, argCount, result, s.bands, s.firstBand);
    }
    for (int k = gConstCount; k >= 1; --k)
        if (iequal(text, gConstNames[static_cast<size_t>(k)]))
            return FillConstant(k, result, s.bands);
    double v = 0;
    const NumberText kind = parseFormulaNumber(text, v);
    if (kind == NumberText::TooLarge) return "Overflow";
    if (kind != NumberText::NotNumber) {
        for (int j = 1; j <= s.bands; ++j)
            result[j] = v;
        return "";
    }
    if (iequal(text, "F")) {
        for (int j = 1; j <= s.bands; ++j) {
            const int t = bandTableIndex(s.firstBand, j, s.bands);
            result[j] = t == 0 ? kNoValue : gBandFreq[static_cast<size_t>(t)];
        }
        return "";
    }
    if (text.size() > 1 && (text[0] == 's' || text[0] == 'S')) {
        double n = 0;
        const NumberText k = parseFormulaNumber(text.substr(1), n);
        if (k == NumberText::TooLarge) return "Referenced spectrum does not exist";
        if (k == NumberText::Value && n == std::floor(n)) {
            if (n < 1 || n > s.count) return "Referenced spectrum does not exist";
            if (n == s.own) return "Spectrum formula cannot reference itself";
            for (int j = 1; j <= s.bands; ++j)
                result[j] = s.m(static_cast<int>(n), j);
            return "";
        }
    }
    return "Unrecognised expression: " + text;
}

// Tokens that formulas are made of, the awkward ones included.
const char* const kTokens[] = {
    "s1",    "s2",  "s3",    "s4",    "S2",   "s0",    "s9",      "s1.5",    "sx",      "s",
    "s02",   "1",   "2.5",   "10",    "0",    ".5",    "5.",      "1e3",     "1E",      "e",
    "pi",    "C",   "True",  "false", "F",    "f",     "x",       "Ln",      "w",       "(",
    "(",     ")",   ")",     ",",     ",",    "^",     "/",       "*",       "-",       "+",
    "!-",    "!+",  "!",     "=",     ">",    "<",     "<>",      ">=",      "<=",      " ",
    "  ",    "\t",  ".",     "log(",  "LOG(", "loge(", "Awt(",    "cwt(",    "logsum(", "LogAv(",
    "if(",   "If(", "Ln,w(", "NR(",   "STC(", "RmC(",  "CompTL(", "DistPo(", "AirAbs(", "BarCor(",
    "Plen(", "60",  "4000",  "-999",  "-998", "-997",  "1000",
};

std::string randomFormula(std::mt19937& rng) {
    std::uniform_int_distribution<size_t> token(0, std::size(kTokens) - 1);
    std::uniform_int_distribution<int> length(0, 25);
    std::string f;
    const int n = length(rng);
    for (int i = 0; i < n; ++i)
        f += kTokens[token(rng)];
    return f;
}

// A well-formed expression, so that deep and wide evaluations are reached too.
std::string randomExpression(std::mt19937& rng, int budget) {
    std::uniform_int_distribution<int> pick(0, 9);
    static const char* const leaves[] = {"s1", "s2", "s4", "3", "60", "pi", "F", "0.5", "", "s3"};
    static const char* const ops[] = {"^", "/", "*", "-",  "+",  "!-", "!+",
                                      "=", ">", "<", "<>", ">=", "<="};
    static const char* const fns[] = {"log",   "loge", "Awt", "Cwt",    "logsum",
                                      "logav", "if",   "NR",  "DistPo", "AirAbs"};
    if (budget <= 0) return leaves[pick(rng)];
    switch (pick(rng) % 4) {
    case 0:
        return leaves[pick(rng)];
    case 1:
        return "(" + randomExpression(rng, budget - 1) + ")";
    case 2: {
        const int fn = pick(rng);
        const int args = 1 + pick(rng) % 3;
        std::string call = std::string(fns[fn]) + "( ";
        for (int a = 0; a < args; ++a)
            call += (a ? " , " : "") + randomExpression(rng, budget - 1);
        return call + " )";
    }
    default:
        return randomExpression(rng, budget - 1) + " " + ops[static_cast<size_t>(pick(rng)) % 13] +
               " " + randomExpression(rng, budget - 1);
    }
}

class FormulaFuzz : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }

    FormulaFuzz() : m(4, 30) {
        for (int j = 1; j <= 30; ++j) {
            m(1, j) = 40 + j;
            m(2, j) = j % 7 == 0 ? kNoValue : 55 - j;
            m(3, j) = j % 5 == 0 ? kMarked : 60;
            m(4, j) = j % 9 == 0 ? kErrorValue : j;
        }
    }

    // Evaluates with both readings and checks they agree exactly.
    void check(const std::string& formula, int bands, int firstBand) {
        std::string text = formula;
        BandArray fast;
        BandArray literal;
        const std::string msg = EvalFormula(m, 4, text, fast, 3, bands, firstBand);
        const RefSheet s{m, 4, 3, bands, firstBand};
        const std::string refMsg = refEval(s, formula, literal, 0);
        ASSERT_EQ(msg, refMsg) << "formula: " << formula;
        if (!msg.empty()) {
            ++messages;
            return;
        }
        ++values;
        for (int j = 1; j <= bands; ++j) {
            ASSERT_TRUE(std::isfinite(fast[j])) << formula << " band " << j;
            // Bit for bit: the same operations in the same order.
            ASSERT_EQ(std::memcmp(&fast[j], &literal[j], sizeof(double)), 0)
                << formula << " band " << j << ": " << fast[j] << " vs " << literal[j];
        }
    }

    SheetMatrix m;
    int messages = 0;
    int values = 0;
};

TEST_F(FormulaFuzz, RandomTokensGiveAMessageOrFiniteBands) {
    std::mt19937 rng(20261208);
    for (int i = 0; i < 20000; ++i) {
        check(randomFormula(rng), i % 2 ? 30 : 10, i % 3 ? 14 : 40);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(values, 1000); // the tokens reach the values too, not only messages
    EXPECT_GT(messages, 1000);
}

TEST_F(FormulaFuzz, RandomExpressionsAgreeWithTheLiteralRules) {
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        check(randomExpression(rng, 6), i % 2 ? 30 : 10, 1 + i % 20);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(values, 1000);
}

// Mostly constants, every function, failures such as log(0), 1/0 and 1e308 * 10
// included: a part without spectra is computed once for all bands, and must
// give what every band computed on its own gives, and fail where that fails.
std::string constantExpression(std::mt19937& rng, int budget) {
    std::uniform_int_distribution<int> pick(0, 99);
    static const char* const leaves[] = {"3",  "60", "0",     "0.5",  "pi", "True", "",
                                         "-2", "45", "1e308", "4000", "1",  "s1",   "F"};
    static const char* const ops[] = {"^", "/", "*", "-",  "+",  "!-", "!+",
                                      "=", ">", "<", "<>", ">=", "<="};
    const int roll = pick(rng);
    if (budget <= 0 || roll < 25) {
        // A spectrum or the band frequency now and then, among the constants.
        const size_t n = std::size(leaves) - (pick(rng) < 90 ? 2 : 0);
        return leaves[static_cast<size_t>(pick(rng)) % n];
    }
    if (roll < 60) {
        const int fn = 1 + pick(rng) % gFuncCount;
        const int args = 1 + pick(rng) % 6;
        std::string call = gFuncNames[static_cast<size_t>(fn)] + "(";
        for (int a = 0; a < args; ++a)
            call += (a ? "," : "") + constantExpression(rng, budget - 1);
        return call + ")";
    }
    return "(" + constantExpression(rng, budget - 1) + ops[static_cast<size_t>(pick(rng)) % 13] +
           constantExpression(rng, budget - 1) + ")";
}

TEST_F(FormulaFuzz, ConstantPartsAgreeWithTheLiteralRules) {
    std::mt19937 rng(2026);
    const int bandCounts[] = {30, 10, 1, 0};
    for (int i = 0; i < 6000; ++i) {
        check(constantExpression(rng, 4), bandCounts[i % 4], 1 + i % 40);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(values, 1000);
    EXPECT_GT(messages, 300);
}

TEST_F(FormulaFuzz, ChainsAroundTheDepthLimitAgreeWithTheLiteralRules) {
    std::mt19937 rng(11);
    static const char* const operands[] = {"1",       "s1", "(s2+1)",  "s0", "q",
                                           "log(s4)", "()", "(((3)))", "",   "s3"};
    static const char* const ops[] = {"+", "-", "*", "!+", ">", "^", "<>"};
    std::uniform_int_distribution<int> operand(0, 9);
    std::uniform_int_distribution<int> op(0, 6);
    for (int k = kMaxFormulaDepth - 8; k <= kMaxFormulaDepth + 8; ++k)
        for (int round = 0; round < 20; ++round) {
            std::string f = round % 3 == 0 ? "((" : "";
            f += operands[operand(rng)];
            for (int i = 0; i < k; ++i)
                f += std::string(ops[op(rng)]) + operands[operand(rng)];
            if (round % 3 == 0) f += "))";
            check(f, 10, 14);
            if (HasFatalFailure()) return;
        }
}

TEST_F(FormulaFuzz, DeepAndLongFormulasEndWithAMessage) {
    const std::string cases[] = {
        std::string(300000, '(') + "s1" + std::string(300000, ')'),
        std::string(100000, '('),
        std::string(100000, ')') + std::string(100000, '('),
        [] {
            std::string f;
            for (int i = 0; i < 20000; ++i)
                f += "logsum(";
            return f + "1" + std::string(20000, ')');
        }(),
        [] {
            std::string f = "1";
            for (int i = 0; i < 100000; ++i)
                f += "!+1";
            return f;
        }(),
        [] {
            std::string f;
            for (int i = 0; i < 50000; ++i)
                f += "-";
            return f + "1";
        }(),
    };
    for (const std::string& f : cases) {
        std::string text = f;
        BandArray result;
        const std::string msg = EvalFormula(m, 4, text, result, 3, 30, 14);
        EXPECT_FALSE(msg.empty()) << f.substr(0, 40);
    }
    // Wide but shallow calls are still evaluated.
    std::string empties = "logsum(1" + std::string(50000, ',') + ")";
    BandArray marked;
    EXPECT_EQ(EvalFormula(m, 4, empties, marked, 3, 30, 14), "");
    EXPECT_EQ(marked[1], kMarked);
    std::string wide = "logsum(1";
    for (int i = 0; i < 5000; ++i)
        wide += ",1";
    wide += ")";
    BandArray result;
    EXPECT_EQ(EvalFormula(m, 4, wide, result, 3, 30, 14), "");
    EXPECT_NEAR(result[1], 10 * std::log10(5001.0) + 1, 1e-9);
}

} // namespace
