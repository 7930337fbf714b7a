// Deleting, renaming, copying and recovering whole worksheets through the
// Worksheets menu of the real main window.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/gui/forms.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_rename_wksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

using namespace testing_support;

namespace {

class Manage : public Program {
protected:
    void SetUp() override {
        Program::SetUp();
        file_ = path("manage.bwdb");
        WorksheetFile f(file_.toStdString());
        SpectrumRow a;
        a.bands = std::vector<double>(10, 60);
        a.bands[2] = 47.123456789012345;
        a.sum1Val = 0.1 + 0.2;
        a.description = "fan";
        SpectrumRow b;
        b.type = "Absorption";
        b.bands = std::vector<double>(10, 0.3);
        SpectrumRow c;
        c.formula = "s1 + 3";
        f.addSheet("Noise 1", 1, 14, {a});
        f.addSheet("Noise 12", 1, 14, {a, b, c}, "night survey");
        f.addSheet("Road", 2, 13, {});
        answerForm<frmSElWSFile>(*script_, [this](frmSElWSFile& d) {
            d.optExistFile->click();
            d.txtOpen->setText(file_);
            d.cmdOK->click();
        });
        pick("Noise 12");
        start();
    }
    void pick(const QString& sheet) {
        answerForm<frmSelWorksheet>(*script_, [sheet](frmSelWorksheet& d) {
            d.lstSheets->setCurrentItem(d.lstSheets->findItems(sheet, Qt::MatchExactly).value(0));
            d.cmdOK->click();
        });
    }
    // Renames the active worksheet; `refused` answers the message that follows.
    void rename(const QString& name, bool refused = false) {
        answerForm<frmRenameWksheet>(*script_, [name](frmRenameWksheet& d) {
            d.txtName->setText(name);
            d.cmdOK->click();
        });
        if (refused) script_->answerMsgBox(platform::vbOK);
        click("mnuFileRenameWorksheet");
    }
    std::shared_ptr<db::Database> file() const { return db::Database::open(file_.toStdString()); }
    // Table names of the file and the catalogue's rows, for before/after checks.
    std::vector<std::string> tables() const {
        auto t = file()->tableNames();
        std::sort(t.begin(), t.end());
        return t;
    }
    std::vector<std::string> catalogue() const {
        std::vector<std::string> rows;
        db::Statement st(*file(), "SELECT \"Sheet Name\", \"Octave/Third Octave\", \"First "
                                  "Band\", \"Notes\" FROM \"Sheets List\" ORDER BY 1");
        while (st.step())
            rows.push_back(st.column(0).toText() + "|" + st.column(1).toText() + "|" +
                           st.column(2).toText() + "|" + st.column(3).toText());
        return rows;
    }
    double band(const std::string& sheet, int code, int j) const {
        return file()
            ->scalar("SELECT \"L" + std::to_string(j) + "\" FROM " + db::quoteIdent(sheet) +
                         " WHERE Code = ?",
                     {db::Value(code)})
            .toDouble();
    }
    QString file_;
};

TEST_F(Manage, DeleteRefusesOpenSheetsByExactNameAndRemovesTheChosenOne) {
    // The open "Noise 12" does not shield "Noise 1"; a cancel changes nothing.
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
        EXPECT_EQ(d.windowTitle(), "Worksheet to Delete");
        EXPECT_FALSE(d.cmdNewFile->isVisibleTo(&d));
        EXPECT_EQ(d.lstSheets->count(), 3); // open sheets are listed too
        d.cmdCancel->click();
    });
    click("mnuFileDeleteWorksheet");
    EXPECT_EQ(catalogue().size(), 3u);
    // OK with nothing chosen is a cancel.
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) { d.cmdOK->click(); });
    click("mnuFileDeleteWorksheet");
    EXPECT_EQ(catalogue().size(), 3u);

    pick("Noise 12");
    script_->answerMsgBox(platform::vbOK);
    click("mnuFileDeleteWorksheet");
    EXPECT_EQ(script_->prompts().back(), "Can't delete a worksheet which is still active");
    EXPECT_TRUE(file()->findTable("Noise 12"));

    // A graph window keeps its worksheet too, after the sheet window closed.
    click("mnuGraphDraw");
    WorksheetWindow* w = nullptr;
    for (QWidget* f : platform::gui::formsOfKind(platform::gui::FormKind::Worksheet))
        w = dynamic_cast<WorksheetWindow*>(f);
    ASSERT_TRUE(w);
    platform::gui::frameOf(w)->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    pick("Noise 12");
    script_->answerMsgBox(platform::vbOK);
    click("mnuFileDeleteWorksheet");
    EXPECT_EQ(script_->prompts().back(), "Can't delete a worksheet which is still active");

    pick("Noise 1");
    click("mnuFileDeleteWorksheet");
    EXPECT_FALSE(file()->findTable("Noise 1"));
    EXPECT_EQ(catalogue(), (std::vector<std::string>{"Noise 12|1|14|night survey", "Road|2|13|"}));
}

TEST_F(Manage, RenameRefusesBadNamesAndClashesThenFollowsEverywhere) {
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    w->Data1.recordset().MoveLast();
    // Enter the refused names in one sitting: the dialog stays open.
    answerForm<frmRenameWksheet>(*script_, [this](frmRenameWksheet& d) {
        EXPECT_EQ(d.windowTitle(), "New Worksheet Name:");
        for (const char* bad : {"it's", "say \"hi\"", "", "~Noise", "sqlite_x"}) {
            script_->answerMsgBox(platform::vbOK);
            d.txtName->setText(QString::fromUtf8(bad));
            d.cmdOK->click();
            EXPECT_TRUE(d.txtName->isEnabled());
            EXPECT_FALSE(d.optCancelled->isChecked());
        }
        d.txtName->setText("ROAD");
        if (qEnvironmentVariableIsSet("BW_SCREENSHOTS")) d.grab().save("/tmp/manage_rename.png");
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK);
    click("mnuFileRenameWorksheet");
    EXPECT_EQ(script_->prompts().front(), "Cannot use ' or \" as part of a worksheet name");
    EXPECT_EQ(script_->prompts().back(), "Worksheet ROAD already exists in this file");
    // Its own name in other letters is a clash too.
    rename("noise 12", true);
    EXPECT_EQ(script_->prompts().back(), "Worksheet noise 12 already exists in this file");
    const auto before = tables();

    // Brackets and SQL text are only a name.
    const QString name = "Road [B]; DROP TABLE [Sheets List]; --";
    const QString oldBackupCaption = gBackupCaption;
    EXPECT_EQ(oldBackupCaption, "Worksheet: Noise 12");
    click("mnuGraphDraw");
    const auto graphs = platform::gui::formsOfKind(platform::gui::FormKind::Graph);
    ASSERT_EQ(graphs.size(), 1u);
    QWidget* graph = graphs.front();
    QApplication::setActiveWindow(&mainWindow());
    platform::gui::frameOf(w)->setFocus();
    mainWindow().mdiArea->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(platform::gui::frameOf(w)));
    QApplication::processEvents();
    ASSERT_EQ(gActiveSheet, w);
    rename(name);
    EXPECT_EQ(w->windowTitle(), "Worksheet: " + name);
    EXPECT_EQ(graph->windowTitle(), "Graph: " + name);
    EXPECT_EQ(gBackupCaption, "Worksheet: " + name);
    EXPECT_TRUE(menuItem("mnuEditUndo")->isEnabled());
    EXPECT_EQ(w->Data1.recordset().AbsolutePosition(), 3);
    EXPECT_EQ(w->Data1.recordset().RecordCount(), 3);
    EXPECT_FALSE(file()->findTable("Noise 12"));
    EXPECT_EQ(catalogue(), (std::vector<std::string>{"Noise 1|1|14|", "Road|2|13|",
                                                     name.toStdString() + "|1|14|night survey"}));
    EXPECT_EQ(band(name.toStdString(), 1, 3), 47.123456789012345);
    EXPECT_EQ(tables().size(), before.size());
}

TEST_F(Manage, AFailureMidCommandLeavesTheFileAsItWas) {
    auto db = file();
    db->Execute("CREATE TRIGGER stopUpdate BEFORE UPDATE ON \"Sheets List\" BEGIN SELECT "
                "RAISE(ABORT, 'forced update failure'); END");
    db->Execute("CREATE TRIGGER stopDelete BEFORE DELETE ON \"Sheets List\" BEGIN SELECT "
                "RAISE(ABORT, 'forced delete failure'); END");
    db->Execute("CREATE TRIGGER stopInsert AFTER INSERT ON \"Sheets List\" BEGIN SELECT "
                "RAISE(ABORT, 'forced insert failure'); END");
    db.reset();
    const auto tablesBefore = tables();
    const auto catalogueBefore = catalogue();

    rename("Renamed", true);
    EXPECT_NE(script_->prompts().back().indexOf("forced update failure"), -1);
    EXPECT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Noise 12");

    pick("Road");
    script_->answerMsgBox(platform::vbOK);
    click("mnuFileDeleteWorksheet");
    EXPECT_NE(script_->prompts().back().indexOf("forced delete failure"), -1);

    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        d.txtName->setText("Copy");
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK);
    click("mnuSaveWorksheetAs");
    EXPECT_NE(script_->prompts().back().indexOf("forced insert failure"), -1);
    EXPECT_EQ(childCount(), 1);

    EXPECT_EQ(tables(), tablesBefore);
    EXPECT_EQ(catalogue(), catalogueBefore);
    EXPECT_EQ(band("Noise 12", 3, 1), 63);
}

TEST_F(Manage, SaveAsConvertsBandsByTypeAndSameSystemCopiesAreExact) {
    // Octave to third-octave: a level splits into three thirds, an
    // absorption coefficient stays the same in each third.
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        EXPECT_FALSE(d.frmSelect->isVisibleTo(&d));
        d.txtName->setText("Thirds");
        d.optThirdOct->click();
        d.cmdOK->click();
    });
    click("mnuSaveWorksheetAs");
    WorksheetWindow* thirds = activeWorksheet();
    ASSERT_TRUE(thirds);
    EXPECT_EQ(thirds->windowTitle(), "Worksheet: Thirds");
    EXPECT_EQ(thirds->objectName(), "frmWorksheet2B");
    EXPECT_EQ(thirds->Data1.recordset().RecordCount(), 3);
    const int first = (int)file()
                          ->scalar("SELECT \"First Band\" FROM \"Sheets List\" WHERE "
                                   "\"Sheet Name\" = 'Thirds'")
                          .toLong();
    // Octave band 1 (first band 14) covers third-octave bands 13 to 15.
    const int j = 14 - 1 - first + 1;
    ASSERT_GE(j, 1);
    EXPECT_NEAR(band("Thirds", 1, j), 60 - 10 * std::log10(3.0), 0.01);
    EXPECT_EQ(band("Thirds", 2, j), 0.3);
    EXPECT_EQ(file()->scalar("SELECT Formula FROM [Thirds] WHERE Code = 3").toText(), "s1 + 3");
    EXPECT_EQ(file()
                  ->scalar("SELECT Notes FROM \"Sheets List\" WHERE \"Sheet Name\" = "
                           "'Thirds'")
                  .toText(),
              "night survey");

    // Back to the octave sheet; a copy in its own band system and range.
    mainWindow().mdiArea->activatePreviousSubWindow();
    QApplication::processEvents();
    ASSERT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Noise 12");
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        d.txtName->setText("Same");
        d.optOctave->click();
        d.cmdOK->click();
    });
    click("mnuSaveWorksheetAs");
    ASSERT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Same");
    auto db = file();
    const auto value = [&db](const char* sheet, const char* field, int code) {
        return db->scalar("SELECT " + db::quoteIdent(field) + " FROM " + db::quoteIdent(sheet) +
                              " WHERE Code = ?",
                          {db::Value(code)});
    };
    for (int code : {1, 2, 3}) {
        for (const char* field : {"Type", "Description", "Formula", "Summary 1 Val"})
            EXPECT_EQ(value("Same", field, code).toText(), value("Noise 12", field, code).toText())
                << field << " " << code;
        for (const char* field : {"L1", "L3", "L10"}) {
            const db::Value copy = value("Same", field, code),
                            source = value("Noise 12", field, code);
            EXPECT_EQ(copy.isNull(), source.isNull()) << field << " " << code;
            if (!source.isNull()) {
                EXPECT_EQ(copy.toDouble(), source.toDouble()) << field << " " << code;
            }
        }
    }
}

TEST_F(Manage, RecoverCopiesTheRecoveryTableBackAndSparesTheProgramsOwnTables) {
    {
        auto db = file();
        db->copyTableStructure("Noise 12", "~Noise 12");
        db->Execute("INSERT INTO \"~Noise 12\" (Code, L1) VALUES (1, 11), (2, 22), (3, 33)");
    }
    QAction* recover = menuItem("mnuFileRecover");
    EXPECT_FALSE(recover->isVisible());
    recover->trigger();
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Data1.recordset().RecordCount(), 3);
    EXPECT_EQ(band("Noise 12", 3, 1), 33);

    // Without a recovery table nothing happens.
    file()->deleteTable("~Noise 12");
    recover->trigger();
    EXPECT_EQ(w->Data1.recordset().RecordCount(), 3);

    // A sheet named "Backup" would restore the undo table: refused.
    file()->Execute("INSERT INTO \"Sheets List\" VALUES ('Backup', 1, 14, '')");
    file()->copyTableStructure("Noise 12", "Backup");
    pick("Backup");
    click("mnuFileOpenWorksheet");
    ASSERT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Backup");
    script_->answerMsgBox(platform::vbOK);
    recover->trigger();
    EXPECT_NE(script_->prompts().back().indexOf("program's own tables"), -1);
    EXPECT_TRUE(file()->findTable("~Backup"));
}

} // namespace
