#pragma once
// Answers the printer dialog in a test, in the order scripted. A dialog the
// script does not expect fails the test and counts as cancelled; an answer
// left unused when the script ends fails the test too.
#include "platform/gui/printer_dialog.h"

#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace testing_support {

class PrinterDialogScript {
public:
    PrinterDialogScript();  // installs itself as the printer dialog handler
    ~PrinterDialogScript(); // restores the previous handler

    PrinterDialogScript(const PrinterDialogScript&) = delete;
    PrinterDialogScript& operator=(const PrinterDialogScript&) = delete;

    // The next dialog is answered OK, printing to this PDF file.
    PrinterDialogScript& answerPdf(const QString& path);
    // The next dialog is cancelled.
    PrinterDialogScript& cancel();
    // The next dialog is passed to this callback; its return value is the answer.
    PrinterDialogScript& onDialog(platform::PrinterDialogHandler callback);

    // Whether each dialog shown offered "Selection", in order.
    const std::vector<bool>& selectionOptions() const { return selectionOptions_; }
    size_t pending() const { return steps_.size(); }

private:
    bool answer(QPrinter& printer, bool selectionOption);

    std::deque<platform::PrinterDialogHandler> steps_;
    std::vector<bool> selectionOptions_;
    platform::PrinterDialogHandler previous_;
};

} // namespace testing_support
