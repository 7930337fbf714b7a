#include "tables/globals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Vocabulary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(Vocabulary, OperatorsInMatchingOrderWithPriorities) {
    struct Row {
        const char* text;
        int priority;
    };
    const Row rows[] = {{"^", 1}, {"/", 2}, {"*", 2}, {"-", 3},  {"+", 3},  {"!-", 4}, {"!+", 4},
                        {"=", 5}, {">", 5}, {"<", 5}, {"<>", 5}, {">=", 5}, {"<=", 5}};
    ASSERT_EQ(gOperatorCount, 13);
    ASSERT_EQ(gOperators.size(), 14u);
    for (int i = 1; i <= 13; ++i) {
        EXPECT_EQ(gOperators[static_cast<size_t>(i)].text, rows[i - 1].text) << i;
        EXPECT_EQ(gOperators[static_cast<size_t>(i)].priority, rows[i - 1].priority) << i;
    }
    // A two-character operator stands after the one-character operator it
    // begins with, so its mark wins where both start.
    for (int i = 1; i <= 13; ++i) {
        const std::string& two = gOperators[static_cast<size_t>(i)].text;
        if (two.size() != 2) continue;
        for (int k = i + 1; k <= 13; ++k)
            EXPECT_NE(gOperators[static_cast<size_t>(k)].text, two.substr(0, 1)) << two;
    }
}

TEST_F(Vocabulary, FunctionAndConstantNamesAsStored) {
    const char* const functions[] = {"log",    "loge",   "Awt",    "Cwt",   "NR",     "NC",
                                     "RC",     "STC",    "logsum", "logav", "BarCor", "AirAbs",
                                     "DistPo", "DistLi", "DistPl", "if",    "Rw",     "CompTL",
                                     "DnT",    "PNC",    "Ln,w",   "IIC",   "Plen",   "RmC"};
    ASSERT_EQ(gFuncCount, 24);
    ASSERT_EQ(gFuncNames.size(), 25u);
    for (int i = 1; i <= 24; ++i)
        EXPECT_EQ(gFuncNames[static_cast<size_t>(i)], functions[i - 1]);
    const char* const constants[] = {"pi", "c", "True", "False"};
    ASSERT_EQ(gConstCount, 4);
    ASSERT_EQ(gConstNames.size(), 5u);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(gConstNames[static_cast<size_t>(i)], constants[i - 1]);
}

TEST_F(Vocabulary, RowZeroStaysEmptyAndRefillingChangesNothing) {
    FillTables();
    EXPECT_EQ(gOperators[0].text, "");
    EXPECT_EQ(gOperators[0].priority, 0);
    EXPECT_EQ(gFuncNames[0], "");
    EXPECT_EQ(gConstNames[0], "");
    EXPECT_EQ(gOperators.size(), 14u);
    EXPECT_EQ(gFuncNames.size(), 25u);
}

} // namespace
