#include "section_corridor.h"

#include "section_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace section_test;

namespace {

// Every point of a cloud, read the way the scene reads tiles.
std::vector<velmo_point_t> all_points(velmo_t *cloud)
{
    std::vector<velmo_point_t> points;
    TreeTableIter iter;
    TreeTableEntry entry;
    treetable_iter_init(&iter, cloud->tiles);
    while (treetable_iter_next(&iter, &entry) == CC_OK) {
        auto *tile = static_cast<tile_t *>(entry.value);
        for (size_t i = 0; i < array_size(tile->entries); i++) {
            velmo_point_t p{};
            velmo_read_point_osg(cloud, tile, item<tile_point_t>(tile->entries, i), &p);
            points.push_back(p);
        }
    }
    return points;
}

size_t count_if(const std::vector<velmo_point_t> &points, const std::function<bool(const velmo_point_t &)> &f)
{
    return size_t(std::count_if(points.begin(), points.end(), f));
}

// Offset of a world point across a vertical section's plane, and along it.
void plane_coordinates(const section_t *s, const velmo_point_t &p, double *u, double *w)
{
    double d[3] = {p.x - s->center[0], p.y - s->center[1], p.z - s->center[2]};
    *u = dot(d, s->axis_u);
    *w = dot(d, s->normal);
}

// Float u, v, w keep about seven digits of what they measure.
double float_tolerance(double magnitude)
{
    return 4e-7 * std::fabs(magnitude) + 1e-6;
}

void expect_reverse_projection(section_t *s, const velmo_point_t &p, double tolerance)
{
    velmo_point_t back{};
    back.u = p.u;
    back.v = p.v;
    back.w = p.w;
    ASSERT_NE(section_rev_proj_point(s, &back), 0);
    EXPECT_NEAR(back.x, p.x, tolerance);
    EXPECT_NEAR(back.y, p.y, tolerance);
    EXPECT_NEAR(back.z, p.z, tolerance);
}

struct ProgressLog {
    static std::vector<std::vector<int>> steps;
    static std::string message;
    static void record(int total, int current, const char *text)
    {
        steps.push_back({total, current});
        message = text;
    }
};
std::vector<std::vector<int>> ProgressLog::steps;
std::string ProgressLog::message;

TEST(SectionCompute, LatitudeSectionsHoldExactlyThePointsOfTheirSlab)
{
    Project p(CorridorFiles::curved());
    std::vector<velmo_point_t> cloud = all_points(p.cloud);
    ASSERT_EQ(cloud.size(), p.spec().points);
    std::vector<double> rows = latitude_rows(10, 290, 40);
    int n = int(rows.size() / 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 1.0, 24.0), n);
    for (int i = 0; i < n; i++) {
        section_t *s = item<section_t>(p.wks->latitude_sections, size_t(i));
        SCOPED_TRACE(s->name);
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
        std::vector<velmo_point_t> points = records(s->points);
        size_t expected = count_if(cloud, [&](const velmo_point_t &q) {
            double u, w;
            plane_coordinates(s, q, &u, &w);
            return u >= -12 && u <= 12 && w >= -0.5 && w <= 0.5;
        });
        EXPECT_EQ(points.size(), expected) << "the tiles read must hold every point of the slab";
        EXPECT_GT(points.size(), 500u);
        for (const velmo_point_t &q : points) {
            double u, w;
            plane_coordinates(s, q, &u, &w);
            ASSERT_GE(q.u, -12.0f);
            ASSERT_LE(q.u, 12.0f);
            ASSERT_GE(q.w, -0.5f);
            ASSERT_LE(q.w, 0.5f);
            ASSERT_NEAR(q.u, u, float_tolerance(u));
            ASSERT_NEAR(q.w, w, float_tolerance(w));
            ASSERT_EQ(q.v, float(q.z));
            expect_reverse_projection(s, q, float_tolerance(q.z) + 1e-5);
        }
    }
}

// The lowest ground points of a section are the surveyed ground: on the
// road, the footpaths and the flat ground beyond the ditches, the automatic
// ground line lies on the design surface.
TEST(SectionCompute, AutomaticGroundLineLiesOnTheDesignSurface)
{
    for (const Corridor *corridor : {&CorridorFiles::straight(), &CorridorFiles::curved()}) {
        Project p(*corridor);
        const lasgen::CorridorSpec &spec = p.spec();
        std::vector<double> rows = latitude_rows(spec.start_chainage + 10, spec.start_chainage + spec.length - 10, 20);
        int n = int(rows.size() / 2);
        ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 1.0, 40.0), n);
        for (int i = 0; i < n; i++) {
            section_t *s = item<section_t>(p.wks->latitude_sections, size_t(i));
            ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
            std::vector<velmo::GroundPoint> line = velmo::section_ground_line(p.wks, s, true);
            ASSERT_GT(line.size(), 80u) << s->name;
            int compared = 0;
            for (const velmo::GroundPoint &g : line) {
                double a = std::fabs(g.u);
                bool flat = a < 3.2 || (a > 3.8 && a < 4.8) || (a > 7.3 && a < 12.7);
                if (!flat)
                    continue;
                compared++;
                EXPECT_NEAR(g.v, lasgen::design_height(spec, rows[2 * i], g.u), 0.02) << s->name << " u " << g.u;
                EXPECT_EQ(g.z, g.v);
            }
            EXPECT_GT(compared, 60);
            EXPECT_TRUE(std::is_sorted(line.begin(), line.end(),
                                       [](const velmo::GroundPoint &a, const velmo::GroundPoint &b) {
                                           return a.u < b.u;
                                       }));
        }
    }
}

TEST(SectionCompute, LongitudeSectionsHoldTheStripAlongTheCentreLine)
{
    Project p(CorridorFiles::straight());
    std::vector<velmo_point_t> cloud = all_points(p.cloud);
    double rows[] = {1030.5, 1090, 1100, 1200};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 2, rows, 2.0), 2);
    const lasgen::CorridorSpec &spec = p.spec();
    for (size_t i = 0; i < 2; i++) {
        section_t *s = item<section_t>(p.wks->longitude_sections, i);
        SCOPED_TRACE(s->name);
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
        std::vector<velmo_point_t> points = records(s->points);
        // On a straight road the strip is a rectangle along the travel direction.
        double t[3] = {std::sin(spec.start_azimuth), std::cos(spec.start_azimuth), 0};
        double right[3] = {t[1], -t[0], 0};
        auto chainage = [&](const velmo_point_t &q) {
            double d[3] = {q.x - spec.start_east, q.y - spec.start_north, 0};
            return spec.start_chainage + dot(d, t);
        };
        auto offset = [&](const velmo_point_t &q) {
            double d[3] = {q.x - spec.start_east, q.y - spec.start_north, 0};
            return dot(d, right);
        };
        // The road file keeps the azimuth to the arc second: a few tenths of a
        // millimetre of play at the strip's borders.
        auto strip = [&](double margin) {
            return count_if(cloud, [&](const velmo_point_t &q) {
                double c = chainage(q), o = offset(q);
                return c >= rows[2 * i] + margin && c <= rows[2 * i + 1] - margin && std::fabs(o) <= 1 - margin;
            });
        };
        EXPECT_GE(points.size(), strip(0.002));
        EXPECT_LE(points.size(), strip(-0.002));
        for (const velmo_point_t &q : points) {
            ASSERT_GE(q.u, float(rows[2 * i]));
            ASSERT_LE(q.u, float(rows[2 * i + 1]));
            ASSERT_LE(std::fabs(q.w), 1.0f);
            ASSERT_NEAR(q.u, chainage(q), 0.003);
            ASSERT_NEAR(q.w, offset(q), 0.003);
            expect_reverse_projection(s, q, float_tolerance(q.u) + 1e-5);
        }
        // Along the centre line the ground line follows the crown of the road,
        // whose lowest points lie at the strip's edges.
        std::vector<velmo::GroundPoint> line = velmo::section_ground_line(p.wks, s, true);
        ASSERT_GT(line.size(), 100u);
        for (const velmo::GroundPoint &g : line) {
            EXPECT_GE(g.v, lasgen::design_height(spec, g.u, 1.0) - 0.01) << g.u;
            EXPECT_LE(g.v, lasgen::design_height(spec, g.u, 0.0) + 0.01) << g.u;
        }
    }
}

TEST(SectionCompute, LongitudeSectionsOnACurveKeepTheirPointsAtTheirOffset)
{
    Project p(CorridorFiles::curved());
    double rows[] = {40, 260};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, rows, 1.0), 1);
    section_t *s = item<section_t>(p.wks->longitude_sections, 0);
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    std::vector<velmo_point_t> points = records(s->points);
    ASSERT_GT(points.size(), 10000u);
    road_t road;
    road_init(&road);
    lasgen::build_alignment(p.spec(), &road);
    for (size_t i = 0; i < points.size(); i += 7) {
        const velmo_point_t &q = points[i];
        double chainage = 0, offset = 0;
        ASSERT_GE(road_xy2l(&road, q.y, q.x, &chainage, nullptr, nullptr, nullptr, &offset), 0);
        ASSERT_NEAR(q.u, chainage, 0.005);
        ASSERT_NEAR(q.w, offset, 0.005);
        // One-metre chords: a point beyond a bend's vertex is placed there.
        expect_reverse_projection(s, q, 0.005);
    }
    road_final(&road);
}

TEST(SectionCompute, CustomAndHorizontalSectionsCutTheirWindow)
{
    Project p(CorridorFiles::curved());
    std::vector<velmo_point_t> cloud = all_points(p.cloud);
    const lasgen::CorridorSpec &spec = p.spec();
    double east, north, azimuth;
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    road_l2xy(&road, 150, &north, &east, &azimuth);
    road_final(&road);
    double centre[3] = {east, north, 0}, normal[3] = {-std::sin(azimuth), -std::cos(azimuth), 0}, up[3] = {0, 0, 1};
    double buffer[2] = {-0.25, 0.75}, width[2] = {-30, 8};
    section_t *v = wks_add_custom_section(p.wks, "custom1", centre, normal, up, buffer, width);
    double z[3] = {0, 0, 1}, north_up[3] = {0, 1, 0}, level[2] = {-0.2, 0.2}, window[2] = {-6, 6};
    double centre_h[3] = {east, north, lasgen::design_height(spec, 150, 0)};
    section_t *h = wks_add_custom_section(p.wks, "plan", centre_h, z, north_up, level, window);
    ASSERT_TRUE(v && h);
    for (section_t *s : {v, h}) {
        SCOPED_TRACE(s->name);
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
        std::vector<velmo_point_t> points = records(s->points);
        auto inside = [&](const velmo_point_t &q) {
            double d[3] = {q.x - s->center[0], q.y - s->center[1], q.z - s->center[2]};
            double u = dot(d, s->axis_u), w = dot(d, s->normal), vv = dot(d, s->axis_v);
            bool window_ok = s->type != SECTION_HORIZONTAL || (vv >= s->width_range[0] && vv <= s->width_range[1]);
            return u >= s->width_range[0] && u <= s->width_range[1] && w >= s->normal_range[0] &&
                   w <= s->normal_range[1] && window_ok;
        };
        EXPECT_EQ(points.size(), count_if(cloud, inside));
        EXPECT_GT(points.size(), 100u);
        for (const velmo_point_t &q : points) {
            ASSERT_TRUE(inside(q));
            if (s->type == SECTION_HORIZONTAL) {
                ASSERT_LE(std::fabs(q.v), 6.0f);
                ASSERT_NEAR(q.w, q.z - centre_h[2], 1e-5);
            } else {
                ASSERT_EQ(q.v, float(q.z));
            }
            expect_reverse_projection(s, q, float_tolerance(q.z) + 1e-5);
        }
    }
    EXPECT_TRUE(velmo::section_ground_line(p.wks, h, true).empty()) << "a plan has no profile";
    EXPECT_FALSE(velmo::section_ground_line(p.wks, v, true).empty());
}

TEST(SectionCompute, ProgressIsReportedInTilesAndEmptySlabsStayEmpty)
{
    Project p(CorridorFiles::curved());
    double rows[] = {150, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, rows, 1.0, 40.0), 1);
    section_t *s = item<section_t>(p.wks->latitude_sections, 0);
    ProgressLog::steps.clear();
    ASSERT_NE(wks_cal_section(p.wks, s, ProgressLog::record), 0);
    ASSERT_GE(ProgressLog::steps.size(), 2u);
    EXPECT_LE(ProgressLog::steps.size(), 20u);
    EXPECT_EQ(ProgressLog::message, "Computing section...");
    int total = ProgressLog::steps.front()[0];
    EXPECT_GE(total, 1);
    EXPECT_EQ(ProgressLog::steps.front()[1], 0);
    EXPECT_EQ(ProgressLog::steps.back()[1], total);
    for (const auto &step : ProgressLog::steps)
        EXPECT_LE(step[1], step[0]);

    // Far from the cloud: no tile is read and the section is empty.
    double far[3] = {0, 0, 0}, normal[3] = {0, -1, 0}, up[3] = {0, 0, 1}, r[2] = {-1, 1};
    section_t *lost = wks_add_custom_section(p.wks, "lost", far, normal, up, r, r);
    ProgressLog::steps.clear();
    ASSERT_NE(wks_cal_section(p.wks, lost, ProgressLog::record), 0);
    EXPECT_EQ(array_size(lost->points), 0u);
    ASSERT_FALSE(ProgressLog::steps.empty());
    EXPECT_EQ(ProgressLog::steps.back()[0], 0);
    EXPECT_TRUE(velmo::section_ground_line(p.wks, lost, true).empty());
    EXPECT_TRUE(std::isnan(velmo::ground_height_at({}, 0)));
    EXPECT_EQ(wks_cal_section(p.wks, nullptr, nullptr), 0);
    EXPECT_EQ(wks_cal_section(nullptr, s, nullptr), 0);
}

TEST(SectionCompute, NewRangesTakeEffectAtTheNextComputation)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1100, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, rows, 1.0, 40.0), 1);
    section_t *s = item<section_t>(p.wks->latitude_sections, 0);
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    size_t before = array_size(s->points);
    velmo_point_t *old_point = item<velmo_point_t>(s->points, 0);
    velmo_point_t kept = *old_point;

    double thicker[2] = {-1, 1}, narrow[2] = {-5, 5};
    ASSERT_NE(wks_modify_section_offset(p.wks, s, thicker), 0);
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    size_t thick = array_size(s->points);
    EXPECT_NEAR(double(thick) / double(before), 2.0, 0.3);
    ASSERT_NE(wks_modify_section_width(p.wks, s, narrow), 0);
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    for (const velmo_point_t &q : records(s->points))
        ASSERT_LE(std::fabs(q.u), 5.0f);
    EXPECT_EQ(std::memcmp(old_point, &kept, sizeof kept), 0) << "replaced points stay readable";

    double bad[2] = {std::nan(""), 1};
    EXPECT_EQ(wks_modify_section_offset(p.wks, s, bad), 0);
    EXPECT_EQ(wks_modify_section_offset(p.wks, s, nullptr), 0);
    EXPECT_EQ(s->normal_range[0], -1.0);

    double lrows[] = {1010, 1190};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, lrows, 1.0), 1);
    section_t *l = item<section_t>(p.wks->longitude_sections, 0);
    EXPECT_EQ(wks_modify_section_width(p.wks, l, narrow), 0) << "a longitude section spans its chainages";
    EXPECT_EQ(l->width_range[0], 1010.0);
}

// Records in the arrays a section replaced and keeps readable.
size_t retired_records(const section_t *section)
{
    size_t records = 0;
    for (const Array *list : section->state->retired_arrays)
        records += array_size(list);
    return records;
}

// A batch of new sections is computed for its ground line without keeping
// every point in memory; a section on show gets its points recomputed.
TEST(SectionCompute, ExportKeepsPointsOnlyOfSectionsThatShowThem)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1050, 0, 1150, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 2, rows, 1.0, 40.0), 2);
    section_t *fresh = item<section_t>(p.wks->latitude_sections, 0);
    section_t *shown = item<section_t>(p.wks->latitude_sections, 1);
    ASSERT_NE(wks_cal_section(p.wks, shown, nullptr), 0);
    size_t count = array_size(shown->points);
    Array *before = shown->points;
    ASSERT_NE(wks_export_section(p.wks, fresh), 0);
    ASSERT_NE(wks_export_section(p.wks, shown), 0);
    EXPECT_EQ(array_size(fresh->points), 0u);
    // Computed again with nothing changed, it keeps the records it shows
    // rather than piling up replaced ones until it is freed.
    EXPECT_EQ(shown->points, before);
    EXPECT_EQ(array_size(shown->points), count);
    EXPECT_EQ(retired_records(shown), 0u);
    // A narrower slab shows fewer points, in new records.
    double half[2] = {-10, 10};
    ASSERT_NE(wks_modify_section_width(p.wks, shown, half), 0);
    ASSERT_NE(wks_export_section(p.wks, shown), 0);
    EXPECT_NE(shown->points, before);
    EXPECT_LT(array_size(shown->points), count);
    EXPECT_GT(array_size(shown->points), count / 3);
    EXPECT_EQ(retired_records(shown), count);
    EXPECT_EQ(shown->state->retired_arrays.back(), before) << "the replaced points stay readable";
    for (const velmo_point_t &q : records(shown->points))
        ASSERT_TRUE(q.u >= -10 && q.u <= 10) << q.u;
    std::vector<velmo::GroundPoint> line = velmo::section_ground_line(p.wks, fresh, true);
    ASSERT_GT(line.size(), 100u);
    EXPECT_NEAR(velmo::ground_height_at(line, 0), lasgen::design_height(p.spec(), 1050, 0), 0.02);
    EXPECT_EQ(array_size(fresh->points), 0u);
    EXPECT_EQ(wks_export_section(p.wks, nullptr), 0);
}

// Sections saved together, several at once, end as each saved alone does:
// the same ground line, the points kept only by those that showed some.
// Null, repeated and foreign sections in the list are passed over.
TEST(SectionCompute, SectionsExportedTogetherOnThreadsMatchThoseExportedAlone)
{
    Project alone(CorridorFiles::curved()), together(CorridorFiles::curved());
    std::vector<double> rows = latitude_rows(10, 290, 20);
    const int n = int(rows.size() / 2) + 1; // and a longitude section, large enough to share among threads
    const double along[] = {0, 300};
    std::vector<section_t *> single, batch;
    for (Project *p : {&alone, &together}) {
        ASSERT_EQ(wks_generate_road_latitude_sections(p->wks, p->road, n - 1, rows.data(), 1.0, 40.0), n - 1);
        ASSERT_EQ(wks_generate_road_longitude_sections(p->wks, p->road, 1, along, 10.0), 1);
        for (int i : {0, 5})
            ASSERT_NE(wks_cal_section(p->wks, item<section_t>(p->wks->latitude_sections, size_t(i)), nullptr), 0);
    }
    for (int i = 0; i < n; i++) {
        const bool last = i == n - 1;
        single.push_back(last ? item<section_t>(alone.wks->longitude_sections, 0)
                              : item<section_t>(alone.wks->latitude_sections, size_t(i)));
        batch.push_back(last ? item<section_t>(together.wks->longitude_sections, 0)
                             : item<section_t>(together.wks->latitude_sections, size_t(i)));
        ASSERT_NE(wks_export_section(alone.wks, single.back()), 0);
    }
    std::vector<section_t *> list = batch;
    list.insert(list.begin() + 3, {nullptr, batch[1], single[2]});
    EXPECT_EQ(wks_export_sections(together.wks, list.data(), int(list.size())), n);
    for (int i = 0; i < n; i++) {
        SCOPED_TRACE(single[i]->name);
        EXPECT_EQ(array_size(batch[i]->points), array_size(single[i]->points));
        EXPECT_EQ(array_size(batch[i]->points) > 0, i == 0 || i == 5);
        std::vector<velmo::GroundPoint> a = velmo::section_ground_line(alone.wks, single[i], true);
        std::vector<velmo::GroundPoint> b = velmo::section_ground_line(together.wks, batch[i], true);
        ASSERT_EQ(a.size(), b.size());
        ASSERT_GT(a.size(), 100u);
        for (size_t k = 0; k < a.size(); k++)
            ASSERT_EQ(std::memcmp(&a[k], &b[k], sizeof a[k]), 0) << "point " << k;
    }
    EXPECT_EQ(wks_export_sections(together.wks, nullptr, 3), 0);
    EXPECT_EQ(wks_export_sections(together.wks, list.data(), 0), 0);
    EXPECT_EQ(wks_export_sections(nullptr, list.data(), int(list.size())), 0);
}

// A section the surveyor removed while a batch computed it is neither
// counted as saved nor written back: deleted (its row gone), or deleted and
// taken out of its list, as the program removes one.
TEST(SectionCompute, ExportsCountOnlyTheSectionsTheProjectKeeps)
{
    Project p(CorridorFiles::straight());
    std::vector<section_t *> list = latitude_sections(p, 1020, 1160, 20);
    const int n = int(list.size());
    ASSERT_EQ(n, 8);
    section_t *deleted = list[1], *removed = list[4];
    ASSERT_NE(wks_save_remove_section(p.wks, deleted), 0);
    ASSERT_NE(wks_save_remove_section(p.wks, removed), 0);
    ASSERT_NE(wks_remove_section(p.wks, removed), 0);
    EXPECT_EQ(wks_export_sections(p.wks, list.data(), n), n - 2);
    EXPECT_EQ(wks_export_sections(p.wks, &deleted, 1), 0);
    EXPECT_EQ(wks_export_sections(p.wks, &list[2], 1), 1);
    ASSERT_NE(wks_export_project(p.wks), 0);
    p.reopen();
    EXPECT_EQ(array_size(p.wks->latitude_sections), size_t(n - 2));
}

} // namespace

// A centre line with one vertex far out along x or y (a damaged file) still
// gives the section of its near part, from a grid of bounded size: a long
// narrow grid neither overflows its row of cells nor grows with the distance.
TEST(SectionCompute, ALongitudeLineWithAFarVertexKeepsItsNearPart)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1100, 1200};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, rows, 2.0), 1);
    section_t *s = item<section_t>(p.wks->longitude_sections, 0);
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    auto near_part = [s] {
        std::vector<velmo_point_t> points = records(s->points);
        return count_if(points, [](const velmo_point_t &q) { return q.u < 1199.5f; });
    };
    const size_t expected = near_part();
    ASSERT_GT(expected, 1000u);
    const std::vector<double> line(s->vertices, s->vertices + 3 * s->vertex_count);
    const size_t last = line.size() - 3;
    // Onwards along the axis nearest the road's way, so that the far segment
    // takes no point before the end.
    const double dx = line[last] - line[last - 3], dy = line[last + 1] - line[last - 2];
    const bool along_x = std::fabs(dx) >= std::fabs(dy);
    const double way = (along_x ? dx : dy) > 0 ? 1.0 : -1.0;
    for (double far : {1e10, 1e12, 9.4e25}) {
        std::vector<double> longer = line;
        longer.insert(longer.end(), {line[last] + (along_x ? way * far : 0.0),
                                     line[last + 1] + (along_x ? 0.0 : way * far), line[last + 2] + 1.0});
        auto *vertices = static_cast<double *>(std::realloc(s->vertices, longer.size() * sizeof(double)));
        ASSERT_NE(vertices, nullptr);
        std::copy(longer.begin(), longer.end(), vertices);
        s->vertices = vertices;
        s->vertex_count = int(longer.size() / 3);
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0) << far;
        EXPECT_EQ(expected, near_part()) << far;
    }
}
