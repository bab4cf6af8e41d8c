#include "section_grid.h"

#include "tile_store.h"

#include <algorithm>
#include <cmath>

namespace velmo {

namespace {
const int32_t far = 1 << 20;
} // namespace

Quantisation quantisation_of(const double scale[3], const double offset[3], const int64_t base[3])
{
    // The arithmetic of TileStore::decode, so that both give the same numbers.
    Quantisation q;
    for (int k = 0; k < 3; k++) {
        const double lo = double(int64_t(0) + base[k]) * scale[k] + offset[k];
        const double hi = double(int64_t(far) + base[k]) * scale[k] + offset[k];
        q.origin[k] = lo;
        q.step[k] = (hi - lo) / far;
    }
    return q;
}

Quantisation quantisation_of(const TileStore &store)
{
    tile_point_t zero{}, reach{};
    reach.x = reach.y = reach.z = far;
    velmo_point_t a, b;
    store.decode(zero, &a);
    store.decode(reach, &b);
    Quantisation q;
    const double lo[3] = {a.x, a.y, a.z}, hi[3] = {b.x, b.y, b.z};
    for (int k = 0; k < 3; k++) {
        q.origin[k] = lo[k];
        q.step[k] = (hi[k] - lo[k]) / far;
    }
    return q;
}

namespace {

const int MAX_CELLS_ACROSS = 256;

// Cells along one side of the tile for a given cell side.
int cells_along(double extent, double side)
{
    if (!(extent > 0) || !(side > 0))
        return 1;
    return int(std::clamp(std::ceil(extent / side), 1.0, double(MAX_CELLS_ACROSS)));
}

} // namespace

size_t TileGrid::cell_count(const double box[6], uint32_t point_count)
{
    TileGrid grid;
    grid.shape(box, point_count);
    return grid.cells();
}

void TileGrid::shape(const double b[6], uint32_t point_count)
{
    std::copy(b, b + 6, tile_box_);
    const double width = b[3] - b[0], height = b[4] - b[1];
    const double side = std::sqrt(width * height * POINTS_PER_CELL / std::max(1.0, double(point_count)));
    columns_ = cells_along(width, side);
    rows_ = cells_along(height, side);
    origin_[0] = b[0];
    origin_[1] = b[1];
    cell_[0] = width > 0 ? width / columns_ : 0;
    cell_[1] = height > 0 ? height / rows_ : 0;
    scale_[0] = width > 0 ? columns_ / width : 0;
    scale_[1] = height > 0 ? rows_ / height : 0;
    z_[0] = b[2];
    z_[1] = b[5];
    point_count_ = point_count;
}

TileGrid::TileGrid(const tile_t &tile, const tile_point_t *points, const Quantisation &q) : TileGrid(tile)
{
    std::vector<uint32_t> cells(tile.point_count);
    find_cells(points, q, 0, tile.point_count, cells.data());
    sort(cells.data());
}

void TileGrid::find_cells(const tile_point_t *points, const Quantisation &q, uint32_t first, uint32_t count,
                          uint32_t *cells) const
{
    // A tile's box and its points' coordinates are rounded apart: a point
    // a hair outside the box belongs to the edge cell, whose box (MARGIN
    // wider) still holds it.
    const double near = MARGIN / 2, *b = tile_box_;
    for (uint32_t i = first; i < first + count; i++) {
        const tile_point_t &p = points[i];
        const double x = q.origin[0] + q.step[0] * p.x, y = q.origin[1] + q.step[1] * p.y,
                     z = q.origin[2] + q.step[2] * p.z;
        const bool inside = x >= b[0] - near && x <= b[3] + near && y >= b[1] - near && y <= b[4] + near &&
                            z >= b[2] - near && z <= b[5] + near;
        cells[i] = inside ? cell_at(x, y) : uint32_t(strays());
    }
}

void TileGrid::sort(const uint32_t *cells)
{
    start_.assign(strays() + 2, 0);
    for (uint32_t i = 0; i < point_count_; i++)
        start_[cells[i] + 1]++;
    for (size_t c = 1; c < start_.size(); c++)
        start_[c] += start_[c - 1];
    order_.resize(point_count_);
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    for (uint32_t i = 0; i < point_count_; i++)
        order_[fill[cells[i]]++] = i;
}

void TileGrid::box(int row, int first, int last, double out[6]) const
{
    out[0] = origin_[0] + first * cell_[0] - MARGIN;
    out[1] = origin_[1] + row * cell_[1] - MARGIN;
    out[2] = z_[0] - MARGIN;
    out[3] = origin_[0] + (last + 1) * cell_[0] + MARGIN;
    out[4] = origin_[1] + (row + 1) * cell_[1] + MARGIN;
    out[5] = z_[1] + MARGIN;
    if (cell_[0] == 0)
        out[3] = origin_[0] + MARGIN;
    if (cell_[1] == 0)
        out[4] = origin_[1] + MARGIN;
}

int TileGrid::column_from(double x) const
{
    if (cell_[0] == 0)
        return x <= origin_[0] + MARGIN ? 0 : columns_;
    double c = std::floor((x - MARGIN - origin_[0]) / cell_[0]);
    return int(std::clamp(c, -1.0, double(columns_)));
}

int TileGrid::column_to(double x) const
{
    if (cell_[0] == 0)
        return x >= origin_[0] - MARGIN ? 0 : -1;
    double c = std::floor((x + MARGIN - origin_[0]) / cell_[0]);
    return int(std::clamp(c, -1.0, double(columns_)));
}

} // namespace velmo
