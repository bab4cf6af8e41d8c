// A filled polygon of map points; the last point joins the first.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>
#include <wx/string.h>
#include <wx/vector.h>

class MyPolygon
{
public:
    MyPolygon() = default;
    MyPolygon(const MyPolygon &other);
    MyPolygon &operator=(const MyPolygon &) = delete;
    virtual ~MyPolygon();
    MyPolygon *Clone() const { return new MyPolygon(*this); }

    wxVector<MyPoint *> points;
    double elevation = 0.0;
    wxColour fillColour;
    int outlineWidth = 1;
    int style = 0;
    wxString layer;
    int tag = 0;
    bool selectable = false;
    bool selected = false;
    wxColour selectedFillColour;

    bool IsHighlighted() const { return selectable && selected; }
};
