// The graph and print windows as a user meets them, each result checked: a
// graph of 20 third-octave spectra with summary points described and
// redrawn, a graph window opened on a 1,000-spectrum sheet (binding, list,
// first activation and first paint), the print preview of 1,000
// third-octave spectra with every item until its text is laid out in full
// and painted, and those spectra printed to PDF. Offscreen, on files in a
// scratch folder removed at exit.
#include "output/frm_graph.h"
#include "output/frm_print.h"
#include "output/output_menu.h"
#include "platform/db/recordset.h"
#include "platform/gui/chart.h"
#include "platform/gui/printer_dialog.h"
#include "platform/ui.h"
#include "workspace/bandwright_window.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QScrollBar>
#include <QTextEdit>

#include "bench/ok_dialogs.h"
#include "bench/scratch_dir.h"
#include "bench/sheet_window_setup.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

OkDialogs gDialogs;

// A third-octave worksheet of levels with their two summary texts.
std::string makeFile(int spectra) {
    return bench::makeWorksheetFile(
        "sheet" + std::to_string(spectra) + ".bwdb", spectra,
        [](db::Recordset& rs, int n) {
            rs.Fields("Description") = db::Value("Position " + std::to_string(n));
            if (n % 3 == 0) rs.Fields("Formula") = db::Value("s" + std::to_string(n - 1) + " + 3");
            rs.Fields("Summary 1 Val") = db::Value(std::to_string(50 + n % 20) + ".4 dBA");
            rs.Fields("Summary 2 Val") = db::Value(std::to_string(60 + n % 20) + ".1 dBL");
        },
        0, "Survey");
}

void BM_GraphOf20SpectraWithSummaries(benchmark::State& state) {
    bench::openWorksheetWindow(makeFile(20));
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
    bench::closeAllWindows();
}
BENCHMARK(BM_GraphOf20SpectraWithSummaries)->Unit(benchmark::kMillisecond);

void BM_OpenGraphWindow(benchmark::State& state) {
    bench::openWorksheetWindow(makeFile(static_cast<int>(state.range(0))));
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
    bench::closeAllWindows();
}
BENCHMARK(BM_OpenGraphWindow)->Arg(1000)->Unit(benchmark::kMillisecond);

frmPrint* openPrint(int spectra) {
    bench::openWorksheetWindow(makeFile(spectra));
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
    bench::closeAllWindows();
}
BENCHMARK(BM_PrintPreview)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PrintToPdf(benchmark::State& state) {
    frmPrint* p = openPrint(static_cast<int>(state.range(0)));
    const QString pdf = QString::fromStdString(bench::scratchFile("spectra.pdf"));
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
    bench::closeAllWindows();
}
BENCHMARK(BM_PrintToPdf)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, gDialogs, "Bandwright: benchmark");
}
