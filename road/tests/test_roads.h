// Roads shared by the road library's tests.
#pragma once

#include "road.h"

#include <cmath>

namespace test_roads {

inline horizon_element_t start_point(double x, double y, double azimuth, double chainage)
{
    horizon_element_t e{};
    e.type = HORIZON_START;
    e.start_x = x;
    e.start_y = y;
    e.start_azimuth = azimuth;
    e.start_chainage = chainage;
    return e;
}

inline horizon_element_t line(double length)
{
    horizon_element_t e{};
    e.type = HORIZON_LINE;
    e.length = length;
    return e;
}

inline horizon_element_t circle(double length, double radius, int direction)
{
    horizon_element_t e{};
    e.type = HORIZON_CIRCLE;
    e.length = length;
    e.radius = radius;
    e.direction = direction;
    return e;
}

// Radii of 0 stand for an infinite radius (a straight end).
inline horizon_element_t transition(double length, double start_radius, double end_radius, int direction)
{
    horizon_element_t e{};
    e.type = HORIZON_TRANSITION;
    e.length = length;
    e.start_radius = start_radius;
    e.end_radius = end_radius;
    e.direction = direction;
    return e;
}

inline void append(road_t *road, const horizon_element_t &e)
{
    road_insert_horizon(road, &e, road_number_horizon(road));
}

// A real five-element alignment: straight, spiral into a right-hand curve of
// radius 54, arc, spiral out, straight; 179.14161859 m long.
inline void five_element_alignment(road_t *road)
{
    append(road, start_point(41801.83399, 36973.58929, 6.252194703415, 0.0));
    append(road, line(36.39140501));
    append(road, transition(35.0, 0.0, 54.0, 1));
    append(road, circle(50.30392997, 54.0, 1));
    append(road, transition(35.0, 54.0, 0.0, 1));
    append(road, line(22.44628361));
    road_apply_horizon(road);
}

// A road whose azimuth passes through 0 / 2 pi twice: it starts just short of
// 2 pi, turns right across it, then left back across it.
inline void road_across_north(road_t *road)
{
    append(road, start_point(1000.0, 2000.0, 2.0 * M_PI - 0.15, 100.0));
    append(road, line(40.0));
    append(road, transition(30.0, 0.0, 120.0, 1));
    append(road, circle(45.0, 120.0, 1));
    append(road, transition(30.0, 120.0, 0.0, 1));
    append(road, line(25.0));
    append(road, transition(25.0, 0.0, 90.0, 0));
    append(road, circle(60.0, 90.0, 0));
    append(road, transition(25.0, 90.0, 0.0, 0));
    append(road, line(30.0));
    road_apply_horizon(road);
}

struct Road {
    road_t road;
    Road() { road_init(&road); }
    ~Road() { road_final(&road); }
    Road(const Road &) = delete;
    Road &operator=(const Road &) = delete;
    road_t *get() { return &road; }
};

} // namespace test_roads
