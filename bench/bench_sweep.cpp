// Sweep throughput in cases per second, on one and on two threads: the
// default case at eight screw speeds, no results files kept.
#include <benchmark/benchmark.h>

#include "cli/Sweep.h"

namespace {

void Sweep(benchmark::State& state) {
    tadmor::cli::SweepSettings settings;
    settings.base = tadmor::DefaultFieldTexts();
    settings.varied = {tadmor::cli::ParseVary("ScrewSpeed=30:65:5")};
    settings.jobs = static_cast<int>(state.range(0));
    const std::vector<tadmor::cli::SweepCase> cases = tadmor::cli::SweepCases(settings.varied, {});
    const std::atomic<int> running = 0;
    for (auto _ : state) {
        tadmor::cli::CaseResults results(cases.size());
        tadmor::cli::RunSweep(settings, cases, results, running);
        benchmark::DoNotOptimize(results.data());
    }
    state.counters["cases/s"] =
        benchmark::Counter(static_cast<double>(cases.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(Sweep)->ArgName("jobs")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
