#include "las_file.h"
#include "lasgen.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <sys/wait.h>

namespace fs = std::filesystem;
using velmo::LasFile;
using velmo::LasPoint;

namespace {

// A generated point seen from the road: chainage, offset, height, class.
struct RoadPoint {
    double chainage, offset, z;
    int classification;
    LasPoint raw;
};

// Each point's chainage and offset along the given road.
std::vector<RoadPoint> read_corridor(road_t *road, const std::string &path)
{
    std::string error;
    auto las = LasFile::open(path, &error);
    EXPECT_NE(las, nullptr) << error;
    if (!las)
        return {};
    const velmo::LasHeader &h = las->header();
    std::vector<uint8_t> records(las->point_count() * h.record_length);
    EXPECT_TRUE(las->read_records(0, las->point_count(), records.data()));
    std::vector<RoadPoint> points;
    for (uint64_t i = 0; i < las->point_count(); i++) {
        RoadPoint p;
        las->decode(records.data() + i * h.record_length, &p.raw);
        const double east = p.raw.X * h.scale[0] + h.offset[0];
        const double north = p.raw.Y * h.scale[1] + h.offset[1];
        p.z = p.raw.Z * h.scale[2] + h.offset[2];
        // The road's X is north and its Y east.
        EXPECT_GE(road_xy2l(road, north, east, &p.chainage, nullptr, nullptr, nullptr, &p.offset), 0);
        p.classification = p.raw.classification;
        points.push_back(p);
    }
    return points;
}

std::vector<RoadPoint> read_corridor(const lasgen::CorridorSpec &spec, const std::string &path)
{
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    std::vector<RoadPoint> points = read_corridor(&road, path);
    road_final(&road);
    return points;
}

std::string generate(const TempDir &dir, const lasgen::CorridorSpec &spec, const std::string &name)
{
    const std::string path = dir.file(name);
    std::string error;
    EXPECT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
    return path;
}

// Ground points lie on the design surface within the noise and the
// coordinate step, carry the class of their offset, and stay inside the
// corridor; tree points float above the ground.
void expect_follows_design(const lasgen::CorridorSpec &spec, const std::vector<RoadPoint> &points)
{
    const double half = lasgen::corridor_half_width(spec);
    const double step = 2 * spec.scale;
    std::map<int, int> classes;
    for (const auto &p : points) {
        classes[p.classification]++;
        ASSERT_GE(p.chainage, spec.start_chainage - spec.crown_radius - step);
        ASSERT_LE(p.chainage, spec.start_chainage + spec.length + spec.crown_radius + step);
        const double ground = lasgen::design_height(spec, p.chainage, p.offset);
        if (p.classification == 5) {
            ASSERT_GT(p.z, ground + spec.trunk_height - 0.5);
            continue;
        }
        ASSERT_LE(std::fabs(p.offset), half + step);
        if (std::fabs(std::fabs(p.offset) - spec.half_width) < step)
            continue; // on the kerb line: either side of the step
        ASSERT_NEAR(p.z, ground, spec.noise + step) << "chainage " << p.chainage << " offset " << p.offset;
        ASSERT_EQ(p.classification, lasgen::design_class(spec, p.offset)) << "offset " << p.offset;
    }
    EXPECT_GT(classes[2], 0);
    EXPECT_GT(classes[11], 0);
    if (spec.tree_share > 0) {
        EXPECT_NEAR(classes[5] / double(points.size()), spec.tree_share, 0.01);
    }
    EXPECT_EQ(classes.size(), spec.tree_share > 0 ? 3u : 2u);
}

} // namespace

TEST(Lasgen, DesignSurfaceHasTheCorridorsCrossSection)
{
    lasgen::CorridorSpec spec;
    const double c = spec.centre_height + spec.grade * 50;
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, 0), c);
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, -2), c - 2 * spec.crown_slope);
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, 3.5), c - 3.5 * spec.crown_slope) << "road edge";
    const double footpath = c - 3.5 * spec.crown_slope + spec.kerb_height;
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, 3.6), footpath) << "kerb step";
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, -5.0), footpath);
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, 6.0), footpath - spec.ditch_depth) << "ditch bottom";
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, -5.5), footpath - spec.ditch_depth / 2);
    EXPECT_DOUBLE_EQ(lasgen::design_height(spec, 50, 12.0), footpath) << "flat ground";
    EXPECT_EQ(lasgen::design_class(spec, -3.5), 11);
    EXPECT_EQ(lasgen::design_class(spec, 3.51), 2);
}

TEST(Lasgen, GroundFollowsTheDesignOnStraightAndCurvedRoads)
{
    TempDir dir;
    lasgen::CorridorSpec straight;
    straight.points = 60000;
    straight.noise = 0.02;
    expect_follows_design(straight, read_corridor(straight, generate(dir, straight, "straight.las")));

    lasgen::CorridorSpec curved = straight;
    curved.alignment = lasgen::Alignment::curved;
    curved.point_format = 7;
    curved.version_minor = 4;
    curved.curve_radius = 60;
    curved.start_chainage = 1234.5;
    curved.start_azimuth = 5.9;
    curved.noise = 0;
    curved.grade = -0.03;
    expect_follows_design(curved, read_corridor(curved, generate(dir, curved, "curved.las")));
}

// The benchmark's corridor at every size it is run at: a road that turned
// more than a full circle laid the corridor over itself, and sections cut
// through both passes.
TEST(Lasgen, GentleCorridorTurnsLessThanAQuarterCircleAtAnySize)
{
    for (uint64_t points : {20000000ull, 60000000ull, 120000000ull, 300000000ull}) {
        const lasgen::CorridorSpec spec = lasgen::gentle_corridor(points);
        EXPECT_NEAR(spec.length, double(points) / 20000.0, 1.0);
        road_t road;
        road_init(&road);
        lasgen::build_alignment(spec, &road);
        double x0, y0, x, y, previous, azimuth;
        ASSERT_GE(road_l2xy(&road, spec.start_chainage, &x0, &y0, &previous), 0);
        double turn = 0, most = 0;
        for (double s = 1; s <= spec.length; s += 1) {
            ASSERT_GE(road_l2xy(&road, spec.start_chainage + s, &x, &y, &azimuth), 0);
            turn += std::remainder(azimuth - previous, 2 * M_PI);
            most = std::max(most, std::fabs(turn));
            previous = azimuth;
        }
        road_final(&road);
        EXPECT_LT(most, M_PI / 2) << points << " points";
        EXPECT_GT(std::hypot(x - x0, y - y0), 0.8 * spec.length) << points << " points";
    }
}

TEST(Lasgen, WritesEveryPointFormatAndVersion)
{
    TempDir dir;
    for (int format = 0; format <= 10; format++) {
        for (int minor = format >= 6 ? 4 : 0; minor <= 4; minor += 2) {
            SCOPED_TRACE("format " + std::to_string(format) + " version 1." + std::to_string(minor));
            lasgen::CorridorSpec spec;
            spec.points = 3000;
            spec.point_format = format;
            spec.version_minor = minor;
            spec.tree_share = 0;
            const std::string path = generate(dir, spec, "f" + std::to_string(format) + ".las");
            auto las = LasFile::open(path, nullptr);
            ASSERT_NE(las, nullptr);
            EXPECT_EQ(las->point_count(), 3000u);
            EXPECT_EQ(las->header().point_format, format);
            EXPECT_EQ(las->header().version_minor, minor);
            const auto points = read_corridor(spec, path);
            expect_follows_design(spec, points);
            if (velmo::las_format_has_colour(uint8_t(format))) {
                EXPECT_GT(points.front().raw.red, 255) << "16-bit colour";
            }
            if (velmo::las_format_has_time(uint8_t(format))) {
                EXPECT_LT(points.front().raw.gps_time, points.back().raw.gps_time);
            }
        }
    }
}

TEST(Lasgen, SpreadsPointsEvenlyOverTheCurvedArea)
{
    TempDir dir;
    lasgen::CorridorSpec spec;
    spec.points = 200000;
    spec.alignment = lasgen::Alignment::curved;
    spec.curve_radius = 50;
    spec.tree_share = 0;
    const auto points = read_corridor(spec, generate(dir, spec, "spread.las"));
    // A right-hand curve: the right side (inside) is shorter.  The curve
    // turns by (circle + one transition) / radius.
    const double half = lasgen::corridor_half_width(spec);
    const double transition = std::min(spec.transition_length, spec.length * 0.2);
    const double circle = (spec.length - 2 * transition) * 0.5;
    const double turn = (circle + transition) / spec.curve_radius;
    const double right_area = half * spec.length - half * half * turn / 2;
    int right = 0;
    for (const auto &p : points)
        right += p.offset > 0;
    EXPECT_NEAR(right / double(points.size()), right_area / (2 * half * spec.length), 0.005);
}

TEST(Lasgen, TheSameSpecGivesTheSameFileWhateverTheThreads)
{
    TempDir dir;
    lasgen::CorridorSpec spec;
    spec.points = 300000;
    spec.noise = 0.05;
    spec.threads = 1;
    const std::string one = read_bytes(generate(dir, spec, "one.las"));
    spec.threads = 5;
    const std::string five = read_bytes(generate(dir, spec, "five.las"));
    spec.seed = 2;
    const std::string other = read_bytes(generate(dir, spec, "other.las"));
    ASSERT_EQ(one.size(), five.size());
    // Byte for byte after the creation date.
    EXPECT_TRUE(one.compare(94, std::string::npos, five, 94, std::string::npos) == 0);
    EXPECT_FALSE(one.compare(94, std::string::npos, other, 94, std::string::npos) == 0);
}

TEST(Lasgen, RefusesSpecsItCannotWrite)
{
    TempDir dir;
    std::vector<lasgen::CorridorSpec> specs(6);
    specs[0].point_format = 6;            // needs 1.4
    specs[1].point_format = 11;
    specs[2].version_minor = 5;
    specs[3].length = 0;
    specs[4].alignment = lasgen::Alignment::curved;
    specs[4].curve_radius = 10;          // tighter than the corridor is wide
    specs[5].scale = 1e-9;               // coordinates beyond 32 bits
    for (const auto &spec : specs) {
        std::string error;
        EXPECT_FALSE(lasgen::write_corridor(spec, dir.file("refused.las"), &error));
        EXPECT_EQ(error.rfind("Cannot generate " + dir.file("refused.las") + ": ", 0), 0u) << error;
    }
    std::string error;
    EXPECT_FALSE(lasgen::write_corridor(lasgen::CorridorSpec(), dir.file("none/x.las"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

namespace {

// Runs the tool; its exit status and what it printed.
int run_tool(const std::string &arguments, std::string *output)
{
    FILE *pipe = popen((std::string(CORVANE_LASGEN) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output->append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(Lasgen, ToolWritesTheCentreLineBesideTheCloudAsARoadTheCloudFollows)
{
    TempDir dir;
    std::string output;
    ASSERT_EQ(run_tool("--out " + dir.file("demo.las") + " --points 40000 --alignment curved --radius 80", &output), 0)
        << output;
    road_t road;
    road_init(&road);
    ASSERT_EQ(road_import_haidi(&road, dir.file("demo.pm").c_str()), 0) << output;
    lasgen::CorridorSpec spec;
    spec.alignment = lasgen::Alignment::curved;
    spec.curve_radius = 80;
    expect_follows_design(spec, read_corridor(&road, dir.file("demo.las")));
    road_final(&road);
    EXPECT_NE(output.find("demo.pm"), std::string::npos) << output;

    output.clear();
    EXPECT_NE(run_tool("--out " + dir.file("road.pm"), &output), 0) << "the LAS file would be the road file";
    EXPECT_FALSE(std::filesystem::exists(dir.file("road.pm")));

    const std::pair<std::string, std::string> beside[] = {
        {"/d/corridor.las", "/d/corridor.pm"}, {"/d.v/corridor", "/d.v/corridor.pm"}, {"x.LAS", "x.pm"}};
    for (const auto &[las, pm] : beside)
        EXPECT_EQ(lasgen::centre_line_path(las), pm);
}

TEST(Lasgen, ToolReplacesNoRoadFileItDidNotWriteAndSaysSo)
{
    TempDir dir;
    const std::string las = dir.file("survey.las"), pm = dir.file("survey.pm");
    std::string output;
    ASSERT_EQ(run_tool("--out " + las + " --points 2000", &output), 0) << output;
    const std::string own = read_bytes(pm);
    const std::string someones = "a road surveyed by hand\n";
    struct Case {
        const char *what;
        std::string road; // empty: no road file before
        bool las_writable;
        int status;
        std::string road_after; // empty: no road file after
    };
    const Case cases[] = {
        {"another road", someones, true, 1, someones},
        {"another road, the cloud unwritable", someones, false, 1, someones},
        {"the same command again", own, true, 0, own},
        {"no road, the cloud unwritable", "", false, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(las);
        std::filesystem::remove(pm);
        if (!c.road.empty())
            write_bytes(pm, c.road);
        if (!c.las_writable)
            std::filesystem::create_directory(las);
        output.clear();
        EXPECT_EQ(run_tool("--out " + las + " --points 2000", &output), c.status) << output;
        EXPECT_EQ(std::filesystem::exists(pm) ? read_bytes(pm) : std::string(), c.road_after);
        EXPECT_EQ(std::filesystem::is_regular_file(las), c.status == 0);
        if (c.road == someones) {
            EXPECT_NE(output.find("survey.pm exists"), std::string::npos) << output;
        }
    }
}

TEST(Lasgen, ToolHelpNamesTheRoadFileAndTheTrueDefaultAzimuth)
{
    std::string help;
    ASSERT_EQ(run_tool("--help", &help), 0);
    EXPECT_NE(help.find(".pm"), std::string::npos) << help;
    EXPECT_NE(help.find("34.377"), std::string::npos) << help;
    EXPECT_EQ(help.find("34.4)"), std::string::npos) << help;
}
