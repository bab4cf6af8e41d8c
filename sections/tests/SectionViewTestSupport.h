// The main frame with a small corridor project open, for the tests of the
// section view: its sections, a scripted file chooser, the pop-up menus
// recorded instead of shown, and mouse and key events sent to the canvases
// at the window position of a section point.
#pragma once

#include "FrameTestSupport.h"

#include "AppResources.h"
#include "CorvaneApp.h"
#include "FileChooser.h"
#include "SectionProject.h"
#include "StatusView.h"
#include "TreeData.h"
#include "temp_dir.h"

#include <osg/Viewport>

#include <wx/menu.h>
#include <wx/ribbon/buttonbar.h>

#include <deque>
#include <memory>

namespace sectionview {

using namespace frametest;

// What the commands asked the file dialog; answers are given in turn with
// their filter index.
struct ChooserScript {
    struct Asked {
        wxString message, wildcard;
        long style;
    };
    std::vector<Asked> asked;
    std::deque<std::pair<wxString, int>> answers;
};

class ScriptedChooser : public FileChooser
{
public:
    explicit ScriptedChooser(std::shared_ptr<ChooserScript> script) : m_script(std::move(script)) {}

    bool AskPath(wxWindow *, const wxString &message, const wxString &wildcard, long style, wxString *path) override
    {
        m_script->asked.push_back({message, wildcard, style});
        if (m_script->answers.empty())
            return false;
        *path = m_script->answers.front().first;
        m_filter = m_script->answers.front().second;
        m_script->answers.pop_front();
        return !path->empty();
    }
    int GetFilterIndex() const override { return m_filter; }

private:
    std::shared_ptr<ChooserScript> m_script;
    int m_filter = 0;
};

inline velmo_point_t *PointAt(Array *list, size_t index)
{
    void *out = nullptr;
    return list && array_get_at(list, index, &out) == CC_OK ? static_cast<velmo_point_t *>(out) : nullptr;
}

inline size_t CountOf(Array *list)
{
    return list ? array_size(list) : 0;
}

inline section_t *SectionAt(Array *list, size_t index)
{
    void *out = nullptr;
    return list && array_get_at(list, index, &out) == CC_OK ? static_cast<section_t *>(out) : nullptr;
}

class SectionViewTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (!frame)
            return;
        g_mainFrame = frame;
        script = std::make_shared<ChooserScript>();
        frame->SetFileChooser(std::make_unique<ScriptedChooser>(script));
        frame->SetMenuPopup([this](wxMenu &menu) {
            std::vector<wxString> items;
            for (wxMenuItem *item : menu.GetMenuItems())
                if (item->GetId() > 0)
                    items.push_back(item->GetItemLabelText());
            menus.push_back({menu.GetTitle(), items});
        });
        AppAddPluginLibraryPath();
        // The size of a maximised window on the virtual screen, which has no
        // window manager to maximise it.
        frame->SetSize(0, 0, 1600, 1000);
        PumpWithIdleFor(100);
        spec.longitudeFrom = 10.0;
        spec.longitudeTo = 70.0;
        std::string error;
        project = sectiontest::MakeSectionProject(dir.path().string(), spec, &error);
        ASSERT_FALSE(project.empty()) << error;
        OpenProject();
    }

    void TearDown() override
    {
        g_mainFrame = nullptr;
        FrameTest::TearDown();
    }

    void OpenProject()
    {
        script->answers.push_back({wxString::FromUTF8(project), 0});
        Click(CorvaneFrame::ID_RIBBON_OPEN);
        ASSERT_TRUE(WaitForTasks());
    }

    bool WaitForTasks(int milliseconds = 60000)
    {
        return PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, milliseconds);
    }

    section_t *Latitude(size_t index) const { return SectionAt(g_workspace->latitude_sections, index); }
    section_t *Longitude(size_t index) const { return SectionAt(g_workspace->longitude_sections, index); }

    void Menu(long id)
    {
        wxCommandEvent event(wxEVT_MENU, int(id));
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
    }

    // The tree's "Measure" on a section, and the load it starts; the
    // section view has drawn a frame of it afterwards.
    void MakeCurrent(section_t *section)
    {
        ShowMenuOf(section);
        Menu(CorvaneFrame::ID_MENU_MEASURE_SECTION);
        ASSERT_TRUE(WaitForTasks());
        DrawSectionView();
    }

    void ShowMenuOf(section_t *section)
    {
        wxTreeListCtrl *tree = frame->GetWorkspaceTree();
        for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item)) {
            auto *data = dynamic_cast<TreeData *>(tree->GetItemData(item));
            if (data && data->GetSection() == section) {
                frame->ShowTreeItemMenu(item);
                return;
            }
        }
        ADD_FAILURE() << "no tree item for the section";
    }

    void DrawSectionView()
    {
        osgViewer::Viewer *viewer = frame->GetSectionViewer();
        viewer->requestRedraw();
        const unsigned before = FrameNumber(viewer);
        PumpWithIdleUntil([&] { return FrameNumber(viewer) > before; }, 5000);
    }

    // Window position (mouse coordinates) of a section-view point.
    wxPoint MouseAt(float u, float v, float w) const
    {
        osg::Camera *camera = frame->GetSectionViewer()->getCamera();
        osg::Matrixd matrix = camera->getViewMatrix() * camera->getProjectionMatrix();
        matrix.postMult(camera->getViewport()->computeWindowMatrix());
        const osg::Vec3d window = osg::Vec3d(u, v, w) * matrix;
        return wxPoint(int(std::lround(window.x())), int(camera->getViewport()->height()) - int(std::lround(window.y())));
    }

    wxPoint MouseAt(const velmo_point_t &point) const { return MouseAt(point.u, point.v, point.w); }

    void SendMouse(wxWindow *canvas, wxEventType type, const wxPoint &at, bool shift = false)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetEventObject(canvas);
        event.m_shiftDown = shift;
        event.m_leftDown = type == wxEVT_LEFT_DOWN;
        event.m_rightDown = type == wxEVT_RIGHT_DOWN;
        canvas->GetEventHandler()->ProcessEvent(event);
    }

    void LeftClick(const wxPoint &at, bool shift = false, const wxPoint &release = wxPoint(0, 0))
    {
        wxWindow *canvas = frame->GetSectionCanvas();
        SendMouse(canvas, wxEVT_LEFT_DOWN, at, shift);
        SendMouse(canvas, wxEVT_LEFT_UP, at + release, shift);
    }

    void RightClick(const wxPoint &at)
    {
        wxWindow *canvas = frame->GetSectionCanvas();
        SendMouse(canvas, wxEVT_RIGHT_DOWN, at);
        SendMouse(canvas, wxEVT_RIGHT_UP, at);
    }

    void Key(int code)
    {
        wxWindow *canvas = frame->GetSectionCanvas();
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = code;
        event.SetEventObject(canvas);
        canvas->GetEventHandler()->ProcessEvent(event);
    }

    // The section point nearest in u to the given value.
    velmo_point_t *PointNearU(section_t *section, float u) const
    {
        velmo_point_t *best = nullptr;
        Array *points = section->points;
        for (size_t i = 0; i < CountOf(points); ++i) {
            velmo_point_t *p = PointAt(points, i);
            if (!best || std::fabs(p->u - u) < std::fabs(best->u - u))
                best = p;
        }
        return best;
    }

    wxString Status(int index) const { return frame->GetStatusView()->GetStatusText(index); }

    struct ShownMenu {
        wxString title;
        std::vector<wxString> items;
    };

    TempDir dir;
    sectiontest::ProjectSpec spec;
    std::string project;
    std::shared_ptr<ChooserScript> script;
    std::vector<ShownMenu> menus;
};

} // namespace sectionview
