// Sections in the project file: one row of the sections table each.
//
// Vertices, measurements and the red line are blobs of little-endian
// doubles: a header {format, record count, doubles per record}, then the
// records.  A reader takes the fields it knows from each record and skips
// the rest, so later formats may append fields.
#include "velmo.h"

#include "c_notation.h"
#include "section_state.h"
#include "sqlite_db.h"
#include "workspace_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmo {

namespace {

const double BLOB_FORMAT = 1;
const int HEADER_DOUBLES = 3;
const int VERTEX_FIELDS = 3;  // world x, y, chainage
const int POINT_FIELDS = 17;  // see point_fields
const double MAX_RECORDS = 1e8;

static_assert(sizeof(double) == 8, "blobs hold 8-byte doubles");

// The road column came after the others: files written before it have
// none until the first section is stored, and old readers name the columns
// they read, so they pass it by.
const char *const INSERT_ROW =
    "insert into sections(list, position, name, type, near, far, width_min, width_max, "
    "center_x, center_y, center_z, normal_x, normal_y, normal_z, axis_u_x, axis_u_y, axis_u_z, "
    "axis_v_x, axis_v_y, axis_v_z, vertices, measurements, red_line, road) "
    "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
const char *const UPDATE_ROW =
    "update sections set near = ?, far = ?, width_min = ?, width_max = ?, measurements = ?, red_line = ? "
    "where id = ?";
const char *const NEXT_POSITION = "select coalesce(max(position), -1) + 1 from sections where list = ?";
const char *const SELECT_ROWS =
    "select id, list, name, type, near, far, width_min, width_max, "
    "center_x, center_y, center_z, normal_x, normal_y, normal_z, axis_u_x, axis_u_y, axis_u_z, "
    "axis_v_x, axis_v_y, axis_v_z, vertices, measurements, red_line, %s "
    "from sections order by list, position, id";
const int ROAD_COLUMN = 23;

bool has_road_column(const Database &db)
{
    Statement columns(db, "select 1 from pragma_table_info('sections') where name = 'road'");
    return columns.ok() && columns.step();
}

bool ensure_road_column(Database &db)
{
    return has_road_column(db) || db.exec("alter table sections add column road integer");
}

// ---- blobs ------------------------------------------------------------------

void put(std::string *blob, double value)
{
    unsigned char bytes[8];
    uint64_t bits;
    memcpy(&bits, &value, 8);
    for (int i = 0; i < 8; i++)
        bytes[i] = (unsigned char)(bits >> (8 * i));
    blob->append(reinterpret_cast<const char *>(bytes), 8);
}

double get(const std::string &blob, size_t index)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; i++)
        bits |= uint64_t((unsigned char)blob[8 * index + i]) << (8 * i);
    double value;
    memcpy(&value, &bits, 8);
    return value;
}

std::string blob_header(size_t count, int fields)
{
    std::string blob;
    put(&blob, BLOB_FORMAT);
    put(&blob, double(count));
    put(&blob, fields);
    return blob;
}

void point_fields(const velmo_point_t &p, double out[POINT_FIELDS])
{
    const double fields[POINT_FIELDS] = {p.x, p.y, p.z, p.u, p.v, p.w, double(p.red), double(p.green),
                                         double(p.blue), double(p.intensity), double(p.classification),
                                         double(p.return_number), double(p.number_of_returns),
                                         double(p.user_data), double(p.scan_angle), double(p.point_source_id),
                                         p.gps_time};
    std::copy(fields, fields + POINT_FIELDS, out);
}

std::string points_blob(const Array *list)
{
    size_t count = array_size(list);
    std::string blob = blob_header(count, POINT_FIELDS);
    double fields[POINT_FIELDS];
    for (size_t i = 0; i < count; i++) {
        void *item = nullptr;
        array_get_at(list, i, &item);
        point_fields(*static_cast<const velmo_point_t *>(item), fields);
        for (double value : fields)
            put(&blob, value);
    }
    return blob;
}

std::string vertices_blob(const section_t *section)
{
    size_t count = section->vertices && section->vertex_count > 0 ? size_t(section->vertex_count) : 0;
    std::string blob = blob_header(count, VERTEX_FIELDS);
    for (size_t i = 0; i < count * VERTEX_FIELDS; i++)
        put(&blob, section->vertices[i]);
    return blob;
}

// The records of a blob, each with at least `fields` doubles; false for a
// blob of another format or a damaged one.
bool read_blob(const std::string &blob, int fields, std::vector<std::vector<double>> *records)
{
    if (blob.size() % 8 != 0 || blob.size() < HEADER_DOUBLES * 8)
        return false;
    double format = get(blob, 0), count = get(blob, 1), stride = get(blob, 2);
    if (format != BLOB_FORMAT || !(count >= 0 && count <= MAX_RECORDS) || count != std::floor(count) ||
        !(stride >= fields && stride <= 4096) || stride != std::floor(stride))
        return false;
    size_t n = size_t(count), width = size_t(stride);
    if (blob.size() / 8 != HEADER_DOUBLES + n * width)
        return false;
    records->assign(n, std::vector<double>(size_t(fields)));
    for (size_t r = 0; r < n; r++)
        for (size_t f = 0; f < size_t(fields); f++)
            (*records)[r][f] = get(blob, HEADER_DOUBLES + r * width + f);
    return true;
}

template <typename T>
T clamped(double value, double low, double high)
{
    return std::isfinite(value) ? T(std::clamp(std::round(value), low, high)) : T(0);
}

// Appends the stored points to an array; points without finite
// coordinates, or with section coordinates no section can have, are
// dropped.
void load_points(const std::string &blob, Array *list)
{
    std::vector<std::vector<double>> records;
    if (!read_blob(blob, POINT_FIELDS, &records))
        return;
    for (const auto &f : records) {
        if (!std::all_of(f.begin(), f.begin() + 6, [](double v) { return std::isfinite(v); }) ||
            !std::all_of(f.begin() + 3, f.begin() + 6, [](double v) { return std::fabs(v) <= MEASUREMENT_LIMIT; }))
            continue;
        auto *p = static_cast<velmo_point_t *>(calloc(1, sizeof(velmo_point_t)));
        if (!p)
            return;
        p->x = f[0];
        p->y = f[1];
        p->z = f[2];
        p->u = float(f[3]);
        p->v = float(f[4]);
        p->w = float(f[5]);
        p->red = clamped<uint16_t>(f[6], 0, 65535);
        p->green = clamped<uint16_t>(f[7], 0, 65535);
        p->blue = clamped<uint16_t>(f[8], 0, 65535);
        p->intensity = clamped<uint16_t>(f[9], 0, 65535);
        p->classification = clamped<uint8_t>(f[10], 0, 255);
        p->return_number = clamped<uint8_t>(f[11], 0, 255);
        p->number_of_returns = clamped<uint8_t>(f[12], 0, 255);
        p->user_data = clamped<uint8_t>(f[13], 0, 255);
        p->scan_angle = clamped<int16_t>(f[14], -32768, 32767);
        p->point_source_id = clamped<uint16_t>(f[15], 0, 65535);
        p->gps_time = std::isfinite(f[16]) ? f[16] : 0.0;
        if (array_add(list, p) != CC_OK) {
            free(p);
            return;
        }
    }
}

// No road lies farther than this from its coordinate origin (zone-prefixed
// eastings reach some 4e7 m) nor is longer, as the road files hold them; a
// line beyond is damaged, and its section would cost a grid of its extent.
const double FARTHEST_VERTEX = 1e8;
const double LONGEST_CHAINAGE = 1e7;

bool vertex_fits_a_road(const std::vector<double> &v)
{
    return std::fabs(v[0]) <= FARTHEST_VERTEX && std::fabs(v[1]) <= FARTHEST_VERTEX &&
           std::fabs(v[2]) <= LONGEST_CHAINAGE;
}

// A longitude section keeps its centre line only when every vertex is
// finite and the chainages grow, and only when a road could have it (said
// in the workspace's message).
void load_vertices(wks_t *wks, const std::string &blob, section_t *section)
{
    std::vector<std::vector<double>> records;
    if (!read_blob(blob, VERTEX_FIELDS, &records) || records.size() < 2 || records.size() > INT32_MAX)
        return;
    for (size_t i = 0; i < records.size(); i++) {
        const auto &v = records[i];
        if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]) ||
            (i > 0 && !(v[2] > records[i - 1][2])))
            return;
    }
    for (const auto &v : records)
        if (!vertex_fits_a_road(v)) {
            char where[64];
            c_snprintf(where, sizeof where, "%.6g, %.6g", v[0], v[1]);
            add_message(wks, "The longitude section \"" + std::string(section->name) +
                                 "\" has a centre line no road could have (a vertex at " + where +
                                 "); its line was left out.");
            return;
        }
    section->vertices = static_cast<double *>(malloc(records.size() * VERTEX_FIELDS * sizeof(double)));
    if (!section->vertices)
        return;
    for (size_t i = 0; i < records.size(); i++)
        std::copy(records[i].begin(), records[i].end(), section->vertices + VERTEX_FIELDS * i);
    section->vertex_count = int(records.size());
}

// ---- rows -------------------------------------------------------------------

// What a row holds of a section's changing parts, taken under its lock.
struct Snapshot {
    double ranges[4];
    std::string measurements, red_line;
};

Snapshot snapshot_of(section_t *section)
{
    std::lock_guard<std::mutex> guard(section->state->lock);
    Snapshot s{{section->normal_range[0], section->normal_range[1], section->width_range[0],
                 section->width_range[1]},
               points_blob(section->measurements),
               points_blob(section->red_line)};
    return s;
}

bool saved(const velmo_section_state &state, const Snapshot &s)
{
    return state.stored && std::equal(s.ranges, s.ranges + 4, state.saved_ranges) &&
           s.measurements == state.saved_measurements && s.red_line == state.saved_red_line;
}

void bind_frame(Statement &insert, const section_t *section, const Snapshot &s)
{
    insert.bind(3, std::string(section->name)).bind(4, int64_t(section->type));
    for (int k = 0; k < 4; k++)
        insert.bind(5 + k, s.ranges[k]);
    const double *vectors[4] = {section->center, section->normal, section->axis_u, section->axis_v};
    for (int v = 0; v < 4; v++)
        for (int k = 0; k < 3; k++)
            insert.bind(9 + 3 * v + k, vectors[v][k]);
    std::string vertices = vertices_blob(section);
    insert.bind_blob(21, vertices.data(), vertices.size());
    insert.bind_blob(22, s.measurements.data(), s.measurements.size());
    insert.bind_blob(23, s.red_line.data(), s.red_line.size());
    insert.bind(24, section->state->road);
}

// Positions continue after the list's last stored one, so the file keeps
// the lists' order whatever was deleted before.
int64_t next_position(Database &db, int list, std::map<int, int64_t> *next)
{
    auto found = next->find(list);
    if (found != next->end())
        return found->second++;
    Statement s(db, NEXT_POSITION);
    int64_t position = s.bind(1, int64_t(list)).step() ? s.integer(0) : 0;
    (*next)[list] = position + 1;
    return position;
}

// One section's part of a transaction; the new row id when it inserted one.
bool write_row(Database &db, Statement &insert, Statement &update, section_t *section, const Snapshot &s,
               std::map<int, int64_t> *positions, int64_t *new_id)
{
    const velmo_section_state &state = *section->state;
    if (!state.stored) {
        insert.reset();
        insert.bind(1, int64_t(state.list)).bind(2, next_position(db, state.list, positions));
        bind_frame(insert, section, s);
        if (!insert.run())
            return false;
        *new_id = db.last_id();
        return true;
    }
    update.reset();
    for (int k = 0; k < 4; k++)
        update.bind(1 + k, s.ranges[k]);
    update.bind_blob(5, s.measurements.data(), s.measurements.size());
    update.bind_blob(6, s.red_line.data(), s.red_line.size());
    update.bind(7, state.id);
    return update.run();
}

bool has_project(const wks_t *wks)
{
    return wks && wks->state && wks->project && !wks->state->project_path.empty();
}

// ---- loading ----------------------------------------------------------------

bool finite_row(const Statement &s)
{
    for (int column = 4; column < 20; column++)
        if (!std::isfinite(s.real(column)))
            return false;
    return true;
}

bool type_fits_list(int type, int list)
{
    return (list == 0 && type == SECTION_LATITUDE) || (list == 1 && type == SECTION_LONGITUDE) ||
           (list == 2 && (type == SECTION_CUSTOM || type == SECTION_HORIZONTAL));
}

section_t *load_row(wks_t *wks, const Statement &s)
{
    int list = int(s.integer(1)), type = int(s.integer(3));
    if (!type_fits_list(type, list) || !finite_row(s))
        return nullptr;
    section_t *section = section_new(type, list);
    if (!section)
        return nullptr;
    section->state->id = s.integer(0);
    section->state->stored = true;
    copy_text(section->name, sizeof section->name, s.text(2));
    section->normal_range[0] = s.real(4);
    section->normal_range[1] = s.real(5);
    section->width_range[0] = s.real(6);
    section->width_range[1] = s.real(7);
    double *vectors[4] = {section->center, section->normal, section->axis_u, section->axis_v};
    for (int v = 0; v < 4; v++)
        for (int k = 0; k < 3; k++)
            vectors[v][k] = s.real(8 + 3 * v + k);
    if (type == SECTION_LONGITUDE)
        load_vertices(wks, s.blob(20), section);
    load_points(s.blob(21), section->measurements);
    load_points(s.blob(22), section->red_line);
    section->state->road = s.integer(ROAD_COLUMN);
    return section;
}

Array *list_of(wks_t *wks, int list)
{
    return list == 0 ? wks->latitude_sections : list == 1 ? wks->longitude_sections : wks->custom_sections;
}

// The loaded row is what the file holds: nothing to write until it changes.
void mark_saved(section_t *section)
{
    Snapshot s = snapshot_of(section);
    velmo_section_state &state = *section->state;
    std::copy(s.ranges, s.ranges + 4, state.saved_ranges);
    state.saved_measurements = std::move(s.measurements);
    state.saved_red_line = std::move(s.red_line);
}

// The sections' rows are written one save at a time, under this one lock
// rather than one per section: saves of the same sections in any order (a
// batch and the project's) never wait for each other, however many
// sections they hold.  It guards what velmo_section_state keeps of the rows.
std::mutex &rows_lock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

bool sections_store(wks_t *wks, const std::vector<section_t *> &sections)
{
    if (!has_project(wks))
        return false;
    try {
        std::lock_guard<std::mutex> guard(rows_lock());
        std::vector<section_t *> pending;
        std::vector<Snapshot> snapshots;
        std::set<const section_t *> seen;
        for (section_t *section : sections) {
            if (!seen.insert(section).second)
                continue;
            Snapshot s = snapshot_of(section);
            if (section->state->deleted || saved(*section->state, s))
                continue;
            pending.push_back(section);
            snapshots.push_back(std::move(s));
        }
        if (pending.empty())
            return true;
        Database db(wks->state->project_path, Database::READ_WRITE);
        Transaction t(db);
        if (!t.ok() || !ensure_road_column(db))
            return false;
        Statement insert(db, INSERT_ROW), update(db, UPDATE_ROW);
        std::map<int, int64_t> positions;
        std::vector<int64_t> ids(pending.size(), 0);
        bool ok = t.ok() && insert.ok() && update.ok();
        for (size_t i = 0; ok && i < pending.size(); i++)
            ok = write_row(db, insert, update, pending[i], snapshots[i], &positions, &ids[i]);
        if (!ok || !t.commit())
            return false;
        for (size_t i = 0; i < pending.size(); i++) {
            velmo_section_state &state = *pending[i]->state;
            if (!state.stored) {
                state.id = ids[i];
                state.stored = true;
            }
            std::copy(snapshots[i].ranges, snapshots[i].ranges + 4, state.saved_ranges);
            state.saved_measurements = std::move(snapshots[i].measurements);
            state.saved_red_line = std::move(snapshots[i].red_line);
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool section_kept(wks_t *wks, section_t *section)
{
    std::lock_guard<std::mutex> guard(rows_lock());
    const velmo_section_state &state = *section->state;
    return !state.deleted && (!has_project(wks) || saved(state, snapshot_of(section)));
}

namespace {

// Deletes the rows of the stored ones among the sections, in one
// transaction.  Call with the rows' lock held.
bool delete_rows(wks_t *wks, const std::vector<section_t *> &sections)
{
    std::vector<section_t *> stored;
    for (section_t *section : sections)
        if (section->state->stored)
            stored.push_back(section);
    if (stored.empty())
        return true;
    if (!has_project(wks))
        return false;
    Database db(wks->state->project_path, Database::READ_WRITE);
    Transaction t(db);
    Statement remove(db, "delete from sections where id = ?");
    bool ok = t.ok() && remove.ok();
    for (size_t i = 0; ok && i < stored.size(); i++) {
        remove.reset();
        ok = remove.bind(1, stored[i]->state->id).run();
    }
    if (!ok || !t.commit())
        return false;
    for (section_t *section : stored)
        section->state->stored = false;
    return true;
}

bool delete_row(wks_t *wks, section_t *section)
{
    try {
        return delete_rows(wks, {section});
    } catch (...) {
        return false;
    }
}

} // namespace

bool section_store_delete(wks_t *wks, section_t *section)
{
    std::lock_guard<std::mutex> guard(rows_lock());
    section->state->deleted = true;
    return delete_row(wks, section);
}

bool sections_store_delete(wks_t *wks, const std::vector<section_t *> &sections)
{
    try {
        std::lock_guard<std::mutex> guard(rows_lock());
        for (section_t *section : sections)
            section->state->deleted = true;
        return delete_rows(wks, sections);
    } catch (...) {
        return false;
    }
}

bool section_store_pending_delete(wks_t *wks, section_t *section)
{
    std::lock_guard<std::mutex> guard(rows_lock());
    return !section->state->deleted || delete_row(wks, section);
}

bool section_save_data(section_t *section)
{
    return section && section->state && section->state->workspace &&
           sections_store(section->state->workspace, {section});
}

// Rows that cannot make a section are left in the file, untouched.
void sections_load(const Database &db, wks_t *wks)
{
    char select[1024];
    std::snprintf(select, sizeof select, SELECT_ROWS, has_road_column(db) ? "road" : "0");
    Statement s(db, select);
    while (s.step()) {
        section_t *section = nullptr;
        try {
            section = load_row(wks, s);
            if (section) {
                section->state->workspace = wks;
                mark_saved(section);
            }
        } catch (...) {
            section_free(section);
            section = nullptr;
        }
        if (section && array_add(list_of(wks, section->state->list), section) != CC_OK)
            section_free(section);
    }
}

} // namespace velmo

using namespace velmo;

extern "C" {

int wks_save_section_data(wks_t *wks, section_t *section)
{
    if (!section || !section->state || section->state->workspace != wks)
        return 0;
    return sections_store(wks, {section}) ? 1 : 0;
}

int wks_save_remove_section(wks_t *wks, section_t *section)
{
    if (!section || !section->state || section->state->workspace != wks)
        return 0;
    return section_store_delete(wks, section) ? 1 : 0;
}

} // extern "C"
