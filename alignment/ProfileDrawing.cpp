#include "ProfileDrawing.h"

namespace {

// A curve this short is drawn as a chord.
const double SHORTEST_SAMPLED_CURVE = 0.001;

const char *ElementLetter(const vertical_element_t *e)
{
    return e && e->type == VERTICAL_CURVE ? "Y" : "Z";
}

} // namespace

ProfileDrawing::ProfileDrawing(road_t *road)
{
    const int n = road ? road_number_vertical(road) : 0;
    for (int i = 0; i < n; ++i) {
        const vertical_element_t *e = road_vertical(road, i);
        if (!e)
            continue;
        if (e->type == VERTICAL_GRADE)
            m_polylines.push_back({{e->start_chainage, e->start_elevation}, {e->end_chainage, e->end_elevation}});
        else if (e->type == VERTICAL_CURVE)
            AddCurve(road, *e);
        const Point end{e->end_chainage, e->end_elevation};
        m_markers.push_back(end);
        char station[64];
        mileage_format(e->end_chainage, station, sizeof station);
        m_labels.push_back({PointCode(road, i) + "(" + station + ")", end});
    }
}

void ProfileDrawing::AddCurve(road_t *road, const vertical_element_t &e)
{
    std::vector<Point> points{{e.start_chainage, e.start_elevation}};
    const double step = e.length / (CURVE_SAMPLES + 1);
    if (e.length > SHORTEST_SAMPLED_CURVE) {
        double x = e.start_chainage + step;
        for (int k = 1; k <= CURVE_SAMPLES && x < e.end_chainage; ++k) {
            // A sample the library cannot place keeps the chord's height, so
            // the drawing never jumps to an arbitrary value.
            double elevation = e.start_elevation + (e.end_elevation - e.start_elevation) * (x - e.start_chainage) / e.length;
            road_l2h(road, x, &elevation, nullptr);
            points.push_back({x, elevation});
            x += step;
        }
    }
    points.push_back({e.end_chainage, e.end_elevation});
    m_polylines.push_back(points);
}

std::string ProfileDrawing::PointCode(road_t *road, int index)
{
    const int n = road_number_vertical(road);
    if (index == 0)
        return "QD";
    if (index == n - 1)
        return "ZD";
    return std::string(ElementLetter(road_vertical(road, index))) + ElementLetter(road_vertical(road, index + 1));
}
