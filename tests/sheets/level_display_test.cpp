// The level display rules: typed numbers, rating texts, level texts and
// colours, and the small chart's rows and value axis.
#include "sheets/level_display.h"
#include "tables/globals.h"

#include <gtest/gtest.h>

namespace {

struct TypedCase {
    const char* text;
    double value;
    bool overflow;
};

TEST(ReadNumber, ReadsTheLeadingNumberAsTypedTextIsRead) {
    const TypedCase cases[] = {
        {"12.36", 12.36, false}, {"7 5", 75, false},    {"12 dB", 12, false},
        {"x", 0, false},         {"", 0, false},        {"-3.5e2", -350, false},
        {"1D2", 100, false},     {"1e", 1, false},      {".5", 0.5, false},
        {"5.", 5, false},        {"inf", 0, false},     {"nan", 0, false},
        {"0x10", 0, false},      {"- 4", -4, false},    {"1e999", 0, true},
        {"--1", 0, false},       {"\t42\n", 42, false}, {"1.2.3", 1.2, false},
        {"65,2", 65.2, false},   {",5", 0.5, false},    {"- 3,5", -3.5, false},
        {"6,5E3", 6500, false},  {"1,2,3", 1, false},   {"1,5.2", 1, false},
        {"65,2dB", 65, false},   {",", 0, false},
    };
    for (const auto& c : cases) {
        bool overflow = false;
        EXPECT_DOUBLE_EQ(readNumber(c.text, &overflow), c.value) << c.text;
        EXPECT_EQ(overflow, c.overflow) << c.text;
    }
}

TEST(NumFromText, FindsTheRatingInItsResultText) {
    const std::pair<db::Value, double> cases[] = {
        {db::Value("65.2 dBA"), 65.2},
        {db::Value("NR 45"), 45},
        {db::Value("NRC .65"), 0.65},
        {db::Value("NC ***"), -999},
        {db::Value("#ERR"), -999},
        {db::Value("C50-5K -1"), -1},
        {db::Value("C1 -2"), -2},
        {db::Value(""), -999},
        {db::Value::null(), -999},
        {db::Value("54 (-1;-5)"), 54},
        {db::Value("-"), 0},
        {db::Value("."), 0},
        {db::Value(std::string(400, '9')), -999},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(NumFromText(text), value) << text.toText();
}

TEST(FormatLevel, ShowsMarkersAndRoundsTheDecimalForm) {
    EXPECT_EQ(FormatLevel(5, "Sound Level"), "5.0");
    EXPECT_EQ(FormatLevel(1234.56, "Sound Level"), "1234.6");
    EXPECT_EQ(FormatLevel(12.35, "Sound Level"), "12.4");
    EXPECT_EQ(FormatLevel(-0.04, "Sound Level"), "0.0");
    EXPECT_EQ(FormatLevel(0.456, "Reverberation Time"), "0.46");
    EXPECT_EQ(FormatLevel(0.455, "Absorption"), "0.46");
    EXPECT_EQ(FormatLevel(0.456, "absorption"), "0.5"); // the type test is exact
    EXPECT_EQ(FormatLevel(-999, "Sound Level"), ".");
    EXPECT_EQ(FormatLevel(-998, "Absorption"), "X");
    EXPECT_EQ(FormatLevel(-997, ""), "#ERR");
    EXPECT_EQ(GetLevelColour(-998), 0xFF00);
    EXPECT_EQ(GetLevelColour(-997), 0xFF);
    EXPECT_EQ(GetLevelColour(-999), 0);
    EXPECT_EQ(levelColour(-997), QColor(Qt::red));
    EXPECT_EQ(levelColour(-998), QColor(Qt::green));
}

class SmallChart : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
    // A record in table order with these bands.
    static std::vector<db::Value> record(const std::string& type, std::vector<double> bands,
                                         db::Value t1 = db::Value::null(),
                                         db::Value v1 = db::Value::null(),
                                         db::Value t2 = db::Value::null(),
                                         db::Value v2 = db::Value::null()) {
        std::vector<db::Value> f = {1, "", type, t1, v1, t2, v2, ""};
        for (double b : bands)
            f.emplace_back(b);
        return f;
    }
};

TEST_F(SmallChart, ScalesTheValueAxisByTheSpectrumType) {
    struct Case {
        std::string type;
        std::vector<double> bands;
        double max, min;
        int major;
    };
    const Case cases[] = {
        {"Sound Level", {42.3, 50, 60, 71.2}, 80, 40, 4},
        {"Sound Level", {40, 70}, 80, 30, 5},
        {"Sound Level", {40.5, 65}, 70, 40, 3},
        {"Sound Level", {45, -999, -998, -997}, 50, 40, 1},
        {"Absorption", {0.05, 0.5, 0.93}, 1, 0, 2},
        {"Reverberation Time", {1.0}, 1.5, 0, 3},
        // No value at all: the start values go through the rounding.
        {"Sound Level", {-999, -999}, -9990, -10, -998},
        {"Absorption", {-999}, -9998.5, 0, -19997},
    };
    for (const auto& c : cases) {
        std::vector<double> bands = c.bands;
        bands.resize(10, -999);
        const auto chart = smallChartData(record(c.type, bands), false, 10, 14);
        EXPECT_DOUBLE_EQ(chart.maximum, c.max) << c.type << " " << c.bands[0];
        EXPECT_DOUBLE_EQ(chart.minimum, c.min) << c.type << " " << c.bands[0];
        EXPECT_EQ(chart.major, c.major) << c.type << " " << c.bands[0];
        EXPECT_EQ(chart.minor, 1);
    }
}

TEST_F(SmallChart, RowsLabelsAndSummaries) {
    // Octave, both summaries: 12 rows, every band labelled.
    std::vector<double> bands(10, 50);
    bands[2] = -998;
    auto c = smallChartData(record("Sound Level", bands, "dBA", "65.2 dBA", "NC", "NC ***"), false,
                            10, 14);
    ASSERT_EQ(c.rows.size(), 12u);
    EXPECT_EQ(c.rows[0].label, "31.5Hz");
    EXPECT_EQ(c.rows[1].label, "63Hz");
    EXPECT_TRUE(c.rows[2].null);
    EXPECT_EQ(c.rows[10].label, "dBA");
    EXPECT_DOUBLE_EQ(c.rows[10].value, 65.2);
    EXPECT_EQ(c.rows[11].label, "NC");
    EXPECT_TRUE(c.rows[11].null);
    EXPECT_DOUBLE_EQ(c.maximum, 70); // 65.2 takes part in the scaling

    // Third-octave, both summaries: a gap row between them; labels on the
    // middle third of each octave only.
    c = smallChartData(
        record("Sound Level", std::vector<double>(30, 40), "dBA", "50 dBA", "dBL", "55 dBL"), false,
        30, 13);
    ASSERT_EQ(c.rows.size(), 33u);
    EXPECT_EQ(c.rows[0].label, " ");
    EXPECT_EQ(c.rows[1].label, "31.5Hz");
    EXPECT_EQ(c.rows[4].label, "63Hz");
    EXPECT_TRUE(c.rows[31].null);
    EXPECT_EQ(c.rows[31].label, "");
    EXPECT_EQ(c.rows[32].label, "dBL");

    // Summary 1 absent: summary 2 takes its place right after the bands.
    c = smallChartData(
        record("Sound Level", std::vector<double>(10, 40), "", "", "dBA", "65.2 dBA"), false, 10,
        14);
    ASSERT_EQ(c.rows.size(), 11u);
    EXPECT_EQ(c.rows[10].label, "dBA");
    EXPECT_DOUBLE_EQ(c.rows[10].value, 65.2);
}

TEST_F(SmallChart, AnEmptySheetDrawsZerosFromZeroToZero) {
    const auto c = smallChartData({}, true, 10, 14);
    ASSERT_EQ(c.rows.size(), 10u);
    for (const auto& r : c.rows) {
        EXPECT_EQ(r.value, 0);
        EXPECT_FALSE(r.null);
    }
    EXPECT_EQ(c.maximum, 0);
    EXPECT_EQ(c.minimum, 0);
    EXPECT_EQ(c.major, 0);
}

TEST_F(SmallChart, AHugeRangeOverflowsTheMajorDivision) {
    std::vector<double> bands(10, 40);
    bands[0] = 1e6;
    EXPECT_TRUE(smallChartData(record("Sound Level", bands), false, 10, 14).majorOverflow);
}

} // namespace
