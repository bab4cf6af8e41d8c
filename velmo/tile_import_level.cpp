// The levelling of the import: each tile's points get their levels and go
// to the store writer level-descending, cell by cell of the tile's grid.
#include "tile_import_state.h"

#include "tile_format.h"

#include <cstring>
#include <memory>

namespace velmo {
namespace tile_import {
namespace {

constexpr int kFinestLevel = 4;      // levels 8 .. 4 are given by grid cells
constexpr int kCoarsestLevel = 8;
constexpr int kRestLevel = 3;
constexpr double kFinestCells = 128; // level-4 cells across a tile: 2^(11 - 4)
constexpr uint32_t kMaxZCell = (1u << 21) - 1;
constexpr int kHashBits = 29;
constexpr uint64_t kHashMask = (1ull << kHashBits) - 1;

// The free entry of [first, end) with the smallest hash, the first of
// equals; end when none is free.
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

// Among the finest cells' runs of whole cells of the level, in key order,
// gives each cell's free entry with the smallest hash that level.
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

} // namespace

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

} // namespace tile_import
} // namespace velmo
