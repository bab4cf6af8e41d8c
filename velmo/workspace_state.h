// Private state behind the public workspace, cloud and road records.
#pragma once

#include "project_lock.h"
#include "section_grid.h"
#include "tile_store.h"
#include "velmo.h"
#include "worker_pool.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmo {

// The file texts of a project row that named a file the engine could not
// take whole (a path longer than a record holds): the row is saved as it
// was read, so that the project finds the file again once it is moved back.
struct KeptRow {
    bool kept = false;
    std::string path, relative;
};

} // namespace velmo

struct velmo_cloud_state {
    int64_t id = 0;                 // row of the cloud in the project file
    std::string store_path;         // its tile store in the data folder
    uint64_t point_count = 0;
    std::unique_ptr<velmo::TileStore> store;
    std::vector<tile_t> tiles;      // published once, never moved
    std::mutex open_mutex;          // one velmo_open_file at a time per cloud; guards progress
    bool missing = false;           // neither its LAS file nor its store exists
    velmo::KeptRow row;
    // See velmo_last_message: texts are added, never changed or freed while
    // the cloud lives, so a reader on any thread may hold the last one.
    std::mutex message_lock;
    std::deque<std::string> messages;
    std::atomic<const char *> message{""};
    std::atomic<bool> store_lost{false}; // its store changed on disk since it was opened
};

struct velmo_road_state {
    int64_t id = 0;                 // row of the road in the project file
    std::string road_file;          // its road file in the data folder
    velmo::KeptRow row;
    // The road file exists but could not be read: it may still hold the
    // only copy of a profile, so it is never overwritten.
    bool road_file_unreadable = false;
};

struct velmo_workspace_state {
    std::string project_path;       // the ".qpj" file; empty without a project
    std::string data_folder;        // "<stem>.data" beside it
    int64_t next_id = 1;            // ids of new clouds and roads
    double center_z = 0.0;          // middle of the workspace box in z
    std::mutex extent_lock;         // guards the centre and base elevation
    std::unique_ptr<velmo::ProjectLock> lock; // held while the project is open
    std::string message;            // see wks_last_message
    // Records taken out of the lists.  Pagers and dialogs may still hold
    // them, so they are released with the workspace; their files are deleted
    // then too, once a save has dropped them from the project.
    std::vector<velmo_t *> removed_clouds;
    std::vector<wks_road_t *> removed_roads;
    std::vector<section_t *> removed_sections;
    size_t removed_saved_clouds = 0; // how many of removed_clouds a save has dropped
    size_t removed_saved_roads = 0;
    // Threads that compute sections, kept while the workspace lives: a
    // batch of a thousand sections must not start threads for each.
    velmo::WorkerPool section_workers{std::max(1u, std::thread::hardware_concurrency()) - 1};
};

namespace velmo {

// Appends a record pointer to a list read by other threads.
void list_append(Array *list, void *record);
// Takes a record out of a list; false when it is not there.
bool list_remove(Array *list, void *record);

// Reports a message through a progress callback that may be null.
void report(velmo_progress_callback_t progress, const char *message);

// Copies text into a fixed buffer, cut to fit and NUL-terminated.
void copy_text(char *target, size_t size, const std::string &text);
// Copies a path into a record's buffer whole; false, leaving it empty, when
// it does not fit.
bool copy_path(char (&target)[VELMO_PATH_SIZE], const std::string &path);
// Copies text whole into a buffer of size bytes; false when it does not fit.
bool copy_whole(char *target, size_t size, const std::string &text);

// A usable path argument: not null, not empty, shorter than 1,024 bytes.
bool path_ok(const char *path);
// Whether a path fits a record's buffer whole.
bool path_fits_record(const std::string &path);
// "The path "..." is N bytes long; ...": why a path was refused for its length.
std::string path_too_long(const std::string &path);
// The absolute, normal form of a path (the path itself when the current
// folder cannot be known).
std::string absolute_path(const char *path);
// The absolute form of a path argument for a record: false, with *why set,
// when the argument is unusable or its absolute form does not fit.
bool record_path(const char *path, std::string *absolute, std::string *why);

// Frees a cloud record and everything it holds.
void cloud_free(velmo_t *cloud);
// Frees a road record and its road handle.
void road_free(wks_road_t *road);
// True when neither the cloud's LAS file nor its store exists.
bool cloud_missing(const velmo_t *cloud);
// Shows the cloud as it is: no points, no box, missing.
void mark_empty(velmo_t *cloud);
// Adds a text for velmo_last_message.
void set_cloud_message(velmo_t *cloud, const std::string &text);
// Why the cloud's store cannot be read: once it has changed on disk the
// cloud keeps saying so (see velmo_last_message); returns that text.
std::string cloud_store_unreadable(const velmo_t *cloud);
// A new cloud record for a LAS file, with no tiles yet.
velmo_t *cloud_new(const char *las_path, int64_t id, const std::string &store_path);
// A new road record with an empty, initialised road handle.
wks_road_t *road_new(const char *path, int format, int64_t id, const std::string &road_file);

// Writes a road's road file (every table of its handle) into the data folder.
bool road_save_file(wks_road_t *road);
// Frees a section record and everything it holds.
void section_free(section_t *section);

// Adds a sentence to the workspace's message (see wks_last_message).
void add_message(wks_t *wks, const std::string &text);

// Recomputes the workspace's centre and base elevation from its clouds.
void workspace_update_extent(wks_t *wks);

} // namespace velmo
