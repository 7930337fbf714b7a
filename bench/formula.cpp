// Time per EvalFormula call on a 30-band sheet of four spectra. Each
// iteration evaluates a fresh copy of the formula with its blanks, as the
// recalculation does for every record.
#include "engine/formula.h"
#include "tables/globals.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

SheetMatrix benchSheet() {
    SheetMatrix m(5, 30);
    for (int n = 1; n <= 4; ++n)
        for (int j = 1; j <= 30; ++j)
            m(n, j) = 40 + 3 * n + 0.5 * j;
    return m;
}

void evalFormula(benchmark::State& state, const char* text) {
    FillTables();
    const SheetMatrix m = benchSheet();
    const std::string original(text);
    BandArray result;
    for (auto _ : state) {
        std::string formula = original;
        std::string msg = EvalFormula(m, 5, formula, result, 5, 30, 14);
        if (!msg.empty()) state.SkipWithError(msg.c_str());
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(msg);
    }
}

BENCHMARK_CAPTURE(evalFormula, sum, "s1 + s3");
BENCHMARK_CAPTURE(evalFormula, energy_sum_bracket, "s1 !+ (s2 + 10 * log( 15 ))");
BENCHMARK_CAPTURE(evalFormula, logsum_four, "logsum(s1, s2, s3, s4)");
BENCHMARK_CAPTURE(evalFormula, if_compare, "If( s2>s3, s2!-s3, 0)");

} // namespace

BENCHMARK_MAIN();
