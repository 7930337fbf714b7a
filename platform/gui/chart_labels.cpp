// The row labels under the plot: where each stands, which are left out where
// they crowd, the summary rows' labels, and their drawing.
#include "platform/gui/chart_layout.h"

#include <QFontMetricsF>
#include <QPainter>

#include <limits>

namespace platform::gui {

// Row labels: upright and centred under their rows. Where they cannot
// all stand side by side, every n-th is left out at a regular stride;
// the labels of lone rows all stand, the others making room for them.
// Returns the height they take under the plot.
double Chart::layoutRowLabels(Layout& L, const QRectF& r, const QFontMetricsF& fm) const {
    const double s = L.s;
    const QRectF& area = L.area;
    const double slot = r.width() / std::max(rows_, 1);
    L.markerCap = std::max(3 * s, slot * 0.75);
    const int joinedRows = loneFrom_ > 0 ? std::min(rows_, loneFrom_ - 1) : rows_;
    double below = 0;
    for (int lv = 0; lv < levels_; ++lv) {
        auto& out = L.labels[lv];
        std::vector<int> shown; // rows of the non-blank labels
        for (int row = 1; row <= rows_; ++row)
            if (!labels_[lv][static_cast<size_t>(row - 1)].trimmed().isEmpty())
                shown.push_back(row);
        auto boxOf = [&](int row) {
            const double w = fm.horizontalAdvance(labels_[lv][static_cast<size_t>(row - 1)]);
            return QRectF(r.left() + (row - 0.5) * slot - w / 2, 0, w, fm.height());
        };
        const size_t joined = static_cast<size_t>(
            std::count_if(shown.begin(), shown.end(), [&](int row) { return row <= joinedRows; }));
        // The lone rows' labels first, every one: they name what a value is.
        // Crowded ones move right, and the group left to stay in the chart.
        std::vector<QRectF> lone;
        double last = -std::numeric_limits<double>::infinity();
        for (size_t k = joined; k < shown.size(); ++k) {
            QRectF b = boxOf(shown[k]);
            if (b.left() < last + 3 * s) b.moveLeft(last + 3 * s);
            lone.push_back(b);
            last = b.right();
        }
        const double over = lone.empty() ? 0 : lone.back().right() - (area.right() - 2 * s);
        if (over > 0)
            for (QRectF& b : lone)
                b.translate(-over, 0);
        const double limit =
            lone.empty() ? std::numeric_limits<double>::infinity() : lone.front().left() - 3 * s;
        for (size_t stride = 1;; ++stride) {
            out.assign(static_cast<size_t>(rows_), QRectF());
            last = -std::numeric_limits<double>::infinity();
            bool fits = true;
            std::vector<int> placed;
            for (size_t k = 0; k < joined; k += stride) {
                const QRectF b = boxOf(shown[k]);
                if (b.left() < last + 3 * s) fits = false;
                out[static_cast<size_t>(shown[k] - 1)] = b;
                placed.push_back(shown[k]);
                last = b.right();
            }
            if (!fits && stride < joined) continue;
            if (!fits) out.assign(static_cast<size_t>(rows_), QRectF());
            // The last ones of the stride make room for the lone labels.
            while (!placed.empty() && out[static_cast<size_t>(placed.back() - 1)].right() > limit) {
                out[static_cast<size_t>(placed.back() - 1)] = QRectF();
                placed.pop_back();
            }
            break;
        }
        for (size_t k = joined; k < shown.size(); ++k)
            out[static_cast<size_t>(shown[k] - 1)] = lone[k - joined];
        // Vertical places are set once the plot's bottom is known.
        for (QRectF& q : out)
            if (!q.isNull()) q.moveTop(below);
        below += fm.height() + 2 * s;
    }
    return below;
}

// Row labels, with a small tick over each.
void Chart::paintRowLabels(QPainter& p, const Layout& L) const {
    const double s = L.s;
    const QColor text = chartTextColour();
    p.setPen(text);
    for (int lv = 0; lv < levels_; ++lv)
        for (int row = 1; row <= rows_; ++row) {
            const QRectF& q = L.labels[lv][static_cast<size_t>(row - 1)];
            if (q.isNull()) continue;
            const QString& t = labels_[lv][static_cast<size_t>(row - 1)];
            if (lv == 0) {
                p.setPen(QPen(QColor(120, 120, 120), 1 * s));
                const double x = L.xOf(row, rows_);
                p.drawLine(QPointF(x, L.plot.bottom()), QPointF(x, L.plot.bottom() + 3 * s));
                p.setPen(text);
            }
            p.drawText(q, Qt::AlignCenter, t);
        }
    p.setFont(L.font);
    if (!categoryTitle_.isEmpty()) p.drawText(L.categoryTitleRect, Qt::AlignCenter, categoryTitle_);
}

} // namespace platform::gui
