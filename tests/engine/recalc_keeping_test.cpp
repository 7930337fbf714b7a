// The recalculation that keeps its work between passes against the one that
// does all of it: twin files of a random worksheet, each bound as a window
// binds it, take the same random edits (levels, formulas, types and summary
// types, inserts, deletes, pastes, undos, changes of other programs, batch
// changes, First Band), one recalculated by RecalcSheet, the other by
// RecalcSheetFully; after every step both files, both windows' rows and the
// messages shown must be the same, bit for bit.
//
// BANDWRIGHT_RECALC_SEED=n adds a run from seed n (and its neighbours, with
// BANDWRIGHT_RECALC_RUNS=k) to the fixed ones.
#include "engine/globals.h"
#include "engine/recalc.h"
#include "engine/summary.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/db/statement.h"
#include "platform/ui.h"
#include "tables/globals.h"
#include "tables/type_tables.h"
#include "tables/vocabulary.h"
#include "tests/support/worksheet_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using testing_support::BoundWorksheet;
using testing_support::SpectrumRow;
using testing_support::WorksheetFile;

namespace {

const std::string kSheet = "Sheet 1";

// Every message box is answered OK and its text kept.
class Messages final : public platform::DialogHandler {
public:
    int msgBox(const QString& prompt, int, const QString&) override {
        shown.push_back(prompt.toStdString());
        return platform::vbOK;
    }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject&) override { return 0; }
    std::vector<std::string> shown;
};

// One file and a window-less form bound to its sheet.
struct Twin {
    std::string path;
    std::unique_ptr<WorksheetFile> file;
    std::unique_ptr<BoundWorksheet> sheet;
    db::Recordset& rows() { return sheet->Data1.recordset(); }
    db::Database& database() { return *file->database(); }
};

class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(engine_); }
    template <class T> const T& pick(const std::vector<T>& v) {
        return v[static_cast<size_t>(between(0, static_cast<int>(v.size()) - 1))];
    }

    double level() {
        switch (between(0, 9)) {
        case 0:
            return -999;
        case 1:
            return -998;
        case 2:
            return -997;
        case 3:
            return 0;
        case 4:
            return -between(1, 40) / 4.0;
        default:
            return between(100, 1100) / 10.0 + between(0, 99) / 1000.0;
        }
    }

    std::string summaryType() {
        if (chance(0.05)) return chance(0.5) ? "" : "no such type";
        return gSummaryTypes[static_cast<size_t>(between(1, gSummaryTypeCount))];
    }

    // A formula over a sheet of `records` spectra: references before and
    // after (the own one and some past the end too), numbers, constants,
    // "F", every function and operator, brackets; now and then a broken one.
    std::string formula(int records) {
        if (chance(0.04)) return pick(std::vector<std::string>{"(s1", "s", "s1 +", "?", "s1)"});
        std::string f = expression(records, 0);
        while (f.size() > 200) // the field holds 255 characters
            f = expression(records, 1);
        return f;
    }

private:
    std::string expression(int records, int depth) {
        std::string text = term(records, depth);
        for (int k = between(0, depth < 2 ? 3 : 1); k > 0; --k)
            text += " " + gOperators[static_cast<size_t>(between(1, gOperatorCount))].text + " " +
                    term(records, depth);
        return text;
    }
    std::string term(int records, int depth) {
        const int kind = between(0, depth < 2 ? 9 : 5);
        if (kind <= 3) { // mostly a spectrum that exists, now and then one that does not
            const int n = chance(0.05) ? between(0, records + 2) : between(1, records);
            return "s" + std::to_string(n);
        }
        if (kind == 4) return std::to_string(between(-20, 120) / (chance(0.5) ? 1 : 4.0));
        if (kind == 5)
            return chance(0.2) ? "F" : gConstNames[static_cast<size_t>(between(1, gConstCount))];
        if (kind <= 7) return "(" + expression(records, depth + 1) + ")";
        std::string call = gFuncNames[static_cast<size_t>(between(1, gFuncCount))] + "(";
        for (int a = between(0, 3), first = 1; a > 0; --a, first = 0)
            call += (first ? "" : ",") + (chance(0.1) ? "" : expression(records, depth + 1));
        return call + ")";
    }
    std::mt19937 engine_;
};

// Memory, where the machine has a folder in it: each step commits twice,
// and a disk's syncs would take minutes.
std::filesystem::path scratchFolder() {
    std::error_code e;
    if (std::filesystem::is_directory("/dev/shm", e)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

int bandCountOf(int system) {
    return system == 2 ? 30 : 10;
}

// The same bits in the file: every field of every row, in Code order.
void expectSameFiles(Twin& a, Twin& b, const std::string& where) {
    const std::string sql = "SELECT * FROM " + db::quoteIdent(kSheet) + " ORDER BY \"Code\"";
    db::Statement x(a.database(), sql);
    db::Statement y(b.database(), sql);
    int row = 0;
    for (;;) {
        ++row;
        const bool more = x.step();
        ASSERT_EQ(more, y.step()) << where << ": row count differs at row " << row;
        if (!more) break;
        sqlite3_stmt* p = x.handle();
        sqlite3_stmt* q = y.handle();
        for (int c = 0; c < sqlite3_column_count(p); ++c) {
            const int type = sqlite3_column_type(p, c);
            ASSERT_EQ(type, sqlite3_column_type(q, c))
                << where << ": row " << row << " field " << c;
            if (type == SQLITE_FLOAT) {
                ASSERT_EQ(std::bit_cast<std::uint64_t>(sqlite3_column_double(p, c)),
                          std::bit_cast<std::uint64_t>(sqlite3_column_double(q, c)))
                    << where << ": row " << row << " field " << c << ": "
                    << sqlite3_column_double(p, c) << " / " << sqlite3_column_double(q, c);
            } else if (type != SQLITE_NULL) {
                const auto* s = reinterpret_cast<const char*>(sqlite3_column_text(p, c));
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(q, c));
                ASSERT_STREQ(s, t) << where << ": row " << row << " field " << c;
            }
        }
    }
}

// The same values in both windows' rows.
void expectSameRows(Twin& a, Twin& b, const std::string& where) {
    db::Recordset& x = a.rows();
    db::Recordset& y = b.rows();
    ASSERT_EQ(x.RecordCount(), y.RecordCount()) << where;
    for (int n = 1; n <= x.RecordCount(); ++n) {
        const auto p = x.rowValues(n);
        const auto q = y.rowValues(n);
        ASSERT_EQ(p.size(), q.size());
        for (size_t f = 0; f < p.size(); ++f) {
            ASSERT_EQ(p[f].kind(), q[f].kind()) << where << ": record " << n << " field " << f;
            if (p[f].kind() == db::Value::Kind::Double)
                ASSERT_EQ(std::bit_cast<std::uint64_t>(p[f].toDouble()),
                          std::bit_cast<std::uint64_t>(q[f].toDouble()))
                    << where << ": record " << n << " field " << f;
            else
                ASSERT_TRUE(p[f] == q[f]) << where << ": record " << n << " field " << f;
        }
    }
}

class RecalcKeeping : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool filled = false;
        if (!filled) FillTables();
        filled = true;
    }
    void SetUp() override {
        gNoRecalc = false;
        gBusy = false;
        previous_ = platform::setDialogHandler(&messages_);
    }
    void TearDown() override {
        gActiveSheet = nullptr;
        platform::setDialogHandler(previous_);
        for (Twin* t : {&keeping_, &full_}) {
            t->sheet.reset();
            t->file.reset();
            if (!t->path.empty()) std::filesystem::remove(t->path);
        }
    }

    // Both twins of a random sheet.
    void makeSheets(Random& random, unsigned seed) {
        const int system = random.chance(0.5) ? 2 : 1;
        bands_ = bandCountOf(system);
        const int records = random.between(3, 28);
        std::vector<SpectrumRow> rows(static_cast<size_t>(records));
        for (auto& r : rows) {
            for (int j = 0; j < bands_; ++j)
                r.bands.push_back(random.level());
            if (random.chance(0.6)) r.formula = random.formula(records);
            r.sum1Type = random.summaryType();
            r.sum2Type = random.summaryType();
            if (random.chance(0.2)) r.sum1Val = db::Value("stale");
        }
        const int firstBand = system == 2 ? random.between(12, 14) : 14;
        int k = 0;
        for (Twin* t : {&keeping_, &full_}) {
            t->path = (scratchFolder() / ("recalc-keeping-" + std::to_string(seed) + "-" +
                                          std::to_string(k++) + ".db"))
                          .string();
            std::filesystem::remove(t->path);
            t->file = std::make_unique<WorksheetFile>(t->path);
            t->file->addSheet(kSheet, system, firstBand, rows);
            // The undo backup of the sheet, as the windows keep it.
            t->database().createTable(db::worksheetTableDef("~Backup", bands_));
            t->sheet = std::make_unique<BoundWorksheet>(*t->file, kSheet);
        }
    }

    // Runs both recalculations and compares what they left and showed.
    void recalcAndCompare(const std::string& where) {
        gActiveSheet = keeping_.sheet.get();
        messages_.shown.clear();
        RecalcSheet();
        const std::vector<std::string> kept = messages_.shown;
        gActiveSheet = full_.sheet.get();
        messages_.shown.clear();
        RecalcSheetFully();
        gActiveSheet = nullptr;
        ASSERT_EQ(kept, messages_.shown) << where;
        expectSameFiles(keeping_, full_, where);
        expectSameRows(keeping_, full_, where);
    }

    // One random edit, the same on both twins; returns what it was.
    std::string edit(Random& random) {
        const int records = keeping_.rows().RecordCount();
        const int p = random.between(1, std::max(records, 1));
        const int kind = random.between(0, 99);
        std::function<void(Twin&)> apply;
        std::string what;
        if (records == 0 || kind >= 96) { // a spectrum added at the end
            std::vector<double> levels;
            for (int j = 0; j < bands_; ++j)
                levels.push_back(random.level());
            const std::string f = random.chance(0.5) ? random.formula(records + 1) : "";
            what = "add at the end, formula " + f;
            apply = [levels, f](Twin& t) {
                db::Recordset& rs = t.rows();
                const int code = static_cast<int>(
                    t.database()
                        .scalar("SELECT COALESCE(MAX(Code), 0) + 1 FROM " + db::quoteIdent(kSheet))
                        .toLong());
                rs.AddNew();
                rs.Fields("Code") = db::Value(code);
                if (!f.empty()) rs.Fields("Formula") = db::Value(f);
                for (size_t j = 0; j < levels.size(); ++j)
                    rs.Fields(db::kFirstBandField + static_cast<int>(j)) = db::Value(levels[j]);
                rs.Update();
            };
        } else if (kind < 40) { // a level typed into a level box
            const int j = random.between(1, bands_);
            const double v = random.level();
            const bool null = random.chance(0.03);
            what = "level " + std::to_string(j) + " of " + std::to_string(p) + " = " +
                   (null ? "Null" : std::to_string(v));
            apply = [p, j, v, null](Twin& t) {
                db::Recordset& rs = t.rows();
                rs.setAbsolutePosition(p);
                rs.Fields(db::kFieldFormula + j) = null ? db::Value::null() : db::Value(v);
                rs.Update();
            };
        } else if (kind < 55) { // a formula typed into the grid
            const std::string f = random.chance(0.15) ? "" : random.formula(records);
            what = "formula of " + std::to_string(p) + " = " + f;
            apply = [p, f](Twin& t) {
                db::Recordset& rs = t.rows();
                rs.setAbsolutePosition(p);
                rs.Fields("Formula") = f.empty() ? db::Value::null() : db::Value(f);
                rs.Update();
            };
        } else if (kind < 65) { // a spectrum or summary type chosen
            const int which = random.between(1, 3);
            const std::string type = which == 3 ? "Sound Power" : random.summaryType();
            const bool stale = random.chance(0.3);
            what = "type " + std::to_string(which) + " of " + std::to_string(p) + " = " + type;
            apply = [p, which, type, stale](Twin& t) {
                db::Recordset& rs = t.rows();
                rs.setAbsolutePosition(p);
                if (which == 3) {
                    rs.Fields("Type") = db::Value(type);
                } else {
                    const std::string n = std::to_string(which);
                    rs.Fields("Summary " + n + " Type") = db::Value(type);
                    // What the chooser writes: the rating as it stands, or
                    // a text the recalculation must put right.
                    const int count = rs.Fields().Count() - db::kFirstBandField;
                    BandArray b;
                    for (int j = 1; j <= count; ++j) {
                        const db::Value v = rs.Fields(db::kFieldFormula + j).value();
                        b[j] = v.isNull() ? -999 : v.toDouble();
                    }
                    rs.Fields("Summary " + n + " Val") =
                        stale ? db::Value("stale")
                              : db::Value(CalcSummary(summaryTypeNumber(type), b, 14, count));
                }
                rs.Update();
            };
        } else if (kind < 72) { // a spectrum deleted
            what = "delete " + std::to_string(p);
            apply = [p](Twin& t) {
                db::Recordset& rs = t.rows();
                rs.setAbsolutePosition(p);
                rs.Delete();
            };
        } else if (kind < 76) { // deleted, and one added at the end: as many as before
            const std::string f = random.formula(records);
            const double v = random.level();
            what = "delete " + std::to_string(p) + " and add " + f;
            apply = [p, f, v](Twin& t) {
                db::Recordset& rs = t.rows();
                rs.setAbsolutePosition(p);
                rs.Delete();
                rs.AddNew();
                rs.Fields("Code") =
                    t.database().scalar("SELECT MAX(Code) + 1 FROM " + db::quoteIdent(kSheet));
                rs.Fields("Formula") = db::Value(f);
                rs.Fields(db::kFirstBandField) = db::Value(v);
                rs.Update();
            };
        } else if (kind < 79) { // a spectrum inserted before p, the sheet read again
            const std::string f = random.formula(records + 1);
            what = "insert at " + std::to_string(p) + ": " + f;
            apply = [p, f](Twin& t) {
                db::Database& d = t.database();
                const std::string table = db::quoteIdent(kSheet);
                d.Execute("UPDATE " + table + " SET Code = -(Code + 1) WHERE Code >= ?",
                          {db::Value(p)});
                d.Execute("UPDATE " + table + " SET Code = -Code WHERE Code < 0");
                d.Execute("INSERT INTO " + table + " (Code, Formula, L1) VALUES (?, ?, 55)",
                          {db::Value(p), db::Value(f)});
                t.sheet->Data1.Refresh();
            };
        } else if (kind < 85) { // a paste over several spectra
            const int count = random.between(1, 4);
            std::vector<std::vector<double>> levels;
            std::vector<std::string> formulas;
            for (int k = 0; k < count; ++k) {
                levels.emplace_back();
                for (int j = 0; j < bands_; ++j)
                    levels.back().push_back(random.level());
                formulas.push_back(random.chance(0.4) ? random.formula(records) : "");
            }
            what = "paste " + std::to_string(count) + " at " + std::to_string(p);
            apply = [p, levels, formulas](Twin& t) {
                db::Recordset& rs = t.rows();
                for (size_t k = 0; k < levels.size(); ++k) {
                    if (p + static_cast<int>(k) > rs.RecordCount()) break;
                    rs.setAbsolutePosition(p + static_cast<int>(k));
                    for (size_t j = 0; j < levels[k].size(); ++j)
                        rs.Fields(db::kFirstBandField + static_cast<int>(j)) =
                            db::Value(levels[k][j]);
                    rs.Fields("Formula") =
                        formulas[k].empty() ? db::Value::null() : db::Value(formulas[k]);
                    rs.Update();
                }
            };
        } else if (kind < 89) { // the undo backup taken, or the sheet put back from it
            const bool undo = random.chance(0.5);
            what = undo ? "undo" : "backup";
            apply = [undo](Twin& t) {
                db::Database& d = t.database();
                const std::string table = db::quoteIdent(kSheet);
                if (undo && d.scalar("SELECT COUNT(*) FROM \"~Backup\"").toLong() > 0) {
                    d.Execute("DELETE FROM " + table);
                    d.Execute("INSERT INTO " + table + " SELECT * FROM \"~Backup\"");
                    t.sheet->Data1.Refresh();
                } else {
                    d.Execute("DELETE FROM \"~Backup\"");
                    d.Execute("INSERT INTO \"~Backup\" SELECT * FROM " + table);
                }
            };
        } else if (kind < 92) { // changes written through a batch clone
            const int j = random.between(1, bands_);
            const double v = random.level();
            // Or set as the batch visits the record, as the recalculation writes.
            const bool visiting = random.chance(0.5);
            what = std::string(visiting ? "visiting " : "") + "batch level " + std::to_string(j) +
                   " of " + std::to_string(p);
            apply = [p, j, v, visiting](Twin& t) {
                db::Recordset clone = t.rows().Clone(db::LockType::BatchOptimistic);
                const int field = db::kFieldFormula + j;
                if (visiting) {
                    clone.UpdateBatch({field}, {p}, [&](db::BatchRecord& record) {
                        record.setValue(field, db::Value(v));
                    });
                } else {
                    clone.setAbsolutePosition(p);
                    clone.Fields(field) = db::Value(v);
                    clone.Update();
                    clone.UpdateBatch();
                }
                clone.Close();
            };
        } else if (kind < 94) { // another program's change, then the sheet read again
            const double v = random.level();
            what = "other program sets L1 of Code " + std::to_string(p);
            apply = [p, v](Twin& t) {
                auto other = db::Database::open(t.path);
                other->Execute("UPDATE " + db::quoteIdent(kSheet) + " SET L1 = ? WHERE Code = ?",
                               {db::Value(v), db::Value(p)});
                other.reset();
                t.sheet->Data1.Refresh();
            };
        } else { // the sheet's First Band
            const int firstBand = random.between(12, 15);
            what = "First Band " + std::to_string(firstBand);
            apply = [firstBand](Twin& t) {
                t.database().Execute("UPDATE \"Sheets List\" SET \"First Band\" = ?",
                                     {db::Value(firstBand)});
                t.sheet->Data2.Refresh();
            };
        }
        apply(keeping_);
        apply(full_);
        return what;
    }

    void run(unsigned seed, int steps) {
        Random random(seed);
        makeSheets(random, seed);
        std::ostringstream history;
        history << "seed " << seed;
        recalcAndCompare(history.str() + ", first recalculation");
        for (int step = 1; step <= steps && !HasFatalFailure(); ++step) {
            history << "\n  " << step << ": " << edit(random);
            // With "On Changing Records" several edits come before one.
            if (random.chance(0.8)) recalcAndCompare(history.str());
        }
        recalcAndCompare(history.str() + "\n  last recalculation");
        TearDown();
        SetUp();
    }

    Messages messages_;
    platform::DialogHandler* previous_ = nullptr;
    Twin keeping_, full_;
    int bands_ = 10;
};

TEST_F(RecalcKeeping, GivesWhatTheWholePassGivesAfterEveryEdit) {
    for (unsigned seed = 1; seed <= 60 && !HasFatalFailure(); ++seed)
        run(seed, 60);
    if (const char* s = std::getenv("BANDWRIGHT_RECALC_SEED")) {
        const char* r = std::getenv("BANDWRIGHT_RECALC_RUNS");
        const unsigned first = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
        const unsigned runs = r ? static_cast<unsigned>(std::strtoul(r, nullptr, 10)) : 1;
        for (unsigned k = 0; k < runs && !HasFatalFailure(); ++k)
            run(first + k, 200);
    }
}

} // namespace
