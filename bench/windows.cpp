// The worksheet windows as a user meets them: opening a third-octave sheet
// of 10,000 spectra (binding, activation with its recalculation and backup,
// first paint), and a level typed into a level box of a 200- and a
// 1,000-spectrum sheet, from the box losing the focus to the redrawn level
// boxes and chart. Offscreen, on files in a temporary folder removed at exit.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"

#include <QApplication>
#include <QMdiArea>

#include "bench/ok_dialogs.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path gDir;

// A third-octave worksheet file: spectra of levels, every fifth a formula.
std::string makeFile(int spectra) {
    const std::string path = (gDir / ("sheet" + std::to_string(spectra) + ".bwdb")).string();
    if (fs::exists(path)) return path;
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

WorksheetWindow* openWindow(const std::string& path) {
    // As the program holds the worksheet file it opens.
    db::holdFile(path);
    WorksheetWindow* w = newWorksheetWindow(2, 1);
    gActiveSheet = w;
    if (OpenSheetForm(w, QString::fromStdString(path), "Sheet", 2, 13, 1, true)) std::abort();
    QApplication::processEvents();
    return w;
}

void closeAll() {
    mainWindow().mdiArea->closeAllSubWindows();
    QApplication::processEvents();
    // Closed windows are deleted later: outside an event loop, now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenThirdOctaveWindow(benchmark::State& state) {
    const std::string path = makeFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        WorksheetWindow* w = openWindow(path);
        w->repaint();
        state.PauseTiming();
        closeAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenThirdOctaveWindow)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LevelEdit(benchmark::State& state) {
    const std::string path = makeFile(static_cast<int>(state.range(0)));
    WorksheetWindow* w = openWindow(path);
    int i = 0;
    for (auto _ : state) {
        w->Lev(1)->setText(QString::number(50 + (i++ % 20)));
        w->Lev_LostFocus(1);
        QApplication::processEvents();
    }
    closeAll();
}
BENCHMARK(BM_LevelEdit)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gDir = fs::temp_directory_path() / ("bw-bench-windows-" + std::to_string(getpid()));
    fs::create_directories(gDir);
    QApplication app(argc, argv);
    OkDialogs dialogs;
    platform::setDialogHandler(&dialogs);
    FillTables();
    Bandwright& main = mainWindow();
    main.resize(1280, 900);
    main.show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    closeAll();
    std::error_code ec;
    fs::remove_all(gDir, ec);
    return 0;
}
