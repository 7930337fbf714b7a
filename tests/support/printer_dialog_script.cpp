#include "tests/support/printer_dialog_script.h"

#include <QPrinter>
#include <gtest/gtest.h>

namespace testing_support {

PrinterDialogScript::PrinterDialogScript() {
    previous_ = platform::setPrinterDialogHandler([this](QPrinter& printer, bool selectionOption) {
        return answer(printer, selectionOption);
    });
}

PrinterDialogScript::~PrinterDialogScript() {
    platform::setPrinterDialogHandler(std::move(previous_));
    if (!steps_.empty()) ADD_FAILURE() << steps_.size() << " printer dialog answer(s) unused";
}

PrinterDialogScript& PrinterDialogScript::answerPdf(const QString& path) {
    return onDialog([path](QPrinter& printer, bool) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    });
}

PrinterDialogScript& PrinterDialogScript::cancel() {
    return onDialog([](QPrinter&, bool) { return false; });
}

PrinterDialogScript& PrinterDialogScript::onDialog(platform::PrinterDialogHandler callback) {
    steps_.push_back(std::move(callback));
    return *this;
}

bool PrinterDialogScript::answer(QPrinter& printer, bool selectionOption) {
    selectionOptions_.push_back(selectionOption);
    if (steps_.empty()) {
        ADD_FAILURE() << "Unscripted printer dialog";
        return false;
    }
    const platform::PrinterDialogHandler step = std::move(steps_.front());
    steps_.pop_front();
    return step(printer, selectionOption);
}

} // namespace testing_support
