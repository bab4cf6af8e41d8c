// Roads of the workspace: a ".pm" file for the centre line, and a road file
// in the project's data folder for everything the ".pm" formats cannot hold.
#include "velmo.h"

#include "workspace_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace velmo {

namespace {

enum { FORMAT_HAIDI = 0, FORMAT_WEIDI = 1 };

// *unknown_line and *unknown_code say where an element of unknown kind made
// a WeiDi file be refused; both 0 otherwise.
int read_pm(road_t *road, const char *path, int format, int *unknown_line = nullptr, int *unknown_code = nullptr)
{
    if (unknown_line)
        *unknown_line = 0;
    return format == FORMAT_WEIDI ? road_import_weidi_report(road, path, unknown_line, unknown_code)
                                  : road_import_haidi(road, path);
}

// WeiDi files start with their header; everything else is taken as HaiDi.
int sniff_format(const char *path)
{
    char head[6] = {0};
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return FORMAT_HAIDI;
    FILE *f = fopen(path, "rb");
    if (!f)
        return FORMAT_HAIDI;
    size_t n = fread(head, 1, sizeof head, f);
    fclose(f);
    return n == sizeof head && memcmp(head, "HINTCA", 6) == 0 ? FORMAT_WEIDI : FORMAT_HAIDI;
}

// Moves every table of from into to, dropping what to held.
void replace_road(road_t *to, road_t *from)
{
    road_final(to);
    *to = *from;
    road_init(from);
}

// Swaps one table between two road handles.
void swap_pool(vpool *a, vpool *b)
{
    vpool t = *a;
    *a = *b;
    *b = t;
}

std::string road_file_for(const wks_t *wks, int64_t id)
{
    return (fs::path(wks->state->data_folder) / ("road" + std::to_string(id) + ".road")).string();
}

// absolute: the road's path as record_path made it.
wks_road_t *append_road(wks_t *wks, const std::string &absolute, int format, road_t *loaded)
{
    int64_t id = wks->state->next_id;
    wks_road_t *road = road_new(absolute.c_str(), format, id, road_file_for(wks, id));
    if (!road)
        return nullptr;
    replace_road(&road->road, loaded);
    wks->state->next_id = id + 1;
    list_append(wks->roads, road);
    return road;
}

} // namespace

wks_road_t *road_new(const char *path, int format, int64_t id, const std::string &road_file)
{
    auto *road = static_cast<wks_road_t *>(calloc(1, sizeof(wks_road_t)));
    if (!road)
        return nullptr;
    road->state = new (std::nothrow) velmo_road_state;
    if (!road->state || !copy_path(road->path, path)) {
        delete road->state;
        free(road);
        return nullptr;
    }
    road->format = format;
    road_init(&road->road);
    road->state->id = id;
    road->state->road_file = road_file;
    return road;
}

void road_free(wks_road_t *road)
{
    if (!road)
        return;
    road_final(&road->road);
    delete road->state;
    free(road);
}

bool road_save_file(wks_road_t *road)
{
    const std::string &file = road->state->road_file;
    if (road->state->road_file_unreadable)
        return false;
    return file.empty() || road_export_file(&road->road, file.c_str()) == 0;
}

namespace {

// The road's path is checked as the record keeps it, absolute.
bool usable_road_path(wks_t *wks, const char *path, std::string *absolute)
{
    if (!wks || !wks->state || !wks->project)
        return false;
    wks->state->message.clear();
    std::string why;
    if (record_path(path, absolute, &why))
        return true;
    add_message(wks, why);
    return false;
}

} // namespace

} // namespace velmo

using namespace velmo;

extern "C" {

wks_road_t *wks_import_road(wks_t *wks, const char *path, int format)
{
    std::string absolute;
    if (!usable_road_path(wks, path, &absolute))
        return nullptr;
    road_t loaded;
    road_init(&loaded);
    wks_road_t *road = nullptr;
    int unknown_line = 0, unknown_code = 0;
    if (read_pm(&loaded, path, format, &unknown_line, &unknown_code) == 0)
        road = append_road(wks, absolute, format == FORMAT_WEIDI ? FORMAT_WEIDI : FORMAT_HAIDI, &loaded);
    road_final(&loaded);
    if (unknown_line > 0)
        add_message(wks, "Nothing of \"" + std::string(path) + "\" was imported: line " + std::to_string(unknown_line) +
                             " holds an element of code " + std::to_string(unknown_code) +
                             ", and a WeiDi road has only the codes 1 (straight), 3 (circular curve), 21 and 22 "
                             "(transitions).");
    return road;
}

// An existing readable ".pm" file is loaded rather than overwritten later.
wks_road_t *wks_create_road(wks_t *wks, const char *path)
{
    std::string absolute;
    if (!usable_road_path(wks, path, &absolute))
        return nullptr;
    road_t loaded;
    road_init(&loaded);
    int format = FORMAT_HAIDI;
    std::error_code ec;
    if (fs::exists(path, ec)) {
        int sniffed = sniff_format(path);
        if (read_pm(&loaded, path, sniffed) == 0)
            format = sniffed;
    }
    wks_road_t *road = append_road(wks, absolute, format, &loaded);
    road_final(&loaded);
    return road;
}

int road_open_file(wks_road_t *road, const char *path, int format)
{
    if (!road || !road->state || !path)
        return 0;
    road_t centre_line, stored;
    road_init(&centre_line);
    road_init(&stored);
    // A ".pm" file the project cannot reach leaves the road its road file.
    bool have_centre_line = path_ok(path) && read_pm(&centre_line, path, format) == 0;
    std::error_code ec;
    bool file_there = !road->state->road_file.empty() && fs::exists(road->state->road_file, ec);
    bool have_stored = file_there && road_import_file(&stored, road->state->road_file.c_str()) == 0;
    road->state->road_file_unreadable = file_there && !have_stored;
    if (have_stored && have_centre_line)
        swap_pool(&stored.horizon, &centre_line.horizon);
    if (have_stored) {
        road_apply_horizon(&stored);
        road_apply_vertical(&stored);
        replace_road(&road->road, &stored);
    } else if (have_centre_line) {
        replace_road(&road->road, &centre_line);
    }
    road_final(&centre_line);
    road_final(&stored);
    return have_centre_line || have_stored ? 1 : 0;
}

int wks_remove_road(wks_t *wks, wks_road_t *road)
{
    if (!wks || !wks->state || !road || !list_remove(wks->roads, road))
        return 0;
    wks->state->removed_roads.push_back(road);
    return 1;
}

} // extern "C"
