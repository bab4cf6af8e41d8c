// A circle in map units.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>
#include <wx/string.h>

class MyCircle
{
public:
    virtual ~MyCircle() = default;
    MyCircle *Clone() const { return new MyCircle(*this); }

    MyPoint centre;
    double radius = 0.0;
    int pixelRadius = 0;
    wxColour penColour;
    int penWidth = 1;
    int style = 0;
    wxString layer;
    int tag = 0;
};
