#include "road.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

using test_roads::Road;

void add_profile(road_t *road, double elevation, double percent, double length)
{
    vertical_element_t start{}, grade{};
    start.type = VERTICAL_START;
    start.start_elevation = elevation;
    start.start_grade = std::atan(percent / 100);
    grade.type = VERTICAL_GRADE;
    grade.length = length;
    road_insert_vertical(road, &start, 0);
    road_insert_vertical(road, &grade, 1);
    road_apply_vertical(road);
}

void add_model(road_t *road, const char *name, std::initializer_list<std::pair<double, double>> nodes)
{
    model_t model{};
    model_init(&model);
    std::strncpy(model.name, name, sizeof model.name - 1);
    for (const auto &n : nodes) {
        model_node_t node{n.first, n.second};
        model_insert_node(&model, &node);
    }
    road_insert_model(road, &model);
}

void add_section(road_t *road, double start, double end, const char *from, const char *to, int type)
{
    road_section_t section{};
    section.start_chainage = start;
    section.end_chainage = end;
    std::strncpy(section.start_model, from, sizeof section.start_model - 1);
    std::strncpy(section.end_model, to, sizeof section.end_model - 1);
    section.type = type;
    road_insert_section(road, &section);
}

// The elevations measured on the junction: a plane rising 2 % along the road
// and 1 % away from it.
double measured(double x, double y) { return 103 + 0.02 * (x - 150) + 0.01 * y; }

// A side road joining at right angles on the negative-offset side at
// chainage 160, between kerb arcs of radius 15 from chainages 140 and 180,
// with the road edge 12 m out.  Each grid line holds two elevations, at its
// outer and inner ends.
void add_junction(road_t *road, double e1 = 0)
{
    double values[16] = {160, 140, 180, 10, 10, 10, 12, 12, 15, 15, M_PI / 2, M_PI / 2, M_PI / 2, e1, 0, 0};
    int counts[4] = {2, 2, 2, 2};
    feeder_t f{};
    ASSERT_EQ(feeder_init(&f, "side road", values, counts, 0), 0);
    for (int line = 0; line < feeder_number_line(&f); line++) {
        for (int k = 0; k < 2; k++) {
            feeder_insert_elevation(&f, line, k, 0);
            double x, y;
            feeder_coord(&f, line, k, &x, &y);
            feeder_modify_elevation(&f, line, k, measured(x, y));
        }
    }
    road_insert_feeder(road, &f);
}

// A straight 200 m road, 100 m high at its start and rising 2 %: a crowned
// carriageway 10 m each side up to chainage 80, widening to 12 m at a steeper
// crossfall by chainage 120, then the wide model to the end, where a side
// road joins on the left.
struct SurveyedRoad : Road {
    SurveyedRoad()
    {
        test_roads::append(get(), test_roads::start_point(0, 0, 0, 0));
        test_roads::append(get(), test_roads::line(200));
        road_apply_horizon(get());
        add_profile(get(), 100, 2, 200);
        add_model(get(), "crown", {{-10, 0.02}, {0, 0}, {10, 0.02}});
        add_model(get(), "wide", {{-12, 0.03}, {0, 0}, {12, 0.03}});
        // A one-model section ignores its end model.
        add_section(get(), 0, 80, "crown", "wide", 1);
        add_section(get(), 80, 120, "crown", "wide", 2);
        add_section(get(), 120, 200, "wide", "wide", 1);
        add_junction(get());
    }
    double centre(double s) const { return 100 + 0.02 * s; }
};

struct Answer {
    int result;
    double z;
    int flag;
};

Answer lo2h(const road_t *road, double s, double o)
{
    Answer a{-9, NAN, -9};
    a.result = road_lo2h(road, s, o, &a.z, &a.flag);
    return a;
}

TEST(SurfaceElevation, OneModelSectionAddsTheModelHeightToTheProfile)
{
    SurveyedRoad r;
    Answer a = lo2h(r.get(), 40, 5);
    EXPECT_EQ(a.result, 0);
    EXPECT_NEAR(a.z, r.centre(40) + 5 * 0.02, 1e-9);
    EXPECT_EQ(a.flag, 1);
    a = lo2h(r.get(), 70, -9);
    EXPECT_NEAR(a.z, r.centre(70) + 9 * 0.02, 1e-9);
    EXPECT_EQ(a.flag, 0);
    a = lo2h(r.get(), 170, 5); // right of the junction: the wide model
    EXPECT_EQ(a.result, 0);
    EXPECT_NEAR(a.z, r.centre(170) + 5 * 0.03, 1e-9);
}

TEST(SurfaceElevation, TransitionSectionInterpolatesBetweenTheTwoModels)
{
    SurveyedRoad r;
    // Halfway along the section, 6 m out: in the triangle of the crown's edge
    // (10, 80, 0.2) and the wide model's centre (0, 120, 0) and edge
    // (12, 120, 0.36), whose plane is -0.3 + 0.03 offset + 0.0025 chainage.
    Answer a = lo2h(r.get(), 100, 6);
    EXPECT_EQ(a.result, 0);
    EXPECT_NEAR(a.z, r.centre(100) + (-0.3 + 0.03 * 6 + 0.0025 * 100), 1e-9);
    EXPECT_EQ(a.flag, 1);
    a = lo2h(r.get(), 100, -6); // the mirror image on the left
    EXPECT_NEAR(a.z, r.centre(100) + 0.13, 1e-9);
    // Near the centre line, in the triangle (0, 80), (10, 80), (0, 120).
    a = lo2h(r.get(), 90, 2);
    EXPECT_NEAR(a.z, r.centre(90) + 0.04, 1e-9);
}

TEST(SurfaceElevation, BeyondTheBlendedEdgeTheEdgeHeightHolds)
{
    SurveyedRoad r;
    // The edge is at 11 m halfway; its height blends 0.2 and 0.36.
    double edge_height = r.centre(100) + 0.28;
    Answer a = lo2h(r.get(), 100, 14);
    EXPECT_NEAR(a.z, edge_height, 1e-9);
    EXPECT_EQ(a.flag, 2);
    a = lo2h(r.get(), 100, 12);
    EXPECT_NEAR(a.z, edge_height, 1e-9);
    EXPECT_EQ(a.flag, 0);
    a = lo2h(r.get(), 100, 9.5); // within 2 m inside the edge
    EXPECT_NEAR(a.z, edge_height, 1e-9);
    EXPECT_EQ(a.flag, 0);
    a = lo2h(r.get(), 100, -14);
    EXPECT_NEAR(a.z, edge_height, 1e-9);
    EXPECT_EQ(a.flag, 2);
}

TEST(SurfaceElevation, EndSectionsReachFiveMetresPastTheRoad)
{
    SurveyedRoad r;
    Answer a = lo2h(r.get(), -3, 5);
    EXPECT_NEAR(a.z, r.centre(-3) + 0.1, 1e-9);
    a = lo2h(r.get(), 203, 3);
    EXPECT_NEAR(a.z, r.centre(203) + 0.09, 1e-9);
    a = lo2h(r.get(), 300, 3); // nothing covers it: the profile alone
    EXPECT_EQ(a.result, 0);
    EXPECT_NEAR(a.z, r.centre(300), 1e-9);
    EXPECT_EQ(a.flag, 0);
}

TEST(SurfaceElevation, FeederDecidesOnItsSideOfTheRoad)
{
    SurveyedRoad r;
    // In the grid cell between the lines from the first arc to chainage 150
    // and to the axis at 160: the measured plane, not the model.
    Answer a = lo2h(r.get(), 153, -4);
    EXPECT_EQ(a.result, 1);
    EXPECT_NEAR(a.z, measured(153, 4), 1e-9);
    EXPECT_EQ(a.flag, 1);
    // A grid position answers its own elevation.
    feeder_t *f = road_feeder(r.get(), 0);
    ASSERT_EQ(feeder_modify_elevation(f, 3, 1, 104.5), 0);
    double x, y;
    ASSERT_EQ(feeder_coord(f, 3, 1, &x, &y), 0);
    EXPECT_NEAR(x, 160, 1e-9);
    EXPECT_NEAR(y, 10, 1e-9);
    a = lo2h(r.get(), 160, -10);
    EXPECT_EQ(a.result, 1);
    EXPECT_NEAR(a.z, 104.5, 1e-9);
    // The other side at the same chainage keeps the model.
    a = lo2h(r.get(), 153, 4);
    EXPECT_EQ(a.result, 0);
    EXPECT_NEAR(a.z, r.centre(153) + 4 * 0.03, 1e-9);
}

TEST(SurfaceElevation, FeederWithoutAnswerStillDecides)
{
    SurveyedRoad r;
    Answer a = lo2h(r.get(), 150, -60);
    EXPECT_EQ(a.result, 1);
    EXPECT_NEAR(a.z, r.centre(150), 1e-9);
    EXPECT_EQ(a.flag, 2);
}

TEST(SurfaceElevation, SectionsNamingMissingModelsArePassedOver)
{
    Road r;
    add_profile(r.get(), 50, 0, 100);
    add_model(r.get(), "crown", {{-10, 0.02}, {0, 0}, {10, 0.02}});
    add_model(r.get(), "bare", {});
    add_section(r.get(), 0, 50, "gone", "crown", 1);
    add_section(r.get(), 50, 100, "crown", "gone", 2);
    Answer a = lo2h(r.get(), 20, 5);
    EXPECT_NEAR(a.z, 50, 1e-9);
    a = lo2h(r.get(), 70, 5);
    EXPECT_NEAR(a.z, 50, 1e-9);

    // A one-model section whose model has no nodes adds nothing.
    Road bare;
    add_profile(bare.get(), 50, 0, 100);
    add_model(bare.get(), "bare", {});
    add_section(bare.get(), 0, 100, "bare", "bare", 1);
    a = lo2h(bare.get(), 20, 5);
    EXPECT_NEAR(a.z, 50, 1e-9);
    EXPECT_EQ(a.flag, 0);
}

TEST(SurfaceElevation, RoadWithoutProfileMeasuresFromZero)
{
    Road r;
    add_model(r.get(), "crown", {{-10, 0.02}, {0, 0}, {10, 0.02}});
    add_section(r.get(), 0, 100, "crown", "crown", 1);
    Answer a = lo2h(r.get(), 20, 5);
    EXPECT_NEAR(a.z, 0.1, 1e-9);
    EXPECT_EQ(road_lo2h(r.get(), 20, 5, nullptr, nullptr), 0);
    a = lo2h(r.get(), NAN, NAN);
    EXPECT_EQ(a.result, 0);
}

// ---- outer offset -----------------------------------------------------------

TEST(SurfaceMaxOffset, RoadWithoutSurfaceAnswersTheDefault)
{
    Road r;
    EXPECT_EQ(road_maxoff(r.get(), 50, 1), 10.0);
    EXPECT_EQ(road_maxoff(r.get(), 50, -1), 10.0);
}

TEST(SurfaceMaxOffset, SectionsBlendTheirModelsOuterNodes)
{
    SurveyedRoad r;
    EXPECT_NEAR(road_maxoff(r.get(), 40, 1), 10, 1e-12);
    EXPECT_NEAR(road_maxoff(r.get(), 40, -1), -10, 1e-12);
    EXPECT_NEAR(road_maxoff(r.get(), 100, 1), 11, 1e-12);
    EXPECT_NEAR(road_maxoff(r.get(), 110, -1), -11.5, 1e-12);
    EXPECT_NEAR(road_maxoff(r.get(), 150, 1), 12, 1e-12);
    // Only the first and last sections' look-ups are widened, and not here.
    EXPECT_EQ(road_maxoff(r.get(), 203, 1), 10.0);
}

TEST(SurfaceMaxOffset, FeederGivesTheKerbArcsOffset)
{
    SurveyedRoad r;
    // 10 m past the first arc's centre chainage 140: the arc is at
    // 12 + 15 - sqrt(15^2 - 10^2) from the centre line.
    double arc = 12 + 15 - std::sqrt(125.0);
    EXPECT_NEAR(road_maxoff(r.get(), 150, -1), -arc, 1e-9);
    EXPECT_NEAR(road_maxoff(r.get(), 170, -1), -arc, 1e-9);
    // Between the arcs' ends the section opens into the side road: the
    // offset where the arcs end, not NaN.
    EXPECT_NEAR(road_maxoff(r.get(), 157, -1), -27, 1e-9);
    EXPECT_NEAR(road_maxoff(r.get(), 163, -1), -27, 1e-9);
}

TEST(SurfaceMaxOffset, CutArcStartsWhereTheGridsOutlineStarts)
{
    Road r;
    add_junction(r.get(), -3); // the first arc is 3 m of arc under way at l1
    const feeder_t *f = road_feeder(r.get(), 0);
    double cap_outer_y = f->segments[4 * 10 + 1];
    EXPECT_NEAR(road_maxoff(r.get(), 140 + 1e-9, -1), -cap_outer_y, 1e-6);
    EXPECT_TRUE(std::isfinite(road_maxoff(r.get(), NAN, -1)));
}

} // namespace
