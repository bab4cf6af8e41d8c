/* HaiDi ".pm" centre-line file: a start line and one line per element.
 *
 *   NE
 *   <chainage> <X> <Y> <deg>D<min>F<sec>M
 *   Z L<length>
 *   Y <L|R> L<length> R<radius>
 *   H <L|R> L<length> RQ<start radius> RZ<end radius>
 */
#include "pm_text.h"

#include <math.h>
#include <string.h>

#define SECONDS_PER_TURN (360L * 3600L)

static int parse_start(const char *line, horizon_element_t *e)
{
    const char *p = line;
    double degrees, minutes, seconds;
    memset(e, 0, sizeof *e);
    e->type = HORIZON_START;
    if (pm_number(&p, &e->start_chainage) != 0 || pm_number(&p, &e->start_x) != 0
        || pm_number(&p, &e->start_y) != 0 || pm_number(&p, &degrees) != 0 || pm_literal(&p, "D") != 0
        || pm_number(&p, &minutes) != 0 || pm_literal(&p, "F") != 0 || pm_number(&p, &seconds) != 0
        || pm_literal(&p, "M") != 0 || !pm_at_end(p))
        return -1;
    e->start_azimuth = pm_azimuth((degrees + minutes / 60.0 + seconds / 3600.0) * M_PI / 180.0);
    return isfinite(e->start_azimuth) ? 0 : -1;
}

static int parse_turn(const char **cursor, int *direction)
{
    const char *p = *cursor;
    if (pm_literal(&p, "L") == 0)
        *direction = 0;
    else if (pm_literal(&p, "R") == 0)
        *direction = 1;
    else
        return -1;
    *cursor = p;
    return 0;
}

static int parse_element(const char *line, horizon_element_t *e)
{
    const char *p = line + 1;
    int parsed;
    memset(e, 0, sizeof *e);
    switch (line[0]) {
    case 'Z':
        e->type = HORIZON_LINE;
        parsed = pm_literal(&p, "L") == 0 && pm_number(&p, &e->length) == 0;
        break;
    case 'Y':
        e->type = HORIZON_CIRCLE;
        parsed = parse_turn(&p, &e->direction) == 0 && pm_literal(&p, "L") == 0
              && pm_number(&p, &e->length) == 0 && pm_literal(&p, "R") == 0 && pm_number(&p, &e->radius) == 0;
        break;
    default:
        e->type = HORIZON_TRANSITION;
        parsed = parse_turn(&p, &e->direction) == 0 && pm_literal(&p, "L") == 0
              && pm_number(&p, &e->length) == 0 && pm_literal(&p, "RQ") == 0
              && pm_number(&p, &e->start_radius) == 0 && pm_literal(&p, "RZ") == 0
              && pm_number(&p, &e->end_radius) == 0;
        break;
    }
    return parsed && pm_at_end(p) && pm_element_is_sound(e) ? 0 : -1;
}

/* The header line is free text; lines that start with anything but an
 * element letter (blank lines, notes) are passed over. */
static int read_elements(pm_lines *lines, road_t *read, void *report)
{
    (void)report;
    horizon_element_t e;
    if (pm_lines_next(lines) != 1 || pm_lines_next(lines) != 1 || parse_start(lines->text, &e) != 0
        || pm_append_horizon(read, &e) != 0)
        return -1;
    int status;
    while ((status = pm_lines_next(lines)) == 1) {
        char kind = lines->text[0];
        if (kind != 'Z' && kind != 'Y' && kind != 'H')
            continue;
        if (parse_element(lines->text, &e) != 0 || pm_append_horizon(read, &e) != 0)
            return -1;
    }
    return status;
}

int road_import_haidi(road_t *road, const char *path)
{
    return pm_import_horizon(road, path, read_elements, NULL);
}

/* Whole degrees, minutes and seconds, each rounded down.  The azimuth is
 * taken into [0, 360) degrees first, and a hair is added so that an angle
 * given in whole seconds is not written one second short. */
static void azimuth_dms(double azimuth, long *degrees, long *minutes, long *seconds)
{
    long total = (long)floor(pm_azimuth(azimuth) * 180.0 / M_PI * 3600.0 + 1e-6);
    if (total >= SECONDS_PER_TURN)
        total -= SECONDS_PER_TURN;
    *degrees = total / 3600;
    *minutes = total % 3600 / 60;
    *seconds = total % 60;
}

static int write_start(pm_text *text, const horizon_element_t *e)
{
    double values[] = {e->start_chainage, e->start_x, e->start_y, e->start_azimuth};
    long degrees, minutes, seconds;
    if (!pm_all_finite(values, 4))
        return -1;
    azimuth_dms(e->start_azimuth, &degrees, &minutes, &seconds);
    pm_text_printf(text, "%.4f %.4f %.4f %ldD%ldF%ldM\n", e->start_chainage, e->start_x, e->start_y,
                   degrees, minutes, seconds);
    return 0;
}

static int write_element(pm_text *text, const horizon_element_t *e)
{
    double values[] = {e->length, e->radius, e->start_radius, e->end_radius};
    char turn = e->direction == 0 ? 'L' : 'R';
    if (!pm_all_finite(values, 4))
        return -1;
    if (e->type == HORIZON_LINE)
        pm_text_printf(text, "Z L%.4f\n", e->length);
    else if (e->type == HORIZON_CIRCLE)
        pm_text_printf(text, "Y %c L%.4f R%.4f\n", turn, e->length, e->radius);
    else if (e->type == HORIZON_TRANSITION)
        pm_text_printf(text, "H %c L%.4f RQ%.4f RZ%.4f\n", turn, e->length, e->start_radius, e->end_radius);
    return 0;
}

/* The whole file is formed first: a road that cannot be written (no start
 * point, a value that is not a number) leaves the old file as it was. */
int road_export_haidi(const road_t *road, const char *path)
{
    road_t *r = (road_t *)road;
    const horizon_element_t *start = road ? road_horizon(r, 0) : NULL;
    if (!pm_path_ok(path) || !start || start->type != HORIZON_START)
        return -1;
    pm_text text;
    pm_text_init(&text);
    pm_text_printf(&text, "NE\n");
    int result = write_start(&text, start);
    for (int i = 1; result == 0 && i < road_number_horizon(r); i++)
        result = write_element(&text, road_horizon(r, i));
    if (result == 0)
        result = pm_text_save(&text, path);
    pm_text_final(&text);
    return result;
}
