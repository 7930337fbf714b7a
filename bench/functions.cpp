// Time per formula call of the curve, propagation and room functions on a
// 30-band sheet, through the evaluator as a recalculation calls them.
#include "engine/formula.h"
#include "tables/globals.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void evalFunction(benchmark::State& state, const char* text) {
    FillTables();
    SheetMatrix m(2, 30);
    for (int j = 1; j <= 30; ++j)
        m(1, j) = 100 + j; // distances in s1
    const std::string original(text);
    BandArray result;
    for (auto _ : state) {
        std::string formula = original;
        std::string msg = EvalFormula(m, 2, formula, result, 2, 30, 14);
        if (!msg.empty()) state.SkipWithError(msg.c_str());
        benchmark::DoNotOptimize(result);
    }
}

BENCHMARK_CAPTURE(evalFunction, nc, "NC(37.5)");
BENCHMARK_CAPTURE(evalFunction, barcor, "BarCor(10, 20, 1, 4, 1.5, 0.3)");
BENCHMARK_CAPTURE(evalFunction, airabs_per_band, "AirAbs(s1, 22.5, 62.5)");
BENCHMARK_CAPTURE(evalFunction, distli, "DistLi(10, 25, 30, True)");
BENCHMARK_CAPTURE(evalFunction, comptl, "CompTL(8, 52, 1.5, 30, 0.02, 0)");
BENCHMARK_CAPTURE(evalFunction, rmc_point, "RmC(250, 3)");
// The source's extent is summed over a 100 by 100 grid once per call.
BENCHMARK_CAPTURE(evalFunction, rmc_rectangle, "RmC(250, 3, 2, 1.5)");
// Each band a different distance: the grid is summed for every band.
BENCHMARK_CAPTURE(evalFunction, rmc_rectangle_per_band, "RmC(250, s1 / 50, 2, 1.5)");

} // namespace

BENCHMARK_MAIN();
