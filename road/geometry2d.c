/* Plane geometry: points, vectors, segments, lines and polygons. */
#include "road.h"
#include "geometry2d_internal.h"

#include <math.h>
#include <stdlib.h>

/* End points closer than this in both coordinates are the same point. */
#define SAME_END 1e-12
/* Tolerance of every other comparison. */
#define NEAR 1e-6

/* ---- points and vectors ------------------------------------------------ */

void point2d_init(point2d *point, double x, double y)
{
    point->x = x;
    point->y = y;
}

double point2d_dist(const point2d *p, const point2d *q)
{
    return hypot(q->x - p->x, q->y - p->y);
}

void vector2d_add(const vector2d *u, const vector2d *v, vector2d *out)
{
    out->x = u->x + v->x;
    out->y = u->y + v->y;
}

void vector2d_sub(const vector2d *u, const vector2d *v, vector2d *out)
{
    out->x = u->x - v->x;
    out->y = u->y - v->y;
}

void vector2d_scale(vector2d *v, double factor)
{
    v->x *= factor;
    v->y *= factor;
}

double vector2d_length(const vector2d *v)
{
    return hypot(v->x, v->y);
}

double vector2d_plot(const vector2d *u, const vector2d *v)
{
    return u->x * v->x + u->y * v->y;
}

double vector2d_cross(const vector2d *u, const vector2d *v)
{
    return u->x * v->y - v->x * u->y;
}

/* (b - a) x (c - a): positive when c lies left of the direction a -> b. */
static double turn(const point2d *a, const point2d *b, const point2d *c)
{
    vector2d ab, ac;
    vector2d_sub(b, a, &ab);
    vector2d_sub(c, a, &ac);
    return vector2d_cross(&ab, &ac);
}

/* ---- segments ------------------------------------------------------------ */

void segment2d_init(segment2d *segment, const point2d *p, const point2d *q)
{
    segment->p = *p;
    segment->q = *q;
}

static int same_end(const point2d *a, const point2d *b)
{
    return fabs(a->x - b->x) < SAME_END && fabs(a->y - b->y) < SAME_END;
}

static int shared_ends(const segment2d *s, const segment2d *t)
{
    return same_end(&s->p, &t->q) + same_end(&s->p, &t->p)
         + same_end(&s->q, &t->p) + same_end(&s->q, &t->q);
}

/* The ranges only speed the rejection up: the straddle tests alone decide. */
static int boxes_apart(const segment2d *s, const segment2d *t)
{
    return fmax(s->p.x, s->q.x) < fmin(t->p.x, t->q.x)
        || fmax(t->p.x, t->q.x) < fmin(s->p.x, s->q.x)
        || fmax(s->p.y, s->q.y) < fmin(t->p.y, t->q.y)
        || fmax(t->p.y, t->q.y) < fmin(s->p.y, s->q.y);
}

/* The two ends of one segment lie on different sides of the other's line,
 * or exactly one of them lies on it.  Both on it (collinear) fails. */
static int ends_straddle(double m, double o)
{
    if (m != 0.0)
        return o == 0.0 || (m > 0.0) != (o > 0.0);
    return o != 0.0;
}

static int is_vertical(const segment2d *s)
{
    return fabs(s->q.x - s->p.x) < NEAR;
}

static double slope(const segment2d *s)
{
    return (s->q.y - s->p.y) / (s->q.x - s->p.x);
}

/* Only reached when both segments are (nearly) vertical yet cross, where
 * neither slope is usable. */
static void crossing_of_steep(const segment2d *s, const segment2d *t, point2d *out)
{
    double d = turn(&t->p, &t->q, &s->p) - turn(&t->p, &t->q, &s->q);
    double f = turn(&t->p, &t->q, &s->p) / d;
    out->x = s->p.x + (s->q.x - s->p.x) * f;
    out->y = s->p.y + (s->q.y - s->p.y) * f;
}

static void crossing_point(const segment2d *s, const segment2d *t, point2d *out)
{
    const point2d *p1 = &s->p, *q1 = &t->p;
    int s_vertical = is_vertical(s), t_vertical = is_vertical(t);

    if (s_vertical && t_vertical) {
        crossing_of_steep(s, t, out);
    } else if (t_vertical) {
        out->x = q1->x;
        out->y = p1->y + (q1->x - p1->x) * slope(s);
    } else if (s_vertical) {
        out->x = p1->x;
        out->y = slope(t) * (p1->x - q1->x) + q1->y;
    } else {
        double kp = slope(s), kq = slope(t);
        out->x = (q1->y - p1->y + p1->x * kp - q1->x * kq) / (kp - kq);
        out->y = p1->y + (out->x - p1->x) * kp;
    }
}

int segment2d_intersect(const segment2d *s, const segment2d *t, point2d *out)
{
    int shared = shared_ends(s, t);
    if (shared >= 2)
        return 4;
    if (shared == 1)
        return 2;
    if (boxes_apart(s, t))
        return 0;
    if (!ends_straddle(turn(&s->p, &t->p, &t->q), turn(&s->q, &t->p, &t->q))
        || !ends_straddle(turn(&t->p, &s->p, &s->q), turn(&t->q, &s->p, &s->q)))
        return 0;
    if (out)
        crossing_point(s, t, out);
    return 1;
}

int point2d_on_segment(const point2d *point, const segment2d *segment)
{
    vector2d along, to_point;
    double length;

    vector2d_sub(&segment->q, &segment->p, &along);
    vector2d_sub(point, &segment->p, &to_point);
    length = vector2d_length(&along);
    if (length < NEAR)
        return point2d_dist(point, &segment->p) <= NEAR;

    double from_start = vector2d_plot(&to_point, &along) / length;
    double off_line = fabs(vector2d_cross(&along, &to_point)) / length;
    return off_line <= NEAR && from_start >= -NEAR && from_start <= length + NEAR;
}

/* ---- lines --------------------------------------------------------------- */

void line2d_init(line2d *line, double A, double B, double C)
{
    line->A = A;
    line->B = B;
    line->C = C;
}

void line2d_init_mid_perpend(line2d *line, const point2d *p, const point2d *q)
{
    line->A = q->x - p->x;
    line->B = q->y - p->y;
    line->C = -(q->y - p->y) * (q->y + p->y) / 2 - (q->x + p->x) * (q->x - p->x) / 2;
}

int line2d_intersect(const line2d *l1, const line2d *l2, point2d *out)
{
    double det = l1->A * l2->B - l1->B * l2->A;
    if (fabs(det) < NEAR)
        return 0;
    if (out) {
        out->x = (l1->B * l2->C - l2->B * l1->C) / det;
        out->y = (l2->A * l1->C - l1->A * l2->C) / det;
    }
    return 1;
}

void point_proj_on_line2d(const point2d *point, const line2d *line, point2d *out)
{
    double norm = line->A * line->A + line->B * line->B;
    if (norm < NEAR)
        return;
    double e = line->A * point->y - line->B * point->x;
    out->x = -(line->B * e + line->A * line->C) / norm;
    out->y = (line->A * e - line->B * line->C) / norm;
}

double point_to_line2d(const point2d *point, const line2d *line)
{
    return (line->A * point->x + line->B * point->y + line->C)
         / sqrt(line->A * line->A + line->B * line->B);
}

/* ---- polygons -------------------------------------------------------------- */

int polygon2d_init(polygon2d *polygon, int count, const double *xs, const double *ys)
{
    point2d *points = NULL;

    if (!polygon || count < 0 || (count > 0 && (!xs || !ys)))
        return -1;
    if (count > 0) {
        points = malloc((size_t)count * sizeof *points);
        if (!points)
            return -1;
        for (int i = 0; i < count; i++)
            point2d_init(&points[i], xs[i], ys[i]);
    }
    polygon->count = count;
    polygon->points = points;
    return 0;
}

/* The outline as either callers hold it: an array of points, or two
 * coordinate arrays. */
typedef struct outline {
    int count;
    const point2d *points;
    const double *xs, *ys;
} outline;

static point2d outline_vertex(const outline *o, int i)
{
    point2d v;
    i = ((i % o->count) + o->count) % o->count;
    if (o->points)
        return o->points[i];
    point2d_init(&v, o->xs[i], o->ys[i]);
    return v;
}

/* A closing vertex equal to the first is dropped so that closed and open
 * outlines test alike. */
static int outline_corners(const outline *o)
{
    if (o->count < 2)
        return o->count;
    point2d first = outline_vertex(o, 0), last = outline_vertex(o, o->count - 1);
    return (first.x == last.x && first.y == last.y) ? o->count - 1 : o->count;
}

/* Where a vertex lies against the ray's height: -1 below, 0 on, 1 above. */
static int height_side(double y, double ray_y)
{
    if (fabs(y - ray_y) < NEAR)
        return 0;
    return y > ray_y ? 1 : -1;
}

static int is_corner(const outline *o, int i, double px, double py)
{
    point2d v = outline_vertex(o, i);
    return fabs(v.x - px) < NEAR && fabs(v.y - py) < NEAR;
}

/* Edges that pass the ray's height strictly between their ends: 3 when p is
 * on one of them or on a horizontal edge at that height, else adds the
 * edges crossed right of p to *crossings and gives 0. */
static int count_edge_crossings(const outline *o, double px, double py, int *crossings)
{
    for (int i = 0; i < o->count; i++) {
        point2d a = outline_vertex(o, i), b = outline_vertex(o, i + 1);
        int sa = height_side(a.y, py), sb = height_side(b.y, py);

        if (sa == 0 && sb == 0) {
            if (px >= fmin(a.x, b.x) && px <= fmax(a.x, b.x))
                return 3;
        } else if (sa * sb < 0) {
            double x = a.x + (py - a.y) * (b.x - a.x) / (b.y - a.y);
            if (fabs(px - x) < NEAR)
                return 3;
            if (px < x)
                (*crossings)++;
        }
    }
    return 0;
}

/* Runs of consecutive vertices at the ray's height right of p: the ray
 * crosses the boundary there only when the vertices before and after the
 * run lie on opposite sides; a touch from one side counts nothing.  A run
 * reaching from right of p to left of p puts p on the boundary (3). */
static int count_run_crossings(const outline *o, double px, double py, int *crossings)
{
    for (int i = 0; i < o->count; i++) {
        point2d start = outline_vertex(o, i), before = outline_vertex(o, i - 1);
        if (height_side(start.y, py) != 0 || height_side(before.y, py) == 0)
            continue;

        int length = 0, left = 0, right = 0;
        point2d v = start;
        while (length < o->count && height_side(v.y, py) == 0) {
            if (v.x <= px)
                left = 1;
            else
                right = 1;
            v = outline_vertex(o, i + ++length);
        }
        if (left && right)
            return 3;
        if (right && height_side(before.y, py) * height_side(v.y, py) < 0)
            (*crossings)++;
    }
    return 0;
}

static int outline_contains(outline o, double px, double py)
{
    int crossings = 0;

    o.count = outline_corners(&o);
    if (o.count <= 0)
        return 0;
    for (int i = 0; i < o.count; i++)
        if (is_corner(&o, i, px, py))
            return 3;
    if (count_edge_crossings(&o, px, py, &crossings) == 3
        || count_run_crossings(&o, px, py, &crossings) == 3)
        return 3;
    if (crossings == 0)
        return 0;
    return crossings % 2 ? 1 : 2;
}

int point_in_polygon_xy(double x, double y, int n, const double *xs, const double *ys)
{
    outline o = { n, NULL, xs, ys };
    if (!xs || !ys)
        return 0;
    return outline_contains(o, x, y);
}

int point_in_polygon2d(const point2d *point, const polygon2d *polygon)
{
    if (!point || !polygon || !polygon->points)
        return 0;
    outline o = { polygon->count, polygon->points, NULL, NULL };
    return outline_contains(o, point->x, point->y);
}

int polygon_contain_polygon2d(const polygon2d *a, const polygon2d *b)
{
    if (!a || !b || !b->points || b->count <= 0)
        return 0;
    for (int i = 0; i < b->count; i++) {
        int where = point_in_polygon2d(&b->points[i], a);
        if (where != 1 && where != 3)
            return 0;
    }
    return 1;
}

static int edge_crosses_polygon(const segment2d *edge, const polygon2d *polygon)
{
    for (int j = 0; j < polygon->count; j++) {
        segment2d other;
        segment2d_init(&other, &polygon->points[j], &polygon->points[(j + 1) % polygon->count]);
        if (segment2d_intersect(edge, &other, NULL) == 1)
            return 1;
    }
    return 0;
}

int polygon_crash_polygon2d(const polygon2d *a, const polygon2d *b)
{
    if (!a || !b || !a->points || !b->points)
        return 0;
    for (int i = 0; i < a->count; i++) {
        segment2d edge;
        segment2d_init(&edge, &a->points[i], &a->points[(i + 1) % a->count]);
        if (edge_crosses_polygon(&edge, b))
            return 1;
    }
    return 0;
}
