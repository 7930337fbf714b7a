#include "app/guarded_application.h"
#include "app/start.h"
#include "platform/clock.h"
#include "platform/gui/printer_dialog.h"
#include "platform/gui/qt_dialogs.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// BANDWRIGHT_START_PROBE set (the start-up benchmark): the splash's minimum
// wait passes at once, and the program ends once its start dialog has been
// painted, after printing "start dialog shown".
class NoWaitClock final : public platform::Clock {
public:
    platform::Duration now() override {
        return std::chrono::duration_cast<platform::Duration>(
                   std::chrono::steady_clock::now().time_since_epoch()) +
               skipped_;
    }
    void sleepFor(platform::Duration d) override { skipped_ += d; }

private:
    platform::Duration skipped_{};
};

class StartDialogProbe final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->objectName() == "frmSElWSFile")
            QTimer::singleShot(0, [] {
                std::puts("start dialog shown");
                std::fflush(stdout);
                std::_Exit(0);
            });
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    BandwrightApplication app(argc, argv);
    QApplication::setApplicationName("Bandwright");
    QApplication::setApplicationVersion("3.4");
    platform::QtDialogHandler dialogs;
    platform::setDialogHandler(&dialogs);
    platform::setPrinterDialogHandler(platform::qtPrinterDialog);
    NoWaitClock noWait;
    StartDialogProbe probe;
    if (std::getenv("BANDWRIGHT_START_PROBE")) {
        platform::setClock(&noWait);
        app.installEventFilter(&probe);
    }
    if (const int rc = Main()) return rc;
    return QApplication::exec();
}
