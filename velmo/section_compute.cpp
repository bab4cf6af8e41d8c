// Computing sections: the points of the clouds inside a section's slab, in
// the section's own (u, v, w), and the automatic ground line.
//
// Only tiles whose box meets the slab are read.  Inside a tile the points
// are first tested on their stored integer coordinates with the section's
// frame folded into one linear form per axis, which is a few multiply-adds a
// point; the few that pass are decoded and measured exactly.
#include "velmo.h"

#include "section_state.h"
#include "workspace_state.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace velmo {

namespace {

const char *const COMPUTING = "Computing section...";
const uint32_t CHUNK_POINTS = 1u << 16;    // points a thread takes at a time
const size_t PARALLEL_POINTS = 2 * CHUNK_POINTS; // fewer are read faster than handed to helpers
const int PROGRESS_STEPS = 10;
const double BIN_WIDTH = 0.25;             // automatic ground line: bin length along u (m)
const double GROUND_PERCENTILE = 0.10;
// The integer pre-test keeps points this close outside a range; the exact
// test decides.
const double SLACK = 1e-6;

bool is_ground_class(uint8_t classification)
{
    return classification == 2 || classification == 11;
}

// world = origin + step * stored, per axis, for one tile store.
struct Quantisation {
    double origin[3];
    double step[3];
};

Quantisation quantisation_of(const TileStore &store)
{
    const int32_t far = 1 << 20;
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
        *x0 = std::clamp(int((xa - min_x_) / cell_), 0, nx_ - 1);
        *y0 = std::clamp(int((ya - min_y_) / cell_), 0, ny_ - 1);
        *x1 = std::clamp(int((xb - min_x_) / cell_), 0, nx_ - 1);
        *y1 = std::clamp(int((yb - min_y_) / cell_), 0, ny_ - 1);
        return true;
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
        // Cells of about two slab widths, but never more than a few million.
        cell_ = std::fmax(1.0, 2 * reach_);
        while ((hi_x - lo_x) / cell_ * ((hi_y - lo_y) / cell_) > 4e6)
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
    const TileStore *store;
    Quantisation q;
    Form u, v, w; // planar kinds
};

// A run of one tile's points.
struct Chunk {
    const CloudView *cloud;
    const tile_point_t *points;
    uint32_t count;
};

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

    CloudView view(const TileStore &store) const
    {
        CloudView view;
        view.store = &store;
        view.q = quantisation_of(store);
        view.u = form_along(section_.axis_u, view.q, section_.center);
        view.v = form_along(section_.axis_v, view.q, section_.center);
        view.w = form_along(section_.normal, view.q, section_.center);
        return view;
    }

    // Appends the chunk's points that lie in the slab.
    void collect(const Chunk &chunk, std::vector<velmo_point_t> *out) const
    {
        if (line_)
            collect_along_line(chunk, out);
        else
            collect_planar(chunk, out);
    }

private:
    void collect_planar(const Chunk &chunk, std::vector<velmo_point_t> *out) const
    {
        const CloudView &c = *chunk.cloud;
        const bool bounded_v = section_.type == SECTION_HORIZONTAL;
        for (uint32_t i = 0; i < chunk.count; i++) {
            const tile_point_t &p = chunk.points[i];
            if (!inside(c.w.at(p), ranges_.normal, SLACK) || !inside(c.u.at(p), ranges_.width, SLACK))
                continue;
            if (bounded_v && !inside(c.v.at(p), ranges_.width, SLACK))
                continue;
            velmo_point_t point;
            c.store->decode(p, &point);
            if (measure_planar(&point))
                out->push_back(point);
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

    void collect_along_line(const Chunk &chunk, std::vector<velmo_point_t> *out) const
    {
        const Quantisation &q = chunk.cloud->q;
        double u, w;
        for (uint32_t i = 0; i < chunk.count; i++) {
            const tile_point_t &p = chunk.points[i];
            double x = q.origin[0] + q.step[0] * p.x, y = q.origin[1] + q.step[1] * p.y;
            if (!line_->locate(x, y, &u, &w) || !inside(w, ranges_.normal, SLACK) ||
                !inside(u, ranges_.width, SLACK))
                continue;
            velmo_point_t point;
            chunk.cloud->store->decode(p, &point);
            if (!line_->locate(point.x, point.y, &u, &w) || !inside(w, ranges_.normal, 0) ||
                !inside(u, ranges_.width, 0))
                continue;
            point.u = float(u);
            point.v = float(point.z);
            point.w = float(w);
            out->push_back(point);
        }
    }

    const section_t &section_;
    SectionRanges ranges_;
    std::unique_ptr<const CentreLine> line_;
};

// The work of one computation: every chunk of every tile that meets the slab.
struct Plan {
    std::vector<CloudView> clouds;
    std::vector<Chunk> chunks;
    size_t tiles = 0;
    size_t points = 0;
};

void plan_cloud(const Slab &slab, const velmo_t *cloud, Plan *plan)
{
    const velmo_cloud_state *state = cloud->state;
    const tile_point_t *stored = state->store->points();
    const CloudView *view = &plan->clouds.back();
    for (const tile_t &tile : state->tiles) {
        if (tile.point_count == 0 || !slab.meets(tile.box))
            continue;
        plan->tiles++;
        plan->points += tile.point_count;
        for (uint32_t first = 0; first < tile.point_count; first += CHUNK_POINTS)
            plan->chunks.push_back({view, stored + tile.first_point + first,
                                    std::min(CHUNK_POINTS, tile.point_count - first)});
    }
}

Plan make_plan(wks_t *wks, const Slab &slab)
{
    Plan plan;
    size_t count = array_size(wks->clouds);
    plan.clouds.reserve(count); // chunks point into it
    for (size_t i = 0; i < count; i++) {
        void *item = nullptr;
        if (array_get_at(wks->clouds, i, &item) != CC_OK || !item)
            continue;
        auto *cloud = static_cast<const velmo_t *>(item);
        if (!cloud->tiles || !cloud->state || !cloud->state->store)
            continue;
        plan.clouds.push_back(slab.view(*cloud->state->store));
        plan_cloud(slab, cloud, &plan);
    }
    return plan;
}

// Runs the chunks on the workspace's helpers and the calling thread, which
// alone reports progress.
void run_plan(WorkerPool *workers, const Slab &slab, const Plan &plan,
              std::vector<std::vector<velmo_point_t>> *results, velmo_progress_callback_t progress)
{
    const size_t total = plan.chunks.size();
    results->assign(total, {});
    std::atomic<size_t> done{0};
    std::atomic<bool> failed{false};
    const std::thread::id caller = std::this_thread::get_id();
    int reported = 0;
    const std::function<void(size_t)> work = [&](size_t i) {
        if (failed)
            return;
        try {
            slab.collect(plan.chunks[i], &(*results)[i]);
            size_t finished = done.fetch_add(1) + 1;
            int step = int(finished * PROGRESS_STEPS / total);
            if (progress && std::this_thread::get_id() == caller && step > reported && finished < total) {
                reported = step;
                progress(int(plan.tiles), int(plan.tiles * finished / total), COMPUTING);
            }
        } catch (...) {
            failed = true;
        }
    };
    if (workers && plan.points >= PARALLEL_POINTS)
        workers->run(total, work);
    else
        for (size_t i = 0; i < total; i++)
            work(i);
    if (failed)
        throw std::bad_alloc();
}

// ---- automatic ground line ------------------------------------------------

// Lowest tenth of a bin's heights, from its ground-class points when it has
// any.
double bin_height(std::vector<double> &ground, std::vector<double> &other)
{
    std::vector<double> &values = ground.empty() ? other : ground;
    size_t k = size_t(GROUND_PERCENTILE * double(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + k, values.end());
    return values[k];
}

} // namespace

std::vector<velmo_point_t> section_compute_points(wks_t *wks, const section_t *section, const SectionRanges &ranges,
                                                  velmo_progress_callback_t progress)
{
    std::vector<velmo_point_t> points;
    Slab slab(section, ranges);
    Plan plan;
    if (!slab.empty())
        plan = make_plan(wks, slab);
    if (progress)
        progress(int(plan.tiles), 0, COMPUTING);
    std::vector<std::vector<velmo_point_t>> results;
    run_plan(wks->state ? &wks->state->section_workers : nullptr, slab, plan, &results, progress);
    size_t count = 0;
    for (const auto &part : results)
        count += part.size();
    points.reserve(count);
    for (const auto &part : results)
        points.insert(points.end(), part.begin(), part.end());
    if (progress)
        progress(int(plan.tiles), int(plan.tiles), COMPUTING);
    return points;
}

// A horizontal section has no profile: its v runs across the map.
std::vector<GroundPoint> section_automatic_line(const section_t *section, const std::vector<velmo_point_t> &points)
{
    std::vector<GroundPoint> line;
    if (section->type == SECTION_HORIZONTAL || points.empty())
        return line;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const velmo_point_t &p : points)
        if (std::isfinite(p.u) && std::isfinite(p.v)) {
            low = std::fmin(low, p.u);
            high = std::fmax(high, p.u);
        }
    if (!(low <= high))
        return line;
    const long first = long(std::floor(low / BIN_WIDTH));
    const size_t bins = size_t(long(std::floor(high / BIN_WIDTH)) - first + 1);
    std::vector<std::vector<double>> ground(bins), other(bins);
    for (const velmo_point_t &p : points) {
        if (!std::isfinite(p.u) || !std::isfinite(p.v))
            continue;
        size_t bin = size_t(std::clamp(long(std::floor(p.u / BIN_WIDTH)) - first, 0L, long(bins) - 1));
        (is_ground_class(p.classification) ? ground : other)[bin].push_back(p.v);
    }
    for (size_t bin = 0; bin < bins; bin++) {
        if (ground[bin].empty() && other[bin].empty())
            continue;
        velmo_point_t p{};
        p.u = float((double(first) + double(bin) + 0.5) * BIN_WIDTH);
        p.v = float(bin_height(ground[bin], other[bin]));
        section_unproject(section, &p);
        line.push_back({p.u, p.v, p.x, p.y, p.z});
    }
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

void free_records(Array *list)
{
    for (size_t i = 0; i < array_size(list); i++) {
        void *item = nullptr;
        array_get_at(list, i, &item);
        free(item);
    }
    array_destroy(list);
}

Array *point_records(const std::vector<velmo_point_t> &points)
{
    Array *list = nullptr;
    if (array_new(&list) != CC_OK)
        return nullptr;
    for (const velmo_point_t &p : points) {
        auto *record = static_cast<velmo_point_t *>(malloc(sizeof p));
        if (!record || array_add(list, record) != CC_OK) {
            free(record);
            free_records(list);
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

// Builds the points aside and swaps them in.  A range changed meanwhile
// means they are stale: they are computed again, so the section always ends
// with the points of its latest ranges.
bool compute_and_publish(wks_t *wks, section_t *section, velmo_progress_callback_t progress)
{
    for (int attempt = 0;; attempt++) {
        SectionRanges ranges;
        uint64_t revision = ranges_of(section, &ranges);
        Array *fresh = point_records(section_compute_points(wks, section, ranges, progress));
        if (!fresh)
            return false;
        std::lock_guard<std::mutex> guard(section->state->lock);
        if (section->state->revision != revision && attempt < 3) {
            free_records(fresh);
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
std::vector<GroundPoint> unkept_points_line(wks_t *wks, section_t *section)
{
    SectionRanges ranges;
    uint64_t revision = ranges_of(section, &ranges);
    std::vector<GroundPoint> line =
        section_automatic_line(section, section_compute_points(wks, section, ranges, nullptr));
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
        return wks ? unkept_points_line(wks, section) : std::vector<GroundPoint>();
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
        return compute_and_publish(wks, section, progress) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// A new section is computed for its ground line and saved; its points are
// kept only when it already shows some (a batch of a thousand sections
// would otherwise hold a copy of the clouds).  The section view loads them
// with wks_cal_section when the section is opened.
int wks_export_section(wks_t *wks, section_t *section)
{
    if (!owned_by(wks, section))
        return 0;
    try {
        if (array_size(published_points(section)) > 0)
            compute_and_publish(wks, section, nullptr);
        else
            unkept_points_line(wks, section);
        sections_store(wks, {section});
        return 1;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
