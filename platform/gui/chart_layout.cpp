// The chart's layout, step by step: title, legend, value axes, row labels,
// then the plot in what is left.
#include "platform/gui/chart_layout.h"

#include <QFontMetricsF>
#include <QImage>

namespace platform::gui {

Chart::Layout Chart::layout(const QRectF& area, double dpi) const {
    Layout L;
    L.s = dpi / 96.0;
    const double s = L.s;
    L.area = area;
    L.font = font();
    L.titleFont = font();
    L.titleFont.setBold(true);
    L.titleFont.setPointSizeF(L.font.pointSizeF() > 0 ? L.font.pointSizeF() * 1.15 : 10);
    // Fonts in points: measured at the device's dpi they take its size.
    QImage probe(1, 1, QImage::Format_ARGB32);
    probe.setDotsPerMeterX(qRound(dpi / 0.0254));
    probe.setDotsPerMeterY(qRound(dpi / 0.0254));
    const QFontMetricsF fm(L.font, &probe);
    const QFontMetricsF tfm(L.titleFont, &probe);
    L.textHeight = fm.height();
    const double gap = 4 * s;

    QRectF r = area.adjusted(8 * s, 6 * s, -8 * s, -6 * s);
    if (!title_.isEmpty()) {
        const double h = tfm.height() * titleLines().size();
        L.titleRect = QRectF(r.left(), r.top(), r.width(), h);
        r.setTop(r.top() + h + gap);
    }

    layoutLegend(L, r, fm);
    layoutValueAxes(L, r, fm);
    // Room for the half of a value label that stands above the top line.
    r.setTop(r.top() + fm.height() / 2);
    if (r.width() < 10 * s) r.setWidth(10 * s);

    const double below = layoutRowLabels(L, r, fm);
    double bottomRoom = gap + below;
    if (!categoryTitle_.isEmpty()) bottomRoom += fm.height() + gap;
    r.setBottom(r.bottom() - bottomRoom);
    if (r.height() < 10 * s) r.setHeight(10 * s);
    L.plot = r;
    for (int lv = 0; lv < levels_; ++lv)
        for (QRectF& q : L.labels[lv])
            if (!q.isNull()) q.translate(0, r.bottom() + gap);
    if (!categoryTitle_.isEmpty())
        L.categoryTitleRect =
            QRectF(r.left(), r.bottom() + gap + below + gap, r.width(), fm.height());

    L.setTickStrides();
    return L;
}

} // namespace platform::gui
