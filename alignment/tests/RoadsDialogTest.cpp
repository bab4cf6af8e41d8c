// Road selection and the road element editor on the roads of a real project
// in the workspace.
#include "VerticalTestSupport.h"
#include "HorizonPanel.h"
#include "MyCanvas.h"
#include "RoadElementDialog.h"
#include "RoadsDialog.h"
#include "SceneManager.h"
#include "VerticalPanel.h"
#include "V_StartPoint.h"
#include "temp_dir.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <fstream>

using namespace vertest;

namespace {

const char STRAIGHT_ROAD[] = "NE\n0.0000 1000.0000 2000.0000 45D00F00M\nZ L500.0000\n";

// The file question answered from the test: an empty answer is a cancel.
class AnsweredRoadsDialog : public RoadsDialog
{
public:
    explicit AnsweredRoadsDialog(wxString answer) : RoadsDialog(nullptr), m_answer(std::move(answer)) {}
    int asked = 0;

protected:
    bool ChooseNewRoadFile(wxString *path) override
    {
        ++asked;
        *path = m_answer;
        return !m_answer.empty();
    }

private:
    wxString m_answer;
};

void PressCreate(RoadsDialog &dialog)
{
    wxCommandEvent create(wxEVT_BUTTON, RoadsDialog::ID_BUTTON1);
    create.SetEventObject(dialog.CreateButton);
    dialog.CreateButton->GetEventHandler()->ProcessEvent(create);
}

class ProjectRoads : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure())
            return;
        SceneInit();
        dir = std::make_unique<TempDir>();
        ASSERT_TRUE(wks_create_project(g_workspace, 0, dir->file("survey.qpj").c_str()));
    }
    void TearDown() override
    {
        if (g_workspace)
            SceneDestroy();
        dir.reset();
    }

    wks_road_t *ImportRoad(const std::string &name)
    {
        std::filesystem::create_directories(dir->path() / "roads");
        const std::string path = (dir->path() / "roads" / name).string();
        std::ofstream(path) << STRAIGHT_ROAD;
        return wks_import_road(g_workspace, path.c_str(), 0);
    }
    std::vector<wxString> Choices(const RoadsDialog &dialog) const
    {
        std::vector<wxString> names;
        for (unsigned i = 0; i < dialog.RoadChoice->GetCount(); ++i)
            names.push_back(dialog.RoadChoice->GetString(i));
        return names;
    }
    void PressOk(RoadsDialog &dialog)
    {
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        ok.SetEventObject(dialog.OkButton);
        dialog.OkButton->GetEventHandler()->ProcessEvent(ok);
    }

    std::unique_ptr<TempDir> dir;
};

} // namespace

TEST_F(ProjectRoads, ListsFileNamesInWorkspaceOrderWithTheLastChosen)
{
    ASSERT_TRUE(ImportRoad("main.pm"));
    ASSERT_TRUE(ImportRoad("ramp A.pm"));
    ASSERT_TRUE(ImportRoad("link.pm"));
    RoadsDialog dialog(nullptr);
    EXPECT_EQ(Choices(dialog), (std::vector<wxString>{"main.pm", "ramp A.pm", "link.pm"}));
    EXPECT_EQ(dialog.RoadChoice->GetSelection(), 2);
    EXPECT_TRUE(dialog.CreateButton->IsEnabled());
}

TEST_F(ProjectRoads, CreateAddsTheRoadSavesTheProjectAndSelectsIt)
{
    ASSERT_TRUE(ImportRoad("main.pm"));
    const std::string created = dir->file("new road.pm");
    AnsweredRoadsDialog dialog(wxString::FromUTF8(created));
    PressCreate(dialog);
    EXPECT_EQ(dialog.asked, 1);
    EXPECT_EQ(Choices(dialog), (std::vector<wxString>{"main.pm", "new road.pm"}));
    EXPECT_EQ(dialog.RoadChoice->GetSelection(), 1);
    ASSERT_EQ(array_size(g_workspace->roads), 2u);
    // The project file lists the new road at once.
    SceneDestroy();
    SceneInit();
    ASSERT_TRUE(wks_open_project(g_workspace, dir->file("survey.qpj").c_str()));
    EXPECT_EQ(array_size(g_workspace->roads), 2u);

    // A cancelled file dialog changes nothing.
    AnsweredRoadsDialog again((wxString()));
    PressCreate(again);
    EXPECT_EQ(again.asked, 1);
    EXPECT_EQ(again.RoadChoice->GetCount(), 2u);
    EXPECT_EQ(array_size(g_workspace->roads), 2u);
}

TEST_F(ProjectRoads, CreateRefusesFilesThatAreNotNewRoadsAndLeavesThemAsTheyWere)
{
    wks_road_t *main = ImportRoad("main.pm");
    ASSERT_TRUE(main);
    ImportRoad("side.pm");
    const std::string las = dir->file("data.las");
    std::ofstream(las, std::ios::binary) << "LASF" << std::string(300, '\0');
    const std::string junk = dir->file("notes.pm");
    std::ofstream(junk) << "shopping list\n";
    struct Refused {
        std::string path, reason;
        int selected;
    };
    const Refused refused[] = {
        {las, "is not a road file", 1},
        {junk, "is not a road file", 1},
        {main->path, "already in the project", 0},
        {(dir->path() / "roads" / "." / "main.pm").string(), "already in the project", 0},
    };
    for (const Refused &r : refused) {
        SCOPED_TRACE(r.path);
        const std::string before = read_bytes(r.path);
        DialogScript script;
        AnsweredRoadsDialog dialog(wxString::FromUTF8(r.path));
        PressCreate(dialog);
        ASSERT_EQ(script.Messages().size(), 1u);
        EXPECT_TRUE(script.Messages()[0].Contains(r.reason)) << script.Messages()[0];
        EXPECT_EQ(array_size(g_workspace->roads), 2u);
        EXPECT_EQ(dialog.RoadChoice->GetSelection(), r.selected);
        EXPECT_EQ(read_bytes(r.path), before);
    }
}

TEST_F(ProjectRoads, OkWithoutAnyRoadSaysSoAndStaysOpen)
{
    RoadsDialog dialog(nullptr);
    EXPECT_EQ(dialog.RoadChoice->GetSelection(), wxNOT_FOUND);
    DialogScript script;
    PressOk(dialog);
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_TRUE(script.Messages()[0].Contains("no road")) << script.Messages()[0];
}

TEST_F(ProjectRoads, EditorOpensOnHorizonWithTheProfileListedAndReportsChanges)
{
    wks_road_t *record = ImportRoad("main.pm");
    ASSERT_TRUE(record);
    CrestProfile(&record->road);
    {
        RoadElementDialog editor(nullptr, &record->road);
        EXPECT_EQ(editor.GetTitle(), "Road elements");
        EXPECT_EQ(editor.GetClientSize(), wxSize(800, 600));
        ASSERT_EQ(editor.ElementBook->GetPageCount(), 2u);
        EXPECT_EQ(editor.ElementBook->GetPageText(0), "Horizon");
        EXPECT_EQ(editor.ElementBook->GetPageText(1), "Vertical");
        EXPECT_EQ(editor.ElementBook->GetSelection(), 0);
        EXPECT_EQ(editor.HorizonPage->ElementList->GetItemCount(), 2);
        EXPECT_FALSE(editor.HorizonPage->PlanCanvas->GetMap().polylines.empty());
        EXPECT_EQ(editor.VerticalPage->ElementList->GetItemCount(), 4);
        EXPECT_EQ(editor.VerticalPage->ProfileCanvas->GetMap().polylines.size(), 3u);
        EXPECT_FALSE(editor.IsModified());

        editor.SetClientSize(1000, 700);
        editor.SendSizeEvent();
        PumpEventsFor(20);
        EXPECT_EQ(editor.ElementBook->GetSize(), editor.GetClientSize());
    }
    {
        RoadElementDialog editor(nullptr, &record->road);
        DialogScript script;
        script.ThenOk<V_StartPoint>([](V_StartPoint &d) { d.HeightText->SetValue("60"); });
        wxCommandEvent point(wxEVT_BUTTON, VerticalPanel::ID_BUTTON1);
        point.SetEventObject(editor.VerticalPage->PointButton);
        editor.VerticalPage->PointButton->GetEventHandler()->ProcessEvent(point);
        EXPECT_TRUE(editor.IsModified());
        EXPECT_NEAR(road_vertical(&record->road, 3)->start_elevation, 53.999520048 + 10.0, 1e-6);
    }
    {
        // A change of the plan counts as much as one of the profile.
        RoadElementDialog editor(nullptr, &record->road);
        DialogScript script;
        script.Then(wxID_YES);
        editor.HorizonPage->ElementList->Select(1);
        wxCommandEvent remove(wxEVT_BUTTON, editor.HorizonPage->DeleteButton->GetId());
        remove.SetEventObject(editor.HorizonPage->DeleteButton);
        editor.HorizonPage->DeleteButton->GetEventHandler()->ProcessEvent(remove);
        EXPECT_EQ(road_number_horizon(&record->road), 1);
        EXPECT_TRUE(editor.IsModified());
        EXPECT_FALSE(editor.VerticalPage->IsModified());
    }
}
