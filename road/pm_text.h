/* Text helpers shared by the two ".pm" centre-line formats (HaiDi, WeiDi).
 * Internal to the road library: not exported. */
#ifndef CORVANE_PM_TEXT_H
#define CORVANE_PM_TEXT_H

#include "road.h"

#include <stdio.h>

/* Paths come from 1024-byte buffers of the callers. */
#define PM_PATH_SIZE 1024
/* Real lines are a few hundred bytes; anything this long is not a ".pm" file. */
#define PM_LINE_MAX 65536
/* Largest element length, road length and chainage a file may hold, and
 * largest coordinate, in metres. */
#define PM_LENGTH_LIMIT 1e7
#define PM_COORDINATE_LIMIT 1e8
/* The formats' stand-in for an infinite radius. */
#define PM_INFINITE_RADIUS 9999.0

/* 1 when no element lies farther than PM_COORDINATE_LIMIT from the origin
 * and neither an element nor the road is longer than PM_LENGTH_LIMIT; the
 * road files are held to the same limits as the ".pm" files. */
int pm_within_road_limits(road_t *road);

/* 1 when path is neither NULL, empty nor PM_PATH_SIZE bytes or longer. */
int pm_path_ok(const char *path);

/* A text file read line by line, each line without its line end (LF or CRLF). */
typedef struct pm_lines {
    FILE *file;
    char *text;  /* current line, NUL-terminated */
    size_t size; /* bytes allocated for text */
    int number;  /* of the current line, counted from 1 */
} pm_lines;

/* -1 when the path is refused or the file cannot be opened. */
int pm_lines_open(pm_lines *lines, const char *path);
/* 1 a line was read, 0 end of file, -1 read error, NUL byte or overlong line. */
int pm_lines_next(pm_lines *lines);
void pm_lines_close(pm_lines *lines);

/* Field parsing on a cursor into a line; leading white space is skipped and
 * the cursor moves past what was read.  All return 0 or -1. */
/* A finite number not run together with a further digit, sign or point. */
int pm_number(const char **cursor, double *value);
/* A finite whole number within the range of int ("3", "-1", "21.0"). */
int pm_integer(const char **cursor, int *value);
/* The exact text. */
int pm_literal(const char **cursor, const char *text);
/* 1 when only white space is left. */
int pm_at_end(const char *cursor);
/* Number of white-space separated fields of a line. */
int pm_count_fields(const char *line);

/* A growable text written to a file in one go, so that a road that cannot be
 * written leaves the file untouched. */
typedef struct pm_text {
    char *data;
    size_t length;
    size_t size;
    int failed; /* an append ran out of memory */
} pm_text;

void pm_text_init(pm_text *text);
void pm_text_final(pm_text *text);
/* Appends formatted text; a failure is remembered in text->failed. */
void pm_text_printf(pm_text *text, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
/* Replaces the file at path with the text.  -1 when the path is refused, the
 * text is incomplete, or the file cannot be opened or fully written. */
int pm_text_save(const pm_text *text, const char *path);

/* 1 when the element read is one a road can be chained from: no negative
 * length or radius, a circle with a radius, and no element turning more
 * than twice round (a damaged number would otherwise make chaining crawl
 * through billions of turns). */
int pm_element_is_sound(const horizon_element_t *element);
/* The same direction within [0, 2 pi). */
double pm_azimuth(double azimuth);
/* 1 when every value is finite. */
int pm_all_finite(const double *values, int count);
/* Appends a copy of the element; -1 when the table did not take it. */
int pm_append_horizon(road_t *road, const horizon_element_t *element);
/* Reads the file at path into a road of its own with read_elements (0 or
 * -1), which may say in *report why it refused the file; only when that
 * succeeds are the elements chained and moved into road in place of its
 * horizontal table.  The other tables of road are kept, and a failed read
 * leaves road exactly as it was. */
int pm_import_horizon(road_t *road, const char *path,
                      int (*read_elements)(pm_lines *lines, road_t *read, void *report), void *report);

#endif
