#include "editing/spectrum_refs.h"

#include "engine/formula.h"
#include "tables/vocabulary.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

// Characters that end an operand: an operator's first character, a bracket
// or an argument comma.
std::array<bool, 256> operandEnds() {
    std::array<bool, 256> ends{};
    bool any = false;
    for (int k = 1; k <= gOperatorCount && k < static_cast<int>(gOperators.size()); ++k) {
        const std::string& op = gOperators[static_cast<size_t>(k)].text;
        if (op.empty()) continue;
        ends[static_cast<unsigned char>(op[0])] = true;
        any = true;
    }
    if (!any)
        for (char c : std::string_view("^/*-+!=<>"))
            ends[static_cast<unsigned char>(c)] = true;
    for (char c : std::string_view("(),"))
        ends[static_cast<unsigned char>(c)] = true;
    return ends;
}

} // namespace

std::vector<SpectrumRef> spectrumRefs(std::string_view formula) {
    std::vector<SpectrumRef> refs;
    // The evaluator drops the blanks first; keep where each character was.
    std::string text;
    std::vector<size_t> at;
    text.reserve(formula.size());
    at.reserve(formula.size());
    for (size_t i = 0; i < formula.size(); ++i)
        if (formula[i] != ' ') {
            text += formula[i];
            at.push_back(i);
        }
    const std::array<bool, 256> ends = operandEnds();
    const auto isEnd = [&ends](char c) { return ends[static_cast<unsigned char>(c)]; };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != 's' && text[i] != 'S') continue;
        // The operand must begin here: at the start, or after an operator,
        // an opening bracket or a comma.
        if (i > 0 && (!isEnd(text[i - 1]) || text[i - 1] == ')')) continue;
        size_t e = i + 1;
        while (e < text.size() && !isEnd(text[e]))
            ++e;
        // "s1(...)" is no reference, nor an operand that goes on past a letter.
        if (e < text.size() && text[e] == '(') continue;
        double n = 0;
        if (e == i + 1 || parseFormulaNumber(std::string_view(text).substr(i + 1, e - i - 1), n) !=
                              NumberText::Value)
            continue;
        if (n != std::floor(n) || n > std::numeric_limits<int>::max()) continue;
        refs.push_back({static_cast<long>(n), at[i] + 1, at[e - 1] + 1});
        i = e - 1;
    }
    return refs;
}

bool formulaUses(std::string_view formula, long spectrum) {
    for (const SpectrumRef& r : spectrumRefs(formula))
        if (r.number == spectrum) return true;
    return false;
}

std::string renumberRefs(std::string_view formula, const std::function<long(long)>& newNumber) {
    std::string out;
    size_t done = 0;
    for (const SpectrumRef& r : spectrumRefs(formula)) {
        const long n = newNumber(r.number);
        if (n == r.number) continue;
        out.append(formula.substr(done, r.begin - done));
        out += std::to_string(n);
        done = r.end;
    }
    if (done == 0) return std::string(formula);
    out.append(formula.substr(done));
    return out;
}

std::string renumberRefs(std::string_view formula, long threshold, long delta) {
    return renumberRefs(formula,
                        [threshold, delta](long m) { return m >= threshold ? m + delta : m; });
}
