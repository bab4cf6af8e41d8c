// Fitting, zooming and panning the canvas view.
#include "CanvasTestSupport.h"

#include <cmath>

namespace {

void AddSquareOutline(MyCanvas &canvas, double x0, double y0, double x1, double y1)
{
    const wxRealPoint points[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    canvas.AddPolyline(5, points, *wxBLACK, 1, 0, *wxGREEN);
}

} // namespace

TEST_F(CanvasTest, ZoomToExtentsFitsWithTwentyPixelMargins)
{
    AddSquareOutline(*canvas, 0.0, 0.0, 100.0, 100.0);
    canvas->ZoomToExtents();
    EXPECT_DOUBLE_EQ(canvas->GetScale(), 2.0);
    EXPECT_DOUBLE_EQ(canvas->GetOriginY(), 100.0);
    EXPECT_DOUBLE_EQ(canvas->GetOriginX(), -60.0);
    double px = 0, py = 0;
    canvas->WorldToScreen(0.0, 100.0, &px, &py);
    EXPECT_EQ(px, 140.0);
    EXPECT_EQ(py, 20.0);
    canvas->WorldToScreen(0.0, 0.0, &px, &py);
    EXPECT_EQ(py, 220.0);
    double x = 0, y = 0;
    canvas->ScreenToWorld(140.0, 220.0, &x, &y);
    EXPECT_NEAR(x, 0.0, 1e-12);
    EXPECT_NEAR(y, 0.0, 1e-12);
    EXPECT_EQ(canvas->GetMap().polylines[0]->points[3]->px, 140);
}

TEST_F(CanvasTest, FlatAndEmptyExtentsFitWithoutDividingByZero)
{
    // Nothing at all.
    canvas->ZoomToExtents();
    EXPECT_TRUE(std::isfinite(canvas->GetScale()));
    EXPECT_GT(canvas->GetScale(), 0.0);

    // One survey point: the scale stays, the point lands at the view's centre.
    canvas->AddSymbol(3512000.0, 4498000.0, 0, 8, 1, *wxBLACK, *wxWHITE, 1, *wxRED);
    canvas->ZoomToExtents();
    EXPECT_TRUE(std::isfinite(canvas->GetScale()));
    const MyPoint &point = canvas->GetMap().symbols[0]->position;
    EXPECT_EQ(point.px, 240);
    EXPECT_EQ(point.py, 140);

    // All points on one east-west line: fitted along it.
    canvas->Clear();
    const wxRealPoint flat[] = {{3512000.0, 4498000.0}, {3512400.0, 4498000.0}};
    canvas->AddPolyline(2, flat, *wxBLACK, 1, 0, *wxGREEN);
    canvas->ZoomToExtents();
    EXPECT_DOUBLE_EQ(canvas->GetScale(), 1.0);
    EXPECT_EQ(canvas->GetMap().polylines[0]->points[0]->px, 20);
    EXPECT_EQ(canvas->GetMap().polylines[0]->points[1]->px, 420);

    // And on one north-south line.
    canvas->Clear();
    const wxRealPoint upright[] = {{3512000.0, 4498000.0}, {3512000.0, 4498100.0}};
    canvas->AddPolyline(2, upright, *wxBLACK, 1, 0, *wxGREEN);
    canvas->ZoomToExtents();
    EXPECT_DOUBLE_EQ(canvas->GetScale(), 2.0);
    EXPECT_EQ(canvas->GetMap().polylines[0]->points[1]->py, 20);
    EXPECT_EQ(canvas->GetMap().polylines[0]->points[0]->py, 220);
}

TEST_F(CanvasTest, ZeroSizeWindowPaintsNothingAndKeepsAPositiveScale)
{
    AddSquareOutline(*canvas, 0.0, 0.0, 100.0, 100.0);
    frame->SetClientSize(0, 0);
    canvas->SetSize(0, 0);
    wxSizeEvent size(wxSize(0, 0));
    canvas->GetEventHandler()->ProcessEvent(size);
    canvas->ZoomToExtents();
    EXPECT_GT(canvas->GetScale(), 0.0);
    canvas->Refresh();
    canvas->Update();
    PumpEventsFor(50);
}

TEST_F(CanvasTest, WheelStepsZoomAboutTheViewCentreAndUndoEachOther)
{
    AddSquareOutline(*canvas, 0.0, 0.0, 100.0, 100.0);
    canvas->ZoomToExtents();
    const double scale = canvas->GetScale(), ox = canvas->GetOriginX(), oy = canvas->GetOriginY();
    double fixedX = 0, fixedY = 0;
    canvas->ScreenToWorld(440 / 2 + 20, 240 / 2 + 20, &fixedX, &fixedY);

    Mouse(wxEVT_MOUSEWHEEL, 10, 10, 120);
    EXPECT_DOUBLE_EQ(canvas->GetScale(), scale * 1.2);
    double x = 0, y = 0;
    canvas->ScreenToWorld(440 / 2 + 20, 240 / 2 + 20, &x, &y);
    EXPECT_NEAR(x, fixedX, 1e-9);
    EXPECT_NEAR(y, fixedY, 1e-9);

    Mouse(wxEVT_MOUSEWHEEL, 10, 10, -360); // one step whatever the rotation
    EXPECT_NEAR(canvas->GetScale(), scale, 1e-12);
    EXPECT_NEAR(canvas->GetOriginX(), ox, 1e-9);
    EXPECT_NEAR(canvas->GetOriginY(), oy, 1e-9);
}

TEST_F(CanvasTest, LeftDragPansOnReleaseOnly)
{
    AddSquareOutline(*canvas, 0.0, 0.0, 100.0, 100.0);
    canvas->ZoomToExtents();
    const double ox = canvas->GetOriginX(), oy = canvas->GetOriginY();
    Mouse(wxEVT_LEFT_DOWN, 100, 100);
    Mouse(wxEVT_MOTION, 115, 100);
    Mouse(wxEVT_MOTION, 130, 100);
    EXPECT_EQ(canvas->GetOriginX(), ox) << "the view moves only on release";
    Mouse(wxEVT_LEFT_UP, 130, 110);
    EXPECT_DOUBLE_EQ(canvas->GetOriginX(), ox - 30.0 / 2.0);
    EXPECT_DOUBLE_EQ(canvas->GetOriginY(), oy + 10.0 / 2.0);
    EXPECT_EQ(canvas->GetMap().polylines[0]->points[0]->px, 140 + 30);
    EXPECT_TRUE(received.empty());
}

TEST_F(CanvasTest, ZoomDragStepsByDirectionAndIgnoresDiagonals)
{
    AddSquareOutline(*canvas, 0.0, 0.0, 100.0, 100.0);
    canvas->ZoomToExtents();
    canvas->SetPickMode();
    const double scale = canvas->GetScale();
    Mouse(wxEVT_LEFT_DOWN, 100, 100);
    Mouse(wxEVT_MOTION, 110, 110); // exact diagonal
    EXPECT_EQ(canvas->GetScale(), scale);
    Mouse(wxEVT_MOTION, 120, 112); // rightwards: in
    EXPECT_DOUBLE_EQ(canvas->GetScale(), scale * 1.08);
    Mouse(wxEVT_MOTION, 121, 100); // upwards: in
    EXPECT_DOUBLE_EQ(canvas->GetScale(), scale * 1.08 * 1.08);
    Mouse(wxEVT_MOTION, 121, 130); // downwards: out
    Mouse(wxEVT_MOTION, 100, 131); // leftwards: out
    EXPECT_NEAR(canvas->GetScale(), scale, 1e-12);
    Mouse(wxEVT_LEFT_UP, 100, 131);
    EXPECT_NEAR(canvas->GetScale(), scale, 1e-12);
}

TEST_F(CanvasTest, ZoomingStopsAtItsBoundsInsteadOfOverflowing)
{
    AddSquareOutline(*canvas, 0.0, 0.0, 100.0, 100.0);
    canvas->ZoomToExtents();
    for (int i = 0; i < 400; ++i)
        canvas->ZoomIn(1.2);
    EXPECT_TRUE(std::isfinite(canvas->GetScale()));
    EXPECT_TRUE(std::isfinite(canvas->GetOriginX()));
    for (int i = 0; i < 800; ++i)
        canvas->ZoomOut(1.2);
    EXPECT_GT(canvas->GetScale(), 0.0);
    canvas->Refresh();
    canvas->Update();
}
