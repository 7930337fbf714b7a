// The View submenu and Window > Tile on real worksheet windows.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/forms.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_new_datasheet.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

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

} // namespace
