// The Edit commands on large worksheets, through a real window offscreen,
// each from the menu item to the redrawn window: Paste of 1,000
// third-octave spectra over a 1,000-spectrum sheet with its recalculation,
// Delete of 500 selected spectra of 1,000 with the references renumbered,
// and Undo of a 10,000-spectrum sheet. Files live in a temporary folder
// removed at exit.
#include "engine/globals.h"
#include "platform/db/database.h"
#include "platform/db/file_lock.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/menu_state.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>

#include "bench/ok_dialogs.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path gDir;

// A third-octave worksheet: levels, and every fifth spectrum a formula over
// the spectrum two before it (so the odd and the even spectra keep apart).
std::string makeFile(const std::string& name, int spectra) {
    const std::string path = (gDir / (name + ".bwdb")).string();
    if (fs::exists(path)) return path;
    auto database = db::Database::create(path);
    database->createTable(db::sheetsListTableDef());
    db::createSheet(*database, db::worksheetTableDef("Sheet", 30), 2, 13, "");
    db::Recordset rs = database->OpenRecordset("Sheet", {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= spectra; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        rs.Fields("Description") = db::Value("spectrum " + std::to_string(n));
        if (n > 2 && n % 5 == 0)
            rs.Fields("Formula") = db::Value("s" + std::to_string(n - 2) + " !+ 3");
        for (int j = 1; j <= 30; ++j)
            rs.Fields(db::kFirstBandField + j - 1) = db::Value(40.0 + (n * 7 + j * 3) % 30);
    }
    rs.UpdateBatch();
    return path;
}

// A fresh copy of a file, so a benchmark that changes it starts alike.
std::string workCopy(const std::string& path) {
    const std::string work = (gDir / "work.bwdb").string();
    fs::remove(work);
    fs::copy_file(path, work);
    return work;
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
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void choose(const char* item) {
    QAction* a = menuItem(item);
    if (!a || !a->isEnabled()) std::abort();
    a->trigger();
    QApplication::processEvents();
}

void BM_PasteThousandThirdOctaveSpectra(benchmark::State& state) {
    // The clipboard text: every spectrum of a 1,000-spectrum sheet.
    WorksheetWindow* source = openWindow(makeFile("source", 1000));
    for (int n = 1; n <= 1000; ++n)
        source->grdSpectra->SelBookmarks().Add(source->Data1.recordset().keyAt(n));
    choose("mnuEditCopy");
    closeAll();
    WorksheetWindow* w = openWindow(workCopy(makeFile("target", 1000)));
    for (auto _ : state) {
        w->Data1.recordset().MoveFirst();
        choose("mnuEditPaste");
    }
    closeAll();
}
BENCHMARK(BM_PasteThousandThirdOctaveSpectra)->Unit(benchmark::kMillisecond);

void BM_DeleteFiveHundredOfThousand(benchmark::State& state) {
    const std::string pristine = makeFile("delete", 1000);
    for (auto _ : state) {
        state.PauseTiming();
        closeAll();
        WorksheetWindow* w = openWindow(workCopy(pristine));
        for (int n = 1; n <= 1000; n += 2)
            w->grdSpectra->SelBookmarks().Add(w->Data1.recordset().keyAt(n));
        state.ResumeTiming();
        choose("mnuEditDelete");
        state.PauseTiming();
        if (w->Data1.recordset().RecordCount() != 500) std::abort();
        state.ResumeTiming();
    }
    closeAll();
}
BENCHMARK(BM_DeleteFiveHundredOfThousand)->Unit(benchmark::kMillisecond);

void BM_UndoTenThousand(benchmark::State& state) {
    WorksheetWindow* w = openWindow(workCopy(makeFile("undo", 10000)));
    w->Lev(1)->setText("12");
    w->Lev_LostFocus(1); // an edit to undo
    for (auto _ : state)
        choose("mnuEditUndo"); // undo, redo, undo ...
    closeAll();
}
BENCHMARK(BM_UndoTenThousand)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gDir = fs::temp_directory_path() / ("bw-bench-editing-" + std::to_string(getpid()));
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
