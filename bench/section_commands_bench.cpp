// section_commands_bench: the latitude section command of the program
// against the engine doing the same work by itself.
//
//   section_commands_bench [--points N] [--sections S] [--tree T] [--dir PATH]
//
// On a curved corridor of N points (default 20 M) and its road, times S
// latitude sections (default 1,000) made and computed by the engine alone,
// then the same through the main frame: from the dialog's OK to the last
// section in the tree, the worker task and the tree rebuilds included.  Last
// it rebuilds the tree of a workspace holding T sections (default 5,000).
// Needs a display (xvfb-run).
#include "CorvaneFrame.h"
#include "RibbonClick.h"
#include "RoadSectionDialog.h"
#include "SceneManager.h"
#include "TaskThread.h"
#include "canvas_test_app.h"
#include "lasgen.h"
#include "velmo.h"

#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/modalhook.h>
#include <wx/ribbon/buttonbar.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    uint64_t points = 20000000;
    int sections = 1000;
    int tree = 5000;
    std::string dir = (fs::temp_directory_path() / "corvane-section-bench").string();
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Print(const char *name, double value)
{
    std::printf("%s=%.6g\n", name, value);
    std::fflush(stdout);
}

bool Parse(int argc, char **argv, Options *o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--points")
            o->points = std::strtoull(argv[i + 1], nullptr, 10);
        else if (arg == "--sections")
            o->sections = std::atoi(argv[i + 1]);
        else if (arg == "--tree")
            o->tree = std::atoi(argv[i + 1]);
        else if (arg == "--dir")
            o->dir = argv[i + 1];
        else
            return false;
    }
    return argc % 2 == 1 && o->points > 0 && o->sections > 0 && o->tree > 0;
}

double LoadAverage()
{
    double load = 0;
    if (FILE *f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = 0;
        std::fclose(f);
    }
    return load;
}

// Chainages spread evenly over the road, inside its ends.
std::vector<double> Rows(const lasgen::CorridorSpec &spec, int count)
{
    std::vector<double> rows;
    for (int i = 0; i < count; ++i)
        rows.insert(rows.end(), {spec.start_chainage + spec.length * (i + 0.5) / count, 0.0});
    return rows;
}

// Fills the road section dialog's list and presses OK; the clock starts
// when the dialog closes.
class OkAnswer : public wxModalDialogHook
{
public:
    explicit OkAnswer(std::vector<double> rows) : m_rows(std::move(rows)) { Register(); }
    Clock::time_point ok;

protected:
    int Enter(wxDialog *dialog) override
    {
        auto *sections = dynamic_cast<RoadSectionDialog *>(dialog);
        if (!sections)
            return wxID_OK;
        sections->GetChainList()->Freeze();
        for (size_t i = 0; i + 1 < m_rows.size(); i += 2)
            sections->AppendRow(m_rows[i], m_rows[i + 1]);
        sections->GetChainList()->Thaw();
        const int answer = sections->AcceptInput() ? wxID_OK : wxID_CANCEL;
        ok = Clock::now();
        return answer;
    }
    void Exit(wxDialog *) override {}

private:
    std::vector<double> m_rows;
};

double EngineBatch(wks_road_t *road, const std::vector<double> &rows)
{
    const Clock::time_point start = Clock::now();
    const int first = (int)array_size(g_workspace->latitude_sections);
    const int made = wks_generate_road_latitude_sections(g_workspace, road, int(rows.size() / 2), rows.data(), 1.0,
                                                         40.0);
    for (int i = first; i < first + made; ++i) {
        void *item = nullptr;
        array_get_at(g_workspace->latitude_sections, (size_t)i, &item);
        wks_export_section(g_workspace, static_cast<section_t *>(item));
    }
    return SecondsSince(start);
}

double ProgramBatch(CorvaneFrame *frame, const std::vector<double> &rows)
{
    OkAnswer answer(rows);
    ClickRibbonButton(frame->GetRibbonBar(), CorvaneFrame::ID_RIBBON_LATITUDE_SECTIONS);
    PumpEventsUntil([frame] { return !frame->IsTaskRunning(); }, 3600 * 1000, true);
    return SecondsSince(answer.ok);
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!Parse(argc, argv, &o)) {
        std::fprintf(stderr, "usage: section_commands_bench [--points N] [--sections S] [--tree T] [--dir PATH]\n");
        return 2;
    }
    if (!StartToolkit()) {
        std::fprintf(stderr, "section_commands_bench: %s\n", ToolkitFailure().c_str());
        return 1;
    }
    wxInitAllImageHandlers();
    fs::create_directories(o.dir);
    lasgen::CorridorSpec spec;
    spec.points = o.points;
    spec.alignment = lasgen::Alignment::curved;
    spec.length = 1000.0;
    const std::string las = o.dir + "/corridor-" + std::to_string(o.points) + ".las";
    std::string error;
    if (!fs::exists(las) && !lasgen::write_corridor(spec, las, &error)) {
        std::fprintf(stderr, "section_commands_bench: %s\n", error.c_str());
        return 1;
    }
    const std::string pm = o.dir + "/centre.pm";
    road_t centre;
    road_init(&centre);
    lasgen::build_alignment(spec, &centre);
    road_export_haidi(&centre, pm.c_str());
    road_final(&centre);

    SceneInit();
    const std::string project = o.dir + "/bench.qpj";
    fs::remove(project);
    fs::remove_all(o.dir + "/bench");
    if (!wks_create_project(g_workspace, 0, project.c_str()) ||
        !wks_import_velmo(g_workspace, las.c_str(), nullptr)) {
        std::fprintf(stderr, "section_commands_bench: cannot make the project\n");
        return 1;
    }
    wks_road_t *road = wks_import_road(g_workspace, pm.c_str(), 0);
    auto *frame = new CorvaneFrame(nullptr, wxID_ANY);
    frame->Show();
    WaitUntilShown(frame);
    PumpEventsUntil([frame] { return !frame->IsTaskRunning(); }, 30000, true);
    frame->UpdateWorkspaceTree();

    // The view settles (the pager has the tiles it wants) and one untimed
    // batch warms the caches, so neither side pays for what the other did.
    PumpEventsUntil([] { return false; }, 10000, true);
    const std::vector<double> rows = Rows(spec, o.sections);
    Print("points", double(o.points));
    Print("sections", o.sections);
    Print("load_average_before", LoadAverage());
    Print("engine_warm_up_s", EngineBatch(road, rows));
    double engine = 0, program = 0;
    for (int round = 1; round <= 2; ++round) {
        const double e = EngineBatch(road, rows);
        const double p = ProgramBatch(frame, rows);
        Print(("engine_batch_s_" + std::to_string(round)).c_str(), e);
        Print(("program_ok_to_tree_s_" + std::to_string(round)).c_str(), p);
        engine += e;
        program += p;
    }
    Print("program_over_engine", program / engine);

    // Fill the workspace up to the tree size asked for and rebuild.
    const int have = (int)(array_size(g_workspace->latitude_sections) + array_size(g_workspace->longitude_sections) +
                           array_size(g_workspace->custom_sections));
    if (o.tree > have)
        wks_generate_road_latitude_sections(g_workspace, road, o.tree - have, Rows(spec, o.tree - have).data(), 1.0,
                                            40.0);
    const Clock::time_point start = Clock::now();
    frame->UpdateWorkspaceTree();
    Print("tree_sections", double(array_size(g_workspace->latitude_sections) +
                                  array_size(g_workspace->longitude_sections) +
                                  array_size(g_workspace->custom_sections)));
    Print("tree_rebuild_s", SecondsSince(start));
    Print("load_average_after", LoadAverage());

    frame->Destroy();
    PumpEventsFor(100);
    SceneDestroy();
    wxEntryCleanup();
    return 0;
}
