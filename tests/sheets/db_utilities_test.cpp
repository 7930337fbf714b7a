// The undo backup of the active sheet and the compaction of the open file.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "sheets/db_utilities.h"
#include "sheets/globals.h"
#include "sheets/sheet_window.h"
#include "tables/globals.h"
#include "tests/support/dialog_script.h"
#include "tests/support/worksheet_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::DialogScript;
using testing_support::SpectrumRow;
using testing_support::WorksheetFile;

namespace {

SpectrumRow row(const std::string& formula, std::vector<double> bands) {
    SpectrumRow r;
    r.formula = formula;
    r.bands = std::move(bands);
    return r;
}

class Backup : public ::testing::Test {
protected:
    void SetUp() override {
        FillTables();
        path_ = (std::filesystem::temp_directory_path() / "backup.bwdb").string();
        std::filesystem::remove(path_);
        file_ = std::make_unique<WorksheetFile>(path_);
        file_->addSheet("A 'quoted' [sheet]", 1, 14, {row("", {40, 41}), row("s1 + 3", {})});
        file_->addSheet("Third", 2, 13, {row("", {50})});
        gActiveKind = 1;
        gBackupCaption.clear();
    }
    void TearDown() override {
        gActiveSheet = nullptr;
        window_.reset();
        file_.reset();
        std::filesystem::remove(path_);
    }
    void activate(const std::string& sheet) {
        window_ = std::make_unique<SheetWindow>(db::SheetKind::Worksheet, 10);
        window_->setWindowTitle(QString::fromStdString("Worksheet: " + sheet));
        window_->txtDBName->setText(QString::fromStdString(path_));
        gActiveSheet = window_.get();
    }
    std::int64_t count(const std::string& sql) { return file_->database()->scalar(sql).toLong(); }

    std::string path_;
    std::unique_ptr<WorksheetFile> file_;
    std::unique_ptr<SheetWindow> window_;
};

TEST_F(Backup, CopiesTheActiveSheetAndOwnsIt) {
    activate("A 'quoted' [sheet]");
    EXPECT_FALSE(BackupSheet(true));
    EXPECT_EQ(gBackupCaption, "Worksheet: A 'quoted' [sheet]");
    EXPECT_EQ(count("SELECT count(*) FROM \"~Backup\""), 2);
    EXPECT_EQ(count("SELECT count(*) FROM \"~Backup\" WHERE Formula = 's1 + 3'"), 1);

    // Without recreating, only the records are replaced.
    file_->database()->Execute("DELETE FROM \"A 'quoted' [sheet]\" WHERE Code = 2");
    EXPECT_FALSE(BackupSheet(false));
    EXPECT_EQ(count("SELECT count(*) FROM \"~Backup\""), 1);
    // The structure came with it: the band defaults and the primary key.
    file_->database()->Execute("INSERT INTO \"~Backup\" (Code) VALUES (7)");
    EXPECT_EQ(file_->database()->scalar("SELECT L3 FROM \"~Backup\" WHERE Code = 7").toDouble(),
              -999);
    EXPECT_THROW(file_->database()->Execute("INSERT INTO \"~Backup\" (Code) VALUES (7)"),
                 db::Error);
}

TEST_F(Backup, DoesNothingWithoutAnActiveSheetTable) {
    activate("Missing");
    gBackupCaption = "Worksheet: Third";
    EXPECT_FALSE(BackupSheet(true));
    EXPECT_EQ(gBackupCaption, "Worksheet: Third");
    EXPECT_FALSE(file_->database()->findTable("~Backup"));

    activate("Third");
    gActiveKind = 3; // a graph window is active
    EXPECT_FALSE(BackupSheet(true));
    EXPECT_FALSE(file_->database()->findTable("~Backup"));
}

TEST_F(Backup, AFailedBackupKeepsTheOldTableButDisownsIt) {
    activate("A 'quoted' [sheet]");
    ASSERT_FALSE(BackupSheet(true));
    // A copy the engine refuses: a rule another program put on the table.
    file_->database()->Execute("CREATE TRIGGER refuse BEFORE INSERT ON \"~Backup\" BEGIN "
                               "SELECT RAISE(ABORT, 'refused'); END");
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    EXPECT_TRUE(BackupSheet(false));
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(script.prompts()[0].startsWith("Error in backup: "))
        << script.prompts()[0].toStdString();
    EXPECT_TRUE(gBackupCaption.isEmpty());
    EXPECT_EQ(count("SELECT count(*) FROM \"~Backup\""), 2);
}

TEST_F(Backup, CompactingKeepsEverySheet) {
    gFilePath = QString::fromStdString(path_);
    file_.reset();
    CompactFile();
    auto database = db::Database::open(path_);
    EXPECT_TRUE(database->findTable("Third"));
    EXPECT_EQ(database->scalar("SELECT count(*) FROM \"A 'quoted' [sheet]\"").toLong(), 2);

    gFilePath = QString::fromStdString(path_ + ".missing");
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    CompactFile();
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(script.prompts()[0].startsWith("Error compacting database. "));

    // A value written by another program that its field does not hold: the
    // message names the worksheet and the spectrum.
    {
        auto other = db::Database::open(path_);
        other->Execute("PRAGMA ignore_check_constraints = ON");
        other->Execute("UPDATE \"A 'quoted' [sheet]\" SET Formula = x'00ff' WHERE Code = 2");
    }
    gFilePath = QString::fromStdString(path_);
    script.answerMsgBox(platform::vbOK);
    CompactFile();
    ASSERT_EQ(script.prompts().size(), 2u);
    EXPECT_TRUE(script.prompts()[1].startsWith(
        "Error compacting database. In worksheet \"A 'quoted' [sheet]\", spectrum 2: its Formula "
        "holds a value of a kind the field cannot hold (blob).\n\n"))
        << script.prompts()[1].toStdString();
    EXPECT_TRUE(db::Database::open(path_)->findTable("Third"));

    // A text longer than its field holds is said to be too long.
    {
        auto other = db::Database::open(path_);
        other->Execute("PRAGMA ignore_check_constraints = ON");
        other->Execute("UPDATE \"A 'quoted' [sheet]\" SET Formula = NULL WHERE Code = 2");
        other->Execute("UPDATE \"A 'quoted' [sheet]\" SET Description = ? WHERE Code = 1",
                       {db::Value(std::string(9000, 'd'))});
    }
    script.answerMsgBox(platform::vbOK);
    CompactFile();
    ASSERT_EQ(script.prompts().size(), 3u);
    EXPECT_TRUE(script.prompts()[2].startsWith(
        "Error compacting database. In worksheet \"A 'quoted' [sheet]\", spectrum 1: its "
        "Description holds a text of 9000 characters, too long for the field (at most 255).\n\n"))
        << script.prompts()[2].toStdString();
    gFilePath.clear();
}

} // namespace
