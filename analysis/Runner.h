// The one runner of everything that runs many calculations: tasks on
// several threads, a stop flag and progress, the same for the command,
// Python and the window.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

namespace tadmor::analysis {

// Set to a value other than 0 (the command: the signal's number) to stop:
// no further task starts, the running ones finish. A signal handler may set
// it: the atomic is lock-free.
using StopFlag = std::atomic<int>;
static_assert(StopFlag::is_always_lock_free);

struct RunControl {
    int jobs = 1;                    // threads, the caller's among them
    const StopFlag* stop = nullptr;  // none: never stopped
    // After each task, one call at a time: the task's index, the tasks done
    // (the earlier ones of `done` included) and their total.
    std::function<void(std::size_t index, std::size_t done, std::size_t total)> progress = nullptr;
};

// Whether `control` asks to stop.
bool StopRequested(const RunControl& control);

// Runs `task(i)` for each index in `todo` on control.jobs threads. `done`
// counts tasks finished earlier (for progress), `total` all of them. Each
// task writes only its own results. Returns false when stopped before every
// task of `todo` ran.
bool RunTasks(const std::vector<std::size_t>& todo, std::size_t done, std::size_t total,
              const std::function<void(std::size_t)>& task, const RunControl& control);

// RunTasks for the indices 0 .. count-1.
bool RunTasks(std::size_t count, const std::function<void(std::size_t)>& task, const RunControl& control);

// The threads of all processors, at least 1.
int AllProcessors();

}  // namespace tadmor::analysis
