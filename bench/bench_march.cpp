// Time of one calculation with the window's default inputs.
#include <benchmark/benchmark.h>

#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace {

void DefaultCalculation(benchmark::State& state) {
    tadmor::SimulationState s = tadmor::test::DefaultInputs();
    for (auto _ : state) {
        tadmor::RunMarch(s);
        benchmark::DoNotOptimize(s.StepCount);
    }
    state.counters["rows"] = s.StepCount;
}
BENCHMARK(DefaultCalculation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
