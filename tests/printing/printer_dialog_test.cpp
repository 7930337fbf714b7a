// The printer dialog as a window's print command meets it: answered by the
// test script, the last choice preset next time, and Qt's own dialog offering
// exactly the options asked for.
#include "platform/gui/printer.h"
#include "platform/gui/printer_dialog.h"
#include "tests/support/printer_dialog_script.h"

#include "tests/support/modal_watchdog.h"
#include <QApplication>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest-spi.h>

#include <gtest/gtest.h>

namespace {

using namespace platform;
using testing_support::PrinterDialogScript;

// What a print command does: ask, then print one line, or nothing on Cancel.
bool printCommand(const QString& line, bool selection) {
    QPrinter device(QPrinter::HighResolution);
    if (!ShowPrinterDialog(device, selection)) return false;
    QtPrinter printer(device);
    printer.Print(line);
    return printer.EndDoc();
}

TEST(PrinterDialog, ScriptedAnswersPrintToPdfOrCancelAndTheChoiceIsPresetNextTime) {
    QTemporaryDir dir;
    const QString first = dir.filePath("first.pdf");
    PrinterDialogScript script;
    QString presetSeen;
    script.answerPdf(first).cancel().onDialog([&](QPrinter& printer, bool) {
        presetSeen = printer.outputFileName();
        return true;
    });

    EXPECT_TRUE(printCommand("Graph", false));
    EXPECT_TRUE(QFileInfo(first).size() > 0);
    ASSERT_TRUE(QFile::remove(first));

    EXPECT_FALSE(printCommand("Cancelled", true));
    EXPECT_FALSE(QFileInfo::exists(first)) << "Cancel prints nothing";

    // OK without changing anything prints where the last run printed.
    EXPECT_TRUE(printCommand("Again", false));
    EXPECT_EQ(presetSeen, first);
    EXPECT_TRUE(QFileInfo::exists(first));

    EXPECT_EQ(script.selectionOptions(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(script.pending(), 0u);
}

TEST(PrinterDialog, AnUnscriptedOrUnusedAnswerFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            PrinterDialogScript script;
            EXPECT_FALSE(printCommand("Nobody answers", false));
        },
        "Unscripted printer dialog");
    EXPECT_NONFATAL_FAILURE(
        {
            PrinterDialogScript script;
            script.cancel();
        },
        "unused");
}

TEST(PrinterDialog, QtDialogOffersNoPageRangeAndSelectionOnlyWhenAsked) {
    // The real dialog on purpose: the test answers it itself.
    testing_support::AllowModalWindows allow;
    for (const bool selection : {false, true}) {
        QPrinter device(QPrinter::HighResolution);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QPrintDialog*>(w);
                if (!dialog || !dialog->isVisible()) continue;
                seen = true;
                EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
                EXPECT_EQ(dialog->testOption(QAbstractPrintDialog::PrintSelection), selection);
                dialog->reject();
            }
        });
        EXPECT_FALSE(qtPrinterDialog(device, selection));
        EXPECT_TRUE(seen);
    }
}

} // namespace
