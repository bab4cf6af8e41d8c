// The front and side cameras of the section view: fitting, wheel zoom and
// drag panning, checked on the view matrix without any window.
#include "OrthoManipulator.h"
#include "SideManipulator.h"

#include <gtest/gtest.h>

#include <osg/Group>
#include <osg/Viewport>
#include <osgGA/GUIActionAdapter>
#include <osgGA/GUIEventAdapter>

#include <cmath>

namespace {

using Event = osgGA::GUIEventAdapter;

struct CountingActionAdapter : osgGA::GUIActionAdapter {
    int redraws = 0;
    void requestRedraw() override { ++redraws; }
    void requestContinuousUpdate(bool) override {}
    void requestWarpPointer(float, float) override {}
};

osg::ref_ptr<osg::Camera> CameraOf(int width, int height)
{
    osg::ref_ptr<osg::Camera> camera = new osg::Camera;
    camera->setViewport(0, 0, width, height);
    return camera;
}

// A scene whose bounding sphere is exactly the given one.
osg::ref_ptr<osg::Group> SceneWithin(const osg::Vec3 &center, float radius)
{
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->setInitialBound(osg::BoundingSphere(center, radius));
    return scene;
}

osg::ref_ptr<Event> MouseEvent(Event::EventType type, float x, float y,
                               Event::MouseYOrientation orientation = Event::Y_INCREASING_UPWARDS)
{
    osg::ref_ptr<Event> event = new Event;
    event->setEventType(type);
    event->setX(x);
    event->setY(y);
    event->setMouseYOrientation(orientation);
    return event;
}

osg::ref_ptr<Event> WheelEvent(Event::ScrollingMotion motion)
{
    osg::ref_ptr<Event> event = new Event;
    event->setEventType(Event::SCROLL);
    event->setScrollingMotion(motion);
    return event;
}

osg::ref_ptr<Event> FrameEvent()
{
    osg::ref_ptr<Event> event = new Event;
    event->setEventType(Event::FRAME);
    return event;
}

// Where a world point lands in the camera's frame.
osg::Vec3d InView(const osgGA::CameraManipulator &manipulator, const osg::Vec3d &world)
{
    return world * manipulator.getInverseMatrix();
}

void ExpectNear(const osg::Vec3d &expected, const osg::Vec3d &actual, double tolerance = 1e-9)
{
    EXPECT_NEAR(expected.x(), actual.x(), tolerance);
    EXPECT_NEAR(expected.y(), actual.y(), tolerance);
    EXPECT_NEAR(expected.z(), actual.z(), tolerance);
}

class SectionCameraTest : public ::testing::Test
{
protected:
    osg::ref_ptr<osg::Camera> camera = CameraOf(800, 600);
    osg::ref_ptr<osg::Group> scene = SceneWithin(osg::Vec3(1, 2, 3), 10);
    osg::ref_ptr<OrthoManipulator> front = new OrthoManipulator(camera.get());
    osg::ref_ptr<SideManipulator> side = new SideManipulator(camera.get());
    CountingActionAdapter actions;
};

TEST_F(SectionCameraTest, BothStartUnfittedAndAreNamedOrtho)
{
    for (OrthoManipulator *manipulator : {front.get(), static_cast<OrthoManipulator *>(side.get())}) {
        EXPECT_EQ("ortho", manipulator->getName());
        EXPECT_EQ(1.0, manipulator->getScale());
        ExpectNear(osg::Vec3d(), manipulator->getEye());
    }
}

TEST_F(SectionCameraTest, FrontFitsTheSphereToTheShorterSideOfTheViewport)
{
    front->setNode(scene.get());
    const double scale = 10.0f / 600.0f;
    EXPECT_DOUBLE_EQ(scale, front->getScale());
    ExpectNear(osg::Vec3d(1, 2, 3), front->getCenter());
    ExpectNear(osg::Vec3d(1, 2, 3 + 640), front->getEye());

    EXPECT_FALSE(front->handle(*FrameEvent(), actions));
    double left, right, bottom, top, zNear, zFar;
    ASSERT_TRUE(camera->getProjectionMatrixAsOrtho(left, right, bottom, top, zNear, zFar));
    EXPECT_NEAR(-800 * scale, left, 1e-9);
    EXPECT_NEAR(800 * scale, right, 1e-9);
    EXPECT_NEAR(-600 * scale, bottom, 1e-9);
    EXPECT_NEAR(600 * scale, top, 1e-9);
    EXPECT_NEAR(-1e6, zNear, 1e-3);
    EXPECT_NEAR(1e6, zFar, 1e-3);
}

TEST_F(SectionCameraTest, FrontShowsXRightAndYUpLookingDown)
{
    front->setNode(scene.get());
    ExpectNear(osg::Vec3d(0, 0, -640), InView(*front, osg::Vec3d(1, 2, 3)));
    ExpectNear(osg::Vec3d(5, 0, -640), InView(*front, osg::Vec3d(6, 2, 3)));
    ExpectNear(osg::Vec3d(0, 5, -640), InView(*front, osg::Vec3d(1, 7, 3)));
    ExpectNear(osg::Vec3d(0, 0, -645), InView(*front, osg::Vec3d(1, 2, -2)));
}

TEST_F(SectionCameraTest, SideShowsXRightAndZUpLookingAlongY)
{
    side->setNode(scene.get());
    ExpectNear(osg::Vec3d(1, 2 - 640, 3), side->getEye());
    const osg::Matrixd expected(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 1, 2 - 640, 3, 1);
    EXPECT_TRUE(expected == side->getMatrix());

    ExpectNear(osg::Vec3d(0, 0, -640), InView(*side, osg::Vec3d(1, 2, 3)));
    ExpectNear(osg::Vec3d(5, 0, -640), InView(*side, osg::Vec3d(6, 2, 3)));
    ExpectNear(osg::Vec3d(0, 5, -640), InView(*side, osg::Vec3d(1, 2, 8)));
    // Farther along +Y is farther from the eye.
    ExpectNear(osg::Vec3d(0, 0, -645), InView(*side, osg::Vec3d(1, 7, 3)));
}

TEST_F(SectionCameraTest, HomeRefitsAfterZoomAndPan)
{
    front->setNode(scene.get());
    const osg::Vec3d fittedEye = front->getEye();
    front->handle(*WheelEvent(Event::SCROLL_DOWN), actions);
    front->handle(*MouseEvent(Event::PUSH, 0, 0), actions);
    front->handle(*MouseEvent(Event::DRAG, 30, 40), actions);

    // The viewer's home (and a reset on installing) comes with an event.
    front->home(*FrameEvent(), actions);
    EXPECT_DOUBLE_EQ(10.0f / 600.0f, front->getScale());
    ExpectNear(fittedEye, front->getEye());

    front->handle(*WheelEvent(Event::SCROLL_UP), actions);
    front->home(0.0);
    ExpectNear(fittedEye, front->getEye());
}

TEST_F(SectionCameraTest, ForwardWheelStepsZoomInByFourFifthsEach)
{
    for (OrthoManipulator *manipulator : {front.get(), static_cast<OrthoManipulator *>(side.get())}) {
        manipulator->setNode(scene.get());
        const double scale = manipulator->getScale();
        const double distance = (manipulator->getEye() - manipulator->getCenter()).length();
        for (int step = 0; step < 10; ++step)
            EXPECT_TRUE(manipulator->handle(*WheelEvent(Event::SCROLL_DOWN), actions));
        const double factor = std::pow(0.8, 10);
        EXPECT_NEAR(scale * factor, manipulator->getScale(), 1e-12);
        EXPECT_NEAR(distance * factor, (manipulator->getEye() - manipulator->getCenter()).length(), 1e-9);
        // The eye stays on the view axis through the centre.
        const osg::Vec3d centreInView = InView(*manipulator, manipulator->getCenter());
        EXPECT_NEAR(0, centreInView.x(), 1e-9);
        EXPECT_NEAR(0, centreInView.y(), 1e-9);
    }
    EXPECT_EQ(20, actions.redraws);
}

TEST_F(SectionCameraTest, BackwardWheelStepZoomsOutAndKeepsThePan)
{
    front->setNode(scene.get());
    const double scale = front->getScale();
    front->handle(*MouseEvent(Event::PUSH, 100, 100), actions);
    front->handle(*MouseEvent(Event::DRAG, 90, 100), actions);
    const double pannedX = front->getEye().x();

    EXPECT_TRUE(front->handle(*WheelEvent(Event::SCROLL_UP), actions));
    EXPECT_NEAR(scale * 1.2, front->getScale(), 1e-12);
    EXPECT_NEAR(pannedX, front->getEye().x(), 1e-12);
    EXPECT_NEAR(2, front->getEye().y(), 1e-12);
    EXPECT_NEAR(3 + 640 * 1.2, front->getEye().z(), 1e-9);

    // The projection follows at the next frame.
    front->handle(*FrameEvent(), actions);
    double left, right, bottom, top, zNear, zFar;
    camera->getProjectionMatrixAsOrtho(left, right, bottom, top, zNear, zFar);
    EXPECT_NEAR(800 * scale * 1.2, right, 1e-9);
}

TEST_F(SectionCameraTest, DraggingMovesTheSceneWithTheMouse)
{
    front->setNode(scene.get());
    const double scale = front->getScale();
    const osg::Vec3d start = front->getEye();
    EXPECT_TRUE(front->handle(*MouseEvent(Event::PUSH, 200, 300), actions));
    EXPECT_TRUE(front->handle(*MouseEvent(Event::DRAG, 205, 300), actions));
    EXPECT_TRUE(front->handle(*MouseEvent(Event::DRAG, 210, 304), actions));
    ExpectNear(start + osg::Vec3d(-10 * scale, -4 * scale, 0), front->getEye());

    side->setNode(scene.get());
    const osg::Vec3d sideStart = side->getEye();
    side->handle(*MouseEvent(Event::PUSH, 200, 300), actions);
    side->handle(*MouseEvent(Event::DRAG, 210, 304), actions);
    ExpectNear(sideStart + osg::Vec3d(-10 * scale, 0, -4 * scale), side->getEye());
}

TEST_F(SectionCameraTest, DragInWindowCoordinatesGrowingDownwardsStillFollowsTheMouse)
{
    front->setNode(scene.get());
    const double scale = front->getScale();
    const osg::Vec3d start = front->getEye();
    // The mouse moves up the screen by 4 pixels: the eye must go down.
    front->handle(*MouseEvent(Event::PUSH, 200, 300, Event::Y_INCREASING_DOWNWARDS), actions);
    front->handle(*MouseEvent(Event::DRAG, 200, 296, Event::Y_INCREASING_DOWNWARDS), actions);
    ExpectNear(start + osg::Vec3d(0, -4 * scale, 0), front->getEye());
}

TEST_F(SectionCameraTest, DragWithoutPressIsRefusedUntilASecondEvent)
{
    front->setNode(scene.get());
    const osg::Vec3d start = front->getEye();
    EXPECT_FALSE(front->handle(*MouseEvent(Event::DRAG, 10, 10), actions));
    ExpectNear(start, front->getEye());
    // A new press forgets the drag that came before.
    EXPECT_TRUE(front->handle(*MouseEvent(Event::PUSH, 50, 50), actions));
    EXPECT_TRUE(front->handle(*MouseEvent(Event::DRAG, 50, 50), actions));
    ExpectNear(start, front->getEye());
}

TEST_F(SectionCameraTest, HandledFramesAndOtherEventsAreLeftToOthers)
{
    front->setNode(scene.get());
    const osg::Vec3d start = front->getEye();
    osg::ref_ptr<Event> wheel = WheelEvent(Event::SCROLL_DOWN);
    wheel->setHandled(true);
    EXPECT_FALSE(front->handle(*wheel, actions));
    EXPECT_DOUBLE_EQ(10.0f / 600.0f, front->getScale());

    EXPECT_FALSE(front->handle(*MouseEvent(Event::RELEASE, 0, 0), actions));
    EXPECT_FALSE(front->handle(*MouseEvent(Event::MOVE, 5, 5), actions));
    osg::ref_ptr<Event> key = new Event;
    key->setEventType(Event::KEYDOWN);
    key->setKey(' ');
    EXPECT_FALSE(front->handle(*key, actions));
    EXPECT_FALSE(front->handle(*FrameEvent(), actions));
    ExpectNear(start, front->getEye());
    EXPECT_EQ(0, actions.redraws);
}

TEST_F(SectionCameraTest, SetByMatrixDoesNotMoveTheCamera)
{
    front->setNode(scene.get());
    const osg::Vec3d start = front->getEye();
    front->setByMatrix(osg::Matrixd::translate(100, 100, 100));
    front->setByInverseMatrix(osg::Matrixd::translate(100, 100, 100));
    ExpectNear(start, front->getEye());
}

TEST_F(SectionCameraTest, EmptySceneKeepsTheViewUsable)
{
    // A section view without points has no bounding sphere.
    osg::ref_ptr<osg::Group> empty = new osg::Group;
    front->setNode(empty.get());
    EXPECT_EQ(1.0, front->getScale());
    ExpectNear(osg::Vec3d(), front->getEye());
    front->home(0.0);
    EXPECT_EQ(1.0, front->getScale());
}

TEST_F(SectionCameraTest, SinglePointOrHiddenWindowCentresWithoutLosingTheScale)
{
    osg::ref_ptr<osg::Group> point = SceneWithin(osg::Vec3(4, 5, 6), 0);
    front->setNode(point.get());
    EXPECT_EQ(1.0, front->getScale());
    ExpectNear(osg::Vec3d(4, 5, 6), front->getEye());

    // A canvas not yet laid out has a viewport without area.
    osg::ref_ptr<osg::Camera> hidden = CameraOf(0, 0);
    osg::ref_ptr<OrthoManipulator> manipulator = new OrthoManipulator(hidden.get());
    manipulator->setNode(scene.get());
    EXPECT_EQ(1.0, manipulator->getScale());
    ExpectNear(osg::Vec3d(1, 2, 3 + 640), manipulator->getEye());
    EXPECT_TRUE(manipulator->handle(*WheelEvent(Event::SCROLL_DOWN), actions));
    EXPECT_NEAR(0.8, manipulator->getScale(), 1e-12);
}

TEST_F(SectionCameraTest, CameraWithoutViewportIsLeftAlone)
{
    osg::ref_ptr<osg::Camera> bare = new osg::Camera;
    const osg::Matrixd projection = bare->getProjectionMatrix();
    osg::ref_ptr<SideManipulator> manipulator = new SideManipulator(bare.get());
    manipulator->setNode(scene.get());
    EXPECT_FALSE(manipulator->handle(*FrameEvent(), actions));
    EXPECT_TRUE(projection == bare->getProjectionMatrix());
    ExpectNear(osg::Vec3d(1, 2 - 640, 3), manipulator->getEye());
}

TEST_F(SectionCameraTest, HomeAfterTheSceneIsGoneChangesNothing)
{
    {
        osg::ref_ptr<osg::Group> gone = SceneWithin(osg::Vec3(100, 0, 0), 50);
        front->setNode(gone.get());
    }
    const osg::Vec3d eye = front->getEye();
    front->handle(*WheelEvent(Event::SCROLL_DOWN), actions);
    const double scale = front->getScale();
    front->home(0.0);
    front->home(*FrameEvent(), actions);
    EXPECT_DOUBLE_EQ(scale, front->getScale());
    EXPECT_NEAR(eye.x(), front->getEye().x(), 1e-9);
}

} // namespace
