// On-disk layout of a tile store, shared by the importer and the reader.
//
//   [header, 256 bytes][directory: one StoreTile per tile][cell index][padding][points]
//
// Within a level, a tile's points are stored cell by cell of its grid (see
// TileGrid), so the points of a few cells are a few runs of the store.  The
// cell index gives, per tile, where each level's cells start: for level 8
// down to 3, for each cell in row order, the first point's number counted
// from the tile's first point, and then the tile's point count.  Readers
// clamp what they read from it: a damaged index gives wrong points, never a
// read outside the tile.
//
// Numbers are in the machine's byte order (the store is a per-machine cache
// rebuilt from the LAS file).  The checksum covers the header and the
// directory, which are small; of the points only a sample (each tile's first
// and last point) is checked at open, so that a store of any size opens in
// milliseconds while one whose points never reached the disk (a power cut
// before the kernel wrote them) is still caught and rebuilt.  A damaged point
// is a wrong point, never a wrong memory access: nothing is indexed by point
// contents.
#pragma once

#include "tile_store.h"

#include <cstddef>
#include <cstdint>

namespace velmo {
namespace tile_format {

constexpr char kMagic[8] = {'C', 'V', 'T', 'I', 'L', 'E', 'S', '\n'};
constexpr uint32_t kVersion = 3;
constexpr uint64_t kHeaderSize = 256;
constexpr uint64_t kPointsAlignment = 4096;

struct Header {
    char magic[8];
    uint32_t version;
    uint32_t header_size;
    uint32_t tile_record_size;
    uint32_t point_record_size;
    uint64_t point_count;
    uint64_t tile_count;
    uint64_t directory_offset;
    uint64_t points_offset;
    uint64_t file_size;
    double scale[3];           // world = (stored + base) * scale + offset
    double offset[3];
    int64_t base[3];
    double box[6];             // of all points
    double root[3];            // the quadtree's square: min x, min y, side
    uint32_t colour_shift;     // 0 for 8-bit colour files, 8 for 16-bit ones
    uint32_t max_intensity;    // raw intensity that became 255
    uint32_t tile_limit;
    uint32_t max_depth;
    uint64_t checksum;         // of header (this field zero) and directory
    uint64_t points_sample;    // hash of each tile's first and last point
    uint64_t index_offset;     // of the cell index
    uint64_t index_count;      // numbers (uint32) in the cell index
};

static_assert(sizeof(Header) == kHeaderSize, "tile store header is 256 bytes");
static_assert(sizeof(StoreTile) == 72, "directory records are 72 bytes");
static_assert(sizeof(tile_point_t) == 24, "stored points are 24 bytes");

// 64-bit FNV-1a of the header, with its checksum field taken as zero, and of
// the directory.
uint64_t checksum(const Header &header, const StoreTile *tiles, uint64_t tile_count);

// Hash of each non-empty tile's first and last point, in directory order;
// point(index, &out) reads a stored point and may fail.
template <typename ReadPoint>
bool points_sample(const StoreTile *tiles, uint64_t tile_count, ReadPoint point, uint64_t *out);

// One step of the 64-bit FNV-1a hash.
uint64_t fnv1a(uint64_t hash, const void *data, size_t size);

template <typename ReadPoint>
bool points_sample(const StoreTile *tiles, uint64_t tile_count, ReadPoint point, uint64_t *out)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint64_t t = 0; t < tile_count; ++t) {
        if (tiles[t].count == 0)
            continue;
        tile_point_t first, last;
        if (!point(tiles[t].first, &first) || !point(tiles[t].first + tiles[t].count - 1, &last))
            return false;
        hash = fnv1a(fnv1a(hash, &first, sizeof first), &last, sizeof last);
    }
    *out = hash;
    return true;
}

// Levels a tile's cell index has cells for: 8 down to 3.
constexpr int kIndexLevels = 6;
constexpr int kIndexTopLevel = 8;

// Numbers of a tile's cell index.
uint64_t index_numbers(const StoreTile &tile);

// Where the points start for a directory of tile_count tiles and a cell
// index of index_count numbers.
inline uint64_t points_offset(uint64_t tile_count, uint64_t index_count)
{
    uint64_t end = kHeaderSize + tile_count * sizeof(StoreTile) + index_count * sizeof(uint32_t);
    return (end + kPointsAlignment - 1) / kPointsAlignment * kPointsAlignment;
}

} // namespace tile_format
} // namespace velmo
