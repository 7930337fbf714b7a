#include "output/graph_model.h"

#include "engine/bands.h"
#include "platform/gui/chart.h"
#include "sheets/level_display.h"
#include "tables/band_table.h"

#include <cmath>

namespace {

bool isRatioType(const QString& type) {
    return type == "Absorption" || type == "Reverberation Time";
}

double summaryNumber(const QString& text) {
    return NumFromText(db::Value(text.toStdString()));
}

// Scales an axis by the level display's rule for its type; an axis without
// a value shows 0 to 10 (0 to 0.5 for ratios).
GraphAxis scaleAxis(const QString& type, double minimum, double maximum, bool hasValue) {
    const bool ratio = isRatioType(type);
    AxisScale sc;
    if (hasValue) {
        sc = scaleValueAxis(type.toStdString(), minimum, maximum);
    } else {
        sc.step = ratio ? 0.5 : 10;
        sc.minimum = 0;
        sc.maximum = sc.step;
    }
    // Ratios all below zero: one step up from zero rather than an empty scale.
    if (!(sc.maximum > sc.minimum)) sc.maximum = sc.minimum + sc.step;
    sc = drawableScale(sc);
    GraphAxis a;
    a.maximum = sc.maximum;
    a.minimum = sc.minimum;
    a.majorDivision = std::max(1, sc.major);
    a.minorDivision = 1;
    return a;
}

platform::gui::PenStyle chartPen(int style) {
    using platform::gui::PenStyle;
    switch (style) {
    case 0:
        return PenStyle::None;
    case 2:
        return PenStyle::Dash;
    case 3:
        return PenStyle::Dot;
    case 4:
        return PenStyle::DashDot;
    default:
        return PenStyle::Solid;
    }
}

constexpr double kTwipsPerPixel = 15;

} // namespace

GraphDescription describeGraph(const GraphInput& in) {
    GraphDescription g;
    const int n = in.nBands;
    static const std::vector<OutputRecord> noRecords;
    static const std::vector<LineSettings> noSettings;
    const auto& records = in.records ? *in.records : noRecords;
    const auto& settings = in.settings ? *in.settings : noSettings;

    double minimum[2] = {999, 999}, maximum[2] = {-9999, -9999};
    QString axisType[2];
    QString label1, label2;
    std::vector<const OutputRecord*> plotted;
    std::vector<const LineSettings*> lines;
    std::vector<std::vector<double>> values; // bands, then summary 1 and 2
    for (size_t i = 0; i < records.size() && i < settings.size(); ++i) {
        const LineSettings& ls = settings[i];
        if (!ls.plotted) continue;
        const OutputRecord& r = records[i];
        if (plotted.empty()) {
            label1 = r.sum1Type;
            label2 = r.sum2Type;
        }
        plotted.push_back(&r);
        lines.push_back(&ls);
        std::vector<double> v(static_cast<size_t>(n) + 2, kNoValue);
        for (int j = 1; j <= n && j <= static_cast<int>(r.bands.size()); ++j)
            v[static_cast<size_t>(j - 1)] = r.bands[static_cast<size_t>(j - 1)];
        v[static_cast<size_t>(n)] = summaryNumber(r.sum1Val);
        v[static_cast<size_t>(n) + 1] = summaryNumber(r.sum2Val);
        const int a = ls.secondAxis ? 1 : 0;
        // Summary values take part in the scale even when not drawn.
        for (double x : v) {
            if (isMarker(x)) continue;
            minimum[a] = std::min(minimum[a], x);
            maximum[a] = std::max(maximum[a], x);
        }
        if (axisType[a].isEmpty()) axisType[a] = r.type;
        values.push_back(std::move(v));
    }

    for (int a = 0; a < 2; ++a) {
        const bool hasValue = maximum[a] != -9999;
        g.axes[static_cast<size_t>(a)] =
            scaleAxis(axisType[a], minimum[a] == 999 ? 0 : minimum[a], maximum[a], hasValue);
        if (a == 1) g.axes[1].hidden = !hasValue;
    }
    g.axes[0].title = in.yTitle;
    g.axes[1].title = in.yTitle2;

    // Summary points, labelled with the first plotted spectrum's types; every
    // spectrum's first and second summary values stand under them, whatever
    // its own types.
    QString labelA, labelB;
    bool secondRowA = false;
    int points = 0;
    if (in.summary) {
        if (!label1.isEmpty() && !label2.isEmpty()) {
            points = 2;
            labelA = label1;
            labelB = label2;
        } else if (!label1.isEmpty()) {
            points = 1;
            labelA = label1;
        } else if (!label2.isEmpty()) {
            points = 1;
            labelA = label2;
            secondRowA = true;
        }
    }
    g.rows = n + (points == 0 ? 0 : points + 1);
    g.loneRowsFrom = points == 0 ? 0 : n + 1;

    for (size_t s = 0; s < plotted.size(); ++s) {
        std::vector<double> row(static_cast<size_t>(g.rows), kNoValue);
        std::vector<bool> null(static_cast<size_t>(g.rows), true);
        for (int r = 1; r <= n; ++r) {
            row[static_cast<size_t>(r - 1)] = values[s][static_cast<size_t>(r - 1)];
            null[static_cast<size_t>(r - 1)] = isMarker(values[s][static_cast<size_t>(r - 1)]);
        }
        auto put = [&](int r, double v) {
            row[static_cast<size_t>(r - 1)] = v;
            null[static_cast<size_t>(r - 1)] = isMarker(v);
        };
        if (points >= 1) {
            put(n + 1, kNoValue); // the gap between bands and summaries
            put(n + 2, values[s][static_cast<size_t>(secondRowA ? n + 1 : n)]);
        }
        if (points == 2) put(n + 3, values[s][static_cast<size_t>(n) + 1]);
        g.values.push_back(std::move(row));
        g.nulls.push_back(std::move(null));
    }

    g.labelLevels = points == 2 && n == 30 ? 2 : 1;
    for (auto& level : g.labels)
        level.assign(static_cast<size_t>(g.rows), QString());
    for (int r = 1; r <= n && r <= static_cast<int>(in.axisLabels.size()); ++r)
        g.labels[0][static_cast<size_t>(r - 1)] = in.axisLabels[static_cast<size_t>(r - 1)];
    if (points >= 1) g.labels[0][static_cast<size_t>(n + 1)] = labelA;
    // A third-octave graph's second summary label sits on the second row of
    // labels, clear of the first.
    if (points == 2) g.labels[n == 30 ? 1 : 0][static_cast<size_t>(n + 2)] = labelB;

    g.divisionsPerTick = n == 30 ? 3 : 1;
    g.xGrid = in.xGrid;
    g.yGrid = in.yGrid;
    g.title = in.title;
    g.legend = in.legend && !plotted.empty();
    for (const LineSettings* ls : lines) {
        GraphSeries se;
        se.colour = QColor(ls->red, ls->green, ls->blue);
        se.penStyle = ls->penStyle;
        se.penWidth = 10 * ls->widthIndex;
        se.marker = ls->marker;
        se.secondAxis = ls->secondAxis;
        se.label = ls->legend;
        g.series.push_back(se);
    }
    return g;
}

void drawGraph(const GraphDescription& g, platform::gui::Chart& chart) {
    using namespace platform::gui;
    chart.setSeriesCount(static_cast<int>(g.series.size()));
    chart.setRowCount(g.rows);
    for (size_t s = 0; s < g.values.size(); ++s)
        for (int r = 1; r <= g.rows; ++r)
            chart.setPoint(r, static_cast<int>(s) + 1, g.values[s][static_cast<size_t>(r - 1)],
                           g.nulls[s][static_cast<size_t>(r - 1)]);
    chart.setLoneRowsFrom(g.loneRowsFrom);
    chart.setLabelLevelCount(g.labelLevels);
    for (int level = 1; level <= 2; ++level)
        for (int r = 1; r <= g.rows; ++r)
            chart.setRowLabel(
                r, g.labels[static_cast<size_t>(level - 1)][static_cast<size_t>(r - 1)], level);
    chart.setCategoryDivisionsPerTick(g.divisionsPerTick);
    chart.setCategoryGridVisible(g.xGrid);
    chart.setGridVisible(g.yGrid);
    chart.setGridPenStyle(PenStyle::Dot);
    for (int a = 0; a < 2; ++a) {
        const GraphAxis& ga = g.axes[static_cast<size_t>(a)];
        ValueAxis axis;
        axis.maximum = ga.maximum;
        axis.minimum = ga.minimum;
        axis.majorDivision = ga.majorDivision;
        axis.minorDivision = ga.minorDivision;
        axis.hidden = ga.hidden;
        axis.title = ga.title;
        chart.setAxis(a == 0 ? AxisId::Y1 : AxisId::Y2, axis);
    }
    chart.setTitle(g.title);
    chart.setCategoryTitle(g.categoryTitle);
    chart.setLegendVisible(g.legend);
    chart.setLegendPosition(LegendPosition::Bottom);
    chart.setFrameVisible(g.frame);
    for (size_t s = 0; s < g.series.size(); ++s) {
        const GraphSeries& gs = g.series[s];
        ChartSeries se;
        se.name = gs.label;
        se.color = gs.colour;
        se.penStyle = chartPen(gs.penStyle);
        se.width = gs.penWidth / kTwipsPerPixel;
        se.marker =
            gs.marker >= 0 && gs.marker <= 13 ? static_cast<Marker>(gs.marker + 1) : Marker::None;
        se.markerSize = gs.markerSize / kTwipsPerPixel;
        se.markerPenWidth = gs.markerPenWidth / kTwipsPerPixel;
        se.secondAxis = gs.secondAxis;
        chart.setSeries(static_cast<int>(s) + 1, se);
    }
}

std::vector<QString> graphAxisLabels(int nBands, int firstBand) {
    std::vector<QString> labels(static_cast<size_t>(nBands));
    auto label = [](int band) {
        if (band < 1 || band > kBandTableSize || band >= static_cast<int>(gBandLabel.size()))
            return QString();
        const QString l = QString::fromStdString(gBandLabel[static_cast<size_t>(band)]);
        return l.left(l.size() - 2); // without "Hz"
    };
    for (int j = 1; j <= nBands; ++j) {
        if (nBands == 30) {
            const int k = firstBand + j - 1;
            if ((k + 1) % 3 == 0) labels[static_cast<size_t>(j - 1)] = label(k);
        } else {
            labels[static_cast<size_t>(j - 1)] = label(firstBand + 3 * (j - 1));
        }
    }
    return labels;
}
