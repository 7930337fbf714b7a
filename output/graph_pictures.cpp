#include "output/graph_pictures.h"

#include "platform/gui/chart.h"

#include <QPainter>
#include <QPixmap>

namespace {

// Drawn at twice the size so they stay sharp on high-density screens.
QPixmap canvas(QSize size) {
    QPixmap p(size * 2);
    p.setDevicePixelRatio(2);
    p.fill(Qt::transparent);
    return p;
}

} // namespace

std::vector<QIcon> lineWidthPictures() {
    std::vector<QIcon> out;
    for (int i = 1; i <= 5; ++i) {
        QPixmap pm = canvas(kLinePictureSize);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        // 10 * i twips, never thinner than a visible hairline.
        const double width = std::max(1.0, 10.0 * i / 15.0 * 1.5);
        p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::FlatCap));
        const double y = kLinePictureSize.height() / 2.0;
        p.drawLine(QPointF(2, y), QPointF(kLinePictureSize.width() - 2, y));
        p.end();
        out.emplace_back(pm);
    }
    return out;
}

std::vector<QIcon> pointStylePictures() {
    std::vector<QIcon> out;
    for (int style = 0; style <= 13; ++style) {
        QPixmap pm = canvas(kPointPictureSize);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const QPointF centre(kPointPictureSize.width() / 2.0, kPointPictureSize.height() / 2.0);
        platform::gui::paintMarker(p, static_cast<platform::gui::Marker>(style + 1), centre, 10,
                                   Qt::black, 1.2);
        p.end();
        out.emplace_back(pm);
    }
    return out;
}
