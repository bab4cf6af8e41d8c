// A drawing layer: carried with the map, never drawn.
#pragma once

#include <wx/colour.h>
#include <wx/string.h>

class MyLayer
{
public:
    virtual ~MyLayer() = default;
    MyLayer *Clone() const { return new MyLayer(*this); }

    wxString name;
    int flags = 0;
    wxColour colour;
    double value = 0.0;
    wxString description;
};
