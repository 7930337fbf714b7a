#include "engine/globals.h"
#include "engine/recalc.h"
#include "engine/summary.h"
#include "platform/db/recordset.h"
#include "platform/ui.h"
#include "tables/globals.h"
#include "tables/type_tables.h"
#include "tests/support/dialog_script.h"
#include "tests/support/worksheet_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::BoundWorksheet;
using testing_support::DialogScript;
using testing_support::SpectrumRow;
using testing_support::WorksheetFile;

namespace {

class RecalcSheet_ : public ::testing::Test {
protected:
    void SetUp() override {
        static bool filled = false;
        if (!filled) FillTables();
        filled = true;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = (std::filesystem::temp_directory_path() /
                 (std::string("recalc-") + info->name() + ".db"))
                    .string();
        std::filesystem::remove(path_);
        file_ = std::make_unique<WorksheetFile>(path_);
        gNoRecalc = false;
        gBusy = false;
    }
    void TearDown() override {
        gActiveSheet = nullptr;
        sheet_.reset();
        file_.reset();
        std::filesystem::remove(path_);
    }
    // Makes the sheet and a window-less form bound to it the active sheet.
    BoundWorksheet& open(const std::vector<SpectrumRow>& rows, int system = 1, int firstBand = 14,
                         db::SheetKind kind = db::SheetKind::Worksheet) {
        file_->addSheet("Sheet 'A'", system, firstBand, rows);
        sheet_ = std::make_unique<BoundWorksheet>(*file_, "Sheet 'A'", kind);
        gActiveSheet = sheet_.get();
        return *sheet_;
    }
    db::Value stored(int code, const std::string& field) {
        return file_->database()->scalar("SELECT " + db::quoteIdent(field) +
                                             " FROM \"Sheet 'A'\" WHERE Code = ?",
                                         {db::Value(code)});
    }
    double band(int code, int j) { return stored(code, "L" + std::to_string(j)).toDouble(); }
    std::string rating(const std::string& type, std::vector<double> bands, int firstBand = 14,
                       int count = 10) {
        BandArray b;
        for (int j = 1; j <= count; ++j)
            b[j] = j <= static_cast<int>(bands.size()) ? bands[static_cast<size_t>(j - 1)] : -999;
        return CalcSummary(summaryTypeNumber(type), b, firstBand, count);
    }

    std::string path_;
    std::unique_ptr<WorksheetFile> file_;
    std::unique_ptr<BoundWorksheet> sheet_;
};

std::vector<double> flat(double v, int n = 10) {
    return std::vector<double>(static_cast<size_t>(n), v);
}

TEST_F(RecalcSheet_, DoesNothingWhenItMustNot) {
    const struct {
        const char* what;
        bool noRecalc;
        bool empty;
        db::SheetKind kind;
    } cases[] = {
        {"gNoRecalc set", true, false, db::SheetKind::Worksheet},
        {"empty sheet", false, true, db::SheetKind::Worksheet},
        {"datasheet", false, false, db::SheetKind::Datasheet},
    };
    for (const auto& c : cases) {
        SetUp();
        std::vector<SpectrumRow> rows(c.empty ? 0 : 2);
        if (!c.empty) {
            rows[0].bands = flat(60);
            rows[1].formula = "s1 + 10";
        }
        open(rows, 1, 14, c.kind);
        gNoRecalc = c.noRecalc;
        DialogScript script; // no message may appear
        RecalcSheet();
        EXPECT_FALSE(gBusy) << c.what;
        if (!c.empty) {
            EXPECT_TRUE(stored(1, "Summary 1 Val").isNull()) << c.what;
            EXPECT_EQ(band(2, 1), -999) << c.what;
        }
        gBusy = true; // not touched either way
        RecalcSheet();
        EXPECT_TRUE(gBusy) << c.what;
        gBusy = false;
        TearDown();
    }
}

TEST_F(RecalcSheet_, WithoutFormulasOnlySummaryTextsAreWritten) {
    const std::string dba = rating("dBA", flat(60));
    const std::string dbl = rating("dBL", flat(60));
    ASSERT_FALSE(dba.empty());
    std::vector<SpectrumRow> rows(3);
    for (auto& r : rows)
        r.bands = flat(60);
    rows[0].sum1Val = db::Value(dba); // already right: stays
    rows[1].sum1Val = db::Value("stale");
    rows[2].sum1Type = "no such type"; // rated as type 0: ""
    rows[2].sum2Val = db::Value(dbl);
    auto& form = open(rows);
    file_->database()->Execute("UPDATE \"Sheet 'A'\" SET L3 = NULL WHERE Code = 3");
    form.Data1.Refresh();
    DialogScript script;
    RecalcSheet();
    EXPECT_FALSE(gBusy);
    EXPECT_EQ(stored(1, "Summary 1 Val").text(), dba);
    EXPECT_EQ(stored(2, "Summary 1 Val").text(), dba);
    EXPECT_EQ(stored(3, "Summary 1 Val").text(), ""); // was Null: written
    EXPECT_FALSE(stored(3, "Summary 1 Val").isNull());
    EXPECT_EQ(stored(1, "Summary 2 Val").text(), dbl);
    EXPECT_TRUE(stored(3, "L3").isNull()); // a Null band with no formula is left alone
    EXPECT_EQ(band(1, 1), 60);
}

TEST_F(RecalcSheet_, LaterSpectraSeeNewValuesEarlierOnesOldValues) {
    std::vector<SpectrumRow> rows(3);
    rows[0].bands = flat(50);
    rows[0].formula = "s2 + 10"; // s2 as read: 40 -> 50
    rows[1].bands = flat(40);
    rows[1].formula = "s3 + 1"; // s3 as read: 30 -> 31
    rows[2].bands = flat(30);
    rows[2].formula = "s1 + 0"; // s1 already new: 50
    open(rows);
    DialogScript script;
    RecalcSheet();
    EXPECT_EQ(band(1, 1), 50);
    EXPECT_EQ(band(2, 10), 31);
    EXPECT_EQ(band(3, 5), 50);
    RecalcSheet(); // the second pass starts from the first one's values
    EXPECT_EQ(band(1, 1), 41);
    EXPECT_EQ(band(2, 1), 51);
    EXPECT_EQ(band(3, 1), 41);
    EXPECT_EQ(stored(3, "Summary 2 Val").text(), rating("dBL", flat(41)));
    EXPECT_TRUE(script.prompts().empty());
}

TEST_F(RecalcSheet_, EachFailingSpectrumGivesItsMessageInOrder) {
    std::vector<SpectrumRow> rows(6);
    for (auto& r : rows)
        r.bands = flat(20);
    rows[2].formula = "(s1";
    rows[3].formula = "s1 + 1";
    rows[4].formula = "s9";
    rows[5].formula = "s4 + 1";
    open(rows);
    DialogScript script;
    script.answerMsgBox(platform::vbOK).answerMsgBox(platform::vbOK);
    RecalcSheet();
    ASSERT_EQ(script.prompts().size(), 2u);
    EXPECT_EQ(script.prompts()[0].left(12), "Spectrum 3: ");
    EXPECT_EQ(script.prompts()[1].left(12), "Spectrum 5: ");
    EXPECT_EQ(band(3, 1), 20); // failing spectra keep their values
    EXPECT_EQ(band(4, 1), 21);
    EXPECT_EQ(band(6, 1), 22);
    EXPECT_EQ(stored(5, "Summary 2 Val").text(), rating("dBL", flat(20)));
    EXPECT_FALSE(gBusy);
}

TEST_F(RecalcSheet_, OctaveSheetsReadAndWriteTenBandsOnly) {
    for (int system : {1, 0, 7, 2}) {
        SetUp();
        std::vector<SpectrumRow> rows(2);
        rows[0].bands = flat(60, 30);
        rows[1].formula = "s1 + 3";
        // A table of 30 bands whose catalogue row gives the band system.
        open(rows, 2, 13);
        file_->database()->Execute("UPDATE \"Sheets List\" SET \"Octave/Third Octave\" = ?",
                                   {db::Value(system)});
        sheet_->Data2.Refresh();
        DialogScript script;
        RecalcSheet();
        const int written = system == 2 ? 30 : 10;
        EXPECT_EQ(band(2, written), 63) << system;
        if (written == 10) {
            EXPECT_EQ(band(2, 11), -999) << system;
        }
        TearDown();
    }
}

TEST_F(RecalcSheet_, NullBandsReadAsNoValue) {
    std::vector<SpectrumRow> rows(2);
    rows[0].bands = flat(60);
    rows[1].formula = "s1 + 10";
    auto& form = open(rows);
    file_->database()->Execute("UPDATE \"Sheet 'A'\" SET L2 = NULL WHERE Code = 1");
    form.Data1.Refresh();
    DialogScript script;
    RecalcSheet();
    EXPECT_EQ(band(2, 1), 70);
    EXPECT_EQ(band(2, 2), -998); // one side without a value: marked, not 10
}

TEST_F(RecalcSheet_, RecordSetPastItsLastRecordIsStillRecalculated) {
    std::vector<SpectrumRow> rows(2);
    rows[0].bands = flat(60);
    rows[1].formula = "s1 - 5";
    auto& form = open(rows);
    form.Data1.recordset().MoveLast();
    form.Data1.recordset().MoveNext();
    ASSERT_TRUE(form.Data1.recordset().eof());
    DialogScript script;
    RecalcSheet();
    EXPECT_EQ(band(2, 4), 55);
    // The window's own record set shows the committed values at once.
    form.Data1.recordset().MoveLast();
    EXPECT_EQ(form.Data1.recordset().Fields("L4").value().toDouble(), 55);
}

TEST_F(RecalcSheet_, WindowStaysQuietWhileTheCloneMoves) {
    std::vector<SpectrumRow> rows(3);
    for (auto& r : rows)
        r.formula = "5";
    auto& form = open(rows);
    int moves = 0;
    bool busyAtMove = false;
    QObject::connect(&form.Data1, &db::DataControl::MoveComplete, [&] {
        ++moves;
        busyAtMove = gBusy;
    });
    DialogScript script;
    RecalcSheet();
    EXPECT_EQ(moves, 0);
    EXPECT_FALSE(busyAtMove);
    EXPECT_EQ(band(3, 7), 5);
}

TEST_F(RecalcSheet_, FailingDataOperationIsReportedOnceAndChangesNothing) {
    std::vector<SpectrumRow> rows(4);
    for (auto& r : rows)
        r.formula = "10";
    auto& form = open(rows);
    // The file refuses the write of record 3 half way through the batch.
    file_->database()->Execute(
        "CREATE TRIGGER refuse BEFORE UPDATE ON \"Sheet 'A'\" WHEN NEW.Code = 3 "
        "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    DialogScript script;
    script.answerMsgBox(platform::vbOK);
    RecalcSheet();
    ASSERT_EQ(script.prompts().size(), 1u);
    EXPECT_TRUE(script.prompts()[0].contains("disk trouble")) << script.prompts()[0].toStdString();
    EXPECT_FALSE(gBusy);
    for (int code = 1; code <= 4; ++code)
        EXPECT_EQ(band(code, 1), -999) << code;
    // Nothing the batch left pending shows in the window.
    EXPECT_EQ(form.Data1.recordset().Fields("L1").value().toDouble(), -999);

    // A sheet whose catalogue row is missing: reported, nothing written.
    file_->database()->Execute("DROP TRIGGER refuse");
    file_->database()->Execute("DELETE FROM \"Sheets List\"");
    form.Data2.Refresh();
    script.answerMsgBox(platform::vbOK);
    RecalcSheet();
    EXPECT_EQ(script.prompts().size(), 2u);
    EXPECT_FALSE(gBusy);
    EXPECT_EQ(band(1, 1), -999);
}

// Asks for a recalculation from inside the first message box, as a window
// being activated under it would.
class ReenteringDialogs final : public platform::DialogHandler {
public:
    ReenteringDialogs() { previous_ = platform::setDialogHandler(this); }
    ~ReenteringDialogs() override { platform::setDialogHandler(previous_); }
    int msgBox(const QString& prompt, int, const QString&) override {
        prompts.push_back(prompt);
        if (prompts.size() == 1) RecalcSheet();
        return platform::vbOK;
    }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject&) override { return 0; }
    std::vector<QString> prompts;

private:
    platform::DialogHandler* previous_ = nullptr;
};

TEST_F(RecalcSheet_, NeverReentersFromItsOwnMessageBox) {
    std::vector<SpectrumRow> rows(3);
    rows[0].formula = "(";
    rows[1].formula = "s1 + 1";
    rows[2].formula = "s2 + 1";
    rows[0].bands = flat(10);
    open(rows);
    ReenteringDialogs dialogs;
    RecalcSheet();
    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(band(3, 1), 12);
    EXPECT_FALSE(gBusy);
    RecalcSheet(); // and it runs again afterwards
    EXPECT_EQ(dialogs.prompts.size(), 2u);
}

} // namespace
