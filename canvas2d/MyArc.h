// A circular arc; its angles run clockwise on the screen.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>
#include <wx/string.h>

class MyArc
{
public:
    virtual ~MyArc() = default;
    MyArc *Clone() const { return new MyArc(*this); }

    MyPoint centre;
    double radius = 0.0;
    int pixelRadius = 0;
    double startAngle = 0.0; // radians
    double endAngle = 0.0;   // radians
    int sense = 0;
    wxColour penColour;
    int penWidth = 1;
    int style = 0;
    wxString layer;
    int tag = 0;
};
