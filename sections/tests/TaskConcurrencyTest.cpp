// Every way into the main window tried while a task changes the project it
// shows: the tree's rows, ticks and pop-up menus, the ribbon, the pop-up
// menu commands, keys and mouse in both views, the section tool window and
// the idle loop.  Each is either refused with "Task is running..." or works
// on what the task leaves alone.  Built with ThreadSanitizer (as CI runs
// these tests) a window that reads what the worker is writing is a report.
// Needs a display (Xvfb).
#include "SectionViewTestSupport.h"

#include "SceneObjects.h"
#include "SectionToolDialog.h"

#include <wx/propgrid/propgrid.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/treelist.h>

#include <filesystem>

using namespace sectionview;

namespace {

const char BUSY[] = "Task is running...";
// Each entry point is tried this many times in a row, as a surveyor clicks
// again when nothing seems to happen; the task's writes then land among the
// window's reads more often.
const int REPEATS = 4;

// What an entry point must do while a task runs: say "Task is running..."
// and change nothing, do that only while a section is current (it acts on
// none otherwise), or do its work.
enum Answer { REFUSED, REFUSED_ON_SECTION, WORKS };

struct EntryPoint {
    std::string name;
    Answer answer;
    std::function<void()> drive;
};

class TaskConcurrencyTest : public SectionViewTest
{
protected:
    void SetUp() override
    {
        SectionViewTest::SetUp();
        if (!frame)
            return;
        frame->Bind(EVT_TASK_FINISH, [this](TaskThreadEvent &event) {
            ++finishes;
            event.Skip();
        });
    }

    wxTreeListCtrl *Tree() const { return frame->GetWorkspaceTree(); }

    static const TreeData *DataOf(wxTreeListCtrl *tree, wxTreeListItem item)
    {
        return dynamic_cast<TreeData *>(tree->GetItemData(item));
    }

    // The rows of clouds, roads and sections, in the tree's order.
    std::vector<wxTreeListItem> ObjectRows() const
    {
        std::vector<wxTreeListItem> rows;
        for (wxTreeListItem item = Tree()->GetFirstItem(); item.IsOk(); item = Tree()->GetNextItem(item))
            if (DataOf(Tree(), item))
                rows.push_back(item);
        return rows;
    }

    static bool IsShown(const TreeData *data)
    {
        if (data->GetCloud())
            return SceneTableContains(CloudTable, data->GetCloud());
        if (data->GetRoad())
            return SceneTableContains(RoadTable, data->GetRoad());
        return SceneTableContains(SectionTable, data->GetSection());
    }

    void Click(long id)
    {
        wxRibbonButtonBarEvent click(wxEVT_RIBBONBUTTONBAR_CLICKED, int(id));
        click.SetEventObject(frame->GetRibbonBar());
        frame->GetEventHandler()->ProcessEvent(click);
    }

    static wxPoint Middle(wxWindow *window)
    {
        const wxSize size = window->GetClientSize();
        return wxPoint(size.GetWidth() / 2, size.GetHeight() / 2);
    }

    // A press, a drag with the button held and a release.
    void Drag(wxWindow *canvas, bool shift)
    {
        const wxPoint at = Middle(canvas);
        SendMouse(canvas, wxEVT_LEFT_DOWN, at, shift);
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(at + wxPoint(20, 10));
        motion.m_leftDown = true;
        motion.SetEventObject(canvas);
        canvas->GetEventHandler()->ProcessEvent(motion);
        SendMouse(canvas, wxEVT_LEFT_UP, at + wxPoint(20, 10), shift);
    }

    // What a control of the section tool window sends at this value;
    // nothing without the window.
    void ToolCommand(wxEventType type, long id, int value = 0)
    {
        SectionToolDialog *tool = frame->GetSectionTool();
        if (!tool)
            return;
        wxWindow *control = tool->FindWindow(id);
        const wxString text = wxString::Format("%d", value);
        if (auto *box = dynamic_cast<wxTextCtrl *>(control))
            box->ChangeValue(text);
        if (auto *slider = dynamic_cast<wxSlider *>(control))
            slider->SetValue(value);
        wxCommandEvent event(type, int(id));
        event.SetString(text);
        event.SetEventObject(control);
        control->GetEventHandler()->ProcessEvent(event);
    }

    struct Command {
        const char *name;
        long id;
        Answer answer;
    };

    static void AddCommands(std::vector<EntryPoint> *entries, const std::string &prefix,
                            const std::vector<Command> &commands, const std::function<void(long)> &send)
    {
        for (const Command &command : commands) {
            const long id = command.id;
            entries->push_back({prefix + command.name, command.answer, [send, id] { send(id); }});
        }
    }

    // The k-th object row as the surveyor reaches it: selected, ticked or
    // unticked, and right-clicked.  Rows are found again at each use: every
    // finished task rebuilds the tree.
    void AddRowEntries(std::vector<EntryPoint> *entries)
    {
        const size_t count = ObjectRows().size();
        for (size_t k = 0; k < count; ++k) {
            const std::string row = Tree()->GetItemText(ObjectRows()[k]).ToStdString();
            entries->push_back({"select " + row, REFUSED, [this, k] {
                                    const wxTreeListItem item = ObjectRows()[k];
                                    Tree()->Select(item);
                                    frame->ShowTreeItemProperties(item);
                                    EXPECT_EQ(0u, frame->GetPropertyGrid()->GetRoot()->GetChildCount())
                                        << "the grid shows another row's values";
                                }});
            entries->push_back({"tick " + row, REFUSED, [this, k] {
                                    const wxTreeListItem item = ObjectRows()[k];
                                    const bool checked = Tree()->GetCheckedState(item) == wxCHK_CHECKED;
                                    Tree()->CheckItem(item, checked ? wxCHK_UNCHECKED : wxCHK_CHECKED);
                                    frame->ApplyTreeItemCheck(item);
                                }});
            entries->push_back({"pop-up menu of " + row, REFUSED, [this, k] {
                                    const size_t shown = menus.size();
                                    frame->ShowTreeItemMenu(ObjectRows()[k]);
                                    EXPECT_EQ(shown, menus.size()) << "a menu was offered";
                                }});
        }
    }

    // Every command but Help, whose manual page starts a web view and reads
    // nothing of the project.
    void AddRibbonEntries(std::vector<EntryPoint> *entries)
    {
        AddCommands(entries, "ribbon ",
                    {{"Open", CorvaneFrame::ID_RIBBON_OPEN, REFUSED},
                     {"New", CorvaneFrame::ID_RIBBON_NEW, REFUSED},
                     {"Import cloud", CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, REFUSED},
                     {"Element", CorvaneFrame::ID_RIBBON_ROAD_ELEMENTS, REFUSED},
                     {"LatSec", CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS, REFUSED},
                     {"LonSec", CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS, REFUSED},
                     {"Import road", CorvaneFrame::ID_RIBBON_IMPORT_ROAD, REFUSED},
                     {"Export road", CorvaneFrame::ID_RIBBON_EXPORT_ROAD, REFUSED},
                     {"VSect", CorvaneFrame::ID_RIBBON_VERTICAL_SECTION, REFUSED},
                     {"HSect", CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION, REFUSED},
                     {"Export sections", CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS, REFUSED},
                     {"Slice", CorvaneFrame::ID_RIBBON_SLICE, REFUSED},
                     {"About", CorvaneFrame::ID_RIBBON_ABOUT, WORKS}},
                    [this](long id) { Click(id); });
    }

    // The commands of the colour and view menus (the ribbon's Color button
    // and the tool window's two menu buttons) and of the measure menu.
    void AddMenuEntries(std::vector<EntryPoint> *entries)
    {
        AddCommands(entries, "menu ",
                    {{"model colour RGB", CorvaneFrame::ID_MENU_COLOR_RGB, REFUSED},
                     {"model colour intensity", CorvaneFrame::ID_MENU_COLOR_INTENSITY, REFUSED},
                     {"model colour classification", CorvaneFrame::ID_MENU_COLOR_CLASSIFICATION, REFUSED},
                     {"section colour RGB", CorvaneFrame::ID_MENU_SECTION_COLOR_RGB, WORKS},
                     {"section colour intensity", CorvaneFrame::ID_MENU_SECTION_COLOR_INTENSITY, WORKS},
                     {"section colour classification", CorvaneFrame::ID_MENU_SECTION_COLOR_CLASSIFICATION, WORKS},
                     {"section colour offset", CorvaneFrame::ID_MENU_SECTION_COLOR_OFFSET, WORKS},
                     {"side view", CorvaneFrame::ID_MENU_VIEW_SIDE, WORKS},
                     {"3-D view", CorvaneFrame::ID_MENU_VIEW_3D, WORKS},
                     {"front view", CorvaneFrame::ID_MENU_VIEW_FRONT, WORKS},
                     {"measure back", CorvaneFrame::ID_MENU_MEASURE_BACK, WORKS},
                     {"measure clear", CorvaneFrame::ID_MENU_MEASURE_CLEAR, WORKS},
                     {"measure quit", CorvaneFrame::ID_MENU_MEASURE_QUIT, WORKS}},
                    [this](long id) { Menu(id); });
    }

    // Measuring works beside a task: the section's points are published
    // whole and its measurements are the window's own.
    void AddSectionViewEntries(std::vector<EntryPoint> *entries)
    {
        AddCommands(entries, "section key ",
                    {{"A", 'A', WORKS},
                     {"D", 'D', WORKS},
                     {"W", 'W', WORKS},
                     {"S", 'S', WORKS},
                     {"Escape", WXK_ESCAPE, WORKS},
                     {"Backspace", WXK_BACK, WORKS},
                     {"Left", WXK_LEFT, WORKS},
                     {"Right", WXK_RIGHT, WORKS},
                     {"Up", WXK_UP, WORKS},
                     {"Down", WXK_DOWN, WORKS},
                     {"+", WXK_NUMPAD_ADD, WORKS},
                     {"-", WXK_NUMPAD_SUBTRACT, WORKS},
                     {"2", '2', WORKS},
                     {"3", '3', WORKS},
                     {"1", '1', WORKS},
                     {"4", '4', WORKS},
                     {"5", '5', WORKS},
                     {"7", '7', WORKS},
                     {"6", '6', WORKS}},
                    [this](long code) { Key(int(code)); });
        // In each mode a click (free with Shift) and a right click.
        AddCommands(entries, "section click to ",
                    {{"measure a point", 'A', WORKS}, {"delete a point", 'D', WORKS},
                     {"measure a distance", 'W', WORKS}},
                    [this](long mode) {
                        Key(int(mode));
                        LeftClick(Middle(frame->GetSectionCanvas()), true);
                        RightClick(Middle(frame->GetSectionCanvas()));
                        Key('S');
                    });
        entries->push_back({"section drag", WORKS, [this] { Drag(frame->GetSectionCanvas(), false); }});
        AddCommands(entries, "tool button ",
                    {{"measure points", SectionToolDialog::ID_BITMAPBUTTON4, WORKS},
                     {"delete points", SectionToolDialog::ID_BITMAPBUTTON5, WORKS},
                     {"measure distance", SectionToolDialog::ID_BITMAPBUTTON8, WORKS},
                     {"finish", SectionToolDialog::ID_BITMAPBUTTON6, WORKS},
                     {"DXF import", SectionToolDialog::ID_BITMAPBUTTON3, WORKS},
                     {"DXF or DAT export", SectionToolDialog::ID_BITMAPBUTTON7, REFUSED_ON_SECTION}},
                    [this](long id) { ToolCommand(wxEVT_BUTTON, id); });
        const std::vector<Command> values = {{"point size", SectionToolDialog::ID_TEXTCTRL1, WORKS},
                                             {"thickness", SectionToolDialog::ID_TEXTCTRL2, WORKS},
                                             {"width", SectionToolDialog::ID_TEXTCTRL3, WORKS},
                                             {"point size slider", SectionToolDialog::ID_SLIDER1, WORKS},
                                             {"thickness slider", SectionToolDialog::ID_SLIDER2, WORKS},
                                             {"width slider", SectionToolDialog::ID_SLIDER3, WORKS}};
        AddCommands(entries, "tool ", values, [this](long id) {
            const bool slider = id == SectionToolDialog::ID_SLIDER1 || id == SectionToolDialog::ID_SLIDER2 ||
                                id == SectionToolDialog::ID_SLIDER3;
            for (int value : {3, 2})
                ToolCommand(slider ? wxEVT_SLIDER : wxEVT_TEXT_ENTER, id, slider ? 10 * value : value);
        });
    }

    // The camera is the view's own; the read-out names what is drawn.
    void AddModelViewEntries(std::vector<EntryPoint> *entries)
    {
        auto canvas = [this] { return static_cast<wxWindow *>(frame->GetModelCanvas()); };
        AddCommands(entries, "model key ",
                    {{"space", ' ', WORKS}, {"s", 's', WORKS}, {"f", 'f', WORKS}, {"Left", WXK_LEFT, WORKS}},
                    [canvas](long code) {
                        for (wxEventType type : {wxEVT_CHAR, wxEVT_KEY_UP}) {
                            wxKeyEvent key(type);
                            key.m_keyCode = int(code);
                            key.SetEventObject(canvas());
                            canvas()->GetEventHandler()->ProcessEvent(key);
                        }
                    });
        entries->push_back({"model drag and read-out", WORKS, [this, canvas] { Drag(canvas(), false); }});
        entries->push_back({"model double click", REFUSED,
                            [this, canvas] { SendMouse(canvas(), wxEVT_LEFT_DCLICK, Middle(canvas())); }});
    }

    // The entry points in groups of a kind, each group tried through a
    // task of its own; the tree's rows come last, so that the row they
    // leave selected is still there once the last task has finished.
    std::vector<std::vector<EntryPoint>> EntryGroups()
    {
        std::vector<std::vector<EntryPoint>> groups(5);
        AddRibbonEntries(&groups[0]);
        AddMenuEntries(&groups[1]);
        AddSectionViewEntries(&groups[2]);
        AddModelViewEntries(&groups[3]);
        AddRowEntries(&groups[4]);
        return groups;
    }

    // Tries each group's entry points, round after round, until the task
    // started for the group has ended.  A round handles none of the task's
    // events: nothing orders the window's reads after the task's writes
    // meanwhile, so under ThreadSanitizer every overlap is a report.
    void DriveDuring(const std::function<void()> &start)
    {
        for (const std::vector<EntryPoint> &group : EntryGroups())
            DriveGroupDuring(start, group);
    }

    void DriveGroupDuring(const std::function<void()> &start, const std::vector<EntryPoint> &entries)
    {
        ASSERT_TRUE(WaitForTasks());
        const int finished = finishes;
        start();
        ASSERT_TRUE(frame->IsTaskRunning());
        // A change of width or thickness may start a recomputation once the
        // task has finished; the rounds end with the task they were for.
        while (finishes == finished) {
            for (const EntryPoint &entry : entries) {
                DialogAnswerer boxes(wxID_CANCEL);
                for (int i = 0; i < REPEATS; ++i)
                    entry.drive();
                ASSERT_EQ(finished, finishes) << entry.name << " waited for the task";
                size_t busy = 0;
                for (const auto &box : boxes.shown)
                    busy += box.message == BUSY ? 1 : 0;
                const bool refused =
                    entry.answer == REFUSED || (entry.answer == REFUSED_ON_SECTION && frame->GetCurrentSection());
                EXPECT_EQ(refused ? size_t(REPEATS) : 0u, busy) << entry.name;
                for (wxTreeListItem row : ObjectRows())
                    EXPECT_EQ(IsShown(DataOf(Tree(), row)), Tree()->GetCheckedState(row) == wxCHK_CHECKED)
                        << "after " << entry.name << ", the tick of " << Tree()->GetItemText(row)
                        << " says what the view does not show";
            }
            // The task's own events, with no message box among them.
            DialogAnswerer boxes(wxID_OK);
            int turns = 0;
            PumpWithIdleUntil([&turns] { return turns++ > 0; });
            for (const auto &box : boxes.shown)
                EXPECT_NE(BUSY, box.message) << "the task's events were refused";
        }
        DialogAnswerer boxes(wxID_OK);
        ASSERT_TRUE(WaitForTasks());
        for (const auto &box : boxes.shown)
            EXPECT_NE(BUSY, box.message) << "the task's events were refused";
    }

    int finishes = 0;

    // The open builds the cloud's tile store again from its LAS file.
    void StartOpen()
    {
        std::filesystem::path data = std::filesystem::path(project).replace_extension(".data");
        for (const auto &file : std::filesystem::directory_iterator(data))
            if (file.path().extension() == ".tiles")
                std::filesystem::remove(file.path());
        DialogAnswerer boxes(wxID_OK);
        script->answers.push_back({wxString::FromUTF8(project), 0});
        Click(CorvaneFrame::ID_RIBBON_OPEN);
        EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0].message;
    }

    // A second corridor beside the project's own.
    std::string WriteSecondCloud()
    {
        lasgen::CorridorSpec corridor;
        corridor.points = spec.points;
        corridor.length = spec.length;
        const std::string las = dir.file("second.las");
        std::string error;
        EXPECT_TRUE(lasgen::write_corridor(corridor, las, &error)) << error;
        return las;
    }

    // The same LAS file each time, "import it again?" answered Yes.
    void StartImport(const std::string &las)
    {
        DialogAnswerer yes(wxID_OK);
        script->answers.push_back({wxString::FromUTF8(las), 0});
        Click(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD);
    }
};

// A surveyor who reads the message until the task is over: the box's event
// loop handles the task's finish before it is answered.
class AnswerOnceTheTaskHasFinished : public wxModalDialogHook
{
public:
    explicit AnswerOnceTheTaskHasFinished(const int &finishes) : m_finishes(finishes) { Register(); }

    std::vector<wxString> shown;

protected:
    int Enter(wxDialog *dialog) override
    {
        auto *box = dynamic_cast<wxMessageDialogBase *>(dialog);
        shown.push_back(box ? box->GetMessage() : dialog->GetTitle());
        const int before = m_finishes;
        PumpWithIdleUntil([&] { return m_finishes != before; }, 60000);
        return wxID_OK;
    }
    void Exit(wxDialog *) override {}

private:
    const int &m_finishes;
};

} // namespace

TEST_F(TaskConcurrencyTest, WhileAProjectOpensEveryEntryIsRefusedOrReadsOnlyWhatIsReady)
{
    DriveDuring([this] { StartOpen(); });
    // The row selected meanwhile shows its values once the project is open.
    const wxTreeListItem selected = Tree()->GetSelection();
    ASSERT_TRUE(selected.IsOk() && DataOf(Tree(), selected));
    EXPECT_GT(frame->GetPropertyGrid()->GetRoot()->GetChildCount(), 0u) << Tree()->GetItemText(selected);
}

TEST_F(TaskConcurrencyTest, WhileACloudIsImportedEveryEntryIsRefusedOrReadsOnlyWhatIsReady)
{
    const std::string las = WriteSecondCloud();
    MakeCurrent(Latitude(0));
    ASSERT_EQ(Latitude(0), frame->GetCurrentSection());
    DriveDuring([&] { StartImport(las); });
    EXPECT_EQ(Latitude(0), frame->GetCurrentSection());
    EXPECT_GE(CountOf(g_workspace->clouds), 2u);
}

// The toolkit still uses a ticked, selected or right-clicked row once the
// handler has returned; a task ending while the handler's refusal is shown
// rebuilds the tree only after that, and then shows the task's result.
TEST_F(TaskConcurrencyTest, ATaskEndingWhileARowIsRefusedRebuildsTheTreeAfterTheRowsEvent)
{
    const std::string las = WriteSecondCloud();
    const struct {
        const char *name;
        std::function<void(wxTreeListItem)> handle;
    } events[] = {{"tick", [this](wxTreeListItem row) { frame->ApplyTreeItemCheck(row); }},
                  {"selection", [this](wxTreeListItem row) { frame->ShowTreeItemProperties(row); }},
                  {"pop-up menu", [this](wxTreeListItem row) { frame->ShowTreeItemMenu(row); }}};
    for (const auto &event : events) {
        ASSERT_TRUE(WaitForTasks());
        const size_t rows = ObjectRows().size();
        StartImport(las);
        ASSERT_TRUE(frame->IsTaskRunning());
        const wxTreeListItem row = ObjectRows().front();
        const TreeData *data = DataOf(Tree(), row);
        {
            AnswerOnceTheTaskHasFinished reader(finishes);
            event.handle(row);
            ASSERT_EQ(std::vector<wxString>{BUSY}, reader.shown) << event.name;
        }
        EXPECT_FALSE(frame->IsTaskRunning()) << event.name;
        // A rebuilt tree has freed the row: nothing more is read of it then.
        ASSERT_EQ(rows, ObjectRows().size()) << event.name << ": the tree was rebuilt under its own event";
        EXPECT_EQ(data, DataOf(Tree(), row)) << event.name;
        PumpWithIdleFor(50);
        EXPECT_EQ(rows + 1, ObjectRows().size()) << event.name << ": the imported cloud has no row";
    }
}
