#include "road.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace test_roads;

constexpr double kTight = 1e-6;

// Independent check of a spiral: Simpson's rule on the turn angle
// c0 t + (c1 - c0) t^2 / (2 L), in the start frame.
void spiral_by_simpson(double c0, double c1, double length, double t, double *u, double *v)
{
    const int steps = 20000;
    double h = t / steps, su = 0, sv = 0;
    for (int i = 0; i <= steps; i++) {
        double tau = i * h, theta = c0 * tau + (c1 - c0) * tau * tau / (2 * length);
        double w = (i == 0 || i == steps) ? 1 : (i % 2 ? 4 : 2);
        su += w * cos(theta);
        sv += w * sin(theta);
    }
    *u = su * h / 3;
    *v = sv * h / 3;
}

TEST(HorizonChaining, LinesCirclesAndSpiralsJoinEndToEnd)
{
    Road r;
    append(r.get(), start_point(100, 200, M_PI / 2, 1000));
    append(r.get(), line(50));
    append(r.get(), circle(M_PI / 2 * 30, 30, 0));
    append(r.get(), transition(40, 0, 80, 1));
    road_apply_horizon(r.get());

    const horizon_element_t *l = road_horizon(r.get(), 1);
    EXPECT_NEAR(l->end_x, 100, kTight);
    EXPECT_NEAR(l->end_y, 250, kTight);
    EXPECT_DOUBLE_EQ(l->start_chainage, 1000);

    // A quarter circle turning left (azimuth decreasing) from heading +Y
    // ends heading +X, 30 m further along and 30 m to the side.
    const horizon_element_t *c = road_horizon(r.get(), 2);
    EXPECT_DOUBLE_EQ(c->start_chainage, 1050);
    EXPECT_NEAR(c->end_x, 130, kTight);
    EXPECT_NEAR(c->end_y, 280, kTight);
    EXPECT_NEAR(c->end_azimuth, 0, kTight);

    const horizon_element_t *s = road_horizon(r.get(), 3);
    EXPECT_NEAR(s->start_chainage, 1050 + M_PI / 2 * 30, 1e-9);
    EXPECT_NEAR(s->end_azimuth, 40.0 / (2 * 80), 1e-12) << "a spiral from straight turns by L / 2R";
    double u, v;
    spiral_by_simpson(0, 1.0 / 80, 40, 40, &u, &v);
    EXPECT_NEAR(s->end_x, 130 + u, 1e-9);
    EXPECT_NEAR(s->end_y, 280 + v, 1e-9);
}

TEST(HorizonChaining, SpiralBetweenTwoRadiiAndLeftHandSpirals)
{
    Road r;
    append(r.get(), start_point(0, 0, 1.0, 0));
    append(r.get(), transition(60, 200, 50, 0));
    road_apply_horizon(r.get());
    const horizon_element_t *s = road_horizon(r.get(), 1);
    double u, v;
    spiral_by_simpson(1.0 / 200, 1.0 / 50, 60, 60, &u, &v);
    // Turning left mirrors the start frame's cross axis.
    EXPECT_NEAR(s->end_x, u * cos(1.0) + v * sin(1.0), 1e-9);
    EXPECT_NEAR(s->end_y, u * sin(1.0) - v * cos(1.0), 1e-9);
    EXPECT_NEAR(s->end_azimuth, 1.0 - 60 * (1.0 / 200 + 1.0 / 50) / 2, 1e-12);
}

TEST(HorizonChaining, ASpiralWithZeroStartRadiusStartsStraight)
{
    Road r;
    append(r.get(), start_point(0, 0, 0, 0));
    append(r.get(), transition(30, 0, 100, 1));
    road_apply_horizon(r.get());
    double x, y, a;
    road_l2xy(r.get(), 1e-3, &x, &y, &a);
    EXPECT_NEAR(a, 0, 1e-7);
    EXPECT_NEAR(y, 0, 1e-9);
}

TEST(HorizonChaining, KeepsCallerFieldsAndNormalizesTheStartPoint)
{
    Road r;
    horizon_element_t start = start_point(5, 6, 0.3, 12);
    start.length = 99;
    start.radius = 7;
    append(r.get(), start);
    append(r.get(), circle(20, 40, 1));
    road_apply_horizon(r.get());
    const horizon_element_t *s = road_horizon(r.get(), 0);
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->radius, 0);
    EXPECT_EQ(s->end_x, 5);
    EXPECT_EQ(s->end_azimuth, 0.3);
    EXPECT_EQ(s->start_chainage, 12);
    const horizon_element_t *c = road_horizon(r.get(), 1);
    EXPECT_EQ(c->length, 20);
    EXPECT_EQ(c->radius, 40);
    EXPECT_EQ(c->direction, 1);
    EXPECT_NEAR(c->end_azimuth, 0.3 + 0.5, 1e-12);
}

TEST(HorizonChaining, TheRealAlignmentEndsAtItsStatedChainage)
{
    Road r;
    five_element_alignment(r.get());
    const horizon_element_t *last = road_horizon(r.get(), 5);
    EXPECT_NEAR(last->start_chainage + last->length, 179.14161859, 1e-8);
    // The curve turns right by 2 * 35 / (2 * 54) + 50.304 / 54 radians.
    double turn = 35.0 / 54 + 50.30392997 / 54;
    double expected = fmod(6.252194703415 + turn, 2 * M_PI);
    EXPECT_NEAR(last->end_azimuth, expected, 1e-9);
}

TEST(ChainageToPlane, BeforeAndPastTheRoadFollowTheEndTangents)
{
    Road r;
    five_element_alignment(r.get());
    double x, y, a;
    ASSERT_EQ(road_l2xy(r.get(), -10, &x, &y, &a), 0);
    EXPECT_NEAR(x, 41801.83399 - 10 * cos(6.252194703415), kTight);
    EXPECT_NEAR(y, 36973.58929 - 10 * sin(6.252194703415), kTight);
    const horizon_element_t *last = road_horizon(r.get(), 5);
    ASSERT_EQ(road_l2xy(r.get(), 200, &x, &y, &a), 5);
    double beyond = 200 - 179.14161859;
    EXPECT_NEAR(x, last->end_x + beyond * cos(last->end_azimuth), kTight);
    EXPECT_NEAR(y, last->end_y + beyond * sin(last->end_azimuth), kTight);
    EXPECT_DOUBLE_EQ(a, last->end_azimuth);
}

TEST(ChainageToPlane, ReportsTheElementAndRefusesGapsAndShortRoads)
{
    Road r;
    EXPECT_EQ(road_l2xy(r.get(), 0, nullptr, nullptr, nullptr), -1);
    append(r.get(), start_point(0, 0, 0, 0));
    EXPECT_EQ(road_l2xy(r.get(), 0, nullptr, nullptr, nullptr), -1);
    Road real;
    five_element_alignment(real.get());
    EXPECT_EQ(road_l2xy(real.get(), 10, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(road_l2xy(real.get(), 50, nullptr, nullptr, nullptr), 2);
    EXPECT_EQ(road_l2xy(real.get(), 100, nullptr, nullptr, nullptr), 3);
    EXPECT_EQ(road_l2xy(real.get(), 140, nullptr, nullptr, nullptr), 4);
    EXPECT_EQ(road_l2xy(real.get(), 170, nullptr, nullptr, nullptr), 5);
    // Without chaining again, a longer element leaves a gap behind it.
    horizon_element_t shorter = *road_horizon(real.get(), 3);
    shorter.length -= 10;
    road_modify_horizon(real.get(), &shorter, 3);
    EXPECT_EQ(road_l2xy(real.get(), 115, nullptr, nullptr, nullptr), -1);
}

TEST(ChainageToPlane, OffsetGoesToTheLeftOfTravel)
{
    Road r;
    append(r.get(), start_point(0, 0, 0, 0));
    append(r.get(), line(100));
    road_apply_horizon(r.get());
    double x, y, a;
    EXPECT_EQ(road_lo2xy(r.get(), 40, 3, &x, &y, &a), 0);
    EXPECT_NEAR(x, 40, kTight);
    EXPECT_NEAR(y, 3, kTight);
    EXPECT_EQ(a, 0);
    Road empty;
    EXPECT_EQ(road_lo2xy(empty.get(), 40, 3, &x, &y, &a), 0) << "an empty road answers around the origin";
    EXPECT_NEAR(y, 3, kTight);
}

// Round trip chainage/offset -> plane -> chainage/offset along a whole road.
void expect_round_trips(road_t *road, double from, double to, std::initializer_list<double> offsets)
{
    int failures = 0;
    for (double s = from; s <= to && failures < 5; s += 0.37) {
        for (double o : offsets) {
            double x, y, a, back_s, fx, fy, fa, back_o;
            road_lo2xy(road, s, o, &x, &y, &a);
            int element = road_xy2l(road, x, y, &back_s, &fx, &fy, &fa, &back_o);
            double cx, cy, ca;
            road_l2xy(road, s, &cx, &cy, &ca);
            bool ok = element > 0 && fabs(back_s - s) < 1e-6 && fabs(back_o - o) < 1e-6 &&
                      fabs(fx - cx) < 1e-6 && fabs(fy - cy) < 1e-6 &&
                      fabs(remainder(fa - ca, 2 * M_PI)) < 1e-9;
            if (!ok) {
                ADD_FAILURE() << "s " << s << " o " << o << ": element " << element << " chainage "
                              << back_s << " offset " << back_o;
                failures++;
            }
        }
    }
}

TEST(PlaneToChainage, RoundTripsOnTheRealAlignment)
{
    Road r;
    five_element_alignment(r.get());
    expect_round_trips(r.get(), 0, 179.14, {-20.0, -3.5, 0.0, 0.01, 4.0, 25.0});
}

TEST(PlaneToChainage, RoundTripsWhereTheAzimuthCrossesNorth)
{
    Road r;
    road_across_north(r.get());
    const horizon_element_t *last = road_horizon(r.get(), road_number_horizon(r.get()) - 1);
    expect_round_trips(r.get(), 100, last->start_chainage + last->length, {-30.0, -1.0, 0.0, 2.0, 30.0});
}

TEST(PlaneToChainage, FindsPointsBesideEveryElementType)
{
    Road r;
    five_element_alignment(r.get());
    const int types[] = {HORIZON_LINE, HORIZON_TRANSITION, HORIZON_CIRCLE, HORIZON_TRANSITION, HORIZON_LINE};
    const double inside[] = {18, 54, 96, 140, 170};
    for (int i = 0; i < 5; i++) {
        for (double o : {-6.0, 6.0}) {
            double x, y, s, off;
            road_lo2xy(r.get(), inside[i], o, &x, &y, nullptr);
            EXPECT_EQ(road_xy2l(r.get(), x, y, &s, nullptr, nullptr, nullptr, &off), i + 1);
            EXPECT_EQ(road_horizon(r.get(), i + 1)->type, types[i]);
            EXPECT_NEAR(s, inside[i], 1e-6);
            EXPECT_NEAR(off, o, 1e-6);
        }
    }
}

TEST(PlaneToChainage, PointsJustBeyondEitherEndAreStillFound)
{
    Road r;
    five_element_alignment(r.get());
    double x, y, s, off;
    road_lo2xy(r.get(), -30, 2, &x, &y, nullptr);
    EXPECT_EQ(road_xy2l(r.get(), x, y, &s, nullptr, nullptr, nullptr, &off), 1);
    EXPECT_NEAR(s, -30, 1e-6);
    EXPECT_NEAR(off, 2, 1e-6);
    road_lo2xy(r.get(), 200, -2, &x, &y, nullptr);
    EXPECT_EQ(road_xy2l(r.get(), x, y, &s, nullptr, nullptr, nullptr, &off), 5);
    EXPECT_NEAR(s, 200, 1e-6);
    EXPECT_NEAR(off, -2, 1e-6);
    EXPECT_EQ(road_xy2l(r.get(), 0, 0, &s, nullptr, nullptr, nullptr, &off), -1) << "far away";
}

TEST(PlaneToChainage, ARoadEndingInACurveFindsPointsPastItsEnd)
{
    Road r;
    append(r.get(), start_point(0, 0, 0, 0));
    append(r.get(), line(50));
    append(r.get(), circle(M_PI / 2 * 40, 40, 1));
    road_apply_horizon(r.get());
    // The curve ends heading +Y at (90, 40); a point 5 m further on.
    double s, off;
    EXPECT_EQ(road_xy2l(r.get(), 89, 45, &s, nullptr, nullptr, nullptr, &off), 2);
    EXPECT_GT(s, 50 + M_PI / 2 * 40);
}

// The end is pushed out along the direction the road leaves in: pushed along
// the curve's start direction instead, a curve of more than a quarter turn
// would lose points on its own last metres.
TEST(PlaneToChainage, ARoadEndingInACurveOfAnyTurnFindsPointsUpToAndPastItsEnd)
{
    for (double turn : {30.0, 90.0, 120.0, 150.0}) {
        Road r;
        append(r.get(), start_point(0, 0, 0, 0));
        append(r.get(), line(50));
        append(r.get(), circle(turn * M_PI / 180 * 40, 40, 1));
        road_apply_horizon(r.get());
        double end = 50 + turn * M_PI / 180 * 40;
        for (double along : {-20.0, -1.0, 0.0, 3.0}) {
            for (double o : {-3.0, 0.0, 3.0}) {
                SCOPED_TRACE(::testing::Message() << "turn " << turn << " at " << along << " from the end, offset " << o);
                double x, y, s, off;
                road_lo2xy(r.get(), end + along, o, &x, &y, nullptr);
                int element = road_xy2l(r.get(), x, y, &s, nullptr, nullptr, nullptr, &off);
                EXPECT_EQ(element, 2);
                if (element != 2)
                    continue;
                if (along > 0) {
                    EXPECT_GT(s, end);
                    continue;
                }
                EXPECT_NEAR(s, end + along, 1e-6);
                EXPECT_NEAR(off, o, 1e-6);
            }
        }
    }
}

TEST(PlaneToChainage, PointsAbreastOfAJointAndAtACurveStartGetTheJointChainage)
{
    Road r;
    append(r.get(), start_point(0, 0, 0, 0));
    append(r.get(), line(100));
    append(r.get(), circle(60, 50, 0));
    append(r.get(), line(100));
    road_apply_horizon(r.get());
    for (double o : {-5.0, 0.0, 5.0}) {
        double s, off;
        int element = road_xy2l(r.get(), 100, o, &s, nullptr, nullptr, nullptr, &off);
        EXPECT_GE(element, 1) << "offset " << o;
        EXPECT_NEAR(s, 100, 1e-9) << "offset " << o;
        EXPECT_NEAR(off, o, 1e-9);
    }
}

TEST(PlaneToChainage, WithTwoElementsOnlyTheSecondIsSearched)
{
    Road r;
    append(r.get(), start_point(10, 10, M_PI / 4, 500));
    append(r.get(), circle(80, 200, 1));
    road_apply_horizon(r.get());
    double x, y, s, off;
    road_lo2xy(r.get(), 540, -7, &x, &y, nullptr);
    EXPECT_EQ(road_xy2l(r.get(), x, y, &s, nullptr, nullptr, nullptr, &off), 1);
    EXPECT_NEAR(s, 540, 1e-6);
    EXPECT_NEAR(off, -7, 1e-6);
    EXPECT_EQ(road_xy2l(r.get(), x, y, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
}

} // namespace

namespace {

TEST(HorizonChaining, AbsurdAzimuthsAndTurnsEndPromptly)
{
    test_roads::Road r;
    test_roads::append(r.get(), test_roads::start_point(0, 0, 1e300, 0));
    test_roads::append(r.get(), test_roads::circle(1e12, 1e-3, 1));
    road_apply_horizon(r.get());
    double a = road_horizon(r.get(), 1)->end_azimuth;
    EXPECT_TRUE(std::isnan(a) || (a >= 0 && a <= 2 * M_PI));
    double s = 0;
    road_xy2l(r.get(), 1, 1, &s, nullptr, nullptr, nullptr, nullptr);
}

} // namespace
