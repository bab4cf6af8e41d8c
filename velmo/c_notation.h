// Numbers in the C notation, a decimal point whatever the locale: what every
// file the engine reads or writes holds.  The program that calls the engine
// sets a locale from the system language, and under a German or French one
// the C library's own conversions would read "1.5" as 1 and write "1,5".
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace velmo {

// Reads the number that starts at text (an optional sign, digits with an
// optional point and fraction, an optional exponent) and returns where it
// ends, or nullptr when no number starts there.  "nan", "inf" and
// hexadecimal are no numbers; an overflow reads as infinity.
const char *read_c_number(const char *text, double *value);

// The value with the given number of decimals ("%.*f"), or as "%g" writes
// it when decimals is negative, in the C notation.
std::string c_number_text(double value, int decimals = -1);

// snprintf in the C notation, cut to fit as snprintf cuts.
int c_snprintf(char *buffer, size_t size, const char *format, ...) __attribute__((format(printf, 3, 4)));
int c_vsnprintf(char *buffer, size_t size, const char *format, va_list args);

} // namespace velmo
