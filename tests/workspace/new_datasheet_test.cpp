// New Datasheet through its dialog: the proposed name, the frequency range,
// the kind from the spectrum type, name checks, and the new window.
#include "engine/globals.h"
#include "platform/gui/data_grid.h"
#include "sheets/datasheet_window.h"
#include "sheets/menu_state.h"
#include "tables/globals.h"
#include "tests/support/datasheet_fixture.h"
#include "tests/support/dialog_script.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/window_fixture.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_new_datasheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/globals.h"
#include "workspace/new_datasheet.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::DatasheetsFile;
using testing_support::DialogScript;

namespace {

frmNewDatasheet& dialogOf(QObject& form) {
    return dynamic_cast<frmNewDatasheet&>(form);
}

void chooseType(frmNewDatasheet& d, const QString& type) {
    const auto found = d.lstDatType->findItems(type, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    d.lstDatType->setCurrentItem(found.front());
}

class NewDatasheetTest : public testing_support::WindowFixtureOn<DatasheetsFile> {
protected:
    NewDatasheetTest() : WindowFixtureOn("new-datasheets.bwdb") {}

    std::vector<std::string> fieldNames(const std::string& table) {
        std::vector<std::string> out;
        for (const auto& f : file_->database()->tableDef(table).fields)
            out.push_back(f.name);
        return out;
    }
    db::Value catalogue(const std::string& name, const std::string& field) {
        return file_->database()->scalar("SELECT " + db::quoteIdent(field) +
                                             " FROM \"Sheets List\" WHERE \"Sheet Name\" = ?",
                                         {db::Value(name)});
    }
};

TEST_F(NewDatasheetTest, TheDialogProposesANameAndKeepsTheRangeInStep) {
    for (const char* t : {"Datasheet 3", "Datasheet 10", "Datasheet 12.5", "datasheet 70"})
        file_->addDatasheet(t, 1, 14, "Sound Level", {});
    DialogScript script;
    script.onModal([](QObject& form) {
        frmNewDatasheet& d = dialogOf(form);
        EXPECT_EQ(d.windowTitle(), "New Datasheet:");
        // Lower case does not count; a fraction is kept.
        EXPECT_EQ(d.txtName->text(), "Datasheet 13.5");
        EXPECT_TRUE(d.optThirdOct->isChecked());
        EXPECT_EQ(d.scrRange->value(), 5);
        EXPECT_EQ(d.txtFirstBand->text(), "13");
        EXPECT_EQ(d.txtFreqRange->text(), "25Hz - 20KHz");
        EXPECT_EQ(d.lstDatType->currentItem()->text(), "Sound Level");
        EXPECT_TRUE(d.lstDatType->isEnabled());
        {
            // On screen: both range boxes, and every type without scrolling.
            testing_support::AllowModalWindows allow;
            d.show();
            QApplication::processEvents();
            EXPECT_TRUE(d.txtFreqRange->isVisible());
            EXPECT_TRUE(d.txtFirstBand->isVisible());
            EXPECT_EQ(d.lstDatType->count(), 8);
            const QRect last =
                d.lstDatType->visualItemRect(d.lstDatType->item(d.lstDatType->count() - 1));
            EXPECT_TRUE(d.lstDatType->viewport()->rect().contains(last));
            // Tab from the band system reaches the range.
            d.optThirdOct->setFocus();
            QTest::keyClick(d.optThirdOct, Qt::Key_Tab);
            EXPECT_EQ(d.focusWidget(), d.scrRange);
            QTest::keyClick(d.scrRange, Qt::Key_Left);
            EXPECT_EQ(d.txtFirstBand->text(), "10");
            d.hide();
        }
        // Each step of the range is one octave, in either band system; a new
        // band system starts at the range it proposes (step 5).
        struct Step {
            bool octave;
            int step;
            QString firstBand, range;
        };
        const Step steps[] = {
            {false, 1, "1", "1.6Hz - 1.25KHz"}, {false, 6, "16", "50Hz - 40KHz"},
            {true, 5, "14", "31.5Hz - 16KHz"},  {true, 1, "2", "2Hz - 1KHz"},
            {true, 6, "17", "63Hz - 31.5KHz"},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE((s.octave ? "octave, step " : "third-octave, step ") +
                         std::to_string(s.step));
            if (s.octave && !d.optOctave->isChecked()) {
                d.optOctave->click();
                EXPECT_EQ(d.scrRange->value(), s.step);
            } else {
                d.scrRange->setValue(s.step);
            }
            EXPECT_EQ(d.txtFirstBand->text(), s.firstBand);
            EXPECT_EQ(d.txtFreqRange->text(), s.range);
        }
        d.cmdCancel->click();
        return 0;
    });
    QString name;
    int system = 0, first = 0, kind = 0;
    EXPECT_TRUE(NewDS(name, system, first, kind, ""));
    EXPECT_EQ(file_->database()->tableNames().size(), 5u); // with the catalogue
}

TEST_F(NewDatasheetTest, TheTypeDecidesTheKindAndItsFields) {
    DialogScript script;
    const auto create = [&](const QString& name, const QString& type, bool octave) {
        script.onModal([=](QObject& form) {
            frmNewDatasheet& d = dialogOf(form);
            d.txtName->setText(name);
            if (octave) d.optOctave->click();
            chooseType(d, type);
            d.cmdOK->click();
            return 0;
        });
        QString outName;
        int system = 0, first = 0, kind = 0;
        EXPECT_FALSE(NewDS(outName, system, first, kind, ""));
        EXPECT_EQ(outName, name);
        EXPECT_EQ(system, octave ? 1 : 2);
        EXPECT_EQ(first, octave ? 14 : 13);
        return kind;
    };
    EXPECT_EQ(create("Ceilings", "Absorption", false), 2);
    const auto fields = fieldNames("Ceilings");
    EXPECT_EQ(fields.size(), 8u + 30u + 4u);
    EXPECT_EQ(fields[7], "Select Type");
    EXPECT_EQ(
        std::vector<std::string>(fields.end() - 4, fields.end()),
        (std::vector<std::string>{"Details", "Information Source", "Date Acquired", "Comments"}));
    EXPECT_EQ(catalogue("Ceilings", "Datasheet Type").toLong(), 2);
    EXPECT_EQ(catalogue("Ceilings", "Octave/Third Octave").toLong(), 2);
    EXPECT_EQ(catalogue("Ceilings", "First Band").toLong(), 13);
    // One blank spectrum with the type's defaults.
    auto db = file_->database();
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM \"Ceilings\"").toLong(), 1);
    EXPECT_EQ(db->scalar("SELECT Code FROM \"Ceilings\"").toLong(), 1);
    EXPECT_EQ(db->scalar("SELECT Type FROM \"Ceilings\"").toText(), "Absorption");
    EXPECT_EQ(db->scalar("SELECT \"Summary 1 Type\" FROM \"Ceilings\"").toText(), "NRC");
    EXPECT_DOUBLE_EQ(db->scalar("SELECT L30 FROM \"Ceilings\"").toDouble(), -999);

    EXPECT_EQ(create("Shakers", "Vibration Velocity", true), 1);
    EXPECT_EQ(fieldNames("Shakers").size(), 8u + 10u + 10u);
    EXPECT_EQ(fieldNames("Shakers").back(), "Measurement Distance");
    EXPECT_EQ(create("Rooms", "Reverberation Time", true), 2);
    EXPECT_EQ(db->scalar("SELECT \"Summary 1 Type\" FROM \"Rooms\"").toText(), "");
}

TEST_F(NewDatasheetTest, NamesWithQuotesOrInUseMakeNothing) {
    file_->addDatasheet("Datasheet 7", 1, 14, "Sound Level", {});
    DialogScript script;
    script.onModal([&](QObject& form) {
        frmNewDatasheet& d = dialogOf(form);
        d.txtName->setText("Fan's");
        script.answerMsgBox(platform::vbOK);
        d.cmdOK->click();
        EXPECT_TRUE(d.isVisible() || d.result() == 0); // stays open
        d.txtName->setText("DATASHEET 7");
        d.cmdOK->click();
        return 0;
    });
    script.answerMsgBox(platform::vbOK);
    QString name;
    int system = 0, first = 0, kind = 0;
    EXPECT_TRUE(NewDS(name, system, first, kind, ""));
    ASSERT_EQ(script.prompts().size(), 2u);
    EXPECT_EQ(script.prompts()[0], "Cannot use ' or \" as part of a worksheet name");
    EXPECT_EQ(script.prompts()[1], "There is already a datasheet called DATASHEET 7");
    EXPECT_EQ(file_->database()->tableNames().size(), 2u);
}

TEST_F(NewDatasheetTest, NewDatasheetOpensItsWindow) {
    DialogScript script;
    script.onModal([](QObject& form) {
        frmNewDatasheet& d = dialogOf(form);
        d.txtName->setText("Fans [roof]");
        d.cmdOK->click();
        return 0;
    });
    SetMenus(2);
    menuItem("mnuDtaNewDatasheet")->trigger();
    QApplication::processEvents();
    auto* w = dynamic_cast<DatasheetWindow*>(gActiveSheet);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->caption(), "Datasheet: Fans [roof]");
    EXPECT_EQ(w->objectName(), "frmDatasheet2");
    EXPECT_TRUE(w->frmOtherInfo(1)->isVisible());
    EXPECT_EQ(w->grdSpectra->model()->rowCount(), 1);
    EXPECT_TRUE(menuItem("mnuDtaRenameDatasheet")->isEnabled());
}

TEST_F(NewDatasheetTest, OpenDatasheetOpensTheChosenOneInItsKind) {
    file_->addDatasheet("Pumps", 1, 14, "Sound Level", {});
    file_->addDatasheet("Walls", 2, 13, "Transmission Loss", {});
    DialogScript script;
    script.onModal([](QObject& form) {
        auto& picker = dynamic_cast<frmSelWorksheet&>(form);
        EXPECT_EQ(picker.windowTitle(), "Select Datasheet");
        EXPECT_EQ(picker.lstSheets->count(), 2);
        EXPECT_EQ(picker.Text(), "Pumps"); // the first, for Enter
        picker.lstSheets->setCurrentRow(1);
        picker.cmdOK->click();
        return 0;
    });
    SetMenus(2);
    menuItem("mnuFileOpenDatasheet")->trigger();
    QApplication::processEvents();
    auto* w = dynamic_cast<DatasheetWindow*>(gActiveSheet);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->caption(), "Datasheet: Walls");
    EXPECT_EQ(w->objectName(), "frmDatasheet2");
    EXPECT_TRUE(w->frmOtherInfo(2)->isVisible());
    EXPECT_EQ(w->LF(1)->text(), "25Hz");
}

TEST_F(NewDatasheetTest, ACatalogueThatCannotTakeTheRowLeavesNoTable) {
    file_->database()->Execute("DROP TABLE \"Sheets List\"");
    file_->database()->createTable(db::sheetsListTableDef()); // without Datasheet Type
    DialogScript script;
    script.onModal([](QObject& form) {
        dialogOf(form).cmdOK->click();
        return 0;
    });
    script.answerMsgBox(platform::vbOK);
    QString name;
    int system = 0, first = 0, kind = 0;
    EXPECT_TRUE(NewDS(name, system, first, kind, ""));
    EXPECT_EQ(script.prompts().size(), 1u);
    EXPECT_EQ(file_->database()->tableNames(), std::vector<std::string>{"Sheets List"});
}

} // namespace
