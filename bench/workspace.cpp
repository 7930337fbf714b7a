// The workspace as a user meets it: start-up from the start procedure to the
// start dialog on screen (the splash's 3-second wait left out), and opening
// a worksheet file of 100 worksheets of 1,000 spectra each up to the sheet
// picker on screen. Offscreen, with settings, data and files in a temporary
// folder removed at exit.
#include "app/start.h"
#include "platform/clock.h"
#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "platform/ui.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"
#include "workspace/worksheet_files.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

// The splash wait passes at once.
struct InstantClock : platform::Clock {
    platform::Duration t{};
    platform::Duration now() override { return t; }
    void sleepFor(platform::Duration d) override { t += d; }
};

// Notes when a form comes up and cancels it; every message is answered OK.
class Stopwatch final : public platform::DialogHandler {
public:
    SteadyClock::time_point shown;
    int msgBox(const QString&, int, const QString&) override { return platform::vbOK; }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject& form) override {
        shown = SteadyClock::now();
        if (auto* cancel = form.findChild<QPushButton*>("cmdCancel")) cancel->click();
        return 0;
    }
};

fs::path gDir;
Stopwatch gStopwatch;

double seconds(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void BM_StartUpToStartDialog(benchmark::State& state) {
    InstantClock clock;
    platform::setClock(&clock);
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        if (Main() != 0) std::abort();
        state.SetIterationTime(seconds(start, gStopwatch.shown));
        delete &mainWindow();
    }
    platform::setClock(nullptr);
}
BENCHMARK(BM_StartUpToStartDialog)->UseManualTime()->Unit(benchmark::kMillisecond);

std::string makeBigFile() {
    const std::string path = (gDir / "hundred.bwdb").string();
    if (fs::exists(path)) return path;
    auto database = db::Database::create(path);
    database->createTable(db::sheetsListTableDef());
    for (int s = 1; s <= 100; ++s) {
        const std::string name = "Worksheet " + std::to_string(s);
        db::createSheet(*database, db::worksheetTableDef(name, 30), 2, 13, "");
        db::Database::Transaction tx(*database);
        db::Statement insert(*database,
                             "INSERT INTO " + db::quoteIdent(name) +
                                 " (Code, Formula, L1, L15, L30) VALUES (?, ?, ?, ?, ?)");
        for (int n = 1; n <= 1000; ++n) {
            insert.reset();
            insert.bind(1, db::Value(n));
            insert.bind(2, db::Value(n % 5 == 0 ? "s1 !+ 3" : ""));
            insert.bind(3, db::Value(40.0 + n % 30));
            insert.bind(4, db::Value(50.0 + n % 20));
            insert.bind(5, db::Value(30.0 + n % 10));
            insert.step();
        }
        tx.commit();
    }
    return path;
}

void BM_OpenFileToPicker(benchmark::State& state) {
    const QString path = QString::fromStdString(makeBigFile());
    Bandwright& main = mainWindow();
    main.show();
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        OpenFile(path);
        state.SetIterationTime(seconds(start, gStopwatch.shown));
    }
    delete &main;
}
BENCHMARK(BM_OpenFileToPicker)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gDir = fs::temp_directory_path() / ("bw-bench-workspace-" + std::to_string(getpid()));
    fs::create_directories(gDir);
    // Settings and the default files go to the temporary folder.
    setenv("XDG_CONFIG_HOME", (gDir / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (gDir / "data").c_str(), 1);
    QApplication app(argc, argv);
    platform::setDialogHandler(&gStopwatch);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(gDir, ec);
    return 0;
}
