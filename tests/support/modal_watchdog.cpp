#include "tests/support/modal_watchdog.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace testing_support {
namespace {

int allowed = 0;

class ModalWatchdog final : public QObject {
public:
    using QObject::QObject;

protected:
    // Every window is shown through a Show event, whatever shows it
    // (exec, open, show with a modality set), so nothing slips past.
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Show || !watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!w->isWindow() || !(w->isModal() || w->testAttribute(Qt::WA_ShowModal))) return false;
        if (allowed > 0) return false;
        QString what = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w)) what += " / " + box->text();
        ADD_FAILURE() << "A modal window bypassed the dialog routing: \"" << what.toStdString()
                      << "\" (" << w->metaObject()->className() << ")";
        // Closing it during its own show would leave exec() waiting forever:
        // close it once its event loop runs.
        QPointer<QWidget> guard(w);
        QTimer::singleShot(0, w, [guard] {
            if (!guard) return;
            if (auto* dialog = qobject_cast<QDialog*>(guard.data()))
                dialog->done(QDialog::Rejected);
            else
                guard->close();
        });
        return false;
    }
};

} // namespace

void installModalWatchdog(QApplication& app) {
    app.installEventFilter(new ModalWatchdog(&app));
}

AllowModalWindows::AllowModalWindows() {
    ++allowed;
}
AllowModalWindows::~AllowModalWindows() {
    --allowed;
}

} // namespace testing_support
