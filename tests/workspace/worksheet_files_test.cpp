// Worksheet files through the File and Worksheets menus: opening from the
// start dialog and the previous-files list, picking sheets, files that are
// refused, older files, Save File As and leaving with or without compaction.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_copy.h"
#include "platform/db/file_lock.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/gui/forms.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_datasheet.h"
#include "sheets/view_hold.h"
#include "sheets/worksheet_window.h"
#include "tests/support/datasheet_fixture.h"
#include "tests/support/full_disk.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/window_fixture.h"
#include "tests/support/worksheet_fixture.h"
#include "tests/workspace/program.h"
#include "workspace/app_settings.h"
#include "workspace/bandwright_window.h"
#include "workspace/frm_new_worksheet.h"
#include "workspace/frm_options.h"
#include "workspace/frm_rename_wksheet.h"
#include "workspace/frm_sel_worksheet.h"
#include "workspace/frm_start_dialogs.h"
#include "workspace/globals.h"
#include "workspace/sheet_files.h"
#include "workspace/worksheet_files.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <csignal>
#include <fstream>
#include <functional>
#include <utility>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testing_support;

namespace {

class WorksheetFiles : public Program {
protected:
    // A worksheet file with octave sheets of one spectrum each (levels 40).
    QString makeFile(const std::string& name, const std::vector<std::string>& sheets) {
        const QString p = path(name);
        WorksheetFile f(p.toStdString());
        for (const std::string& s : sheets) {
            SpectrumRow r;
            r.bands = std::vector<double>(10, 40);
            f.addSheet(s, 1, 14, {r});
        }
        return p;
    }
    // Starts with `file` open through the start dialog and `sheet` picked;
    // `viewingOnly`: the file says first that it opens for viewing only.
    void startWith(const QString& file, const QString& sheet, bool viewingOnly = false) {
        answerForm<frmSElWSFile>(*script_, [file](frmSElWSFile& d) {
            d.txtOpen->setFocus();
            QTest::keyClicks(d.txtOpen, file);
            EXPECT_TRUE(d.optExistFile->isChecked());
            pressKey(d, d.txtOpen, Qt::Key_Return);
        });
        if (viewingOnly) script_->answerMsgBox(platform::vbOK);
        pick(sheet);
        start();
    }
    // The next sheet picker: the sheet chosen by a double-click.
    void pick(const QString& sheet) {
        answerForm<frmSelWorksheet>(*script_, [sheet](frmSelWorksheet& d) {
            const auto found = d.lstSheets->findItems(sheet, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << sheet.toStdString();
            emit d.lstSheets->itemDoubleClicked(found.first());
        });
    }
    static QStringList items(const frmSelWorksheet& d) {
        QStringList out;
        for (int i = 0; i < d.lstSheets->count(); ++i)
            out << d.lstSheets->item(i)->text();
        return out;
    }
    static double level(const QString& file, const std::string& sheet, int band) {
        return db::Database::open(file.toStdString())
            ->scalar("SELECT L" + std::to_string(band) + " FROM " + db::quoteIdent(sheet) +
                     " WHERE Code = 1")
            .toDouble();
    }
    // A worksheet "Sheet" of spectra whose first band holds these levels.
    QString makeLevels(const std::string& name, const std::vector<double>& levels) {
        const QString p = path(name);
        WorksheetFile f(p.toStdString());
        std::vector<SpectrumRow> rows;
        for (double l : levels) {
            SpectrumRow r;
            r.bands = {l};
            rows.push_back(r);
        }
        f.addSheet("Sheet", 1, 14, rows);
        return p;
    }
    static std::vector<double> firstBands(const QString& file) {
        std::vector<double> out;
        auto database = db::Database::open(file.toStdString());
        db::Statement st(*database, "SELECT L1 FROM Sheet ORDER BY Code");
        while (st.step())
            out.push_back(st.column(0).toDouble());
        return out;
    }
    static void select(WorksheetWindow* w, const std::vector<int>& positions) {
        platform::SelBookmarkList& sel = w->grdSpectra->SelBookmarks();
        sel.Clear();
        for (int p : positions)
            sel.Add(w->Data1.recordset().keyAt(p));
    }
    static void typeLevel(platform::gui::TextBox* box, const QString& text) { type(box, text); }
    // Starts with `file` open, which another program writes: its message is
    // answered, and `sheet` picked.
    void startViewing(const QString& file, const QString& sheet = "Sheet") {
        answerForm<frmSElWSFile>(*script_, [file](frmSElWSFile& d) {
            d.txtOpen->setText(file);
            d.optExistFile->setChecked(true);
            d.cmdOK->click();
        });
        script_->answerMsgBox(platform::vbOK);
        pick(sheet);
        start();
    }
    // The user comes back to the program from another one.
    static void comeBack() {
        QApplication::setActiveWindow(nullptr);
        QApplication::processEvents();
        QApplication::setActiveWindow(&mainWindow());
        QApplication::processEvents();
    }
};

TEST_F(WorksheetFiles, PreviousFilesPickerAndDifferentFile) {
    const QString a = makeFile("a.bwdb", {"Octave", "Other"});
    const QString b = makeFile("b.bwdb", {"Other"});
    workspace::saveSetting("Startup", "File1", b);
    workspace::saveSetting("Startup", "File2", a);

    answerForm<frmSElWSFile>(*script_, [a, b](frmSElWSFile& d) {
        ASSERT_EQ(d.lstExistFiles->count(), 4);
        EXPECT_EQ(d.lstExistFiles->item(0)->text(), b);
        EXPECT_EQ(d.lstExistFiles->item(2)->text(), "");
        d.lstExistFiles->setCurrentRow(1);
        emit d.lstExistFiles->itemClicked(d.lstExistFiles->item(1));
        EXPECT_TRUE(d.optExistFile->isChecked());
        EXPECT_EQ(d.txtOpen->text(), a);
        d.cmdOK->click();
    });
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
        EXPECT_EQ(d.windowTitle(), "Select Worksheet");
        EXPECT_EQ(items(d), QStringList({"Octave", "Other"}));
        EXPECT_TRUE(d.cmdNewFile->isHidden());
        EXPECT_EQ(d.Text(), "Octave"); // the first name is selected: Enter opens it
        pressKey(d, d.lstSheets, Qt::Key_Return);
    });
    start();
    ASSERT_TRUE(activeWorksheet());
    EXPECT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Octave");
    EXPECT_EQ(caption(), "Bandwright: " + a);
    // A file shown in the list already keeps its place.
    EXPECT_EQ(workspace::setting("Startup", "File1"), b);
    EXPECT_EQ(workspace::setting("Startup", "File2"), a);

    // Its previous-file item opens b; cancelling the picker leaves b open with
    // a's windows closed.
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) { d.cmdCancel->click(); });
    click("mnuFilePrevFiles(0)");
    EXPECT_EQ(caption(), "Bandwright: " + b);
    EXPECT_EQ(childCount(), 0);

    // Open Worksheet offers another file; OK with nothing selected is Cancel.
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
        EXPECT_FALSE(d.cmdNewFile->isHidden());
        d.lstSheets->clearSelection();
        d.cmdOK->click();
    });
    click("mnuFileOpenWorksheet");
    EXPECT_EQ(childCount(), 0);
    pick("Other");
    click("mnuFileOpenWorksheet");
    EXPECT_EQ(childCount(), 1);

    // b's "Other" is open: its picker is empty, but a's "Other" is listed.
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
        EXPECT_TRUE(items(d).isEmpty());
        d.cmdNewFile->click();
    });
    script_->answerOpenFile(a);
    answerForm<frmSelWorksheet>(*script_, [](frmSelWorksheet& d) {
        EXPECT_EQ(items(d), QStringList({"Octave", "Other"}));
        EXPECT_TRUE(d.cmdNewFile->isHidden());
        d.lstSheets->setCurrentRow(1);
        d.cmdOK->click();
    });
    click("mnuFileOpenWorksheet");
    ASSERT_EQ(childCount(), 2);
    EXPECT_EQ(activeWorksheet()->txtDBName->text(), a);
    EXPECT_EQ(caption(), "Bandwright: " + b);
    EXPECT_EQ(gFilePath, b);
    EXPECT_TRUE(script_->prompts().empty());
}

// The list's keys choose a file as a click does: the option follows and the
// path box takes the file, so Enter opens it.
TEST_F(WorksheetFiles, AFileChosenInTheStartListWithTheKeysIsChosen) {
    const QString a = makeFile("a.bwdb", {"Octave"});
    const QString b = makeFile("b.bwdb", {"Other"});
    const QString c = makeFile("c.bwdb", {"Other"});
    workspace::saveSetting("Startup", "File1", b);
    workspace::saveSetting("Startup", "File2", a);
    workspace::saveSetting("Startup", "File3", c);

    answerForm<frmSElWSFile>(*script_, [a, b, c](frmSElWSFile& d) {
        AllowModalWindows allow;
        d.show();
        QApplication::processEvents();
        QListWidget* list = d.lstExistFiles;
        const auto key = [&](Qt::Key k) {
            QTest::keyClick(list, k);
            QApplication::processEvents();
        };
        // "Existing Worksheet Files" puts the focus in the list; the first
        // Down chooses the file used last, not the one after it.
        d.optExistFile->click();
        QApplication::processEvents();
        EXPECT_TRUE(list->hasFocus());
        EXPECT_EQ(d.txtOpen->text(), "");
        key(Qt::Key_Down);
        EXPECT_EQ(d.txtOpen->text(), b);
        key(Qt::Key_End);
        EXPECT_TRUE(d.optExistFile->isChecked());
        EXPECT_FALSE(d.optNewFile->isChecked());
        EXPECT_EQ(d.txtOpen->text(), ""); // the fourth line: no file used yet
        key(Qt::Key_Up);
        EXPECT_EQ(d.txtOpen->text(), c);
        key(Qt::Key_Home);
        EXPECT_EQ(d.txtOpen->text(), b);
        key(Qt::Key_Down);
        EXPECT_EQ(d.txtOpen->text(), a);
        // Back to a new file, then a key in the list chooses the list again.
        d.optNewFile->click();
        list->setFocus();
        key(Qt::Key_Up);
        EXPECT_TRUE(d.optExistFile->isChecked());
        EXPECT_EQ(d.txtOpen->text(), b);
        key(Qt::Key_Down);
        EXPECT_EQ(d.txtOpen->text(), a);
        key(Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
    });
    pick("Octave");
    start();
    EXPECT_EQ(caption(), "Bandwright: " + a);
    ASSERT_TRUE(activeWorksheet());
    EXPECT_EQ(activeWorksheet()->windowTitle(), "Worksheet: Octave");
}

// After a Tab the list's first line is current but not chosen: Home or Page
// Up there chooses it as an arrow does, in the start list and the pickers.
TEST_F(WorksheetFiles, AKeyThatLeavesTheCurrentLineWhereItIsChoosesIt) {
    const QString a = makeFile("a.bwdb", {"Octave", "Other"});
    workspace::saveSetting("Startup", "File1", a);
    const auto keyThenEnter = [](QDialog& d, QListWidget* list, Qt::Key k) {
        AllowModalWindows allow;
        d.show();
        QApplication::processEvents();
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, k);
        QTest::keyClick(list, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_FALSE(d.isVisible());
    };
    answerForm<frmSElWSFile>(*script_, [keyThenEnter](frmSElWSFile& d) {
        keyThenEnter(d, d.lstExistFiles, Qt::Key_Home);
    });
    pick("Other");
    start();
    EXPECT_EQ(caption(), "Bandwright: " + a);

    answerForm<frmSelWorksheet>(*script_, [keyThenEnter](frmSelWorksheet& d) {
        EXPECT_EQ(d.windowTitle(), "Worksheet to Delete");
        keyThenEnter(d, d.lstSheets, Qt::Key_PageUp);
    });
    click("mnuFileDeleteWorksheet");
    EXPECT_FALSE(db::Database::open(a.toStdString())->findTable("Octave"));
    EXPECT_TRUE(script_->prompts().empty());
}

TEST_F(WorksheetFiles, ARefusedFileChangesNothing) {
    const QString a = makeFile("a.bwdb", {"Sheet"});
    startWith(a, "Sheet");
    ASSERT_EQ(childCount(), 1);
    WorksheetWindow* w = activeWorksheet();

    const QString lower = path("lower.bwdb");
    {
        auto database = db::Database::create(lower.toStdString());
        db::TableDef t = db::sheetsListTableDef();
        t.name = "Sheets list";
        database->createTable(t);
    }
    const QString text = path("notes.bwdb");
    std::ofstream(text.toStdString()) << "a text file";
    const QString jet = path("old.mdb");
    {
        std::string head(64, '\0');
        head.replace(4, 15, "Standard Jet DB");
        std::ofstream(jet.toStdString(), std::ios::binary) << head;
    }
    const struct {
        QString file;
        QString message;
    } cases[] = {
        {lower, "Database does not contain a 'Sheets List' table"},
        {text, "is not a database file of this program"},
        {jet, "is a Jet database made by another program"},
        {path("missing.bwdb"), "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        script_->answerOpenFile(c.file).answerMsgBox(platform::vbOK);
        click("mnuFileOpenFile");
        EXPECT_TRUE(script_->prompts().back().contains(c.message))
            << script_->prompts().back().toStdString();
        EXPECT_EQ(caption(), "Bandwright: " + a);
        EXPECT_EQ(gFilePath, a);
        EXPECT_EQ(childCount(), 1);
        EXPECT_EQ(gActiveSheet, w);
        EXPECT_EQ(workspace::setting("Startup", "File1"), a);
        EXPECT_TRUE(menuItem("mnuEditCopy")->isEnabled());
    }
    // An empty previous-file item names no file.
    script_->answerMsgBox(platform::vbOK);
    click("mnuFilePrevFiles(3)");
    EXPECT_EQ(script_->prompts().back(), "No database file was named");
    EXPECT_EQ(gFilePath, a);
}

TEST_F(WorksheetFiles, AnOlderFileGainsNotesAndAnEmptyOneAsksForAWorksheet) {
    const QString older = path("older.bwdb");
    const QString wider = path("wider.bwdb");
    for (const QString& p : {older, wider}) {
        auto database = db::Database::create(p.toStdString());
        db::TableDef list = db::sheetsListTableDef();
        if (p == older)
            list.fields.pop_back();
        else
            list.fields.push_back(list.fields[1]), list.fields.back().name = "Extra";
        database->createTable(list);
        database->createTable(db::worksheetTableDef("Old", 10));
        database->Execute("INSERT INTO \"Sheets List\" (\"Sheet Name\", \"Octave/Third Octave\", "
                          "\"First Band\") VALUES ('Old', 1, 14)");
        database->Execute("INSERT INTO Old (Code) VALUES (1)");
    }
    startWith(older, "Old");
    const auto fields = [](const QString& p) {
        return db::Database::open(p.toStdString())->tableDef("Sheets List").fields.size();
    };
    EXPECT_EQ(fields(older), 4u);
    ASSERT_TRUE(activeWorksheet());
    EXPECT_EQ(activeWorksheet()->txtNotes->Text(), "");

    script_->answerOpenFile(wider);
    pick("Old");
    click("mnuFileOpenFile");
    EXPECT_EQ(fields(wider), 5u);

    // A file with no worksheet yet leads into the new-worksheet dialog;
    // cancelling it leaves the file open.
    const QString empty = makeFile("empty.bwdb", {});
    script_->answerOpenFile(empty);
    answerForm<frmNewWorksheet>(*script_, [](frmNewWorksheet& d) { d.cmdCancel->click(); });
    click("mnuFileOpenFile");
    EXPECT_EQ(caption(), "Bandwright: " + empty);
    EXPECT_EQ(workspace::setting("Startup", "File1"), empty);
    EXPECT_EQ(childCount(), 0);
    EXPECT_TRUE(menuItem("mnuFileNewWorksheet")->isEnabled());
}

TEST_F(WorksheetFiles, SaveFileAsMovesTheWindowsAndTheirEditsToTheCopy) {
    const QString a = makeFile("a.bwdb", {"Site"});
    const QString other = makeFile("other.bwdb", {"Kept"});
    startWith(a, "Site");
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    // Notes typed and not yet left.
    w->txtNotes->setFocus();
    QTest::keyClicks(w->txtNotes, "typed notes");

    script_->answerSaveFile(a).answerMsgBox(platform::vbOK);
    click("mnuFileSaveFileAs");
    EXPECT_TRUE(script_->prompts().back().contains("open under this name"));
    script_->answerSaveFile(other).answerMsgBox(platform::vbNo);
    click("mnuFileSaveFileAs");
    EXPECT_TRUE(script_->prompts().back().contains("already exists"));
    EXPECT_TRUE(db::Database::open(other.toStdString())->findTable("Kept"));
    EXPECT_EQ(gFilePath, a);

    // A copy that cannot be written is reported and changes nothing.
    script_->answerSaveFile(path("no such folder/copy")).answerMsgBox(platform::vbOK);
    click("mnuFileSaveFileAs");
    EXPECT_TRUE(script_->prompts().back().startsWith("Error copying file"));
    EXPECT_EQ(gFilePath, a);
    EXPECT_EQ(w->txtDBName->text(), a);
    // On a full disk the message says why, and no part of a copy stays.
    {
        FullDisk full;
        script_->answerSaveFile(path("full")).answerMsgBox(platform::vbOK);
        click("mnuFileSaveFileAs");
    }
    EXPECT_EQ(script_->prompts().back(),
              "Error copying file\n\nThe database operation failed (database or disk is full)");
    EXPECT_FALSE(QFileInfo::exists(path("full.bwdb")));
    EXPECT_FALSE(QFileInfo::exists(path("full.bwdb.saving~")));
    EXPECT_EQ(gFilePath, a);

    script_->answerSaveFile(path("copy"));
    click("mnuFileSaveFileAs");
    const QString copy = path("copy.bwdb");
    EXPECT_EQ(caption(), "Bandwright: " + copy);
    EXPECT_EQ(gFilePath, copy);
    EXPECT_EQ(w->txtDBName->text(), copy);
    EXPECT_EQ(db::Database::open(copy.toStdString())
                  ->scalar("SELECT Notes FROM \"Sheets List\"")
                  .toText(),
              "typed notes");
    // The list of previous files stays.
    EXPECT_EQ(workspace::setting("Startup", "File1"), a);

    // An edit now lands in the copy only.
    QApplication::setActiveWindow(&mainWindow());
    typeLevel(w->Lev(3), "55");
    EXPECT_DOUBLE_EQ(level(copy, "Site", 3), 55);
    EXPECT_DOUBLE_EQ(level(a, "Site", 3), 40);
}

TEST_F(WorksheetFiles, BrowseAcceptsAtOnceAndANewFileNeverReplacesOne) {
    const QString a = makeFile("a.bwdb", {"Sheet"});
    workspace::saveSetting("StartUp", "DefaultDir", path(""));
    answerForm<frmSElWSFile>(*script_, [](frmSElWSFile& d) {
        d.cmdBrowse->click(); // cancelled: the dialog stays, on an existing file
        EXPECT_TRUE(d.optExistFile->isChecked());
        EXPECT_EQ(d.result(), 0);
        d.cmdBrowse->click(); // a file chosen: accepted at once
    });
    script_->cancelFileDialog().answerOpenFile(a);
    pick("Sheet");
    start();
    EXPECT_EQ(script_->fileDialogs()[0].title, "Open Worksheet File");
    EXPECT_EQ(script_->fileDialogs()[0].folder, path(""));
    ASSERT_EQ(childCount(), 1);

    // New Worksheet File onto an existing file: refused, the open file stays.
    script_->answerSaveFile(a).answerMsgBox(platform::vbOK);
    click("mnuFileNewFile");
    EXPECT_TRUE(script_->prompts().back().contains("already exists"));
    EXPECT_EQ(gFilePath, a);
    EXPECT_EQ(childCount(), 1);
    EXPECT_TRUE(db::Database::open(a.toStdString())->findTable("Sheet"));
    // Nor is a file left behind where one cannot be made.
    script_->answerSaveFile(path("no such folder/new")).answerMsgBox(platform::vbOK);
    click("mnuFileNewFile");
    EXPECT_FALSE(std::filesystem::exists(path("no such folder").toStdString()));
    EXPECT_EQ(caption(), "Bandwright: " + a);
}

TEST_F(WorksheetFiles, ExitAsksAboutCompactionAndCompactsInPlace) {
    for (const int answer : {platform::vbYes, platform::vbNo}) {
        SCOPED_TRACE(answer == platform::vbYes ? "Yes" : "No");
        const QString file = path(answer == platform::vbYes ? "yes.bwdb" : "no.bwdb");
        makeFile(file.section('/', -1).toStdString(), {"Sheet"});
        {
            // Free pages for compaction to give back.
            auto database = db::Database::open(file.toStdString());
            database->Execute("CREATE TABLE junk (x)");
            database->Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 2000) INSERT INTO junk SELECT randomblob(500) FROM n");
            database->Execute("DROP TABLE junk");
        }
        const auto before = std::filesystem::file_size(file.toStdString());
        startWith(file, "Sheet");
        script_->answerMsgBox(answer);
        exitProgram();
        EXPECT_EQ(script_->prompts().back(), "Compact database before exiting?");
        const auto after = std::filesystem::file_size(file.toStdString());
        if (answer == platform::vbYes)
            EXPECT_LT(after, before / 4);
        else
            EXPECT_EQ(after, before);
        auto database = db::Database::open(file.toStdString());
        EXPECT_EQ(database->scalar("PRAGMA integrity_check").toText(), "ok");
        EXPECT_DOUBLE_EQ(database->scalar("SELECT L1 FROM Sheet").toDouble(), 40);
        EXPECT_FALSE(std::filesystem::exists(file.toStdString() + ".compact~"));
        gFilePath.clear();
    }

    // A file that cannot be written is not offered for compaction.
    const QString locked = makeFile("locked.bwdb", {"Sheet"});
    std::filesystem::permissions(locked.toStdString(), std::filesystem::perms::owner_read);
    startWith(locked, "Sheet", true);
    const auto asked = script_->prompts().size();
    exitProgram();
    EXPECT_EQ(script_->prompts().size(), asked);
    std::filesystem::permissions(locked.toStdString(), std::filesystem::perms::owner_all);
    gFilePath.clear();
}

// Another copy of the program, as a process of its own, doing what B does
// in the scenarios below: inserting a spectrum at 2, editing a level and
// compacting at exit. Returns what it managed as bits: 1 it writes the
// file, 2 the insert, 4 the level, 8 the compaction.
int otherProgramEdits(const QString& file) {
    const pid_t pid = fork();
    if (pid == 0) {
        int done = 0;
        const std::string p = file.toStdString();
        if (db::holdFile(p) == db::FileHold::Writing) done |= 1;
        try {
            auto database = db::Database::open(p);
            database->Execute("UPDATE Sheet SET Code = -Code WHERE Code >= 2");
            database->Execute("UPDATE Sheet SET Code = 1 - Code WHERE Code < 0");
            database->Execute("INSERT INTO Sheet (Code) VALUES (2)");
            done |= 2;
        } catch (...) {
        }
        try {
            db::Database::open(p)->Execute("UPDATE Sheet SET L1 = 99 WHERE Code = 1");
            done |= 4;
        } catch (...) {
        }
        try {
            db::compactFile(p);
            done |= 8;
        } catch (...) {
        }
        _exit(done);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Another copy of the program, as a process of its own, that has files open
// until it is killed: for writing (or `viewing` them, as a copy that opened
// them second does), or `shared` as its templates and datasheets files. It
// carries out `steps`, one at each step(), on the files it holds.
struct OtherProgram {
    enum How { Writing, Viewing, Shared };
    pid_t pid = -1;
    int command[2] = {-1, -1};
    int answer[2] = {-1, -1};
    explicit OtherProgram(const std::vector<QString>& files,
                          std::vector<std::function<void()>> steps = {}, How how = Writing) {
        EXPECT_EQ(pipe(command), 0);
        EXPECT_EQ(pipe(answer), 0);
        pid = fork();
        if (pid == 0) {
            char held = 1;
            for (const QString& f : files) {
                if (how == Shared) {
                    gDatasheetPath = f;
                    gDatasheetOK = true;
                    holdSharedFiles();
                    continue;
                }
                const auto want = how == Writing ? db::FileHold::Writing : db::FileHold::Viewing;
                if (db::holdFile(f.toStdString()) != want) held = 0;
            }
            (void)!write(answer[1], &held, 1);
            for (const auto& step : steps) {
                char c = 0;
                if (read(command[0], &c, 1) != 1) break;
                char ok = 1;
                try {
                    step();
                } catch (...) {
                    ok = 0;
                }
                (void)!write(answer[1], &ok, 1);
            }
            for (;;)
                pause();
        }
        char held = 0;
        EXPECT_EQ(read(answer[0], &held, 1), 1);
        EXPECT_EQ(held, 1);
    }
    // Carries out the next step and waits for it.
    void step() {
        char c = 1, ok = 0;
        ASSERT_EQ(write(command[1], &c, 1), 1);
        ASSERT_EQ(read(answer[0], &ok, 1), 1);
        EXPECT_EQ(ok, 1);
    }
    // Dies as a killed program does.
    void kill() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
        for (int* p : {command, answer})
            for (int i : {0, 1})
                if (p[i] >= 0) close(std::exchange(p[i], -1));
    }
    ~OtherProgram() { kill(); }
};

TEST_F(WorksheetFiles, AnotherProgramCannotChangeAFileThisOneWrites) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30, 40, 50, 60, 70, 80});
    startWith(file, "Sheet");
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);

    // A selects 2 and 4; B inserts at 2; A deletes: 2 and 4 go.
    select(w, {2, 4});
    EXPECT_EQ(otherProgramEdits(file), 0);
    click("mnuEditDelete");
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 30, 50, 60, 70, 80}));

    // A copies 1 to 3, the cursor on 4; B inserts at 2; A pastes onto 4 to 6.
    select(w, {1, 2, 3});
    click("mnuEditCopy");
    w->grdSpectra->SelBookmarks().Clear();
    w->Data1.recordset().setAbsolutePosition(4);
    EXPECT_EQ(otherProgramEdits(file), 0);
    click("mnuEditPaste");
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 30, 50, 10, 30, 50}));

    // B edits a level and compacts as it exits: neither reaches the file,
    // and A's next edit is stored.
    EXPECT_EQ(otherProgramEdits(file), 0);
    w->Data1.recordset().setAbsolutePosition(1);
    QApplication::processEvents();
    typeLevel(w->Lev(1), "15");
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, 30, 50, 10, 30, 50}));
    EXPECT_TRUE(script_->prompts().empty());

    // Once A has let go, the file is B's to write.
    script_->answerMsgBox(platform::vbNo);
    exitProgram();
    EXPECT_FALSE(std::filesystem::exists(file.toStdString() + ".lock"));
    EXPECT_EQ(otherProgramEdits(file), 1 | 2 | 4 | 8);
    gFilePath.clear();
}

TEST_F(WorksheetFiles, AFileAnotherProgramWritesOpensForViewingOnly) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    const QString other = makeLevels("other.bwdb", {1});
    // Work files of a compaction and a Save As that were killed.
    const std::vector<std::string> leftovers = {
        file.toStdString() + ".compact~", file.toStdString() + ".compact~-journal",
        file.toStdString() + ".saving~", file.toStdString() + ".saving~-journal"};
    for (const std::string& f : leftovers)
        std::ofstream(f) << "left";
    OtherProgram a({file, other});

    answerForm<frmSElWSFile>(*script_, [file](frmSElWSFile& d) {
        d.txtOpen->setText(file);
        d.optExistFile->setChecked(true);
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK);
    pick("Sheet");
    start();
    ASSERT_EQ(script_->prompts().size(), 1u);
    EXPECT_TRUE(script_->prompts()[0].startsWith("The file \"" + file +
                                                 "\" is open in another Bandwright.\n\nIt opens "
                                                 "here for viewing only"))
        << script_->prompts()[0].toStdString();
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    // The other program may be at work on them.
    for (const std::string& f : leftovers)
        EXPECT_TRUE(std::filesystem::exists(f)) << f;

    script_->answerMsgBox(platform::vbOK);
    click("mnuEditInsert");
    EXPECT_EQ(script_->prompts().back(),
              "The file \"" + file + "\" is open in another Bandwright; it cannot be changed here");
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));

    // Nor does Save File As replace a file the other program has open.
    script_->answerSaveFile(other).answerMsgBox(platform::vbOK);
    click("mnuFileSaveFileAs");
    EXPECT_EQ(script_->prompts().back(),
              "\"" + other +
                  "\" is open in another Bandwright; it cannot be replaced while it is open there. "
                  "Choose another name for the copy.");
    EXPECT_EQ(firstBands(other), (std::vector<double>{1}));

    // No compaction question: the file is the other program's to compact.
    const auto asked = script_->prompts().size();
    exitProgram();
    EXPECT_EQ(script_->prompts().size(), asked);
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));

    // A copy of it under a new name is this program's to write.
    answerForm<frmSElWSFile>(*script_, [file](frmSElWSFile& d) {
        d.txtOpen->setText(file);
        d.optExistFile->setChecked(true);
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK);
    pick("Sheet");
    start();
    w = activeWorksheet();
    ASSERT_TRUE(w);
    const QString mine = path("mine.bwdb");
    script_->answerSaveFile(mine);
    click("mnuFileSaveFileAs");
    EXPECT_EQ(caption(), "Bandwright: " + mine);
    EXPECT_FALSE(w->Lev(1)->isReadOnly());
    typeLevel(w->Lev(1), "12");
    EXPECT_EQ(firstBands(mine), (std::vector<double>{12, 20, 30}));
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));
    script_->answerMsgBox(platform::vbNo);
    exitProgram();
    EXPECT_EQ(script_->prompts().back(), "Compact database before exiting?");
    const auto answered = script_->prompts().size();

    // The other program dies, and the next open writes the file and clears
    // what killed programs left.
    a.kill();
    startWith(file, "Sheet");
    EXPECT_EQ(script_->prompts().size(), answered);
    for (const std::string& f : leftovers)
        EXPECT_FALSE(std::filesystem::exists(f)) << f;
    w = activeWorksheet();
    ASSERT_TRUE(w);
    typeLevel(w->Lev(1), "15");
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, 20, 30}));
    script_->answerMsgBox(platform::vbNo);
    exitProgram();
    EXPECT_FALSE(std::filesystem::exists(file.toStdString() + ".lock"));
    gFilePath.clear();
}

TEST_F(WorksheetFiles, AFileViewedOnlyIsWrittenWhenOpenedAgainOnceTheOtherProgramLetGo) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    workspace::saveSetting("Startup", "File1", file);
    OtherProgram a({file});
    answerForm<frmSElWSFile>(*script_, [file](frmSElWSFile& d) {
        d.txtOpen->setText(file);
        d.optExistFile->setChecked(true);
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK);
    pick("Sheet");
    start();
    ASSERT_TRUE(activeWorksheet());
    EXPECT_TRUE(activeWorksheet()->Lev(1)->isReadOnly());
    a.kill();
    pick("Sheet");
    click("mnuFilePrevFiles(0)");
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    EXPECT_EQ(script_->prompts().size(), 1u);
    typeLevel(w->Lev(1), "15");
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, 20, 30}));
}

TEST_F(WorksheetFiles, AFileAnotherProgramWritesIsViewedOnlyUnderAnyNameWhateverLiesBesideIt) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    const std::string lock = file.toStdString() + ".lock";
    const QString second = path("second name.bwdb");
    ASSERT_EQ(::link(file.toStdString().c_str(), second.toStdString().c_str()), 0);
    const struct {
        const char* what;
        QString opened;
        std::function<void()> meddle;
    } cases[] = {
        {"a lock file deleted by hand", file, [&] { std::filesystem::remove(lock); }},
        {"a folder named like a lock file", file,
         [&] {
             std::filesystem::remove(lock);
             std::filesystem::create_directory(lock);
         }},
        {"the file under a second name", second, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OtherProgram a({file});
        c.meddle();
        startViewing(c.opened);
        ASSERT_FALSE(script_->prompts().empty());
        EXPECT_TRUE(script_->prompts().back().startsWith(
            "The file \"" + c.opened + "\" is open in another Bandwright.\n\nIt opens here"))
            << script_->prompts().back().toStdString();
        WorksheetWindow* w = activeWorksheet();
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->Lev(1)->isReadOnly());
        const QString refused = "The file \"" + c.opened +
                                "\" is open in another Bandwright; it cannot be changed here";
        script_->answerMsgBox(platform::vbOK);
        QTest::keyClick(w->Lev(1), Qt::Key_5);
        EXPECT_EQ(script_->prompts().back(), refused);
        script_->answerMsgBox(platform::vbOK);
        click("mnuEditInsert");
        EXPECT_EQ(script_->prompts().back(), refused);
        EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));
        // Nor is it offered for compaction.
        const auto asked = script_->prompts().size();
        exitProgram();
        EXPECT_EQ(script_->prompts().size(), asked);
        gFilePath.clear();
        std::filesystem::remove_all(lock);
    }
}

TEST_F(WorksheetFiles, AViewerFollowsTheWritersChangesAndTakesTheFileOnceItIsFree) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    const auto change = [file](const std::string& sql) {
        return [file, sql] { db::Database::open(file.toStdString())->Execute(sql); };
    };
    OtherProgram a({file}, {change("DELETE FROM Sheet WHERE Code = 2; "),
                            change("UPDATE Sheet SET Code = 2 WHERE Code = 3"),
                            change("UPDATE Sheet SET L1 = 15 WHERE Code = 1"),
                            change("UPDATE Sheet SET L1 = 35 WHERE Code = 2")});
    startViewing(file);
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    db::Recordset& rs = w->Data1.recordset();
    const auto shown = [&rs] {
        std::vector<double> out;
        for (int p = 1; p <= rs.RecordCount(); ++p)
            out.push_back(rs.peek(p, db::kFirstBandField).toDouble());
        return out;
    };

    // A deletes spectrum 2: B shows it once the user comes back to B, and
    // says so once.
    a.step();
    a.step();
    script_->answerMsgBox(platform::vbOK);
    comeBack();
    EXPECT_EQ(script_->prompts().back(),
              "\"Sheet\" was changed in its file by another Bandwright since this window showed "
              "it. The window now shows the file as it is.");
    EXPECT_EQ(shown(), (std::vector<double>{10, 30}));
    const auto told = script_->prompts().size();
    comeBack();
    EXPECT_EQ(script_->prompts().size(), told);

    // A changes spectrum 1: B's Copy copies nothing old.
    a.step();
    platform::setClipboard("before");
    select(w, {1});
    script_->answerMsgBox(platform::vbOK);
    click("mnuEditCopy");
    EXPECT_EQ(script_->prompts().back(), changedElsewhereText("Sheet"));
    EXPECT_EQ(platform::clipboardText(), "before");
    EXPECT_EQ(shown(), (std::vector<double>{15, 30}));
    select(w, {1});
    click("mnuEditCopy");
    EXPECT_TRUE(platform::clipboardText().contains("\t15"))
        << platform::clipboardText().toStdString();

    // A changes spectrum 2 and dies. B's next edit takes the file, but not on
    // the view A made stale: nothing is stored, and B shows the file.
    a.step();
    a.kill();
    rs.setAbsolutePosition(2);
    QApplication::processEvents();
    script_->answerMsgBox(platform::vbOK);
    w->Lev(1)->setFocus();
    QTest::keyClick(w->Lev(1), Qt::Key_4);
    EXPECT_EQ(script_->prompts().back(), takenChangedText("Sheet"));
    EXPECT_EQ(shown(), (std::vector<double>{15, 35}));
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, 35}));
    // The edit given again is stored, and so is a command.
    EXPECT_FALSE(w->Lev(1)->isReadOnly());
    const auto asked = script_->prompts().size();
    typeLevel(w->Lev(1), "45");
    click("mnuEditInsert");
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, -999, 45}));
    EXPECT_EQ(script_->prompts().size(), asked);

    // B writes the file now; another copy views it: no compaction is offered.
    OtherProgram c({file}, {}, OtherProgram::Viewing);
    exitProgram();
    EXPECT_EQ(script_->prompts().size(), asked);
    gFilePath.clear();
}

TEST_F(WorksheetFiles, TheLastCopyToExitIsAskedToCompactAFileItOnlyViewed) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    const auto inode = [&file] {
        struct stat st {};
        EXPECT_EQ(::stat(file.toStdString().c_str(), &st), 0);
        return st.st_ino;
    };
    OtherProgram a({file});
    startViewing(file);
    a.kill();
    const auto before = inode();
    script_->answerMsgBox(platform::vbYes);
    exitProgram();
    ASSERT_FALSE(script_->prompts().empty());
    EXPECT_EQ(script_->prompts().back(), "Compact database before exiting?");
    EXPECT_NE(inode(), before); // the compacted copy took the name
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));
    gFilePath.clear();
}

TEST_F(WorksheetFiles, AFileInAFolderThatCannotBeWrittenIsWrittenByNoCopy) {
    namespace fs = std::filesystem;
    const fs::path folder = path("kept").toStdString();
    fs::create_directory(folder);
    const QString file = makeLevels("kept/site.bwdb", {10, 20, 30});
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    // Neither copy takes it for writing, and neither tells the other's
    // copy to close it: the folder, not the other copy, keeps it unchanged.
    OtherProgram a({file}, {}, OtherProgram::Viewing);
    startWith(file, "Sheet", true);
    ASSERT_EQ(script_->prompts().size(), 1u);
    EXPECT_TRUE(script_->prompts().back().contains("(its folder cannot be written to)"));
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    script_->answerMsgBox(platform::vbOK);
    typeLevel(w->Lev(1), "7");
    ASSERT_EQ(script_->prompts().size(), 2u);
    EXPECT_TRUE(script_->prompts().back().contains("(its folder cannot be written to)"))
        << script_->prompts().back().toStdString();
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));
    fs::permissions(folder, fs::perms::owner_all);
    gFilePath.clear();
}

TEST_F(WorksheetFiles, AFileViewedOnlyStaysViewedOnlyWhenOpenedAgainUnderItsSecondName) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    const QString second = path("second name.bwdb");
    ASSERT_EQ(::link(file.toStdString().c_str(), second.toStdString().c_str()), 0);
    OtherProgram a({file});
    startViewing(file);
    script_->answerOpenFile(second).answerMsgBox(platform::vbOK);
    pick("Sheet");
    click("mnuFileOpenFile");
    EXPECT_EQ(caption(), "Bandwright: " + second);
    EXPECT_TRUE(script_->prompts().back().startsWith("The file \"" + second +
                                                     "\" is open in another Bandwright."))
        << script_->prompts().back().toStdString();
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    script_->answerMsgBox(platform::vbOK);
    QTest::keyClick(w->Lev(1), Qt::Key_5);
    EXPECT_EQ(script_->prompts().back(),
              "The file \"" + second +
                  "\" is open in another Bandwright; it cannot be changed here");
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));
    gFilePath.clear();
}

TEST_F(WorksheetFiles, AFileThisProgramWritesStaysItsOwnWhenOpenedAgainUnderItsSecondName) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    const QString second = path("second name.bwdb");
    ASSERT_EQ(::link(file.toStdString().c_str(), second.toStdString().c_str()), 0);
    startWith(file, "Sheet");
    script_->answerOpenFile(second);
    pick("Sheet");
    click("mnuFileOpenFile");
    EXPECT_EQ(caption(), "Bandwright: " + second);
    // Another program opening the file under either name only views it.
    OtherProgram b({file, second}, {}, OtherProgram::Viewing);
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    typeLevel(w->Lev(1), "15");
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, 20, 30}));
}

TEST_F(WorksheetFiles, AnEditThatTakesAFreedFileReplacesWhatTheUserSelected) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    OtherProgram a({file});
    startViewing(file);
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    a.kill();
    // The user selects the level and types over it, and the first key takes
    // the file: the key replaces the selection, as in any box.
    typeLevel(w->Lev(1), "77");
    EXPECT_EQ(firstBands(file), (std::vector<double>{77, 20, 30}));
}

TEST_F(WorksheetFiles, SaveFileAsNeverReplacesAFileInUseNorAsksToReplaceIt) {
    const QString a = makeFile("a.bwdb", {"Site"});
    const QString theirs = path("their datasheets.bwdb");
    createSheetsFile(theirs, CatalogueKind::Datasheets);
    OtherProgram other({theirs}, {}, OtherProgram::Shared);
    startWith(a, "Site");
    const struct {
        QString file;
        QString why;
    } cases[] = {
        {theirs, "is open in another Bandwright; it cannot be replaced while it is open there"},
        {gDatasheetPath,
         "is the datasheets file of this Bandwright; it cannot be replaced while it is open"},
        {gTemplatePath,
         "is the templates file of this Bandwright; it cannot be replaced while it is open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const auto before = std::filesystem::file_size(c.file.toStdString());
        script_->answerSaveFile(c.file).answerMsgBox(platform::vbOK);
        click("mnuFileSaveFileAs");
        EXPECT_EQ(script_->prompts().back(),
                  "\"" + c.file + "\" " + c.why + ". Choose another name for the copy.");
        EXPECT_EQ(gFilePath, a);
        EXPECT_FALSE(db::Database::open(c.file.toStdString())->findTable("Site"));
        EXPECT_EQ(std::filesystem::file_size(c.file.toStdString()), before);
    }
}

TEST_F(WorksheetFiles, ADatasheetWindowKeepsItsFileFromBeingReplacedOnceOptionsNameAnother) {
    const QString a = makeFile("a.bwdb", {"Site"});
    const QString before = path("plant datasheets.bwdb");
    const QString after = path("site datasheets.bwdb");
    createSheetsFile(after, CatalogueKind::Datasheets);
    const QString copy = makeFile("copy.bwdb", {"Copy"});
    const auto options = [this](const QString& datasheets) {
        answerForm<frmOptions>(*script_, [datasheets](frmOptions& d) {
            d.txtStdFile(1)->setText(datasheets);
            d.cmdOK->click();
        });
        click("mnuFileOptions");
        ASSERT_EQ(gDatasheetPath, datasheets);
    };
    // Another copy's Save File As onto `file`: true when it was refused.
    const auto refusedThere = [&copy](const QString& file) {
        return [&copy, file] {
            try {
                db::copyDatabaseFile(copy.toStdString(), file.toStdString());
            } catch (const db::Error&) {
                return;
            }
            throw std::runtime_error("replaced");
        };
    };
    startWith(a, "Site");
    DatasheetsFile(before.toStdString()).addDatasheet("Fans", 1, 14, "Sound Level", {});
    options(before);
    ASSERT_FALSE(OpenDS2(before, "Fans", 1, 14, 0, false));
    options(after);

    // The window still shows the file the options named before: it stays
    // held, here and for another copy, while the new one is held as well.
    OtherProgram other({}, {refusedThere(before), refusedThere(after)});
    other.step();
    other.step();
    EXPECT_EQ(replaceRefused(before), "\"" + before +
                                          "\" is open in this Bandwright; it cannot be replaced "
                                          "while it is open. Choose another name for the copy.");
    EXPECT_TRUE(db::Database::open(before.toStdString())->findTable("Fans"));

    // Once the window is closed, the file is no longer held.
    for (QWidget* f : platform::gui::formsOfKind(platform::gui::FormKind::Datasheet))
        platform::gui::frameOf(f)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(replaceRefused(before), QString());
    EXPECT_NE(replaceRefused(after), QString());
}

// Another copy of the program that writes a file and, told to, is killed
// in the middle of a large change: its journal stays beside the file.
struct WriterKilledMidChange {
    pid_t pid = -1;
    int go[2] = {-1, -1}, done[2] = {-1, -1};
    explicit WriterKilledMidChange(const QString& file) {
        EXPECT_EQ(pipe(go), 0);
        EXPECT_EQ(pipe(done), 0);
        pid = fork();
        if (pid == 0) {
            const std::string p = file.toStdString();
            char ok = db::holdFile(p) == db::FileHold::Writing ? 1 : 0;
            (void)!write(done[1], &ok, 1);
            (void)!read(go[0], &ok, 1);
            std::shared_ptr<db::Database> database; // open, mid-change, until killed
            try {
                database = db::Database::open(p);
                // A small cache spills the change into the file before it commits.
                database->Execute("PRAGMA cache_size = 10");
                database->Execute("BEGIN");
                database->Execute("UPDATE Sheet SET L1 = 99");
                database->Execute("CREATE TABLE Junk (x)");
                database->Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 300) INSERT INTO Junk SELECT randomblob(4000) FROM n");
                ok = 1;
            } catch (...) {
                ok = 0;
            }
            (void)!write(done[1], &ok, 1);
            for (;;)
                pause();
        }
        char held = 0;
        EXPECT_EQ(read(done[0], &held, 1), 1);
        EXPECT_EQ(held, 1);
    }
    void changeAndDie() {
        char ok = 0;
        (void)!write(go[1], &ok, 1);
        EXPECT_EQ(read(done[0], &ok, 1), 1);
        EXPECT_EQ(ok, 1);
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~WriterKilledMidChange() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (int f : {go[0], go[1], done[0], done[1]})
            close(f);
    }
};

TEST_F(WorksheetFiles, AViewingProgramSaysWhyItCannotRenameAndCopiesWhatAKilledWriterLeft) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    WriterKilledMidChange b(file);
    answerForm<frmSElWSFile>(*script_, [file](frmSElWSFile& d) {
        d.txtOpen->setText(file);
        d.optExistFile->setChecked(true);
        d.cmdOK->click();
    });
    script_->answerMsgBox(platform::vbOK); // for viewing only
    pick("Sheet");
    start();
    ASSERT_TRUE(activeWorksheet());
    const QString viewing =
        "The file \"" + file + "\" is open in another Bandwright; it cannot be changed here";
    const auto rename = [this](const QString& name) {
        answerForm<frmRenameWksheet>(*script_, [name](frmRenameWksheet& d) {
            d.txtName->setText(name);
            d.cmdOK->click();
        });
        script_->answerMsgBox(platform::vbOK);
        click("mnuFileRenameWorksheet");
    };
    rename("Road");
    EXPECT_EQ(script_->prompts().back(), viewing);

    // The other program dies part-way through a change: Save File As copies
    // the file as it stood before that change.
    b.changeAndDie();
    ASSERT_TRUE(std::filesystem::exists(file.toStdString() + "-journal"));
    const QString mine = path("mine.bwdb");
    const auto asked = script_->prompts().size();
    script_->answerSaveFile(mine);
    click("mnuFileSaveFileAs");
    EXPECT_EQ(script_->prompts().size(), asked);
    EXPECT_EQ(caption(), "Bandwright: " + mine);
    EXPECT_EQ(firstBands(mine), (std::vector<double>{10, 20, 30}));
    EXPECT_FALSE(db::Database::open(mine.toStdString())->findTable("Junk"));
    EXPECT_EQ(firstBands(file), (std::vector<double>{10, 20, 30}));
    script_->answerMsgBox(platform::vbNo);
    exitProgram();

    // A read-only file says so too, when it opens and at a change.
    std::filesystem::permissions(file.toStdString(), std::filesystem::perms::owner_read);
    startWith(file, "Sheet", true);
    EXPECT_EQ(script_->prompts().back(),
              "The file \"" + file +
                  "\" is read-only; it cannot be changed.\n\nIt opens here for viewing only. "
                  "To work on it, save a copy with File > Save File As.");
    rename("Road");
    EXPECT_EQ(script_->prompts().back(),
              "The file \"" + file + "\" is read-only; it cannot be changed");
    EXPECT_TRUE(db::Database::open(file.toStdString())->findTable("Sheet"));
    exitProgram();
    std::filesystem::permissions(file.toStdString(), std::filesystem::perms::owner_all);
    gFilePath.clear();
}

TEST_F(WorksheetFiles, AFileDeletedWhileOpenIsSaidToBeGoneAndSaveFileAsStillSavesIt) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    startWith(file, "Sheet");
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    std::filesystem::remove(file.toStdString());

    script_->answerMsgBox(platform::vbOK);
    typeLevel(w->Lev(1), "15");
    ASSERT_EQ(script_->prompts().size(), 1u);
    EXPECT_EQ(script_->prompts()[0],
              "The file \"" + file +
                  "\" is no longer there: it was deleted or moved while it was open, and nothing "
                  "more can be stored in it. The windows still show what it held: File > Save "
                  "File As saves that under a new name");
    script_->answerMsgBox(platform::vbOK);
    typeLevel(w->Lev(2), "25");
    ASSERT_EQ(script_->prompts().size(), 2u);
    EXPECT_TRUE(script_->prompts()[1].startsWith("The file \"" + file + "\" is no longer there;"))
        << script_->prompts()[1].toStdString();
    // On the next spectrum the boxes are locked, and a key says why.
    w->Data1.recordset().setAbsolutePosition(2);
    QApplication::processEvents();
    EXPECT_TRUE(w->Lev(1)->isReadOnly());
    script_->answerMsgBox(platform::vbOK);
    w->Lev(1)->setFocus();
    QTest::keyClick(w->Lev(1), Qt::Key_5);
    ASSERT_EQ(script_->prompts().size(), 3u);
    EXPECT_EQ(script_->prompts()[2], script_->prompts()[1]);

    script_->answerSaveFile(path("saved"));
    click("mnuFileSaveFileAs");
    const QString saved = path("saved.bwdb");
    EXPECT_EQ(script_->prompts().size(), 3u);
    EXPECT_EQ(caption(), "Bandwright: " + saved);
    EXPECT_EQ(firstBands(saved), (std::vector<double>{10, 20, 30}));
    typeLevel(w->Lev(1), "25");
    EXPECT_EQ(firstBands(saved), (std::vector<double>{10, 25, 30}));
    EXPECT_EQ(script_->prompts().size(), 3u);

    // A file that is gone is not offered for compaction at exit.
    std::filesystem::remove(saved.toStdString());
    exitProgram();
    EXPECT_EQ(script_->prompts().size(), 3u);
    gFilePath.clear();
}

} // namespace

// A saves its file under another name while B views it: Undo in A takes
// back A's last edit in the copy it now shows, and B, writing the file A
// let go, keeps what it wrote there.
TEST_F(WorksheetFiles, UndoAfterSaveFileAsTakesBackTheLastEditInTheCopy) {
    const QString file = makeLevels("site.bwdb", {10, 20, 30});
    startWith(file, "Sheet");
    WorksheetWindow* w = activeWorksheet();
    ASSERT_TRUE(w);
    typeLevel(w->Lev(1), "15");
    ASSERT_EQ(firstBands(file), (std::vector<double>{15, 20, 30}));
    const auto change = [file](const std::string& sql) {
        return [file, sql] { db::Database::open(file.toStdString())->Execute(sql); };
    };
    OtherProgram b({file},
                   {[file] {
                        // B takes the file A let go, as its next edit does.
                        db::releaseFile(file.toStdString());
                        if (db::holdFile(file.toStdString()) != db::FileHold::Writing) throw 0;
                    },
                    change("UPDATE \"~Backup\" SET L1 = 1"),
                    change("UPDATE Sheet SET L1 = 35 WHERE Code = 3")},
                   OtherProgram::Viewing);
    const QString copy = path("copy.bwdb");
    script_->answerSaveFile(copy);
    click("mnuFileSaveFileAs");
    ASSERT_EQ(caption(), "Bandwright: " + copy);
    b.step();
    b.step();
    b.step();
    ASSERT_TRUE(menuItem("mnuEditUndo")->isEnabled());
    click("mnuEditUndo");
    EXPECT_EQ(firstBands(copy), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(firstBands(file), (std::vector<double>{15, 20, 35}));
    click("mnuEditUndo"); // and again redoes it
    EXPECT_EQ(firstBands(copy), (std::vector<double>{15, 20, 30}));
    EXPECT_TRUE(script_->prompts().empty());
    gFilePath.clear();
}

// A writes the file, its backup the octave sheet; B views the third-octave
// sheet and takes the file once A is gone: B's edits are backed up in the
// third-octave sheet's shape, the rows an edit changed as they are (with a
// Description longer than its field, written by another tool), and Undo
// takes the last back.
TEST_F(WorksheetFiles, TheFirstEditAfterATakeOverIsBackedUpInItsSheetsShape) {
    const QString file = path("office.bwdb");
    {
        WorksheetFile f(file.toStdString());
        SpectrumRow octave, thirds;
        octave.bands = std::vector<double>(10, 40);
        thirds.bands = std::vector<double>(30, 30);
        f.addSheet("Office", 1, 14, {octave});
        f.addSheet("Office thirds", 2, 13, std::vector<SpectrumRow>(8, thirds));
        f.database()->Execute("PRAGMA ignore_check_constraints = ON");
        f.database()->Execute("UPDATE \"Office thirds\" SET Description = ? WHERE Code = 1",
                              {db::Value(std::string(400, 'd'))});
        f.database()->copyTableStructure("Office", "~Backup");
        f.database()->Execute("INSERT INTO \"~Backup\" SELECT * FROM Office");
    }
    OtherProgram a({file});
    startViewing(file, "Office thirds");
    a.kill();
    const auto told = script_->prompts().size();
    for (const char* level : {"61", "62", "63"})
        typeLevel(activeWorksheet()->Lev(1), level);
    click("mnuEditUndo");
    EXPECT_EQ(script_->prompts().size(), told) << script_->prompts().back().toStdString();
    EXPECT_EQ(db::Database::open(file.toStdString())
                  ->scalar("SELECT L1 FROM \"Office thirds\" WHERE Code = 1")
                  .toDouble(),
              62);
    gFilePath.clear();
}

// Another tool puts a copy in place of the file A has open, and B opens
// and writes the copy: A can store nothing more and says why, and never
// compacts the copy, whether B still has it or not.
TEST_F(WorksheetFiles, AFileReplacedWhileOpenIsNeitherWrittenNorCompacted) {
    for (const bool bStays : {true, false}) {
        const QString file = makeLevels(bStays ? "a.bwdb" : "b.bwdb", {10, 20});
        const std::string f = file.toStdString();
        startWith(file, "Sheet");
        std::filesystem::copy_file(f, f + "~");
        std::filesystem::rename(f + "~", f);
        OtherProgram b({file},
                       {[f] { db::Database::open(f)->Execute("UPDATE Sheet SET L1 = 55"); }});
        b.step();
        const auto restored = std::filesystem::last_write_time(f);
        script_->answerMsgBox(platform::vbOK);
        typeLevel(activeWorksheet()->Lev(1), "15");
        EXPECT_TRUE(script_->prompts().back().startsWith("The file \"" + file +
                                                         "\" was replaced by another file"));
        // With no window open, Save File As copies no other file than A's.
        mainWindow().mdiArea->closeAllSubWindows();
        script_->answerSaveFile(path("copy"));
        script_->answerMsgBox(platform::vbOK);
        click("mnuFileSaveFileAs");
        EXPECT_FALSE(QFileInfo::exists(path("copy.bwdb")));
        const QString replaced = script_->prompts().back();
        EXPECT_TRUE(replaced.endsWith("is not the one this program opened."))
            << replaced.toStdString();
        if (!bStays) {
            b.kill();
            script_->answerMsgBox(platform::vbYes);
            script_->answerMsgBox(platform::vbOK);
        }
        exitProgram();
        EXPECT_EQ(script_->prompts().back(),
                  bStays ? replaced
                         : "Error compacting database. The file \"" + file +
                               "\" was replaced by another file while it was open here; the file "
                               "now under that name was neither compacted nor changed");
        EXPECT_EQ(std::filesystem::last_write_time(f), restored);
        EXPECT_EQ(firstBands(file), (std::vector<double>{55, 55}));
        gFilePath.clear();
    }
}
