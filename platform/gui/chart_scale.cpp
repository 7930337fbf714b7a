// The value axes: the scale each is drawn with, its numbers, how many of its
// ticks and labels are drawn, and their drawing.
#include "platform/gui/chart_layout.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace platform::gui {

namespace {

// Decimals that show every major step of a scale exactly (up to 6).
int decimalsFor(const Chart::Scale& s) {
    const double step = (s.maximum - s.minimum) / s.majorDivision;
    for (int d = 0; d < 6; ++d) {
        const double f = std::pow(10.0, d);
        auto whole = [&](double v) { return std::abs(v * f - std::round(v * f)) < 1e-6 * f; };
        if (whole(step) && whole(s.minimum)) return d;
    }
    return 6;
}

// The smallest of unit times 1, 2, 5, 10, 20, 50 ... that is at least `need`.
int roundStride(double need, int unit) {
    if (!(need > unit)) return unit;
    for (double decade = 1; unit * decade < 1e9; decade *= 10)
        for (int f : {1, 2, 5})
            if (unit * f * decade >= need) return static_cast<int>(unit * f * decade);
    return 1000000000;
}

QString axisNumber(double v, int decimals) {
    if (std::abs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0; // no "-0"
    return QString::number(v, 'f', decimals);
}

} // namespace

Chart::Scale Chart::drawnScale(AxisId id) const {
    const ValueAxis& a = axis(id);
    if (!std::isfinite(a.maximum) || !std::isfinite(a.minimum) || !(a.maximum > a.minimum) ||
        a.majorDivision <= 0)
        return {0, 10, 5, 1};
    return {a.minimum, a.maximum, a.majorDivision, std::max(1, a.minorDivision)};
}

Chart::AxisMarks Chart::axisMarks(AxisId id) const {
    const Layout L = layout(QRectF(rect()), dpi());
    const int a = id == AxisId::Y1 ? 0 : 1;
    AxisMarks marks;
    if (!L.showAxis[a]) return marks;
    L.forEachTick(a, [&](long long, double v, bool labelled) {
        marks.ticks.push_back(v);
        if (labelled) marks.labels.push_back(v);
    });
    return marks;
}

// Value axes: the first on the left, the second on the right when a
// series uses it.
void Chart::layoutValueAxes(Layout& L, QRectF& r, const QFontMetricsF& fm) const {
    const double s = L.s;
    const double gap = 4 * s;
    const bool usesSecond = std::any_of(series_.begin(), series_.end(),
                                        [](const ChartSeries& se) { return se.secondAxis; });
    for (int a = 0; a < 2; ++a) {
        const AxisId id = a == 0 ? AxisId::Y1 : AxisId::Y2;
        L.scale[a] = drawnScale(id);
        L.showAxis[a] = !axis(id).hidden && (a == 0 || usesSecond);
        L.decimals[a] = decimalsFor(L.scale[a]);
        if (!L.showAxis[a]) continue;
        const Scale& sc = L.scale[a];
        double w = 0;
        for (double v : {sc.minimum, sc.maximum, sc.minimum + (sc.maximum - sc.minimum) / 2})
            w = std::max(w, fm.horizontalAdvance(axisNumber(v, L.decimals[a])));
        const double need = w + 6 * s;
        const bool hasTitle = !axis(id).title.isEmpty();
        if (a == 0) {
            if (hasTitle) {
                L.axisTitleRect[0] = QRectF(r.left(), r.top(), fm.height(), r.height());
                r.setLeft(r.left() + fm.height() + gap);
            }
            r.setLeft(r.left() + need);
        } else {
            if (hasTitle) {
                L.axisTitleRect[1] =
                    QRectF(r.right() - fm.height(), r.top(), fm.height(), r.height());
                r.setRight(r.right() - fm.height() - gap);
            }
            r.setRight(r.right() - need);
        }
    }
}

// Ticks, grid lines and value labels never crowd: every n-th major
// line is drawn, n a round number, and the labels stand on drawn ticks.
void Chart::Layout::setTickStrides() {
    for (int a = 0; a < 2; ++a) {
        const Scale& sc = scale[a];
        const double spacing = plot.height() / sc.majorDivision;
        gridStride[a] = roundStride(5 * s / spacing, 1);
        labelStride[a] = roundStride(1.6 * textHeight / spacing, gridStride[a]);
        const double steps = sc.minimum / ((sc.maximum - sc.minimum) / sc.majorDivision);
        const double whole = std::round(steps);
        tickOrigin[a] = std::abs(steps - whole) < 1e-6 && std::abs(whole) < 1e12
                            ? static_cast<long long>(whole)
                            : 0;
    }
}

// Value axes: grid lines, ticks and their numbers.
void Chart::paintValueAxes(QPainter& p, const Layout& L, const QPen& gridPen) const {
    const double s = L.s;
    const QColor text = chartTextColour();
    const int gridAxis = L.showAxis[0] ? 0 : 1;
    for (int a = 0; a < 2; ++a) {
        if (!L.showAxis[a]) continue;
        const Scale& sc = L.scale[a];
        const bool left = a == 0;
        const double x = left ? L.plot.left() : L.plot.right();
        const double tick = 4 * s;
        const double step = (sc.maximum - sc.minimum) / sc.majorDivision;
        L.forEachTick(a, [&](long long i, double v, bool labelled) {
            const double y = L.yOf(v, a);
            if (grid_ && a == gridAxis && i > 0 && i < sc.majorDivision) {
                p.setPen(gridPen);
                p.drawLine(QPointF(L.plot.left(), y), QPointF(L.plot.right(), y));
            }
            p.setPen(QPen(QColor(120, 120, 120), 1 * s));
            p.drawLine(QPointF(x, y), QPointF(left ? x - tick : x + tick, y));
            // Minor ticks between this major line and the next.
            if (sc.minorDivision > 1 && i < sc.majorDivision && L.gridStride[a] == 1)
                for (int m = 1; m < sc.minorDivision; ++m) {
                    const double ym = L.yOf(v + m * step / sc.minorDivision, a);
                    p.drawLine(QPointF(x, ym), QPointF(left ? x - tick / 2 : x + tick / 2, ym));
                }
            if (!labelled) return;
            p.setPen(text);
            const QString t = axisNumber(v, L.decimals[a]);
            const QRectF box = left ? QRectF(L.area.left(), y - L.textHeight / 2,
                                             x - tick - 2 * s - L.area.left(), L.textHeight)
                                    : QRectF(x + tick + 2 * s, y - L.textHeight / 2,
                                             L.area.right() - x - tick - 2 * s, L.textHeight);
            p.drawText(box, (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, t);
        });
        const QString& axisTitle = axis(a == 0 ? AxisId::Y1 : AxisId::Y2).title;
        if (!axisTitle.isEmpty()) {
            const QRectF tr = L.axisTitleRect[a];
            p.save();
            p.translate(tr.center());
            p.rotate(left ? -90 : 90);
            p.drawText(QRectF(-tr.height() / 2, -tr.width() / 2, tr.height(), tr.width()),
                       Qt::AlignCenter, axisTitle);
            p.restore();
        }
    }
}

} // namespace platform::gui
