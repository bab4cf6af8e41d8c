// A line type: carried with the map, never drawn.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

class MyLineType
{
public:
    virtual ~MyLineType() = default;
    MyLineType *Clone() const { return new MyLineType(*this); }

    wxString name;
    double scale = 0.0;
    wxColour colour;
    double width = 0.0;
};
