// One line of a chain list file: a chainage and an altitude (latitude
// sections) or a start and an end chainage (longitude sections), separated
// by a run of commas, semicolons or backspaces.
#pragma once

#include <string>

struct ChainListLine {
    double first = 0;
    double second = 0;

    // A line of the first number alone, or the first number and a separator
    // run, gives 0 as the second value.  A first number followed by anything
    // but a separator run, a non-number after the separators and values that
    // are not finite make the line unreadable: taking them would put a
    // section where the file does not say.
    static bool Parse(const std::string &text, ChainListLine *line);
};
