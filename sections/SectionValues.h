// How the section tool windows turn slider positions into the frame's three
// values and back: point size and buffer width in tenths, section width in
// whole metres, each slider 0 to 100.
#pragma once

#include <wx/string.h>

namespace sectionvalues {

const int SLIDER_MAX = 100;

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
    if (position < 0)
        return 0;
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
    return wxString::Format("%.1f", value);
}

inline wxString WholeText(double value)
{
    return wxString::Format("%.0f", value);
}

} // namespace sectionvalues
