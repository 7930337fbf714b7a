// Start-up with a large settings file: the start procedure run to the start
// dialog (the splash's 3-second wait left out), with 0, 1,000 and 16,000
// keys of other programs' settings stored beside Bandwright's own in its
// settings file. Every start reads a file it has not read before, as a new
// process would. The time beside 0 keys is the start-up itself; the growth
// from 1,000 to 16,000 keys shows whether reading the settings is linear.
// Offscreen, with settings and data in the scratch folder.
#include "platform/settings.h"
#include "app/start.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "workspace/bandwright_window.h"

#include "bench/scratch_dir.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

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
    int forms = 0;
    int msgBox(const QString&, int, const QString&) override { return platform::vbOK; }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject& form) override {
        shown = SteadyClock::now();
        ++forms;
        if (auto* cancel = form.findChild<QPushButton*>("cmdCancel")) cancel->click();
        return 0;
    }
};

// A settings file of `keys` keys in the start-up's own section, the
// program's keys last; `start` makes each file one not read before.
void writeSettings(int keys, int start) {
    const QString path = platform::settingsPath(QStringLiteral("Bandwright"));
    QByteArray text = "[Startup]\n";
    for (int k = 0; k < keys; ++k)
        text += "Plugin" + QByteArray::number(k) + "Path=C:\\Program Files\\Plugin " +
                QByteArray::number(k) + "\\bin;lib\n";
    text += "Start=" + QByteArray::number(start) + "\nShowFiles=4\nDefaultView=Formula\n";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) std::abort();
}

void BM_StartUpWithSettingsKeys(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path config = bench::scratchDir() / "config";
    fs::create_directories(config / "Bandwright");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", (bench::scratchDir() / "data").c_str(), 1);
    Stopwatch stopwatch;
    platform::setDialogHandler(&stopwatch);
    InstantClock clock;
    platform::setClock(&clock);
    const int keys = static_cast<int>(state.range(0));
    int start = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writeSettings(keys, ++start);
        stopwatch.forms = 0;
        state.ResumeTiming();
        const auto begin = SteadyClock::now();
        if (Main() != 0 || stopwatch.forms != 1) {
            state.SkipWithError("start-up did not reach the start dialog");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(stopwatch.shown - begin).count());
        delete &mainWindow();
    }
    platform::setClock(nullptr);
    platform::setDialogHandler(nullptr);
    state.SetComplexityN(keys);
}
BENCHMARK(BM_StartUpWithSettingsKeys)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
