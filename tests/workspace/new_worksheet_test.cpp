// New worksheets: the proposed name, the name rule of the dialog, clashes,
// names that only quoting keeps safe, and worksheets made from templates.
#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "sheets/worksheet_window.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/app_settings.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"
#include "workspace/globals.h"
#include "workspace/new_worksheet.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace testing_support;

namespace {

class NewWorksheet : public Program {
protected:
    // Starts with a new file made through the start dialog, its first
    // worksheet named `first`.
    void startWithNewFile(const QString& first = "Worksheet 1") {
        answerForm<frmSElWSFile>(*script_, [](frmSElWSFile& d) { d.cmdOK->click(); });
        script_->answerSaveFile(path("file"));
        answerForm<frmNewWorksheet>(*script_, [first](frmNewWorksheet& d) {
            d.txtName->setText(first);
            d.cmdOK->click();
        });
        start();
    }
    std::shared_ptr<db::Database> file() const {
        return db::Database::open(path("file.bwdb").toStdString());
    }
    long long sheetCount() const {
        return file()->scalar("SELECT count(*) FROM \"Sheets List\"").toLong();
    }
};

TEST(ProposedName, OneMoreThanTheGreatestNumberAfterWorksheet) {
    const struct {
        std::vector<std::string> tables;
        QString proposed;
    } cases[] = {
        {{}, "Worksheet 1"},
        {{"Worksheet 1", "Worksheet 7", "worksheet 9"}, "Worksheet 8"},
        {{"Worksheet x", "Worksheets 5"}, "Worksheet 1"},
        {{"Worksheet 3 (copy)", "Worksheet 1e999"}, "Worksheet 4"},
        {{"Worksheet 2.5"}, "Worksheet 3.5"},
        {{"Worksheet  12"}, "Worksheet 13"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string p =
            (std::filesystem::temp_directory_path() / ("proposal" + std::to_string(++n) + ".bwdb"))
                .string();
        std::filesystem::remove(p);
        WorksheetFile f(p);
        for (const std::string& t : c.tables)
            f.addSheet(t, 1, 14, {});
        EXPECT_EQ(proposedWorksheetName(*f.database()), c.proposed) << n;
        std::filesystem::remove(p);
    }
}

TEST_F(NewWorksheet, TheNameRuleKeepsTheDialogOpenAndClashesCreateNothing) {
    startWithNewFile();
    const QStringList refused = {"it's", "say \"hi\"", "", "~Backup", "SQLite_master", "tab\there"};
    answerForm<frmNewWorksheet>(*script_, [refused, this](frmNewWorksheet& d) {
        EXPECT_EQ(d.txtName->text(), "Worksheet 2");
        for (const QString& name : refused) {
            script_->answerMsgBox(platform::vbOK);
            d.txtName->setText(name);
            // Enter runs OK and its rule.
            pressKey(d, d.txtName, Qt::Key_Return);
            EXPECT_FALSE(d.optCancel->isChecked());
        }
        EXPECT_EQ(script_->prompts().size(), static_cast<size_t>(refused.size()));
        EXPECT_EQ(script_->prompts().front(), "Cannot use ' or \" as part of a worksheet name");
        // Another table in other letter case: a clash, found after OK.
        d.txtName->setText("SHEETS LIST");
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK);
    click("mnuFileNewWorksheet");
    EXPECT_EQ(script_->prompts().back(),
              "Worksheet file already contains a table called SHEETS LIST");
    EXPECT_EQ(sheetCount(), 1);

    // Brackets, semicolons and SQL words are only a name.
    const QString safe = "[Site] 1; DROP TABLE x; --";
    answerForm<frmNewWorksheet>(*script_, [safe](frmNewWorksheet& d) {
        d.txtName->setText(safe);
        d.optOctave->click();
        d.cmdOK->click();
    });
    click("mnuFileNewWorksheet");
    ASSERT_TRUE(activeWorksheet());
    EXPECT_EQ(activeWorksheet()->windowTitle(), "Worksheet: " + safe);
    EXPECT_EQ(activeWorksheet()->objectName(), "frmWorksheet1B");
    EXPECT_TRUE(file()->findTable(safe.toStdString()));
    EXPECT_EQ(childCount(), 2);

    // Escape cancels and writes nothing.
    answerForm<frmNewWorksheet>(*script_,
                                [](frmNewWorksheet& d) { pressKey(d, d.txtName, Qt::Key_Escape); });
    click("mnuFileNewWorksheet");
    EXPECT_EQ(sheetCount(), 2);
}

TEST_F(NewWorksheet, ATemplateGivesItsBandsAndItsSpectra) {
    // The templates file: one octave template with a formula spectrum.
    const QString templates = path("templates.bwdb");
    {
        WorksheetFile t(templates.toStdString());
        SpectrumRow level;
        level.bands = std::vector<double>(10, 50);
        level.description = "Fan";
        SpectrumRow formula;
        formula.formula = "s1 + 3";
        formula.sum1Val = db::Value("NR 52");
        t.addSheet("Plant room", 1, 17, {level, formula}, "template notes");
    }
    workspace::saveSetting("Startup", "TemplateFile", templates);
    startWithNewFile();

    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        EXPECT_FALSE(d.frmSelect->isHidden());
        EXPECT_TRUE(d.lstTemplates->isHidden());
        d.optTemplate->click();
        EXPECT_FALSE(d.lstTemplates->isHidden());
        ASSERT_EQ(d.lstTemplates->count(), 1);
        // The dialog's third-octave range does not count for a template.
        emit d.lstTemplates->itemDoubleClicked(d.lstTemplates->item(0));
    });
    click("mnuFileNewWorksheet");
    auto f = file();
    EXPECT_EQ(f->scalar("SELECT \"Octave/Third Octave\" || '/' || \"First Band\" || '/' || "
                        "ifnull(Notes, '') FROM \"Sheets List\" WHERE \"Sheet Name\" = ?",
                        {"Worksheet 2"})
                  .toText(),
              "1/17/");
    EXPECT_EQ(f->scalar("SELECT count(*) FROM \"Worksheet 2\"").toLong(), 2);
    EXPECT_EQ(f->scalar("SELECT Description FROM \"Worksheet 2\" WHERE Code = 1").toText(), "Fan");
    EXPECT_EQ(f->scalar("SELECT Formula FROM \"Worksheet 2\" WHERE Code = 2").toText(), "s1 + 3");
    EXPECT_DOUBLE_EQ(f->scalar("SELECT L10 FROM \"Worksheet 2\" WHERE Code = 1").toDouble(), 50);
    ASSERT_TRUE(activeWorksheet());
    EXPECT_EQ(activeWorksheet()->objectName(), "frmWorksheet1B");

    // Template chosen but none selected: nothing is made, nothing said.
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) {
        d.optTemplate->click();
        d.cmdOK->click();
    });
    click("mnuFileNewWorksheet");
    EXPECT_EQ(sheetCount(), 2);
    EXPECT_TRUE(script_->prompts().empty());
}

} // namespace
