// The tile reader plug-in as the pager meets it: loaded by the registry from
// the build tree's plug-in folder by the ".octree" extension alone, reading
// names made by the scene manager for a real imported cloud.
#include "scene_test_support.h"

#include <osgDB/ReadFile>
#include <osgDB/Registry>

#include <algorithm>
#include <map>

namespace {

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

    osg::ref_ptr<osg::Geometry> read(int level, int mode)
    {
        char name[SCENE_TILE_NAME_SIZE];
        SceneFormatTileName(name, cloud, tile, level, mode);
        return read_name(name);
    }

    static osg::ref_ptr<osg::Geometry> read_name(const std::string &name)
    {
        osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(name);
        osg::Geode *geode = node ? node->asGeode() : nullptr;
        if (!geode || geode->getNumDrawables() != 1)
            return nullptr;
        return geode->getDrawable(0)->asGeometry();
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

TEST_F(OctreeTileReader, ReadsExactlyTheTilePointsOfTheLevelAndAbove)
{
    size_t total = array_size(tile->entries);
    ASSERT_GT(total, 0u);
    bool some_level_splits = false;
    size_t previous = 0;
    for (int level = 8; level >= 3; level--) {
        osg::ref_ptr<osg::Geometry> geometry = read(level, COLOR_RGB);
        ASSERT_NE(geometry, nullptr) << "level " << level;
        const osg::Vec3dArray *vertices = vertices_of(geometry.get());
        ASSERT_NE(vertices, nullptr);
        size_t expected = entries_at_or_above(level);
        ASSERT_EQ(vertices->size(), expected) << "level " << level;
        EXPECT_GE(expected, previous) << "a lower level keeps more points";
        previous = expected;
        some_level_splits = some_level_splits || (expected > 0 && expected < total);
        EXPECT_EQ(primitive_of(geometry.get()), (GLenum)GL_POINTS);
        EXPECT_TRUE(draws_all_vertices(geometry.get()));
        EXPECT_EQ(geometry->getStateSet(), nullptr) << "point size and lighting are the scene's";
        for (size_t i = 0; i < expected; i++) {
            velmo_point_t p = decoded(i);
            ASSERT_EQ((*vertices)[i], osg::Vec3d(p.x, p.y, p.z)) << "level " << level << " point " << i;
        }
    }
    EXPECT_EQ(previous, total) << "level 3 keeps every point";
    EXPECT_TRUE(some_level_splits) << "the tile should hold points of more than one level";
}

TEST_F(OctreeTileReader, LevelAboveEveryPointGivesAnEmptyGeode)
{
    osg::ref_ptr<osg::Geometry> geometry = read(9, COLOR_RGB);
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(vertices_of(geometry.get())->size(), 0u);
    EXPECT_TRUE(draws_all_vertices(geometry.get()));
}

TEST_F(OctreeTileReader, ColoursEachPointByTheNamedMode)
{
    // The corridor's classes: road surface, ground and trees.
    const std::map<int, osg::Vec4> class_colours = {
        {2, osg::Vec4(0.4f, 0.4f, 0, 1)}, {5, osg::Vec4(0, 0.8f, 0, 1)}, {11, osg::Vec4(0.6f, 0.6f, 0.6f, 1)}};
    osg::ref_ptr<osg::Geometry> by_class = read(3, COLOR_CLASSIFICATION);
    osg::ref_ptr<osg::Geometry> by_rgb = read(3, COLOR_RGB);
    osg::ref_ptr<osg::Geometry> by_height = read(3, COLOR_HEIGHT);
    for (osg::Geometry *g : {by_class.get(), by_rgb.get(), by_height.get()}) {
        ASSERT_NE(g, nullptr);
        const osg::Array *colours = g->getColorArray();
        ASSERT_NE(colours, nullptr);
        EXPECT_EQ(colours->getBinding(), osg::Array::BIND_PER_VERTEX);
        ASSERT_EQ(colours->getNumElements(), vertices_of(g)->size());
    }
    const osg::Vec4Array &classes = *static_cast<const osg::Vec4Array *>(by_class->getColorArray());
    const osg::Vec4Array &rgb = *static_cast<const osg::Vec4Array *>(by_rgb->getColorArray());
    const osg::Vec4Array &height = *static_cast<const osg::Vec4Array *>(by_height->getColorArray());
    for (size_t i = 0; i < classes.size(); i++) {
        velmo_point_t p = decoded(i);
        auto known = class_colours.find(p.classification & 31);
        ASSERT_NE(known, class_colours.end()) << "class " << (int)p.classification;
        ASSERT_EQ(classes[i], known->second) << "point " << i;
        ASSERT_EQ(rgb[i], osg::Vec4(p.red / 255.0f, p.green / 255.0f, p.blue / 255.0f, 1)) << "point " << i;
        // Ramp colours mix two neighbours: blue falls as red rises, green is
        // full in the middle, and nothing is transparent.
        ASSERT_FLOAT_EQ(height[i].a(), 1.0f);
        ASSERT_TRUE(height[i].r() == 0 || height[i].b() == 0) << "point " << i;
    }
}

TEST_F(OctreeTileReader, ModeWithoutColoursLeavesThePointsUncoloured)
{
    osg::ref_ptr<osg::Geometry> geometry = read(3, 7);
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(vertices_of(geometry.get())->size(), array_size(tile->entries));
    EXPECT_EQ(geometry->getColorArray(), nullptr);
}

TEST_F(OctreeTileReader, NamesThatDoNotParseAreRefusedWithoutReading)
{
    char name[SCENE_TILE_NAME_SIZE];
    SceneFormatTileName(name, cloud, nullptr, 3, 0);
    EXPECT_EQ(read_name(name), nullptr);
    SceneFormatTileName(name, nullptr, tile, 3, 0);
    EXPECT_EQ(read_name(name), nullptr);
    EXPECT_EQ(read_name("survey.octree"), nullptr);
    EXPECT_EQ(read_name("0x1234_.octree"), nullptr);
    SceneFormatTileName(name, cloud, tile, 3, 0);
    EXPECT_EQ(read_name(std::string(name) + ".octree"), nullptr) << "trailing text after the name";
}

TEST_F(OctreeTileReader, NameBehindADatabasePathIsStillRead)
{
    char name[SCENE_TILE_NAME_SIZE];
    SceneFormatTileName(name, cloud, tile, 3, COLOR_INTENSITY);
    osg::ref_ptr<osg::Geometry> geometry = read_name(std::string("tiles/") + name);
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(vertices_of(geometry.get())->size(), array_size(tile->entries));
}

} // namespace
