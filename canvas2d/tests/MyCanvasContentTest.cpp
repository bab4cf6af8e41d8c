// Filling, clearing and replacing the canvas's map.
#include "CanvasTestSupport.h"

TEST_F(CanvasTest, AddedEntitiesCarryTheirArgumentsAndAreUnselected)
{
    const wxRealPoint points[] = {{1.0, 2.0}, {3.0, 4.0}, {5.0, 6.0}};
    canvas->AddPolyline(3, points, *wxBLUE, 2, 1, *wxGREEN);
    canvas->AddPolyline(0, nullptr, *wxBLUE, 2, 1, *wxGREEN);
    canvas->AddText("ZY(K1+250.00)", 7.0, 8.0, "Arial", *wxBLACK, 10);
    canvas->AddLine(0.0, 0.0, 1.0, 1.0, *wxRED, 3);
    canvas->AddCircle(5.0, 5.0, 2.0, *wxRED, 1);
    const MyMap &map = canvas->GetMap();
    ASSERT_EQ(map.polylines.size(), 2u);
    EXPECT_EQ(map.polylines[0]->points.size(), 3u);
    EXPECT_EQ(map.polylines[0]->points[2]->x, 5.0);
    EXPECT_TRUE(map.polylines[0]->selectable);
    EXPECT_FALSE(map.polylines[0]->selected);
    EXPECT_EQ(map.polylines[0]->selectedPenColour, *wxGREEN);
    EXPECT_TRUE(map.polylines[1]->points.empty());
    ASSERT_EQ(map.texts.size(), 1u);
    EXPECT_EQ(map.texts[0]->direction.x, 17.0);
    EXPECT_EQ(map.texts[0]->direction.y, 8.0);
    EXPECT_EQ(map.texts[0]->height, 10.0);
    EXPECT_EQ(map.texts[0]->faceName, "Arial");
    EXPECT_EQ(map.lines.size(), 1u);
    EXPECT_EQ(map.circles[0]->radius, 2.0);

    // A polyline of no points and texts are painted without trouble.
    canvas->ZoomToExtents();
    canvas->Update();
    PumpEventsFor(30);
}

TEST_F(CanvasTest, ClearKeepsCaptionViewAndMode)
{
    const wxRealPoint points[] = {{0.0, 0.0}, {100.0, 100.0}};
    canvas->AddPolyline(2, points, *wxBLACK, 1, 0, *wxGREEN);
    canvas->SetCaption("Horizon");
    canvas->SetBoxSelectMode();
    canvas->ZoomToExtents();
    const double scale = canvas->GetScale(), ox = canvas->GetOriginX();
    canvas->Clear();
    EXPECT_TRUE(canvas->GetMap().polylines.empty());
    EXPECT_EQ(canvas->GetCaption(), "Horizon");
    EXPECT_EQ(canvas->GetScale(), scale);
    EXPECT_EQ(canvas->GetOriginX(), ox);
    EXPECT_EQ(canvas->GetMode(), CANVAS_BOX_SELECT);
}

TEST_F(CanvasTest, MapReplacedWhileShown)
{
    const wxRealPoint first[] = {{0.0, 0.0}, {100.0, 100.0}};
    canvas->AddPolyline(2, first, *wxBLACK, 1, 1, *wxGREEN);
    canvas->SetPolylineSelected(0, 1);
    canvas->ZoomToExtents();
    canvas->Update();
    const double scale = canvas->GetScale(), ox = canvas->GetOriginX();

    MyCanvas other(frame, wxID_ANY);
    const wxRealPoint second[] = {{3512000.0, 4498000.0}, {3512500.0, 4498050.0}, {3513000.0, 4498000.0}};
    other.AddPolyline(3, second, *wxBLUE, 2, 1, *wxGREEN);
    other.AddSymbol(3512500.0, 4498050.0, 2, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED);

    // Without fitting, the view stays and nothing is recomputed.
    canvas->SetMap(other.GetMap(), false);
    EXPECT_EQ(canvas->GetScale(), scale);
    EXPECT_EQ(canvas->GetOriginX(), ox);
    ASSERT_EQ(canvas->GetMap().polylines.size(), 1u);
    EXPECT_TRUE(canvas->GetSelectedPolylines().empty());
    canvas->Refresh();
    canvas->Update();

    canvas->SetMap(other.GetMap(), true);
    const MyPolyline &road = *canvas->GetMap().polylines[0];
    EXPECT_EQ(road.points[0]->px, 20);
    EXPECT_EQ(road.points[2]->px, 420);
    EXPECT_EQ(canvas->GetMap().symbols.size(), 1u);
    canvas->Update();
    PumpEventsFor(30);
}
