// The whole-extruder calculation against the melting march in the same run:
// one calculation (Calculate), one whole-extruder calculation at the default
// screw's operating point with a 5 mm by 10 cm capillary, and the search for
// that operating point. Counters of OperatingPoint:
//   calculations       melting marches one search runs
//   march_ms           CPU time of one plain calculation, median of 21 before the search
//   search_ms          CPU time of one search, median over the iterations
//   march_equivalents  search_ms / march_ms
#include <benchmark/benchmark.h>

#include <vector>

#include "CpuTime.h"
#include "extruder/OperatingPoint.h"

namespace {

using tadmor::bench::CpuSeconds;
using tadmor::bench::Median;

tadmor::extruder::ExtruderInputs Capillary() {
    tadmor::extruder::ExtruderInputs inputs;
    inputs.die = tadmor::extruder::Capillary{0.5, 10};
    return inputs;
}

tadmor::FieldTexts AtOperatingPoint() {
    tadmor::FieldTexts texts = tadmor::DefaultFieldTexts();
    texts[static_cast<std::size_t>(tadmor::FieldIndexOf("OutputRate"))] = "188.2";
    return texts;
}

void OneCalculation(benchmark::State& state) {
    const tadmor::FieldTexts texts = AtOperatingPoint();
    for (auto _ : state) {
        tadmor::Calculation calculation = tadmor::Calculate(texts, '.');
        benchmark::DoNotOptimize(calculation.state.StepCount);
    }
}
BENCHMARK(OneCalculation)->Unit(benchmark::kMillisecond);

void OneExtruderCalculation(benchmark::State& state) {
    const tadmor::FieldTexts texts = AtOperatingPoint();
    const tadmor::extruder::ExtruderInputs inputs = Capillary();
    for (auto _ : state) {
        tadmor::extruder::ExtruderCalculation calculation = tadmor::extruder::CalculateExtruder(texts, '.', inputs);
        benchmark::DoNotOptimize(calculation.run->tipPressure);
    }
}
BENCHMARK(OneExtruderCalculation)->Unit(benchmark::kMillisecond);

void OperatingPoint(benchmark::State& state) {
    const tadmor::FieldTexts texts = tadmor::DefaultFieldTexts();
    const tadmor::extruder::ExtruderInputs inputs = Capillary();
    std::vector<double> marches, searches;
    for (int i = 0; i < 21; ++i) {
        const double start = CpuSeconds();
        tadmor::Calculation calculation = tadmor::Calculate(texts, '.');
        marches.push_back(CpuSeconds() - start);
        benchmark::DoNotOptimize(calculation.state.StepCount);
    }
    int calculations = 0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        const tadmor::extruder::OperatingPointSearch search = tadmor::extruder::FindOperatingPoint(texts, '.', inputs);
        searches.push_back(CpuSeconds() - start);
        calculations = search.calculations;
        benchmark::DoNotOptimize(search.point->run->throughput);
    }
    state.counters["calculations"] = calculations;
    state.counters["march_ms"] = Median(marches) * 1e3;
    state.counters["search_ms"] = Median(searches) * 1e3;
    state.counters["march_equivalents"] = Median(searches) / Median(marches);
}
BENCHMARK(OperatingPoint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
