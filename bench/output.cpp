// The graph and print windows as a user meets them, each result checked: a
// graph of 20 third-octave spectra with summary points described and
// redrawn, a graph window opened on a 1,000-spectrum sheet (binding, list,
// first activation and first paint), the print preview of 1,000
// third-octave spectra with every item until its text is laid out in full
// and painted, and those spectra printed to PDF. Offscreen, on files in a
// temporary folder removed at exit.
#include "engine/globals.h"
#include "output/frm_graph.h"
#include "output/frm_print.h"
#include "output/output_menu.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/chart.h"
#include "platform/gui/printer_dialog.h"
#include "platform/ui.h"
#include "sheets/globals.h"
#include "sheets/open_close.h"
#include "sheets/worksheet_window.h"
#include "tables/globals.h"
#include "workspace/bandwright_window.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QScrollBar>
#include <QTextEdit>

#include "bench/ok_dialogs.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path gDir;
OkDialogs gDialogs;

// A third-octave worksheet of levels with their two summary texts.
std::string makeFile(int spectra) {
    const std::string path = (gDir / ("sheet" + std::to_string(spectra) + ".bwdb")).string();
    if (fs::exists(path)) return path;
    auto database = db::Database::create(path);
    database->createTable(db::sheetsListTableDef());
    db::createSheet(*database, db::worksheetTableDef("Sheet", 30), 2, 13, "Survey");
    db::Recordset rs = database->OpenRecordset("Sheet", {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= spectra; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        rs.Fields("Description") = db::Value("Position " + std::to_string(n));
        if (n % 3 == 0) rs.Fields("Formula") = db::Value("s" + std::to_string(n - 1) + " + 3");
        rs.Fields("Summary 1 Val") = db::Value(std::to_string(50 + n % 20) + ".4 dBA");
        rs.Fields("Summary 2 Val") = db::Value(std::to_string(60 + n % 20) + ".1 dBL");
        for (int j = 1; j <= 30; ++j)
            rs.Fields(db::kFirstBandField + j - 1) = db::Value(40.0 + (n * 7 + j * 3) % 30);
    }
    rs.UpdateBatch();
    return path;
}

void openSheet(const std::string& path) {
    WorksheetWindow* w = newWorksheetWindow(2, 1);
    gActiveSheet = w;
    if (OpenSheetForm(w, QString::fromStdString(path), "Sheet", 2, 13, 1, true)) std::abort();
    QApplication::processEvents();
}

void closeAll() {
    mainWindow().mdiArea->closeAllSubWindows();
    QApplication::processEvents();
}

void BM_GraphOf20SpectraWithSummaries(benchmark::State& state) {
    openSheet(makeFile(20));
    frmGraph* g = openGraphWindow();
    if (!g) std::abort();
    QApplication::processEvents();
    g->chkSummary->setChecked(true);
    for (int i = 0; i < g->lstSpectra->count(); ++i)
        g->lstSpectra->item(i)->setCheckState(Qt::Checked);
    QApplication::processEvents();
    gDialogs.reset();
    for (auto _ : state) {
        g->DoGraph();
        g->chtDisp->repaint();
    }
    if (g->chtDisp->seriesCount() < 20) state.SkipWithError("not every spectrum drawn");
    if (gDialogs.shown) state.SkipWithError("a message came up");
    closeAll();
}
BENCHMARK(BM_GraphOf20SpectraWithSummaries)->Unit(benchmark::kMillisecond);

void BM_OpenGraphWindow(benchmark::State& state) {
    openSheet(makeFile(static_cast<int>(state.range(0))));
    QMdiArea* mdi = mainWindow().mdiArea;
    QMdiSubWindow* sheet = mdi->activeSubWindow();
    gDialogs.reset();
    for (auto _ : state) {
        frmGraph* g = openGraphWindow();
        if (!g) std::abort();
        g->repaint();
        state.PauseTiming();
        g->parentWidget()->close();
        QApplication::processEvents();
        mdi->setActiveSubWindow(sheet);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    if (gDialogs.shown) state.SkipWithError("a message came up");
    closeAll();
}
BENCHMARK(BM_OpenGraphWindow)->Arg(1000)->Unit(benchmark::kMillisecond);

frmPrint* openPrint(int spectra) {
    openSheet(makeFile(spectra));
    frmPrint* p = openPrintWindow();
    if (!p) std::abort();
    QApplication::processEvents();
    return p;
}

void BM_PrintPreview(benchmark::State& state) {
    frmPrint* p = openPrint(static_cast<int>(state.range(0)));
    QTextEdit* text = p->txtPrint;
    gDialogs.reset();
    for (auto _ : state) {
        p->DoPrint();
        QApplication::processEvents();
        // Until it shows laid out: Qt lays a long text out in steps while
        // idle, its scroll range first estimated; asking the size finishes
        // the layout, and the view takes the range from it.
        const double height = text->document()->documentLayout()->documentSize().height();
        QApplication::processEvents();
        text->viewport()->repaint();
        state.PauseTiming();
        const int range = text->verticalScrollBar()->maximum() + text->viewport()->height();
        const bool laidOut = std::abs(range - height) <= 2;
        state.ResumeTiming();
        if (!laidOut) {
            state.SkipWithError("the scroll range is not that of the laid-out text");
            break;
        }
    }
    if (gDialogs.shown) state.SkipWithError("a message came up");
    closeAll();
}
BENCHMARK(BM_PrintPreview)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PrintToPdf(benchmark::State& state) {
    frmPrint* p = openPrint(static_cast<int>(state.range(0)));
    const QString pdf = QString::fromStdString((gDir / "spectra.pdf").string());
    platform::setPrinterDialogHandler([pdf](QPrinter& printer, bool) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    gDialogs.reset();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(pdf.toStdString());
        state.ResumeTiming();
        p->cmdPrint_Click();
    }
    std::error_code ec;
    if (fs::file_size(pdf.toStdString(), ec) < 10000) state.SkipWithError("no PDF printed");
    if (gDialogs.shown) state.SkipWithError("a message came up");
    closeAll();
}
BENCHMARK(BM_PrintToPdf)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gDir = fs::temp_directory_path() / ("bw-bench-output-" + std::to_string(getpid()));
    fs::create_directories(gDir);
    QApplication app(argc, argv);
    platform::setDialogHandler(&gDialogs);
    FillTables();
    Bandwright& main = mainWindow();
    main.setWindowTitle("Bandwright: benchmark");
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
