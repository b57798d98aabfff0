// One solve against one calculation in the same run: the melting capacity of
// the default case (OutputRate melted by the end of the screw over its
// default range), with the calculations the solve took.
#include <benchmark/benchmark.h>

#include "analysis/Solve.h"

namespace {

void OneCalculation(benchmark::State& state) {
    const tadmor::FieldTexts texts = tadmor::DefaultFieldTexts();
    for (auto _ : state) {
        tadmor::Calculation calculation = tadmor::Calculate(texts, '.');
        benchmark::DoNotOptimize(calculation.state.StepCount);
    }
}
BENCHMARK(OneCalculation)->Unit(benchmark::kMillisecond);

void SolveCapacity(benchmark::State& state) {
    tadmor::analysis::SolveProblem problem;
    problem.base = tadmor::DefaultFieldTexts();
    problem.field = tadmor::FieldIndexOf("OutputRate");
    std::tie(problem.low, problem.high) = tadmor::analysis::DefaultRange(300.0);
    problem.target = {tadmor::analysis::TargetKind::MeltedAtEnd, 0};
    int calculations = 0;
    for (auto _ : state) {
        const tadmor::analysis::SolveResult result = tadmor::analysis::Solve(problem);
        calculations = result.calculations;
        benchmark::DoNotOptimize(result.solutions.data());
    }
    state.counters["calculations"] = calculations;
}
BENCHMARK(SolveCapacity)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
