// RecalcSheet on third-octave worksheets of 100, 1,000 and 10,000 spectra
// stored in a file on disk: every spectrum after the first few has a formula
// of 3 to 6 operators over earlier spectra, and both summaries are set.
// Besides the whole recalculation, its phases are timed on their own:
// reading the records through a clone, evaluating the formulas, rating both
// summaries, and writing back with the one batch commit.
#include "engine/recalc.h"
#include "engine/globals.h"
#include "engine/recalc_pass.h"
#include "engine/summary.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_form.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "tables/globals.h"
#include "tables/type_tables.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kBands = 30;
constexpr int kFirstBand = 13;
const char* const kSheet = "Worksheet 1";

class OkDialogs final : public platform::DialogHandler {
public:
    int msgBox(const QString&, int, const QString&) override {
        ++shown;
        return platform::vbOK;
    }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject&) override { return 0; }
    int shown = 0;
};

std::string formulaFor(int n) {
    // 3 to 6 operators over earlier spectra and constants.
    const char* ops[] = {" + ", " !+ ", " - ", " * "};
    const int count = 3 + n % 4;
    std::string f = "s" + std::to_string(1 + n % 4);
    for (int k = 0; k < count; ++k) {
        const char* op = ops[(n + k) % 4];
        std::string operand = k % 2 ? std::to_string(1 + (n + k) % 9)
                                    : "s" + std::to_string(1 + (n * 7 + k) % (n - 1));
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
    path =
        (fs::temp_directory_path() / ("bench-recalc-" + std::to_string(records) + ".db")).string();
    fs::remove(path);
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

// A fresh working copy of the file, bound to a window-less worksheet form.
struct Bound {
    std::string path;
    std::unique_ptr<db::SheetForm> form;
    explicit Bound(int records) {
        path = pristineFile(records) + ".work";
        fs::copy_file(pristineFile(records), path, fs::copy_options::overwrite_existing);
        form = std::make_unique<db::SheetForm>(db::SheetKind::Worksheet);
        db::bindWorksheet(*form, "Data Source=" + path, kSheet);
    }
};

void fillOnce() {
    static bool done = false;
    if (!done) FillTables();
    done = true;
}

RecalcPassInput readSheet(db::SheetForm& form) {
    db::Recordset clone = form.Data1.recordset().Clone(db::LockType::BatchOptimistic);
    clone.MoveLast();
    const int records = clone.RecordCount();
    RecalcPassInput in;
    in.bandCount = kBands;
    in.firstBand = kFirstBand;
    in.values.resize(records, kBands);
    in.formulas.assign(static_cast<size_t>(records) + 1, std::string());
    in.summary1Types = in.formulas;
    in.summary2Types = in.formulas;
    clone.MoveFirst();
    for (int n = 1; n <= records; ++n) {
        for (int j = 1; j <= kBands; ++j)
            in.values(n, j) = clone.Fields(db::kFieldFormula + j).value().toDouble();
        in.formulas[static_cast<size_t>(n)] = clone.Fields(db::kFieldFormula).value().toText();
        in.summary1Types[static_cast<size_t>(n)] = clone.Fields(3).value().toText();
        in.summary2Types[static_cast<size_t>(n)] = clone.Fields(5).value().toText();
        clone.MoveNext();
    }
    clone.Close();
    return in;
}

void BM_RecalcSheet(benchmark::State& state) {
    fillOnce();
    OkDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    for (auto _ : state) {
        state.PauseTiming();
        auto bound = std::make_unique<Bound>(static_cast<int>(state.range(0)));
        gActiveSheet = bound->form.get();
        state.ResumeTiming();
        RecalcSheet();
        state.PauseTiming();
        gActiveSheet = nullptr;
        bound.reset();
        state.ResumeTiming();
    }
    if (dialogs.shown) state.SkipWithError("the recalculation showed a message");
    platform::setDialogHandler(nullptr);
    state.SetComplexityN(state.range(0));
}

void BM_Read(benchmark::State& state) {
    fillOnce();
    Bound bound(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(readSheet(*bound.form));
    state.SetComplexityN(state.range(0));
}

void BM_Evaluate(benchmark::State& state) {
    fillOnce();
    Bound bound(static_cast<int>(state.range(0)));
    RecalcPassInput in = readSheet(*bound.form);
    // Summary types that name no rating leave only the formulas to time.
    for (auto& t : in.summary1Types)
        t.clear();
    for (auto& t : in.summary2Types)
        t.clear();
    for (auto _ : state)
        benchmark::DoNotOptimize(runRecalcPass(in, false));
    state.SetComplexityN(state.range(0));
}

void BM_Rate(benchmark::State& state) {
    fillOnce();
    Bound bound(static_cast<int>(state.range(0)));
    const RecalcPassInput in = readSheet(*bound.form);
    const RecalcPassOutput evaluated = runRecalcPass(in, false);
    const int records = in.values.records();
    for (auto _ : state) {
        for (int n = 1; n <= records; ++n) {
            BandArray row;
            for (int j = 1; j <= kBands; ++j)
                row[j] = evaluated.values(n, j);
            const auto r = static_cast<size_t>(n);
            benchmark::DoNotOptimize(
                CalcSummary(summaryTypeNumber(in.summary1Types[r]), row, kFirstBand, kBands));
            benchmark::DoNotOptimize(
                CalcSummary(summaryTypeNumber(in.summary2Types[r]), row, kFirstBand, kBands));
        }
    }
    state.SetComplexityN(state.range(0));
}

// Writing the changed bands and summary texts into the clone and the batch commit.
void BM_WriteAndCommit(benchmark::State& state) {
    fillOnce();
    for (auto _ : state) {
        state.PauseTiming();
        auto bound = std::make_unique<Bound>(static_cast<int>(state.range(0)));
        const RecalcPassInput in = readSheet(*bound->form);
        const RecalcPassOutput out = runRecalcPass(in, false);
        state.ResumeTiming();
        db::Recordset clone = bound->form->Data1.recordset().Clone(db::LockType::BatchOptimistic);
        clone.MoveFirst();
        for (int n = 1; n <= in.values.records(); ++n) {
            for (int j = 1; j <= kBands; ++j)
                if (out.values(n, j) != in.values(n, j))
                    clone.Fields(db::kFieldFormula + j) = db::Value(out.values(n, j));
            clone.Fields(4) = db::Value(out.summary1Vals[static_cast<size_t>(n)]);
            clone.Fields(6) = db::Value(out.summary2Vals[static_cast<size_t>(n)]);
            clone.MoveNext();
        }
        clone.UpdateBatch();
        clone.Close();
        state.PauseTiming();
        bound.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

#define SIZES ->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity()
BENCHMARK(BM_RecalcSheet) SIZES->Iterations(5);
BENCHMARK(BM_Read) SIZES;
BENCHMARK(BM_Evaluate) SIZES;
BENCHMARK(BM_Rate) SIZES;
BENCHMARK(BM_WriteAndCommit) SIZES->Iterations(5);

} // namespace

BENCHMARK_MAIN();
