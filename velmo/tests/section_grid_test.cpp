// Sections read only the cells of each tile's grid that meet their slab:
// they must still get every point a reading of the whole cloud finds, on
// tile and cell edges too, and the grids must list every point once.
#include "section_corridor.h"

#include "section_grid.h"
#include "section_state.h"
#include "temp_dir.h"
#include "tile_format.h"
#include "workspace_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

using namespace section_test;

namespace {

// ---- one grid, on points made here --------------------------------------

// Stored coordinates in hundredths of a millimetre.
const velmo::Quantisation FINE = {{0, 0, 0}, {1e-5, 1e-5, 1e-5}};

tile_point_t stored_at(double x, double y, double z)
{
    tile_point_t p{};
    p.x = int32_t(std::lround(x * 1e5));
    p.y = int32_t(std::lround(y * 1e5));
    p.z = int32_t(std::lround(z * 1e5));
    return p;
}

tile_t tile_over(double x0, double y0, double x1, double y1, double z0, double z1, size_t count)
{
    tile_t tile{};
    const double box[6] = {x0, y0, z0, x1, y1, z1};
    std::copy(box, box + 6, tile.box);
    tile.point_count = uint32_t(count);
    return tile;
}

void world_of(const tile_point_t &p, double out[3])
{
    out[0] = 1e-5 * p.x;
    out[1] = 1e-5 * p.y;
    out[2] = 1e-5 * p.z;
}

bool in_box(const double p[3], const double box[6])
{
    return p[0] >= box[0] && p[0] <= box[3] && p[1] >= box[1] && p[1] <= box[4] && p[2] >= box[2] &&
           p[2] <= box[5];
}

// Every point listed once: in a cell whose box holds it, or among the
// strays exactly when it lies outside the tile's box.
void expect_lists_every_point_once(const velmo::TileGrid &grid, const tile_t &tile,
                                   const std::vector<tile_point_t> &points)
{
    std::vector<int> seen(points.size(), 0);
    double box[6], p[3];
    for (int row = 0; row < grid.rows(); row++)
        for (int column = 0; column < grid.columns(); column++) {
            grid.box(row, column, column, box);
            for (const uint32_t *n = grid.begin(row, column); n != grid.end(row, column); n++) {
                ASSERT_LT(*n, points.size());
                seen[*n]++;
                world_of(points[*n], p);
                EXPECT_TRUE(in_box(p, box)) << p[0] << " " << p[1] << " " << p[2] << " in cell " << row << ","
                                            << column;

            }
        }
    for (const uint32_t *n = grid.strays_begin(); n != grid.strays_end(); n++) {
        ASSERT_LT(*n, points.size());
        seen[*n]++;
        world_of(points[*n], p);
        double near[6];
        for (int k = 0; k < 3; k++) {
            near[k] = tile.box[k] - velmo::TileGrid::MARGIN / 2;
            near[k + 3] = tile.box[k + 3] + velmo::TileGrid::MARGIN / 2;
        }
        EXPECT_FALSE(in_box(p, near)) << p[0] << " " << p[1] << " " << p[2];
    }
    for (size_t i = 0; i < points.size(); i++)
        ASSERT_EQ(seen[i], 1) << "point " << i;
}

TEST(SectionGrid, EveryPointOfATileIsListedOnceInTheCellThatHoldsIt)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(100, 116), y(300, 316), z(0, 10);
    std::vector<tile_point_t> points;
    for (int i = 0; i < 20000; i++)
        points.push_back(stored_at(x(random), y(random), z(random)));
    // On the tile's edges and corners, and just outside them: a damaged
    // store's points beyond their tile's box.
    for (double edge_x : {100.0, 116.0, 108.0})
        for (double edge_y : {300.0, 316.0, 308.0})
            points.push_back(stored_at(edge_x, edge_y, 5));
    // A hair outside, as rounding puts it: in the edge cell.
    points.push_back(stored_at(116.00004, 316.00004, 10.00004));
    points.push_back(stored_at(99.99996, 299.99996, -0.00004));
    for (auto [sx, sy, sz] : {std::make_tuple(99.999, 305.0, 5.0), std::make_tuple(116.001, 305.0, 5.0),
                              std::make_tuple(105.0, 299.999, 5.0), std::make_tuple(105.0, 316.5, 5.0),
                              std::make_tuple(105.0, 305.0, -0.001), std::make_tuple(105.0, 305.0, 10.001),
                              std::make_tuple(-5000.0, 10000.0, 5.0)})
        points.push_back(stored_at(sx, sy, sz));
    const tile_t tile = tile_over(100, 300, 116, 316, 0, 10, points.size());
    velmo::TileGrid grid(tile, points.data(), FINE);
    EXPECT_GT(grid.columns(), 8);
    EXPECT_GT(grid.rows(), 8);
    EXPECT_EQ(grid.strays_end() - grid.strays_begin(), 7);
    expect_lists_every_point_once(grid, tile, points);

    // The columns named for an x reach every cell whose box holds it.
    double box[6];
    for (int i = 0; i < 2000; i++) {
        const double at = i < 1000 ? x(random) : 100 + 16.0 * (i - 1000) / 1000; // cell edges among them
        int from = grid.column_from(at), to = grid.column_to(at);
        for (int column = 0; column < grid.columns(); column++) {
            grid.box(0, column, column, box);
            if (at >= box[0] && at <= box[3]) {
                EXPECT_LE(from, column) << at;
                EXPECT_GE(to, column) << at;
            }
        }
    }
}

TEST(SectionGrid, FlatEmptyAndDamagedTilesStillListEveryPoint)
{
    // Every point on one north-south line: one column.
    std::vector<tile_point_t> line;
    for (int i = 0; i <= 500; i++)
        line.push_back(stored_at(50, 10 + 0.01 * i, 1));
    tile_t flat = tile_over(50, 10, 50, 15, 1, 1, line.size());
    velmo::TileGrid flat_grid(flat, line.data(), FINE);
    EXPECT_EQ(flat_grid.columns(), 1);
    EXPECT_EQ(flat_grid.column_from(50), 0);
    EXPECT_EQ(flat_grid.column_to(50), 0);
    EXPECT_GT(flat_grid.column_from(51), 0) << "no column reaches past the line";
    expect_lists_every_point_once(flat_grid, flat, line);

    tile_t empty = tile_over(0, 0, 10, 10, 0, 1, 0);
    velmo::TileGrid empty_grid(empty, nullptr, FINE);
    EXPECT_EQ(empty_grid.strays_end(), empty_grid.strays_begin());
    EXPECT_EQ(empty_grid.end(empty_grid.rows() - 1, empty_grid.columns() - 1), empty_grid.begin(0, 0));

    // A box of no numbers holds nothing: every point is a stray, so a slab
    // that meets the tile still reads it.
    tile_t damaged = tile_over(NAN, 10, 60, 15, 1, 1, line.size());
    velmo::TileGrid damaged_grid(damaged, line.data(), FINE);
    EXPECT_EQ(size_t(damaged_grid.strays_end() - damaged_grid.strays_begin()), line.size());
}

// ---- sections over a corridor, against a reading of every point ---------

std::vector<velmo_point_t> every_point(velmo_t *cloud)
{
    std::vector<velmo_point_t> points;
    for (const tile_t &tile : cloud->state->tiles)
        for (size_t i = 0; i < array_size(tile.entries); i++) {
            velmo_point_t p{};
            velmo_read_point_osg(cloud, const_cast<tile_t *>(&tile), item<tile_point_t>(tile.entries, i), &p);
            points.push_back(p);
        }
    return points;
}

// What a planar section must hold, measured as the engine measures.
std::vector<std::tuple<double, double, double>> slab_of(const section_t *s, const std::vector<velmo_point_t> &cloud)
{
    std::vector<std::tuple<double, double, double>> inside;
    for (const velmo_point_t &q : cloud) {
        const double d[3] = {q.x - s->center[0], q.y - s->center[1], q.z - s->center[2]};
        const double u = dot(d, s->axis_u), w = dot(d, s->normal), v = dot(d, s->axis_v);
        bool window = s->type != SECTION_HORIZONTAL || (v >= s->width_range[0] && v <= s->width_range[1]);
        if (u >= s->width_range[0] && u <= s->width_range[1] && w >= s->normal_range[0] &&
            w <= s->normal_range[1] && window)
            inside.emplace_back(q.x, q.y, q.z);
    }
    std::sort(inside.begin(), inside.end());
    return inside;
}

std::vector<std::tuple<double, double, double>> held_by(const section_t *s)
{
    std::vector<std::tuple<double, double, double>> held;
    for (const velmo_point_t &q : records(s->points))
        held.emplace_back(q.x, q.y, q.z);
    std::sort(held.begin(), held.end());
    return held;
}

// Thin slabs crossing tiles at every angle, slabs lying along tile edges
// and centred on corners, windows, and slabs wide enough to read tiles
// whole.
std::vector<section_t *> add_test_sections(wks_t *wks, const velmo_t *cloud)
{
    std::vector<section_t *> sections;
    const std::vector<tile_t> &tiles = cloud->state->tiles;
    const double up[3] = {0, 0, 1}, north[3] = {0, 1, 0}, thin[2] = {-0.05, 0.05}, wide[2] = {-60, 60};
    std::mt19937 random(11);
    std::uniform_real_distribution<double> angle(0, 2 * M_PI);
    for (size_t t = 0; t < tiles.size(); t += std::max<size_t>(1, tiles.size() / 12)) {
        const double *b = tiles[t].box;
        const double z = (b[2] + b[5]) / 2;
        const double corner[3] = {b[0], b[1], z}, middle[3] = {(b[0] + b[3]) / 2, (b[1] + b[4]) / 2, z};
        const double along_x[3] = {1, 0, 0}, along_y[3] = {0, 1, 0}, vertical[3] = {0, 0, 1};
        sections.push_back(wks_add_custom_section(wks, "edge x", corner, along_x, up, thin, wide));
        sections.push_back(wks_add_custom_section(wks, "edge y", corner, along_y, up, thin, wide));
        const double window[2] = {-3, 3}, level[2] = {-0.5, 0.5};
        sections.push_back(wks_add_custom_section(wks, "corner window", corner, vertical, north, level, window));
        for (int k = 0; k < 4; k++) {
            const double a = angle(random), normal[3] = {std::cos(a), std::sin(a), 0};
            sections.push_back(wks_add_custom_section(wks, "oblique", k % 2 ? middle : corner, normal, up, thin, wide));
        }
        const double broad[2] = {-4, 4}, whole[2] = {-40, 40};
        sections.push_back(wks_add_custom_section(wks, "broad", middle, along_y, up, broad, wide));
        sections.push_back(wks_add_custom_section(wks, "whole tiles", middle, along_x, up, whole, wide));
    }
    return sections;
}

TEST(SectionGrid, SectionsHoldExactlyThePointsAReadingOfEveryPointFinds)
{
    Project p(CorridorFiles::curved());
    ASSERT_GT(p.cloud->state->tiles.size(), 3u);
    const std::vector<velmo_point_t> cloud = every_point(p.cloud);
    ASSERT_EQ(cloud.size(), p.spec().points);
    std::vector<section_t *> sections = add_test_sections(p.wks, p.cloud);
    std::vector<double> rows = latitude_rows(5, 295, 7.3);
    const int n = int(rows.size() / 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 0.3, 40.0), n);
    for (int i = 0; i < n; i++)
        sections.push_back(item<section_t>(p.wks->latitude_sections, size_t(i)));
    size_t held = 0;
    for (section_t *s : sections) {
        ASSERT_NE(s, nullptr);
        SCOPED_TRACE(std::string(s->name) + " at " + std::to_string(s->center[0]) + ", " +
                     std::to_string(s->center[1]));
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
        std::vector<std::tuple<double, double, double>> expected = slab_of(s, cloud);
        ASSERT_EQ(held_by(s), expected);
        held += expected.size();
    }
    EXPECT_GT(held, 100000u);
}

// A tile whose box misses some of its points (a damaged store directory)
// still gives them to the sections that read the tile.
TEST(SectionGrid, PointsOutsideTheirTilesBoxAreStillFound)
{
    Project p(CorridorFiles::curved());
    const std::vector<velmo_point_t> cloud = every_point(p.cloud);
    for (tile_t &tile : p.cloud->state->tiles) {
        tile.box[5] = (tile.box[2] + tile.box[5]) / 2; // the upper half lies above the box
        tile.box[3] -= 2;                              // and an eastern strip beside it
    }
    std::vector<double> rows = latitude_rows(5, 295, 11);
    const int n = int(rows.size() / 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 1.0, 40.0), n);
    for (int i = 0; i < n; i++) {
        section_t *s = item<section_t>(p.wks->latitude_sections, size_t(i));
        SCOPED_TRACE(s->name);
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
        ASSERT_EQ(held_by(s), slab_of(s, cloud));
    }
}

// The store's checksum covers its head, not its cell index: numbers there
// that are damaged give a section wrong cells of a tile, never a read
// beyond it, and every point it keeps is one of the slab's.
TEST(SectionGrid, ADamagedCellIndexNeverReadsBeyondItsTile)
{
    Project p(CorridorFiles::curved());
    const std::vector<velmo_point_t> cloud = every_point(p.cloud);
    const std::string store = p.cloud->state->store_path;
    std::string bytes = read_bytes(store);
    velmo::tile_format::Header h;
    std::memcpy(&h, bytes.data(), sizeof h);
    ASSERT_GT(h.index_count, 1000u);
    const uint32_t damage[] = {0xFFFFFFF0u, 7, 0, 123456, 0x80000000u, 3};
    for (uint64_t i = 0; i < h.index_count; i++)
        std::memcpy(&bytes[h.index_offset + i * 4], &damage[i % 6], 4);
    write_bytes(store, bytes);
    p.reopen();
    std::vector<double> rows = latitude_rows(5, 295, 13);
    const int n = int(rows.size() / 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 1.0, 40.0), n);
    for (int i = 0; i < n; i++) {
        section_t *s = item<section_t>(p.wks->latitude_sections, size_t(i));
        ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
        std::vector<std::tuple<double, double, double>> held = held_by(s), slab = slab_of(s, cloud);
        EXPECT_TRUE(std::includes(slab.begin(), slab.end(), held.begin(), held.end())) << s->name;
    }
}

// Grids built by several threads at once, each for the tiles its own
// sections meet, give every section what a reading of every point finds.
TEST(SectionConcurrency, ThreadsBuildingTheSameTilesGridsAtOnceGetEveryPoint)
{
    Project p(CorridorFiles::curved());
    const std::vector<velmo_point_t> cloud = every_point(p.cloud);
    // Fewer sections than the 64 locks ThreadSanitizer follows at once.
    std::vector<double> rows = latitude_rows(5, 295, 10);
    const int n = int(rows.size() / 2);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, n, rows.data(), 1.0, 40.0), n);
    std::vector<std::thread> threads;
    std::atomic<int> failed{0};
    const int thread_count = 4;
    for (int t = 0; t < thread_count; t++)
        threads.emplace_back([&, t]() {
            for (int i = t; i < n; i += thread_count)
                if (!wks_cal_section(p.wks, item<section_t>(p.wks->latitude_sections, size_t(i)), nullptr))
                    failed++;
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(failed, 0);
    for (int i = 0; i < n; i++) {
        section_t *s = item<section_t>(p.wks->latitude_sections, size_t(i));
        SCOPED_TRACE(s->name);
        ASSERT_EQ(held_by(s), slab_of(s, cloud));
    }
}

// ---- the automatic ground line ------------------------------------------

// The line as a surveyor reads its definition: in every quarter metre of
// u, the lowest tenth of the ground points' heights, or of every point's
// when the bin has no ground point.
std::vector<std::pair<float, float>> line_by_definition(const std::vector<velmo_point_t> &points)
{
    std::vector<std::pair<float, float>> line;
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const velmo_point_t &p : points)
        if (std::isfinite(p.u) && std::isfinite(p.v)) {
            low = std::min(low, double(p.u));
            high = std::max(high, double(p.u));
        }
    if (!(low <= high))
        return line;
    const long first = long(std::floor(low / 0.25)), last = long(std::floor(high / 0.25));
    for (long bin = first; bin <= last; bin++) {
        std::vector<double> ground, all;
        for (const velmo_point_t &p : points)
            if (std::isfinite(p.u) && std::isfinite(p.v) && long(std::floor(p.u / 0.25)) == bin) {
                all.push_back(p.v);
                if (p.classification == 2 || p.classification == 11)
                    ground.push_back(p.v);
            }
        std::vector<double> &heights = ground.empty() ? all : ground;
        if (heights.empty())
            continue;
        std::sort(heights.begin(), heights.end());
        line.emplace_back(float((double(bin) + 0.5) * 0.25), float(heights[size_t(0.1 * double(heights.size() - 1))]));
    }
    return line;
}

TEST(SectionGrid, AutomaticLineTakesTheLowestTenthOfEachBin)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> u(-7.3f, 9.1f), v(90, 110);
    std::uniform_int_distribution<int> cls(0, 12);
    std::vector<velmo_point_t> points;
    for (int i = 0; i < 6000; i++) {
        velmo_point_t p{};
        p.u = u(random);
        p.v = v(random);
        // Ground points only on the left half: the right half's bins take
        // every point.
        p.classification = uint8_t(p.u < 0 ? cls(random) : (cls(random) % 2 ? 1 : 5));
        points.push_back(p);
    }
    velmo_point_t odd{};
    odd.u = NAN;
    odd.v = 0;
    points.push_back(odd);
    odd.u = 1;
    odd.v = INFINITY;
    points.push_back(odd);
    odd.u = 20; // a lone point past a gap of empty bins
    odd.v = 50;
    points.push_back(odd);

    section_t section{};
    section.type = SECTION_CUSTOM;
    const double normal[3] = {0, -1, 0}, axis_u[3] = {1, 0, 0}, axis_v[3] = {0, 0, 1};
    std::copy(normal, normal + 3, section.normal);
    std::copy(axis_u, axis_u + 3, section.axis_u);
    std::copy(axis_v, axis_v + 3, section.axis_v);
    std::vector<velmo::GroundPoint> line = velmo::section_automatic_line(&section, points);
    std::vector<std::pair<float, float>> expected = line_by_definition(points);
    ASSERT_EQ(line.size(), expected.size());
    for (size_t i = 0; i < line.size(); i++) {
        EXPECT_EQ(float(line[i].u), expected[i].first) << i;
        EXPECT_EQ(float(line[i].v), expected[i].second) << i;
    }
    EXPECT_EQ(float(line.back().v), 50.0f);
}

} // namespace
