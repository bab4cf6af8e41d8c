// Painting a map into a memory bitmap and reading pixels back.
#include "MyMap.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>

namespace {

class MapDrawTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
    }

    // Paints the map on white at the given view and returns the picture.
    wxImage Paint(double ox, double oy, double scale, int w = 200, int h = 200)
    {
        map.SetView(ox, oy, scale);
        wxBitmap bitmap(w, h, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            dc.SetBrush(*wxWHITE_BRUSH);
            map.Draw(dc);
        }
        return bitmap.ConvertToImage();
    }

    MyPolyline *Polyline(std::initializer_list<std::pair<double, double>> points, const wxColour &colour,
                         int width = 1)
    {
        auto *polyline = new MyPolyline();
        for (const auto &p : points)
            polyline->points.push_back(new MyPoint(p.first, p.second));
        polyline->penColour = colour;
        polyline->penWidth = width;
        polyline->selectedPenColour = *wxGREEN;
        map.polylines.push_back(polyline);
        return polyline;
    }

    MyPolygon *Square(double x0, double y0, double side, const wxColour &fill)
    {
        auto *polygon = new MyPolygon();
        for (const auto &p : {std::make_pair(x0, y0), std::make_pair(x0 + side, y0),
                              std::make_pair(x0 + side, y0 + side), std::make_pair(x0, y0 + side)})
            polygon->points.push_back(new MyPoint(p.first, p.second));
        polygon->fillColour = fill;
        polygon->selectedFillColour = *wxRED;
        polygon->outlineWidth = 1;
        map.polygons.push_back(polygon);
        return polygon;
    }

    static wxColour At(const wxImage &image, int x, int y)
    {
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    }

    MyMap map;
};

} // namespace

TEST_F(MapDrawTest, PolylineIsDrawnInItsColourAndHighlightedOnlyWhenSelectable)
{
    // Map y grows upwards: with origin (0, 100) the map line y = 50 is pixel row 70.
    MyPolyline *line = Polyline({{0.0, 50.0}, {150.0, 50.0}}, *wxBLUE, 3);
    wxImage image = Paint(0.0, 100.0, 1.0);
    EXPECT_EQ(At(image, 100, 70), *wxBLUE);
    EXPECT_EQ(At(image, 100, 90), *wxWHITE);

    line->selected = true;
    image = Paint(0.0, 100.0, 1.0);
    EXPECT_EQ(At(image, 100, 70), *wxBLUE) << "selected but not selectable";
    line->selectable = true;
    image = Paint(0.0, 100.0, 1.0);
    EXPECT_EQ(At(image, 100, 70), *wxGREEN);

    // One point draws nothing.
    map.Clear();
    Polyline({{50.0, 50.0}}, *wxBLACK, 5);
    image = Paint(0.0, 100.0, 1.0);
    EXPECT_EQ(At(image, 70, 70), *wxWHITE);
}

TEST_F(MapDrawTest, PolygonFillChangesWithHighlightAndOutlineStaysBlack)
{
    MyPolygon *square = Square(20.0, 20.0, 100.0, *wxBLUE);
    wxImage image = Paint(0.0, 140.0, 1.0); // square spans pixels 40 .. 140
    EXPECT_EQ(At(image, 90, 90), *wxBLUE);
    EXPECT_EQ(At(image, 40, 90), *wxBLACK);
    EXPECT_EQ(At(image, 150, 90), *wxWHITE);
    square->selectable = true;
    square->selected = true;
    image = Paint(0.0, 140.0, 1.0);
    EXPECT_EQ(At(image, 90, 90), *wxRED);
    EXPECT_EQ(At(image, 40, 90), *wxBLACK);
}

TEST_F(MapDrawTest, SymbolsAreCentredOnTheirPoint)
{
    for (int type : {SYMBOL_CIRCLE, SYMBOL_SQUARE}) {
        map.Clear();
        auto *symbol = new MySymbol();
        symbol->position = MyPoint(80.0, 20.0); // pixel (100, 100)
        symbol->type = type;
        symbol->size = 21;
        symbol->penColour = *wxBLACK;
        symbol->fillColour = *wxBLUE;
        map.symbols.push_back(symbol);
        const wxImage image = Paint(0.0, 100.0, 1.0);
        EXPECT_EQ(At(image, 100, 100), *wxBLUE) << type;
        EXPECT_EQ(At(image, 104, 104), *wxBLUE) << type;
        EXPECT_EQ(At(image, 96, 96), *wxBLUE) << type;
        EXPECT_EQ(At(image, 115, 115), *wxWHITE) << type;
    }
}

TEST_F(MapDrawTest, DeepZoomOnSurveyCoordinatesDrawsTheLineWhereItRuns)
{
    // A diagonal line of a 2 km long survey straight seen at one pixel per
    // tenth of a millimetre: its ends lie tens of millions of pixels away,
    // yet the part crossing the window is where the map puts it.
    const double e0 = 3512000.0, n0 = 4498000.0;
    Polyline({{e0, n0}, {e0 + 2000.0, n0 + 2000.0}}, *wxBLACK, 1);
    auto *line = new MyLine();
    line->p1 = MyPoint(e0, n0 + 2000.0);
    line->p2 = MyPoint(e0 + 2000.0, n0);
    line->penColour = *wxRED;
    map.lines.push_back(line);
    const double scale = 1e4;
    // Window centre at the middle of the road.
    const double ox = e0 + 1000.0 - 80.0 / scale, oy = n0 + 1000.0 + 80.0 / scale;
    const wxImage image = Paint(ox, oy, scale);
    // Both lines cross at the middle, pixel (100, 100).
    int dark = 0;
    for (int d = -60; d <= 60; d += 20) {
        const wxColour c = At(image, 100 + d, 100 - d);
        dark += c.Red() < 128 && c.Green() < 128 ? 1 : 0;
    }
    EXPECT_GE(dark, 6);
    // The red line, antialiased, within a pixel of where it should be.
    int reddest = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const wxColour c = At(image, 140 + dx, 140 + dy);
            reddest = std::max(reddest, int(c.Red()) - int(c.Green()));
        }
    EXPECT_GT(reddest, 100);
    EXPECT_EQ(At(image, 30, 170 - 100), *wxWHITE);
}

TEST_F(MapDrawTest, LabelsAreDrawnRightOfAndBelowTheirAnchorInTheirColour)
{
    for (const double height : {10.0, 0.0}) {
        map.Clear();
        auto *text = new MyText();
        text->anchor = MyPoint(60.0, 20.0); // pixel (80, 100)
        text->direction = MyPoint(70.0, 20.0);
        text->text = "ZY(K1+250.00)";
        text->faceName = "Arial";
        text->height = height;
        text->colour = *wxBLUE;
        map.texts.push_back(text);
        const wxImage image = Paint(0.0, 100.0, 1.0);
        int inked = 0, elsewhere = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                const wxColour c = At(image, x, y);
                if (c == *wxWHITE)
                    continue;
                EXPECT_GT(c.Blue(), c.Red()) << x << "," << y;
                (x >= 79 && y >= 99 ? inked : elsewhere) += 1;
            }
        EXPECT_GT(inked, 10) << height;
        EXPECT_EQ(elsewhere, 0) << height;
    }
}

// A filled polygon leaves its brush on the device context; outlines drawn
// after it must not pick that fill up.
TEST_F(MapDrawTest, CirclesAndArcsAfterAFilledPolygonStayOutlines)
{
    // Pixel (x, y) is map (x - 20, 220 - y) at this view.
    Square(0.0, 40.0, 20.0, *wxRED); // pixels 20 .. 40, 160 .. 180
    auto *circle = new MyCircle();
    circle->centre = MyPoint(40.0, 120.0); // pixel (60, 100)
    circle->radius = 30.0;
    circle->penColour = *wxBLUE;
    map.circles.push_back(circle);
    auto *arc = new MyArc();
    arc->centre = MyPoint(130.0, 120.0); // pixel (150, 100)
    arc->radius = 30.0;
    arc->startAngle = 0.0;
    arc->endAngle = M_PI / 2;
    arc->penColour = *wxBLUE;
    map.arcs.push_back(arc);

    const wxImage image = Paint(0.0, 200.0, 1.0);
    EXPECT_EQ(At(image, 30, 170).GetAsString(), wxRED->GetAsString());
    bool outline = false; // blue, give or take the smoothing of its edge
    for (int x = 86; x <= 94; ++x)
        outline = outline || (At(image, x, 100).Blue() > 200 && At(image, x, 100).Red() < 60);
    EXPECT_TRUE(outline);
    const struct {
        const char *where;
        int x, y;
    } inside[] = {{"circle centre", 60, 100},
                  {"circle, off centre", 70, 90},
                  {"arc's quarter", 150 + 10, 100 + 10},
                  {"arc's other three quarters", 150 - 10, 100 - 10}};
    for (const auto &point : inside)
        EXPECT_EQ(At(image, point.x, point.y).GetAsString(), wxWHITE->GetAsString()) << point.where;
}
