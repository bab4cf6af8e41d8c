// section_view_bench: how fast a section becomes current and how fast a
// click finds its nearest point.
//
//   section_view_bench [--points N] [--dir PATH] [--pick-points M] [--clicks C]
//
// Builds (or reuses) a corridor project of N points in PATH with one 40 m by
// 1 m latitude section, then times what making it current costs before its
// points can be drawn: computing the section and building its scene
// geometry, against a plain scan of every point of the cloud.  Picking is
// timed over a section of M points, C clicks, against a plain loop over the
// same points without the window transform.
#include "CorvaneFrame.h"
#include "SceneManager.h"
#include "SectionPick.h"
#include "SectionProject.h"

#include <osg/Viewport>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    uint64_t points = 20000000;
    std::string dir = (fs::temp_directory_path() / "corvane-section-bench").string();
    size_t pickPoints = 200000;
    int clicks = 200;
};

double Ms(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Parse(int argc, char **argv, Options *options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--points"))
            options->points = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--dir"))
            options->dir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--pick-points"))
            options->pickPoints = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--clicks"))
            options->clicks = std::atoi(argv[i + 1]);
        else
            return false;
    }
    return argc % 2 == 1;
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + "," + five + "," + fifteen;
}

// Every point of every tile of the workspace's clouds decoded and tested
// against the section's slab: what a section costs without the tile plan.
size_t ScanAll(section_t *section)
{
    size_t inside = 0;
    for (size_t c = 0; c < array_size(g_workspace->clouds); ++c) {
        void *item = nullptr;
        array_get_at(g_workspace->clouds, c, &item);
        auto *cloud = static_cast<velmo_t *>(item);
        TreeTableIter iter;
        treetable_iter_init(&iter, cloud->tiles);
        TreeTableEntry entry;
        while (treetable_iter_next(&iter, &entry) == CC_OK) {
            auto *tile = static_cast<tile_t *>(entry.value);
            for (size_t i = 0; i < array_size(tile->entries); ++i) {
                void *raw = nullptr;
                array_get_at(tile->entries, i, &raw);
                velmo_point_t p;
                std::memset(&p, 0, sizeof p);
                velmo_read_point_osg(cloud, tile, static_cast<tile_point_t *>(raw), &p);
                const double d[3] = {p.x - section->center[0], p.y - section->center[1], p.z - section->center[2]};
                const double w = d[0] * section->normal[0] + d[1] * section->normal[1] + d[2] * section->normal[2];
                const double u = d[0] * section->axis_u[0] + d[1] * section->axis_u[1] + d[2] * section->axis_u[2];
                if (w >= section->normal_range[0] && w <= section->normal_range[1] && u >= section->width_range[0]
                    && u <= section->width_range[1])
                    ++inside;
            }
        }
    }
    return inside;
}

// An orthographic front view of a 40 m section in a 1200 x 500 pixel
// viewport, as the section view shows one after fitting it.
osg::Matrixd FrontViewMatrix()
{
    osg::Matrixd view = osg::Matrixd::lookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0));
    osg::Matrixd projection = osg::Matrixd::ortho(-24, 24, -10, 10, 1, 1000);
    osg::ref_ptr<osg::Viewport> viewport = new osg::Viewport(0, 0, 1200, 500);
    return view * projection * viewport->computeWindowMatrix();
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!Parse(argc, argv, &options)) {
        std::fprintf(stderr, "usage: section_view_bench [--points N] [--dir PATH] [--pick-points M] [--clicks C]\n");
        return 2;
    }
    fs::create_directories(options.dir);
    const std::string project = options.dir + "/project.qpj";
    std::printf("load_average_before=%s\n", LoadAverage().c_str());
    if (!fs::exists(project)) {
        sectiontest::ProjectSpec spec;
        spec.points = options.points;
        spec.length = 200.0;
        spec.chainages = {100.0};
        spec.bufferWidth = 1.0;
        spec.sectionWidth = 40.0;
        std::string error;
        const auto start = Clock::now();
        if (sectiontest::MakeSectionProject(options.dir, spec, &error).empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        std::printf("project_setup_s=%.1f\n", Ms(start) / 1000.0);
    }

    SceneInit();
    if (!wks_open_project(g_workspace, project.c_str())) {
        std::fprintf(stderr, "cannot open %s\n", project.c_str());
        return 1;
    }
    uint64_t cloudPoints = 0;
    for (size_t c = 0; c < array_size(g_workspace->clouds); ++c) {
        void *cloud = nullptr;
        array_get_at(g_workspace->clouds, c, &cloud);
        velmo_open_file(static_cast<velmo_t *>(cloud));
        cloudPoints += uint64_t(velmo_get_point_num(static_cast<velmo_t *>(cloud)));
    }
    wks_update_bounding_box(g_workspace);
    void *item = nullptr;
    array_get_at(g_workspace->latitude_sections, 0, &item);
    auto *section = static_cast<section_t *>(item);
    std::printf("cloud_points=%llu\n", static_cast<unsigned long long>(cloudPoints));

    // Making it current: the load task's computation, then the geometry of
    // its points and lines for the section view.
    const ClassificationColorTable colours = ClassificationColorTable::Defaults();
    std::vector<double> current;
    for (int run = 0; run < 7; ++run) {
        const auto start = Clock::now();
        wks_cal_section(g_workspace, section, nullptr);
        SceneShowSectionPoints(section, COLOR_HEIGHT, 2.0f, colours.visible, colours.colors);
        SceneShowSectionLineBlue(section, 2.0f);
        SceneShowSectionLineRed(section, 2.0f);
        current.push_back(Ms(start));
    }
    std::printf("section_points=%zu\n", array_size(section->points));
    std::printf("make_current_ms_median=%.1f\n", Median(current));
    std::printf("make_current_ms_best=%.1f\n", *std::min_element(current.begin(), current.end()));
    const auto scanStart = Clock::now();
    const size_t scanned = ScanAll(section);
    std::printf("baseline_full_scan_ms=%.1f\n", Ms(scanStart));
    std::printf("baseline_full_scan_points_inside=%zu\n", scanned);

    // Picking over a section of the asked size: the frame's search against a
    // loop over the same records that skips the window transform.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(-20.0f, 20.0f), up(-5.0f, 5.0f), depth(-0.5f, 0.5f);
    std::vector<velmo_point_t> records(options.pickPoints);
    Array *list = nullptr;
    array_new(&list);
    for (velmo_point_t &p : records) {
        std::memset(&p, 0, sizeof p);
        p.u = across(random);
        p.v = up(random);
        p.w = depth(random);
        array_add(list, &p);
    }
    const osg::Matrixd matrix = FrontViewMatrix();
    std::uniform_real_distribution<double> clickX(0, 1200), clickY(0, 500);
    size_t found = 0;
    auto start = Clock::now();
    for (int c = 0; c < options.clicks; ++c)
        found += NearestSectionPoint(list, matrix, clickX(random), clickY(random), 16.0) != nullptr;
    const double pick = Ms(start) / options.clicks;
    start = Clock::now();
    double sink = 0;
    for (int c = 0; c < options.clicks; ++c) {
        const double x = clickX(random) / 25.0 - 24.0, y = clickY(random) / 25.0 - 10.0;
        double best = 1e300;
        for (size_t i = 0; i < array_size(list); ++i) {
            void *raw = nullptr;
            array_get_at(list, i, &raw);
            const auto *p = static_cast<const velmo_point_t *>(raw);
            const double d = (p->u - x) * (p->u - x) + (p->v - y) * (p->v - y);
            best = std::min(best, d);
        }
        sink += best;
    }
    const double plain = Ms(start) / options.clicks;
    std::printf("pick_section_points=%zu\n", options.pickPoints);
    std::printf("pick_ms_per_click=%.2f\n", pick);
    std::printf("pick_clicks_hitting_a_point=%zu\n", found);
    std::printf("baseline_plain_scan_ms_per_click=%.2f\n", plain + sink * 0.0);
    std::printf("load_average_after=%s\n", LoadAverage().c_str());
    array_destroy(list);
    SceneDestroy();
    return 0;
}
