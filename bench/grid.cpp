// The data grid over a third-octave worksheet of 10,000 spectra in a file on
// disk, offscreen: opening the grid on a refreshed data control and drawing
// it, scrolling it by a page and drawing again, and a batch clone writing one
// band of every record (as the recalculation does) while the grid shows the
// rows and hears of every change. The file lives in a scratch folder
// removed at exit.
#include "platform/db/data_control.h"
#include "platform/db/database.h"
#include "platform/db/recordset.h"
#include "platform/db/sheet_layout.h"
#include "platform/gui/data_grid.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>

#include "bench/scratch_dir.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char* const kSheet = "Worksheet 1";
constexpr int kRecords = 10000;

const std::string& sheetFile() {
    static std::string path;
    if (!path.empty()) return path;
    path = bench::scratchFile("grid.bwdb");
    auto db = db::Database::create(path);
    db->createTable(db::sheetsListTableDef());
    db::createSheet(*db, db::worksheetTableDef(kSheet, 30), 2, 13);
    auto rs = db->OpenRecordset(kSheet, {}, db::LockType::BatchOptimistic);
    for (int n = 1; n <= kRecords; ++n) {
        rs.AddNew();
        rs.Fields("Code") = db::Value(n);
        rs.Fields("Description") = db::Value("Spectrum number " + std::to_string(n));
        rs.Fields("Summary 1 Val") = db::Value("63.2 dBA");
        rs.Fields("Summary 2 Val") = db::Value("70.1 dBL");
        for (int j = 1; j <= 30; ++j)
            rs.Fields(db::kFieldFormula + j) = db::Value(30.5 + (n * 13 + j * 7) % 50 * 0.7);
    }
    rs.UpdateBatch();
    return path;
}

std::unique_ptr<db::DataControl> refreshed() {
    auto data = std::make_unique<db::DataControl>();
    data->setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + sheetFile());
    data->setRecordSource("SELECT * FROM " + db::quoteIdent(kSheet) + " ORDER BY \"Code\"");
    data->Refresh();
    return data;
}

// The spreadsheet view's columns: Code, Description, both summaries, 30 bands.
std::unique_ptr<platform::DataGrid> openGrid(db::DataControl& data) {
    auto grid = std::make_unique<platform::DataGrid>();
    std::vector<platform::GridColumn> cols = {{"Code", "Spectrum"},
                                              {"Description", "Description"},
                                              {"Summary 1 Val", ""},
                                              {"Summary 2 Val", ""}};
    for (int j = 1; j <= 30; ++j)
        cols.push_back({"L" + std::to_string(j), QString::number(j)});
    grid->setColumns(cols);
    for (int c = 4; c < 34; ++c)
        grid->setColumnFormat(c, [](int, const db::Value& v) {
            const double d = v.toDouble();
            return d == -999 ? QString(".") : QString::number(d, 'f', 1);
        });
    grid->setFrozenColumns(1);
    grid->setDataSource(&data);
    grid->resize(900, 400);
    grid->show();
    QApplication::processEvents();
    grid->repaint();
    return grid;
}

void BM_OpenGrid(benchmark::State& state) {
    auto data = refreshed();
    for (auto _ : state) {
        auto grid = openGrid(*data);
        benchmark::DoNotOptimize(grid->model()->reads());
    }
}

void BM_ScrollOnePage(benchmark::State& state) {
    auto data = refreshed();
    auto grid = openGrid(*data);
    QScrollBar* bar = grid->view()->verticalScrollBar();
    for (auto _ : state) {
        if (bar->value() >= bar->maximum()) bar->setValue(0);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        grid->repaint();
    }
    state.counters["cells read"] = benchmark::Counter(static_cast<double>(grid->model()->reads()),
                                                      benchmark::Counter::kAvgIterations);
}

void BM_BatchCommitUnderTheGrid(benchmark::State& state) {
    auto data = refreshed();
    auto grid = openGrid(*data);
    double v = 0;
    for (auto _ : state) {
        v += 1;
        db::Recordset clone = data->recordset().Clone(db::LockType::BatchOptimistic);
        for (clone.MoveFirst(); !clone.eof(); clone.MoveNext())
            clone.Fields("L5") = db::Value(v);
        clone.UpdateBatch();
        clone.Close();
        grid->repaint();
    }
}

BENCHMARK(BM_OpenGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCommitUnderTheGrid)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
