#include "workspace/logo.h"

#include <QPainter>

QPixmap bandwrightLogo(int size) {
    QPixmap pm(96, 96);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 70, 140));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(0, 0, 96, 96, 12, 12);
    const int heights[] = {30, 46, 62, 54, 70, 58, 40, 26};
    for (int i = 0; i < 8; ++i) {
        p.setBrush(QColor(120 + i * 15, 200, 255 - i * 12));
        p.drawRect(10 + i * 10, 84 - heights[i], 8, heights[i]);
    }
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(8, 86, 88, 86);
    p.end();
    return size == 96 ? pm : pm.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
