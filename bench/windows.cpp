// The worksheet windows as a user meets them: opening a third-octave sheet
// of 10,000 spectra (binding, activation with its recalculation and backup,
// first paint), and a level typed into a level box of a 200-, a 1,000- and
// a 10,000-spectrum sheet in Formula view, from the box losing the focus to
// the redrawn level boxes and chart, the spectrum whose formula uses it
// checked. Offscreen, on files in a scratch folder removed at exit.
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "sheets/worksheet_window.h"

#include <QApplication>

#include "bench/ok_dialogs.h"
#include "bench/sheet_window_setup.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

OkDialogs gDialogs;

// A third-octave worksheet file: spectra of levels, every fifth a formula.
std::string makeFile(int spectra) {
    return bench::makeWorksheetFile(
        "sheet" + std::to_string(spectra) + ".bwdb", spectra, [](db::Recordset& rs, int n) {
            if (n > 1 && n % 5 == 0)
                rs.Fields("Formula") = db::Value("s" + std::to_string(n - 1) + " !+ 3");
        });
}

void BM_OpenThirdOctaveWindow(benchmark::State& state) {
    const std::string path = makeFile(static_cast<int>(state.range(0)));
    gDialogs.reset();
    for (auto _ : state) {
        WorksheetWindow* w = bench::openWorksheetWindow(path);
        w->repaint();
        state.PauseTiming();
        const bool open = w->Data1.recordset().RecordCount() == state.range(0);
        bench::closeAllWindows();
        state.ResumeTiming();
        if (!open || gDialogs.shown) {
            state.SkipWithError(open ? "a message came up" : "not every spectrum in the window");
            break;
        }
    }
}
BENCHMARK(BM_OpenThirdOctaveWindow)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LevelEdit(benchmark::State& state) {
    const std::string path = makeFile(static_cast<int>(state.range(0)));
    WorksheetWindow* w = bench::openWorksheetWindow(path);
    // Spectrum 4: spectrum 5 is "s4 !+ 3".
    db::Recordset& rs = w->Data1.recordset();
    rs.setAbsolutePosition(4);
    QApplication::processEvents();
    gDialogs.reset();
    int i = 0;
    for (auto _ : state) {
        const double level = 50 + (i++ % 20);
        w->Lev(1)->setText(QString::number(level));
        w->Lev_LostFocus(1);
        QApplication::processEvents();
        state.PauseTiming();
        const double sum = 10 * std::log10(std::pow(10.0, level / 10) + std::pow(10.0, 0.3));
        const bool right = rs.peek(4, db::kFirstBandField).toDouble() == level &&
                           std::abs(rs.peek(5, db::kFirstBandField).toDouble() - sum) < 1e-9;
        state.ResumeTiming();
        if (!right || gDialogs.shown) {
            state.SkipWithError(right ? "a message came up" : "the sheet was not recalculated");
            break;
        }
    }
    bench::closeAllWindows();
}
BENCHMARK(BM_LevelEdit)->Arg(200)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, gDialogs);
}
