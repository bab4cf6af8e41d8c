/* Plane-geometry helpers shared inside the road library (not exported). */
#ifndef CORVANE_GEOMETRY2D_INTERNAL_H
#define CORVANE_GEOMETRY2D_INTERNAL_H

/* The point-in-polygon test of point_in_polygon2d() on a polygon given as n
 * x values and n y values: 0 or 2 outside, 1 inside, 3 on the boundary.
 * A repeated closing vertex is ignored; NULL arrays or n <= 0 give 0. */
int point_in_polygon_xy(double x, double y, int n, const double *xs, const double *ys);

#endif
