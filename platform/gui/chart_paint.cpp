// The whole drawing, in order: title, grids, axes, labels, series, legend.
#include "platform/gui/chart_layout.h"

#include <QPainter>

namespace platform::gui {

void Chart::render(QPainter& p, const QRectF& area) const {
    const double deviceDpi = p.device() ? p.device()->logicalDpiY() : 96;
    const Layout L = layout(area, deviceDpi > 0 ? deviceDpi : 96);
    const double s = L.s;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(area, Qt::white);
    const QColor text = chartTextColour();

    if (!title_.isEmpty()) {
        p.setFont(L.titleFont);
        p.setPen(text);
        p.drawText(L.titleRect, Qt::AlignCenter, titleLines().join('\n'));
    }
    p.setFont(L.font);

    // One grid: dotted or dashed lines need more contrast than solid ones.
    const QPen gridPen(gridPen_ == PenStyle::Solid ? QColor(218, 222, 228) : QColor(140, 140, 140),
                       1 * s, gridPen_ == PenStyle::None ? Qt::SolidLine : qtPen(gridPen_));
    if (categoryGrid_ && rows_ > 0) {
        for (int k = divisionsPerTick_; k < rows_; k += divisionsPerTick_) {
            const double x = L.plot.left() + k * L.plot.width() / rows_;
            p.setPen(gridPen);
            p.drawLine(QPointF(x, L.plot.top()), QPointF(x, L.plot.bottom()));
            p.setPen(QPen(QColor(120, 120, 120), 1 * s));
            p.drawLine(QPointF(x, L.plot.bottom()), QPointF(x, L.plot.bottom() + 4 * s));
        }
    }
    paintValueAxes(p, L, gridPen);

    // The plot's frame.
    p.setPen(QPen(QColor(120, 120, 120), 1 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRect(L.plot);

    paintRowLabels(p, L);
    paintSeries(p, L);
    paintLegend(p, L);

    if (frame_) {
        const double w = 1 * s;
        p.setPen(QPen(QColor(60, 60, 60), w));
        p.setBrush(Qt::NoBrush);
        p.drawRect(area.adjusted(w / 2, w / 2, -w / 2, -w / 2));
    }
    p.restore();
}

QImage Chart::toImage(const QSize& size, double dpi) const {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    QPainter p(&img);
    render(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return img;
}

} // namespace platform::gui
