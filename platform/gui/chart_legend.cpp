// The legend: its entries beside or under the plot, and their drawing.
#include "platform/gui/chart_layout.h"

#include <QFontMetricsF>
#include <QPainter>

namespace platform::gui {

void Chart::layoutLegend(Layout& L, QRectF& r, const QFontMetricsF& fm) const {
    const double s = L.s;
    const double gap = 4 * s;
    // Legend under the plot: entries side by side, centred, wrapping.
    if (legend_ && seriesCount() > 0 && legendPosition_ == LegendPosition::Bottom) {
        std::vector<double> widths;
        for (const ChartSeries& se : series_)
            widths.push_back(std::min(r.width(), 24 * s + gap + fm.horizontalAdvance(se.name)));
        const double spacing = 4 * gap;
        std::vector<std::vector<size_t>> lines(1);
        double used = 0;
        for (size_t i = 0; i < widths.size(); ++i) {
            const double need = (lines.back().empty() ? 0 : spacing) + widths[i];
            if (!lines.back().empty() && used + need > r.width()) {
                lines.emplace_back();
                used = 0;
            }
            used += lines.back().empty() ? widths[i] : need;
            lines.back().push_back(i);
        }
        const double lineHeight = fm.height() + 2 * s;
        double y = r.bottom() - lines.size() * lineHeight + 2 * s;
        L.legendEntries.resize(series_.size());
        for (const auto& line : lines) {
            double total = 0;
            for (size_t k = 0; k < line.size(); ++k)
                total += widths[line[k]] + (k ? spacing : 0);
            double x = r.left() + (r.width() - total) / 2;
            for (size_t i : line) {
                L.legendEntries[i] = QRectF(x, y, widths[i], fm.height());
                x += widths[i] + spacing;
            }
            y += lineHeight;
        }
        r.setBottom(r.bottom() - lines.size() * lineHeight - gap);
    }

    // Legend on the right, one entry per series.
    if (legend_ && seriesCount() > 0 && legendPosition_ == LegendPosition::Right) {
        double w = 0;
        for (const ChartSeries& se : series_)
            w = std::max(w, fm.horizontalAdvance(se.name));
        const double entryW = 24 * s + gap + w;
        const double x = r.right() - entryW;
        double y = r.top() + gap;
        for (size_t i = 0; i < series_.size(); ++i) {
            L.legendEntries.emplace_back(x, y, entryW, fm.height());
            y += fm.height() + 2 * s;
        }
        r.setRight(x - 2 * gap);
    }
}

// Legend: a piece of each series' line with its marker, and its name.
void Chart::paintLegend(QPainter& p, const Layout& L) const {
    const double s = L.s;
    const QColor text = chartTextColour();
    for (size_t i = 0; i < L.legendEntries.size(); ++i) {
        const ChartSeries& se = series_[i];
        const QRectF e = L.legendEntries[i];
        const double y = e.center().y();
        if (se.penStyle != PenStyle::None) {
            p.setPen(QPen(se.color, std::max(0.5, se.width) * s, qtPen(se.penStyle)));
            p.drawLine(QPointF(e.left(), y), QPointF(e.left() + 20 * s, y));
        }
        paintMarker(p, se.marker, QPointF(e.left() + 10 * s, y), se.markerSize * s, se.color,
                    se.markerPenWidth * s);
        p.setPen(text);
        p.drawText(e.adjusted(24 * s + 4 * s, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, se.name);
    }
}

} // namespace platform::gui
