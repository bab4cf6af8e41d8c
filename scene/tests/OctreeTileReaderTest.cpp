// The tile reader plug-in as the pager meets it: loaded by the registry from
// the build tree's plug-in folder by the ".octree" extension alone, reading
// names made by the scene manager for a real imported cloud.
#include "scene_test_support.h"

#include "OctreeColors.h"

#include <osg/MatrixTransform>
#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace {

struct TileRead {
    osg::ref_ptr<osg::Node> node;
    osg::Geometry *geometry = nullptr;
    osg::Matrixd to_world;

    const osg::Vec3Array *vertices() const { return dynamic_cast<const osg::Vec3Array *>(geometry->getVertexArray()); }
    osg::Vec3d world(size_t i) const { return osg::Vec3d((*vertices())[i]) * to_world; }
    const osg::Vec4ubArray &colours() const { return *static_cast<const osg::Vec4ubArray *>(geometry->getColorArray()); }
};

class OctreeTileReader : public SceneTest {
protected:
    static void SetUpTestSuite() { use_built_plugins(); }

    void SetUp() override
    {
        SceneTest::SetUp();
        cloud = import_corridor(dir, "corridor");
        ASSERT_NE(cloud, nullptr);
        tile = richest_tile(cloud);
        ASSERT_NE(tile, nullptr);
    }

    // The tile with the most points, so that it has points of many levels.
    static tile_t *richest_tile(velmo_t *cloud)
    {
        tile_t *best = nullptr;
        for (tile_t *t : tiles_of(cloud))
            if (!best || array_size(t->entries) > array_size(best->entries))
                best = t;
        return best;
    }

    TileRead read(int level, int mode)
    {
        char name[SCENE_TILE_NAME_SIZE];
        SceneFormatTileName(name, cloud, tile, level, mode);
        return read_name(name);
    }

    // The reader's node: a transform over one geode of one geometry.
    static TileRead read_name(const std::string &name)
    {
        TileRead out;
        out.node = osgDB::readRefNodeFile(name);
        osg::Transform *node = out.node ? out.node->asTransform() : nullptr;
        osg::MatrixTransform *transform = node ? node->asMatrixTransform() : nullptr;
        osg::Geode *geode = transform && transform->getNumChildren() == 1 ? transform->getChild(0)->asGeode() : nullptr;
        if (!geode || geode->getNumDrawables() != 1)
            return TileRead();
        out.geometry = geode->getDrawable(0)->asGeometry();
        out.to_world = transform->getMatrix();
        return out;
    }

    size_t entries_at_or_above(int level) const
    {
        size_t count = 0;
        for (size_t i = 0; i < array_size(tile->entries); i++)
            if (entry_of(tile, i)->level >= level)
                count++;
        return count;
    }

    velmo_point_t decoded(size_t index) const
    {
        velmo_point_t point = {};
        EXPECT_NE(velmo_read_point_osg(cloud, tile, entry_of(tile, index), &point), 0);
        return point;
    }

    TempDir dir;
    velmo_t *cloud = nullptr;
    tile_t *tile = nullptr;
};

TEST_F(OctreeTileReader, RegistryFindsTheReaderByItsExtension)
{
    osgDB::ReaderWriter *reader = osgDB::Registry::instance()->getReaderWriterForExtension("octree");
    ASSERT_NE(reader, nullptr);
    EXPECT_STREQ(reader->className(), "Halvren Octree Reader");
    EXPECT_EQ(reader->supportedExtensions().at("octree"), "Halvren octree format");
    EXPECT_EQ(reader->supportedOptions().size(), 5u);
    EXPECT_EQ(reader->supportedOptions().count("noTriStripPolygons"), 1u);
}

// The corridor lies 4,000 km from the origin, where a float keeps only half
// a metre: positions within a millimetre show they are taken from the tile.
TEST_F(OctreeTileReader, ReadsExactlyTheTilePointsOfTheLevelAndAboveToAMillimetre)
{
    size_t total = array_size(tile->entries);
    ASSERT_GT(total, 0u);
    bool some_level_splits = false;
    size_t previous = 0;
    for (int level = 8; level >= 3; level--) {
        TileRead read_tile = read(level, COLOR_RGB);
        ASSERT_NE(read_tile.geometry, nullptr) << "level " << level;
        const osg::Geometry *geometry = read_tile.geometry;
        ASSERT_NE(read_tile.vertices(), nullptr);
        size_t expected = entries_at_or_above(level);
        ASSERT_EQ(read_tile.vertices()->size(), expected) << "level " << level;
        EXPECT_GE(expected, previous) << "a lower level keeps more points";
        previous = expected;
        some_level_splits = some_level_splits || (expected > 0 && expected < total);
        EXPECT_EQ(primitive_of(geometry), (GLenum)GL_POINTS);
        EXPECT_TRUE(draws_all_vertices(geometry));
        EXPECT_EQ(geometry->getStateSet(), nullptr) << "point size and lighting are the scene's";
        EXPECT_FALSE(geometry->getUseDisplayList()) << "a display list keeps a second copy of the points";
        for (size_t i = 0; i < expected; i++) {
            velmo_point_t p = decoded(i);
            ASSERT_LT((read_tile.world(i) - osg::Vec3d(p.x, p.y, p.z)).length(), 1e-3)
                << "level " << level << " point " << i;
        }
    }
    EXPECT_EQ(previous, total) << "level 3 keeps every point";
    EXPECT_TRUE(some_level_splits) << "the tile should hold points of more than one level";
}

TEST_F(OctreeTileReader, LevelAboveEveryPointGivesAnEmptyGeode)
{
    TileRead read_tile = read(9, COLOR_RGB);
    ASSERT_NE(read_tile.geometry, nullptr);
    EXPECT_EQ(read_tile.vertices()->size(), 0u);
    EXPECT_TRUE(draws_all_vertices(read_tile.geometry));
}

TEST_F(OctreeTileReader, ColoursEachPointByTheNamedMode)
{
    // The corridor's classes: road surface, ground and trees.
    const std::map<int, osg::Vec4> class_colours = {
        {2, osg::Vec4(0.4f, 0.4f, 0, 1)}, {5, osg::Vec4(0, 0.8f, 0, 1)}, {11, osg::Vec4(0.6f, 0.6f, 0.6f, 1)}};
    TileRead by_class = read(3, COLOR_CLASSIFICATION);
    TileRead by_rgb = read(3, COLOR_RGB);
    TileRead by_height = read(3, COLOR_HEIGHT);
    for (const TileRead *r : {&by_class, &by_rgb, &by_height}) {
        ASSERT_NE(r->geometry, nullptr);
        const osg::Array *colours = r->geometry->getColorArray();
        ASSERT_NE(dynamic_cast<const osg::Vec4ubArray *>(colours), nullptr);
        EXPECT_EQ(colours->getBinding(), osg::Array::BIND_PER_VERTEX);
        EXPECT_TRUE(colours->getNormalize()) << "bytes 0-255 are colours 0-1";
        ASSERT_EQ(colours->getNumElements(), r->vertices()->size());
    }
    const osg::Vec4ubArray &classes = by_class.colours();
    const osg::Vec4ubArray &rgb = by_rgb.colours();
    const osg::Vec4ubArray &height = by_height.colours();
    for (size_t i = 0; i < classes.size(); i++) {
        velmo_point_t p = decoded(i);
        auto known = class_colours.find(p.classification & 31);
        ASSERT_NE(known, class_colours.end()) << "class " << (int)p.classification;
        ASSERT_EQ(classes[i], octree_color_bytes(known->second)) << "point " << i;
        ASSERT_EQ(rgb[i], osg::Vec4ub(p.red, p.green, p.blue, 255)) << "point " << i;
        // Ramp colours mix two neighbours: blue falls as red rises, green is
        // full in the middle, and nothing is transparent.
        ASSERT_EQ(height[i].a(), 255);
        ASSERT_TRUE(height[i].r() == 0 || height[i].b() == 0) << "point " << i;
    }
}

TEST_F(OctreeTileReader, ModeWithoutColoursLeavesThePointsUncoloured)
{
    TileRead read_tile = read(3, 7);
    ASSERT_NE(read_tile.geometry, nullptr);
    EXPECT_EQ(read_tile.vertices()->size(), array_size(tile->entries));
    EXPECT_EQ(read_tile.geometry->getColorArray(), nullptr);
}

TEST_F(OctreeTileReader, NamesThatDoNotParseAreRefusedWithoutReading)
{
    char name[SCENE_TILE_NAME_SIZE];
    SceneFormatTileName(name, cloud, nullptr, 3, 0);
    EXPECT_EQ(read_name(name).geometry, nullptr);
    SceneFormatTileName(name, nullptr, tile, 3, 0);
    EXPECT_EQ(read_name(name).geometry, nullptr);
    EXPECT_EQ(read_name("survey.octree").geometry, nullptr);
    EXPECT_EQ(read_name("0x1234_.octree").geometry, nullptr);
    SceneFormatTileName(name, cloud, tile, 3, 0);
    EXPECT_EQ(read_name(std::string(name) + ".octree").geometry, nullptr) << "trailing text after the name";
}

TEST_F(OctreeTileReader, NameBehindADatabasePathIsStillRead)
{
    char name[SCENE_TILE_NAME_SIZE];
    SceneFormatTileName(name, cloud, tile, 3, COLOR_INTENSITY);
    TileRead read_tile = read_name(std::string("tiles/") + name);
    ASSERT_NE(read_tile.geometry, nullptr);
    EXPECT_EQ(read_tile.vertices()->size(), array_size(tile->entries));
}

// Another program cuts the store short, zeroes it or writes another cloud's
// over it while the view pages its tiles: the reader gives an empty tile,
// never a fault (a read of the store's mapping past the file's end kills
// the process), and the cloud says why.
TEST_F(OctreeTileReader, AStoreChangedOnDiskGivesEmptyTilesAndAMessageNeverAFault)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_NE(import_corridor(dir, "other", 3000, 501000), nullptr);
    const std::string store = dir.file("survey.data/1.tiles"), other = dir.file("survey.data/2.tiles");
    auto overwrite = [&](const std::string &bytes) {
        std::ofstream out(store, std::ios::binary | std::ios::in | std::ios::trunc);
        out << bytes;
    };
    struct Change {
        const char *name;
        std::function<void()> apply;
    } changes[] = {
        // At a page's end: the rest of a page cut inside reads as zeros.
        {"cut to half", [&] { std::filesystem::resize_file(store, std::filesystem::file_size(store) / 2 / 4096 * 4096); }},
        {"zeroed", [&] { overwrite(std::string(size_t(std::filesystem::file_size(store)), '\0')); }},
        {"replaced by another cloud's", [&] { overwrite(read_bytes(other)); }},
    };
    for (const Change &change : changes) {
        SCOPED_TRACE(change.name);
        EXPECT_EXIT(
            {
                const bool read_before = read(3, COLOR_RGB).vertices()->size() == array_size(tile->entries);
                change.apply();
                TileRead after = read(3, COLOR_RGB);
                const bool empty = after.geometry && after.vertices()->empty();
                const std::string message = velmo_last_message(cloud);
                const bool told = message.find("corridor.las") != std::string::npos &&
                                  message.find("Reopen the project") != std::string::npos;
                std::fprintf(stderr, "read before: %d, empty after: %d, message: %s\n", read_before, empty,
                             message.c_str());
                std::_Exit(read_before && empty && told ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

} // namespace
