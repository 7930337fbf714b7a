// The graph description the graph window draws: rows and gaps, labels,
// axis scaling, summary points and each line's style, for the sheets and
// settings a user meets; and how a reread sheet's records continue the ones
// read before.
#include "output/frm_graph.h"
#include "output/graph_model.h"
#include "tables/globals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

OutputRecord spectrum(int code, const QString& description, std::vector<double> bands,
                      const QString& type = "Sound Level", const QString& sum1Type = "dBA",
                      const QString& sum1Val = "", const QString& sum2Type = "dBL",
                      const QString& sum2Val = "") {
    OutputRecord r;
    r.key = 100 + code;
    r.code = QString::number(code);
    r.description = description;
    r.name = r.code + ": " + description;
    r.type = type;
    r.sum1Type = sum1Type;
    r.sum1Val = sum1Val;
    r.sum2Type = sum2Type;
    r.sum2Val = sum2Val;
    r.bands = std::move(bands);
    return r;
}

LineSettings plotted(bool secondAxis = false) {
    LineSettings s;
    s.plotted = true;
    s.secondAxis = secondAxis;
    return s;
}

struct Graph {
    int nBands = 10;
    int firstBand = 14;
    std::vector<OutputRecord> records;
    std::vector<LineSettings> settings;
    bool summary = false;

    GraphDescription describe() const {
        GraphInput in;
        in.nBands = nBands;
        in.axisLabels = graphAxisLabels(nBands, firstBand);
        in.records = &records;
        in.settings = &settings;
        in.summary = summary;
        in.legend = true;
        in.title = "Plant room";
        in.yTitle = "Level, dB";
        return describeGraph(in);
    }
};

class GraphModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillTables(); }
};

TEST_F(GraphModelTest, OctaveSpectraBecomeRowsWithGapsAtMissingValuesAndTheirLineStyles) {
    Graph g;
    g.records = {spectrum(1, "Fan", {62.5, 60, -999, 55, -998, 50, -997, 44, 40, 38}),
                 spectrum(2, "Not drawn", std::vector<double>(10, 90)),
                 spectrum(3, "Pump", std::vector<double>(10, 41.5))};
    g.settings = {plotted(), LineSettings{}, plotted()};
    LineSettings& pump = g.settings[2];
    pump.red = 255;
    pump.blue = 255;
    pump.penStyle = 3;
    pump.widthIndex = 5;
    pump.marker = 9;
    pump.legend = "Pump in use";
    g.settings[0].legend = "Fan";

    const GraphDescription d = g.describe();
    ASSERT_EQ(d.rows, 10);
    ASSERT_EQ(d.series.size(), 2u);
    EXPECT_DOUBLE_EQ(d.values[0][0], 62.5);
    // ".", "X" and "#ERR" are gaps in the line.
    const std::vector<bool> nulls = {false, false, true,  false, true,
                                     false, true,  false, false, false};
    EXPECT_EQ(d.nulls[0], nulls);
    EXPECT_EQ(d.nulls[1], std::vector<bool>(10, false));
    EXPECT_EQ(d.labelLevels, 1);
    const std::vector<QString> labels = {"31.5", "63", "125", "250", "500",
                                         "1K",   "2K", "4K",  "8K",  "16K"};
    EXPECT_EQ(d.labels[0], labels);
    EXPECT_EQ(d.divisionsPerTick, 1);
    // The unplotted spectrum of 90 dB takes no part in the scale.
    EXPECT_DOUBLE_EQ(d.axes[0].maximum, 70);
    EXPECT_DOUBLE_EQ(d.axes[0].minimum, 30);
    EXPECT_EQ(d.axes[0].majorDivision, 4);
    EXPECT_EQ(d.axes[0].minorDivision, 1);
    EXPECT_EQ(d.axes[0].title, "Level, dB");
    EXPECT_TRUE(d.axes[1].hidden);
    EXPECT_EQ(d.title, "Plant room");
    EXPECT_EQ(d.categoryTitle, "Frequency, Hz");
    EXPECT_TRUE(d.legend);

    const GraphSeries& fan = d.series[0];
    EXPECT_EQ(fan.colour, QColor(0, 0, 0));
    EXPECT_EQ(fan.penStyle, 1);
    EXPECT_EQ(fan.penWidth, 20);
    EXPECT_EQ(fan.marker, kNoMarker);
    EXPECT_EQ(fan.label, "Fan");
    const GraphSeries& p = d.series[1];
    EXPECT_EQ(p.colour, QColor(255, 0, 255));
    EXPECT_EQ(p.penStyle, 3);
    EXPECT_EQ(p.penWidth, 50);
    EXPECT_EQ(p.marker, 9);
    EXPECT_EQ(p.markerSize, 100);
    EXPECT_EQ(p.markerPenWidth, 20);
    EXPECT_EQ(p.label, "Pump in use");
}

TEST_F(GraphModelTest, ThirdOctaveSummaryPointsStandAfterAGapWithTheSecondLabelOnItsOwnRow) {
    Graph g;
    g.nBands = 30;
    g.firstBand = 13; // 25 Hz
    g.summary = true;
    g.records = {spectrum(1, "Road", std::vector<double>(30, 50), "Sound Level", "dBA", "55.1 dBA",
                          "NR", "NR 48"),
                 // Its own types the other way round: its values still stand in
                 // their places, under the first spectrum's labels.
                 spectrum(2, "Rail", std::vector<double>(30, 45), "Sound Level", "NR", "NR 40",
                          "dBA", "47.5 dBA"),
                 // Types of its own: its values too.
                 spectrum(3, "Wall", std::vector<double>(30, 30), "Transmission Loss", "Rw",
                          "Rw 33", "STC", "STC 34")};
    g.settings = {plotted(), plotted(), plotted()};
    const GraphDescription d = g.describe();

    ASSERT_EQ(d.rows, 33);
    EXPECT_EQ(d.divisionsPerTick, 3);
    EXPECT_EQ(d.labelLevels, 2);
    // Octave centres only: 31.5 Hz is band 14, the second of the sheet.
    EXPECT_EQ(d.labels[0][0], "");
    EXPECT_EQ(d.labels[0][1], "31.5");
    EXPECT_EQ(d.labels[0][2], "");
    EXPECT_EQ(d.labels[0][16], "1K");
    EXPECT_EQ(d.labels[0][28], "16K");
    EXPECT_EQ(d.labels[0][30], "");
    EXPECT_EQ(d.labels[0][31], "dBA");
    EXPECT_EQ(d.labels[0][32], "");
    EXPECT_EQ(d.labels[1][32], "NR");

    auto point = [&](size_t s, int row) {
        return d.nulls[s][static_cast<size_t>(row - 1)] ? std::nan("")
                                                        : d.values[s][static_cast<size_t>(row - 1)];
    };
    for (size_t s = 0; s < 3; ++s)
        EXPECT_TRUE(std::isnan(point(s, 31))) << "gap row of series " << s;
    EXPECT_DOUBLE_EQ(point(0, 32), 55.1);
    EXPECT_DOUBLE_EQ(point(0, 33), 48);
    EXPECT_DOUBLE_EQ(point(1, 32), 40);
    EXPECT_DOUBLE_EQ(point(1, 33), 47.5);
    EXPECT_DOUBLE_EQ(point(2, 32), 33);
    EXPECT_DOUBLE_EQ(point(2, 33), 34);
    // All summaries count in the scale.
    EXPECT_DOUBLE_EQ(d.axes[0].maximum, 60);
    EXPECT_DOUBLE_EQ(d.axes[0].minimum, 20);
}

TEST_F(GraphModelTest, SummaryRowsFollowTheLabelsThatArePresent) {
    struct Case {
        const char* what;
        int nBands;
        QString type1, type2;
        bool summary;
        int rows;
        std::vector<std::pair<int, QString>> labels; // level 1, row: text
        int levels;
    };
    const Case cases[] = {
        {"off", 10, "dBA", "dBL", false, 10, {}, 1},
        {"both, octave", 10, "dBA", "dBL", true, 13, {{12, "dBA"}, {13, "dBL"}}, 1},
        {"first only", 10, "dBA", "", true, 12, {{12, "dBA"}}, 1},
        {"second only", 10, "", "NR", true, 12, {{12, "NR"}}, 1},
        {"second only, third-octave", 30, "", "NR", true, 32, {{32, "NR"}}, 1},
        {"none present", 10, "", "", true, 10, {}, 1},
    };
    for (const Case& c : cases) {
        Graph g;
        g.nBands = c.nBands;
        g.summary = c.summary;
        g.records = {spectrum(1, "A", std::vector<double>(static_cast<size_t>(c.nBands), 40),
                              "Sound Level", c.type1, "51 dBA", c.type2, "NR 44")};
        g.settings = {plotted()};
        const GraphDescription d = g.describe();
        EXPECT_EQ(d.rows, c.rows) << c.what;
        EXPECT_EQ(d.labelLevels, c.levels) << c.what;
        for (const auto& [row, text] : c.labels)
            EXPECT_EQ(d.labels[0][static_cast<size_t>(row - 1)], text) << c.what;
        if (c.rows > c.nBands) {
            EXPECT_TRUE(d.nulls[0][static_cast<size_t>(c.nBands)]) << c.what;
            // A missing first label: the point is the second summary's value.
            const double expected = c.type1.isEmpty() ? 44 : 51;
            EXPECT_DOUBLE_EQ(d.values[0][static_cast<size_t>(c.nBands + 1)], expected) << c.what;
        }
    }
}

TEST_F(GraphModelTest, EachAxisIsScaledByTheTypeOfItsFirstSpectrum) {
    struct Case {
        const char* what;
        std::vector<OutputRecord> records;
        std::vector<LineSettings> settings;
        GraphAxis first, second;
    };
    auto levels = [](int code, double v, const QString& type = "Sound Level") {
        return spectrum(code, "S", std::vector<double>(10, v), type);
    };
    auto axis = [](double max, double min, int major, bool hidden = false) {
        GraphAxis a;
        a.maximum = max;
        a.minimum = min;
        a.majorDivision = major;
        a.hidden = hidden;
        return a;
    };
    const Case cases[] = {
        {"nothing plotted",
         {levels(1, 50)},
         {LineSettings{}},
         axis(10, 0, 1),
         axis(10, 0, 1, true)},
        {"absorption first, levels after",
         {levels(1, 0.72, "Absorption"), levels(2, 61)},
         {plotted(), plotted()},
         axis(61.5, 0, 123),
         axis(10, 0, 1, true)},
        {"reverberation time with no value",
         {levels(1, -999, "Reverberation Time")},
         {plotted()},
         axis(0.5, 0, 1),
         axis(10, 0, 1, true)},
        {"second axis used",
         {levels(1, 65.4), levels(2, 0.35, "Absorption")},
         {plotted(), plotted(true)},
         axis(70, 60, 1),
         axis(0.5, 0, 1)},
        {"everything on the second axis",
         {levels(1, -12.5)},
         {plotted(true)},
         axis(10, 0, 1),
         axis(-10, -20, 1)},
        {"second axis used without values",
         {levels(1, 65.4), levels(2, -999)},
         {plotted(), plotted(true)},
         axis(70, 60, 1),
         axis(10, 0, 1, true)},
        {"ratios below zero",
         {levels(1, -3, "Absorption")},
         {plotted()},
         axis(0.5, 0, 1),
         axis(10, 0, 1, true)},
        {"values too far apart for the divisions",
         {levels(1, 1e6), levels(2, 0)},
         {plotted(), plotted()},
         axis(1000100, -100, 10002), // in steps of 100, whole ones at both ends
         axis(10, 0, 1, true)},
    };
    for (const Case& c : cases) {
        Graph g;
        g.records = c.records;
        g.settings = c.settings;
        const GraphDescription d = g.describe();
        for (int a = 0; a < 2; ++a) {
            const GraphAxis& got = d.axes[static_cast<size_t>(a)];
            const GraphAxis& want = a == 0 ? c.first : c.second;
            EXPECT_DOUBLE_EQ(got.maximum, want.maximum) << c.what << " axis " << a + 1;
            EXPECT_DOUBLE_EQ(got.minimum, want.minimum) << c.what << " axis " << a + 1;
            EXPECT_EQ(got.majorDivision, want.majorDivision) << c.what << " axis " << a + 1;
            EXPECT_EQ(got.hidden, want.hidden) << c.what << " axis " << a + 1;
            EXPECT_GT(got.maximum, got.minimum) << c.what;
            EXPECT_GE(got.majorDivision, 1) << c.what;
        }
    }
}

TEST_F(GraphModelTest, AxisLabelsLeaveOutBandsBeyondTheTable) {
    const std::vector<QString> octave = graphAxisLabels(10, 26); // 500 Hz up: 8 bands fit
    EXPECT_EQ(octave[0], "500");
    EXPECT_EQ(octave[7], "63K");
    EXPECT_EQ(octave[8], "");
    EXPECT_EQ(octave[9], "");
}

TEST(RecordMatch, SpectraKeepTheirPlaceThroughInsertsDeletesAndAnUndo) {
    auto rec = [](db::RecordKey key, const QString& d, const QString& code = "1") {
        OutputRecord r;
        r.key = key;
        r.description = d;
        r.code = code;
        return r;
    };
    const std::vector<OutputRecord> before = {rec(1, "Fan"), rec(2, "Pump"), rec(3, "Road"),
                                              rec(4, "")};
    struct Case {
        const char* what;
        std::vector<OutputRecord> before, after;
        std::vector<int> matched; // the place each record held before, -1: new
    };
    const Case cases[] = {
        {"insert before Pump (rows keep their identity, codes move), Road deleted",
         before,
         {rec(1, "Fan"), rec(9, "New"), rec(2, "Pump"), rec(4, "")},
         {0, -1, 1, 3}},
        {"undo rewrites the rows: new identities, matched by description; one identity now "
         "names another spectrum",
         before,
         {rec(11, "Fan"), rec(12, "Road"), rec(1, "Pump")},
         {0, 2, 1}},
        {"a description edited in place keeps its row",
         before,
         {rec(1, "Fan"), rec(2, "Pump 2"), rec(3, "Road")},
         {0, 1, 2}},
        {"a new row given a deleted row's identity is new all the same",
         before,
         {rec(1, "Fan"), rec(2, "Pump"), rec(4, "Lorry", "4")},
         {0, 1, -1}},
        {"two spectra of one description pair in order",
         {rec(1, "A"), rec(2, "A")},
         {rec(7, "A"), rec(8, "A")},
         {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(matchRecords(c.before, c.after), c.matched);
    }
}

TEST(GraphPage, TheChartFillsNinetyPercentOfThePageAlongOneSideAndIsCentred) {
    struct Case {
        const char* what;
        double pageWidth, pageHeight, chartWidth, chartHeight;
        QRectF placed; // empty: not placed
    };
    const Case cases[] = {
        {"a wide chart on a portrait page: 90 % of the width, centred vertically", 11000, 15000,
         750, 400, QRectF(550, 7500 - 9900 * 400.0 / 750 / 2, 9900, 9900 * 400.0 / 750)},
        {"a tall one on a landscape page: 90 % of the height, centred across", 15000, 11000, 400,
         750, QRectF(7500 - 9900 * 400.0 / 750 / 2, 550, 9900 * 400.0 / 750, 9900)},
        {"a chart of no width", 11000, 15000, 0, 400, QRectF()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QRectF got = fitOnPage(c.pageWidth, c.pageHeight, c.chartWidth, c.chartHeight);
        EXPECT_EQ(got.isEmpty(), c.placed.isEmpty());
        if (c.placed.isEmpty()) continue;
        EXPECT_DOUBLE_EQ(got.left(), c.placed.left());
        EXPECT_DOUBLE_EQ(got.top(), c.placed.top());
        EXPECT_DOUBLE_EQ(got.width(), c.placed.width());
        EXPECT_DOUBLE_EQ(got.height(), c.placed.height());
        EXPECT_DOUBLE_EQ(got.center().x(), c.placed.center().x());
        EXPECT_DOUBLE_EQ(got.center().y(), c.placed.center().y());
    }
}

} // namespace
