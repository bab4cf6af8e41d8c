#include "road.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using test_roads::Road;

vertical_element_t vstart(double chainage, double elevation, double percent)
{
    vertical_element_t e{};
    e.type = VERTICAL_START;
    e.start_chainage = chainage;
    e.start_elevation = elevation;
    e.start_grade = atan(percent / 100);
    return e;
}

vertical_element_t grade(double length, double percent = 0)
{
    vertical_element_t e{};
    e.type = VERTICAL_GRADE;
    e.length = length;
    e.start_grade = atan(percent / 100);
    return e;
}

vertical_element_t curve(double length, double radius, int turn)
{
    vertical_element_t e{};
    e.type = VERTICAL_CURVE;
    e.length = length;
    e.radius = radius;
    e.turn = turn;
    return e;
}

void append(road_t *road, const vertical_element_t &e)
{
    road_insert_vertical(road, &e, road_number_vertical(road));
}

TEST(VerticalAlignment, GradeLineRisesByItsGrade)
{
    Road r;
    append(r.get(), vstart(100, 50, 2));
    append(r.get(), grade(100));
    road_apply_vertical(r.get());
    double z, g;
    EXPECT_EQ(road_l2h(r.get(), 150, &z, &g), 1);
    EXPECT_NEAR(z, 51.0, 1e-9);
    EXPECT_NEAR(tan(g), 0.02, 1e-12);
    EXPECT_EQ(road_l2h(r.get(), 150, nullptr, nullptr), 1);
}

TEST(VerticalAlignment, ChainingOverwritesTheGradeWrittenIntoAGradeLine)
{
    Road r;
    append(r.get(), vstart(0, 10, -1.5));
    append(r.get(), grade(40, 9));
    road_apply_vertical(r.get());
    const vertical_element_t *g = road_vertical(r.get(), 1);
    EXPECT_NEAR(tan(g->start_grade), -0.015, 1e-12);
    EXPECT_NEAR(g->end_elevation, 10 - 0.6, 1e-9);
    EXPECT_GT(g->end_grade, M_PI) << "a falling grade is kept near 2 pi";
    EXPECT_DOUBLE_EQ(g->end_chainage, 40);
}

TEST(VerticalAlignment, BeforeAndPastTheProfileFollowTheEndTangents)
{
    Road r;
    append(r.get(), vstart(1000, 20, 3));
    append(r.get(), grade(200));
    append(r.get(), curve(100, 4000, 0));
    road_apply_vertical(r.get());
    double z, g;
    EXPECT_EQ(road_l2h(r.get(), 900, &z, &g), 0);
    EXPECT_NEAR(z, 17, 1e-9);
    const vertical_element_t *last = road_vertical(r.get(), 2);
    EXPECT_EQ(road_l2h(r.get(), 1400, &z, &g), 2);
    EXPECT_NEAR(z, last->end_elevation + 100 * tan(last->end_grade), 1e-9);
    EXPECT_DOUBLE_EQ(g, last->end_grade);
}

// A vertical curve is a circle of radius R touching the start tangent at the
// start point, with its centre on the tangent's normal: below it for a crest,
// above it for a sag.  Over a short stretch it is close to the parabola
// z0 + x tan g0 -+ x^2 / 2R.
TEST(VerticalAlignment, CrestAndSagCurvesBendTheRightWay)
{
    for (int turn : {0, 1}) {
        Road r;
        append(r.get(), vstart(0, 100, 4));
        append(r.get(), grade(50));
        append(r.get(), curve(160, 2000, turn));
        append(r.get(), grade(50));
        road_apply_vertical(r.get());
        double sign = turn == 0 ? -1 : 1, g0 = atan(0.04);
        double cs = 50 - sign * 2000 * sin(g0), cz = 102 + sign * 2000 * cos(g0);
        for (double x : {0.0, 40.0, 80.0, 160.0}) {
            double z, g;
            EXPECT_EQ(road_l2h(r.get(), 50 + x, &z, &g), x == 0 ? 1 : 2);
            EXPECT_NEAR(hypot(50 + x - cs, z - cz), 2000, 1e-7) << "turn " << turn << " x " << x;
            EXPECT_EQ(z < cz, turn == 1) << "a sag lies below its centre, a crest above";
            EXPECT_NEAR(z, 102 + 0.04 * x + sign * x * x / 4000, 0.05);
            // The tangent of the circle is perpendicular to its radius.
            EXPECT_NEAR(tan(g) * (z - cz) + (50 + x - cs), 0, 1e-6);
        }
        const vertical_element_t *after = road_vertical(r.get(), 3);
        EXPECT_DOUBLE_EQ(after->start_grade, road_vertical(r.get(), 2)->end_grade);
    }
}

TEST(VerticalAlignment, ShortProfilesGapsAndStaleElements)
{
    Road r;
    EXPECT_EQ(road_l2h(r.get(), 0, nullptr, nullptr), -1);
    append(r.get(), vstart(0, 5, 0));
    EXPECT_EQ(road_l2h(r.get(), 0, nullptr, nullptr), -1);
    append(r.get(), grade(100));
    append(r.get(), grade(100));
    road_apply_vertical(r.get());
    vertical_element_t shorter = *road_vertical(r.get(), 1);
    shorter.length = 50;
    road_modify_vertical(r.get(), &shorter, 1);
    EXPECT_EQ(road_vertical(r.get(), 2)->start_chainage, 100) << "stale until chained again";
    road_apply_vertical(r.get());
    EXPECT_EQ(road_vertical(r.get(), 2)->start_chainage, 50);
    EXPECT_EQ(road_l2h(r.get(), 75, nullptr, nullptr), 2);
    vertical_element_t later = *road_vertical(r.get(), 2);
    later.start_chainage = 80;
    road_modify_vertical(r.get(), &later, 2);
    EXPECT_EQ(road_l2h(r.get(), 65, nullptr, nullptr), -1) << "a chainage in the gap";
}

TEST(VerticalAlignment, ACurveLongerThanItsCircleAllowsGivesNoNaN)
{
    Road r;
    append(r.get(), vstart(0, 0, 0));
    append(r.get(), curve(500, 100, 0));
    road_apply_vertical(r.get());
    double z;
    road_l2h(r.get(), 300, &z, nullptr);
    EXPECT_FALSE(std::isnan(z));
}

} // namespace
