#include "app/start.h"
#include "platform/gui/printer_dialog.h"
#include "platform/gui/qt_dialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Bandwright");
    QApplication::setApplicationVersion("3.4");
    platform::QtDialogHandler dialogs;
    platform::setDialogHandler(&dialogs);
    platform::setPrinterDialogHandler(platform::qtPrinterDialog);
    if (const int rc = Main()) return rc;
    return QApplication::exec();
}
