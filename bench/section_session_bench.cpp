// section_session_bench: the program's resident memory over a day of
// section work, driven through the main frame.
//
//   section_session_bench [--points N] [--sections S] [--changes C] [--dir PATH]
//
// Makes (or reuses, in PATH) a project of a corridor of N points (default
// 20 M) with S latitude sections (default 1,000, 40 m wide, 1 m thick),
// opens it with the ribbon's Open, opens the middle section in the section view
// and changes its thickness C times (default 200), each computed and drawn,
// then opens every section in turn as the tree's Measure does, each computed
// and drawn.  Prints the resident memory along the way.  Needs a display
// (xvfb-run).
#include "CorvaneFrame.h"
#include "FileChooser.h"
#include "RibbonClick.h"
#include "SceneManager.h"
#include "canvas_test_app.h"
#include "resident_memory.h"
#include "section_corridor_project.h"
#include "velmo.h"

#include <osgDB/Registry>

#include <wx/image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using bench::Milestone;
using bench::Print;
using bench::StatusMb;

struct Options {
    uint64_t points = 20000000;
    int sections = 1000;
    int changes = 200;
    std::string dir = (fs::temp_directory_path() / "corvane-session-bench").string();
};

bool Parse(int argc, char **argv, Options *o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--points")
            o->points = std::strtoull(argv[i + 1], nullptr, 10);
        else if (arg == "--sections")
            o->sections = std::atoi(argv[i + 1]);
        else if (arg == "--changes")
            o->changes = std::atoi(argv[i + 1]);
        else if (arg == "--dir")
            o->dir = argv[i + 1];
        else
            return false;
    }
    return argc % 2 == 1 && o->points > 0 && o->sections > 0 && o->changes >= 0;
}

void PrintResident(const std::string &when)
{
    Print("rss_mb_" + when, StatusMb("VmRSS"));
}

// The corridor, its road and a project holding the sections, computed and
// saved; made in a child process so that the import's memory is not the
// program's.
bool MakeProject(const Options &o, const std::string &project)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child > 0) {
        int status = 0;
        return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::string error;
    const bool made = bench::MakeSectionProject(o.dir, o.points, o.sections, project, &error);
    if (!made)
        std::fprintf(stderr, "section_session_bench: %s\n", error.c_str());
    _exit(made ? 0 : 1);
}

// Answers the Open command's file dialog with the project.
class ProjectChooser : public FileChooser
{
public:
    explicit ProjectChooser(std::string project) : m_project(std::move(project)) {}

protected:
    bool AskPath(wxWindow *, const wxString &, const wxString &, long, wxString *path) override
    {
        *path = wxString::FromUTF8(m_project);
        return true;
    }

private:
    std::string m_project;
};

// Waits for the running task, then lets both views draw.
void Settle(CorvaneFrame *frame)
{
    PumpEventsUntil([frame] { return !frame->IsTaskRunning(); }, 600 * 1000, true);
    PumpEventsUntil([] { return false; }, 20, true);
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!Parse(argc, argv, &o)) {
        std::fprintf(stderr, "usage: section_session_bench [--points N] [--sections S] [--changes C] [--dir PATH]\n");
        return 2;
    }
    if (!StartToolkit()) {
        std::fprintf(stderr, "section_session_bench: %s\n", ToolkitFailure().c_str());
        return 1;
    }
    wxInitAllImageHandlers();
    osgDB::Registry::instance()->getLibraryFilePathList().push_front(CORVANE_PLUGIN_LIBRARY_DIR);
    fs::create_directories(o.dir);
    const std::string project =
        o.dir + "/session-" + std::to_string(o.points) + "-" + std::to_string(o.sections) + ".qpj";
    if (!fs::exists(project) && !MakeProject(o, project)) {
        std::fprintf(stderr, "section_session_bench: cannot make the project in %s\n", o.dir.c_str());
        return 1;
    }
    SceneInit();
    auto *frame = new CorvaneFrame(nullptr, wxID_ANY);
    frame->SetSize(1600, 1000);
    frame->Show();
    WaitUntilShown(frame);
    Settle(frame);
    frame->SetFileChooser(std::make_unique<ProjectChooser>(project));
    ClickRibbonButton(frame->GetRibbonBar(), CorvaneFrame::ID_RIBBON_OPEN);
    Settle(frame);
    if (!g_workspace || int(array_size(g_workspace->latitude_sections)) != o.sections) {
        std::fprintf(stderr, "section_session_bench: cannot open %s\n", project.c_str());
        return 1;
    }
    // The model view pages the cloud in meanwhile.
    PumpEventsUntil([] { return false; }, 5000, true);
    Print("points", double(o.points));
    Print("sections", o.sections);
    PrintResident("project_shown");

    section_t *shown = bench::LatitudeSection(g_workspace, size_t(o.sections) / 2);
    frame->SetCurrentSection(shown);
    Settle(frame);
    Print("section_points", double(array_size(shown->points)));
    PrintResident("section_shown");
    for (int change = 1; change <= o.changes; ++change) {
        frame->SetSectionOffset(change % 2 ? 2.0 : 1.0);
        Settle(frame);
        if (Milestone(change, o.changes))
            PrintResident("after_thickness_changes_" + std::to_string(change));
    }

    size_t most = 0;
    for (int opened = 1; opened <= o.sections; ++opened) {
        shown = bench::LatitudeSection(g_workspace, size_t(opened - 1));
        frame->SetCurrentSection(shown);
        Settle(frame);
        most = std::max(most, size_t(array_size(shown->points)));
        if (Milestone(opened, o.sections))
            PrintResident("after_sections_opened_" + std::to_string(opened));
    }
    Print("section_points_most", double(most));
    Print("rss_mb_peak", StatusMb("VmHWM"));

    frame->Destroy();
    PumpEventsFor(100);
    SceneDestroy();
    wxEntryCleanup();
    return 0;
}
