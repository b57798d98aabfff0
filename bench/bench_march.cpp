// Time of one calculation with the window's default inputs, and how far it
// is from the bound of the algorithm: the exponentials it must evaluate.
//
// The program defines expl itself, so the model's calls of std::exp on
// Extended come here: each is counted (while counting is on) and passed on
// to the C library's expl. Counters of DefaultCalculation:
//   exponentials    expl calls in one run
//   ns_per_exp      CPU time of one expl, replaying this run's own arguments
//   ms_per_run      CPU time of one run
//   ratio           ms_per_run / (exponentials x ns_per_exp): 1 would mean
//                   the run does nothing but its exponentials
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/Cal_Main.h"
#include "support/DefaultInputs.h"

namespace {

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

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

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

    const double start = CpuSeconds();
    for (auto _ : state) {
        tadmor::RunMarch(s);
        benchmark::DoNotOptimize(s.StepCount);
    }
    const double perRun = (CpuSeconds() - start) / static_cast<double>(state.iterations());

    // The same exponentials, alone, through the same expl.
    const int replays = 20;
    long double sum = 0;
    const double replayStart = CpuSeconds();
    for (int r = 0; r < replays; ++r)
        for (const long double x : arguments) sum += expl(x);
    const double perExp = (CpuSeconds() - replayStart) / (static_cast<double>(replays) * arguments.size());
    benchmark::DoNotOptimize(sum);

    state.counters["rows"] = s.StepCount;
    state.counters["exponentials"] = static_cast<double>(arguments.size());
    state.counters["ns_per_exp"] = perExp * 1e9;
    state.counters["ms_per_run"] = perRun * 1e3;
    state.counters["ratio"] = perRun / (static_cast<double>(arguments.size()) * perExp);
}
BENCHMARK(DefaultCalculation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
