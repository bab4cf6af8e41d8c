#include "TaskTestSupport.h"

#include <climits>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace tasktest;

namespace {

class TaskTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TOOLKIT_STARTED(); }
};

// The events of one task: a start first, a finish last, progress between.
void ExpectFramed(const EventRecorder &recorder, int code)
{
    ASSERT_GE(recorder.events.size(), 2u);
    const Recorded &start = recorder.events.front(), &finish = recorder.events.back();
    EXPECT_EQ(start.type, EVT_TASK_START);
    EXPECT_EQ(start.code, code);
    EXPECT_TRUE(start.message.empty());
    EXPECT_EQ(start.total, 0);
    EXPECT_EQ(start.current, 0);
    EXPECT_EQ(finish.type, EVT_TASK_FINISH);
    EXPECT_EQ(finish.code, code);
    for (size_t i = 1; i + 1 < recorder.events.size(); i++)
        EXPECT_EQ(recorder.events[i].type, EVT_TASK_PROGRESS) << "event " << i;
}

std::vector<fs::path> SlicePieces(const fs::path &folder)
{
    std::vector<fs::path> pieces;
    for (const auto &entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind("corridor_", 0) == 0)
            pieces.push_back(entry.path());
    return pieces;
}

int ProjectRoadCount(const std::string &project)
{
    TestWorkspace reopened;
    if (!wks_open_project(reopened.get(), project.c_str()))
        return -1;
    return (int)array_size(reopened->roads);
}

} // namespace

TEST_F(TaskTest, SliceReportsStartThenLibraryProgressThenFinish)
{
    TempDir folder;
    Corridor corridor = MakeCorridor(folder);
    EventRecorder recorder;
    const int counts[3] = {2, 1, 1};
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_SLICE_LAS, wxString::FromUTF8(corridor.las.c_str()), counts),
                    recorder));

    ExpectFramed(recorder, TASK_SLICE_LAS);
    std::vector<Recorded> steps = recorder.Progress();
    ASSERT_FALSE(steps.empty()) << "the library's progress reaches the receiver";
    for (const Recorded &step : steps) {
        EXPECT_EQ(step.code, 0) << "library steps carry no task code";
        EXPECT_FALSE(step.message.empty());
        EXPECT_EQ(step.cloud, nullptr);
        EXPECT_EQ(step.section, nullptr);
        EXPECT_EQ(step.road, nullptr);
    }
    EXPECT_EQ(SlicePieces(folder.path()).size(), 2u) << "the slice counts reached the library";
}

TEST_F(TaskTest, WithoutReceiverTheTaskStillDoesItsWork)
{
    TempDir folder;
    Corridor corridor = MakeCorridor(folder);
    const int counts[3] = {1, 2, 1};
    TaskThread *task = new TaskThread(nullptr, TASK_SLICE_LAS, wxString::FromUTF8(corridor.las.c_str()), counts);
    ASSERT_EQ(task->Run(), wxTHREAD_NO_ERROR);
    ASSERT_TRUE(WaitForThreadEnd());
    EXPECT_EQ(SlicePieces(folder.path()).size(), 2u);
}

TEST_F(TaskTest, ImportsAndRemovesCloudsAndRoadsAndSavesTheProject)
{
    TempDir folder;
    Corridor corridor = MakeCorridor(folder);
    TestWorkspace workspace;
    const std::string project = folder.file("survey.qpj");
    ASSERT_NE(wks_create_project(workspace.get(), 0, project.c_str()), 0);

    EventRecorder cloudEvents;
    ASSERT_TRUE(RunTask(new TaskThread(&cloudEvents, TASK_IMPORT_LAS, wxString::FromUTF8(corridor.las.c_str())),
                    cloudEvents));
    ExpectFramed(cloudEvents, TASK_IMPORT_LAS);
    velmo_t *cloud = cloudEvents.events.back().cloud;
    ASSERT_NE(cloud, nullptr) << "the finish carries the new cloud";
    EXPECT_EQ(ItemOf<velmo_t>(workspace->clouds, 0), cloud);
    EXPECT_EQ(cloudEvents.events.front().cloud, nullptr) << "the start carries what stood before the work";

    EventRecorder roadEvents;
    ASSERT_TRUE(RunTask(new TaskThread(&roadEvents, TASK_IMPORT_HAIDI, wxString::FromUTF8(corridor.pm.c_str())),
                    roadEvents));
    ExpectFramed(roadEvents, TASK_IMPORT_HAIDI);
    EXPECT_EQ(roadEvents.events.size(), 2u) << "a road import has no progress steps";
    wks_road_t *road = roadEvents.events.back().road;
    ASSERT_NE(road, nullptr);
    EXPECT_EQ(road->format, 0);
    EXPECT_GT(road_number_horizon(&road->road), 1);
    EXPECT_EQ(ProjectRoadCount(project), 1) << "the import was saved";

    EventRecorder removeEvents;
    ASSERT_TRUE(RunTask(new TaskThread(&removeEvents, TASK_REMOVE_CLOUD, cloud), removeEvents));
    ExpectFramed(removeEvents, TASK_REMOVE_CLOUD);
    EXPECT_EQ(removeEvents.events.back().cloud, cloud);
    EXPECT_EQ(array_size(workspace->clouds), 0u);
    TestWorkspace reopened;
    ASSERT_NE(wks_open_project(reopened.get(), project.c_str()), 0);
    EXPECT_EQ(array_size(reopened->clouds), 0u) << "the removal was saved";
}

TEST_F(TaskTest, UnreadableRoadFinishesWithoutRoad)
{
    TempDir folder;
    TestWorkspace workspace;
    ASSERT_NE(wks_create_project(workspace.get(), 0, folder.file("p.qpj").c_str()), 0);
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_IMPORT_WEIDI, wxString::FromUTF8(folder.file("none.pm").c_str())),
                    recorder));
    ExpectFramed(recorder, TASK_IMPORT_WEIDI);
    EXPECT_EQ(recorder.events.back().road, nullptr);
}

TEST_F(TaskTest, RoadImportSaysWhyItRefusedTheFile)
{
    TempDir folder;
    TestWorkspace workspace;
    ASSERT_NE(wks_create_project(workspace.get(), 0, folder.file("p.qpj").c_str()), 0);
    const std::string path = folder.file("gaps.pm");
    {
        std::ofstream file(path, std::ios::binary);
        file << "HINTCAD5.83_PM_SHUJU_PM\n1\tNULL\tNULL\t0.0000\n1\t0\t0.3\t0\t100\t200\n"
                "-1\t0\t20\t0\t9999\t9999\t8\n1\t2\t3\t4\t5\t6\t7\t8\n0\t20\t\t0\t0\n";
    }
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_IMPORT_WEIDI, wxString::FromUTF8(path.c_str())), recorder));
    ExpectFramed(recorder, TASK_IMPORT_WEIDI);
    EXPECT_EQ(recorder.events.back().road, nullptr);
    EXPECT_EQ(array_size(workspace.get()->roads), 0u);
    EXPECT_TRUE(recorder.events.back().message.StartsWith("Nothing of \"" + path + "\" was imported: line 4 holds an "
                                                          "element of code 8,"))
        << recorder.events.back().message;
}

// velmo takes paths of at most 1023 bytes; a longer one must not be cut down
// to the name of some other file.
TEST_F(TaskTest, OverlongPathIsNotCutToAnotherFile)
{
    TempDir folder;
    Corridor corridor = MakeCorridor(folder);
    TestWorkspace workspace;
    ASSERT_NE(wks_create_project(workspace.get(), 0, folder.file("p.qpj").c_str()), 0);

    // A real road file whose path is exactly 1023 bytes long.
    fs::path dir = folder.path();
    while (dir.string().size() < 1023 - 200)
        dir /= std::string(100, 'd');
    fs::create_directories(dir);
    std::string name(1023 - dir.string().size() - 1, 'r');
    fs::path road = dir / name;
    ASSERT_EQ(road.string().size(), 1023u);
    fs::copy_file(corridor.pm, road);

    // Refused by name and for its length, for a road and a cloud alike.
    wxString overlong = wxString::FromUTF8((road.string() + ".pm").c_str());
    for (int code : {TASK_IMPORT_HAIDI, TASK_IMPORT_LAS}) {
        EventRecorder recorder;
        ASSERT_TRUE(RunTask(new TaskThread(&recorder, code, overlong), recorder));
        EXPECT_EQ(recorder.events.back().road, nullptr);
        EXPECT_EQ(recorder.events.back().cloud, nullptr);
        const wxString message = recorder.events.back().message;
        EXPECT_TRUE(message.Contains(overlong) && message.Contains("longer than 1023 bytes")) << message;
    }
    EXPECT_EQ(array_size(workspace->roads), 0u);
    EXPECT_EQ(array_size(workspace->clouds), 0u);

    EventRecorder exact;
    ASSERT_TRUE(RunTask(new TaskThread(&exact, TASK_IMPORT_HAIDI, wxString::FromUTF8(road.string().c_str())), exact));
    EXPECT_NE(exact.events.back().road, nullptr) << "a path of 1023 bytes still fits";
}

class SectionTaskTest : public TaskTest
{
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        if (HasFatalFailure())
            return;
        corridor_ = MakeCorridor(folder_);
        project_ = folder_.file("sections.qpj");
        ASSERT_NE(wks_create_project(workspace_.get(), 0, project_.c_str()), 0);
        ASSERT_NE(wks_import_velmo(workspace_.get(), corridor_.las.c_str(), nullptr), nullptr);
        road_ = wks_import_road(workspace_.get(), corridor_.pm.c_str(), 0);
        ASSERT_NE(road_, nullptr);
        ASSERT_NE(wks_export_project(workspace_.get()), 0);
    }

    // New latitude sections at the chainages, as the generate command makes
    // them; returns [first, last).
    std::pair<int, int> AddLatitudeSections(std::vector<double> chainages)
    {
        std::vector<double> rows;
        for (double chainage : chainages) {
            rows.push_back(chainage);
            rows.push_back(0.0);
        }
        int first = (int)array_size(workspace_->latitude_sections);
        wks_generate_road_latitude_sections(workspace_.get(), road_, (int)chainages.size(), rows.data(), 1.0, 20.0);
        return {first, (int)array_size(workspace_->latitude_sections)};
    }

    TempDir folder_;
    TestWorkspace workspace_;
    Corridor corridor_;
    std::string project_;
    wks_road_t *road_ = nullptr;
};

TEST_F(SectionTaskTest, GeneratingReportsEachNewSectionInOrder)
{
    auto range = AddLatitudeSections({10, 20, 30});
    ASSERT_EQ(range.second - range.first, 3);
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_LATITUDE_SECTIONS, range.first, range.second), recorder));
    ExpectFramed(recorder, TASK_LATITUDE_SECTIONS);

    std::vector<Recorded> steps = recorder.Progress();
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].code, 0);
    EXPECT_EQ(steps[0].total, 3);
    EXPECT_EQ(steps[0].current, 0);
    for (int i = 1; i <= 3; i++) {
        EXPECT_EQ(steps[i].code, TASK_LATITUDE_SECTIONS);
        EXPECT_EQ(steps[i].total, 3);
        EXPECT_EQ(steps[i].current, i);
        EXPECT_EQ(steps[i].message, "Generating sections...");
        EXPECT_EQ(steps[i].section, ItemOf<section_t>(workspace_->latitude_sections, range.first + i - 1));
    }
    EXPECT_LT(TaskThreadEvent::Percent(steps.back().total, steps.back().current), 100)
        << "the last step stays below 100 %";
}

TEST_F(SectionTaskTest, EmptyRangeOnlyAnnouncesItself)
{
    int size = (int)array_size(workspace_->custom_sections);
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_CUSTOM_SECTIONS, size, size), recorder));
    ExpectFramed(recorder, TASK_CUSTOM_SECTIONS);
    std::vector<Recorded> steps = recorder.Progress();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].total, 0);
    EXPECT_EQ(steps[0].current, 0);
    EXPECT_EQ(steps[0].message, "Generating sections...");
}

TEST_F(SectionTaskTest, RangeBeyondTheListReportsStepsWithoutSections)
{
    int size = (int)array_size(workspace_->longitude_sections);
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_LONGITUDE_SECTIONS, size, size + 2), recorder));
    std::vector<Recorded> steps = recorder.Progress();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[2].current, 2);
    EXPECT_EQ(steps[1].section, nullptr);
    EXPECT_EQ(steps[2].section, nullptr);
}

TEST_F(SectionTaskTest, PickFindsTheLatitudeSectionWhoseDoubledSlabHoldsThePoint)
{
    auto range = AddLatitudeSections({15, 40});
    ASSERT_EQ(range.second - range.first, 2);
    section_t *second = ItemOf<section_t>(workspace_->latitude_sections, range.first + 1);
    ASSERT_NE(second, nullptr);

    auto pick = [](const double p[3]) {
        EventRecorder recorder;
        EXPECT_TRUE(RunTask(new TaskThread(&recorder, TASK_PICK_SECTION, p[0], p[1], p[2]), recorder));
        EXPECT_EQ(recorder.events.front().section, nullptr) << "the result starts empty";
        return recorder.events.back().section;
    };
    const double far = second->normal_range[1];
    double atCentre[3], inDoubledSlab[3], beyondIt[3], offToTheSide[3];
    for (int k = 0; k < 3; k++) {
        atCentre[k] = second->center[k] + 3.0 * second->axis_u[k];
        inDoubledSlab[k] = second->center[k] + 1.8 * far * second->normal[k];
        beyondIt[k] = second->center[k] + 2.2 * far * second->normal[k];
        offToTheSide[k] = second->center[k] + (second->width_range[1] + 0.5) * second->axis_u[k];
    }
    EXPECT_EQ(pick(atCentre), second);
    EXPECT_EQ(pick(inDoubledSlab), second);
    EXPECT_EQ(pick(beyondIt), nullptr);
    EXPECT_EQ(pick(offToTheSide), nullptr);
    const double nowhere[3] = {0, 0, 0};
    EXPECT_EQ(pick(nowhere), nullptr);
}

TEST_F(SectionTaskTest, LoadingASectionComputesItsPoints)
{
    auto range = AddLatitudeSections({25});
    section_t *section = ItemOf<section_t>(workspace_->latitude_sections, range.first);
    ASSERT_NE(section, nullptr);
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_LOAD_SECTION, section), recorder));
    ExpectFramed(recorder, TASK_LOAD_SECTION);
    EXPECT_EQ(recorder.events.front().section, section);
    EXPECT_EQ(recorder.events.back().section, section);
    EXPECT_GT(array_size(section->points), 0u);
}

// A section task whose cloud's store another program wrote over finishes
// with the engine's reason, which the frame reports; one that computed
// finishes without a message, which the frame would take for a failure.
TEST_F(SectionTaskTest, SectionTasksFinishWithTheReasonOnlyWhenSectionsCouldNotBeComputed)
{
    auto range = AddLatitudeSections({20, 30});
    section_t *section = ItemOf<section_t>(workspace_->latitude_sections, range.first);
    ASSERT_NE(section, nullptr);
    struct Task {
        const char *name;
        std::function<TaskThread *(EventRecorder *)> make;
    } tasks[] = {
        {"load", [&](EventRecorder *r) { return new TaskThread(r, TASK_LOAD_SECTION, section); }},
        {"generate", [&](EventRecorder *r) { return new TaskThread(r, TASK_LATITUDE_SECTIONS, range.first, range.second); }},
    };
    for (const Task &task : tasks) {
        EventRecorder recorder;
        ASSERT_TRUE(RunTask(task.make(&recorder), recorder)) << task.name;
        EXPECT_EQ(recorder.events.back().message, "") << task.name;
    }
    const std::string store = folder_.file("sections.data/1.tiles");
    std::ofstream(store, std::ios::binary | std::ios::in | std::ios::trunc)
        << std::string(size_t(fs::file_size(store)), '\0');
    for (const Task &task : tasks) {
        EventRecorder recorder;
        ASSERT_TRUE(RunTask(task.make(&recorder), recorder)) << task.name;
        const wxString message = recorder.events.back().message;
        EXPECT_TRUE(message.Contains("corridor.las") && message.Contains("Reopen the project"))
            << task.name << ": " << message;
    }
}

TEST_F(SectionTaskTest, OpeningAProjectShowsCloudsThenRoadsThenSections)
{
    auto latitude = AddLatitudeSections({10, 50});
    EventRecorder generated;
    ASSERT_TRUE(
        RunTask(new TaskThread(&generated, TASK_LATITUDE_SECTIONS, latitude.first, latitude.second), generated));
    ASSERT_NE(wks_export_project(workspace_.get()), 0);

    workspace_.Reset();
    ASSERT_NE(wks_open_project(workspace_.get(), project_.c_str()), 0);
    ASSERT_EQ(array_size(workspace_->clouds), 1u);
    ASSERT_EQ(array_size(workspace_->roads), 1u);
    ASSERT_EQ(array_size(workspace_->latitude_sections), 2u);

    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_OPEN_PROJECT, wxString()), recorder));
    ExpectFramed(recorder, TASK_OPEN_PROJECT);

    // Task steps (code 11) in order; the library's own steps (code 0) between them.
    std::vector<Recorded> steps;
    for (const Recorded &step : recorder.Progress())
        if (step.code == TASK_OPEN_PROJECT)
            steps.push_back(step);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].cloud, ItemOf<velmo_t>(workspace_->clouds, 0));
    EXPECT_EQ(steps[0].total, 1);
    EXPECT_EQ(steps[0].current, 0);
    EXPECT_EQ(steps[0].message, "Importing project...");
    EXPECT_EQ(steps[1].road, ItemOf<wks_road_t>(workspace_->roads, 0));
    EXPECT_EQ(steps[1].message, "Importing road...");
    EXPECT_EQ(steps[1].current, 1);
    for (int i = 2; i < 4; i++) {
        EXPECT_EQ(steps[i].section, ItemOf<section_t>(workspace_->latitude_sections, i - 2));
        EXPECT_EQ(steps[i].message, "Importing sections...");
        EXPECT_EQ(steps[i].current, i);
    }
    for (int i = 1; i < 4; i++)
        EXPECT_EQ(steps[i].total, 3) << "roads and sections are counted";
    EXPECT_GT(road_number_horizon(&ItemOf<wks_road_t>(workspace_->roads, 0)->road), 1) << "the road was loaded";
    EXPECT_NE(ItemOf<velmo_t>(workspace_->clouds, 0)->tiles, nullptr);
}

TEST_F(TaskTest, OpeningAnEmptyProjectPostsOneStep)
{
    TempDir folder;
    TestWorkspace workspace;
    ASSERT_NE(wks_create_project(workspace.get(), 0, folder.file("empty.qpj").c_str()), 0);
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, TASK_OPEN_PROJECT, wxString()), recorder));
    ASSERT_EQ(recorder.events.size(), 3u);
    ExpectFramed(recorder, TASK_OPEN_PROJECT);
    const Recorded &step = recorder.events[1];
    EXPECT_EQ(step.total, 0);
    EXPECT_EQ(step.current, 0);
    EXPECT_EQ(step.message, "Importing project...");
}

TEST_F(TaskTest, UnknownCodeOnlyStartsAndFinishes)
{
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, 99, wxString()), recorder));
    ASSERT_EQ(recorder.events.size(), 2u);
    ExpectFramed(recorder, 99);
}

// A cloud may keep the progress callback after its task; a call that comes
// when the thread object is gone must find no receiver.
TEST_F(TaskTest, ProgressAfterTheThreadHasEndedReachesNobody)
{
    EventRecorder recorder;
    ASSERT_TRUE(RunTask(new TaskThread(&recorder, 99, wxString()), recorder));
    EXPECT_FALSE(TaskThread::HasCurrentTask());
    TaskProgressCallback(10, 5, "late");
    PostTaskProgress(10, 6, "late", TaskResult{TASK_OPEN_PROJECT, nullptr, nullptr, nullptr});
    std::thread([] { TaskProgressCallback(10, 7, "late from elsewhere"); }).join();
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(recorder.events.size(), 2u);
}

TEST_F(TaskTest, ProgressGoesToTheNewestTaskAndAThreadNeverRunLeavesNoTrace)
{
    EventRecorder first, second;
    TaskThread *older = new TaskThread(&first, TASK_LOAD_SECTION, (section_t *)nullptr);
    TaskThread *newer = new TaskThread(&second, TASK_LOAD_SECTION, (section_t *)nullptr);
    TaskProgressCallback(2, 1, "step");
    delete older;
    EXPECT_TRUE(TaskThread::HasCurrentTask()) << "deleting an older thread keeps the newer one's registration";
    delete newer;
    EXPECT_FALSE(TaskThread::HasCurrentTask());
    TaskProgressCallback(2, 2, "after");
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(first.events.empty());
    ASSERT_EQ(second.events.size(), 1u);
    EXPECT_EQ(second.events[0].current, 1);
    EXPECT_EQ(second.events[0].message, "step");
}

TEST(TaskProgressPercent, LastStepStaysBelowAHundredAndLargeCountsDoNotOverflow)
{
    EXPECT_EQ(TaskThreadEvent::Percent(0, 0), 0);
    EXPECT_EQ(TaskThreadEvent::Percent(9, 9), 90);
    EXPECT_EQ(TaskThreadEvent::Percent(3, 1), 25);
    EXPECT_EQ(TaskThreadEvent::Percent(99, 99), 99);
    EXPECT_EQ(TaskThreadEvent::Percent(200000000, 150000000), 74) << "point counts times 100 exceed an int";
    EXPECT_EQ(TaskThreadEvent::Percent(INT_MAX, INT_MAX), 99);
    EXPECT_EQ(TaskThreadEvent::Percent(-1, 5), 0) << "no division by zero";
    EXPECT_EQ(TaskThreadEvent::Percent(10, -3), 0);
    EXPECT_EQ(TaskThreadEvent::Percent(1, 50), 100) << "a step past the total is shown full";
    TaskThreadEvent step(EVT_TASK_PROGRESS, 4, 2, "x", 0, nullptr, nullptr, nullptr);
    EXPECT_EQ(step.GetPercent(), 40);
}

TEST(TaskBusyGuard, MessagesAreTheProgramsOwn)
{
    EXPECT_EQ(TaskThread::BusyMessage(), "Task is running...");
    EXPECT_EQ(TaskThread::BusyCloseMessage(), "Task is still running,please wait...");
}
