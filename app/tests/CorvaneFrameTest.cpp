// The main window as the surveyor first meets it: its panes and ribbon, the
// idle render loop of both views, the busy guard on closing, the progress
// shown for a task, and the view and colour modes.  Needs a display (run
// under Xvfb).
#include "FrameTestSupport.h"

#include "AppResources.h"
#include "OSGCanvas.h"
#include "OrthoManipulator.h"
#include "SideManipulator.h"
#include "StatusView.h"
#include "TaskThreadEvent.h"
#include "UpdateRequest.h"
#include "lasgen.h"
#include "temp_dir.h"

#include <osg/PagedLOD>
#include <osgDB/Registry>
#include <osgGA/TrackballManipulator>

#include <wx/config.h>
#include <wx/memconf.h>
#include <wx/menu.h>
#include <wx/propgrid/propgrid.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>
#include <wx/treelist.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

using namespace frametest;

namespace {

// Every button bar of the ribbon, page by page.
std::vector<wxRibbonButtonBar *> ButtonBars(wxRibbonBar *ribbon)
{
    std::vector<wxRibbonButtonBar *> bars;
    for (size_t p = 0; p < ribbon->GetPageCount(); ++p)
        for (wxWindow *panel : ribbon->GetPage(int(p))->GetChildren())
            for (wxWindow *child : panel->GetChildren())
                if (auto *bar = dynamic_cast<wxRibbonButtonBar *>(child))
                    bars.push_back(bar);
    return bars;
}

// Labels of a menu's items in order, and the labels that are checked.
struct MenuState {
    std::vector<wxString> labels;
    std::vector<wxString> checked;
};

MenuState Read(wxMenu *menu)
{
    MenuState state;
    for (wxMenuItem *item : menu->GetMenuItems()) {
        if (!item->IsCheckable())
            continue;
        state.labels.push_back(item->GetItemLabelText());
        if (item->IsChecked())
            state.checked.push_back(item->GetItemLabelText());
    }
    delete menu;
    return state;
}

bool SendMenu(CorvaneFrame *frame, long id)
{
    wxCommandEvent event(wxEVT_MENU, int(id));
    event.SetEventObject(frame);
    return frame->GetEventHandler()->ProcessEvent(event);
}

void SendSize(wxWindow *window)
{
    wxSizeEvent event(window->GetSize(), window->GetId());
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

// The colour mode written into the tile names of the first cloud shown in
// the model view: the last number of "%p_%p_%d_%d.octree"; -1 without one.
int ShownCloudColourMode()
{
    if (SceneRoot->getNumChildren() == 0)
        return -1;
    const osg::Group *cloud = SceneRoot->getChild(0)->asGroup();
    const auto *tile = cloud && cloud->getNumChildren() ? dynamic_cast<const osg::PagedLOD *>(cloud->getChild(0)) : nullptr;
    if (!tile || tile->getNumFileNames() == 0)
        return -1;
    const std::string name = tile->getFileName(0);
    const size_t end = name.rfind(".octree");
    const size_t start = name.rfind('_', end);
    if (end == std::string::npos || start == std::string::npos)
        return -1;
    return std::stoi(name.substr(start + 1, end - start - 1));
}

// Takes connections and never answers them.
struct SilentServer {
    int socket = -1;
    int port = 0;

    SilentServer()
    {
        socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket < 0 || bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || listen(socket, 4) != 0 || getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (socket >= 0)
            close(socket);
    }
};

// Remembers when each frame of a camera was drawn.
struct FrameClock : osg::Camera::DrawCallback {
    mutable std::mutex lock;
    mutable std::vector<std::chrono::steady_clock::time_point> times;

    void operator()(osg::RenderInfo &) const override
    {
        std::lock_guard<std::mutex> guard(lock);
        times.push_back(std::chrono::steady_clock::now());
    }
};

} // namespace

// ---- Panes and ribbon -----------------------------------------------------------------

TEST_F(FrameTest, OpensWithTreeAndPropertiesLeftModelInTheCentreAndTheSectionPaneHidden)
{
    wxAuiManager *aui = frame->GetAuiManager();
    const wxAuiPaneInfo &tree = aui->GetPane("DBTree");
    const wxAuiPaneInfo &grid = aui->GetPane("PropGrid");
    const wxAuiPaneInfo &model = aui->GetPane("PanelModel");
    const wxAuiPaneInfo &section = aui->GetPane("PaneSection");
    ASSERT_TRUE(tree.IsOk() && grid.IsOk() && model.IsOk() && section.IsOk());

    EXPECT_EQ(frame->GetWorkspaceTree(), tree.window);
    EXPECT_EQ(frame->GetPropertyGrid(), grid.window);
    EXPECT_EQ(frame->GetModelCanvas(), model.window);
    EXPECT_EQ(frame->GetSectionCanvas(), section.window);
    for (const wxAuiPaneInfo *pane : {&tree, &grid}) {
        EXPECT_TRUE(pane->IsShown());
        EXPECT_EQ(wxAUI_DOCK_LEFT, pane->dock_direction);
        EXPECT_FALSE(pane->HasCloseButton()) << pane->name;
        EXPECT_TRUE(pane->HasMaximizeButton()) << pane->name;
    }
    EXPECT_EQ("DB Tree", tree.caption);
    EXPECT_EQ("Properties", grid.caption);
    EXPECT_TRUE(model.IsShown());
    EXPECT_EQ(wxAUI_DOCK_CENTER, model.dock_direction);
    EXPECT_FALSE(model.HasCloseButton());
    EXPECT_FALSE(section.IsShown());
    EXPECT_TRUE(section.HasCloseButton());

    EXPECT_TRUE(frame->GetRibbonBar()->IsShownOnScreen());
    EXPECT_TRUE(frame->GetWorkspaceTree()->IsShownOnScreen());
    EXPECT_TRUE(frame->GetPropertyGrid()->IsShownOnScreen());
    EXPECT_TRUE(frame->GetModelCanvas()->IsShownOnScreen());
    EXPECT_FALSE(frame->GetSectionCanvas()->IsShownOnScreen());
    EXPECT_TRUE(frame->GetStatusView()->IsShownOnScreen());
    EXPECT_EQ("Corvane", frame->GetTitle());
    EXPECT_FALSE(frame->GetIcons().IsEmpty()) << "icons/corvane.png not found under " << AppResourceDir();

    // The ribbon on top, the status panel at the bottom, the panes between.
    const wxRect ribbon = frame->GetRibbonBar()->GetRect();
    const wxRect panel = frame->GetMainPanel()->GetRect();
    const wxRect status = frame->GetStatusView()->GetRect();
    EXPECT_EQ(0, ribbon.GetTop());
    EXPECT_EQ(ribbon.GetBottom() + 1, panel.GetTop());
    EXPECT_EQ(panel.GetBottom() + 1, status.GetTop());
    EXPECT_EQ(frame->GetClientSize().GetHeight(), status.GetBottom() + 1);
    EXPECT_EQ(24, status.GetHeight());
}

TEST_F(FrameTest, RibbonOffersEveryCommandUnderItsOwnIdentifierAndEachReachesTheFrame)
{
    wxRibbonBar *ribbon = frame->GetRibbonBar();
    ASSERT_EQ(2u, ribbon->GetPageCount());
    EXPECT_EQ("File", ribbon->GetPage(0)->GetLabel());
    EXPECT_EQ("Tools", ribbon->GetPage(1)->GetLabel());

    const std::vector<long> fileButtons = {CorvaneFrame::ID_RIBBON_NEW, CorvaneFrame::ID_RIBBON_OPEN,
                                           CorvaneFrame::ID_RIBBON_HELP, CorvaneFrame::ID_RIBBON_ABOUT};
    const std::vector<long> toolButtons = {
        CorvaneFrame::ID_RIBBON_IMPORT_CLOUD,        CorvaneFrame::ID_RIBBON_COLOR,
        CorvaneFrame::ID_RIBBON_SLICE,               CorvaneFrame::ID_RIBBON_IMPORT_ROAD,
        CorvaneFrame::ID_RIBBON_EXPORT_ROAD,         CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS,
        CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS,   CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS,
        CorvaneFrame::ID_RIBBON_VERTICAL_SECTION,    CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION,
        CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS};
    std::vector<long> found;
    for (wxRibbonButtonBar *bar : ButtonBars(ribbon))
        for (size_t i = 0; i < bar->GetButtonCount(); ++i)
            found.push_back(bar->GetItemId(bar->GetItem(i)));
    std::vector<long> expected = fileButtons;
    expected.insert(expected.end(), toolButtons.begin(), toolButtons.end());
    EXPECT_EQ(expected, found);
    EXPECT_EQ(expected.size(), std::set<long>(found.begin(), found.end()).size());

    // The first page opens with its panels spread out, not collapsed into
    // drop-downs.
    for (wxWindow *child : ribbon->GetPage(0)->GetChildren()) {
        if (auto *panel = dynamic_cast<wxRibbonPanel *>(child)) {
            EXPECT_FALSE(panel->IsMinimised()) << panel->GetLabel();
        }
    }

    // Each page ends with the logo panel after its command panels.
    for (size_t p = 0; p < ribbon->GetPageCount(); ++p) {
        const wxWindowList &panels = ribbon->GetPage(int(p))->GetChildren();
        ASSERT_FALSE(panels.empty());
        EXPECT_TRUE(panels.back()->GetChildren().empty()) << "the logo panel holds no buttons";
    }

    // Any dialog a command opens is cancelled; clicks must be handled by the
    // frame, not fall through.
    DialogAnswerer cancel(wxID_CANCEL);
    for (long id : expected) {
        if (id == CorvaneFrame::ID_RIBBON_COLOR)
            continue; // a drop-down: its menu is checked below
        EXPECT_TRUE(ClickRibbonButton(ribbon, id)) << "button " << id;
    }
    // Another sender may put any object in the event, or none.
    for (wxObject *object : {static_cast<wxObject *>(ribbon), static_cast<wxObject *>(frame), (wxObject *)nullptr}) {
        wxRibbonButtonBarEvent click(wxEVT_RIBBONBUTTONBAR_CLICKED, int(CorvaneFrame::ID_RIBBON_ABOUT));
        click.SetEventObject(object);
        EXPECT_TRUE(frame->GetEventHandler()->ProcessEvent(click));
    }

    // The ribbon's own help button greets the user.
    DialogAnswerer ok(wxID_OK);
    wxRibbonBarEvent help(wxEVT_RIBBONBAR_HELP_CLICK, int(CorvaneFrame::ID_RIBBONBAR));
    help.SetEventObject(ribbon);
    EXPECT_TRUE(frame->GetEventHandler()->ProcessEvent(help));
    ASSERT_EQ(1u, ok.shown.size());
    EXPECT_EQ("Welcome to Corvane.", ok.shown[0].message);
    EXPECT_EQ("About", ok.shown[0].title);
}

// ---- Render loop --------------------------------------------------------------------------

TEST_F(FrameTest, IdleEventsRenderTheModelViewAndLeaveTheHiddenSectionViewAlone)
{
    osgViewer::Viewer *model = frame->GetModelViewer();
    osgViewer::Viewer *section = frame->GetSectionViewer();
    ASSERT_NE(nullptr, model);
    ASSERT_NE(nullptr, section);
    EXPECT_EQ(osgViewer::ViewerBase::SingleThreaded, model->getThreadingModel());
    EXPECT_EQ(osgViewer::ViewerBase::SingleThreaded, section->getThreadingModel());

    model->requestRedraw();
    const unsigned before = FrameNumber(model);
    PumpWithIdleFor(200);
    const unsigned after = FrameNumber(model);
    EXPECT_GT(after, before) << "the model view was not rendered on idle";
    EXPECT_EQ(0u, FrameNumber(section)) << "the hidden section view was rendered";

    // Frames keep coming as long as the view asks for them.
    model->requestContinuousUpdate(true);
    const unsigned start = FrameNumber(model);
    PumpWithIdleFor(500);
    EXPECT_GE(FrameNumber(model) - start, 10u) << "rendering is not continuous";
    model->requestContinuousUpdate(false);

    // Once its pane is shown, the section view renders too.
    frame->GetAuiManager()->GetPane("PaneSection").Show();
    frame->GetAuiManager()->Update();
    ASSERT_TRUE(PumpWithIdleUntil([&] { return frame->GetSectionCanvas()->IsShownOnScreen(); }));
    section->requestRedraw();
    EXPECT_TRUE(PumpWithIdleUntil([&] { return FrameNumber(section) > 0; }));
}

TEST_F(FrameTest, AFrameIsNeverDrawnWhileTheModelSceneIsLocked)
{
    osgViewer::Viewer *model = frame->GetModelViewer();
    osg::ref_ptr<FrameClock> clock = new FrameClock;
    model->getCamera()->setFinalDrawCallback(clock.get());
    model->requestContinuousUpdate(true);
    ASSERT_TRUE(PumpWithIdleUntil([&] {
        std::lock_guard<std::mutex> guard(clock->lock);
        return clock->times.size() >= 3;
    }));

    // Another thread changes the scene for a while, as the scene functions
    // do under the same mutex.
    std::atomic<bool> locked{false};
    std::chrono::steady_clock::time_point lockedAt, unlockedAt;
    std::thread changer([&] {
        SceneLockModel();
        lockedAt = std::chrono::steady_clock::now();
        locked = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        unlockedAt = std::chrono::steady_clock::now();
        SceneUnlockModel();
    });
    while (!locked)
        std::this_thread::yield();
    PumpWithIdleFor(500);
    changer.join();
    model->requestContinuousUpdate(false);

    std::lock_guard<std::mutex> guard(clock->lock);
    int during = 0, afterwards = 0;
    for (const auto &time : clock->times) {
        if (time > lockedAt && time < unlockedAt)
            ++during;
        if (time > unlockedAt)
            ++afterwards;
    }
    EXPECT_EQ(0, during);
    EXPECT_GT(afterwards, 0) << "rendering did not resume after the scene was unlocked";
    model->getCamera()->setFinalDrawCallback(nullptr);
}

// ---- Tasks and closing ----------------------------------------------------------------------

TEST_F(FrameTest, ProgressIsShownOnlyWhenItsPercentChanges)
{
    StatusView *status = frame->GetStatusView();
    auto send = [&](wxEventType type, int total, int current, const wxString &message) {
        TaskThreadEvent event(type, total, current, message, 0, nullptr, nullptr, nullptr);
        frame->GetEventHandler()->ProcessEvent(event);
    };

    send(EVT_TASK_START, 0, 0, "");
    EXPECT_EQ(0, status->GetProgressPercent());
    EXPECT_EQ("", status->GetProgressMessage());

    send(EVT_TASK_PROGRESS, 99, 50, "Importing project...");
    EXPECT_EQ(50, status->GetProgressPercent());
    EXPECT_EQ("Importing project...", status->GetProgressMessage());

    // 100 of 199 is 50 % again: the panel keeps what it shows.
    send(EVT_TASK_PROGRESS, 199, 100, "Importing road...");
    EXPECT_EQ(50, status->GetProgressPercent());
    EXPECT_EQ("Importing project...", status->GetProgressMessage());

    // The last step of a task stays below 100 %.
    send(EVT_TASK_PROGRESS, 199, 199, "Importing road...");
    EXPECT_EQ(99, status->GetProgressPercent());
    EXPECT_EQ("Importing road...", status->GetProgressMessage());

    send(EVT_TASK_FINISH, 0, 0, "");
    EXPECT_EQ(0, status->GetProgressPercent());
    EXPECT_EQ("", status->GetProgressMessage());
    EXPECT_FALSE(frame->IsTaskRunning());
}

TEST_F(FrameTest, ClosingIsRefusedWhileATaskRunsAndLeavesNoThreadBehind)
{
    // A frame closed before the update check of its start has been answered:
    // that check is a running task.  (Two frames at once would share the
    // scene, which the program never does.)
    frame->Destroy();
    frame = nullptr;
    PumpWithIdleFor(50);
    DialogAnswerer ok(wxID_OK);
    CorvaneFrame *busy = new CorvaneFrame(nullptr, wxID_ANY);
    busy->Show();
    ASSERT_TRUE(busy->IsTaskRunning());
    EXPECT_FALSE(busy->Close());
    ASSERT_EQ(1u, ok.shown.size());
    EXPECT_EQ("Task is still running,please wait...", ok.shown[0].message);
    EXPECT_EQ("Warning", ok.shown[0].title);
    EXPECT_TRUE(ok.shown[0].style & wxICON_EXCLAMATION);
    EXPECT_TRUE(busy->IsShown());

    // Once the check has finished, the window closes and the thread is gone.
    ASSERT_TRUE(PumpWithIdleUntil([&] { return !busy->IsTaskRunning(); }, 20000));
    bool destroyed = false;
    busy->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent &event) {
        if (event.GetEventObject() == busy)
            destroyed = true;
        event.Skip();
    });
    EXPECT_TRUE(busy->Close());
    EXPECT_TRUE(PumpWithIdleUntil([&] { return destroyed; }));
    EXPECT_EQ(1u, ok.shown.size()) << "a close without a task asks nothing";
    EXPECT_TRUE(PumpWithIdleUntil([] { return !TaskThread::HasCurrentTask(); }, 20000));
}

TEST_F(FrameTest, ACloseThatCannotBeRefusedWaitsForTheTaskToEnd)
{
    frame->Destroy();
    frame = nullptr;
    PumpWithIdleFor(50);
    // An update server that takes the connection and never answers keeps
    // the start-up check running for its timeout.
    SilentServer server;
    ASSERT_GT(server.port, 0);
    wxConfigBase *saved = wxConfigBase::Set(new wxMemoryConfig);
    wxConfigBase::Get()->Write(UpdateRequest::HOST_KEY, "127.0.0.1");
    wxConfigBase::Get()->Write(UpdateRequest::PORT_KEY, long(server.port));
    wxConfigBase::Get()->Write(UpdateRequest::TIMEOUT_KEY, 2L);
    DialogAnswerer ok(wxID_OK);
    CorvaneFrame *busy = new CorvaneFrame(nullptr, wxID_ANY);
    delete wxConfigBase::Set(saved);
    busy->Show();
    ASSERT_TRUE(busy->IsTaskRunning());
    PumpWithIdleFor(200);
    ASSERT_TRUE(TaskThread::HasCurrentTask());
    // The session ends: the close is forced while the update check runs.
    // The task's events were queued to this frame, so its thread must be
    // gone before the frame goes.
    EXPECT_TRUE(busy->Close(true));
    EXPECT_FALSE(TaskThread::HasCurrentTask());
    ASSERT_EQ(1u, ok.shown.size());
    EXPECT_EQ("Task is still running,please wait...", ok.shown[0].message);
    PumpWithIdleFor(100);
    EXPECT_EQ(nullptr, wxWindow::FindWindowById(CorvaneFrame::ID_PANEL_MODEL)) << "the frame is still there";
}

// ---- View and colour modes -------------------------------------------------------------------

TEST_F(FrameTest, StartsInThreeDWithHeightColoursAndTheDefaultClassTable)
{
    EXPECT_EQ(VIEW_3D, frame->GetModelViewMode());
    EXPECT_EQ(VIEW_FRONT, frame->GetSectionViewMode());
    EXPECT_EQ(COLOR_HEIGHT, frame->GetModelColorMode());
    EXPECT_EQ(COLOR_HEIGHT, frame->GetSectionColorMode());
    EXPECT_EQ(SECTION_IDLE, frame->GetSectionMode());
    EXPECT_FLOAT_EQ(2.0f, frame->GetPointSize());
    EXPECT_EQ(nullptr, frame->GetCurrentSection());

    EXPECT_NE(nullptr, dynamic_cast<osgGA::TrackballManipulator *>(frame->GetModelViewer()->getCameraManipulator()));
    EXPECT_NE(nullptr, dynamic_cast<OrthoManipulator *>(frame->GetSectionViewer()->getCameraManipulator()));
    double fovy = 0, aspect = 0, zNear = 0, zFar = 0;
    ASSERT_TRUE(frame->GetModelViewer()->getCamera()->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar));
    EXPECT_NEAR(30.0, fovy, 1e-6);
    const wxSize size = frame->GetModelCanvas()->GetClientSize();
    EXPECT_NEAR(double(size.GetWidth()) / size.GetHeight(), aspect, 1e-6);
    EXPECT_EQ(osg::Vec4(0, 0, 0, 1), frame->GetModelViewer()->getCamera()->getClearColor());
    // Neither view drops what looks small: single section points, far tiles.
    EXPECT_FALSE(frame->GetSectionViewer()->getCamera()->getCullingMode() & osg::CullSettings::SMALL_FEATURE_CULLING);
    EXPECT_FALSE(frame->GetModelViewer()->getCamera()->getCullingMode() & osg::CullSettings::SMALL_FEATURE_CULLING);

    const ClassificationColorTable &table = frame->GetClassificationColorTable();
    for (int code = 0; code < 32; ++code) {
        EXPECT_EQ(code <= 6 ? 1 : 0, table.visible[code]) << "class " << code;
        const bool transparent = code == 7 || code == 8 || code == 12 || code >= 17;
        EXPECT_EQ(transparent ? 0.0f : 1.0f, table.colors[code][3]) << "class " << code;
    }
    EXPECT_FLOAT_EQ(0.4f, table.colors[2][0]);
    EXPECT_FLOAT_EQ(0.0f, table.colors[2][2]);
    EXPECT_FLOAT_EQ(0.8f, table.colors[16][1]);
}

TEST_F(FrameTest, ModelViewModeInstallsANewCameraOnlyWhenTheModeChanges)
{
    osgViewer::Viewer *viewer = frame->GetModelViewer();
    osgGA::CameraManipulator *first = viewer->getCameraManipulator();
    frame->SetModelViewMode(VIEW_3D);
    EXPECT_EQ(first, viewer->getCameraManipulator()) << "the active mode was installed again";

    frame->SetModelViewMode(VIEW_FRONT);
    EXPECT_EQ(VIEW_FRONT, frame->GetModelViewMode());
    auto *front = dynamic_cast<OrthoManipulator *>(viewer->getCameraManipulator());
    ASSERT_NE(nullptr, front);
    EXPECT_EQ(nullptr, dynamic_cast<SideManipulator *>(front));

    frame->SetModelViewMode(VIEW_SIDE);
    EXPECT_NE(nullptr, dynamic_cast<SideManipulator *>(viewer->getCameraManipulator()));

    frame->SetModelViewMode(VIEW_3D);
    EXPECT_NE(nullptr, dynamic_cast<osgGA::TrackballManipulator *>(viewer->getCameraManipulator()));
    double fovy = 0, aspect = 0, zNear = 0, zFar = 0;
    EXPECT_TRUE(viewer->getCamera()->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar));
    EXPECT_NEAR(30.0, fovy, 1e-6);

    // An unknown mode is kept but leaves the camera as it is.
    osgGA::CameraManipulator *trackball = viewer->getCameraManipulator();
    frame->SetModelViewMode(7);
    EXPECT_EQ(7, frame->GetModelViewMode());
    EXPECT_EQ(trackball, viewer->getCameraManipulator());
}

TEST_F(FrameTest, SectionViewModeWaitsForASectionAndComesFromItsMenu)
{
    osgViewer::Viewer *viewer = frame->GetSectionViewer();
    osgGA::CameraManipulator *first = viewer->getCameraManipulator();
    EXPECT_TRUE(SendMenu(frame, CorvaneFrame::ID_MENU_VIEW_SIDE));
    EXPECT_EQ(VIEW_SIDE, frame->GetSectionViewMode());
    EXPECT_EQ(first, viewer->getCameraManipulator()) << "no section is current";

    MenuState menu = Read(frame->CreateViewModeMenu());
    EXPECT_EQ((std::vector<wxString>{"Front view", "Side view", "3D view"}), menu.labels);
    EXPECT_EQ(std::vector<wxString>{"Side view"}, menu.checked);

    EXPECT_TRUE(SendMenu(frame, CorvaneFrame::ID_MENU_VIEW_3D));
    EXPECT_EQ(VIEW_3D, frame->GetSectionViewMode());
    EXPECT_EQ(std::vector<wxString>{"3D view"}, Read(frame->CreateViewModeMenu()).checked);
}

TEST_F(FrameTest, ResizingTheModelViewReturnsTheThreeDCameraHomeAndLeavesTheFrontViewAlone)
{
    osgViewer::Viewer *viewer = frame->GetModelViewer();
    OSGCanvas *canvas = frame->GetModelCanvas();
    viewer->home();
    const osg::Matrixd home = viewer->getCameraManipulator()->getMatrix();
    viewer->getCameraManipulator()->setByMatrix(home * osg::Matrixd::translate(50, 0, 0));
    ASSERT_FALSE(home == viewer->getCameraManipulator()->getMatrix());
    SendSize(canvas);
    EXPECT_TRUE(home == viewer->getCameraManipulator()->getMatrix());

    frame->SetModelViewMode(VIEW_FRONT);
    PumpWithIdleFor(50);
    osgGA::CameraManipulator *front = viewer->getCameraManipulator();
    SendSize(canvas);
    double left, right, bottom, top, zNear, zFar;
    EXPECT_TRUE(viewer->getCamera()->getProjectionMatrixAsOrtho(left, right, bottom, top, zNear, zFar))
        << "a resize in front view put the perspective back";
    EXPECT_EQ(front, viewer->getCameraManipulator());
}

TEST_F(FrameTest, ColourMenusCheckTheActiveModeAndTheirChoicesTakeEffect)
{
    MenuState model = Read(frame->CreateModelColorMenu());
    EXPECT_EQ((std::vector<wxString>{"RGB", "Intensity", "Height value", "Classification"}), model.labels);
    EXPECT_EQ(std::vector<wxString>{"Height value"}, model.checked);
    MenuState section = Read(frame->CreateSectionColorMenu());
    EXPECT_EQ((std::vector<wxString>{"RGB", "Intensity", "Offset value", "Classification"}), section.labels);
    EXPECT_EQ(std::vector<wxString>{"Offset value"}, section.checked);

    EXPECT_TRUE(SendMenu(frame, CorvaneFrame::ID_MENU_COLOR_INTENSITY));
    EXPECT_EQ(COLOR_INTENSITY, frame->GetModelColorMode());
    EXPECT_EQ(COLOR_HEIGHT, frame->GetSectionColorMode());
    EXPECT_EQ(std::vector<wxString>{"Intensity"}, Read(frame->CreateModelColorMenu()).checked);

    EXPECT_TRUE(SendMenu(frame, CorvaneFrame::ID_MENU_SECTION_COLOR_RGB));
    EXPECT_EQ(COLOR_RGB, frame->GetSectionColorMode());
    EXPECT_EQ(COLOR_INTENSITY, frame->GetModelColorMode());
    EXPECT_EQ(std::vector<wxString>{"RGB"}, Read(frame->CreateSectionColorMenu()).checked);

    // An out-of-range mode checks the last entry, as classification does.
    frame->SetColorMode(9);
    EXPECT_EQ(std::vector<wxString>{"Classification"}, Read(frame->CreateModelColorMenu()).checked);
}

TEST_F(FrameTest, ANewModelColourRedrawsTheShownCloudsAndTheSameColourDoesNot)
{
    TempDir dir;
    lasgen::CorridorSpec spec;
    spec.points = 20000;
    spec.length = 60.0;
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, dir.file("corridor.las"), &error)) << error;
    ASSERT_TRUE(wks_create_project(g_workspace, 0, dir.file("colours.qpj").c_str()));
    velmo_t *cloud = wks_import_velmo(g_workspace, dir.file("corridor.las").c_str(), nullptr);
    ASSERT_NE(nullptr, cloud);
    SceneShowCloud(cloud, frame->GetModelColorMode());
    ASSERT_EQ(1u, SceneRoot->getNumChildren());
    EXPECT_EQ(COLOR_HEIGHT, ShownCloudColourMode());
    osg::ref_ptr<osg::Node> shown = SceneRoot->getChild(0);

    frame->SetColorMode(COLOR_HEIGHT);
    ASSERT_EQ(1u, SceneRoot->getNumChildren());
    EXPECT_EQ(shown.get(), SceneRoot->getChild(0)) << "the same colour reloaded the cloud";

    frame->SetColorMode(COLOR_RGB);
    ASSERT_EQ(1u, SceneRoot->getNumChildren());
    EXPECT_NE(shown.get(), SceneRoot->getChild(0)) << "the cloud kept its old group";
    EXPECT_EQ(COLOR_RGB, ShownCloudColourMode());
    EXPECT_EQ(COLOR_RGB, frame->GetModelColorMode());

    // The tiles come through the reader plug-in, found beside the program.
    AppAddPluginLibraryPath();
    frame->GetModelViewer()->home();
    PumpWithIdleFor(500);
    // A new workspace, perhaps while tiles are still being read, leaves
    // nothing of the old one in either view.
    frame->ResetWorkspace();
    EXPECT_EQ(0u, SceneRoot->getNumChildren());
    EXPECT_EQ(SceneRoot.get(), frame->GetModelViewer()->getSceneData());
    EXPECT_EQ(SectionViewRoot.get(), frame->GetSectionViewer()->getSceneData());
    PumpWithIdleFor(100);
}
