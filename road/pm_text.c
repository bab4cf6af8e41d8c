/* Text helpers shared by the HaiDi and WeiDi ".pm" readers and writers. */
#define _XOPEN_SOURCE 700
#include "pm_text.h"

#include "c_notation.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits.h>
#include <math.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

static int is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

static const char *skip_blanks(const char *p)
{
    while (*p && is_blank((unsigned char)*p))
        p++;
    return p;
}

int pm_path_ok(const char *path)
{
    return path && path[0] && memchr(path, '\0', PM_PATH_SIZE) != NULL;
}

/* ---- reading ------------------------------------------------------------ */

int pm_lines_open(pm_lines *lines, const char *path)
{
    lines->file = NULL;
    lines->text = NULL;
    lines->size = 0;
    lines->number = 0;
    if (!pm_path_ok(path))
        return -1;
    /* Only a regular file: reading a named pipe or a device would wait for
     * ever.  O_NONBLOCK keeps the open itself from waiting for a writer. */
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    if (fd < 0)
        return -1;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
        close(fd);
        return -1;
    }
    lines->file = fdopen(fd, "r");
    if (!lines->file)
        close(fd);
    return lines->file ? 0 : -1;
}

static int line_grow(pm_lines *lines, size_t need)
{
    if (need <= lines->size)
        return 0;
    size_t size = lines->size ? lines->size * 2 : 256;
    while (size < need)
        size *= 2;
    char *text = realloc(lines->text, size);
    if (!text)
        return -1;
    lines->text = text;
    lines->size = size;
    return 0;
}

int pm_lines_next(pm_lines *lines)
{
    size_t length = 0;
    int c;
    while ((c = getc(lines->file)) != EOF && c != '\n') {
        if (c == '\0' || length + 2 > PM_LINE_MAX || line_grow(lines, length + 2) != 0)
            return -1;
        lines->text[length++] = (char)c;
    }
    if (ferror(lines->file))
        return -1;
    if (c == EOF && length == 0)
        return 0;
    lines->number++;
    if (line_grow(lines, length + 1) != 0)
        return -1;
    if (length > 0 && lines->text[length - 1] == '\r')
        length--;
    lines->text[length] = '\0';
    return 1;
}

void pm_lines_close(pm_lines *lines)
{
    if (lines->file)
        fclose(lines->file);
    free(lines->text);
    lines->file = NULL;
    lines->text = NULL;
    lines->size = 0;
}

/* ---- fields ------------------------------------------------------------- */

int pm_number(const char **cursor, double *value)
{
    const char *start = skip_blanks(*cursor);
    char *end;
    double v = c_notation_strtod(start, &end);
    /* "1.52.5" must not read as two numbers, nor "12-3". */
    if (end == start || !isfinite(v) || (*end && strchr("0123456789.+-", *end)))
        return -1;
    *value = v;
    *cursor = end;
    return 0;
}

int pm_integer(const char **cursor, int *value)
{
    const char *p = *cursor;
    double v;
    if (pm_number(&p, &v) != 0 || v != floor(v) || v < INT_MIN || v > INT_MAX)
        return -1;
    *value = (int)v;
    *cursor = p;
    return 0;
}

int pm_literal(const char **cursor, const char *text)
{
    const char *p = skip_blanks(*cursor);
    size_t length = strlen(text);
    if (strncmp(p, text, length) != 0)
        return -1;
    *cursor = p + length;
    return 0;
}

int pm_at_end(const char *cursor)
{
    return *skip_blanks(cursor) == '\0';
}

int pm_count_fields(const char *line)
{
    int count = 0;
    const char *p = skip_blanks(line);
    while (*p) {
        count++;
        while (*p && !is_blank((unsigned char)*p))
            p++;
        p = skip_blanks(p);
    }
    return count;
}

/* ---- writing ------------------------------------------------------------ */

void pm_text_init(pm_text *text)
{
    text->data = NULL;
    text->length = 0;
    text->size = 0;
    text->failed = 0;
}

void pm_text_final(pm_text *text)
{
    free(text->data);
    pm_text_init(text);
}

void pm_text_printf(pm_text *text, const char *format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int need = c_notation_vsnprintf(NULL, 0, format, args);
    va_end(args);
    if (need < 0 || text->failed) {
        text->failed = 1;
        va_end(again);
        return;
    }
    size_t want = text->length + (size_t)need + 1;
    if (want > text->size) {
        size_t size = text->size ? text->size : 1024;
        while (size < want)
            size *= 2;
        char *data = realloc(text->data, size);
        if (!data) {
            text->failed = 1;
            va_end(again);
            return;
        }
        text->data = data;
        text->size = size;
    }
    c_notation_vsnprintf(text->data + text->length, (size_t)need + 1, format, again);
    va_end(again);
    text->length += (size_t)need;
}

/* The text goes to a file beside the target first and replaces the target
 * only once every byte reached the disk, so a failed write (full disk,
 * read-only or missing folder) leaves the old file as it was. */
int pm_text_save(const pm_text *text, const char *path)
{
    if (!pm_path_ok(path) || text->failed)
        return -1;
    struct stat old;
    int have_old = stat(path, &old) == 0;
    if (have_old && (!S_ISREG(old.st_mode) || access(path, W_OK) != 0))
        return -1;
    char aside[PM_PATH_SIZE + 16];
    if (snprintf(aside, sizeof aside, "%s.XXXXXX", path) >= (int)sizeof aside)
        return -1;
    int fd = mkstemp(aside);
    if (fd < 0)
        return -1;
    fchmod(fd, have_old ? (old.st_mode & 07777) : 0644);
    FILE *file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlink(aside);
        return -1;
    }
    size_t written = text->length ? fwrite(text->data, 1, text->length, file) : 0;
    int flushed = fflush(file) == 0 && !ferror(file) && fsync(fileno(file)) == 0;
    int closed = fclose(file) == 0;
    if (written != text->length || !flushed || !closed || rename(aside, path) != 0) {
        unlink(aside);
        return -1;
    }
    return 0;
}

/* ---- road handle -------------------------------------------------------- */

#define TURN_LIMIT (4.0 * M_PI)

static double curvature_of(double radius)
{
    return radius <= ROAD_INFINITE_RADIUS ? 0.0 : 1.0 / radius;
}

int pm_element_is_sound(const horizon_element_t *e)
{
    double turn = 0.0;
    if (e->length < 0.0)
        return 0;
    if (e->type == HORIZON_CIRCLE) {
        if (!(e->radius > 0.0))
            return 0;
        turn = e->length / e->radius;
    } else if (e->type == HORIZON_TRANSITION) {
        if (e->start_radius < 0.0 || e->end_radius < 0.0)
            return 0;
        turn = e->length * (curvature_of(e->start_radius) + curvature_of(e->end_radius)) / 2.0;
    }
    return turn <= TURN_LIMIT;
}

double pm_azimuth(double azimuth)
{
    double a = fmod(azimuth, 2.0 * M_PI);
    return a < 0.0 ? a + 2.0 * M_PI : a;
}

int pm_all_finite(const double *values, int count)
{
    for (int i = 0; i < count; i++) {
        if (!isfinite(values[i]))
            return 0;
    }
    return 1;
}

int pm_append_horizon(road_t *road, const horizon_element_t *element)
{
    int count = road_number_horizon(road);
    if (road_insert_horizon(road, element, count) != 0 || road_number_horizon(road) != count + 1)
        return -1;
    return 0;
}

/* No road is longer than PM_LENGTH_LIMIT, nor lies farther from its
 * coordinate origin than PM_COORDINATE_LIMIT (zone-prefixed eastings reach
 * some 4e7 m); beyond that a number is damaged, and chaining along a
 * billion-metre element would crawl. */
int pm_within_road_limits(road_t *read)
{
    double total = 0.0;
    for (int i = 0; i < road_number_horizon(read); i++) {
        const horizon_element_t *e = road_horizon(read, i);
        double extents[] = {e->start_chainage, e->start_x, e->start_y};
        if (e->type == HORIZON_START) {
            if (fabs(extents[0]) > PM_LENGTH_LIMIT || fabs(extents[1]) > PM_COORDINATE_LIMIT
                || fabs(extents[2]) > PM_COORDINATE_LIMIT)
                return 0;
            continue;
        }
        total += e->length;
        if (!(e->length <= PM_LENGTH_LIMIT) || !(total <= PM_LENGTH_LIMIT))
            return 0;
    }
    return 1;
}

int pm_import_horizon(road_t *road, const char *path,
                      int (*read_elements)(pm_lines *lines, road_t *read, void *report), void *report)
{
    pm_lines lines;
    if (!road)
        return -1;
    if (pm_lines_open(&lines, path) != 0) {
        pm_lines_close(&lines);
        return -1;
    }
    road_t read;
    road_init(&read);
    int result = read_elements(&lines, &read, report);
    pm_lines_close(&lines);
    if (result == 0 && !pm_within_road_limits(&read))
        result = -1;
    if (result == 0) {
        road_apply_horizon(&read);
        road_clear_horizon(road);
        road->horizon = read.horizon;
        vpool_init(&read.horizon, sizeof(horizon_element_t), 0);
    }
    road_final(&read);
    return result == 0 ? 0 : -1;
}
