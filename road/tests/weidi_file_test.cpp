#include "road.h"
#include "file_test_support.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace test_roads;
using namespace file_tests;

constexpr double kSixDecimals = 5e-7;

// Lines of the file as numbers, fields split on any white space.
std::vector<std::vector<double>> numeric_lines(const std::string &path)
{
    std::vector<std::vector<double>> rows;
    for (const std::string &line : split_lines(read_bytes(path))) {
        std::vector<double> row;
        for (const std::string &field : fields_of(line))
            row.push_back(std::strtod(field.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

// Distance of (x, y) from the line through (px, py) with azimuth a.
double off_tangent(double x, double y, double px, double py, double a)
{
    return std::fabs(-(x - px) * std::sin(a) + (y - py) * std::cos(a));
}

// A road with spirals between two curves as well as from and into straights.
void road_with_compound_spirals(road_t *road)
{
    append(road, start_point(500, 800, 0.3, 2000));
    append(road, line(20));
    append(road, transition(30, 0, 300, 0));
    append(road, circle(20, 300, 0));
    append(road, transition(25, 300, 150, 0));
    append(road, circle(30, 150, 0));
    append(road, transition(25, 150, 0, 0));
    append(road, line(15));
    road_apply_horizon(road);
}

TEST(WeiDiFile, WriteAndReadKeepTheRealAlignment)
{
    ScratchFile file("weidi_round_trip.pm");
    Road written, read;
    five_element_alignment(written.get());
    ASSERT_EQ(road_export_weidi(written.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_weidi(read.get(), file.c_str()), 0);
    expect_same_elements(written.get(), read.get(), kSixDecimals, kSixDecimals);
    expect_same_centre_line(written.get(), read.get(), 2e-4);
}

TEST(WeiDiFile, WriteAndReadKeepSpiralsInEitherSenseAndBetweenCurves)
{
    ScratchFile file("weidi_spirals.pm");
    Road north, compound, read;
    road_across_north(north.get());
    ASSERT_EQ(road_export_weidi(north.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_weidi(read.get(), file.c_str()), 0);
    expect_same_elements(north.get(), read.get(), kSixDecimals, kSixDecimals);
    expect_same_centre_line(north.get(), read.get(), 2e-4);

    road_with_compound_spirals(compound.get());
    ASSERT_EQ(road_export_weidi(compound.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_weidi(read.get(), file.c_str()), 0);
    expect_same_elements(compound.get(), read.get(), kSixDecimals, kSixDecimals);
    expect_same_centre_line(compound.get(), read.get(), 2e-4);
}

TEST(WeiDiFile, WritesTheLinesOtherProgramsRead)
{
    ScratchFile file("weidi_lines.pm");
    Road r;
    five_element_alignment(r.get());
    ASSERT_EQ(road_export_weidi(r.get(), file.c_str()), 0);
    std::vector<std::string> lines = split_lines(read_bytes(file.path()));
    ASSERT_EQ(lines.size(), 3u + 5 * 3 + 3);
    EXPECT_EQ(lines[0], "HINTCAD5.83_PM_SHUJU_PM");
    EXPECT_EQ(lines[1], "5\tNULL\tNULL\t0.0000");
    EXPECT_EQ(lines[2], "1\t0.000000\t6.252195\t0.000000\t41801.833990\t36973.589290");
    EXPECT_EQ(lines[3], "-1\t0.0000\t36.391405\t0.000000\t9999.000000\t9999.000000\t1");
    EXPECT_EQ(lines[6], "1\t0.0000\t-35.000000\t0.000000\t9999.000000\t54.000000\t21")
        << "a spiral into a curve: code 21 and 0 in the fourth field";
    EXPECT_EQ(lines[9], "1\t0.0000\t-50.303930\t0.000000\t54.000000\t54.000000\t3");
    EXPECT_EQ(lines[12], "1\t0.0000\t-35.000000\t0.000000\t54.000000\t9999.000000\t22");
    EXPECT_EQ(lines[14], "121.695335\t156.695335\t\t1.224638\t1.548712") << "an empty third field on line C";
    EXPECT_EQ(lines[20], "0\t0.0000\t0.0000\t0.0000\t0.0000\t0");

    std::vector<std::vector<double>> rows = numeric_lines(file.path());
    for (int i = 1; i <= 5; i++) {
        const horizon_element_t *e = road_horizon(r.get(), i);
        const std::vector<double> &b = rows[3 + 3 * (i - 1) + 1];
        SCOPED_TRACE("element " + std::to_string(i));
        ASSERT_EQ(b.size(), 8u);
        EXPECT_NEAR(b[0], e->start_x, 1e-6);
        EXPECT_NEAR(b[5], e->end_y, 1e-6);
        // The characteristic point is where the two tangents cross, also for
        // the first spiral, whose azimuth passes through north.
        EXPECT_LT(off_tangent(b[2], b[3], e->start_x, e->start_y, e->start_azimuth), 1e-5);
        EXPECT_LT(off_tangent(b[2], b[3], e->end_x, e->end_y, e->end_azimuth), 1e-5);
    }
    // The arc, and the spiral leading into it, name the arc's centre.
    const std::vector<double> &arc = rows[10], &spiral_in = rows[7];
    EXPECT_NEAR(std::hypot(arc[6] - arc[0], arc[7] - arc[1]), 54.0, 1e-5);
    EXPECT_NEAR(std::hypot(arc[6] - arc[4], arc[7] - arc[5]), 54.0, 1e-5);
    EXPECT_NEAR(spiral_in[6], arc[6], 1e-5);
    EXPECT_NEAR(spiral_in[7], arc[7], 1e-5);
}

TEST(WeiDiFile, ParallelTangentsGiveTheMidPoint)
{
    ScratchFile file("weidi_half_turn.pm");
    Road r;
    append(r.get(), start_point(0, 0, 0, 0));
    append(r.get(), line(10));
    append(r.get(), circle(M_PI * 50, 50, 1));
    road_apply_horizon(r.get());
    ASSERT_EQ(road_export_weidi(r.get(), file.c_str()), 0);
    std::vector<std::vector<double>> rows = numeric_lines(file.path());
    EXPECT_NEAR(rows[4][2], 5, 1e-6);
    EXPECT_NEAR(rows[4][3], 0, 1e-6);
    EXPECT_NEAR(rows[7][2], 60, 1e-6) << "the top of the half circle";
    EXPECT_NEAR(rows[7][3], 50, 1e-6);
}

TEST(WeiDiFile, ReadsARealFileWithCrlfAndSpiralCodes)
{
    Road expected, read;
    five_element_alignment(expected.get());
    ASSERT_EQ(road_import_weidi(read.get(), data_file("weidi_real_crlf.pm").c_str()), 0);
    expect_same_elements(expected.get(), read.get(), kSixDecimals, kSixDecimals);
    EXPECT_EQ(road_horizon(read.get(), 2)->start_radius, 0.0) << "9999 is an infinite radius";
    EXPECT_EQ(road_horizon(read.get(), 4)->end_radius, 0.0);
    expect_same_centre_line(expected.get(), read.get(), 2e-4);
}

TEST(WeiDiFile, ReadsOlderFilesThatMarkEverySpiralWithCode22)
{
    ScratchFile file("weidi_older.pm");
    write_bytes(file.path(), "HINTCAD5.83_PM_SHUJU_PM\n2\tNULL\tNULL\t0.0000\n"
                             "1\t0.000000\t0.000000\t0.000000\t100.000000\t200.000000\n"
                             "-1\t0.0000\t35.000000\t0.000000\t9999.000000\t54.000000\t22\n"
                             "0\t0\t0\t0\t0\t0\t0\t0\n"
                             "0\t35\t\t0\t0\n"
                             "-1\t0.0000\t-35.000000\t0.000000\t54.000000\t9999.000000\t22\n"
                             "0\t0\t0\t0\t0\t0\t0\t0\n"
                             "35\t70\t\t0\t0\n");
    Road r;
    ASSERT_EQ(road_import_weidi(r.get(), file.c_str()), 0);
    ASSERT_EQ(road_number_horizon(r.get()), 3);
    const horizon_element_t *in = road_horizon(r.get(), 1), *out = road_horizon(r.get(), 2);
    EXPECT_EQ(in->start_radius, 0.0);
    EXPECT_EQ(in->end_radius, 54.0);
    EXPECT_EQ(in->direction, 0);
    EXPECT_EQ(in->length, 35.0) << "the length is taken without its sign";
    EXPECT_EQ(out->start_radius, 54.0);
    EXPECT_EQ(out->end_radius, 0.0);
    EXPECT_EQ(out->start_chainage, 35.0);
}

TEST(WeiDiFile, ReadingReplacesOnlyTheHorizontalElements)
{
    ScratchFile file("weidi_start_only.pm");
    write_bytes(file.path(), "HINTCAD5.83_PM_SHUJU_PM\n0\tNULL\tNULL\t0.0000\n"
                             "1\t12.500000\t1.000000\t0.000000\t100.000000\t200.000000\n\n\n0\t0\t0\t0\t0\t0\n");
    Road r;
    road_in_use(r.get());
    ASSERT_EQ(road_import_weidi(r.get(), file.c_str()), 0);
    ASSERT_EQ(road_number_horizon(r.get()), 1) << "a count of 0 is the start point alone";
    const horizon_element_t *start = road_horizon(r.get(), 0);
    EXPECT_EQ(start->start_chainage, 12.5);
    EXPECT_EQ(start->start_azimuth, 1.0);
    EXPECT_EQ(start->start_x, 100.0);
    EXPECT_EQ(start->start_y, 200.0);
    EXPECT_EQ(road_number_vertical(r.get()), 2);
}

// A sound two-element file, line by line, for the bad-input cases to spoil.
std::vector<std::string> sound_lines()
{
    return {"HINTCAD5.83_PM_SHUJU_PM",
            "2\tNULL\tNULL\t0.0000",
            "1\t0.000000\t0.300000\t0.000000\t100.000000\t200.000000",
            "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t1",
            "1\t2\t3\t4\t5\t6\t0\t0",
            "0.000000\t20.000000\t0.300000\t0.300000",
            "1\t0.0000\t-30.000000\t0.000000\t80.000000\t80.000000\t3",
            "1\t2\t3\t4\t5\t6\t7\t8",
            "20.000000\t50.000000\t0.300000\t0.675000",
            "",
            "",
            "0\t0.0000\t0.0000\t0.0000\t0.0000\t0"};
}

std::string joined(const std::vector<std::string> &lines, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count && i < lines.size(); i++)
        text += lines[i] + "\n";
    return text;
}

std::string with_line(size_t index, const std::string &line)
{
    std::vector<std::string> lines = sound_lines();
    lines[index] = line;
    return joined(lines, lines.size());
}

// An element of unknown code is still three lines of their own kinds.
std::string unknown_with_short_line_b()
{
    std::vector<std::string> lines = sound_lines();
    lines[3] = "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t7";
    lines[4] = "1\t2\t3\t4\t5\t6\t7";
    return joined(lines, lines.size());
}

TEST(WeiDiFile, BadFilesLeaveTheRoadAsItWas)
{
    std::vector<std::string> lines = sound_lines();
    ScratchFile file("weidi_bad.pm");
    write_bytes(file.path(), joined(lines, lines.size()));
    Road probe;
    ASSERT_EQ(road_import_weidi(probe.get(), file.c_str()), 0) << "the sound file itself reads";
    ASSERT_EQ(road_number_horizon(probe.get()), 3);

    const std::string bad_files[] = {
        "",
        joined(lines, 1),
        joined(lines, 2),
        joined(lines, 8) + "20.000000",
        joined(lines, 7),
        with_line(1, "3\tNULL\tNULL\t0.0000"),
        with_line(1, "2147483647\tNULL\tNULL\t0.0000"),
        with_line(1, "-1\tNULL\tNULL\t0.0000"),
        with_line(1, "NULL"),
        with_line(2, "1\t0.000000\tnan\t0.000000\t100.000000\t200.000000"),
        with_line(2, "1\t0.000000\t0.300000\t0.000000\t100.000000"),
        with_line(3, "-1\t0.0000\tinf\t0.000000\t9999.000000\t9999.000000\t1"),
        with_line(3, "-1\t0.0000\t-20.000000\t0.000000\t9999.000000\t9999.000000\t1"),
        with_line(3, "-1\t0.0000\t20.0x0\t0.000000\t9999.000000\t9999.000000\t1"),
        unknown_with_short_line_b(),
        with_line(3, "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000"),
        with_line(3, "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t1\t5"),
        with_line(3, "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t1.5"),
        with_line(6, "1\t0.0000\t-30.000000\t0.000000\t-80.000000\t-80.000000\t3"),
        with_line(6, "1\t0.0000\t-30.000000\t0.000000\t0.000000\t0.000000\t3"),
        with_line(6, "1\t0.0000\t-30.000000\t0.000000\t1e400\t80.000000\t3"),
        with_line(6, "1\t0.0000\t-30.000000\t0.000000\t80.000000\t-1.000000\t21"),
        with_line(4, "1\t2\t3\t4\t5\t6\t7"),
        with_line(5, "0.000000\t20.000000\t0.300000"),
        with_line(7, std::string(70000, '7')),
    };
    Road r;
    road_in_use(r.get());
    RoadSnapshot before(r.get());
    for (const std::string &bytes : bad_files) {
        write_bytes(file.path(), bytes);
        EXPECT_EQ(road_import_weidi(r.get(), file.c_str()), -1) << bytes.substr(0, 300);
        EXPECT_TRUE(before.same_as(r.get())) << bytes.substr(0, 300);
    }

    std::remove(file.c_str());
    EXPECT_EQ(road_import_weidi(r.get(), file.c_str()), -1) << "missing file";
    EXPECT_EQ(road_import_weidi(r.get(), nullptr), -1);
    EXPECT_EQ(road_import_weidi(r.get(), ""), -1);
    std::string too_long(4096, 'w');
    EXPECT_EQ(road_import_weidi(r.get(), too_long.c_str()), -1);
    EXPECT_TRUE(before.same_as(r.get()));
}

// The real file with the code field (the last) of one element's first line
// replaced.
std::string real_file_with_code(int line, const std::string &code)
{
    std::vector<std::string> lines = split_lines(read_bytes(data_file("weidi_real_crlf.pm")));
    std::string &a = lines.at(size_t(line - 1));
    a = a.substr(0, a.find_last_not_of("0123456789-")) + " " + code;
    std::string text;
    for (const std::string &l : lines)
        text += l + "\r\n";
    return text;
}

// Left out, an element of unknown kind would have every later element
// chained on from the wrong point: the file is refused whole, with the line
// and the code to tell the surveyor.
TEST(WeiDiFile, AnElementOfUnknownCodeRefusesTheFileNamingItsLineAndCode)
{
    ScratchFile file("weidi_unknown.pm");
    struct Case {
        int line;         // first line of the element whose code is changed
        const char *code; // what is written there
        int result, reported_line, reported_code;
    } cases[] = {
        {4, "5", -1, 4, 5},     {7, "2", -1, 7, 2},   {10, "0", -1, 10, 0}, {13, "23", -1, 13, 23},
        {16, "-1", -1, 16, -1}, {16, "1", 0, 0, 0},   {7, "21", 0, 0, 0},
        {10, "5 7", -1, 0, 0}, // an eighth field: a malformed line, not an unknown code
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << " code " << c.code);
        write_bytes(file.path(), real_file_with_code(c.line, c.code));
        int line = -7, code = -7;
        Road read;
        EXPECT_EQ(road_import_weidi_report(read.get(), file.c_str(), &line, &code), c.result);
        EXPECT_EQ(line, c.reported_line);
        EXPECT_EQ(code, c.reported_code);
        Road r;
        road_in_use(r.get());
        RoadSnapshot before(r.get());
        EXPECT_EQ(road_import_weidi(r.get(), file.c_str()), c.result);
        if (c.result != 0) {
            EXPECT_TRUE(before.same_as(r.get())) << "nothing of the file was taken";
        }
    }
    int line = -7, code = -7;
    EXPECT_EQ(road_import_weidi_report(nullptr, file.c_str(), &line, &code), -1);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(code, 0);
    Road r;
    EXPECT_EQ(road_import_weidi_report(r.get(), "/nonexistent-folder/road.pm", nullptr, nullptr), -1);
}

TEST(WeiDiFile, ARoadThatCannotBeWrittenLeavesTheFileAlone)
{
    ScratchFile file("weidi_keep.pm");
    write_bytes(file.path(), "old road\n");
    Road empty;
    EXPECT_EQ(road_export_weidi(empty.get(), file.c_str()), -1) << "no start point";
    Road r;
    five_element_alignment(r.get());
    road_horizon(r.get(), 2)->end_x = INFINITY;
    EXPECT_EQ(road_export_weidi(r.get(), file.c_str()), -1);
    EXPECT_EQ(read_bytes(file.path()), "old road\n");
    road_apply_horizon(r.get());
    EXPECT_EQ(road_export_weidi(r.get(), "/nonexistent-folder/road.pm"), -1);
    std::string too_long(1024, 'w');
    EXPECT_EQ(road_export_weidi(r.get(), too_long.c_str()), -1);
}

} // namespace
