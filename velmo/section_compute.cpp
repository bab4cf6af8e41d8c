// Computing sections: the points of the clouds inside a section's slab, in
// the section's own (u, v, w), and the automatic ground line.
//
// Only tiles whose box meets the slab are read, and of those only the cells
// of the tile's grid that meet it (see section_grid.h), copied from the
// store's file: a section reads a few hundred short runs spread over its
// tiles, and mapping the pages they lie on costs more than reading them
// (sections of a batch lie far apart, so nearly every run is on a page
// mapped for it alone).  The points read are first tested on their stored
// integer coordinates with the section's frame folded into one linear form
// per axis, which is a few multiply-adds a point; the few that pass are
// decoded and measured exactly.
#include "velmo.h"

#include "section_grid.h"
#include "section_state.h"
#include "tile_format.h"
#include "workspace_state.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace velmo {

namespace {

const char *const COMPUTING = "Computing section...";
const uint32_t CHUNK_POINTS = 1u << 16;    // points a thread takes at a time
const size_t PARALLEL_POINTS = 2 * CHUNK_POINTS; // fewer are read faster than handed to helpers
// The same for a section of a batch, whose helpers are busy with the
// batch's other sections: only a section many times larger than most is
// worth sharing.
const size_t BATCH_PARALLEL_POINTS = 16 * CHUNK_POINTS;
// Runs of a tile this close (points) are read from the file as one.
const uint32_t MERGE_GAP = 256;
const int PROGRESS_STEPS = 10;
const double BIN_WIDTH = 0.25;             // automatic ground line: bin length along u (m)
const double GROUND_PERCENTILE = 0.10;
// The integer pre-test keeps points this close outside a range; the exact
// test decides.
const double SLACK = 1e-6;

// A cloud's store that cannot be read: the computation stops, and the
// section fails with the text.
struct StoreUnreadable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool is_ground_class(uint8_t classification)
{
    return classification == 2 || classification == 11;
}

// A coordinate of the section as a linear form of the stored integers.
struct Form {
    double a[3];
    double b;
    double at(const tile_point_t &p) const { return a[0] * p.x + a[1] * p.y + a[2] * p.z + b; }
};

// d . (origin + step * q - centre) for a direction d.
Form form_along(const double d[3], const Quantisation &q, const double centre[3])
{
    Form f;
    f.b = 0;
    for (int k = 0; k < 3; k++) {
        f.a[k] = d[k] * q.step[k];
        f.b += d[k] * (q.origin[k] - centre[k]);
    }
    return f;
}

double dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool inside(double value, const double range[2], double slack)
{
    return value >= range[0] - slack && value <= range[1] + slack;
}

// Interval of a box's projection on a direction.
void box_projection(const double box[6], const double d[3], double *low, double *high)
{
    double centre = 0, radius = 0;
    for (int k = 0; k < 3; k++) {
        centre += d[k] * (box[k] + box[k + 3]) / 2;
        radius += std::fabs(d[k]) * (box[k + 3] - box[k]) / 2;
    }
    *low = centre - radius;
    *high = centre + radius;
}

bool box_meets(const double box[6], const double d[3], const double centre[3], const double range[2])
{
    double low, high, c = dot(d, centre);
    box_projection(box, d, &low, &high);
    return high >= c + range[0] - SLACK && low <= c + range[1] + SLACK;
}

// The centre line of a longitude section, with a grid over it that lists
// the segments near each cell.
class CentreLine {
    static constexpr double MAX_GRID_CELLS = 4e6;

public:
    CentreLine(const section_t *section, double reach) : reach_(reach)
    {
        const double *v = section->vertices;
        for (int i = 0; v && i + 1 < section->vertex_count; i++) {
            const double *a = v + 3 * i, *b = a + 3;
            Segment s;
            s.ax = a[0];
            s.ay = a[1];
            double dx = b[0] - a[0], dy = b[1] - a[1];
            s.length = std::hypot(dx, dy);
            s.ex = s.length > 0 ? dx / s.length : 0;
            s.ey = s.length > 0 ? dy / s.length : 0;
            s.chainage = a[2];
            s.span = b[2] - a[2];
            if (s.length > 0 && std::isfinite(s.length))
                segments_.push_back(s);
        }
        if (!segments_.empty())
            build_grid();
    }

    bool empty() const { return segments_.empty(); }

    // Whether any segment lies near the box in x and y.
    bool meets(const double box[6]) const
    {
        if (segments_.empty())
            return false;
        int x0, y0, x1, y1;
        if (!cell_span(box[0], box[1], box[3], box[4], &x0, &y0, &x1, &y1))
            return false;
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                if (first_[cell(x, y) + 1] > first_[cell(x, y)])
                    return true;
        return false;
    }

    // Chainage and signed offset (right of travel positive) of a plane point
    // from its nearest segment, or from the vertex of a bend it lies outside
    // of; false when nothing is within reach or the point lies before the
    // start or past the end.
    bool locate(double x, double y, double *u, double *w) const
    {
        double fx = (x - min_x_) / cell_, fy = (y - min_y_) / cell_;
        if (!(fx >= 0 && fy >= 0 && fx < nx_ && fy < ny_))
            return false;
        size_t c = cell(int(fx), int(fy));
        double best = reach_ * (1 + 1e-9) + SLACK;
        bool found = false;
        for (uint32_t k = first_[c]; k < first_[c + 1]; k++) {
            uint32_t i = items_[k];
            const Segment &s = segments_[i];
            double px = x - s.ax, py = y - s.ay;
            double along = px * s.ex + py * s.ey, across = px * s.ey - py * s.ex;
            if ((along < 0 && !(i > 0 && past_end(segments_[i - 1], x, y))) ||
                (along > s.length && !(i + 1 < segments_.size() && before_start(segments_[i + 1], x, y))))
                continue;
            double clamped = std::clamp(along, 0.0, s.length);
            double distance = clamped == along ? std::fabs(across)
                                               : std::hypot(px - clamped * s.ex, py - clamped * s.ey);
            if (distance < best) {
                best = distance;
                found = true;
                *u = s.chainage + clamped / s.length * s.span;
                *w = across < 0 ? -distance : distance;
            }
        }
        return found;
    }

private:
    struct Segment {
        double ax, ay, ex, ey, length, chainage, span;
    };

    size_t cell(int x, int y) const { return size_t(y) * size_t(nx_) + size_t(x); }

    // A point past one segment's end and before the next one's start lies
    // in the wedge outside a bend: it belongs to the vertex between them.
    static bool past_end(const Segment &s, double x, double y)
    {
        return (x - s.ax) * s.ex + (y - s.ay) * s.ey >= s.length;
    }
    static bool before_start(const Segment &s, double x, double y)
    {
        return (x - s.ax) * s.ex + (y - s.ay) * s.ey <= 0;
    }

    bool cell_span(double xa, double ya, double xb, double yb, int *x0, int *y0, int *x1, int *y1) const
    {
        double max_x = min_x_ + nx_ * cell_, max_y = min_y_ + ny_ * cell_;
        if (xb < min_x_ || yb < min_y_ || xa > max_x || ya > max_y)
            return false;
        *x0 = cell_index(xa - min_x_, nx_);
        *y0 = cell_index(ya - min_y_, ny_);
        *x1 = cell_index(xb - min_x_, nx_);
        *y1 = cell_index(yb - min_y_, ny_);
        return true;
    }

    // Clamped before it becomes an int: a box far off the grid would not fit.
    int cell_index(double offset, int n) const
    {
        return int(std::fmin(std::fmax(offset / cell_, 0.0), double(n - 1)));
    }

    void segment_box(const Segment &s, double *xa, double *ya, double *xb, double *yb) const
    {
        double bx = s.ax + s.ex * s.length, by = s.ay + s.ey * s.length, r = reach_ + 1e-6;
        *xa = std::fmin(s.ax, bx) - r;
        *ya = std::fmin(s.ay, by) - r;
        *xb = std::fmax(s.ax, bx) + r;
        *yb = std::fmax(s.ay, by) + r;
    }

    void build_grid()
    {
        double xa, ya, xb, yb;
        double lo_x = HUGE_VAL, lo_y = HUGE_VAL, hi_x = -HUGE_VAL, hi_y = -HUGE_VAL;
        for (const Segment &s : segments_) {
            segment_box(s, &xa, &ya, &xb, &yb);
            lo_x = std::fmin(lo_x, xa);
            lo_y = std::fmin(lo_y, ya);
            hi_x = std::fmax(hi_x, xb);
            hi_y = std::fmax(hi_y, yb);
        }
        const double width = hi_x - lo_x, height = hi_y - lo_y;
        if (!std::isfinite(width) || !std::isfinite(height)) {
            segments_.clear();
            return;
        }
        // Cells of about two slab widths, but never more than a few million,
        // counted as whole rows and columns: a line with one far vertex gets
        // large cells, not one endless row of them.
        cell_ = std::fmax(1.0, 2 * reach_);
        while ((std::floor(width / cell_) + 1) * (std::floor(height / cell_) + 1) > MAX_GRID_CELLS)
            cell_ *= 2;
        min_x_ = lo_x;
        min_y_ = lo_y;
        nx_ = int((hi_x - lo_x) / cell_) + 1;
        ny_ = int((hi_y - lo_y) / cell_) + 1;
        first_.assign(size_t(nx_) * size_t(ny_) + 1, 0);
        for_each_cell([this](size_t c, uint32_t) { first_[c + 1]++; });
        for (size_t c = 1; c < first_.size(); c++)
            first_[c] += first_[c - 1];
        items_.resize(first_.back());
        std::vector<uint32_t> fill(first_.begin(), first_.end() - 1);
        for_each_cell([&](size_t c, uint32_t i) { items_[fill[c]++] = i; });
    }

    // Calls f(cell, segment) for every cell near every segment.
    template <typename F>
    void for_each_cell(F f) const
    {
        double xa, ya, xb, yb;
        int x0, y0, x1, y1;
        for (uint32_t i = 0; i < segments_.size(); i++) {
            segment_box(segments_[i], &xa, &ya, &xb, &yb);
            if (!cell_span(xa, ya, xb, yb, &x0, &y0, &x1, &y1))
                continue;
            for (int y = y0; y <= y1; y++)
                for (int x = x0; x <= x1; x++)
                    f(cell(x, y), i);
        }
    }

    double reach_;
    std::vector<Segment> segments_;
    double min_x_ = 0, min_y_ = 0, cell_ = 1;
    int nx_ = 0, ny_ = 0;
    std::vector<uint32_t> first_; // cell c lists items_[first_[c] .. first_[c + 1])
    std::vector<uint32_t> items_;
};

// One cloud as the section sees it.
struct CloudView {
    const velmo_t *cloud;
    const TileStore *store;
    Quantisation q;
    Form u, v, w; // planar kinds
};

// What the automatic ground line needs of a point: a section computed for
// its line alone keeps no more.
struct ProfilePoint {
    float u, v;
    uint8_t classification;
};

inline void keep(const velmo_point_t &point, std::vector<velmo_point_t> *out)
{
    out->push_back(point);
}

inline void keep(const velmo_point_t &point, std::vector<ProfilePoint> *out)
{
    out->push_back({point.u, point.v, point.classification});
}

// A piece of a store read at once: runs that lie near each other.
struct Span {
    const CloudView *view;
    const TileStore *store;
    uint64_t first, end; // in the store's points()
    size_t placed;       // where it is read to
    bool read;
};

// Buffers a thread reuses from one section to the next: memory the process
// has not touched before can cost more than the work done in it, so a batch
// of sections must not take fresh memory for each.
struct Scratch {
    std::vector<velmo_point_t> points;
    std::vector<ProfilePoint> profile;
    TileGrid grid;                 // the shape of the tile being planned
    std::vector<uint32_t> bin_of;  // ground line: each point's bin
    std::vector<float> heights;    // ground line: the heights of each bin, bin after bin
    std::vector<size_t> counts;    // ground line: four numbers a bin
    std::vector<tile_point_t> read; // the runs of an item, read from the stores' files
    std::vector<uint32_t> by_place; // the runs of an item in store order
    std::vector<const tile_point_t *> run_points; // where each run of the item was read to
    std::vector<Span> spans;         // the reads of an item
    std::vector<uint32_t> span_of;   // the read of each run of an item
};

// A buffer a large section left bigger than this is given back.
const size_t KEPT_BYTES = 8u << 20;

// Whether the calling thread computes a section of a batch.
bool &in_batch()
{
    thread_local bool batch = false;
    return batch;
}

Scratch &scratch()
{
    thread_local Scratch buffers;
    return buffers;
}

template <typename T>
void give_back_excess(std::vector<T> *buffer)
{
    if (buffer->capacity() * sizeof(T) > KEPT_BYTES)
        std::vector<T>().swap(*buffer);
}

// Points of one tile to read, one after the other in the store.
struct Run {
    const CloudView *cloud;
    uint64_t first; // in the store's points()
    uint32_t count;
};

// The part x = lo..hi of a box where d . (p - centre) may lie in the range;
// false when none.
bool narrow_along_x(const double d[3], const double centre[3], const double range[2], const double box[6],
                    double *lo, double *hi)
{
    const double c = dot(d, centre), low = range[0] - SLACK + c, high = range[1] + SLACK + c;
    // d1 y + d2 z over the box's y and z
    double rest_lo = 0, rest_hi = 0;
    for (int k = 1; k < 3; k++) {
        rest_lo += d[k] * (d[k] >= 0 ? box[k] : box[k + 3]);
        rest_hi += d[k] * (d[k] >= 0 ? box[k + 3] : box[k]);
    }
    const double from = low - rest_hi, to = high - rest_lo; // d0 x must reach from..to
    if (d[0] == 0)
        return from <= 0 && to >= 0;
    double x0 = from / d[0], x1 = to / d[0];
    if (d[0] < 0)
        std::swap(x0, x1);
    *lo = std::fmax(*lo, x0);
    *hi = std::fmin(*hi, x1);
    return *lo <= *hi;
}

// The slab of a section for given ranges, and the test of a point.
class Slab {
public:
    Slab(const section_t *section, const SectionRanges &ranges) : section_(*section), ranges_(ranges)
    {
        if (section->type == SECTION_LONGITUDE)
            line_ = std::make_unique<CentreLine>(
                section, std::fmax(std::fabs(ranges.normal[0]), std::fabs(ranges.normal[1])));
    }

    bool empty() const
    {
        return !(ranges_.normal[0] <= ranges_.normal[1]) || !(ranges_.width[0] <= ranges_.width[1]) ||
               (line_ && line_->empty());
    }

    bool meets(const double box[6]) const
    {
        if (line_)
            return line_->meets(box) && box[0] <= box[3];
        const section_t &s = section_;
        bool meets = box_meets(box, s.normal, s.center, ranges_.normal) &&
                     box_meets(box, s.axis_u, s.center, ranges_.width);
        return meets && (s.type != SECTION_HORIZONTAL || box_meets(box, s.axis_v, s.center, ranges_.width));
    }

    // The columns first..last of a grid row whose cells may meet the slab;
    // false when none does.  Every cell that meets it lies in between.
    bool columns(const TileGrid &grid, int row, int *first, int *last) const
    {
        double box[6];
        grid.box(row, 0, grid.columns() - 1, box);
        if (line_)
            return line_columns(grid, row, first, last);
        const section_t &s = section_;
        double lo = box[0], hi = box[3];
        bool meets = narrow_along_x(s.normal, s.center, ranges_.normal, box, &lo, &hi) &&
                     narrow_along_x(s.axis_u, s.center, ranges_.width, box, &lo, &hi) &&
                     (s.type != SECTION_HORIZONTAL || narrow_along_x(s.axis_v, s.center, ranges_.width, box, &lo, &hi));
        if (!meets)
            return false;
        *first = std::max(0, grid.column_from(lo));
        *last = std::min(grid.columns() - 1, grid.column_to(hi));
        return *first <= *last;
    }

    CloudView view(const velmo_t *cloud, const TileStore &store) const
    {
        CloudView view;
        view.cloud = cloud;
        view.store = &store;
        view.q = quantisation_of(store);
        view.u = form_along(section_.axis_u, view.q, section_.center);
        view.v = form_along(section_.axis_v, view.q, section_.center);
        view.w = form_along(section_.normal, view.q, section_.center);
        return view;
    }

    // Appends those of the run's points, read to `points`, that lie in the
    // slab.
    template <typename Out>
    void collect(const Run &run, const tile_point_t *points, std::vector<Out> *out) const
    {
        collect(*run.cloud, run.count, [=](uint32_t i) -> const tile_point_t & { return points[i]; }, out);
    }

private:
    template <typename At, typename Out>
    void collect(const CloudView &cloud, uint32_t count, At at, std::vector<Out> *out) const
    {
        if (line_)
            collect_along_line(cloud, count, at, out);
        else
            collect_planar(cloud, count, at, out);
    }

    bool line_columns(const TileGrid &grid, int row, int *first, int *last) const
    {
        double box[6];
        int c = 0, end = grid.columns() - 1;
        for (; c <= end; c++) {
            grid.box(row, c, c, box);
            if (meets(box))
                break;
        }
        for (; end > c; end--) {
            grid.box(row, end, end, box);
            if (meets(box))
                break;
        }
        *first = c;
        *last = end;
        return c <= end;
    }

    template <typename At, typename Out>
    void collect_planar(const CloudView &c, uint32_t count, At at, std::vector<Out> *out) const
    {
        const bool bounded_v = section_.type == SECTION_HORIZONTAL;
        for (uint32_t i = 0; i < count; i++) {
            const tile_point_t &p = at(i);
            if (!inside(c.w.at(p), ranges_.normal, SLACK) || !inside(c.u.at(p), ranges_.width, SLACK))
                continue;
            if (bounded_v && !inside(c.v.at(p), ranges_.width, SLACK))
                continue;
            velmo_point_t point{}; // every byte set, so that equal points compare equal
            c.store->decode(p, &point);
            if (measure_planar(&point))
                keep(point, out);
        }
    }

    bool measure_planar(velmo_point_t *p) const
    {
        const section_t &s = section_;
        const double d[3] = {p->x - s.center[0], p->y - s.center[1], p->z - s.center[2]};
        double u = dot(d, s.axis_u), w = dot(d, s.normal);
        double v = s.type == SECTION_HORIZONTAL ? dot(d, s.axis_v) : p->z;
        if (!inside(w, ranges_.normal, 0) || !inside(u, ranges_.width, 0))
            return false;
        if (s.type == SECTION_HORIZONTAL && !inside(v, ranges_.width, 0))
            return false;
        p->u = float(u);
        p->v = float(v);
        p->w = float(w);
        return true;
    }

    template <typename At, typename Out>
    void collect_along_line(const CloudView &c, uint32_t count, At at, std::vector<Out> *out) const
    {
        const Quantisation &q = c.q;
        double u, w;
        for (uint32_t i = 0; i < count; i++) {
            const tile_point_t &p = at(i);
            double x = q.origin[0] + q.step[0] * p.x, y = q.origin[1] + q.step[1] * p.y;
            if (!line_->locate(x, y, &u, &w) || !inside(w, ranges_.normal, SLACK) ||
                !inside(u, ranges_.width, SLACK))
                continue;
            velmo_point_t point{}; // every byte set, so that equal points compare equal
            c.store->decode(p, &point);
            if (!line_->locate(point.x, point.y, &u, &w) || !inside(w, ranges_.normal, 0) ||
                !inside(u, ranges_.width, 0))
                continue;
            point.u = float(u);
            point.v = float(point.z);
            point.w = float(w);
            keep(point, out);
        }
    }

    const section_t &section_;
    SectionRanges ranges_;
    std::unique_ptr<const CentreLine> line_;
};

// The work of one computation: the runs of every tile that meets the slab,
// handed out in items of about CHUNK_POINTS points.
struct Plan {
    std::vector<CloudView> clouds;
    std::vector<Run> runs;
    std::vector<size_t> items; // item i is runs[items[i] .. items[i + 1])
    size_t tiles = 0;
    size_t points = 0;         // points the runs read
};

void add_run(Plan *plan, const Run &run)
{
    if (run.count > 0)
        plan->runs.push_back(run);
    plan->points += run.count;
}

void add_whole_tile(Plan *plan, const CloudView *view, uint64_t tile_first, uint32_t count)
{
    for (uint32_t first = 0; first < count; first += CHUNK_POINTS)
        add_run(plan, {view, tile_first + first, std::min(CHUNK_POINTS, count - first)});
}

// The cells of a tile that meet the slab, row by row and level by level:
// within a level the store keeps a tile's points cell by cell, so each is
// one run of the store.  The whole tile when they hold most of its points.
// Numbers from the cell index are clamped to the tile: a damaged store
// gives wrong points, never a read beyond the tile.
void add_tile(Plan *plan, const Slab &slab, const CloudView *view, const TileStore &store, size_t index)
{
    const StoreTile &stored = store.tile(index);
    const uint32_t count = stored.count;
    TileGrid &grid = scratch().grid;
    grid.shape(stored.box, count);
    const uint32_t *starts = store.cell_index(index);
    const size_t cells = grid.cells(), runs = plan->runs.size(), read = plan->points;
    int first, last;
    for (int row = 0; row < grid.rows(); row++) {
        if (!slab.columns(grid, row, &first, &last))
            continue;
        for (int level = 0; level < tile_format::kIndexLevels; level++) {
            const size_t cell = level * cells + size_t(row) * size_t(grid.columns());
            const uint32_t begin = std::min(starts[cell + size_t(first)], count);
            const uint32_t end = std::clamp(starts[cell + size_t(last) + 1], begin, count);
            add_run(plan, {view, stored.first + begin, end - begin});
        }
    }
    if (2 * (plan->points - read) > count) {
        plan->runs.resize(runs);
        plan->points = read;
        add_whole_tile(plan, view, stored.first, count);
    }
}

void plan_cloud(const Slab &slab, const velmo_t *cloud, Plan *plan)
{
    velmo_cloud_state *state = cloud->state;
    const CloudView *view = &plan->clouds.back();
    bool checked = false;
    for (size_t t = 0; t < state->tiles.size(); t++) {
        const tile_t &tile = state->tiles[t];
        if (tile.point_count > 0 && slab.meets(tile.box)) {
            // The cell index is read in place: only from a file as it was.
            // A section that meets none of the cloud's tiles needs neither.
            if (!checked && !state->store->unchanged())
                throw StoreUnreadable(cloud_store_unreadable(cloud));
            checked = true;
            plan->tiles++;
            add_tile(plan, slab, view, *state->store, t);
        }
    }
}

// Cuts the runs into items of about CHUNK_POINTS points.
void make_items(Plan *plan)
{
    size_t in_item = 0;
    plan->items.assign(1, 0);
    for (size_t r = 0; r < plan->runs.size(); r++) {
        in_item += plan->runs[r].count;
        if (in_item >= CHUNK_POINTS || r + 1 == plan->runs.size()) {
            plan->items.push_back(r + 1);
            in_item = 0;
        }
    }
}

Plan make_plan(wks_t *wks, const Slab &slab)
{
    Plan plan;
    size_t count = array_size(wks->clouds);
    plan.clouds.reserve(count); // runs point into it
    for (size_t i = 0; i < count; i++) {
        void *item = nullptr;
        if (array_get_at(wks->clouds, i, &item) != CC_OK || !item)
            continue;
        auto *cloud = static_cast<const velmo_t *>(item);
        if (!cloud->tiles || !cloud->state || !cloud->state->store)
            continue;
        plan.clouds.push_back(slab.view(cloud, *cloud->state->store));
        plan_cloud(slab, cloud, &plan);
    }
    make_items(&plan);
    return plan;
}

// Reads runs[begin .. end) of a plan from the stores' files, and where each
// run's points are into *at, in the plan's order.  Runs near each other in
// a store are read as one.  A read that fails stops the computation: the
// store's mapping would fault where the file's read failed.
void read_runs(const Plan &plan, size_t begin, size_t end, std::vector<const tile_point_t *> *at)
{
    Scratch &s = scratch();
    const Run *runs = plan.runs.data() + begin;
    const size_t count = end - begin;
    std::vector<uint32_t> &order = s.by_place;
    order.resize(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [runs](uint32_t a, uint32_t b) {
        const TileStore *x = runs[a].cloud->store, *y = runs[b].cloud->store;
        return x != y ? std::less<const TileStore *>()(x, y) : runs[a].first < runs[b].first;
    });
    std::vector<Span> &spans = s.spans;
    std::vector<uint32_t> &span_of = s.span_of;
    spans.clear();
    span_of.resize(count);
    size_t total = 0;
    for (uint32_t k : order) {
        const Run &run = runs[k];
        const TileStore *store = run.cloud->store;
        if (spans.empty() || spans.back().store != store || run.first > spans.back().end + MERGE_GAP) {
            if (!spans.empty())
                total += size_t(spans.back().end - spans.back().first);
            spans.push_back({run.cloud, store, run.first, run.first, total, false});
        }
        spans.back().end = std::max(spans.back().end, run.first + run.count);
        span_of[k] = uint32_t(spans.size() - 1);
    }
    if (!spans.empty())
        total += size_t(spans.back().end - spans.back().first);
    if (s.read.size() < total)
        s.read.resize(total);
    // What is not in memory is asked for all at once before any of it is
    // waited for: one disk read at a time would take most of the time.
    for (Span &span : spans)
        span.read = span.store->copy_points(span.first, uint32_t(span.end - span.first), s.read.data() + span.placed,
                                            true);
    for (const Span &span : spans)
        if (!span.read)
            span.store->will_need(span.first, uint32_t(span.end - span.first));
    for (Span &span : spans)
        if (!span.read &&
            !span.store->copy_points(span.first, uint32_t(span.end - span.first), s.read.data() + span.placed))
            throw StoreUnreadable(cloud_store_unreadable(span.view->cloud));
    at->resize(count);
    for (size_t k = 0; k < count; k++) {
        const Span &span = spans[span_of[k]];
        (*at)[k] = s.read.data() + span.placed + (runs[k].first - span.first);
    }
}

// Runs the items on the workspace's helpers and the calling thread, which
// alone reports progress.  A plan small enough for the caller alone fills
// the first result only.
template <typename Out>
void run_plan(WorkerPool *workers, const Slab &slab, const Plan &plan, std::vector<std::vector<Out>> *results,
              velmo_progress_callback_t progress)
{
    const size_t total = plan.items.size() - 1;
    const bool parallel = workers && plan.points >= (in_batch() ? BATCH_PARALLEL_POINTS : PARALLEL_POINTS);
    results->resize(parallel ? total : 1);
    if (!parallel)
        (*results)[0].reserve(plan.points); // the points read bound the points kept
    std::atomic<size_t> done{0};
    std::atomic<bool> failed{false};
    std::mutex unreadable_lock;
    std::string unreadable; // why a store could not be read, when one could not
    const std::thread::id caller = std::this_thread::get_id();
    int reported = 0;
    const std::function<void(size_t)> work = [&](size_t i) {
        if (failed)
            return;
        try {
            std::vector<Out> &out = (*results)[parallel ? i : 0];
            std::vector<const tile_point_t *> &at = scratch().run_points;
            read_runs(plan, plan.items[i], plan.items[i + 1], &at);
            for (size_t r = plan.items[i]; r < plan.items[i + 1]; r++)
                slab.collect(plan.runs[r], at[r - plan.items[i]], &out);
            size_t finished = done.fetch_add(1) + 1;
            int step = int(finished * PROGRESS_STEPS / total);
            if (progress && std::this_thread::get_id() == caller && step > reported && finished < total) {
                reported = step;
                progress(int(plan.tiles), int(plan.tiles * finished / total), COMPUTING);
            }
        } catch (const StoreUnreadable &e) {
            std::lock_guard<std::mutex> guard(unreadable_lock);
            unreadable = e.what();
            failed = true;
        } catch (...) {
            failed = true;
        }
    };
    if (parallel)
        workers->run(total, work);
    else
        for (size_t i = 0; i < total; i++)
            work(i);
    if (!unreadable.empty())
        throw StoreUnreadable(unreadable);
    if (failed)
        throw std::bad_alloc();
}

// ---- computing -----------------------------------------------------------

WorkerPool *workers_of(wks_t *wks)
{
    return wks->state ? &wks->state->section_workers : nullptr;
}

// The points of the section's slab into *out (emptied first, its room
// kept), read on the given helpers (null: on the calling thread alone).
template <typename Out>
void compute_into(wks_t *wks, const section_t *section, const SectionRanges &ranges,
                  velmo_progress_callback_t progress, std::vector<Out> *out, WorkerPool *workers)
{
    Slab slab(section, ranges);
    Plan plan;
    if (!slab.empty())
        plan = make_plan(wks, slab);
    else
        make_items(&plan);
    if (progress)
        progress(int(plan.tiles), 0, COMPUTING);
    std::vector<std::vector<Out>> results(1);
    out->clear();
    results[0].swap(*out);
    run_plan(workers, slab, plan, &results, progress);
    size_t count = 0;
    for (const auto &part : results)
        count += part.size();
    results[0].swap(*out);
    out->reserve(count);
    for (size_t i = 1; i < results.size(); i++)
        out->insert(out->end(), results[i].begin(), results[i].end());
    if (progress)
        progress(int(plan.tiles), int(plan.tiles), COMPUTING);
}

// Lowest tenth of each bin's heights (along u), from its ground-class points
// when it has any.  A horizontal section has no profile: its v runs across
// the map.
template <typename Point>
std::vector<GroundPoint> automatic_line(const section_t *section, const std::vector<Point> &points)
{
    std::vector<GroundPoint> line;
    if (section->type == SECTION_HORIZONTAL || points.empty())
        return line;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const Point &p : points)
        if (std::isfinite(p.u) && std::isfinite(p.v)) {
            low = p.u < low ? p.u : low;
            high = p.u > high ? p.u : high;
        }
    if (!(low <= high))
        return line;
    const long first = long(std::floor(low / BIN_WIDTH));
    const size_t bins = size_t(long(std::floor(high / BIN_WIDTH)) - first + 1);
    const uint32_t NONE = UINT32_MAX;
    Scratch &buffers = scratch();
    std::vector<uint32_t> &bin_of = buffers.bin_of;
    bin_of.assign(points.size(), NONE);
    buffers.counts.assign(4 * bins + 1, 0);
    size_t *ground = buffers.counts.data(), *all = ground + bins, *start = all + bins, *fill = start + bins + 1;
    for (size_t i = 0; i < points.size(); i++) {
        const Point &p = points[i];
        if (!std::isfinite(p.u) || !std::isfinite(p.v))
            continue;
        size_t bin = size_t(std::clamp(long(std::floor(p.u / BIN_WIDTH)) - first, 0L, long(bins) - 1));
        bin_of[i] = uint32_t(bin);
        all[bin]++;
        ground[bin] += is_ground_class(p.classification);
    }
    // The heights each bin draws from, bin after bin.
    for (size_t bin = 0; bin < bins; bin++)
        start[bin + 1] = start[bin] + (ground[bin] > 0 ? ground[bin] : all[bin]);
    std::vector<float> &heights = buffers.heights;
    heights.resize(start[bins]);
    std::copy(start, start + bins, fill);
    for (size_t i = 0; i < points.size(); i++) {
        const uint32_t bin = bin_of[i];
        if (bin != NONE && (ground[bin] == 0 || is_ground_class(points[i].classification)))
            heights[fill[bin]++] = points[i].v;
    }
    for (size_t bin = 0; bin < bins; bin++) {
        if (start[bin] == start[bin + 1])
            continue;
        auto begin = heights.begin() + long(start[bin]), end = heights.begin() + long(start[bin + 1]);
        auto kth = begin + long(GROUND_PERCENTILE * double(end - begin - 1));
        std::nth_element(begin, kth, end);
        velmo_point_t p{};
        p.u = float((double(first) + double(bin) + 0.5) * BIN_WIDTH);
        p.v = *kth;
        section_unproject(section, &p);
        line.push_back({p.u, p.v, p.x, p.y, p.z});
    }
    give_back_excess(&bin_of);
    give_back_excess(&heights);
    give_back_excess(&buffers.counts);
    return line;
}

} // namespace

std::vector<GroundPoint> section_automatic_line(const section_t *section, const std::vector<velmo_point_t> &points)
{
    return automatic_line(section, points);
}

std::vector<GroundPoint> section_profile_line(wks_t *wks, const section_t *section, const SectionRanges &ranges,
                                              WorkerPool *workers)
{
    std::vector<ProfilePoint> &profile = scratch().profile;
    compute_into(wks, section, ranges, nullptr, &profile, workers);
    std::vector<GroundPoint> line = automatic_line(section, profile);
    give_back_excess(&profile);
    return line;
}

double ground_height_at(const std::vector<GroundPoint> &line, double u)
{
    if (line.empty() || std::isnan(u))
        return NAN;
    if (u <= line.front().u)
        return line.front().v;
    if (u >= line.back().u)
        return line.back().v;
    auto after = std::upper_bound(line.begin(), line.end(), u,
                                  [](double value, const GroundPoint &p) { return value < p.u; });
    const GroundPoint &a = *(after - 1), &b = *after;
    double span = b.u - a.u;
    return span > 0 ? a.v + (u - a.u) / span * (b.v - a.v) : a.v;
}

} // namespace velmo

// ---- the section's points and ground line ---------------------------------

namespace velmo {

namespace {

Array *point_records(const std::vector<velmo_point_t> &points)
{
    Array *list = nullptr;
    if (array_new(&list) != CC_OK)
        return nullptr;
    for (const velmo_point_t &p : points) {
        auto *record = static_cast<velmo_point_t *>(malloc(sizeof p));
        if (!record || array_add(list, record) != CC_OK) {
            free(record);
            free_point_records(list);
            return nullptr;
        }
        *record = p;
    }
    return list;
}

// Ranges and revision as one consistent snapshot.
uint64_t ranges_of(section_t *section, SectionRanges *ranges)
{
    std::lock_guard<std::mutex> guard(section->state->lock);
    for (int k = 0; k < 2; k++) {
        ranges->normal[k] = section->normal_range[k];
        ranges->width[k] = section->width_range[k];
    }
    return section->state->revision;
}

// The clouds a cached ground line was computed from.
std::vector<const void *> clouds_of(wks_t *wks)
{
    std::vector<const void *> clouds;
    for (size_t i = 0; wks && i < array_size(wks->clouds); i++) {
        void *item = nullptr;
        array_get_at(wks->clouds, i, &item);
        clouds.push_back(item);
        clouds.push_back(item ? static_cast<velmo_t *>(item)->tiles : nullptr);
    }
    return clouds;
}

Array *published_points(const section_t *section)
{
    return __atomic_load_n(&section->points, __ATOMIC_ACQUIRE);
}

// Whether a published array holds exactly these points.
bool holds(const Array *published, const std::vector<velmo_point_t> &points)
{
    if (array_size(published) != points.size())
        return false;
    for (size_t i = 0; i < points.size(); i++) {
        void *item = nullptr;
        array_get_at(published, i, &item);
        if (std::memcmp(item, &points[i], sizeof points[i]) != 0)
            return false;
    }
    return true;
}

// Builds the points aside and swaps them in.  A range changed meanwhile
// means they are stale: they are computed again, so the section always ends
// with the points of its latest ranges.  Points the section already shows
// are kept as they are: the replaced records could not be freed before the
// section is (a reader may hold them), so a section opened again and again
// would otherwise grow by its whole cloud of points each time.
bool compute_and_publish(wks_t *wks, section_t *section, velmo_progress_callback_t progress, WorkerPool *workers)
{
    for (int attempt = 0;; attempt++) {
        SectionRanges ranges;
        uint64_t revision = ranges_of(section, &ranges);
        std::vector<velmo_point_t> &points = scratch().points;
        compute_into(wks, section, ranges, progress, &points, workers);
        if (holds(published_points(section), points)) {
            give_back_excess(&points);
            std::lock_guard<std::mutex> guard(section->state->lock);
            if (section->state->revision == revision || attempt >= 3)
                return true;
            continue;
        }
        Array *fresh = point_records(points);
        give_back_excess(&points);
        if (!fresh)
            return false;
        std::lock_guard<std::mutex> guard(section->state->lock);
        if (section->state->revision != revision && attempt < 3) {
            free_point_records(fresh);
            continue;
        }
        Array *old = section->points;
        __atomic_store_n(&section->points, fresh, __ATOMIC_RELEASE);
        section_retire_array(section, old);
        return true;
    }
}

// The automatic line of points computed and not kept; cached for the
// section's exports.
std::vector<GroundPoint> unkept_points_line(wks_t *wks, section_t *section, WorkerPool *workers)
{
    SectionRanges ranges;
    uint64_t revision = ranges_of(section, &ranges);
    std::vector<GroundPoint> line = section_profile_line(wks, section, ranges, workers);
    std::vector<const void *> clouds = clouds_of(wks);
    std::lock_guard<std::mutex> guard(section->state->lock);
    if (section->state->revision == revision) {
        section->state->auto_line = line;
        section->state->auto_line_valid = true;
        section->state->auto_line_revision = revision;
        section->state->auto_line_clouds = std::move(clouds);
    }
    return line;
}

std::vector<GroundPoint> measured_line(const section_t *section)
{
    std::vector<GroundPoint> line;
    for (size_t i = 0; i < array_size(section->measurements); i++) {
        void *item = nullptr;
        array_get_at(section->measurements, i, &item);
        const auto *m = static_cast<const velmo_point_t *>(item);
        line.push_back({m->u, m->v, m->x, m->y, m->z});
    }
    return line;
}

bool owned_by(const wks_t *wks, const section_t *section)
{
    return wks && section && section->state && section->state->workspace == wks;
}

// What saving a section computes: its points again when it shows some (a
// batch of a thousand sections would otherwise hold a copy of the clouds),
// else its automatic ground line alone.
void compute_for_export(wks_t *wks, section_t *section, WorkerPool *workers)
{
    if (array_size(published_points(section)) > 0)
        compute_and_publish(wks, section, nullptr, workers);
    else
        unkept_points_line(wks, section, workers);
}

// The sections of the list that this workspace owns, each once.
std::vector<section_t *> owned_sections(const wks_t *wks, section_t *const *sections, int count)
{
    std::vector<section_t *> owned;
    std::unordered_set<section_t *> seen;
    for (int i = 0; sections && i < count; i++)
        if (owned_by(wks, sections[i]) && seen.insert(sections[i]).second)
            owned.push_back(sections[i]);
    return owned;
}

} // namespace

std::vector<GroundPoint> section_ground_line(wks_t *wks, section_t *section, bool automatic)
{
    if (!section || !section->state)
        return {};
    try {
        std::vector<const void *> clouds = clouds_of(wks);
        {
            std::lock_guard<std::mutex> guard(section->state->lock);
            if (array_size(section->measurements) >= 2)
                return measured_line(section);
            const velmo_section_state &state = *section->state;
            if (!automatic)
                return {};
            if (array_size(section->points) == 0 && state.auto_line_valid &&
                state.auto_line_revision == state.revision && (!wks || state.auto_line_clouds == clouds))
                return state.auto_line;
        }
        const Array *points = published_points(section);
        if (array_size(points) > 0) {
            std::vector<velmo_point_t> copy;
            copy.reserve(array_size(points));
            for (size_t i = 0; i < array_size(points); i++) {
                void *item = nullptr;
                array_get_at(points, i, &item);
                copy.push_back(*static_cast<const velmo_point_t *>(item));
            }
            return section_automatic_line(section, copy);
        }
        return wks ? unkept_points_line(wks, section, workers_of(wks)) : std::vector<GroundPoint>();
    } catch (...) {
        return {};
    }
}

} // namespace velmo

using namespace velmo;

extern "C" {

int wks_cal_section(wks_t *wks, section_t *section, velmo_progress_callback_t progress)
{
    if (!owned_by(wks, section))
        return 0;
    try {
        return compute_and_publish(wks, section, progress, workers_of(wks)) ? 1 : 0;
    } catch (const StoreUnreadable &e) {
        report(progress, e.what());
        return section_file_failure(section, e.what());
    } catch (...) {
        return 0;
    }
}

// A new section is computed for its ground line and saved; its points are
// kept only when it already shows some.  The section view loads them with
// wks_cal_section when the section is opened.
int wks_export_section(wks_t *wks, section_t *section)
{
    if (!owned_by(wks, section))
        return 0;
    try {
        compute_for_export(wks, section, workers_of(wks));
        sections_store(wks, {section});
        return 1;
    } catch (const StoreUnreadable &e) {
        return section_file_failure(section, e.what());
    } catch (...) {
        return 0;
    }
}

// A latitude section is a few thousand points read from a few tiles: too
// little to share among threads, so a batch gives each helper whole
// sections, and saves them in one transaction.  A section large enough to
// share (a long longitude section) still shares its reading with whichever
// helpers are free.
int wks_export_sections(wks_t *wks, section_t *const *sections, int count)
{
    try {
        std::vector<section_t *> owned = owned_sections(wks, sections, count);
        if (owned.empty())
            return 0;
        std::vector<char> computed(owned.size(), 0);
        const std::function<void(size_t)> work = [&](size_t i) {
            in_batch() = true;
            try {
                compute_for_export(wks, owned[i], workers_of(wks));
                computed[i] = 1;
            } catch (const StoreUnreadable &e) {
                section_file_failure(owned[i], e.what());
            } catch (...) {
                // Left out of the count, as wks_export_section returns 0.
            }
            in_batch() = false;
        };
        if (WorkerPool *workers = workers_of(wks))
            workers->run(owned.size(), work);
        else
            for (size_t i = 0; i < owned.size(); i++)
                work(i);
        std::vector<section_t *> done;
        for (size_t i = 0; i < owned.size(); i++)
            if (computed[i])
                done.push_back(owned[i]);
        if (!done.empty())
            sections_store(wks, done);
        return int(std::count_if(done.begin(), done.end(), [&](section_t *s) { return section_kept(wks, s); }));
    } catch (...) {
        return 0;
    }
}

} // extern "C"
