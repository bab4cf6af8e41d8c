// velmo_bench: speed of the point-cloud engine on a synthetic road corridor.
//
//   velmo_bench [--points N] [--dir PATH] [--threads T] [--chunk-mb M] [--no-sections | --sections-only]
//
// Generates (or reuses) a corridor LAS file of N points in PATH, then times
// what a cp of it costs (the kernel copying the file into a new one on the
// same file system), the tile store import on 1, 2, 4 and 8 threads (or on
// T only) beside what 8 threads of plain arithmetic get done, the store's
// opening, the decoding of a whole tile at level 3 and a thousand sections.
// Each import runs in a child process so that its peak resident memory is
// its own.  --sections-only times the sections alone, on the project a
// previous run of the same size left in PATH (built first when there is
// none), so that no import runs.
#include "lasgen.h"
#include "tile_store.h"
#include "velmo.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Options {
    uint64_t points = 20000000;
    std::string dir = (fs::temp_directory_path() / "corvane-bench").string();
    unsigned threads = 0;
    size_t chunk_mb = 0; // the engine's own chunk size
    bool sections = true;
    bool sections_only = false;
};

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void print(const char *name, double value) { std::printf("%s=%.6g\n", name, value); }

bool parse(int argc, char **argv, Options *o)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--no-sections") {
            o->sections = false;
            continue;
        }
        if (arg == "--sections-only") {
            o->sections_only = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        if (arg == "--points")
            o->points = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--dir")
            o->dir = argv[++i];
        else if (arg == "--chunk-mb")
            o->chunk_mb = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--threads")
            o->threads = unsigned(std::strtoul(argv[++i], nullptr, 10));
        else
            return false;
    }
    return o->points > 0 && !(o->sections_only && !o->sections);
}

// Processor time of the last child, user and system: on a busy machine it
// tells more than the wall clock.
double child_cpu_s = 0;

// Runs work in a child process; its exit status and peak resident memory.
bool run_child(const std::function<bool()> &work, long *peak_kb)
{
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
        _exit(work() ? 0 : 1);
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    *peak_kb = usage.ru_maxrss;
    child_cpu_s = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool las_has_points(const std::string &path, uint64_t points)
{
    std::string error;
    auto las = velmo::LasFile::open(path, &error);
    return las && las->point_count() == points;
}

// Reads the whole file, so that copy and import both start from the page cache.
uint64_t read_through(const std::string &path)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<char> buffer(1 << 20);
    uint64_t total = 0;
    ssize_t n;
    while (fd >= 0 && (n = ::read(fd, buffer.data(), buffer.size())) > 0)
        total += uint64_t(n);
    if (fd >= 0)
        ::close(fd);
    return total;
}

// What cp does on Linux: the kernel copies the file into a new one, with no
// buffer in between.
bool copy_file(const std::string &from, const std::string &to)
{
    int in = ::open(from.c_str(), O_RDONLY);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = in >= 0 && out >= 0;
    ssize_t n = 1;
    while (ok && n > 0) {
        n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        ok = n >= 0;
    }
    if (in >= 0)
        ::close(in);
    if (out >= 0)
        ok = ::close(out) == 0 && ok;
    return ok;
}

// Every timed step starts with nothing left for the kernel to write back
// from the step before: a large file's pending write-back would otherwise
// slow down whatever runs next.  The flush is not timed.
void settle() { ::sync(); }

double timed_copy(const std::string &from, const std::string &to)
{
    settle();
    auto start = Clock::now();
    bool ok = copy_file(from, to);
    double s = seconds_since(start);
    std::error_code ec;
    fs::remove(to, ec);
    return ok ? s : -1;
}

// The import on the given threads in a child process: seconds, or a
// negative number when it failed.
double timed_import(const std::string &las_path, const std::string &store_path, unsigned threads,
                    size_t chunk_mb, long *peak_kb)
{
    std::error_code ec;
    fs::remove(store_path, ec);
    settle();
    double import_s = -1;
    int pipe_fd[2];
    if (pipe(pipe_fd) != 0)
        return -1;
    bool built = run_child([&]() {
        std::string error;
        auto las = velmo::LasFile::open(las_path, &error);
        velmo::TileStoreOptions options;
        options.threads = threads;
        if (chunk_mb)
            options.chunk_bytes = chunk_mb << 20;
        auto begin = Clock::now();
        bool ok = las && velmo::TileStore::build(*las, store_path, velmo::Progress(), &error, options);
        double s = seconds_since(begin);
        if (!ok)
            std::fprintf(stderr, "%s\n", error.c_str());
        return ok && write(pipe_fd[1], &s, sizeof s) == sizeof s;
    }, peak_kb);
    ::close(pipe_fd[1]);
    if (!built || read(pipe_fd[0], &import_s, sizeof import_s) != sizeof import_s)
        import_s = -1;
    ::close(pipe_fd[0]);
    return import_s;
}

// How many times the plain arithmetic of one thread the given threads get
// done at once on this machine: the ceiling of any import's scaling here
// (cores shared with other guests or with sibling threads give less than
// their count).
double compute_scaling(unsigned threads)
{
    auto spin = []() {
        volatile uint64_t x = 1;
        uint64_t v = x;
        for (int i = 0; i < 200000000; ++i)
            v = v * 6364136223846793005ull + 1442695040888963407ull;
        x = v;
    };
    auto start = Clock::now();
    spin();
    const double one = seconds_since(start);
    start = Clock::now();
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back(spin);
    for (std::thread &t : pool)
        t.join();
    return threads * one / seconds_since(start);
}

void print_load()
{
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        print("load_average_1min", load[0]);
}

// What the import is to reach on 8 threads at 20 M and 120 M points: 1 when
// met.  The copy ratio holds at 20 M; at any size the resident memory stays
// under 1 GB.
void print_import_targets(double points_per_s, double copy_ratio, double peak_rss_mb)
{
    print("import_target_points_per_s", 40e6);
    print("import_target_points_per_s_met", points_per_s >= 40e6);
    print("import_target_copy_ratio", 3);
    print("import_target_copy_ratio_met", copy_ratio <= 3);
    print("import_target_peak_rss_mb", 1024);
    print("import_target_peak_rss_met", peak_rss_mb < 1024);
}

// Decodes every point of a tile at level 3 as the tile reader does: a zeroed
// record per point.  Milliseconds.
double decode_tile(const velmo::TileStore &store, const velmo::StoreTile &tile, double *checksum)
{
    std::vector<velmo_point_t> out(tile.count);
    auto start = Clock::now();
    const tile_point_t *points = store.points() + tile.first;
    for (uint32_t i = 0; i < tile.count && points[i].level >= 3; ++i) {
        std::memset(&out[i], 0, sizeof out[i]);
        store.decode(points[i], &out[i]);
    }
    double ms = seconds_since(start) * 1000;
    for (const velmo_point_t &p : out)
        *checksum += p.z;
    return ms;
}

} // namespace

// A project with the corridor cloud and its road: reopening it, and
// cutting a thousand latitude sections.
// The project as it stands before any section is cut, kept beside it for
// --sections-only runs of the same size.
std::string base_project(const Options &o)
{
    return o.dir + "/bench-base-gentle-" + std::to_string(o.points) + ".qpj";
}

// Puts the kept project back in place; false when there is none.
bool restore_base_project(const Options &o, const std::string &project)
{
    std::error_code ec;
    if (!fs::exists(base_project(o), ec) || !fs::exists(o.dir + "/bench.data", ec))
        return false;
    fs::remove(project + "-journal", ec);
    fs::remove(project + "-wal", ec);
    return fs::copy_file(base_project(o), project, fs::copy_options::overwrite_existing, ec);
}

bool build_project(const Options &o, const std::string &las_path, const std::string &project,
                   const lasgen::CorridorSpec &spec)
{
    const std::string road_path = o.dir + "/bench.pm";
    std::error_code ec;
    fs::remove(project, ec);
    fs::remove(base_project(o), ec);
    fs::remove_all(o.dir + "/bench.data", ec);
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    road_apply_horizon(&road);
    bool written = road_export_haidi(&road, road_path.c_str()) == 0;
    road_final(&road);
    auto *wks = static_cast<wks_t *>(malloc(96));
    wks_init(wks);
    if (!written || !wks_create_project(wks, 0, project.c_str()) ||
        !wks_import_velmo(wks, las_path.c_str(), nullptr) || !wks_import_road(wks, road_path.c_str(), 0) ||
        !wks_export_project(wks)) {
        std::fprintf(stderr, "cannot build the benchmark project\n");
        wks_destroy(wks);
        return false;
    }
    wks_destroy(wks);
    fs::copy_file(project, base_project(o), fs::copy_options::overwrite_existing, ec);
    return true;
}

bool project_figures(const Options &o, const std::string &las_path)
{
    const std::string project = o.dir + "/bench.qpj";
    const lasgen::CorridorSpec spec = lasgen::gentle_corridor(o.points);
    if (!(o.sections_only && restore_base_project(o, project)) && !build_project(o, las_path, project, spec))
        return false;

    auto start = Clock::now();
    auto *wks = static_cast<wks_t *>(malloc(96));
    wks_init(wks);
    void *item = nullptr;
    bool opened = wks_open_project(wks, project.c_str()) && array_get_at(wks->clouds, 0, &item) == CC_OK &&
                  velmo_open_file(static_cast<velmo_t *>(item));
    if (!opened) {
        wks_destroy(wks);
        return false;
    }
    print("project_reopen_ms", seconds_since(start) * 1000);

    array_get_at(wks->roads, 0, &item);
    auto *bench_road = static_cast<wks_road_t *>(item);
    road_open_file(bench_road, bench_road->path, bench_road->format);
    const int count = 1000;
    std::vector<double> rows;
    for (int i = 0; i < count; i++) {
        rows.push_back(spec.length * (i + 0.5) / count);
        rows.push_back(0.0);
    }
    start = Clock::now();
    size_t first = array_size(wks->latitude_sections);
    int made = wks_generate_road_latitude_sections(wks, bench_road, count, rows.data(), 1.0, 40.0);
    print("sections_generated_s", seconds_since(start));
    // As the program computes and saves new sections: a block at a time.
    std::vector<section_t *> block;
    for (size_t i = first; i < array_size(wks->latitude_sections); i++) {
        array_get_at(wks->latitude_sections, i, &item);
        block.push_back(static_cast<section_t *>(item));
        if (block.size() == size_t(WKS_EXPORT_BLOCK) || i + 1 == array_size(wks->latitude_sections)) {
            wks_export_sections(wks, block.data(), int(block.size()));
            block.clear();
        }
    }
    print("sections", made);
    print("sections_generated_computed_saved_s", seconds_since(start));

    array_get_at(wks->latitude_sections, first + count / 2, &item);
    double cal_ms = 1e9;
    for (int i = 0; i < 5; i++) {
        start = Clock::now();
        wks_cal_section(wks, static_cast<section_t *>(item), nullptr);
        cal_ms = std::min(cal_ms, seconds_since(start) * 1000);
    }
    print("cal_section_ms", cal_ms);
    print("cal_section_points", double(array_size(static_cast<section_t *>(item)->points)));

    // A section computed for the first time keeps new point records: the
    // figure above repeats one whose points it already holds.  Of those, the
    // first (the figure as it always was) and the slowest of nine.
    double first_max_ms = 0;
    for (int i = 0; i < 9; i++) {
        array_get_at(wks->latitude_sections, first + count / 4 + size_t(i) * count / 18, &item);
        start = Clock::now();
        wks_cal_section(wks, static_cast<section_t *>(item), nullptr);
        const double ms = seconds_since(start) * 1000;
        if (i == 0)
            print("cal_section_first_ms", ms);
        first_max_ms = std::max(first_max_ms, ms);
    }
    print("cal_section_first_max_ms", first_max_ms);
    wks_destroy(wks);
    return true;
}

int main(int argc, char **argv)
{
    Options o;
    if (!parse(argc, argv, &o)) {
        std::fprintf(stderr, "usage: velmo_bench [--points N] [--dir PATH] [--threads T] [--chunk-mb M] "
                             "[--no-sections | --sections-only]\n");
        return 2;
    }
    std::error_code ec;
    fs::create_directories(o.dir, ec);
    const std::string las_path = o.dir + "/corridor-gentle-" + std::to_string(o.points) + ".las";
    const std::string copy_path = o.dir + "/copy.las";
    const std::string store_path = o.dir + "/corridor.tiles";

    long peak_kb = 0;
    if (!(o.sections_only && fs::exists(base_project(o), ec)) && !las_has_points(las_path, o.points)) {
        auto start = Clock::now();
        const lasgen::CorridorSpec spec = lasgen::gentle_corridor(o.points);
        bool made = run_child([&]() {
            std::string error;
            bool ok = lasgen::write_corridor(spec, las_path, &error);
            if (!ok)
                std::fprintf(stderr, "%s\n", error.c_str());
            return ok;
        }, &peak_kb);
        if (!made)
            return 1;
        print("generate_s", seconds_since(start));
    }
    print("points", double(o.points));
    print_load();
    if (o.sections_only) {
        bool ok = project_figures(o, las_path);
        print_load();
        return ok ? 0 : 1;
    }
    print("las_mb", double(read_through(las_path)) / (1 << 20));
    read_through(las_path);

    // The copy runs before and after the imports, and the faster one counts:
    // the same file, the same file system, the same page cache.
    double copy_s = timed_copy(las_path, copy_path);
    std::vector<unsigned> thread_counts = {1, 2, 4, 8};
    if (o.threads)
        thread_counts = {o.threads};
    double import_s = 0, single_s = 0;
    for (unsigned threads : thread_counts) {
        const double s = timed_import(las_path, store_path, threads, o.chunk_mb, &peak_kb);
        if (s < 0 || copy_s < 0)
            return 1;
        const std::string t = std::to_string(threads);
        print(("import_s_threads_" + t).c_str(), s);
        print(("import_points_per_s_threads_" + t).c_str(), double(o.points) / s);
        print(("import_peak_rss_mb_threads_" + t).c_str(), double(peak_kb) / 1024);
        print(("import_cpu_s_threads_" + t).c_str(), child_cpu_s);
        if (threads == 1)
            single_s = s;
        import_s = s;
    }
    const double second_copy_s = timed_copy(las_path, copy_path);
    if (second_copy_s < 0)
        return 1;
    copy_s = std::min(copy_s, second_copy_s);
    print("threads", thread_counts.back());
    print("copy_s", copy_s);
    print("import_s", import_s);
    print("import_points_per_s", double(o.points) / import_s);
    print("import_ns_per_point", import_s * 1e9 / double(o.points));
    print("import_copy_ratio", import_s / copy_s);
    print("import_peak_rss_mb", double(peak_kb) / 1024);
    print_import_targets(o.points / import_s, import_s / copy_s, double(peak_kb) / 1024);
    if (single_s > 0 && thread_counts.size() > 1) {
        print("import_scaling_1_to_8", single_s / import_s);
        print("compute_scaling_1_to_8", compute_scaling(8));
    }
    print_load();

    std::string error;
    double open_ms = 1e9;
    std::unique_ptr<velmo::TileStore> store;
    for (int i = 0; i < 5; ++i) {
        store.reset();
        auto start = Clock::now();
        store = velmo::TileStore::open(store_path, &error);
        open_ms = std::min(open_ms, seconds_since(start) * 1000);
        if (!store) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    print("open_ms", open_ms);
    print("tiles", double(store->tile_count()));

    size_t biggest = 0;
    for (size_t t = 0; t < store->tile_count(); ++t)
        if (store->tile(t).count > store->tile(biggest).count)
            biggest = t;
    const velmo::StoreTile &tile = store->tile(biggest);
    double checksum = 0;
    const double first_ms = decode_tile(*store, tile, &checksum); // pages the tile in
    double warm_ms = 1e9;
    for (int i = 0; i < 5; ++i)
        warm_ms = std::min(warm_ms, decode_tile(*store, tile, &checksum));
    print("tile_points", tile.count);
    print("tile_decode_first_ms_per_100k", first_ms * 100000 / tile.count);
    print("tile_decode_ms_per_100k", warm_ms * 100000 / tile.count);
    volatile double keep = checksum; // the decoding is not optimised away
    (void)keep;
    store.reset();
    if (!o.sections)
        return 0;
    bool ok = project_figures(o, las_path);
    print_load();
    return ok ? 0 : 1;
}
