// The tile store of a point cloud: every point of a LAS file, grouped in
// square X-Y tiles of a quadtree and levelled for paging, in one file that is
// memory-mapped read-only.
//
// Another process may truncate, zero or overwrite the file while it is
// open (a sync tool, a backup, a user), and a read of the mapping past the
// file's new end kills the process.  So the header and the directory are
// copied at open, points are read from the file, and the mapping is touched
// only right after unchanged() has found the file as it was opened.
#pragma once

#include "las_file.h"
#include "velmo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velmo {

// Progress of a long operation: current of total, and a message.
using Progress = std::function<void(int total, int current, const char *message)>;

// A tile of the store: a square in X-Y and the points' z range.  The store's
// directory holds these records as they are, so a tile is read in place.
struct StoreTile {
    double box[6];      // min x, y, z, max x, y, z
    uint64_t code;      // quadtree position: depth in the top 6 bits, then a part number (a
                        // tile at the deepest level that holds too many points is cut into
                        // parts sharing one square), then x and y bits interleaved in the
                        // low 2 x depth bits
    uint64_t first;     // index of the tile's first point in points()
    uint32_t count;     // points of the tile, stored level-descending
};

// How an import cuts the cloud; the defaults are the engine's.
struct TileStoreOptions {
    uint32_t tile_limit = 300000; // a tile is split while it holds more points
    int max_depth = 11;           // deepest quadtree level (at most 11)
    unsigned threads = 0;         // 0: one per core
    size_t chunk_bytes = 4u << 20; // LAS records read at a time by one thread
    // Points of the tiles whose scratch files are kept at once while the
    // store is written: bounds what the import leaves for the kernel to write.
    uint64_t group_points = 8u << 20;
    // Bytes of those scratch files kept in memory-backed files instead, the
    // last groups' while they fit: on a large cloud, scratch files on the
    // disk, which the kernel writes out meanwhile, read back several times
    // slower.
    // kAutoSpillMemory: none while the store and all its scratch stay well
    // within what the kernel keeps in the page cache unwritten (and fit the
    // disk), else a quarter of the memory available at the start, at most
    // kSpillMemoryCap.  The kernel cannot give such memory back while
    // the import runs, and it is not seen in the process's resident size: the
    // cap keeps the import's whole footprint, scratch included, under a
    // gigabyte on the largest clouds.
    static constexpr uint64_t kAutoSpillMemory = UINT64_MAX;
    static constexpr uint64_t kSpillMemoryCap = 512u << 20;
    uint64_t spill_memory = kAutoSpillMemory;
    // Called between the counting and the writing pass over the LAS file,
    // where a file changed on disk would go unseen by the counts.
    std::function<void()> between_passes;
};

class TileStore {
public:
    // Reads the LAS file in two multi-threaded passes and writes the store at
    // store_path (written aside and renamed into place, so a failed import
    // leaves nothing behind).  False with *error set on failure.  If the
    // progress callback throws, the import stops, leaves nothing behind and
    // the exception passes on.
    static bool build(const LasFile &las, const std::string &store_path, const Progress &progress,
                      std::string *error, const TileStoreOptions &options = TileStoreOptions());
    // Maps an existing store; null with *error set when it is missing,
    // truncated, of another version or fails its checksum.
    static std::unique_ptr<TileStore> open(const std::string &store_path, std::string *error);
    ~TileStore();
    TileStore(const TileStore &) = delete;
    TileStore &operator=(const TileStore &) = delete;

    uint64_t point_count() const;
    const double *box() const;            // of all points: min x, y, z, max x, y, z
    const double *scale() const;          // world = (stored + base) * scale + offset, per axis
    const double *offset() const;
    size_t tile_count() const;
    const StoreTile &tile(size_t index) const;
    // Every point, tile after tile, in the mapping: read it only right after
    // unchanged() returned true.
    const tile_point_t *points() const;
    // Where each level's cells of the tile's grid start among its points
    // (see tile_format.h), in the mapping as points() is; numbers read from
    // it may be damaged.
    const uint32_t *cell_index(size_t tile) const;
    // Whether the file still has the size and the header it had at open.
    // Once it has not, the store stays changed: every later call answers
    // false and copy_points fails.  Thread-safe; two system calls.
    bool unchanged() const;
    // Copies points()[first .. first + count) into out with reads of the
    // file: for points read once, cheaper than the mapping, where each page
    // is mapped on its first touch, and a file cut short under it gives a
    // failed read rather than a fault.  Thread-safe.  False when they lie
    // outside the store, the read fails or the store has changed, and with
    // cached_only, without waiting, when some are not in memory.
    bool copy_points(uint64_t first, uint32_t count, tile_point_t *out, bool cached_only = false) const;
    // Starts reading from the disk points that copy_points will be asked
    // for, so that many reads are under way at once.
    void will_need(uint64_t first, uint32_t count) const;
    // World coordinates, colour and class of a stored point.  Lock-free.
    void decode(const tile_point_t &stored, velmo_point_t *out) const;

private:
    TileStore() = default;
    struct Mapping;
    std::unique_ptr<Mapping> map_;
};

} // namespace velmo
