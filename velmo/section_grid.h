// Points of a tile by place: a grid of cells over the tile's square.  The
// store keeps each level of a tile cell by cell of this grid (see
// tile_format.h), so a thin section slab reads the cells near it alone
// instead of every point of every tile it crosses.  The grid can also sort
// any tile's points into its cells.
#pragma once

#include "velmo.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmo {

class TileStore;

// world = origin + step * stored, per axis, for one tile store.
struct Quantisation {
    double origin[3];
    double step[3];
};

Quantisation quantisation_of(const TileStore &store);
// The same from a store's numbers: world = (stored + base) * scale + offset.
Quantisation quantisation_of(const double scale[3], const double offset[3], const int64_t base[3]);

class TileGrid {
public:
    // Cells are about this many points at the tile's mean density.
    static constexpr double POINTS_PER_CELL = 32;
    // Cell boxes reach this far (m) beyond the cell, so a point rounded onto
    // a cell's edge is always inside its cell's box.
    static constexpr double MARGIN = 1e-4;

    // Sorts the tile's points into cells; points that lie farther outside
    // the tile's box than rounding explains (a damaged store) go to a list
    // of strays of their own.
    // Throws std::bad_alloc.
    TileGrid(const tile_t &tile, const tile_point_t *points, const Quantisation &q);

    // The same in steps, so that several threads can share the reading of
    // the points, which is most of the work: the cells of the grid ...
    TileGrid() = default;
    explicit TileGrid(const tile_t &tile) { shape(tile); }
    void shape(const tile_t &tile) { shape(tile.box, tile.point_count); }
    void shape(const double box[6], uint32_t point_count);
    // Cells of the grid over a tile of the given box and points.
    static size_t cell_count(const double box[6], uint32_t point_count);
    // The cell of a point of the tile at x, y; one a hair outside the box
    // is in the edge cell, whose box holds it.
    uint32_t cell_at(double x, double y) const
    {
        return uint32_t(cell(std::clamp(int((y - tile_box_[1]) * scale_[1]), 0, rows_ - 1),
                             std::clamp(int((x - tile_box_[0]) * scale_[0]), 0, columns_ - 1)));
    }
    // ... the cell of each of points[first .. first + count) (the tile's
    // points) into cells[first ..], on any thread ...
    void find_cells(const tile_point_t *points, const Quantisation &q, uint32_t first, uint32_t count,
                    uint32_t *cells) const;
    // ... and the point numbers sorted by those cells (one for each of the
    // tile's points).  Throws std::bad_alloc.
    void sort(const uint32_t *cells);
    uint32_t point_count() const { return point_count_; }

    int columns() const { return columns_; }
    size_t cells() const { return size_t(rows_) * size_t(columns_); }
    int rows() const { return rows_; }
    // Box of cells first..last of a row, with MARGIN: min x, y, z, max x, y, z.
    void box(int row, int first, int last, double out[6]) const;
    // First column whose box may reach x, and last one; either may lie
    // outside 0..columns() - 1.
    int column_from(double x) const;
    int column_to(double x) const;

    // Point numbers, counted from the tile's first point, of cells
    // first..last of a row, each cell's in stored order.
    const uint32_t *begin(int row, int first) const { return order_.data() + start_[cell(row, first)]; }
    const uint32_t *end(int row, int last) const { return order_.data() + start_[cell(row, last) + 1]; }
    // Points outside the tile's box, which any slab meeting the tile reads.
    const uint32_t *strays_begin() const { return order_.data() + start_[strays()]; }
    const uint32_t *strays_end() const { return order_.data() + order_.size(); }

private:
    size_t cell(int row, int column) const { return size_t(row) * size_t(columns_) + size_t(column); }
    size_t strays() const { return size_t(rows_) * size_t(columns_); }

    double tile_box_[6] = {0, 0, 0, 0, 0, 0};
    double scale_[2] = {0, 0};  // cells per metre across and along
    double origin_[2] = {0, 0}; // the tile's min x and y
    double cell_[2] = {0, 0};   // cell width and height (0 in a flat direction)
    double z_[2] = {0, 0};      // the tile's z range
    int columns_ = 1, rows_ = 1;
    uint32_t point_count_ = 0;
    std::vector<uint32_t> start_ = std::vector<uint32_t>(3, 0); // cell c holds order_[start_[c] .. start_[c + 1]); the strays come last
    std::vector<uint32_t> order_;
};

} // namespace velmo
