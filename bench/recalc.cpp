// RecalcSheet on third-octave worksheets of 100, 1,000 and 10,000 spectra
// stored in a file on disk: every spectrum after the first few has a formula
// of 3 to 6 operators over earlier spectra, and both summaries are set.
// BM_RecalcSheet recalculates the sheet as the program saves it, nothing to
// change, as each activation of its window does after the first; beside it
// BM_RecalcSheetFully does all the work on the same sheet, as every
// recalculation did before the recalculation kept its work. BM_NeverRated
// is the first recalculation of a sheet never rated (its summary texts
// Null): every record changes. BM_LevelEdit* recalculate after one level of
// the first spectrum (which nearly every formula reads, at once or through
// others) or of the last one (which none reads) changed.
// Besides the whole recalculation, each of its phases is timed on its own:
// reading the records through a clone, evaluating (formulas, then ratings),
// and writing back with the one batch commit. Beside the write phase stands
// its floor: the same rows and fields of a copy of the same file written by
// one prepared UPDATE, bound once per record, in one transaction; both at
// 1,000, 10,000 and 100,000 spectra. On a busy
// machine compare them with --benchmark_filter=BM_Write
// --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true:
// the table at the end then holds the medians.
#include "engine/recalc.h"
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_form.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "tables/globals.h"

#include "bench/scratch_dir.h"

#include "bench/ok_dialogs.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kBands = 30;
constexpr int kFirstBand = 13;
const char* const kSheet = "Worksheet 1";

std::string spectrum(int n) {
    std::string s = "s";
    return s += std::to_string(n);
}

std::string formulaFor(int n) {
    // 3 to 6 operators over earlier spectra and constants.
    const char* ops[] = {" + ", " !+ ", " - ", " * "};
    const int count = 3 + n % 4;
    std::string f = spectrum(1 + n % 4);
    for (int k = 0; k < count; ++k) {
        const char* op = ops[(n + k) % 4];
        std::string operand =
            k % 2 ? std::to_string(1 + (n + k) % 9) : spectrum(1 + (n * 7 + k) % (n - 1));
        if (op[1] == '*') operand = "0.5";
        f += op + operand;
    }
    return f;
}

// A worksheet file of `records` spectra, made once per size.
const std::string& pristineFile(int records) {
    static std::map<int, std::string> files;
    auto& path = files[records];
    if (!path.empty()) return path;
    path = bench::scratchFile("recalc-" + std::to_string(records) + ".db");
    auto db = db::Database::create(path);
    db->createTable(db::sheetsListTableDef());
    db->createTable(db::worksheetTableDef(kSheet, kBands));
    db->Execute("INSERT INTO \"Sheets List\" VALUES (?, 2, ?, '')",
                {db::Value(kSheet), db::Value(kFirstBand)});
    const char* types[][2] = {{"dBA", "dBL"}, {"NR", "dBC"}, {"Rw", "C"}, {"Max", "NC"}};
    auto rs = db->OpenRecordset(kSheet, {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= records; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        rs.Fields("Summary 1 Type") = db::Value(types[n % 4][0]);
        rs.Fields("Summary 2 Type") = db::Value(types[n % 4][1]);
        if (n > 4) rs.Fields("Formula") = db::Value(formulaFor(n));
        for (int j = 1; j <= kBands; ++j)
            rs.Fields(db::kFieldFormula + j) = db::Value(30.0 + (n * 13 + j * 7) % 50);
    }
    rs.UpdateBatch();
    return path;
}

// A fresh working copy of the file.
std::string workingCopy(int records) {
    const std::string path = pristineFile(records) + ".work";
    fs::copy_file(pristineFile(records), path, fs::copy_options::overwrite_existing);
    return path;
}

// A working copy bound to a window-less worksheet form.
struct Bound {
    std::unique_ptr<db::SheetForm> form;
    explicit Bound(int records) {
        const std::string path = workingCopy(records);
        form = std::make_unique<db::SheetForm>(db::SheetKind::Worksheet);
        db::bindWorksheet(*form, "Data Source=" + path, kSheet);
    }
    db::Recordset clone() const {
        return form->Data1.recordset().Clone(db::LockType::BatchOptimistic);
    }
    RecalcSheetInput read() const {
        db::Recordset records = clone();
        return readRecalcInput(records, form->Data2.recordset());
    }
};

void fillOnce() {
    static bool done = false;
    if (!done) FillTables();
    done = true;
}

int records(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

// The recalculation of the sheet as the program leaves it, with nothing to
// change, on a window whose first activation recalculated it.
template <void (*recalc)()> void recalcSaved(benchmark::State& state) {
    fillOnce();
    OkDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    Bound bound(records(state));
    gActiveSheet = bound.form.get();
    RecalcSheet();
    for (auto _ : state)
        recalc();
    gActiveSheet = nullptr;
    if (dialogs.shown) state.SkipWithError("the recalculation showed a message");
    platform::setDialogHandler(nullptr);
    state.SetComplexityN(state.range(0));
}

void BM_RecalcSheet(benchmark::State& state) {
    recalcSaved<RecalcSheet>(state);
}

void BM_RecalcSheetFully(benchmark::State& state) {
    recalcSaved<RecalcSheetFully>(state);
}

// One level of the first spectrum (range(1) = 1) or the last one changed
// through the window's record set, as a level box stores it, then the
// recalculation; the window was activated once before.
template <void (*recalc)()> void levelEdit(benchmark::State& state) {
    fillOnce();
    OkDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    Bound bound(records(state));
    gActiveSheet = bound.form.get();
    RecalcSheet();
    db::Recordset& rs = bound.form->Data1.recordset();
    const int position = state.range(1) ? 1 : records(state);
    double level = 40;
    for (auto _ : state) {
        state.PauseTiming();
        rs.setAbsolutePosition(position);
        level = level == 40 ? 41.5 : 40;
        rs.Fields(db::kFirstBandField + 4) = db::Value(level);
        rs.Update();
        state.ResumeTiming();
        recalc();
    }
    gActiveSheet = nullptr;
    if (dialogs.shown) state.SkipWithError("the recalculation showed a message");
    platform::setDialogHandler(nullptr);
}

void BM_LevelEdit(benchmark::State& state) {
    levelEdit<RecalcSheet>(state);
}

void BM_LevelEditFully(benchmark::State& state) {
    levelEdit<RecalcSheetFully>(state);
}

template <void (*recalc)()> void neverRated(benchmark::State& state) {
    fillOnce();
    OkDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    for (auto _ : state) {
        state.PauseTiming();
        auto bound = std::make_unique<Bound>(records(state));
        gActiveSheet = bound->form.get();
        state.ResumeTiming();
        recalc();
        state.PauseTiming();
        gActiveSheet = nullptr;
        bound.reset();
        state.ResumeTiming();
    }
    if (dialogs.shown) state.SkipWithError("the recalculation showed a message");
    platform::setDialogHandler(nullptr);
    state.SetComplexityN(state.range(0));
}

void BM_NeverRated(benchmark::State& state) {
    neverRated<RecalcSheet>(state);
}

void BM_NeverRatedFully(benchmark::State& state) {
    neverRated<RecalcSheetFully>(state);
}

void BM_Read(benchmark::State& state) {
    fillOnce();
    Bound bound(records(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(bound.read());
    state.SetComplexityN(state.range(0));
}

void BM_Evaluate(benchmark::State& state) {
    fillOnce();
    const RecalcSheetInput input = Bound(records(state)).read();
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluateRecalc(input, false));
    state.SetComplexityN(state.range(0));
}

// The formulas alone: summary types that name no rating are not rated.
void BM_EvaluateFormulasOnly(benchmark::State& state) {
    fillOnce();
    RecalcSheetInput input = Bound(records(state)).read();
    for (auto* types : {&input.pass.summary1Types, &input.pass.summary2Types})
        for (auto& t : *types)
            t.clear();
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluateRecalc(input, false));
    state.SetComplexityN(state.range(0));
}

// Writing the changed bands and summary texts into the clone and the batch
// commit, on a fresh copy of the file each time.
void BM_Write(benchmark::State& state) {
    fillOnce();
    for (auto _ : state) {
        state.PauseTiming();
        auto bound = std::make_unique<Bound>(records(state));
        db::Recordset clone = bound->clone();
        RecalcSheetInput input = readRecalcInput(clone, bound->form->Data2.recordset());
        RecalcPassOutput output = evaluateRecalc(std::move(input), false);
        state.ResumeTiming();
        writeRecalcResult(clone, input, std::move(output));
        state.PauseTiming();
        clone.Close();
        bound.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

// What SQLite alone needs for what BM_Write writes there: the summary texts
// and every band of every record (the write phase writes the same fields of
// every record it changes, and it changes every one, their summary texts
// being Null), through a connection opened as the program opens its files.
void BM_WriteFloor(benchmark::State& state) {
    fillOnce();
    const RecalcSheetInput input = Bound(records(state)).read();
    const RecalcPassOutput out = evaluateRecalc(input, false);
    const int count = input.pass.values.records();
    std::string sql =
        "UPDATE " + db::quoteIdent(kSheet) + " SET \"Summary 1 Val\" = ?, \"Summary 2 Val\" = ?";
    const db::TableDef table = db::worksheetTableDef(kSheet, kBands);
    for (int j = 1; j <= kBands; ++j)
        sql += ", " + db::quoteIdent(table.fields[db::kFieldFormula + j].name) + " = ?";
    sql += " WHERE rowid = ?";
    for (auto _ : state) {
        state.PauseTiming();
        auto db = db::Database::open(workingCopy(records(state)));
        std::vector<sqlite3_int64> rowids;
        {
            db::Statement st(*db,
                             "SELECT rowid FROM " + db::quoteIdent(kSheet) + " ORDER BY \"Code\"");
            while (st.step())
                rowids.push_back(sqlite3_column_int64(st.handle(), 0));
        }
        sqlite3* h = db->handle();
        state.ResumeTiming();
        sqlite3_stmt* st = nullptr;
        bool ok = sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) == SQLITE_OK;
        for (int n = 1; ok && n <= count; ++n) {
            const auto row = static_cast<size_t>(n);
            sqlite3_bind_text(st, 1, out.summary1Vals[row].c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 2, out.summary2Vals[row].c_str(), -1, SQLITE_STATIC);
            for (int j = 1; j <= kBands; ++j)
                sqlite3_bind_double(st, 2 + j, out.values(n, j));
            sqlite3_bind_int64(st, 3 + kBands, rowids[row - 1]);
            ok = sqlite3_step(st) == SQLITE_DONE && sqlite3_changes(h) == 1;
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        ok = ok && sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        state.PauseTiming();
        if (!ok) state.SkipWithError(sqlite3_errmsg(h));
        db.reset();
        state.ResumeTiming();
        if (!ok) break;
    }
    state.SetComplexityN(state.range(0));
}

#define SIZES ->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity()
// The write and its floor up to 100,000 records, where the gap grew.
#define WRITE_SIZES                                                                                \
    ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity()
BENCHMARK(BM_RecalcSheet) SIZES;
BENCHMARK(BM_RecalcSheetFully) SIZES;
BENCHMARK(BM_NeverRated) SIZES->Iterations(5);
BENCHMARK(BM_NeverRatedFully) SIZES->Iterations(5);
#define EDIT_SIZES                                                                                 \
    ->ArgsProduct({{1000, 10000}, {0, 1}})                                                         \
        ->ArgNames({"records", "first"})                                                           \
        ->Unit(benchmark::kMillisecond)
// The last spectrum, which no formula reads, of 100,000 too: about what it
// costs at 1,000.
BENCHMARK(BM_LevelEdit) EDIT_SIZES->Args({100000, 0});
BENCHMARK(BM_LevelEditFully) EDIT_SIZES;
BENCHMARK(BM_Read) SIZES;
BENCHMARK(BM_Evaluate) SIZES;
BENCHMARK(BM_EvaluateFormulasOnly) SIZES;
BENCHMARK(BM_Write) WRITE_SIZES->Iterations(10);
BENCHMARK(BM_WriteFloor) WRITE_SIZES->Iterations(10);

// The console report, then the write phase beside its floor for each size,
// in time passed and in processor time (which waits for the disk leave out).
class SideBySide final : public benchmark::ConsoleReporter {
public:
    SideBySide() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string& name = r.run_name.function_name;
            if (r.error_occurred || (name != "BM_Write" && name != "BM_WriteFloor")) continue;
            // With repetitions, the median of a size stands for it.
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.run_type != Run::RT_Iteration && !median) continue;
            const int size = std::stoi(r.run_name.args);
            Times& t = sizes_[size];
            Time& time = name == "BM_Write" ? t.write : t.floor;
            if (median || !time.median)
                time = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime(), median};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (sizes_.empty()) return;
        std::ostream& out = GetOutputStream();
        char line[120];
        std::snprintf(line, sizeof line, "\n%8s %10s %10s %6s %10s %10s %6s\n", "records",
                      "write ms", "floor ms", "ratio", "write cpu", "floor cpu", "ratio");
        out << line;
        for (const auto& [size, t] : sizes_) {
            if (t.write.real <= 0 || t.floor.real <= 0) continue;
            std::snprintf(line, sizeof line, "%8d %10.1f %10.1f %6.2f %10.1f %10.1f %6.2f\n", size,
                          t.write.real, t.floor.real, t.write.real / t.floor.real, t.write.cpu,
                          t.floor.cpu, t.write.cpu / t.floor.cpu);
            out << line;
        }
        out.flush();
    }

private:
    struct Time {
        double real = 0;
        double cpu = 0;
        bool median = false;
    };
    struct Times {
        Time write;
        Time floor;
    };
    std::map<int, Times> sizes_;
};

} // namespace

int main(int argc, char** argv) {
    SideBySide reporter;
    return bench::runBenchmarks(argc, argv, &reporter);
}
