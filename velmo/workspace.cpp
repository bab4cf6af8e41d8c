// The workspace: its lists, its project, its extent.
#include "velmo.h"

#include "project_file.h"
#include "section_state.h"
#include "workspace_state.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

extern "C" const char cvVersion[] = CORVANE_VERSION;

static_assert(sizeof(velmo_point_t) == 72, "point record is 72 bytes");
static_assert(sizeof(tile_point_t) == 24, "stored tile point is 24 bytes");
static_assert(sizeof(wks_t) <= 96, "the program allocates 96 bytes for the workspace");
static_assert(offsetof(wks_t, base_elevation) == 16, "base elevation is the third double");
static_assert(offsetof(wks_project_t, name) == 0, "the project record starts with its name");

namespace velmo {

void list_append(Array *list, void *record)
{
    array_add(list, record);
}

bool list_remove(Array *list, void *record)
{
    return array_remove(list, record, nullptr) == CC_OK;
}

void report(velmo_progress_callback_t progress, const char *message)
{
    if (progress)
        progress(0, 0, message);
}

bool path_ok(const char *path)
{
    return path && path[0] != '\0' && strlen(path) < VELMO_PATH_SIZE;
}

void copy_text(char *target, size_t size, const std::string &text)
{
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    text.copy(target, n);
    target[n] = '\0';
}

bool path_fits_record(const std::string &path)
{
    return path.size() < VELMO_PATH_SIZE && path.find('\0') == std::string::npos;
}

// A path cut short names another file: one that does not fit is not copied.
bool copy_path(char (&target)[VELMO_PATH_SIZE], const std::string &path)
{
    target[0] = '\0';
    if (!path_fits_record(path))
        return false;
    copy_text(target, sizeof target, path);
    return true;
}

std::string path_too_long(const std::string &path)
{
    return "The path \"" + path + "\" is too long: " + std::to_string(path.size()) +
           " bytes, and a path may have at most " + std::to_string(VELMO_PATH_SIZE - 1) + " bytes.";
}

std::string absolute_path(const char *path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    return (ec ? fs::path(path) : absolute).lexically_normal().string();
}

// The path a record keeps is checked, not the one the caller gave: made
// absolute, a short relative path can outgrow the record.
bool record_path(const char *path, std::string *absolute, std::string *why)
{
    if (!path || !path[0]) {
        *why = "No file was given.";
        return false;
    }
    *absolute = absolute_path(path);
    if (path_fits_record(*absolute))
        return true;
    *why = path_too_long(*absolute);
    return false;
}

bool copy_whole(char *target, size_t size, const std::string &text)
{
    if (!target || text.size() >= size)
        return false;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

void add_message(wks_t *wks, const std::string &text)
{
    std::string &message = wks->state->message;
    message += message.empty() ? text : "\n" + text;
}

void workspace_update_extent(wks_t *wks)
{
    double low = DBL_MAX, box[6] = {DBL_MAX, DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX, -DBL_MAX};
    for (size_t i = 0; i < array_size(wks->clouds); i++) {
        void *item = nullptr;
        array_get_at(wks->clouds, i, &item);
        auto *cloud = static_cast<velmo_t *>(item);
        if (cloud->state->point_count == 0 || !(cloud->box[0] <= cloud->box[3]))
            continue;
        for (int k = 0; k < 3; k++) {
            box[k] = std::fmin(box[k], cloud->box[k]);
            box[3 + k] = std::fmax(box[3 + k], cloud->box[3 + k]);
        }
        low = std::fmin(low, cloud->box[2]);
    }
    bool empty = low == DBL_MAX;
    std::lock_guard<std::mutex> guard(wks->state->extent_lock);
    wks->center_x = empty ? 0.0 : (box[0] + box[3]) / 2;
    wks->center_y = empty ? 0.0 : (box[1] + box[4]) / 2;
    wks->base_elevation = empty ? 0.0 : low;
    wks->state->center_z = empty ? 0.0 : (box[2] + box[5]) / 2;
}

} // namespace velmo

using namespace velmo;

namespace {

Array *new_list()
{
    Array *list = nullptr;
    return array_new(&list) == CC_OK ? list : nullptr;
}

template <typename Free>
void free_list(Array *list, Free free_record)
{
    if (!list)
        return;
    for (size_t i = 0; i < array_size(list); i++) {
        void *item = nullptr;
        array_get_at(list, i, &item);
        free_record(item);
    }
    array_destroy(list);
}

void delete_file(const std::string &path)
{
    std::error_code ec;
    if (!path.empty())
        fs::remove(path, ec);
}

// Removed records whose removal a save has made permanent take their files
// with them; the others keep theirs, which the project file still names.
void release_removed(velmo_workspace_state *state)
{
    for (size_t i = 0; i < state->removed_clouds.size(); i++) {
        if (i < state->removed_saved_clouds)
            delete_file(state->removed_clouds[i]->state->store_path);
        cloud_free(state->removed_clouds[i]);
    }
    for (size_t i = 0; i < state->removed_roads.size(); i++) {
        if (i < state->removed_saved_roads)
            delete_file(state->removed_roads[i]->state->road_file);
        road_free(state->removed_roads[i]);
    }
    for (section_t *section : state->removed_sections)
        section_free(section);
}

bool usable_path(wks_t *wks, const char *path)
{
    if (path_ok(path))
        return true;
    add_message(wks, path && path[0] ? "The path is longer than 1,023 bytes." : "No project file was given.");
    return false;
}

bool project_opened(wks_t *wks, const std::string &path)
{
    wks->state->project_path = absolute_path(path.c_str());
    wks->state->data_folder = project_data_folder(wks->state->project_path);
    auto *project = static_cast<wks_project_t *>(calloc(1, sizeof(wks_project_t)));
    if (!project)
        return false;
    copy_text(project->name, sizeof project->name, path_stem(path));
    if (!copy_path(project->path, wks->state->project_path)) {
        free(project);
        return false;
    }
    wks->project = project;
    return true;
}

// Every file the database opens for the project (the journal of a road
// file in the data folder is the longest) must fit its path limit.
bool path_fits(wks_t *wks, const std::string &absolute)
{
    if (absolute.size() <= VELMO_PROJECT_PATH_MAX)
        return true;
    add_message(wks, "The project path is " + std::to_string(absolute.size()) + " bytes long; a project path may have at most " +
                         std::to_string(VELMO_PROJECT_PATH_MAX) + " bytes.");
    return false;
}

bool take_lock(wks_t *wks, const std::string &absolute)
{
    std::string error;
    wks->state->lock = ProjectLock::acquire(absolute, &error);
    if (!wks->state->lock)
        add_message(wks, error);
    return wks->state->lock != nullptr;
}

// Section changes whose immediate write failed, and deletions that did not
// reach the file, are written with the project.
bool store_pending_sections(wks_t *wks)
{
    std::vector<section_t *> sections;
    for (Array *list : {wks->latitude_sections, wks->longitude_sections, wks->custom_sections})
        for (size_t i = 0; i < array_size(list); i++) {
            void *item = nullptr;
            array_get_at(list, i, &item);
            sections.push_back(static_cast<section_t *>(item));
        }
    bool stored = sections.empty() || sections_store(wks, sections);
    for (section_t *section : wks->state->removed_sections)
        stored = section_store_pending_delete(wks, section) && stored;
    return stored;
}

bool workspace_empty(const wks_t *wks)
{
    return !wks->project && array_size(wks->clouds) == 0 && array_size(wks->roads) == 0 &&
           array_size(wks->latitude_sections) == 0 && array_size(wks->longitude_sections) == 0 &&
           array_size(wks->custom_sections) == 0;
}

} // namespace

extern "C" {

int wks_init(wks_t *wks)
{
    if (!wks)
        return 0;
    memset(wks, 0, sizeof *wks);
    wks->clouds = new_list();
    wks->roads = new_list();
    wks->latitude_sections = new_list();
    wks->longitude_sections = new_list();
    wks->custom_sections = new_list();
    wks->state = new velmo_workspace_state;
    return wks->clouds && wks->roads && wks->latitude_sections && wks->longitude_sections &&
           wks->custom_sections;
}

void wks_destroy(wks_t *wks)
{
    if (!wks)
        return;
    free_list(wks->clouds, [](void *r) { cloud_free(static_cast<velmo_t *>(r)); });
    free_list(wks->roads, [](void *r) { road_free(static_cast<wks_road_t *>(r)); });
    free_list(wks->latitude_sections, [](void *r) { section_free(static_cast<section_t *>(r)); });
    free_list(wks->longitude_sections, [](void *r) { section_free(static_cast<section_t *>(r)); });
    free_list(wks->custom_sections, [](void *r) { section_free(static_cast<section_t *>(r)); });
    if (wks->state) {
        release_removed(wks->state);
        delete wks->state;
    }
    free(wks->project);
    free(wks);
}

int wks_open_project(wks_t *wks, const char *path)
{
    if (!wks || !wks->state)
        return 0;
    wks->state->message.clear();
    if (!usable_path(wks, path) || !workspace_empty(wks))
        return 0;
    std::string absolute = absolute_path(path);
    if (!path_fits(wks, absolute))
        return 0;
    if (!project_recognised(path)) {
        add_message(wks, "\"" + absolute + "\" is missing or is not a Corvane project.");
        return 0;
    }
    if (!take_lock(wks, absolute))
        return 0;
    if (!project_opened(wks, path) || !project_load(wks)) {
        add_message(wks, "The project \"" + absolute + "\" cannot be read.");
        free(wks->project);
        wks->project = nullptr;
        wks->state->lock.reset();
        return 0;
    }
    // Another workspace of this process may be importing into the folder.
    if (wks->state->lock->first())
        project_remove_orphans(wks);
    workspace_update_extent(wks);
    return 1;
}

int wks_create_project(wks_t *wks, int reserved, const char *path)
{
    (void)reserved;
    if (!wks || !wks->state)
        return 0;
    wks->state->message.clear();
    if (!usable_path(wks, path) || !workspace_empty(wks))
        return 0;
    std::error_code ec;
    std::string absolute = absolute_path(path);
    if (!path_fits(wks, absolute))
        return 0;
    std::string data = project_data_folder(absolute);
    if (!project_create(path)) {
        add_message(wks, "The project file \"" + absolute + "\" cannot be created (it exists, or its folder cannot be written).");
        return 0;
    }
    fs::create_directories(data, ec);
    if (ec || !take_lock(wks, absolute) || !project_opened(wks, path)) {
        if (ec)
            add_message(wks, "The data folder \"" + data + "\" cannot be created.");
        fs::remove(path, ec);
        wks->state->lock.reset();
        return 0;
    }
    return 1;
}

int wks_export_project(wks_t *wks)
{
    if (!wks || !wks->project)
        return 0;
    wks->state->message.clear();
    std::error_code ec;
    fs::create_directories(wks->state->data_folder, ec);
    bool roads_saved = true;
    for (size_t i = 0; i < array_size(wks->roads); i++) {
        void *item = nullptr;
        array_get_at(wks->roads, i, &item);
        auto *road = static_cast<wks_road_t *>(item);
        if (road_save_file(road))
            continue;
        roads_saved = false;
        add_message(wks, road->state->road_file_unreadable
                             ? "The road file \"" + road->state->road_file + "\" could not be read when the project opened; it is kept unchanged."
                             : "The road file \"" + road->state->road_file + "\" cannot be written.");
    }
    if (!project_save(wks)) {
        add_message(wks, "The project file \"" + wks->state->project_path + "\" cannot be written; nothing was saved.");
        return 0;
    }
    wks->state->removed_saved_clouds = wks->state->removed_clouds.size();
    wks->state->removed_saved_roads = wks->state->removed_roads.size();
    bool sections_saved = store_pending_sections(wks);
    if (!sections_saved)
        add_message(wks, "Section changes cannot be written to the project file; they are kept for the next save.");
    return roads_saved && sections_saved ? 1 : 0;
}

const char *wks_last_message(const wks_t *wks)
{
    return wks && wks->state ? wks->state->message.c_str() : "";
}

void wks_update_bounding_box(wks_t *wks)
{
    if (wks && wks->state)
        workspace_update_extent(wks);
}

void wks_get_center(wks_t *wks, double center[3])
{
    if (!wks || !center)
        return;
    if (!wks->state) {
        center[0] = wks->center_x;
        center[1] = wks->center_y;
        center[2] = 0.0;
        return;
    }
    std::lock_guard<std::mutex> guard(wks->state->extent_lock);
    center[0] = wks->center_x;
    center[1] = wks->center_y;
    center[2] = wks->state->center_z;
}

double wks_get_base_elevation(wks_t *wks)
{
    if (!wks)
        return 0.0;
    if (!wks->state)
        return wks->base_elevation;
    std::lock_guard<std::mutex> guard(wks->state->extent_lock);
    return wks->base_elevation;
}

void vector_sub(const double a[3], const double b[3], double out[3])
{
    for (int i = 0; i < 3; i++)
        out[i] = a[i] - b[i];
}

double vector_dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // extern "C"
