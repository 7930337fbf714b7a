#include "app/guarded_application.h"
#include "app/start.h"
#include "platform/gui/printer_dialog.h"
#include "platform/gui/qt_dialogs.h"

int main(int argc, char** argv) {
    BandwrightApplication app(argc, argv);
    QApplication::setApplicationName("Bandwright");
    QApplication::setApplicationVersion("3.4");
    platform::QtDialogHandler dialogs;
    platform::setDialogHandler(&dialogs);
    platform::setPrinterDialogHandler(platform::qtPrinterDialog);
    if (const int rc = Main()) return rc;
    return QApplication::exec();
}
