/* WeiDi ".pm" centre-line file: a header, the element count, a start line
 * and three lines per element (A: element data; B: start, characteristic,
 * end and centre points; C: chainages and azimuths), then a trailer.
 * Only line A carries what the road needs; B and C are derived geometry for
 * other programs, checked on reading only for being there. */
#include "pm_text.h"

#include <math.h>
#include <string.h>

#define WEIDI_HEADER "HINTCAD5.83_PM_SHUJU_PM"

enum weidi_code { CODE_LINE = 1, CODE_CIRCLE = 3, CODE_ENTERING = 21, CODE_LEAVING = 22 };

/* Below this the start and end tangents count as parallel. */
#define PARALLEL_SINE 1e-10

/* ---- reading ------------------------------------------------------------ */

static double radius_from_file(double radius)
{
    return fabs(radius - PM_INFINITE_RADIUS) < 1e-6 ? 0.0 : radius;
}

static int parse_count(const char *line, int *count)
{
    return pm_integer(&line, count) == 0 && *count >= 0 ? 0 : -1;
}

/* "1 <chainage> <azimuth> 0 <X> <Y>"; the code and the fourth value carry
 * nothing for the road. */
static int parse_start(const char *line, horizon_element_t *e)
{
    const char *p = line;
    int code;
    double unused;
    memset(e, 0, sizeof *e);
    e->type = HORIZON_START;
    if (pm_integer(&p, &code) != 0 || pm_number(&p, &e->start_chainage) != 0
        || pm_number(&p, &e->start_azimuth) != 0 || pm_number(&p, &unused) != 0
        || pm_number(&p, &e->start_x) != 0 || pm_number(&p, &e->start_y) != 0)
        return -1;
    e->start_azimuth = pm_azimuth(e->start_azimuth);
    return 0;
}

/* Codes 21 and 22 both carry their two radii, 9999 for an infinite one, so
 * that spirals in either sense (and between two curves) are read as written. */
static int element_from_fields(int turn, double length, double first, double second, int code,
                               horizon_element_t *e)
{
    memset(e, 0, sizeof *e);
    e->direction = turn >= 0 ? 1 : 0;
    e->length = fabs(length);
    if (first < 0.0 || second < 0.0)
        return -1;
    switch (code) {
    case CODE_LINE:
        e->type = HORIZON_LINE;
        e->direction = 0;
        return length >= 0.0 ? 0 : -1;
    case CODE_CIRCLE:
        e->type = HORIZON_CIRCLE;
        e->radius = first;
        return first > 0.0 ? 0 : -1;
    case CODE_ENTERING:
    case CODE_LEAVING:
        e->type = HORIZON_TRANSITION;
        e->start_radius = radius_from_file(first);
        e->end_radius = radius_from_file(second);
        return 0;
    default:
        return -1;
    }
}

static int known_code(int code)
{
    return code == CODE_LINE || code == CODE_CIRCLE || code == CODE_ENTERING || code == CODE_LEAVING;
}

/* Where the reading stopped at an element of a code the road has no kind
 * for; both 0 when it did not. */
typedef struct weidi_report {
    int line, code;
} weidi_report;

enum { UNKNOWN_CODE = 1 };

/* "<turn> 0 <length> <0 or A> <R1> <R2> <code>", exactly seven fields, so
 * that a missing or extra line shows as a misplaced B or C line.  A code of
 * no element kind the road has gives UNKNOWN_CODE: such an element cannot be
 * left out, as every later element would then be chained on from the wrong
 * point and azimuth. */
static int parse_element(const char *line, horizon_element_t *e, int *code)
{
    const char *p = line;
    int turn;
    double zero, length, parameter, first, second;
    if (pm_integer(&p, &turn) != 0 || pm_number(&p, &zero) != 0 || pm_number(&p, &length) != 0
        || pm_number(&p, &parameter) != 0 || pm_number(&p, &first) != 0 || pm_number(&p, &second) != 0
        || pm_integer(&p, code) != 0 || !pm_at_end(p))
        return -1;
    if (!known_code(*code))
        return UNKNOWN_CODE;
    return element_from_fields(turn, length, first, second, *code, e) == 0 && pm_element_is_sound(e) ? 0 : -1;
}

/* Line C holds the two chainages and the two azimuths; the empty field
 * written between them is not counted, and some files have a fifth. */
static int read_element(pm_lines *lines, horizon_element_t *e, weidi_report *report)
{
    int code, parsed;
    if (pm_lines_next(lines) != 1 || (parsed = parse_element(lines->text, e, &code)) == -1)
        return -1;
    if (parsed == UNKNOWN_CODE) {
        report->line = lines->number;
        report->code = code;
        return -1;
    }
    if (pm_lines_next(lines) != 1 || pm_count_fields(lines->text) != 8)
        return -1;
    if (pm_lines_next(lines) != 1)
        return -1;
    int fields = pm_count_fields(lines->text);
    return fields == 4 || fields == 5 ? 0 : -1;
}

static int read_elements(pm_lines *lines, road_t *read, void *report)
{
    horizon_element_t e;
    int count;
    if (pm_lines_next(lines) != 1 || pm_lines_next(lines) != 1 || parse_count(lines->text, &count) != 0
        || pm_lines_next(lines) != 1 || parse_start(lines->text, &e) != 0 || pm_append_horizon(read, &e) != 0)
        return -1;
    for (int i = 0; i < count; i++)
        if (read_element(lines, &e, report) != 0 || pm_append_horizon(read, &e) != 0)
            return -1;
    return 0;
}

int road_import_weidi(road_t *road, const char *path)
{
    return road_import_weidi_report(road, path, NULL, NULL);
}

int road_import_weidi_report(road_t *road, const char *path, int *line, int *code)
{
    weidi_report report = {0, 0};
    int result = pm_import_horizon(road, path, read_elements, &report);
    if (line)
        *line = report.line;
    if (code)
        *code = report.code;
    return result;
}

/* ---- writing ------------------------------------------------------------ */

typedef struct point {
    double x, y;
} point;

static double curvature_of(double radius)
{
    return radius <= ROAD_INFINITE_RADIUS ? 0.0 : 1.0 / radius;
}

static double radius_to_file(double radius)
{
    return radius <= ROAD_INFINITE_RADIUS ? PM_INFINITE_RADIUS : radius;
}

static point point_at(const road_t *road, const horizon_element_t *e, double chainage, double offset)
{
    point p;
    if (road_l2xy(road, chainage, NULL, NULL, NULL) < 0) {
        /* Not chained over this stretch: the chord's middle stands in. */
        p.x = (e->start_x + e->end_x) / 2.0;
        p.y = (e->start_y + e->end_y) / 2.0;
        return p;
    }
    road_lo2xy(road, chainage, offset, &p.x, &p.y, NULL);
    return p;
}

/* Where the start and end tangents cross.  Solved as two lines, which holds
 * on either side of azimuth 0 / 2 pi; parallel tangents (no turn, or half a
 * turn) have no crossing and the element's mid point is given instead. */
static point tangent_intersection(const road_t *road, const horizon_element_t *e)
{
    double c1 = cos(e->start_azimuth), s1 = sin(e->start_azimuth);
    double c2 = cos(e->end_azimuth), s2 = sin(e->end_azimuth);
    double sine = c1 * s2 - s1 * c2;
    if (fabs(sine) < PARALLEL_SINE)
        return point_at(road, e, e->start_chainage + e->length / 2.0, 0.0);
    double dx = e->end_x - e->start_x, dy = e->end_y - e->start_y;
    double t = (dx * s2 - dy * c2) / sine;
    point p = {e->start_x + t * c1, e->start_y + t * s1};
    return p;
}

/* What lines A and B tell of an element beyond its chained fields. */
typedef struct weidi_element {
    int turn;
    double length, first, second;
    int code;
    point characteristic, centre;
} weidi_element;

static void describe_transition(const road_t *road, const horizon_element_t *e, weidi_element *w)
{
    double c0 = curvature_of(e->start_radius), c1 = curvature_of(e->end_radius);
    w->length = -e->length;
    w->first = radius_to_file(e->start_radius);
    w->second = radius_to_file(e->end_radius);
    w->code = c1 > c0 ? CODE_ENTERING : CODE_LEAVING;
    w->characteristic = tangent_intersection(road, e);
    if (e->start_radius <= ROAD_INFINITE_RADIUS)
        w->centre = point_at(road, e, e->start_chainage + e->length, w->turn * e->end_radius);
}

static int describe_element(const road_t *road, const horizon_element_t *e, weidi_element *w)
{
    memset(w, 0, sizeof *w);
    w->turn = e->direction == 1 ? 1 : -1;
    if (e->type == HORIZON_LINE) {
        w->length = e->length;
        w->first = w->second = PM_INFINITE_RADIUS;
        w->code = CODE_LINE;
        w->characteristic = point_at(road, e, e->start_chainage + e->length / 2.0, 0.0);
    } else if (e->type == HORIZON_CIRCLE) {
        w->length = -e->length;
        w->first = w->second = e->radius;
        w->code = CODE_CIRCLE;
        w->characteristic = tangent_intersection(road, e);
        w->centre = point_at(road, e, e->start_chainage + e->length / 2.0, w->turn * e->radius);
    } else if (e->type == HORIZON_TRANSITION) {
        describe_transition(road, e, w);
    } else {
        return -1;
    }
    return 0;
}

static int write_element(pm_text *text, const horizon_element_t *e, const weidi_element *w)
{
    double values[] = {w->length, w->first, w->second, e->start_x, e->start_y,
                       w->characteristic.x, w->characteristic.y, e->end_x, e->end_y, w->centre.x,
                       w->centre.y, e->start_chainage, e->start_chainage + e->length,
                       e->start_azimuth, e->end_azimuth};
    if (!pm_all_finite(values, (int)(sizeof values / sizeof values[0])))
        return -1;
    pm_text_printf(text, "%d\t%.4f\t%.6f\t%.6f\t%.6f\t%.6f\t%d\n", w->turn, 0.0, w->length, 0.0, w->first,
                   w->second, w->code);
    pm_text_printf(text, "%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\n", e->start_x, e->start_y,
                   w->characteristic.x, w->characteristic.y, e->end_x, e->end_y, w->centre.x, w->centre.y);
    pm_text_printf(text, "%.6f\t%.6f\t\t%.6f\t%.6f\n", e->start_chainage, e->start_chainage + e->length,
                   e->start_azimuth, e->end_azimuth);
    return 0;
}

static int write_start(pm_text *text, const horizon_element_t *e)
{
    double values[] = {e->start_chainage, e->start_azimuth, e->start_x, e->start_y};
    if (!pm_all_finite(values, 4))
        return -1;
    pm_text_printf(text, "1\t%.6f\t%.6f\t%.6f\t%.6f\t%.6f\n", e->start_chainage, e->start_azimuth, 0.0,
                   e->start_x, e->start_y);
    return 0;
}

/* Elements of no known type are left out, and the count says so. */
static int written_elements(road_t *road)
{
    int count = 0;
    for (int i = 1; i < road_number_horizon(road); i++) {
        int type = road_horizon(road, i)->type;
        count += type == HORIZON_LINE || type == HORIZON_CIRCLE || type == HORIZON_TRANSITION;
    }
    return count;
}

/* The whole file is formed first, so that a road that cannot be written
 * leaves the old file as it was. */
int road_export_weidi(const road_t *road, const char *path)
{
    road_t *r = (road_t *)road;
    const horizon_element_t *start = road ? road_horizon(r, 0) : NULL;
    if (!pm_path_ok(path) || !start || start->type != HORIZON_START)
        return -1;
    pm_text text;
    pm_text_init(&text);
    pm_text_printf(&text, WEIDI_HEADER "\n%d\tNULL\tNULL\t0.0000\n", written_elements(r));
    int result = write_start(&text, start);
    for (int i = 1; result == 0 && i < road_number_horizon(r); i++) {
        const horizon_element_t *e = road_horizon(r, i);
        weidi_element w;
        if (describe_element(road, e, &w) == 0)
            result = write_element(&text, e, &w);
    }
    pm_text_printf(&text, "\n\n0\t0.0000\t0.0000\t0.0000\t0.0000\t0\n");
    if (result == 0)
        result = pm_text_save(&text, path);
    pm_text_final(&text);
    return result;
}
