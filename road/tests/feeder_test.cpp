#include "road.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Values = std::array<double, 16>;
using Counts = std::array<int, 4>;

enum { L0, L1, L2, DET0, DET1, DET2, OFF1, OFF2, R1, R2, A1, A2, ALF, E1, E2, E3 };

// A side road joining at right angles on the negative-offset side at
// chainage 100: road edge 5 m out, kerb arcs of radius 15 sweeping 90 degrees
// from chainages 80 and 120, so the side road is 10 m wide.
Values right_angle_junction()
{
    return {100, 80, 120, 10, 10, 10, 5, 5, 15, 15, M_PI / 2, M_PI / 2, M_PI / 2, 0, 0, 0};
}

struct Feeder {
    feeder_t f{};
    int result;
    explicit Feeder(const Values &v = right_angle_junction(), const Counts &n = {2, 2, 2, 2}, int de_type = 0)
        : result(feeder_init(&f, "junction", v.data(), n.data(), de_type))
    {
    }
    ~Feeder() { feeder_final(&f); }
    Feeder(const Feeder &) = delete;
    Feeder &operator=(const Feeder &) = delete;
    int lines() const { return feeder_number_line(&f); }
};

struct Point {
    double x, y;
};

Point outer(const feeder_t &f, int line) { return {f.segments[4 * line], f.segments[4 * line + 1]}; }
Point inner(const feeder_t &f, int line) { return {f.segments[4 * line + 2], f.segments[4 * line + 3]}; }

#define EXPECT_POINT(p, px, py)        \
    do {                               \
        EXPECT_NEAR((p).x, (px), 1e-9); \
        EXPECT_NEAR((p).y, (py), 1e-9); \
    } while (0)

// The elevations a surveyor measured on a plane sloping 1 % along the road
// and 2 % across it: every triangle of the grid reproduces it exactly.
double plane(double x, double y) { return 50 + 0.01 * x + 0.02 * y; }

void measure_plane(feeder_t *f, int positions)
{
    for (int line = 0; line < feeder_number_line(f); line++) {
        for (int k = 0; k < positions; k++)
            ASSERT_EQ(feeder_insert_elevation(f, line, k, 0.0), 0);
        for (int k = 0; k < positions; k++) {
            double x, y;
            ASSERT_EQ(feeder_coord(f, line, k, &x, &y), 0);
            ASSERT_EQ(feeder_modify_elevation(f, line, k, plane(x, y)), 0);
        }
    }
}

// ---- construction -----------------------------------------------------------

TEST(FeederInit, LineCountFollowsCountsCapsAndExtensions)
{
    EXPECT_EQ(Feeder().lines(), 2 + 2 + 2 + 2 + 2);

    Feeder uneven(right_angle_junction(), {2, 2, 3, 5});
    EXPECT_EQ(uneven.lines(), 2 + 2 + 3 + 5 + 2 + 3);
    EXPECT_EQ(uneven.f.arc1_extension, 3);
    EXPECT_EQ(uneven.f.arc2_extension, 0);

    Values v = right_angle_junction();
    v[E1] = 4;
    v[E2] = 8;
    v[E3] = -3;
    Feeder all_set(v, {3, 4, 3, 4});
    EXPECT_EQ(all_set.lines(), 3 + 4 + 3 + 4 + 6);
    EXPECT_EQ(all_set.f.start_cap, 1);
    EXPECT_EQ(all_set.f.end_cap, 1);
    for (int line = 0; line < all_set.lines(); line++)
        EXPECT_EQ(feeder_number_elevation(&all_set.f, line), 0);
    EXPECT_EQ(feeder_number_elevation(&all_set.f, all_set.lines()), -1);
}

TEST(FeederInit, RefusesCountsBelowOneWithoutTouchingTheRecord)
{
    feeder_t f;
    std::memset(&f, 0x5a, sizeof f);
    feeder_t before = f;
    Values v = right_angle_junction();
    Counts zero = {2, 0, 2, 2}, negative = {2, 2, -1, 2};
    EXPECT_EQ(feeder_init(&f, "x", v.data(), zero.data(), 0), -1);
    EXPECT_EQ(feeder_init(&f, "x", v.data(), negative.data(), 0), -1);
    EXPECT_EQ(std::memcmp(&f, &before, sizeof f), 0);
}

TEST(FeederInit, RefusesAbsurdCountsAndMissingArguments)
{
    feeder_t f{};
    Values v = right_angle_junction();
    Counts huge = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    Counts too_many = {30000, 30000, 30000, 30000};
    EXPECT_EQ(feeder_init(&f, "x", v.data(), huge.data(), 0), -1);
    EXPECT_EQ(feeder_init(&f, "x", v.data(), too_many.data(), 0), -1);
    Counts n = {2, 2, 2, 2};
    EXPECT_EQ(feeder_init(nullptr, "x", v.data(), n.data(), 0), -1);
    EXPECT_EQ(feeder_init(&f, "x", nullptr, n.data(), 0), -1);
    EXPECT_EQ(feeder_init(&f, "x", v.data(), nullptr, 0), -1);
    EXPECT_EQ(f.segments, nullptr);
    EXPECT_EQ(f.elevations, nullptr);
}

TEST(FeederInit, NameIsCutToFitItsTerminator)
{
    Values v = right_angle_junction();
    Counts n = {1, 1, 1, 1};
    std::string longer(100, 'a');
    feeder_t f{};
    ASSERT_EQ(feeder_init(&f, longer.c_str(), v.data(), n.data(), 0), 0);
    EXPECT_EQ(std::strlen(f.name), 63u);
    feeder_final(&f);
    ASSERT_EQ(feeder_init(&f, nullptr, v.data(), n.data(), 0), 0);
    EXPECT_STREQ(f.name, "");
    feeder_final(&f);
    feeder_final(&f); // a second final finds nothing left to free
}

// ---- grid geometry ----------------------------------------------------------

TEST(FeederGrid, FansRunFromTheArcsToTheCentreLineAndTheAxis)
{
    Feeder j;
    ASSERT_EQ(j.result, 0);
    const feeder_t &f = j.f;
    double s45 = 15 * std::sin(M_PI / 4), c45 = 15 * (1 - std::cos(M_PI / 4));
    // First arc, centre (80, 20): two lines to the centre line before l0 ...
    EXPECT_POINT(outer(f, 0), 80, 5);
    EXPECT_POINT(inner(f, 0), 80, 0);
    EXPECT_POINT(inner(f, 1), 90, 0);
    // ... then three to the side road's axis.
    EXPECT_POINT(outer(f, 2), 80 + s45, 5 + c45);
    EXPECT_POINT(inner(f, 2), 100, 0);
    EXPECT_POINT(inner(f, 3), 100, 10);
    EXPECT_POINT(outer(f, 4), 95, 20);
    EXPECT_POINT(inner(f, 4), 100, 20);
    // Second arc, centre (120, 20), mirrored.
    EXPECT_POINT(outer(f, 5), 120, 5);
    EXPECT_POINT(inner(f, 5), 120, 0);
    EXPECT_POINT(inner(f, 6), 110, 0);
    EXPECT_POINT(outer(f, 7), 120 - s45, 5 + c45);
    EXPECT_POINT(inner(f, 7), 100, 0);
    EXPECT_POINT(outer(f, 9), 105, 20);
    EXPECT_POINT(inner(f, 9), 100, 20);
}

TEST(FeederGrid, ZeroAngleJunctionLiesAtPositiveOffsets)
{
    Values v = right_angle_junction();
    v[ALF] = 0;
    Feeder j(v);
    EXPECT_POINT(outer(j.f, 0), 80, -5);
    EXPECT_POINT(outer(j.f, 4), 95, -20);
    // The axis runs along the centre line.
    EXPECT_POINT(inner(j.f, 4), 120, 0);
}

TEST(FeederGrid, RadialGridPutsOuterEndsOnTheArcsFacingTheInnerEnds)
{
    Feeder j(right_angle_junction(), {2, 2, 2, 2}, 1);
    const feeder_t &f = j.f;
    for (int line = 0; line <= 4; line++) {
        Point o = outer(f, line), i = inner(f, line);
        EXPECT_NEAR(std::hypot(o.x - 80, o.y - 20), 15, 1e-9) << line;
        // Centre, outer end and inner end are in one line.
        EXPECT_NEAR((o.x - 80) * (i.y - 20) - (o.y - 20) * (i.x - 80), 0, 1e-9) << line;
    }
    EXPECT_POINT(outer(f, 2), 80 + 15 / std::sqrt(2), 20 - 15 / std::sqrt(2));
    for (int line = 5; line <= 9; line++)
        EXPECT_NEAR(std::hypot(outer(f, line).x - 120, outer(f, line).y - 20), 15, 1e-9) << line;
}

TEST(FeederGrid, UnknownGridTypeLeavesNoStrayPoints)
{
    Feeder j(right_angle_junction(), {2, 2, 2, 2}, 7);
    ASSERT_EQ(j.result, 0);
    for (int line = 0; line < j.lines(); line++) {
        EXPECT_POINT(outer(j.f, line), 0, 0);
        EXPECT_POINT(inner(j.f, line), 0, 0);
    }
}

TEST(FeederGrid, CapsCloseTheGridAtTheOutlineEnds)
{
    Values v = right_angle_junction();
    v[E1] = 4;  // straight stretch of edge before the first arc
    v[E3] = -3; // second arc already 3 m of arc under way at l2
    Feeder j(v);
    const feeder_t &f = j.f;
    ASSERT_EQ(j.lines(), 12);
    EXPECT_POINT(outer(f, 10), 80, 5);
    EXPECT_POINT(inner(f, 10), 80, 0);
    EXPECT_POINT(outer(f, 0), 84, 5);
    // The cut arc passes through l2 exactly where the end cap starts.
    double cut = 3.0 / 15;
    EXPECT_POINT(outer(f, 11), 120, 5 + 15 * (1 - std::cos(cut)));
    EXPECT_POINT(inner(f, 11), 120, 0);
    EXPECT_POINT(outer(f, 5), outer(f, 11).x, outer(f, 11).y);
}

TEST(FeederGrid, ExtensionLinesContinueAlongTheSideRoad)
{
    Values v = right_angle_junction();
    v[E2] = 8;
    Feeder j(v);
    const feeder_t &f = j.f;
    ASSERT_EQ(j.lines(), 12);
    // Both arcs end at right angles: the extensions run along the side
    // road's edges, 8 m past the fans.
    EXPECT_POINT(inner(f, 10), 100, 28);
    EXPECT_POINT(outer(f, 10), 95, 28);
    EXPECT_POINT(inner(f, 11), 100, 28);
    EXPECT_POINT(outer(f, 11), 105, 28);

    Feeder uneven(right_angle_junction(), {2, 2, 2, 3});
    EXPECT_POINT(inner(uneven.f, 11), 100, 30);
    EXPECT_POINT(outer(uneven.f, 11), 95, 30);
}

TEST(FeederGrid, ExtensionOfAnObliqueArcEndsSquareOnItsLastTangent)
{
    Values v = right_angle_junction();
    v[A1] = M_PI / 3;
    Feeder j(v, {2, 2, 2, 3});
    const feeder_t &f = j.f;
    Point e1 = {80 + 15 * std::sin(M_PI / 3), 5 + 15 * (1 - std::cos(M_PI / 3))};
    Point o = outer(f, 11), i = inner(f, 11);
    EXPECT_POINT(i, 100, 30);
    double t = std::tan(M_PI / 3);
    EXPECT_NEAR(o.y - e1.y, t * (o.x - e1.x), 1e-9);          // on the tangent
    EXPECT_NEAR((i.x - o.x) + t * (i.y - o.y), 0, 1e-9);       // square to it
}

TEST(FeederGrid, ExtensionOfAnArcWithoutSweepFallsBackOnTheArcEnd)
{
    Values v = right_angle_junction();
    v[A1] = 0;
    Feeder j(v, {2, 2, 2, 3});
    EXPECT_POINT(outer(j.f, 11), 80, 5);
}

TEST(FeederGrid, ModifyRecomputesAfterAGeometryChange)
{
    Feeder j;
    j.f.off1 = 6;
    EXPECT_EQ(feeder_modify(&j.f), 0);
    EXPECT_POINT(outer(j.f, 0), 80, 6);
}

TEST(FeederGrid, CountsChangedAfterInitAreRefusedInsteadOfOverrun)
{
    Feeder j;
    j.f.n1 = 50;
    EXPECT_EQ(feeder_modify(&j.f), -1);
    EXPECT_EQ(feeder_number_elevation(&j.f, 0), -1);
    EXPECT_EQ(feeder_insert_elevation(&j.f, 20, 0, 1.0), -1);
    double z = 7;
    int flag;
    EXPECT_EQ(feeder_lo2h(&j.f, 90, -3, &z, &flag), -1);
    EXPECT_EQ(flag, 2);
    EXPECT_EQ(z, 7);
    // feeder_final still frees exactly what feeder_init allocated.
}

TEST(FeederGrid, NotANumberGeometryBuildsWithoutFailing)
{
    Values v = right_angle_junction();
    v[R1] = NAN;
    v[L0] = NAN;
    v[R2] = 0;
    v[E3] = -1;
    Feeder j(v);
    ASSERT_EQ(j.result, 0);
    measure_plane(&j.f, 2);
    double z = 7;
    int flag;
    feeder_lo2h(&j.f, 90, -3, &z, &flag);
    EXPECT_EQ(feeder_lo2h(&j.f, NAN, NAN, &z, &flag), -1);
    EXPECT_EQ(flag, 2);
}

// ---- elevation lists --------------------------------------------------------

TEST(FeederElevations, ListsInsertModifyAndRemoveByPosition)
{
    Feeder j;
    feeder_t *f = &j.f;
    EXPECT_EQ(feeder_insert_elevation(f, 3, 0, 10.0), 0);
    EXPECT_EQ(feeder_insert_elevation(f, 3, 1, 12.0), 0); // k = count appends
    EXPECT_EQ(feeder_insert_elevation(f, 3, 1, 11.0), 0);
    EXPECT_EQ(feeder_insert_elevation(f, 3, 4, 13.0), -1);
    EXPECT_EQ(feeder_insert_elevation(f, 3, -1, 13.0), -1);
    ASSERT_EQ(feeder_number_elevation(f, 3), 3);
    EXPECT_EQ(feeder_elevation(f, 3, 0), 10.0);
    EXPECT_EQ(feeder_elevation(f, 3, 1), 11.0);
    EXPECT_EQ(feeder_elevation(f, 3, 2), 12.0);
    EXPECT_EQ(feeder_elevation(f, 3, 3), 1e30);
    EXPECT_EQ(feeder_elevation(f, 99, 0), 1e30);

    EXPECT_EQ(feeder_modify_elevation(f, 3, 1, 11.5), 0);
    EXPECT_EQ(feeder_modify_elevation(f, 3, 3, 1.0), -1);
    EXPECT_EQ(feeder_elevation(f, 3, 1), 11.5);

    EXPECT_EQ(feeder_remove_elevation(f, 3, 3), 34); // k = count: nothing to cut
    EXPECT_EQ(feeder_remove_elevation(f, 3, 4), -1);
    EXPECT_EQ(feeder_number_elevation(f, 3), 3);
    EXPECT_EQ(feeder_remove_elevation(f, 3, 0), 0);
    EXPECT_EQ(feeder_elevation(f, 3, 0), 11.5);

    EXPECT_EQ(feeder_clear_elevation(f, 3), 0);
    EXPECT_EQ(feeder_number_elevation(f, 3), 0);
    EXPECT_EQ(feeder_clear_elevation(f, 3), 34);
    EXPECT_EQ(feeder_clear_elevation(f, -1), 34);
    EXPECT_EQ(feeder_number_elevation(f, 2), 0); // neighbours untouched
}

TEST(FeederElevations, PositionsSpreadFromOuterToInnerEnd)
{
    Feeder j;
    feeder_t *f = &j.f;
    double x, y;
    feeder_insert_elevation(f, 4, 0, 1.0);
    // A lone elevation belongs to the outer end.
    ASSERT_EQ(feeder_coord(f, 4, 0, &x, &y), 0);
    EXPECT_NEAR(x, 95, 1e-9);
    EXPECT_NEAR(y, 20, 1e-9);
    feeder_insert_elevation(f, 4, 1, 2.0);
    feeder_insert_elevation(f, 4, 2, 3.0);
    ASSERT_EQ(feeder_coord(f, 4, 1, &x, &y), 0);
    EXPECT_NEAR(x, 97.5, 1e-9);
    ASSERT_EQ(feeder_coord(f, 4, 2, &x, &y), 0);
    EXPECT_NEAR(x, 100, 1e-9);
    EXPECT_NEAR(y, 20, 1e-9);
    EXPECT_EQ(feeder_coord(f, 4, 3, &x, &y), -1);
    EXPECT_EQ(feeder_coord(f, 4, 0, nullptr, &y), -1);
    EXPECT_EQ(feeder_coord(f, 4, 0, &x, nullptr), -1);
    EXPECT_EQ(feeder_coord(f, 10, 0, &x, &y), -1);
}

TEST(FeederElevations, RoadTableOwnsInsertedFeeders)
{
    road_t road;
    road_init(&road);
    Values v = right_angle_junction();
    Counts n = {2, 2, 2, 2};
    for (int i = 0; i < 3; i++) {
        feeder_t f{};
        ASSERT_EQ(feeder_init(&f, "j", v.data(), n.data(), 0), 0);
        feeder_insert_elevation(&f, 0, 0, 1.0 + i);
        EXPECT_EQ(road_insert_feeder(&road, &f), 0);
    }
    ASSERT_EQ(road_number_feeder(&road), 3);
    EXPECT_EQ(road_remove_feeder(&road, 3), -1);
    EXPECT_EQ(road_remove_feeder(&road, 0), 0);
    EXPECT_EQ(feeder_elevation(road_feeder(&road, 0), 0, 0), 2.0);
    EXPECT_EQ(road_feeder(&road, 2), nullptr);
    EXPECT_EQ(road_clear_feeder(&road), 0);
    EXPECT_EQ(road_number_feeder(&road), 0);
    feeder_t f{};
    ASSERT_EQ(feeder_init(&f, "j", v.data(), n.data(), 0), 0);
    road_insert_feeder(&road, &f);
    road_final(&road); // frees the last feeder's lists
}

// ---- plane tests ------------------------------------------------------------

TEST(FeederInterpolate, TriangleReproducesAPlane)
{
    double xs[3] = {0, 10, 2}, ys[3] = {0, 1, 8};
    double zs[3] = {plane(0, 0), plane(10, 1), plane(2, 8)};
    double z;
    ASSERT_EQ(interpolate(4, 3, xs, ys, zs, &z), 0);
    EXPECT_NEAR(z, plane(4, 3), 1e-12);
    ASSERT_EQ(interpolate(10, 1, xs, ys, zs, &z), 0); // a vertex
    EXPECT_NEAR(z, zs[1], 1e-12);
    ASSERT_EQ(interpolate(5, 0.5, xs, ys, zs, &z), 0); // an edge
    EXPECT_NEAR(z, plane(5, 0.5), 1e-12);
    ASSERT_EQ(interpolate(4, 1, xs, ys, zs, &z), 0); // level with a vertex
    EXPECT_NEAR(z, plane(4, 1), 1e-12);
}

TEST(FeederInterpolate, PointBesideANearlyUprightEdgeIsReadAtItsFoot)
{
    // 3 cm beside the middle of a 10 m edge leaning 0.1 mm: close enough to
    // count as on it.  Reading the edge at the point's x alone would put it
    // 300 edge lengths past the edge's ends.
    double xs[3] = {0, 1e-4, 5}, ys[3] = {0, 10, 5}, zs[3] = {0, 10, 0};
    double z;
    ASSERT_EQ(interpolate(0.03, 5, xs, ys, zs, &z), 0);
    EXPECT_NEAR(z, 5.0, 0.01);
}

TEST(FeederInterpolate, PointsOutsideOrUnusableAreRefused)
{
    double xs[3] = {0, 10, 2}, ys[3] = {0, 1, 8}, zs[3] = {1, 2, 3};
    double z = 7;
    EXPECT_EQ(interpolate(9, 7, xs, ys, zs, &z), -1);  // inside the box, outside the triangle
    EXPECT_EQ(interpolate(20, 3, xs, ys, zs, &z), -1); // beyond all vertices
    EXPECT_EQ(interpolate(4, 3, xs, ys, zs, nullptr), -1);
    EXPECT_EQ(interpolate(NAN, 3, xs, ys, zs, &z), -1);
    EXPECT_EQ(z, 7);
    // Two vertices in one place: the point there gets their value, not 0/0.
    double dx[3] = {0, 0, 5}, dy[3] = {0, 0, 5};
    ASSERT_EQ(interpolate(0, 0, dx, dy, zs, &z), 0);
    EXPECT_TRUE(std::isfinite(z));
}

// ---- elevation at a chainage and offset ------------------------------------

TEST(FeederLo2h, PointsInsideTheGridGetTheMeasuredSurface)
{
    Feeder j;
    measure_plane(&j.f, 3);
    double z;
    int flag;
    // Offsets are negated in the grid: chainage 90, offset -3 is (90, 3).
    ASSERT_EQ(feeder_lo2h(&j.f, 90, -3, &z, &flag), 0);
    EXPECT_NEAR(z, plane(90, 3), 1e-9);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(feeder_lo2h(&j.f, 100.5, -12, &z, &flag), 0); // in the side road
    EXPECT_NEAR(z, plane(100.5, 12), 1e-9);
    ASSERT_EQ(feeder_lo2h(&j.f, 116, -1, &z, &flag), 0); // past l0
    EXPECT_NEAR(z, plane(116, 1), 1e-9);
    // Within a few centimetres of a triangle's side the point is read on
    // that side: close to the plane, not exactly on it.
    ASSERT_EQ(feeder_lo2h(&j.f, 104, -8, &z, &flag), 0);
    EXPECT_NEAR(z, plane(104, 8), 1e-3);
}

// Every layout of side roads of equal and unequal length, with and without
// caps and extensions: points across the whole junction area are answered,
// both beside the side road's axis up to the grid's far end and in the caps.
TEST(FeederLo2h, EveryLayoutAnswersAcrossTheWholeJunction)
{
    const Counts layouts[] = {{2, 3, 2, 2}, {2, 2, 2, 3}, {2, 2, 2, 2}, {3, 4, 1, 1}, {1, 1, 3, 4}};
    const std::array<double, 3> ends[] = {{0, 0, 0}, {2, 0, 0}, {0, 0, 2}, {0, 6, 0}, {2, 6, 2}, {-3, 0, -3}};
    for (const Counts &n : layouts) {
        for (const auto &e : ends) {
            Values v = right_angle_junction();
            v[E1] = e[0];
            v[E2] = e[1];
            v[E3] = e[2];
            Feeder j(v, n);
            measure_plane(&j.f, 3);
            double top = 10 * std::max(n[1], n[3]) + e[1];
            std::vector<Point> probes = {{90, 2}, {110, 2}};
            // Beside the axis on both sides; across the shorter side road's
            // extension, which spans its full width.
            for (double y = 5; y < top; y += 5) {
                for (double x : {99.5, 100.5})
                    probes.push_back({x, y});
                if (y > 10 * n[1] && (n[3] > n[1] || e[1] > 0))
                    probes.push_back({97.5, y});
                if (y > 10 * n[3] && (n[1] > n[3] || e[1] > 0))
                    probes.push_back({102.5, y});
            }
            if (e[0] > 0)
                probes.push_back({80.2, 1});
            if (e[2] > 0)
                probes.push_back({119.8, 1});
            for (const Point &p : probes) {
                double z = 7;
                int flag = -1;
                SCOPED_TRACE(::testing::Message() << "counts " << n[0] << n[1] << n[2] << n[3] << " e " << e[0]
                                                  << "," << e[1] << "," << e[2] << " at s " << p.x << " o " << -p.y);
                EXPECT_EQ(feeder_lo2h(&j.f, p.x, -p.y, &z, &flag), 0);
                EXPECT_NE(flag, 2);
                // Read on a triangle's side when within centimetres of it.
                EXPECT_NEAR(z, plane(p.x, p.y), 5e-3);
            }
        }
    }
    Feeder uneven(right_angle_junction(), {2, 3, 2, 2}); // the case a surveyor reported
    measure_plane(&uneven.f, 3);
    double z;
    int flag;
    EXPECT_EQ(feeder_lo2h(&uneven.f, 102, -25, &z, &flag), 0);
    EXPECT_NEAR(z, plane(102, 25), 1e-9);
}

TEST(FeederLo2h, PointOnAGridPositionGetsItsElevation)
{
    Feeder j;
    measure_plane(&j.f, 3);
    feeder_modify_elevation(&j.f, 3, 1, 77.0);
    double x, y, z;
    int flag;
    ASSERT_EQ(feeder_coord(&j.f, 3, 1, &x, &y), 0);
    ASSERT_EQ(feeder_lo2h(&j.f, x, -y, &z, &flag), 0);
    EXPECT_NEAR(z, 77.0, 1e-9);
}

// The middle of the outer edge between two lines' outer ends, moved by
// `distance` towards (fx, fy).
Point off_edge_middle(const feeder_t &f, int w, int c, double distance, double fx, double fy)
{
    Point a = outer(f, w), b = outer(f, c);
    double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2, len = std::hypot(b.x - a.x, b.y - a.y);
    double nx = -(b.y - a.y) / len, ny = (b.x - a.x) / len;
    if ((fx - mx) * nx + (fy - my) * ny < 0) {
        nx = -nx;
        ny = -ny;
    }
    return {mx + distance * nx, my + distance * ny};
}

TEST(FeederLo2h, PointsNearTheOutlineAreFlaggedAsOnTheEdge)
{
    Values v = right_angle_junction();
    v[E1] = 4;
    Feeder j(v);
    measure_plane(&j.f, 2);
    double z;
    int flag;
    // 0.2 m inside the straight stretch of road edge before the first arc:
    // that edge lies level in the grid, which must not hide its nearness.
    ASSERT_EQ(feeder_lo2h(&j.f, 82, -4.8, &z, &flag), 0);
    EXPECT_NEAR(z, plane(82, 4.8), 1e-9);
    EXPECT_EQ(flag, 0);
    // 0.2 m inside the first arc (the grid lies away from the arc's centre).
    Point p = off_edge_middle(j.f, 1, 2, -0.2, 84, 20);
    ASSERT_EQ(feeder_lo2h(&j.f, p.x, -p.y, &z, &flag), 0);
    EXPECT_NEAR(z, plane(p.x, p.y), 1e-9);
    EXPECT_EQ(flag, 0);
}

TEST(FeederLo2h, PointJustOutsideGetsTheNearestEdgeElevation)
{
    Feeder j;
    measure_plane(&j.f, 3);
    // 0.3 m outside the middle of the arc's chord between lines 1 and 2.
    Point p = off_edge_middle(j.f, 1, 2, 0.3, 80, 20);
    double z = 7;
    int flag = -1;
    ASSERT_EQ(feeder_lo2h(&j.f, p.x, -p.y, &z, &flag), 0);
    EXPECT_EQ(flag, 0);
    Point a = outer(j.f, 1), b = outer(j.f, 2);
    EXPECT_NEAR(z, (plane(a.x, a.y) + plane(b.x, b.y)) / 2, 1e-9);
}

TEST(FeederLo2h, UprightOutlineEdgeStillAnswersNearbyPoints)
{
    Values v = right_angle_junction();
    v[E2] = 8;
    Feeder j(v);
    measure_plane(&j.f, 2);
    // The side road's edge x = 95 runs upright in the grid from y 20 to 28.
    double z = 7;
    int flag = -1;
    ASSERT_EQ(feeder_lo2h(&j.f, 94.7, -24, &z, &flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_NEAR(z, plane(95, 24), 1e-9);
}

TEST(FeederLo2h, PointsFarOutsideGetNoAnswer)
{
    Feeder j;
    measure_plane(&j.f, 2);
    double z = 7;
    int flag = -1;
    EXPECT_EQ(feeder_lo2h(&j.f, 60, -3, &z, &flag), -1);
    EXPECT_EQ(flag, 2);
    EXPECT_EQ(z, 7);
    EXPECT_EQ(feeder_lo2h(&j.f, 90, -3, nullptr, &flag), -1);
    EXPECT_EQ(feeder_lo2h(&j.f, 90, -3, &z, nullptr), -1);
}

TEST(FeederLo2h, GridWithoutElevationsAnswersNothing)
{
    Feeder j;
    double z = 7;
    int flag = -1;
    EXPECT_EQ(feeder_lo2h(&j.f, 90, -3, &z, &flag), -1);
    EXPECT_EQ(flag, 2);
    // Only line 0 measured: its neighbours' missing values never leak out
    // as a 1e30 elevation.
    feeder_insert_elevation(&j.f, 0, 0, 5.0);
    EXPECT_EQ(feeder_lo2h(&j.f, 81, -5.1, &z, &flag), -1);
    EXPECT_EQ(z, 7);

    feeder_t blank{};
    EXPECT_EQ(feeder_lo2h(&blank, 90, -3, &z, &flag), -1);
    EXPECT_EQ(flag, 2);
}

} // namespace
