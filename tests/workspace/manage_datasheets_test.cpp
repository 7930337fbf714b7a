// Deleting, renaming and copying whole datasheets through the Datasheets
// menu of the real main window.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/gui/forms.h"
#include "sheets/datasheet_window.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_datasheet.h"
#include "tables/globals.h"
#include "tests/support/datasheet_fixture.h"
#include "tests/support/dialog_script.h"
#include "tests/support/window_fixture.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_new_datasheet.h"
#include "workspace/frm_rename_wksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/globals.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

using testing_support::DatasheetsFile;
using testing_support::DialogScript;

namespace {

const std::string kFans = "Fans";
const std::string kAxial = "it's axial";

class ManageDatasheets : public testing_support::WindowFixtureOn<DatasheetsFile> {
protected:
    ManageDatasheets() : WindowFixtureOn("manage-datasheets.bwdb") {}

    void SetUp() override {
        WindowFixtureOn::SetUp();
        std::vector<double> roof(10, 60);
        roof[2] = 47.123456789012345;
        file_->addDatasheet(
            kFans, 1, 14, "Sound Level",
            {{"roof fan", db::Value(kAxial), roof, {{"Information Source", "maker"}}},
             {"duct fan", db::Value("plain"), std::vector<double>(10, 70), {}}});
        file_->addDatasheet("Walls", 2, 13, "Transmission Loss", {});
    }
    DatasheetWindow* open(const std::string& name, int bandKind, int firstBand, int kind) {
        return openDatasheet(gDatasheetPath.toStdString(), name, bandKind, firstBand, kind);
    }
    void pick(const QString& sheet) {
        script_->onModal([sheet](QObject& form) {
            auto& d = dynamic_cast<frmSelWorksheet&>(form);
            EXPECT_EQ(d.windowTitle(), "Datasheet to Delete");
            d.lstSheets->setCurrentItem(d.lstSheets->findItems(sheet, Qt::MatchExactly).value(0));
            d.cmdOK->click();
            return 0;
        });
    }
    void rename(const QString& name, bool refused = false) {
        script_->onModal([name](QObject& form) {
            auto& d = dynamic_cast<frmRenameWksheet&>(form);
            EXPECT_EQ(d.windowTitle(), "New Datasheet Name:");
            d.txtName->setText(name);
            d.cmdOK->click();
            return 0;
        });
        if (refused) script_->answerMsgBox(platform::vbOK);
        click("mnuDtaRenameDatasheet");
    }
    void saveAs(const QString& name, bool thirds, bool refused = false) {
        script_->onModal([name, thirds](QObject& form) {
            auto& d = dynamic_cast<frmNewDatasheet&>(form);
            EXPECT_FALSE(d.lstDatType->isEnabled());
            EXPECT_EQ(d.lstDatType->currentItem()->text(), "Sound Level");
            d.txtName->setText(name);
            if (thirds)
                d.optThirdOct->click();
            else
                d.optOctave->click();
            d.cmdOK->click();
            return 0;
        });
        if (refused) script_->answerMsgBox(platform::vbOK);
        click("mnuDtaSaveDatasheetAs");
    }
    std::vector<std::string> tables() const {
        auto t = file_->database()->tableNames();
        std::sort(t.begin(), t.end());
        return t;
    }
    std::vector<std::string> catalogue() const {
        std::vector<std::string> rows;
        db::Statement st(*file_->database(),
                         "SELECT \"Sheet Name\", \"Octave/Third Octave\", \"First Band\", "
                         "\"Datasheet Type\" FROM \"Sheets List\" ORDER BY 1");
        while (st.step())
            rows.push_back(st.column(0).toText() + "|" + st.column(1).toText() + "|" +
                           st.column(2).toText() + "|" + st.column(3).toText());
        return rows;
    }
};

TEST_F(ManageDatasheets, DeleteRefusesAnOpenDatasheetAndRemovesTheChosenOne) {
    DatasheetWindow* w = open(kFans, 1, 14, 1);
    ASSERT_TRUE(w);
    // OK with nothing chosen is a cancel.
    script_->onModal([](QObject& form) {
        dynamic_cast<frmSelWorksheet&>(form).cmdOK->click();
        return 0;
    });
    click("mnuDtaDeleteDatasheet");
    EXPECT_EQ(catalogue().size(), 2u);

    pick("Fans");
    script_->answerMsgBox(platform::vbOK);
    click("mnuDtaDeleteDatasheet");
    ASSERT_FALSE(script_->prompts().empty());
    EXPECT_EQ(script_->prompts().back(), "Can't delete a datasheet which is still active");
    EXPECT_TRUE(file_->database()->findTable(kFans));

    pick("Walls");
    click("mnuDtaDeleteDatasheet");
    EXPECT_FALSE(file_->database()->findTable("Walls"));
    EXPECT_EQ(catalogue(), std::vector<std::string>{"Fans|1|14|1"});
}

TEST_F(ManageDatasheets, RenameRefusesClashesAndEveryWindowFollowsWithItsFilter) {
    DatasheetWindow* first = open(kFans, 1, 14, 1);
    ASSERT_TRUE(first);
    DatasheetWindow* w = open(kFans, 1, 14, 1);
    ASSERT_TRUE(w);
    w->typeSelector()->setCurrentIndex(w->typeSelector()->findText(QString::fromStdString(kAxial)));
    w->setFilter(QString::fromStdString(kAxial));
    ASSERT_EQ(w->Data1.recordset().RecordCount(), 1);

    rename("WALLS", true);
    ASSERT_FALSE(script_->prompts().empty());
    EXPECT_EQ(script_->prompts().back(), "Datasheet WALLS already exists in this file");
    const auto before = tables();

    // Brackets, quotes of SQL and its text are only a name.
    const QString name = "Fans [B]; DROP TABLE [Sheets List]; --";
    rename(name);
    EXPECT_EQ(w->caption(), "Datasheet: " + name);
    EXPECT_EQ(first->caption(), "Datasheet: " + name);
    EXPECT_EQ(w->Data1.recordset().RecordCount(), 1); // still filtered
    EXPECT_EQ(first->Data1.recordset().RecordCount(), 2);
    EXPECT_EQ(w->Data3.recordset().RecordCount(), 2);
    EXPECT_FALSE(file_->database()->findTable(kFans));
    EXPECT_EQ(catalogue(),
              (std::vector<std::string>{name.toStdString() + "|1|14|1", "Walls|2|13|2"}));
    EXPECT_EQ(field(name.toStdString(), 1, "L3").toDouble(), 47.123456789012345);
    EXPECT_EQ(field(name.toStdString(), 1, "Information Source").toText(), "maker");
    EXPECT_EQ(tables().size(), before.size());
}

TEST_F(ManageDatasheets, SaveAsCopiesTheViewWithItsDescriptionsConvertingBands) {
    DatasheetWindow* w = open(kFans, 1, 14, 1);
    ASSERT_TRUE(w);
    w->typeSelector()->setCurrentIndex(w->typeSelector()->findText(QString::fromStdString(kAxial)));
    w->setFilter(QString::fromStdString(kAxial));

    // Octave levels split into three thirds; descriptive fields and the
    // type are kept.
    saveAs("Thirds", true);
    auto* thirds = dynamic_cast<DatasheetWindow*>(gActiveSheet);
    ASSERT_TRUE(thirds);
    EXPECT_EQ(thirds->caption(), "Datasheet: Thirds");
    EXPECT_EQ(thirds->objectName(), "frmDatasheet2");
    EXPECT_EQ(thirds->Data1.recordset().RecordCount(), 1);
    EXPECT_EQ(field("Thirds", 1, "Description").toText(), "roof fan");
    EXPECT_EQ(field("Thirds", 1, "Select Type").toText(), kAxial);
    EXPECT_EQ(field("Thirds", 1, "Information Source").toText(), "maker");
    const int firstThird = (int)file_->database()
                               ->scalar("SELECT \"First Band\" FROM \"Sheets List\" WHERE "
                                        "\"Sheet Name\" = 'Thirds'")
                               .toLong();
    const int j = 14 - 1 - firstThird + 1; // the third below octave band 1's centre
    ASSERT_GE(j, 1);
    EXPECT_NEAR(field("Thirds", 1, "L" + std::to_string(j)).toDouble(), 60 - 10 * std::log10(3.0),
                0.01);

    // A copy in the same bands is exact; every spectrum under "<All>".
    main_->mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(platform::gui::frameOf(w)));
    QApplication::processEvents();
    ASSERT_EQ(gActiveSheet, w);
    w->typeSelector()->setCurrentIndex(0);
    w->setFilter("<All>");
    saveAs("Same", false);
    ASSERT_EQ(dynamic_cast<DatasheetWindow*>(gActiveSheet)->caption(), "Datasheet: Same");
    // By description: the duct fan first.
    EXPECT_EQ(field("Same", 1, "Description").toText(), "duct fan");
    EXPECT_EQ(field("Same", 2, "L3").toDouble(), 47.123456789012345);
    EXPECT_EQ(field("Same", 2, "Information Source").toText(), "maker");

    // An empty view creates nothing and asks nothing.
    main_->mdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(platform::gui::frameOf(w)));
    QApplication::processEvents();
    w->setFilter("no such type");
    const auto before = tables();
    click("mnuDtaSaveDatasheetAs");
    EXPECT_EQ(tables(), before);
}

TEST_F(ManageDatasheets, AFailureMidCommandLeavesTheFileAsItWas) {
    DatasheetWindow* w = open(kFans, 1, 14, 1);
    ASSERT_TRUE(w);
    auto db = file_->database();
    db->Execute("CREATE TRIGGER stopUpdate BEFORE UPDATE ON \"Sheets List\" BEGIN SELECT "
                "RAISE(ABORT, 'forced update failure'); END");
    db->Execute("CREATE TRIGGER stopDelete BEFORE DELETE ON \"Sheets List\" BEGIN SELECT "
                "RAISE(ABORT, 'forced delete failure'); END");
    db->Execute("CREATE TRIGGER stopInsert AFTER INSERT ON \"Sheets List\" BEGIN SELECT "
                "RAISE(ABORT, 'forced insert failure'); END");
    const auto tablesBefore = tables();
    const auto catalogueBefore = catalogue();

    rename("Renamed", true);
    ASSERT_FALSE(script_->prompts().empty());
    EXPECT_NE(script_->prompts().back().indexOf("forced update failure"), -1);
    EXPECT_EQ(w->caption(), "Datasheet: Fans");

    pick("Walls");
    script_->answerMsgBox(platform::vbOK);
    click("mnuDtaDeleteDatasheet");
    EXPECT_NE(script_->prompts().back().indexOf("forced delete failure"), -1);

    saveAs("Thirds", true, true);
    EXPECT_NE(script_->prompts().back().indexOf("forced insert failure"), -1);
    EXPECT_EQ(gActiveSheet, w);

    EXPECT_EQ(tables(), tablesBefore);
    EXPECT_EQ(catalogue(), catalogueBefore);
    EXPECT_EQ(field(kFans, 2, "L1").toDouble(), 70);
}

} // namespace
