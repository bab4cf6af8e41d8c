// A text label; its baseline runs from the anchor towards the direction point.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>
#include <wx/string.h>

class MyText
{
public:
    virtual ~MyText() = default;
    MyText *Clone() const { return new MyText(*this); }

    MyPoint anchor;
    MyPoint direction;
    double height = 10.0; // the font's point size
    double widthFactor = 1.0;
    double slant = 0.0;
    int alignment = 0;
    wxString text;
    wxString faceName;
    double spacing = 0.0;
    int style = 0;
    wxColour colour;
    wxString layer;
    int tag = 0;
};
