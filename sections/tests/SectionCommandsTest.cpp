// The section commands from the ribbon to the workspace, the tree and the
// files on disk, on a project holding a curved lasgen corridor and its road.
// The section dialogs are filled and pressed by the modal hook, file
// dialogs answered by a scripted chooser.  Needs a display (Xvfb).
#include "AddChainDialog.h"
#include "AddVSectionDialog.h"
#include "AppResources.h"
#include "ExportDialog.h"
#include "FrameTestSupport.h"
#include "GenChainsDialog.h"
#include "HSectionDialog.h"
#include "RoadSectionDialog.h"
#include "SectionTestSupport.h"
#include "VSectionDialog.h"
#include "lasgen.h"
#include "las_samples.h"
#include "temp_dir.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treebook.h>
#include <wx/treelist.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

using namespace frametest;
using namespace sectiontest;

namespace {

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

std::vector<std::string> Names(Array *list)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < SizeOf(list); ++i)
        names.push_back(ItemAt<section_t>(list, i)->name);
    return names;
}

class SectionCommandsTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (!frame)
            return;
        auto owned = std::make_unique<ScriptedChooser>();
        chooser = owned.get();
        frame->SetFileChooser(std::move(owned));
        AppAddPluginLibraryPath();
        frame->Bind(EVT_TASK_PROGRESS, [this](TaskThreadEvent &event) {
            if (event.GetCode() != 0 || !event.GetMessage().empty())
                progress.push_back(event.GetMessage());
            event.Skip();
        });
    }


    void WaitForTask()
    {
        ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 120000));
    }

    void Run(long id, const std::string &path)
    {
        chooser->answers.push_back(wxString::FromUTF8(path));
        Click(id);
        WaitForTask();
    }

    // A project with a 200 m curved corridor and its centre line.
    void MakeProject()
    {
        lasgen::CorridorSpec spec;
        spec.points = 40000;
        spec.alignment = lasgen::Alignment::curved;
        spec.threads = 1;
        std::string error;
        const std::string las = dir.file("corridor.las");
        ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
        const std::string pm = dir.file("centre.pm");
        ASSERT_TRUE(lasgen::write_centre_line(spec, pm, &error)) << error;
        Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("survey.qpj"));
        Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, las);
        Run(CorvaneFrame::ID_RIBBON_IMPORT_ROAD, pm);
        ASSERT_EQ(1u, SizeOf(g_workspace->clouds));
        ASSERT_EQ(1u, SizeOf(g_workspace->roads));
    }

    // The texts of the tree items below a group.
    std::vector<std::string> TreeGroup(const wxString &group)
    {
        wxTreeListCtrl *tree = frame->GetWorkspaceTree();
        std::vector<std::string> texts;
        for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item))
            if (tree->GetItemText(item) == group)
                for (wxTreeListItem child = tree->GetFirstChild(item); child.IsOk();
                     child = tree->GetNextSibling(child))
                    texts.push_back(tree->GetItemText(child).utf8_string());
        return texts;
    }

    // Generate and Add inside the road section dialog, as its buttons do.
    void Generate(RoadSectionDialog &dialog, const char *start, const char *end, const char *spacing)
    {
        driver.Then<GenChainsDialog>([=](GenChainsDialog &gen) {
            gen.GetStartField()->SetValue(start);
            gen.GetEndField()->SetValue(end);
            gen.GetSpacingField()->SetValue(spacing);
            return wxID_OK;
        });
        Press(dialog.FindWindow(RoadSectionDialog::ID_BUTTON5));
    }

    void Add(RoadSectionDialog &dialog, const char *first, const char *second)
    {
        driver.Then<AddChainDialog>([=](AddChainDialog &add) {
            add.GetFirstField()->SetValue(first);
            add.GetSecondField()->SetValue(second);
            return wxID_OK;
        });
        Press(dialog.FindWindow(RoadSectionDialog::ID_BUTTON3));
    }

    // OK as the button does it: refused input keeps the dialog open, and
    // the test then cancels it.
    static int PressOk(wxDialog &, bool accepted)
    {
        return accepted ? wxID_OK : wxID_CANCEL;
    }

    TempDir dir;
    ScriptedChooser *chooser = nullptr;
    DialogDriver driver;
    std::vector<wxString> progress;
};

} // namespace

TEST_F(SectionCommandsTest, LatitudeSectionsFromGeneratedAndTypedChainsReachTreeSceneAndProject)
{
    MakeProject();
    driver.Then<RoadSectionDialog>([&](RoadSectionDialog &dialog) {
        EXPECT_EQ("Latitude section", dialog.GetTitle());
        EXPECT_EQ("centre.pm", dialog.GetRoadChoice()->GetStringSelection());
        Generate(dialog, "0", "200", "20");
        Add(dialog, "195", "0");
        dialog.GetChainList()->Select(1);
        Press(dialog.FindWindow(RoadSectionDialog::ID_BUTTON4));
        dialog.GetSectionWidthField()->SetValue("30");
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS);
    ASSERT_TRUE(frame->IsTaskRunning()) << "the sections are computed on the worker";
    WaitForTask();
    EXPECT_TRUE(driver.messages.empty()) << driver.messages[0].text;

    // Rows 0, 40, ..., 180 and 195: ten sections, 20 m deleted.
    const std::vector<std::string> names = Names(g_workspace->latitude_sections);
    ASSERT_EQ(10u, names.size());
    EXPECT_EQ(names, TreeGroup("Latitude section"));
    wxTreeListCtrl *tree = frame->GetWorkspaceTree();
    for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item))
        EXPECT_EQ(wxCHK_CHECKED, tree->GetCheckedState(item)) << tree->GetItemText(item).utf8_string();
    section_t *typed = ItemAt<section_t>(g_workspace->latitude_sections, 9);
    EXPECT_DOUBLE_EQ(-15.0, typed->width_range[0]);
    EXPECT_DOUBLE_EQ(0.5, typed->normal_range[1]);
    // The typed row lies on the corridor: opening the section finds its points.
    ASSERT_TRUE(wks_cal_section(g_workspace, typed, nullptr));
    EXPECT_GT(SizeOf(typed->points), 100u);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ("Generating sections...", progress.back());

    // The sections are in the project file.
    auto *reopened = static_cast<wks_t *>(malloc(sizeof(wks_t)));
    wks_init(reopened);
    EXPECT_TRUE(wks_open_project(reopened, dir.file("survey.qpj").c_str()));
    EXPECT_EQ(names, Names(reopened->latitude_sections));
    wks_destroy(reopened);
}

TEST_F(SectionCommandsTest, LongitudeSectionsOverTwoRanges)
{
    MakeProject();
    driver.Then<RoadSectionDialog>([&](RoadSectionDialog &dialog) {
        EXPECT_EQ("Longitude section", dialog.GetTitle());
        Add(dialog, "0", "80");
        Add(dialog, "100", "180");
        dialog.GetBufferWidthField()->SetValue("2");
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS);
    WaitForTask();
    ASSERT_EQ(2u, SizeOf(g_workspace->longitude_sections));
    EXPECT_EQ(Names(g_workspace->longitude_sections), TreeGroup("Longitude section"));
    section_t *second = ItemAt<section_t>(g_workspace->longitude_sections, 1);
    EXPECT_DOUBLE_EQ(100.0, second->width_range[0]);
    EXPECT_DOUBLE_EQ(180.0, second->width_range[1]);
    EXPECT_DOUBLE_EQ(-1.0, second->normal_range[0]);
    ASSERT_TRUE(wks_cal_section(g_workspace, second, nullptr));
    EXPECT_GT(SizeOf(second->points), 100u);
}

// A batch at chainages the road already has sections at asks once, with
// Replace and Skip: Skip leaves those rows out, Replace takes the old
// sections (and their measurements) out for the new ones; no name is ever
// there twice.
TEST_F(SectionCommandsTest, ABatchAtChainagesWithSectionsAsksOnceThenReplacesOrSkips)
{
    MakeProject();
    const auto batch = [&](long command, std::function<void(RoadSectionDialog &)> fill) {
        driver.Then<RoadSectionDialog>([fill](RoadSectionDialog &dialog) {
            fill(dialog);
            return PressOk(dialog, dialog.AcceptInput());
        });
        Click(command);
        WaitForTask();
    };
    batch(CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS, [&](RoadSectionDialog &d) { Generate(d, "20", "80", "20"); });
    batch(CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS, [&](RoadSectionDialog &d) { Add(d, "10", "70"); });
    section_t *measured = ItemAt<section_t>(g_workspace->latitude_sections, 1);
    ASSERT_STREQ("LK0+040.00", measured->name);
    velmo_point_t point{};
    point.u = 1.0f;
    ASSERT_NE(nullptr, section_add_meas(measured, &point));
    ASSERT_TRUE(wks_save_section_data(g_workspace, measured));
    const std::string chains = dir.file("chains.txt");
    std::ofstream(chains) << "40,0\n100,0\n";

    const struct {
        const char *what;
        long command;
        std::function<void(RoadSectionDialog &)> fill;
        int answer;
        const char *question;
        std::vector<std::string> names; // of the list afterwards, in order
        const char *notice;             // shown after the question, if anything
    } batches[] = {
        {"generated over three of them, skipped", CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS,
         [&](RoadSectionDialog &d) { Generate(d, "0", "100", "20"); }, wxID_NO,
         "3 chainages already have sections on this road: Replace (their measurements are removed) / Skip",
         {"LK0+020.00", "LK0+040.00", "LK0+060.00", "LK0+000.00", "LK0+080.00"}, nullptr},
        {"imported over one, replaced", CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS,
         [&](RoadSectionDialog &d) {
             chooser->answers.push_back(chains);
             Press(d.FindWindow(RoadSectionDialog::ID_BUTTON1));
         },
         wxID_YES, "1 chainage already has a section on this road: Replace (its measurements are removed) / Skip",
         {"LK0+020.00", "LK0+060.00", "LK0+000.00", "LK0+080.00", "LK0+040.00", "LK0+100.00"}, nullptr},
        {"added on one, skipped", CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS,
         [&](RoadSectionDialog &d) { Add(d, "20.0004", "0"); }, wxID_NO,
         "1 chainage already has a section on this road: Replace (its measurements are removed) / Skip",
         {"LK0+020.00", "LK0+060.00", "LK0+000.00", "LK0+080.00", "LK0+040.00", "LK0+100.00"},
         "Nothing was generated: every chainage of the list already has a section on this road."},
        {"a longitude range again, replaced", CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS,
         [&](RoadSectionDialog &d) {
             Add(d, "10", "70");
             Add(d, "80", "150");
         },
         wxID_YES, "1 chainage already has a section on this road: Replace (its measurements are removed) / Skip",
         {"VK0+010.00-K0+070.00", "VK0+080.00-K0+150.00"}, nullptr},
    };
    for (const auto &b : batches) {
        SCOPED_TRACE(b.what);
        driver.messages.clear();
        driver.questionAnswer = b.answer;
        batch(b.command, b.fill);
        ASSERT_FALSE(driver.messages.empty());
        EXPECT_EQ(b.question, driver.messages[0].text);
        EXPECT_EQ("Replace", driver.messages[0].yes);
        EXPECT_EQ("Skip", driver.messages[0].no);
        EXPECT_TRUE(driver.messages[0].style & wxNO_DEFAULT);
        ASSERT_EQ(b.notice ? 2u : 1u, driver.messages.size()) << driver.messages.back().text;
        if (b.notice)
            EXPECT_EQ(b.notice, driver.messages[1].text);
        Array *list = b.command == CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS ? g_workspace->latitude_sections
                                                                              : g_workspace->longitude_sections;
        EXPECT_EQ(b.names, Names(list));
        EXPECT_EQ(b.names, TreeGroup(b.command == CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS ? "Latitude section"
                                                                                             : "Longitude section"));
    }
    // The replaced section went with its measurement; the new one has none.
    section_t *fresh = ItemAt<section_t>(g_workspace->latitude_sections, 4);
    EXPECT_NE(measured, fresh);
    EXPECT_EQ(0u, SizeOf(fresh->measurements));
    auto *reopened = static_cast<wks_t *>(malloc(sizeof(wks_t)));
    wks_init(reopened);
    ASSERT_TRUE(wks_open_project(reopened, dir.file("survey.qpj").c_str()));
    EXPECT_EQ(batches[3].names, Names(reopened->longitude_sections));
    EXPECT_EQ(batches[2].names, Names(reopened->latitude_sections));
    wks_destroy(reopened);
}

// After the road was edited its sections stay where they were, and the
// advice is to generate them again: with Replace that leaves only the
// fresh sections, on the road as it is now, and the export writes those.
TEST_F(SectionCommandsTest, AfterARoadEditGeneratingAgainWithReplaceLeavesOnlyTheFreshSections)
{
    MakeProject();
    const auto generate = [&] {
        driver.Then<RoadSectionDialog>([&](RoadSectionDialog &dialog) {
            Generate(dialog, "20", "80", "20");
            return PressOk(dialog, dialog.AcceptInput());
        });
        Click(CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS);
        WaitForTask();
    };
    generate();
    wks_road_t *road = ItemAt<wks_road_t>(g_workspace->roads, 0);
    for (int i = 0; i < road_number_horizon(&road->road); ++i)
        road_horizon(&road->road, i)->start_y += 2.0;
    road_apply_horizon(&road->road);
    ASSERT_TRUE(wks_export_project(g_workspace));

    driver.messages.clear();
    generate();
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_EQ("3 chainages already have sections on this road: Replace (their measurements are removed) / Skip",
              driver.messages[0].text);
    const std::vector<std::string> names = {"LK0+020.00", "LK0+040.00", "LK0+060.00"};
    ASSERT_EQ(names, Names(g_workspace->latitude_sections));
    for (size_t i = 0; i < names.size(); ++i) {
        const section_t *section = ItemAt<section_t>(g_workspace->latitude_sections, i);
        double chainage = 0, x = 0, y = 0, azimuth = 0, offset = 1;
        ASSERT_GE(road_xy2l(&road->road, section->center[1], section->center[0], &chainage, &x, &y, &azimuth, &offset),
                  0);
        EXPECT_NEAR(0.0, offset, 1e-3) << names[i] << " lies on the road as it is now";
    }

    driver.Then<ExportDialog>([](ExportDialog &dialog) {
        dialog.GetCheckBox(0, 2)->SetValue(true);
        return wxID_OK;
    });
    chooser->answers.push_back(dir.file("lat.HDM"));
    Click(CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS);
    std::istringstream hdm(read_bytes(dir.file("lat.HDM")));
    std::vector<std::string> stations;
    for (std::string line; std::getline(hdm, line);)
        if (line == "20.000\r" || line == "40.000\r" || line == "60.000\r")
            stations.push_back(line.substr(0, line.size() - 1));
    EXPECT_EQ((std::vector<std::string>{"20.000", "40.000", "60.000"}), stations);

    // Reopened, the sections still know their road.
    Run(CorvaneFrame::ID_RIBBON_OPEN, dir.file("survey.qpj"));
    driver.messages.clear();
    driver.questionAnswer = wxID_NO;
    generate();
    ASSERT_EQ(2u, driver.messages.size());
    EXPECT_EQ("3 chainages already have sections on this road: Replace (their measurements are removed) / Skip",
              driver.messages[0].text);
    EXPECT_EQ(names, Names(g_workspace->latitude_sections));
}

TEST_F(SectionCommandsTest, CustomSectionsFromTypedAndImportedRowsAreNumberedOn)
{
    MakeProject();
    double centre[3];
    wks_get_center(g_workspace, centre);
    const std::string rows = dir.file("custom.txt");
    std::ofstream(rows, std::ios::binary) << wxString::Format("%.3f,%.3f,0\r\n# note\r\n%.3f;%.3f;45.5", centre[0],
                                                              centre[1], centre[0] + 5, centre[1])
                                                 .ToStdString();
    chooser->answers.push_back(rows);
    driver.Then<VSectionDialog>([&](VSectionDialog &dialog) {
        driver.Then<AddVSectionDialog>([&](AddVSectionDialog &add) {
            add.GetCenterXField()->SetValue(wxString::Format("%.3f", centre[0]));
            add.GetCenterYField()->SetValue(wxString::Format("%.3f", centre[1]));
            add.GetAzimuthField()->SetValue("90");
            return wxID_OK;
        });
        Press(dialog.FindWindow(VSectionDialog::ID_BUTTON1));
        Press(dialog.FindWindow(VSectionDialog::ID_BUTTON2));
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_VERTICAL_SECTION);
    WaitForTask();
    // The skipped "# note" line was reported inside the dialog.
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("Line 2 "));
    EXPECT_EQ((std::vector<std::string>{"custom1", "custom2", "custom3"}), Names(g_workspace->custom_sections));
    EXPECT_EQ(Names(g_workspace->custom_sections), TreeGroup("Custom section"));

    section_t *east = ItemAt<section_t>(g_workspace->custom_sections, 0);
    EXPECT_NEAR(-1.0, east->normal[0], 1e-9) << "azimuth 90 looks along -X";
    EXPECT_NEAR(0.0, east->normal[1], 1e-9);
    EXPECT_DOUBLE_EQ(-20.0, east->width_range[0]);
    EXPECT_DOUBLE_EQ(0.5, east->normal_range[1]);
    section_t *north = ItemAt<section_t>(g_workspace->custom_sections, 1);
    EXPECT_NEAR(-1.0, north->normal[1], 1e-9) << "azimuth 0 looks along -Y";
    ASSERT_TRUE(wks_cal_section(g_workspace, east, nullptr));
    EXPECT_GT(SizeOf(east->points), 10u);

    // A second batch numbers on; a name freed by a deletion is not reused
    // while a later one still holds it.
    wks_remove_section(g_workspace, ItemAt<section_t>(g_workspace->custom_sections, 0));
    frame->UpdateWorkspaceTree();
    driver.Then<VSectionDialog>([&](VSectionDialog &dialog) {
        dialog.AppendRow(centre[0], centre[1], 10);
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_VERTICAL_SECTION);
    WaitForTask();
    EXPECT_EQ((std::vector<std::string>{"custom2", "custom3", "custom4"}), Names(g_workspace->custom_sections));
}

TEST_F(SectionCommandsTest, HorizontalSectionStartsAtTheWorkspaceCentre)
{
    MakeProject();
    double centre[3];
    wks_get_center(g_workspace, centre);
    // Byte 63 falls inside the second "面" after the letters.
    const std::string kept = "平面" + std::string(56, 'a');
    const wxString longName = wxString::FromUTF8(kept + "平面平面");
    driver.Then<HSectionDialog>([&](HSectionDialog &dialog) {
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_EQ(wxString::Format("%.3f", centre[axis]), dialog.GetCenterField(axis)->GetValue());
        dialog.GetNameField()->SetValue(longName);
        dialog.GetCenterField(2)->SetValue(wxString::Format("%.3f", centre[2] - 0.5));
        dialog.GetSectionWidthField()->SetValue("30");
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION);
    WaitForTask();
    ASSERT_EQ(1u, SizeOf(g_workspace->custom_sections));
    section_t *section = ItemAt<section_t>(g_workspace->custom_sections, 0);
    EXPECT_EQ(SECTION_HORIZONTAL, section->type);
    // Cut before the character that does not fit whole: 62 bytes.
    EXPECT_EQ(kept, std::string(section->name));
    EXPECT_NEAR(centre[2] - 0.5, section->center[2], 1e-3);
    EXPECT_NEAR(1.0, section->normal[2], 1e-12);
    EXPECT_NEAR(1.0, section->axis_v[1], 1e-9) << "orientation 0 points north";
    EXPECT_DOUBLE_EQ(15.0, section->width_range[1]);
    EXPECT_EQ(std::vector<std::string>{kept}, TreeGroup("Custom section"));
    // Shown in the view, so ticked in the tree, group and project too.
    wxTreeListCtrl *tree = frame->GetWorkspaceTree();
    for (wxTreeListItem item = tree->GetFirstItem(); item.IsOk(); item = tree->GetNextItem(item))
        EXPECT_EQ(wxCHK_CHECKED, tree->GetCheckedState(item)) << tree->GetItemText(item).utf8_string();
}

TEST_F(SectionCommandsTest, ExportsWriteTheEngineOwnFilesWithThePageOptions)
{
    MakeProject();
    driver.Then<RoadSectionDialog>([&](RoadSectionDialog &dialog) {
        Generate(dialog, "20", "100", "40");
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS);
    WaitForTask();
    driver.Then<RoadSectionDialog>([&](RoadSectionDialog &dialog) {
        Add(dialog, "10", "90");
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS);
    WaitForTask();
    driver.Then<VSectionDialog>([&](VSectionDialog &dialog) {
        double centre[3];
        wks_get_center(g_workspace, centre);
        dialog.AppendRow(centre[0], centre[1], 30);
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_VERTICAL_SECTION);
    WaitForTask();
    ASSERT_EQ(2u, SizeOf(g_workspace->latitude_sections));

    // Unmeasured sections export their automatic ground lines only when
    // "Section points" is ticked; without, there is nothing to write.
    driver.messages.clear();
    driver.Then<ExportDialog>([](ExportDialog &) { return wxID_OK; });
    chooser->answers.push_back(dir.file("lat.HDM"));
    Click(CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS);
    EXPECT_EQ("Select HDM file to export.", chooser->asked.back().message);
    EXPECT_EQ("HINTCAD HDM file(*.HDM)|*.HDM", chooser->asked.back().wildcard);
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("no section has a ground line"));

    const struct {
        int page;
        std::vector<int> ticks; // boxes to flip on that page
        const char *file, *message, *finished;
        int (*engine)(wks_t *, const char *, const int *);
        std::vector<int> options;
        const char *twin; // the DMX written beside, if any
    } exports[] = {
        {0, {2}, "lat.HDM", "Select HDM file to export.", "Export latitude sections finished.",
         wks_export_latitude_sections, {1, 0, 1}, nullptr},
        {0, {1, 2}, "lat-all.HDM", "Select HDM file to export.", "Export latitude sections finished.",
         wks_export_latitude_sections, {1, 1, 1}, "lat-all.DMX"},
        {1, {1}, "lon.DMX", "Select DMX file to export.", "Export longitude sections finished.",
         wks_export_longitude_sections, {1, 1, 0}, nullptr},
        {2, {1}, "custom.HDM", "Select HDM file to export.", "Export custom sections finished.",
         wks_export_custom_sections, {1, 1, 0}, nullptr},
    };
    for (const auto &e : exports) {
        driver.messages.clear();
        driver.Then<ExportDialog>([&](ExportDialog &dialog) {
            // A box flipped on another page must not count.
            dialog.GetCheckBox(e.page == 0 ? 1 : 0, 1)->SetValue(true);
            dialog.GetTreebook()->SetSelection((size_t)e.page);
            for (int box : e.ticks)
                dialog.GetCheckBox(e.page, box)->SetValue(!dialog.GetCheckBox(e.page, box)->GetValue());
            return wxID_OK;
        });
        const std::string path = dir.file(e.file);
        chooser->answers.push_back(path);
        Click(CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS);
        EXPECT_EQ(e.message, chooser->asked.back().message);
        EXPECT_EQ(wxFD_SAVE | wxFD_OVERWRITE_PROMPT, chooser->asked.back().style);
        ASSERT_EQ(1u, driver.messages.size()) << e.file;
        EXPECT_EQ(e.finished, driver.messages[0].text);
        EXPECT_EQ("Message", driver.messages[0].caption);

        // The engine's own export of the same sections with the same options.
        const std::string own = dir.file(std::string("engine-") + e.file);
        ASSERT_TRUE(e.engine(g_workspace, own.c_str(), e.options.data())) << e.file;
        const std::string written = read_bytes(path);
        EXPECT_GT(written.size(), 50u) << e.file;
        EXPECT_EQ(read_bytes(own), written) << e.file;
        if (e.twin) {
            const std::string ownTwin = dir.file(std::string("engine-") + e.twin);
            EXPECT_FALSE(read_bytes(dir.file(e.twin)).empty());
            EXPECT_EQ(read_bytes(ownTwin), read_bytes(dir.file(e.twin)));
        }
    }
    EXPECT_EQ("HINTCAD DMX file(*.DMX)|*.DMX", chooser->asked[chooser->asked.size() - 2].wildcard);

    // A file that cannot be written is reported, not announced as done.
    driver.messages.clear();
    driver.Then<ExportDialog>([](ExportDialog &dialog) {
        dialog.GetCheckBox(0, 2)->SetValue(true);
        return wxID_OK;
    });
    chooser->answers.push_back(dir.file("no/such/folder/lat.HDM"));
    Click(CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS);
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_EQ("Error", driver.messages[0].caption);
    EXPECT_NE(wxNOT_FOUND, driver.messages[0].text.Find("Cannot write"));
}

TEST_F(SectionCommandsTest, CommandsNeedAProjectRefuseWhileBusyAndCancelChangesNothing)
{
    const long commands[] = {CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS, CorvaneFrame::ID_RIBBON_LONGITUDE_SECTIONS,
                             CorvaneFrame::ID_RIBBON_VERTICAL_SECTION, CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION,
                             CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS};
    for (long id : commands)
        Click(id);
    EXPECT_EQ(std::vector<wxString>(5, "Warning"), driver.titles) << "no dialog without a project, only why";
    driver.titles.clear();
    driver.messages.clear();

    MakeProject();
    for (long id : commands)
        Click(id); // every dialog cancelled
    EXPECT_EQ(5u, driver.titles.size());
    EXPECT_FALSE(frame->IsTaskRunning());
    EXPECT_EQ(0u, SizeOf(g_workspace->latitude_sections) + SizeOf(g_workspace->longitude_sections) +
                      SizeOf(g_workspace->custom_sections));
    EXPECT_TRUE(TreeGroup("Latitude section").empty());
    EXPECT_TRUE(driver.messages.empty());

    // While the first batch is computed, every section command is refused.
    driver.Then<VSectionDialog>([&](VSectionDialog &dialog) {
        dialog.AppendRow(0, 0, 0);
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_VERTICAL_SECTION);
    ASSERT_TRUE(frame->IsTaskRunning());
    driver.titles.clear();
    for (long id : commands)
        Click(id);
    ASSERT_EQ(5u, driver.messages.size());
    for (const Message &m : driver.messages) {
        EXPECT_EQ("Task is running...", m.text);
        EXPECT_EQ("Error", m.caption);
    }
    EXPECT_EQ(5u, driver.titles.size()) << "only the five refusals were shown";
    WaitForTask();
    EXPECT_EQ(1u, SizeOf(g_workspace->custom_sections));
}

TEST_F(SectionCommandsTest, ExportWithoutSectionsOfThatKindSaysSoAndAsksForNoFile)
{
    MakeProject();
    driver.Then<ExportDialog>([](ExportDialog &) { return wxID_OK; });
    Click(CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS);
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_EQ("The project has no latitude sections to export.", driver.messages[0].text);
    EXPECT_EQ(3u, chooser->asked.size()) << "only the project's own file dialogs were asked";
}

// A real survey file: a vertical and a horizontal section through the
// middle of the cloud find its points and export like the engine's own.
TEST_F(SectionCommandsTest, CustomAndHorizontalSectionsCutARealCloud)
{
    Run(CorvaneFrame::ID_RIBBON_NEW, dir.file("real.qpj"));
    Run(CorvaneFrame::ID_RIBBON_IMPORT_CLOUD, las_sample("simple1_4.las"));
    ASSERT_EQ(1u, SizeOf(g_workspace->clouds));
    velmo_t *cloud = ItemAt<velmo_t>(g_workspace->clouds, 0);
    const double middle[3] = {(cloud->box[0] + cloud->box[3]) / 2, (cloud->box[1] + cloud->box[4]) / 2,
                              (cloud->box[2] + cloud->box[5]) / 2};
    const double span = std::max(cloud->box[3] - cloud->box[0], cloud->box[4] - cloud->box[1]);

    driver.Then<VSectionDialog>([&](VSectionDialog &dialog) {
        dialog.AppendRow(middle[0], middle[1], 45);
        dialog.GetSectionWidthField()->SetValue(wxString::Format("%.3f", span));
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_VERTICAL_SECTION);
    WaitForTask();
    driver.Then<HSectionDialog>([&](HSectionDialog &dialog) {
        dialog.GetSectionWidthField()->SetValue(wxString::Format("%.3f", span));
        dialog.GetBufferWidthField()->SetValue(wxString::Format("%.3f", cloud->box[5] - cloud->box[2]));
        return PressOk(dialog, dialog.AcceptInput());
    });
    Click(CorvaneFrame::ID_RIBBON_HORIZONTAL_SECTION);
    WaitForTask();
    ASSERT_EQ((std::vector<std::string>{"custom1", "section1"}), Names(g_workspace->custom_sections));
    for (size_t i = 0; i < 2; ++i) {
        section_t *section = ItemAt<section_t>(g_workspace->custom_sections, i);
        ASSERT_TRUE(wks_cal_section(g_workspace, section, nullptr));
        EXPECT_GT(SizeOf(section->points), 50u) << section->name;
    }

    driver.Then<ExportDialog>([](ExportDialog &dialog) {
        dialog.GetTreebook()->SetSelection(2);
        dialog.GetCheckBox(2, 1)->SetValue(true);
        return wxID_OK;
    });
    chooser->answers.push_back(dir.file("real.HDM"));
    Click(CorvaneFrame::ID_RIBBON_EXPORT_SECTIONS);
    ASSERT_EQ(1u, driver.messages.size());
    EXPECT_EQ("Export custom sections finished.", driver.messages[0].text);
    const int options[3] = {1, 1, 0};
    ASSERT_TRUE(wks_export_custom_sections(g_workspace, dir.file("engine.HDM").c_str(), options));
    EXPECT_EQ(read_bytes(dir.file("engine.HDM")), read_bytes(dir.file("real.HDM")));
}
