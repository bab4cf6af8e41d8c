// The drawing a canvas shows: nine lists of entities in map units, each
// entity also holding its pixel position under the view last set.
#pragma once

#include "MyArc.h"
#include "MyCircle.h"
#include "MyLayer.h"
#include "MyLine.h"
#include "MyLineType.h"
#include "MyPolygon.h"
#include "MyPolyline.h"
#include "MySpriteCache.h"
#include "MySymbol.h"
#include "MyText.h"

#include <wx/vector.h>

class wxDC;

class MyMap
{
public:
    MyMap() = default;
    MyMap(const MyMap &) = delete;
    MyMap &operator=(const MyMap &) = delete;
    virtual ~MyMap();

    // Pixel x = trunc((x - originX) * scale) + 20, pixel y = 20 - trunc((y - originY) * scale).
    void SetView(double originX, double originY, double scale);
    // An empty map (or one of arcs only) gets the inverted extent 1e12 .. -1e12.
    void ComputeExtents();
    void Clear();
    // Replaces every list and the extent with copies of the source's.
    void CopyFrom(const MyMap &source);
    void Draw(wxDC &dc) const;

    // The transform of SetView for one point, kept within the range the
    // drawing back end handles; Draw clips what lies beyond it.
    int PixelX(double x) const;
    int PixelY(double y) const;
    double ViewOriginX() const { return m_viewOriginX; }
    double ViewOriginY() const { return m_viewOriginY; }
    double ViewScale() const { return m_viewScale; }

    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;

    wxVector<MyLayer *> layers;
    wxVector<MyLineType *> lineTypes;
    wxVector<MyLine *> lines;
    wxVector<MyCircle *> circles;
    wxVector<MyArc *> arcs;
    wxVector<MyPolyline *> polylines;
    wxVector<MyPolygon *> polygons;
    wxVector<MyText *> texts;
    wxVector<MySymbol *> symbols;

private:
    void SetPixel(MyPoint &point) const;

    double m_viewOriginX = 0.0;
    double m_viewOriginY = 0.0;
    double m_viewScale = 1.0;
    mutable MySpriteCache m_sprites;
};
