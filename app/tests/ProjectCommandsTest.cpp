// The surveyor's first road through the program: a project made, LAS files
// and a road imported, the tree and the property grid read, objects hidden
// and deleted, the project closed and opened again.  The file dialogs answer
// from a script, message boxes from a modal hook.  Needs a display (Xvfb).
#include "FrameTestSupport.h"

#include "AppResources.h"
#include "FileChooser.h"
#include "StatusView.h"
#include "TreeData.h"
#include "lasgen.h"
#include "small_disk.h"
#include "las_samples.h"
#include "temp_dir.h"

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/propgrid/propgrid.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treelist.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <deque>
#include <fstream>
#include <memory>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace frametest;

namespace {

// What a command asked the file dialog, and the answers it gets in turn; an
// empty answer is a cancelled dialog.
struct DialogScript {
    struct Asked {
        wxString message, wildcard;
        long style;
    };
    std::vector<Asked> asked;
    std::deque<wxString> answers;
};

class ScriptedChooser : public FileChooser
{
public:
    explicit ScriptedChooser(std::shared_ptr<DialogScript> script) : m_script(std::move(script)) {}

    bool AskPath(wxWindow *, const wxString &message, const wxString &wildcard, long style, wxString *path) override
    {
        m_script->asked.push_back({message, wildcard, style});
        if (m_script->answers.empty())
            return false;
        *path = m_script->answers.front();
        m_script->answers.pop_front();
        return !path->empty();
    }

private:
    std::shared_ptr<DialogScript> m_script;
};

// A pop-up menu as it would have been shown: its title and item labels.
struct ShownMenu {
    wxString title;
    std::vector<wxString> items;
};

// One line per tree item below the hidden root: indentation by depth, the
// text, and "+" for a checked item.
std::vector<std::string> TreeLines(wxTreeListCtrl *tree)
{
    std::vector<std::string> lines;
    std::function<void(wxTreeListItem, int)> walk = [&](wxTreeListItem parent, int depth) {
        for (wxTreeListItem item = tree->GetFirstChild(parent); item.IsOk(); item = tree->GetNextSibling(item)) {
            const bool checked = tree->GetCheckedState(item) == wxCHK_CHECKED;
            const std::string text = tree->GetItemText(item).ToStdString();
            lines.push_back(std::string(2 * depth, ' ') + text + (checked ? " +" : ""));
            walk(item, depth + 1);
        }
    };
    walk(tree->GetRootItem(), 0);
    return lines;
}

// The item whose text is given, anywhere in the tree.
wxTreeListItem FindItem(wxTreeListCtrl *tree, const wxString &text)
{
    for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item))
        if (tree->GetItemText(item) == text)
            return item;
    return wxTreeListItem();
}

// Label and value of every row of the grid, in order.
std::vector<std::pair<std::string, std::string>> GridRows(wxPropertyGrid *grid)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (wxPropertyGridIterator it = grid->GetIterator(wxPG_ITERATE_ALL); !it.AtEnd(); ++it) {
        wxPGProperty *p = *it;
        rows.emplace_back(p->GetLabel().ToStdString(), p->IsCategory() ? "" : p->GetValueAsString().ToStdString());
    }
    return rows;
}

std::string GridValue(wxPropertyGrid *grid, const wxString &name)
{
    wxPGProperty *p = grid->GetPropertyByName(name);
    return p ? p->GetValueAsString().ToStdString() : "<none>";
}

std::string Fixed3(double value)
{
    return wxString::Format("%.3f", value).ToStdString();
}

template <typename T>
T *ItemAt(Array *list, size_t index)
{
    void *out = nullptr;
    return list && array_get_at(list, index, &out) == CC_OK ? static_cast<T *>(out) : nullptr;
}

size_t SizeOf(Array *list)
{
    return list ? array_size(list) : 0;
}

class ProjectTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (!frame)
            return;
        script = std::make_shared<DialogScript>();
        frame->SetFileChooser(std::make_unique<ScriptedChooser>(script));
        frame->SetMenuPopup([this](wxMenu &menu) {
            ShownMenu shown{menu.GetTitle(), {}};
            // The toolkit shows the title as a first, disabled entry and a
            // separator; neither is a command.
            for (wxMenuItem *item : menu.GetMenuItems())
                if (item->GetId() > 0)
                    shown.items.push_back(item->GetItemLabelText());
            menus.push_back(shown);
        });
        // Tiles come through the reader plug-in, found beside the program.
        AppAddPluginLibraryPath();
        frame->Bind(EVT_TASK_FINISH, [this](TaskThreadEvent &event) {
            finishedCodes.push_back(event.GetCode());
            event.Skip();
        });
    }


    // Answers the command's file dialog with path, clicks, and waits until
    // the task it started (if any) has finished.
    void Run(long id, const std::string &path)
    {
        script->answers.push_back(wxString::FromUTF8(path));
        Click(id);
        ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 120000));
    }

    void Menu(long id)
    {
        wxCommandEvent event(wxEVT_MENU, int(id));
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
    }

    wxTreeListCtrl *Tree() const { return frame->GetWorkspaceTree(); }

    const TreeData *DataOf(wxTreeListItem item) const
    {
        return item.IsOk() ? dynamic_cast<TreeData *>(Tree()->GetItemData(item)) : nullptr;
    }

    std::string WriteCorridor(const std::string &name, uint64_t points, lasgen::Alignment alignment)
    {
        lasgen::CorridorSpec spec;
        spec.points = points;
        spec.length = 80.0;
        spec.alignment = alignment;
        std::string error;
        const std::string path = dir.file(name);
        EXPECT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
        return path;
    }

    // The corridor's centre line as a road file of the given kind.
    std::string WriteRoad(const std::string &name, bool weidi)
    {
        lasgen::CorridorSpec spec;
        spec.length = 80.0;
        spec.alignment = lasgen::Alignment::curved;
        road_t road;
        road_init(&road);
        lasgen::build_alignment(spec, &road);
        const std::string path = dir.file(name);
        EXPECT_EQ(0, weidi ? road_export_weidi(&road, path.c_str()) : road_export_haidi(&road, path.c_str()));
        road_final(&road);
        return path;
    }

    // The file with the last field (an element's code) of one line replaced.
    static std::string WithCode(const std::string &path, size_t line, const std::string &code)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string text; std::getline(in, text);)
            lines.push_back(text);
        std::string &changed = lines.at(line - 1);
        changed = changed.substr(0, changed.find_last_of('\t') + 1) + code;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const std::string &text : lines)
            out << text << "\n";
        return path;
    }

    std::string WriteText(const std::string &name, const std::string &text)
    {
        const std::string path = dir.file(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    TempDir dir;
    std::shared_ptr<DialogScript> script;
    std::vector<ShownMenu> menus;
    std::vector<int> finishedCodes;
};

const std::vector<std::string> EMPTY_GROUPS = {"  Point cloud +", "  Road +", "  Latitude section +",
                                               "  Longitude section +", "  Custom section +"};

std::vector<std::string> WithProject(const std::string &name, std::vector<std::string> rest)
{
    rest.insert(rest.begin(), name + " +");
    return rest;
}

} // namespace

// ---- The whole road ------------------------------------------------------------------------

TEST_F(ProjectTest, CreateImportShowHideAndReopenGiveTheSameProject)
{
    DialogAnswerer boxes(wxID_OK);
    const std::string project = dir.file("survey.qpj");
    const std::string sample = las_sample("1.2-with-color.las");
    const std::string corridor = WriteCorridor("corridor.las", 60000, lasgen::Alignment::curved);
    const std::string road = WriteRoad("centre.pm", true);

    Run(CorvaneFrame::ID_RIBBON_NEW, project);
    ASSERT_EQ(1u, script->asked.size());
    EXPECT_EQ("Select project file to create.", script->asked[0].message);
    EXPECT_EQ("Corvane project file(*.qpj)|*.qpj", script->asked[0].wildcard);
    EXPECT_EQ(wxFD_SAVE, script->asked[0].style);
    ASSERT_NE(nullptr, g_workspace->project);
    EXPECT_EQ(WithProject("survey", EMPTY_GROUPS), TreeLines(Tree()));
    EXPECT_TRUE(Tree()->IsExpanded(Tree()->GetFirstChild(Tree()->GetRootItem())));

    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, sample);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, corridor);
    EXPECT_EQ("Select las file to import.", script->asked[1].message);
    EXPECT_EQ("Las file(*.las)|*.las", script->asked[1].wildcard);
    EXPECT_EQ(wxFD_OPEN, script->asked[1].style);
    ASSERT_EQ(2u, SizeOf(g_workspace->clouds));
    EXPECT_EQ(2u, SceneRoot->getNumChildren()) << "each imported cloud is shown";

    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, road);
    EXPECT_EQ("Select haidi road file to import.", script->asked[3].message);
    EXPECT_EQ("Haidi/Weidi road file(*.pm)|*.pm", script->asked[3].wildcard);
    EXPECT_EQ(wxFD_OPEN, script->asked[3].style);
    ASSERT_EQ(1u, SizeOf(g_workspace->roads));
    EXPECT_EQ(1, ItemAt<wks_road_t>(g_workspace->roads, 0)->format) << "read as WeiDi by its first bytes";
    EXPECT_EQ((std::vector<int>{TASK_OPEN_PROJECT, TASK_IMPORT_LAS, TASK_IMPORT_LAS, TASK_IMPORT_WEIDI}),
              finishedCodes);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0].message;

    const std::vector<std::string> expected = {"survey +",
                                               "  Point cloud +",
                                               "    1.2-with-color.las +",
                                               "    corridor.las +",
                                               "  Road +",
                                               "    centre.pm +",
                                               "  Latitude section +",
                                               "  Longitude section +",
                                               "  Custom section +"};
    EXPECT_EQ(expected, TreeLines(Tree()));

    // The sample cloud's rows, read from the engine's record.
    velmo_t *cloud = ItemAt<velmo_t>(g_workspace->clouds, 0);
    frame->ShowTreeItemProperties(FindItem(Tree(), "1.2-with-color.las"));
    const auto cloudRows = GridRows(frame->GetPropertyGrid());
    const std::vector<std::pair<std::string, std::string>> expectedCloud = {
        {"Point cloud", ""},
        {"Point num", std::to_string(velmo_get_point_num(cloud))},
        {"Bounding box", ""},
        {"Min X", Fixed3(cloud->box[0])},
        {"Min Y", Fixed3(cloud->box[1])},
        {"Min Z", Fixed3(cloud->box[2])},
        {"Max X", Fixed3(cloud->box[3])},
        {"Max Y", Fixed3(cloud->box[4])},
        {"Max Z", Fixed3(cloud->box[5])}};
    EXPECT_EQ(expectedCloud, cloudRows);
    EXPECT_GT(velmo_get_point_num(cloud), 1000);

    // The road's start and end points.
    wks_road_t *record = ItemAt<wks_road_t>(g_workspace->roads, 0);
    const int count = road_number_horizon(&record->road);
    ASSERT_GE(count, 2);
    const horizon_element_t *last = road_horizon(&record->road, count - 1);
    frame->ShowTreeItemProperties(FindItem(Tree(), "centre.pm"));
    wxPropertyGrid *grid = frame->GetPropertyGrid();
    EXPECT_EQ("Road line", GridRows(grid).at(0).first);
    EXPECT_EQ(std::to_string(count), GridValue(grid, "Element num"));
    EXPECT_EQ(Fixed3(road_horizon(&record->road, 0)->start_x), GridValue(grid, "start_x"));
    EXPECT_EQ(Fixed3(road_horizon(&record->road, 0)->start_chainage), GridValue(grid, "start_chain"));
    EXPECT_EQ(Fixed3(last->start_chainage + last->length), GridValue(grid, "end_chain"));
    EXPECT_EQ("80.000", GridValue(grid, "end_chain"));
    EXPECT_EQ(Fixed3(last->end_y), GridValue(grid, "end_y"));
    EXPECT_EQ(10u, GridRows(grid).size());

    // A group's selection leaves the grid as it was.
    frame->ShowTreeItemProperties(FindItem(Tree(), "Road"));
    EXPECT_EQ(10u, GridRows(grid).size());

    // Unticking hides the object in the model view, ticking shows it again.
    const wxTreeListItem corridorItem = FindItem(Tree(), "corridor.las");
    Tree()->CheckItem(corridorItem, wxCHK_UNCHECKED);
    frame->ApplyTreeItemCheck(corridorItem);
    EXPECT_EQ(2u, SceneRoot->getNumChildren()) << "one cloud and the road are left";
    Tree()->CheckItem(corridorItem, wxCHK_CHECKED);
    frame->ApplyTreeItemCheck(corridorItem);
    EXPECT_EQ(3u, SceneRoot->getNumChildren());
    const wxTreeListItem roadItem = FindItem(Tree(), "centre.pm");
    Tree()->CheckItem(roadItem, wxCHK_UNCHECKED);
    frame->ApplyTreeItemCheck(roadItem);
    EXPECT_EQ(2u, SceneRoot->getNumChildren());
    // A group's box changes nothing below it.
    const wxTreeListItem cloudGroup = FindItem(Tree(), "Point cloud");
    Tree()->CheckItem(cloudGroup, wxCHK_UNCHECKED);
    frame->ApplyTreeItemCheck(cloudGroup);
    EXPECT_EQ(2u, SceneRoot->getNumChildren());
    // A rebuild ticks exactly what the view shows, without touching the scene.
    frame->UpdateWorkspaceTree();
    std::vector<std::string> roadHidden = expected;
    roadHidden[0] = "survey";
    roadHidden[4] = "  Road";
    roadHidden[5] = "    centre.pm";
    EXPECT_EQ(roadHidden, TreeLines(Tree()));
    EXPECT_EQ(2u, SceneRoot->getNumChildren());
    PumpWithIdleFor(300);

    // Closed and opened again: the same tree, the objects loaded and shown.
    Run(CorvaneFrame::ID_RIBBON_OPEN, project);
    EXPECT_EQ("Select project file to open.", script->asked.back().message);
    EXPECT_EQ("Corvane project file(*.qpj)|*.qpj", script->asked.back().wildcard);
    EXPECT_EQ(wxFD_OPEN, script->asked.back().style);
    EXPECT_EQ(expected, TreeLines(Tree()));
    EXPECT_EQ(3u, SceneRoot->getNumChildren());
    EXPECT_EQ(1, ItemAt<wks_road_t>(g_workspace->roads, 0)->format);
    EXPECT_EQ(0u, GridRows(frame->GetPropertyGrid()).size()) << "the grid forgot the closed project";
    PumpWithIdleFor(300);
}

// ---- Guards --------------------------------------------------------------------------------

TEST_F(ProjectTest, ASecondCommandWhileATaskRunsIsRefusedWithoutADialog)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("busy.qpj"));
    const std::string corridor = WriteCorridor("corridor.las", 20000, lasgen::Alignment::straight);
    const std::string road = WriteRoad("centre.pm", false);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, road);
    const size_t asked = script->asked.size();

    script->answers.push_back(corridor);
    Click(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD);
    ASSERT_TRUE(frame->IsTaskRunning());
    script->answers.push_back(road);
    for (long id : {CorvaneFrame::ID_RIBBON_IMPORT_ROAD, CorvaneFrame::ID_RIBBON_IMPORT_CLOUD,
                    CorvaneFrame::ID_RIBBON_OPEN, CorvaneFrame::ID_RIBBON_NEW})
        Click(id);
    ASSERT_EQ(4u, boxes.shown.size());
    for (const auto &box : boxes.shown) {
        EXPECT_EQ("Task is running...", box.message);
        EXPECT_EQ("Error", box.title);
        EXPECT_EQ(wxOK | wxCENTRE | wxICON_ERROR, box.style & (wxOK | wxCENTRE | wxICON_ERROR | wxYES_NO));
    }
    EXPECT_EQ(asked + 1, script->asked.size()) << "a refused command opened its file dialog";

    // Nor does the tree offer its pop-up menu meanwhile.
    frame->ShowTreeItemMenu(FindItem(Tree(), "centre.pm"));
    EXPECT_TRUE(menus.empty());
    ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 60000));
    frame->ShowTreeItemMenu(FindItem(Tree(), "centre.pm"));
    frame->ShowTreeItemMenu(FindItem(Tree(), "corridor.las"));
    EXPECT_EQ(2u, menus.size());
    script->answers.clear();
    ASSERT_TRUE(PumpWithIdleUntil([] { return !TaskThread::HasCurrentTask(); }, 20000));
}

// Every command that works on the open project, pressed before one is
// open, says once what to do first and asks for nothing.
TEST_F(ProjectTest, ProjectCommandsWithoutAProjectSayWhatToDoFirst)
{
    DialogAnswerer boxes(wxID_OK);
    script->answers.push_back(WriteCorridor("corridor.las", 2000, lasgen::Alignment::straight));
    const long commands[] = {CorvaneFrame::ID_RIBBON_IMPORT_CLOUD,       CorvaneFrame::ID_RIBBON_IMPORT_ROAD,
                             CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS,      CorvaneFrame::ID_RIBBON_EXPORT_ROAD,
                             CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS,  CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS,
                             CorvaneFrame::ID_RIBBON_VERTICAL_SECTION,   CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION,
                             CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS};
    for (long id : commands) {
        boxes.shown.clear();
        Click(id);
        EXPECT_FALSE(frame->IsTaskRunning());
        ASSERT_EQ(1u, boxes.shown.size()) << id;
        EXPECT_EQ("No project is open. Open a project (File > Open) or create one (File > New) first.",
                  boxes.shown[0].message);
        EXPECT_EQ("Warning", boxes.shown[0].title);
    }
    EXPECT_TRUE(script->asked.empty());
}

TEST_F(ProjectTest, CancelledDialogsAndAnExistingFileLeaveTheOpenProjectAlone)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("kept.qpj"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("centre.pm", false));
    const std::vector<std::string> before = TreeLines(Tree());
    wks_t *workspace = g_workspace;
    ASSERT_EQ(1u, SizeOf(workspace->roads));

    // Cancelled dialogs.
    for (long id : {CorvaneFrame::ID_RIBBON_OPEN, CorvaneFrame::ID_RIBBON_NEW, CorvaneFrame::ID_RIBBON_IMPORT_CLOUD,
                    CorvaneFrame::ID_RIBBON_IMPORT_ROAD})
        Run(id, "");
    // Creating over an existing file, be it the open project itself.
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("kept.qpj"));
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ("Project file already exists,please delete it firstly.", boxes.shown[0].message);
    EXPECT_EQ("Error", boxes.shown[0].title);
    EXPECT_TRUE(boxes.shown[0].style & wxICON_ERROR);

    EXPECT_EQ(workspace, g_workspace) << "the workspace was reset";
    EXPECT_EQ(1u, SizeOf(g_workspace->roads));
    EXPECT_EQ(before, TreeLines(Tree()));
    EXPECT_EQ(1u, SceneRoot->getNumChildren());
}

TEST_F(ProjectTest, ALasFileAlreadyInTheProjectIsImportedAgainOnlyAfterYes)
{
    const std::string las = WriteCorridor("corridor.las", 3000, lasgen::Alignment::straight);
    const std::string link = dir.file("link.las");
    std::filesystem::create_symlink(las, link);
    {
        DialogAnswerer none(wxID_OK);
        Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("twice.qpj"));
        Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, las);
        ASSERT_TRUE(none.shown.empty());
    }
    ASSERT_EQ(1u, SizeOf(g_workspace->clouds));
    const std::vector<std::string> before = TreeLines(Tree());

    struct Again {
        std::string path;
        int answer;
        size_t clouds;
    };
    for (const Again &again : {Again{las, wxID_NO, 1}, Again{link, wxID_NO, 1}, Again{las, wxID_OK, 2}}) {
        SCOPED_TRACE(again.path);
        DialogAnswerer boxes(again.answer);
        Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, again.path);
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find("is already in the project")) << boxes.shown[0].message;
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(wxString::FromUTF8(again.path)));
        EXPECT_TRUE(boxes.shown[0].style & wxYES_NO);
        EXPECT_TRUE(boxes.shown[0].style & wxNO_DEFAULT) << "Enter answers No";
        EXPECT_EQ(again.clouds, SizeOf(g_workspace->clouds));
        if (again.clouds == 1)
            EXPECT_EQ(before, TreeLines(Tree()));
    }
}

TEST_F(ProjectTest, AProjectTheEngineRefusesSaysWhyAndLeavesTheOpenProjectOpen)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("old.qpj"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("centre.pm", false));
    ASSERT_EQ(1u, SceneRoot->getNumChildren());
    wks_t *workspace = g_workspace;
    const std::vector<std::string> before = TreeLines(Tree());
    finishedCodes.clear();

    const std::string broken = WriteText("broken.qpj", "not a project");
    const std::string missingFolder = dir.file("missing/new.qpj");
    const std::string empty = WriteText("empty.qpj", "");
    struct Attempt {
        long command;
        std::string path;
        std::string why;
    } attempts[] = {{CorvaneFrame::ID_RIBBON_OPEN, broken, "it is not a Corvane project"},
                    {CorvaneFrame::ID_RIBBON_OPEN, empty, "it is not a Corvane project"},
                    {CorvaneFrame::ID_RIBBON_OPEN, dir.file("gone.qpj"), "the file does not exist"},
                    {CorvaneFrame::ID_RIBBON_NEW, missingFolder, "check that its folder exists"}};
    for (const Attempt &attempt : attempts) {
        boxes.shown.clear();
        Run(attempt.command, attempt.path);
        ASSERT_EQ(1u, boxes.shown.size()) << attempt.path;
        EXPECT_EQ("Error", boxes.shown[0].title);
        EXPECT_TRUE(boxes.shown[0].style & wxICON_ERROR);
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(wxString::FromUTF8(attempt.path)));
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(attempt.why)) << boxes.shown[0].message;
        EXPECT_EQ(boxes.shown[0].message, frame->GetStatusView()->GetProgressLabel()) << "the status panel says it";
        // The open project is as it was.
        EXPECT_EQ(workspace, g_workspace);
        ASSERT_NE(nullptr, g_workspace->project);
        EXPECT_EQ(dir.file("old.qpj"), std::string(g_workspace->project->path));
        EXPECT_EQ(1u, SizeOf(g_workspace->roads));
        EXPECT_EQ(before, TreeLines(Tree()));
        EXPECT_EQ(1u, SceneRoot->getNumChildren());
    }
    EXPECT_TRUE(finishedCodes.empty()) << "a task was started";
    EXPECT_EQ("not a project", read_bytes(broken)) << "a refused file is left alone";
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    // Imports still go into the open project.
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("second.pm", true));
    EXPECT_EQ(2u, SizeOf(g_workspace->roads));
}

TEST_F(ProjectTest, ANewProjectTypedWithoutItsExtensionGetsIt)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("bare"));
    ASSERT_NE(nullptr, g_workspace->project);
    EXPECT_TRUE(std::filesystem::exists(dir.file("bare.qpj")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("bare")));
    // The extension counts whatever its case; an existing file is still refused.
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("upper.QPJ"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("upper.QPJ")));
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("bare"));
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ("Project file already exists,please delete it firstly.", boxes.shown[0].message);
}

TEST_F(ProjectTest, FilesTheEngineRefusesToImportSayWhyAndAddNothing)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("refusals.qpj"));
    std::string laz = las_sample_bytes("1.2-with-color.las");
    ASSERT_GT(laz.size(), 105u);
    laz[104] = char(laz[104] | 0x80); // the compressed bit of the point format
    struct Refused {
        long command;
        std::string path;
        std::string why;
    } refused[] = {
        {CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteText("text.las", "x,y,z\n1,2,3\n"), "Not a LAS file"},
        {CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteText("zero.las", ""), "LAS"},
        {CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteText("packed.las", laz), "LAZ"},
        {CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteText("packed.laz", laz), "LAZ"},
        {CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("random.pm", std::string("\x13\xf7\x00\x9a\x41", 5)),
         "road file"},
        {CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("empty.pm", ""), "road file"},
        {CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("malformed.pm", "HINTCAD5.83_PM_SHUJU_PM\n3\nbad\n"),
         "road file"},
        // Left out, the element would put every later one in the wrong place.
        {CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WithCode(WriteRoad("unknown.pm", true), 7, "5"),
         "was imported: line 7 holds an element of code 5, and a WeiDi road has only the codes 1 (straight), 3 "
         "(circular curve), 21 and 22 (transitions)."},
    };
    for (const Refused &file : refused) {
        boxes.shown.clear();
        Run(file.command, file.path);
        ASSERT_EQ(1u, boxes.shown.size()) << file.path;
        EXPECT_EQ("Error", boxes.shown[0].title);
        EXPECT_TRUE(boxes.shown[0].style & wxICON_ERROR);
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(file.why)) << boxes.shown[0].message;
        EXPECT_EQ(boxes.shown[0].message, frame->GetStatusView()->GetProgressLabel());
        EXPECT_FALSE(frame->IsTaskRunning());
    }
    EXPECT_EQ(0u, SizeOf(g_workspace->clouds));
    EXPECT_EQ(0u, SizeOf(g_workspace->roads));
    EXPECT_EQ(WithProject("refusals", EMPTY_GROUPS), TreeLines(Tree()));
    // A good file afterwards goes in without a word.
    boxes.shown.clear();
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("centre.pm", false));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(1u, SizeOf(g_workspace->roads));
}

// ---- Road files ----------------------------------------------------------------------------

TEST_F(ProjectTest, TheRoadFileKindIsToldByItsFirstSixBytes)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("kinds.qpj"));
    finishedCodes.clear();
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("haidi.pm", false));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("weidi.pm", true));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("short.pm", "HINTC"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("empty.pm", ""));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("lower.pm", "hintcad 1\n"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteText("magic.pm", "HINTCA but nothing more\n"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, dir.file("absent.pm"));
    EXPECT_EQ((std::vector<int>{TASK_IMPORT_HAIDI, TASK_IMPORT_WEIDI, TASK_IMPORT_HAIDI, TASK_IMPORT_HAIDI,
                                TASK_IMPORT_HAIDI, TASK_IMPORT_WEIDI, TASK_IMPORT_HAIDI}),
              finishedCodes);
    // Each odd file is refused with a word of why.
    ASSERT_EQ(5u, boxes.shown.size());
    for (const auto &box : boxes.shown)
        EXPECT_NE(wxNOT_FOUND, box.message.Find("road file")) << box.message;

    // Only the two real files became roads.
    std::vector<std::string> roads;
    for (size_t i = 0; i < SizeOf(g_workspace->roads); ++i)
        roads.push_back(wxFileName(wxString::FromUTF8(ItemAt<wks_road_t>(g_workspace->roads, i)->path))
                            .GetFullName()
                            .ToStdString());
    EXPECT_EQ((std::vector<std::string>{"haidi.pm", "weidi.pm"}), roads);
    const std::vector<std::string> lines = TreeLines(Tree());
    EXPECT_EQ("    haidi.pm +", lines.at(3));
    EXPECT_EQ("    weidi.pm +", lines.at(4));
}

// ---- Pop-up menu commands ------------------------------------------------------------------

TEST_F(ProjectTest, DeletingACloudWhileItsTilesPageTakesItOutOfTreeSceneAndProject)
{
    DialogAnswerer yes(wxID_OK);
    const std::string project = dir.file("delete.qpj");
    Run(CorvaneFrame::ID_RIBBON_NEW, project);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("first.las", 200000, lasgen::Alignment::curved));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("second.las", 20000, lasgen::Alignment::straight));
    ASSERT_EQ(2u, SceneRoot->getNumChildren());
    velmo_t *doomed = ItemAt<velmo_t>(g_workspace->clouds, 0);
    // The pager is given the first tiles to read, then the cloud goes.
    frame->GetModelViewer()->home();
    PumpWithIdleFor(150);

    const wxTreeListItem item = FindItem(Tree(), "first.las");
    frame->ShowTreeItemProperties(item);
    frame->ShowTreeItemMenu(item);
    ASSERT_EQ(1u, menus.size());
    EXPECT_EQ("Velmo", menus[0].title);
    EXPECT_EQ(std::vector<wxString>{"Delete"}, menus[0].items);
    Menu(CorvaneFrame::ID_MENU_DELETE_CLOUD);
    ASSERT_EQ(1u, yes.shown.size());
    EXPECT_EQ("Are you sure to delete selected velmo?", yes.shown[0].message);
    EXPECT_EQ("Warning", yes.shown[0].title);
    EXPECT_EQ(wxYES_NO | wxCENTRE, yes.shown[0].style & (wxYES_NO | wxCENTRE | wxOK));

    // At once: out of the view and the tree, the grid no longer shows it.
    EXPECT_TRUE(frame->IsTaskRunning());
    EXPECT_EQ(1u, SceneRoot->getNumChildren());
    EXPECT_FALSE(FindItem(Tree(), "first.las").IsOk());
    EXPECT_EQ(0u, GridRows(frame->GetPropertyGrid()).size());
    // The view goes on drawing meanwhile.
    ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 60000));
    EXPECT_EQ(WithProject("delete", {"  Point cloud +", "    second.las +", "  Road +", "  Latitude section +",
                                     "  Longitude section +", "  Custom section +"}),
              TreeLines(Tree()));
    ASSERT_EQ(1u, SizeOf(g_workspace->clouds));
    EXPECT_NE(doomed, ItemAt<velmo_t>(g_workspace->clouds, 0));
    for (wxTreeListItem i = Tree()->GetFirstItem(); i.IsOk(); i = Tree()->GetNextItem(i))
        EXPECT_FALSE(DataOf(i) && DataOf(i)->GetCloud() == doomed) << "an item still points at the removed cloud";
    PumpWithIdleFor(300);

    // The project no longer holds it.
    Run(CorvaneFrame::ID_RIBBON_OPEN, project);
    ASSERT_EQ(1u, SizeOf(g_workspace->clouds));
    EXPECT_FALSE(FindItem(Tree(), "first.las").IsOk());
    EXPECT_TRUE(FindItem(Tree(), "second.las").IsOk());
    PumpWithIdleFor(200);
}

TEST_F(ProjectTest, DeletingARoadAsksFirstAndSavesTheProjectAtOnce)
{
    const std::string project = dir.file("roads.qpj");
    {
        DialogAnswerer none(wxID_OK);
        Run(CorvaneFrame::ID_RIBBON_NEW, project);
        Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("one.pm", false));
        Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("two.pm", true));
    }
    ASSERT_EQ(2u, SceneRoot->getNumChildren());

    // "No" keeps it.
    {
        DialogAnswerer no(wxID_NO);
        frame->ShowTreeItemMenu(FindItem(Tree(), "one.pm"));
        ASSERT_EQ(1u, menus.size());
        EXPECT_EQ("Road", menus[0].title);
        EXPECT_EQ(std::vector<wxString>{"Delete"}, menus[0].items);
        Menu(CorvaneFrame::ID_MENU_DELETE_ROAD);
        ASSERT_EQ(1u, no.shown.size());
        EXPECT_EQ("Are you sure to delete selected road?", no.shown[0].message);
        EXPECT_EQ(2u, SizeOf(g_workspace->roads));
    }
    // Yes removes it from the view, the tree and the saved project.
    DialogAnswerer yes(wxID_OK);
    frame->ShowTreeItemMenu(FindItem(Tree(), "one.pm"));
    Menu(CorvaneFrame::ID_MENU_DELETE_ROAD);
    EXPECT_FALSE(frame->IsTaskRunning());
    EXPECT_EQ(1u, SceneRoot->getNumChildren());
    EXPECT_FALSE(FindItem(Tree(), "one.pm").IsOk());
    EXPECT_TRUE(FindItem(Tree(), "two.pm").IsOk());
    // The menu road is used once: a stray second command finds none.
    Menu(CorvaneFrame::ID_MENU_DELETE_ROAD);
    EXPECT_EQ(1u, SizeOf(g_workspace->roads));

    wks_t *other = static_cast<wks_t *>(malloc(96));
    wks_init(other);
    ASSERT_TRUE(wks_open_project(other, project.c_str()));
    EXPECT_EQ(1u, SizeOf(other->roads));
    wks_destroy(other);

    // Groups offer no menu.
    frame->ShowTreeItemMenu(FindItem(Tree(), "Road"));
    frame->ShowTreeItemMenu(FindItem(Tree(), "roads"));
    EXPECT_EQ(2u, menus.size());
}

TEST_F(ProjectTest, AnEditedRoadProfileOutlivesOpeningAnotherProject)
{
    DialogAnswerer boxes(wxID_OK);
    const std::string project = dir.file("profile.qpj");
    Run(CorvaneFrame::ID_RIBBON_NEW, project);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("centre.pm", false));
    wks_road_t *road = ItemAt<wks_road_t>(g_workspace->roads, 0);
    ASSERT_NE(nullptr, road);
    ASSERT_EQ(0, road_number_vertical(&road->road));

    // The road's profile as an editor leaves it, with nothing saved yet.
    vertical_element_t start{};
    start.type = VERTICAL_START;
    start.start_chainage = 0.0;
    start.start_elevation = 123.25;
    ASSERT_EQ(0, road_insert_vertical(&road->road, &start, 0));
    vertical_element_t grade{};
    grade.type = VERTICAL_GRADE;
    grade.length = 80.0;
    grade.start_grade = std::atan(0.02);
    ASSERT_EQ(0, road_insert_vertical(&road->road, &grade, 1));
    road_apply_vertical(&road->road);

    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("other.qpj"));
    Run(CorvaneFrame::ID_RIBBON_OPEN, project);
    ASSERT_EQ(1u, SizeOf(g_workspace->roads));
    road = ItemAt<wks_road_t>(g_workspace->roads, 0);
    ASSERT_EQ(2, road_number_vertical(&road->road));
    EXPECT_DOUBLE_EQ(123.25, road_vertical(&road->road, 0)->start_elevation);
}

// ---- What the tree and the view show -------------------------------------------------------

TEST_F(ProjectTest, TicksFollowWhatTheViewShowsThroughImportsAndColourChanges)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("ticks.qpj"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("a.las", 20000, lasgen::Alignment::straight));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("b.las", 20000, lasgen::Alignment::curved));
    const wxTreeListItem hidden = FindItem(Tree(), "a.las");
    Tree()->CheckItem(hidden, wxCHK_UNCHECKED);
    frame->ApplyTreeItemCheck(hidden);
    ASSERT_EQ(1u, SceneRoot->getNumChildren());

    // An import rebuilds the tree: the hidden cloud stays hidden and unticked.
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("centre.pm", false));
    const std::vector<std::string> afterImport = {"ticks",           "  Point cloud",        "    a.las",
                                                  "    b.las +",     "  Road +",             "    centre.pm +",
                                                  "  Latitude section +", "  Longitude section +",
                                                  "  Custom section +"};
    EXPECT_EQ(afterImport, TreeLines(Tree()));
    EXPECT_EQ(2u, SceneRoot->getNumChildren());

    // A new colour shows every cloud, and their boxes say so.
    frame->SetColorMode(COLOR_INTENSITY);
    EXPECT_EQ(3u, SceneRoot->getNumChildren());
    const std::vector<std::string> allShown = {"ticks +",         "  Point cloud +",      "    a.las +",
                                               "    b.las +",     "  Road +",             "    centre.pm +",
                                               "  Latitude section +", "  Longitude section +",
                                               "  Custom section +"};
    EXPECT_EQ(allShown, TreeLines(Tree()));
    PumpWithIdleFor(200);
}

namespace {

// Reads the model view back after each frame it draws.
struct ViewCapture : osg::Camera::DrawCallback {
    void operator()(osg::RenderInfo &info) const override
    {
        const osg::Viewport *viewport = info.getCurrentCamera()->getViewport();
        if (!viewport)
            return;
        image->readPixels(int(viewport->x()), int(viewport->y()), int(viewport->width()), int(viewport->height()),
                          GL_RGB, GL_UNSIGNED_BYTE);
        ++frames;
    }
    osg::ref_ptr<osg::Image> image = new osg::Image;
    mutable unsigned frames = 0;
};

// Pixels that are not the black background, and their mean colour.
struct Lit {
    unsigned count = 0;
    double red = 0, green = 0, blue = 0;
    std::vector<unsigned> greys = std::vector<unsigned>(8, 0); // by eighths of the ramp
};

Lit LitPixels(const osg::Image &image)
{
    Lit lit;
    if (!image.data())
        return lit;
    const unsigned char *p = image.data();
    const size_t n = size_t(image.s()) * size_t(image.t());
    for (size_t i = 0; i < n; ++i, p += 3) {
        if (p[0] + p[1] + p[2] < 24)
            continue;
        ++lit.count;
        lit.red += p[0];
        lit.green += p[1];
        lit.blue += p[2];
        ++lit.greys[std::min(7, p[1] / 32)];
    }
    if (lit.count) {
        lit.red /= lit.count;
        lit.green /= lit.count;
        lit.blue /= lit.count;
    }
    return lit;
}

} // namespace

TEST_F(ProjectTest, TheViewRedrawsAtOnceAfterAColourChangeWithoutAnyMouseEvent)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("redraw.qpj"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("corridor.las", 100000, lasgen::Alignment::curved));
    osg::ref_ptr<ViewCapture> capture = new ViewCapture;
    frame->GetModelViewer()->getCamera()->setFinalDrawCallback(capture.get());
    // Height colours first, paged in until the view stops changing.
    PumpWithIdleFor(1500);
    const Lit height = LitPixels(*capture->image);
    ASSERT_GT(height.count, 500u);

    // Nothing changes: the loop draws nothing (no spinning core).
    const unsigned idle = capture->frames;
    PumpWithIdleFor(300);
    EXPECT_LE(capture->frames, idle + 2);

    frame->SetColorMode(COLOR_INTENSITY);
    ASSERT_TRUE(PumpWithIdleUntil(
        [&] {
            const Lit now = LitPixels(*capture->image);
            return now.count > 500 && std::abs(now.red - now.blue) < 2 && std::abs(now.red - now.green) < 2;
        },
        5000))
        << "the view still shows the old colours";
    // Intensity spreads over the grey ramp instead of saturating at white.
    PumpWithIdleFor(500);
    const Lit grey = LitPixels(*capture->image);
    unsigned bands = 0;
    for (unsigned count : grey.greys)
        bands += count > grey.count / 50 ? 1 : 0;
    EXPECT_GE(bands, 3u) << "grey levels crowd into too few bands";
    EXPECT_LT(grey.greys[7], grey.count / 2) << "most points are white";
    frame->GetModelViewer()->getCamera()->setFinalDrawCallback(nullptr);
}

TEST_F(ProjectTest, TheHomeViewShowsTwoCloudsKilometresApart)
{
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("apart.qpj"));
    lasgen::CorridorSpec spec;
    spec.points = 200000;
    spec.length = 120.0;
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, dir.file("west.las"), &error)) << error;
    spec.start_east += 30000.0;
    spec.seed = 2;
    ASSERT_TRUE(lasgen::write_corridor(spec, dir.file("east.las"), &error)) << error;
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, dir.file("west.las"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, dir.file("east.las"));

    osg::ref_ptr<ViewCapture> capture = new ViewCapture;
    frame->GetModelViewer()->getCamera()->setFinalDrawCallback(capture.get());
    frame->GetModelViewer()->home();
    PumpWithIdleFor(2000);
    const osg::Image &image = *capture->image;
    ASSERT_GT(image.s(), 0);
    // Both halves of the view hold points of their cloud.
    unsigned left = 0, right = 0;
    for (int y = 0; y < image.t(); ++y)
        for (int x = 0; x < image.s(); ++x) {
            const unsigned char *p = image.data(x, y);
            if (p[0] + p[1] + p[2] >= 24)
                (x < image.s() / 2 ? left : right) += 1;
        }
    // Each cloud is a few pixels across from so far off; what matters is
    // that its coarsest points page in at all.
    EXPECT_GT(left, 0u);
    EXPECT_GT(right, 0u);
    frame->GetModelViewer()->getCamera()->setFinalDrawCallback(nullptr);
}

// ---- Files on disk -------------------------------------------------------------------------

TEST_F(ProjectTest, ADeletedCloudsStoreAndADeletedRoadsFileAreGoneOnceTheProgramCloses)
{
    DialogAnswerer yes(wxID_OK);
    const std::string project = dir.file("cleanup.qpj");
    Run(CorvaneFrame::ID_RIBBON_NEW, project);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("gone.las", 20000, lasgen::Alignment::straight));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("kept.las", 20000, lasgen::Alignment::straight));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("gone.pm", false));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("kept.pm", false));
    const std::filesystem::path data = dir.path() / "cleanup.data";
    auto files = [&] {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(data))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const size_t before = files().size();
    ASSERT_GE(before, 4u);

    frame->ShowTreeItemMenu(FindItem(Tree(), "gone.las"));
    Menu(CorvaneFrame::ID_MENU_DELETE_CLOUD);
    ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 60000));
    frame->ShowTreeItemMenu(FindItem(Tree(), "gone.pm"));
    Menu(CorvaneFrame::ID_MENU_DELETE_ROAD);

    // The program closes as a user closes it: the window, then the application.
    frame->Close(true);
    PumpWithIdleFor(100);
    frame = nullptr;
    SceneDestroy();
    SceneInit(); // the fixture's tear-down destroys a scene again
    EXPECT_EQ(before - 2, files().size());
    wks_t *reopened = static_cast<wks_t *>(malloc(96));
    wks_init(reopened);
    ASSERT_TRUE(wks_open_project(reopened, project.c_str()));
    EXPECT_EQ(1u, SizeOf(reopened->clouds));
    EXPECT_EQ(1u, SizeOf(reopened->roads));
    wks_destroy(reopened);
}

TEST_F(ProjectTest, ACloudWhoseSourcesAreBothGoneIsNamedWhenTheProjectOpens)
{
    DialogAnswerer boxes(wxID_OK);
    const std::string project = dir.file("missing.qpj");
    const std::string las = WriteCorridor("vanished.las", 20000, lasgen::Alignment::straight);
    Run(CorvaneFrame::ID_RIBBON_NEW, project);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, las);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("present.las", 20000, lasgen::Alignment::curved));
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("elsewhere.qpj"));
    std::filesystem::remove(las);
    for (const auto &entry : std::filesystem::directory_iterator(dir.path() / "missing.data"))
        if (entry.path().extension() == ".tiles")
            std::filesystem::remove(entry.path());
    // The other cloud's store is rebuilt from its LAS file, which is still there.
    boxes.shown.clear();
    Run(CorvaneFrame::ID_RIBBON_OPEN, project);
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ("Warning", boxes.shown[0].title);
    EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(wxString::FromUTF8(las)));
    EXPECT_EQ(wxNOT_FOUND, boxes.shown[0].message.Find("present.las"));
    ASSERT_EQ(2u, SizeOf(g_workspace->clouds));

    frame->ShowTreeItemProperties(FindItem(Tree(), "vanished.las"));
    EXPECT_EQ("missing", GridValue(frame->GetPropertyGrid(), "Source"));
    frame->ShowTreeItemProperties(FindItem(Tree(), "present.las"));
    EXPECT_NE("missing", GridValue(frame->GetPropertyGrid(), "Source"));
}

TEST_F(ProjectTest, AProjectOpenInAnotherProgramIsRefusedWithTheReason)
{
    DialogAnswerer boxes(wxID_OK);
    const std::string project = dir.file("shared.qpj"), other = dir.file("other.qpj");
    Run(CorvaneFrame::ID_RIBBON_NEW, project);
    Run(CorvaneFrame::ID_RIBBON_NEW, other);
    // Another program holds the project's lock: a child that only locks.
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = open((project + "-lock").c_str(), O_RDONLY | O_CREAT, 0644);
        const char done = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        if (write(ready[1], &done, 1) == 1)
            pause();
        _exit(0);
    }
    char locked = 0;
    ASSERT_EQ(1, read(ready[0], &locked, 1));
    ASSERT_EQ('y', locked);
    boxes.shown.clear();
    Run(CorvaneFrame::ID_RIBBON_OPEN, project);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find("close it there first")) << boxes.shown[0].message;
    ASSERT_NE(nullptr, g_workspace->project);
    EXPECT_EQ(other, std::string(g_workspace->project->path)) << "the open project stays open";

    boxes.shown.clear();
    Run(CorvaneFrame::ID_RIBBON_OPEN, project);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_NE(nullptr, g_workspace->project);
    EXPECT_EQ(project, std::string(g_workspace->project->path));
}

TEST_F(ProjectTest, ASaveThatFailsAfterADeletionSaysSo)
{
    if (!RunWhereASmallDiskMounts())
        return;
    SmallDisk disk(dir.file("disk"));
    ASSERT_TRUE(disk.mounted()) << disk.why();
    DialogAnswerer boxes(wxID_OK);
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("disk/small.qpj"));
    ASSERT_NE(nullptr, g_workspace->project);
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, WriteCorridor("cloud.las", 5000, lasgen::Alignment::straight));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, WriteRoad("centre.pm", false));
    ASSERT_EQ(1u, SizeOf(g_workspace->clouds));
    ASSERT_EQ(1u, SizeOf(g_workspace->roads));
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].message;
    ASSERT_TRUE(disk.read_only(true));

    // Deleted on the GUI thread, saved at once: the failed save is told.
    frame->ShowTreeItemMenu(FindItem(Tree(), "centre.pm"));
    Menu(CorvaneFrame::ID_MENU_DELETE_ROAD);
    ASSERT_EQ(2u, boxes.shown.size()); // the question, then the failure
    EXPECT_EQ("Error", boxes.shown[1].title);
    EXPECT_NE(wxNOT_FOUND, boxes.shown[1].message.Find("could not be saved")) << boxes.shown[1].message;

    // Deleted and saved by the worker: its finish tells the same.
    boxes.shown.clear();
    frame->ShowTreeItemMenu(FindItem(Tree(), "cloud.las"));
    Menu(CorvaneFrame::ID_MENU_DELETE_CLOUD);
    ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 60000));
    ASSERT_EQ(2u, boxes.shown.size());
    EXPECT_EQ("Error", boxes.shown[1].title);
    EXPECT_FALSE(boxes.shown[1].message.empty());
    EXPECT_EQ(boxes.shown[1].message, frame->GetStatusView()->GetProgressLabel());

    // Once the disk takes writes again, closing saves what was pending.
    ASSERT_TRUE(disk.read_only(false));
    boxes.shown.clear();
    frame->Close(true);
    PumpWithIdleFor(100);
    frame = nullptr;
    EXPECT_TRUE(boxes.shown.empty());
    SceneDestroy();
    SceneInit();
    wks_t *reopened = static_cast<wks_t *>(malloc(96));
    wks_init(reopened);
    ASSERT_TRUE(wks_open_project(reopened, dir.file("disk/small.qpj").c_str()));
    EXPECT_EQ(0u, SizeOf(reopened->clouds));
    EXPECT_EQ(0u, SizeOf(reopened->roads));
    wks_destroy(reopened);
}

// Another program writes over a cloud's tile store while the project is
// open.  Whether the view's pager or a section's computation finds it first,
// the surveyor is told once which cloud it is and to reopen the project,
// and the project still saves.
TEST_F(ProjectTest, AStoreChangedOnDiskIsToldOnceByWhicheverReadFindsItFirst)
{
    const char *finders[] = {"the view", "a section"};
    for (const char *first : finders) {
        SCOPED_TRACE(first);
        DialogAnswerer boxes(wxID_OK);
        const std::string name = std::string(first) == "the view" ? "viewed" : "sectioned";
        const std::string las = WriteCorridor(name + ".las", 20000, lasgen::Alignment::straight);
        Run(CorvaneFrame::ID_RIBBON_NEW, dir.file(name + ".qpj"));
        Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, las);
        velmo_t *cloud = ItemAt<velmo_t>(g_workspace->clouds, 0);
        ASSERT_NE(nullptr, cloud);
        const double centre[3] = {(cloud->box[0] + cloud->box[3]) / 2, (cloud->box[1] + cloud->box[4]) / 2, 0};
        const double normal[3] = {1, 0, 0}, up[3] = {0, 0, 1}, thickness[2] = {-0.5, 0.5}, width[2] = {-60, 60};
        section_t *section = wks_add_custom_section(g_workspace, "across", centre, normal, up, thickness, width);
        ASSERT_NE(nullptr, section);
        PumpWithIdleFor(500);
        boxes.shown.clear();

        const std::string store = dir.file(name + ".data/1.tiles");
        std::ofstream(store, std::ios::binary | std::ios::in | std::ios::trunc)
            << std::string(size_t(std::filesystem::file_size(store)), '\0');
        auto section_read = [&] {
            frame->SetCurrentSection(section);
            ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 20000));
        };
        auto view_read = [&] { frame->SetColorMode(frame->GetModelColorMode() == COLOR_RGB ? COLOR_HEIGHT : COLOR_RGB); };
        if (std::string(first) == "the view") {
            view_read();
            PumpWithIdleUntil([&] { return !boxes.shown.empty(); }, 5000);
            section_read();
        } else {
            section_read();
            view_read();
        }
        PumpWithIdleFor(500);
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_EQ("Error", boxes.shown[0].title);
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(wxString::FromUTF8(las))) << boxes.shown[0].message;
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find("Reopen the project")) << boxes.shown[0].message;
        EXPECT_NE(0, wks_export_project(g_workspace)) << wks_last_message(g_workspace);
        frame->SetCurrentSection(nullptr);
    }
}
