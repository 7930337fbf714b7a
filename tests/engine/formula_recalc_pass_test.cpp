#include "engine/recalc_pass.h"
#include "engine/summary.h"
#include "tables/globals.h"
#include "tests/support/dialog_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecalcPass : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }

    // An octave sheet from 31.5 Hz whose spectrum n holds 10 * n in every band.
    static RecalcPassInput sheet(const std::vector<std::string>& formulas) {
        RecalcPassInput in;
        in.bandCount = 10;
        in.firstBand = 14;
        const int records = static_cast<int>(formulas.size());
        in.values.resize(records, 10);
        for (int n = 1; n <= records; ++n)
            for (int j = 1; j <= 10; ++j)
                in.values(n, j) = 10.0 * n;
        in.formulas.push_back("");
        for (const auto& f : formulas)
            in.formulas.push_back(f);
        in.summary1Types.assign(in.formulas.size(), "dBA");
        in.summary2Types.assign(in.formulas.size(), "dBL");
        return in;
    }
};

TEST_F(RecalcPass, RecordOrderLaterSpectraSeeNewValues) {
    testing_support::DialogScript script;
    // s1 reads s2 before s2 is evaluated; s3 reads s1 after it was.
    const RecalcPassOutput out = runRecalcPass(sheet({"s2 + 1", "5", "s1 + s2", ""}));
    EXPECT_TRUE(out.messages.empty());
    for (int j = 1; j <= 10; ++j) {
        EXPECT_EQ(out.values(1, j), 21);
        EXPECT_EQ(out.values(2, j), 5);
        EXPECT_EQ(out.values(3, j), 26);
        EXPECT_EQ(out.values(4, j), 40); // no formula: its own values
    }
}

TEST_F(RecalcPass, EachFailingSpectrumShowsItsMessageAndKeepsItsValues) {
    testing_support::DialogScript script;
    script.answerMsgBox(platform::vbOK).answerMsgBox(platform::vbOK);
    const RecalcPassOutput out = runRecalcPass(sheet({"", "", "(s1", "s3 + 1", "s5", "s4 * 2"}));
    const std::vector<std::string> expected = {
        "Spectrum 3: Unmatched parentheses",
        "Spectrum 5: Spectrum formula cannot reference itself"};
    EXPECT_EQ(out.messages, expected);
    ASSERT_EQ(script.prompts().size(), 2u);
    EXPECT_EQ(script.prompts()[0].toStdString(), expected[0]);
    EXPECT_EQ(script.prompts()[1].toStdString(), expected[1]);
    EXPECT_EQ(out.values(3, 1), 30); // kept
    EXPECT_EQ(out.values(4, 1), 31); // still evaluated, from the kept values
    EXPECT_EQ(out.values(5, 1), 50);
    EXPECT_EQ(out.values(6, 1), 62);
}

TEST_F(RecalcPass, MessagesCanStayQuiet) {
    testing_support::DialogScript script; // fails the test on any message box
    const RecalcPassOutput out = runRecalcPass(sheet({"q"}), false);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0], "Spectrum 1: Unrecognised expression: q");
}

TEST_F(RecalcPass, SummariesRateTheNewValuesByExactTypeName) {
    testing_support::DialogScript script;
    RecalcPassInput in = sheet({"60", "s1 + 10", "70"});
    in.summary1Types = {"", "dBL", "dBA", "dba"};  // letter case counts
    in.summary2Types = {"", "Max", "", "No such"}; // unknown names rate as type 0
    const RecalcPassOutput out = runRecalcPass(in);
    BandArray b1;
    BandArray b2;
    for (int j = 1; j <= 10; ++j) {
        b1[j] = 60;
        b2[j] = 70;
    }
    const int dBL = summaryTypeNumber("dBL");
    const int dBA = summaryTypeNumber("dBA");
    const int max = summaryTypeNumber("Max");
    ASSERT_GT(dBL, 0);
    ASSERT_GT(dBA, 0);
    ASSERT_EQ(summaryTypeNumber("dba"), 0);
    EXPECT_EQ(out.summary1Vals[1], CalcSummary(dBL, b1, 14, 10));
    EXPECT_EQ(out.summary2Vals[1], CalcSummary(max, b1, 14, 10));
    EXPECT_EQ(out.summary1Vals[2], CalcSummary(dBA, b2, 14, 10));
    EXPECT_EQ(out.summary2Vals[2], CalcSummary(0, b2, 14, 10));
    EXPECT_EQ(out.summary1Vals[3], CalcSummary(0, b2, 14, 10));
    EXPECT_EQ(out.summary2Vals[3], CalcSummary(0, b2, 14, 10));
    EXPECT_FALSE(out.summary1Vals[1].empty());
}

TEST_F(RecalcPass, ShortRowsAndEmptySheets) {
    testing_support::DialogScript script;
    RecalcPassInput in = sheet({"1", "2"});
    in.formulas.resize(2); // spectrum 2 has no formula row
    in.summary1Types.clear();
    in.summary2Types.clear();
    const RecalcPassOutput out = runRecalcPass(in);
    EXPECT_EQ(out.values(1, 1), 1);
    EXPECT_EQ(out.values(2, 1), 20);
    ASSERT_EQ(out.summary1Vals.size(), 3u);

    const RecalcPassOutput none = runRecalcPass(sheet({}));
    EXPECT_EQ(none.values.records(), 0);
    EXPECT_TRUE(none.messages.empty());
}

} // namespace
