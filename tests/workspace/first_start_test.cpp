// A first start on an empty HOME, as a new user meets the program: the
// default templates and datasheets files appear, the start dialog leads to a
// new file and a new worksheet, levels typed there are rated, and leaving
// asks about compaction.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/geometry.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/forms.h"
#include "platform/settings.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"
#include "tests/support/window_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/app_settings.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_new_datasheet.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"
#include "workspace/globals.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace testing_support;

namespace {

class FirstStart : public Program {};

db::Value field(const QString& file, const std::string& sql) {
    return db::Database::open(file.toStdString())->scalar(sql);
}

TEST_F(FirstStart, StartDialogNewFileAndNewWorksheetOpenAWorksheetToTypeInto) {
    answerForm<frmSElWSFile>(*script_, [](frmSElWSFile& d) {
        // Four previous files, none used yet; a new file is proposed.
        EXPECT_EQ(d.lstExistFiles->count(), 4);
        EXPECT_TRUE(d.optNewFile->isChecked());
        pressKey(d, d.cmdOK, Qt::Key_Return);
    });
    script_->answerSaveFile(path("First"));
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        EXPECT_EQ(d.windowTitle(), "New Worksheet: ");
        EXPECT_EQ(d.txtName->text(), "Worksheet 1");
        EXPECT_TRUE(d.optThirdOct->isChecked());
        EXPECT_EQ(d.txtFreqRange->text(), "25Hz - 20KHz");
        EXPECT_EQ(d.txtFirstBand->text(), " 13");
        // The templates file made at the first start is usable, and empty.
        EXPECT_FALSE(d.frmSelect->isHidden());
        EXPECT_EQ(d.lstTemplates->count(), 0);
        pressKey(d, d.txtName, Qt::Key_Return);
    });
    start();

    const QString file = path("First.bwdb");
    EXPECT_EQ(caption(), "Bandwright: " + file);
    EXPECT_EQ(gFilePath, file);
    // The default files, in the data folder, with their catalogues.
    const QString data = workspace::dataFolder();
    EXPECT_EQ(gTemplatePath, data + "/Templates.bwdb");
    EXPECT_EQ(gDatasheetPath, data + "/DataSheets.bwdb");
    EXPECT_TRUE(gTemplateOK);
    EXPECT_TRUE(gDatasheetOK);
    EXPECT_EQ(workspace::setting("Startup", "TemplateFile"), gTemplatePath);
    EXPECT_EQ(workspace::setting("Startup", "DatasheetFile"), gDatasheetPath);
    EXPECT_EQ(db::Database::open(gDatasheetPath.toStdString())
                  ->tableDef("Sheets List")
                  .fields.back()
                  .name,
              "Datasheet Type");
    EXPECT_EQ(workspace::setting("Startup", "File1"), file);
    EXPECT_EQ(menuItem("mnuFilePrevFiles(0)")->text(), file);

    // The new worksheet: a third-octave sheet from 25 Hz with one blank spectrum.
    EXPECT_EQ(field(file, "SELECT count(*) FROM \"Worksheet 1\"").toLong(), 1);
    EXPECT_EQ(field(file, "SELECT \"First Band\" FROM \"Sheets List\"").toLong(), 13);
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->objectName(), "frmWorksheet2B");
    EXPECT_EQ(w->windowTitle(), "Worksheet: Worksheet 1");
    EXPECT_EQ(w->LF(1)->text(), "25Hz");
    EXPECT_TRUE(menuItem("mnuWSViewFormula")->isChecked());
    EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());

    for (int j = 1; j <= 30; ++j)
        type(w->Lev(j), "60");
    EXPECT_DOUBLE_EQ(field(file, "SELECT L17 FROM \"Worksheet 1\"").toDouble(), 60);
    EXPECT_FALSE(field(file, "SELECT \"Summary 1 Val\" FROM \"Worksheet 1\"").toText().empty());
    EXPECT_FALSE(field(file, "SELECT \"Summary 2 Val\" FROM \"Worksheet 1\"").toText().empty());
}

TEST_F(FirstStart, ClosingTheStartDialogLeavesNoFileOpen) {
    answerForm<frmSElWSFile>(*script_,
                             [](frmSElWSFile& d) { pressKey(d, d.lstExistFiles, Qt::Key_Escape); });
    start();
    EXPECT_EQ(caption(), "Bandwright");
    EXPECT_TRUE(gFilePath.isEmpty());
    EXPECT_FALSE(menuItem("mnuFileNewWorksheet")->isEnabled());
    EXPECT_TRUE(menuItem("mnuFileNewFile")->isEnabled());
    EXPECT_EQ(childCount(), 0);
    // Nothing asked on leaving.
    exitProgram();
    EXPECT_TRUE(script_->prompts().empty());
}

// While a child window is maximised Qt shows its caption in the frame's
// title; the program still reads its own caption: no file is open.
TEST_F(FirstStart, AMaximisedWindowLeavesTheProgramsCaptionAsItWas) {
    startWithNoFile();
    QMdiArea* mdi = mainWindow().mdiArea;
    const auto noFileItemsOff = [] {
        for (const char* name : {"mnuFileNewWorksheet", "mnuFileDeleteWorksheet",
                                 "mnuFileOpenWorksheet", "mnuFileSaveFileAs"})
            EXPECT_FALSE(menuItem(name)->isEnabled()) << name;
        EXPECT_TRUE(menuItem("mnuFileNewFile")->isEnabled());
    };
    answerForm<frmNewDatasheet>(*script_, [](frmNewDatasheet& d) { d.cmdOK->click(); });
    click("mnuDtaNewDatasheet");
    ASSERT_EQ(childCount(), 1);
    mdi->subWindowList().first()->close();
    QApplication::processEvents();
    noFileItemsOff();

    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) { d.cmdOK->click(); });
    click("mnuFileOpenDatasheet");
    ASSERT_EQ(childCount(), 1);
    QMdiSubWindow* first = mdi->subWindowList().first();
    first->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(mainWindow().windowTitle().contains("[Datasheet: Datasheet 1]"))
        << mainWindow().windowTitle().toStdString();
    EXPECT_EQ(platform::gui::caption(&mainWindow()), "Bandwright");

    // The frame's title counts for no cascade step: a second window lands
    // one step in.
    answerForm<frmNewDatasheet>(*script_, [](frmNewDatasheet& d) { d.cmdOK->click(); });
    click("mnuDtaNewDatasheet");
    ASSERT_EQ(childCount(), 2);
    QMdiSubWindow* second = mdi->subWindowList(QMdiArea::CreationOrder).last();
    second->showNormal();
    QApplication::processEvents();
    const int step = platform::twipsToPixels(300);
    EXPECT_EQ(second->pos(), QPoint(step, step));

    second->close();
    QApplication::processEvents();
    first->showMaximized();
    QApplication::processEvents();
    first->close();
    QApplication::processEvents();
    EXPECT_EQ(childCount(), 0);
    noFileItemsOff();
    EXPECT_EQ(caption(), "Bandwright");
}

TEST_F(FirstStart, ADefaultViewOfSpreadsheetOpensTheSpreadsheetView) {
    workspace::saveSetting("StartUp", "DefaultView", "Spreadsheet");
    answerForm<frmSElWSFile>(*script_, [](frmSElWSFile& d) { d.cmdOK->click(); });
    script_->answerSaveFile(path("Spread.bwdb"));
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        d.optOctave->click();
        EXPECT_EQ(d.txtFreqRange->text(), "31.5Hz - 16KHz");
        EXPECT_EQ(d.txtFirstBand->text(), " 14");
        d.scrRange->setValue(1);
        EXPECT_EQ(d.txtFreqRange->text(), "2Hz - 1KHz");
        d.cmdOK->click();
    });
    start();
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->objectName(), "frmWorksheet1A");
    EXPECT_EQ(field(path("Spread.bwdb"),
                    "SELECT \"First Band\" || '/' || \"Octave/Third Octave\" FROM \"Sheets List\"")
                  .toText(),
              "2/1");
    EXPECT_TRUE(menuItem("mnuWSViewSpread")->isChecked());
}

} // namespace
