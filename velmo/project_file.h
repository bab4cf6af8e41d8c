// The project file: an SQLite database listing the workspace's clouds, roads
// and sections, with a data folder "<stem>.data" beside it for tile stores
// and road files.
#pragma once

#include "velmo.h"

#include <string>

namespace velmo {

// Version of the project file this engine writes; newer files are refused.
constexpr int PROJECT_FORMAT = 1;

// Creates a new, empty project file; fails when the path exists.
bool project_create(const std::string &path);
// True when path is a project file this engine can read (opened read-only,
// never changed).
bool project_recognised(const std::string &path);
// Fills an empty workspace with the project's clouds and roads (their
// contents load later, with velmo_open_file and road_open_file).
bool project_load(wks_t *wks);
// Deletes the files of the data folder that this engine writes (tile stores,
// their unfinished ".part" files, road files and their journals) and that
// no cloud or road of the loaded project uses: left by removed clouds and
// roads, or by imports and saves that were killed.
void project_remove_orphans(wks_t *wks);
// Writes the cloud and road lists in one transaction.
bool project_save(wks_t *wks);

// "<folder of the project>/<stem>.data" for a project path.
std::string project_data_folder(const std::string &project_path);
// The stem of a path: its file name without the last extension.
std::string path_stem(const std::string &path);

} // namespace velmo
