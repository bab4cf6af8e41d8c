// The store's one writer thread.
#pragma once

#include "import_buffer.h"
#include "velmo.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmo {
namespace tile_import {

// A levelled tile on its way to the store: its points in store order and
// its cell index.
struct TileOutput {
    Buffer<tile_point_t> points;
    std::vector<uint32_t> index;
    uint64_t tile = 0;
};

// Writes levelled tiles to the store one after another on a thread of its
// own.  Threads writing one file all queue on its inode lock, spinning where
// they could be levelling their next tile: the tiles' cell indexes go
// through this thread too.  Tiles queued for writing are bounded, so memory
// stays bounded whatever the disk does.
class StoreWriter {
public:
    using Write = std::function<bool(const TileOutput &tile)>;

    StoreWriter(size_t queue_limit, Write write);
    ~StoreWriter();

    // Buffers for the next tile, of one written before when there is one.
    TileOutput take();
    // Queues a tile for the store, waiting while the queue is full.
    void put(TileOutput &&tile);
    // Writes what is queued and ends the thread.
    void finish();

private:
    void run();

    const size_t limit_;
    const Write write_;
    std::mutex mutex_;
    std::condition_variable work_, room_;
    std::deque<TileOutput> queue_;
    std::vector<TileOutput> free_;
    bool closing_ = false;
    bool stopped_ = false;
    std::thread thread_;
};

} // namespace tile_import
} // namespace velmo
