#include "worker_pool.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace velmo {

// One run's items: claimed one at a time by whoever takes part.  Helpers
// hold it shared, so it outlives a caller that has already returned.
struct WorkerPool::Job {
    const std::function<void(size_t)> *work = nullptr;
    size_t count = 0;
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::mutex mutex;
    std::condition_variable finished;
};

WorkerPool::WorkerPool(unsigned helpers) : wanted_(helpers) {}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread &t : threads_)
        t.join();
}

// Called with mutex_ held.
void WorkerPool::start_helpers()
{
    try {
        while (threads_.size() < wanted_)
            threads_.emplace_back(&WorkerPool::serve, this);
    } catch (const std::system_error &) {
        // Fewer helpers: the callers do the rest.
    }
}

void WorkerPool::run(size_t count, const std::function<void(size_t)> &work)
{
    if (count == 0)
        return;
    auto job = std::make_shared<Job>();
    job->work = &work;
    job->count = count;
    if (count > 1 && wanted_ > 0) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            start_helpers();
            jobs_.push_back(job);
        }
        wake_.notify_all();
    }
    take_part(*job);
    {
        std::unique_lock<std::mutex> lock(job->mutex);
        job->finished.wait(lock, [&]() { return job->done.load() == count; });
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto at = std::find(jobs_.begin(), jobs_.end(), job);
    if (at != jobs_.end())
        jobs_.erase(at);
}

void WorkerPool::take_part(Job &job)
{
    for (size_t i; (i = job.next.fetch_add(1)) < job.count;) {
        (*job.work)(i);
        if (job.done.fetch_add(1) + 1 == job.count) {
            std::lock_guard<std::mutex> lock(job.mutex);
            job.finished.notify_all();
        }
    }
}

void WorkerPool::serve()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&]() { return closing_ || !jobs_.empty(); });
        if (jobs_.empty())
            return; // closing
        std::shared_ptr<Job> job = jobs_.front();
        if (job->next.load() >= job->count) { // every item taken: the job is no longer offered
            jobs_.pop_front();
            continue;
        }
        lock.unlock();
        take_part(*job);
        lock.lock();
    }
}

} // namespace velmo
