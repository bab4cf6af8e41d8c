#include "project_file.h"

#include "section_state.h"
#include "sqlite_db.h"
#include "workspace_state.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace velmo {

namespace {

const char *const SCHEMA = R"SQL(
create table meta(key text primary key, value);
create table clouds(id integer primary key, position integer, path text, relative_path text,
                    store text, point_count integer,
                    min_x real, min_y real, min_z real, max_x real, max_y real, max_z real);
create table roads(id integer primary key, position integer, path text, relative_path text,
                   format integer, road_file text);
create table sections(id integer primary key, list integer, position integer, name text, type integer,
                      near real, far real, width_min real, width_max real,
                      center_x real, center_y real, center_z real,
                      normal_x real, normal_y real, normal_z real,
                      axis_u_x real, axis_u_y real, axis_u_z real,
                      axis_v_x real, axis_v_y real, axis_v_z real,
                      vertices blob, measurements blob, red_line blob, road integer);
)SQL";

const char *const APPLICATION = "Corvane project";

std::string folder_of(const std::string &path)
{
    return fs::path(path).parent_path().string();
}

// Paths are kept both as given and relative to the project's folder, so a
// project moved together with its files still finds them.
std::string relative_to_project(const std::string &path, const std::string &project_path)
{
    std::error_code ec;
    fs::path relative = fs::path(path).lexically_relative(fs::path(folder_of(project_path)));
    return ec || relative.empty() ? std::string() : relative.string();
}

// Where a row's file is: beside the project by its relative path when it is
// there, else where the row says.  A path longer than a record holds is
// never cut (that would name another file): the row's own path is taken
// when it fits, else none, and the row is kept as it was read, with a
// message saying which file the project cannot reach.
std::string resolve(wks_t *wks, const char *what, const std::string &stored, const std::string &relative,
                    KeptRow *row)
{
    std::string too_long;
    if (!relative.empty()) {
        std::string candidate = (fs::path(folder_of(wks->state->project_path)) / relative).lexically_normal().string();
        std::error_code ec;
        if (fs::exists(candidate, ec)) {
            if (path_fits_record(candidate))
                return candidate;
            too_long = candidate;
        }
    }
    if (too_long.empty() && path_fits_record(stored))
        return stored;
    *row = {true, stored, relative};
    if (too_long.empty())
        too_long = stored;
    std::error_code ec;
    const bool stored_there = path_fits_record(stored) && fs::exists(stored, ec);
    add_message(wks, "The project cannot reach a " + std::string(what) + " file. " + path_too_long(too_long) +
                         (stored_there ? " It uses \"" + stored + "\" instead." : ""));
    return path_fits_record(stored) ? stored : std::string();
}

// A kept row's texts go back as they were read.
void bind_paths(Statement &s, int column, const char *path, const KeptRow &row, const std::string &project_path)
{
    s.bind(column, row.kept ? row.path : std::string(path));
    s.bind(column + 1, row.kept ? row.relative : relative_to_project(path, project_path));
}

bool read_meta(const Database &db, const char *key, std::string *value)
{
    Statement s(db, "select value from meta where key = ?");
    if (!s.bind(1, std::string(key)).step())
        return false;
    *value = s.text(0);
    return true;
}

// The data folder holds only files this engine named after a row's id; a
// row naming anything else (an absolute path, "..", another row's file)
// could have its file overwritten or deleted, so it is left out.
bool own_file_name(wks_t *wks, int64_t id, const std::string &stored, const std::string &expected,
                   const char *what)
{
    if (id > 0 && stored == expected)
        return true;
    add_message(wks, std::string("The project names the ") + what + " file \"" + stored +
                         "\", which is not one of its own files in its data folder; that " + what +
                         " was left out.");
    return false;
}

void load_clouds(const Database &db, wks_t *wks)
{
    auto *state = wks->state;
    Statement s(db, "select id, path, relative_path, store, point_count, min_x, min_y, min_z, max_x, max_y, max_z "
                    "from clouds order by position");
    while (s.step()) {
        int64_t id = s.integer(0);
        if (id >= state->next_id && id < INT64_MAX)
            state->next_id = id + 1;
        if (!own_file_name(wks, id, s.text(3), std::to_string(id) + ".tiles", "point cloud"))
            continue;
        KeptRow row;
        std::string path = resolve(wks, "point cloud", s.text(1), s.text(2), &row);
        std::string store = (fs::path(state->data_folder) / s.text(3)).string();
        velmo_t *cloud = cloud_new(path.c_str(), id, store);
        if (!cloud)
            continue;
        cloud->state->row = row;
        cloud->state->point_count = (uint64_t)s.integer(4);
        for (int i = 0; i < 6; i++)
            cloud->box[i] = s.real(5 + i);
        // The program names such clouds to the surveyor when the project opens.
        if (cloud_missing(cloud))
            mark_empty(cloud);
        list_append(wks->clouds, cloud);
    }
}

void load_roads(const Database &db, wks_t *wks)
{
    auto *state = wks->state;
    Statement s(db, "select id, path, relative_path, format, road_file from roads order by position");
    while (s.step()) {
        int64_t id = s.integer(0);
        if (id >= state->next_id && id < INT64_MAX)
            state->next_id = id + 1;
        if (!own_file_name(wks, id, s.text(4), "road" + std::to_string(id) + ".road", "road"))
            continue;
        KeptRow row;
        std::string path = resolve(wks, "road", s.text(1), s.text(2), &row);
        std::string road_file = (fs::path(state->data_folder) / s.text(4)).string();
        wks_road_t *road = road_new(path.c_str(), (int)s.integer(3), id, road_file);
        if (!road)
            continue;
        road->state->row = row;
        list_append(wks->roads, road);
    }
}

bool save_clouds(Database &db, wks_t *wks)
{
    if (!db.exec("delete from clouds"))
        return false;
    Statement s(db, "insert into clouds values(?,?,?,?,?,?,?,?,?,?,?,?)");
    for (size_t i = 0; i < array_size(wks->clouds); i++) {
        void *item = nullptr;
        array_get_at(wks->clouds, i, &item);
        auto *cloud = static_cast<velmo_t *>(item);
        s.reset();
        s.bind(1, cloud->state->id).bind(2, (int64_t)i);
        bind_paths(s, 3, cloud->path, cloud->state->row, wks->state->project_path);
        s.bind(5, fs::path(cloud->state->store_path).filename().string());
        s.bind(6, (int64_t)cloud->state->point_count);
        for (int k = 0; k < 6; k++)
            s.bind(7 + k, cloud->box[k]);
        if (!s.run())
            return false;
    }
    return true;
}

bool save_roads(Database &db, wks_t *wks)
{
    if (!db.exec("delete from roads"))
        return false;
    Statement s(db, "insert into roads values(?,?,?,?,?,?)");
    for (size_t i = 0; i < array_size(wks->roads); i++) {
        void *item = nullptr;
        array_get_at(wks->roads, i, &item);
        auto *road = static_cast<wks_road_t *>(item);
        s.reset();
        s.bind(1, road->state->id).bind(2, (int64_t)i);
        bind_paths(s, 3, road->path, road->state->row, wks->state->project_path);
        s.bind(5, (int64_t)road->format);
        s.bind(6, fs::path(road->state->road_file).filename().string());
        if (!s.run())
            return false;
    }
    return true;
}

} // namespace

std::string path_stem(const std::string &path)
{
    return fs::path(path).stem().string();
}

std::string project_data_folder(const std::string &project_path)
{
    fs::path p(project_path);
    return (p.parent_path() / (p.stem().string() + ".data")).string();
}

bool project_create(const std::string &path)
{
    std::error_code ec;
    if (fs::exists(path, ec) || ec)
        return false;
    bool done = false;
    {
        Database db(path, Database::CREATE);
        Transaction t(db);
        done = t.ok() && db.exec(SCHEMA);
        Statement meta(db, "insert into meta values(?, ?)");
        done = done && meta.bind(1, std::string("application")).bind(2, std::string(APPLICATION)).run();
        meta.reset();
        done = done && meta.bind(1, std::string("format")).bind(2, (int64_t)PROJECT_FORMAT).run();
        done = done && t.commit();
    }
    if (!done)
        fs::remove(path, ec);
    return done;
}

bool project_recognised(const std::string &path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    Database db(path, Database::READ_ONLY);
    std::string application, format;
    if (!db.ok() || !read_meta(db, "application", &application) || application != APPLICATION)
        return false;
    if (!read_meta(db, "format", &format))
        return false;
    int version = std::atoi(format.c_str());
    return version >= 1 && version <= PROJECT_FORMAT;
}

bool project_load(wks_t *wks)
{
    Database db(wks->state->project_path, Database::READ_ONLY);
    if (!db.ok())
        return false;
    load_clouds(db, wks);
    load_roads(db, wks);
    sections_load(db, wks);
    return true;
}

namespace {

bool decimal(const std::string &text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool digits(const std::string &text)
{
    return decimal(text) && text[0] != '0';
}

bool ends_with(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The file a name of this engine's own belongs to ("12.tiles" for
// "12.tiles.part"); empty for any other name.
std::string own_owner(const std::string &name)
{
    for (const char *suffix : {".tiles.part", ".tiles"})
        if (ends_with(name, suffix) && digits(name.substr(0, name.size() - strlen(suffix))))
            return name.substr(0, name.find('.')) + ".tiles";
    for (const char *suffix : {".road-journal", ".road"})
        if (name.rfind("road", 0) == 0 && ends_with(name, suffix) &&
            digits(name.substr(4, name.size() - 4 - strlen(suffix))))
            return name.substr(0, name.find('.')) + ".road";
    return std::string();
}

// An import on a file system without unnamed files names its scratch files
// after the store it writes ("12.tiles.part.spill3-0"): the store's name for
// those, the name itself for any other.
std::string spilled_from(const std::string &name)
{
    const std::string store = ".tiles.part", mark = store + ".spill";
    size_t at = name.find(mark);
    if (at == std::string::npos)
        return name;
    std::string tail = name.substr(at + mark.size());
    size_t dash = tail.find('-');
    if (dash == std::string::npos || !decimal(tail.substr(0, dash)) || !decimal(tail.substr(dash + 1)))
        return name;
    return name.substr(0, at + store.size());
}

} // namespace

void project_remove_orphans(wks_t *wks)
{
    std::set<std::string> used;
    for (size_t i = 0; i < array_size(wks->clouds); i++) {
        void *item = nullptr;
        array_get_at(wks->clouds, i, &item);
        used.insert(fs::path(static_cast<velmo_t *>(item)->state->store_path).filename().string());
    }
    for (size_t i = 0; i < array_size(wks->roads); i++) {
        void *item = nullptr;
        array_get_at(wks->roads, i, &item);
        used.insert(fs::path(static_cast<wks_road_t *>(item)->state->road_file).filename().string());
    }
    std::error_code ec;
    std::vector<fs::path> orphans;
    for (fs::directory_iterator it(wks->state->data_folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = spilled_from(it->path().filename().string()), owner = own_owner(name);
        bool unfinished = ends_with(name, ".part");
        if (!owner.empty() && (unfinished || !used.count(owner)) && it->is_regular_file(ec))
            orphans.push_back(it->path());
    }
    for (const fs::path &orphan : orphans)
        fs::remove(orphan, ec);
}

bool project_save(wks_t *wks)
{
    Database db(wks->state->project_path, Database::READ_WRITE);
    Transaction t(db);
    return t.ok() && save_clouds(db, wks) && save_roads(db, wks) && t.commit();
}

} // namespace velmo
