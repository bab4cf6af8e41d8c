// Shared by the scene manager's tests: a fresh scene state per test, real
// projects with synthetic corridor clouds, and readers for the geometry the
// scene functions build.
#pragma once

#include "cloud_tiles.h"
#include "SceneManager.h"

#include "lasgen.h"
#include "temp_dir.h"

#include <osg/Camera>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>
#include <osg/GraphicsContext>
#include <osg/Point>

#include <gtest/gtest.h>

#include <osgDB/Registry>

#include <algorithm>

#include <string>
#include <vector>

// SceneInit before each test, SceneDestroy after it.
class SceneTest : public testing::Test {
protected:
    void SetUp() override { SceneInit(); }
    void TearDown() override { SceneDestroy(); }

    // Opens a new project in the test's folder in g_workspace and imports a
    // small corridor cloud into it.
    velmo_t *import_corridor(const TempDir &dir, const std::string &name, uint64_t points = 20000,
                             double east = 500000.0)
    {
        if (!g_workspace->project) {
            std::string project = dir.file("survey.qpj");
            if (!wks_create_project(g_workspace, 0, project.c_str())) {
                ADD_FAILURE() << "cannot create " << project;
                return nullptr;
            }
        }
        lasgen::CorridorSpec spec;
        spec.points = points;
        spec.length = 60;
        spec.start_east = east;
        spec.threads = 1;
        std::string las = dir.file(name + ".las"), error;
        if (!lasgen::write_corridor(spec, las, &error)) {
            ADD_FAILURE() << error;
            return nullptr;
        }
        velmo_t *cloud = wks_import_velmo(g_workspace, las.c_str(), nullptr);
        EXPECT_NE(cloud, nullptr);
        return cloud;
    }
};

// A square off-screen GL context on the test's display (a window without
// decoration where pbuffers are not offered) drawn into by the camera, with
// the camera's viewport covering it; false when the display gives none.
inline bool attach_offscreen_context(osg::Camera *camera, int side)
{
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->width = traits->height = side;
    traits->pbuffer = true;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();
    osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
    if (!context) {
        traits->pbuffer = false;
        traits->windowDecoration = false;
        context = osg::GraphicsContext::createGraphicsContext(traits.get());
    }
    if (!context)
        return false;
    camera->setGraphicsContext(context.get());
    camera->setViewport(0, 0, side, side);
    camera->setDrawBuffer(GL_BACK);
    camera->setReadBuffer(GL_BACK);
    return true;
}

// Lets the registry find the tile reader plug-in in the build tree, as the
// program finds it beside itself.
inline void use_built_plugins()
{
    osgDB::FilePathList &paths = osgDB::Registry::instance()->getLibraryFilePathList();
    if (std::find(paths.begin(), paths.end(), CORVANE_PLUGIN_LIBRARY_DIR) == paths.end())
        paths.push_front(CORVANE_PLUGIN_LIBRARY_DIR);
}


inline tile_point_t *entry_of(tile_t *tile, size_t index)
{
    void *entry = nullptr;
    array_get_at(tile->entries, index, &entry);
    return static_cast<tile_point_t *>(entry);
}

// The group that shows an object, or null when it is not in the table.
inline osg::Group *shown_group(SceneObjectTable *table, const void *object)
{
    void *group = nullptr;
    if (treetable_get(table, object, &group) != CC_OK)
        return nullptr;
    return static_cast<osg::Group *>(group);
}

inline osg::Geode *geode_at(osg::Group *group, unsigned int index)
{
    return group && index < group->getNumChildren() ? group->getChild(index)->asGeode() : nullptr;
}

inline osg::Geometry *geometry_at(osg::Geode *geode, unsigned int index)
{
    return geode && index < geode->getNumDrawables() ? geode->getDrawable(index)->asGeometry() : nullptr;
}

inline const osg::Vec3dArray *vertices_of(const osg::Geometry *geometry)
{
    return dynamic_cast<const osg::Vec3dArray *>(geometry->getVertexArray());
}

inline GLenum primitive_of(const osg::Geometry *geometry)
{
    return geometry->getNumPrimitiveSets() == 1 ? geometry->getPrimitiveSet(0)->getMode() : GL_NONE;
}

// Every vertex the primitive draws: one DrawArrays from 0 over all of them.
inline bool draws_all_vertices(const osg::Geometry *geometry)
{
    const osg::PrimitiveSet *set = geometry->getNumPrimitiveSets() == 1 ? geometry->getPrimitiveSet(0) : nullptr;
    return set && set->getType() == osg::PrimitiveSet::DrawArraysPrimitiveType && set->index(0) == 0 &&
           geometry->getVertexArray() && set->getNumIndices() == geometry->getVertexArray()->getNumElements();
}

inline osg::Vec4 overall_colour(const osg::Geometry *geometry)
{
    const osg::Vec4Array *colours = dynamic_cast<const osg::Vec4Array *>(geometry->getColorArray());
    if (!colours || colours->size() != 1 || colours->getBinding() != osg::Array::BIND_OVERALL)
        return osg::Vec4(-1, -1, -1, -1);
    return (*colours)[0];
}

inline float line_width_of(const osg::Geometry *geometry)
{
    const osg::StateSet *state = geometry->getStateSet();
    const osg::LineWidth *width =
        state ? dynamic_cast<const osg::LineWidth *>(state->getAttribute(osg::StateAttribute::LINEWIDTH)) : nullptr;
    return width ? width->getWidth() : -1;
}

inline float point_size_of(const osg::Geometry *geometry)
{
    const osg::StateSet *state = geometry->getStateSet();
    const osg::Point *point =
        state ? dynamic_cast<const osg::Point *>(state->getAttribute(osg::StateAttribute::POINT)) : nullptr;
    return point ? point->getSize() : -1;
}

inline bool unlit(const osg::Geometry *geometry)
{
    const osg::StateSet *state = geometry->getStateSet();
    return state && state->getMode(GL_LIGHTING) == osg::StateAttribute::OFF;
}

#define EXPECT_VEC4_EQ(actual, red, green, blue, alpha)                                                        \
    do {                                                                                                         \
        osg::Vec4 c_ = (actual);                                                                                 \
        EXPECT_FLOAT_EQ(c_.r(), (red));                                                                          \
        EXPECT_FLOAT_EQ(c_.g(), (green));                                                                        \
        EXPECT_FLOAT_EQ(c_.b(), (blue));                                                                         \
        EXPECT_FLOAT_EQ(c_.a(), (alpha));                                                                        \
    } while (0)
