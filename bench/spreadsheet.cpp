// RecalcSheet beside a spreadsheet's full recalculation of the same sheet:
// 10,000 third-octave spectra, every spectrum after the first few a formula
// of 3 to 6 operators over earlier spectra and constants, both summaries
// set (dBA and dBL, or dBC and Max). RecalcSheet runs on a worksheet file on
// disk, reading, evaluating, rating and writing with its one commit; the
// same sheet as spreadsheet formulas (a formula per band and per summary)
// goes to headless LibreOffice Calc, whose calculateAll() is timed there by
// calc_recalc.py. The spreadsheet's results are checked against the
// worksheet's, and the ratio of the two times ends the table.
//
// Then one change on a sheet of the same spectra of which only every tenth
// is a formula (10 %): a level typed into a worksheet window's level box
// (backup, level, recalculation and their commit, the boxes and chart
// redrawn), beside Calc's one cell set and its recalculation of what depends
// on it (calculate()). Without LibreOffice only our sides run.
#include "engine/globals.h"
#include "engine/recalc.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_form.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "platform/ui.h"
#include "sheets/worksheet_window.h"
#include "tables/band_table.h"
#include "tables/globals.h"

#include "bench/ok_dialogs.h"
#include "bench/scratch_dir.h"
#include "bench/sheet_window_setup.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kSpectra = 10000;
constexpr int kBands = 30;
constexpr int kFirstBand = 13;
const char* const kSheet = "Worksheet 1";

double level(int n, int j) {
    return 30.0 + (n * 13 + j * 7) % 50;
}

bool aWeighted(int n) {
    return n % 2 == 0; // dBA and dBL; else dBC and Max
}

// Spreadsheet column of band j, or of the two summaries after the bands.
std::string column(int j) {
    std::string c;
    for (int k = j; k > 0; k = (k - 1) / 26)
        c.insert(c.begin(), static_cast<char>('A' + (k - 1) % 26));
    return c;
}

// Spectrum n's formula (n > 4) in the worksheet's language, bracketed so
// that both languages read it alike, and as a spreadsheet formula of band
// column `col`.
struct Formula {
    std::string worksheet, spreadsheet;
};

Formula formulaFor(int n, const std::string& col) {
    auto ref = [&](int m) { return Formula{"s" + std::to_string(m), col + std::to_string(m)}; };
    const char* ops[] = {"+", "!+", "-", "*"};
    Formula f = ref(1 + n % 4);
    for (int k = 0; k < 3 + n % 4; ++k) {
        const std::string op = ops[(n + k) % 4];
        Formula r = k % 2
                        ? Formula{std::to_string(1 + (n + k) % 9), std::to_string(1 + (n + k) % 9)}
                        : ref(1 + (n * 7 + k) % (n - 1));
        if (op == "*") r = {"0.5", "0.5"};
        f.worksheet = "(" + f.worksheet + " " + op + " " + r.worksheet + ")";
        f.spreadsheet =
            op == "!+" ? "10*LOG10(10^((" + f.spreadsheet + ")/10)+10^((" + r.spreadsheet + ")/10))"
                       : "(" + f.spreadsheet + op + r.spreadsheet + ")";
    }
    return f;
}

// Which spectra are formulas: every one after the first four, or only
// every tenth of them.
bool everyFormula(int n) {
    return n > 4;
}
bool tenthFormula(int n) {
    return n > 4 && n % 10 == 0;
}

std::string makeSheetFile(const std::string& fileName, const std::string& table,
                          bool (*isFormula)(int)) {
    const std::string path = bench::scratchFile(fileName);
    auto db = db::Database::create(path);
    db->createTable(db::sheetsListTableDef());
    db->createTable(db::worksheetTableDef(table, kBands));
    db->Execute("INSERT INTO \"Sheets List\" VALUES (?, 2, ?, '')",
                {db::Value(table), db::Value(kFirstBand)});
    auto rs = db->OpenRecordset(table, {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= kSpectra; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        rs.Fields("Summary 1 Type") = db::Value(aWeighted(n) ? "dBA" : "dBC");
        rs.Fields("Summary 2 Type") = db::Value(aWeighted(n) ? "dBL" : "Max");
        if (isFormula(n)) rs.Fields("Formula") = db::Value(formulaFor(n, "").worksheet);
        for (int j = 1; j <= kBands; ++j)
            rs.Fields(db::kFieldFormula + j) = db::Value(level(n, j));
    }
    rs.UpdateBatch();
    return path;
}

const std::string& pristineFile() {
    static const std::string path = makeSheetFile("same-sheet.db", kSheet, everyFormula);
    return path;
}

// The 10 % sheet, named as a worksheet window of the benchmarks opens it.
const std::string& tenthFile() {
    static const std::string path = makeSheetFile("tenth-sheet.bwdb", "Sheet", tenthFormula);
    return path;
}

// The same sheet as spreadsheet cells: row n spectrum n, its bands, then its
// two summaries; below them the A and the C weights of the bands.
std::string spreadsheetCells(const std::string& fileName, bool (*isFormula)(int)) {
    const std::string path = bench::scratchFile(fileName);
    std::ofstream out(path);
    const int weights = kSpectra + 1;
    const std::string bands = "A%1:" + column(kBands) + "%1";
    auto range = [](const std::string& pattern, const std::string& row) {
        std::string r = pattern;
        for (size_t at; (at = r.find("%1")) != std::string::npos;)
            r.replace(at, 2, row);
        return r;
    };
    auto sum = [&](const std::string& row, const char* weightRow, const char* suffix) {
        std::string energy = range(bands, row) + "/10";
        if (weightRow) energy = "(" + range(bands, row) + "+" + range(bands, weightRow) + ")/10";
        return "=FIXED(10*LOG10(SUMPRODUCT(10^(" + energy + ")));1;1)&\" " + suffix + "\"";
    };
    const std::string aRow = "$" + std::to_string(weights),
                      cRow = "$" + std::to_string(weights + 1);
    for (int n = 1; n <= kSpectra; ++n) {
        const std::string row = std::to_string(n);
        for (int j = 1; j <= kBands; ++j) {
            if (j > 1) out << '\t';
            if (isFormula(n))
                out << '=' << formulaFor(n, column(j)).spreadsheet;
            else
                out << level(n, j);
        }
        if (aWeighted(n))
            out << '\t' << sum(row, aRow.c_str(), "dBA") << '\t' << sum(row, nullptr, "dBL");
        else
            out << '\t' << sum(row, cRow.c_str(), "dBC") << "\t=FIXED(MAX(" << range(bands, row)
                << ");1;1)&\" Max\"";
        out << '\n';
    }
    for (const std::vector<double>* w : {&gAWeight, &gCWeight}) {
        for (int j = 1; j <= kBands; ++j)
            out << (j > 1 ? "\t" : "")
                << (*w)[static_cast<size_t>(bandTableIndex(kFirstBand, j, kBands))];
        out << '\n';
    }
    return path;
}

// A working copy of the file bound to a window-less worksheet form.
struct Bound {
    std::unique_ptr<db::SheetForm> form = std::make_unique<db::SheetForm>(db::SheetKind::Worksheet);
    Bound() {
        const std::string path = pristineFile() + ".work";
        fs::copy_file(pristineFile(), path, fs::copy_options::overwrite_existing);
        db::bindWorksheet(*form, "Data Source=" + path, kSheet);
    }
};

OkDialogs gDialogs;

void BM_SameSheet_RecalcSheet(benchmark::State& state) {
    gDialogs.reset();
    for (auto _ : state) {
        state.PauseTiming();
        auto bound = std::make_unique<Bound>();
        gActiveSheet = bound->form.get();
        state.ResumeTiming();
        RecalcSheet();
        state.PauseTiming();
        gActiveSheet = nullptr;
        bound.reset();
        state.ResumeTiming();
    }
    if (gDialogs.shown) state.SkipWithError("the recalculation showed a message");
}

// Where the spreadsheet's results differ from the recalculated worksheet's,
// or an empty text.
std::string compare(const std::string& resultPath) {
    Bound bound;
    gActiveSheet = bound.form.get();
    RecalcSheet();
    gActiveSheet = nullptr;
    const db::Recordset& rs = bound.form->Data1.recordset();
    std::ifstream in(resultPath);
    std::string line;
    for (int n = 1; n <= kSpectra; ++n) {
        if (!std::getline(in, line)) return "the spreadsheet's results end early";
        std::vector<std::string> cells;
        std::stringstream cellText(line);
        for (std::string c; std::getline(cellText, c, '\t');)
            cells.push_back(c);
        if (cells.size() < kBands + 2) return "spreadsheet row " + std::to_string(n) + " is short";
        for (int j = 1; j <= kBands; ++j) {
            const double ours = rs.peek(n, db::kFieldFormula + j).toDouble();
            if (!(std::abs(std::strtod(cells[j - 1].c_str(), nullptr) - ours) <= 1e-9))
                return "band " + std::to_string(j) + " of spectrum " + std::to_string(n) + ": " +
                       cells[j - 1];
        }
        for (int s = 1; s <= 2; ++s) {
            const std::string ours = rs.peek(n, s == 1 ? 4 : 6).toText();
            if (cells[kBands + s - 1] != ours)
                return "summary " + std::to_string(s) + " of spectrum " + std::to_string(n) + ": " +
                       cells[kBands + s - 1] + " where the worksheet has " + ours;
        }
    }
    return {};
}

// calc_recalc.py, talked to by lines.
class Calc {
public:
    // `name` names its files in the scratch folder: NAME.tsv for the cells,
    // NAME-result.tsv for the results and NAME-profile for LibreOffice.
    bool start(const std::string& name, bool (*isFormula)(int), std::string& said) {
        const std::string cells = spreadsheetCells(name + ".tsv", isFormula);
        result_ = bench::scratchFile(name + "-result.tsv");
        const std::string profile = bench::scratchFile(name + "-profile");
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> args = {"/usr/bin/python3", CALC_SCRIPT, cells, result_, profile};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        to_ = fdopen(in[1], "w");
        from_ = fdopen(out[0], "r");
        if (spawned != 0) {
            pid_ = 0;
            return false;
        }
        said = line();
        return said == "ready";
    }
    // Seconds of one calculateAll(), or a negative number.
    double calculateAll() {
        std::fputs("calc\n", to_);
        std::fflush(to_);
        const std::string s = line();
        return s.empty() ? -1 : std::strtod(s.c_str(), nullptr);
    }
    // Seconds of setting one cell (0-based row and column) and the
    // recalculation of what depends on it, or a negative number.
    double setCell(int row, int col, double value) {
        std::fprintf(to_, "set %d %d %.17g\n", row, col, value);
        std::fflush(to_);
        const std::string s = line();
        return s.empty() ? -1 : std::strtod(s.c_str(), nullptr);
    }
    const std::string& resultPath() const { return result_; }
    ~Calc() {
        if (to_) std::fclose(to_);
        if (from_) std::fclose(from_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }

private:
    std::string line() {
        char buf[256];
        if (!std::fgets(buf, sizeof buf, from_)) return {};
        std::string s = buf;
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    pid_t pid_ = 0;
    FILE* to_ = nullptr;
    FILE* from_ = nullptr;
    std::string result_;
};

std::unique_ptr<Calc> gCalc, gTenthCalc;
std::string gCalcFault, gTenthCalcFault;

void BM_SameSheet_CalcCalculateAll(benchmark::State& state) {
    if (!gCalc && gCalcFault.empty()) {
        gCalc = std::make_unique<Calc>();
        std::string said;
        if (!gCalc->start("same-sheet", everyFormula, said))
            gCalcFault = said.empty() ? "LibreOffice did not answer" : said;
        else
            gCalcFault = compare(gCalc->resultPath());
    }
    if (!gCalcFault.empty()) {
        state.SkipWithError(gCalcFault.c_str());
        return;
    }
    for (auto _ : state) {
        const double s = gCalc->calculateAll();
        if (s < 0) {
            state.SkipWithError("LibreOffice stopped answering");
            break;
        }
        state.SetIterationTime(s);
    }
}

// Spectrum 4, band 1: read by formulas of the 10 % sheet.
constexpr int kEdited = 4;

double editedLevel(int i) {
    return 50 + i % 20;
}

void BM_TenthSheet_LevelEdit(benchmark::State& state) {
    WorksheetWindow* w = bench::openWorksheetWindow(tenthFile());
    db::Recordset& rs = w->Data1.recordset();
    rs.setAbsolutePosition(kEdited);
    QApplication::processEvents();
    gDialogs.reset();
    int i = 0;
    for (auto _ : state) {
        const double value = editedLevel(i++);
        w->Lev(1)->setText(QString::number(value));
        w->Lev_LostFocus(1);
        QApplication::processEvents();
        if (rs.peek(kEdited, db::kFirstBandField).toDouble() != value || gDialogs.shown) {
            state.SkipWithError(gDialogs.shown ? "a message came up" : "the level was not stored");
            break;
        }
    }
    bench::closeAllWindows();
}

void BM_TenthSheet_CalcOneCell(benchmark::State& state) {
    if (!gTenthCalc && gTenthCalcFault.empty()) {
        gTenthCalc = std::make_unique<Calc>();
        std::string said;
        if (!gTenthCalc->start("tenth-sheet", tenthFormula, said))
            gTenthCalcFault = said.empty() ? "LibreOffice did not answer" : said;
    }
    if (!gTenthCalcFault.empty()) {
        state.SkipWithError(gTenthCalcFault.c_str());
        return;
    }
    int i = 0;
    for (auto _ : state) {
        const double s = gTenthCalc->setCell(kEdited - 1, 0, editedLevel(i++));
        if (s < 0) {
            state.SkipWithError("LibreOffice stopped answering");
            break;
        }
        state.SetIterationTime(s);
    }
}

// The console table, then how many times faster RecalcSheet is (medians
// when there are repetitions).
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.error_occurred || (r.run_type != Run::RT_Iteration && !median)) continue;
            const std::string& name = r.run_name.function_name;
            for (auto& [part, time] :
                 {std::pair<const char*, double*>{"RecalcSheet", &recalcSheet_},
                  {"CalcCalculateAll", &calculateAll_},
                  {"LevelEdit", &levelEdit_},
                  {"CalcOneCell", &oneCell_}})
                if (name.find(part) != std::string::npos) *time = r.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        char line[100];
        std::snprintf(line, sizeof line, "RecalcSheet: %.1f times as fast as calculateAll\n",
                      calculateAll_ / recalcSheet_);
        if (recalcSheet_ > 0 && calculateAll_ > 0) GetOutputStream() << line;
        std::snprintf(line, sizeof line,
                      "Level edit: %.1f times the time of one cell set and recalculated\n",
                      levelEdit_ / oneCell_);
        if (levelEdit_ > 0 && oneCell_ > 0) GetOutputStream() << line;
    }

private:
    double recalcSheet_ = 0, calculateAll_ = 0, levelEdit_ = 0, oneCell_ = 0;
};

bool libreOfficeInstalled() {
    return std::system("/usr/bin/python3 -c 'import uno' >/dev/null 2>&1 && "
                       "command -v soffice >/dev/null 2>&1") == 0;
}

} // namespace

void closeAll() {
    gCalc.reset();
    gTenthCalc.reset();
    bench::closeAllWindows();
}

int main(int argc, char** argv) {
    // The level edit runs in a real worksheet window: offscreen unless a
    // platform is asked for.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    FillTables();
    platform::setDialogHandler(&gDialogs);
    mainWindow().resize(1280, 900);
    mainWindow().show();
    const bool office = libreOfficeInstalled();
    benchmark::RegisterBenchmark("BM_SameSheet_RecalcSheet/10000", BM_SameSheet_RecalcSheet)
        ->Unit(benchmark::kMillisecond);
    if (office)
        benchmark::RegisterBenchmark("BM_SameSheet_CalcCalculateAll/10000",
                                     BM_SameSheet_CalcCalculateAll)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_TenthSheet_LevelEdit/10000", BM_TenthSheet_LevelEdit)
        ->Unit(benchmark::kMillisecond);
    if (office)
        benchmark::RegisterBenchmark("BM_TenthSheet_CalcOneCell/10000", BM_TenthSheet_CalcOneCell)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    else
        std::puts("BM_SameSheet_CalcCalculateAll and BM_TenthSheet_CalcOneCell skipped: "
                  "LibreOffice not installed");
    RatioReporter reporter;
    return bench::runBenchmarks(argc, argv, &reporter, closeAll);
}
