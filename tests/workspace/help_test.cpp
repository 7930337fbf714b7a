// The Help menu on the real main window: the function help writing into a
// formula in both views and as reference only, the help window, About.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"
#include "tables/help_tables.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_function_help.h"
#include "workspace/frm_help.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_splash2.h"
#include "workspace/frm_start_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

using namespace testing_support;

namespace {

// Screenshots for a person to look at, when asked for.
void shot(QWidget& w, const char* name) {
    if (!qEnvironmentVariableIsSet("BW_SCREENSHOTS")) return;
    w.grab().save(QString("/tmp/manage_%1.png").arg(name));
}

void chooseFunction(frmFunctionHelp& d, const QString& name) {
    d.lstFuncs->setCurrentItem(d.lstFuncs->findItems(name, Qt::MatchExactly).value(0));
}

class Help : public Program {
protected:
    void openSheet() {
        file_ = path("help.bwdb");
        WorksheetFile f(file_.toStdString());
        SpectrumRow a;
        a.bands = std::vector<double>(10, 60);
        SpectrumRow b;
        b.bands = std::vector<double>(10, 50);
        SpectrumRow c;
        c.formula = "s1 + s2";
        f.addSheet("Calc", 1, 14, {a, b, c});
        answerForm<frmSElWSFile>(*script_, [this](frmSElWSFile& d) {
            d.optExistFile->click();
            d.txtOpen->setText(file_);
            d.cmdOK->click();
        });
        answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
            d.lstSheets->setCurrentRow(0);
            d.cmdOK->click();
        });
        start();
    }
    std::string formula(int code) const {
        return db::Database::open(file_.toStdString())
            ->scalar("SELECT Formula FROM Calc WHERE Code = ?", {db::Value(code)})
            .toText();
    }
    double band1(int code) const {
        return db::Database::open(file_.toStdString())
            ->scalar("SELECT L1 FROM Calc WHERE Code = ?", {db::Value(code)})
            .toDouble();
    }
    QString file_;
};

TEST_F(Help, FunctionCallGoesToTheCaretOfTheFormulaCellAndRecalculates) {
    openSheet();
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    ASSERT_EQ(w->view(), WorksheetWindow::Formula);
    // Edit the formula cell of spectrum 3 with the caret after "s1 + ".
    QTableView* view = w->grdSpectra->view();
    const QModelIndex cell = w->grdSpectra->model()->index(2, 2);
    view->setCurrentIndex(cell);
    view->edit(cell);
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->setText("s1 + ");
    editor->setCursorPosition(5);

    answerForm<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
        EXPECT_TRUE(gNoRecalc);
        EXPECT_TRUE(d.cmdWrite->isVisibleTo(&d));
        EXPECT_EQ(d.windowTitle(), "Enter functions ...");
        chooseFunction(d, "logsum");
        EXPECT_TRUE(d.txtPar[5]->isVisibleTo(&d));
        d.txtPar[1]->setText("s1");
        d.txtPar[2]->setText("s2");
        shot(d, "function_help");
        d.cmdWrite->click();
    });
    click("mnuHelpFunctions");
    EXPECT_FALSE(gNoRecalc);
    EXPECT_EQ(formula(3), "s1 + logsum( s1, s2 )");
    // 60 + (60 !+ 50) = 120.41
    EXPECT_NEAR(band1(3), 60 + 10 * std::log10(1e6 + 1e5), 0.01);
    EXPECT_NEAR(w->chtDisp->value(1, 1), band1(3), 0.01); // the chart shows it at once

    // Reference only on another column; the last function and its
    // arguments are still there.
    w->grdSpectra->setCol(1);
    answerForm<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
        EXPECT_FALSE(d.cmdWrite->isVisibleTo(&d));
        EXPECT_FALSE(d.txtPar[1]->isEnabled());
        EXPECT_EQ(d.lstFuncs->currentItem()->text(), "logsum");
        EXPECT_EQ(d.txtPar[2]->text(), "s2");
        d.cmdClose->click();
    });
    click("mnuHelpFunctions");
    EXPECT_EQ(formula(3), "s1 + logsum( s1, s2 )");
}

TEST_F(Help, SpreadsheetViewWritesIntoTheFocusedFormulaBoxAndRecalculates) {
    openSheet();
    click("mnuWSViewSpread");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    ASSERT_EQ(w->view(), WorksheetWindow::Spreadsheet);
    w->Data1.recordset().MoveLast();

    // The formula box without the focus: reference only, even though an
    // empty active control would match an empty formula.
    w->txtDescription->setFocus();
    answerForm<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
        EXPECT_FALSE(d.cmdWrite->isVisibleTo(&d));
        d.cmdClose->click();
    });
    click("mnuHelpFunctions");

    w->txtFormula->setFocus();
    w->txtFormula->setText("s1 + s2 - 3");
    w->txtFormula->setSelection(5, 2); // "s2"
    answerForm<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
        ASSERT_TRUE(d.cmdWrite->isVisibleTo(&d));
        chooseFunction(d, "Awt");
        EXPECT_TRUE(d.txtPar[1]->text().isEmpty()); // another function, boxes emptied
        d.cmdWrite->click();
    });
    click("mnuHelpFunctions");
    EXPECT_EQ(formula(3), "s1 + Awt(  ) - 3");
    EXPECT_EQ(w->txtFormula->text(), "s1 + Awt(  ) - 3");
    EXPECT_FALSE(gNoRecalc);

    // The dialog on screen takes the focus from the formula box; Enter in
    // an argument box writes the call, and the sheet is recalculated.
    w->txtFormula->setFocus();
    w->txtFormula->selectAll();
    answerForm<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
        chooseFunction(d, "log");
        d.txtPar[1]->setText("100");
        pressKey(d, d.txtPar[1], Qt::Key_Return);
        EXPECT_TRUE(d.optWrite->isChecked());
    });
    click("mnuHelpFunctions");
    EXPECT_EQ(formula(3), "log( 100 )");
    EXPECT_DOUBLE_EQ(band1(3), 2);
    EXPECT_EQ(w->chtDisp->value(1, 1), 2);
    EXPECT_EQ(w->focusWidget(), w->txtDescription);
}

TEST_F(Help, WithNoFileTheHelpWindowFunctionsAndAboutStillServe) {
    startWithNoFile();
    answerForm<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
        EXPECT_FALSE(d.cmdWrite->isVisibleTo(&d));
        EXPECT_EQ(d.lstFuncs->count(), 24);
        d.cmdClose->click();
    });
    click("mnuHelpFunctions");

    click("mnuHelpGeneral");
    auto* help = mainWindow().findChild<frmHelp*>("frmHelp");
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    // It opens over the main window's work area, not over its menu bar.
    QWidget* area = mainWindow().mdiArea;
    EXPECT_EQ(help->frameGeometry().topLeft(), area->mapToGlobal(QPoint(0, 0)));
    ASSERT_EQ(help->lstTopics->count(), 9);
    EXPECT_EQ(help->lstTopics->item(0)->text(), "General");
    EXPECT_EQ(help->lstTopics->item(8)->text(), "Templates");
    EXPECT_EQ(help->txtText->toPlainText().toStdString().substr(0, 10),
              gHelpTexts[1].substr(0, 10));
    help->lstTopics->setCurrentRow(2);
    EXPECT_TRUE(help->txtText->toPlainText().startsWith("Operators are listed"));
    EXPECT_EQ(help->txtText->toPlainText().count('\n'), 11);
    shot(*help, "help_window");
    click("mnuHelpGeneral");
    EXPECT_EQ(mainWindow().findChildren<frmHelp*>().size(), 1);

    answerForm<frmSplash2>(*script_, [](frmSplash2& d) {
        EXPECT_FALSE(d.lblDisplay->isVisibleTo(&d));
        EXPECT_EQ(d.lblPlatform->text(), "Version 3.4");
        shot(d, "about");
        d.cmdOK->click();
    });
    click("mnuHelpAbout");
}

TEST_F(Help, AboutGivesTheActiveKindBackToTheWorksheet) {
    openSheet();
    ASSERT_EQ(gActiveKind, 1);
    answerForm<frmSplash2>(*script_, [](frmSplash2& d) {
        d.Form_Activate(); // as the window system activates it
        EXPECT_EQ(gActiveKind, 0);
        d.Form_KeyPress();
    });
    click("mnuHelpAbout");
    EXPECT_EQ(gActiveKind, 1);
}

} // namespace
