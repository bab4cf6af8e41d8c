// One line of a custom-section file: centre x, centre y and azimuth in
// degrees, separated by runs of commas, semicolons or backspaces.
#pragma once

#include <string>

struct CustomSectionLine {
    double x = 0;
    double y = 0;
    double azimuth = 0;

    // All three numbers must be there, finite, each of the first two
    // directly followed by its separator run; only separators and blanks
    // may follow the azimuth (a fourth number may be a decimal comma).
    static bool Parse(const std::string &text, CustomSectionLine *line);
};
