#include "road.h"
#include "file_test_support.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace test_roads;
using namespace file_tests;

constexpr double kFourDecimals = 5e-5;
constexpr double kOneSecond = M_PI / 180 / 3600;

TEST(HaiDiFile, WriteAndReadKeepTheRealAlignment)
{
    ScratchFile file("haidi_round_trip.pm");
    Road written, read;
    five_element_alignment(written.get());
    ASSERT_EQ(road_export_haidi(written.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_haidi(read.get(), file.c_str()), 0);

    expect_same_elements(written.get(), read.get(), kFourDecimals, kOneSecond);
    EXPECT_LE(road_horizon(read.get(), 0)->start_azimuth, road_horizon(written.get(), 0)->start_azimuth + 1e-12)
        << "seconds are rounded down";
    // One second of azimuth is under a millimetre over the road's length.
    expect_same_centre_line(written.get(), read.get(), 1e-3);
    const horizon_element_t *last = road_horizon(read.get(), 5);
    EXPECT_NEAR(last->start_chainage + last->length, 179.14161859, 2e-4);
}

TEST(HaiDiFile, WriteAndReadKeepARoadTurningAcrossNorth)
{
    ScratchFile file("haidi_north.pm");
    Road written, read;
    road_across_north(written.get());
    ASSERT_EQ(road_export_haidi(written.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_haidi(read.get(), file.c_str()), 0);
    expect_same_elements(written.get(), read.get(), kFourDecimals, kOneSecond);
    expect_same_centre_line(written.get(), read.get(), 1e-3);
}

TEST(HaiDiFile, AzimuthIsWrittenInWholeDegreesMinutesAndSeconds)
{
    ScratchFile file("haidi_dms.pm");
    Road r;
    append(r.get(), start_point(10, 20, (45 + 30 / 60.0 + 15 / 3600.0) * M_PI / 180, 0));
    append(r.get(), line(10));
    road_apply_horizon(r.get());
    ASSERT_EQ(road_export_haidi(r.get(), file.c_str()), 0);
    EXPECT_EQ(read_bytes(file.path()), "NE\n0.0000 10.0000 20.0000 45D30F15M\nZ L10.0000\n");

    Road back;
    ASSERT_EQ(road_import_haidi(back.get(), file.c_str()), 0);
    EXPECT_NEAR(road_horizon(back.get(), 0)->start_azimuth * 180 / M_PI, 45.5041666667, 1e-9);

    // A direction given below zero is the same direction within one turn.
    road_horizon(r.get(), 0)->start_azimuth = -0.5 * M_PI / 180;
    ASSERT_EQ(road_export_haidi(r.get(), file.c_str()), 0);
    EXPECT_NE(read_bytes(file.path()).find(" 359D30F0M\n"), std::string::npos) << read_bytes(file.path());
}

TEST(HaiDiFile, ReadingPassesOverNotesAndReplacesOnlyTheHorizontalElements)
{
    ScratchFile file("haidi_notes.pm");
    write_bytes(file.path(), "NE\r\n100.0000 5000.0000 3000.0000 90D0F0M\r\n"
                             "\r\n"
                             " Z L10.0000\r\n"
                             "z L10.0000\r\n"
                             "Z L20.0000\r\n"
                             "Y R L120.0000 R500.0000\r\n"
                             "# end of road\r\n");
    Road r;
    road_in_use(r.get());
    ASSERT_EQ(road_import_haidi(r.get(), file.c_str()), 0);
    ASSERT_EQ(road_number_horizon(r.get()), 3) << "only lines starting with an element letter count";
    EXPECT_EQ(road_horizon(r.get(), 1)->length, 20.0);
    const horizon_element_t *curve = road_horizon(r.get(), 2);
    EXPECT_EQ(curve->type, HORIZON_CIRCLE);
    EXPECT_EQ(curve->direction, 1);
    EXPECT_EQ(curve->length, 120.0);
    EXPECT_EQ(curve->radius, 500.0);
    EXPECT_EQ(curve->start_chainage, 120.0) << "the elements read are chained";
    EXPECT_NEAR(curve->start_y, 3020.0, 1e-9);
    EXPECT_EQ(road_number_vertical(r.get()), 2) << "the profile is not part of the file and stays";
}

TEST(HaiDiFile, BadFilesLeaveTheRoadAsItWas)
{
    const char *start = "NE\n0.0000 100.0000 200.0000 10D0F0M\n";
    const std::string bad_files[] = {
        "",
        "NE\n",
        "NE\n0.0000 100.0000 200.0000\n",
        "NE\n0.0000 100.0000 200.0000 10D0M\n",
        "NE\n0.0000 abc 200.0000 10D0F0M\n",
        "NE\nnan 100.0000 200.0000 10D0F0M\nZ L10\n",
        std::string(start) + "Z L10.0000\nZ Lnan\n",
        std::string(start) + "Z Linf\n",
        std::string(start) + "Z L1e999\n",
        std::string(start) + "Z L-10.0000\n",
        std::string(start) + "Z L12abc\n",
        std::string(start) + "Z L1.2.3\n",
        std::string(start) + "Z\n",
        std::string(start) + "Y R L50.0000 R-100.0000\n",
        std::string(start) + "Y R L50.0000 R0.0000\n",
        std::string(start) + "Y R L-50.0000 R100.0000\n",
        std::string(start) + "Y X L50.0000 R100.0000\n",
        std::string(start) + "Y R L50.0000\n",
        std::string(start) + "H R L35.0000 RQ-1.0000 RZ54.0000\n",
        std::string(start) + "H R L35.0000 RQ0.0000\n",
        std::string(start) + "Z L10.0000\nZ L" + std::string(100000, '1') + "\n",
        std::string(start) + std::string("Z L1\0" "0\n", 7),
    };
    ScratchFile file("haidi_bad.pm");
    Road r;
    road_in_use(r.get());
    RoadSnapshot before(r.get());
    for (const std::string &bytes : bad_files) {
        write_bytes(file.path(), bytes);
        EXPECT_EQ(road_import_haidi(r.get(), file.c_str()), -1) << bytes.substr(0, 200);
        EXPECT_TRUE(before.same_as(r.get())) << bytes.substr(0, 200);
    }

    std::remove(file.c_str());
    EXPECT_EQ(road_import_haidi(r.get(), file.c_str()), -1) << "missing file";
    EXPECT_EQ(road_import_haidi(r.get(), nullptr), -1);
    EXPECT_EQ(road_import_haidi(r.get(), ""), -1);
    std::string too_long(1024, 'a');
    EXPECT_EQ(road_import_haidi(r.get(), too_long.c_str()), -1);
    EXPECT_TRUE(before.same_as(r.get()));
}

TEST(HaiDiFile, ARoadThatCannotBeWrittenLeavesTheFileAlone)
{
    ScratchFile file("haidi_keep.pm");
    write_bytes(file.path(), "old road\n");
    Road empty;
    EXPECT_EQ(road_export_haidi(empty.get(), file.c_str()), -1) << "no start point";
    Road r;
    five_element_alignment(r.get());
    road_horizon(r.get(), 3)->radius = NAN;
    EXPECT_EQ(road_export_haidi(r.get(), file.c_str()), -1) << "a radius that is not a number";
    EXPECT_EQ(read_bytes(file.path()), "old road\n");

    road_horizon(r.get(), 3)->radius = 54;
    EXPECT_EQ(road_export_haidi(r.get(), "/nonexistent-folder/road.pm"), -1);
    EXPECT_EQ(road_export_haidi(r.get(), ::testing::TempDir().c_str()), -1) << "a folder";
    std::string too_long(1024, 'a');
    EXPECT_EQ(road_export_haidi(r.get(), too_long.c_str()), -1);
    EXPECT_EQ(road_export_haidi(r.get(), nullptr), -1);
}

} // namespace
