#include "app/guarded_application.h"

#include "engine/globals.h"
#include "platform/ui.h"

#include <QScopeGuard>

#include <exception>

BandwrightApplication::BandwrightApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool BandwrightApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded(receiver, event);
}

bool BandwrightApplication::deliverGuarded(QObject* receiver, QEvent* event) {
    auto* app = static_cast<QApplication*>(QCoreApplication::instance());
    try {
        return app->QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        reportEscaped(QString::fromUtf8(e.what()));
    } catch (...) {
        reportEscaped(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void BandwrightApplication::reportEscaped(const QString& text) {
    // Whatever was running when it failed no longer holds these.
    gBusy = false;
    gNoRecalc = false;
    if (reporting_) return;
    reporting_ = true;
    const auto done = qScopeGuard([] { reporting_ = false; });
    platform::MsgBox(text, platform::vbOKOnly | platform::vbExclamation);
}
