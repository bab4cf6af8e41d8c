// One line of a chain list file: a chainage and an altitude (latitude
// sections) or a start and an end chainage (longitude sections), separated
// by a run of commas, semicolons or backspaces.
#pragma once

#include <string>

struct ChainListLine {
    double first = 0;
    double second = 0;

    // A line of the first number alone, or the first number and a separator
    // run, gives 0 as the second value.  Only separators and blanks may
    // follow the numbers: a first number followed by anything but a
    // separator run, a non-number after the separators, anything after the
    // second number (a third number, text, a NUL) and values that are not
    // finite make the line unreadable.  Taking them would put a section
    // where the file does not say: "120,5 35,2", written with decimal
    // commas, is no row (120, 5).
    static bool Parse(const std::string &text, ChainListLine *line);
};
