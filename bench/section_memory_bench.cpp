// section_memory_bench: the memory sections hold over a long session, with
// the engine called as the program calls it.
//
//   section_memory_bench [--points N] [--sections S] [--changes C] [--opened O] [--dir PATH]
//                        [--keep] [--only thickness|opening]
//
// On a corridor of N points (default 20 M) with S latitude sections (default
// 1,000, 40 m wide, 1 m thick), prints the resident memory while one
// section's thickness is changed C times (default 200) and computed again
// each time, then while O sections (default S) are opened in turn, the
// first after the last again when O is larger.  After each step
// the window's hand-over frees what it no longer needs
// (wks_release_section_points with the section shown); --keep leaves it out,
// as the program did before it had one.  --only runs one of the two parts.
// The corridor and project are kept in PATH for the next run of the same
// size.
#include "resident_memory.h"
#include "section_corridor_project.h"
#include "velmo.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using bench::Milestone;
using bench::Print;
using bench::StatusMb;

struct Options {
    uint64_t points = 20000000;
    int sections = 1000;
    int changes = 200;
    int opened = 0; // the sections' count
    std::string dir = (fs::temp_directory_path() / "corvane-memory-bench").string();
    bool keep = false;
    bool thickness = true, opening = true;
};

bool Parse(int argc, char **argv, Options *o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep") {
            o->keep = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char *value = argv[++i];
        if (arg == "--points")
            o->points = std::strtoull(value, nullptr, 10);
        else if (arg == "--sections")
            o->sections = std::atoi(value);
        else if (arg == "--changes")
            o->changes = std::atoi(value);
        else if (arg == "--opened")
            o->opened = std::atoi(value);
        else if (arg == "--dir")
            o->dir = value;
        else if (arg == "--only" && (!std::strcmp(value, "thickness") || !std::strcmp(value, "opening")))
            (!std::strcmp(value, "thickness") ? o->opening : o->thickness) = false;
        else
            return false;
    }
    if (o->opened <= 0)
        o->opened = o->sections;
    return o->points > 0 && o->sections > 0 && o->changes >= 0;
}

double ResidentMb() { return StatusMb("VmRSS"); }

// The resident memory, and how much of it is the heap's (the rest is mostly
// the tile stores' pages, shared with the page cache).
void PrintResident(const std::string &when)
{
    Print("rss_mb_" + when, ResidentMb());
    Print("rss_anon_mb_" + when, StatusMb("RssAnon"));
}

// What the section view does with new points: it copies them.
size_t CopyForTheView(const section_t *section, std::vector<velmo_point_t> *view)
{
    view->clear();
    for (size_t i = 0; i < array_size(section->points); ++i) {
        void *item = nullptr;
        array_get_at(section->points, i, &item);
        view->push_back(*static_cast<const velmo_point_t *>(item));
    }
    return view->size();
}

bool OpenProject(wks_t *wks, const std::string &project)
{
    if (!wks_open_project(wks, project.c_str()))
        return false;
    for (size_t i = 0; i < array_size(wks->clouds); ++i) {
        void *cloud = nullptr;
        array_get_at(wks->clouds, i, &cloud);
        velmo_open_file(static_cast<velmo_t *>(cloud));
    }
    wks_update_bounding_box(wks);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!Parse(argc, argv, &o)) {
        std::fprintf(stderr, "usage: section_memory_bench [--points N] [--sections S] [--changes C] [--opened O] "
                             "[--dir PATH] [--keep] [--only thickness|opening]\n");
        return 2;
    }
    fs::create_directories(o.dir);
    const std::string project =
        o.dir + "/sections-" + std::to_string(o.points) + "-" + std::to_string(o.sections) + ".qpj";
    std::string error;
    if (!fs::exists(project) && !bench::MakeSectionProject(o.dir, o.points, o.sections, project, &error)) {
        std::fprintf(stderr, "section_memory_bench: %s\n", error.c_str());
        return 1;
    }

    Print("points", double(o.points));
    Print("sections", o.sections);
    Print("hand_over", o.keep ? 0 : 1);
    auto *wks = static_cast<wks_t *>(malloc(96));
    wks_init(wks);
    if (!OpenProject(wks, project) || int(array_size(wks->latitude_sections)) != o.sections) {
        std::fprintf(stderr, "section_memory_bench: cannot open %s\n", project.c_str());
        return 1;
    }
    PrintResident("project_open");
    std::vector<velmo_point_t> view;

    // A surveyor trying thicknesses on one section: 1 m and 2 m in turn.
    section_t *shown = bench::LatitudeSection(wks, size_t(o.sections) / 2);
    wks_cal_section(wks, shown, nullptr);
    Print("section_points_1m", double(CopyForTheView(shown, &view)));
    PrintResident("section_shown");
    for (int change = 1; o.thickness && change <= o.changes; ++change) {
        const double half = change % 2 ? 1.0 : 0.5;
        const double range[2] = {-half, half};
        wks_modify_section_offset(wks, shown, range);
        wks_cal_section(wks, shown, nullptr);
        CopyForTheView(shown, &view);
        if (!o.keep)
            wks_release_section_points(wks, shown);
        if (Milestone(change, o.changes))
            PrintResident("after_thickness_changes_" + std::to_string(change));
    }
    Print("section_points_last", double(view.size()));

    // Every section opened in turn, as the tree or a double click does.
    size_t most = 0;
    for (int opened = 1; o.opening && opened <= o.opened; ++opened) {
        shown = bench::LatitudeSection(wks, size_t(opened - 1) % size_t(o.sections));
        wks_cal_section(wks, shown, nullptr);
        most = std::max(most, CopyForTheView(shown, &view));
        if (!o.keep)
            wks_release_section_points(wks, shown);
        if (Milestone(opened, o.opened))
            PrintResident("after_sections_opened_" + std::to_string(opened));
    }
    Print("section_points_most", double(most));
    Print("rss_mb_peak", StatusMb("VmHWM"));
    Print("rss_target_mb", 300);
    wks_destroy(wks);
    return 0;
}
