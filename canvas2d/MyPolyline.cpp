#include "MyPolyline.h"

#include <cmath>

namespace {

void CopyPoints(const wxVector<MyPoint *> &from, wxVector<MyPoint *> &to)
{
    to.reserve(from.size());
    for (const MyPoint *point : from)
        to.push_back(new MyPoint(*point));
}

void DeletePoints(wxVector<MyPoint *> &points)
{
    for (MyPoint *point : points)
        delete point;
    points.clear();
}

// Pixel position (px, py) moved by (dx, dy), truncated.
void SetOffset(MyPoint &point, int px, int py, double dx, double dy)
{
    point.x = 0.0;
    point.y = 0.0;
    point.px = static_cast<int>(std::trunc(px + dx));
    point.py = static_cast<int>(std::trunc(py + dy));
}

} // namespace

MyPolyline::MyPolyline(const MyPolyline &other)
    : elevation(other.elevation), penColour(other.penColour), penWidth(other.penWidth), style(other.style),
      layer(other.layer), tag(other.tag), selectable(other.selectable), selected(other.selected),
      selectedPenColour(other.selectedPenColour)
{
    CopyPoints(other.points, points);
    CopyPoints(other.band, band);
}

MyPolyline::~MyPolyline()
{
    DeletePoints(points);
    DeletePoints(band);
}

void MyPolyline::ComputeBand()
{
    // The band is rebuilt on every view change of maps of many thousand
    // polylines: its points are reused rather than reallocated.
    const size_t n = points.size();
    while (band.size() > 2 * n) {
        delete band.back();
        band.pop_back();
    }
    band.reserve(2 * n);
    while (band.size() < 2 * n)
        band.push_back(new MyPoint());
    for (size_t j = 0; j < n; ++j) {
        // Unit direction of the pixel step to the next point (from the
        // previous one for the last point); a lone or repeated point has
        // none and gets the band across the x axis.
        double ux = 1.0, uy = 0.0;
        if (n > 1) {
            const MyPoint *from = j + 1 < n ? points[j] : points[j - 1];
            const MyPoint *to = j + 1 < n ? points[j + 1] : points[j];
            const double dx = double(to->px) - from->px, dy = double(to->py) - from->py;
            const double length = std::hypot(dx, dy);
            if (length > 0.0) {
                ux = dx / length;
                uy = dy / length;
            }
        }
        // Ten pixels at the direction plus and minus a right angle.
        SetOffset(*band[2 * j], points[j]->px, points[j]->py, -10.0 * uy, 10.0 * ux);
        SetOffset(*band[2 * j + 1], points[j]->px, points[j]->py, 10.0 * uy, -10.0 * ux);
    }
}
