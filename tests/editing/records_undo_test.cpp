// New, Insert, Delete, Cut and Paste Insert through real worksheet windows:
// the numbers stay 1 to n, the formula references follow the spectra they
// name, a spectrum still in use stays; and Undo brings back the sheet as it
// was before each command, a second Undo the sheet after it. A command that
// fails part-way leaves the file as it was.
#include "editing/paste_data.h"
#include "engine/recalc.h"
#include "platform/gui/data_grid.h"
#include "sheets/db_utilities.h"
#include "tables/type_tables.h"
#include "tables/vocabulary.h"
#include "tests/editing/edit_fixture.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string_view>

#include <sys/wait.h>
#include <unistd.h>

namespace editing_test {
namespace {

class RecordsUndo : public EditFixture {
protected:
    // Five spectra, the last two formulas over the others.
    void fiveSpectra() {
        file_->addSheet(
            "Sheet", 1, 14,
            {flat(40), flat(50), flat(60), flat(0, 10, "s2 + 3"), flat(0, 10, "s4 + s1")});
    }
    QString twoSpectraText() {
        return "Code\tDescription\tType\tSummary 1 Type\tSummary 1 Val\tSummary 2 Type\tSummary 2 "
               "Val\tFormula\t31.5\t63\t125\t250\t500\t1000\t2000\t4000\t8000\t16000\r\n"
               "1\tnew a\tSound Level\tdBA\t\tdBL\t\t\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1\r\n"
               "2\tnew b\tSound Level\tdBA\t\tdBL\t\t\t2\t2\t2\t2\t2\t2\t2\t2\t2\t2";
    }
    void addTrigger(const std::string& when) {
        file_->database()->Execute("CREATE TRIGGER fail " + when +
                                   " BEGIN SELECT RAISE(ABORT, 'forced failure'); END");
    }
};

TEST_F(RecordsUndo, InsertMovesTheSpectraAndTheirReferencesDown) {
    fiveSpectra();
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 3);
    choose("mnuEditInsert");
    EXPECT_EQ(codes("Sheet"), (std::vector<long>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(formulas("Sheet"), (std::vector<std::string>{"", "", "", "", "s2 + 3", "s5 + s1"}));
    EXPECT_TRUE(field("Sheet", 3, "Description").isNull()); // the new, empty spectrum
    EXPECT_EQ(field("Sheet", 3, "L1").toDouble(), -999);
    EXPECT_EQ(field("Sheet", 4, "L1").toDouble(), 60);
    EXPECT_EQ(cursor(w), 3);
    EXPECT_EQ(w->Lev(1)->text(), ".");
}

TEST_F(RecordsUndo, DeleteClosesUpAndRenumbersTheReferences) {
    file_->addSheet("Sheet", 1, 14, {flat(40), flat(50), flat(60), flat(0, 10, "s3 + S1")});
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 2);
    choose("mnuEditDelete");
    EXPECT_EQ(codes("Sheet"), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(formulas("Sheet"), (std::vector<std::string>{"", "", "s2 + S1"}));
    EXPECT_EQ(field("Sheet", 2, "L1").toDouble(), 60);
    EXPECT_EQ(cursor(w), 2);

    // The last spectrum with the cursor on it: the cursor goes to the new last.
    moveTo(w, 3);
    choose("mnuEditDelete");
    EXPECT_EQ(codes("Sheet"), (std::vector<long>{1, 2}));
    EXPECT_EQ(cursor(w), 2);
}

TEST_F(RecordsUndo, ASpectrumStillInUseStays) {
    std::vector<SpectrumRow> rows(10, flat(40));
    rows[3].formula = "s10 + s1"; // spectrum 4
    rows[4].formula = "s10";      // spectrum 5
    rows[5].formula = "s03";      // spectrum 6
    rows[6].formula = "S7 + 1";   // spectrum 7 names itself
    rows[7].formula = "s9";       // spectrum 8, itself named by 9
    rows[8].formula = "s3";       // spectrum 9
    file_->addSheet("Sheet", 1, 14, rows);
    script_->answerAllMsgBoxes(platform::vbOK); // 7 cannot be recalculated
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    const size_t seen = script_->prompts().size();

    // 1 is named by 4; 3 by "s03" and by 9; 7 by itself. Of 8 and 9, which
    // name each other's way, both go: 9 goes too, so nothing holds 8.
    select(w, {1, 9, 3, 7, 8});
    choose("mnuEditDelete");
    const std::vector<QString> refused(script_->prompts().begin() + static_cast<long>(seen),
                                       script_->prompts().end());
    EXPECT_EQ(refused,
              (std::vector<QString>{
                  "Can't delete spectrum S1.  Formulae in other spectra refer to this one",
                  "Can't delete spectrum S3.  Formulae in other spectra refer to this one",
                  "Can't delete spectrum S7.  Formulae in other spectra refer to this one"}));
    EXPECT_EQ(codes("Sheet"), (std::vector<long>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(formulas("Sheet"),
              (std::vector<std::string>{"", "", "", "s8 + s1", "s8", "s03", "S7 + 1", ""}));

    // Without spectrum 9 the number 3 is free to go; "s03" is refused first.
    select(w, {3});
    choose("mnuEditDelete");
    EXPECT_EQ(codes("Sheet").size(), 8u);
    select(w, {2});
    choose("mnuEditDelete");
    EXPECT_EQ(formulas("Sheet"),
              (std::vector<std::string>{"", "", "s7 + s1", "s7", "s2", "S6 + 1", ""}));
}

TEST_F(RecordsUndo, CutCopiesInSelectionOrderThenDeletes) {
    fiveSpectra();
    WorksheetWindow* w = open("Sheet", 1, 2, 14);
    select(w, {3, 1});
    script_->answerMsgBox(platform::vbOK);
    choose("mnuEditCut");
    const QStringList lines = platform::clipboardText().split("\r\n");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("3\t"));
    // Spectrum 1 is named by 5: refused, but on the clipboard all the same.
    EXPECT_TRUE(lines[2].startsWith("1\t"));
    ASSERT_EQ(script_->prompts().size(), 1u);
    EXPECT_EQ(codes("Sheet"), (std::vector<long>{1, 2, 3, 4}));
    EXPECT_EQ(formulas("Sheet"), (std::vector<std::string>{"", "", "s2 + 3", "s3 + s1"}));
}

TEST_F(RecordsUndo, PasteInsertMakesRoomAtTheCursor) {
    fiveSpectra();
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    platform::setClipboard(twoSpectraText());
    moveTo(w, 3);
    choose("mnuEditPasteInsert");
    EXPECT_EQ(codes("Sheet"), (std::vector<long>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(field("Sheet", 3, "Description").toText(), "new a");
    EXPECT_EQ(field("Sheet", 4, "Description").toText(), "new b");
    EXPECT_EQ(field("Sheet", 5, "L1").toDouble(), 60);
    EXPECT_EQ(formulas("Sheet"),
              (std::vector<std::string>{"", "", "", "", "", "s2 + 3", "s6 + s1"}));
    EXPECT_DOUBLE_EQ(field("Sheet", 6, "L1").toDouble(), 53); // recalculated
    EXPECT_EQ(cursor(w), 3);
    EXPECT_TRUE(script_->prompts().empty());
}

TEST_F(RecordsUndo, DeletingEverySpectrumLeavesOneEmptySpectrum) {
    file_->addSheet("Sheet", 1, 14, {flat(40), flat(50), flat(60), flat(70)});
    WorksheetWindow* w = open("Sheet", 1, 2, 14);
    select(w, {1, 2, 3});
    choose("mnuEditDelete");
    ASSERT_EQ(codes("Sheet"), (std::vector<long>{1}));
    EXPECT_EQ(field("Sheet", 1, "L1").toDouble(), 70);
    EXPECT_EQ(cursor(w), 1);

    choose("mnuEditDelete");
    const Rows left = rows("Sheet");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0][0].toLong(), 1);
    EXPECT_EQ(left[0][2].toText(), "Sound Level");
    EXPECT_EQ(left[0][3].toText(), "dBA");
    EXPECT_EQ(left[0][8].toDouble(), -999);
    EXPECT_EQ(w->Data1.recordset().RecordCount(), 1);
}

TEST_F(RecordsUndo, NewSpectrumComesLast) {
    file_->addSheet("Sheet", 1, 14, std::vector<SpectrumRow>(7, flat(40)));
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 2);
    choose("mnuEditNew");
    EXPECT_EQ(codes("Sheet").size(), 8u);
    EXPECT_EQ(cursor(w), 8);
    EXPECT_EQ(w->Lev(1)->text(), ".");
    EXPECT_FALSE(gNoRecalc);
}

// Each command, then Undo (the sheet as before, the cursor on the same
// spectrum number), then Undo again (the sheet as after).
TEST_F(RecordsUndo, UndoAndRedoEveryCommand) {
    struct Command {
        const char* item;
        std::function<void(WorksheetWindow*)> before;
    };
    const Command commands[] = {
        {"mnuEditNew", [](WorksheetWindow*) {}},
        {"mnuEditInsert", [](WorksheetWindow* w) { moveTo(w, 2); }},
        {"mnuEditDelete",
         [](WorksheetWindow* w) {
             select(w, {5, 3});
         }},
        {"mnuEditCut", [](WorksheetWindow* w) { select(w, {5}); }},
        {"mnuEditPaste",
         [this](WorksheetWindow* w) {
             platform::setClipboard(twoSpectraText());
             moveTo(w, 4);
         }},
        {"mnuEditPasteInsert",
         [this](WorksheetWindow* w) {
             platform::setClipboard(twoSpectraText());
             moveTo(w, 1);
         }},
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.item);
        fiveSpectra();
        WorksheetWindow* w = open("Sheet", 1, 1, 14);
        const Rows original = rows("Sheet");
        c.before(w);
        choose(c.item);
        const Rows changed = rows("Sheet");
        ASSERT_NE(changed, original);
        moveTo(w, 2);
        choose("mnuEditUndo");
        EXPECT_EQ(rows("Sheet"), original);
        EXPECT_EQ(cursor(w), 2);
        EXPECT_EQ(w->Lev(1)->text(), "50.0");
        EXPECT_DOUBLE_EQ(w->chtDisp->value(1, 1), 50);
        EXPECT_FALSE(file_->database()->findTable("~Tmp"));
        choose("mnuEditUndo");
        EXPECT_EQ(rows("Sheet"), changed);
        EXPECT_EQ(cursor(w), 2);
        main_->mdiArea->closeAllSubWindows();
        QApplication::processEvents();
        file_->database()->Execute("DROP TABLE \"Sheet\"");
        file_->database()->Execute("DELETE FROM \"Sheets List\"");
    }
    EXPECT_TRUE(script_->prompts().empty());
}

// Level edits in two sheets of one file, several in each sheet while its
// window stays active, with Undos among them: each Undo gives back its own
// sheet as it was before its last edit, whichever rows the edits before that
// one changed, and leaves the other sheet alone.
TEST_F(RecordsUndo, UndoAfterLevelEditsInTwoSheetsGivesBackTheRightSheet) {
    fiveSpectra();
    file_->addSheet("Other", 1, 14, {flat(10), flat(20), flat(0, 10, "s1 + 1")});
    WorksheetWindow* a = open("Sheet", 1, 1, 14);
    WorksheetWindow* b = open("Other", 1, 1, 14);
    const auto typeLevel = [](WorksheetWindow* w, int position, int band, const char* text) {
        moveTo(w, position);
        QApplication::setActiveWindow(w->window()); // back from the Undo's notice
        testing_support::type(w->Lev(band), text);
        // Stored when the box loses the focus, as it does to the next one.
        ASSERT_FALSE(w->Lev(band)->isModified()) << text;
    };
    activate(a);
    const Rows other = rows("Other");
    typeLevel(a, 1, 1, "41"); // s5 = s4 + s1 follows
    const Rows afterFirst = rows("Sheet");
    typeLevel(a, 2, 2, "52"); // s4 = s2 + 3 and s5 follow
    ASSERT_DOUBLE_EQ(rows("Sheet")[3][9].toDouble(), 55);
    choose("mnuEditUndo");
    EXPECT_EQ(rows("Sheet"), afterFirst);
    EXPECT_EQ(rows("Other"), other);
    // The backup after an Undo is the sheet as the Undo left it.
    typeLevel(a, 3, 3, "63");
    const Rows afterThird = rows("Sheet");
    choose("mnuEditUndo");
    EXPECT_EQ(rows("Sheet"), afterFirst);
    choose("mnuEditUndo");
    EXPECT_EQ(rows("Sheet"), afterThird);

    activate(b);
    typeLevel(b, 1, 1, "11"); // s3 = s1 + 1 follows
    typeLevel(b, 2, 1, "21");
    const Rows otherAfterSecond = rows("Other");
    typeLevel(b, 1, 2, "12");
    choose("mnuEditUndo");
    EXPECT_EQ(rows("Other"), otherAfterSecond);
    EXPECT_EQ(rows("Sheet"), afterThird);
    EXPECT_EQ(b->Lev(2)->text(), "10.0");
    EXPECT_TRUE(script_->prompts().empty());
}

namespace {

// How a child process reports on the edit it was not killed in.
enum class Report { Steps, Commits, Path };

int gStepsLeft = 0, gSteps = 0, gCommits = 0;
bool gWholeCopy = false, gRowsCopy = false;

void step() {
    if (++gSteps == gStepsLeft) _exit(200);
}

// Each statement that writes is a step; the backup's copies are told apart.
int traceStatement(unsigned, void*, void* statement, void* sql) {
    const std::string_view text(static_cast<const char*>(sql));
    if (text.starts_with("INSERT INTO \"~Backup\" SELECT * FROM")) gWholeCopy = true;
    if (text.starts_with("DELETE FROM \"~Backup\" WHERE rowid IN")) gRowsCopy = true;
    if (!sqlite3_stmt_readonly(static_cast<sqlite3_stmt*>(statement))) step();
    return 0;
}

// Copies a database file page by page, as it is.
void copyFile(const std::string& from, const std::string& to) {
    sqlite3 *source = nullptr, *target = nullptr;
    ASSERT_EQ(sqlite3_open(from.c_str(), &source), SQLITE_OK);
    ASSERT_EQ(sqlite3_open(to.c_str(), &target), SQLITE_OK);
    sqlite3_backup* copy = sqlite3_backup_init(target, "main", source, "main");
    ASSERT_TRUE(copy);
    EXPECT_EQ(sqlite3_backup_step(copy, -1), SQLITE_DONE);
    sqlite3_backup_finish(copy);
    sqlite3_close(source);
    sqlite3_close(target);
}

} // namespace

// A level edit, killed at each of its writes and commits in turn, leaves the
// file as it was before the edit or as it is after it, never with the level
// but not its recalculation or the backup of another state; and it commits
// once. The edit follows another, so that the backup before it and after it
// differ. When that one was made in the same process, the backup copies only
// the rows it changed; when the file was written by another connection since,
// the whole sheet. Under "On Changing Cells" and "On Changing Records".
TEST_F(RecordsUndo, ALevelEditKilledAtAnyMomentLeavesTheFileBeforeOrAfterIt) {
    struct Case {
        const char* name;
        bool firstHere; // the first edit is made in the process of the second
        bool onRecord;  // "On Changing Records"
    };
    for (const Case c :
         {Case{"whole sheet backed up", false, false}, Case{"changed rows backed up", true, false},
          Case{"changed rows backed up, On Changing Records", true, true}}) {
        SCOPED_TRACE(c.name);
        // Enough spectra that the rows of one edit are copied one by one.
        std::vector<SpectrumRow> spectra{flat(40), flat(50), flat(60), flat(0, 10, "s2 + 3"),
                                         flat(0, 10, "s4 + s1")};
        spectra.resize(12, flat(30));
        file_->addSheet("Sheet", 1, 14, spectra);
        WorksheetWindow* w = open("Sheet", 1, 1, 14);
        if (c.onRecord) w->optRecalRecord->click();
        const Rows original = rows("Sheet");
        const auto state = [this] { return std::make_pair(rows("Sheet"), rows("~Backup")); };
        // The first edit, s1 band 3 (s5 = s4 + s1 follows), then the second,
        // s2 band 2 (s4 = s2 + 3 and s5 follow).
        const auto edit = [w](int position, int band, const char* level) {
            // (No events are handled: in a child process painting waits for
            // threads it does not have.)
            w->Data1.recordset().setAbsolutePosition(position);
            w->Lev(band)->setText(level);
            w->Lev_LostFocus(band);
        };
        const auto first = [&] {
            edit(1, 3, "47");
            w->Data1.recordset().setAbsolutePosition(2); // "On Changing Records" recalculates
        };
        if (!c.firstHere) first();
        const std::string pristine = pathOf("pristine.bwdb");
        copyFile(path_, pristine);
        // The edits in another process on the file as copied back by another
        // connection, so that all runs take the same steps. The second dies
        // at its `killAt`-th step (a statement that writes, or a commit,
        // through the window's connection); with `killAt` -1 the child stops
        // before it.
        const auto editDyingAt = [&](int killAt, Report report = Report::Steps) {
            copyFile(pristine, path_);
            const pid_t pid = fork();
            if (pid == 0) {
                if (c.firstHere) first();
                if (killAt < 0) _exit(0);
                gStepsLeft = killAt;
                sqlite3* h = w->Data1.recordset().database()->handle();
                sqlite3_trace_v2(h, SQLITE_TRACE_STMT, traceStatement, nullptr);
                sqlite3_commit_hook(
                    h,
                    [](void*) {
                        ++gCommits;
                        step();
                        return 0;
                    },
                    nullptr);
                edit(2, 2, "65");
                switch (report) {
                case Report::Steps:
                    _exit(gSteps);
                case Report::Commits:
                    _exit(gCommits);
                case Report::Path:
                    _exit(gRowsCopy ? (gWholeCopy ? 3 : 1) : (gWholeCopy ? 2 : 0));
                }
            }
            int status = 0;
            waitpid(pid, &status, 0);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        };
        ASSERT_EQ(editDyingAt(-1), 0);
        const auto before = state();
        ASSERT_DOUBLE_EQ(before.first[0][10].toDouble(), 47);
        ASSERT_DOUBLE_EQ(before.first[4][10].toDouble(), 100); // s5 = s4 + s1
        EXPECT_EQ(before.second, original);
        const int steps = editDyingAt(0);
        const auto after = state();
        ASSERT_DOUBLE_EQ(after.first[1][9].toDouble(), 65);
        // s4 = s2 + 3 follows at once, or only on leaving the record.
        ASSERT_DOUBLE_EQ(after.first[3][9].toDouble(), c.onRecord ? 53 : 68);
        EXPECT_EQ(after.second, before.first);
        ASSERT_GT(steps, 2);
        ASSERT_LT(steps, 200);
        EXPECT_EQ(editDyingAt(0, Report::Commits), 1);
        // Only the rows the first edit changed were copied, or the whole sheet.
        EXPECT_EQ(editDyingAt(0, Report::Path), c.firstHere ? 1 : 2);
        for (int k = 1; k <= steps + 1; ++k) {
            // Killed at each step up to the commit; past it, the edit is whole.
            ASSERT_EQ(editDyingAt(k), k <= steps ? 200 : steps) << "step " << k;
            const auto now = state();
            EXPECT_TRUE(now == before || now == after) << "killed at step " << k << " of " << steps;
            if (k > steps) {
                EXPECT_TRUE(now == after);
            }
        }
        main_->mdiArea->closeAllSubWindows();
        QApplication::processEvents();
        copyFile(pristine, path_);
        file_->database()->Execute("DROP TABLE \"Sheet\"");
        file_->database()->Execute("DROP TABLE \"~Backup\"");
        file_->database()->Execute("DELETE FROM \"Sheets List\"");
    }
}

TEST_F(RecordsUndo, UndoAfterDeletingTheLastSpectrumGoesBackToIt) {
    fiveSpectra();
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 5);
    select(w, {4, 5});
    choose("mnuEditDelete");
    EXPECT_EQ(cursor(w), 3);
    moveTo(w, 3);
    choose("mnuEditUndo");
    EXPECT_EQ(codes("Sheet").size(), 5u);
    EXPECT_EQ(cursor(w), 3);
    // A left-over scratch table of an interrupted Undo is rebuilt.
    file_->database()->copyTableStructure("Sheet", "~Tmp");
    file_->database()->Execute("INSERT INTO \"~Tmp\" SELECT * FROM \"Sheet\"");
    choose("mnuEditUndo");
    EXPECT_EQ(codes("Sheet").size(), 3u);
    EXPECT_FALSE(file_->database()->findTable("~Tmp"));
}

TEST_F(RecordsUndo, UndoTouchesOnlyTheBackupOfItsOwnFileAndSheet) {
    fiveSpectra();
    const std::string otherPath =
        (std::filesystem::temp_directory_path() / "edit-other.bwdb").string();
    std::filesystem::remove(otherPath);
    {
        WorksheetFile other(otherPath);
        other.addSheet("Sheet", 1, 14, {flat(10), flat(20)});
    }
    WorksheetWindow* mine = open("Sheet", 1, 1, 14);
    WorksheetWindow* theirs = open("Sheet", 1, 1, 14, otherPath);
    EXPECT_EQ(mine->caption(), theirs->caption());
    // The other file's sheet changes after its backup was taken ...
    db::Database::open(otherPath)->Execute("UPDATE \"Sheet\" SET L1 = 99");
    // ... and the backup held is now that of the first file's sheet.
    gActiveSheet = mine;
    ASSERT_FALSE(BackupSheet(false));
    gActiveSheet = theirs;
    choose("mnuEditUndo");
    EXPECT_EQ(
        db::Database::open(otherPath)->scalar("SELECT L1 FROM \"Sheet\" WHERE Code = 1").toDouble(),
        99);
    EXPECT_EQ(rows("Sheet").size(), 5u);
    main_->mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    std::filesystem::remove(otherPath);
}

TEST_F(RecordsUndo, ACommandFailingPartWayLeavesTheFileAsItWas) {
    struct Failure {
        const char* item;
        const char* trigger;
        std::function<void(WorksheetWindow*)> before;
    };
    const Failure failures[] = {
        {"mnuEditPaste", "BEFORE UPDATE ON \"Sheet\" WHEN NEW.Description = 'new b'",
         [this](WorksheetWindow* w) {
             platform::setClipboard(twoSpectraText());
             moveTo(w, 2);
         }},
        {"mnuEditPasteInsert", "BEFORE INSERT ON \"Sheet\" WHEN NEW.Description = 'new b'",
         [this](WorksheetWindow* w) {
             platform::setClipboard(twoSpectraText());
             moveTo(w, 2);
         }},
        {"mnuEditDelete", "BEFORE DELETE ON \"Sheet\" WHEN OLD.Code = 5",
         [](WorksheetWindow* w) {
             select(w, {3, 5});
         }},
        {"mnuEditCut", "BEFORE UPDATE OF Formula ON \"Sheet\"",
         [](WorksheetWindow* w) { select(w, {3}); }},
        {"mnuEditInsert", "BEFORE INSERT ON \"Sheet\"", [](WorksheetWindow* w) { moveTo(w, 2); }},
        {"mnuEditNew", "BEFORE INSERT ON \"Sheet\"", [](WorksheetWindow*) {}},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.item);
        fiveSpectra();
        WorksheetWindow* w = open("Sheet", 1, 1, 14);
        addTrigger(f.trigger);
        const Rows original = rows("Sheet");
        f.before(w);
        const int at = cursor(w);
        script_->answerMsgBox(platform::vbOK);
        const size_t seen = script_->prompts().size();
        choose(f.item);
        ASSERT_EQ(script_->prompts().size(), seen + 1);
        EXPECT_TRUE(script_->prompts().back().contains("forced failure"))
            << script_->prompts().back().toStdString();
        EXPECT_EQ(rows("Sheet"), original);
        EXPECT_EQ(rows("~Backup"), original);
        EXPECT_EQ(cursor(w), at);
        EXPECT_EQ(w->Data1.recordset().RecordCount(), 5);
        main_->mdiArea->closeAllSubWindows();
        QApplication::processEvents();
        file_->database()->Execute("DROP TABLE \"Sheet\"");
        file_->database()->Execute("DELETE FROM \"Sheets List\"");
    }

    // Undo: a backup the sheet cannot take back fails as a whole.
    fiveSpectra();
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 3);
    choose("mnuEditDelete");
    const Rows after = rows("Sheet");
    ASSERT_EQ(after.size(), 4u);
    file_->database()->Execute("ALTER TABLE \"~Backup\" ADD COLUMN Extra DOUBLE");
    const Rows backup = rows("~Backup");
    script_->answerMsgBox(platform::vbOK);
    choose("mnuEditUndo");
    ASSERT_FALSE(script_->prompts().empty());
    EXPECT_EQ(script_->prompts().back(), "Error in undo");
    EXPECT_EQ(rows("Sheet"), after);
    EXPECT_EQ(rows("~Backup"), backup);
    EXPECT_FALSE(file_->database()->findTable("~Tmp"));
}

// Random worksheets driven through their windows as a user drives them:
// levels typed under both recalculation choices, band cells and formulas
// typed, types and summary types chosen, every Edit command, Undo and Undo
// again, views switched and windows activated in turn. Driven once with the
// recalculation that keeps its work and once with the one that does all of
// it, both give the same file (the sheet and its undo copy, bit for bit)
// and the same messages after every step; and after every level edit the
// undo copy holds the sheet as it was just before it.
//
// BANDWRIGHT_WINDOW_SEED=n runs from seed n, BANDWRIGHT_WINDOW_STEPS=k
// takes k steps (200 unless given).
std::string firstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b);

class WindowsKeepingWork : public RecordsUndo {
protected:
    struct Step {
        std::string what;
        std::vector<std::string> sheet, backup, messages;
    };

    std::mt19937 random_{1};
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    std::string levelText() {
        switch (between(0, 7)) {
        case 0:
            return "-999";
        case 1:
            return "-998";
        case 2:
            return "-997";
        case 3:
            return "X";
        case 4:
            return ".";
        default:
            return std::to_string(between(0, 1200) / 10.0).substr(0, 5);
        }
    }
    int self_ = 0; // the spectrum whose formula is made
    std::string term(int records, int depth) {
        const int kind = between(0, depth < 2 ? 8 : 4);
        if (kind <= 3) {
            int m = chance(0.03) ? records + 1 : between(1, records);
            if (m == self_ && records > 1 && !chance(0.05)) m = m == 1 ? 2 : m - 1;
            return "s" + std::to_string(m);
        }
        if (kind == 4) return std::to_string(between(-20, 90));
        if (kind <= 6) return "(" + expression(records, depth + 1) + ")";
        return gFuncNames[static_cast<size_t>(between(1, gFuncCount))] + "(" +
               expression(records, depth + 1) + ")";
    }
    std::string expression(int records, int depth) {
        std::string text = term(records, depth);
        for (int k = between(0, depth < 2 ? 2 : 0); k > 0; --k)
            text += " " + gOperators[static_cast<size_t>(between(1, gOperatorCount))].text + " " +
                    term(records, depth);
        return text;
    }
    std::string formula(int records, int self) {
        self_ = self;
        if (chance(0.05)) return chance(0.5) ? "s1 +" : "";
        // Mostly chains of one spectrum on another, which seldom fail.
        if (chance(0.5))
            return "s" + std::to_string(between(1, records)) + " + " +
                   std::to_string(between(1, 9));
        std::string f = expression(records, 0);
        return f.size() > 200 ? "s1 + 1" : f;
    }

    void makeSheets() {
        std::vector<SpectrumRow> sheet;
        for (int n = 1; n <= 12; ++n) {
            SpectrumRow r;
            for (int j = 0; j < 10; ++j)
                r.bands.push_back(chance(0.1) ? -999.0 + between(0, 2)
                                              : 40 + between(0, 300) / 10.0);
            if (chance(0.4)) r.formula = formula(12, n);
            r.sum1Type = gSummaryTypes[static_cast<size_t>(between(1, gSummaryTypeCount))];
            r.sum2Type = gSummaryTypes[static_cast<size_t>(between(1, gSummaryTypeCount))];
            sheet.push_back(r);
        }
        file_->addSheet("Sheet", 1, 14, sheet);
        file_->addSheet("Other", 1, 14, {flat(10), flat(0, 10, "s1 + 1")});
    }

    // Every field of every row, doubles by their bits, in Code order.
    std::vector<std::string> table(const std::string& name) const {
        std::vector<std::string> out;
        if (!file_->database()->findTable(name)) return out;
        db::Statement st(*file_->database(),
                         "SELECT * FROM " + db::quoteIdent(name) + " ORDER BY Code, rowid");
        sqlite3_stmt* h = st.handle();
        while (st.step()) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(h); ++c) {
                char buf[64];
                switch (sqlite3_column_type(h, c)) {
                case SQLITE_NULL:
                    row += "Null";
                    break;
                case SQLITE_FLOAT:
                    std::snprintf(buf, sizeof buf, "%a", sqlite3_column_double(h, c));
                    row += buf;
                    break;
                default:
                    row += reinterpret_cast<const char*>(sqlite3_column_text(h, c));
                }
                row += " | ";
            }
            out.push_back(row);
        }
        return out;
    }

    static WorksheetWindow* active() { return dynamic_cast<WorksheetWindow*>(gActiveSheet); }

    static bool enabled(const char* item) {
        QAction* a = menuItem(item);
        return a && a->isEnabled();
    }

    // One run of `steps` random steps from `seed`.
    std::vector<Step> drive(unsigned seed, int steps, bool keeping) {
        gRecalcKeepsWork = keeping;
        random_.seed(seed);
        std::vector<Step> out;
        platform::clearClipboard();
        makeSheets();
        const size_t shown = script_->prompts().size();
        WorksheetWindow* other = open("Other", 1, 1, 14);
        WorksheetWindow* w = open("Sheet", 1, 1, 14);
        for (int k = 0; k < steps && w; ++k) {
            const int records = w->Data1.recordset().RecordCount();
            const int at = records > 0 ? between(1, records) : 0;
            QApplication::setActiveWindow(w->window()); // back from a notice
            std::string what;
            const int kind = between(0, 13);
            if (kind <= 4 && at > 0) { // a level typed into its box
                if (w->view() != WorksheetWindow::Formula) {
                    click("mnuWSViewFormula");
                    w = active();
                }
                const bool cells = chance(0.7);
                (cells ? w->optRecalCell : w->optRecalRecord)->click();
                moveTo(w, at);
                const int band = between(1, 10);
                const std::string level = levelText();
                what = "level " + level + " typed at " + std::to_string(at) + ", band " +
                       std::to_string(band) +
                       (cells ? " on changing cells" : " on changing records");
                const std::vector<std::string> before = table("Sheet");
                const size_t messages = script_->prompts().size();
                QApplication::setActiveWindow(w->window());
                testing_support::type(w->Lev(band), QString::fromStdString(level));
                // (A level typed as it stands is no edit: nothing is written.)
                bool undoable = true;
                for (size_t i = messages; i < script_->prompts().size(); ++i)
                    undoable = undoable && !script_->prompts()[i].contains("Undo is not available");
                if (undoable && table("Sheet") != before) {
                    EXPECT_EQ(firstDifference(table("~Backup"), before), "")
                        << "seed " << seed << " step " << k << ": " << what;
                }
            } else if (kind == 5 && at > 0) { // a formula typed
                const std::string f = formula(records, at);
                what = "formula " + f + " typed at " + std::to_string(at);
                moveTo(w, at);
                if (w->view() == WorksheetWindow::Spreadsheet) {
                    testing_support::type(w->txtFormula, QString::fromStdString(f));
                } else {
                    testing_support::typeIntoCell(w->grdSpectra, at - 1, 2,
                                                  QString::fromStdString(f));
                    moveTo(w, at == 1 ? std::min(2, records) : 1);
                }
            } else if (kind == 6 && at > 0 && w->view() == WorksheetWindow::Spreadsheet) {
                const int band = between(1, 10);
                const std::string level = levelText();
                what = "cell " + level + " typed at " + std::to_string(at) + ", band " +
                       std::to_string(band);
                moveTo(w, at);
                testing_support::typeIntoCell(w->grdSpectra, at - 1, 3 + band,
                                              QString::fromStdString(level));
                moveTo(w, at == 1 ? std::min(2, records) : 1);
            } else if (kind == 7 && at > 0) { // a type or summary type chosen
                moveTo(w, at);
                platform::gui::BoundComboBox* box = chance(0.4)   ? w->cmbType
                                                    : chance(0.5) ? w->cmbSum1
                                                                  : w->cmbSum2;
                const int i = between(0, box->count() - 1);
                what = "choice " + box->itemText(i).toStdString() + " at " + std::to_string(at);
                box->setCurrentIndex(i);
                emit box->activated(i);
                QApplication::processEvents();
            } else if (kind == 8) {
                static const char* const items[] = {
                    "mnuEditNew",  "mnuEditInsert", "mnuEditDelete",     "mnuEditCut",
                    "mnuEditCopy", "mnuEditPaste",  "mnuEditPasteInsert"};
                const char* item = items[between(0, 6)];
                if (at > 0) moveTo(w, at);
                std::vector<int> chosen;
                for (int n = 1; n <= records; ++n)
                    if (chance(0.2)) chosen.push_back(n);
                if (chosen.empty() && at > 0) chosen.push_back(at);
                select(w, chosen);
                what = std::string(item) + " at " + std::to_string(at);
                if (enabled(item)) click(item);
            } else if (kind <= 10) {
                what = "Undo";
                if (enabled("mnuEditUndo")) click("mnuEditUndo");
                if (chance(0.3) && enabled("mnuEditUndo")) {
                    what += " twice";
                    click("mnuEditUndo");
                }
            } else if (kind == 11) {
                what = "view switched";
                click(w->view() == WorksheetWindow::Formula ? "mnuWSViewSpread"
                                                            : "mnuWSViewFormula");
            } else if (kind == 12 && w->cmbDecimals) {
                what = "decimals chosen";
                w->cmbDecimals->setCurrentIndex(between(0, w->cmbDecimals->count() - 1));
                QApplication::processEvents();
            } else {
                what = "windows activated in turn";
                activate(other);
                activate(w);
            }
            QApplication::processEvents();
            w = active();
            if (w && w->sheetName() != "Sheet") {
                activate(w == other ? w : other);
                w = active();
            }
            Step s;
            s.what = what;
            s.sheet = table("Sheet");
            s.backup = table("~Backup");
            const auto& prompts = script_->prompts();
            for (size_t i = shown; i < prompts.size(); ++i)
                s.messages.push_back(prompts[i].toStdString());
            out.push_back(std::move(s));
        }
        main_->mdiArea->closeAllSubWindows();
        QApplication::processEvents();
        for (const char* t : {"Sheet", "Other", "~Backup"})
            if (file_->database()->findTable(t))
                file_->database()->Execute("DROP TABLE " + db::quoteIdent(t));
        file_->database()->Execute("DELETE FROM \"Sheets List\"");
        gRecalcKeepsWork = true;
        return out;
    }
};

// The first row that differs, both ways, or "".
std::string firstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string x = i < a.size() ? a[i] : "(none)", y = i < b.size() ? b[i] : "(none)";
        if (x != y) return "row " + std::to_string(i + 1) + ":\n" + x + "\n" + y;
    }
    return "";
}

TEST_F(WindowsKeepingWork, GiveWhatTheWholeRecalculationGives) {
    script_->answerAllMsgBoxes(platform::vbYes);
    const char* seedText = std::getenv("BANDWRIGHT_WINDOW_SEED");
    const char* stepsText = std::getenv("BANDWRIGHT_WINDOW_STEPS");
    const unsigned seed = seedText ? static_cast<unsigned>(std::atol(seedText)) : 28u;
    const int steps = stepsText ? std::atoi(stepsText) : 200;
    const std::vector<Step> kept = drive(seed, steps, true);
    const std::vector<Step> full = drive(seed, steps, false);
    ASSERT_EQ(kept.size(), full.size());
    for (size_t k = 0; k < kept.size(); ++k) {
        ASSERT_EQ(kept[k].what, full[k].what) << "step " << k;
        const std::string where =
            "seed " + std::to_string(seed) + " step " + std::to_string(k) + ": " + kept[k].what;
        ASSERT_EQ(firstDifference(kept[k].sheet, full[k].sheet), "") << where << ", the sheet";
        ASSERT_EQ(firstDifference(kept[k].backup, full[k].backup), "") << where << ", ~Backup";
        ASSERT_EQ(kept[k].messages, full[k].messages) << where;
    }
}

} // namespace
} // namespace editing_test
