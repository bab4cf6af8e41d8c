#include "scene_test_support.h"

#include <osg/PagedLOD>

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <deque>

namespace {

using ScenePointClouds = SceneTest;

// A cloud record with hand-made tiles: enough for the scene side, which reads
// only the tile table and the tiles' boxes.
struct HandMadeCloud {
    velmo_t cloud = {};
    std::deque<tile_t> tiles;

    HandMadeCloud() { treetable_new(cc_common_cmp_ptr, &cloud.tiles); }
    ~HandMadeCloud() { treetable_destroy(cloud.tiles); }

    tile_t *add_tile(double min_x, double min_y, double min_z, double max_x, double max_y, double max_z)
    {
        tiles.emplace_back();
        tile_t *tile = &tiles.back();
        *tile = {};
        double box[6] = {min_x, min_y, min_z, max_x, max_y, max_z};
        memcpy(tile->box, box, sizeof box);
        treetable_add(cloud.tiles, tile, tile);
        return tile;
    }
};

osg::PagedLOD *tile_node(velmo_t *cloud, unsigned int index)
{
    osg::Group *group = shown_group(CloudTable, cloud);
    return group && index < group->getNumChildren() ? dynamic_cast<osg::PagedLOD *>(group->getChild(index)) : nullptr;
}

// The mode field of the name of a tile node's first child.
int mode_in_names(velmo_t *cloud)
{
    osg::PagedLOD *node = tile_node(cloud, 0);
    void *c = nullptr, *t = nullptr;
    int level = -1, mode = -1;
    if (!node || sscanf(node->getFileName(0).c_str(), "%p_%p_%d_%d.octree", &c, &t, &level, &mode) != 4)
        return -1;
    return mode;
}

TEST_F(ScenePointClouds, TileNamesCarryCloudTileLevelAndMode)
{
    HandMadeCloud hand;
    tile_t *tile = hand.add_tile(0, 0, 0, 10, 10, 10);
    char name[SCENE_TILE_NAME_SIZE];
    int length = SceneFormatTileName(name, &hand.cloud, tile, 8, COLOR_HEIGHT);
    EXPECT_EQ(length, (int)strlen(name));
    std::string text = name;
    EXPECT_EQ(text.substr(text.size() - 11), "_8_2.octree");

    void *cloud = nullptr, *back = nullptr;
    int level = 0, mode = 0;
    ASSERT_EQ(sscanf(name, "%p_%p_%d_%d.octree", &cloud, &back, &level, &mode), 4);
    EXPECT_EQ(cloud, &hand.cloud);
    EXPECT_EQ(back, tile);
    EXPECT_EQ(level, 8);
    EXPECT_EQ(mode, 2);

    // The widest addresses and ints still fit.
    length = SceneFormatTileName(name, (velmo_t *)UINTPTR_MAX, (tile_t *)UINTPTR_MAX, INT32_MIN, INT32_MIN);
    EXPECT_EQ(length, (int)strlen(name));
    EXPECT_LT(length, SCENE_TILE_NAME_SIZE);
}

TEST_F(ScenePointClouds, TenWideTileHasHalvingRangesAndRadius)
{
    HandMadeCloud hand;
    // Only the X width decides the ranges and radius; Y and Z spans do not.
    tile_t *tile = hand.add_tile(100, 200, 5, 110, 230, 45);
    SceneShowCloud(&hand.cloud, COLOR_HEIGHT);

    osg::PagedLOD *node = tile_node(&hand.cloud, 0);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->getCenterMode(), osg::LOD::USER_DEFINED_CENTER);
    EXPECT_EQ(node->getCenter(), osg::Vec3(105, 215, 25));
    EXPECT_FLOAT_EQ(node->getRadius(), 7.07f);
    EXPECT_EQ(node->getRangeMode(), osg::LOD::DISTANCE_FROM_EYE_POINT);
    EXPECT_EQ(node->getDatabasePath(), "");

    const float ranges[6][2] = {{640, FLT_MAX}, {320, 640}, {160, 320}, {80, 160}, {40, 80}, {0, 40}};
    ASSERT_EQ(node->getNumRanges(), 6u);
    ASSERT_EQ(node->getNumFileNames(), 6u);
    EXPECT_EQ(node->getNumChildren(), 0u) << "children are left to the pager";
    for (unsigned int k = 0; k < 6; k++) {
        EXPECT_EQ(node->getMinRange(k), ranges[k][0]) << "child " << k;
        EXPECT_EQ(node->getMaxRange(k), ranges[k][1]) << "child " << k;
        char name[SCENE_TILE_NAME_SIZE];
        SceneFormatTileName(name, &hand.cloud, tile, 8 - (int)k, COLOR_HEIGHT);
        EXPECT_EQ(node->getFileName(k), name) << "child " << k;
    }
}

TEST_F(ScenePointClouds, EveryTileBecomesOnePagedNode)
{
    HandMadeCloud hand;
    for (int i = 0; i < 5; i++)
        hand.add_tile(10 * i, 0, 0, 10 * i + 10, 10, 3);
    SceneShowCloud(&hand.cloud, COLOR_RGB);
    osg::Group *group = shown_group(CloudTable, &hand.cloud);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->getNumChildren(), 5u);
    ASSERT_EQ(SceneRoot->getNumChildren(), 1u);
    EXPECT_EQ(SceneRoot->getChild(0), group);
}

TEST_F(ScenePointClouds, CloudWithoutTilesGetsNoGroupUntilItHasSome)
{
    HandMadeCloud hand;
    SceneShowCloud(&hand.cloud, COLOR_RGB);
    EXPECT_EQ(treetable_size(CloudTable), 0u);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);

    velmo_t no_table = {};
    SceneShowCloud(&no_table, COLOR_RGB);
    EXPECT_EQ(treetable_size(CloudTable), 0u);

    hand.add_tile(0, 0, 0, 10, 10, 10);
    SceneShowCloud(&hand.cloud, COLOR_RGB);
    EXPECT_EQ(treetable_size(CloudTable), 1u);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
}

TEST_F(ScenePointClouds, ShowingAShownCloudAgainKeepsItsModeUntilHiddenFirst)
{
    HandMadeCloud hand;
    hand.add_tile(0, 0, 0, 10, 10, 10);
    SceneShowCloud(&hand.cloud, COLOR_RGB);
    SceneShowCloud(&hand.cloud, COLOR_CLASSIFICATION);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
    EXPECT_EQ(mode_in_names(&hand.cloud), COLOR_RGB);

    SceneHideCloud(&hand.cloud);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
    EXPECT_EQ(treetable_size(CloudTable), 0u);
    SceneShowCloud(&hand.cloud, COLOR_CLASSIFICATION);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
    EXPECT_EQ(mode_in_names(&hand.cloud), COLOR_CLASSIFICATION);
}

TEST_F(ScenePointClouds, HiddenGroupIsFreedOnceTheRootLetsGo)
{
    HandMadeCloud hand;
    hand.add_tile(0, 0, 0, 10, 10, 10);
    SceneShowCloud(&hand.cloud, COLOR_RGB);
    osg::observer_ptr<osg::Group> group = shown_group(CloudTable, &hand.cloud);
    ASSERT_TRUE(group.valid());
    EXPECT_EQ(group->referenceCount(), 2) << "one for the table entry, one for the root";
    SceneHideCloud(&hand.cloud);
    EXPECT_FALSE(group.valid());
}

TEST_F(ScenePointClouds, ReloadShowsEveryWorkspaceCloudOnceInTheNewMode)
{
    TempDir dir;
    velmo_t *shown = import_corridor(dir, "shown", 4000);
    velmo_t *hidden = import_corridor(dir, "hidden", 4000, 500500.0);
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(hidden, nullptr);
    SceneShowCloud(shown, COLOR_RGB);

    SceneReloadClouds(COLOR_INTENSITY);
    EXPECT_EQ(treetable_size(CloudTable), 2u);
    EXPECT_EQ(SceneRoot->getNumChildren(), 2u);
    EXPECT_EQ(mode_in_names(shown), COLOR_INTENSITY);
    EXPECT_EQ(mode_in_names(hidden), COLOR_INTENSITY);
    EXPECT_EQ(shown_group(CloudTable, shown)->getNumChildren(), treetable_size(shown->tiles));
}

} // namespace
