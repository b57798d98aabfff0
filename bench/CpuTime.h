// CPU time of the calling thread and the median of timings, for the
// benchmarks that time parts of a run themselves.
#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

namespace tadmor::bench {

inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

inline double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

}  // namespace tadmor::bench
