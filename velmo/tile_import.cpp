// Import of a LAS file into a tile store.
//
// Two passes over the LAS file, each cut into chunks that the threads take in
// turn and read in cache-sized slices.  Pass 1 (tile_import_count.cpp) finds
// the real box, the largest colour and intensity, and counts points on a fine
// grid over the cloud's square (in Morton order, so a quadtree node is a
// contiguous range of cells).  The quadtree's leaves are then the tiles.
// Pass 2 (tile_import_scatter.cpp) decodes every point, groups a chunk's
// points by leaf and appends them to the thread's own scratch file of the
// leaf's group (tile_import_scratch.cpp).  Last, each tile gathers its points
// from the scratch files in the order of the LAS file, is levelled
// (tile_import_level.cpp) and goes level-descending, cell by cell, to its
// range of the store through one writer thread (tile_import_write.cpp).
//
// Memory is bounded by the threads' chunk and tile buffers, the fine grid and
// the scratch kept in memory, whatever the size of the file: no pass holds
// the cloud.  The scratch files are unnamed files beside the store; for a
// cloud whose store and scratch would not stay in the page cache unwritten,
// or not fit the disk together, the last groups' are memory-backed instead,
// up to a quarter of the memory available and at most half a gigabyte
// (TileStoreOptions::spill_memory).
#include "tile_import.h"

#include "tile_import_state.h"
#include "c_notation.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace velmo {
namespace tile_import {
namespace {

constexpr int kDeepest = 11;                   // fine grid of 2048 x 2048 cells
constexpr int kReports = 200;                  // callbacks per import, about
constexpr uint64_t kMaxChunks = 1024;          // of a large cloud, while chunks stay ...
constexpr uint64_t kMaxChunkBytes = 12u << 20; // ... within this size
const char *const kMessage = "Importing point cloud...";

// CORVANE_IMPORT_TIMES=1 prints each phase's wall time on stderr.
struct PhaseClock {
    bool on = std::getenv("CORVANE_IMPORT_TIMES") != nullptr;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    void lap(const char *name)
    {
        auto now = std::chrono::steady_clock::now();
        if (on)
            std::fprintf(stderr, "import %s %s s\n", name,
                         c_number_text(std::chrono::duration<double>(now - last).count(), 3).c_str());
        last = now;
    }
};

unsigned thread_count(const TileStoreOptions &o)
{
    // Each thread holds some 30 MB of buffers at most: many-core machines
    // would otherwise pay for their cores in memory.
    unsigned n = o.threads ? o.threads : std::thread::hardware_concurrency();
    return std::clamp(n, 1u, 32u);
}

// Where the fields a stored point keeps lie in a record of the file's format.
RecordFields record_fields(uint8_t point_format)
{
    RecordFields f;
    f.colour = las_format_layout(point_format).colour;
    f.classification = point_format < 6 ? 15 : 16;
    f.class_mask = point_format < 6 ? 0x1f : 0xff;
    return f;
}

} // namespace

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
