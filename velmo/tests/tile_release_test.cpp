// A decoded tile's store pages given back to the system: the model view reads
// tile after tile of a large cloud, and what it has read must not stay
// resident in the process.
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

std::vector<tile_t *> tiles_of(velmo_t *cloud)
{
    std::vector<tile_t *> tiles;
    TreeTableIter it;
    TreeTableEntry entry;
    treetable_iter_init(&it, cloud->tiles);
    while (treetable_iter_next(&it, &entry) == CC_OK)
        tiles.push_back(static_cast<tile_t *>(entry.value));
    return tiles;
}

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

// Sum of every decoded coordinate of the cloud's points.
double decode_all(velmo_t *cloud)
{
    double sum = 0;
    for (tile_t *tile : tiles_of(cloud))
        for (size_t i = 0; i < array_size(tile->entries); i++) {
            velmo_point_t p = {};
            EXPECT_NE(velmo_read_point_osg(cloud, tile, item<tile_point_t>(tile->entries, i), &p), 0);
            sum += p.x + p.y + p.z;
        }
    return sum;
}

TEST(TileRelease, DecodedTilesLeaveTheProcessAndReadTheSameAgain)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    lasgen::CorridorSpec spec;
    spec.points = 400000;
    spec.length = 120;
    std::string las = dir.file("c.las"), error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
    velmo_t *cloud = wks_import_velmo(w.wks, las.c_str(), nullptr);
    ASSERT_NE(cloud, nullptr);

    const double first = decode_all(cloud);
    const long read_kib = resident_store_kib(dir.path().string());
    const long points_kib = long(spec.points * 24 / 1024);
    ASSERT_GT(read_kib, points_kib * 9 / 10) << "decoding pages the whole store in";
    for (tile_t *tile : tiles_of(cloud))
        EXPECT_EQ(velmo_release_tile_points(cloud, tile, SIZE_MAX), 1);
    EXPECT_LT(resident_store_kib(dir.path().string()), points_kib / 20);
    EXPECT_EQ(decode_all(cloud), first);
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
