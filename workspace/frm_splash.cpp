#include "workspace/frm_splash.h"

#include "platform/geometry.h"
#include "platform/gui/named.h"
#include "workspace/globals.h"
#include "workspace/logo.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

using platform::gui::makeNamed;

QPointer<frmSplash> defaultInstance;

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    Frame1 = makeNamed<QFrame>(this, "Frame1");
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setLineWidth(2);

    imgLogo = makeNamed<QLabel>(Frame1, "imgLogo");
    imgLogo->setPixmap(bandwrightLogo());
    lblProductName = makeNamed<QLabel>(Frame1, "lblProductName", "Bandwright");
    QFont big = lblProductName->font();
    big.setPointSize(24);
    big.setBold(true);
    lblProductName->setFont(big);
    lblVersion = makeNamed<QLabel>(Frame1, "lblVersion", "Version 3.4");
    lblCompany = makeNamed<QLabel>(Frame1, "lblCompany",
                                   "Acoustic calculations for noise, insulation and rooms");
    lblCopyright = makeNamed<QLabel>(Frame1, "lblCopyright",
                                     "Bandwright developers. Free software under the GNU GPL.");

    auto* text = new QVBoxLayout;
    text->addWidget(lblProductName);
    text->addWidget(lblVersion);
    text->addStretch();
    text->addWidget(lblCompany);
    text->addWidget(lblCopyright);
    auto* row = new QHBoxLayout(Frame1);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(24);
    row->addWidget(imgLogo, 0, Qt::AlignTop);
    row->addLayout(text);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(Frame1);
    Frame1->installEventFilter(this);
    for (QLabel* l : {imgLogo, lblProductName, lblVersion, lblCompany, lblCopyright})
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(520, 220);
}

void frmSplash::setTop(int twips) {
    move(x(), platform::twipsToPixels(twips));
}
void frmSplash::setLeft(int twips) {
    move(platform::twipsToPixels(twips), y());
}
int frmSplash::Top() const {
    return platform::pixelsToTwips(y());
}
int frmSplash::Left() const {
    return platform::pixelsToTwips(x());
}

void frmSplash::Refresh() {
    // Under a window manager the window is mapped only after a round trip, and
    // what is painted before that is lost: wait (briefly) for the window system
    // to expose it, handling no input meanwhile.
    const QDeadlineTimer deadline(2000);
    while (windowHandle() && !windowHandle()->isExposed() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    repaint();
    QApplication::sync();
}

void frmSplash::Unload() {
    hide();
    if (defaultInstance == this) defaultInstance = nullptr;
    delete this;
}

bool frmSplash::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QWidget::event(e);
}

void frmSplash::keyPressEvent(QKeyEvent*) {
    Form_KeyPress();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Frame1 && e->type() == QEvent::MouseButtonRelease) {
        Frame1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void frmSplash::Form_Activate() {
    gActiveKind = 0;
}

// Unloading from inside our own event handler: let the event finish first.
void frmSplash::Form_KeyPress() {
    hide();
    if (defaultInstance == this) defaultInstance = nullptr;
    deleteLater();
}

void frmSplash::Frame1_Click() {
    Form_KeyPress();
}

frmSplash& splashForm() {
    if (!defaultInstance) defaultInstance = new frmSplash;
    return *defaultInstance;
}

bool splashLoaded() {
    return !defaultInstance.isNull();
}
