// The View submenu and Window > Tile on real worksheet windows.
#include "editing/imports.h"
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_function_help.h"
#include "workspace/frm_help.h"
#include "workspace/frm_new_datasheet.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_options.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"
#include "workspace/globals.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <functional>

using namespace testing_support;

namespace {

class Windows : public Program {
protected:
    void SetUp() override {
        Program::SetUp();
        file_ = path("views.bwdb");
        WorksheetFile f(file_.toStdString());
        SpectrumRow r;
        r.bands = std::vector<double>(30, 45);
        f.addSheet("Third", 2, 13, {r, r});
        r.bands = std::vector<double>(10, 40);
        f.addSheet("Octave", 1, 14, {r});
        answerForm<frmSElWSFile>(*script_, [this](frmSElWSFile& d) {
            d.optExistFile->click();
            d.txtOpen->setText(file_);
            d.cmdOK->click();
        });
        pick("Third");
        start();
    }
    void pick(const QString& sheet) {
        answerForm<frmSelWorksheet>(*script_, [sheet](frmSelWorksheet& d) {
            d.lstSheets->setCurrentItem(d.lstSheets->findItems(sheet, Qt::MatchExactly).value(0));
            d.cmdOK->click();
        });
    }
    QString file_;
};

TEST_F(Windows, SwitchingTheViewReopensTheSheetWhereItWasWithItsEdits) {
    WorksheetWindow* formula = activeWorksheet();
    ASSERT_TRUE(formula);
    EXPECT_EQ(formula->objectName(), "frmWorksheet2B");
    QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(platform::gui::frameOf(formula));
    frame->move(40, 30);
    // Notes typed and not yet left must reach the new window.
    formula->txtNotes->setFocus();
    QTest::keyClicks(formula->txtNotes, "measured at night");

    // The view it is in already: nothing happens.
    click("mnuWSViewFormula");
    EXPECT_EQ(activeWorksheet(), formula);
    EXPECT_TRUE(menuItem("mnuWSViewFormula")->isChecked());

    click("mnuWSViewSpread");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WorksheetWindow* spread = activeWorksheet();
    ASSERT_TRUE(spread);
    EXPECT_EQ(spread->objectName(), "frmWorksheet2A");
    EXPECT_EQ(gActiveSheet, spread);
    EXPECT_EQ(childCount(), 1);
    EXPECT_EQ(platform::gui::frameOf(spread)->pos(), QPoint(40, 30));
    EXPECT_EQ(spread->txtNotes->Text(), "measured at night");
    EXPECT_TRUE(menuItem("mnuWSViewSpread")->isChecked());
    EXPECT_FALSE(menuItem("mnuWSViewFormula")->isChecked());
    EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());

    click("mnuWSViewFormula");
    ASSERT_TRUE(activeWorksheet());
    EXPECT_EQ(activeWorksheet()->objectName(), "frmWorksheet2B");
    EXPECT_EQ(childCount(), 1);
}

TEST_F(Windows, TileCascadesAndSizesByKindAndTheListActivates) {
    pick("Octave");
    click("mnuFileOpenWorksheet");
    ASSERT_EQ(childCount(), 2);
    QMdiArea* mdi = mainWindow().mdiArea;
    mdi->subWindowList().first()->showMinimized();
    click("mnuWindowTile");
    for (QMdiSubWindow* sub : mdi->subWindowList()) {
        EXPECT_FALSE(sub->isMinimized());
        EXPECT_EQ(sub->size(),
                  QSize(platform::twipsToPixels(11300), platform::twipsToPixels(7500)));
    }
    const auto subs = mdi->subWindowList(QMdiArea::CreationOrder);
    EXPECT_NE(subs[0]->pos(), subs[1]->pos());

    // The window list names the windows; choosing one activates it.
    QMenu* list = mainWindow().findChild<QMenu*>("mnuWList");
    ASSERT_TRUE(list);
    emit list->aboutToShow();
    ASSERT_EQ(list->actions().size(), 2);
    EXPECT_TRUE(list->actions()[0]->text().endsWith("Worksheet: Third"));
    list->actions()[0]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Third");
    EXPECT_EQ(gActiveSheet, activeWorksheet());

    // A main window smaller than its windows scrolls to them.
    const QSize size = mainWindow().size();
    mainWindow().resize(500, 400);
    QApplication::processEvents();
    QScrollBar* across = mdi->horizontalScrollBar();
    QScrollBar* down = mdi->verticalScrollBar();
    ASSERT_TRUE(across->isVisible());
    ASSERT_TRUE(down->isVisible());
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    QApplication::processEvents();
    int right = 0, bottom = 0;
    for (QMdiSubWindow* sub : mdi->subWindowList()) {
        right = std::max(right, sub->geometry().right());
        bottom = std::max(bottom, sub->geometry().bottom());
    }
    EXPECT_LE(right, mdi->viewport()->width());
    EXPECT_LE(bottom, mdi->viewport()->height());
    EXPECT_GT(right, mdi->viewport()->width() - 30);
    mainWindow().resize(size);
    QApplication::processEvents();
}

// Each new sheet, graph or print window lands one cascade step past the last
// one: the start dialog is gone by the time the first sheet opens.
TEST_F(Windows, EveryNewWindowCascadesOneStepFurther) {
    QMdiArea* mdi = mainWindow().mdiArea;
    const auto step = [](int n) {
        const int px = platform::twipsToPixels(n * 300);
        return QPoint(px, px);
    };
    const auto newest = [mdi] { return mdi->subWindowList(QMdiArea::CreationOrder).last(); };
    ASSERT_EQ(childCount(), 1);
    EXPECT_EQ(newest()->pos(), step(0));

    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        EXPECT_EQ(d.txtName->text(), "Worksheet 1");
        d.cmdOK->click();
    });
    click("mnuFileNewWorksheet");
    ASSERT_EQ(childCount(), 2);
    EXPECT_EQ(newest()->widget()->windowTitle(), "Worksheet: Worksheet 1");
    EXPECT_EQ(newest()->pos(), step(1));

    pick("Octave");
    click("mnuFileOpenWorksheet");
    EXPECT_EQ(newest()->widget()->windowTitle(), "Worksheet: Octave");
    EXPECT_EQ(newest()->pos(), step(2));
    QMdiSubWindow* octave = newest();

    click("mnuGraphDraw");
    EXPECT_EQ(newest()->widget()->windowTitle(), "Graph: Octave");
    EXPECT_EQ(newest()->pos(), step(3));
    mdi->setActiveSubWindow(octave);
    QApplication::processEvents();
    click("mnuGraphPrint");
    EXPECT_EQ(newest()->widget()->windowTitle(), "Print: Octave");
    EXPECT_EQ(newest()->pos(), step(4));

    answerForm<frmNewDatasheet>(*script_, [](frmNewDatasheet& d) { d.cmdOK->click(); });
    click("mnuDtaNewDatasheet");
    EXPECT_EQ(newest()->widget()->windowTitle(), "Datasheet: Datasheet 1");
    EXPECT_EQ(newest()->pos(), step(5));
    // Switching the view keeps the window where it was.
    mdi->setActiveSubWindow(octave);
    QApplication::processEvents();
    click("mnuWSViewSpread");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(newest()->widget()->objectName(), "frmWorksheet1A");
    EXPECT_EQ(newest()->pos(), step(2));
    EXPECT_EQ(childCount(), 6);
}

// Shows a dialog the script answers, as the real one is shown, for `use`.
template <class F> void whileShown(DialogScript& script, std::function<void(F&)> use) {
    answerForm<F>(script, [use](F& d) {
        AllowModalWindows allow;
        d.show();
        d.activateWindow();
        QApplication::processEvents();
        use(d);
        d.hide();
    });
}

// The range bar looks different while it has the focus, and Tab reaches it.
template <class F> void expectRangeBarShowsFocus(F& d) {
    EXPECT_TRUE(d.scrRange->focusPolicy() & Qt::TabFocus);
    d.txtName->setFocus();
    QApplication::processEvents();
    const QImage without = d.scrRange->grab().toImage();
    d.scrRange->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(d.scrRange->hasFocus());
    EXPECT_NE(d.scrRange->grab().toImage(), without);
    d.cmdCancel->click();
}

// The dialogs and keys as a person at the program expects them.
TEST_F(Windows, DialogsAndKeysAnswerAsExpected) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"the function help keeps its size whatever the function",
         [this] {
             whileShown<frmFunctionHelp>(*script_, [](frmFunctionHelp& d) {
                 const QSize size = d.size();
                 const int list = d.lstFuncs->width();
                 for (int row = 0; row < d.lstFuncs->count(); ++row) {
                     d.lstFuncs->setCurrentRow(row);
                     QApplication::processEvents();
                     EXPECT_EQ(d.size(), size) << d.lstFuncs->currentItem()->text().toStdString();
                     EXPECT_EQ(d.lstFuncs->width(), list);
                 }
                 d.cmdClose->click();
             });
             click("mnuHelpFunctions");
         }},
        {"Options opens the previous-files list at its value",
         [this] {
             answerForm<frmOptions>(*script_, [](frmOptions& d) {
                 EXPECT_EQ(d.cmbPrevFiles->currentIndex(), gShowFiles - 1);
                 EXPECT_EQ(d.cmbPrevFiles->currentText().trimmed(), QString::number(gShowFiles));
                 d.cmdCancel->click();
             });
             click("mnuFileOptions");
         }},
        {"the meter's column picker opens at the first column, so Enter imports it",
         [this] {
             QStringList lines = {"Survey.txt", "Band\tCentre\tLeq\tLmax", "Hz\t\tdB\tdB"};
             for (const char* band :
                  {"25",  "31.5", "40",  "50",  "63",  "80",  "100", "125",  "160", "200",
                   "250", "315",  "400", "500", "630", "800", "1k",  "1k25", "1k6", "2k",
                   "2k5", "3k15", "4k",  "5k",  "6k3", "8k",  "10k", "12k5", "16k", "20k"})
                 lines << QString(band) + "\t\t55\t60";
             platform::setClipboard(lines.join("\r\n") + "\r\n");
             answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
                 EXPECT_EQ(d.Text(), "Leq");
                 pressKey(d, d.lstSheets, Qt::Key_Return);
             });
             click("mnuEditPasteFromCEL");
             EXPECT_EQ(db::Database::open(file_.toStdString())
                           ->scalar("SELECT Description FROM Third WHERE Code = 1")
                           .toText(),
                       "Survey.txt: Leq");
         }},
        {"Escape closes the help window",
         [] {
             click("mnuHelpGeneral");
             QPointer<frmHelp> help = mainWindow().findChild<frmHelp*>();
             ASSERT_TRUE(help && help->isVisible());
             QTest::keyClick(help->lstTopics, Qt::Key_Escape);
             QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
             EXPECT_TRUE(!help || !help->isVisible());
         }},
        {"Ctrl+F4 closes the active window, wherever the focus is",
         [this] {
             pick("Octave");
             click("mnuFileOpenWorksheet");
             ASSERT_EQ(childCount(), 2);
             mainWindow().activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
             for (bool inside : {true, false}) {
                 QWidget* focus = inside
                                      ? static_cast<QWidget*>(activeWorksheet()->grdSpectra->view())
                                      : mainWindow().mdiArea;
                 focus->setFocus();
                 QTest::keyClick(focus, Qt::Key_F4, Qt::ControlModifier);
                 QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                 EXPECT_EQ(childCount(), inside ? 1 : 0) << inside;
             }
         }},
        {"the range bar of New Worksheet shows its focus",
         [this] {
             whileShown<frmNewWorksheet>(*script_, expectRangeBarShowsFocus<frmNewWorksheet>);
             click("mnuFileNewWorksheet");
         }},
        {"the range bar of New Datasheet shows its focus",
         [this] {
             whileShown<frmNewDatasheet>(*script_, expectRangeBarShowsFocus<frmNewDatasheet>);
             click("mnuDtaNewDatasheet");
         }},
    };
    for (const auto& [what, run] : cases) {
        SCOPED_TRACE(what);
        run();
        QApplication::processEvents();
    }
}

} // namespace
