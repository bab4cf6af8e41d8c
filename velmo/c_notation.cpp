// Conversions in the C notation.  Formatting switches the locale of the
// calling thread only, for the length of one call: the program's other
// threads keep theirs.
#include "c_notation.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale.h>

namespace velmo {

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The C locale for uselocale; (locale_t)0 only when memory ran out.
locale_t c_locale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return c;
}

} // namespace

const char *read_c_number(const char *text, double *value)
{
    const char *p = text;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    if (!is_digit(*p) && !(*p == '.' && is_digit(p[1])))
        return nullptr;
    const char *end = p;
    while (*end)
        ++end;
    double number = 0;
    const std::from_chars_result read = std::from_chars(p, end, number, std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone then; the exponent's sign says
        // whether it went beyond the largest or below the smallest number.
        const std::string digits(p, size_t(read.ptr - p));
        const size_t exponent = digits.find_first_of("eE");
        number = exponent != std::string::npos && digits[exponent + 1] == '-' ? 0.0 : HUGE_VAL;
    } else if (read.ec != std::errc()) {
        return nullptr;
    }
    *value = negative ? -number : number;
    return read.ptr;
}

int c_vsnprintf(char *buffer, size_t size, const char *format, va_list args)
{
    const locale_t c = c_locale();
    if (!c)
        return -1;
    const locale_t before = uselocale(c);
    const int written = std::vsnprintf(buffer, size, format, args);
    uselocale(before);
    return written;
}

int c_snprintf(char *buffer, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = c_vsnprintf(buffer, size, format, args);
    va_end(args);
    return written;
}

std::string c_number_text(double value, int decimals)
{
    char text[512];
    const int written = decimals < 0 ? c_snprintf(text, sizeof text, "%g", value)
                                     : c_snprintf(text, sizeof text, "%.*f", decimals, value);
    return written < 0 ? std::string() : std::string(text, std::min(size_t(written), sizeof text - 1));
}

} // namespace velmo
