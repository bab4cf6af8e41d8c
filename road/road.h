/*
 * road: the road library of Corvane.
 *
 * A road is a handle of seven tables (horizontal and vertical elements, two
 * offset tables, model sections, cross-section models and feeders).  The
 * library chains the element lists into a continuous centre line and profile,
 * converts between chainage, plane coordinates, offset and design elevation,
 * and stores roads in an SQLite file and in the two ".pm" exchange formats.
 *
 * Conventions:
 *  - the caller owns every handle and pairs each _init with its _final;
 *  - operations return 0 on success and -1 on failure;
 *  - accessors return a pointer into a table, valid until that table next
 *    changes, or NULL;
 *  - out-parameters of the conversions may be NULL;
 *  - derived fields are recomputed only by road_apply_horizon() and
 *    road_apply_vertical(), which callers run after each change;
 *  - angles are radians, azimuths measured from the X axis towards the Y
 *    axis; offsets are positive on the side of azimuth + pi/2.
 */
#ifndef CORVANE_ROAD_H
#define CORVANE_ROAD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define ROAD_API __attribute__((visibility("default")))
#else
#define ROAD_API
#endif

/* ------------------------------------------------------------------------
 * vpool: growable byte buffer holding fixed-size records back to back.
 * Positions and lengths are in bytes.
 * ---------------------------------------------------------------------- */

#define VPOOL_DEFAULT_BLOCK 4096
#define VPOOL_DEFAULT_LIMIT 2147483647
#define VPOOL_ENOMEM 12 /* out of memory */
#define VPOOL_ERANGE 34 /* range does not fit the live bytes */

typedef struct vpool {
    char *base;      /* allocated block (what is freed); NULL when none */
    char *data;      /* first live byte; runs ahead of base after a front cut */
    uint64_t length; /* live bytes from data */
    uint64_t size;   /* allocated bytes from base */
    uint64_t block;  /* block size given at initialisation */
    uint64_t limit;  /* maximum size given at initialisation */
    int error;       /* result of the last operation: 0, 12 or 34 */
} vpool;

/* Empty pool; block 0 means 4096, limit 0 means 2147483647.  Allocates nothing. */
ROAD_API void vpool_init(vpool *pool, uint64_t block, uint64_t limit);
/* Frees the block; the fields are left as they are. */
ROAD_API void vpool_final(vpool *pool);
/* Frees the block and zeroes base, data, size, length and error. */
ROAD_API void vpool_reset(vpool *pool);
/* Drops the live bytes, keeping the memory. */
ROAD_API void vpool_wipe(vpool *pool);
/* Copies count bytes in at min(position, length), moving later bytes up.
 * Returns where they now stand, or NULL (error 12, pool unchanged). */
ROAD_API void *vpool_insert(vpool *pool, uint64_t position, const void *source, uint64_t count);
/* As vpool_insert but leaves the count new bytes uninitialised. */
ROAD_API void *vpool_expand(vpool *pool, uint64_t position, uint64_t count);
/* keep != 0: keep only the count bytes at position; keep == 0: cut them out.
 * Returns 0, or 34 when the range does not fit (pool unchanged). */
ROAD_API int vpool_truncate(vpool *pool, uint64_t position, uint64_t count, int keep);
/* Hands the live bytes (moved to the block's start) to the caller, who frees
 * *out with free(); the pool is left empty. */
ROAD_API void vpool_export(vpool *pool, void **out, uint64_t *length);

/* ------------------------------------------------------------------------
 * Records of the road handle.
 * ---------------------------------------------------------------------- */

enum horizon_type { HORIZON_START = 0, HORIZON_LINE = 1, HORIZON_CIRCLE = 2, HORIZON_TRANSITION = 3 };
enum vertical_type { VERTICAL_START = 0, VERTICAL_GRADE = 1, VERTICAL_CURVE = 2 };

/* A radius at or below this is infinite (a straight end of a transition). */
#define ROAD_INFINITE_RADIUS 1e-5

typedef struct horizon_element_t {
    int type;              /* enum horizon_type */
    double radius;         /* circular curve */
    double start_radius;   /* transition; <= 1e-5 is infinite */
    double end_radius;     /* transition; <= 1e-5 is infinite */
    double start_x;        /* caller for the start point, chaining otherwise */
    double start_y;
    double end_x;          /* chaining */
    double end_y;
    double start_azimuth;  /* caller for the start point, chaining otherwise */
    double end_azimuth;    /* chaining, in [0, 2 pi] */
    double start_chainage; /* caller for the start point, chaining otherwise */
    double length;         /* caller (0 for the start point) */
    int direction;         /* 0: azimuth decreases (left), 1: increases (right) */
} horizon_element_t;

typedef struct vertical_element_t {
    int type;               /* enum vertical_type */
    double radius;          /* vertical curve */
    double start_chainage;  /* caller for the start point, chaining otherwise */
    double start_elevation;
    double end_chainage;    /* chaining */
    double end_elevation;
    double start_grade;     /* grade angle, atan(percent / 100) */
    double end_grade;       /* chaining, in [0, 2 pi] */
    double length;          /* horizontal length */
    int turn;               /* curve: 0 crest (centre below), 1 sag (centre above) */
} vertical_element_t;

/* Entry of the horizontal and vertical offset tables. */
typedef struct road_offset_t {
    double chainage;
    double value;
} road_offset_t;

#define ROAD_NAME_SIZE 64

/* Node of a cross-section model: offset from the centre line, cross slope of
 * the stretch towards the centre line. */
typedef struct model_node_t {
    double offset;
    double slope;
} model_node_t;

typedef struct model_t {
    char name[ROAD_NAME_SIZE];
    vpool nodes; /* model_node_t, ascending offset */
} model_t;

/* The models that apply between two chainages. */
typedef struct road_section_t {
    double start_chainage;
    double end_chainage;
    char start_model[ROAD_NAME_SIZE];
    char end_model[ROAD_NAME_SIZE];
    int type;
} road_section_t;

/* Junction area of a side road, covered by a fan of grid lines that each
 * hold measured elevations.  Local frame: x = chainage, y = -offset. */
typedef struct feeder_t {
    char name[ROAD_NAME_SIZE];
    double l0, l1, off1, l2, off2;
    double r1, a1, r2, a2;
    double alf;
    int n1, n2, n3, n4;
    double det0, det1, det2;
    vpool *elevations;  /* one pool of doubles per grid line */
    double *segments;   /* per grid line: outer x0, y0, inner x1, y1 */
    double e1, e2, e3;
    int start_cap;
    int arc1_extension;
    int end_cap;
    int arc2_extension;
    int de_type;        /* 0 arc points equal in angle, 1 found radially */
} feeder_t;

/* The road handle: seven tables in this order. */
typedef struct road_t {
    vpool horizon;     /* horizon_element_t */
    vpool vertical;    /* vertical_element_t */
    vpool horizon_off; /* road_offset_t */
    vpool vertical_off;/* road_offset_t */
    vpool section;     /* road_section_t */
    vpool model;       /* model_t */
    vpool feeder;      /* feeder_t */
} road_t;

/* ------------------------------------------------------------------------
 * Road handle and tables.  Indices are 0-based; a bad index is < 0 or >= count.
 * ---------------------------------------------------------------------- */

/* Initialises the seven tables; allocates nothing and frees nothing. */
ROAD_API void road_init(road_t *road);
/* Frees every table, every model's nodes and every feeder. */
ROAD_API void road_final(road_t *road);

ROAD_API int road_number_horizon(const road_t *road);
ROAD_API int road_number_vertical(const road_t *road);
ROAD_API int road_number_horizon_off(const road_t *road);
ROAD_API int road_number_vertical_off(const road_t *road);
ROAD_API int road_number_section(const road_t *road);
ROAD_API int road_number_model(const road_t *road);
ROAD_API int road_number_feeder(const road_t *road);

ROAD_API horizon_element_t *road_horizon(road_t *road, int index);
ROAD_API vertical_element_t *road_vertical(road_t *road, int index);
ROAD_API road_offset_t *road_horizon_off(road_t *road, int index);
ROAD_API road_offset_t *road_vertical_off(road_t *road, int index);
ROAD_API road_section_t *road_section(road_t *road, int index);
ROAD_API model_t *road_model_index(road_t *road, int index);
ROAD_API feeder_t *road_feeder(road_t *road, int index);
/* First model whose name equals name exactly, or NULL. */
ROAD_API model_t *road_model_name(road_t *road, const char *name);

/* Copies the record in before index (index == count appends).  -1 when index
 * is out of 0..count, or a start point is put anywhere but index 0. */
ROAD_API int road_insert_horizon(road_t *road, const horizon_element_t *element, int index);
ROAD_API int road_insert_vertical(road_t *road, const vertical_element_t *element, int index);
ROAD_API int road_modify_horizon(road_t *road, const horizon_element_t *element, int index);
ROAD_API int road_modify_vertical(road_t *road, const vertical_element_t *element, int index);
ROAD_API int road_remove_horizon(road_t *road, int index);
ROAD_API int road_remove_vertical(road_t *road, int index);
/* Empty the table and free its memory. */
ROAD_API void road_clear_horizon(road_t *road);
ROAD_API void road_clear_vertical(road_t *road);

/* Offsets are kept in chainage order; a new entry goes before equal ones. */
ROAD_API int road_insert_horizon_off(road_t *road, const road_offset_t *entry);
ROAD_API int road_insert_vertical_off(road_t *road, const road_offset_t *entry);
/* Overwrites in place; the order is not restored. */
ROAD_API int road_modify_horizon_off(road_t *road, const road_offset_t *entry, int index);
ROAD_API int road_modify_vertical_off(road_t *road, const road_offset_t *entry, int index);
ROAD_API int road_erase_horizon_off(road_t *road, int index);
ROAD_API int road_erase_vertical_off(road_t *road, int index);
ROAD_API int road_clear_horizon_off(road_t *road);
ROAD_API int road_clear_vertical_off(road_t *road);

/* Appends the model, taking over its node pool; -1 when the name exists. */
ROAD_API int road_insert_model(road_t *road, const model_t *model);
/* Frees the stored model's nodes and overwrites it with the given one. */
ROAD_API int road_modify_model(road_t *road, const model_t *model, int index);
ROAD_API int road_remove_model(road_t *road, int index);
/* Returns 0, or 34 when the table was already empty. */
ROAD_API int road_clear_model(road_t *road);

ROAD_API void model_init(model_t *model);
ROAD_API void model_final(model_t *model);
ROAD_API int model_number_node(const model_t *model);
ROAD_API model_node_t *model_node(model_t *model, int index);
/* Keeps the nodes in offset order; a new node goes before equal ones. */
ROAD_API int model_insert_node(model_t *model, const model_node_t *node);
ROAD_API int model_remove_node(model_t *model, int index);
ROAD_API int model_clear_node(model_t *model);

/* -1 when start >= end chainage; otherwise inserted before the first section
 * whose start chainage is at or past the new end chainage. */
ROAD_API int road_insert_section(road_t *road, const road_section_t *section);
ROAD_API int road_modify_section(road_t *road, const road_section_t *section, int index);
ROAD_API int road_remove_section(road_t *road, int index);
/* Returns 0, or 34 when the table was already empty. */
ROAD_API int road_clear_section(road_t *road);

/* ------------------------------------------------------------------------
 * Horizontal alignment.
 * ---------------------------------------------------------------------- */

/* Chains the horizontal elements into a continuous centre line.  Returns 0. */
ROAD_API int road_apply_horizon(road_t *road);
/* Point and azimuth at chainage s.  Returns the element index (0 before the
 * start, count - 1 past the end, on the extended tangents), or -1 for fewer
 * than two elements or a chainage in a gap. */
ROAD_API int road_l2xy(const road_t *road, double s, double *x, double *y, double *azimuth);
/* Point at chainage s and offset; the azimuth written is the centre line's.
 * Returns 0. */
ROAD_API int road_lo2xy(const road_t *road, double s, double offset, double *x, double *y, double *azimuth);
/* Projects a plane point on the centre line.  Returns the element index, or
 * -1 when the road has fewer than two elements or no element near the point
 * brackets it. */
ROAD_API int road_xy2l(const road_t *road, double x, double y, double *chainage,
                       double *foot_x, double *foot_y, double *azimuth, double *offset);

/* ------------------------------------------------------------------------
 * Vertical alignment.
 * ---------------------------------------------------------------------- */

/* Chains the grade lines and vertical curves into a profile.  Returns 0. */
ROAD_API int road_apply_vertical(road_t *road);
/* Design elevation and grade angle at chainage s.  Returns the element index
 * (0 before the start, count - 1 past the end), or -1. */
ROAD_API int road_l2h(const road_t *road, double s, double *elevation, double *grade);

/* ------------------------------------------------------------------------
 * Cross-section models, feeders and the design surface.
 * ---------------------------------------------------------------------- */

/* Height relative to the centre line at offset x, and how x relates to the
 * model's edges (0 near an edge, 1 inside, 2 beyond).  -1 without nodes. */
ROAD_API int model_elevation(const model_t *model, double x, double *height, int *edge);

/* values: l0, l1, l2, det0, det1, det2, off1, off2, r1, r2, a1, a2, alf, e1,
 * e2, e3; counts: n1..n4.  -1 when a count is below 1. */
ROAD_API int feeder_init(feeder_t *feeder, const char *name, const double values[16],
                         const int counts[4], int de_type);
ROAD_API int feeder_modify(feeder_t *feeder);
ROAD_API void feeder_final(feeder_t *feeder);
/* Number of grid lines of a feeder. */
ROAD_API int feeder_number_line(const feeder_t *feeder);
ROAD_API int feeder_number_elevation(const feeder_t *feeder, int line);
ROAD_API double feeder_elevation(const feeder_t *feeder, int line, int k);
ROAD_API int feeder_insert_elevation(feeder_t *feeder, int line, int k, double value);
ROAD_API int feeder_modify_elevation(feeder_t *feeder, int line, int k, double value);
ROAD_API int feeder_remove_elevation(feeder_t *feeder, int line, int k);
ROAD_API int feeder_clear_elevation(feeder_t *feeder, int line);
ROAD_API int feeder_coord(const feeder_t *feeder, int line, int k, double *x, double *y);
ROAD_API int feeder_lo2h(const feeder_t *feeder, double s, double o, double *z, int *flag);
/* Appends a copy of the record; the table takes over its lists. */
ROAD_API int road_insert_feeder(road_t *road, const feeder_t *feeder);
ROAD_API int road_remove_feeder(road_t *road, int index);
ROAD_API int road_clear_feeder(road_t *road);
ROAD_API int PointInPoly(double x, double y, int n, const double *xs, const double *ys);
ROAD_API int interpolate(double x, double y, const double xs[3], const double ys[3],
                         const double zs[3], double *out);

/* Design elevation at chainage s and offset o.  Returns 1 when a feeder
 * answered, 0 otherwise. */
ROAD_API int road_lo2h(const road_t *road, double s, double o, double *z, int *flag);
/* Outer offset of the design surface on the side of `side` at chainage s;
 * 10.0 when nothing covers s. */
ROAD_API double road_maxoff(const road_t *road, double s, double side);

/* ------------------------------------------------------------------------
 * Files.
 * ---------------------------------------------------------------------- */

/* Whole road handle to and from an SQLite road file. */
ROAD_API int road_export_file(const road_t *road, const char *path);
ROAD_API int road_import_file(road_t *road, const char *path);
/* Horizontal elements to and from a HaiDi ".pm" file. */
ROAD_API int road_import_haidi(road_t *road, const char *path);
ROAD_API int road_export_haidi(const road_t *road, const char *path);
/* Horizontal elements to and from a WeiDi ".pm" file
 * ("HINTCAD5.83_PM_SHUJU_PM"). */
ROAD_API int road_import_weidi(road_t *road, const char *path);
/* As road_import_weidi.  A file with an element of a code other than 1, 3,
 * 21 and 22 is refused whole, as every element after one left out would be
 * chained from the wrong point: *line then receives the number of that
 * element's first line (the header is line 1) and *code the code.  Both are
 * 0 for every other outcome; either may be NULL. */
ROAD_API int road_import_weidi_report(road_t *road, const char *path, int *line, int *code);
ROAD_API int road_export_weidi(const road_t *road, const char *path);

/* ------------------------------------------------------------------------
 * Chainage text.
 * ---------------------------------------------------------------------- */

/* Station text "K<km>+<mmm.mm>" of a chainage in metres, in a static buffer
 * overwritten by the next call (not reentrant). */
ROAD_API const char *mileage(double chainage);
/* The same text written into the caller's buffer, safe on any thread. */
ROAD_API void mileage_format(double chainage, char *text, size_t size);

/* ------------------------------------------------------------------------
 * Plane geometry.
 * ---------------------------------------------------------------------- */

typedef struct point2d { double x, y; } point2d;
typedef point2d vector2d;
typedef struct segment2d { point2d p, q; } segment2d;
typedef struct line2d { double A, B, C; } line2d; /* A x + B y + C = 0 */
typedef struct polygon2d { int count; point2d *points; } polygon2d;

ROAD_API void point2d_init(point2d *point, double x, double y);
ROAD_API double point2d_dist(const point2d *p, const point2d *q);
ROAD_API void vector2d_add(const vector2d *u, const vector2d *v, vector2d *out);
ROAD_API void vector2d_sub(const vector2d *u, const vector2d *v, vector2d *out);
ROAD_API void vector2d_scale(vector2d *v, double factor);
ROAD_API double vector2d_length(const vector2d *v);
ROAD_API double vector2d_plot(const vector2d *u, const vector2d *v);
ROAD_API double vector2d_cross(const vector2d *u, const vector2d *v);
ROAD_API void segment2d_init(segment2d *segment, const point2d *p, const point2d *q);
/* 0 no crossing, 1 crossing (written to out when not NULL), 2 one shared end
 * point, 4 two or more shared end points. */
ROAD_API int segment2d_intersect(const segment2d *s, const segment2d *t, point2d *out);
/* 1 when the point lies within 1e-6 of the segment, end points included. */
ROAD_API int point2d_on_segment(const point2d *point, const segment2d *segment);
ROAD_API void line2d_init(line2d *line, double A, double B, double C);
ROAD_API void line2d_init_mid_perpend(line2d *line, const point2d *p, const point2d *q);
/* 0 for parallel lines (out untouched), else 1. */
ROAD_API int line2d_intersect(const line2d *l1, const line2d *l2, point2d *out);
ROAD_API void point_proj_on_line2d(const point2d *point, const line2d *line, point2d *out);
ROAD_API double point_to_line2d(const point2d *point, const line2d *line);
/* Allocates count points with malloc; the caller frees polygon->points.
 * Returns 0, or -1 when count is negative or memory runs out. */
ROAD_API int polygon2d_init(polygon2d *polygon, int count, const double *xs, const double *ys);
/* 0 or 2 outside, 1 inside, 3 on the boundary. */
ROAD_API int point_in_polygon2d(const point2d *point, const polygon2d *polygon);
/* 1 when b has vertices and every one lies inside a or on its boundary. */
ROAD_API int polygon_contain_polygon2d(const polygon2d *a, const polygon2d *b);
/* 1 when an edge of a crosses an edge of b; touching ends do not count. */
ROAD_API int polygon_crash_polygon2d(const polygon2d *a, const polygon2d *b);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_ROAD_H */
