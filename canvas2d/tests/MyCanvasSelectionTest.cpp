// Clicks and rectangles turning into selected flags and queued events.
#include "CanvasTestSupport.h"

#include <wx/uiaction.h>

namespace {

// A view of one map unit per pixel with map (0, 0) at pixel (20, 20) and
// map y growing downwards on screen: pixel = (20 + x, 20 - y).
void OnePixelPerUnit(MyCanvas &canvas)
{
    canvas.UpdateView();
}

void AddRectangle(MyCanvas &canvas, double x0, double y0, double x1, double y1)
{
    const wxRealPoint points[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    canvas.AddPolygon(4, points, *wxBLUE, 1, 1, *wxRED);
}

} // namespace

TEST_F(CanvasTest, ClickPicksAPolylineWithinItsTenPixelBand)
{
    // A horizontal polyline along pixel row 100 from pixel x 50 to 250.
    const wxRealPoint points[] = {{30.0, -80.0}, {230.0, -80.0}};
    canvas->AddPolyline(2, points, *wxBLACK, 1, 1, *wxGREEN);
    OnePixelPerUnit(*canvas);

    Click(150, 100 + 11);
    Click(150, 100 - 11);
    Click(40, 100);
    DeliverEvents();
    EXPECT_TRUE(canvas->GetSelectedPolylines().empty()) << "outside the band: polylines not selectable yet";

    canvas->SetPolylinesSelectable(1);
    Click(150, 100 + 11);
    Click(150, 100 - 11);
    Click(45, 100);
    Click(150, 100 + 10); // on the band's edge
    DeliverEvents();
    EXPECT_TRUE(canvas->GetSelectedPolylines().empty());
    EXPECT_TRUE(received.empty());

    Click(150, 100 + 9);
    DeliverEvents();
    EXPECT_EQ(ToStd(canvas->GetSelectedPolylines()), std::vector<int>{0});
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], EVT_MYCANVAS_POLYLINE_SELECTED);
}

TEST_F(CanvasTest, ClickPicksTheFirstHitOfEachKindAndPostsOneEventEach)
{
    const wxRealPoint first[] = {{0.0, -80.0}, {300.0, -80.0}};
    const wxRealPoint second[] = {{0.0, -82.0}, {300.0, -82.0}};
    canvas->AddPolyline(2, first, *wxBLACK, 1, 1, *wxGREEN);
    canvas->AddPolyline(2, second, *wxBLACK, 1, 1, *wxGREEN);
    AddRectangle(*canvas, 100.0, -50.0, 200.0, -150.0);
    AddRectangle(*canvas, 90.0, -40.0, 210.0, -160.0);
    canvas->AddSymbol(130.0, -80.0, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED);
    canvas->AddSymbol(131.0, -80.0, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED);
    OnePixelPerUnit(*canvas);
    canvas->SetPolylinesSelectable(1);
    canvas->SetPolygonsSelectable(1);
    canvas->SetSymbolsSelectable(1);

    Click(150 + 4, 101); // 4 pixels from symbol 0, 3 from symbol 1
    DeliverEvents();
    EXPECT_EQ(ToStd(canvas->GetSelectedPolylines()), std::vector<int>{0});
    EXPECT_EQ(ToStd(canvas->GetSelectedPolygons()), std::vector<int>{0});
    EXPECT_EQ(ToStd(canvas->GetSelectedSymbols()), std::vector<int>{0});
    EXPECT_TRUE(canvas->IsPolygonSelected(0));
    EXPECT_FALSE(canvas->IsPolygonSelected(1));
    const std::vector<wxEventType> order{EVT_MYCANVAS_POLYLINE_SELECTED, EVT_MYCANVAS_POLYGON_SELECTED,
                                         EVT_MYCANVAS_SYMBOL_SELECTED};
    EXPECT_EQ(received, order);

    // Nothing is deselected by a click elsewhere.
    received.clear();
    Click(400, 220);
    DeliverEvents();
    EXPECT_EQ(ToStd(canvas->GetSelectedSymbols()), std::vector<int>{0});
    EXPECT_TRUE(received.empty());
}

TEST_F(CanvasTest, SymbolsArePickedWithinTheirFullSize)
{
    canvas->AddSymbol(100.0, -100.0, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED); // pixel (120, 120)
    OnePixelPerUnit(*canvas);
    canvas->SetSymbolsSelectable(1);
    Click(120 + 9, 120);
    Click(120 + 6, 120 + 6); // 8.49 pixels away
    DeliverEvents();
    EXPECT_TRUE(canvas->GetSelectedSymbols().empty());
    Click(120, 120 + 8);
    DeliverEvents();
    EXPECT_EQ(ToStd(canvas->GetSelectedSymbols()), std::vector<int>{0});
}

TEST_F(CanvasTest, PolygonEdgesAndVerticesDoNotPick)
{
    AddRectangle(*canvas, 100.0, -50.0, 200.0, -150.0); // pixels 120..220 x 70..170
    OnePixelPerUnit(*canvas);
    canvas->SetPolygonsSelectable(1);
    Click(120, 70);
    Click(170, 70);
    Click(119, 100);
    DeliverEvents();
    EXPECT_TRUE(canvas->GetSelectedPolygons().empty());
    EXPECT_TRUE(received.empty());
    Click(121, 100);
    DeliverEvents();
    EXPECT_TRUE(canvas->IsPolygonSelected(0));
}

TEST_F(CanvasTest, RectangleSelectsInsideOrCrossingByDragDirection)
{
    AddRectangle(*canvas, 100.0, -50.0, 150.0, -100.0);  // pixels 120..170 x 70..120
    AddRectangle(*canvas, 200.0, -50.0, 250.0, -100.0);  // pixels 220..270 x 70..120
    canvas->AddSymbol(130.0, -60.0, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED); // pixel (150, 80)
    canvas->AddSymbol(400.0, -60.0, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED); // pixel (420, 80)
    OnePixelPerUnit(*canvas);
    canvas->SetBoxSelectMode();
    canvas->SetPolygonsSelectable(1);
    canvas->SetSymbolsSelectable(1);

    // Left to right over the first polygon and half of the second: only the
    // one wholly inside.
    Drag(110, 60, 240, 130);
    DeliverEvents();
    EXPECT_EQ(ToStd(canvas->GetSelectedPolygons()), std::vector<int>{0});
    EXPECT_EQ(ToStd(canvas->GetSelectedSymbols()), std::vector<int>{0});
    EXPECT_EQ(received, (std::vector<wxEventType>{EVT_MYCANVAS_POLYGON_SELECTED, EVT_MYCANVAS_SYMBOL_SELECTED}));

    // Right to left over the same ground: crossing is enough.
    received.clear();
    Drag(240, 130, 110, 60);
    DeliverEvents();
    EXPECT_EQ(ToStd(canvas->GetSelectedPolygons()), (std::vector<int>{0, 1}));

    // A rectangle over nothing still tells the owner.
    received.clear();
    Drag(10, 200, 60, 230);
    DeliverEvents();
    EXPECT_EQ(received.size(), 2u);
    EXPECT_EQ(ToStd(canvas->GetSelectedSymbols()), std::vector<int>{0});
}

TEST_F(CanvasTest, SelectionByIndexIgnoresIndicesOutOfRange)
{
    const wxRealPoint points[] = {{0.0, 0.0}, {10.0, 0.0}};
    canvas->AddPolyline(2, points, *wxBLACK, 1, 1, *wxGREEN);
    canvas->AddPolyline(2, points, *wxBLACK, 1, 1, *wxGREEN);
    canvas->SetPolylineSelected(-1, 1);
    canvas->SetPolylineSelected(2, 1);
    canvas->SetSymbolSelected(0, 1);
    canvas->SetPolygonSelected(0, 1);
    EXPECT_TRUE(canvas->GetSelectedPolylines().empty());
    EXPECT_TRUE(canvas->GetSelectedSymbols().empty());
    EXPECT_FALSE(canvas->IsPolygonSelected(-1));
    canvas->SetPolylineSelected(1, 1);
    EXPECT_EQ(ToStd(canvas->GetSelectedPolylines()), std::vector<int>{1});
    canvas->SetPolylineSelected(1, 0);
    EXPECT_TRUE(canvas->GetSelectedPolylines().empty());
}

TEST_F(CanvasTest, RealInputClickPicksAndDragPans)
{
    const wxRealPoint points[] = {{30.0, -80.0}, {230.0, -80.0}};
    canvas->AddPolyline(2, points, *wxBLACK, 1, 1, *wxGREEN);
    OnePixelPerUnit(*canvas);
    canvas->SetPolylinesSelectable(1);
    wxUIActionSimulator sim;
    const wxPoint onLine = canvas->ClientToScreen(wxPoint(150, 102));
    sim.MouseMove(onLine);
    PumpEventsFor(50);
    sim.MouseClick();
    PumpEventsUntil([this] { return !received.empty(); }, 2000);
    EXPECT_EQ(ToStd(canvas->GetSelectedPolylines()), std::vector<int>{0});
    ASSERT_EQ(received.size(), 1u);

    const double ox = canvas->GetOriginX();
    sim.MouseDown();
    PumpEventsFor(30);
    for (int dx = 5; dx <= 40; dx += 5) {
        sim.MouseMove(onLine + wxPoint(dx, 0));
        PumpEventsFor(15);
    }
    sim.MouseUp();
    PumpEventsUntil([&] { return canvas->GetOriginX() != ox; }, 2000);
    EXPECT_DOUBLE_EQ(canvas->GetOriginX(), ox - 40.0);
}
