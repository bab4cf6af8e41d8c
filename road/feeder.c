/* Feeders: junction areas of side roads covered by grids of elevations. */
#include "road.h"
#include "road_table.h"
#include "feeder_grid.h"
#include "geometry2d_internal.h"

#include <limits.h>
#include <math.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#define FEEDER_SIZE sizeof(feeder_t)
#define ELEVATION_SIZE sizeof(double)
#define MISSING_ELEVATION 1e30
/* More grid lines than this is a corrupt record, not a junction. */
#define FEEDER_LINE_LIMIT 100000
#define LENGTH_TOLERANCE 1e-6
/* A point this close to the outline's edge counts as on it. */
#define EDGE_BAND 0.5

/* ---- record and arrays ------------------------------------------------- */

/* The segment array remembers how many lines it was made for, so a record
 * whose counts were edited after feeder_init is never walked past its
 * arrays. */
typedef struct segment_block {
    int64_t lines;
    double xy[];
} segment_block;

static segment_block *segment_block_of(const feeder_t *feeder)
{
    return (segment_block *)((char *)feeder->segments - offsetof(segment_block, xy));
}

static int64_t lines_from_counts(const feeder_t *feeder)
{
    return (int64_t)feeder->n1 + feeder->n2 + feeder->n3 + feeder->n4 + feeder->start_cap
         + feeder->arc1_extension + feeder->end_cap + feeder->arc2_extension + 2;
}

int feeder_number_line(const feeder_t *feeder)
{
    if (!feeder)
        return -1;
    int64_t lines = lines_from_counts(feeder);
    return lines < 0 || lines > INT_MAX ? -1 : (int)lines;
}

int feeder_usable_lines(const feeder_t *feeder)
{
    if (!feeder || !feeder->segments || !feeder->elevations)
        return 0;
    int64_t lines = segment_block_of(feeder)->lines;
    return lines == lines_from_counts(feeder) ? (int)lines : 0;
}

static int allocate_lines(feeder_t *feeder, int lines)
{
    segment_block *block = calloc(1, sizeof(segment_block) + 4 * sizeof(double) * (size_t)lines);
    vpool *elevations = calloc((size_t)lines, sizeof(vpool));
    if (!block || !elevations) {
        free(block);
        free(elevations);
        return -1;
    }
    block->lines = lines;
    for (int line = 0; line < lines; line++)
        vpool_init(&elevations[line], ELEVATION_SIZE, 0);
    feeder->segments = block->xy;
    feeder->elevations = elevations;
    return 0;
}

static void copy_name(char *to, const char *from)
{
    size_t length = 0;
    while (from && length < ROAD_NAME_SIZE - 1 && from[length])
        length++;
    if (length)
        memcpy(to, from, length);
    memset(to + length, 0, ROAD_NAME_SIZE - length);
}

static int is_set(double value)
{
    return value > LENGTH_TOLERANCE || value < -LENGTH_TOLERANCE;
}

static void set_values(feeder_t *feeder, const double v[16])
{
    feeder->l0 = v[0];
    feeder->l1 = v[1];
    feeder->l2 = v[2];
    feeder->det0 = v[3];
    feeder->det1 = v[4];
    feeder->det2 = v[5];
    feeder->off1 = v[6];
    feeder->off2 = v[7];
    feeder->r1 = v[8];
    feeder->r2 = v[9];
    feeder->a1 = v[10];
    feeder->a2 = v[11];
    feeder->alf = v[12];
    feeder->e1 = v[13];
    feeder->e2 = v[14];
    feeder->e3 = v[15];
}

static void set_counts(feeder_t *feeder, const int counts[4])
{
    feeder->n1 = counts[0];
    feeder->n2 = counts[1];
    feeder->n3 = counts[2];
    feeder->n4 = counts[3];
    int reaches = is_set(feeder->e2);
    feeder->start_cap = is_set(feeder->e1);
    feeder->end_cap = is_set(feeder->e3);
    feeder->arc1_extension = reaches + (feeder->n4 > feeder->n2 ? feeder->n4 - feeder->n2 : 0);
    feeder->arc2_extension = reaches + (feeder->n2 > feeder->n4 ? feeder->n2 - feeder->n4 : 0);
}

int feeder_init(feeder_t *feeder, const char *name, const double values[16], const int counts[4], int de_type)
{
    if (!feeder || !values || !counts)
        return -1;
    for (int i = 0; i < 4; i++) {
        if (counts[i] < 1)
            return -1;
    }
    feeder_t fresh;
    memset(&fresh, 0, sizeof fresh);
    set_values(&fresh, values);
    fresh.de_type = de_type;
    copy_name(fresh.name, name);
    set_counts(&fresh, counts);
    int64_t lines = lines_from_counts(&fresh);
    if (lines > FEEDER_LINE_LIMIT || allocate_lines(&fresh, (int)lines) != 0)
        return -1;
    *feeder = fresh;
    feeder_modify(feeder);
    return 0;
}

void feeder_final(feeder_t *feeder)
{
    if (!feeder)
        return;
    if (feeder->elevations && feeder->segments) {
        int64_t lines = segment_block_of(feeder)->lines;
        for (int64_t line = 0; line < lines; line++)
            vpool_final(&feeder->elevations[line]);
    }
    free(feeder->elevations);
    if (feeder->segments)
        free(segment_block_of(feeder));
    feeder->elevations = NULL;
    feeder->segments = NULL;
}

/* ---- elevation lists --------------------------------------------------- */

static vpool *line_list(const feeder_t *feeder, int line)
{
    if (line < 0 || line >= feeder_usable_lines(feeder))
        return NULL;
    return &feeder->elevations[line];
}

static int list_count(const vpool *list)
{
    return table_count(list, ELEVATION_SIZE);
}

static double list_at(const vpool *list, int k)
{
    double value;
    memcpy(&value, list->data + (size_t)k * ELEVATION_SIZE, sizeof value);
    return value;
}

int feeder_number_elevation(const feeder_t *feeder, int line)
{
    const vpool *list = line_list(feeder, line);
    return list ? list_count(list) : -1;
}

double feeder_elevation(const feeder_t *feeder, int line, int k)
{
    const vpool *list = line_list(feeder, line);
    if (!list || k < 0 || k >= list_count(list))
        return MISSING_ELEVATION;
    return list_at(list, k);
}

int feeder_insert_elevation(feeder_t *feeder, int line, int k, double value)
{
    vpool *list = line_list(feeder, line);
    if (!list || k < 0 || k > list_count(list))
        return -1;
    vpool_insert(list, (uint64_t)k * ELEVATION_SIZE, &value, ELEVATION_SIZE);
    return 0;
}

int feeder_modify_elevation(feeder_t *feeder, int line, int k, double value)
{
    vpool *list = line_list(feeder, line);
    if (!list || k < 0 || k >= list_count(list))
        return -1;
    memcpy(list->data + (size_t)k * ELEVATION_SIZE, &value, sizeof value);
    return 0;
}

int feeder_remove_elevation(feeder_t *feeder, int line, int k)
{
    vpool *list = line_list(feeder, line);
    if (!list || k < 0 || k > list_count(list))
        return -1;
    return vpool_truncate(list, (uint64_t)k * ELEVATION_SIZE, ELEVATION_SIZE, 0);
}

int feeder_clear_elevation(feeder_t *feeder, int line)
{
    vpool *list = line_list(feeder, line);
    if (!list)
        return VPOOL_ERANGE;
    return vpool_truncate(list, 0, list->length, 0);
}

/* Positions are spread evenly from the outer end (0) to the inner end
 * (count - 1); a lone elevation belongs to the outer end. */
int feeder_coord(const feeder_t *feeder, int line, int k, double *x, double *y)
{
    const vpool *list = line_list(feeder, line);
    if (!x || !y || !list || k < 0 || k >= list_count(list))
        return -1;
    const double *xy = feeder->segments + 4 * (size_t)line;
    int count = list_count(list);
    double share = count > 1 ? (double)k / (count - 1) : 0.0;
    *x = xy[0] + (xy[2] - xy[0]) * share;
    *y = xy[1] + (xy[3] - xy[1]) * share;
    return 0;
}

/* ---- road table -------------------------------------------------------- */

int road_insert_feeder(road_t *road, const feeder_t *feeder)
{
    table_insert(&road->feeder, FEEDER_SIZE, road_number_feeder(road), feeder);
    return 0;
}

int road_remove_feeder(road_t *road, int index)
{
    feeder_t *feeder = road_feeder(road, index);
    if (!feeder)
        return -1;
    feeder_final(feeder);
    table_remove(&road->feeder, FEEDER_SIZE, index);
    return 0;
}

int road_clear_feeder(road_t *road)
{
    for (int i = 0; i < road_number_feeder(road); i++)
        feeder_final(road_feeder(road, i));
    vpool_wipe(&road->feeder);
    return 0;
}

/* ---- plane tests ------------------------------------------------------- */

int PointInPoly(double x, double y, int n, const double *xs, const double *ys)
{
    return point_in_polygon_xy(x, y, n, xs, ys);
}

/* Value on the edge from vertex j to vertex h at the foot of (x, y).  A point
 * taken as on the edge may lie a few centimetres off it; reading the edge at
 * its x alone would run far past the edge's ends on a nearly upright edge. */
static double edge_value(const double xs[3], const double ys[3], const double zs[3], int j, int h,
                         double x, double y)
{
    double dx = xs[h] - xs[j], dy = ys[h] - ys[j], length2 = dx * dx + dy * dy;
    if (!(length2 > 0.0))
        return zs[j];
    double share = ((x - xs[j]) * dx + (y - ys[j]) * dy) / length2;
    share = share < 0.0 ? 0.0 : share > 1.0 ? 1.0 : share;
    return zs[j] + (zs[h] - zs[j]) * share;
}

static int beyond_all(double p, const double v[3])
{
    return (p > v[0] + LENGTH_TOLERANCE && p > v[1] + LENGTH_TOLERANCE && p > v[2] + LENGTH_TOLERANCE)
        || (p < v[0] - LENGTH_TOLERANCE && p < v[1] - LENGTH_TOLERANCE && p < v[2] - LENGTH_TOLERANCE);
}

/* Inside test by the angles the edges subtend at the point (they sum to a
 * full turn inside), and the value from the two places where the level
 * through the point meets the outline.  A vertex level with the point counts
 * as one of those places. */
int interpolate(double x, double y, const double xs[3], const double ys[3], const double zs[3], double *out)
{
    if (!out || !xs || !ys || !zs || !isfinite(x) || !isfinite(y))
        return -1;
    if (beyond_all(y, ys) || beyond_all(x, xs))
        return -1;
    double angle = 0.0, cross_x[2] = {0.0, 0.0}, cross_z[2] = {0.0, 0.0};
    int crossings = 0;
    for (int j = 0; j < 3; j++) {
        int h = (j + 1) % 3;
        double f = hypot(x - xs[j], y - ys[j]);
        double u = hypot(x - xs[h], y - ys[h]);
        double a = hypot(xs[h] - xs[j], ys[h] - ys[j]);
        if (f < LENGTH_TOLERANCE || u < LENGTH_TOLERANCE || u + f - a < 0.001) {
            *out = edge_value(xs, ys, zs, j, h, x, y);
            return 0;
        }
        double cosine = (f * f + u * u - a * a) / (2.0 * f * u);
        angle += acos(cosine < -1.0 ? -1.0 : cosine > 1.0 ? 1.0 : cosine);
        if (crossings < 2 && ys[j] == y) {
            cross_x[crossings] = xs[j];
            cross_z[crossings++] = zs[j];
        } else if (crossings < 2 && (ys[j] - y) * (ys[h] - y) < 0.0) {
            double share = (y - ys[j]) / (ys[h] - ys[j]);
            cross_x[crossings] = xs[j] + (xs[h] - xs[j]) * share;
            cross_z[crossings++] = zs[j] + (zs[h] - zs[j]) * share;
        }
    }
    if (!(angle - 2.0 * M_PI >= -1e-6) || crossings < 2)
        return -1;
    if (cross_x[1] == cross_x[0])
        *out = cross_z[0];
    else
        *out = cross_z[0] + (x - cross_x[0]) * (cross_z[1] - cross_z[0]) / (cross_x[1] - cross_x[0]);
    return 0;
}

/* ---- elevation at a chainage and offset -------------------------------- */

/* A grid position: plane point and elevation. */
typedef struct grid_point {
    double x, y, z;
} grid_point;

static grid_point position_of(const feeder_t *feeder, int line, int k)
{
    grid_point p = {0.0, 0.0, feeder_elevation(feeder, line, k)};
    feeder_coord(feeder, line, k, &p.x, &p.y);
    return p;
}

static int try_triangle(const feeder_t *feeder, const point2d *p, int la, int ka, int lb, int kb,
                        int lc, int kc, double *z)
{
    grid_point a = position_of(feeder, la, ka), b = position_of(feeder, lb, kb), c = position_of(feeder, lc, kc);
    double xs[3] = {a.x, b.x, c.x}, ys[3] = {a.y, b.y, c.y}, zs[3] = {a.z, b.z, c.z};
    return interpolate(p->x, p->y, xs, ys, zs, z) == 0;
}

/* Fans the cell between lines w and c from the outer ends inwards, pairing
 * positions while both lines have them and fanning the longer line's rest
 * from the shorter one's last position. */
static int cell_elevation(const feeder_t *feeder, const point2d *p, int w, int c, double *z)
{
    int fw = feeder_number_elevation(feeder, w), fc = feeder_number_elevation(feeder, c);
    int m = fw < fc ? fw : fc;
    if (m < 1)
        return 0; /* a line without elevations leaves the cell without an apex */
    for (int i = 1; i < m; i++) {
        if (try_triangle(feeder, p, w, i - 1, c, i - 1, w, i, z)
            || try_triangle(feeder, p, c, i - 1, c, i, w, i, z))
            return 1;
    }
    for (int i = m; i < fw; i++) {
        if (try_triangle(feeder, p, w, i - 1, c, m - 1, w, i, z))
            return 1;
    }
    for (int i = m; i < fc; i++) {
        if (try_triangle(feeder, p, c, i - 1, w, m - 1, c, i, z))
            return 1;
    }
    return 0;
}

static point2d outer_end(const feeder_t *feeder, int line)
{
    const double *xy = feeder->segments + 4 * (size_t)line;
    point2d p = {xy[0], xy[1]};
    return p;
}

static point2d inner_end(const feeder_t *feeder, int line)
{
    const double *xy = feeder->segments + 4 * (size_t)line;
    point2d p = {xy[2], xy[3]};
    return p;
}

static int cell_holds(const feeder_t *feeder, const point2d *p, int w, int c)
{
    point2d corner[4] = {outer_end(feeder, w), inner_end(feeder, w), inner_end(feeder, c), outer_end(feeder, c)};
    double xs[4], ys[4];
    for (int i = 0; i < 4; i++) {
        xs[i] = corner[i].x;
        ys[i] = corner[i].y;
    }
    int inside = PointInPoly(p->x, p->y, 4, xs, ys);
    return inside == 1 || inside == 3;
}

/* The outer edge of a cell: the outline between the outer ends of its two
 * lines, with the elevations measured there. */
typedef struct outline_edge {
    point2d w, c;
    double zw, zc;
} outline_edge;

static outline_edge outer_edge(const feeder_t *feeder, int w, int c)
{
    outline_edge edge = {outer_end(feeder, w), outer_end(feeder, c),
                         feeder_elevation(feeder, w, 0), feeder_elevation(feeder, c, 0)};
    return edge;
}

/* Distance of p from the edge's line and the foot of the perpendicular, as
 * a share of the way from the w end to the c end.  The line is built from
 * the two ends (an upright edge has no slope); a point-like edge answers its
 * w end. */
static double edge_distance(const outline_edge *edge, const point2d *p, double *share)
{
    double dx = edge->c.x - edge->w.x, dy = edge->c.y - edge->w.y, length = hypot(dx, dy);
    if (!(length > LENGTH_TOLERANCE * LENGTH_TOLERANCE)) {
        *share = 0.0;
        return point2d_dist(p, &edge->w);
    }
    line2d line;
    line2d_init(&line, -dy / length, dx / length, (dy * edge->w.x - dx * edge->w.y) / length);
    point2d foot = edge->w;
    point_proj_on_line2d(p, &line, &foot);
    *share = fabs(dx) >= fabs(dy) ? (foot.x - edge->w.x) / dx : (foot.y - edge->w.y) / dy;
    return fabs(point_to_line2d(p, &line));
}

/* Elevation at the foot of p on the edge's line, along x, or along y for an
 * upright edge. */
static double edge_elevation(const outline_edge *edge, const point2d *p)
{
    double share;
    edge_distance(edge, p, &share);
    if (fabs(edge->c.x - edge->w.x) < LENGTH_TOLERANCE && fabs(edge->c.y - edge->w.y) < LENGTH_TOLERANCE)
        return edge->zw;
    return edge->zw + (edge->zc - edge->zw) * share;
}

static int near_outer_edge(const outline_edge *edge, const point2d *p)
{
    double share;
    double distance = edge_distance(edge, p, &share);
    return distance < EDGE_BAND && share >= 0.0 && share <= 1.0;
}

static double midpoint_distance2(const outline_edge *edge, const point2d *p)
{
    double mx = 0.5 * (edge->w.x + edge->c.x) - p->x, my = 0.5 * (edge->w.y + edge->c.y) - p->y;
    return mx * mx + my * my;
}

int feeder_lo2h(const feeder_t *feeder, double s, double o, double *z, int *flag)
{
    if (!z || !flag)
        return -1;
    point2d p = {s, -o};
    int lines = feeder_usable_lines(feeder);
    feeder_layout layout = {0, -1, 0, -1, 0, 0};
    if (lines > 0)
        feeder_layout_of(feeder, &layout);

    outline_edge nearest = {{0.0, 0.0}, {0.0, 0.0}, 0.0, 0.0};
    double nearest_distance2 = INFINITY;
    for (int w = 0; w < lines; w++) {
        int c = feeder_cell_partner(feeder, &layout, w);
        if (c < 0)
            continue;
        outline_edge edge = outer_edge(feeder, w, c);
        double distance2 = midpoint_distance2(&edge, &p);
        /* An edge without measured ends cannot give an elevation. */
        if (edge.zw != MISSING_ELEVATION && edge.zc != MISSING_ELEVATION && distance2 < nearest_distance2) {
            nearest = edge;
            nearest_distance2 = distance2;
        }
        double height;
        if (cell_holds(feeder, &p, w, c) && cell_elevation(feeder, &p, w, c, &height)) {
            *z = height;
            *flag = near_outer_edge(&edge, &p) ? 0 : 1;
            return 0;
        }
    }
    double share;
    if (nearest_distance2 == INFINITY || !(edge_distance(&nearest, &p, &share) < EDGE_BAND)) {
        *flag = 2;
        return -1;
    }
    *z = edge_elevation(&nearest, &p);
    *flag = 0;
    return 0;
}
