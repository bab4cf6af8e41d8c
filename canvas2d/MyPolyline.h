// An open path of map points.  Its band, the pixel offsets ten pixels to
// either side of every point, is what a click has to fall into to pick it.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>
#include <wx/string.h>
#include <wx/vector.h>

class MyPolyline
{
public:
    MyPolyline() = default;
    MyPolyline(const MyPolyline &other);
    MyPolyline &operator=(const MyPolyline &) = delete;
    virtual ~MyPolyline();
    MyPolyline *Clone() const { return new MyPolyline(*this); }

    // Pixel positions of the points and of the band for the view last set.
    void ComputeBand();

    wxVector<MyPoint *> points;
    double elevation = 0.0;
    wxColour penColour;
    int penWidth = 1;
    int style = 0;
    wxString layer;
    int tag = 0;
    bool selectable = false;
    bool selected = false;
    wxColour selectedPenColour;
    // Left offset then right offset of each point, pixel positions only.
    wxVector<MyPoint *> band;

    bool IsHighlighted() const { return selectable && selected; }
};
