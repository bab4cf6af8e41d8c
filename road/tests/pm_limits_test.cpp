// Centre-line files with numbers no road can have, and paths that are not
// regular files.
#include "road.h"

#include "file_test_support.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/stat.h>

using namespace file_tests;
using namespace test_roads;

TEST(PmLimits, LengthsAndCoordinatesBeyondAnyRoadAreRefused)
{
    const char *start = "NE\n0.0000 100.0000 200.0000 10D0F0M\n";
    const std::string bad_files[] = {
        std::string(start) + "Z L3.8e18\n",
        std::string(start) + "Z L10000001\n",
        std::string(start) + "Y R L20000000 R1e12\n",
        std::string(start) + "Z L6000000\nZ L6000000\n", // the road as a whole
        "NE\n0.0000 1e15 200.0000 10D0F0M\nZ L10\n",
        "NE\n0.0000 100.0000 -2e8 10D0F0M\nZ L10\n",
        "NE\n5e12 100.0000 200.0000 10D0F0M\nZ L10\n",
    };
    ScratchFile file("haidi_limits.pm");
    Road r;
    road_in_use(r.get());
    RoadSnapshot before(r.get());
    for (const std::string &bytes : bad_files) {
        write_bytes(file.path(), bytes);
        auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(road_import_haidi(r.get(), file.c_str()), -1) << bytes;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << bytes;
        EXPECT_TRUE(before.same_as(r.get())) << bytes;
    }
    // A long real road with zone-prefixed eastings is not refused.
    write_bytes(file.path(), "NE\n9000000.0000 4400000.0000 38500000.0000 10D0F0M\nZ L900000\nZ L90000\n");
    EXPECT_EQ(road_import_haidi(r.get(), file.c_str()), 0);
    EXPECT_EQ(road_number_horizon(r.get()), 3);
}

TEST(PmLimits, NamedPipesAndFoldersAreRefusedWithoutWaiting)
{
    ScratchFile pipe("centre_pipe.pm");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Road r;
    EXPECT_EQ(road_import_haidi(r.get(), pipe.c_str()), -1);
    EXPECT_EQ(road_import_weidi(r.get(), pipe.c_str()), -1);
    EXPECT_EQ(road_import_haidi(r.get(), ::testing::TempDir().c_str()), -1);
}
