#pragma once
// The printer dialog, routed like every modal dialog: the program shows Qt's
// print dialog, a test answers from a script. Nothing waits unanswered.
#include <functional>

class QPrinter;

namespace platform {

// Returns true when the user chose to print; the printer then holds the choice.
using PrinterDialogHandler = std::function<bool(QPrinter& printer, bool selectionOption)>;

// Installs a handler; returns the previous one. With none installed the
// dialog prints a notice and aborts, as the other modal calls do.
PrinterDialogHandler setPrinterDialogHandler(PrinterDialogHandler handler);

// Asks which printer to print to, offering no page range; selectionOption
// offers "Selection" too (it does not limit what is printed). The printer
// chosen is preset in the next dialog of the session, as the default.
bool ShowPrinterDialog(QPrinter& printer, bool selectionOption = false);

// Qt's print dialog, the program's handler.
bool qtPrinterDialog(QPrinter& printer, bool selectionOption);

} // namespace platform
