// What the import's phases share: the import itself, its threads' buffers,
// and the records it keeps between the phases (see tile_import.cpp).
#pragma once

#include "entry_sorter.h"
#include "fine_grid.h"
#include "import_bits.h"
#include "import_buffer.h"
#include "section_grid.h"
#include "store_writer.h"
#include "tile_store.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace velmo {
namespace tile_import {

constexpr size_t kSliceBytes = 128u << 10; // records read and looked at while in the cache
const char *const kChanged = "The LAS file changed during the import";

// What one thread found in pass 1.
struct ScanStats {
    IntBox box;
    uint16_t max_colour = 0;
    uint16_t max_intensity = 0;
};

// The points of one leaf in one chunk: where they lie in the chunk's
// buffer, grouped by leaf.
struct LeafRun {
    uint32_t leaf;
    uint32_t start;
    uint32_t count;
};

// The points of one leaf in one chunk, in a thread's spill file.
struct SpillRun {
    uint64_t offset;
    uint32_t leaf;
    uint32_t count;
    uint32_t file; // the thread that wrote it
};

// The entries [first, end) of one finest cell, and the one among them a
// cell of any level holding it would pick next: the free entry with the
// smallest hash (end when none is free).
struct CellRun {
    uint64_t cell;
    uint32_t first;
    uint32_t end;
    uint32_t best;
};

// Buffers of one thread, kept from chunk to chunk and tile to tile.  Each
// starts on its own cache lines: a thread's per-chunk updates must not
// evict its neighbour's buffer pointers.
struct alignas(64) Scratch {
    Buffer<uint8_t> records;
    Buffer<uint8_t> sorted;   // a chunk's spill records, grouped by leaf
    Buffer<uint8_t> spilled;  // a tile's spill records, read back
    Buffer<uint32_t> leaf_of;
    std::vector<uint32_t> leaf_count;
    GridCounts counts;
    std::vector<LeafRun> runs;
    Buffer<Entry> entries;
    Buffer<uint8_t> levels;
    std::vector<CellRun> cell_runs; // of the coarsest cell being levelled
    std::vector<uint32_t> cell_starts;
    EntrySorter sorter;
    ScanStats stats;
    uint32_t index = 0;     // of the thread
    std::vector<int> spill_fd; // a spill file per group of leaves
    std::vector<uint64_t> spill_size;
};

// Byte offsets in a LAS record of the fields that vary with its format.
struct RecordFields {
    size_t colour = 0; // 0: no colour
    size_t classification = 15;
    uint8_t class_mask = 0x1f;
};

// A quadtree leaf holding points: its points are contiguous in the store.
struct Leaf {
    uint64_t first;
    uint64_t count;
    int64_t x0, y0; // LAS integer units every point of the leaf lies at or above
    int depth;
};

// A point in a spill file when every leaf is narrow enough: its position in
// the leaf in 24 bits a side, and the stored fields that fit a byte (colour
// and intensity are already scaled to 8 bits).  Two thirds of the bytes of a
// stored point: the spill is written and read back once each.
struct SpillPoint {
    uint32_t x_class;     // x - leaf x0, class in the top byte
    uint32_t y_intensity; // y - leaf y0, intensity in the top byte
    int32_t z;
    uint32_t rgb;
};
static_assert(sizeof(SpillPoint) == 16, "spilled points are 16 bytes");
constexpr int64_t kSpillReach = int64_t(1) << 24;

// Joins worker threads on every way out of a scope; an exception on the way
// (a progress callback that throws) first tells the workers to stop.
class Joiner {
public:
    Joiner(std::vector<std::thread> &threads, std::atomic<bool> &stop)
        : threads_(threads), stop_(stop), exceptions_(std::uncaught_exceptions())
    {
    }
    ~Joiner()
    {
        if (std::uncaught_exceptions() > exceptions_)
            stop_ = true;
        for (std::thread &t : threads_)
            if (t.joinable())
                t.join();
    }

private:
    std::vector<std::thread> &threads_;
    std::atomic<bool> &stop_;
    int exceptions_;
};

class Import {
public:
    Import(const LasFile &las, const std::string &store_path, const Progress &progress,
           const TileStoreOptions &options);
    ~Import();
    bool run(std::string *error);

private:
    // Setting up, threads and progress (tile_import.cpp).
    bool check_header();
    bool create_part_file();
    void fail(const std::string &message);
    bool failed() const { return stop_.load(std::memory_order_relaxed); }
    template <class Work> void parallel(uint64_t items, const Work &work, unsigned threads = 0);
    template <class Work> bool read_chunk(Scratch &s, uint64_t chunk, uint64_t *count, const Work &work);
    void begin_phase(double from, double span, uint64_t work);
    void report(bool force);
    std::string system_error(const std::string &what, const std::string &path) const;
    // Pass 1, the counting, and the tiles it decides (tile_import_count.cpp).
    void scan(bool count_cells);
    void scan_chunk(Scratch &s, uint64_t chunk, bool count_cells);
    void scan_records(Scratch &s, const uint8_t *records, size_t first, size_t count, bool count_cells);
    void merge_scan();
    void decide_tiles();
    void split(int depth, uint32_t morton);
    void add_leaf(int depth, uint32_t morton, uint64_t count);
    // Pass 2, the scatter of points to their leaves (tile_import_scatter.cpp).
    void scatter();
    void scatter_chunk(Scratch &s, uint64_t chunk);
    bool decode_record(const uint8_t *record, const Leaf &leaf, uint8_t *out) const;
    bool find_leaves(Scratch &s, const uint8_t *records, size_t first, size_t count);
    void start_runs(Scratch &s);
    void choose_spill_record();
    // The scratch files from the scatter to the levelling (tile_import_scratch.cpp).
    void group_leaves();
    uint64_t spill_memory_budget() const;
    void keep_spill_in_memory();
    bool open_spill(Scratch &s, uint32_t group);
    bool spill_runs(Scratch &s, uint64_t chunk);
    void close_spills(uint32_t group);
    void close_spills();
    bool gather_leaf_runs();
    bool load_tile(Scratch &s, size_t index);
    // The levelling of each tile (tile_import_level.cpp).
    void level_tiles();
    void level_tile(Scratch &s, size_t index, StoreWriter &writer);
    tile_point_t spilled_point(const uint8_t *record, int64_t x0, int64_t y0) const;
    int32_t spilled_z(const uint8_t *record) const;
    void assign_levels(Scratch &s, size_t n);
    void count_cells(Scratch &s, size_t index, size_t cells, std::vector<uint32_t> &cell_index);
    // The store file (tile_import_write.cpp).
    std::string store_folder() const;
    uint64_t free_disk_bytes() const;
    bool allocate_file();
    bool store_tile(const TileOutput &tile);
    bool commit();

    const LasFile &las_;
    const LasHeader &header_;
    const std::string store_path_;
    const std::string part_path_;
    const Progress &progress_;
    const TileStoreOptions options_;
    const unsigned threads_;
    const int depth_;
    const uint32_t limit_;
    const uint64_t point_count_;
    uint64_t chunk_points_ = 1;
    uint64_t chunks_ = 0;

    int fd_ = -1;
    bool created_ = false;
    bool committed_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stop_{false};
    std::string error_;

    std::atomic<uint64_t> done_{0};
    uint64_t phase_work_ = 1;
    double phase_from_ = 0, phase_span_ = 0;
    int report_total_ = 1;
    int reported_ = -1;

    std::vector<Scratch> scratch_;
    IntBox box_;
    const RecordFields fields_;
    uint16_t max_colour_ = 0;
    uint16_t max_intensity_ = 0;
    uint32_t colour_shift_ = 0;
    int64_t base_[3] = {0, 0, 0};
    double side_ = 0;
    Frame frame_;
    bool use_grid_ = false;
    FineGrid grid_;

    std::vector<uint64_t> chunk_hashes_; // of each chunk's records as the first pass read them
    bool hashes_taken_ = false;

    std::vector<Leaf> leaves_;
    bool compact_ = false;         // spill records are SpillPoints, else stored points
    size_t spill_record_ = sizeof(tile_point_t);
    std::vector<uint32_t> tile_leaf_;     // the leaf of each tile
    std::vector<uint64_t> tile_in_leaf_;  // where its points start among the leaf's
    // The second pass writes each thread's points to a spill file of its
    // own, a chunk at a time: writes to one shared file all queue on its
    // inode lock.
    std::vector<std::vector<SpillRun>> chunk_runs_;
    // Each leaf's runs in chunk order, its points in the order of the file
    // whatever the threads' timing, leaf after leaf in one table: leaf i's
    // start at leaf_run_start_[i].
    std::vector<SpillRun> leaf_runs_;
    std::vector<uint64_t> leaf_run_start_;
    // Leaves in store order are cut in groups of a bounded size, each with
    // its own spill files, closed once the group's tiles are written: the
    // spill and the store together then never hold much more than the
    // store, which keeps the kernel from throttling the writes.
    std::vector<uint32_t> leaf_group_;
    std::vector<uint32_t> group_first_tile_; // and one past the last group's tiles
    std::vector<uint8_t> group_in_memory_;    // its scratch files are memory-backed
    uint64_t file_spill_bytes_ = 0;           // of the scratch files on the disk
    std::vector<StoreTile> tiles_;
    std::vector<double> tile_width_;
    std::vector<tile_point_t> tile_ends_; // each tile's first and last point as written
    std::vector<uint64_t> index_start_;  // of each tile's cell index, in numbers
    uint64_t index_count_ = 0;
    Quantisation q_;
    uint64_t points_offset_ = 0;
    uint64_t file_size_ = 0;
};

// Runs work(scratch, item) for every item on the given threads (0: all).
template <class Work> void Import::parallel(uint64_t items, const Work &work, unsigned threads)
{
    if (items == 0)
        return;
    std::atomic<uint64_t> next{0};
    unsigned finished = 0;
    const unsigned count = unsigned(std::min<uint64_t>(threads ? threads : threads_, items));
    auto body = [&](unsigned t) {
        for (;;) {
            uint64_t i = next.fetch_add(1);
            if (i >= items || failed())
                break;
            try {
                work(scratch_[t], i);
            } catch (const std::bad_alloc &) {
                fail("Not enough memory to import the point cloud");
            } catch (const std::exception &e) {
                fail(std::string("The import failed: ") + e.what());
            }
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++finished;
        wake_.notify_all();
    };
    std::vector<std::thread> pool;
    Joiner joiner(pool, stop_);
    pool.reserve(count);
    for (unsigned t = 0; t < count; ++t)
        pool.emplace_back(body, t);
    std::unique_lock<std::mutex> lock(mutex_);
    while (finished < count) {
        wake_.wait_for(lock, std::chrono::milliseconds(25));
        lock.unlock();
        report(false);
        lock.lock();
    }
}

// Reads a chunk's records slice after slice, and hands each slice on to
// work(records, index in the chunk, count) while it is still in the cache.
// The bytes of a chunk must be those the first pass read: a file rewritten in
// place during the import would otherwise give a store mixing two files.
template <class Work> bool Import::read_chunk(Scratch &s, uint64_t chunk, uint64_t *count, const Work &work)
{
    const uint64_t first = chunk * chunk_points_;
    const size_t length = header_.record_length;
    *count = std::min(chunk_points_, point_count_ - first);
    s.records.resize(size_t(*count) * length);
    const uint64_t per_slice = std::max<uint64_t>(1, kSliceBytes / length);
    uint64_t hash = 0;
    for (uint64_t k = 0; k < *count; k += per_slice) {
        const uint64_t n = std::min(per_slice, *count - k);
        uint8_t *records = s.records.data() + k * length;
        if (!las_.read_records(first + k, n, records)) {
            fail("Cannot read the LAS file");
            return false;
        }
        hash = (hash ^ records_hash(records, size_t(n) * length)) * 0x9E3779B97F4A7C15ull;
        if (!work(records, size_t(k), size_t(n)))
            return false;
    }
    if (!hashes_taken_) {
        chunk_hashes_[chunk] = hash;
        return true;
    }
    if (hash == chunk_hashes_[chunk])
        return true;
    fail(kChanged);
    return false;
}

} // namespace tile_import
} // namespace velmo
