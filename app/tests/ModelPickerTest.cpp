// The model view's read-out of a drawn cloud point.  Tiles draw their points
// in single floats from the tile's centre under a transform; the point read
// out must still be the world point to the millimetre, 4,000 km from the
// origin where a float alone would be half a metre out.
#include "ModelPicker.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osgViewer/Viewer>

#include <gtest/gtest.h>

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

} // namespace
