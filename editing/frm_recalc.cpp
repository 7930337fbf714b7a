#include "editing/frm_recalc.h"

#include "platform/geometry.h"
#include "platform/gui/forms.h"
#include "platform/gui/named.h"

frmRecalc::frmRecalc(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName("frmRecalc");
    setWindowTitle("Bandwright");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(platform::twipsToPixels(3600), platform::twipsToPixels(900));
    Label1 = platform::gui::makeNamed<QLabel>(this, "Label1", "Re-Calculating ...");
    Label1->setAlignment(Qt::AlignCenter);
    QFont font = Label1->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    Label1->setFont(font);
    Label1->setGeometry(rect());
}

void frmRecalc::showOver(QWidget* window) {
    if (window) {
        const QWidget* frame = platform::gui::frameOf(window);
        const QPoint corner = frame->mapToGlobal(QPoint(0, 0));
        const int w = frame->width(), h = frame->height();
        const int left = corner.x() + (w > width() ? (w - width()) / 2 : 0);
        const int top = corner.y() + (h > height() ? (h - height()) / 3 : 0);
        move(left, top);
    }
    show();
    repaint();
}
