// The workspace's helper threads: every item once, for many callers at once.
#include "worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using velmo::WorkerPool;

TEST(WorkerPoolConcurrency, EveryItemRunsOnceWhileSeveralThreadsRunJobs)
{
    WorkerPool pool(3);
    std::atomic<int> wrong{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < 4; ++c)
        callers.emplace_back([&, c]() {
            for (int round = 0; round < 150; ++round) {
                const size_t count = size_t((round * 37 + c * 11) % 300);
                std::vector<std::atomic<int>> runs(count);
                for (auto &r : runs)
                    r = 0;
                pool.run(count, [&](size_t i) { ++runs[i]; });
                for (auto &r : runs)
                    wrong += r.load() != 1; // every call has returned when run does
            }
        });
    for (std::thread &t : callers)
        t.join();
    EXPECT_EQ(wrong, 0);
}

TEST(WorkerPoolConcurrency, HelpersTakePartAndNoneMeansTheCallerAlone)
{
    for (unsigned helpers : {0u, 3u}) {
        WorkerPool pool(helpers);
        std::mutex mutex;
        std::set<std::thread::id> seen;
        pool.run(64, [&](size_t) {
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            std::lock_guard<std::mutex> lock(mutex);
            seen.insert(std::this_thread::get_id());
        });
        if (helpers == 0) {
            EXPECT_EQ(seen, std::set<std::thread::id>{std::this_thread::get_id()});
        } else {
            EXPECT_GE(seen.size(), 2u);
        }
    }
}
