// The drawing model: pixel positions, bands and extents.
#include "MyMap.h"

#include <gtest/gtest.h>

#include <wx/gdicmn.h>

#include <cmath>

namespace {

MyPolyline *AddPolyline(MyMap &map, std::initializer_list<std::pair<double, double>> points)
{
    auto *polyline = new MyPolyline();
    for (const auto &p : points)
        polyline->points.push_back(new MyPoint(p.first, p.second));
    map.polylines.push_back(polyline);
    return polyline;
}

} // namespace

TEST(MyMapTest, PixelPositionsStayExactOnSurveyCoordinates)
{
    // Eastings and northings of millions of metres, at scales from a whole
    // province in a window to a millimetre per hundred pixels.
    MyMap map;
    const double east = 3512345.678, north = 4498765.4321;
    AddPolyline(map, {{east, north}, {east + 0.01, north - 0.02}});
    for (const double scale : {1e-4, 1.0, 1e3, 1e5}) {
        map.SetView(east, north, scale);
        const MyPolyline &polyline = *map.polylines[0];
        EXPECT_EQ(polyline.points[0]->px, 20);
        EXPECT_EQ(polyline.points[0]->py, 20);
        EXPECT_NEAR(polyline.points[1]->px - 20, 0.01 * scale, 1.0) << scale;
        EXPECT_NEAR(polyline.points[1]->py - 20, 0.02 * scale, 1.0) << scale;
    }
    // Each step of one metre shows as the same number of pixels all along a
    // road, without jitter from the size of the coordinates.
    MyMap road;
    for (int i = 0; i < 100; ++i)
        AddPolyline(road, {{east + i, north}, {east + i + 1, north}});
    road.SetView(east - 0.5, north, 7.0);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(road.polylines[i]->points[1]->px - road.polylines[i]->points[0]->px, 7) << i;
}

TEST(MyMapTest, FarOutsideTheWindowPixelsAreBoundedNotOverflowed)
{
    MyMap map;
    AddPolyline(map, {{0.0, 0.0}, {1e9, -1e9}});
    auto *circle = new MyCircle();
    circle->radius = 1e6;
    map.circles.push_back(circle);
    map.SetView(0.0, 0.0, 1e9);
    const MyPolyline &polyline = *map.polylines[0];
    EXPECT_GT(polyline.points[1]->px, 1 << 28);
    EXPECT_GT(polyline.points[1]->py, 1 << 28);
    EXPECT_GT(map.circles[0]->pixelRadius, 1 << 28);
    ASSERT_EQ(polyline.band.size(), 4u);
}

TEST(MyMapTest, BandLiesTenPixelsEitherSideOfEveryPoint)
{
    MyMap map;
    AddPolyline(map, {{0.0, 20.0}, {100.0, 20.0}});
    map.SetView(20.0, 20.0, 1.0); // pixels (0, 20) and (100, 20)
    const MyPolyline &polyline = *map.polylines[0];
    ASSERT_EQ(polyline.points[0]->px, 0);
    ASSERT_EQ(polyline.points[1]->px, 100);
    ASSERT_EQ(polyline.band.size(), 4u);
    const int expected[4][2] = {{0, 30}, {0, 10}, {100, 30}, {100, 10}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(polyline.band[i]->px, expected[i][0]) << i;
        EXPECT_EQ(polyline.band[i]->py, expected[i][1]) << i;
    }
    // A new view replaces the band rather than adding to it; a lone point
    // still gets its two band points.
    map.SetView(20.0, 20.0, 2.0);
    EXPECT_EQ(polyline.band.size(), 4u);
    MyPolyline *single = AddPolyline(map, {{5.0, 5.0}});
    map.SetView(0.0, 0.0, 1.0);
    EXPECT_EQ(single->band.size(), 2u);
}

TEST(MyMapTest, ExtentsCountTheDrawnGeometryOnly)
{
    MyMap map;
    map.ComputeExtents();
    EXPECT_EQ(map.minX, 1e12);
    EXPECT_EQ(map.maxX, -1e12);

    auto *arc = new MyArc();
    arc->radius = 50.0;
    map.arcs.push_back(arc);
    map.ComputeExtents();
    EXPECT_GT(map.minX, map.maxX) << "arcs do not count";

    auto *circle = new MyCircle();
    circle->radius = 3.0;
    map.circles.push_back(circle);
    map.ComputeExtents();
    EXPECT_EQ(map.minX, -3.0);
    EXPECT_EQ(map.minY, -3.0);
    EXPECT_EQ(map.maxX, 3.0);
    EXPECT_EQ(map.maxY, 3.0);

    auto *text = new MyText();
    text->anchor = MyPoint(10.0, -7.0);
    text->direction = MyPoint(500.0, 500.0);
    map.texts.push_back(text);
    auto *symbol = new MySymbol();
    symbol->position = MyPoint(-4.0, 1.0);
    map.symbols.push_back(symbol);
    map.ComputeExtents();
    EXPECT_EQ(map.minX, -4.0);
    EXPECT_EQ(map.maxX, 10.0);
    EXPECT_EQ(map.minY, -7.0);
    EXPECT_EQ(map.maxY, 3.0);
}

TEST(MyMapTest, ListsGrowBySixteenOrTheirSize)
{
    MyMap map;
    map.symbols.push_back(new MySymbol());
    EXPECT_EQ(map.symbols.capacity(), 16u);
    for (int i = 1; i < 16; ++i)
        map.symbols.push_back(new MySymbol());
    EXPECT_EQ(map.symbols.capacity(), 16u);
    map.symbols.push_back(new MySymbol());
    EXPECT_EQ(map.symbols.capacity(), 32u);
    map.Clear();
    EXPECT_EQ(map.symbols.size(), 0u);
    EXPECT_EQ(map.symbols.capacity(), 0u);
}

TEST(MyMapTest, CopyIsDeepAndReplacesEveryList)
{
    MyMap source;
    MyPolyline *polyline = AddPolyline(source, {{1.0, 2.0}, {3.0, 4.0}});
    polyline->selectable = true;
    polyline->selected = true;
    polyline->penColour = *wxRED;
    auto *layer = new MyLayer();
    layer->name = "centre";
    source.layers.push_back(layer);
    source.minX = -1.0;
    source.maxY = 9.0;

    MyMap target;
    AddPolyline(target, {{0.0, 0.0}});
    AddPolyline(target, {{0.0, 0.0}});
    target.CopyFrom(source);
    ASSERT_EQ(target.polylines.size(), 1u);
    ASSERT_NE(target.polylines[0], polyline);
    ASSERT_NE(target.polylines[0]->points[0], polyline->points[0]);
    EXPECT_EQ(target.polylines[0]->points[1]->y, 4.0);
    EXPECT_TRUE(target.polylines[0]->selected);
    EXPECT_EQ(target.polylines[0]->penColour, *wxRED);
    ASSERT_EQ(target.layers.size(), 1u);
    EXPECT_EQ(target.layers[0]->name, "centre");
    EXPECT_EQ(target.minX, -1.0);
    EXPECT_EQ(target.maxY, 9.0);
    // The copy outlives its source.
    source.Clear();
    EXPECT_EQ(target.polylines[0]->points[0]->x, 1.0);
}
