#include "road.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

point2d pt(double x, double y)
{
    point2d p;
    point2d_init(&p, x, y);
    return p;
}

segment2d seg(double x1, double y1, double x2, double y2)
{
    point2d p = pt(x1, y1), q = pt(x2, y2);
    segment2d s;
    segment2d_init(&s, &p, &q);
    return s;
}

// Owns the point array that polygon2d_init allocates.
struct Outline {
    polygon2d polygon{0, nullptr};
    Outline(std::vector<double> xs, std::vector<double> ys)
    {
        EXPECT_EQ(polygon2d_init(&polygon, static_cast<int>(xs.size()), xs.data(), ys.data()), 0);
    }
    ~Outline() { std::free(polygon.points); }
    Outline(const Outline &) = delete;
    Outline &operator=(const Outline &) = delete;
    int where(double x, double y) const
    {
        point2d p = pt(x, y);
        return point_in_polygon2d(&p, &polygon);
    }
};

Outline square(double x0, double y0, double side)
{
    return Outline({x0, x0 + side, x0 + side, x0}, {y0, y0, y0 + side, y0 + side});
}

constexpr int kOutsideNoCrossing = 0;
constexpr int kInside = 1;
constexpr int kOutsideEvenCrossings = 2;
constexpr int kOnBoundary = 3;

// ---- segments ----------------------------------------------------------------

TEST(GeometrySegmentIntersect, CrossingSegmentsGiveTheCrossingPoint)
{
    struct Case {
        segment2d s, t;
        double x, y;
    } cases[] = {
        {seg(0, 0, 4, 4), seg(0, 4, 4, 0), 2, 2},
        {seg(0, 1, 4, 3), seg(1, 0, 3, 6), 1.6, 1.8},
        {seg(0, 0, 4, 2), seg(2, -1, 2, 5), 2, 1},       // second vertical
        {seg(1, -3, 1, 3), seg(-1, 0, 3, 2), 1, 1},      // first vertical
        {seg(0, 0, 4, 0), seg(2, 0, 2, 3), 2, 0},        // end on the other's inside
        {seg(0, 0, 1e-7, 1), seg(1e-7, 0, 0, 1), 5e-8, 0.5}, // both almost vertical
    };
    for (const Case &c : cases) {
        point2d out = pt(-99, -99);
        ASSERT_EQ(segment2d_intersect(&c.s, &c.t, &out), 1);
        EXPECT_NEAR(out.x, c.x, 1e-9);
        EXPECT_NEAR(out.y, c.y, 1e-9);
    }
}

TEST(GeometrySegmentIntersect, CrossingWithoutOutPointStillCounts)
{
    segment2d s = seg(0, 0, 4, 4), t = seg(0, 4, 4, 0);
    EXPECT_EQ(segment2d_intersect(&s, &t, nullptr), 1);
}

TEST(GeometrySegmentIntersect, OneSharedEndGivesTwoAndLeavesOutAlone)
{
    segment2d s = seg(0, 0, 1, 1);
    segment2d touching[] = {seg(1, 1, 2, 0), seg(3, 3, 1, 1), seg(0, 0, -1, 5),
                            seg(1, 1, 2, 2) /* collinear continuation */,
                            seg(1 + 1e-13, 1 - 1e-13, 2, 0)};
    for (const segment2d &t : touching) {
        point2d out = pt(-99, -99);
        EXPECT_EQ(segment2d_intersect(&s, &t, &out), 2);
        EXPECT_EQ(out.x, -99);
        EXPECT_EQ(out.y, -99);
    }
}

TEST(GeometrySegmentIntersect, SameSegmentEitherWayGivesFour)
{
    segment2d s = seg(0, 0, 3, 1), reversed = seg(3, 1, 0, 0);
    point2d out = pt(-99, -99);
    EXPECT_EQ(segment2d_intersect(&s, &s, &out), 4);
    EXPECT_EQ(segment2d_intersect(&s, &reversed, &out), 4);
    EXPECT_EQ(out.x, -99);
}

TEST(GeometrySegmentIntersect, ApartParallelOrCollinearGiveZero)
{
    segment2d s = seg(0, 0, 4, 4);
    segment2d apart[] = {
        seg(3, 0, 4, 2),   // boxes overlap, lines meet beyond the ends
        seg(5, 0, 6, 9),   // x ranges apart
        seg(0, 6, 4, 9),   // above
        seg(0, -6, 4, -1), // below
        seg(1, 0, 5, 4),   // parallel
        seg(2, 2, 6, 6),   // collinear overlap without a shared end
        seg(5, 5, 6, 6),   // collinear, apart
    };
    for (const segment2d &t : apart) {
        point2d out = pt(-99, -99);
        EXPECT_EQ(segment2d_intersect(&s, &t, &out), 0);
        EXPECT_EQ(segment2d_intersect(&t, &s, &out), 0);
        EXPECT_EQ(out.x, -99);
    }
}

TEST(GeometrySegmentIntersect, VerticalSegments)
{
    segment2d up = seg(2, 0, 2, 4);
    segment2d parallel = seg(3, 0, 3, 4), collinear = seg(2, 1, 2, 6), across = seg(0, 3, 4, 3);
    point2d out = pt(-99, -99);
    EXPECT_EQ(segment2d_intersect(&up, &parallel, &out), 0);
    EXPECT_EQ(segment2d_intersect(&up, &collinear, &out), 0);
    ASSERT_EQ(segment2d_intersect(&up, &across, &out), 1);
    EXPECT_DOUBLE_EQ(out.x, 2);
    EXPECT_DOUBLE_EQ(out.y, 3);
}

TEST(GeometryPointOnSegment, OnlyPointsOnTheSegmentBetweenItsEnds)
{
    segment2d s = seg(0, 0, 4, 2);
    point2d on[] = {pt(2, 1), pt(0, 0), pt(4, 2), pt(1, 0.5 + 1e-7)};
    point2d off[] = {pt(6, 3), pt(-2, -1), pt(2, 1.001), pt(0, 1), pt(4 + 1e-3, 2 + 5e-4)};
    for (const point2d &p : on)
        EXPECT_EQ(point2d_on_segment(&p, &s), 1) << p.x << "," << p.y;
    for (const point2d &p : off)
        EXPECT_EQ(point2d_on_segment(&p, &s), 0) << p.x << "," << p.y;
}

TEST(GeometryPointOnSegment, DegenerateSegmentIsItsPoint)
{
    segment2d s = seg(1, 1, 1, 1);
    point2d same = pt(1, 1), near = pt(1 + 5e-7, 1), other = pt(1.1, 1);
    EXPECT_EQ(point2d_on_segment(&same, &s), 1);
    EXPECT_EQ(point2d_on_segment(&near, &s), 1);
    EXPECT_EQ(point2d_on_segment(&other, &s), 0);
}

// ---- vectors and lines ------------------------------------------------------------

TEST(GeometryVector, CrossIsPositiveForALeftTurn)
{
    vector2d east = pt(3, 0), north = pt(0, 4), sum;
    vector2d_add(&east, &north, &sum);
    EXPECT_DOUBLE_EQ(vector2d_length(&sum), 5);
    EXPECT_DOUBLE_EQ(vector2d_cross(&east, &north), 12);
    EXPECT_DOUBLE_EQ(vector2d_cross(&north, &east), -12);
    EXPECT_DOUBLE_EQ(vector2d_plot(&east, &north), 0);
    vector2d_scale(&sum, -2);
    EXPECT_DOUBLE_EQ(sum.x, -6);
    EXPECT_DOUBLE_EQ(sum.y, -8);
}

TEST(GeometryLine, IntersectionOfCrossingLines)
{
    line2d diagonal, anti;
    line2d_init(&diagonal, 1, -1, 0); // y = x
    line2d_init(&anti, 1, 1, -4);     // x + y = 4
    point2d out = pt(-99, -99);
    ASSERT_EQ(line2d_intersect(&diagonal, &anti, &out), 1);
    EXPECT_DOUBLE_EQ(out.x, 2);
    EXPECT_DOUBLE_EQ(out.y, 2);
}

TEST(GeometryLine, ParallelLinesGiveZeroAndLeaveOutAlone)
{
    line2d a, b;
    line2d_init(&a, 2, 2, 1);
    line2d_init(&b, 1, 1, -3);
    point2d out = pt(-99, -99);
    EXPECT_EQ(line2d_intersect(&a, &b, &out), 0);
    EXPECT_EQ(line2d_intersect(&a, &a, &out), 0);
    EXPECT_EQ(out.x, -99);
    EXPECT_EQ(out.y, -99);
}

TEST(GeometryLine, ProjectionIsTheFootOfThePerpendicular)
{
    line2d diagonal;
    line2d_init(&diagonal, 1, -1, 0);
    point2d p = pt(2, 0), foot = pt(-99, -99);
    point_proj_on_line2d(&p, &diagonal, &foot);
    EXPECT_NEAR(foot.x, 1, 1e-12);
    EXPECT_NEAR(foot.y, 1, 1e-12);

    line2d shifted; // y = 3, written as 0 x + 2 y - 6 = 0
    line2d_init(&shifted, 0, 2, -6);
    point2d q = pt(5, -1);
    point_proj_on_line2d(&q, &shifted, &foot);
    EXPECT_NEAR(foot.x, 5, 1e-12);
    EXPECT_NEAR(foot.y, 3, 1e-12);
}

TEST(GeometryLine, ProjectionOnADegenerateLineWritesNothing)
{
    line2d none;
    line2d_init(&none, 0, 0, 5);
    point2d p = pt(2, 0), foot = pt(-99, -99);
    point_proj_on_line2d(&p, &none, &foot);
    EXPECT_EQ(foot.x, -99);
    EXPECT_EQ(foot.y, -99);
}

TEST(GeometryLine, DistanceIsSignedBySide)
{
    line2d diagonal;
    line2d_init(&diagonal, 2, -2, 0); // y = x, coefficients not normalised
    point2d below = pt(2, 0), above = pt(0, 2), on = pt(3, 3);
    EXPECT_NEAR(point_to_line2d(&below, &diagonal), std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(point_to_line2d(&above, &diagonal), -std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(point_to_line2d(&on, &diagonal), 0, 1e-12);
}

TEST(GeometryLine, MidPerpendicularSplitsTheSegment)
{
    point2d p = pt(0, 0), q = pt(4, 2), mid = pt(2, 1), away = pt(2 - 1, 1 + 2);
    line2d bisector;
    line2d_init_mid_perpend(&bisector, &p, &q);
    double half = point2d_dist(&p, &q) / 2;
    EXPECT_NEAR(point_to_line2d(&mid, &bisector), 0, 1e-12);
    EXPECT_NEAR(point_to_line2d(&away, &bisector), 0, 1e-12);
    EXPECT_NEAR(point_to_line2d(&q, &bisector), half, 1e-12);
    EXPECT_NEAR(point_to_line2d(&p, &bisector), -half, 1e-12);
}

// ---- polygons -------------------------------------------------------------------

TEST(GeometryPolygonInit, CopiesTheCoordinates)
{
    Outline triangle({0, 4, 2}, {0, 0, 3});
    ASSERT_EQ(triangle.polygon.count, 3);
    EXPECT_EQ(triangle.polygon.points[2].x, 2);
    EXPECT_EQ(triangle.polygon.points[2].y, 3);
}

TEST(GeometryPolygonInit, EmptyAndNegativeCounts)
{
    polygon2d polygon{7, nullptr};
    EXPECT_EQ(polygon2d_init(&polygon, -1, nullptr, nullptr), -1);
    EXPECT_EQ(polygon.count, 7);
    EXPECT_EQ(polygon2d_init(&polygon, 0, nullptr, nullptr), 0);
    EXPECT_EQ(polygon.count, 0);
    EXPECT_EQ(polygon.points, nullptr);
    point2d p = pt(0, 0);
    EXPECT_EQ(point_in_polygon2d(&p, &polygon), kOutsideNoCrossing);
}

TEST(GeometryPointInPolygon, SquareInsideOutsideAndBoundary)
{
    Outline sq = square(0, 0, 4);
    EXPECT_EQ(sq.where(2, 2), kInside);
    EXPECT_EQ(sq.where(-1, 2), kOutsideEvenCrossings);
    EXPECT_EQ(sq.where(5, 2), kOutsideNoCrossing);
    EXPECT_EQ(sq.where(2, 5), kOutsideNoCrossing);
    EXPECT_EQ(sq.where(4, 2), kOnBoundary);            // vertical edge
    EXPECT_EQ(sq.where(2, 0), kOnBoundary);            // horizontal edge
    EXPECT_EQ(sq.where(4, 4), kOnBoundary);            // vertex
    EXPECT_EQ(sq.where(4 + 5e-7, 4 - 5e-7), kOnBoundary); // within tolerance of a vertex
    EXPECT_EQ(sq.where(-1, 0), kOutsideNoCrossing);    // ray along the bottom edge
    EXPECT_EQ(sq.where(-1, 4), kOutsideNoCrossing);    // ray along the top edge
}

TEST(GeometryPointInPolygon, RayThroughAVertexCountsOnlyACrossing)
{
    Outline diamond({2, 4, 2, 0}, {0, 2, 4, 2});
    EXPECT_EQ(diamond.where(1, 2), kInside);                 // crosses at (4, 2)
    EXPECT_EQ(diamond.where(-1, 2), kOutsideEvenCrossings);  // crosses at (0, 2) and (4, 2)
    EXPECT_EQ(diamond.where(-1, 4), kOutsideNoCrossing);     // touches the top from below

    // A notch from above whose tip (3, 2) the ray touches without crossing.
    Outline notched({0, 6, 6, 4, 3, 2, 0}, {0, 0, 4, 4, 2, 4, 4});
    EXPECT_EQ(notched.where(1, 2), kInside);
    EXPECT_EQ(notched.where(3, 3), kOutsideEvenCrossings);
}

TEST(GeometryPointInPolygon, HorizontalEdgesAtTheRayHeight)
{
    // A step: the ray at y = 2 runs along (4,2)-(6,2) and passes through.
    Outline step({0, 4, 4, 6, 6, 0}, {0, 0, 2, 2, 4, 4});
    EXPECT_EQ(step.where(1, 2), kInside);
    EXPECT_EQ(step.where(-1, 2), kOutsideEvenCrossings);
    EXPECT_EQ(step.where(5, 2), kOnBoundary);
    EXPECT_EQ(step.where(7, 2), kOutsideNoCrossing);

    // A flat-bottomed notch from above: the ray runs along its floor and
    // comes back out on the same side, so it does not cross there.
    Outline notch({0, 6, 6, 4, 4, 2, 2, 0}, {0, 0, 4, 4, 2, 2, 4, 4});
    EXPECT_EQ(notch.where(1, 2), kInside);
    EXPECT_EQ(notch.where(-1, 2), kOutsideEvenCrossings);
    EXPECT_EQ(notch.where(3, 2), kOnBoundary);

    // The same notch listed so that its floor wraps past the last index.
    Outline wrapped({2, 2, 0, 0, 6, 6, 4, 4}, {2, 4, 4, 0, 0, 4, 4, 2});
    EXPECT_EQ(wrapped.where(1, 2), kInside);
    EXPECT_EQ(wrapped.where(-1, 2), kOutsideEvenCrossings);
    EXPECT_EQ(wrapped.where(3, 2), kOnBoundary);
}

TEST(GeometryPointInPolygon, ConcavePolygon)
{
    Outline ell({0, 4, 4, 1, 1, 0}, {0, 0, 1, 1, 4, 4});
    EXPECT_EQ(ell.where(0.5, 2), kInside);
    EXPECT_EQ(ell.where(2, 0.5), kInside);
    EXPECT_EQ(ell.where(2, 2), kOutsideNoCrossing);
    EXPECT_EQ(ell.where(-1, 2), kOutsideEvenCrossings);
    EXPECT_EQ(ell.where(2, 1), kOnBoundary);  // inner horizontal edge
    EXPECT_EQ(ell.where(1, 1), kOnBoundary);  // reflex vertex
}

TEST(GeometryPointInPolygon, RepeatedClosingVertexChangesNothing)
{
    Outline open({0, 6, 6, 4, 4, 2, 2, 0}, {0, 0, 4, 4, 2, 2, 4, 4});
    Outline closed({0, 6, 6, 4, 4, 2, 2, 0, 0}, {0, 0, 4, 4, 2, 2, 4, 4, 0});
    for (double y = -1; y <= 5; y += 0.5)
        for (double x = -1; x <= 7; x += 0.5)
            EXPECT_EQ(closed.where(x, y), open.where(x, y)) << x << "," << y;
}

TEST(GeometryPointInPolygon, NearlyHorizontalEdgeCountsAsAtRayHeight)
{
    // The vertex at (4, 2 + 1e-7) lies at the ray height within tolerance, so
    // the ray from (1, 2) passes the step's run instead of a sliver edge.
    Outline step({0, 4, 4, 6, 6, 0}, {0, 0, 2 + 1e-7, 2, 4, 4});
    EXPECT_EQ(step.where(1, 2), kInside);
    EXPECT_EQ(step.where(5, 2), kOnBoundary);
}

// ---- polygon predicates -----------------------------------------------------

TEST(GeometryPolygonContain, NestedSquaresContain)
{
    Outline outer = square(0, 0, 10), inner = square(2, 2, 2);
    EXPECT_EQ(polygon_contain_polygon2d(&outer.polygon, &inner.polygon), 1);
    EXPECT_EQ(polygon_contain_polygon2d(&inner.polygon, &outer.polygon), 0);
}

TEST(GeometryPolygonContain, BoundaryVerticesCountAsInside)
{
    Outline outer = square(0, 0, 10), corner = square(0, 0, 4);
    EXPECT_EQ(polygon_contain_polygon2d(&outer.polygon, &corner.polygon), 1);
    EXPECT_EQ(polygon_contain_polygon2d(&outer.polygon, &outer.polygon), 1);
}

TEST(GeometryPolygonContain, PartlyOutOrEmptyIsNotContained)
{
    Outline outer = square(0, 0, 10), straddling = square(8, 2, 4), far = square(20, 20, 1);
    polygon2d empty{0, nullptr};
    EXPECT_EQ(polygon_contain_polygon2d(&outer.polygon, &straddling.polygon), 0);
    EXPECT_EQ(polygon_contain_polygon2d(&outer.polygon, &far.polygon), 0);
    EXPECT_EQ(polygon_contain_polygon2d(&outer.polygon, &empty), 0);
}

TEST(GeometryPolygonContain, WindowDraggedEitherWaySelectsTheShapeInside)
{
    // The window's corners in drag order for a drag from right to left.
    Outline window({10, 0, 0, 10}, {0, 0, 10, 10});
    Outline shape({3, 6, 5}, {3, 3, 7});
    EXPECT_EQ(polygon_contain_polygon2d(&window.polygon, &shape.polygon), 1);
}

TEST(GeometryPolygonCrash, OnlyCrossingEdgesCrash)
{
    Outline a = square(0, 0, 4);
    Outline neighbour = square(4, 0, 4), overlapping = square(2, 2, 4);
    Outline apart = square(10, 10, 1), inside = square(1, 1, 2);
    EXPECT_EQ(polygon_crash_polygon2d(&a.polygon, &neighbour.polygon), 0);
    EXPECT_EQ(polygon_crash_polygon2d(&neighbour.polygon, &a.polygon), 0);
    EXPECT_EQ(polygon_crash_polygon2d(&a.polygon, &a.polygon), 0);
    EXPECT_EQ(polygon_crash_polygon2d(&a.polygon, &overlapping.polygon), 1);
    EXPECT_EQ(polygon_crash_polygon2d(&overlapping.polygon, &a.polygon), 1);
    EXPECT_EQ(polygon_crash_polygon2d(&a.polygon, &apart.polygon), 0);
    EXPECT_EQ(polygon_crash_polygon2d(&a.polygon, &inside.polygon), 0);
}

} // namespace
