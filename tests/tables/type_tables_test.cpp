#include "tables/globals.h"

#include <gtest/gtest.h>

namespace {

class TypeTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(TypeTables, CountsSizesAndEmptyRowZero) {
    EXPECT_EQ(gSummaryTypeCount, 19);
    EXPECT_EQ(gSpectrumTypeCount, 8);
    EXPECT_EQ(gDataSourceCount, 6);
    EXPECT_EQ(gDescriptorCount, 7);
    EXPECT_EQ(gSummaryTypes.size(), 20u);
    EXPECT_EQ(gSpectrumTypes.size(), 9u);
    EXPECT_EQ(gDataSources.size(), 7u);
    EXPECT_EQ(gDescriptors.size(), 8u);
    EXPECT_EQ(gSummaryTypes[0], "");
    EXPECT_EQ(gDataSources[0], "");
    EXPECT_EQ(gDescriptors[0], "");
    for (const std::string& cell : gSpectrumTypes[0])
        EXPECT_EQ(cell, "");
    for (int i = 1; i <= gSummaryTypeCount; ++i)
        EXPECT_FALSE(gSummaryTypes[i].empty()) << i;
    EXPECT_EQ(gDataSources[2], "Manufacturer's Data");
    EXPECT_EQ(gDataSources[6], "Other - see comments");
    EXPECT_EQ(gDescriptors[7], "Other");
}

TEST_F(TypeTables, SummaryNumbersAreTheRatingNumbers) {
    // The rating dispatch depends on these numbers.
    const std::pair<const char*, int> fixed[] = {
        {"dBL", 1},  {"dBA", 2},     {"NR", 4},   {"STC", 7},   {"Rw", 8},  {"NRC", 9},
        {"Ctr", 12}, {"C50-5K", 15}, {"PNC", 16}, {"Ln,w", 17}, {"C1", 18}, {"IIC", 19}};
    for (const auto& [name, number] : fixed)
        EXPECT_EQ(summaryTypeNumber(name), number) << name;
    for (int i = 1; i <= gSummaryTypeCount; ++i)
        EXPECT_EQ(summaryTypeNumber(gSummaryTypes[i]), i);
}

TEST_F(TypeTables, LookupIsExact) {
    for (const char* name : {"", "dba", "DBA", " dBA", "dBA ", "Ln, w", "c", "C50-5k", "Sound"})
        EXPECT_EQ(summaryTypeNumber(name), 0) << '"' << name << '"';
    EXPECT_EQ(spectrumTypeNumber("Transmission Loss"), 2);
    EXPECT_EQ(spectrumTypeNumber("transmission loss"), 0);
    EXPECT_EQ(spectrumTypeNumber(""), 0);
    EXPECT_EQ(spectrumTypeNumber("Constant"), 8);
}

TEST_F(TypeTables, SpectrumDefaultsAreSummaryTypesOrEmpty) {
    for (int i = 1; i <= gSpectrumTypeCount; ++i)
        for (int c = 2; c <= 3; ++c) {
            const std::string& d = gSpectrumTypes[i][c];
            EXPECT_TRUE(d.empty() || summaryTypeNumber(d) > 0) << i << ',' << c;
        }
    const auto& tl = gSpectrumTypes[static_cast<size_t>(spectrumTypeNumber("Transmission Loss"))];
    EXPECT_EQ(tl[2], "Rw");
    EXPECT_EQ(tl[3], "Ctr");
    const auto& rt = gSpectrumTypes[static_cast<size_t>(spectrumTypeNumber("Reverberation Time"))];
    EXPECT_EQ(rt[2], "");
    EXPECT_EQ(rt[3], "");
    // Source-data datasheets are made from rows 1, 5 and 6.
    EXPECT_EQ(gSpectrumTypes[1][1], "Sound Level");
    EXPECT_EQ(gSpectrumTypes[5][1], "Vibration Acceleration");
    EXPECT_EQ(gSpectrumTypes[6][1], "Vibration Velocity");
    EXPECT_EQ(gSpectrumTypes[7][2], "IIC");
    EXPECT_EQ(gSpectrumTypes[7][3], "Ln,w");
}

TEST_F(TypeTables, RefillingGivesTheSameTables) {
    const auto summary = gSummaryTypes;
    const auto spectrum = gSpectrumTypes;
    FillTables();
    EXPECT_EQ(gSummaryTypes, summary);
    EXPECT_EQ(gSpectrumTypes, spectrum);
    EXPECT_EQ(gSummaryTypeCount, 19);
}

} // namespace
