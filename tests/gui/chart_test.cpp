#include "platform/gui/chart.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace platform::gui;

const QStringList kOctaves = {"63", "125", "250", "500", "1k", "2k", "4k", "8k", "16k", "31.5"};

bool near(const QColor& a, const QColor& b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <=
           tolerance;
}

QColor pixel(const QImage& img, const QPointF& p) {
    return img.pixelColor(p.toPoint());
}

// Whether the colour is drawn at or right beside a place (lines are smoothed).
bool drawnAt(const QImage& img, const QPointF& p, const QColor& colour) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (near(img.pixelColor(p.toPoint() + QPoint(dx, dy)), colour, 60)) return true;
    return false;
}

// An octave spectrum of "Sound Level" as the small chart shows it: ten bands
// and two summary rows labelled by their types.
void fillOctave(Chart& c, const std::vector<double>& levels) {
    c.setRowCount(12);
    for (int j = 1; j <= 10; ++j) {
        c.setPoint(j, 1, levels[static_cast<size_t>(j - 1)]);
        c.setRowLabel(j, kOctaves[j - 1]);
    }
    c.setPoint(11, 1, 65.2);
    c.setRowLabel(11, "dBA");
    c.setPoint(12, 1, -999, true);
    c.setRowLabel(12, "dBA"); // a repeated label is drawn again
    c.setAxisScale(AxisId::Y1, 80, 40, 4, 1);
}

TEST(Chart, DrawsEachPointWhereTheAxisPutsItAndFindsItAgain) {
    Chart chart;
    chart.resize(420, 260);
    fillOctave(chart, {42.3, 50, 60, 71.2, 70, 65, 55, 48, 45, 44});
    const QImage img = chart.toImage(chart.size());
    const QRectF plot = chart.plotArea();
    ASSERT_TRUE(QRectF(chart.rect()).contains(plot));

    // Values on a straight scale from the minimum at the bottom to the maximum at the top.
    const QPointF p2 = *chart.pointAt(1, 2), p3 = *chart.pointAt(1, 3), p4 = *chart.pointAt(1, 4);
    EXPECT_NEAR(p2.y(), plot.bottom() - 10.0 / 40 * plot.height(), 0.01);
    EXPECT_NEAR(p3.y(), plot.center().y(), 0.01);
    EXPECT_NEAR(p4.y(), plot.bottom() - 31.2 / 40 * plot.height(), 0.01);
    // Rows evenly across, each in the middle of its own share.
    EXPECT_NEAR(chart.pointAt(1, 1)->x(), plot.left() + plot.width() / 24, 0.01);
    EXPECT_NEAR(p3.x() - p2.x(), plot.width() / 12, 0.01);
    EXPECT_FALSE(chart.pointAt(1, 12)); // the missing summary

    // What is drawn there: the series' markers, and its line between them.
    const QColor colour = chart.series(1).color;
    for (int row = 1; row <= 11; ++row)
        EXPECT_TRUE(near(pixel(img, *chart.pointAt(1, row)), colour)) << row;
    EXPECT_TRUE(drawnAt(img, (p2 + p3) / 2, colour));
    EXPECT_TRUE(near(pixel(img, QPointF(p3.x(), plot.top() + 3)), Qt::white));

    // Every label under its row, none overlapping, the repeated one twice.
    QRectF previous;
    for (int row = 1; row <= 12; ++row) {
        const QRectF r = chart.labelRect(row);
        ASSERT_FALSE(r.isNull()) << row;
        EXPECT_NEAR(r.center().x(), chart.plotArea().left() + (row - 0.5) * plot.width() / 12, 1);
        EXPECT_GT(r.top(), plot.bottom());
        if (!previous.isNull()) {
            EXPECT_GE(r.left(), previous.right()) << row;
        }
        previous = r;
    }

    // Hits: on a marker, on the line between two, and beside the series.
    EXPECT_EQ(chart.hitTest(p3.toPoint()).series, 1);
    EXPECT_EQ(chart.hitTest(p3.toPoint()).row, 3);
    const Chart::Hit onLine = chart.hitTest(((p2 * 3 + p3) / 4).toPoint());
    EXPECT_EQ(onLine.series, 1);
    EXPECT_EQ(onLine.row, 2);
    EXPECT_EQ(chart.hitTest(QPoint(int(p3.x()), int(plot.top()) + 4)).series, 0);
    EXPECT_EQ(chart.hitTest(QPoint(2, 2)).series, 0);

    QSignalSpy selected(&chart, &Chart::seriesSelected);
    chart.show();
    QTest::mouseClick(&chart, Qt::LeftButton, {}, p4.toPoint());
    QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 1);
}

TEST(Chart, ANullPointBreaksTheLineAndValuesOutsideTheScaleStayInThePlot) {
    Chart chart;
    chart.resize(400, 240);
    chart.setRowCount(6);
    const double v[] = {50, 52, 54, 0, 58, 60};
    for (int row = 1; row <= 6; ++row)
        chart.setPoint(row, 1, v[row - 1], row == 4);
    chart.setAxisScale(AxisId::Y1, 70, 40, 3, 2);
    const QImage img = chart.toImage(chart.size());
    const QColor colour = chart.series(1).color;
    const QPointF p3 = *chart.pointAt(1, 3), p5 = *chart.pointAt(1, 5);
    EXPECT_TRUE(std::isnan(chart.value(4, 1)));
    EXPECT_FALSE(chart.pointAt(1, 4));
    // Nothing drawn across the gap, and nothing hit there.
    for (double t : {0.3, 0.5, 0.7})
        EXPECT_FALSE(drawnAt(img, p3 + t * (p5 - p3), colour)) << t;
    EXPECT_EQ(chart.hitTest(((p3 + p5) / 2).toPoint()).series, 0);
    EXPECT_TRUE(drawnAt(img, (*chart.pointAt(1, 5) + *chart.pointAt(1, 6)) / 2, colour));

    // A value below the minimum is drawn at its place outside the plot: clipped away.
    chart.setPoint(1, 1, 10);
    const QImage clipped = chart.toImage(chart.size());
    const QRectF plot = chart.plotArea();
    EXPECT_GT(chart.pointAt(1, 1)->y(), plot.bottom());
    for (int y = int(plot.bottom()) + 3; y < chart.height(); ++y)
        EXPECT_FALSE(near(clipped.pixelColor(int(chart.pointAt(1, 1)->x()), y), colour)) << y;
}

TEST(Chart, AnUnusableScaleIsDrawnFromZeroToTen) {
    Chart chart;
    chart.resize(300, 200);
    chart.setRowCount(2);
    chart.setPoint(1, 1, 5);
    chart.setPoint(2, 1, 0);
    struct Case {
        double max, min;
        int major;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{-9990, -10, 999}, Case{80, 40, 0}, Case{1, 2, 4}}) {
        chart.setAxisScale(AxisId::Y1, c.max, c.min, c.major, 1);
        const Chart::Scale s = chart.drawnScale(AxisId::Y1);
        EXPECT_EQ(s.minimum, 0);
        EXPECT_EQ(s.maximum, 10);
        EXPECT_GT(s.majorDivision, 0);
        EXPECT_NEAR(chart.pointAt(1, 1)->y(), chart.plotArea().center().y(), 0.01);
        EXPECT_NEAR(chart.pointAt(1, 2)->y(), chart.plotArea().bottom(), 0.01);
        EXPECT_EQ(chart.axis(AxisId::Y1).maximum, c.max); // what was set stays set
    }
    // A huge number of divisions still draws (thinned) and fast.
    chart.setAxisScale(AxisId::Y1, 1e6, 0, 32767, 1);
    EXPECT_FALSE(chart.toImage(chart.size()).isNull());
}

TEST(Chart, LabelsStayUprightThinnedAtARegularStrideAndSummariesStandAlone) {
    Chart chart;
    chart.resize(520, 260);
    chart.setRowCount(33);
    const QStringList bands = {"50",    "63",    "80",    "100",   "125",   "160",  "200",  "250",
                               "315",   "400",   "500",   "630",   "800",   "1000", "1250", "1600",
                               "2000",  "2500",  "3150",  "4000",  "5000",  "6300", "8000", "10000",
                               "12500", "16000", "20000", "25000", "31500", "40000"};
    for (int j = 1; j <= 30; ++j) {
        chart.setPoint(j, 1, 40 + j);
        chart.setRowLabel(j, (j + 1) % 3 == 0 ? bands[j - 1] : " ");
    }
    // Two summary values after a gap: points of their own, not the line's.
    chart.setLoneRowsFrom(31);
    chart.setPoint(31, 1, 52);
    chart.setRowLabel(31, "Rw");
    chart.setRowLabel(32, "");
    chart.setPoint(32, 1, -999, true);
    chart.setPoint(33, 1, 58);
    chart.setRowLabel(33, "Ctr");
    // Shown labels: upright, inside the chart, apart; the band labels every
    // n-th from the first; both summaries.
    chart.setAxisScale(AxisId::Y1, 80, 40, 4, 1);
    auto shownLabels = [&](int expectBands) {
        std::vector<int> bandRows;
        QRectF previous;
        const double lineHeight = chart.labelRect(31).height();
        for (int row = 1; row <= 33; ++row) {
            const QRectF r = chart.labelRect(row);
            if (chart.rowLabel(row).trimmed().isEmpty()) {
                EXPECT_TRUE(r.isNull()) << row;
                continue;
            }
            if (r.isNull()) continue;
            if (row <= 30) bandRows.push_back(row);
            EXPECT_TRUE(QRectF(chart.rect()).contains(r)) << row;
            EXPECT_DOUBLE_EQ(r.height(), lineHeight) << row;
            if (!previous.isNull()) {
                EXPECT_GE(r.left(), previous.right()) << row;
            }
            previous = r;
        }
        EXPECT_FALSE(chart.labelRect(31).isNull());
        EXPECT_FALSE(chart.labelRect(33).isNull());
        EXPECT_EQ(static_cast<int>(bandRows.size()), expectBands);
        ASSERT_FALSE(bandRows.empty());
        EXPECT_EQ(bandRows.front(), 2);
        for (size_t k = 2; k < bandRows.size(); ++k)
            EXPECT_EQ(bandRows[k] - bandRows[k - 1], bandRows[1] - bandRows[0]) << k;
    };
    shownLabels(9); // the last one makes room for "Rw"
    chart.resize(300, 200);
    shownLabels(5); // every other one
    chart.resize(200, 200);
    int bandsShown = 0;
    for (int row = 1; row <= 30; ++row)
        bandsShown += !chart.labelRect(row).isNull();
    shownLabels(bandsShown);
    EXPECT_LT(bandsShown, 5);

    // The line ends at the last band; each summary is a point of its own,
    // marked although the line has no markers.
    ChartSeries se = chart.series(1);
    se.marker = Marker::None;
    se.width = 2;
    chart.setSeries(1, se);
    chart.resize(520, 260);
    const QImage img = chart.toImage(chart.size());
    const QPointF last = *chart.pointAt(1, 30), rw = *chart.pointAt(1, 31),
                  ctr = *chart.pointAt(1, 33);
    for (double t : {0.3, 0.5, 0.7})
        EXPECT_FALSE(drawnAt(img, last + t * (rw - last), se.color)) << t;
    for (const QPointF& p : {rw, ctr, rw + QPointF(2, 0), ctr + QPointF(0, 2)})
        EXPECT_TRUE(near(pixel(img, p), se.color)) << p.x() << "," << p.y();
    EXPECT_EQ(chart.hitTest(((last + rw) / 2).toPoint()).series, 0);
    EXPECT_EQ(chart.hitTest(rw.toPoint()).row, 31);
}

TEST(Chart, ScalesWithTheDeviceAndServesManySeriesOnTwoAxes) {
    Chart chart;
    chart.resize(400, 250);
    fillOctave(chart, {42.3, 50, 60, 71.2, 70, 65, 55, 48, 45, 44});
    // The same chart at twice the resolution: everything at twice the place.
    const QRectF small(0, 0, 400, 250), large(0, 0, 800, 500);
    for (int row : {1, 4, 11}) {
        const QPointF a = *chart.pointAt(1, row, small, 96);
        const QPointF b = *chart.pointAt(1, row, large, 192);
        EXPECT_NEAR(b.x(), 2 * a.x(), 3) << row;
        EXPECT_NEAR(b.y(), 2 * a.y(), 3) << row;
    }
    const QImage hi = chart.toImage(QSize(800, 500), 192);
    EXPECT_TRUE(near(pixel(hi, *chart.pointAt(1, 3, large, 192)), chart.series(1).color));

    // A second series on the second axis, dashed with open squares; a legend.
    chart.setSeriesCount(2);
    ChartSeries rt;
    rt.name = "Reverberation Time";
    rt.color = QColor(200, 40, 40);
    rt.penStyle = PenStyle::Dash;
    rt.marker = Marker::Square;
    rt.secondAxis = true;
    chart.setSeries(2, rt);
    chart.setAxisScale(AxisId::Y2, 2, 0, 4, 1);
    chart.setPoint(5, 2, 1.5);
    chart.setPoint(6, 2, 0.5);
    chart.setLegendVisible(true);
    const QRectF plot = chart.plotArea();
    EXPECT_NEAR(chart.pointAt(2, 5)->y(), plot.bottom() - 0.75 * plot.height(), 0.01);
    EXPECT_NEAR(chart.pointAt(1, 3)->y(), plot.center().y(), 0.01);
    EXPECT_FALSE(chart.pointAt(2, 1));
    const Chart::Hit hit = chart.hitTest(chart.pointAt(2, 6)->toPoint());
    EXPECT_EQ(hit.series, 2);
    EXPECT_EQ(hit.row, 6);
    // The legend entry of series 2 lies right of the plot and selects it.
    bool found = false;
    for (int x = int(plot.right()) + 1; x < chart.width() && !found; x += 4)
        for (int y = 0; y < chart.height() && !found; y += 4)
            if (chart.hitTest(QPoint(x, y)).series == 2) found = true;
    EXPECT_TRUE(found);
}

TEST(Chart, ALoneValueShowsAsADotAndAWideLegendStandsUnderThePlot) {
    Chart chart;
    chart.resize(420, 260);
    fillOctave(chart, {-999, 50, -999, 60, 62, 64, 66, 68, 70, 72});
    chart.setPoint(2, 1, 50);
    chart.setPoint(1, 1, 0, true);
    chart.setPoint(3, 1, 0, true);
    ChartSeries se = chart.series(1);
    se.marker = Marker::None;
    se.width = 3;
    se.name = "Lone value";
    chart.setSeries(1, se);
    chart.setLegendVisible(true);
    chart.setLegendPosition(LegendPosition::Bottom);
    chart.setFrameVisible(true);
    const QImage img = chart.toImage(chart.size());
    EXPECT_TRUE(near(pixel(img, *chart.pointAt(1, 2)), se.color));
    // The plot keeps the whole width; the legend entry is under it and selects the series.
    const QRectF plot = chart.plotArea();
    EXPECT_GT(plot.width(), chart.width() * 0.8);
    bool found = false;
    for (int y = int(plot.bottom()) + 1; y < chart.height() && !found; y += 2)
        for (int x = 0; x < chart.width() && !found; x += 4)
            found = chart.hitTest(QPoint(x, y)).series == 1;
    EXPECT_TRUE(found);
    // The frame runs round the whole chart.
    EXPECT_FALSE(near(pixel(img, QPointF(chart.width() / 2.0, 0)), Qt::white));
    EXPECT_TRUE(chart.dataText().startsWith("\tLone value\r\n63\t\r\n125\t50\r\n"));
}

} // namespace
