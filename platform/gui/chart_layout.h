#pragma once
// Inside the chart: what one drawing measured, shared by the files that lay
// out, paint and hit-test it. Not for use outside the chart.
#include "platform/gui/chart.h"

#include <QColor>
#include <QFont>
#include <QRectF>

#include <algorithm>
#include <vector>

namespace platform::gui {

// Everything measured for one drawing: the same for painting, pointAt and
// hitTest, so the tests check what is really drawn.
struct Chart::Layout {
    double s = 1; // device pixels per pixel at 96 dpi
    QRectF area, plot;
    QFont font, titleFont;
    double textHeight = 0;
    Scale scale[2];
    bool showAxis[2] = {true, false};
    int decimals[2] = {0, 0};
    int labelStride[2] = {1, 1}; // every how many major lines a value label is drawn
    int gridStride[2] = {1, 1};
    // The minimum in steps from zero when it is a whole number of them (else
    // 0): the strides count from zero, so that their lines stand at round values.
    long long tickOrigin[2] = {0, 0};
    QRectF titleRect, categoryTitleRect, axisTitleRect[2];
    std::vector<QRectF> labels[2];     // per row; empty when not drawn
    std::vector<QRectF> legendEntries; // per series
    double markerCap = 0;              // markers no wider than their rows

    // Calls f(i, value, labelled) for each major line drawn on axis a.
    template <class F> void forEachTick(int a, F f) const {
        const Scale& sc = scale[a];
        const double step = (sc.maximum - sc.minimum) / sc.majorDivision;
        // Steps past the last line on a stride, counted from zero.
        const auto past = [&](long long i, int stride) {
            return ((tickOrigin[a] + i) % stride + stride) % stride;
        };
        const long long first = (gridStride[a] - past(0, gridStride[a])) % gridStride[a];
        for (long long i = first; i <= sc.majorDivision; i += gridStride[a])
            f(i, sc.minimum + i * step, past(i, labelStride[a]) == 0);
    }
    // Every how many major lines a tick, and a value label, is drawn: set
    // once the plot's height is known.
    void setTickStrides();

    double markerSize(const ChartSeries& se) const {
        return std::min(se.markerSize * s, markerCap);
    }

    double xOf(int row, int rows) const {
        return plot.left() + (row - 0.5) * plot.width() / std::max(rows, 1);
    }
    double yOf(double v, int axis) const {
        const Scale& sc = scale[axis];
        return plot.bottom() - (v - sc.minimum) / (sc.maximum - sc.minimum) * plot.height();
    }
};

// The Qt pen of a chart's pen style.
Qt::PenStyle qtPen(PenStyle s);

// The colour of the chart's texts.
inline QColor chartTextColour() {
    return QColor(30, 30, 30);
}

} // namespace platform::gui
