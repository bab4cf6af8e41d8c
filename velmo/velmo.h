/*
 * velmo: Corvane's point-cloud engine.
 *
 * A workspace holds the open project with its point clouds, roads and
 * sections.  Point clouds are imported from LAS files into a paged tile
 * store; roads come from ".pm" files and the road library; sections are cut
 * from the clouds along the roads, measured and exported.
 *
 * Conventions: non-zero int results mean success; paths are UTF-8 texts of at
 * most 1,023 bytes; records are published once complete and never move, so
 * the program's GUI, worker and pager threads may read them without locks.
 * Lists are Collections-C style arrays of record pointers (array_size,
 * array_get_at) that one thread appends to while others read.
 *
 * World frame: x east, y north, z up.  The road library's X is north and Y is
 * east, so a road point (X, Y) is the world point (Y, X).
 */
#ifndef CORVANE_VELMO_H
#define CORVANE_VELMO_H

#include <stddef.h>
#include <stdint.h>

#include "collections.h"
#include "road.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VELMO_API __attribute__((visibility("default")))
#else
#define VELMO_API
#endif

#define VELMO_PATH_SIZE 1024
#define VELMO_NAME_SIZE 64

/* The program's version, "%d.%d.%d". */
VELMO_API extern const char cvVersion[];

/* Progress of a long call: current runs from 0 to total; the message is UTF-8.
 * Called only on the calling thread, during the call that received it. */
typedef void (*velmo_progress_callback_t)(int total, int current, const char *message);

/* One point: world coordinates, section-plane coordinates, colour 0-255,
 * intensity 0-255, LAS class (0-31 from point formats 0-5, 0-255 from 6-10:
 * see velmo_class_index), and the LAS attributes that remain.  Plain data,
 * copied by value. */
typedef struct velmo_point_t {
    double x, y, z;
    float u, v, w;
    uint16_t red, green, blue, intensity;
    uint8_t classification;
    uint8_t return_number;
    uint8_t number_of_returns;
    uint8_t user_data;
    int16_t scan_angle;
    uint16_t point_source_id;
    uint32_t reserved;
    double gps_time;
    uint8_t spare[8];
} velmo_point_t;

/* The entry of a class in 32-entry class tables (colours, visibility):
 * classes 0-30 have their own; 31 and every class above it (LAS 1.4 reserves
 * 19-63 and leaves 64-255 to users) share the last one, "other", so that no
 * class is ever shown as another. */
static inline int velmo_class_index(uint8_t classification)
{
    return classification < 31 ? classification : 31;
}

/* A stored point of a tile: its level first (8 sparsest .. 3 the rest), then
 * the point quantised on the cloud's grid.  Entries of a tile's list point
 * straight into the memory-mapped tile store. */
typedef struct tile_point_t {
    uint8_t level;
    uint8_t classification;
    uint16_t intensity;
    uint16_t red, green, blue;
    int32_t x, y, z;
} tile_point_t;

/* A square tile of a cloud in X-Y. */
typedef struct tile_t {
    double box[6];       /* min x, y, z, max x, y, z */
    Array *entries;      /* tile_point_t *, highest level first */
    uint64_t code;       /* position of the tile in the cloud's quadtree */
    uint32_t point_count;
    uint32_t first_point; /* index of the tile's first point in the store */
} tile_t;

/* A point cloud imported from a LAS file. */
typedef struct velmo_t {
    char path[VELMO_PATH_SIZE]; /* the LAS file */
    double box[6];              /* min x, y, z, max x, y, z */
    double height_step;         /* height colour scale: step_count x height_step */
    int step_count;
    /* tile_t * to tile_t *, in quadtree order; set once, whole, with a
     * release store by velmo_open_file: read it with an acquire load while a
     * task may be opening the cloud. */
    TreeTable *tiles;
    velmo_progress_callback_t progress;
    struct velmo_cloud_state *state; /* tile store and bookkeeping */
} velmo_t;

/* Section kinds. */
enum section_type {
    SECTION_LATITUDE = 0,  /* across the road at a chainage */
    SECTION_LONGITUDE = 1, /* along the road over a chainage range */
    SECTION_CUSTOM = 2,    /* vertical plane through a centre at an azimuth */
    SECTION_HORIZONTAL = 3 /* horizontal plane, kept in the custom list */
};

/* A section: a slab of the clouds seen in its own plane.  u runs along
 * axis_u (the width), v up along axis_v, w along the normal; for vertical
 * sections v is world z.  Longitude sections follow a centre-line polyline
 * with u the chainage. */
typedef struct section_t {
    char name[VELMO_NAME_SIZE];
    int type;                /* enum section_type */
    double normal_range[2];  /* near, far along the normal */
    double width_range[2];   /* min, max along the width axis */
    Array *points;           /* velmo_point_t * */
    Array *red_line;         /* velmo_point_t *: design line */
    Array *measurements;     /* velmo_point_t *: ground line, sorted by u */
    double center[3];
    double normal[3];
    double axis_u[3];
    double axis_v[3];
    int vertex_count;        /* longitude sections: centre-line polyline */
    double *vertices;        /* per vertex: world x, y, chainage */
    struct velmo_section_state *state;
} section_t;

/* A road of the workspace. */
typedef struct wks_road_t {
    char path[VELMO_PATH_SIZE]; /* its ".pm" file */
    int format;                 /* 0 HaiDi, 1 WeiDi */
    road_t road;
    struct velmo_road_state *state;
} wks_road_t;

/* The open project; its name is the project file's stem. */
typedef struct wks_project_t {
    char name[256];
    char path[VELMO_PATH_SIZE];
} wks_project_t;

/* The workspace: allocated by the caller with malloc (96 bytes are enough),
 * filled by wks_init, released with everything it holds by wks_destroy. */
typedef struct wks_t {
    double center_x, center_y;
    double base_elevation;      /* lowest z of all clouds; 0 without clouds */
    wks_project_t *project;     /* NULL while no project is open */
    Array *clouds;              /* velmo_t * */
    Array *roads;               /* wks_road_t * */
    Array *latitude_sections;   /* section_t * */
    Array *longitude_sections;  /* section_t * */
    Array *custom_sections;     /* section_t *, custom and horizontal */
    struct velmo_workspace_state *state;
} wks_t;

/* ---- workspace and project ---------------------------------------------- */

VELMO_API int wks_init(wks_t *wks);
/* Releases everything the workspace holds, then the block itself (free). */
VELMO_API void wks_destroy(wks_t *wks);
/* The longest absolute path of a project file, in bytes: every file of its
 * data folder must fit the database's path limit. */
#define VELMO_PROJECT_PATH_MAX 480

/* Opens a project file into an empty workspace; 0 when the file is missing,
 * is not a Corvane project (the file is left untouched), is open in another
 * process or has a longer path than VELMO_PROJECT_PATH_MAX; the reason is
 * in wks_last_message.  A project stays locked against other processes
 * while it is open.  Rows that name files outside the project's data
 * folder are left out, with a message; a cloud or road whose file's path
 * (the project moved deeper) is longer than 1,023 bytes is kept without it,
 * with a message naming it, and its row is saved as it was read; files of the program's own kinds in
 * the data folder that no row uses are deleted.  A write that was cut off
 * (a crash, a kill) is rolled back first, so every committed change is
 * there. */
VELMO_API int wks_open_project(wks_t *wks, const char *path);
/* Creates a project file and its data folder; the second argument is
 * reserved (0).  Paths longer than VELMO_PROJECT_PATH_MAX are refused with a
 * message. */
VELMO_API int wks_create_project(wks_t *wks, int reserved, const char *path);
/* Saves the project's lists, every road's road file and every section
 * change not yet stored; 0 when any of it could not be written (a full disk,
 * a read-only medium), and the changes then stay pending for the next save.
 * A road file that exists but could not be read is never overwritten. */
VELMO_API int wks_export_project(wks_t *wks);
/* Why the last wks_open_project, wks_create_project, wks_export_project,
 * wks_import_road or wks_create_road failed, or what an open or a road
 * import had to leave out; "" when there is nothing to say.  Valid until the
 * next of these calls on the workspace. */
VELMO_API const char *wks_last_message(const wks_t *wks);
VELMO_API void wks_update_bounding_box(wks_t *wks);
/* Middle of the workspace box. */
VELMO_API void wks_get_center(wks_t *wks, double center[3]);
/* The base elevation field, read under the lock that an import, a removal
 * or an open on another thread writes it under. */
VELMO_API double wks_get_base_elevation(wks_t *wks);

/* ---- point clouds -------------------------------------------------------- */

/* Imports a LAS file into the project's tile store and appends the cloud;
 * NULL (with a progress message saying why) when the file cannot be read or
 * its path made absolute is longer than 1,023 bytes. */
VELMO_API velmo_t *wks_import_velmo(wks_t *wks, const char *path, velmo_progress_callback_t progress);
/* Takes the cloud out of the workspace; its memory and store go at
 * wks_destroy, since pagers may still read its tiles. */
VELMO_API int wks_remove_velmo(wks_t *wks, velmo_t *cloud);
/* The callback is used by the next velmo_open_file and dropped when it returns. */
VELMO_API void velmo_set_progress_callback(velmo_t *cloud, velmo_progress_callback_t progress);
/* Maps the cloud's tile store, rebuilding it from the LAS file when it is
 * missing or damaged, or when it is not the store of the LAS file (its
 * point count, scales and offsets or extent differ: another cloud's store
 * copied over it), with a message (velmo_last_message). */
VELMO_API int velmo_open_file(velmo_t *cloud);
VELMO_API int velmo_get_point_num(velmo_t *cloud);
/* Point count and box of a LAS file from its header; 0 and a zero box when
 * the file is not a readable LAS file. */
VELMO_API int32_t velmo_read_point_number(const char *path, double box[6]);
/* The same, but -1 when the file is not a readable LAS file, with the reason
 * in reason (reason_size bytes, NUL-terminated, cut short when longer). */
VELMO_API int32_t velmo_read_las_facts(const char *path, double box[6], char *reason, size_t reason_size);
/* The most pieces velmo_slice_points cuts a file into. */
#define VELMO_SLICE_PIECES_MAX 10000
/* Cuts a LAS file into counts[0] x counts[1] x counts[2] boxes, written as
 * "<stem>_<i>_<j>_<k>.las" beside it. */
VELMO_API int velmo_slice_points(const char *path, const int counts[3], velmo_progress_callback_t progress);
/* Decodes one tile entry, or a copy of one, into world coordinates, colour,
 * intensity and class.  Lock-free and re-entrant.  0 for an entry of the
 * store mapping once the store is known to have changed on disk. */
VELMO_API int velmo_read_point_osg(velmo_t *cloud, tile_t *tile, tile_point_t *entry, velmo_point_t *point);
/* Copies entries first .. first + count - 1 of the tile's list into out,
 * read from the store's file: a store that another program cut short,
 * zeroed or wrote over while the project is open then gives a failure
 * rather than a fault, which reading the entries in place would.  Returns
 * how many were copied (fewer than count past the tile's end), 0 when none
 * can be read: velmo_last_message then says why.  Thread-safe. */
VELMO_API size_t velmo_read_tile_points(velmo_t *cloud, tile_t *tile, size_t first, size_t count, tile_point_t *out);
/* Gives back the resident pages of the store mapping that hold the tile's
 * first count points (all of them when count is larger), so that a tile
 * once decoded costs the process no memory; the points stay readable and are
 * read again from the file cache.  Returns 1, or 0 when the cloud has no
 * store, its store changed on disk or the kernel refused. */
VELMO_API int velmo_release_tile_points(velmo_t *cloud, tile_t *tile, size_t count);
/* What the cloud has to say, "" when nothing: that its store had to be
 * rebuilt at velmo_open_file because it was not made from its LAS file, or,
 * from the first read that found it, that its store changed on disk while
 * the project is open (its points, sections and tiles cannot be read until
 * the project is opened again).  Callable on any thread; the text stays
 * valid as long as the cloud. */
VELMO_API const char *velmo_last_message(const velmo_t *cloud);

/* ---- roads ---------------------------------------------------------------- */

/* Reads a ".pm" file (format 0 HaiDi, 1 WeiDi) and appends the road; NULL
 * when it cannot be read, or when its path made absolute is longer than
 * 1,023 bytes (wks_last_message then says so).  A WeiDi file with an element
 * of a kind a road cannot hold is refused whole, and wks_last_message then
 * names the line and the code. */
VELMO_API wks_road_t *wks_import_road(wks_t *wks, const char *path, int format);
/* Appends a road with no elements whose HaiDi file is written on saving;
 * NULL, with the reason in wks_last_message, for a path whose absolute form
 * is longer than 1,023 bytes. */
VELMO_API wks_road_t *wks_create_road(wks_t *wks, const char *path);
/* Loads the road's ".pm" file, then its road file in the project's data
 * folder (profile, models, feeders) when there is one. */
VELMO_API int road_open_file(wks_road_t *road, const char *path, int format);
VELMO_API int wks_remove_road(wks_t *wks, wks_road_t *road);

/* ---- sections ------------------------------------------------------------- */

/* Section changes (new sections, ranges, measurements saved with
 * wks_save_section_data, the red line of section_import_dxf, deletions) are
 * written to the project file at once.  When that write fails (a full disk,
 * a read-only medium) the change stays in memory, pending: the call still
 * succeeds (wks_save_section_data and wks_save_remove_section return 0), and
 * every later wks_export_project tries to write it, returning 0 with a
 * message until it can. */

/* rows: n pairs {chainage, altitude}; returns how many sections were added. */
VELMO_API int wks_generate_road_latitude_sections(wks_t *wks, wks_road_t *road, int n, const double *rows,
                                                  double buffer_width, double section_width);
/* rows: n pairs {start chainage, end chainage}. */
VELMO_API int wks_generate_road_longitude_sections(wks_t *wks, wks_road_t *road, int n, const double *rows,
                                                   double buffer_width);
/* The name the section of one row (two doubles, as the generating call of
 * list 0, latitude, or 1, longitude, reads them) gets on the road; 0 when
 * the row makes no section. */
VELMO_API int wks_road_section_name(wks_road_t *road, int list, const double row[2], char name[VELMO_NAME_SIZE]);
/* 1 when the latitude or longitude section was generated on the road: the
 * section records its road.  A section saved before sections recorded it
 * counts when it lies on the road's centre line. */
VELMO_API int wks_section_on_road(const wks_t *wks, const wks_road_t *road, const section_t *section);
VELMO_API section_t *wks_add_custom_section(wks_t *wks, const char *name, const double center[3],
                                            const double normal[3], const double up[3],
                                            const double normal_range[2], const double width_range[2]);
VELMO_API int wks_export_section(wks_t *wks, section_t *section);
/* As wks_export_section for each of count sections, several at once, saved
 * in one write; null and foreign sections are skipped.  Returns how many
 * were computed and saved. */
VELMO_API int wks_export_sections(wks_t *wks, section_t *const *sections, int count);
/* Sections a caller that shows each as it is saved passes at a time: enough
 * to keep every core busy, few enough to show them soon. */
#define WKS_EXPORT_BLOCK 64
VELMO_API int wks_import_section(wks_t *wks, section_t *section);
/* Computes the section's points afresh.  The array they replace is retired:
 * it stays readable until wks_release_section_points. */
VELMO_API int wks_cal_section(wks_t *wks, section_t *section, velmo_progress_callback_t progress);
/* Frees what the sections hold and no longer need: the points arrays and
 * design lines that wks_cal_section and section_import_dxf replaced, and the
 * points of every section but shown (null: of every section); wks_cal_section
 * computes them again.  Measurements, red lines and ground lines are kept.
 * Call it only where no other thread reads or changes the workspace's
 * sections and no pointer into a points array is held: on the thread that
 * shows them, between two tasks.  0 without a workspace. */
VELMO_API int wks_release_section_points(wks_t *wks, const section_t *shown);
VELMO_API int wks_modify_section_offset(wks_t *wks, section_t *section, const double range[2]);
VELMO_API int wks_modify_section_width(wks_t *wks, section_t *section, const double range[2]);
VELMO_API int wks_save_section_data(wks_t *wks, section_t *section);
VELMO_API int wks_save_remove_section(wks_t *wks, section_t *section);
VELMO_API int wks_remove_section(wks_t *wks, section_t *section);
/* As wks_save_remove_section and wks_remove_section for each of count
 * sections, their rows deleted in one write; null and foreign sections are
 * skipped.  Returns how many were taken out of the workspace. */
VELMO_API int wks_remove_sections(wks_t *wks, section_t *const *sections, int count);
VELMO_API int wks_export_latitude_sections(wks_t *wks, const char *path, const int options[3]);
VELMO_API int wks_export_longitude_sections(wks_t *wks, const char *path, const int options[3]);
VELMO_API int wks_export_custom_sections(wks_t *wks, const char *path, const int options[3]);
VELMO_API int section_export_dat(wks_t *wks, section_t *section, const char *path, int filter);
VELMO_API int section_export_dxf(wks_t *wks, section_t *section, const char *path, int flags);
/* The most vertices a design line read from a DXF file may have; a drawing
 * with more line vertices is refused before it is parsed. */
#define VELMO_DESIGN_LINE_MAX 100000
/* 0 when the file is missing, is not a complete DXF file, holds a
 * coordinate that is not a finite number within a section's reach, holds no
 * line or more than VELMO_DESIGN_LINE_MAX line vertices; the red line is then
 * left as it was and section_last_message says why. */
VELMO_API int section_import_dxf(section_t *section, const char *path);
/* Why the last section_import_dxf, section_export_dxf or section_export_dat
 * on the section failed; "" after a success.  Also why the last
 * wks_cal_section, wks_export_section or wks_export_sections that could not
 * read a cloud's store left the section out (they leave the text as it is
 * when they succeed).  Valid until the next of these calls on the section. */
VELMO_API const char *section_last_message(const section_t *section);
VELMO_API velmo_point_t *section_create_meas(section_t *section, const velmo_point_t *point, int view_mode);
VELMO_API velmo_point_t *section_add_meas(section_t *section, const velmo_point_t *point);
VELMO_API int section_remove_meas(section_t *section, velmo_point_t *measurement);
VELMO_API int section_clear_meas(section_t *section);
/* Fills the world x, y, z of a point from its u, v, w. */
VELMO_API int section_rev_proj_point(section_t *section, velmo_point_t *point);

/* ---- what a file is to the program ---------------------------------------- */

/* What a file is to the open project: a save from outside the engine must
 * not write over any of these. */
enum wks_file_role {
    WKS_FILE_FOREIGN = 0, /* none of the project's files */
    WKS_FILE_PROJECT = 1, /* the project file, or one the database or the lock keeps beside it */
    WKS_FILE_DATA = 2,    /* the project's data folder or anything in it */
    WKS_FILE_CLOUD = 3,   /* the LAS file of one of its point clouds */
    WKS_FILE_ROAD = 4     /* the ".pm" file of one of its roads */
};
/* What path is to the workspace's open project (enum wks_file_role), whether
 * or not the file exists; the same file reached by another name (a link,
 * "..") counts as well.  WKS_FILE_FOREIGN without a project. */
VELMO_API int wks_file_role(const wks_t *wks, const char *path);

/* Kinds of file the engine and the road library write. */
enum velmo_file_kind {
    VELMO_FILE_LAS = 1,
    VELMO_FILE_HDM = 2,
    VELMO_FILE_DMX = 3,
    VELMO_FILE_DXF = 4,
    VELMO_FILE_DAT = 5,
    VELMO_FILE_ROAD = 6 /* a HaiDi or WeiDi ".pm" file the road library reads */
};
/* 1 when the file at path is of that kind, judged by its contents, or is
 * empty; 0 for any other file, a folder, or no file at all. */
VELMO_API int velmo_file_is_kind(const char *path, int kind);

/* The DMX file wks_export_latitude_sections writes beside the HDM file at
 * path with option [1]; 0 when it does not fit size bytes. */
VELMO_API int wks_latitude_dmx_path(const char *path, char *out, size_t size);
/* The piece (i, j, k) = ijk that velmo_slice_points writes for the LAS file
 * at path; 0 when it does not fit size bytes. */
VELMO_API int velmo_slice_piece_path(const char *path, const int ijk[3], char *out, size_t size);

/* ---- vectors ---------------------------------------------------------------- */

VELMO_API void vector_sub(const double a[3], const double b[3], double out[3]);
VELMO_API double vector_dot(const double a[3], const double b[3]);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_VELMO_H */
