// Time of one calculation with the window's default inputs, and how far it
// is from the bound of the algorithm: the exponentials it must evaluate.
//
// The program defines expl itself, so the model's calls of std::exp on
// Extended come here: each is counted (while counting is on) and passed on
// to the C library's expl. Counters of DefaultCalculation:
//   exponentials    expl calls in one run
//   ns_per_exp      CPU time of one expl, replaying the run's own arguments
//   ms_per_run      CPU time of one run
//   ratio           run time / (exponentials x time of one expl), for each
//                   run and the replay after it: 1 would mean the run does
//                   nothing but its exponentials
// each the median over the iterations.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "CpuTime.h"
#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace {

using tadmor::bench::CpuSeconds;
using tadmor::bench::Median;
using Expl = long double (*)(long double);

Expl LibraryExpl() {
    static const Expl real = [] {
        const auto found = reinterpret_cast<Expl>(dlsym(RTLD_NEXT, "expl"));
        if (found == nullptr) {
            std::fprintf(stderr, "expl not found in the C library\n");
            std::abort();
        }
        return found;
    }();
    return real;
}

bool gCounting = false;
std::vector<long double> gArguments;  // of every expl call while counting

}  // namespace

extern "C" long double expl(long double x) noexcept {
    if (gCounting) gArguments.push_back(x);
    return LibraryExpl()(x);
}

namespace {

void DefaultCalculation(benchmark::State& state) {
    tadmor::SimulationState s = tadmor::test::DefaultInputs();

    gArguments.clear();
    gCounting = true;
    tadmor::RunMarch(s);
    gCounting = false;
    const std::vector<long double> arguments = gArguments;

    // Each run is followed by a replay of its exponentials alone, through the
    // same expl, so that both meet the same conditions on a shared machine;
    // the figures are medians over the iterations.
    std::vector<double> runTimes, expTimes, ratios;
    long double sum = 0;
    for (auto _ : state) {
        double start = CpuSeconds();
        tadmor::RunMarch(s);
        const double run = CpuSeconds() - start;
        benchmark::DoNotOptimize(s.StepCount);

        state.PauseTiming();
        start = CpuSeconds();
        for (const long double x : arguments) sum += expl(x);
        const double exp = (CpuSeconds() - start) / static_cast<double>(arguments.size());
        runTimes.push_back(run);
        expTimes.push_back(exp);
        ratios.push_back(run / (static_cast<double>(arguments.size()) * exp));
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(sum);

    state.counters["rows"] = s.StepCount;
    state.counters["exponentials"] = static_cast<double>(arguments.size());
    state.counters["ns_per_exp"] = Median(expTimes) * 1e9;
    state.counters["ms_per_run"] = Median(runTimes) * 1e3;
    state.counters["ratio"] = Median(ratios);
}
BENCHMARK(DefaultCalculation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
