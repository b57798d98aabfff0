// The runner: every task once on any number of threads, progress one call at
// a time with the count of tasks done, and a stop that starts no further task.
#include "analysis/Runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace tadmor::analysis {
namespace {

TEST(Runner, EveryTaskOnceAndProgressCountsThemInOrder) {
    for (const int jobs : {1, 2, 8}) {
        SCOPED_TRACE(jobs);
        std::vector<std::atomic<int>> runs(50);
        std::vector<std::size_t> counts;
        std::atomic<int> inProgress = 0;
        bool overlapping = false;
        const RunControl control{jobs, nullptr, [&](std::size_t index, std::size_t done, std::size_t total) {
                                     overlapping = overlapping || ++inProgress > 1;
                                     EXPECT_LT(index, 50u);
                                     EXPECT_EQ(total, 60u);
                                     counts.push_back(done);
                                     --inProgress;
                                 }};
        std::vector<std::size_t> todo(50);
        for (std::size_t i = 0; i < todo.size(); ++i) todo[i] = i;
        EXPECT_TRUE(RunTasks(
            todo, 10, 60, [&](std::size_t i) { ++runs[i]; }, control));
        EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](const std::atomic<int>& n) { return n == 1; }));
        EXPECT_FALSE(overlapping);
        ASSERT_EQ(counts.size(), 50u);
        for (std::size_t k = 0; k < counts.size(); ++k) EXPECT_EQ(counts[k], 11 + k);
    }
    EXPECT_TRUE(RunTasks(0, [](std::size_t) { ADD_FAILURE(); }, {4}));
}

TEST(Runner, AStopStartsNoFurtherTaskAndTheRunningOnesFinish) {
    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        StopFlag stop = 0;
        std::atomic<int> started = 0, finished = 0;
        const bool complete = RunTasks(100,
                                       [&](std::size_t i) {
                                           ++started;
                                           if (i == 3) stop = 2;
                                           std::this_thread::sleep_for(std::chrono::milliseconds(2));
                                           ++finished;
                                       },
                                       {jobs, &stop, nullptr});
        EXPECT_FALSE(complete);
        EXPECT_EQ(started, finished);
        EXPECT_GE(started, 4);
        EXPECT_LE(started, 3 + jobs);
    }
    // Stopped before it starts: nothing runs.
    StopFlag stopped = 15;
    EXPECT_FALSE(RunTasks(5, [](std::size_t) { ADD_FAILURE(); }, {2, &stopped, nullptr}));
}

}  // namespace
}  // namespace tadmor::analysis
