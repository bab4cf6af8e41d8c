// Import of a LAS file into a tile store.
//
// Two passes over the LAS file, each cut into chunks that the threads take in
// turn and read in cache-sized slices.  Pass 1 finds the real box, the
// largest colour and intensity, and counts points on a fine grid over the
// cloud's square (in Morton order, so a quadtree node is a contiguous range of
// cells).  The quadtree's leaves are then the tiles.  Pass 2 decodes every
// point, groups a chunk's points by leaf and appends them to the thread's own
// spill file.  Last, each tile gathers its points from the spill files in the
// order of the LAS file, levels them and writes them level-descending to its
// range of the store.
//
// Memory is bounded by the threads' chunk and tile buffers and the fine grid,
// whatever the size of the file: no pass holds the cloud.
#include "tile_import.h"

#include "entry_sorter.h"
#include "fine_grid.h"
#include "import_bits.h"
#include "import_buffer.h"
#include "positioned_io.h"
#include "section_grid.h"
#include "store_writer.h"
#include "tile_format.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace velmo {
namespace tile_import {
namespace {

constexpr int kDeepest = 11;                  // fine grid of 2048 x 2048 cells
constexpr uint64_t kMaxParts = 1ull << 26;    // part numbers fit between depth and position bits
constexpr int kFinestLevel = 4;               // levels 8 .. 4 are given by grid cells
constexpr int kCoarsestLevel = 8;
constexpr int kRestLevel = 3;
constexpr double kFinestCells = 128;          // level-4 cells across a tile: 2^(11 - 4)
constexpr uint32_t kMaxZCell = (1u << 21) - 1;
constexpr int kHashBits = 29;
constexpr uint64_t kHashMask = (1ull << kHashBits) - 1;
constexpr int kReports = 200;                 // callbacks per import, about
constexpr size_t kSliceBytes = 128u << 10;    // records read and looked at while in the cache
constexpr uint64_t kMaxGroups = 16;           // of leaves with scratch files of their own
constexpr uint64_t kMaxChunks = 1024;         // of a large cloud, while chunks stay ...
constexpr uint64_t kMaxChunkBytes = 12u << 20; // ... within this size
const char *const kMessage = "Importing point cloud...";
const char *const kChanged = "The LAS file changed during the import";

// CORVANE_IMPORT_TIMES=1 prints each phase's wall time on stderr.
struct PhaseClock {
    bool on = std::getenv("CORVANE_IMPORT_TIMES") != nullptr;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    void lap(const char *name)
    {
        auto now = std::chrono::steady_clock::now();
        if (on)
            std::fprintf(stderr, "import %s %.3f s\n", name, std::chrono::duration<double>(now - last).count());
        last = now;
    }
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

// The free entry of [first, end) with the smallest hash, the first of
// equals; end when none is free.
uint32_t best_free_entry(const Entry *entries, const uint8_t *levels, uint32_t first, uint32_t end);

// Among the finest cells' runs of whole cells of the level, in key order,
// gives each cell's free entry with the smallest hash that level.
void pick_cell_winners(const Entry *entries, uint8_t *levels, std::vector<CellRun> &runs, int level);

// Byte offsets in a LAS record of the fields that vary with its format.
struct RecordFields {
    size_t colour = 0; // 0: no colour
    size_t classification = 15;
    uint8_t class_mask = 0x1f;
};

// Where the fields a stored point keeps lie in a record of the file's format.
RecordFields record_fields(uint8_t point_format)
{
    RecordFields f;
    f.colour = las_format_layout(point_format).colour;
    f.classification = point_format < 6 ? 15 : 16;
    f.class_mask = point_format < 6 ? 0x1f : 0xff;
    return f;
}

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
    bool check_header();
    bool create_part_file();
    void scan(bool count_cells);
    void scan_chunk(Scratch &s, uint64_t chunk, bool count_cells);
    void merge_scan();
    void decide_tiles();
    void split(int depth, uint32_t morton);
    void add_leaf(int depth, uint32_t morton, uint64_t count);
    std::string store_folder() const;
    uint64_t free_disk_bytes() const;
    bool allocate_file();
    bool store_tile(const TileOutput &tile);
    void scatter();
    void scatter_chunk(Scratch &s, uint64_t chunk);
    bool decode_record(const uint8_t *record, const Leaf &leaf, uint8_t *out) const;
    tile_point_t spilled_point(const uint8_t *record, int64_t x0, int64_t y0) const;
    int32_t spilled_z(const uint8_t *record) const;
    void choose_spill_record();
    bool spill_runs(Scratch &s, uint64_t chunk);
    void level_tiles();
    void level_tile(Scratch &s, size_t index, StoreWriter &writer);
    void assign_levels(Scratch &s, size_t n);
    void count_cells(Scratch &s, size_t index, size_t cells, std::vector<uint32_t> &cell_index);
    bool commit();

    template <class Work> bool read_chunk(Scratch &s, uint64_t chunk, uint64_t *count, const Work &work);
    void scan_records(Scratch &s, const uint8_t *records, size_t first, size_t count, bool count_cells);
    bool find_leaves(Scratch &s, const uint8_t *records, size_t first, size_t count);
    void start_runs(Scratch &s);
    void group_leaves();
    bool open_spill(Scratch &s, uint32_t group);
    void keep_spill_in_memory();
    void close_spills(uint32_t group);
    void close_spills();
    bool gather_leaf_runs();
    bool load_tile(Scratch &s, size_t index);
    void fail(const std::string &message);
    bool failed() const { return stop_.load(std::memory_order_relaxed); }
    template <class Work> void parallel(uint64_t items, const Work &work, unsigned threads = 0);
    void begin_phase(double from, double span, uint64_t work);
    void report(bool force);
    std::string system_error(const std::string &what, const std::string &path) const;

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

unsigned thread_count(const TileStoreOptions &o)
{
    // Each thread holds some 30 MB of buffers at most: many-core machines
    // would otherwise pay for their cores in memory.
    unsigned n = o.threads ? o.threads : std::thread::hardware_concurrency();
    return std::clamp(n, 1u, 32u);
}

Import::Import(const LasFile &las, const std::string &store_path, const Progress &progress,
               const TileStoreOptions &options)
    : las_(las), header_(las.header()), store_path_(store_path), part_path_(store_path + ".part"),
      progress_(progress), options_(options), threads_(thread_count(options)),
      depth_(std::clamp(options.max_depth, 0, kDeepest)), limit_(std::max<uint32_t>(options.tile_limit, 1)),
      point_count_(las.point_count()), fields_(record_fields(header_.point_format))
{
}

Import::~Import()
{
    close_spills();
    if (fd_ >= 0)
        ::close(fd_);
    if (created_ && !committed_)
        ::unlink(part_path_.c_str());
}

std::string Import::system_error(const std::string &what, const std::string &path) const
{
    return what + ": " + path + ": " + std::strerror(errno);
}

void Import::fail(const std::string &message)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (error_.empty())
            error_ = message;
        stop_ = true;
    }
}

bool Import::run(std::string *error)
{
    auto finish = [&]() {
        if (error)
            *error = error_;
        return false;
    };
    PhaseClock clock;
    if (!check_header() || !create_part_file())
        return finish();
    scratch_.resize(threads_);
    for (size_t t = 0; t < scratch_.size(); ++t)
        scratch_[t].index = uint32_t(t);
    report(true);

    use_grid_ = point_count_ > limit_ && depth_ > 0;
    IntBox claimed;
    bool trust_header = use_grid_ && header_box(header_, &claimed);
    if (trust_header) {
        grid_.reset(depth_);
        frame_ = make_frame(claimed, header_.scale, depth_);
    }
    begin_phase(0, use_grid_ ? chunks_ * 0.5 : chunks_, point_count_);
    chunk_hashes_.assign(chunks_, 0);
    scan(trust_header);
    if (failed())
        return finish();
    hashes_taken_ = true;
    merge_scan();
    if (use_grid_ && !(trust_header && claimed.same_xy(box_))) {
        // The header's box is not the points' box: count again on the real square.
        grid_.reset(depth_);
        frame_ = make_frame(box_, header_.scale, depth_);
        begin_phase(chunks_ * 0.5, chunks_ * 0.5, point_count_);
        scan(true);
        if (failed())
            return finish();
    }
    clock.lap("count");
    decide_tiles();
    if (!allocate_file())
        return finish();
    clock.lap("tiles");
    if (options_.between_passes)
        options_.between_passes();
    begin_phase(chunks_, chunks_, point_count_);
    scatter();
    if (failed())
        return finish();
    clock.lap("scatter");
    grid_.release();
    for (Scratch &s : scratch_) { // the levelling needs other buffers
        s.records = Buffer<uint8_t>();
        s.leaf_of = Buffer<uint32_t>();
        s.sorted = Buffer<uint8_t>();
    }
    if (!gather_leaf_runs())
        return finish();
    begin_phase(2.0 * chunks_, chunks_, point_count_);
    clock.lap("gather");
    level_tiles();
    clock.lap("level");
    close_spills();
    clock.lap("close");
    if (failed())
        return finish();
    begin_phase(report_total_, 0, 1);
    report(true);
    const bool ok = commit();
    clock.lap("commit");
    return ok || finish();
}

bool Import::check_header()
{
    for (int a = 0; a < 3; ++a)
        if (!(header_.scale[a] > 0) || !std::isfinite(header_.scale[a]) || !std::isfinite(header_.offset[a])) {
            fail("LAS header has an unusable scale or offset");
            return false;
        }
    if (point_count_ > UINT32_MAX) {
        fail("The LAS file has too many points to import");
        return false;
    }
    if (header_.record_length == 0) {
        fail("LAS header is inconsistent");
        return false;
    }
    chunk_points_ = std::clamp<uint64_t>(options_.chunk_bytes / header_.record_length, 1, 1u << 20);
    // Bigger chunks for a large cloud, up to a bound on the threads' buffers:
    // every chunk leaves a run of points in each leaf it touches, and each
    // run is a read when the leaf's tiles are levelled.
    const uint64_t fewer = std::min((point_count_ + kMaxChunks - 1) / kMaxChunks, kMaxChunkBytes / header_.record_length);
    chunk_points_ = std::max(chunk_points_, fewer);
    chunk_points_ = std::max(chunk_points_, point_count_ >> 24); // a bounded table of chunk hashes
    chunks_ = (point_count_ + chunk_points_ - 1) / chunk_points_;
    report_total_ = int(std::clamp<uint64_t>(3 * chunks_, 1, INT_MAX / 4));
    return true;
}

bool Import::create_part_file()
{
    fd_ = ::open(part_path_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        fail(system_error("Cannot create the tile store", part_path_));
        return false;
    }
    created_ = true;
    return true;
}

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

void Import::begin_phase(double from, double span, uint64_t work)
{
    phase_from_ = from;
    phase_span_ = span;
    phase_work_ = std::max<uint64_t>(work, 1);
    done_ = 0;
}

void Import::report(bool force)
{
    if (!progress_)
        return;
    double done = double(std::min(done_.load(), phase_work_)) / double(phase_work_);
    int current = std::clamp(int(phase_from_ + phase_span_ * done), 0, report_total_);
    if (current <= reported_)
        return;
    int step = std::max(1, report_total_ / kReports);
    if (!force && reported_ >= 0 && current - reported_ < step && current != report_total_)
        return;
    reported_ = current;
    progress_(report_total_, current, kMessage);
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

// ---- pass 1 ------------------------------------------------------------

void Import::scan(bool count_cells)
{
    if (count_cells)
        for (Scratch &s : scratch_)
            grid_.start_counting(s.counts);
    parallel(chunks_, [&](Scratch &s, uint64_t chunk) { scan_chunk(s, chunk, count_cells); });
    if (count_cells)
        for (Scratch &s : scratch_)
            grid_.merge(s.counts);
}

void Import::scan_chunk(Scratch &s, uint64_t chunk, bool count_cells)
{
    s.counts.chunk_cells.resize(count_cells ? size_t(chunk_points_) : 0);
    uint64_t count;
    auto scan_slice = [&](const uint8_t *records, size_t first, size_t n) {
        scan_records(s, records, first, n, count_cells);
        return true;
    };
    if (!read_chunk(s, chunk, &count, scan_slice))
        return;
    if (count_cells)
        grid_.count(s.counts, s.counts.chunk_cells.data(), size_t(count));
    done_ += count;
}

// Reads only the fields the counting needs, straight from the records:
// the first pass must cost little next to the second.
void Import::scan_records(Scratch &s, const uint8_t *record, size_t first, size_t count, bool count_cells)
{
    const size_t colour_at = fields_.colour;
    const uint16_t length = header_.record_length;
    uint32_t *cells = s.counts.chunk_cells.data() + (count_cells ? first : 0);
    // Kept in registers, not in the scratch record, for the whole slice.
    ScanStats stats = s.stats;
    for (size_t k = 0; k < count; ++k, record += length) {
        const int32_t x = record_field<int32_t>(record, 0), y = record_field<int32_t>(record, 4);
        stats.box.add(x, y, record_field<int32_t>(record, 8));
        stats.max_intensity = std::max(stats.max_intensity, record_field<uint16_t>(record, 12));
        if (colour_at)
            stats.max_colour = std::max({stats.max_colour, record_field<uint16_t>(record, colour_at),
                                         record_field<uint16_t>(record, colour_at + 2),
                                         record_field<uint16_t>(record, colour_at + 4)});
        if (count_cells)
            cells[k] = frame_.cell(x, y);
    }
    s.stats = stats;
}

void Import::merge_scan()
{
    for (Scratch &s : scratch_) {
        box_.add(s.stats.box);
        max_colour_ = std::max(max_colour_, s.stats.max_colour);
        max_intensity_ = std::max(max_intensity_, s.stats.max_intensity);
    }
    if (point_count_ == 0)
        box_ = IntBox{{0, 0, 0}, {0, 0, 0}};
    colour_shift_ = max_colour_ > 255 ? 8 : 0;
    // Re-based on the middle of the box, a coordinate always fits 32 bits.
    for (int a = 0; a < 3; ++a)
        base_[a] = box_.min[a] + (box_.max[a] - box_.min[a] + 1) / 2;
    side_ = square_side(box_, header_.scale);
}

// ---- tiles -------------------------------------------------------------

void Import::decide_tiles()
{
    if (point_count_ > 0 && !use_grid_)
        add_leaf(0, 0, point_count_);
    if (use_grid_) {
        grid_.finish_counts();
        split(0, 0);
    }
    chunk_runs_.assign(chunks_, {});
    choose_spill_record();
    group_leaves();
    index_start_.resize(tiles_.size());
    for (size_t t = 0; t < tiles_.size(); ++t) {
        index_start_[t] = index_count_;
        index_count_ += tile_format::index_numbers(tiles_[t]);
    }
    q_ = quantisation_of(header_.scale, header_.offset, base_);
    points_offset_ = tile_format::points_offset(tiles_.size(), index_count_);
    file_size_ = points_offset_ + point_count_ * sizeof(tile_point_t);
    keep_spill_in_memory();
}

void Import::split(int depth, uint32_t morton)
{
    const uint32_t count = grid_.count(depth, morton);
    if (count > limit_ && depth < depth_) {
        for (uint32_t q = 0; q < 4; ++q)
            split(depth + 1, morton * 4 + q);
        return;
    }
    uint32_t leaf = kNoLeaf;
    if (count > 0) {
        leaf = uint32_t(leaves_.size());
        add_leaf(depth, morton, count);
    }
    grid_.set_leaf(depth, morton, leaf);
}

void Import::add_leaf(int depth, uint32_t morton, uint64_t count)
{
    const uint64_t first = leaves_.empty() ? 0 : leaves_.back().first + leaves_.back().count;
    const double width = std::ldexp(side_, -depth);
    const double x0 = double(box_.min[0]) * header_.scale[0] + header_.offset[0];
    const double y0 = double(box_.min[1]) * header_.scale[1] + header_.offset[1];
    const uint32_t i = compact_bits2(morton), j = compact_bits2(morton >> 1);
    // The leaf's cells start here in integer units; a unit or two lower
    // covers the rounding of the cell a point was counted in.
    Leaf leaf{first, count, box_.min[0], box_.min[1], depth};
    if (use_grid_) {
        const double cells = std::ldexp(1.0, depth_ - depth);
        leaf.x0 = frame_.min_x + int64_t(std::floor(i * cells / frame_.kx)) - 2;
        leaf.y0 = frame_.min_y + int64_t(std::floor(j * cells / frame_.ky)) - 2;
    }
    leaves_.push_back(leaf);
    // A leaf at the deepest level can still hold a pile of points: it is cut
    // in parts of one square, so no tile is too big to level or to draw.
    uint64_t parts = 1;
    if (count > limit_)
        parts = std::min<uint64_t>((count + limit_ - 1) / limit_, kMaxParts);
    uint64_t at = first;
    for (uint64_t part = 0; part < parts; ++part) {
        tile_leaf_.push_back(uint32_t(leaves_.size() - 1));
        tile_in_leaf_.push_back(at - first);
        const uint64_t size = count / parts + (part < count % parts ? 1 : 0);
        StoreTile t;
        std::memset(&t, 0, sizeof t);
        t.box[0] = x0 + i * width;
        t.box[1] = y0 + j * width;
        t.box[3] = x0 + (i + 1) * width;
        t.box[4] = y0 + (j + 1) * width;
        t.code = uint64_t(depth) << 58 | part << 32 | morton;
        t.first = at;
        t.count = uint32_t(size);
        tiles_.push_back(t);
        tile_width_.push_back(width);
        at += size;
    }
}

std::string Import::store_folder() const
{
    const size_t slash = part_path_.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : part_path_.substr(0, slash);
}

// Bytes free on the store's file system; UINT64_MAX when it does not say.
uint64_t Import::free_disk_bytes() const
{
    struct statvfs disk;
    if (::statvfs(store_folder().c_str(), &disk) != 0)
        return UINT64_MAX;
    return uint64_t(disk.f_bavail) * disk.f_frsize;
}

// Looking at the free space first makes a full disk fail now, not at the
// end.  The space is not reserved with fallocate: writing into reserved
// blocks costs several times a plain write once the kernel starts writing
// the file back.  A disk that fills meanwhile still fails the writes.
bool Import::allocate_file()
{
    if (free_disk_bytes() < file_size_ + file_spill_bytes_) {
        errno = ENOSPC;
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    if (::ftruncate(fd_, off_t(file_size_)) != 0) {
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    return true;
}

bool Import::store_tile(const TileOutput &tile)
{
    const uint64_t index_at = tile_format::kHeaderSize + tiles_.size() * sizeof(StoreTile) +
                              index_start_[tile.tile] * sizeof(uint32_t);
    const uint64_t points_at = points_offset_ + tiles_[tile.tile].first * sizeof(tile_point_t);
    if (tile.points.size() > 0) {
        tile_ends_[2 * tile.tile] = tile.points[0];
        tile_ends_[2 * tile.tile + 1] = tile.points[tile.points.size() - 1];
    }
    if (pwrite_all(fd_, tile.index.data(), tile.index.size() * sizeof(uint32_t), index_at) &&
        pwrite_all(fd_, tile.points.data(), tile.points.size() * sizeof(tile_point_t), points_at))
        return true;
    fail(system_error("Cannot write the tile store", part_path_));
    return false;
}

// ---- pass 2 ------------------------------------------------------------

void Import::scatter()
{
    for (Scratch &s : scratch_)
        s.leaf_count.assign(leaves_.size(), 0);
    parallel(chunks_, [&](Scratch &s, uint64_t chunk) { scatter_chunk(s, chunk); });
}

uint16_t scale_intensity(uint16_t raw, uint16_t max)
{
    return max ? uint16_t(uint32_t(raw) * 255 / max) : 0;
}

// Straight from the record: the scatter must not pay for the fields the
// store does not keep.
bool Import::decode_record(const uint8_t *record, const Leaf &leaf, uint8_t *out) const
{
    const int32_t v[3] = {record_field<int32_t>(record, 0), record_field<int32_t>(record, 4),
                          record_field<int32_t>(record, 8)};
    for (int a = 0; a < 3; ++a)
        if (v[a] < box_.min[a] || v[a] > box_.max[a])
            return false;
    tile_point_t p{}; // padding too: the store is the same for the same LAS file
    p.classification = uint8_t(record[fields_.classification] & fields_.class_mask);
    p.intensity = scale_intensity(record_field<uint16_t>(record, 12), max_intensity_);
    if (fields_.colour) {
        p.red = uint16_t(record_field<uint16_t>(record, fields_.colour) >> colour_shift_);
        p.green = uint16_t(record_field<uint16_t>(record, fields_.colour + 2) >> colour_shift_);
        p.blue = uint16_t(record_field<uint16_t>(record, fields_.colour + 4) >> colour_shift_);
    }
    p.z = int32_t(int64_t(v[2]) - base_[2]);
    if (!compact_) {
        p.x = int32_t(int64_t(v[0]) - base_[0]);
        p.y = int32_t(int64_t(v[1]) - base_[1]);
        std::memcpy(out, &p, sizeof p);
        return true;
    }
    const int64_t dx = v[0] - leaf.x0, dy = v[1] - leaf.y0;
    if (dx < 0 || dx >= kSpillReach || dy < 0 || dy >= kSpillReach)
        return false; // not in the leaf's square: not the point the first pass counted
    SpillPoint sp;
    sp.x_class = uint32_t(dx) | uint32_t(p.classification) << 24;
    sp.y_intensity = uint32_t(dy) | uint32_t(p.intensity) << 24;
    sp.z = p.z;
    sp.rgb = uint32_t(p.red) | uint32_t(p.green) << 8 | uint32_t(p.blue) << 16;
    std::memcpy(out, &sp, sizeof sp);
    return true;
}

// A spill record back into a stored point; x0 and y0 are its leaf's origin
// in stored units.
tile_point_t Import::spilled_point(const uint8_t *record, int64_t x0, int64_t y0) const
{
    tile_point_t p{}; // padding too, not only the fields
    if (!compact_) {
        std::memcpy(&p, record, sizeof p);
        return p;
    }
    SpillPoint sp;
    std::memcpy(&sp, record, sizeof sp);
    p.classification = uint8_t(sp.x_class >> 24);
    p.intensity = uint16_t(sp.y_intensity >> 24);
    p.red = uint16_t(sp.rgb & 0xFF);
    p.green = uint16_t(sp.rgb >> 8 & 0xFF);
    p.blue = uint16_t(sp.rgb >> 16 & 0xFF);
    p.x = int32_t(x0 + int64_t(sp.x_class & 0xFFFFFF));
    p.y = int32_t(y0 + int64_t(sp.y_intensity & 0xFFFFFF));
    p.z = sp.z;
    return p;
}

int32_t Import::spilled_z(const uint8_t *record) const
{
    return record_field<int32_t>(record, compact_ ? offsetof(SpillPoint, z) : offsetof(tile_point_t, z));
}

void Import::scatter_chunk(Scratch &s, uint64_t chunk)
{
    s.leaf_of.resize(chunk_points_);
    s.runs.clear();
    uint64_t count;
    auto leaves_of_slice = [&](const uint8_t *records, size_t first, size_t n) {
        return find_leaves(s, records, first, n);
    };
    if (!read_chunk(s, chunk, &count, leaves_of_slice))
        return;
    start_runs(s);
    // Each record is decoded straight into its leaf's run of the chunk, in
    // the order of the file.
    const uint16_t length = header_.record_length;
    s.sorted.resize(size_t(count) * spill_record_);
    const uint8_t *record = s.records.data();
    for (uint64_t k = 0; k < count; ++k, record += length) {
        const uint32_t leaf = s.leaf_of[k];
        if (!decode_record(record, leaves_[leaf], &s.sorted[size_t(s.leaf_count[leaf]++) * spill_record_])) {
            fail(kChanged);
            return;
        }
    }
    for (const LeafRun &r : s.runs)
        s.leaf_count[r.leaf] = 0;
    if (spill_runs(s, chunk))
        done_ += count;
}

// The leaf of each point of a slice of the chunk, counted per leaf.
bool Import::find_leaves(Scratch &s, const uint8_t *record, size_t first, size_t count)
{
    const uint16_t length = header_.record_length;
    uint32_t *leaf_of = s.leaf_of.data() + first;
    for (size_t k = 0; k < count; ++k, record += length) {
        const uint32_t leaf =
            use_grid_ ? grid_.leaf(frame_.cell(record_field<int32_t>(record, 0), record_field<int32_t>(record, 4))) : 0;
        if (leaf >= leaves_.size()) {
            fail(kChanged);
            return false;
        }
        leaf_of[k] = leaf;
        if (s.leaf_count[leaf]++ == 0)
            s.runs.push_back({leaf, 0, 0});
    }
    return true;
}

// Turns the chunk's per-leaf counts into where each leaf's run starts, in
// leaf order.
void Import::start_runs(Scratch &s)
{
    std::sort(s.runs.begin(), s.runs.end(), [](const LeafRun &a, const LeafRun &b) { return a.leaf < b.leaf; });
    uint32_t start = 0;
    for (LeafRun &r : s.runs) {
        r.start = start;
        r.count = s.leaf_count[r.leaf];
        s.leaf_count[r.leaf] = start;
        start += r.count;
    }
}

// Compact records when every leaf's square, seen from its origin, stays
// within their reach (always but for a cloud very wide for its points).
void Import::choose_spill_record()
{
    compact_ = true;
    for (size_t i = 0; i < leaves_.size() && compact_; ++i) {
        const double cells = use_grid_ ? std::ldexp(1.0, depth_ - leaves_[i].depth) : 0;
        const double reach_x = use_grid_ ? cells / frame_.kx : double(box_.max[0] - box_.min[0]);
        const double reach_y = use_grid_ ? cells / frame_.ky : double(box_.max[1] - box_.min[1]);
        compact_ = reach_x + 8 < double(kSpillReach) && reach_y + 8 < double(kSpillReach);
    }
    spill_record_ = compact_ ? sizeof(SpillPoint) : sizeof(tile_point_t);
}

void Import::group_leaves()
{
    // Each thread keeps a file per group open: a few dozen groups at most,
    // however big the cloud.
    const uint64_t most = std::max(options_.group_points, (point_count_ + kMaxGroups - 1) / kMaxGroups);
    leaf_group_.assign(leaves_.size(), 0);
    group_first_tile_.assign(1, 0);
    uint32_t group = 0;
    uint64_t in_group = 0;
    for (size_t i = 0; i < leaves_.size(); ++i) {
        if (in_group > 0 && in_group + leaves_[i].count > most) {
            ++group;
            in_group = 0;
        }
        leaf_group_[i] = group;
        in_group += leaves_[i].count;
    }
    for (size_t t = 0; t < tiles_.size(); ++t)
        while (group_first_tile_.size() <= leaf_group_[tile_leaf_[t]])
            group_first_tile_.push_back(uint32_t(t));
    group_first_tile_.push_back(uint32_t(tiles_.size()));
    for (Scratch &s : scratch_) {
        s.spill_fd.assign(group_first_tile_.size() - 1, -1);
        s.spill_size.assign(group_first_tile_.size() - 1, 0);
    }
}

// Bytes of memory the system can give without swapping, as it says; 0 when
// it does not say.
uint64_t available_memory()
{
    std::FILE *f = std::fopen("/proc/meminfo", "re");
    if (!f)
        return 0;
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1)
            break;
    std::fclose(f);
    return uint64_t(kb) * 1024;
}

// A number from a file of /proc; fallback when it cannot be read.
uint64_t proc_number(const char *path, uint64_t fallback)
{
    std::FILE *f = std::fopen(path, "re");
    if (!f)
        return fallback;
    unsigned long long n = 0;
    const bool read = std::fscanf(f, "%llu", &n) == 1;
    std::fclose(f);
    return read ? uint64_t(n) : fallback;
}

// Bytes of written pages the kernel lets wait in the page cache before it
// starts writing them back to the disk.
uint64_t writeback_threshold()
{
    const uint64_t bytes = proc_number("/proc/sys/vm/dirty_background_bytes", 0);
    if (bytes > 0)
        return bytes;
    return available_memory() / 100 * proc_number("/proc/sys/vm/dirty_background_ratio", 10);
}

// The last groups' scratch files are read last, after the longest wait in
// the page cache: they are the ones kept in memory while the budget allows.
// Unless the kernel has no reason to write any scratch back: scratch files
// on the disk are then read from the page cache, and faster than
// memory-backed ones, whose pages the kernel handles one at a time, which
// slows the store's writing down too (by half or more).  Half the threshold
// leaves room for what other programs write meanwhile.
void Import::keep_spill_in_memory()
{
    const size_t groups = group_first_tile_.size() - 1;
    std::vector<uint64_t> bytes(groups, 0);
    for (size_t i = 0; i < leaves_.size(); ++i)
        bytes[leaf_group_[i]] += leaves_[i].count * spill_record_;
    const uint64_t written = file_size_ + point_count_ * spill_record_;
    const bool stays_cached = written <= writeback_threshold() / 2 && written <= free_disk_bytes();
    uint64_t budget = options_.spill_memory;
    if (budget == TileStoreOptions::kAutoSpillMemory && stays_cached)
        budget = 0;
    if (budget == TileStoreOptions::kAutoSpillMemory)
        budget = std::min(available_memory() / 4, TileStoreOptions::kSpillMemoryCap);
    group_in_memory_.assign(groups, 0);
    file_spill_bytes_ = 0;
    for (size_t g = groups; g-- > 0;) {
        group_in_memory_[g] = bytes[g] <= budget;
        budget = group_in_memory_[g] ? budget - bytes[g] : 0;
        file_spill_bytes_ += group_in_memory_[g] ? 0 : bytes[g];
    }
}

// Unnamed, so that nothing is left behind whatever ends the import; on the
// disk unless the group's scratch is kept in memory (or the system has no
// memory-backed files).
bool Import::open_spill(Scratch &s, uint32_t group)
{
    int &fd = s.spill_fd[group];
    fd = group_in_memory_[group] ? ::memfd_create("corvane-import", MFD_CLOEXEC) : -1;
    if (fd >= 0)
        return true;
    fd = ::open(store_folder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) { // a file system without unnamed files
        const std::string name = part_path_ + ".spill" + std::to_string(s.index) + "-" + std::to_string(group);
        fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::unlink(name.c_str());
    }
    if (fd >= 0)
        return true;
    fail(system_error("Cannot create the tile store", part_path_));
    return false;
}

void Import::close_spills(uint32_t group)
{
    for (Scratch &s : scratch_) {
        if (group < s.spill_fd.size() && s.spill_fd[group] >= 0)
            ::close(s.spill_fd[group]);
        if (group < s.spill_fd.size())
            s.spill_fd[group] = -1;
    }
}

void Import::close_spills()
{
    for (uint32_t g = 0; g + 1 < group_first_tile_.size(); ++g)
        close_spills(g);
}

// One write per chunk and group, at the end of the thread's file for the
// group.  The chunk's runs are in leaf order, so a group's lie together.
bool Import::spill_runs(Scratch &s, uint64_t chunk)
{
    std::vector<SpillRun> &runs = chunk_runs_[chunk];
    runs.reserve(s.runs.size());
    for (size_t i = 0; i < s.runs.size();) {
        const uint32_t group = leaf_group_[s.runs[i].leaf];
        const uint32_t first = s.runs[i].start;
        uint32_t points = 0;
        size_t end = i;
        for (; end < s.runs.size() && leaf_group_[s.runs[end].leaf] == group; ++end)
            points += s.runs[end].count;
        if (s.spill_fd[group] < 0 && !open_spill(s, group))
            return false;
        const uint64_t at = s.spill_size[group];
        if (!pwrite_all(s.spill_fd[group], &s.sorted[size_t(first) * spill_record_], size_t(points) * spill_record_, at)) {
            fail(system_error("Cannot write the tile store", part_path_));
            return false;
        }
        for (; i < end; ++i) {
            const LeafRun &r = s.runs[i];
            runs.push_back({at + uint64_t(r.start - first) * spill_record_, r.leaf, r.count, s.index});
        }
        s.spill_size[group] += uint64_t(points) * spill_record_;
    }
    return true;
}

// Every leaf must get the points the first pass counted for it: more or
// fewer means the file changed between the passes.
bool Import::gather_leaf_runs()
{
    // Counted first, then placed: a large cloud has millions of runs, and
    // a table per leaf grown run by run would be copied over and over.
    leaf_run_start_.assign(leaves_.size() + 1, 0);
    std::vector<uint64_t> counts(leaves_.size(), 0);
    for (const std::vector<SpillRun> &runs : chunk_runs_)
        for (const SpillRun &r : runs) {
            ++leaf_run_start_[r.leaf + 1];
            counts[r.leaf] += r.count;
        }
    for (size_t i = 0; i < leaves_.size(); ++i)
        if (counts[i] != leaves_[i].count) {
            fail(kChanged);
            return false;
        }
    for (size_t i = 0; i < leaves_.size(); ++i)
        leaf_run_start_[i + 1] += leaf_run_start_[i];
    leaf_runs_.resize(leaf_run_start_.back());
    std::vector<uint64_t> next(leaf_run_start_.begin(), leaf_run_start_.end() - 1);
    for (std::vector<SpillRun> &runs : chunk_runs_) {
        for (const SpillRun &r : runs)
            leaf_runs_[next[r.leaf]++] = r;
        runs = std::vector<SpillRun>();
    }
    chunk_runs_ = {};
    return true;
}

// Reads a tile's points, in the order of the file, from the spill files.
bool Import::load_tile(Scratch &s, size_t index)
{
    uint64_t skip = tile_in_leaf_[index];
    const size_t n = tiles_[index].count;
    size_t left = n;
    s.spilled.resize(n * spill_record_);
    uint8_t *to = s.spilled.data();
    const uint32_t leaf = tile_leaf_[index];
    for (uint64_t k = leaf_run_start_[leaf]; k < leaf_run_start_[leaf + 1]; ++k) {
        const SpillRun &r = leaf_runs_[k];
        if (left == 0)
            break;
        if (skip >= r.count) {
            skip -= r.count;
            continue;
        }
        const size_t take = size_t(std::min<uint64_t>(r.count - skip, left));
        if (!pread_all(scratch_[r.file].spill_fd[leaf_group_[r.leaf]], to, take * spill_record_,
                       r.offset + skip * spill_record_)) {
            fail(system_error("Cannot read the tile store", part_path_));
            return false;
        }
        to += take * spill_record_;
        left -= take;
        skip = 0;
    }
    return true;
}

// ---- levels ------------------------------------------------------------

void Import::level_tiles()
{
    // Group after group, the biggest tiles of a group first, so that no
    // thread is left with a big one at the end; a group's spill files are
    // closed as soon as its last tile is levelled, while the next group's
    // tiles go on.
    std::vector<uint32_t> order;
    const size_t groups = group_first_tile_.size() - 1;
    std::unique_ptr<std::atomic<uint32_t>[]> left(new std::atomic<uint32_t>[groups]);
    for (size_t g = 0; g < groups; ++g) {
        const size_t first = order.size();
        for (uint32_t t = group_first_tile_[g]; t < group_first_tile_[g + 1]; ++t)
            order.push_back(t);
        std::stable_sort(order.begin() + first, order.end(),
                         [&](uint32_t a, uint32_t b) { return tiles_[a].count > tiles_[b].count; });
        left[g] = group_first_tile_[g + 1] - group_first_tile_[g];
    }
    tile_ends_.assign(2 * tiles_.size(), tile_point_t{});
    StoreWriter writer(threads_, [this](const TileOutput &tile) { return store_tile(tile); });
    // The writer is what the levelling waits for: it is left cores of its own.
    const unsigned levellers = threads_ > 2 ? threads_ - threads_ / 4 : threads_;
    parallel(order.size(), [&](Scratch &s, uint64_t i) {
        const uint32_t group = leaf_group_[tile_leaf_[order[i]]];
        level_tile(s, order[i], writer);
        if (--left[group] == 0)
            close_spills(group);
    }, levellers);
}

void Import::level_tile(Scratch &s, size_t index, StoreWriter &writer)
{
    StoreTile &tile = tiles_[index];
    const double width = tile_width_[index];
    const size_t n = tile.count;
    if (!load_tile(s, index))
        return;
    // The points stay spill records, read where they are: expanded in a
    // buffer of their own they would cross the memory twice more.
    const Leaf &leaf = leaves_[tile_leaf_[index]];
    const int64_t x0 = leaf.x0 - base_[0], y0 = leaf.y0 - base_[1];
    const uint8_t *spilled = s.spilled.data();
    const size_t record = spill_record_;
    int32_t zmin = INT32_MAX, zmax = INT32_MIN;
    for (size_t i = 0; i < n; ++i) {
        const int32_t z = spilled_z(spilled + i * record);
        zmin = std::min(zmin, z);
        zmax = std::max(zmax, z);
    }
    TileGrid grid;
    grid.shape(tile.box, tile.count);
    // Key: the point's level-4 cell (z above 7 bits on top, then x, y, z
    // interleaved so that a level-L cell is a key prefix), then a hash that
    // decides which point of a cell comes first.
    const double *scale = header_.scale;
    const double per_unit[2] = {kFinestCells * scale[0] / width, kFinestCells * scale[1] / width};
    const double per_z = kFinestCells * scale[2] / width;
    const double dx = (tile.box[0] - header_.offset[0]) / scale[0] - double(base_[0]);
    const double dy = (tile.box[1] - header_.offset[1]) / scale[1] - double(base_[1]);
    s.entries.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const tile_point_t p = spilled_point(spilled + i * record, x0, y0);
        uint32_t cx = clamp_cell((p.x - dx) * per_unit[0], uint32_t(kFinestCells) - 1);
        uint32_t cy = clamp_cell((p.y - dy) * per_unit[1], uint32_t(kFinestCells) - 1);
        uint32_t cz = clamp_cell(double(int64_t(p.z) - zmin) * per_z, kMaxZCell);
        uint64_t cell = uint64_t(cz >> 7) << 21 | spread_bits3(cx) | spread_bits3(cy) << 1 | spread_bits3(cz & 127) << 2;
        s.entries[i] = {cell << kHashBits | (position_hash(p) >> (64 - kHashBits)), uint32_t(i),
                        grid.cell_at(q_.origin[0] + q_.step[0] * p.x, q_.origin[1] + q_.step[1] * p.y)};
    }
    s.sorter.sort(s.entries, kHashBits);
    assign_levels(s, n);

    tile.box[2] = double(int64_t(zmin) + base_[2]) * scale[2] + header_.offset[2];
    tile.box[5] = double(int64_t(zmax) + base_[2]) * scale[2] + header_.offset[2];
    TileOutput output = writer.take();
    const size_t cells = grid.cells();
    count_cells(s, index, cells, output.index);
    Buffer<tile_point_t> &sorted = output.points;
    sorted.resize(n);
    for (size_t i = 0; i < n; ++i) {
        if (i + 16 < n) // the points are read in key order, all over the tile
            __builtin_prefetch(spilled + size_t(s.entries[i + 16].index) * record);
        tile_point_t p = spilled_point(spilled + size_t(s.entries[i].index) * record, x0, y0);
        p.level = s.levels[i];
        const size_t bucket = size_t(tile_format::kIndexTopLevel - p.level) * cells + s.entries[i].cell;
        std::memcpy(&sorted[s.cell_starts[bucket]++], &p, sizeof p); // padding too
    }
    output.tile = index;
    writer.put(std::move(output));
    done_ += n;
}

// The store keeps levels descending, and within a level the cells of the
// tile's grid in row order, each cell's points in key order: gives the
// tile's cell index and leaves in cell_starts where each level's cell starts.
void Import::count_cells(Scratch &s, size_t index, size_t cells, std::vector<uint32_t> &cell_index)
{
    const size_t n = tiles_[index].count;
    s.cell_starts.assign(tile_format::index_numbers(tiles_[index]), 0);
    for (size_t i = 0; i < n; ++i)
        ++s.cell_starts[size_t(tile_format::kIndexTopLevel - s.levels[i]) * cells + s.entries[i].cell + 1];
    for (size_t b = 1; b < s.cell_starts.size(); ++b)
        s.cell_starts[b] += s.cell_starts[b - 1];
    cell_index.assign(s.cell_starts.begin(), s.cell_starts.end());
}

// A point takes the highest level whose cell holds no point of that level
// yet; among the free points of a cell the one with the smallest hash wins.
// A coarsest cell's points decide their levels among themselves, so each
// such cell is done whole while its entries are in the cache.  A cell of
// any level compares only the best free entry of each finest cell it holds,
// and a finest cell looks for its next one only when its best was taken.
void Import::assign_levels(Scratch &s, size_t n)
{
    s.levels.resize(n);
    std::fill(s.levels.begin(), s.levels.end(), 0);
    const Entry *entries = s.entries.data();
    uint8_t *levels = s.levels.data();
    const int coarsest_shift = kHashBits + 3 * (kCoarsestLevel - kFinestLevel);
    for (size_t begin = 0; begin < n;) {
        const uint64_t coarsest = entries[begin].key >> coarsest_shift;
        s.cell_runs.clear();
        size_t end = begin;
        while (end < n && entries[end].key >> coarsest_shift == coarsest) {
            const uint64_t cell = entries[end].key >> kHashBits;
            const uint32_t first = uint32_t(end);
            while (end < n && entries[end].key >> kHashBits == cell)
                ++end;
            s.cell_runs.push_back({cell, first, uint32_t(end), best_free_entry(entries, levels, first, uint32_t(end))});
        }
        for (int level = kCoarsestLevel; level >= kFinestLevel; --level)
            pick_cell_winners(entries, levels, s.cell_runs, level);
        begin = end;
    }
    for (size_t i = 0; i < n; ++i)
        if (levels[i] == 0)
            levels[i] = kRestLevel;
}

uint32_t best_free_entry(const Entry *entries, const uint8_t *levels, uint32_t first, uint32_t end)
{
    uint32_t best = end;
    uint64_t best_hash = UINT64_MAX;
    for (uint32_t i = first; i < end; ++i) {
        const uint64_t hash = entries[i].key & kHashMask;
        if (levels[i] == 0 && hash < best_hash) {
            best = i;
            best_hash = hash;
        }
    }
    return best;
}

void pick_cell_winners(const Entry *entries, uint8_t *levels, std::vector<CellRun> &runs, int level)
{
    const int shift = 3 * (level - kFinestLevel);
    for (size_t r = 0; r < runs.size();) {
        const uint64_t cell = runs[r].cell >> shift;
        CellRun *best = nullptr;
        uint64_t best_hash = UINT64_MAX;
        for (; r < runs.size() && runs[r].cell >> shift == cell; ++r) {
            CellRun &run = runs[r];
            if (run.best == run.end)
                continue;
            const uint64_t hash = entries[run.best].key & kHashMask;
            if (hash < best_hash) {
                best = &run;
                best_hash = hash;
            }
        }
        if (!best)
            continue;
        levels[best->best] = uint8_t(level);
        if (level > kFinestLevel)
            best->best = best_free_entry(entries, levels, best->first, best->end);
    }
}

// ---- the file's head -----------------------------------------------------

bool Import::commit()
{
    tile_format::Header h;
    std::memset(&h, 0, sizeof h);
    std::memcpy(h.magic, tile_format::kMagic, sizeof h.magic);
    h.version = tile_format::kVersion;
    h.header_size = uint32_t(tile_format::kHeaderSize);
    h.tile_record_size = sizeof(StoreTile);
    h.point_record_size = sizeof(tile_point_t);
    h.point_count = point_count_;
    h.tile_count = tiles_.size();
    h.directory_offset = tile_format::kHeaderSize;
    h.points_offset = points_offset_;
    h.index_offset = tile_format::kHeaderSize + tiles_.size() * sizeof(StoreTile);
    h.index_count = index_count_;
    h.file_size = file_size_;
    for (int a = 0; a < 3; ++a) {
        h.scale[a] = header_.scale[a];
        h.offset[a] = header_.offset[a];
        h.base[a] = base_[a];
        h.box[a] = point_count_ ? double(box_.min[a]) * h.scale[a] + h.offset[a] : 0;
        h.box[a + 3] = point_count_ ? double(box_.max[a]) * h.scale[a] + h.offset[a] : 0;
    }
    h.root[0] = h.box[0];
    h.root[1] = h.box[1];
    h.root[2] = side_;
    h.colour_shift = colour_shift_;
    h.max_intensity = max_intensity_;
    h.tile_limit = limit_;
    h.max_depth = uint32_t(depth_);
    // From the points as they were written: read back from a large store
    // they may already have left the page cache for the disk.
    size_t next = 0;
    std::vector<tile_point_t> sample;
    for (size_t t = 0; t < tiles_.size(); ++t)
        if (tiles_[t].count > 0)
            sample.insert(sample.end(), {tile_ends_[2 * t], tile_ends_[2 * t + 1]});
    tile_format::points_sample(
        tiles_.data(), tiles_.size(),
        [&](uint64_t, tile_point_t *out) {
            *out = sample[next++];
            return true;
        },
        &h.points_sample);
    h.checksum = tile_format::checksum(h, tiles_.data(), tiles_.size());
    const size_t directory_size = tiles_.size() * sizeof(StoreTile);
    if (!pwrite_all(fd_, &h, sizeof h, 0) ||
        (directory_size && !pwrite_all(fd_, tiles_.data(), directory_size, h.directory_offset))) {
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    if (::rename(part_path_.c_str(), store_path_.c_str()) != 0) {
        fail(system_error("Cannot write the tile store", store_path_));
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace
} // namespace tile_import

bool import_tile_store(const LasFile &las, const std::string &store_path, const Progress &progress,
                       const TileStoreOptions &options, std::string *error)
{
    try {
        tile_import::Import import(las, store_path, progress, options);
        return import.run(error);
    } catch (const std::bad_alloc &) {
        if (error)
            *error = "Not enough memory to import the point cloud";
    } catch (const std::system_error &e) {
        if (error)
            *error = std::string("The import failed: ") + e.what();
    }
    return false;
}

} // namespace velmo
