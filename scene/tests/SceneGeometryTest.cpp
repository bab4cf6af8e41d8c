#include "scene_test_support.h"

#include "test_roads.h"

#include <osg/observer_ptr>

#include <cmath>
#include <deque>

namespace {

using namespace test_roads;
using SceneRoads = SceneTest;
using SceneSections = SceneTest;
using SceneSectionView = SceneTest;

// A road record around a road handle of the test's own.
struct TestRoad {
    wks_road_t record = {};
    TestRoad() { road_init(&record.road); }
    ~TestRoad() { road_final(&record.road); }
    road_t *road() { return &record.road; }
};

// A section record with point arrays of the test's own.
struct TestSection {
    section_t section = {};
    std::deque<velmo_point_t> storage;

    explicit TestSection(int type, double near = -1, double far = 1)
    {
        section.type = type;
        section.normal_range[0] = near;
        section.normal_range[1] = far;
        array_new(&section.points);
        array_new(&section.red_line);
        array_new(&section.measurements);
    }
    ~TestSection()
    {
        array_destroy(section.points);
        array_destroy(section.red_line);
        array_destroy(section.measurements);
    }
    velmo_point_t *add(Array *list, float u, float v, float w)
    {
        storage.emplace_back();
        velmo_point_t *p = &storage.back();
        *p = {};
        p->u = u;
        p->v = v;
        p->w = w;
        p->x = 1000 + u;
        p->y = 2000 + w;
        p->z = v;
        array_add(list, p);
        return p;
    }
};

osg::Geode *only_geode(SceneObjectTable *table, const void *object)
{
    osg::Group *group = shown_group(table, object);
    return group && group->getNumChildren() == 1 ? geode_at(group, 0) : nullptr;
}

osg::Geode *section_view_geode(osg::Group *group)
{
    return group->getNumChildren() == 1 ? geode_at(group, 0) : nullptr;
}

void expect_plane_vertices(const osg::Geometry *geometry, const std::vector<osg::Vec3d> &expected)
{
    const osg::Vec3dArray *vertices = vertices_of(geometry);
    ASSERT_NE(vertices, nullptr);
    ASSERT_EQ(vertices->size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ((*vertices)[i], expected[i]) << "vertex " << i;
}

// ---- Roads -------------------------------------------------------------------------

TEST_F(SceneRoads, RoadWithoutProfileLiesFlatAtTheBaseElevation)
{
    g_workspace->base_elevation = 12.5;
    TestRoad road;
    five_element_alignment(road.road());
    SceneShowRoad(&road.record);

    osg::Geometry *line = geometry_at(only_geode(RoadTable, &road.record), 0);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(primitive_of(line), (GLenum)GL_LINE_STRIP);
    EXPECT_TRUE(draws_all_vertices(line));
    EXPECT_VEC4_EQ(overall_colour(line), 1, 1, 1, 1);
    EXPECT_EQ(line->getStateSet(), nullptr);

    // Start 1, line 2, the 35 m spirals 18 each (0, 2, .. 34), the 50.3 m arc
    // 26 (0, 2, .. 50), line 2.
    const osg::Vec3dArray &v = *vertices_of(line);
    ASSERT_EQ(v.size(), 67u);
    for (const osg::Vec3d &vertex : v)
        EXPECT_EQ(vertex.z(), 12.5);
    // The road library's X is north: it becomes the vertex's y.
    EXPECT_EQ(v[0], osg::Vec3d(36973.58929, 41801.83399, 12.5));
    const horizon_element_t *arc = road_horizon(road.road(), 3);
    double x = 0, y = 0;
    road_l2xy(road.road(), arc->start_chainage + 2, &x, &y, nullptr);
    EXPECT_EQ(v[1 + 2 + 18 + 1], osg::Vec3d(y, x, 12.5));
}

TEST_F(SceneRoads, ArcIsSampledEveryTwoMetresWithoutItsEnd)
{
    TestRoad road;
    append(road.road(), start_point(1000, 2000, 0.3, 100));
    append(road.road(), circle(5, 50, 1));
    road_apply_horizon(road.road());
    SceneShowRoad(&road.record);

    const osg::Vec3dArray &v = *vertices_of(geometry_at(only_geode(RoadTable, &road.record), 0));
    ASSERT_EQ(v.size(), 4u) << "the start point, then chainages 100, 102 and 104";
    for (int k = 0; k < 3; k++) {
        double x = 0, y = 0;
        road_l2xy(road.road(), 100 + 2 * k, &x, &y, nullptr);
        EXPECT_NEAR(v[1 + k].x(), y, 1e-9) << "chainage " << 100 + 2 * k;
        EXPECT_NEAR(v[1 + k].y(), x, 1e-9) << "chainage " << 100 + 2 * k;
    }
    EXPECT_NEAR(v[1].x(), 2000, 1e-9);
    EXPECT_NEAR(v[1].y(), 1000, 1e-9);
}

TEST_F(SceneRoads, RoadWithProfileFollowsItsDesignElevation)
{
    g_workspace->base_elevation = -3;
    TestRoad road;
    append(road.road(), start_point(0, 0, 0, 100));
    append(road.road(), line(50));
    road_apply_horizon(road.road());
    vertical_element_t start = {}, grade = {};
    start.type = VERTICAL_START;
    start.start_chainage = 100;
    start.start_elevation = 50;
    start.start_grade = std::atan(0.02);
    grade.type = VERTICAL_GRADE;
    grade.length = 50;
    grade.start_grade = std::atan(0.02);
    road_insert_vertical(road.road(), &start, 0);
    road_insert_vertical(road.road(), &grade, 1);
    road_apply_vertical(road.road());
    SceneShowRoad(&road.record);

    const osg::Vec3dArray &v = *vertices_of(geometry_at(only_geode(RoadTable, &road.record), 0));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NEAR(v[0].z(), 50, 1e-9);
    EXPECT_NEAR(v[1].z(), 50, 1e-9);
    EXPECT_NEAR(v[2].z(), 51, 1e-9);
    EXPECT_NEAR(v[2].y(), 50, 1e-9) << "azimuth 0 runs north, the road library's X";
}

TEST_F(SceneRoads, RoadWithoutElementsGetsAnEmptyLineStrip)
{
    TestRoad road;
    SceneShowRoad(&road.record);
    osg::Geometry *line = geometry_at(only_geode(RoadTable, &road.record), 0);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(vertices_of(line)->size(), 0u);
    EXPECT_TRUE(draws_all_vertices(line));
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
}

TEST_F(SceneRoads, ShowingARoadTwiceAddsItOnceAndHidingRemovesIt)
{
    TestRoad road;
    five_element_alignment(road.road());
    SceneShowRoad(&road.record);
    SceneShowRoad(&road.record);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
    EXPECT_EQ(treetable_size(RoadTable), 1u);
    SceneHideRoad(&road.record);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
    EXPECT_EQ(treetable_size(RoadTable), 0u);
}

// ---- Sections in world space -------------------------------------------------------------

TEST_F(SceneSections, CustomSectionFrameLineCrossesItsWidthAtTheBaseElevation)
{
    g_workspace->base_elevation = 12;
    const double center[3] = {100, 200, 0}, normal[3] = {0, 1, 0}, up[3] = {0, 0, 1};
    const double near_far[2] = {-0.5, 0.5}, width[2] = {-5, 5};
    section_t *section = wks_add_custom_section(g_workspace, "custom0", center, normal, up, near_far, width);
    ASSERT_NE(section, nullptr);
    SceneShowSection(section);

    osg::Geometry *line = geometry_at(only_geode(SectionTable, section), 0);
    ASSERT_NE(line, nullptr) << "a frame line and, without a ground line, nothing else";
    EXPECT_EQ(primitive_of(line), (GLenum)GL_LINE_STRIP);
    EXPECT_TRUE(draws_all_vertices(line));
    EXPECT_VEC4_EQ(overall_colour(line), 0.6f, 0, 0, 1);
    EXPECT_FLOAT_EQ(line_width_of(line), 2.0f);
    EXPECT_TRUE(unlit(line));
    const osg::Vec3dArray &v = *vertices_of(line);
    ASSERT_EQ(v.size(), 2u);
    // Across the normal (north), 10 m long, centred on the section's centre.
    EXPECT_NEAR((v[1] - v[0]).length(), 10, 1e-9);
    EXPECT_NEAR(v[1].y() - v[0].y(), 0, 1e-9);
    EXPECT_NEAR((v[0].x() + v[1].x()) / 2, 100, 1e-9);
    EXPECT_NEAR(v[0].y(), 200, 1e-9);
    EXPECT_EQ(v[0].z(), 12);
    EXPECT_EQ(v[1].z(), 12);
}

TEST_F(SceneSections, LongitudeSectionDrawsItsGroundPolylineAtTheBaseElevation)
{
    g_workspace->base_elevation = 7;
    TestSection longitude(SECTION_LONGITUDE);
    double vertices[9] = {10, 20, 0, 15, 25, 7.07, 22, 25, 14.07};
    longitude.section.vertex_count = 3;
    longitude.section.vertices = vertices;
    SceneShowSection(&longitude.section);

    osg::Geometry *line = geometry_at(only_geode(SectionTable, &longitude.section), 0);
    ASSERT_NE(line, nullptr);
    expect_plane_vertices(line, {{10, 20, 7}, {15, 25, 7}, {22, 25, 7}});
    EXPECT_VEC4_EQ(overall_colour(line), 0.6f, 0, 0, 1);
    EXPECT_FLOAT_EQ(line_width_of(line), 2.0f);
    EXPECT_TRUE(unlit(line));
}

TEST_F(SceneSections, GroundLineIsDrawnBlueInWorldSpace)
{
    TestSection horizontal(SECTION_HORIZONTAL);
    horizontal.add(horizontal.section.measurements, 0, 10, 0);
    horizontal.add(horizontal.section.measurements, 3, 11, 0.5f);
    SceneShowSection(&horizontal.section);

    // A horizontal section has no frame line: the blue line is all there is.
    osg::Geode *geode = only_geode(SectionTable, &horizontal.section);
    ASSERT_NE(geode, nullptr);
    ASSERT_EQ(geode->getNumDrawables(), 2u);
    osg::Geometry *line = geometry_at(geode, 0);
    osg::Geometry *points = geometry_at(geode, 1);
    EXPECT_EQ(primitive_of(line), (GLenum)GL_LINE_STRIP);
    EXPECT_EQ(primitive_of(points), (GLenum)GL_POINTS);
    for (osg::Geometry *g : {line, points}) {
        expect_plane_vertices(g, {{1000, 2000, 10}, {1003, 2000.5, 11}});
        EXPECT_VEC4_EQ(overall_colour(g), 0, 0, 1, 1);
        EXPECT_TRUE(unlit(g));
    }
    EXPECT_FLOAT_EQ(line_width_of(line), 2.0f);
    EXPECT_FLOAT_EQ(point_size_of(points), 4.0f);
}

TEST_F(SceneSections, ShowingASectionTwiceAddsItOnce)
{
    TestSection latitude(SECTION_LATITUDE);
    SceneShowSection(&latitude.section);
    SceneShowSection(&latitude.section);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
    SceneHideSection(&latitude.section);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
}

TEST_F(SceneSections, OverlayShowsThePointsRedOnceAndGoesAgain)
{
    TestSection section(SECTION_CUSTOM);
    SceneShowSectionOverlay(&section.section, false); // nothing to remove
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);

    section.add(section.section.points, 1, 2, 3);
    section.add(section.section.points, 4, 5, 6);
    SceneShowSectionOverlay(&section.section, true);
    SceneShowSectionOverlay(&section.section, true);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
    osg::Geometry *points = geometry_at(only_geode(OverlayTable, &section.section), 0);
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(primitive_of(points), (GLenum)GL_POINTS);
    expect_plane_vertices(points, {{1001, 2003, 2}, {1004, 2006, 5}});
    EXPECT_VEC4_EQ(overall_colour(points), 1, 0, 0, 1);
    EXPECT_FLOAT_EQ(point_size_of(points), 2.0f);
    EXPECT_TRUE(unlit(points));

    SceneShowSectionOverlay(&section.section, false);
    EXPECT_EQ(SceneRoot->getNumChildren(), 0u);
    EXPECT_EQ(treetable_size(OverlayTable), 0u);
}

TEST_F(SceneSections, OverlayOfASectionWithoutPointsIsAnEmptyGroup)
{
    TestSection section(SECTION_CUSTOM);
    SceneShowSectionOverlay(&section.section, true);
    osg::Group *group = shown_group(OverlayTable, &section.section);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->getNumChildren(), 0u);
    EXPECT_EQ(SceneRoot->getNumChildren(), 1u);
}

// ---- The section view ---------------------------------------------------------------------

struct ClassTable {
    unsigned char visible[32];
    float colours[32][4];
    ClassTable()
    {
        for (int c = 0; c < 32; c++) {
            visible[c] = 1;
            colours[c][0] = c / 32.0f;
            colours[c][1] = 0.5f;
            colours[c][2] = 1 - c / 32.0f;
            colours[c][3] = c == 7 ? 0.0f : 1.0f;
        }
    }
};

const osg::Vec4Array &point_colours(const osg::Geometry *points)
{
    static const osg::ref_ptr<osg::Vec4Array> none = new osg::Vec4Array;
    const osg::Vec4Array *colours = dynamic_cast<const osg::Vec4Array *>(points->getColorArray());
    return colours && colours->getBinding() == osg::Array::BIND_PER_VERTEX ? *colours : *none;
}

TEST_F(SceneSectionView, PointsAreColouredByMode)
{
    TestSection section(SECTION_CUSTOM, -1, 1); // 2 m thick
    velmo_point_t *p = section.add(section.section.points, 1, 2, 0.5f);
    p->red = 255;
    p->green = 51;
    p->blue = 0;
    p->intensity = 510; // beyond 255: not clamped
    p->classification = 0x40 | 9;
    ClassTable table;

    auto colour_in_mode = [&](int mode) {
        SceneShowSectionPoints(&section.section, mode, 3, table.visible, table.colours);
        osg::Geometry *points = geometry_at(section_view_geode(SectionPointsGroup.get()), 0);
        const osg::Vec4Array &colours = point_colours(points);
        return colours.size() == 1 ? colours[0] : osg::Vec4(-1, -1, -1, -1);
    };
    EXPECT_VEC4_EQ(colour_in_mode(COLOR_RGB), 1, 0.2f, 0, 1);
    EXPECT_VEC4_EQ(colour_in_mode(COLOR_INTENSITY), 2, 2, 2, 1);
    // Offset grey: 1 - |w| * 1.6 / thickness.
    EXPECT_VEC4_EQ(colour_in_mode(COLOR_HEIGHT), 0.6f, 0.6f, 0.6f, 1);
    // Class 73 (LAS 1.4) is "other", the last entry; never class 9 of its
    // low five bits.
    EXPECT_VEC4_EQ(colour_in_mode(COLOR_CLASSIFICATION), 31 / 32.0f, 0.5f, 1 - 31 / 32.0f, 1);
    p->classification = 9;
    EXPECT_VEC4_EQ(colour_in_mode(COLOR_CLASSIFICATION), 9 / 32.0f, 0.5f, 1 - 9 / 32.0f, 1);
    p->classification = 0x40 | 9;

    osg::Geometry *points = geometry_at(section_view_geode(SectionPointsGroup.get()), 0);
    EXPECT_EQ(primitive_of(points), (GLenum)GL_POINTS);
    expect_plane_vertices(points, {{1, 2, 0.5}});
    EXPECT_FLOAT_EQ(point_size_of(points), 3.0f);
    EXPECT_TRUE(unlit(points));
}

TEST_F(SceneSectionView, UnknownModeLeavesThePointsUncoloured)
{
    TestSection section(SECTION_CUSTOM);
    section.add(section.section.points, 1, 2, 0);
    ClassTable table;
    SceneShowSectionPoints(&section.section, 9, 2, table.visible, table.colours);
    osg::Geometry *points = geometry_at(section_view_geode(SectionPointsGroup.get()), 0);
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(vertices_of(points)->size(), 1u);
    EXPECT_EQ(points->getColorArray(), nullptr);
}

TEST_F(SceneSectionView, HiddenClassIsNeitherDrawnNorCountedInTheAxisLine)
{
    TestSection section(SECTION_LATITUDE, -0.25, 0.75);
    section.add(section.section.points, 0, -10, 0)->classification = 7; // first, and hidden
    section.add(section.section.points, 1, 5, 0)->classification = 2;
    section.add(section.section.points, 2, 3, 0)->classification = 2;
    ClassTable table;
    table.visible[7] = 0;
    SceneShowSectionPoints(&section.section, COLOR_CLASSIFICATION, 2.5f, table.visible, table.colours);

    osg::Geode *geode = section_view_geode(SectionPointsGroup.get());
    ASSERT_NE(geode, nullptr);
    ASSERT_EQ(geode->getNumDrawables(), 2u);
    expect_plane_vertices(geometry_at(geode, 0), {{1, 5, 0}, {2, 3, 0}});
    EXPECT_EQ(point_colours(geometry_at(geode, 0)).size(), 2u);

    osg::Geometry *axis = geometry_at(geode, 1);
    EXPECT_EQ(primitive_of(axis), (GLenum)GL_LINE_STRIP);
    expect_plane_vertices(axis, {{0, 3, -0.5}, {0, 5, 1.5}});
    EXPECT_VEC4_EQ(overall_colour(axis), 1, 0, 0, 0);
    EXPECT_FLOAT_EQ(line_width_of(axis), 2.5f);
    EXPECT_TRUE(unlit(axis));

    // Other modes draw every class.
    SceneShowSectionPoints(&section.section, COLOR_RGB, 2.5f, table.visible, table.colours);
    geode = section_view_geode(SectionPointsGroup.get());
    EXPECT_EQ(vertices_of(geometry_at(geode, 0))->size(), 3u);
    expect_plane_vertices(geometry_at(geode, 1), {{0, -10, -0.5}, {0, 5, 1.5}});
}

TEST_F(SceneSectionView, AxisOfAnEmptySectionRunsAtZeroHeight)
{
    TestSection section(SECTION_CUSTOM, -1, 1);
    ClassTable table;
    SceneShowSectionPoints(&section.section, COLOR_HEIGHT, 2, table.visible, table.colours);
    osg::Geode *geode = section_view_geode(SectionPointsGroup.get());
    ASSERT_NE(geode, nullptr);
    EXPECT_EQ(vertices_of(geometry_at(geode, 0))->size(), 0u);
    expect_plane_vertices(geometry_at(geode, 1), {{0, 0, -2}, {0, 0, 2}});
}

TEST_F(SceneSectionView, LongitudeSectionPointsHaveNoAxisLine)
{
    TestSection section(SECTION_LONGITUDE);
    section.add(section.section.points, 1, 2, 0);
    ClassTable table;
    SceneShowSectionPoints(&section.section, COLOR_RGB, 2, table.visible, table.colours);
    EXPECT_EQ(section_view_geode(SectionPointsGroup.get())->getNumDrawables(), 1u);
}

TEST_F(SceneSectionView, NullSectionClearsOnlyThePoints)
{
    TestSection section(SECTION_CUSTOM);
    velmo_point_t *p = section.add(section.section.points, 1, 2, 0);
    section.add(section.section.red_line, 1, 2, 0);
    section.add(section.section.measurements, 1, 2, 0);
    ClassTable table;
    SceneShowSectionPoints(&section.section, COLOR_RGB, 2, table.visible, table.colours);
    SceneShowSectionLineRed(&section.section, 1);
    SceneShowSectionLineBlue(&section.section, 1);
    SceneShowPolyline({*p}, 1);

    SceneShowSectionPoints(nullptr, COLOR_RGB, 2, table.visible, table.colours);
    EXPECT_EQ(SectionPointsGroup->getNumChildren(), 0u);
    EXPECT_EQ(SectionRedLineGroup->getNumChildren(), 1u);
    EXPECT_EQ(SectionBlueLineGroup->getNumChildren(), 1u);
    EXPECT_EQ(SectionMeasureGroup->getNumChildren(), 1u);

    SceneShowSectionLineRed(nullptr, 1);
    EXPECT_EQ(SectionRedLineGroup->getNumChildren(), 0u);
    EXPECT_EQ(SectionBlueLineGroup->getNumChildren(), 1u);
    SceneShowSectionLineBlue(nullptr, 1);
    EXPECT_EQ(SectionBlueLineGroup->getNumChildren(), 0u);
    EXPECT_EQ(SectionViewRoot->getNumChildren(), 4u);
}

TEST_F(SceneSectionView, RedAndBlueLinesAreDrawnInPlaneCoordinates)
{
    TestSection section(SECTION_CUSTOM);
    section.add(section.section.red_line, -2, 10, 0.25f);
    section.add(section.section.red_line, 2, 10.5f, 0);
    section.add(section.section.measurements, 0, 9, 0);
    SceneShowSectionLineRed(&section.section, 1.5f);
    SceneShowSectionLineBlue(&section.section, 1.5f);

    osg::Geode *red = section_view_geode(SectionRedLineGroup.get());
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(red->getNumDrawables(), 2u);
    EXPECT_EQ(primitive_of(geometry_at(red, 0)), (GLenum)GL_LINE_STRIP);
    EXPECT_EQ(primitive_of(geometry_at(red, 1)), (GLenum)GL_POINTS);
    for (unsigned int i = 0; i < 2; i++) {
        expect_plane_vertices(geometry_at(red, i), {{-2, 10, 0.25}, {2, 10.5, 0}});
        EXPECT_VEC4_EQ(overall_colour(geometry_at(red, i)), 1, 0, 0, 1);
        EXPECT_TRUE(unlit(geometry_at(red, i)));
    }
    EXPECT_FLOAT_EQ(line_width_of(geometry_at(red, 0)), 1.5f);
    EXPECT_FLOAT_EQ(point_size_of(geometry_at(red, 1)), 3.0f);

    // One vertex still gets its (empty-looking) line strip.
    osg::Geode *blue = section_view_geode(SectionBlueLineGroup.get());
    ASSERT_NE(blue, nullptr);
    ASSERT_EQ(blue->getNumDrawables(), 2u);
    expect_plane_vertices(geometry_at(blue, 0), {{0, 9, 0}});
    EXPECT_VEC4_EQ(overall_colour(geometry_at(blue, 1)), 0, 0, 1, 1);
    EXPECT_FLOAT_EQ(line_width_of(geometry_at(blue, 0)), 1.5f);
    EXPECT_FLOAT_EQ(point_size_of(geometry_at(blue, 1)), 6.0f);

    // Redrawing replaces, never adds.
    SceneShowSectionLineRed(&section.section, 1.5f);
    EXPECT_EQ(SectionRedLineGroup->getNumChildren(), 1u);
}

TEST_F(SceneSectionView, MeasuredPolylineNeedsTwoPointsForItsLine)
{
    velmo_point_t a = {}, b = {};
    a.u = 1;
    a.v = 2;
    b.u = 4;
    b.v = 6;
    b.w = 0.5f;

    SceneShowPolyline({a}, 2);
    osg::Geode *geode = section_view_geode(SectionMeasureGroup.get());
    ASSERT_NE(geode, nullptr);
    ASSERT_EQ(geode->getNumDrawables(), 1u);
    osg::Geometry *points = geometry_at(geode, 0);
    EXPECT_EQ(primitive_of(points), (GLenum)GL_POINTS);
    expect_plane_vertices(points, {{1, 2, 0}});
    EXPECT_VEC4_EQ(overall_colour(points), 1, 1, 0, 0);
    EXPECT_FLOAT_EQ(point_size_of(points), 8.0f);
    EXPECT_FALSE(unlit(points)) << "only the line is drawn unlit";

    SceneShowPolyline({a, b}, 2);
    geode = section_view_geode(SectionMeasureGroup.get());
    ASSERT_NE(geode, nullptr);
    ASSERT_EQ(geode->getNumDrawables(), 2u);
    osg::Geometry *line = geometry_at(geode, 0);
    EXPECT_EQ(primitive_of(line), (GLenum)GL_LINE_STRIP);
    expect_plane_vertices(line, {{1, 2, 0}, {4, 6, 0.5}});
    EXPECT_FLOAT_EQ(line_width_of(line), 2.0f);
    EXPECT_TRUE(unlit(line));

    SceneShowPolyline({}, 2);
    geode = section_view_geode(SectionMeasureGroup.get());
    ASSERT_NE(geode, nullptr) << "an empty list leaves an empty geode";
    ASSERT_EQ(geode->getNumDrawables(), 1u);
    EXPECT_EQ(vertices_of(geometry_at(geode, 0))->size(), 0u);
}

// Everything the scene draws is drawn from its own arrays: a display list
// would keep a second copy of a section's points in the GL, and the scene
// graph keeps a hundred unused lists for reuse.
TEST_F(SceneSectionView, NothingTheScenesDrawIsCompiledIntoADisplayList)
{
    TestRoad road;
    five_element_alignment(road.road());
    TestSection section(SECTION_LATITUDE);
    for (float u : {-1.0f, 0.0f, 1.0f}) {
        section.add(section.section.points, u, 1, 0);
        section.add(section.section.measurements, u, 2, 0);
        section.add(section.section.red_line, u, 3, 0);
    }
    const ClassTable classes;
    SceneShowRoad(&road.record);
    SceneShowSection(&section.section);
    SceneShowSectionOverlay(&section.section, true);
    SceneShowSectionPoints(&section.section, COLOR_HEIGHT, 2, classes.visible, classes.colours);
    SceneShowSectionLineBlue(&section.section, 2);
    SceneShowSectionLineRed(&section.section, 2);
    SceneShowPolyline({velmo_point_t{}, velmo_point_t{}}, 2);

    struct Geometries : osg::NodeVisitor {
        Geometries() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
        void apply(osg::Geometry &geometry) override { found.push_back(&geometry); }
        std::vector<osg::Geometry *> found;
    } geometries;
    SceneRoot->accept(geometries);
    SectionViewRoot->accept(geometries);
    EXPECT_GE(geometries.found.size(), 10u);
    for (const osg::Geometry *geometry : geometries.found)
        EXPECT_FALSE(geometry->getUseDisplayList()) << geometry->getNumPrimitiveSets() << " primitive sets";
}

} // namespace
