#include "store_writer.h"

namespace velmo {
namespace tile_import {

StoreWriter::StoreWriter(size_t queue_limit, Write write) : limit_(queue_limit), write_(std::move(write))
{
    thread_ = std::thread([this]() { run(); });
}

StoreWriter::~StoreWriter() { finish(); }

TileOutput StoreWriter::take()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty())
        return TileOutput();
    TileOutput b = std::move(free_.back());
    free_.pop_back();
    return b;
}

void StoreWriter::put(TileOutput &&tile)
{
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&]() { return queue_.size() < limit_ || stopped_; });
    queue_.push_back(std::move(tile));
    work_.notify_one();
}

void StoreWriter::finish()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    work_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void StoreWriter::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [&]() { return !queue_.empty() || closing_; });
        if (queue_.empty())
            break;
        TileOutput item = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        const bool ok = stopped_ || write_(item);
        lock.lock();
        stopped_ = stopped_ || !ok; // later tiles are dropped: the import has failed
        free_.push_back(std::move(item));
        room_.notify_all();
    }
}

} // namespace tile_import
} // namespace velmo
