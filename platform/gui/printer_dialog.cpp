#include "platform/gui/printer_dialog.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

PrinterDialogHandler& handler() {
    static PrinterDialogHandler h;
    return h;
}

// The last choice of the session: a printer by name, or a PDF file.
struct Choice {
    bool made = false;
    bool pdf = false;
    QString name;
};

Choice& lastChoice() {
    static Choice c;
    return c;
}

void presetLastChoice(QPrinter& printer) {
    const Choice& c = lastChoice();
    if (!c.made) return;
    if (c.pdf) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(c.name);
    } else if (!QPrinterInfo::printerInfo(c.name).isNull()) {
        // A printer removed since is not forced on the dialog.
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(c.name);
    }
}

} // namespace

PrinterDialogHandler setPrinterDialogHandler(PrinterDialogHandler h) {
    PrinterDialogHandler old = std::move(handler());
    handler() = std::move(h);
    return old;
}

bool ShowPrinterDialog(QPrinter& printer, bool selectionOption) {
    if (!handler()) {
        std::fprintf(stderr, "Unanswered printer dialog\n");
        std::abort();
    }
    presetLastChoice(printer);
    if (!handler()(printer, selectionOption)) return false;
    Choice& c = lastChoice();
    c.made = true;
    c.pdf = printer.outputFormat() == QPrinter::PdfFormat;
    c.name = c.pdf ? printer.outputFileName() : printer.printerName();
    return true;
}

bool qtPrinterDialog(QPrinter& printer, bool selectionOption) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionOption);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace platform
