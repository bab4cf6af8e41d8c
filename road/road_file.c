/* The SQLite road file: the whole road handle in nine tables.
 *
 * Values go in through bound parameters, so names with quotes survive and
 * doubles are stored exactly.  Writing happens in one transaction that is
 * rolled back on the first failure; reading fills a road of its own and
 * hands the records over only when every table was read. */
#include "pm_text.h"
#include "road.h"
#include "road_table.h"

#include <sqlite3.h>
#include <stdio.h>
#include <string.h>

#define PATH_SIZE 1024

static const char *const table_schema[] = {
    "create table if not exists horizon(type,l1,length,angle1,angle2,radius,rou1,rou2,x1,y1,x2 ,y2,pz);",
    "create table if not exists vertical(type,l1,h1,l2,h2,length,radius,angle1,angle2,pz);",
    "create table if not exists hoff(mile,off);",
    "create table if not exists voff(mile,off);",
    "create table if not exists model(id,name);",
    "create table if not exists node(oid ,hof ,slope );",
    "create table if not exists section(mile1,mile2,mod1,mode2,type);",
    "create table if not exists feeder(name,n1,n2,n3,n4,l0,l1,l2,r1,a1,off1,r2,a2,off2,det0,det1,det2,alf,e1,e2,e3,de_type);",
    "create table if not exists fele(nf ,nd ,np,ele );",
};

static int path_ok(const char *path)
{
    return path && path[0] && memchr(path, '\0', PATH_SIZE) != NULL;
}

/* Length of a name field, which need not be terminated when it is full. */
static int name_length(const char *name)
{
    const char *end = memchr(name, '\0', ROAD_NAME_SIZE);
    return end ? (int)(end - name) : ROAD_NAME_SIZE;
}

static void copy_name(char name[ROAD_NAME_SIZE], const unsigned char *text)
{
    memset(name, 0, ROAD_NAME_SIZE);
    if (text)
        strncpy(name, (const char *)text, ROAD_NAME_SIZE - 1);
}

/* ---- writing ------------------------------------------------------------ */

static int exec_sql(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, NULL, NULL, NULL) == SQLITE_OK ? 0 : -1;
}

/* Empties the table and prepares its insert statement. */
static int begin_table(sqlite3 *db, const char *delete_sql, const char *insert_sql, sqlite3_stmt **stmt)
{
    *stmt = NULL;
    if (exec_sql(db, delete_sql) != 0)
        return -1;
    return sqlite3_prepare_v2(db, insert_sql, -1, stmt, NULL) == SQLITE_OK ? 0 : -1;
}

/* Binds doubles to the parameters from first on. */
static int bind_doubles(sqlite3_stmt *stmt, int first, const double *values, int count)
{
    int rc = SQLITE_OK;
    for (int i = 0; i < count && rc == SQLITE_OK; i++)
        rc = sqlite3_bind_double(stmt, first + i, values[i]);
    return rc == SQLITE_OK ? 0 : -1;
}

static int bind_int(sqlite3_stmt *stmt, int index, int value)
{
    return sqlite3_bind_int(stmt, index, value) == SQLITE_OK ? 0 : -1;
}

static int bind_name(sqlite3_stmt *stmt, int index, const char *name)
{
    return sqlite3_bind_text(stmt, index, name, name_length(name), SQLITE_TRANSIENT) == SQLITE_OK ? 0 : -1;
}

/* Runs the bound insert and readies the statement for the next row. */
static int insert_row(sqlite3_stmt *stmt, int bound)
{
    int rc = bound == 0 ? sqlite3_step(stmt) : SQLITE_ERROR;
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE ? 0 : -1;
}

static int write_horizon(sqlite3 *db, road_t *road)
{
    sqlite3_stmt *stmt;
    int result = begin_table(db, "delete from  horizon",
                             "insert into horizon values(?,?,?,?,?,?,?,?,?,?,?,?,?)", &stmt);
    for (int i = 0; result == 0 && i < road_number_horizon(road); i++) {
        const horizon_element_t *e = road_horizon(road, i);
        double values[] = {e->start_chainage, e->length, e->start_azimuth, e->end_azimuth, e->radius,
                           e->start_radius, e->end_radius, e->start_x, e->start_y, e->end_x, e->end_y};
        int bound = bind_int(stmt, 1, e->type) | bind_doubles(stmt, 2, values, 11) | bind_int(stmt, 13, e->direction);
        result = insert_row(stmt, bound);
    }
    sqlite3_finalize(stmt);
    return result;
}

static int write_vertical(sqlite3 *db, road_t *road)
{
    sqlite3_stmt *stmt;
    int result = begin_table(db, "delete from  vertical", "insert into vertical values(?,?,?,?,?,?,?,?,?,?)", &stmt);
    for (int i = 0; result == 0 && i < road_number_vertical(road); i++) {
        const vertical_element_t *e = road_vertical(road, i);
        double values[] = {e->start_chainage, e->start_elevation, e->end_chainage, e->end_elevation,
                           e->length, e->radius, e->start_grade, e->end_grade};
        int bound = bind_int(stmt, 1, e->type) | bind_doubles(stmt, 2, values, 8) | bind_int(stmt, 10, e->turn);
        result = insert_row(stmt, bound);
    }
    sqlite3_finalize(stmt);
    return result;
}

static int write_offsets(sqlite3 *db, const char *table, vpool *pool)
{
    char delete_sql[64], insert_sql[64];
    snprintf(delete_sql, sizeof delete_sql, "delete from  %s", table);
    snprintf(insert_sql, sizeof insert_sql, "insert into %s values(?,?)", table);
    sqlite3_stmt *stmt;
    int result = begin_table(db, delete_sql, insert_sql, &stmt);
    for (int i = 0; result == 0 && i < table_count(pool, sizeof(road_offset_t)); i++) {
        const road_offset_t *entry = table_at(pool, sizeof(road_offset_t), i);
        double values[] = {entry->chainage, entry->value};
        result = insert_row(stmt, bind_doubles(stmt, 1, values, 2));
    }
    sqlite3_finalize(stmt);
    return result;
}

static int write_nodes(sqlite3_stmt *stmt, int index, model_t *model)
{
    int result = 0;
    for (int k = 0; result == 0 && k < model_number_node(model); k++) {
        const model_node_t *node = model_node(model, k);
        double values[] = {node->offset, node->slope};
        result = insert_row(stmt, bind_int(stmt, 1, index) | bind_doubles(stmt, 2, values, 2));
    }
    return result;
}

static int write_models(sqlite3 *db, road_t *road)
{
    sqlite3_stmt *models, *nodes;
    int result = begin_table(db, "delete from  model", "insert into model values(?,?)", &models);
    if (result == 0)
        result = begin_table(db, "delete from  node", "insert into node values(?,?,?)", &nodes);
    else
        nodes = NULL;
    for (int i = 0; result == 0 && i < road_number_model(road); i++) {
        model_t *model = road_model_index(road, i);
        result = insert_row(models, bind_int(models, 1, i) | bind_name(models, 2, model->name));
        if (result == 0)
            result = write_nodes(nodes, i, model);
    }
    sqlite3_finalize(models);
    sqlite3_finalize(nodes);
    return result;
}

static int write_sections(sqlite3 *db, road_t *road)
{
    sqlite3_stmt *stmt;
    int result = begin_table(db, "delete from  section", "insert into section values(?,?,?,?,?)", &stmt);
    for (int i = 0; result == 0 && i < road_number_section(road); i++) {
        const road_section_t *s = road_section(road, i);
        double values[] = {s->start_chainage, s->end_chainage};
        int bound = bind_doubles(stmt, 1, values, 2) | bind_name(stmt, 3, s->start_model)
                  | bind_name(stmt, 4, s->end_model) | bind_int(stmt, 5, s->type);
        result = insert_row(stmt, bound);
    }
    sqlite3_finalize(stmt);
    return result;
}

static int write_feeder_row(sqlite3_stmt *stmt, const feeder_t *f)
{
    int counts[] = {f->n1, f->n2, f->n3, f->n4};
    double values[] = {f->l0, f->l1, f->l2, f->r1, f->a1, f->off1, f->r2, f->a2, f->off2,
                       f->det0, f->det1, f->det2, f->alf, f->e1, f->e2, f->e3};
    int bound = bind_name(stmt, 1, f->name);
    for (int i = 0; i < 4; i++)
        bound |= bind_int(stmt, 2 + i, counts[i]);
    bound |= bind_doubles(stmt, 6, values, 16) | bind_int(stmt, 22, f->de_type);
    return insert_row(stmt, bound);
}

static int write_elevations(sqlite3_stmt *stmt, int index, const feeder_t *f)
{
    int result = 0;
    for (int line = 0; result == 0 && line < feeder_number_line(f); line++) {
        for (int k = 0; result == 0 && k < feeder_number_elevation(f, line); k++) {
            int bound = bind_int(stmt, 1, index) | bind_int(stmt, 2, line) | bind_int(stmt, 3, k);
            double value = feeder_elevation(f, line, k);
            result = insert_row(stmt, bound | bind_doubles(stmt, 4, &value, 1));
        }
    }
    return result;
}

static int write_feeders(sqlite3 *db, road_t *road)
{
    sqlite3_stmt *feeders, *elevations;
    int result = begin_table(db, "delete from  feeder",
                             "insert into feeder values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", &feeders);
    if (result == 0)
        result = begin_table(db, "delete from  fele", "insert into fele values(?,?,?,?)", &elevations);
    else
        elevations = NULL;
    for (int i = 0; result == 0 && i < road_number_feeder(road); i++) {
        const feeder_t *f = road_feeder(road, i);
        result = write_feeder_row(feeders, f);
        if (result == 0)
            result = write_elevations(elevations, i, f);
    }
    sqlite3_finalize(feeders);
    sqlite3_finalize(elevations);
    return result;
}

static int write_road(sqlite3 *db, road_t *road)
{
    for (size_t i = 0; i < sizeof table_schema / sizeof table_schema[0]; i++) {
        if (exec_sql(db, table_schema[i]) != 0)
            return -1;
    }
    if (write_horizon(db, road) != 0 || write_vertical(db, road) != 0
        || write_offsets(db, "hoff", &road->horizon_off) != 0 || write_offsets(db, "voff", &road->vertical_off) != 0
        || write_models(db, road) != 0 || write_sections(db, road) != 0 || write_feeders(db, road) != 0)
        return -1;
    return 0;
}

int road_export_file(const road_t *road, const char *path)
{
    sqlite3 *db = NULL;
    if (!road || !path_ok(path))
        return -1;
    if (sqlite3_open(path, &db) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_busy_timeout(db, 5000);
    int result = exec_sql(db, "begin transaction;");
    if (result == 0) {
        result = write_road(db, (road_t *)road);
        if (result == 0)
            result = exec_sql(db, "commit transaction");
        if (result != 0)
            exec_sql(db, "rollback transaction");
    }
    if (sqlite3_close(db) != SQLITE_OK)
        result = -1;
    return result;
}

/* ---- reading ------------------------------------------------------------ */

/* What reading has gathered so far: a road of its own, and where the file's
 * models and feeders ended up in it (-1 for a row that was refused). */
typedef struct file_reader {
    road_t road;
    vpool model_ids;     /* per model row: file id, index in road */
    vpool feeder_index;  /* per feeder row: index in road */
} file_reader;

typedef void (*row_reader)(file_reader *reader, sqlite3_stmt *row);

/* Runs "select * from <table>;" and hands each row on.  -1 when the table is
 * missing, has too few columns, or the file fails while being read. */
static int read_table(sqlite3 *db, const char *table, int columns, row_reader read_row, file_reader *reader)
{
    char sql[64];
    sqlite3_stmt *stmt = NULL;
    snprintf(sql, sizeof sql, "select * from %s;", table);
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, NULL) != SQLITE_OK || sqlite3_column_count(stmt) < columns) {
        sqlite3_finalize(stmt);
        return -1;
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        read_row(reader, stmt);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? 0 : -1;
}

static void column_doubles(sqlite3_stmt *row, int first, double *values, int count)
{
    for (int i = 0; i < count; i++)
        values[i] = sqlite3_column_double(row, first + i);
}

/* A start point anywhere but first is refused by the table, as in a handle. */
static void read_horizon(file_reader *reader, sqlite3_stmt *row)
{
    horizon_element_t e;
    double v[11];
    memset(&e, 0, sizeof e);
    column_doubles(row, 1, v, 11);
    e.type = sqlite3_column_int(row, 0);
    e.start_chainage = v[0], e.length = v[1], e.start_azimuth = v[2], e.end_azimuth = v[3];
    e.radius = v[4], e.start_radius = v[5], e.end_radius = v[6];
    e.start_x = v[7], e.start_y = v[8], e.end_x = v[9], e.end_y = v[10];
    e.direction = sqlite3_column_int(row, 12);
    road_insert_horizon(&reader->road, &e, road_number_horizon(&reader->road));
}

static void read_vertical(file_reader *reader, sqlite3_stmt *row)
{
    vertical_element_t e;
    double v[8];
    memset(&e, 0, sizeof e);
    column_doubles(row, 1, v, 8);
    e.type = sqlite3_column_int(row, 0);
    e.start_chainage = v[0], e.start_elevation = v[1], e.end_chainage = v[2], e.end_elevation = v[3];
    e.length = v[4], e.radius = v[5], e.start_grade = v[6], e.end_grade = v[7];
    e.turn = sqlite3_column_int(row, 9);
    road_insert_vertical(&reader->road, &e, road_number_vertical(&reader->road));
}

static road_offset_t offset_row(sqlite3_stmt *row)
{
    road_offset_t entry = {sqlite3_column_double(row, 0), sqlite3_column_double(row, 1)};
    return entry;
}

static void read_hoff(file_reader *reader, sqlite3_stmt *row)
{
    road_offset_t entry = offset_row(row);
    road_insert_horizon_off(&reader->road, &entry);
}

static void read_voff(file_reader *reader, sqlite3_stmt *row)
{
    road_offset_t entry = offset_row(row);
    road_insert_vertical_off(&reader->road, &entry);
}

static void read_model(file_reader *reader, sqlite3_stmt *row)
{
    model_t model;
    copy_name(model.name, sqlite3_column_text(row, 1));
    model_init(&model);
    int at[2] = {sqlite3_column_int(row, 0), -1};
    if (road_insert_model(&reader->road, &model) == 0)
        at[1] = road_number_model(&reader->road) - 1;
    vpool_insert(&reader->model_ids, reader->model_ids.length, at, sizeof at);
}

/* Nodes name their model by the id it was stored with; a node of no stored
 * model is dropped.  Nodes of equal offset keep the order of the file. */
static void read_node(file_reader *reader, sqlite3_stmt *row)
{
    int id = sqlite3_column_int(row, 0), index = -1;
    for (int i = 0; index < 0 && i < table_count(&reader->model_ids, 2 * sizeof(int)); i++) {
        const int *at = table_at(&reader->model_ids, 2 * sizeof(int), i);
        if (at[0] == id)
            index = at[1];
    }
    model_t *model = road_model_index(&reader->road, index);
    if (!model)
        return;
    model_node_t node = {sqlite3_column_double(row, 1), sqlite3_column_double(row, 2)};
    int k = 0;
    while (k < model_number_node(model) && model_node(model, k)->offset <= node.offset)
        k++;
    table_insert(&model->nodes, sizeof(model_node_t), k, &node);
}

static void read_section(file_reader *reader, sqlite3_stmt *row)
{
    road_section_t s;
    memset(&s, 0, sizeof s);
    s.start_chainage = sqlite3_column_double(row, 0);
    s.end_chainage = sqlite3_column_double(row, 1);
    copy_name(s.start_model, sqlite3_column_text(row, 2));
    copy_name(s.end_model, sqlite3_column_text(row, 3));
    s.type = sqlite3_column_int(row, 4);
    road_insert_section(&reader->road, &s);
}

static void read_feeder(file_reader *reader, sqlite3_stmt *row)
{
    char name[ROAD_NAME_SIZE];
    int counts[4], index = -1;
    double c[16], values[16];
    copy_name(name, sqlite3_column_text(row, 0));
    for (int i = 0; i < 4; i++)
        counts[i] = sqlite3_column_int(row, 1 + i);
    /* Columns l0 l1 l2 r1 a1 off1 r2 a2 off2 det0 det1 det2 alf e1 e2 e3 into
     * the order feeder_init takes: l0 l1 l2 det0 det1 det2 off1 off2 r1 r2 a1
     * a2 alf e1 e2 e3. */
    static const int order[16] = {0, 1, 2, 9, 10, 11, 5, 8, 3, 6, 4, 7, 12, 13, 14, 15};
    column_doubles(row, 5, c, 16);
    for (int i = 0; i < 16; i++)
        values[i] = c[order[i]];
    feeder_t feeder;
    memset(&feeder, 0, sizeof feeder);
    if (feeder_init(&feeder, name, values, counts, sqlite3_column_int(row, 21)) == 0) {
        road_insert_feeder(&reader->road, &feeder);
        index = road_number_feeder(&reader->road) - 1;
    }
    vpool_insert(&reader->feeder_index, reader->feeder_index.length, &index, sizeof index);
}

/* Elevations name their feeder by its row in the file. */
static void read_elevation(file_reader *reader, sqlite3_stmt *row)
{
    const int *index = table_at(&reader->feeder_index, sizeof(int), sqlite3_column_int(row, 0));
    feeder_t *feeder = index ? road_feeder(&reader->road, *index) : NULL;
    if (feeder)
        feeder_insert_elevation(feeder, sqlite3_column_int(row, 1), sqlite3_column_int(row, 2),
                                sqlite3_column_double(row, 3));
}

static int read_road(sqlite3 *db, file_reader *reader)
{
    return read_table(db, "horizon", 13, read_horizon, reader) == 0
        && read_table(db, "vertical", 10, read_vertical, reader) == 0
        && read_table(db, "hoff", 2, read_hoff, reader) == 0 && read_table(db, "voff", 2, read_voff, reader) == 0
        && read_table(db, "model", 2, read_model, reader) == 0 && read_table(db, "node", 3, read_node, reader) == 0
        && read_table(db, "section", 5, read_section, reader) == 0
        && read_table(db, "feeder", 22, read_feeder, reader) == 0
        && read_table(db, "fele", 4, read_elevation, reader) == 0 ? 0 : -1;
}

/* Adds what was read to the caller's road through the table operations, as
 * a row-by-row import would: elements at the indices they were read at,
 * offsets and sections in order, models unless the name is taken. */
static void hand_over(road_t *road, road_t *read)
{
    for (int i = 0; i < road_number_horizon(read); i++)
        road_insert_horizon(road, road_horizon(read, i), i);
    for (int i = 0; i < road_number_vertical(read); i++)
        road_insert_vertical(road, road_vertical(read, i), i);
    for (int i = 0; i < road_number_horizon_off(read); i++)
        road_insert_horizon_off(road, road_horizon_off(read, i));
    for (int i = 0; i < road_number_vertical_off(read); i++)
        road_insert_vertical_off(road, road_vertical_off(read, i));
    for (int i = 0; i < road_number_model(read); i++) {
        model_t *model = road_model_index(read, i);
        if (road_insert_model(road, model) != 0)
            model_final(model);
    }
    for (int i = 0; i < road_number_section(read); i++)
        road_insert_section(road, road_section(read, i));
    for (int i = 0; i < road_number_feeder(read); i++)
        road_insert_feeder(road, road_feeder(read, i));
    /* The models' nodes and the feeders' lists now belong to road: only the
     * record blocks are freed here. */
    vpool_reset(&read->model);
    vpool_reset(&read->feeder);
}

/* A write killed half-way leaves a hot journal, which a read-only
 * connection refuses to roll back: one read-write touch of the schema
 * restores the last committed state first.  Without write access (or
 * without a file) nothing happens here. */
static void roll_back_hot_journal(const char *path)
{
    char journal[PATH_SIZE + 16];
    snprintf(journal, sizeof journal, "%s-journal", path);
    FILE *probe = fopen(journal, "rb");
    if (!probe)
        return;
    fclose(probe);
    sqlite3 *db = NULL;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, NULL) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "select count(*) from sqlite_master", NULL, NULL, NULL);
    }
    sqlite3_close(db);
}

int road_import_file(road_t *road, const char *path)
{
    sqlite3 *db = NULL;
    if (!road || !path_ok(path))
        return -1;
    roll_back_hot_journal(path);
    /* Read-only: a missing file must not be created by looking for it. */
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    file_reader reader;
    road_init(&reader.road);
    vpool_init(&reader.model_ids, 2 * sizeof(int), 0);
    vpool_init(&reader.feeder_index, sizeof(int), 0);
    int result = read_road(db, &reader);
    sqlite3_close(db);
    if (result == 0 && !pm_within_road_limits(&reader.road))
        result = -1;
    if (result == 0)
        hand_over(road, &reader.road);
    road_final(&reader.road);
    vpool_final(&reader.model_ids);
    vpool_final(&reader.feeder_index);
    return result;
}
