#include "tables/globals.h"

#include <benchmark/benchmark.h>

// The first fill routine runs once at every start, under the splash window.
static void BM_FillTables(benchmark::State& state) {
    for (auto _ : state) {
        FillTables();
        benchmark::DoNotOptimize(gBandFreq.data());
    }
}
BENCHMARK(BM_FillTables);

BENCHMARK_MAIN();
