// The worksheet windows as a user meets them: opening a third-octave sheet
// of 10,000 spectra (binding, activation with its recalculation and backup,
// first paint), and a level typed into a level box of a 200-, a 1,000- and
// a 10,000-spectrum sheet (and of a 100,000-spectrum one without formulas
// or with 10 % of them) in Formula view, from the box losing the focus to
// the redrawn level boxes and chart, a spectrum whose formula uses it
// checked: on a sheet without formulas, one with 10 % formulas reading
// earlier spectra, and one whose every spectrum reads the edited one. Beside
// each, the baseline: the same edit with its backup copied whole through a
// connection of its own and three commits. Offscreen, on files in a scratch
// folder removed at exit.
#include "engine/recalc.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/bound_controls.h"
#include "sheets/sheet_display.h"
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

// The sheets a level is typed into: the spectrum edited and one whose
// formula reads it, with what that one holds after the edit.
enum class Formulas { None, TenPercent, AllOnTheEdited };

struct LevelSheet {
    std::string path;
    int edited = 4; // the spectrum whose level 1 is typed
    int reader = 0; // a spectrum whose formula reads it (0: none)
    double (*readerLevel)(double) = nullptr;
};

LevelSheet levelSheet(Formulas formulas, int spectra) {
    LevelSheet sheet;
    const char* names[] = {"plain", "tenth", "all"};
    const std::string name = "level-" + std::string(names[static_cast<int>(formulas)]) +
                             std::to_string(spectra) + ".bwdb";
    switch (formulas) {
    case Formulas::None:
        sheet.path = bench::makeWorksheetFile(name, spectra, [](db::Recordset&, int) {});
        break;
    case Formulas::TenPercent:
        // Spectrum 5, 15, 25, ... the one before it plus 3 dB: 10 % formulas
        // reading earlier spectra.
        sheet.path = bench::makeWorksheetFile(name, spectra, [](db::Recordset& rs, int n) {
            if (n % 10 == 5)
                rs.Fields("Formula") = db::Value("s" + std::to_string(n - 1) + " !+ 3");
        });
        sheet.reader = 5;
        sheet.readerLevel = [](double level) {
            return 10 * std::log10(std::pow(10.0, level / 10) + std::pow(10.0, 0.3));
        };
        break;
    case Formulas::AllOnTheEdited:
        // Every spectrum after the first is the first plus 1 dB.
        sheet.path = bench::makeWorksheetFile(name, spectra, [](db::Recordset& rs, int n) {
            if (n > 1) rs.Fields("Formula") = db::Value("s1 + 1");
        });
        sheet.edited = 1;
        sheet.reader = spectra;
        sheet.readerLevel = [](double level) { return level + 1; };
        break;
    }
    return sheet;
}

// The level edit as it was before it became one commit, the baseline: the
// backup copied whole through a connection of its own, then the level and
// then the full recalculation (every formula, every rating, every row
// visited), each committed on its own.
void levelEditThreeCommits(WorksheetWindow* w, const std::string& path, int index) {
    {
        auto database = db::Database::open(path);
        db::Database::Transaction tx(*database);
        database->Execute("DELETE FROM \"~Backup\"");
        database->Execute("INSERT INTO \"~Backup\" SELECT * FROM \"Sheet\"");
        tx.commit();
    }
    db::Recordset& rs = w->Data1.recordset();
    rs.Fields(7 + index) = db::Value(w->Lev(index)->text().toDouble());
    rs.Update();
    RecalcSheetFully();
    FillChart(30, 13);
    FillLevBoxes(30);
}

// A level typed into level box 1 of a third-octave worksheet in Formula
// view, from the box losing the focus to the redrawn boxes and chart.
void levelEdit(benchmark::State& state, Formulas formulas, bool threeCommits) {
    const LevelSheet sheet = levelSheet(formulas, static_cast<int>(state.range(0)));
    WorksheetWindow* w = bench::openWorksheetWindow(sheet.path);
    db::Recordset& rs = w->Data1.recordset();
    rs.setAbsolutePosition(sheet.edited);
    QApplication::processEvents();
    gDialogs.reset();
    int i = 0;
    for (auto _ : state) {
        const double level = 50 + (i++ % 20);
        w->Lev(1)->setText(QString::number(level));
        if (threeCommits)
            levelEditThreeCommits(w, sheet.path, 1);
        else
            w->Lev_LostFocus(1);
        QApplication::processEvents();
        state.PauseTiming();
        const bool right =
            rs.peek(sheet.edited, db::kFirstBandField).toDouble() == level &&
            (sheet.reader == 0 || std::abs(rs.peek(sheet.reader, db::kFirstBandField).toDouble() -
                                           sheet.readerLevel(level)) < 1e-9);
        state.ResumeTiming();
        if (!right || gDialogs.shown) {
            state.SkipWithError(right ? "a message came up" : "the sheet was not recalculated");
            break;
        }
    }
    bench::closeAllWindows();
}

void BM_LevelEdit(benchmark::State& state, Formulas formulas) {
    levelEdit(state, formulas, false);
}
void BM_LevelEditThreeCommits(benchmark::State& state, Formulas formulas) {
    levelEdit(state, formulas, true);
}

void sheetSizes(benchmark::internal::Benchmark* b) {
    b->Arg(200)->Arg(1000)->Arg(10000);
}
// A level edit costs about the same whatever the size of the sheet, unless
// every spectrum reads the edited one.
void sheetSizesTo100000(benchmark::internal::Benchmark* b) {
    sheetSizes(b);
    b->Arg(100000);
}

#define LEVEL_EDIT(name, formulas, sizes)                                                          \
    BENCHMARK_CAPTURE(BM_LevelEdit, name, formulas)->Apply(sizes)->Unit(benchmark::kMillisecond);  \
    BENCHMARK_CAPTURE(BM_LevelEditThreeCommits, name, formulas)                                    \
        ->Apply(sheetSizes)                                                                        \
        ->Unit(benchmark::kMillisecond)
LEVEL_EDIT(no_formulas, Formulas::None, sheetSizesTo100000);
LEVEL_EDIT(ten_percent_formulas, Formulas::TenPercent, sheetSizesTo100000);
LEVEL_EDIT(all_on_the_edited, Formulas::AllOnTheEdited, sheetSizes);

} // namespace

int main(int argc, char** argv) {
    return bench::runWindowBenchmarks(argc, argv, gDialogs);
}
