// Private state of sections, and what the section files need of them.
#pragma once

#include "velmo.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace velmo {

// A point of a ground line, in the section plane and in the world.
struct GroundPoint {
    double u, v;
    double x, y, z;
};

} // namespace velmo

struct velmo_section_state {
    int64_t id = 0;              // row of the section in the project file, while stored
    bool stored = false;         // the project file holds its row (any id, 0 too)
    int list = 0;                // 0 latitude, 1 longitude, 2 custom
    int64_t road = 0;            // id of the road it was generated on; 0: none recorded
    // Guards replacing the points array and every change of the measurement
    // and red-line arrays.  Readers on other threads never see freed memory:
    // replaced arrays and removed measurements are retired.  A replaced
    // array, with its records, is freed by wks_release_section_points, when
    // the caller knows that no thread reads it any more; a removed
    // measurement, which the window may still hold, goes with the section.
    std::mutex lock;
    std::vector<Array *> retired_arrays;         // with their records
    std::vector<velmo_point_t *> retired_points; // removed measurements

    // The rest is the section modules' own bookkeeping.
    wks_t *workspace = nullptr;  // owner; lets section-only calls reach the project file
    uint64_t revision = 0;       // grows whenever a range changes (under lock)
    // The automatic ground line last computed from points that were not
    // kept, valid for one revision and one set of clouds (under lock).
    std::vector<velmo::GroundPoint> auto_line;
    bool auto_line_valid = false;
    uint64_t auto_line_revision = 0;
    std::vector<const void *> auto_line_clouds;
    // Why the section's last file import or export failed (see
    // section_last_message); written by the thread making that call.
    std::string file_message;

    // What the project file holds of the section, to write only what changed
    // (under the one lock of all sections' rows, in section_store.cpp).
    bool deleted = false;        // its row was deleted: nothing more is written
    double saved_ranges[4] = {0, 0, 0, 0};
    std::string saved_measurements, saved_red_line;
};

namespace velmo {

// The section's ground line, ordered by u: its measurements when it has two
// or more; otherwise, when automatic is true, the automatic line of its
// points (computed first when the section has none); otherwise empty.
std::vector<GroundPoint> section_ground_line(wks_t *wks, section_t *section, bool automatic);

// Height of a ground line at u, by linear interpolation (the ends are
// extended flat); NaN for an empty line.
double ground_height_at(const std::vector<GroundPoint> &line, double u);

// Records why a file import or export of the section failed; returns 0 for
// the call to hand back.
int section_file_failure(section_t *section, const std::string &message);
// "Cannot write <path>: <reason>." from the errno of the failed write.
std::string cannot_write(const std::string &path, int error);

// Writes the section's measurements and red line to its project file (the
// one of the workspace that holds it); false without a project or on error.
bool section_save_data(section_t *section);

// ---- shared by the section modules ----------------------------------------

// A new, empty section of a type for a list (0 latitude, 1 longitude,
// 2 custom), with its three arrays; null when memory runs out.
section_t *section_new(int type, int list);

// Move a removed measurement, or a replaced array with its records, to the
// retired lists.  Call with the section's lock held.
void section_retire_point(section_t *section, velmo_point_t *record) noexcept;
void section_retire_array(section_t *section, Array *old) noexcept;
// Frees the section's retired arrays, and its points unless keep_points;
// no other thread may be reading them.
void section_release(section_t *section, bool keep_points);
// Frees an array of point records and every record in it.
void free_point_records(Array *list);

class WorkerPool;

// A section's normal_range and width_range, taken as one snapshot: the
// slab its points are computed in.
struct SectionRanges {
    double normal[2];
    double width[2];
};

// The automatic ground line of a set of section points.
std::vector<GroundPoint> section_automatic_line(const section_t *section,
                                                const std::vector<velmo_point_t> &points);
// The automatic ground line of the points in the section's slab, computed
// without keeping them, on the given helpers (null: on the calling thread).
std::vector<GroundPoint> section_profile_line(wks_t *wks, const section_t *section, const SectionRanges &ranges,
                                              WorkerPool *workers);

// World x, y, z of a point from its u, v, w (the frame never changes, so
// this needs no lock).
void section_unproject(const section_t *section, velmo_point_t *point);

// Persistence in the open project file, each in one transaction.  Sections
// without a row get one (appended at the end of their list); the others
// have what changed since the last write updated.  False without a project
// or when the file could not be written.
bool sections_store(wks_t *wks, const std::vector<section_t *> &sections);
// Whether the project keeps the section as it is now: not deleted, and (in
// an open project file) its row holds its ranges, measurements and red line.
bool section_kept(wks_t *wks, section_t *section);
// Deletes the section's row; nothing of it is written afterwards.
bool section_store_delete(wks_t *wks, section_t *section);
// As section_store_delete for several sections, in one transaction.
bool sections_store_delete(wks_t *wks, const std::vector<section_t *> &sections);
// Deletes the row of a section whose deletion did not reach the file.
bool section_store_pending_delete(wks_t *wks, section_t *section);

// No section reaches farther than this (metres) from its centre; larger
// section coordinates are damaged numbers that would overflow the
// millimetre arithmetic of the exports.
constexpr double MEASUREMENT_LIMIT = 1e7;
// World coordinates reach farther (zone-prefixed eastings), but not this far.
constexpr double WORLD_LIMIT = 1e9;
// A measurement with world coordinates within WORLD_LIMIT and section
// coordinates within MEASUREMENT_LIMIT.
bool measurement_ok(const velmo_point_t &point);

class Database;
// Appends the sections stored in a project file to the workspace's lists.
void sections_load(const Database &db, wks_t *wks);

} // namespace velmo
