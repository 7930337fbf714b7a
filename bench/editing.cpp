// The Edit commands on large worksheets, through a real window offscreen,
// each from the menu item to the redrawn window, each result checked: Paste
// of 1,000 third-octave spectra over a 1,000-spectrum sheet with its
// recalculation, the formula question answered Yes and answered No; Delete
// of 500 selected spectra of 1,000 with the references renumbered; and Undo
// of a 10,000-spectrum sheet. Files live in a scratch folder removed at
// exit.
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/menu_state.h"
#include "sheets/worksheet_window.h"

#include <QAction>
#include <QApplication>

#include "bench/ok_dialogs.h"
#include "bench/scratch_dir.h"
#include "bench/sheet_window_setup.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

OkDialogs gDialogs;

// A third-octave worksheet: levels, and every fifth spectrum a formula over
// the spectrum two before it (so the odd and the even spectra keep apart);
// `shift` raises the levels, so that two files tell apart.
std::string makeFile(const std::string& name, int spectra, int shift = 0) {
    return bench::makeWorksheetFile(
        name + ".bwdb", spectra,
        [&name](db::Recordset& rs, int n) {
            rs.Fields("Description") = db::Value(name + " " + std::to_string(n));
            if (n > 2 && n % 5 == 0)
                rs.Fields("Formula") = db::Value("s" + std::to_string(n - 2) + " !+ 3");
        },
        shift);
}

// A fresh copy of a file, so a benchmark that changes it starts alike.
std::string workCopy(const std::string& path) {
    const std::string work = bench::scratchFile("work.bwdb");
    fs::remove(work);
    fs::copy_file(path, work);
    return work;
}

void choose(const char* item) {
    QAction* a = menuItem(item);
    if (!a || !a->isEnabled()) std::abort();
    a->trigger();
    QApplication::processEvents();
}

// Description, formula and bands of every record of a window's sheet.
struct SheetRecord {
    std::string description, formula;
    std::vector<double> bands;
};

std::vector<SheetRecord> recordsOf(WorksheetWindow& w) {
    const db::Recordset& rs = w.Data1.recordset();
    std::vector<SheetRecord> records;
    for (int pos = 1; pos <= rs.RecordCount(); ++pos) {
        SheetRecord r{rs.peek(pos, 1).toText(), rs.peek(pos, db::kFieldFormula).toText(), {}};
        for (int j = 1; j <= 30; ++j)
            r.bands.push_back(rs.peek(pos, db::kFirstBandField + j - 1).toDouble());
        records.push_back(std::move(r));
    }
    return records;
}

// What Paste should have made of the sheet: the source's records, with
// their formulas or without them; the levels as the clipboard's text holds
// them, or as the recalculation makes them again.
const char* pasteFault(const std::vector<SheetRecord>& got, const std::vector<SheetRecord>& source,
                       bool withFormulas) {
    if (got.size() != source.size()) return "Paste changed the number of spectra";
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i].description != source[i].description) return "a description was not pasted";
        if (got[i].formula != (withFormulas ? source[i].formula : std::string()))
            return withFormulas ? "a formula was not pasted" : "a formula was pasted";
        const double tolerance = withFormulas ? 1e-9 : 0.05;
        for (size_t j = 0; j < got[i].bands.size(); ++j)
            if (std::abs(got[i].bands[j] - source[i].bands[j]) > tolerance)
                return "a level is not the pasted one";
    }
    return nullptr;
}

void BM_PasteThousandThirdOctaveSpectra(benchmark::State& state, int answer) {
    // The clipboard text: every spectrum of a 1,000-spectrum sheet.
    WorksheetWindow* source = bench::openWorksheetWindow(makeFile("source", 1000));
    const std::vector<SheetRecord> pasted = recordsOf(*source);
    for (int n = 1; n <= 1000; ++n)
        source->grdSpectra->SelBookmarks().Add(source->Data1.recordset().keyAt(n));
    choose("mnuEditCopy");
    bench::closeAllWindows();
    const std::string target = makeFile("target", 1000, 5);
    gDialogs.yesNo = answer;
    for (auto _ : state) {
        state.PauseTiming();
        bench::closeAllWindows();
        WorksheetWindow* w = bench::openWorksheetWindow(workCopy(target));
        w->Data1.recordset().MoveFirst();
        gDialogs.reset();
        state.ResumeTiming();
        choose("mnuEditPaste");
        state.PauseTiming();
        const char* fault = gDialogs.shown != 1 || gDialogs.questions != 1
                                ? "not the one formula question"
                                : pasteFault(recordsOf(*w), pasted, answer == platform::vbYes);
        state.ResumeTiming();
        if (fault) {
            state.SkipWithError(fault);
            break;
        }
    }
    bench::closeAllWindows();
}
BENCHMARK_CAPTURE(BM_PasteThousandThirdOctaveSpectra, formulas_yes, platform::vbYes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PasteThousandThirdOctaveSpectra, formulas_no, platform::vbNo)
    ->Unit(benchmark::kMillisecond);

// Whether every formula left refers to the spectrum before it, as it did to
// the spectrum two before it when every odd spectrum was deleted.
bool referencesRenumbered(const db::Recordset& rs) {
    for (int pos = 1; pos <= rs.RecordCount(); ++pos) {
        const std::string formula = rs.peek(pos, db::kFieldFormula).toText();
        if (!formula.empty() && formula != "s" + std::to_string(pos - 1) + " !+ 3") return false;
    }
    return true;
}

void BM_DeleteFiveHundredOfThousand(benchmark::State& state) {
    const std::string pristine = makeFile("delete", 1000);
    for (auto _ : state) {
        state.PauseTiming();
        bench::closeAllWindows();
        WorksheetWindow* w = bench::openWorksheetWindow(workCopy(pristine));
        for (int n = 1; n <= 1000; n += 2)
            w->grdSpectra->SelBookmarks().Add(w->Data1.recordset().keyAt(n));
        gDialogs.reset();
        state.ResumeTiming();
        choose("mnuEditDelete");
        state.PauseTiming();
        const db::Recordset& rs = w->Data1.recordset();
        const char* fault = gDialogs.shown != 0         ? "a message came up"
                            : rs.RecordCount() != 500   ? "not 500 spectra left"
                            : !referencesRenumbered(rs) ? "references not renumbered"
                                                        : nullptr;
        state.ResumeTiming();
        if (fault) {
            state.SkipWithError(fault);
            break;
        }
    }
    bench::closeAllWindows();
}
BENCHMARK(BM_DeleteFiveHundredOfThousand)->Unit(benchmark::kMillisecond);

void BM_UndoTenThousand(benchmark::State& state) {
    WorksheetWindow* w = bench::openWorksheetWindow(workCopy(makeFile("undo", 10000)));
    const db::Recordset& rs = w->Data1.recordset();
    const double before = rs.peek(1, db::kFirstBandField).toDouble();
    w->Lev(1)->setText("12");
    w->Lev_LostFocus(1); // an edit to undo
    gDialogs.reset();
    bool undone = false;
    for (auto _ : state) {
        choose("mnuEditUndo"); // undo, redo, undo ...
        undone = !undone;
        state.PauseTiming();
        const bool right = rs.RecordCount() == 10000 &&
                           rs.peek(1, db::kFirstBandField).toDouble() == (undone ? before : 12.0);
        state.ResumeTiming();
        if (!right || gDialogs.shown) {
            state.SkipWithError(right ? "a message came up" : "the edit was not undone and redone");
            break;
        }
    }
    bench::closeAllWindows();
}
BENCHMARK(BM_UndoTenThousand)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, gDialogs);
}
