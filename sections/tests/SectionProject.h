// A project on disk for the section view's tests and timings: a synthetic
// road corridor (LAS), its centre line as a HaiDi road, and latitude sections
// across it, computed and saved as the program leaves them.
#pragma once

#include "lasgen.h"
#include "road.h"
#include "velmo.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace sectiontest {

struct ProjectSpec {
    uint64_t points = 200000;
    double length = 80.0;
    std::vector<double> chainages = {20.0, 40.0, 60.0};
    double bufferWidth = 1.0;
    double sectionWidth = 40.0;
    // One longitude section over this chainage range when it is not empty.
    double longitudeFrom = 0.0, longitudeTo = 0.0;
};

inline void ComputeAll(wks_t *wks, Array *list)
{
    for (size_t i = 0; list && i < array_size(list); ++i) {
        void *section = nullptr;
        array_get_at(list, i, &section);
        wks_export_section(wks, static_cast<section_t *>(section));
    }
}

// Writes corridor.las, centre.pm and project.qpj into dir; the project's
// path, or the empty text with *error set.
inline std::string MakeSectionProject(const std::string &dir, const ProjectSpec &project, std::string *error)
{
    lasgen::CorridorSpec corridor;
    corridor.points = project.points;
    corridor.length = project.length;
    const std::string las = dir + "/corridor.las";
    if (!lasgen::write_corridor(corridor, las, error))
        return std::string();
    road_t road;
    road_init(&road);
    lasgen::build_alignment(corridor, &road);
    const std::string pm = dir + "/centre.pm";
    const int written = road_export_haidi(&road, pm.c_str());
    road_final(&road);
    if (written != 0) {
        *error = "cannot write " + pm;
        return std::string();
    }
    auto *wks = static_cast<wks_t *>(calloc(1, 4096));
    wks_init(wks);
    const std::string path = dir + "/project.qpj";
    bool ok = wks_create_project(wks, 0, path.c_str()) && wks_import_velmo(wks, las.c_str(), nullptr);
    wks_road_t *imported = ok ? wks_import_road(wks, pm.c_str(), 0) : nullptr;
    ok = ok && imported;
    if (ok) {
        wks_update_bounding_box(wks);
        std::vector<double> rows;
        for (double chainage : project.chainages) {
            rows.push_back(chainage);
            rows.push_back(0.0);
        }
        const int added = wks_generate_road_latitude_sections(wks, imported, int(project.chainages.size()),
                                                              rows.data(), project.bufferWidth,
                                                              project.sectionWidth);
        ok = added == int(project.chainages.size());
        if (ok && project.longitudeTo > project.longitudeFrom) {
            const double range[2] = {project.longitudeFrom, project.longitudeTo};
            ok = wks_generate_road_longitude_sections(wks, imported, 1, range, project.bufferWidth) == 1;
        }
        if (ok) {
            ComputeAll(wks, wks->latitude_sections);
            ComputeAll(wks, wks->longitude_sections);
        }
        ok = ok && wks_export_project(wks);
    }
    wks_destroy(wks);
    if (!ok) {
        *error = "the engine refused the project in " + dir;
        return std::string();
    }
    return path;
}

} // namespace sectiontest
