#include "platform/gui/record_selector_header.h"

#include <QPainter>

#include <algorithm>

namespace platform {

SelectorHeader::SelectorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    setSectionsClickable(true);
    setHighlightSections(true);
}

void SelectorHeader::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    painter->save(); // the style leaves its own clipping behind
    QHeaderView::paintSection(painter, rect, logical);
    painter->restore();
    if (!isCurrent || !isCurrent(logical)) return;
    // A triangle pointing at the row.
    const int h = std::max(4, std::min(rect.height(), rect.width()) / 2);
    const QPointF c = QRectF(rect).center();
    const QPolygonF mark({QPointF(c.x() - h / 3.0, c.y() - h / 2.0),
                          QPointF(c.x() + h / 2.0, c.y()),
                          QPointF(c.x() - h / 3.0, c.y() + h / 2.0)});
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::WindowText));
    painter->drawPolygon(mark);
    painter->restore();
}

} // namespace platform
