// Threads that live as long as their owner and run numbered items of work
// for any thread that asks: starting threads per request costs more than a
// small request's whole work.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velmo {

class WorkerPool {
public:
    // helpers: threads besides the callers, started on the first run that
    // can use them; 0 runs everything on the caller.
    explicit WorkerPool(unsigned helpers);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Calls work(i) for every i below count, on the helpers and on the
    // calling thread, and returns when every call has returned.  Any number
    // of threads may run work at once.  work must not throw.
    void run(size_t count, const std::function<void(size_t)> &work);

private:
    struct Job;
    void start_helpers();
    void serve();
    static void take_part(Job &job);

    const unsigned wanted_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> jobs_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

} // namespace velmo
