// The two road commands from the ribbon: the element editor on a road of the
// project written back to its own ".pm" in its own format and kept by the
// project, and the export of a road to either format.  File dialogs answer
// from a chooser, every other modal dialog from a script.  Needs a display.
#include "FrameTestSupport.h"

#include "FileChooser.h"
#include "MyCanvas.h"
#include "RoadElementDialog.h"
#include "RoadsDialog.h"
#include "SceneObjects.h"
#include "TreeData.h"
#include "VerticalPanel.h"
#include "V_Line.h"
#include "V_Round.h"
#include "V_StartPoint.h"
#include "lasgen.h"
#include "temp_dir.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/ribbon/bar.h>
#include <wx/treelist.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/textctrl.h>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace frametest;

namespace {

// Paths and filter indices handed out in turn; no answer is a cancel.
class ChooserScript : public FileChooser
{
public:
    struct Answer {
        wxString path;
        int filter;
    };
    std::deque<Answer> answers;
    std::vector<wxString> wildcards;

    bool AskPath(wxWindow *, const wxString &, const wxString &wildcard, long, wxString *path) override
    {
        wildcards.push_back(wildcard);
        if (answers.empty())
            return false;
        *path = answers.front().path;
        m_filter = answers.front().filter;
        answers.pop_front();
        return true;
    }
    int GetFilterIndex() const override { return m_filter; }

private:
    int m_filter = 0;
};

// Each modal dialog takes the next answer; without one it is cancelled.
class ModalScript : public wxModalDialogHook
{
public:
    using Answer = std::function<int(wxDialog *)>;
    ModalScript() { Register(); }
    ~ModalScript() override { Unregister(); }
    void Then(Answer answer) { m_answers.push_back(std::move(answer)); }
    std::vector<wxString> messages;
    std::vector<wxString> titles;

protected:
    int Enter(wxDialog *dialog) override
    {
        titles.push_back(dialog->GetTitle());
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog))
            messages.push_back(box->GetMessage());
        if (m_answers.empty())
            return wxID_CANCEL;
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer(dialog);
    }
    void Exit(wxDialog *) override {}

private:
    std::deque<Answer> m_answers;
};

void Press(wxButton *button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

wks_road_t *RoadAt(size_t index)
{
    void *item = nullptr;
    return array_get_at(g_workspace->roads, index, &item) == CC_OK ? static_cast<wks_road_t *>(item) : nullptr;
}

std::string Bytes(const std::string &path)
{
    return read_bytes(path);
}

class RoadCommandsTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (!frame)
            return;
        auto owned = std::make_unique<ChooserScript>();
        chooser = owned.get();
        frame->SetFileChooser(std::move(owned));
    }

    void Run(long id, const std::string &path)
    {
        chooser->answers.push_back({wxString::FromUTF8(path), 0});
        Click(id);
        ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 60000));
    }

    std::string WriteRoad(const std::string &name, bool weidi)
    {
        lasgen::CorridorSpec spec;
        spec.length = 80.0;
        spec.alignment = lasgen::Alignment::curved;
        road_t road;
        road_init(&road);
        lasgen::build_alignment(spec, &road);
        std::filesystem::create_directories(dir.path() / "roads");
        const std::string path = (dir.path() / "roads" / name).string();
        EXPECT_EQ(0, weidi ? road_export_weidi(&road, path.c_str()) : road_export_haidi(&road, path.c_str()));
        road_final(&road);
        return path;
    }

    // A project with a HaiDi road and a WeiDi road, in that order.
    void MakeProject()
    {
        haidi = WriteRoad("main.pm", false);
        weidi = WriteRoad("ramp.pm", true);
        Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("survey.qpj"));
        Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, haidi);
        Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, weidi);
        ASSERT_EQ(array_size(g_workspace->roads), 2u);
    }

    // Chooses road `index` in the selection dialog.
    ModalScript::Answer ChooseRoad(int index)
    {
        return [index](wxDialog *dialog) {
            auto *roads = dynamic_cast<RoadsDialog *>(dialog);
            EXPECT_NE(roads, nullptr);
            if (!roads)
                return int(wxID_CANCEL);
            roads->RoadChoice->SetSelection(index);
            return int(wxID_OK);
        };
    }

    // In the editor: a start point, a grade line and a sag curve, then the
    // close box.  The element dialogs answer from the same script.
    ModalScript::Answer BuildProfile(ModalScript &script)
    {
        return [&script](wxDialog *dialog) {
            auto *editor = dynamic_cast<RoadElementDialog *>(dialog);
            EXPECT_NE(editor, nullptr);
            if (!editor)
                return int(wxID_CANCEL);
            VerticalPanel *page = editor->VerticalPage;
            script.Then([](wxDialog *d) {
                auto &start = dynamic_cast<V_StartPoint &>(*d);
                start.MileageText->SetValue("0");
                start.HeightText->SetValue("20");
                start.SlopeText->SetValue("-1.5");
                return int(wxID_OK);
            });
            Press(page->PointButton);
            script.Then([](wxDialog *d) {
                dynamic_cast<V_Line &>(*d).FirstText->SetValue("30");
                return int(wxID_OK);
            });
            Press(page->LineButton);
            script.Then([](wxDialog *d) {
                auto &curve = dynamic_cast<V_Round &>(*d);
                curve.RadiusText->SetValue("1500");
                curve.FirstText->SetValue("50");
                curve.TurnChoice->SetSelection(1);
                return int(wxID_OK);
            });
            Press(page->CircleButton);
            return int(wxID_CANCEL);
        };
    }

    TempDir dir;
    ChooserScript *chooser = nullptr;
    std::string haidi, weidi;
};

void ExpectSameCentreLine(road_t *expected, const std::string &path, bool weidi)
{
    road_t read;
    road_init(&read);
    ASSERT_EQ(0, weidi ? road_import_weidi(&read, path.c_str()) : road_import_haidi(&read, path.c_str()));
    ASSERT_EQ(road_number_horizon(&read), road_number_horizon(expected));
    for (int i = 0; i < road_number_horizon(&read); ++i) {
        EXPECT_EQ(road_horizon(&read, i)->type, road_horizon(expected, i)->type);
        EXPECT_NEAR(road_horizon(&read, i)->length, road_horizon(expected, i)->length, 1e-3);
        EXPECT_NEAR(road_horizon(&read, i)->end_x, road_horizon(expected, i)->end_x, 2e-3);
    }
    road_final(&read);
}

} // namespace

TEST_F(RoadCommandsTest, EditedProfileGoesBackToItsFileAndOutlivesTheProject)
{
    MakeProject();
    std::filesystem::remove(haidi);
    ModalScript script;

    // Closing the editor without a change writes nothing.
    script.Then(ChooseRoad(0));
    script.Then([](wxDialog *) { return int(wxID_CANCEL); });
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    EXPECT_EQ(script.titles, (std::vector<wxString>{"Road selection", "Road elements"}));
    EXPECT_FALSE(std::filesystem::exists(haidi));

    script.Then(ChooseRoad(0));
    script.Then(BuildProfile(script));
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    EXPECT_TRUE(script.messages.empty()) << script.messages.front();
    wks_road_t *road = RoadAt(0);
    ASSERT_EQ(road_number_vertical(&road->road), 3);
    ASSERT_TRUE(std::filesystem::exists(haidi));
    EXPECT_NE(Bytes(haidi).rfind("HINTCAD", 0), 0u) << "written back as HaiDi";
    ExpectSameCentreLine(&road->road, haidi, false);
    EXPECT_EQ(SceneRoot->getNumChildren(), 2u) << "both roads shown once";

    // The WeiDi road stays WeiDi.
    script.Then(ChooseRoad(1));
    script.Then(BuildProfile(script));
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    EXPECT_EQ(Bytes(weidi).rfind("HINTCAD5.83_PM_SHUJU_PM", 0), 0u);

    // Closed and opened again, the project has the same profile, and the
    // design elevation along the road is the edited one.
    const vertical_element_t curve = *road_vertical(&road->road, 2);
    double before = 0.0;
    ASSERT_GE(road_l2h(&road->road, 55.0, &before, nullptr), 0);
    Run(CorvaneFrame::ID_RIBBON_OPEN, dir.file("survey.qpj"));
    ASSERT_EQ(array_size(g_workspace->roads), 2u);
    road = RoadAt(0);
    ASSERT_EQ(road_number_vertical(&road->road), 3);
    const vertical_element_t &reopened = *road_vertical(&road->road, 2);
    EXPECT_EQ(reopened.type, VERTICAL_CURVE);
    EXPECT_EQ(reopened.turn, 1);
    EXPECT_DOUBLE_EQ(reopened.radius, curve.radius);
    EXPECT_DOUBLE_EQ(reopened.end_elevation, curve.end_elevation);
    double after = 0.0;
    ASSERT_GE(road_l2h(&road->road, 55.0, &after, nullptr), 0);
    EXPECT_DOUBLE_EQ(after, before);
    EXPECT_EQ(road_number_vertical(&RoadAt(1)->road), 3);
}

TEST_F(RoadCommandsTest, FailedWriteBackIsReportedAndTheProjectStillKeepsTheProfile)
{
    MakeProject();
    // The road's folder went away while the project was open.
    std::filesystem::rename(dir.path() / "roads", dir.path() / "moved");
    ModalScript script;
    script.Then(ChooseRoad(0));
    script.Then(BuildProfile(script));
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].Contains("could not be written")) << script.messages[0];
    EXPECT_FALSE(std::filesystem::exists(haidi));

    std::filesystem::rename(dir.path() / "moved", dir.path() / "roads");
    Run(CorvaneFrame::ID_RIBBON_OPEN, dir.file("survey.qpj"));
    EXPECT_EQ(road_number_vertical(&RoadAt(0)->road), 3);
}

TEST_F(RoadCommandsTest, ExportWritesTheChosenFormatThatImportsAgain)
{
    MakeProject();
    ModalScript script;
    const std::string asWeidi = dir.file("out weidi.pm");
    const std::string asHaidi = dir.file("out haidi.pm");

    script.Then([](wxDialog *dialog) {
        auto &roads = dynamic_cast<RoadsDialog &>(*dialog);
        EXPECT_FALSE(roads.CreateButton->IsEnabled());
        roads.RoadChoice->SetSelection(0);
        return int(wxID_OK);
    });
    chooser->answers.push_back({wxString::FromUTF8(asWeidi), 1});
    script.Then([](wxDialog *) { return int(wxID_OK); });
    Click(CorvaneFrame::ID_RIBBON_EXPORT_ROAD);
    EXPECT_EQ(chooser->wildcards.back(), "Haidi road file(*.pm)|*.pm|Weidi road file(*.pm)|*.pm");
    ASSERT_EQ(script.messages, std::vector<wxString>{"Export road file finished."});
    EXPECT_EQ(Bytes(asWeidi).rfind("HINTCAD5.83_PM_SHUJU_PM", 0), 0u);
    ExpectSameCentreLine(&RoadAt(0)->road, asWeidi, true);

    script.Then(ChooseRoad(1));
    chooser->answers.push_back({wxString::FromUTF8(asHaidi), 0});
    script.Then([](wxDialog *) { return int(wxID_OK); });
    Click(CorvaneFrame::ID_RIBBON_EXPORT_ROAD);
    ExpectSameCentreLine(&RoadAt(1)->road, asHaidi, false);

    // The exported file imports as a road with the same elements.
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, asWeidi);
    ASSERT_EQ(array_size(g_workspace->roads), 3u);
    EXPECT_EQ(RoadAt(2)->format, 1);
    ExpectSameCentreLine(&RoadAt(0)->road, asWeidi, true);

    // Into a missing folder: said so, nothing written.
    const std::string nowhere = dir.file("missing/out.pm");
    script.Then(ChooseRoad(0));
    chooser->answers.push_back({wxString::FromUTF8(nowhere), 0});
    script.Then([](wxDialog *) { return int(wxID_OK); });
    Click(CorvaneFrame::ID_RIBBON_EXPORT_ROAD);
    EXPECT_TRUE(script.messages.back().Contains("could not be written")) << script.messages.back();
}

// A road made with "Create" shows in the tree ticked and in the model view,
// as an imported one does, whether the surveyor then cancels or edits it.
TEST_F(RoadCommandsTest, CreatedRoadIsTickedAndDrawnAsAnImportedOne)
{
    MakeProject();
    ModalScript script;
    // What "Create" does with a new file name; a file dialog that is not
    // shown gives back no name.
    const auto createThen = [this](const std::string &name, int answer) {
        return [this, name, answer](wxDialog *dialog) {
            auto &roads = dynamic_cast<RoadsDialog &>(*dialog);
            EXPECT_NE(nullptr, wks_create_road(g_workspace, dir.file(name).c_str()));
            roads.FillRoads();
            return answer;
        };
    };
    const auto tickOf = [this](wks_road_t *road) {
        wxTreeListCtrl *tree = frame->GetWorkspaceTree();
        for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item)) {
            auto *data = dynamic_cast<TreeData *>(tree->GetItemData(item));
            if (data && data->GetRoad() == road)
                return tree->GetCheckedState(item);
        }
        return wxCHK_UNDETERMINED;
    };

    // Created, then the selection dialog cancelled.
    script.Then(createThen("centre.pm", wxID_CANCEL));
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    ASSERT_EQ(array_size(g_workspace->roads), 3u) << (script.messages.empty() ? "" : script.messages[0]);
    EXPECT_TRUE(SceneTableContains(RoadTable, RoadAt(2)));
    EXPECT_EQ(tickOf(RoadAt(2)), wxCHK_CHECKED);

    // Created, then opened in the editor and closed unchanged.
    script.Then(createThen("ramp2.pm", wxID_OK));
    script.Then([](wxDialog *) { return int(wxID_CANCEL); });
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    ASSERT_EQ(array_size(g_workspace->roads), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(SceneTableContains(RoadTable, RoadAt(i))) << i;
        EXPECT_EQ(tickOf(RoadAt(i)), wxCHK_CHECKED) << i;
    }
}

// "Create" on a road file that is there already adds the file as it is: no
// question about replacing it, which it never does.
TEST_F(RoadCommandsTest, CreateOnAnExistingRoadFileAsksNothingAndKeepsTheFile)
{
    MakeProject();
    const std::string kept = WriteRoad("kept.pm", false);
    const std::string before = Bytes(kept);
    ModalScript script;
    chooser->answers.push_back({wxString::FromUTF8(kept), 0});
    script.Then([](wxDialog *dialog) {
        Press(dynamic_cast<RoadsDialog &>(*dialog).CreateButton);
        return int(wxID_CANCEL);
    });
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    // Nothing is asked; the surveyor is only told the file was read as it is.
    ASSERT_EQ(1u, script.messages.size());
    EXPECT_NE(wxNOT_FOUND, wxString(script.messages.front()).Find("already holds a road")) << script.messages.front();
    ASSERT_EQ(array_size(g_workspace->roads), 3u);
    EXPECT_EQ(std::string(RoadAt(2)->path), kept);
    EXPECT_EQ(Bytes(kept), before);
}

// Editing a road tells how many of its sections now lie off it, and moves
// none of them; a road without sections, or an edit that changes nothing,
// says nothing.
TEST_F(RoadCommandsTest, EditingARoadWithSectionsSaysTheyStayWhereTheyWere)
{
    MakeProject();
    ModalScript script;
    script.Then(ChooseRoad(0));
    script.Then(BuildProfile(script));
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    EXPECT_TRUE(script.messages.empty());

    wks_road_t *road = RoadAt(0);
    const double latitude[] = {10.0, 0.0, 20.0, 0.0, 30.0, 0.0};
    const double longitude[] = {5.0, 60.0};
    ASSERT_EQ(3, wks_generate_road_latitude_sections(g_workspace, road, 3, latitude, 1.0, 20.0));
    ASSERT_EQ(1, wks_generate_road_longitude_sections(g_workspace, road, 1, longitude, 1.0));
    // A custom section across the road is the surveyor's own, not the road's.
    const double centre[3] = {road_horizon(&road->road, 0)->start_y, road_horizon(&road->road, 0)->start_x, 0.0};
    const double normal[3] = {1.0, 0.0, 0.0}, up[3] = {0.0, 0.0, 1.0}, range[2] = {-1.0, 1.0};
    ASSERT_NE(nullptr, wks_add_custom_section(g_workspace, "own", centre, normal, up, range, range));
    void *first = nullptr;
    ASSERT_EQ(CC_OK, array_get_at(g_workspace->latitude_sections, 0, &first));
    const double before[3] = {static_cast<section_t *>(first)->center[0], static_cast<section_t *>(first)->center[1],
                              static_cast<section_t *>(first)->center[2]};

    script.Then(ChooseRoad(0));
    script.Then([](wxDialog *) { return int(wxID_CANCEL); });
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    EXPECT_TRUE(script.messages.empty()) << "nothing was changed";

    script.Then(ChooseRoad(0));
    script.Then(BuildProfile(script));
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].StartsWith("4 sections were generated on this road.")) << script.messages[0];
    EXPECT_TRUE(script.messages[0].Contains("former place")) << script.messages[0];
    EXPECT_EQ(array_size(g_workspace->latitude_sections), 3u);
    EXPECT_EQ(array_size(g_workspace->longitude_sections), 1u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<section_t *>(first)->center[i], before[i]) << i;
}

TEST_F(RoadCommandsTest, GuardsAndCancelsChangeNothing)
{
    ModalScript script;
    // No project: nothing is asked, and each command says why.
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    Click(CorvaneFrame::ID_RIBBON_EXPORT_ROAD);
    EXPECT_EQ(script.titles, (std::vector<wxString>{"Warning", "Warning"}));
    EXPECT_TRUE(chooser->wildcards.empty());
    script.titles.clear();
    script.messages.clear();

    MakeProject();
    const std::string before = Bytes(haidi);
    // Cancel in the selection dialog, in the export's file dialog.
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    script.Then(ChooseRoad(0));
    Click(CorvaneFrame::ID_RIBBON_EXPORT_ROAD);
    EXPECT_EQ(script.titles.size(), 2u);
    EXPECT_EQ(Bytes(haidi), before);
    EXPECT_EQ(road_number_vertical(&RoadAt(0)->road), 0);

    // While a task runs both commands refuse with the busy message.
    chooser->answers.push_back({wxString::FromUTF8(dir.file("survey.qpj")), 0});
    Click(CorvaneFrame::ID_RIBBON_OPEN);
    // No event is handled before the clicks, so the open's finish is not either.
    ASSERT_TRUE(frame->IsTaskRunning());
    Click(CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS);
    Click(CorvaneFrame::ID_RIBBON_EXPORT_ROAD);
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0], TaskThread::BusyMessage());
    EXPECT_EQ(script.messages[1], TaskThread::BusyMessage());
    ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 60000));
}
