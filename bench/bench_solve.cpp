// The analyses against one calculation in the same run: the melting capacity
// of the default case (OutputRate melted by the end of the screw over its
// default range) and the sensitivity to the 15 inputs the window edits, with
// the calculations each took, on one thread.
#include <benchmark/benchmark.h>

#include "analysis/Sensitivity.h"
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
    problem.base = tadmor::inputs::DefaultCase();
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

void SensitivityOfEditableInputs(benchmark::State& state) {
    const std::vector<tadmor::analysis::Varied> inputs = tadmor::analysis::SensitivityInputs(false, false);
    int calculations = 0;
    for (auto _ : state) {
        const tadmor::analysis::SensitivityResult result =
            tadmor::analysis::Sensitivity(tadmor::inputs::DefaultCase(), inputs, {});
        calculations = result.calculations;
        benchmark::DoNotOptimize(result.inputs.data());
    }
    state.counters["calculations"] = calculations;
}
BENCHMARK(SensitivityOfEditableInputs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
