#pragma once
// References to other spectra inside a formula, found where the evaluator
// reads one: a whole operand made of "s" or "S" and a whole number (s3,
// S12, s03; blanks are not part of a formula). The deletion refusal and the
// renumbering both go by these, by number.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct SpectrumRef {
    long number = 0;
    // Byte range in the formula of the text after the letter up to the
    // operand's last character (what renumbering replaces).
    size_t begin = 0;
    size_t end = 0;
};

std::vector<SpectrumRef> spectrumRefs(std::string_view formula);

// Whether the formula refers to spectrum `spectrum`.
bool formulaUses(std::string_view formula, long spectrum);

// The formula with every reference m replaced by newNumber(m) where that
// differs, written as a plain number ("s03" becoming "s2"); the letter keeps
// its case and every other character stays.
std::string renumberRefs(std::string_view formula, const std::function<long(long)>& newNumber);

// The renumbering after spectra moved: references from `threshold` on move
// by `delta`.
std::string renumberRefs(std::string_view formula, long threshold, long delta);
