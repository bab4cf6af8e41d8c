// A map point with the pixel position of the current view.
#pragma once

class MyPoint
{
public:
    MyPoint(double x = 0.0, double y = 0.0) : x(x), y(y) {}
    virtual ~MyPoint() = default;

    double x;
    double y;
    double z = 0.0; // kept for the plan's third coordinate; never read
    int px = 0;
    int py = 0;
};
