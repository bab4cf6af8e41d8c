// Helpers of the road file tests: scratch files, file texts and a snapshot
// of a road handle to prove that a refused read left it alone.
#pragma once

#include "road.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace file_tests {

// A path in the test temp folder, unique to this process (tests run in
// parallel processes) and removed again at the end of the test.
class ScratchFile {
public:
    explicit ScratchFile(const std::string &name)
        : path_(::testing::TempDir() + "corvane_" + std::to_string(getpid()) + "_" + name)
    {
        std::remove(path_.c_str());
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;
    const char *c_str() const { return path_.c_str(); }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

inline void write_bytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool file_exists(const std::string &path)
{
    return access(path.c_str(), F_OK) == 0;
}

inline std::string data_file(const char *name)
{
    return std::string(ROAD_TEST_DATA_DIR) + "/" + name;
}

inline std::vector<std::string> split_lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> fields_of(const std::string &line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field)
        fields.push_back(field);
    return fields;
}

// The handle's own bytes and its horizontal and vertical tables' contents:
// what a refused read must not change.
struct RoadSnapshot {
    road_t handle;
    std::string horizon, vertical;

    explicit RoadSnapshot(const road_t *road)
        : handle(*road),
          horizon(road->horizon.data ? std::string(road->horizon.data, road->horizon.length) : std::string()),
          vertical(road->vertical.data ? std::string(road->vertical.data, road->vertical.length) : std::string())
    {
    }

    bool same_as(const road_t *road) const
    {
        RoadSnapshot now(road);
        return std::memcmp(&handle, &now.handle, sizeof handle) == 0 && horizon == now.horizon
            && vertical == now.vertical;
    }
};

// A road in use: the five-element alignment and a short profile.
inline void road_in_use(road_t *road)
{
    test_roads::five_element_alignment(road);
    vertical_element_t start{}, grade{};
    start.type = VERTICAL_START;
    start.start_elevation = 12.5;
    start.start_grade = std::atan(0.02);
    grade.type = VERTICAL_GRADE;
    grade.length = 100.0;
    road_insert_vertical(road, &start, 0);
    road_insert_vertical(road, &grade, 1);
    road_apply_vertical(road);
}

// Both roads' centre lines agree at every metre and beyond both ends.
inline void expect_same_centre_line(road_t *expected, road_t *actual, double tolerance)
{
    int count = road_number_horizon(expected);
    ASSERT_GE(count, 2);
    const horizon_element_t *first = road_horizon(expected, 0), *last = road_horizon(expected, count - 1);
    double from = first->start_chainage - 5.0, to = last->start_chainage + last->length + 5.0;
    for (double s = from; s <= to; s += 0.5) {
        double x0, y0, a0, x1, y1, a1;
        ASSERT_GE(road_l2xy(expected, s, &x0, &y0, &a0), 0);
        ASSERT_GE(road_l2xy(actual, s, &x1, &y1, &a1), 0) << "at chainage " << s;
        EXPECT_NEAR(x1, x0, tolerance) << "at chainage " << s;
        EXPECT_NEAR(y1, y0, tolerance) << "at chainage " << s;
        EXPECT_NEAR(std::remainder(a1 - a0, 2 * M_PI), 0.0, 1e-5) << "at chainage " << s;
    }
}

// The fields a caller gives, compared within the precision of a file: type,
// length, radii, turn, and the start point of the road.  The chained fields
// are checked through the centre line.
inline void expect_same_elements(road_t *expected, road_t *actual, double tolerance, double azimuth_tolerance)
{
    ASSERT_EQ(road_number_horizon(actual), road_number_horizon(expected));
    for (int i = 0; i < road_number_horizon(expected); i++) {
        const horizon_element_t *e = road_horizon(expected, i), *a = road_horizon(actual, i);
        SCOPED_TRACE("element " + std::to_string(i));
        EXPECT_EQ(a->type, e->type);
        EXPECT_NEAR(a->length, e->length, tolerance);
        EXPECT_NEAR(a->radius, e->radius, tolerance);
        EXPECT_NEAR(a->start_radius, e->start_radius, tolerance);
        EXPECT_NEAR(a->end_radius, e->end_radius, tolerance);
        if (e->type == HORIZON_CIRCLE || e->type == HORIZON_TRANSITION) {
            EXPECT_EQ(a->direction, e->direction);
        }
    }
    const horizon_element_t *e = road_horizon(expected, 0), *a = road_horizon(actual, 0);
    EXPECT_NEAR(a->start_chainage, e->start_chainage, tolerance);
    EXPECT_NEAR(a->start_x, e->start_x, tolerance);
    EXPECT_NEAR(a->start_y, e->start_y, tolerance);
    EXPECT_NEAR(std::remainder(a->start_azimuth - e->start_azimuth, 2 * M_PI), 0.0, azimuth_tolerance);
}

} // namespace file_tests
