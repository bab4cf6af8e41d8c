// The model view's read-out of a drawn cloud point.  Tiles draw their points
// in single floats from the tile's centre under a transform; the point read
// out must still be the world point to the millimetre, 4,000 km from the
// origin where a float alone would be half a metre out.
#include "ModelPicker.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/PagedLOD>
#include <osgViewer/Viewer>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

osg::ref_ptr<osg::Node> tile_with_point(const osg::Vec3d &centre, const osg::Vec3 &offset)
{
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(offset);
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices.get());
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_POINTS, 0, 1));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    osg::ref_ptr<osg::MatrixTransform> transform = new osg::MatrixTransform(osg::Matrixd::translate(centre));
    transform->addChild(geode.get());
    return transform;
}

TEST(ModelPicker, APointUnderATileTransformIsReadOutInWorldCoordinates)
{
    const osg::Vec3d centre(500123.25, 4000456.75, 103.5);
    const int width = 400, height = 300;
    for (const osg::Vec3 &offset : {osg::Vec3(0.5f, -0.25f, 1.0f), osg::Vec3(-3.125f, 2.0625f, -0.75f)}) {
        const osg::Vec3d world = centre + osg::Vec3d(offset);
        osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
        viewer->setSceneData(tile_with_point(centre, offset).get());
        osg::Camera *camera = viewer->getCamera();
        camera->setViewport(0, 0, width, height);
        camera->setProjectionMatrixAsPerspective(30.0, double(width) / height, 0.1, 1e4);
        camera->setViewMatrixAsLookAt(world + osg::Vec3d(0, -20, 30), world, osg::Vec3d(0, 0, 1));
        const osg::Vec3d window = world * camera->getViewMatrix() * camera->getProjectionMatrix() *
                                  camera->getViewport()->computeWindowMatrix();

        ModelPicker picker(viewer.get());
        osg::Vec3d read;
        // The canvas counts rows from the top.
        ASSERT_TRUE(picker.DrawnPointAt((int)std::lround(window.x()), (int)std::lround(height - window.y()), &read))
            << offset.x();
        EXPECT_LT((read - world).length(), 1e-3) << offset.x();
    }
}

// A tile as the scene shows a cloud: a paged level-of-detail node whose
// coarse child is drawn from 100 m away and farther, its fine child nearer.
osg::ref_ptr<osg::PagedLOD> tile_with_levels(const osg::Vec3d &coarse, const osg::Vec3d &fine, bool fineLoaded)
{
    osg::ref_ptr<osg::PagedLOD> tile = new osg::PagedLOD;
    tile->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    tile->setCenter(osg::Vec3(0.0f, 0.0f, 0.0f));
    tile->setRadius(10.0f);
    tile->addChild(tile_with_point(coarse, osg::Vec3()).get(), 100.0f, FLT_MAX, "coarse.octree");
    if (fineLoaded)
        tile->addChild(tile_with_point(fine, osg::Vec3()).get(), 0.0f, 100.0f, "fine.octree");
    else
        tile->setFileName(1, "fine.octree");
    tile->setRange(1, 0.0f, 100.0f);
    return tile;
}

// Both detail levels of a tile may be loaded while only one is drawn: the
// read-out names a point of the level the view draws from where the eye is,
// even when a point of the other level lies nearer the eye under the mouse.
TEST(ModelPicker, OnlyTheDetailLevelDrawnFromTheEyeIsPicked)
{
    const osg::Vec3d nearer(0.0, -2.0, 0.0), farther(0.0, 2.0, 0.0);
    const struct {
        const char *what;
        double eyeDistance;
        float lodScale;
        osg::Vec3d coarse, fine;
        bool fineLoaded;
        osg::Vec3d expected;
    } cases[] = {
        {"far: the coarse level", 500.0, 1.0f, farther, nearer, true, farther},
        {"near: the fine level", 50.0, 1.0f, nearer, farther, true, farther},
        {"near, fine not loaded yet: the coarse level still drawn", 50.0, 1.0f, farther, nearer, false, farther},
        {"near but a doubled detail scale: the coarse level", 60.0, 2.0f, farther, nearer, true, farther},
    };
    const int width = 400, height = 300;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
        viewer->setSceneData(tile_with_levels(c.coarse, c.fine, c.fineLoaded).get());
        osg::Camera *camera = viewer->getCamera();
        camera->setViewport(0, 0, width, height);
        camera->setProjectionMatrixAsPerspective(30.0, double(width) / height, 0.1, 1e4);
        camera->setViewMatrixAsLookAt(osg::Vec3d(0.0, -c.eyeDistance, 0.0), osg::Vec3d(), osg::Vec3d(0, 0, 1));
        camera->setLODScale(c.lodScale);
        ModelPicker picker(viewer.get());
        osg::Vec3d read;
        ASSERT_TRUE(picker.DrawnPointAt(width / 2, height / 2, &read));
        EXPECT_LT((read - c.expected).length(), 1e-6) << read.x() << " " << read.y() << " " << read.z();
    }
}

} // namespace
