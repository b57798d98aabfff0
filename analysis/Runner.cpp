#include "analysis/Runner.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <thread>

namespace tadmor::analysis {

bool StopRequested(const RunControl& control) { return control.stop && control.stop->load() != 0; }

bool RunTasks(const std::vector<std::size_t>& todo, std::size_t done, std::size_t total,
              const std::function<void(std::size_t)>& task, const RunControl& control) {
    std::atomic<std::size_t> next = 0, finished = 0;
    std::mutex progressMutex;
    // The workers share nothing but the index of the next task.
    const auto work = [&] {
        for (std::size_t k = next++; k < todo.size() && !StopRequested(control); k = next++) {
            task(todo[k]);
            ++finished;
            if (control.progress) {
                const std::lock_guard lock(progressMutex);
                control.progress(todo[k], ++done, total);
            }
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(control.jobs, 1, std::max<std::size_t>(todo.size(), 1));
    {
        std::vector<std::jthread> helpers;
        for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
        work();
    }
    return finished == todo.size();
}

bool RunTasks(std::size_t count, const std::function<void(std::size_t)>& task, const RunControl& control) {
    std::vector<std::size_t> all(count);
    std::iota(all.begin(), all.end(), 0);
    return RunTasks(all, 0, count, task, control);
}

int AllProcessors() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

}  // namespace tadmor::analysis
