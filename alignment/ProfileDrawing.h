// What the profile of a road looks like on paper: one polyline per grade
// line or vertical curve, a marker and a label at the end of every element.
// Chainage runs along x, elevation along y, in metres.  Kept apart from the
// canvas so that the geometry can be checked on its own.
#pragma once

#include "road.h"

#include <string>
#include <vector>

class ProfileDrawing
{
public:
    struct Point {
        double x;
        double y;
    };
    struct Label {
        std::string text;
        Point at;
    };

    // Samples of a vertical curve between its two ends.
    static const int CURVE_SAMPLES = 19;

    explicit ProfileDrawing(road_t *road);

    // Polyline k belongs to element k + 1; the start point draws none.
    const std::vector<std::vector<Point>> &Polylines() const { return m_polylines; }
    // One per element, at its end, in element order.
    const std::vector<Point> &Markers() const { return m_markers; }
    const std::vector<Label> &Labels() const { return m_labels; }

    // "QD" for the start point, "ZD" for the last element, otherwise the
    // letters of the element and the next one: Z a grade line, Y a curve.
    static std::string PointCode(road_t *road, int index);

private:
    void AddCurve(road_t *road, const vertical_element_t &e);

    std::vector<std::vector<Point>> m_polylines;
    std::vector<Point> m_markers;
    std::vector<Label> m_labels;
};
