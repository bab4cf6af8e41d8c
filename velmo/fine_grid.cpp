#include "fine_grid.h"

#include <cmath>

namespace velmo {
namespace tile_import {

double square_side(const IntBox &box, const double scale[3])
{
    double side = std::max(double(box.max[0] - box.min[0]) * scale[0],
                           double(box.max[1] - box.min[1]) * scale[1]);
    if (!(side > 0))
        side = std::max(scale[0], scale[1]); // one point, or a vertical line of them
    return side;
}

Frame make_frame(const IntBox &box, const double scale[3], int depth)
{
    Frame f;
    f.min_x = box.min[0];
    f.min_y = box.min[1];
    f.grid = 1u << depth;
    double side = square_side(box, scale);
    f.kx = f.grid * scale[0] / side;
    f.ky = f.grid * scale[1] / side;
    return f;
}

bool header_box(const LasHeader &h, IntBox *out)
{
    for (int a = 0; a < 3; ++a) {
        double lo = (h.min[a] - h.offset[a]) / h.scale[a];
        double hi = (h.max[a] - h.offset[a]) / h.scale[a];
        if (!std::isfinite(lo) || !std::isfinite(hi) || std::fabs(lo) > 4e9 || std::fabs(hi) > 4e9 || lo > hi)
            return false;
        out->min[a] = std::llround(lo);
        out->max[a] = std::llround(hi);
    }
    return true;
}

} // namespace tile_import
} // namespace velmo
