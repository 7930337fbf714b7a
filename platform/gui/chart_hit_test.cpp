// Where the chart draws what, what lies under a position, and the clicks.
#include "platform/gui/chart_layout.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace platform::gui {

namespace {

double distanceToSegment(const QPointF& q, const QPointF& a, const QPointF& b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0 ? QPointF::dotProduct(q - a, ab) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF d = q - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

} // namespace

std::optional<QPointF> Chart::pointAt(int series, int row, const QRectF& area, double dpi) const {
    if (!validSeries(series) || !validRow(row) || isNull(row, series)) return std::nullopt;
    const Layout L = layout(area, dpi);
    const int a = series_[static_cast<size_t>(series - 1)].secondAxis ? 1 : 0;
    return QPointF(L.xOf(row, rows_), L.yOf(value(row, series), a));
}

std::optional<QPointF> Chart::pointAt(int series, int row) const {
    return pointAt(series, row, QRectF(rect()), dpi());
}

QRectF Chart::plotArea() const {
    return layout(QRectF(rect()), dpi()).plot;
}

QRectF Chart::labelRect(int row, int level) const {
    if (!validRow(row) || level < 1 || level > levels_) return QRectF();
    const Layout L = layout(QRectF(rect()), dpi());
    return L.labels[level - 1][static_cast<size_t>(row - 1)];
}

Chart::Hit Chart::hitTest(const QPoint& pos) const {
    const Layout L = layout(QRectF(rect()), dpi());
    const QPointF q(pos);
    for (size_t i = 0; i < L.legendEntries.size(); ++i)
        if (L.legendEntries[i].contains(q)) return {static_cast<int>(i) + 1, 0};
    if (!L.plot.adjusted(-4, -4, 4, 4).contains(q)) return {};
    // The series drawn last lies on top: it is hit first.
    for (int n = seriesCount(); n >= 1; --n) {
        const ChartSeries& se = series_[static_cast<size_t>(n - 1)];
        const int a = se.secondAxis ? 1 : 0;
        const auto& vals = values_[static_cast<size_t>(n - 1)];
        const double markerReach = std::max(L.markerSize(se) / 2, 4.0) + 2;
        const double lineReach = std::max(se.width * L.s / 2, 3.0) + 1;
        int best = 0;
        double bestDist = markerReach;
        QPointF prev;
        bool hasPrev = false; // a line runs from the previous point
        for (int row = 1; row <= rows_; ++row) {
            const double v = vals[static_cast<size_t>(row - 1)];
            if (std::isnan(v)) {
                hasPrev = false;
                continue;
            }
            const QPointF pt(L.xOf(row, rows_), L.yOf(v, a));
            if (lone(row)) hasPrev = false;
            const double d = std::hypot(pt.x() - q.x(), pt.y() - q.y());
            if (d <= bestDist) {
                bestDist = d;
                best = row;
            }
            if (!best && hasPrev && se.penStyle != PenStyle::None &&
                distanceToSegment(q, prev, pt) <= lineReach) {
                // On the line: the nearer end of the segment.
                const double dPrev = std::hypot(prev.x() - q.x(), prev.y() - q.y());
                return {n, dPrev <= d ? row - 1 : row};
            }
            prev = pt;
            hasPrev = true;
        }
        if (best) return {n, best};
    }
    return {};
}

void Chart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    render(p, QRectF(rect()));
}

void Chart::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const Hit hit = hitTest(e->position().toPoint());
        if (hit.series > 0) emit seriesSelected(hit.series);
    }
    QWidget::mousePressEvent(e);
}

} // namespace platform::gui
