// A straight line between two map points.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>
#include <wx/string.h>

class MyLine
{
public:
    virtual ~MyLine() = default;
    MyLine *Clone() const { return new MyLine(*this); }

    MyPoint p1;
    MyPoint p2;
    wxColour penColour;
    int penWidth = 1;
    int style = 0;
    wxString layer;
    int tag = 0;
};
