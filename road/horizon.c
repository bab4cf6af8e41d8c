/* Horizontal alignment: chaining the elements, chainage to plane coordinates
 * and back. */
#include "road.h"
#include "road_table.h"

#include <math.h>

#define TWO_PI (2.0 * M_PI)
/* How far the ends of the road are pushed out so that points just beyond the
 * first or last element are still projected on it. */
#define END_REACH 100.0
#define FOOT_ITERATIONS 20

/* Position and direction on an element, in the element's start frame:
 * u along the start tangent, v towards start azimuth + pi/2. */
typedef struct local_point {
    double u, v, turn;
} local_point;

/* fmod rather than repeated subtraction: a file may hold any value. */
static double normalize_azimuth(double a)
{
    if (a >= 0.0 && a <= TWO_PI)
        return a;
    a = fmod(a, TWO_PI);
    return a < 0.0 ? a + TWO_PI : a;
}

static double normalize_signed(double a)
{
    if (a >= -M_PI && a <= M_PI)
        return a;
    a = fmod(a, TWO_PI);
    if (a > M_PI)
        a -= TWO_PI;
    else if (a < -M_PI)
        a += TWO_PI;
    return a;
}

static double curvature_of(double radius)
{
    return radius <= ROAD_INFINITE_RADIUS ? 0.0 : 1.0 / radius;
}

/* u and v of a transition: the integrals of cos and sin of the turn angle
 * c0 t + k t^2, by Gauss-Legendre quadrature on pieces that each turn by at
 * most 0.1 rad.  A truncated power series drifts by centimetres on long
 * spirals; this stays below 1e-9 m on any road geometry. */
static void transition_integrals(double c0, double k, double t, double *u, double *v)
{
    static const double node[4] = {0.1834346424956498, 0.5255324099163290,
                                   0.7966664774136267, 0.9602898564975363};
    static const double weight[4] = {0.3626837833783620, 0.3137066458778873,
                                     0.2223810344533745, 0.1012285362903763};
    double turning = fabs(c0 * t) + fabs(k * t * t);
    int pieces = (int)fmin(ceil(turning / 0.1), 100000.0);
    if (pieces < 1)
        pieces = 1;
    double h = t / pieces, su = 0.0, sv = 0.0;
    for (int p = 0; p < pieces; p++) {
        double mid = (p + 0.5) * h;
        for (int i = 0; i < 4; i++) {
            for (int sign = -1; sign <= 1; sign += 2) {
                double tau = mid + sign * node[i] * h / 2.0;
                double theta = c0 * tau + k * tau * tau;
                su += weight[i] * cos(theta);
                sv += weight[i] * sin(theta);
            }
        }
    }
    *u = su * h / 2.0;
    *v = sv * h / 2.0;
}

static local_point element_local(const horizon_element_t *e, double t)
{
    local_point p = {0.0, 0.0, 0.0};
    if (e->type == HORIZON_LINE) {
        p.u = t;
    } else if (e->type == HORIZON_CIRCLE) {
        p.turn = t / e->radius;
        p.u = e->radius * sin(p.turn);
        p.v = e->radius * (1.0 - cos(p.turn));
    } else if (e->type == HORIZON_TRANSITION) {
        double c0 = curvature_of(e->start_radius), c1 = curvature_of(e->end_radius);
        double k = e->length != 0.0 ? (c1 - c0) / (2.0 * e->length) : 0.0;
        p.turn = c0 * t + k * t * t;
        transition_integrals(c0, k, t, &p.u, &p.v);
    }
    if ((e->type == HORIZON_CIRCLE || e->type == HORIZON_TRANSITION) && e->direction == 0) {
        p.turn = -p.turn;
        p.v = -p.v;
    }
    return p;
}

/* Plane point and azimuth of an element at chainage s. */
static void element_evaluate(const horizon_element_t *e, double s, double *x, double *y, double *azimuth)
{
    local_point p = element_local(e, s - e->start_chainage);
    double c = cos(e->start_azimuth), n = sin(e->start_azimuth);
    *x = e->start_x + p.u * c - p.v * n;
    *y = e->start_y + p.u * n + p.v * c;
    *azimuth = normalize_azimuth(e->start_azimuth + p.turn);
}

static void set_out(double *out, double value)
{
    if (out)
        *out = value;
}

int road_apply_horizon(road_t *road)
{
    int count = road_number_horizon(road);
    if (count == 0)
        return 0;
    horizon_element_t *first = road_horizon(road, 0);
    first->length = first->radius = first->start_radius = first->end_radius = 0.0;
    first->end_x = first->start_x;
    first->end_y = first->start_y;
    first->end_azimuth = first->start_azimuth;
    for (int i = 1; i < count; i++) {
        horizon_element_t *prev = road_horizon(road, i - 1), *e = road_horizon(road, i);
        e->start_x = prev->end_x;
        e->start_y = prev->end_y;
        e->start_azimuth = prev->end_azimuth;
        e->start_chainage = prev->start_chainage + prev->length;
        element_evaluate(e, e->start_chainage + e->length, &e->end_x, &e->end_y, &e->end_azimuth);
    }
    return 0;
}

int road_l2xy(const road_t *road, double s, double *x, double *y, double *azimuth)
{
    int count = road_number_horizon(road);
    if (count < 2)
        return -1;
    const horizon_element_t *first = table_at(&road->horizon, sizeof(horizon_element_t), 0);
    const horizon_element_t *last = table_at(&road->horizon, sizeof(horizon_element_t), count - 1);
    double px, py, pa;
    int result;
    if (s <= first->start_chainage) {
        double d = s - first->start_chainage;
        px = first->start_x + d * cos(first->start_azimuth);
        py = first->start_y + d * sin(first->start_azimuth);
        pa = first->start_azimuth;
        result = 0;
    } else if (s >= last->start_chainage + last->length) {
        double d = s - (last->start_chainage + last->length);
        px = last->end_x + d * cos(last->end_azimuth);
        py = last->end_y + d * sin(last->end_azimuth);
        pa = last->end_azimuth;
        result = count - 1;
    } else {
        result = -1;
        for (int i = 0; i < count && result < 0; i++) {
            const horizon_element_t *e = table_at(&road->horizon, sizeof(horizon_element_t), i);
            if (e->start_chainage <= s && s <= e->start_chainage + e->length) {
                element_evaluate(e, s, &px, &py, &pa);
                result = i;
            }
        }
        if (result < 0)
            return -1;
    }
    set_out(x, px);
    set_out(y, py);
    set_out(azimuth, pa);
    return result;
}

int road_lo2xy(const road_t *road, double s, double offset, double *x, double *y, double *azimuth)
{
    double px = 0.0, py = 0.0, pa = 0.0;
    if (road_l2xy(road, s, &px, &py, &pa) < 0)
        px = py = pa = 0.0;
    set_out(x, px + offset * cos(pa + M_PI / 2.0));
    set_out(y, py + offset * sin(pa + M_PI / 2.0));
    set_out(azimuth, pa);
    return 0;
}

/* ---- projection of a plane point --------------------------------------- */

typedef struct projection {
    double chainage, foot_x, foot_y, azimuth, offset;
} projection;

static void project_on_line(const horizon_element_t *e, double x, double y, projection *p)
{
    double dist = hypot(x - e->start_x, y - e->start_y);
    double along = dist * cos(atan2(y - e->start_y, x - e->start_x) - e->start_azimuth);
    p->chainage = e->start_chainage + along;
    p->foot_x = e->start_x + along * cos(e->start_azimuth);
    p->foot_y = e->start_y + along * sin(e->start_azimuth);
    p->azimuth = e->start_azimuth;
}

/* The swept angle is taken in the sense of travel and wrapped so that a
 * point at or just before the start gets a chainage at or just before the
 * start, not one a full turn later. */
static void project_on_circle(const horizon_element_t *e, double x, double y, projection *p)
{
    double side = e->direction == 1 ? M_PI / 2.0 : -M_PI / 2.0;
    double cx = e->start_x + e->radius * cos(e->start_azimuth + side);
    double cy = e->start_y + e->radius * sin(e->start_azimuth + side);
    double phi = atan2(y - cy, x - cx);
    p->foot_x = cx + e->radius * cos(phi);
    p->foot_y = cy + e->radius * sin(phi);
    p->azimuth = normalize_azimuth(e->direction == 1 ? phi + M_PI / 2.0 : phi - M_PI / 2.0);
    double swept = e->direction == 1 ? p->azimuth - e->start_azimuth : e->start_azimuth - p->azimuth;
    swept = fmod(swept, TWO_PI);
    if (swept < 0.0)
        swept += TWO_PI;
    double sweep = e->length / e->radius;
    if (swept > sweep + (TWO_PI - sweep) / 2.0)
        swept -= TWO_PI;
    p->chainage = e->start_chainage + e->radius * swept;
}

/* Signed curvature (positive when the azimuth increases) of a transition at
 * chainage s. */
static double transition_curvature(const horizon_element_t *e, double s)
{
    double c0 = curvature_of(e->start_radius), c1 = curvature_of(e->end_radius);
    double c = e->length != 0.0 ? c0 + (c1 - c0) * (s - e->start_chainage) / e->length : c0;
    return e->direction == 1 ? c : -c;
}

/* Newton's method on the tangential distance of the point from the foot:
 * the step is scaled by the curvature so that points far from the centre
 * line converge as fast as points on it. */
static void project_on_transition(const horizon_element_t *e, double x, double y, projection *p)
{
    double r = hypot(x - e->start_x, y - e->start_y), q = hypot(x - e->end_x, y - e->end_y);
    double m = r + q > 0.0 ? e->start_chainage + e->length * r / (r + q) : e->start_chainage;
    for (int i = 0; i < FOOT_ITERATIONS; i++) {
        element_evaluate(e, m, &p->foot_x, &p->foot_y, &p->azimuth);
        double dx = x - p->foot_x, dy = y - p->foot_y;
        double c = cos(p->azimuth), n = sin(p->azimuth);
        double along = dx * c + dy * n, across = -dx * n + dy * c;
        if (fabs(along) < 1e-12)
            break;
        double slope = 1.0 - transition_curvature(e, m) * across;
        m += fabs(slope) > 0.1 ? along / slope : along;
    }
    p->chainage = m;
}

static void project_on_element(const horizon_element_t *e, double x, double y, projection *p)
{
    if (e->type == HORIZON_CIRCLE)
        project_on_circle(e, x, y, p);
    else if (e->type == HORIZON_TRANSITION)
        project_on_transition(e, x, y, p);
    else
        project_on_line(e, x, y, p);
    p->offset = hypot(x - p->foot_x, y - p->foot_y);
    if (normalize_azimuth(atan2(y - p->foot_y, x - p->foot_x) - p->azimuth) > M_PI)
        p->offset = -p->offset;
}

/* Element whose start point is nearest (city-block distance) to (x, y). */
static int nearest_start(const road_t *road, double x, double y)
{
    int best = 1;
    double best_distance = INFINITY;
    for (int i = 1; i < road_number_horizon(road); i++) {
        const horizon_element_t *e = table_at(&road->horizon, sizeof(horizon_element_t), i);
        double d = fabs(e->start_x - x) + fabs(e->start_y - y);
        if (d < best_distance) {
            best_distance = d;
            best = i;
        }
    }
    return best;
}

/* True when (x, y) lies between the perpendiculars through the element's
 * ends.  A point exactly on a perpendicular counts, so that a point abreast
 * of the joint of two elements is found on one of them. */
static int element_brackets(const horizon_element_t *e, int index, int count, double x, double y)
{
    double sx = e->start_x, sy = e->start_y, ex = e->end_x, ey = e->end_y;
    if (index == 1) {
        sx -= END_REACH * cos(e->start_azimuth);
        sy -= END_REACH * sin(e->start_azimuth);
    }
    /* The end is pushed along the direction the road leaves in.  Pushed
     * along the element's start direction it would move sideways, or even
     * backwards, on a last curve of a quarter turn or more, and points on
     * that curve's own last metres would get no chainage. */
    if (index == count - 1) {
        ex += END_REACH * cos(e->end_azimuth);
        ey += END_REACH * sin(e->end_azimuth);
    }
    double alpha = normalize_signed(atan2(y - sy, x - sx) - e->start_azimuth + M_PI / 2.0);
    double beta = normalize_signed(atan2(y - ey, x - ex) - e->end_azimuth + M_PI / 2.0);
    return alpha * beta <= 0.0;
}

int road_xy2l(const road_t *road, double x, double y, double *chainage,
              double *foot_x, double *foot_y, double *azimuth, double *offset)
{
    int count = road_number_horizon(road);
    if (count < 2)
        return -1;
    int h = nearest_start(road, x, y);
    int from = (h > 3 ? h : 3) - 2, to = (h + 3 < count ? h + 3 : count) - 1;
    int best = -1;
    projection best_projection = {0};
    for (int i = from; i <= to; i++) {
        const horizon_element_t *e = table_at(&road->horizon, sizeof(horizon_element_t), i);
        if (!element_brackets(e, i, count, x, y))
            continue;
        projection p;
        project_on_element(e, x, y, &p);
        if (best < 0 || fabs(p.offset) < fabs(best_projection.offset)) {
            best = i;
            best_projection = p;
        }
    }
    if (best < 0)
        return -1;
    set_out(chainage, best_projection.chainage);
    set_out(foot_x, best_projection.foot_x);
    set_out(foot_y, best_projection.foot_y);
    set_out(azimuth, best_projection.azimuth);
    set_out(offset, best_projection.offset);
    return best;
}
