// The canvas hands the toolkit's input to the scene graph's event queue and
// renders through its graphics window; needs a display (run under Xvfb).
#include "GraphicsWindowWX.h"
#include "OSGCanvas.h"
#include "OrthoManipulator.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <osg/Group>
#include <osg/Viewport>
#include <osgGA/EventQueue>
#include <osgViewer/Viewer>

#include <wx/frame.h>
#include <wx/sizer.h>

#include <vector>

namespace {

using Event = osgGA::GUIEventAdapter;

class CanvasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        frame = new wxFrame(nullptr, wxID_ANY, "canvas", wxDefaultPosition, wxSize(400, 300));
        canvas = new OSGCanvas(frame, wxID_ANY, nullptr, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS);
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(canvas, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->Show();
        ASSERT_TRUE(WaitUntilShown(canvas));
        Queue()->clear();
    }

    void TearDown() override
    {
        if (!frame)
            return;
        frame->Destroy();
        PumpEventsFor(20);
    }

    osgGA::EventQueue *Queue() { return canvas->GetGraphicsWindow()->getEventQueue(); }

    std::vector<osg::ref_ptr<Event>> TakeEvents()
    {
        osgGA::EventQueue::Events events;
        Queue()->takeEvents(events);
        std::vector<osg::ref_ptr<Event>> adapters;
        for (auto &event : events)
            if (Event *adapter = event->asGUIEventAdapter())
                adapters.push_back(adapter);
        return adapters;
    }

    void Send(wxEvent &event)
    {
        event.SetEventObject(canvas);
        canvas->GetEventHandler()->ProcessEvent(event);
    }

    void SendMouse(wxEventType type, int x, int y)
    {
        wxMouseEvent event(type);
        event.m_x = x;
        event.m_y = y;
        Send(event);
    }

    void SendWheel(int rotation, wxMouseWheelAxis axis = wxMOUSE_WHEEL_VERTICAL)
    {
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.m_wheelRotation = rotation;
        event.m_wheelDelta = 120;
        event.m_linesPerAction = 3;
        event.m_wheelAxis = axis;
        Send(event);
    }

    void SendKey(wxEventType type, wxChar key)
    {
        wxKeyEvent event(type);
        event.m_uniChar = key;
        event.m_keyCode = key;
        Send(event);
    }

    wxFrame *frame = nullptr;
    OSGCanvas *canvas = nullptr;
};

TEST_F(CanvasTest, MouseButtonsArriveWithTheirButtonAndPosition)
{
    const double before = Queue()->getTime();
    SendMouse(wxEVT_LEFT_DOWN, 10, 20);
    SendMouse(wxEVT_MOTION, 15, 25);
    SendMouse(wxEVT_LEFT_UP, 16, 26);
    SendMouse(wxEVT_MIDDLE_DOWN, 30, 40);
    SendMouse(wxEVT_MIDDLE_UP, 30, 40);
    SendMouse(wxEVT_RIGHT_DOWN, 50, 60);
    SendMouse(wxEVT_RIGHT_UP, 51, 61);
    SendMouse(wxEVT_MOTION, 70, 80);
    const double after = Queue()->getTime();

    const auto events = TakeEvents();
    ASSERT_EQ(8u, events.size());
    const struct {
        Event::EventType type;
        int button;
        float x, y;
    } expected[] = {
        {Event::PUSH, Event::LEFT_MOUSE_BUTTON, 10, 20},
        {Event::DRAG, 0, 15, 25},
        {Event::RELEASE, Event::LEFT_MOUSE_BUTTON, 16, 26},
        {Event::PUSH, Event::MIDDLE_MOUSE_BUTTON, 30, 40},
        {Event::RELEASE, Event::MIDDLE_MOUSE_BUTTON, 30, 40},
        {Event::PUSH, Event::RIGHT_MOUSE_BUTTON, 50, 60},
        {Event::RELEASE, Event::RIGHT_MOUSE_BUTTON, 51, 61},
        {Event::MOVE, 0, 70, 80},
    };
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].type, events[i]->getEventType());
        if (expected[i].button) {
            EXPECT_EQ(expected[i].button, events[i]->getButton());
        }
        EXPECT_FLOAT_EQ(expected[i].x, events[i]->getX());
        EXPECT_FLOAT_EQ(expected[i].y, events[i]->getY());
        EXPECT_GE(events[i]->getTime(), before);
        EXPECT_LE(events[i]->getTime(), after);
    }
}

TEST_F(CanvasTest, WheelForwardZoomsInAndBackwardZoomsOut)
{
    SendWheel(120);
    SendWheel(-120);
    SendWheel(0);
    // A fine step of a smooth wheel keeps its direction.
    SendWheel(-40);
    SendWheel(40);
    const auto events = TakeEvents();
    const Event::ScrollingMotion expected[] = {Event::SCROLL_DOWN, Event::SCROLL_UP, Event::SCROLL_DOWN,
                                               Event::SCROLL_UP, Event::SCROLL_DOWN};
    ASSERT_EQ(5u, events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Event::SCROLL, events[i]->getEventType());
        EXPECT_EQ(expected[i], events[i]->getScrollingMotion());
    }
}

TEST_F(CanvasTest, SidewaysWheelIsNoZoom)
{
    SendWheel(120, wxMOUSE_WHEEL_HORIZONTAL);
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(CanvasTest, KeysArriveAsPressAndRelease)
{
    SendKey(wxEVT_CHAR, 'a');
    SendKey(wxEVT_KEY_UP, 'a');
    SendKey(wxEVT_CHAR, wxChar(0x00e9));
    const auto events = TakeEvents();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(Event::KEYDOWN, events[0]->getEventType());
    EXPECT_EQ('a', events[0]->getKey());
    EXPECT_EQ(Event::KEYUP, events[1]->getEventType());
    EXPECT_EQ('a', events[1]->getKey());
    EXPECT_EQ(0x00e9, events[2]->getKey());
}

TEST_F(CanvasTest, ResizeReachesTheQueueTheWindowAndItsCameras)
{
    osg::ref_ptr<osg::Camera> camera = new osg::Camera;
    camera->setGraphicsContext(canvas->GetGraphicsWindow());
    const wxSize start = canvas->GetClientSize();
    camera->setViewport(0, 0, start.GetWidth(), start.GetHeight());
    Queue()->clear();

    frame->SetClientSize(260, 180);
    ASSERT_TRUE(PumpEventsUntil([this] { return canvas->GetClientSize() == wxSize(260, 180); }));
    // The toolkit may deliver the size more than once; the last one counts.
    wxSizeEvent size(canvas->GetSize());
    Send(size);

    const auto events = TakeEvents();
    ASSERT_FALSE(events.empty());
    const Event &resize = *events.back();
    EXPECT_EQ(Event::RESIZE, resize.getEventType());
    EXPECT_EQ(0, resize.getWindowX());
    EXPECT_EQ(0, resize.getWindowY());
    EXPECT_EQ(260, resize.getWindowWidth());
    EXPECT_EQ(180, resize.getWindowHeight());

    const osg::GraphicsContext::Traits *traits = canvas->GetGraphicsWindow()->getTraits();
    EXPECT_EQ(260, traits->width);
    EXPECT_EQ(180, traits->height);
    EXPECT_EQ(260, camera->getViewport()->width());
    EXPECT_EQ(180, camera->getViewport()->height());
}

TEST_F(CanvasTest, ResizeGoesThroughTheWindowsResizeCallback)
{
    struct Recorder : osg::GraphicsContext::ResizedCallback {
        int width = 0, height = 0;
        void resizedImplementation(osg::GraphicsContext *, int, int, int w, int h) override
        {
            width = w;
            height = h;
        }
    };
    osg::ref_ptr<Recorder> recorder = new Recorder;
    canvas->GetGraphicsWindow()->setResizedCallback(recorder.get());
    wxSizeEvent size(canvas->GetSize());
    Send(size);
    EXPECT_EQ(canvas->GetClientSize().GetWidth(), recorder->width);
    EXPECT_EQ(canvas->GetClientSize().GetHeight(), recorder->height);
}

TEST_F(CanvasTest, InputWithoutGraphicsWindowIsIgnored)
{
    osg::ref_ptr<GraphicsWindowWX> old = canvas->GetGraphicsWindow();
    canvas->SetGraphicsWindow(nullptr);
    SendMouse(wxEVT_LEFT_DOWN, 1, 1);
    SendMouse(wxEVT_MOTION, 2, 2);
    SendWheel(120);
    SendKey(wxEVT_CHAR, 'x');
    wxSizeEvent size(canvas->GetSize());
    Send(size);
    osgGA::EventQueue::Events events;
    old->getEventQueue()->takeEvents(events);
    EXPECT_TRUE(events.empty());
    // The window given up no longer draws into the canvas.
    EXPECT_EQ(nullptr, old->GetCanvas());
    EXPECT_FALSE(old->makeCurrent());
}

TEST_F(CanvasTest, GraphicsWindowMatchesTheCanvasAndRendersIntoIt)
{
    GraphicsWindowWX *window = canvas->GetGraphicsWindow();
    EXPECT_EQ(canvas, window->GetCanvas());
    EXPECT_TRUE(window->valid());
    EXPECT_TRUE(window->isRealized());
    ASSERT_NE(nullptr, window->getState());
    EXPECT_TRUE(window->makeCurrent());
    window->swapBuffers();
    EXPECT_TRUE(window->releaseContext());

    canvas->Hide();
    EXPECT_FALSE(window->isRealizedImplementation());
    canvas->Show();
    EXPECT_TRUE(window->isRealizedImplementation());

    // Two views have two contexts, so GL objects are never mixed up.
    auto *second = new OSGCanvas(frame, wxID_ANY, nullptr, wxPoint(5, 6), wxSize(50, 40));
    GraphicsWindowWX *other = second->GetGraphicsWindow();
    EXPECT_NE(window->getState()->getContextID(), other->getState()->getContextID());
    EXPECT_EQ(5, other->getTraits()->x);
    EXPECT_EQ(6, other->getTraits()->y);
    EXPECT_EQ(50, other->getTraits()->width);
    EXPECT_EQ(40, other->getTraits()->height);
}

TEST_F(CanvasTest, GraphicsWindowOutlivingItsCanvasDrawsNothing)
{
    auto *doomed = new OSGCanvas(frame, wxID_ANY, nullptr, wxDefaultPosition, wxSize(50, 40));
    osg::ref_ptr<GraphicsWindowWX> window = doomed->GetGraphicsWindow();
    doomed->Destroy();
    EXPECT_EQ(nullptr, window->GetCanvas());
    EXPECT_FALSE(window->makeCurrent());
    EXPECT_FALSE(window->isRealizedImplementation());
    window->swapBuffersImplementation();
    window->grabFocus();
    window->useCursor(false);
}

TEST_F(CanvasTest, ShowingTheCursorRestoresTheOneSetBeforeHiding)
{
    const wxCursor cross(wxCURSOR_CROSS);
    canvas->SetCursor(cross);
    canvas->UseCursor(false);
    EXPECT_FALSE(canvas->GetCursor().IsSameAs(cross));
    // Hiding again must not lose the cursor to restore.
    canvas->GetGraphicsWindow()->useCursor(false);
    canvas->GetGraphicsWindow()->useCursor(true);
    EXPECT_TRUE(canvas->GetCursor().IsSameAs(cross));
    // Showing a cursor that is not hidden keeps it.
    const wxCursor hand(wxCURSOR_HAND);
    canvas->SetCursor(hand);
    canvas->UseCursor(true);
    EXPECT_TRUE(canvas->GetCursor().IsSameAs(hand));
}

TEST_F(CanvasTest, FocusFollowsThePointerIntoTheCanvas)
{
    auto *other = new wxWindow(frame, wxID_ANY, wxPoint(0, 0), wxSize(10, 10));
    other->SetFocus();
    wxMouseEvent enter(wxEVT_ENTER_WINDOW);
    Send(enter);
    PumpEventsUntil([this] { return wxWindow::FindFocus() == canvas; }, 1000);
    EXPECT_EQ(canvas, wxWindow::FindFocus());

    other->SetFocus();
    PumpEventsUntil([other] { return wxWindow::FindFocus() == other; }, 1000);
    canvas->GetGraphicsWindow()->grabFocus();
    PumpEventsUntil([this] { return wxWindow::FindFocus() == canvas; }, 1000);
    EXPECT_EQ(canvas, wxWindow::FindFocus());
}

// The whole path a user's drag takes: toolkit events, the canvas, the event
// queue, the viewer and the front camera.
TEST_F(CanvasTest, DragThroughTheViewerMovesTheSceneWithTheMouse)
{
    osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
    viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    const wxSize size = canvas->GetClientSize();
    viewer->getCamera()->setGraphicsContext(canvas->GetGraphicsWindow());
    viewer->getCamera()->setViewport(0, 0, size.GetWidth(), size.GetHeight());
    osg::ref_ptr<osg::Group> scene = new osg::Group;
    scene->setInitialBound(osg::BoundingSphere(osg::Vec3(0, 0, 0), 100));
    viewer->setSceneData(scene.get());
    osg::ref_ptr<OrthoManipulator> manipulator = new OrthoManipulator(viewer->getCamera());
    viewer->setCameraManipulator(manipulator.get());
    viewer->frame();
    const osg::Vec3d start = manipulator->getEye();
    const double scale = manipulator->getScale();

    // Right by 20 pixels and down the screen by 10.
    SendMouse(wxEVT_LEFT_DOWN, 100, 100);
    SendMouse(wxEVT_MOTION, 110, 105);
    SendMouse(wxEVT_MOTION, 120, 110);
    SendMouse(wxEVT_LEFT_UP, 120, 110);
    viewer->frame();
    EXPECT_NEAR(start.x() - 20 * scale, manipulator->getEye().x(), 1e-9);
    EXPECT_NEAR(start.y() + 10 * scale, manipulator->getEye().y(), 1e-9);

    SendWheel(120);
    viewer->frame();
    EXPECT_NEAR(scale * 0.8, manipulator->getScale(), 1e-12);
    double left, right, bottom, top, zNear, zFar;
    viewer->getCamera()->getProjectionMatrixAsOrtho(left, right, bottom, top, zNear, zFar);
    EXPECT_NEAR(size.GetWidth() * scale * 0.8, right, 1e-6);
    viewer = nullptr;
}

} // namespace
