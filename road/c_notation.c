/* Conversions in the C notation.  The locale is switched for the calling
 * thread only (uselocale), so other threads of the program keep theirs. */
#define _XOPEN_SOURCE 700
#include "c_notation.h"

#include <locale.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

static locale_t c_locale = (locale_t)0;
static pthread_once_t c_locale_once = PTHREAD_ONCE_INIT;

static void make_c_locale(void)
{
    c_locale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
}

/* The calling thread's locale before the switch, or (locale_t)0 when the
 * C locale cannot be had. */
static locale_t enter_c_locale(void)
{
    pthread_once(&c_locale_once, make_c_locale);
    return c_locale ? uselocale(c_locale) : (locale_t)0;
}

double c_notation_strtod(const char *text, char **end)
{
    locale_t before = enter_c_locale();
    if (!before) {
        if (end)
            *end = (char *)text;
        return 0.0;
    }
    double value = strtod(text, end);
    uselocale(before);
    return value;
}

int c_notation_vsnprintf(char *buffer, size_t size, const char *format, va_list args)
{
    locale_t before = enter_c_locale();
    if (!before)
        return -1;
    int written = vsnprintf(buffer, size, format, args);
    uselocale(before);
    return written;
}

int c_notation_snprintf(char *buffer, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int written = c_notation_vsnprintf(buffer, size, format, args);
    va_end(args);
    return written;
}
