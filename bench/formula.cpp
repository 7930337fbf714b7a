// Time per EvalFormula call on a 30-band sheet of four spectra. Each
// iteration evaluates a fresh copy of the formula with its blanks, as the
// recalculation does for every record. Beside the energy sum stands its
// floor: the same math written out as a plain loop over the bands, with the
// operators' marker and overflow checks. On a busy machine compare the two
// with --benchmark_filter=energy --benchmark_repetitions=10
// --benchmark_enable_random_interleaving=true: the ratio of processor times
// printed at the end is then taken from the medians.
#include "engine/formula.h"
#include "engine/arith.h"
#include "tables/globals.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ostream>
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

// The marker a band operator gives for two operands, or 0 for two values.
double markerOf(double a, double b) {
    if (a == kErrorValue || b == kErrorValue) return kErrorValue;
    if (a == kMarked || b == kMarked) return kMarked;
    if (a == kNoValue && b == kNoValue) return kNoValue;
    if (a == kNoValue || b == kNoValue) return kMarked;
    return 0;
}

// s1 !+ (s2 + 10 * log( 15 )) by hand: one logarithm per record, then per
// band an addition and the energy sum (two powers of ten and a logarithm).
void energySumPlainLoop(benchmark::State& state) {
    const SheetMatrix m = benchSheet();
    BandArray result;
    double fifteen = 15;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fifteen);
        const double c = 10 * log10ByLn(fifteen);
        bool failed = !std::isfinite(c);
        for (int j = 1; j <= 30 && !failed; ++j) {
            const double s2 = m(2, j);
            double r = markerOf(s2, c);
            if (r == 0) {
                r = s2 + c;
                failed = !std::isfinite(r);
            }
            const double s1 = m(1, j);
            double v = markerOf(s1, r);
            if (v == 0) {
                const double s = std::pow(10.0, s1 / 10) + std::pow(10.0, r / 10);
                failed = std::isinf(s) || !(s > 0);
                v = 10 * log10ByLn(s);
            }
            result[j] = v;
        }
        if (failed) state.SkipWithError("overflow");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(energySumPlainLoop);

// The console report, then the energy sum beside its plain loop.
class SideBySide final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const std::string& name = r.run_name.function_name;
            const bool eval = name == "evalFormula/energy_sum_bracket";
            if (r.error_occurred || (!eval && name != "energySumPlainLoop")) continue;
            // With repetitions, the median stands for the benchmark.
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (r.run_type != Run::RT_Iteration && !median) continue;
            Time& t = eval ? eval_ : loop_;
            if (median || !t.median) t = {r.GetAdjustedCPUTime(), median};
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (eval_.ns <= 0 || loop_.ns <= 0) return;
        char line[160];
        std::snprintf(line, sizeof line,
                      "\nenergy sum: evaluator %.0f ns, plain loop %.0f ns, ratio %.2f\n", eval_.ns,
                      loop_.ns, eval_.ns / loop_.ns);
        GetOutputStream() << line;
        GetOutputStream().flush();
    }

private:
    struct Time {
        double ns = 0;
        bool median = false;
    };
    Time eval_;
    Time loop_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SideBySide reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
