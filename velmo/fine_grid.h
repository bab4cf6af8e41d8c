// The fine grid over the cloud's square on which the first pass counts
// points, and from which the tiles are decided.
#pragma once

#include "import_bits.h"
#include "import_buffer.h"
#include "las_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <numeric>
#include <vector>

namespace velmo {
namespace tile_import {

constexpr uint32_t kNoLeaf = UINT32_MAX;

// Box of LAS integer coordinates.
struct IntBox {
    int64_t min[3] = {INT64_MAX, INT64_MAX, INT64_MAX};
    int64_t max[3] = {INT64_MIN, INT64_MIN, INT64_MIN};

    void add(int32_t x, int32_t y, int32_t z)
    {
        const int32_t v[3] = {x, y, z};
        for (int a = 0; a < 3; ++a) {
            min[a] = std::min<int64_t>(min[a], v[a]);
            max[a] = std::max<int64_t>(max[a], v[a]);
        }
    }
    void add(const IntBox &other)
    {
        for (int a = 0; a < 3; ++a) {
            min[a] = std::min(min[a], other.min[a]);
            max[a] = std::max(max[a], other.max[a]);
        }
    }
    bool same_xy(const IntBox &o) const
    {
        return min[0] == o.min[0] && min[1] == o.min[1] && max[0] == o.max[0] && max[1] == o.max[1];
    }
};

// The fine grid over the quadtree's square, in LAS integer units.
struct Frame {
    int64_t min_x = 0, min_y = 0;
    double kx = 0, ky = 0; // cells per integer unit
    uint32_t grid = 1;

    uint32_t cell(int32_t x, int32_t y) const
    {
        uint32_t cx = clamp_cell(double(int64_t(x) - min_x) * kx, grid - 1);
        uint32_t cy = clamp_cell(double(int64_t(y) - min_y) * ky, grid - 1);
        return spread_bits2(cx) | spread_bits2(cy) << 1;
    }
};

// Side of the square at the box's min corner that holds every point.
double square_side(const IntBox &box, const double scale[3]);
Frame make_frame(const IntBox &box, const double scale[3], int depth);
// The box the header claims, in integer units; false when it cannot be one.
bool header_box(const LasHeader &h, IntBox *out);

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

// One thread's counts on the fine grid.  Every thread sees the whole cloud's
// area, so counting straight into a shared grid would send each cell's cache
// line from core to core.  Only the pages a thread writes take memory.
struct GridCounts {
    std::unique_ptr<uint32_t[], FreeDeleter> cells;
    std::vector<uint8_t> touched; // per block
    Buffer<uint32_t> chunk_cells; // of the chunk being counted
    std::vector<uint32_t> window_start;
    Buffer<uint32_t> grouped;
};

// Point counts on the fine grid, in Morton order so that a quadtree node is a
// contiguous range of cells.  The threads count apart (GridCounts) and the
// grid adds them up.  Cells come in blocks of one memory page, and
// block sums answer for nodes of a block or more, so the work and the memory
// touched follow the area the points cover, not the grid's size.  Once the
// tiles are decided, the grid tells the leaf of a cell.
class FineGrid {
public:
    void reset(int depth)
    {
        depth_ = depth;
        block_depth_ = std::max(0, depth - 5);
        cells_.reset(static_cast<uint32_t *>(std::calloc(size_t(1) << 2 * depth, sizeof(uint32_t))));
        if (!cells_)
            throw std::bad_alloc();
        blocks_.assign((size_t(1) << 2 * block_depth_) + 1, 0);
        block_leaf_.assign(blocks_.size() - 1, kNoLeaf);
    }
    void release()
    {
        cells_.reset();
        blocks_ = {};
        block_leaf_ = {};
    }

    void start_counting(GridCounts &counts) const
    {
        counts.cells.reset(static_cast<uint32_t *>(std::calloc(size_t(1) << 2 * depth_, sizeof(uint32_t))));
        if (!counts.cells)
            throw std::bad_alloc();
        counts.touched.assign(blocks_.size() - 1, 0);
    }
    // Counts a chunk's cells.  A chunk's points may lie anywhere in the
    // cloud, and one increment after another all over the grid would wait on
    // memory for each: the cells are first grouped by window of the grid, so
    // that the increments of a group stay within a few cache-resident pages.
    void count(GridCounts &counts, const uint32_t *cells, size_t n) const
    {
        const int window_bits = std::min(12, 2 * depth_);
        const size_t windows = size_t(1) << (2 * depth_ - window_bits);
        counts.window_start.assign(windows + 1, 0);
        uint32_t *start = counts.window_start.data();
        for (size_t k = 0; k < n; ++k)
            ++start[(cells[k] >> window_bits) + 1];
        for (size_t w = 0; w < windows; ++w)
            start[w + 1] += start[w];
        counts.grouped.resize(n);
        uint32_t *grouped = counts.grouped.data();
        for (size_t k = 0; k < n; ++k)
            grouped[start[cells[k] >> window_bits]++] = cells[k];
        uint32_t *grid = counts.cells.get();
        uint8_t *touched = counts.touched.data();
        const int shift = block_shift();
        for (size_t k = 0; k < n; ++k) {
            touched[grouped[k] >> shift] = 1;
            ++grid[grouped[k]];
        }
    }
    // Adds a thread's counts to the grid and releases them.
    void merge(GridCounts &counts)
    {
        const size_t per_block = size_t(1) << block_shift();
        for (size_t block = 0; block < counts.touched.size(); ++block) {
            if (!counts.touched[block])
                continue;
            const uint32_t *from = &counts.cells[block * per_block];
            uint32_t *to = &cells_[block * per_block];
            uint32_t sum = 0;
            for (size_t i = 0; i < per_block; ++i) {
                to[i] += from[i];
                sum += from[i];
            }
            blocks_[block] += sum;
        }
        counts = GridCounts();
    }
    // Turns the block counts into exclusive prefix sums.
    void finish_counts()
    {
        uint32_t run = 0;
        for (uint32_t &b : blocks_) {
            uint32_t v = b;
            b = run;
            run += v;
        }
    }
    uint32_t count(int depth, uint32_t morton) const
    {
        if (depth <= block_depth_) {
            const int rest = 2 * (block_depth_ - depth);
            return blocks_[size_t(morton + 1) << rest] - blocks_[size_t(morton) << rest];
        }
        const int rest = 2 * (depth_ - depth);
        return std::accumulate(&cells_[size_t(morton) << rest], &cells_[size_t(morton + 1) << rest], 0u);
    }
    // Makes every cell of the node answer leaf.  Nodes are set in Morton
    // order, and a node's own cells are read before they are overwritten.
    void set_leaf(int depth, uint32_t morton, uint32_t leaf)
    {
        if (depth <= block_depth_) {
            const int rest = 2 * (block_depth_ - depth);
            std::fill(&block_leaf_[size_t(morton) << rest], &block_leaf_[size_t(morton + 1) << rest], leaf);
            return;
        }
        block_leaf_[morton >> 2 * (depth - block_depth_)] = kMixed;
        const int rest = 2 * (depth_ - depth);
        std::fill(&cells_[size_t(morton) << rest], &cells_[size_t(morton + 1) << rest], leaf);
    }
    uint32_t leaf(uint32_t cell) const
    {
        uint32_t leaf = block_leaf_[cell >> block_shift()];
        return leaf == kMixed ? cells_[cell] : leaf;
    }

private:
    static constexpr uint32_t kMixed = kNoLeaf - 1;
    int block_shift() const { return 2 * (depth_ - block_depth_); }
    int depth_ = 0;
    int block_depth_ = 0;
    std::unique_ptr<uint32_t[], FreeDeleter> cells_;
    std::vector<uint32_t> blocks_;
    std::vector<uint32_t> block_leaf_;
};

} // namespace tile_import
} // namespace velmo
