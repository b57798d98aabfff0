// Sweep throughput in cases per second, on one and on two threads: the
// default case at eight screw speeds, no results files kept.
#include <benchmark/benchmark.h>

#include "analysis/Sweep.h"

namespace {

namespace analysis = tadmor::analysis;

void Sweep(benchmark::State& state) {
    analysis::Sweep sweep;
    sweep.base = tadmor::inputs::DefaultCase();
    sweep.varied = {analysis::VariedText(tadmor::FieldIndexOf("ScrewSpeed"), "30:65:5")};
    const analysis::RunControl control{static_cast<int>(state.range(0)), nullptr, nullptr};
    const std::vector<analysis::SweepCase> cases = analysis::SweepCases(sweep.varied, {});
    for (auto _ : state) {
        analysis::CaseResults results(cases.size());
        analysis::RunSweep(sweep, cases, results, control);
        benchmark::DoNotOptimize(results.data());
    }
    state.counters["cases/s"] =
        benchmark::Counter(static_cast<double>(cases.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Sweep)->ArgName("jobs")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
