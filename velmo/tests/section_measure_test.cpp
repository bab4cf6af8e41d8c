#include "section_corridor.h"

#include "section_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace section_test;

namespace {

std::vector<float> u_values(Array *list)
{
    std::vector<float> us;
    for (const velmo_point_t &p : records(list))
        us.push_back(p.u);
    return us;
}

std::vector<velmo_point_t *> pointers(Array *list)
{
    std::vector<velmo_point_t *> out;
    for (size_t i = 0; i < array_size(list); i++)
        out.push_back(item<velmo_point_t>(list, i));
    return out;
}

bool same(const velmo_point_t &a, const velmo_point_t &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class SectionMeasure : public testing::Test {
protected:
    void SetUp() override
    {
        double rows[] = {1080, 0};
        ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, rows, 1.0, 30.0), 1);
        section = item<section_t>(p.wks->latitude_sections, 0);
        ASSERT_NE(wks_cal_section(p.wks, section, nullptr), 0);
        ASSERT_GT(array_size(section->points), 1000u);
    }

    // The section point whose u is nearest to u.
    velmo_point_t *point_near(double u)
    {
        velmo_point_t *best = nullptr;
        for (velmo_point_t *q : pointers(section->points))
            if (!best || std::fabs(q->u - u) < std::fabs(best->u - u))
                best = q;
        return best;
    }

    Project p{CorridorFiles::straight()};
    section_t *section = nullptr;
};

// The surveyor's clicks come in any order; the blue line must read as a
// profile, and every pointer handed out stays good until it is removed.
TEST_F(SectionMeasure, MeasurementsStayOrderedByUWithStablePointers)
{
    std::vector<velmo_point_t *> added;
    for (double u : {4.0, -8.0, 10.0, 0.5, -2.0, 10.0, 7.25}) {
        velmo_point_t *source = point_near(u);
        velmo_point_t *m = section_add_meas(section, source);
        ASSERT_NE(m, nullptr);
        EXPECT_NE(m, source) << "a copy is stored";
        EXPECT_TRUE(same(*m, *source));
        added.push_back(m);
    }
    std::vector<float> us = u_values(section->measurements);
    ASSERT_EQ(us.size(), 7u);
    EXPECT_TRUE(std::is_sorted(us.begin(), us.end()));
    // Equal u: the later one goes after the earlier one.
    std::vector<velmo_point_t *> order = pointers(section->measurements);
    EXPECT_LT(std::find(order.begin(), order.end(), added[2]), std::find(order.begin(), order.end(), added[5]));

    // Delete the one at 0.5, then undo by adding the frame's copy back.
    velmo_point_t copy = *added[3];
    velmo_point_t snapshot[7];
    for (int i = 0; i < 7; i++)
        snapshot[i] = *added[size_t(i)];
    ASSERT_NE(section_remove_meas(section, added[3]), 0);
    EXPECT_EQ(section_remove_meas(section, added[3]), 0) << "already gone";
    EXPECT_EQ(array_size(section->measurements), 6u);
    EXPECT_TRUE(same(*added[3], copy)) << "a removed record stays readable";
    velmo_point_t *back = section_add_meas(section, &copy);
    ASSERT_NE(back, nullptr);
    us = u_values(section->measurements);
    EXPECT_TRUE(std::is_sorted(us.begin(), us.end()));
    EXPECT_EQ(pointers(section->measurements)[2], back);
    for (int i : {0, 1, 2, 4, 5, 6})
        EXPECT_TRUE(same(*added[size_t(i)], snapshot[i])) << "other pointers unchanged";

    // Undo of an add removes exactly that record.
    velmo_point_t *last = section_add_meas(section, point_near(-5));
    ASSERT_NE(section_remove_meas(section, last), 0);
    order = pointers(section->measurements);
    EXPECT_EQ(std::find(order.begin(), order.end(), last), order.end());
    EXPECT_EQ(array_size(section->measurements), 7u);

    // Recomputing the points leaves the measurements alone.
    ASSERT_NE(wks_cal_section(p.wks, section, nullptr), 0);
    EXPECT_EQ(array_size(section->measurements), 7u);
    EXPECT_TRUE(same(*added[0], snapshot[0]));

    Array *list = section->measurements;
    ASSERT_NE(section_clear_meas(section), 0);
    EXPECT_EQ(section->measurements, list);
    EXPECT_EQ(array_size(section->measurements), 0u);
    EXPECT_TRUE(same(*added[6], snapshot[6]));
    ASSERT_NE(section_add_meas(section, &copy), nullptr);
    EXPECT_EQ(array_size(section->measurements), 1u);

    EXPECT_EQ(section_add_meas(nullptr, &copy), nullptr);
    EXPECT_EQ(section_add_meas(section, nullptr), nullptr);
    EXPECT_EQ(section_remove_meas(section, nullptr), 0);
    velmo_point_t stranger{};
    EXPECT_EQ(section_remove_meas(section, &stranger), 0);
    EXPECT_EQ(section_clear_meas(nullptr), 0);
}

TEST_F(SectionMeasure, FreeClicksTakeTheirMissingCoordinateFromTheView)
{
    // Front view: the click is in the section plane.
    velmo_point_t click{};
    click.u = 2.5f;
    click.v = 101.2f;
    click.w = 0.37f;
    velmo_point_t *front = section_create_meas(section, &click, 0);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(front->u, 2.5f);
    EXPECT_EQ(front->v, 101.2f);
    EXPECT_EQ(front->w, 0.0f);
    EXPECT_NEAR(front->x, section->center[0] + 2.5 * section->axis_u[0], 1e-6);
    EXPECT_NEAR(front->y, section->center[1] + 2.5 * section->axis_u[1], 1e-6);
    EXPECT_NEAR(front->z, 101.2, 1e-5);

    // Side view: u and w come from the click, the height from the points.
    click = velmo_point_t{};
    click.u = -3.1f;
    click.v = 55.0f;
    click.w = 0.2f;
    velmo_point_t *side = section_create_meas(section, &click, 1);
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->v, point_near(-3.1)->v);
    EXPECT_EQ(side->w, 0.2f);
    EXPECT_NEAR(side->z, side->v, 1e-5);
    EXPECT_NEAR(side->v, lasgen::design_height(p.spec(), 1080, -3.1), 0.05);
    EXPECT_NEAR(side->x, section->center[0] - 3.1 * section->axis_u[0] + 0.2 * section->normal[0], 1e-5);
    std::vector<float> us = u_values(section->measurements);
    EXPECT_EQ(us, (std::vector<float>{-3.1f, 2.5f}));
    EXPECT_EQ(section_create_meas(nullptr, &click, 0), nullptr);
    EXPECT_EQ(section_create_meas(section, nullptr, 0), nullptr);
}

TEST(SectionMeasureAlone, SideClicksWithoutPointsTakeTheNearestMeasuredHeight)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1080, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, rows, 1.0, 30.0), 1);
    section_t *s = item<section_t>(p.wks->latitude_sections, 0);
    velmo_point_t click{};
    click.u = -1;
    click.v = 100.5f;
    ASSERT_NE(section_create_meas(s, &click, 0), nullptr);
    click.u = 1;
    click.v = 42;
    velmo_point_t *side = section_create_meas(s, &click, 1);
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->v, 100.5f);
    // Two measurements make the ground line.
    std::vector<velmo::GroundPoint> line = velmo::section_ground_line(p.wks, s, false);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].u, -1.0);
    EXPECT_NEAR(velmo::ground_height_at(line, 0), 100.5, 1e-5);
    EXPECT_NEAR(velmo::ground_height_at(line, -7), 100.5, 1e-5);
}

} // namespace
