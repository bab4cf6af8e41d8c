// Synthetic road corridors: points drawn chunk by chunk on worker threads,
// each chunk from its own seeded generator, and written in chunk order, so a
// file depends only on its spec, never on the thread count.
#include "lasgen.h"

#include "las_writer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace lasgen {
namespace {

constexpr uint64_t kChunkPoints = 1 << 16;
constexpr int kClassGround = 2;
constexpr int kClassTree = 5;
constexpr int kClassRoad = 11;

uint64_t splitmix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// xoshiro256+: fast and plenty good for spreading points.
class Random {
public:
    explicit Random(uint64_t seed)
    {
        for (auto &word : s_)
            word = seed = splitmix(seed);
    }
    uint64_t next()
    {
        const uint64_t result = s_[0] + s_[3];
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = (s_[3] << 45) | (s_[3] >> 19);
        return result;
    }
    double unit() { return (next() >> 11) * 0x1.0p-53; }                 // [0, 1)
    double between(double a, double b) { return a + (b - a) * unit(); }
    int below(int n) { return static_cast<int>(unit() * n); }

private:
    uint64_t s_[4];
};

struct Tree {
    double chainage, offset, crown_z;
};

// The lengths of the curved alignment's five elements, fitted to the length.
struct CurveLayout {
    double line, transition, circle;
};

CurveLayout curve_layout(const CorridorSpec &spec)
{
    CurveLayout c;
    c.transition = std::min(spec.transition_length, spec.length * 0.2);
    double rest = spec.length - 2 * c.transition;
    c.line = rest * 0.25;
    c.circle = rest * 0.5;
    return c;
}

// Signed curvature at a chainage: positive where the road turns right.
double curvature(const CorridorSpec &spec, double chainage)
{
    if (spec.alignment != Alignment::curved)
        return 0.0;
    const CurveLayout c = curve_layout(spec);
    const double k = 1.0 / spec.curve_radius;
    double s = chainage - spec.start_chainage;
    if (s <= c.line)
        return 0.0;
    s -= c.line;
    if (s <= c.transition)
        return c.transition > 0 ? k * s / c.transition : k;
    s -= c.transition;
    if (s <= c.circle)
        return k;
    s -= c.circle;
    if (s <= c.transition)
        return c.transition > 0 ? k * (1.0 - s / c.transition) : 0.0;
    return 0.0;
}

horizon_element_t element(int type, double length, double start_radius, double end_radius)
{
    horizon_element_t e{};
    e.type = type;
    e.length = length;
    e.radius = type == HORIZON_CIRCLE ? start_radius : 0.0;
    e.start_radius = start_radius;
    e.end_radius = end_radius;
    e.direction = 1;
    return e;
}

std::vector<Tree> plant_trees(const CorridorSpec &spec)
{
    std::vector<Tree> trees;
    if (spec.tree_share <= 0 || spec.tree_spacing <= 0)
        return trees;
    const int per_side = std::max(1, static_cast<int>(spec.length / spec.tree_spacing));
    const double spacing = spec.length / per_side;
    const double offset = spec.half_width + spec.footpath_width + spec.ditch_width + spec.ground_width / 2;
    Random random(splitmix(spec.seed ^ 0x7472656573ull));
    for (int side = -1; side <= 1; side += 2) {
        for (int t = 0; t < per_side; t++) {
            double s = spec.start_chainage + spacing * (t + 0.5) + random.between(-0.2, 0.2) * spacing;
            double o = side * (offset + random.between(-0.2, 0.2) * spec.ground_width);
            trees.push_back({s, o, design_height(spec, s, o) + spec.trunk_height + spec.crown_radius});
        }
    }
    return trees;
}

std::string check_spec(const CorridorSpec &s)
{
    if (s.point_format < 0 || s.point_format > 10)
        return "point format must be 0 to 10";
    if (s.version_minor < 0 || s.version_minor > 4)
        return "LAS version must be 1.0 to 1.4";
    if (s.point_format >= 6 && s.version_minor < 4)
        return "point formats 6 to 10 need LAS 1.4";
    if (s.version_minor < 4 && s.points > UINT32_MAX)
        return "more than 4294967295 points need LAS 1.4";
    if (!(s.length > 0) || !(s.half_width > 0) || !(s.scale > 0) || s.footpath_width < 0 ||
        s.ditch_width < 0 || s.ground_width < 0 || s.noise < 0 || s.tree_share < 0 || s.tree_share > 1)
        return "lengths, widths and the scale must be positive";
    double reach = s.length + 2 * corridor_half_width(s) + s.trunk_height + 2 * s.crown_radius +
                   std::fabs(s.grade) * s.length + std::fabs(s.centre_height) + 1000.0;
    if (!std::isfinite(reach) || reach / s.scale > 2e9)
        return "the corridor does not fit LAS coordinates at this scale";
    if (s.alignment == Alignment::curved && !(s.curve_radius > 2 * corridor_half_width(s)))
        return "the curve radius must exceed the corridor's width";
    return std::string();
}

// Everything the workers share, read-only.
class Corridor {
public:
    explicit Corridor(const CorridorSpec &spec) : spec_(spec), trees_(plant_trees(spec))
    {
        road_init(&road_);
        build_alignment(spec, &road_);
        half_ = corridor_half_width(spec);
        max_stretch_ = 1.0 + (spec.alignment == Alignment::curved ? half_ / spec.curve_radius : 0.0);
        offset_[0] = std::floor(spec.start_east);
        offset_[1] = std::floor(spec.start_north);
        offset_[2] = std::floor(spec.centre_height);
        length_ = velmo::las_format_record_size(static_cast<uint8_t>(spec.point_format));
    }
    ~Corridor() { road_final(&road_); }
    Corridor(const Corridor &) = delete;
    Corridor &operator=(const Corridor &) = delete;

    uint16_t record_length() const { return length_; }
    const double *las_offset() const { return offset_; }

    void generate(uint64_t chunk, uint64_t first, uint64_t count, uint8_t *out) const
    {
        Random random(splitmix(spec_.seed) ^ splitmix(chunk + 1));
        for (uint64_t i = 0; i < count; i++) {
            velmo::LasPoint p;
            if (!trees_.empty() && random.unit() < spec_.tree_share)
                tree_point(random, &p);
            else
                ground_point(random, &p);
            p.gps_time = 1000.0 + (first + i) * 1e-5;
            p.point_source_id = 1;
            velmo::las_encode_point(p, static_cast<uint8_t>(spec_.point_format), length_, out + i * length_);
        }
    }

private:
    // Uniform over the corridor's area: on a curve the inside is shorter
    // than the outside, so offsets are thinned by the local stretch.
    void ground_point(Random &random, velmo::LasPoint *p) const
    {
        double s, o;
        do {
            s = spec_.start_chainage + random.unit() * spec_.length;
            o = random.between(-half_, half_);
        } while (random.unit() * max_stretch_ > 1.0 - curvature(spec_, s) * o);
        double z = design_height(spec_, s, o) + (spec_.noise > 0 ? random.between(-spec_.noise, spec_.noise) : 0.0);
        int cls = design_class(spec_, o);
        place(s, o, z, p);
        p->classification = static_cast<uint8_t>(cls);
        p->return_number = p->number_of_returns = 1;
        const double a = std::fabs(o);
        if (cls == kClassRoad)
            colour(p, random, 90, 90, 95, 8000);
        else if (a <= spec_.half_width + spec_.footpath_width)
            colour(p, random, 170, 168, 160, 20000);
        else if (a <= spec_.half_width + spec_.footpath_width + spec_.ditch_width)
            colour(p, random, 100, 80, 55, 10000);
        else
            colour(p, random, 125, 95, 65, 12000);
        scan_angle(o, p);
    }

    void tree_point(Random &random, velmo::LasPoint *p) const
    {
        const Tree &tree = trees_[static_cast<size_t>(random.below(static_cast<int>(trees_.size())))];
        const double r = spec_.crown_radius;
        double ds, dof, dz;
        do {
            ds = random.between(-r, r);
            dof = random.between(-r, r);
            dz = random.between(-r, r);
        } while (ds * ds + dof * dof + dz * dz > r * r);
        place(tree.chainage + ds, tree.offset + dof, tree.crown_z + dz, p);
        p->classification = kClassTree;
        p->number_of_returns = static_cast<uint8_t>(1 + random.below(3));
        p->return_number = static_cast<uint8_t>(1 + random.below(p->number_of_returns));
        colour(p, random, 45, 115, 40, 5000);
        scan_angle(tree.offset, p);
    }

    void place(double chainage, double offset, double z, velmo::LasPoint *p) const
    {
        double north, east;
        road_lo2xy(&road_, chainage, offset, &north, &east, nullptr);
        p->X = static_cast<int32_t>(std::lround((east - offset_[0]) / spec_.scale));
        p->Y = static_cast<int32_t>(std::lround((north - offset_[1]) / spec_.scale));
        p->Z = static_cast<int32_t>(std::lround((z - offset_[2]) / spec_.scale));
    }

    static void colour(velmo::LasPoint *p, Random &random, int red, int green, int blue, int intensity)
    {
        int shade = random.below(17) - 8;
        p->red = static_cast<uint16_t>(std::clamp(red + shade, 0, 255) * 257);
        p->green = static_cast<uint16_t>(std::clamp(green + shade, 0, 255) * 257);
        p->blue = static_cast<uint16_t>(std::clamp(blue + shade, 0, 255) * 257);
        p->intensity = static_cast<uint16_t>(intensity + random.below(2001) - 1000);
    }

    // As if scanned from a vehicle on the centre line: up to 30 degrees.
    void scan_angle(double offset, velmo::LasPoint *p) const
    {
        double degrees = std::clamp(offset / half_, -1.0, 1.0) * 30.0;
        p->scan_angle = static_cast<int16_t>(std::lround(spec_.point_format >= 6 ? degrees / 0.006 : degrees));
    }

    const CorridorSpec &spec_;
    std::vector<Tree> trees_;
    road_t road_;
    double half_ = 0, max_stretch_ = 1;
    double offset_[3];
    uint16_t length_ = 0;
};

// Chunks drawn by the workers in any order and handed to the writer in
// chunk order through a ring of slots.
class Pipeline {
public:
    Pipeline(const Corridor &corridor, uint64_t points, int threads)
        : corridor_(corridor), points_(points),
          chunks_((points + kChunkPoints - 1) / kChunkPoints),
          slots_(static_cast<size_t>(2 * threads)), slot_chunk_(slots_.size()), ready_(slots_.size(), false)
    {
        for (size_t i = 0; i < slots_.size(); i++) {
            slots_[i].resize(kChunkPoints * corridor.record_length());
            slot_chunk_[i] = i;
        }
        for (int t = 0; t < threads; t++)
            workers_.emplace_back([this] { work(); });
    }
    ~Pipeline()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        for (auto &worker : workers_)
            worker.join();
    }

    bool write_all(velmo::LasWriter *writer)
    {
        for (uint64_t chunk = 0; chunk < chunks_; chunk++) {
            const size_t slot = chunk % slots_.size();
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return ready_[slot]; });
            lock.unlock();
            if (!writer->write(slots_[slot].data(), count_of(chunk)))
                return false;
            lock.lock();
            ready_[slot] = false;
            slot_chunk_[slot] = chunk + slots_.size();
            lock.unlock();
            changed_.notify_all();
        }
        return true;
    }

private:
    uint64_t count_of(uint64_t chunk) const { return std::min(kChunkPoints, points_ - chunk * kChunkPoints); }

    void work()
    {
        for (;;) {
            const uint64_t chunk = next_.fetch_add(1);
            if (chunk >= chunks_)
                return;
            const size_t slot = chunk % slots_.size();
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || slot_chunk_[slot] == chunk; });
                if (stop_)
                    return;
            }
            corridor_.generate(chunk, chunk * kChunkPoints, count_of(chunk), slots_[slot].data());
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ready_[slot] = true;
            }
            changed_.notify_all();
        }
    }

    const Corridor &corridor_;
    const uint64_t points_, chunks_;
    std::vector<std::vector<uint8_t>> slots_;
    std::vector<uint64_t> slot_chunk_; // the chunk each slot is waiting for
    std::vector<bool> ready_;
    std::atomic<uint64_t> next_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

int thread_count(const CorridorSpec &spec)
{
    int threads = spec.threads > 0 ? spec.threads : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(threads, 1, 64);
}

velmo::LasWriteSpec write_spec(const CorridorSpec &spec, const Corridor &corridor)
{
    velmo::LasWriteSpec w;
    w.version_minor = static_cast<uint8_t>(spec.version_minor);
    w.point_format = static_cast<uint8_t>(spec.point_format);
    for (int axis = 0; axis < 3; axis++) {
        w.scale[axis] = spec.scale;
        w.offset[axis] = corridor.las_offset()[axis];
    }
    // Point formats 6 to 10 declare their reference system as WKT.
    w.global_encoding = spec.point_format >= 6 ? 0x0010 : 0;
    w.system_identifier = "Corvane synthetic corridor";
    w.sync = false;
    return w;
}

} // namespace

double corridor_half_width(const CorridorSpec &spec)
{
    return spec.half_width + spec.footpath_width + spec.ditch_width + spec.ground_width;
}

double design_height(const CorridorSpec &spec, double chainage, double offset)
{
    const double a = std::fabs(offset);
    const double centre = spec.centre_height + spec.grade * (chainage - spec.start_chainage);
    if (a <= spec.half_width)
        return centre - spec.crown_slope * a;
    const double footpath = centre - spec.crown_slope * spec.half_width + spec.kerb_height;
    const double ditch_start = spec.half_width + spec.footpath_width;
    if (a <= ditch_start || a > ditch_start + spec.ditch_width)
        return footpath;
    const double t = (a - ditch_start) / spec.ditch_width;
    return footpath - spec.ditch_depth * (1.0 - std::fabs(2.0 * t - 1.0));
}

int design_class(const CorridorSpec &spec, double offset)
{
    return std::fabs(offset) <= spec.half_width ? kClassRoad : kClassGround;
}

void build_alignment(const CorridorSpec &spec, road_t *road)
{
    horizon_element_t start{};
    start.type = HORIZON_START;
    start.start_x = spec.start_north;
    start.start_y = spec.start_east;
    start.start_azimuth = spec.start_azimuth;
    start.start_chainage = spec.start_chainage;
    std::vector<horizon_element_t> elements{start};
    if (spec.alignment == Alignment::curved) {
        const CurveLayout c = curve_layout(spec);
        const double r = spec.curve_radius;
        elements.push_back(element(HORIZON_LINE, c.line, 0, 0));
        elements.push_back(element(HORIZON_TRANSITION, c.transition, 0, r));
        elements.push_back(element(HORIZON_CIRCLE, c.circle, r, r));
        elements.push_back(element(HORIZON_TRANSITION, c.transition, r, 0));
        elements.push_back(element(HORIZON_LINE, c.line, 0, 0));
    } else {
        elements.push_back(element(HORIZON_LINE, spec.length, 0, 0));
    }
    for (const auto &e : elements)
        road_insert_horizon(road, &e, road_number_horizon(road));
    road_apply_horizon(road);
}

CorridorSpec gentle_corridor(uint64_t points)
{
    CorridorSpec spec;
    spec.points = points;
    spec.alignment = Alignment::curved;
    spec.length = std::max(200.0, double(points) / 20000.0);
    spec.curve_radius = std::max(spec.curve_radius, spec.length / 2);
    return spec;
}

bool write_corridor(const CorridorSpec &spec, const std::string &path, std::string *error)
{
    std::string problem = check_spec(spec);
    if (!problem.empty()) {
        if (error)
            *error = "Cannot generate " + path + ": " + problem;
        return false;
    }
    Corridor corridor(spec);
    std::string failure;
    auto writer = velmo::LasWriter::create(path, write_spec(spec, corridor), &failure);
    bool ok = writer != nullptr;
    if (ok) {
        Pipeline pipeline(corridor, spec.points, thread_count(spec));
        ok = pipeline.write_all(writer.get());
    }
    ok = ok && writer->finish();
    if (!ok && error)
        *error = writer ? writer->error() : failure;
    return ok;
}

std::string centre_line_path(const std::string &las_path)
{
    const size_t slash = las_path.find_last_of('/');
    const size_t dot = las_path.find_last_of('.');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (has_extension ? las_path.substr(0, dot) : las_path) + ".pm";
}

bool write_centre_line(const CorridorSpec &spec, const std::string &path, std::string *error)
{
    std::string problem = check_spec(spec);
    bool ok = problem.empty();
    if (ok) {
        road_t road;
        road_init(&road);
        build_alignment(spec, &road);
        ok = road_export_haidi(&road, path.c_str()) == 0;
        road_final(&road);
        if (!ok)
            problem = "the file cannot be written";
    }
    if (!ok && error)
        *error = "Cannot write the centre line " + path + ": " + problem;
    return ok;
}

} // namespace lasgen
