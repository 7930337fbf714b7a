// The print window through its real controls: opening it from the Output
// menu on worksheets and datasheets, the preview following the ticks,
// printing pages to PDF, and copying the preview as rich text.
#include "output/output_copy.h"
#include "output/output_menu.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/clipboard.h"
#include "tests/output/output_fixture.h"
#include "tests/support/dialog_script.h"
#include "tests/support/printer_dialog_script.h"

#include <QFile>
#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>

using namespace output_tests;
using testing_support::DialogScript;
using testing_support::PrinterDialogScript;

namespace {

class PrintWindowTest : public OutputWindowTest {
protected:
    void addPlantSheet() {
        auto fan = row("Fan", {62, 60, 58, 55, 52, 50, 47, 44, 40, 38});
        auto louder = row("Fan louder", {});
        louder.formula = "s1 + 3";
        file_->addSheet("Plant", 1, 14,
                        {fan, row("Pump", {50, -999, 48, 47, 46, 45, -998, 43, 42, 41}), louder},
                        "Level survey");
    }
    static QStringList lines(frmPrint* p) { return p->txtPrint->toPlainText().split('\n'); }
    // Whether the preview line starting with `start` is bold.
    static bool bold(frmPrint* p, const QString& start) {
        for (QTextBlock b = p->txtPrint->document()->begin(); b.isValid(); b = b.next())
            if (b.text().startsWith(start))
                return b.begin().fragment().charFormat().fontWeight() >= QFont::Bold;
        ADD_FAILURE() << "no line " << start.toStdString();
        return false;
    }
};

TEST_F(PrintWindowTest, OutputPrintOpensAWindowWithEverySpectrumAndItemTicked) {
    addPlantSheet();
    WorksheetWindow* sheet = openSheet("Plant");
    frmPrint* p = openPrint();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->windowTitle(), "Print: Plant");
    EXPECT_EQ(p->txtTitle->Text(), "Title: Level survey\nPrepared By: ");
    ASSERT_EQ(p->lstSpectra->count(), 3);
    EXPECT_EQ(p->lstSpectra->item(1)->text(), "2: Pump");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(p->lstSpectra->item(i)->checkState(), Qt::Checked);
    for (int i : {1, 2, 3, 4, 5, 6, 8})
        EXPECT_TRUE(p->chkPrintItem(i)->isChecked()) << i;
    EXPECT_FALSE(p->chkPrintItem(7)->isChecked());
    EXPECT_FALSE(p->chkPrintItem(7)->isVisible());
    EXPECT_EQ(p->chkPrintItem(7)->text(), "Data Source Info.");
    EXPECT_EQ(gActiveKind, 4);
    EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());
    EXPECT_FALSE(menuItem("mnuGraphPrint")->isEnabled());
    EXPECT_EQ(frame(p)->size(),
              QSize(platform::twipsToPixels(11000), platform::twipsToPixels(7700)));
    EXPECT_EQ(platform::gui::formKind(p), platform::gui::FormKind::Print);

    // Closing it sets the menus as for any window closed (no more Copy).
    frame(sheet)->close();
    QApplication::processEvents();
    frame(p)->close();
    QApplication::processEvents();
    EXPECT_FALSE(menuItem("mnuEditCopy")->isEnabled());
    EXPECT_TRUE(menuItem("mnuFileNewWorksheet")->isEnabled());
}

TEST_F(PrintWindowTest, ThePreviewFollowsTheTicksAndTheSheet) {
    addPlantSheet();
    WorksheetWindow* sheet = openSheet("Plant");
    frmPrint* p = openPrint();
    ASSERT_TRUE(p);
    QStringList l = lines(p);
    ASSERT_GE(l.size(), 12);
    EXPECT_EQ(l[0], "31.5Hz\t63Hz\t125Hz\t250Hz\t500Hz\t1KHz\t2KHz\t4KHz\t8KHz\t16KHz");
    EXPECT_EQ(l[1], "");
    EXPECT_EQ(l[2], "1: Fan");
    EXPECT_EQ(l[3], "62.0\t60.0\t58.0\t55.0\t52.0\t50.0\t47.0\t44.0\t40.0\t38.0");
    EXPECT_TRUE(l[4].endsWith(" dBL")) << l[4].toStdString();
    EXPECT_EQ(l[7], "50.0\t.\t48.0\t47.0\t46.0\t45.0\tX\t43.0\t42.0\t41.0");
    EXPECT_EQ(l[11], "Formula: s1 + 3");
    EXPECT_TRUE(bold(p, "31.5Hz"));
    EXPECT_TRUE(bold(p, "2: Pump"));
    EXPECT_FALSE(bold(p, "Formula:"));
    EXPECT_FALSE(bold(p, "62.0"));
    EXPECT_EQ(p->txtPrint->document()->defaultFont().family(), "Arial");
    EXPECT_EQ(p->txtPrint->document()->defaultFont().pointSizeF(), 9);

    // Unticking the band values and Pump rebuilds the preview at once.
    p->chkPrintItem(4)->click();
    p->lstSpectra->item(1)->setCheckState(Qt::Unchecked);
    QApplication::processEvents();
    l = lines(p);
    EXPECT_EQ(l[0], "1: Fan");
    EXPECT_FALSE(p->txtPrint->toPlainText().contains("Pump"));
    EXPECT_FALSE(p->txtPrint->toPlainText().contains("62.0"));

    // A spectrum added in the sheet meanwhile is listed and ticked; Pump stays unticked.
    activate(sheet);
    file_->database()->Execute(
        "INSERT INTO \"Plant\" (\"Code\", \"Description\") VALUES (4, 'Chiller')");
    activate(p);
    ASSERT_EQ(p->lstSpectra->count(), 4);
    EXPECT_EQ(p->lstSpectra->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(p->lstSpectra->item(3)->checkState(), Qt::Checked);
    EXPECT_TRUE(p->txtPrint->toPlainText().contains("4: Chiller"));
    EXPECT_FALSE(p->chkPrintItem(4)->isChecked());
}

TEST_F(PrintWindowTest, PrintingMakesPagesWithHeadFootAndRecordsInOrder) {
    std::vector<testing_support::SpectrumRow> rows;
    for (int i = 1; i <= 40; ++i)
        rows.push_back(row("Position " + std::to_string(i), std::vector<double>(30, 40 + i % 7)));
    file_->addSheet("Site", 2, 13, rows, "Boundary survey");
    openSheet("Site", 2, 13);
    frmPrint* p = openPrint();
    ASSERT_TRUE(p);

    {
        PrinterDialogScript printer;
        printer.cancel();
        p->cmdPrint->click();
    }
    const QString pdf = tempFile("spectra.pdf");
    EXPECT_FALSE(QFile::exists(pdf));
    // A selection in the preview is offered to the dialog, and prints everything all the same.
    QTextCursor c = p->txtPrint->textCursor();
    c.setPosition(0);
    c.setPosition(20, QTextCursor::KeepAnchor);
    p->txtPrint->setTextCursor(c);
    {
        PrinterDialogScript printer;
        printer.answerPdf(pdf);
        p->cmdPrint->click();
        EXPECT_EQ(printer.selectionOptions(), std::vector<bool>{true});
    }
    const int pages = pdfPageCount(pdf);
    ASSERT_GE(pages, 3);
    const QString today =
        "Printed " + QLocale(QLocale::English).toString(QDate::currentDate(), "dd MMM yyyy");
    int next = 1;
    for (int page = 1; page <= pages; ++page) {
        const QString text = runTool("pdftotext", {"-layout", "-f", QString::number(page), "-l",
                                                   QString::number(page), pdf, "-"});
        EXPECT_TRUE(text.contains(QRegularExpression("survey\\.bwdb +Site"))) << page;
        EXPECT_TRUE(text.contains("Page " + QString::number(page))) << page;
        EXPECT_TRUE(text.contains(today)) << page;
        EXPECT_TRUE(text.contains("31.5Hz")) << page;
        EXPECT_EQ(text.contains("Bandwright"), page == 1) << page;
        EXPECT_EQ(text.contains("Title: Boundary survey"), page == 1) << page;
        // The records follow one another, page after page, each once.
        qsizetype after = 0;
        for (;; ++next) {
            const QRegularExpression name(QString("(^|\\s)%1: Position %1\\s").arg(next));
            const qsizetype at = text.indexOf(name, after);
            if (at < 0) break;
            EXPECT_EQ(text.indexOf(name, at + 1), -1) << next;
            after = at + 1;
        }
    }
    EXPECT_EQ(next, 41);
    // The preview and its ticks are as they were.
    EXPECT_TRUE(p->txtPrint->textCursor().hasSelection());

    // A file that cannot be written: the user is told.
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    {
        PrinterDialogScript printer;
        printer.answerPdf(tempFile("no such folder/spectra.pdf"));
        p->cmdPrint->click();
    }
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(script.prompts()[0].contains("could not be printed"));
}

TEST_F(PrintWindowTest, CopyPutsThePreviewOrItsSelectionAsRichAndPlainText) {
    addPlantSheet();
    openSheet("Plant");
    frmPrint* p = openPrint();
    ASSERT_TRUE(p);
    ASSERT_TRUE(copyOutputWindow(p));
    EXPECT_EQ(platform::clipboardText(), p->txtPrint->toPlainText());
    const QByteArray rtf = platform::clipboardRtf();
    ASSERT_FALSE(rtf.isEmpty());
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    if (!QStandardPaths::findExecutable("unrtf").isEmpty()) {
        const QString file = tempFile("preview.rtf");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(rtf);
        out.close();
        const QString html = runTool("unrtf", {"--html", file});
        // Number lines bold, levels and formulas not.
        EXPECT_TRUE(html.contains(QRegularExpression("(?s)<b>((?!</b>).)*1: Fan<br>\\s*</b>62.0")))
            << html.toStdString();
        EXPECT_TRUE(
            html.contains(QRegularExpression("<b>3: Fan louder<br>\\s*</b>Formula: s1 \\+ 3")));
        const QString text = runTool("unrtf", {"--text", file});
        EXPECT_TRUE(text.contains("62.0")) << text.toStdString();
    }

    // The selected lines alone, in both formats.
    QTextCursor c(p->txtPrint->document());
    const int at = p->txtPrint->toPlainText().indexOf("2: Pump");
    c.setPosition(at);
    c.setPosition(at + QString("2: Pump\n50.0").size(), QTextCursor::KeepAnchor);
    p->txtPrint->setTextCursor(c);
    ASSERT_TRUE(copyOutputWindow(p));
    EXPECT_EQ(platform::clipboardText(), "2: Pump\n50.0");
    const QByteArray part = platform::clipboardRtf();
    EXPECT_TRUE(part.contains("\\b 2: Pump")) << part.toStdString();
    EXPECT_FALSE(part.contains("Fan"));
}

TEST_F(PrintWindowTest, ADatasheetPrintListsItsSourceInformationAndNoFormula) {
    QComboBox* types = nullptr;
    openDatasheet(types);
    types->setCurrentText("Plant");
    frmPrint* p = openPrintWindow();
    ASSERT_TRUE(p);
    QApplication::processEvents();
    EXPECT_EQ(p->txtTitle->Text(), "Title: ");
    EXPECT_TRUE(p->chkPrintItem(7)->isChecked());
    EXPECT_FALSE(p->chkPrintItem(7)->isHidden());
    EXPECT_FALSE(p->chkPrintItem(3)->isChecked());
    EXPECT_FALSE(p->chkPrintItem(3)->isEnabled());
    const QStringList l = lines(p);
    const int fan = l.indexOf("1: Fan coil");
    ASSERT_GE(fan, 0);
    EXPECT_EQ(l[fan + 1], "Source: Test lab");
    EXPECT_EQ(l[fan + 2], "");
    EXPECT_TRUE(l[fan + 3].startsWith("40.0\t.\t"));
    EXPECT_FALSE(p->txtPrint->toPlainText().contains("Lorry"));
}

} // namespace
