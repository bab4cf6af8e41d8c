// The model view under the mouse: the coordinate read-out and the double
// click that picks a section, in the 3-D view from several camera positions,
// and the model colour menu while a task runs.  Needs a display (Xvfb).
#include "SectionViewTestSupport.h"

#include "SceneManager.h"

#include <osgGA/CameraManipulator>

#include <cmath>
#include <cstdio>

using namespace sectionview;

namespace {

class ModelViewPickTest : public SectionViewTest
{
protected:
    // Looks from eye at the workspace centre in the 3-D view and draws a frame.
    void LookFrom(const osg::Vec3d &offset)
    {
        double centre[3];
        wks_get_center(g_workspace, centre);
        const osg::Vec3d target(centre[0], centre[1], g_workspace->base_elevation);
        osgViewer::Viewer *model = frame->GetModelViewer();
        model->getCameraManipulator()->setByInverseMatrix(
            osg::Matrixd::lookAt(target + offset, target, osg::Vec3d(0, 0, 1)));
        model->requestRedraw();
        const unsigned before = FrameNumber(model);
        ASSERT_TRUE(PumpWithIdleUntil([&] { return FrameNumber(model) > before; }));
    }

    // A point of the section's line as the model view draws it: u across,
    // at the base elevation.
    static osg::Vec3d OnDrawnLine(section_t *section, float u)
    {
        velmo_point_t point = {};
        point.u = u;
        point.v = float(g_workspace->base_elevation);
        section_rev_proj_point(section, &point);
        return osg::Vec3d(point.x, point.y, point.z);
    }

    wxPoint ModelMouseAt(const osg::Vec3d &world) const
    {
        osg::Camera *camera = frame->GetModelViewer()->getCamera();
        osg::Matrixd matrix = camera->getViewMatrix() * camera->getProjectionMatrix();
        matrix.postMult(camera->getViewport()->computeWindowMatrix());
        const osg::Vec3d window = world * matrix;
        return wxPoint(int(std::lround(window.x())), int(camera->getViewport()->height() - std::lround(window.y())));
    }

    void SendToModel(wxEventType type, const wxPoint &at)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        frame->GetModelCanvas()->GetEventHandler()->ProcessEvent(event);
    }

    bool InModelView(const wxPoint &at) const
    {
        const wxSize size = frame->GetModelCanvas()->GetClientSize();
        return at.x > 10 && at.y > 10 && at.x < size.x - 10 && at.y < size.y - 10;
    }

    static std::vector<double> ReadOut(const wxString &text)
    {
        std::vector<double> values;
        double x, y, z;
        if (std::sscanf(text.utf8_string().c_str(), "%lf,%lf,%lf", &x, &y, &z) == 3)
            values = {x, y, z};
        return values;
    }

    const std::vector<osg::Vec3d> cameras = {
        {0, -60, 40}, {55, 45, 30}, {-70, 10, 25}, {8, -6, 110}, {-30, -80, 12}};
};

} // namespace

TEST_F(ModelViewPickTest, ADoubleClickOnASectionsDrawnLinePicksThatSectionFromAnyCamera)
{
    for (const osg::Vec3d &camera : cameras) {
        for (size_t index = 0; index < 3; ++index) {
            for (float u : {-12.0f, 9.0f}) {
                frame->SetCurrentSection(nullptr);
                ASSERT_EQ(VIEW_3D, frame->GetModelViewMode());
                LookFrom(camera);
                section_t *section = Latitude(index);
                const wxPoint at = ModelMouseAt(OnDrawnLine(section, u));
                ASSERT_TRUE(InModelView(at)) << camera.x() << "," << camera.y() << " u " << u;
                SendToModel(wxEVT_LEFT_DCLICK, at);
                ASSERT_TRUE(frame->IsTaskRunning()) << section->name << " from " << camera.x() << "," << camera.y();
                ASSERT_TRUE(WaitForTasks());
                EXPECT_EQ(section, frame->GetCurrentSection())
                    << section->name << " at u " << u << " from " << camera.x() << "," << camera.y() << ","
                    << camera.z() << " picked "
                    << (frame->GetCurrentSection() ? frame->GetCurrentSection()->name : "nothing");
            }
        }
    }
}

TEST_F(ModelViewPickTest, ADoubleClickAwayFromEveryLinePicksNothing)
{
    section_t *current = Latitude(2);
    MakeCurrent(current);
    frame->SetModelViewMode(VIEW_3D);
    for (const osg::Vec3d &camera : cameras) {
        LookFrom(camera);
        // Halfway between the lines at 20 m and 40 m, and off the corridor.
        const osg::Vec3d between = (OnDrawnLine(Latitude(0), 10.0f) + OnDrawnLine(Latitude(1), 10.0f)) * 0.5;
        const osg::Vec3d off = OnDrawnLine(Latitude(1), 10.0f) * 2.0 - OnDrawnLine(Latitude(0), 10.0f) +
                               (OnDrawnLine(Latitude(0), 10.0f) - OnDrawnLine(Latitude(0), -10.0f)) * 3.0;
        for (const osg::Vec3d &point : {between, off}) {
            SendToModel(wxEVT_LEFT_DCLICK, ModelMouseAt(point));
            EXPECT_FALSE(frame->IsTaskRunning()) << camera.x() << "," << camera.y();
            ASSERT_TRUE(WaitForTasks());
            EXPECT_EQ(current, frame->GetCurrentSection()) << camera.x() << "," << camera.y();
        }
    }
}

TEST_F(ModelViewPickTest, TheReadOutGivesTheDrawnPointUnderTheMouseOrNothing)
{
    // Without the clouds only the road and section lines are drawn, at the
    // base elevation.
    for (size_t i = 0; i < array_size(g_workspace->clouds); ++i) {
        void *cloud = nullptr;
        array_get_at(g_workspace->clouds, i, &cloud);
        SceneHideCloud(static_cast<velmo_t *>(cloud));
    }
    for (const osg::Vec3d &camera : cameras) {
        LookFrom(camera);
        for (float u : {-14.0f, 6.0f}) {
            const osg::Vec3d point = OnDrawnLine(Latitude(1), u);
            SendToModel(wxEVT_MOTION, ModelMouseAt(point));
            const std::vector<double> read = ReadOut(Status(0));
            ASSERT_EQ(3u, read.size()) << "\"" << Status(0) << "\" from " << camera.x() << "," << camera.y();
            // Within a pixel's footprint of the point.
            const double pixel = (camera.length() + 30.0) * 0.002;
            EXPECT_NEAR(point.x(), read[0], pixel) << camera.x() << "," << camera.y();
            EXPECT_NEAR(point.y(), read[1], pixel) << camera.x() << "," << camera.y();
            EXPECT_NEAR(point.z(), read[2], pixel) << camera.x() << "," << camera.y();
        }
        // Where nothing is drawn nothing is read out.
        const osg::Vec3d empty = (OnDrawnLine(Latitude(0), 10.0f) + OnDrawnLine(Latitude(1), 10.0f)) * 0.5;
        SendToModel(wxEVT_MOTION, ModelMouseAt(empty));
        EXPECT_EQ("", Status(0)) << camera.x() << "," << camera.y();
    }
}

TEST_F(ModelViewPickTest, TheModelColourIsRefusedWhileATaskRuns)
{
    DialogAnswerer boxes(wxID_OK);
    ShowMenuOf(Latitude(0));
    Menu(CorvaneFrame::ID_MENU_MEASURE_SECTION);
    ASSERT_TRUE(frame->IsTaskRunning());
    const int before = frame->GetModelColorMode();
    const long other = before == COLOR_RGB ? CorvaneFrame::ID_MENU_COLOR_INTENSITY : CorvaneFrame::ID_MENU_COLOR_RGB;
    Menu(other);
    EXPECT_EQ(before, frame->GetModelColorMode());
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ("Task is running...", boxes.shown[0].message);
    EXPECT_EQ("Error", boxes.shown[0].title);
    ASSERT_TRUE(WaitForTasks());
    Menu(other);
    EXPECT_NE(before, frame->GetModelColorMode());
    EXPECT_EQ(1u, boxes.shown.size());
}
