#include "MyMap.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixel positions are stored as ints: far outside the window they are held
// at this bound (Draw clips them from the map coordinates instead).
const double kPixelBound = 1 << 29;

int ClampToPixel(double value)
{
    if (!(value > -kPixelBound))
        return static_cast<int>(-kPixelBound);
    if (value > kPixelBound)
        return static_cast<int>(kPixelBound);
    return static_cast<int>(value);
}

template <typename T> void DeleteAll(wxVector<T *> &list)
{
    for (T *item : list)
        delete item;
    list.clear();
}

template <typename T> void CopyAll(const wxVector<T *> &from, wxVector<T *> &to)
{
    DeleteAll(to);
    to.reserve(from.size());
    for (const T *item : from)
        to.push_back(item->Clone());
}

struct Extent {
    double minX = 1e12, minY = 1e12, maxX = -1e12, maxY = -1e12;
    void Add(double x, double y)
    {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    void Add(const MyPoint &point) { Add(point.x, point.y); }
};

} // namespace

MyMap::~MyMap()
{
    Clear();
}

int MyMap::PixelX(double x) const
{
    return ClampToPixel(std::trunc((x - m_viewOriginX) * m_viewScale) + 20.0);
}

int MyMap::PixelY(double y) const
{
    return ClampToPixel(20.0 - std::trunc((y - m_viewOriginY) * m_viewScale));
}

void MyMap::SetPixel(MyPoint &point) const
{
    point.px = PixelX(point.x);
    point.py = PixelY(point.y);
}

void MyMap::SetView(double originX, double originY, double scale)
{
    m_viewOriginX = originX;
    m_viewOriginY = originY;
    m_viewScale = scale;
    for (MyPolyline *polyline : polylines) {
        for (MyPoint *point : polyline->points)
            SetPixel(*point);
        polyline->ComputeBand();
    }
    for (MyPolygon *polygon : polygons)
        for (MyPoint *point : polygon->points)
            SetPixel(*point);
    for (MyLine *line : lines) {
        SetPixel(line->p1);
        SetPixel(line->p2);
    }
    for (MyCircle *circle : circles) {
        SetPixel(circle->centre);
        circle->pixelRadius = ClampToPixel(std::trunc(circle->radius * scale));
    }
    for (MyArc *arc : arcs) {
        SetPixel(arc->centre);
        arc->pixelRadius = ClampToPixel(std::trunc(arc->radius * scale));
    }
    for (MyText *text : texts) {
        SetPixel(text->anchor);
        SetPixel(text->direction);
    }
    for (MySymbol *symbol : symbols)
        SetPixel(symbol->position);
}

void MyMap::ComputeExtents()
{
    Extent extent;
    for (const MyLine *line : lines) {
        extent.Add(line->p1);
        extent.Add(line->p2);
    }
    for (const MyCircle *circle : circles) {
        extent.Add(circle->centre.x - circle->radius, circle->centre.y - circle->radius);
        extent.Add(circle->centre.x + circle->radius, circle->centre.y + circle->radius);
    }
    for (const MyPolyline *polyline : polylines)
        for (const MyPoint *point : polyline->points)
            extent.Add(*point);
    for (const MyPolygon *polygon : polygons)
        for (const MyPoint *point : polygon->points)
            extent.Add(*point);
    for (const MySymbol *symbol : symbols)
        extent.Add(symbol->position);
    for (const MyText *text : texts)
        extent.Add(text->anchor);
    minX = extent.minX;
    minY = extent.minY;
    maxX = extent.maxX;
    maxY = extent.maxY;
}

void MyMap::Clear()
{
    DeleteAll(layers);
    DeleteAll(lineTypes);
    DeleteAll(lines);
    DeleteAll(circles);
    DeleteAll(arcs);
    DeleteAll(polylines);
    DeleteAll(polygons);
    DeleteAll(texts);
    DeleteAll(symbols);
}

void MyMap::CopyFrom(const MyMap &source)
{
    if (&source == this)
        return;
    minX = source.minX;
    minY = source.minY;
    maxX = source.maxX;
    maxY = source.maxY;
    CopyAll(source.layers, layers);
    CopyAll(source.lineTypes, lineTypes);
    CopyAll(source.lines, lines);
    CopyAll(source.circles, circles);
    CopyAll(source.arcs, arcs);
    CopyAll(source.polylines, polylines);
    CopyAll(source.polygons, polygons);
    CopyAll(source.texts, texts);
    CopyAll(source.symbols, symbols);
}
