// Peak memory of opening a third-octave worksheet window of 10,000 and
// 100,000 spectra (binding, activation with its recalculation and backup,
// first paint), each in a fresh process of its own: this program started
// again to open the one sheet. Counters, in MB: "before" is the process's
// peak before the window opens (application, tables and main window up),
// "peak" its peak once the window is shown, and "held_KB" what each spectrum
// adds to the peak. The file is a fresh one, never recalculated: the first
// recalculation writes the summary texts of every spectrum.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"

#include <QApplication>

#include "bench/ok_dialogs.h"
#include "bench/scratch_dir.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const char* const kOpenArg = "--open-sheet=";

// A third-octave worksheet file: spectra of levels, every fifth a formula.
std::string makeFile(int spectra) {
    const std::string path = bench::scratchFile("sheet" + std::to_string(spectra) + ".bwdb");
    if (std::ifstream(path)) return path;
    auto database = db::Database::create(path);
    database->createTable(db::sheetsListTableDef());
    db::createSheet(*database, db::worksheetTableDef("Sheet", 30), 2, 13, "");
    db::Recordset rs = database->OpenRecordset("Sheet", {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= spectra; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        if (n > 1 && n % 5 == 0)
            rs.Fields("Formula") = db::Value("s" + std::to_string(n - 1) + " !+ 3");
        for (int j = 1; j <= 30; ++j)
            rs.Fields(db::kFirstBandField + j - 1) = db::Value(40.0 + (n * 7 + j * 3) % 30);
    }
    rs.UpdateBatch();
    return path;
}

// The process's peak resident memory so far, in kB.
long peakKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// The child: opens the sheet in a window and prints both peaks.
int openAndMeasure(int argc, char** argv, const std::string& path) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    OkDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    FillTables();
    Bandwright& main = mainWindow();
    main.resize(1280, 900);
    main.show();
    QApplication::processEvents();
    const long before = peakKb();
    WorksheetWindow* w = newWorksheetWindow(2, 1);
    gActiveSheet = w;
    if (OpenSheetForm(w, QString::fromStdString(path), "Sheet", 2, 13, 1, true)) return 1;
    QApplication::processEvents();
    w->repaint();
    std::printf("%ld %ld %d\n", before, peakKb(), dialogs.shown ? 1 : 0);
    std::fflush(stdout);
    std::_Exit(0); // the peak is taken: tearing down would only cost time
}

void BM_PeakMemoryOpenWindow(benchmark::State& state) {
    const int spectra = static_cast<int>(state.range(0));
    const std::string path = makeFile(spectra);
    long before = 0, peak = 0;
    for (auto _ : state) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return state.SkipWithError("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string self = "/proc/self/exe", arg = kOpenArg + path;
        char* args[] = {self.data(), arg.data(), nullptr};
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string text;
        char buf[256];
        for (ssize_t got; (got = read(out[0], buf, sizeof buf)) > 0;)
            text.append(buf, static_cast<size_t>(got));
        close(out[0]);
        int status = 0;
        if (rc == 0) waitpid(pid, &status, 0);
        int shown = 0;
        if (rc != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            std::sscanf(text.c_str(), "%ld %ld %d", &before, &peak, &shown) != 3)
            return state.SkipWithError("the window could not be opened");
        if (shown) return state.SkipWithError("opening the window showed a message");
    }
    state.counters["before_MB"] = static_cast<double>(before) / 1024;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024;
    state.counters["held_KB"] = static_cast<double>(peak - before) / spectra;
}
BENCHMARK(BM_PeakMemoryOpenWindow)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strncmp(argv[1], kOpenArg, std::strlen(kOpenArg)) == 0)
        return openAndMeasure(argc, argv, argv[1] + std::strlen(kOpenArg));
    return bench::runBenchmarks(argc, argv);
}
