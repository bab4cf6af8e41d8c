// The project the section memory benchmarks work on: a corvane-lasgen
// corridor, its centre line and latitude sections spread evenly along it,
// computed and saved as the program saves new sections.
#pragma once

#include "lasgen.h"
#include "velmo.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

inline section_t *LatitudeSection(const wks_t *wks, size_t index)
{
    void *item = nullptr;
    array_get_at(wks->latitude_sections, index, &item);
    return static_cast<section_t *>(item);
}

// Writes corridor.las and centre.pm into dir and the project at path with
// `sections` sections 40 m wide and 1 m thick; false with *error set.
inline bool MakeSectionProject(const std::string &dir, uint64_t points, int sections, const std::string &project,
                               std::string *error)
{
    lasgen::CorridorSpec spec;
    spec.points = points;
    const std::string las = dir + "/corridor.las", pm = dir + "/centre.pm";
    if (!lasgen::write_corridor(spec, las, error))
        return false;
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    const bool written = road_export_haidi(&road, pm.c_str()) == 0;
    road_final(&road);
    std::vector<double> rows;
    for (int i = 0; i < sections; ++i)
        rows.insert(rows.end(), {spec.start_chainage + spec.length * (i + 0.5) / sections, 0.0});
    auto *wks = static_cast<wks_t *>(malloc(96));
    wks_init(wks);
    wks_road_t *centre = nullptr;
    bool made = written && wks_create_project(wks, 0, project.c_str()) && wks_import_velmo(wks, las.c_str(), nullptr) &&
                (centre = wks_import_road(wks, pm.c_str(), 0)) && wks_export_project(wks) &&
                wks_generate_road_latitude_sections(wks, centre, sections, rows.data(), 1.0, 40.0) == sections;
    std::vector<section_t *> block;
    for (size_t i = 0; made && i < array_size(wks->latitude_sections); ++i) {
        block.push_back(LatitudeSection(wks, i));
        if (block.size() == size_t(WKS_EXPORT_BLOCK) || i + 1 == array_size(wks->latitude_sections)) {
            made = wks_export_sections(wks, block.data(), int(block.size())) == int(block.size());
            block.clear();
        }
    }
    wks_destroy(wks);
    if (!made)
        *error = "cannot make the project " + project;
    return made;
}

} // namespace bench
