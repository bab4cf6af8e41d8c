#include "MyPolygon.h"

MyPolygon::MyPolygon(const MyPolygon &other)
    : elevation(other.elevation), fillColour(other.fillColour), outlineWidth(other.outlineWidth),
      style(other.style), layer(other.layer), tag(other.tag), selectable(other.selectable),
      selected(other.selected), selectedFillColour(other.selectedFillColour)
{
    points.reserve(other.points.size());
    for (const MyPoint *point : other.points)
        points.push_back(new MyPoint(*point));
}

MyPolygon::~MyPolygon()
{
    for (MyPoint *point : points)
        delete point;
}
