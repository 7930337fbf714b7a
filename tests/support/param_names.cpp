#include "tests/support/param_names.h"

#include <cstdio>

namespace paramname {
namespace {

struct Word {
    std::string_view sign;
    const char* word;
};

// Two-character operators first, so that "!+" is one word, not two.
constexpr Word kWords[] = {
    {"!+", "eplus"}, {"!-", "eminus"}, {"<>", "ne"},   {">=", "ge"},    {"<=", "le"},
    {"+", "plus"},   {"-", "minus"},   {"*", "times"}, {"/", "over"},   {"^", "pow"},
    {"=", "eq"},     {"<", "lt"},      {">", "gt"},    {"!", "bang"},   {"(", "open"},
    {")", "close"},  {",", "comma"},   {"\t", "tab"},  {"\"", "quote"}, {"'", "apos"},
};

bool alnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void addWord(std::string& name, std::string_view word) {
    if (!name.empty()) name += '_';
    name += word;
}

} // namespace

std::string fromText(std::string_view text) {
    std::string name;
    std::string word; // letters, digits and points run together
    auto endWord = [&] {
        if (!word.empty()) addWord(name, word);
        word.clear();
    };
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (alnum(c) || c == '.') {
            word += c == '.' ? 'p' : c;
            ++i;
            continue;
        }
        endWord();
        if (c == ' ') {
            ++i;
            continue;
        }
        bool found = false;
        for (const Word& w : kWords)
            if (text.substr(i, w.sign.size()) == w.sign) {
                addWord(name, w.word);
                i += w.sign.size();
                found = true;
                break;
            }
        if (!found) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "x%02X", static_cast<unsigned char>(c));
            addWord(name, hex);
            ++i;
        }
    }
    endWord();
    return name.empty() ? "empty" : name;
}

std::string fromNumber(double v) {
    if (v == -999) return "none";
    if (v == -998) return "marked";
    if (v == -997) return "error";
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    std::string name;
    for (const char* p = text; *p; ++p) {
        if (*p == '-')
            name += 'm';
        else if (*p == '.')
            name += 'p';
        else if (*p != '+')
            name += *p;
    }
    return name;
}

} // namespace paramname
