// A registered viewer draws every geometry from its own arrays, also when a
// new array is built where a released one lay.  Needs a display (a virtual
// one will do).
#include "canvas_test_app.h"
#include "frame_capture.h"
#include "scene_test_support.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osgViewer/Viewer>

#include <cstddef>
#include <functional>
#include <string>

namespace {

// An array kept in one fixed slot of memory: each new one takes the address
// of the one released before it, as the heap gives it now and then.
template <class Base>
struct SlotArray : Base {
    static void *operator new(std::size_t size)
    {
        if (size > sizeof(slot))
            throw std::bad_alloc();
        return slot;
    }
    static void operator delete(void *) {}
    alignas(std::max_align_t) static unsigned char slot[512];
};
template <class Base>
alignas(std::max_align_t) unsigned char SlotArray<Base>::slot[512];

using SlotVertices = SlotArray<osg::Vec3dArray>;
using SlotColours = SlotArray<osg::Vec4Array>;

// A square of points in front of the camera, in the arrays given (the
// vertices are filled; colours, when given, are filled per vertex).
osg::ref_ptr<osg::Geode> PointsIn(osg::Vec3dArray *vertices, osg::Vec4Array *colours, int side)
{
    for (int i = 0; i < side * side; ++i)
        vertices->push_back(osg::Vec3d(i % side - side / 2, i / side - side / 2, 0));
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices);
    if (colours) {
        colours->assign(vertices->size(), osg::Vec4(1, 1, 1, 1));
        geometry->setColorArray(colours, osg::Array::BIND_PER_VERTEX);
    }
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_POINTS, 0, GLsizei(vertices->size())));
    geometry->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    return geode;
}

class SceneViewerArrays : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        ASSERT_TRUE(HeldDisplay()) << ToolkitFailure();
        viewer = new osgViewer::Viewer;
        viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
        osg::Camera *camera = viewer->getCamera();
        ASSERT_TRUE(attach_offscreen_context(camera, 64)) << "no OpenGL context on display " << getenv("DISPLAY");
        camera->setProjectionMatrixAsOrtho(-40, 40, -40, 40, -10, 10);
        camera->setViewMatrix(osg::Matrixd::identity());
        camera->setClearColor(osg::Vec4(0, 0, 0, 1));
        camera->setFinalDrawCallback(capture.get());
        viewer->setSceneData(root.get());
        viewer->realize();
        SceneRegisterViewer(viewer.get());
    }

    void TearDown() override
    {
        viewer = nullptr;
        SceneTest::TearDown();
    }

    osg::ref_ptr<osg::Group> root = new osg::Group;
    osg::ref_ptr<osgViewer::Viewer> viewer;
    osg::ref_ptr<FrameCapture> capture = new FrameCapture;
};

// Each case draws an empty array, lets it go, then draws points from a new
// array at its address that has never been drawn.  The GL must be handed the
// new array: the old one's address is 0, and a view that kept it would read
// the points from there (the program ended by SIGSEGV in the GL driver).
struct ReusedArrayCase {
    std::string name;
    std::function<osg::ref_ptr<osg::Geode>(int side)> points;
};

TEST_F(SceneViewerArrays, ANewArrayWhereAReleasedOneLayIsDrawnFromItsOwnPoints)
{
    const ReusedArrayCase cases[] = {
        {"vertices", [](int side) { return PointsIn(new SlotVertices, nullptr, side); }},
        {"colours", [](int side) { return PointsIn(new osg::Vec3dArray, new SlotColours, side); }},
    };
    for (const ReusedArrayCase &c : cases) {
        root->addChild(c.points(0).get());
        viewer->frame();
        root->removeChildren(0, root->getNumChildren());
        viewer->frame();

        root->addChild(c.points(20).get());
        viewer->frame();
        EXPECT_GT(CountPixels(*capture->image).lit, 100) << c.name << ": the new points are not drawn";
        root->removeChildren(0, root->getNumChildren());
        viewer->frame();
    }
}

} // namespace
