// How the section tool windows turn slider positions into the frame's three
// values and back: point size and buffer width in tenths, section width in
// whole metres, each slider 1 to 100.  Every value keeps within its range:
// at least the smallest step a slider shows (nothing is drawn below it), at
// most what a surveyor could want.
#pragma once

#include "c_notation.h"

#include <wx/string.h>

namespace sectionvalues {

const int SLIDER_MIN = 1;
const int SLIDER_MAX = 100;

// The bounds of one value, with a hair of slack for steps that add up in
// binary (0.3 - 0.2 is a little below 0.1).
struct ValueRange {
    double least;
    double most;

    bool Holds(double value) const { return value >= least - SLACK && value <= most + SLACK; }
    double Clamp(double value) const { return value < least ? least : value > most ? most : value; }

    static constexpr double SLACK = 1e-9;
};

const ValueRange POINT_SIZE_RANGE{0.1, 20.0};
const ValueRange BUFFER_WIDTH_RANGE{0.1, 1000.0};
const ValueRange SECTION_WIDTH_RANGE{1.0, 1000.0};

inline float PointSizeAt(int position)
{
    return float(position * 0.1);
}

inline double BufferWidthAt(int position)
{
    return position * 0.1;
}

inline double SectionWidthAt(int position)
{
    return position;
}

// Truncated towards zero, as the sliders show a value; kept within the
// slider's range.
inline int Clamped(double position)
{
    if (!(position >= SLIDER_MIN))
        return SLIDER_MIN;
    return position > SLIDER_MAX ? SLIDER_MAX : int(position);
}

inline int PointSizePosition(float size)
{
    return Clamped(size * 10.0f);
}

inline int BufferWidthPosition(double width)
{
    return Clamped(width * 10.0);
}

inline int SectionWidthPosition(double width)
{
    return Clamped(width);
}

inline wxString TenthsText(double value)
{
    return wxString(velmo::c_number_text(value, 1));
}

inline wxString WholeText(double value)
{
    return wxString::Format("%.0f", value);
}

} // namespace sectionvalues
