// The settings as the user sets them: Options through the settings file and
// back at the next start, the previous-files list as files are made and
// opened, and the templates and datasheets files that are missing or wrong.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "platform/settings.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "tables/globals.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/app_settings.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_options.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"
#include "workspace/globals.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace testing_support;

namespace {

class Settings : public Program {
protected:
    QString makeFile(const std::string& name, bool withSheet = true) {
        const QString p = path(name);
        WorksheetFile f(p.toStdString());
        if (withSheet) f.addSheet("Sheet", 1, 14, {SpectrumRow{}});
        return p;
    }
    static QString stored(const char* key) { return workspace::setting("Startup", key, "<none>"); }
    static std::vector<QString> shownItems() {
        std::vector<QString> out;
        for (int i = 0; i < 10; ++i) {
            QAction* a = menuItem(QString("mnuFilePrevFiles(%1)").arg(i).toLatin1().constData());
            if (a->isVisible()) out.push_back(a->data().toString());
        }
        return out;
    }
};

TEST_F(Settings, OptionsAreStoredAndReadBackAtTheNextStart) {
    const QString datasheets = path("sheets.bwdb");
    {
        auto database = db::Database::create(datasheets.toStdString());
        database->createTable(db::datasheetsListTableDef());
    }
    startWithNoFile();
    const QString defaultTemplates = gTemplatePath;

    // Cancel changes nothing.
    answerForm<frmOptions>(*script_, [](frmOptions& d) {
        d.cmbPrevFiles->setCurrentText("9");
        pressKey(d, d.txtDefaultDir, Qt::Key_Escape);
    });
    click("mnuFileOptions");
    EXPECT_EQ(gShowFiles, 4);
    EXPECT_EQ(stored("ShowFiles"), "<none>");

    answerForm<frmOptions>(*script_, [&](frmOptions& d) {
        EXPECT_EQ(d.windowTitle(), "Options");
        EXPECT_EQ(d.cmbPrevFiles->count(), 10);
        EXPECT_EQ(d.cmbPrevFiles->itemText(0), " 1");
        EXPECT_EQ(d.cmbPrevFiles->currentText(), "4");
        EXPECT_EQ(d.cmbDefaultView->currentText(), "Formula");
        EXPECT_EQ(d.cmbProvider->currentText(), "OLE 4.0");
        EXPECT_EQ(d.txtStdFile(2)->text(), defaultTemplates);
        d.cmbPrevFiles->setCurrentIndex(5);
        d.cmbDefaultView->setCurrentText("Spreadsheet");
        d.txtDefaultDir->setText("C:\\Work; a, b\\new");
        // "OLE 4.0" with a blank after it is not the 4.0 provider.
        d.cmbProvider->setCurrentText("OLE 4.0 ");
        script_->answerOpenFile(datasheets);
        d.cmdBrowse(1)->click();
        EXPECT_EQ(d.txtStdFile(1)->text(), datasheets);
        d.txtStdFile(2)->setText(path("no templates here.bwdb"));
        pressKey(d, d.txtDefaultDir, Qt::Key_Return);
    });
    click("mnuFileOptions");
    EXPECT_EQ(script_->fileDialogs().back().title, "Select Datasheets File");
    EXPECT_EQ(gShowFiles, 6);
    EXPECT_EQ(shownItems().size(), 6u);
    EXPECT_EQ(QString::fromStdString(gConnect), workspace::kProvider351);
    EXPECT_FALSE(gTemplateOK);
    EXPECT_TRUE(gDatasheetOK);
    // The settings file holds the values exactly, the unusable templates
    // file not at all.
    EXPECT_EQ(workspace::setting("StartUp", "ShowFiles"), " 6");
    EXPECT_EQ(workspace::setting("StartUp", "DefaultView"), "Spreadsheet");
    EXPECT_EQ(workspace::setting("StartUp", "DefaultDir"), "C:\\Work; a, b\\new");
    EXPECT_EQ(workspace::setting("StartUp", "Connection"), workspace::kProvider351);
    EXPECT_EQ(stored("TemplateFile"), defaultTemplates);
    EXPECT_EQ(stored("DatasheetFile"), datasheets);

    // The next start reads them.
    exitProgram();
    answerForm<frmSElWSFile>(*script_, [](frmSElWSFile& d) {
        EXPECT_EQ(d.lstExistFiles->count(), 6);
        d.cmdCancel->click();
    });
    start();
    EXPECT_EQ(gShowFiles, 6);
    EXPECT_EQ(gDefaultView, "Spreadsheet");
    EXPECT_EQ(gDefaultDir, "C:\\Work; a, b\\new");
    EXPECT_EQ(gDatasheetPath, datasheets);
    EXPECT_EQ(QString::fromStdString(gConnect), workspace::kProvider351);
    answerForm<frmOptions>(*script_, [](frmOptions& d) {
        EXPECT_EQ(d.cmbProvider->currentText(), "OLE 3.51");
        EXPECT_EQ(d.cmbPrevFiles->currentText(), "6");
        d.cmdCancel->click();
    });
    click("mnuFileOptions");
}

TEST_F(Settings, ShowFilesIsHeldToTheTenItems) {
    const std::pair<QString, int> cases[] = {{" 4", 4}, {"10", 10},   {"25", 10}, {"-3", 0},
                                             {"x", 0},  {"1e999", 0}, {"2.6", 3}};
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(workspace::showFilesFromText(text), shown) << text.toStdString();
    workspace::saveSetting("StartUp", "ShowFiles", "99");
    workspace::saveSetting("Startup", "File0", "/tenth");
    answerForm<frmSElWSFile>(*script_, [](frmSElWSFile& d) {
        ASSERT_EQ(d.lstExistFiles->count(), 10);
        EXPECT_EQ(d.lstExistFiles->item(9)->text(), "/tenth");
        d.cmdCancel->click();
    });
    start();
    EXPECT_EQ(shownItems().size(), 10u);
}

TEST_F(Settings, NewFilesMoveTheShownEntriesAndOpenedFilesMoveAll) {
    workspace::saveSetting("StartUp", "ShowFiles", " 2");
    const QString a = makeFile("a.bwdb"), b = makeFile("b.bwdb"), c = makeFile("c.bwdb");
    workspace::saveSetting("Startup", "File1", a);
    workspace::saveSetting("Startup", "File2", b);
    workspace::saveSetting("Startup", "File3", c);
    startWithNoFile();
    EXPECT_EQ(shownItems(), (std::vector<QString>{a, b}));

    // A new file: only the two shown entries move; the third stays.
    script_->answerSaveFile(path("new"));
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) { d.cmdCancel->click(); });
    click("mnuFileNewFile");
    const QString made = path("new.bwdb");
    EXPECT_EQ(stored("File1"), made);
    EXPECT_EQ(stored("File2"), a);
    EXPECT_EQ(stored("File3"), c);

    // Opening a file shown already moves nothing.
    script_->answerOpenFile(a);
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) { d.cmdCancel->click(); });
    click("mnuFileOpenFile");
    EXPECT_EQ(stored("File1"), made);

    // A file kept only in a hidden entry comes to the top; all ten move.
    script_->answerOpenFile(c);
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) { d.cmdCancel->click(); });
    click("mnuFileOpenFile");
    EXPECT_EQ(stored("File1"), c);
    EXPECT_EQ(stored("File2"), made);
    EXPECT_EQ(stored("File3"), a);
    EXPECT_EQ(stored("File4"), c);
    EXPECT_EQ(shownItems(), (std::vector<QString>{c, made}));
    // A path holding "&" shows it as itself.
    const QString amp = makeFile("R&D.bwdb");
    script_->answerOpenFile(amp);
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) { d.cmdCancel->click(); });
    click("mnuFileOpenFile");
    EXPECT_EQ(menuItem("mnuFilePrevFiles(0)")->text(), path("R&&D.bwdb"));
}

TEST_F(Settings, MissingOrWrongTemplatesAndDatasheetsFiles) {
    const QString missing = path("gone/Templates.bwdb");
    workspace::saveSetting("Startup", "TemplateFile", missing);
    workspace::saveSetting("Startup", "DatasheetFile", path("gone/DataSheets.bwdb"));

    // Closing "Template Not Found" ignores the templates; cancelling the
    // datasheets file dialog says nothing.
    answerForm<frmNoTemplate>(*script_, [](frmNoTemplate& d) {
        EXPECT_EQ(d.windowTitle(), "Template Not Found");
        pressKey(d, d.cmdSelect, Qt::Key_Escape);
    });
    script_->cancelFileDialog();
    startWithNoFile();
    EXPECT_EQ(script_->fileDialogs().back().title, "Select file containing datasheets");
    EXPECT_EQ(script_->fileDialogs().back().presetName, path("gone/DataSheets.bwdb"));
    EXPECT_FALSE(gTemplateOK);
    EXPECT_FALSE(gDatasheetOK);
    EXPECT_TRUE(script_->prompts().empty());
    EXPECT_EQ(stored("TemplateFile"), missing);
    EXPECT_FALSE(menuItem("mnuFileOpenDatasheet")->isEnabled());
    // A path the user chose is never made, nor the default beside it.
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(QFileInfo::exists(workspace::defaultTemplateFile()));

    // A catalogue named in other letter case is not one.
    exitProgram();
    const QString wrong = path("wrong.bwdb");
    {
        auto database = db::Database::create(wrong.toStdString());
        db::TableDef t = db::sheetsListTableDef();
        t.name = "Sheets list";
        database->createTable(t);
    }
    const QString datasheets = makeFile("ds.bwdb", false);
    answerForm<frmNoTemplate>(*script_, [](frmNoTemplate& d) { d.cmdSelect->click(); });
    script_->answerOpenFile(wrong).answerMsgBox(platform::vbOK);
    script_->answerOpenFile(datasheets);
    startWithNoFile();
    EXPECT_EQ(script_->prompts().back(),
              "Selected file is not in correct format.  Ignoring templates.");
    EXPECT_FALSE(gTemplateOK);
    EXPECT_EQ(stored("TemplateFile"), missing);
    EXPECT_TRUE(gDatasheetOK);
    EXPECT_EQ(stored("DatasheetFile"), datasheets);
}

} // namespace
