// A decoded tile's store pages given back to the system: the model view reads
// tile after tile of a large cloud, and what it has read must not stay
// resident in the process.
#include "cloud_tiles.h"
#include "velmo.h"

#include "lasgen.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {


// Resident KiB of this process's mappings of tile stores under a folder.
long resident_store_kib(const std::string &folder)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool store = false;
    long kib = 0;
    while (std::getline(smaps, line)) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (first.find('-') != std::string::npos && first.find(':') == std::string::npos) {
            store = line.find(folder) != std::string::npos && line.find(".tiles") != std::string::npos;
        } else if (store && first == "Rss:") {
            long value = 0;
            fields >> value;
            kib += value;
        }
    }
    return kib;
}

// Sum of the decoded coordinates of each tile's first count points.
double decode_all(velmo_t *cloud, size_t count)
{
    double sum = 0;
    for (tile_t *tile : tiles_of(cloud))
        for (size_t i = 0; i < array_size(tile->entries) && i < count; i++) {
            velmo_point_t p = {};
            EXPECT_NE(velmo_read_point_osg(cloud, tile, item<tile_point_t>(tile->entries, i), &p), 0);
            sum += p.x + p.y + p.z;
        }
    return sum;
}

// The model view reads a prefix of each tile (a level and above), often a
// few points of it; whatever it paged in around them must go as well.
TEST(TileRelease, DecodedTilesLeaveTheProcessAndReadTheSameAgain)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    lasgen::CorridorSpec spec;
    spec.points = 2000000;
    spec.length = 600;
    std::string las = dir.file("c.las"), error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
    velmo_t *cloud = wks_import_velmo(w.wks, las.c_str(), nullptr);
    ASSERT_NE(cloud, nullptr);
    ASSERT_GE(tiles_of(cloud).size(), 16u) << "enough tiles for what stays behind each to show";
    const double all_points = decode_all(cloud, SIZE_MAX);
    const long points_kib = long(spec.points * 24 / 1024);

    for (size_t read : {size_t(SIZE_MAX), size_t(1), size_t(100)}) {
        EXPECT_NE(decode_all(cloud, read), 0.0);
        const long read_kib = resident_store_kib(dir.path().string());
        for (tile_t *tile : tiles_of(cloud))
            EXPECT_EQ(velmo_release_tile_points(cloud, tile, read), 1);
        const long left_kib = resident_store_kib(dir.path().string());
        EXPECT_GT(read_kib, left_kib) << read << " points a tile";
        EXPECT_LT(left_kib, points_kib / 100) << read << " points a tile";
    }
    EXPECT_EQ(decode_all(cloud, SIZE_MAX), all_points);
}

TEST(TileRelease, WithoutACloudOrAStoreNothingIsReleased)
{
    tile_t tile = {};
    EXPECT_EQ(velmo_release_tile_points(nullptr, &tile, 10), 0);
    velmo_t bare = {};
    EXPECT_EQ(velmo_release_tile_points(&bare, &tile, 10), 0) << "a cloud without a store";
    EXPECT_EQ(velmo_release_tile_points(&bare, nullptr, 10), 0);
}

} // namespace
