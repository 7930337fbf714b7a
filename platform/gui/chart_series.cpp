// The series: their lines, broken at null points, and their markers.
#include "platform/gui/chart_layout.h"

#include <QPainter>

#include <cmath>

namespace platform::gui {

Qt::PenStyle qtPen(PenStyle s) {
    switch (s) {
    case PenStyle::None:
        return Qt::NoPen;
    case PenStyle::Solid:
        return Qt::SolidLine;
    case PenStyle::Dash:
        return Qt::DashLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::DashDot:
        return Qt::DashDotLine;
    }
    return Qt::SolidLine;
}

void paintMarker(QPainter& p, Marker m, const QPointF& c, double size, const QColor& color,
                 double penWidth) {
    if (m == Marker::None) return;
    const double r = size / 2;
    QPen pen(color, penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    const bool filled = m >= Marker::FilledCircle;
    p.setBrush(filled ? QBrush(color) : QBrush(Qt::white));
    auto polygon = [&](std::initializer_list<QPointF> pts) {
        QPolygonF poly;
        for (const QPointF& d : pts)
            poly << c + d;
        p.drawPolygon(poly);
    };
    switch (m) {
    case Marker::Dash:
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        break;
    case Marker::Plus:
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
        break;
    case Marker::Cross:
        p.drawLine(c - QPointF(r, r), c + QPointF(r, r));
        p.drawLine(c - QPointF(r, -r), c + QPointF(r, -r));
        break;
    case Marker::Star:
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
        p.drawLine(c - QPointF(r * 0.7, r * 0.7), c + QPointF(r * 0.7, r * 0.7));
        p.drawLine(c - QPointF(r * 0.7, -r * 0.7), c + QPointF(r * 0.7, -r * 0.7));
        break;
    case Marker::Circle:
    case Marker::FilledCircle:
        p.drawEllipse(c, r, r);
        break;
    case Marker::Square:
    case Marker::FilledSquare:
        p.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
        break;
    case Marker::Diamond:
    case Marker::FilledDiamond:
        polygon({{0, -r}, {r, 0}, {0, r}, {-r, 0}});
        break;
    case Marker::UpTriangle:
    case Marker::FilledUpTriangle:
        polygon({{0, -r}, {r, r * 0.8}, {-r, r * 0.8}});
        break;
    case Marker::DownTriangle:
    case Marker::FilledDownTriangle:
        polygon({{0, r}, {r, -r * 0.8}, {-r, -r * 0.8}});
        break;
    case Marker::None:
        break;
    }
}

// Series: lines broken at null points, then markers; clipped to the plot.
void Chart::paintSeries(QPainter& p, const Layout& L) const {
    const double s = L.s;
    p.save();
    p.setClipRect(L.plot.adjusted(-1 * s, -1 * s, 1 * s, 1 * s));
    for (int n = 1; n <= seriesCount(); ++n) {
        const ChartSeries& se = series_[static_cast<size_t>(n - 1)];
        const int a = se.secondAxis ? 1 : 0;
        const auto& vals = values_[static_cast<size_t>(n - 1)];
        if (se.penStyle != PenStyle::None) {
            QPen pen(se.color, std::max(0.5, se.width) * s, qtPen(se.penStyle), Qt::RoundCap,
                     Qt::RoundJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            QPolygonF run;
            // A value between two gaps still shows: as a dot of the line.
            auto flush = [&] {
                if (run.size() > 1)
                    p.drawPolyline(run);
                else if (run.size() == 1)
                    p.drawPoint(run.front());
                run.clear();
            };
            for (int row = 1; row <= rows_ && !lone(row); ++row) {
                const double v = vals[static_cast<size_t>(row - 1)];
                if (std::isnan(v)) {
                    flush();
                    continue;
                }
                run << QPointF(L.xOf(row, rows_), L.yOf(v, a));
            }
            flush();
        }
        for (int row = 1; row <= rows_; ++row) {
            const double v = vals[static_cast<size_t>(row - 1)];
            if (std::isnan(v)) continue;
            // A lone value is a point, marked even on a line without markers.
            const Marker m =
                lone(row) && se.marker == Marker::None ? Marker::FilledCircle : se.marker;
            paintMarker(p, m, QPointF(L.xOf(row, rows_), L.yOf(v, a)), L.markerSize(se), se.color,
                        se.markerPenWidth * s);
        }
    }
    p.restore();
}

} // namespace platform::gui
