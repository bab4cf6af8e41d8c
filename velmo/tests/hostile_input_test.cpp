// Files and values crafted to break the readers: impossible numbers, boxes
// that lie, named pipes and endless lines.
#include "las_file.h"
#include "velmo.h"

#include "project_files.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

struct Point {
    int32_t x, y, z;
};

// A LAS 1.2 file of point format 0 with the header's box and scales as given.
std::string las_bytes(const std::vector<Point> &points, const double scale[3], const double box[6])
{
    std::string bytes(227, '\0');
    auto put = [&](size_t at, const void *value, size_t size) { std::memcpy(&bytes[at], value, size); };
    std::memcpy(&bytes[0], "LASF", 4);
    bytes[24] = 1;
    bytes[25] = 2;
    uint16_t header_size = 227, record_length = 20;
    uint32_t offset = 227, count = uint32_t(points.size());
    put(94, &header_size, 2);
    put(96, &offset, 4);
    bytes[104] = 0;
    put(105, &record_length, 2);
    put(107, &count, 4);
    put(111, &count, 4);
    for (int axis = 0; axis < 3; axis++) {
        put(131 + 8 * axis, &scale[axis], 8);
        put(179 + 16 * axis, &box[3 + axis], 8);
        put(187 + 16 * axis, &box[axis], 8);
    }
    for (const Point &p : points) {
        std::string record(20, '\0');
        std::memcpy(&record[0], &p, 12);
        record[14] = 0x09; // first of one return
        record[15] = 2;
        bytes += record;
    }
    return bytes;
}

std::vector<std::string> messages;
void remember(int, int, const char *message) { messages.push_back(message ? message : ""); }

size_t pieces_of(const TempDir &dir, const std::string &stem)
{
    size_t n = 0;
    for (const auto &entry : fs::directory_iterator(dir.path()))
        n += entry.path().filename().string().rfind(stem + "_", 0) == 0;
    return n;
}

const double kCentimetre[3] = {0.01, 0.01, 0.01};

} // namespace

TEST(HostileLas, SlicingUsesThePointsOwnBoxWhateverTheHeaderSays)
{
    TempDir dir;
    std::vector<Point> grid;
    for (int i = 0; i < 10; i++)
        for (int j = 0; j < 10; j++)
            grid.push_back({10000 + 100 * i, 20000 + 100 * j, 500});
    const int two_by_two[3] = {2, 2, 1};
    // A header box far from the points: a real sample has one.
    const double elsewhere[6] = {0, 0, 0, 1, 1, 1};
    write_bytes(dir.file("off.las"), las_bytes(grid, kCentimetre, elsewhere));
    ASSERT_NE(velmo_slice_points(dir.file("off.las").c_str(), two_by_two, nullptr), 0);
    EXPECT_EQ(pieces_of(dir, "off"), 4u);
    // A header extent of the smallest double, a point at its minimum.
    const double tiny[6] = {0, 0, 0, 5e-324, 5e-324, 5e-324};
    write_bytes(dir.file("tiny.las"), las_bytes({{0, 0, 0}}, kCentimetre, tiny));
    ASSERT_NE(velmo_slice_points(dir.file("tiny.las").c_str(), two_by_two, nullptr), 0);
    EXPECT_EQ(pieces_of(dir, "tiny"), 1u);
}

TEST(HostileLas, ScalesThatCannotPlaceAPointAreRefusedWithAMessage)
{
    TempDir dir;
    const double box[6] = {0, 0, 0, 1, 1, 1};
    const double huge_z[3] = {0.01, 0.01, 6e302}, lost_step[3] = {1e-9, 0.01, 0.01};
    for (const double *scale : {huge_z, lost_step}) {
        std::string path = dir.file("bad.las");
        std::string bytes = las_bytes({{1, 1, 1}}, scale, box);
        if (scale == lost_step) {
            double offset = 1e9; // a nanometre step is lost a million kilometres out
            std::memcpy(&bytes[155], &offset, 8);
        }
        write_bytes(path, bytes);
        std::string error;
        EXPECT_EQ(velmo::LasFile::open(path, &error), nullptr);
        EXPECT_NE(error.find("cannot place points"), std::string::npos) << error;
        EXPECT_EQ(velmo_read_point_number(path.c_str(), nullptr), 0);
        const int counts[3] = {2, 1, 1};
        EXPECT_EQ(velmo_slice_points(path.c_str(), counts, nullptr), 0);
        EXPECT_EQ(pieces_of(dir, "bad"), 0u);
    }
}

TEST(HostileFiles, NamedPipesAreRefusedWithoutWaiting)
{
    TempDir dir;
    std::string pipe = dir.file("pipe.las");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(velmo_read_point_number(pipe.c_str(), nullptr), 0);
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    messages.clear();
    EXPECT_EQ(wks_import_velmo(w.wks, pipe.c_str(), remember), nullptr);
    EXPECT_FALSE(messages.empty());
    EXPECT_EQ(wks_import_road(w.wks, pipe.c_str(), 0), nullptr);
    wks_road_t *road = wks_create_road(w.wks, pipe.c_str());
    ASSERT_NE(road, nullptr) << "a new road whose file is written on saving";
    section_t *section = project_test::add_custom(w.wks, "C1");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section_import_dxf(section, pipe.c_str()), 0);
}

TEST(HostileFiles, ADxfWithoutLineEndsIsRefusedWithoutReadingItWhole)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    section_t *section = project_test::add_custom(w.wks, "C1");
    ASSERT_NE(section, nullptr);
    std::string path = dir.file("flat.dxf");
    write_bytes(path, "0" + std::string(8 << 20, ' '));
    EXPECT_EQ(section_import_dxf(section, path.c_str()), 0);
    EXPECT_EQ(array_size(section->red_line), 0u);
}

TEST(HostileValues, MeasurementsBeyondAnySectionAreRefused)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    section_t *section = project_test::add_custom(w.wks, "C1");
    ASSERT_NE(section, nullptr);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
    for (double bad : {1e19, -2e7, nan, inf}) {
        velmo_point_t p{};
        p.u = float(bad);
        p.v = 100;
        EXPECT_EQ(section_create_meas(section, &p, 0), nullptr) << bad;
        p.u = 1;
        p.v = float(bad);
        EXPECT_EQ(section_create_meas(section, &p, 0), nullptr) << bad;
        velmo_point_t world{};
        world.u = 1;
        world.x = bad * 1e3; // world coordinates reach farther, but not this far
        EXPECT_EQ(section_add_meas(section, &world), nullptr) << bad;
    }
    velmo_point_t good{};
    good.u = 9.5e6f;
    good.v = 100;
    EXPECT_NE(section_create_meas(section, &good, 0), nullptr) << "a long road is still a road";
    EXPECT_EQ(array_size(section->measurements), 1u);
}
