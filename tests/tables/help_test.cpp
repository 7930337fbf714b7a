#include "tables/globals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Help : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FillTables();
        FillHelpTables();
    }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t p = text.find("\r\n", start);
        lines.push_back(text.substr(start, p == std::string::npos ? p : p - start));
        if (p == std::string::npos) return lines;
        start = p + 2;
    }
}

TEST_F(Help, TopicsWithTheirLineAndEmptyLineCounts) {
    struct Topic {
        const char* name;
        int lines;
        int empty;
    };
    const Topic topics[] = {{"General", 11, 5},   {"Formulas", 5, 2},  {"Operators", 12, 1},
                            {"Functions", 22, 9}, {"Constants", 9, 4}, {"Datasheets", 3, 1},
                            {"Graphs", 3, 1},     {"Printing", 1, 0},  {"Templates", 3, 1}};
    ASSERT_EQ(gHelpTopicCount, 9);
    ASSERT_EQ(gHelpTopics.size(), 10u);
    ASSERT_EQ(gHelpTexts.size(), 10u);
    EXPECT_EQ(gHelpTopics[0], "");
    EXPECT_EQ(gHelpTexts[0], "");
    for (int k = 1; k <= 9; ++k) {
        const Topic& t = topics[k - 1];
        const std::string& text = gHelpTexts[static_cast<size_t>(k)];
        EXPECT_EQ(gHelpTopics[static_cast<size_t>(k)], t.name);
        const auto lines = linesOf(text);
        int empty = 0;
        for (const auto& l : lines)
            empty += l.empty() ? 1 : 0;
        EXPECT_EQ(static_cast<int>(lines.size()), t.lines) << t.name;
        EXPECT_EQ(empty, t.empty) << t.name;
        // Plain text: no leading or trailing line break, no other control
        // character, no CR or LF outside a CR LF pair.
        EXPECT_NE(text.substr(0, 2), "\r\n") << t.name;
        EXPECT_NE(text.substr(text.size() - 2), "\r\n") << t.name;
        for (const auto& l : lines)
            for (char c : l)
                EXPECT_GE(static_cast<unsigned char>(c), 0x20) << t.name;
    }
}

TEST_F(Help, EndingsOfTheTexts) {
    const std::string& general = gHelpTexts[1];
    EXPECT_EQ(general.back(), '.'); // ends with its last sentence
    const std::string& templates = gHelpTexts[9];
    EXPECT_EQ(templates.substr(templates.size() - 3), ".  ");
    EXPECT_EQ(gHelpTexts[8].find('\r'), std::string::npos);
}

TEST_F(Help, FormulaLanguageTopicsWordForWord) {
    EXPECT_EQ(gHelpTexts[2],
              "A formula is just text typed into the 'Formula' column in the worksheet.  It is "
              "expressed much as you would in a standard spreadsheet program.  However, "
              "operations are performed on an entire spectrum.  \r\n\r\nBrackets - i.e. '(' and "
              "')' - are used as normal, so that, for example, '(s3 + 4) * s2' evaluates as you "
              "would expect.  Spaces in the formula are ignored, and the expressions are not "
              "case-sensitive, i.e. 'S1' is equivalent to 's1'.  There are also specialised "
              "operators which you can use for acoustic calculations.  For example, 's1 !+ (s2 + "
              "10 * log( 15 ))' gives the logarithmic addition of s1 with s2 +10log(15).  By the "
              "way, 'log' means log to base 10.  \r\n\r\nIn addition, there are specialist "
              "functions such as 'Awt(s1)' which returns s1 after applying an A weighting.  More "
              "functions can be added fairly easily.");
    const auto ops = linesOf(gHelpTexts[3]);
    ASSERT_EQ(ops.size(), 12u);
    EXPECT_EQ(ops[1], "");
    EXPECT_EQ(ops[2], "  ^  : exponentiation");
    EXPECT_EQ(ops[8], "  !- : logarithmic subtraction");
    EXPECT_EQ(ops[10],
              std::string(24, ' ') +
                  "and False (0) otherwise - e.g. 's2 > s3' gives -1 for bands where s2 > s3");
    EXPECT_EQ(ops[11], std::string(24, ' ') + "and 0 for bands where s2 <= s3");
    const auto fns = linesOf(gHelpTexts[4]);
    ASSERT_EQ(fns.size(), 22u);
    EXPECT_EQ(fns[14], "  DistPo(); DistLi()");
    EXPECT_EQ(fns[15],
              "      DistPl()             : Distance correction for point, line & plane sources");
    EXPECT_EQ(fns[17], "  If(a, b, c)            :  Gives expression b if expression a is True "
                       "(non-zero), and");
    EXPECT_EQ(fns[19], std::string(30, ' ') + "s2!-s3 when s2>s3 and 0 otherwise");
    EXPECT_EQ(fns[21], "These are described in more detail in Help - Functions (ctrl-f).");
    EXPECT_EQ(gHelpTexts[5],
              "Apart from typing any numerical value, you can also use the following named "
              "constants:\r\n\r\n  pi   : 3.14159\r\n\r\n  c    : 343 (m/sec)\r\n\r\n  True : "
              "-1\r\n\r\n  False: 0");
}

TEST_F(Help, FunctionHelpListOrder) {
    const char* const list[] = {"log",    "loge",   "Awt",    "Cwt",    "NR",     "NC",
                                "PNC",    "RC",     "STC",    "Rw",     "logsum", "logav",
                                "BarCor", "AirAbs", "DistPo", "DistLi", "DistPl", "if",
                                "CompTL", "DnT",    "Plen",   "RmC",    "Ln,w",   "IIC"};
    ASSERT_EQ(gFuncHelpOrder.size(), static_cast<size_t>(gFuncCount) + 1);
    for (int p = 1; p <= gFuncCount; ++p) {
        int found = 0;
        int matches = 0;
        for (int i = 1; i <= gFuncCount; ++i)
            if (gFuncHelpOrder[static_cast<size_t>(i)] == p) {
                found = i;
                ++matches;
            }
        EXPECT_EQ(matches, 1) << "position " << p;
        EXPECT_EQ(gFuncNames[static_cast<size_t>(found)], list[p - 1]) << "position " << p;
    }
}

TEST_F(Help, FunctionDescriptionsAndPrompts) {
    ASSERT_EQ(gFuncDesc.size(), 25u);
    ASSERT_EQ(gFuncArgCount.size(), 25u);
    ASSERT_EQ(gFuncArgPrompts.size(), 25u);
    const int boxes[] = {1, 1, 1, 1, 1, 1, 1, 1, 5, 5, 6, 3, 1, 4, 2, 3, 1, 6, 3, 1, 1, 1, 5, 4};
    for (int i = 1; i <= 24; ++i) {
        const size_t r = static_cast<size_t>(i);
        EXPECT_EQ(gFuncArgCount[r], boxes[i - 1]) << i;
        EXPECT_FALSE(gFuncDesc[r].empty()) << i;
        for (int j = 0; j <= kMaxFuncHelpArgs; ++j)
            EXPECT_EQ(gFuncArgPrompts[r][static_cast<size_t>(j)].empty(),
                      j == 0 || j > gFuncArgCount[r])
                << i << " " << j;
    }
    EXPECT_EQ(gFuncDesc[0], "");
    EXPECT_EQ(gFuncArgCount[0], 0);
    EXPECT_EQ(gFuncHelpOrder[0], 0);
    EXPECT_EQ(gFuncDesc[24], "Schultz room correction:  SPL = SWL + RmC( )");
    EXPECT_EQ(gFuncDesc[14].back(), '.');
    EXPECT_EQ(gFuncDesc[15].back(), '.');
    EXPECT_EQ(gFuncDesc[3], "A-weighted spectrum of another spectum or constant");
    EXPECT_EQ(gFuncArgPrompts[20][1], gFuncArgPrompts[6][1]); // PNC asks for the NC level
    EXPECT_EQ(gFuncArgPrompts[20][1], "Enter the NC level:");
    EXPECT_EQ(gFuncArgPrompts[11][6], "Barrier width, m (default = 0):");
    EXPECT_EQ(gFuncArgPrompts[14][4],
              "Coherent source, enter True; Incoherent, enter False (default = False):");
    EXPECT_EQ(gFuncArgPrompts[12][3], "Rel Humidity, % (default = 50):");
}

} // namespace
