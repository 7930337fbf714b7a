#include "engine/summary.h"
#include "tables/globals.h"

#include <benchmark/benchmark.h>

#include <cmath>

// One rating of a 30-band third-octave spectrum from 25 Hz, per type number.
static void BM_CalcSummary(benchmark::State& state) {
    static bool filled = false;
    if (!filled) FillTables();
    filled = true;
    const int type = static_cast<int>(state.range(0));
    BandArray bands;
    for (int j = 1; j <= 30; ++j)
        bands(j) = 55 + 8 * std::sin(j * 0.7) + 0.37 * j;
    for (auto _ : state) {
        std::string text = CalcSummary(type, bands, 13, 30);
        benchmark::DoNotOptimize(text);
    }
    state.SetLabel(gSummaryTypes[static_cast<size_t>(type)]);
}
BENCHMARK(BM_CalcSummary)->DenseRange(1, 19);

BENCHMARK_MAIN();
