#include "section_corridor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace section_test;

namespace {

// The alignment as lasgen builds it: the reference the ".pm" round trip
// must match.
struct Reference {
    road_t road;
    explicit Reference(const lasgen::CorridorSpec &spec)
    {
        road_init(&road);
        lasgen::build_alignment(spec, &road);
    }
    ~Reference() { road_final(&road); }
    // World east, north of a chainage and offset.
    void at(double chainage, double offset, double *east, double *north) const
    {
        road_lo2xy(&road, chainage, offset, north, east, nullptr);
    }
};

void expect_unit_frame(const section_t *s)
{
    double cross[3] = {s->axis_v[1] * s->normal[2] - s->axis_v[2] * s->normal[1],
                       s->axis_v[2] * s->normal[0] - s->axis_v[0] * s->normal[2],
                       s->axis_v[0] * s->normal[1] - s->axis_v[1] * s->normal[0]};
    EXPECT_NEAR(dot(s->normal, s->normal), 1.0, 1e-12);
    EXPECT_NEAR(dot(s->axis_u, s->axis_u), 1.0, 1e-12);
    EXPECT_NEAR(dot(s->axis_v, s->axis_v), 1.0, 1e-12);
    EXPECT_NEAR(dot(s->normal, s->axis_u), 0.0, 1e-12);
    EXPECT_NEAR(dot(s->normal, s->axis_v), 0.0, 1e-12);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(s->axis_u[k], cross[k], 1e-12) << "axis_u = axis_v x normal";
}

void check_latitude_frames(const Corridor &corridor)
{
    Project p(corridor);
    Reference reference(corridor.spec);
    double start = corridor.spec.start_chainage, end = start + corridor.spec.length;
    std::vector<double> rows = latitude_rows(start, end, 20, 101.25);
    int n = int(rows.size() / 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 1.0, 40.0), n);
    ASSERT_EQ(array_size(p.wks->latitude_sections), size_t(n));
    for (int i = 0; i < n; i++) {
        const section_t *s = item<section_t>(p.wks->latitude_sections, size_t(i));
        double chainage = rows[2 * i];
        SCOPED_TRACE(chainage);
        EXPECT_EQ(s->type, SECTION_LATITUDE);
        EXPECT_EQ(std::string(s->name), std::string("L") + mileage(chainage));
        double east, north;
        reference.at(chainage, 0, &east, &north);
        EXPECT_NEAR(s->center[0], east, 0.002);
        EXPECT_NEAR(s->center[1], north, 0.002);
        EXPECT_EQ(s->center[2], 101.25);
        expect_unit_frame(s);
        EXPECT_EQ(s->axis_v[2], 1.0);
        // u is the offset to the right of travel; the normal looks back.
        reference.at(chainage, 10, &east, &north);
        EXPECT_NEAR(s->center[0] + 10 * s->axis_u[0], east, 0.003);
        EXPECT_NEAR(s->center[1] + 10 * s->axis_u[1], north, 0.003);
        double ahead_e, ahead_n;
        reference.at(chainage + 1, 0, &ahead_e, &ahead_n);
        double forward[3] = {ahead_e - s->center[0], ahead_n - s->center[1], 0};
        EXPECT_LT(dot(forward, s->normal), -0.99);
        EXPECT_EQ(s->normal_range[0], -0.5);
        EXPECT_EQ(s->normal_range[1], 0.5);
        EXPECT_EQ(s->width_range[0], -20.0);
        EXPECT_EQ(s->width_range[1], 20.0);
        EXPECT_EQ(array_size(s->points), 0u);
        EXPECT_EQ(array_size(s->measurements), 0u);
    }
}

TEST(SectionFrames, LatitudeSectionsStandAcrossTheRoadOnAStraightAlignment)
{
    check_latitude_frames(CorridorFiles::straight());
}

TEST(SectionFrames, LatitudeSectionsStandAcrossTheRoadOnACurvedAlignment)
{
    check_latitude_frames(CorridorFiles::curved());
}

TEST(SectionFrames, NewSectionsAreAppendedAfterTheExistingOnes)
{
    Project p(CorridorFiles::straight());
    double first[] = {1010, 0, 1020, 0};
    double second[] = {1100, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 2, first, 1, 40), 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, second, 1, 40), 1);
    ASSERT_EQ(array_size(p.wks->latitude_sections), 3u);
    EXPECT_STREQ(item<section_t>(p.wks->latitude_sections, 2)->name, "LK1+100.00");
    EXPECT_EQ(array_size(p.wks->longitude_sections), 0u);
    EXPECT_EQ(array_size(p.wks->custom_sections), 0u);
}

TEST(SectionFrames, LongitudeSectionsFollowTheCentreLineEveryMetre)
{
    Project p(CorridorFiles::curved());
    Reference reference(p.spec());
    double rows[] = {20, 60.5, 80, 80, 120, 100, 250, 400};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 4, rows, 2.0), 2);
    const section_t *s = item<section_t>(p.wks->longitude_sections, 0);
    EXPECT_EQ(s->type, SECTION_LONGITUDE);
    EXPECT_EQ(std::string(s->name), "VK0+020.00-K0+060.50");
    EXPECT_EQ(s->width_range[0], 20.0);
    EXPECT_EQ(s->width_range[1], 60.5);
    EXPECT_EQ(s->normal_range[0], -1.0);
    EXPECT_EQ(s->normal_range[1], 1.0);
    expect_unit_frame(s);
    ASSERT_EQ(s->vertex_count, 42); // 20, 21, ..., 60 and 60.5
    for (int i = 0; i < s->vertex_count; i++) {
        const double *v = s->vertices + 3 * i;
        EXPECT_DOUBLE_EQ(v[2], i < 41 ? 20.0 + i : 60.5);
        double east, north;
        reference.at(v[2], 0, &east, &north);
        EXPECT_NEAR(v[0], east, 0.003);
        EXPECT_NEAR(v[1], north, 0.003);
    }
    // A range beyond the road's end is cut there.
    const section_t *cut = item<section_t>(p.wks->longitude_sections, 1);
    EXPECT_EQ(cut->width_range[0], 250.0);
    EXPECT_EQ(cut->width_range[1], 300.0);
    EXPECT_EQ(std::string(cut->name), "VK0+250.00-K0+300.00");
    EXPECT_DOUBLE_EQ(cut->vertices[3 * (cut->vertex_count - 1) + 2], 300.0);
}

TEST(SectionFrames, ReverseProjectionFollowsTheCentreLineOfLongitudeSections)
{
    Project p(CorridorFiles::curved());
    Reference reference(p.spec());
    double rows[] = {0, 300};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, rows, 1.0), 1);
    section_t *s = item<section_t>(p.wks->longitude_sections, 0);
    for (double chainage : {0.0, 37.25, 150.5, 299.75}) {
        for (double offset : {-3.0, 0.0, 4.5}) {
            velmo_point_t point{};
            point.u = float(chainage);
            point.v = 98.5f;
            point.w = float(offset);
            ASSERT_NE(section_rev_proj_point(s, &point), 0);
            double east, north;
            reference.at(chainage, offset, &east, &north);
            // Chords of one metre on a 150 m radius stray under a millimetre.
            EXPECT_NEAR(point.x, east, 0.004) << chainage << " " << offset;
            EXPECT_NEAR(point.y, north, 0.004) << chainage << " " << offset;
            EXPECT_EQ(point.z, 98.5);
        }
    }
}

TEST(SectionFrames, CustomVerticalAndHorizontalSections)
{
    Project p(CorridorFiles::straight());
    const double pi = std::acos(-1.0);
    // Vertical, as the custom section command builds it for azimuth 30.
    double a = (90 - 30) * pi / 180;
    double centre[3] = {500010, 4000020, 0}, normal[3] = {-std::cos(a), -std::sin(a), 0}, up[3] = {0, 0, 1};
    double buffer[2] = {-0.5, 0.5}, width[2] = {-20, 20};
    section_t *v = wks_add_custom_section(p.wks, "custom1", centre, normal, up, buffer, width);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, SECTION_CUSTOM);
    EXPECT_STREQ(v->name, "custom1");
    expect_unit_frame(v);
    for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(v->normal[k], normal[k], 1e-12);
        EXPECT_EQ(v->center[k], centre[k]);
    }
    // Looking along the azimuth, u runs to the right: azimuth 30 + 90.
    double b = (90 - 120) * pi / 180;
    EXPECT_NEAR(v->axis_u[0], std::cos(b), 1e-12);
    EXPECT_NEAR(v->axis_u[1], std::sin(b), 1e-12);

    // Horizontal with orientation 90: the map turned so that +x is up.
    double z[3] = {0, 0, 1}, orientation[3] = {1, 0, 0}, centre_h[3] = {500010, 4000020, 99.5};
    std::string long_name = std::string(60, 'x') + "\xc3\xa9\xc3\xa9"; // 64 bytes, two-byte letters last
    section_t *h = wks_add_custom_section(p.wks, long_name.c_str(), centre_h, z, orientation, buffer, width);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->type, SECTION_HORIZONTAL);
    expect_unit_frame(h);
    EXPECT_EQ(h->normal[2], 1.0);
    EXPECT_NEAR(h->axis_v[0], 1.0, 1e-12);
    EXPECT_NEAR(h->axis_u[1], -1.0, 1e-12);
    EXPECT_EQ(std::string(h->name), std::string(60, 'x') + "\xc3\xa9") << "cut whole letters to 63 bytes";
    ASSERT_EQ(array_size(p.wks->custom_sections), 2u);
    EXPECT_EQ(item<section_t>(p.wks->custom_sections, 1), h);

    velmo_point_t point{};
    point.u = 2;
    point.v = 3;
    point.w = -0.25f;
    section_rev_proj_point(h, &point);
    EXPECT_NEAR(point.x, centre_h[0] + 3, 1e-9);
    EXPECT_NEAR(point.y, centre_h[1] - 2, 1e-9);
    EXPECT_NEAR(point.z, 99.25, 1e-9);
    // The frame line of a vertical section lies at the height asked for.
    point = velmo_point_t{};
    point.u = -20;
    point.v = 87.5f;
    section_rev_proj_point(v, &point);
    EXPECT_NEAR(point.x, centre[0] - 20 * std::cos(b), 1e-9);
    EXPECT_NEAR(point.y, centre[1] - 20 * std::sin(b), 1e-9);
    EXPECT_EQ(point.z, 87.5);
}

TEST(SectionFrames, BadInputMakesFewerOrNoSectionsAndNeverCrashes)
{
    Project p(CorridorFiles::straight());
    double good[] = {1050, 0};
    double nan = std::nan("");
    // Arguments that make no section at all.
    EXPECT_EQ(wks_generate_road_latitude_sections(nullptr, p.road, 1, good, 1, 40), 0);
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, nullptr, 1, good, 1, 40), 0);
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 0, good, 1, 40), 0);
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, -3, good, 1, 40), 0);
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, nullptr, 1, 40), 0);
    for (double width : {0.0, -1.0, nan}) {
        EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, good, width, 40), 0);
        EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, good, 1, width), 0);
        EXPECT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, good, width), 0);
    }
    wks_road_t *empty = wks_create_road(p.wks, (p.path() + ".new.pm").c_str());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, empty, 1, good, 1, 40), 0);
    EXPECT_EQ(wks_generate_road_longitude_sections(p.wks, empty, 1, good, 1), 0);
    wks_road_t stranger{};
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, &stranger, 1, good, 1, 40), 0);

    // Rows outside the road, in the wrong order or not numbers are skipped.
    double latitude[] = {999.9, 0, 1000, 0, 1200, 0, 1200.0005, 0, 1200.5, 0, nan, 0, 1100, nan, 1100, 5};
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 8, latitude, 1, 40), 4);
    double longitude[] = {1050, 1050, 1060, 1040, 1100, 0, 800, 900, 1300, 1400, nan, 1100, 1100, 1110};
    EXPECT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 7, longitude, 1), 1);
    EXPECT_EQ(array_size(p.wks->latitude_sections), 4u);
    EXPECT_EQ(array_size(p.wks->longitude_sections), 1u);

    // Custom sections: a frame that cannot be built is refused; zero widths
    // still make one (empty) section, as the caller counts on one a call.
    double c[3] = {500000, 4000000, 0}, n[3] = {0, -1, 0}, up[3] = {0, 0, 1}, r[2] = {-0.5, 0.5};
    double zero[2] = {0, 0}, none[3] = {0, 0, 0}, bad[3] = {nan, 0, 0};
    EXPECT_EQ(wks_add_custom_section(p.wks, "a", c, none, up, r, r), nullptr);
    EXPECT_EQ(wks_add_custom_section(p.wks, "a", bad, n, up, r, r), nullptr);
    EXPECT_EQ(wks_add_custom_section(p.wks, "a", c, up, none, r, r), nullptr) << "horizontal without orientation";
    EXPECT_EQ(wks_add_custom_section(p.wks, "a", c, n, up, nullptr, r), nullptr);
    EXPECT_EQ(wks_add_custom_section(nullptr, "a", c, n, up, r, r), nullptr);
    EXPECT_EQ(array_size(p.wks->custom_sections), 0u);
    section_t *flat = wks_add_custom_section(p.wks, nullptr, c, n, up, zero, zero);
    ASSERT_NE(flat, nullptr);
    EXPECT_STREQ(flat->name, "");
    EXPECT_NE(wks_cal_section(p.wks, flat, nullptr), 0);
    EXPECT_EQ(array_size(flat->points), 0u);
    EXPECT_EQ(section_rev_proj_point(nullptr, nullptr), 0);
}

} // namespace
