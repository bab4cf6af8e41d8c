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

// Pixel offset from (px, py) by ten pixels at the given angle, truncated.
MyPoint *BandPoint(int px, int py, double angle)
{
    MyPoint *point = new MyPoint();
    point->px = static_cast<int>(std::trunc(px + 10.0 * std::cos(angle)));
    point->py = static_cast<int>(std::trunc(py + 10.0 * std::sin(angle)));
    return point;
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

void MyPolyline::ClearBand()
{
    DeletePoints(band);
}

void MyPolyline::ComputeBand()
{
    ClearBand();
    const size_t n = points.size();
    if (n == 0)
        return;
    band.reserve(2 * n);
    for (size_t j = 0; j < n; ++j) {
        // A lone point has no direction; its band lies across the x axis.
        double angle = 0.0;
        if (n > 1) {
            const MyPoint *from = j + 1 < n ? points[j] : points[j - 1];
            const MyPoint *to = j + 1 < n ? points[j + 1] : points[j];
            angle = std::atan2(double(to->py) - from->py, double(to->px) - from->px);
        }
        band.push_back(BandPoint(points[j]->px, points[j]->py, angle + M_PI / 2));
        band.push_back(BandPoint(points[j]->px, points[j]->py, angle - M_PI / 2));
    }
}
