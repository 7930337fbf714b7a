// New, Insert, Delete, Cut and Paste Insert through real worksheet windows:
// the numbers stay 1 to n, the formula references follow the spectra they
// name, a spectrum still in use stays; and Undo brings back the sheet as it
// was before each command, a second Undo the sheet after it. A command that
// fails part-way leaves the file as it was.
#include "editing/paste_data.h"
#include "sheets/db_utilities.h"
#include "tests/editing/edit_fixture.h"

#include <sqlite3.h>

#include <functional>

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

int gStepsLeft = 0, gSteps = 0;

void step() {
    if (++gSteps == gStepsLeft) _exit(200);
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

// A level edit under "On Changing Cells", killed at each of its writes and
// commits in turn, leaves the file as it was before the edit or as it is
// after it, never with the level but not its recalculation or the backup
// of another state.
TEST_F(RecordsUndo, ALevelEditKilledAtAnyMomentLeavesTheFileBeforeOrAfterIt) {
    fiveSpectra();
    WorksheetWindow* w = open("Sheet", 1, 1, 14);
    moveTo(w, 2);
    const auto state = [this] { return std::make_pair(rows("Sheet"), rows("~Backup")); };
    const auto before = state();
    const std::string pristine = pathOf("pristine.bwdb");
    copyFile(path_, pristine);
    // The edit in another process, which dies at its `killAt`-th step (a row
    // written or a commit through the window's connection); the steps it
    // took when it lived.
    const auto editDyingAt = [w](int killAt) {
        const pid_t pid = fork();
        if (pid == 0) {
            gStepsLeft = killAt;
            sqlite3* h = w->Data1.recordset().database()->handle();
            sqlite3_update_hook(
                h, [](void*, int, const char*, const char*, sqlite3_int64) { step(); }, nullptr);
            sqlite3_commit_hook(
                h,
                [](void*) {
                    step();
                    return 0;
                },
                nullptr);
            w->Lev(2)->setText("65");
            w->Lev_LostFocus(2);
            _exit(gSteps);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const int steps = editDyingAt(0);
    const auto after = state();
    ASSERT_DOUBLE_EQ(after.first[1][9].toDouble(), 65);
    ASSERT_DOUBLE_EQ(after.first[3][9].toDouble(), 68); // s4 = s2 + 3
    ASSERT_GT(steps, 2);
    ASSERT_LT(steps, 200);
    for (int k = 1; k <= steps; ++k) {
        copyFile(pristine, path_);
        ASSERT_EQ(editDyingAt(k), 200);
        const auto now = state();
        EXPECT_TRUE(now == before || now == after) << "killed at step " << k << " of " << steps;
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

} // namespace
} // namespace editing_test
