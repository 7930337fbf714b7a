// The workspace as a user meets it: the program started as a process of its
// own until its start dialog is painted (the splash's 3-second wait left
// out, and the settings and default files of an earlier start in place),
// the same with 1,000 and 16,000 keys of other programs' settings in its
// settings file (their growth shows whether reading the settings is
// linear; the plain start-up is the figure without them), and opening a worksheet file of 100
// worksheets of 1,000 spectra each up to the sheet picker on screen. Offscreen, with settings, data
// and files in a temporary folder removed at exit.
#include "platform/db/database.h"
#include "platform/db/sheet_layout.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"
#include "workspace/worksheet_files.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

// Shows a form that comes up, notes when it is painted and cancels it;
// every message is answered OK.
class Stopwatch final : public platform::DialogHandler {
public:
    SteadyClock::time_point shown;
    int msgBox(const QString&, int, const QString&) override { return platform::vbOK; }
    bool inputBox(const QString&, const QString&, const QString&, QString&) override {
        return false;
    }
    int showModal(QObject& form) override {
        if (auto* widget = qobject_cast<QWidget*>(&form)) {
            widget->show();
            widget->repaint();
        }
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

// Starts the program and waits for its line saying the start dialog is
// painted: the seconds from the start to that line, or a negative number
// with `error` set when it fails, hangs or says nothing.
double startToStartDialog(std::string& error) {
    const auto start = SteadyClock::now();
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.emplace_back("BANDWRIGHT_START_PROBE=1");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return error = "no pipe", -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = BANDWRIGHT_BINARY;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string said;
    if (spawned == 0) {
        pollfd p{out[0], POLLIN, 0};
        char buf[256];
        while (said.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
            const ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            said.append(buf, static_cast<size_t>(n));
        }
    }
    const auto shown = SteadyClock::now();
    close(out[0]);
    if (spawned != 0) return error = "cannot start " + program, -1;
    int status = 0;
    if (said.find("start dialog shown\n") == std::string::npos) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return error = "no start dialog shown within 10 s", -1;
    }
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return error = "the program failed", -1;
    return seconds(start, shown);
}

// Times every start of the benchmark's run.
void timeStarts(benchmark::State& state) {
    std::string error;
    for (auto _ : state) {
        const double s = startToStartDialog(error);
        if (s < 0) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(s);
    }
}

void BM_StartUpToStartDialog(benchmark::State& state) {
    std::string error;
    // The first start makes the settings and the default files.
    if (startToStartDialog(error) < 0) state.SkipWithError(error.c_str());
    timeStarts(state);
}
BENCHMARK(BM_StartUpToStartDialog)->UseManualTime()->Unit(benchmark::kMillisecond);

QByteArray readSettingsFile() {
    QFile f(platform::settingsPath(QStringLiteral("Bandwright")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeSettingsFile(const QByteArray& text) {
    QFile f(platform::settingsPath(QStringLiteral("Bandwright")));
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

void BM_StartUpWithSettingsKeys(benchmark::State& state) {
    std::string error;
    if (startToStartDialog(error) < 0) state.SkipWithError(error.c_str());
    // The program's own settings of the earlier start, then the other keys
    // in the section it reads its own from.
    const QByteArray own = readSettingsFile();
    QByteArray text = own + "\n[Startup]\n";
    for (int k = 0; k < state.range(0); ++k)
        text += "Plugin" + QByteArray::number(k) + "Path=C:\\Program Files\\Plugin " +
                QByteArray::number(k) + "\\bin;lib\n";
    if (own.isEmpty() || !writeSettingsFile(text)) state.SkipWithError("no settings file");
    timeStarts(state);
    // Each start writes the settings back: every key must still be there.
    if (readSettingsFile().count("Path=C:") != state.range(0))
        state.SkipWithError("settings keys lost");
    writeSettingsFile(own);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StartUpWithSettingsKeys)
    ->Arg(1000)
    ->Arg(16000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
    setenv("HOME", (gDir / "home").c_str(), 1);
    QApplication app(argc, argv);
    platform::setDialogHandler(&gStopwatch);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(gDir, ec);
    return 0;
}
