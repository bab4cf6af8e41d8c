// The surveyor's section work through the main frame: making a section
// current, measuring points and distances with mouse and keys, saving and
// reopening, widths and point size, the tree's section commands, picking in
// the model view and the section's own files.  Needs a display (Xvfb).
#include "SectionViewTestSupport.h"

#include "OrthoManipulator.h"
#include "SceneObjects.h"
#include "SectionToolDialog.h"
#include "SideManipulator.h"
#include "c_notation.h"
#include "toolkit_decimal_comma_locale.h"

#include <osg/Geode>
#include <osg/Geometry>

#include <wx/aui/framemanager.h>
#include <wx/bmpbuttn.h>
#include <wx/propgrid/propgrid.h>
#include <wx/treelist.h>
#include <wx/textctrl.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

using namespace sectionview;

namespace {

// Number of (distance, height) pairs of one station of an HDM file: its
// left and right lines, or -1 when the station is not there.
int HdmPairs(const std::string &path, const std::string &station)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line != station)
            continue;
        int total = 0;
        for (int side = 0; side < 2 && std::getline(in, line); ++side)
            total += std::atoi(line.c_str());
        return total;
    }
    return -1;
}

std::vector<double> Numbers(const wxString &text)
{
    std::vector<double> values;
    std::stringstream in(text.ToStdString());
    std::string part;
    while (std::getline(in, part, ','))
        values.push_back(std::atof(part.c_str()));
    return values;
}

// The strip lies inside the section view, 4 pixels in from its corner,
// with every control it shows inside the strip and no button but the
// least-used two left out.
void ExpectStripInsideTheView(CorvaneFrame *frame, const std::string &when)
{
    SCOPED_TRACE(when);
    SectionToolDialog *tool = frame->GetSectionTool();
    wxWindow *canvas = frame->GetSectionCanvas();
    ASSERT_TRUE(tool->IsShown());
    const wxRect view(canvas->GetScreenPosition(), canvas->GetClientSize());
    const wxRect strip = tool->GetScreenRect();
    EXPECT_TRUE(view.Contains(strip)) << "view " << view.x << "," << view.y << " " << view.width << "x"
                                      << view.height << ", strip " << strip.x << "," << strip.y << " "
                                      << strip.width << "x" << strip.height;
    EXPECT_EQ(view.GetTopLeft() + wxPoint(4, 4), strip.GetTopLeft());
    const wxRect inside(wxPoint(0, 0), tool->GetClientSize());
    int buttons = 0;
    for (wxWindow *child : tool->GetChildren()) {
        if (!child->IsShown())
            continue;
        buttons += dynamic_cast<wxBitmapButton *>(child) != nullptr;
        EXPECT_TRUE(inside.Contains(child->GetRect())) << child->GetName() << " is cut off";
    }
    EXPECT_GE(buttons, 6);
}

} // namespace

// ---- Current section -------------------------------------------------------------------------

TEST_F(SectionViewTest, MeasureMakesASectionCurrentWithItsPaneToolWindowAndName)
{
    section_t *section = Latitude(1);
    ASSERT_TRUE(section);
    MakeCurrent(section);
    EXPECT_EQ(section, frame->GetCurrentSection());
    EXPECT_GT(CountOf(section->points), 100u);
    EXPECT_TRUE(frame->GetAuiManager()->GetPane(frame->GetSectionCanvas()).IsShown());
    EXPECT_EQ(wxString::FromUTF8(section->name), Status(2));
    EXPECT_EQ(VIEW_FRONT, frame->GetModelViewMode());
    EXPECT_TRUE(dynamic_cast<OrthoManipulator *>(frame->GetSectionViewer()->getCameraManipulator()));

    SectionToolDialog *tool = frame->GetSectionTool();
    ASSERT_TRUE(tool);
    EXPECT_TRUE(tool->IsShown());
    PumpWithIdleFor(200);
    EXPECT_EQ(frame->GetSectionCanvas()->GetScreenPosition() + wxPoint(4, 4), tool->GetPosition());
    EXPECT_EQ(frame->GetSectionCanvas()->GetClientSize().GetWidth() - 8, tool->GetSize().GetWidth());
    auto *width = dynamic_cast<wxTextCtrl *>(tool->FindWindow(SectionToolDialog::ID_TEXTCTRL3));
    ASSERT_TRUE(width);
    EXPECT_EQ("40", width->GetValue());

    // The read-out under the mouse is in the section's own coordinates.
    const velmo_point_t *p = PointNearU(section, 0.0f);
    wxMouseEvent motion(wxEVT_MOTION);
    motion.SetPosition(MouseAt(*p));
    frame->GetSectionCanvas()->GetEventHandler()->ProcessEvent(motion);
    const std::vector<double> read = Numbers(Status(0));
    ASSERT_EQ(3u, read.size());
    // Within a pixel or two of the point.
    EXPECT_NEAR(p->u, read[0], 0.2);
    EXPECT_NEAR(p->v, read[1], 0.2);

    // Without a current section the view and the status are empty again.
    frame->SetCurrentSection(nullptr);
    EXPECT_EQ(nullptr, frame->GetCurrentSection());
    EXPECT_EQ("", Status(2));
    EXPECT_EQ(VIEW_3D, frame->GetModelViewMode());
}

namespace {

// Vertices of the points the section view draws.
size_t ShownPointCount()
{
    if (SectionPointsGroup->getNumChildren() == 0)
        return 0;
    osg::Geode *geode = SectionPointsGroup->getChild(0)->asGeode();
    const osg::Geometry *points = geode ? geode->getDrawable(0)->asGeometry() : nullptr;
    return points && points->getVertexArray() ? points->getVertexArray()->getNumElements() : 0;
}

} // namespace

// Only the section on show holds its points; each section opened again, by
// the tree or after a change of its thickness, shows all of its points.
TEST_F(SectionViewTest, OnlyTheShownSectionHoldsItsPointsAndEachShowsThemAllWhenOpened)
{
    section_t *first = Latitude(0), *second = Latitude(1);
    MakeCurrent(first);
    const size_t firstCount = CountOf(first->points);
    ASSERT_GT(firstCount, 100u);
    EXPECT_EQ(firstCount, ShownPointCount());
    MakeCurrent(second);
    EXPECT_EQ(0u, CountOf(first->points)) << "a section no longer shown gives up its points";
    EXPECT_EQ(CountOf(second->points), ShownPointCount());
    MakeCurrent(first);
    EXPECT_EQ(firstCount, CountOf(first->points));
    EXPECT_EQ(firstCount, ShownPointCount());
    EXPECT_EQ(0u, CountOf(second->points));

    for (double thickness : {2.0, 0.4, 1.0}) {
        ASSERT_TRUE(frame->SetSectionOffset(thickness));
        ASSERT_TRUE(WaitForTasks());
        DrawSectionView();
        EXPECT_EQ(CountOf(first->points), ShownPointCount()) << thickness;
    }
    EXPECT_EQ(firstCount, CountOf(first->points)) << "back at its first thickness";

    frame->SetCurrentSection(nullptr);
    EXPECT_EQ(0u, CountOf(first->points));
    EXPECT_EQ(0u, ShownPointCount());
}

// Under a German locale the read-outs and properties keep decimal points:
// "1,50,2,30,3,10" could not be told apart into its three coordinates.
TEST_F(SectionViewTest, ReadOutsKeepTheirDecimalPointsUnderADecimalCommaLocale)
{
    section_t *section = Latitude(1);
    MakeCurrent(section);
    const velmo_point_t *p = PointNearU(section, 0.0f);
    wxString point, distance;
    {
        ToolkitDecimalCommaLocale locale;
        ASSERT_DECIMAL_COMMA_LOCALE(locale);
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(MouseAt(*p));
        frame->GetSectionCanvas()->GetEventHandler()->ProcessEvent(motion);
        point = Status(0);
        Key('W');
        LeftClick(MouseAt(-6.0f, p->v, 0.0f));
        LeftClick(MouseAt(0.0f, p->v, 0.0f));
        distance = Status(1);
        frame->ShowProperties(nullptr, nullptr, section);
        wxPGProperty *width = frame->GetPropertyGrid()->GetProperty(_("Width"));
        ASSERT_TRUE(width);
        EXPECT_EQ(wxString(velmo::c_number_text(section->width_range[1] - section->width_range[0], 2)),
                  width->GetValueAsString());
    }
    const std::vector<double> read = Numbers(point);
    ASSERT_EQ(3u, read.size()) << point;
    EXPECT_NEAR(p->u, read[0], 0.2) << point;
    EXPECT_NEAR(p->v, read[1], 0.2) << point;
    double length = 0;
    EXPECT_TRUE(distance.StartsWith("Distance:") && distance.Mid(9).ToCDouble(&length)) << distance;
    EXPECT_NEAR(6.0, length, 0.2) << distance;
}

// Names are UTF-8 whatever the locale: under the C locale, which cannot
// convert them, a Chinese name still shows in the status bar, the tree and
// the property grid.
TEST_F(SectionViewTest, AChineseSectionNameShowsEverywhereUnderTheCLocale)
{
    section_t *section = Latitude(1);
    ASSERT_TRUE(section);
    const std::string name = "\xE6\x96\xAD\xE9\x9D\xA2" "1";
    std::snprintf(section->name, sizeof section->name, "%s", name.c_str());
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    frame->UpdateWorkspaceTree();
    MakeCurrent(section);
    frame->ShowProperties(nullptr, nullptr, section);
    const wxString status = Status(2);
    bool inTree = false;
    wxTreeListCtrl *tree = frame->GetWorkspaceTree();
    for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item))
        inTree = inTree || tree->GetItemText(item) == wxString::FromUTF8(name);
    wxPGProperty *shown = frame->GetPropertyGrid()->GetProperty(_("Name"));
    std::setlocale(LC_CTYPE, saved.c_str());
    EXPECT_EQ(wxString::FromUTF8(name), status);
    EXPECT_TRUE(inTree);
    ASSERT_TRUE(shown);
    EXPECT_EQ(wxString::FromUTF8(name), shown->GetValueAsString());
}

TEST_F(SectionViewTest, DoubleClickInTheModelViewPicksTheSectionUnderTheMouse)
{
    MakeCurrent(Latitude(0));
    ASSERT_EQ(VIEW_FRONT, frame->GetModelViewMode());
    osgViewer::Viewer *model = frame->GetModelViewer();
    model->requestRedraw();
    const unsigned before = FrameNumber(model);
    ASSERT_TRUE(PumpWithIdleUntil([&] { return FrameNumber(model) > before; }));

    section_t *target = Latitude(2);
    osg::Camera *camera = model->getCamera();
    osg::Matrixd matrix = camera->getViewMatrix() * camera->getProjectionMatrix();
    matrix.postMult(camera->getViewport()->computeWindowMatrix());
    const osg::Vec3d window = osg::Vec3d(target->center[0], target->center[1], target->center[2]) * matrix;
    wxMouseEvent click(wxEVT_LEFT_DCLICK);
    click.SetPosition(wxPoint(int(window.x()), int(camera->getViewport()->height() - window.y())));
    frame->GetModelCanvas()->GetEventHandler()->ProcessEvent(click);
    ASSERT_TRUE(frame->IsTaskRunning());
    // A second double click while the pick runs starts nothing more, and
    // says why.
    TaskThread *running = frame->GetRunningTask();
    {
        DialogAnswerer boxes(wxID_OK);
        frame->GetModelCanvas()->GetEventHandler()->ProcessEvent(click);
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_EQ("Task is running...", boxes.shown[0].message);
    }
    EXPECT_EQ(running, frame->GetRunningTask());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(target, frame->GetCurrentSection());
    EXPECT_GT(CountOf(target->points), 100u);
    EXPECT_EQ(wxString::FromUTF8(target->name), Status(2));
}

// ---- Measuring points ------------------------------------------------------------------------

TEST_F(SectionViewTest, MeasuredDeletedAndUndonePointsAreSavedReopenedAndExported)
{
    section_t *section = Latitude(1);
    MakeCurrent(section);
    Key('A');
    EXPECT_EQ(SECTION_MEASURE_POINT, frame->GetSectionMode());
    const float us[3] = {-8.0f, 0.0f, 8.0f};
    for (float u : us)
        LeftClick(MouseAt(*PointNearU(section, u)));
    ASSERT_EQ(3u, CountOf(section->measurements));
    // A drag of two pixels is not a click.
    LeftClick(MouseAt(*PointNearU(section, 4.0f)), false, wxPoint(2, 0));
    LeftClick(MouseAt(*PointNearU(section, 4.0f)), false, wxPoint(0, -2));
    EXPECT_EQ(3u, CountOf(section->measurements));
    // A click far from every point picks nothing.
    LeftClick(wxPoint(2, 2));
    EXPECT_EQ(3u, CountOf(section->measurements));

    // One step of undo.
    Key(WXK_BACK);
    EXPECT_EQ(2u, CountOf(section->measurements));
    Key(WXK_BACK);
    EXPECT_EQ(2u, CountOf(section->measurements));

    // Delete a measured point, and take the deletion back.
    Key('d');
    EXPECT_EQ(SECTION_DELETE_POINT, frame->GetSectionMode());
    LeftClick(MouseAt(*PointAt(section->measurements, 0)));
    EXPECT_EQ(1u, CountOf(section->measurements));
    Key(WXK_BACK);
    EXPECT_EQ(2u, CountOf(section->measurements));

    // Shift makes a free point where the mouse is, in the front view.
    Key('A');
    const velmo_point_t *ground = PointNearU(section, 5.0f);
    LeftClick(MouseAt(5.0f, ground->v + 1.0f, 0.0f), true);
    ASSERT_EQ(3u, CountOf(section->measurements));
    bool found = false;
    for (size_t i = 0; i < 3; ++i) {
        const velmo_point_t *m = PointAt(section->measurements, i);
        if (std::fabs(m->u - 5.0f) < 0.1f && std::fabs(m->v - (ground->v + 1.0f)) < 0.1f)
            found = true;
    }
    EXPECT_TRUE(found);

    // A right click leaves the mode, which saves.
    RightClick(wxPoint(10, 10));
    EXPECT_EQ(SECTION_IDLE, frame->GetSectionMode());
    OpenProject();
    section = Latitude(1);
    ASSERT_TRUE(section);
    EXPECT_EQ(3u, CountOf(section->measurements));

    const std::string hdm = dir.file("ground.HDM");
    const int options[3] = {1, 0, 0};
    ASSERT_NE(0, wks_export_latitude_sections(g_workspace, hdm.c_str(), options));
    EXPECT_EQ(3, HdmPairs(hdm, "40.000"));
}

TEST_F(SectionViewTest, MeasurementsOfAnOpenModeOutliveOpeningAProjectAndClosingTheProgram)
{
    section_t *section = Latitude(0);
    MakeCurrent(section);
    Key('A');
    LeftClick(MouseAt(*PointNearU(section, -3.0f)));
    // Add, add, undo: the first addition is still a change to save.
    LeftClick(MouseAt(*PointNearU(section, 3.0f)));
    Key(WXK_BACK);
    ASSERT_EQ(1u, CountOf(section->measurements));
    OpenProject();
    section = Latitude(0);
    EXPECT_EQ(1u, CountOf(section->measurements));

    MakeCurrent(section);
    Key('A');
    LeftClick(MouseAt(*PointNearU(section, 6.0f)));
    ASSERT_EQ(2u, CountOf(section->measurements));
    frame->Close(true);
    PumpWithIdleFor(100);
    frame = nullptr;
    g_mainFrame = nullptr;
    SceneDestroy();
    SceneInit();
    ASSERT_NE(0, wks_open_project(g_workspace, project.c_str()));
    EXPECT_EQ(2u, CountOf(Latitude(0)->measurements));
}

// ---- Measuring distances ---------------------------------------------------------------------

TEST_F(SectionViewTest, DistanceLiesInTheViewPlaneAndItsMenuKeepsTheReadOut)
{
    section_t *section = Latitude(1);
    MakeCurrent(section);
    Key('W');
    EXPECT_EQ(SECTION_MEASURE_DISTANCE, frame->GetSectionMode());
    const velmo_point_t *ground = PointNearU(section, 0.0f);
    LeftClick(MouseAt(-6.0f, ground->v, 0.0f));
    EXPECT_EQ("Distance:0.00", Status(1));
    LeftClick(MouseAt(0.0f, ground->v, 0.0f));
    LeftClick(MouseAt(0.0f, ground->v + 3.0f, 0.0f));
    const std::vector<velmo_point_t> &points = frame->GetDistancePoints();
    ASSERT_EQ(3u, points.size());
    double sum = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(0.0f, points[i].w);
        if (i > 0)
            sum += std::hypot(points[i].u - points[i - 1].u, points[i].v - points[i - 1].v);
    }
    EXPECT_NEAR(9.0, sum, 0.2);
    const wxString shown = Status(1);
    EXPECT_EQ(wxString::Format("Distance:%.2f", sum), shown);

    menus.clear();
    RightClick(wxPoint(20, 20));
    ASSERT_EQ(1u, menus.size());
    EXPECT_EQ("Measure", menus[0].title);
    EXPECT_EQ((std::vector<wxString>{"Back", "Clear", "Quit"}), menus[0].items);
    Menu(CorvaneFrame::ID_MENU_MEASURE_BACK);
    EXPECT_EQ(2u, frame->GetDistancePoints().size());
    Menu(CorvaneFrame::ID_MENU_MEASURE_CLEAR);
    EXPECT_TRUE(frame->GetDistancePoints().empty());
    Menu(CorvaneFrame::ID_MENU_MEASURE_BACK);
    EXPECT_EQ(shown, Status(1));

    // Entering the mode again starts a new distance.
    LeftClick(MouseAt(-6.0f, ground->v, 0.0f));
    Key('W');
    EXPECT_TRUE(frame->GetDistancePoints().empty());

    // In the side view the points keep the first one's height axis value.
    Key('2');
    EXPECT_EQ(VIEW_SIDE, frame->GetSectionViewMode());
    EXPECT_TRUE(dynamic_cast<SideManipulator *>(frame->GetSectionViewer()->getCameraManipulator()));
    DrawSectionView();
    LeftClick(MouseAt(-4.0f, ground->v, 0.2f));
    LeftClick(MouseAt(4.0f, ground->v, -0.3f));
    ASSERT_EQ(2u, frame->GetDistancePoints().size());
    EXPECT_EQ(frame->GetDistancePoints()[0].v, frame->GetDistancePoints()[1].v);
    Menu(CorvaneFrame::ID_MENU_MEASURE_QUIT);
    EXPECT_EQ(SECTION_IDLE, frame->GetSectionMode());
    EXPECT_TRUE(frame->GetDistancePoints().empty());
}

// The distance and the coordinates read out belong to the section shown:
// none outlives it, and the next section starts with none.
TEST_F(SectionViewTest, TheReadOutsOfASectionGoWithIt)
{
    const std::string created = (dir.path() / "created.qpj").string();
    const std::vector<std::pair<const char *, std::function<void()>>> goings = {
        {"another section opened", [this] { MakeCurrent(Latitude(2)); }},
        {"the section deleted",
         [this] {
             DialogAnswerer yes(wxID_OK);
             ShowMenuOf(frame->GetCurrentSection());
             Menu(CorvaneFrame::ID_MENU_DELETE_SECTION);
         }},
        {"the project opened again", [this] { OpenProject(); }},
        {"a project created",
         [&] {
             script->answers.push_back({wxString::FromUTF8(created), 0});
             Click(CorvaneFrame::ID_RIBBON_NEW);
             EXPECT_TRUE(WaitForTasks());
         }},
    };
    for (const auto &[what, going] : goings) {
        SCOPED_TRACE(what);
        section_t *section = Latitude(1);
        ASSERT_NE(nullptr, section);
        MakeCurrent(section);
        Key('W');
        const velmo_point_t *ground = PointNearU(section, 0.0f);
        LeftClick(MouseAt(-6.0f, ground->v, 0.0f));
        LeftClick(MouseAt(0.0f, ground->v, 0.0f));
        SendMouse(frame->GetSectionCanvas(), wxEVT_MOTION, wxPoint(40, 40));
        ASSERT_FALSE(Status(0).empty());
        ASSERT_FALSE(Status(1).empty());
        going();
        EXPECT_TRUE(Status(0).empty()) << Status(0);
        EXPECT_TRUE(Status(1).empty()) << Status(1);
    }
}

// ---- Widths and point size -------------------------------------------------------------------

TEST_F(SectionViewTest, KeysStepWidthThicknessAndPointSizeAndTheToolWindowFollows)
{
    section_t *section = Latitude(1);
    MakeCurrent(section);
    auto *widthText = dynamic_cast<wxTextCtrl *>(frame->GetSectionTool()->FindWindow(SectionToolDialog::ID_TEXTCTRL3));
    Key(WXK_LEFT);
    EXPECT_TRUE(frame->IsTaskRunning());
    // A step while the recomputation runs is computed once it ends.
    Key(WXK_LEFT);
    EXPECT_EQ("38", widthText->GetValue());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_DOUBLE_EQ(38.0, section->width_range[1] - section->width_range[0]);

    // The width stops at its smallest step, 1.
    frame->SetSectionWidth(1.5);
    ASSERT_TRUE(WaitForTasks());
    Key(WXK_LEFT);
    ASSERT_TRUE(WaitForTasks());
    EXPECT_DOUBLE_EQ(1.0, section->width_range[1] - section->width_range[0]);
    for (size_t i = 0; i < CountOf(section->points); ++i)
        ASSERT_LE(std::fabs(PointAt(section->points, i)->u), 0.51f);
    Key(WXK_LEFT);
    EXPECT_FALSE(frame->IsTaskRunning());
    EXPECT_EQ("1", widthText->GetValue());

    Key(WXK_UP);
    ASSERT_TRUE(WaitForTasks());
    EXPECT_NEAR(1.2, section->normal_range[1] - section->normal_range[0], 1e-9);
    Key(WXK_NUMPAD_ADD);
    EXPECT_EQ(3.0f, frame->GetPointSize());
    frame->SetSectionPointSize(1.0f);
    Key(WXK_NUMPAD_SUBTRACT);
    EXPECT_EQ(1.0f, frame->GetPointSize());
    frame->SetSectionPointSize(19.5f);
    Key(WXK_NUMPAD_ADD);
    EXPECT_EQ(20.0f, frame->GetPointSize());
}

// After a key the tool window shows the values in force, also where the
// step was not made.
TEST_F(SectionViewTest, KeysLeaveTheToolWindowShowingTheValuesInForce)
{
    auto text = [this](long id) {
        return dynamic_cast<wxTextCtrl *>(frame->GetSectionTool()->FindWindow(id))->GetValue();
    };
    section_t *latitude = Latitude(1);
    MakeCurrent(latitude);
    Key(WXK_LEFT);
    ASSERT_TRUE(frame->IsTaskRunning());
    Key(WXK_UP);
    ASSERT_TRUE(WaitForTasks());
    const double thickness = latitude->normal_range[1] - latitude->normal_range[0];
    EXPECT_EQ(wxString::Format("%.1f", thickness), text(SectionToolDialog::ID_TEXTCTRL2));
    EXPECT_NEAR(1.2, thickness, 1e-9);

    // A longitude section spans its chainage range: its width stays, and
    // the window says so.
    section_t *longitude = Longitude(0);
    ASSERT_TRUE(longitude);
    MakeCurrent(longitude);
    const double width = longitude->width_range[1] - longitude->width_range[0];
    for (int i = 0; i < 3; ++i)
        Key(WXK_RIGHT);
    EXPECT_EQ(wxString::Format("%.0f", width), text(SectionToolDialog::ID_TEXTCTRL3));
    EXPECT_FALSE(frame->GetSectionTool()->FindWindow(SectionToolDialog::ID_TEXTCTRL3)->IsEnabled());
    EXPECT_FALSE(frame->SetSectionWidth(5.0));
    EXPECT_FALSE(frame->IsTaskRunning());
    EXPECT_DOUBLE_EQ(width, longitude->width_range[1] - longitude->width_range[0]);
    EXPECT_NE(wxNOT_FOUND, frame->GetStatusView()->GetProgressMessage().Find("longitude"));
}

TEST_F(SectionViewTest, AChangeDuringARecomputationIsWhatTheSectionEndsWith)
{
    section_t *section = Latitude(2);
    MakeCurrent(section);
    frame->SetSectionOffset(2.0);
    ASSERT_TRUE(frame->IsTaskRunning());
    frame->SetSectionWidth(10.0);
    ASSERT_TRUE(WaitForTasks());
    EXPECT_DOUBLE_EQ(10.0, section->width_range[1] - section->width_range[0]);
    ASSERT_GT(CountOf(section->points), 0u);
    for (size_t i = 0; i < CountOf(section->points); ++i)
        ASSERT_LE(std::fabs(PointAt(section->points, i)->u), 5.01f);
}

// ---- Colours ---------------------------------------------------------------------------------

TEST_F(SectionViewTest, ClassificationAsksForTheColourTableEveryTime)
{
    MakeCurrent(Latitude(0));
    {
        DialogAnswerer cancel(wxID_CANCEL);
        Key('7');
        ASSERT_EQ(1u, cancel.shown.size());
        EXPECT_EQ("Classification color table", cancel.shown[0].title);
        EXPECT_EQ(COLOR_HEIGHT, frame->GetSectionColorMode());
    }
    {
        DialogAnswerer ok(wxID_OK);
        Menu(CorvaneFrame::ID_MENU_SECTION_COLOR_CLASSIFICATION);
        EXPECT_EQ(COLOR_CLASSIFICATION, frame->GetSectionColorMode());
        Key(WXK_NUMPAD7);
        EXPECT_EQ(2u, ok.shown.size());
    }
    Key('4');
    EXPECT_EQ(COLOR_RGB, frame->GetSectionColorMode());
}

// ---- Tree commands -----------------------------------------------------------------------------

TEST_F(SectionViewTest, ClearAndDeleteWorkOnTheSectionOfTheMenu)
{
    section_t *measured = Latitude(0);
    MakeCurrent(measured);
    Key('A');
    LeftClick(MouseAt(*PointNearU(measured, 0.0f)));
    Key(WXK_ESCAPE);
    ShowMenuOf(measured);
    ASSERT_FALSE(menus.empty());
    EXPECT_EQ((std::vector<wxString>{"Measure", "Clear", "Delete"}), menus.back().items);
    Menu(CorvaneFrame::ID_MENU_CLEAR_MEASURES);
    EXPECT_EQ(0u, CountOf(measured->measurements));
    // An undo after the clear brings nothing back.
    Key(WXK_BACK);
    EXPECT_EQ(0u, CountOf(measured->measurements));

    DialogAnswerer yes(wxID_OK);
    section_t *other = Latitude(2);
    ShowMenuOf(other);
    Menu(CorvaneFrame::ID_MENU_DELETE_SECTION);
    ASSERT_EQ(1u, yes.shown.size());
    EXPECT_EQ("Are you sure to delete selected section?", yes.shown[0].message);
    EXPECT_EQ(2u, CountOf(g_workspace->latitude_sections));
    EXPECT_EQ(measured, frame->GetCurrentSection());
    EXPECT_TRUE(frame->GetAuiManager()->GetPane(frame->GetSectionCanvas()).IsShown());

    ShowMenuOf(measured);
    Menu(CorvaneFrame::ID_MENU_DELETE_SECTION);
    EXPECT_EQ(nullptr, frame->GetCurrentSection());
    EXPECT_FALSE(frame->GetAuiManager()->GetPane(frame->GetSectionCanvas()).IsShown());
    EXPECT_FALSE(frame->GetSectionTool()->IsShown());
    EXPECT_EQ(VIEW_3D, frame->GetModelViewMode());
    EXPECT_EQ("", Status(2));
    EXPECT_EQ(0u, SectionPointsGroup->getNumChildren());

    OpenProject();
    EXPECT_EQ(1u, CountOf(g_workspace->latitude_sections));
    EXPECT_EQ(0u, CountOf(Latitude(0)->measurements));
}

TEST_F(SectionViewTest, DeletingTheCurrentSectionWhileItLoadsLeavesNothingBehind)
{
    section_t *section = Latitude(1);
    ASSERT_EQ(0u, CountOf(section->points));
    ShowMenuOf(section);
    Menu(CorvaneFrame::ID_MENU_MEASURE_SECTION);
    ASSERT_TRUE(frame->IsTaskRunning());
    DialogAnswerer yes(wxID_OK);
    Menu(CorvaneFrame::ID_MENU_DELETE_SECTION);
    EXPECT_EQ(nullptr, frame->GetCurrentSection());
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(nullptr, frame->GetCurrentSection());
    EXPECT_FALSE(SceneTableContains(SectionTable, section));
    EXPECT_EQ(0u, SectionPointsGroup->getNumChildren());
}

// ---- The current section's files ---------------------------------------------------------------

TEST_F(SectionViewTest, TheFilterPicksTheFormatOfTheCurrentSectionsFile)
{
    wxCommandEvent click(wxEVT_BUTTON);
    script->asked.clear();
    frame->OnExportSectionFile(click);
    frame->OnImportDxf(click);
    EXPECT_TRUE(script->asked.empty());

    MakeCurrent(Latitude(1));
    Key('A');
    LeftClick(MouseAt(*PointNearU(Latitude(1), 0.0f)));
    LeftClick(MouseAt(*PointNearU(Latitude(1), 5.0f)));
    Key('S');
    DialogAnswerer answers(wxID_OK);
    const std::string dat = dir.file("named.dxf");
    const std::string dxf = dir.file("section.dxf");
    script->asked.clear();
    script->answers.push_back({wxString::FromUTF8(dat), 1});
    script->answers.push_back({wxString::FromUTF8(dxf), 0});
    frame->OnExportSectionFile(click);
    frame->OnExportSectionFile(click);
    ASSERT_EQ(2u, script->asked.size());
    EXPECT_EQ("Select file to export.", script->asked[0].message);
    EXPECT_EQ("DXF file(*.dxf)|*.dxf|DAT file(*.dat)|*.dat", script->asked[0].wildcard);
    ASSERT_EQ(2u, answers.shown.size());
    EXPECT_EQ("Export file finished.", answers.shown[0].message);
    EXPECT_EQ(std::string::npos, read_bytes(dat).find("SECTION"));
    EXPECT_NE(std::string::npos, read_bytes(dxf).find("SECTION"));

    script->answers.push_back({wxString::FromUTF8(dxf), 0});
    frame->OnImportDxf(click);
    EXPECT_EQ("Select DXF file to import.", script->asked.back().message);
    EXPECT_EQ("DXF file(*.dxf)|*.dxf", script->asked.back().wildcard);
    EXPECT_EQ(1u, SectionBlueLineGroup->getNumChildren());
}

// ---- Panes -------------------------------------------------------------------------------------

TEST_F(SectionViewTest, TheToolWindowFollowsThePanesAndClosingTheSectionPaneEndsTheSection)
{
    MakeCurrent(Latitude(0));
    SectionToolDialog *tool = frame->GetSectionTool();
    wxAuiManager *aui = frame->GetAuiManager();
    auto send = [&](wxEventType type, wxWindow *window) {
        wxAuiManagerEvent event(type);
        event.SetManager(aui);
        event.SetPane(&aui->GetPane(window));
        aui->ProcessEvent(event);
    };
    send(wxEVT_AUI_PANE_MAXIMIZE, frame->GetModelCanvas());
    EXPECT_FALSE(tool->IsShown());
    send(wxEVT_AUI_PANE_RESTORE, frame->GetModelCanvas());
    PumpWithIdleFor(100);
    EXPECT_TRUE(tool->IsShown());
    send(wxEVT_AUI_PANE_MAXIMIZE, frame->GetSectionCanvas());
    EXPECT_TRUE(tool->IsShown());

    // A resized main panel moves the window with the canvas.  (The toolkit
    // keeps a window at least as wide as its controls, so the width is
    // checked where the canvas is wide enough.)
    frame->SetSize(0, 100, 1600, 900);
    PumpWithIdleFor(200);
    EXPECT_EQ(frame->GetSectionCanvas()->GetScreenPosition() + wxPoint(4, 4), tool->GetPosition());
    EXPECT_EQ(frame->GetSectionCanvas()->GetClientSize().GetWidth() - 8, tool->GetSize().GetWidth());

    send(wxEVT_AUI_PANE_CLOSE, frame->GetSectionCanvas());
    EXPECT_EQ(nullptr, frame->GetCurrentSection());
    EXPECT_FALSE(tool->IsShown());
    EXPECT_EQ(VIEW_3D, frame->GetModelViewMode());
    // Restoring another pane brings the window back only with a section.
    send(wxEVT_AUI_PANE_RESTORE, frame->GetModelCanvas());
    PumpWithIdleFor(100);
    EXPECT_FALSE(tool->IsShown());
}

TEST_F(SectionViewTest, TheToolStripStaysInsideTheSectionViewThroughMovesResizesAndFloating)
{
    MakeCurrent(Latitude(0));
    wxAuiManager *aui = frame->GetAuiManager();
    wxAuiPaneInfo &pane = aui->GetPane(frame->GetSectionCanvas());
    struct Step {
        std::string name;
        std::function<void()> act;
    };
    const std::vector<Step> steps = {
        {"wide frame", [&] { frame->SetSize(0, 100, 1600, 900); }},
        {"un-maximised to the smallest frame", [&] { frame->SetSize(200, 150, 600, 400); }},
        {"frame moved only", [&] { frame->Move(420, 260); }},
        {"middle-sized frame", [&] { frame->SetSize(50, 50, 1000, 700); }},
        {"section pane floated",
         [&] {
             pane.Float().FloatingPosition(300, 300).FloatingSize(520, 320);
             aui->Update();
         }},
        {"floating pane moved",
         [&] {
             wxWindow *floating = frame->GetSectionCanvas()->GetParent();
             floating->Move(floating->GetPosition() + wxPoint(60, 40));
         }},
        {"section pane docked again",
         [&] {
             pane.Dock().Center();
             aui->Update();
         }},
        {"section pane maximised", [&] { aui->MaximizePane(pane); aui->Update(); }},
        {"section pane restored", [&] { aui->RestorePane(pane); aui->Update(); }},
        {"frame maximised", [&] { frame->Maximize(true); }},
        {"frame restored", [&] { frame->Maximize(false); frame->SetSize(100, 100, 700, 450); }},
    };
    for (const Step &step : steps) {
        step.act();
        PumpWithIdleFor(250);
        ExpectStripInsideTheView(frame, step.name);
    }
}
