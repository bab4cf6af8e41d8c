/* Numbers in the C notation (a decimal point, whatever the locale): what
 * every file and chainage text of the road library holds.  The program that
 * calls the library may have set a locale that writes "1,5"; these keep the
 * files the same on every machine.  Internal to the road library. */
#ifndef CORVANE_C_NOTATION_H
#define CORVANE_C_NOTATION_H

#include <stdarg.h>
#include <stddef.h>

/* strtod in the C notation.  When the C locale cannot be had (no memory),
 * nothing is read: 0 with *end at text. */
double c_notation_strtod(const char *text, char **end);

/* vsnprintf and snprintf in the C notation; -1 when the C locale cannot be
 * had. */
int c_notation_vsnprintf(char *buffer, size_t size, const char *format, va_list args);
int c_notation_snprintf(char *buffer, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

#endif
