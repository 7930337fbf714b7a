#include "engine/formula.h"

#include "engine/arith.h"
#include "engine/functions.h"
#include "engine/operators.h"
#include "tables/band_table.h"
#include "tables/vocabulary.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

// The evaluator works on views into the formula text: once the blanks are
// gone at the top, every level's text is a substring, so no level copies it.
// The split, strip and match rules are those of the bracket-pair table and
// the operator marks, computed in single passes.
//
// A level that holds no spectrum, no band frequency and no function that
// reads the band's place has one value in every band: it is computed once,
// in band 1, and spread over the bands only where it meets a level that
// differs from band to band. Every band would have run the same operations
// on the same doubles, so the value, and the failure of the first band, are
// those of the band-by-band evaluation.

namespace {

constexpr const char* kMsgUnmatched = "Unmatched parentheses";
constexpr const char* kMsgUnrecognised = "Unrecognised expression: ";
constexpr const char* kMsgNoSpectrum = "Referenced spectrum does not exist";
constexpr const char* kMsgSelf = "Spectrum formula cannot reference itself";

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string unrecognised(std::string_view text) {
    std::string msg(kMsgUnrecognised);
    msg.append(text);
    return msg;
}

struct Context {
    const SheetMatrix& m;
    int recordCount;
    int ownPos;
    int bandCount;
    int firstBand;
    int once; // the bands a uniform level computes: band 1 (none on a sheet without bands)
    std::vector<int>* reads; // the positions read from the matrix, when wanted
    // Bit k: the text of operator row k begins with this character; bit 0:
    // the character is a bracket. Zero for every other character.
    std::array<std::uint16_t, 256> charClass{};
};

constexpr unsigned kBracketBit = 1;
constexpr int kMaxIndexedOperator = 15; // rows a bit of Context::charClass can stand for

// How deep a level lies: operands and arguments evaluated on the way down
// (the recursion), and bracket pairs stripped on the way (the nesting of
// brackets). Each has its own limit, so 200 levels of brackets still work.
struct Depth {
    int levels = 0;
    int brackets = 0;
    Depth deeper() const { return {levels + 1, brackets}; }
};

// Evaluates `text` into `result`. `uniform` tells whether the value is one
// for every band, held in band 1 only.
std::string evalLevel(const Context& cx, std::string_view text, BandArray& result, Depth depth,
                      bool& uniform);

// The brackets of a text in one pass: how many of each, and the pairs walked
// as FindBracketPairs walks them. `firstClose` is the 0-based match of the
// first "(" (npos when there is none); `failedOpen` is the "(" whose walk
// found no match before the end (npos when every walk ended).
struct Brackets {
    size_t opens = 0;
    size_t closes = 0;
    size_t firstClose = std::string_view::npos;
    size_t failedOpen = std::string_view::npos;
};

Brackets scanBrackets(std::string_view text) {
    Brackets b;
    int depth = 0;
    size_t open = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(') {
            ++b.opens;
            if (depth++ == 0) open = i;
        } else if (c == ')') {
            ++b.closes;
            // A ")" outside every pair is passed over by the walk.
            if (depth > 0 && --depth == 0 && b.firstClose == std::string_view::npos)
                b.firstClose = i;
        }
    }
    if (depth != 0) b.failedOpen = open;
    return b;
}

// The operator row whose text starts at `i`, or 0; the later row wins.
int operatorAt(const Context& cx, std::string_view text, size_t i) {
    for (unsigned rows = cx.charClass[static_cast<unsigned char>(text[i])] & ~kBracketBit;
         rows != 0;) {
        const int k = std::bit_width(rows) - 1;
        rows &= ~(1u << k);
        const std::string& op = gOperators[static_cast<size_t>(k)].text;
        if (op.size() <= text.size() - i && text.compare(i, op.size(), op) == 0) return k;
    }
    return 0;
}

void fillAll(BandArray& b, int bandCount, double v) {
    for (int j = 1; j <= bandCount; ++j)
        b[j] = v;
}

// A uniform value over all the bands.
void spread(BandArray& b, int bandCount) {
    for (int j = 2; j <= bandCount; ++j)
        b[j] = b[1];
}

std::string evalFunctionCall(const Context& cx, int funcNo, std::string_view argText,
                             BandArray& result, Depth depth, bool& uniform) {
    // A comma inside a bracket pair belongs to a nested call. A "(" with no
    // match records no pair, so commas after it all separate (the argument
    // holding it reports its own bracket error).
    const size_t failedOpen = scanBrackets(argText).failedOpen;

    ArgMatrix args;
    int commas = 0;
    size_t start = 0;
    bool allUniform = true; // while so, the columns hold band 1 only
    auto addArgument = [&](std::string_view arg, bool emptyIsNoValue) -> std::string {
        BandArray& col = args.addColumn();
        bool u = true;
        if (arg.empty()) {
            if (emptyIsNoValue) fillAll(col, cx.once, kNoValue);
        } else {
            std::string msg = evalLevel(cx, arg, col, depth.deeper(), u);
            if (!msg.empty()) return msg;
        }
        if (u && !allUniform) {
            spread(col, cx.bandCount);
        } else if (!u && allUniform) {
            allUniform = false;
            for (int a = 1; a < args.count(); ++a)
                spread(args.column(a), cx.bandCount);
        }
        return std::string();
    };
    int pairDepth = 0;
    for (size_t i = 0; i < argText.size(); ++i) {
        const char c = argText[i];
        if (i < failedOpen) {
            if (pairDepth > 0) {
                if (c == '(')
                    ++pairDepth;
                else if (c == ')')
                    --pairDepth;
                continue;
            }
            if (c == '(') {
                pairDepth = 1;
                continue;
            }
        }
        if (c != ',') continue;
        std::string msg = addArgument(argText.substr(start, i - start), true);
        if (!msg.empty()) return msg;
        ++commas;
        start = i + 1;
    }
    // With no comma an empty list passes one argument of zeros.
    std::string msg = addArgument(argText.substr(start), commas > 0);
    if (!msg.empty()) return msg;
    uniform = allUniform && functionIgnoresBandPlace(funcNo);
    if (uniform) return EvalFunction(funcNo, args, commas + 1, result, cx.once, cx.firstBand);
    if (allUniform)
        for (int a = 1; a <= args.count(); ++a)
            spread(args.column(a), cx.bandCount);
    return EvalFunction(funcNo, args, commas + 1, result, cx.bandCount, cx.firstBand);
}

std::string evalTerminal(const Context& cx, std::string_view text, BandArray& result, Depth depth,
                         bool& uniform) {
    uniform = true;
    int funcNo = 0;
    if (text.back() == ')')
        for (int k = 1; k <= gFuncCount; ++k) {
            const std::string& name = gFuncNames[static_cast<size_t>(k)];
            if (text.size() >= name.size() + 2 && text[name.size()] == '(' &&
                iequals(text.substr(0, name.size()), name))
                funcNo = k;
        }
    if (funcNo != 0) {
        const size_t nameLen = gFuncNames[static_cast<size_t>(funcNo)].size();
        return evalFunctionCall(cx, funcNo, text.substr(nameLen + 1, text.size() - nameLen - 2),
                                result, depth, uniform);
    }

    int constNo = 0;
    for (int k = 1; k <= gConstCount; ++k)
        if (iequals(text, gConstNames[static_cast<size_t>(k)])) constNo = k;
    if (constNo != 0) return FillConstant(constNo, result, cx.once);

    double value = 0;
    switch (parseFormulaNumber(text, value)) {
    case NumberText::Value:
    case NumberText::TooSmall:
        fillAll(result, cx.once, value);
        return std::string();
    case NumberText::TooLarge:
        return kMsgOverflow;
    case NumberText::NotNumber:
        break;
    }

    uniform = false;
    if (text.size() == 1 && lower(text[0]) == 'f') {
        for (int j = 1; j <= cx.bandCount; ++j) {
            const int t = bandTableIndex(cx.firstBand, j, cx.bandCount);
            // A band outside the table has no frequency.
            result[j] = (t >= 1 && t < static_cast<int>(gBandFreq.size()))
                            ? gBandFreq[static_cast<size_t>(t)]
                            : kNoValue;
        }
        return std::string();
    }

    if (text.size() > 1 && lower(text[0]) == 's') {
        double n = 0;
        const NumberText kind = parseFormulaNumber(text.substr(1), n);
        if (kind == NumberText::Value || kind == NumberText::TooLarge) {
            if (kind == NumberText::TooLarge) n = HUGE_VAL;
            if (n == std::floor(n)) {
                if (n < 1 || n > cx.recordCount || n > cx.m.records()) return kMsgNoSpectrum;
                const int pos = static_cast<int>(n);
                if (pos == cx.ownPos) return kMsgSelf;
                const int stored = std::min(cx.bandCount, cx.m.bands());
                if (cx.reads) cx.reads->push_back(pos);
                for (int j = 1; j <= stored; ++j)
                    result[j] = cx.m(pos, j);
                for (int j = stored + 1; j <= cx.bandCount; ++j)
                    result[j] = kNoValue;
                return std::string();
            }
        }
    }
    return unrecognised(text);
}

// One pass over a level's text: its brackets (as scanBrackets) and the
// operator to split at. Operator marks count outside brackets only; a
// two-character operator hides the mark of its second character. The split
// is the rightmost operator of the loosest priority present; `chain` counts
// the operators that were the loosest so far.
struct LevelScan {
    Brackets brackets;
    size_t split = std::string_view::npos;
    int splitOp = 0;
    int chain = 0;
};

LevelScan scanLevel(const Context& cx, std::string_view text) {
    LevelScan s;
    Brackets& b = s.brackets;
    int walk = 0;         // depth as the bracket-pair walk counts it
    int bracketDepth = 0; // depth for the operator marks
    size_t open = 0;
    size_t covered = 0;
    int largest = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const unsigned cls = cx.charClass[static_cast<unsigned char>(c)];
        if (cls == 0) {
            if (covered > 0) --covered;
            continue;
        }
        if (c == '(') {
            ++b.opens;
            if (walk++ == 0) open = i;
            ++bracketDepth;
            continue;
        }
        if (c == ')') {
            ++b.closes;
            if (walk > 0 && --walk == 0 && b.firstClose == std::string_view::npos) b.firstClose = i;
            --bracketDepth;
            continue;
        }
        if (covered > 0) {
            --covered;
            continue;
        }
        const int k = operatorAt(cx, text, i);
        if (k == 0) continue;
        const OperatorRow& op = gOperators[static_cast<size_t>(k)];
        covered = op.text.size() - 1;
        if (bracketDepth > 0) continue;
        if (op.priority > largest) largest = op.priority;
        if (op.priority == largest) {
            s.split = i;
            s.splitOp = k;
            ++s.chain;
        }
    }
    if (walk != 0) b.failedOpen = open;
    return s;
}

std::string evalLevel(const Context& cx, std::string_view text, BandArray& result, Depth depth,
                      bool& uniform) {
    uniform = true;
    if (depth.levels > kMaxFormulaDepth) return kMsgTooComplex;
    if (text.empty()) {
        fillAll(result, cx.once, 0); // an empty operand counts as 0
        return std::string();
    }

    LevelScan scan = scanLevel(cx, text);
    if (scan.brackets.opens != scan.brackets.closes) return kMsgUnmatched;
    if (scan.brackets.opens > 0) {
        if (scan.brackets.failedOpen != std::string_view::npos) return unrecognised(text);
        // Strip brackets that enclose the whole text, one pair at a time.
        while (!text.empty() && text.front() == '(' &&
               scan.brackets.firstClose == text.size() - 1) {
            text = text.substr(1, text.size() - 2);
            if (++depth.brackets > kMaxFormulaDepth) return kMsgTooComplex;
            scan = scanLevel(cx, text);
            if (scan.brackets.failedOpen != std::string_view::npos) return unrecognised(text);
        }
    }
    const size_t split = scan.split;
    const int splitOp = scan.splitOp;
    const int chain = scan.chain;

    if (split == std::string_view::npos) return evalTerminal(cx, text, result, depth, uniform);
    // Each operator that was the loosest so far is where the left operand of
    // the one after it splits, so the leftmost operand lies `chain` levels
    // down; nothing on the way there can fail first (every left text is a
    // bracket-balanced prefix of this one), so a chain longer than the depth
    // allows is known now rather than after `chain` scans of the text.
    if (depth.levels + chain > kMaxFormulaDepth) return kMsgTooComplex;

    // The left operand goes into the result itself, which the operator then
    // overwrites band by band; every level writes each band it hands on.
    BandArray& left = result;
    BandArray right{BandArray::Unset{}};
    bool leftUniform;
    bool rightUniform;
    std::string msg = evalLevel(cx, text.substr(0, split), left, depth.deeper(), leftUniform);
    if (!msg.empty()) return msg;
    const size_t opLen = gOperators[static_cast<size_t>(splitOp)].text.size();
    msg = evalLevel(cx, text.substr(split + opLen), right, depth.deeper(), rightUniform);
    if (!msg.empty()) return msg;
    uniform = leftUniform && rightUniform;
    if (uniform) return ApplyOperator(splitOp, left, right, result, cx.once, cx.firstBand);
    if (leftUniform) spread(left, cx.bandCount);
    if (rightUniform) spread(right, cx.bandCount);
    return ApplyOperator(splitOp, left, right, result, cx.bandCount, cx.firstBand);
}

} // namespace

NumberText parseFormulaNumber(std::string_view text, double& value) {
    size_t i = 0;
    const size_t n = text.size();
    auto isDigit = [&](size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
    size_t intDigits = 0;
    while (isDigit(i))
        ++i, ++intDigits;
    size_t fracDigits = 0;
    size_t point = std::string_view::npos;
    if (i < n && text[i] == '.') {
        point = i++;
        while (isDigit(i))
            ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return NumberText::NotNumber;
    const size_t mantissaEnd = i;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        if (!isDigit(i)) return NumberText::NotNumber;
        while (isDigit(i)) {
            exponent = std::min<long long>(exponent * 10 + (text[i] - '0'), 1000000000LL);
            ++i;
        }
        if (negative) exponent = -exponent;
    }
    if (i != n) return NumberText::NotNumber;

    // Up to 15 digits and nothing else: a whole number that a double holds
    // exactly, so adding up the digits gives what the full conversion gives.
    if (intDigits == n && n <= 15) {
        long long whole = 0;
        for (char c : text)
            whole = whole * 10 + (c - '0');
        value = static_cast<double>(whole);
        return NumberText::Value;
    }
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + n, v);
    if (ec == std::errc() && ptr == text.data() + n) {
        value = v;
        return NumberText::Value;
    }
    // Out of range: the magnitude of the first significant digit says which way.
    long long magnitude = exponent;
    size_t k = 0;
    while (k < mantissaEnd && (text[k] == '0' || text[k] == '.'))
        ++k;
    if (k == mantissaEnd) {
        value = 0;
        return NumberText::Value;
    }
    if (point == std::string_view::npos || k < point)
        magnitude +=
            static_cast<long long>((point == std::string_view::npos ? mantissaEnd : point) - k);
    else
        magnitude -= static_cast<long long>(k - point - 1);
    if (magnitude > 0) {
        value = HUGE_VAL;
        return NumberText::TooLarge;
    }
    value = 0;
    return NumberText::TooSmall;
}

std::string FindBracketPairs(std::string_view text, int& pairCount,
                             std::vector<BracketPair>& pairs) {
    pairCount = 0;
    pairs.assign(static_cast<size_t>(std::count(text.begin(), text.end(), '(')) + 1, BracketPair{});
    size_t search = 0;
    for (;;) {
        const size_t open = text.find('(', search);
        if (open == std::string_view::npos) return std::string();
        ++pairCount;
        pairs[static_cast<size_t>(pairCount)].open = static_cast<int>(open) + 1;
        int depth = 1;
        size_t pos = open;
        while (depth > 0 && pos + 1 < text.size()) {
            ++pos;
            if (text[pos] == '(')
                ++depth;
            else if (text[pos] == ')')
                --depth;
        }
        if (depth != 0) return unrecognised(text);
        pairs[static_cast<size_t>(pairCount)].close = static_cast<int>(pos) + 1;
        search = pos + 1;
    }
}

std::string FillConstant(int constNo, BandArray& result, int bandCount) {
    static constexpr double kValues[] = {0, 3.14159, 343, -1, 0};
    if (constNo < 1 || constNo > 4) return std::string();
    fillAll(result, std::clamp(bandCount, 0, kMaxBands), kValues[constNo]);
    return std::string();
}

std::string EvalFormula(const SheetMatrix& m, int recordCount, std::string& formula,
                        BandArray& result, int ownPos, int bandCount, int firstBand) {
    return EvalFormula(m, recordCount, formula, result, ownPos, bandCount, firstBand, nullptr);
}

std::string EvalFormula(const SheetMatrix& m, int recordCount, std::string& formula,
                        BandArray& result, int ownPos, int bandCount, int firstBand,
                        std::vector<int>* reads) {
    std::erase(formula, ' ');
    if (formula.empty()) return std::string();
    const int nb = std::clamp(bandCount, 0, kMaxBands);
    Context cx{m, recordCount, ownPos, nb, firstBand, std::min(nb, 1), reads};
    for (int k = 1; k <= std::min(gOperatorCount, kMaxIndexedOperator); ++k) {
        const std::string& op = gOperators[static_cast<size_t>(k)].text;
        if (!op.empty())
            cx.charClass[static_cast<unsigned char>(op[0])] |= static_cast<std::uint16_t>(1u << k);
    }
    cx.charClass['('] |= kBracketBit;
    cx.charClass[')'] |= kBracketBit;
    // An operator or function that fails in band 5 has written bands 1 to 4:
    // evaluate into a copy (bands nobody writes keep their values) and hand
    // it over only on success.
    BandArray value = result;
    bool uniform;
    std::string msg = evalLevel(cx, formula, value, Depth{}, uniform);
    if (!msg.empty()) return msg;
    if (uniform) spread(value, nb);
    result = value;
    return msg;
}
