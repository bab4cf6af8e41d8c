// The horizontal element panel on real roads: list, plan, selection link,
// editing commands, conversion and centre-line exchange.
#include "AlignmentTestSupport.h"
#include "AngleText.h"
#include "test_roads.h"
#include "H_Line.h"
#include "H_Moderate.h"
#include "H_Round.h"
#include "H_StartPoint.h"

#include <wx/filedlg.h>
#include <wx/uiaction.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>

using namespace aligntest;

namespace {

wxString Station(double chainage)
{
    char text[64];
    mileage_format(chainage, text, sizeof text);
    return wxString::FromUTF8(text);
}

} // namespace

TEST_F(PanelTest, EmptyRoadOffersOnlyTheStartPoint)
{
    panel->SetRoad(&road);
    EXPECT_EQ(panel->ElementList->GetItemCount(), 0);
    EXPECT_TRUE(panel->PointButton->IsEnabled());
    EXPECT_FALSE(panel->LineButton->IsEnabled());
    EXPECT_FALSE(panel->CircleButton->IsEnabled());
    EXPECT_FALSE(panel->CurveButton->IsEnabled());
    EXPECT_FALSE(panel->IsModified());
    EXPECT_EQ(panel->PlanCanvas->GetCaption(), "Horizon");
    EXPECT_EQ(panel->ElementList->GetColumnCount(), 10);
}

TEST_F(PanelTest, RealFiveElementRoadIsListedAndDrawn)
{
    for (const char *file : {"haidi_five_elements.pm", "weidi_real_crlf.pm"}) {
        road_clear_horizon(&road);
        const int read = std::string(file).rfind("haidi", 0) == 0 ? road_import_haidi(&road, DataFile(file).c_str())
                                                                   : road_import_weidi(&road, DataFile(file).c_str());
        ASSERT_EQ(read, 0) << file;
        panel->SetRoad(&road);
        EXPECT_FALSE(panel->IsModified());
        ASSERT_EQ(panel->ElementList->GetItemCount(), 6) << file;
        const char *types[] = {"Point", "Line", "Curve", "Circle", "Curve", "Line"};
        for (int row = 0; row < 6; ++row) {
            const horizon_element_t *e = road_horizon(&road, row);
            EXPECT_EQ(Cell(row, HorizonPanel::COL_INDEX), wxString::Format("%d", row + 1));
            EXPECT_EQ(Cell(row, HorizonPanel::COL_TYPE), types[row]);
            EXPECT_EQ(Cell(row, HorizonPanel::COL_MILEAGE), wxString::Format("%.4f", e->start_chainage));
            EXPECT_EQ(Cell(row, HorizonPanel::COL_NORTH), wxString::Format("%.4f", e->start_x));
            EXPECT_EQ(Cell(row, HorizonPanel::COL_EAST), wxString::Format("%.4f", e->start_y));
            EXPECT_EQ(Cell(row, HorizonPanel::COL_DIRECTION), FormatAngleText(e->start_azimuth));
        }
        EXPECT_EQ(Cell(3, HorizonPanel::COL_RADIUS1), "54.0000");
        EXPECT_EQ(Cell(3, HorizonPanel::COL_RADIUS2), "54.0000");
        EXPECT_EQ(Cell(3, HorizonPanel::COL_TURN), "Right");
        EXPECT_EQ(Cell(2, HorizonPanel::COL_RADIUS1), "0.0000");
        EXPECT_EQ(Cell(1, HorizonPanel::COL_LENGTH), "36.3914");
        EXPECT_TRUE(Cell(0, HorizonPanel::COL_DIRECTION).StartsWith("358"));

        const MyMap &plan = panel->PlanCanvas->GetMap();
        ASSERT_EQ(plan.polylines.size(), 5u);
        EXPECT_EQ(plan.polylines[0]->points.size(), 2u);
        EXPECT_EQ(plan.polylines[2]->points.size(), 21u) << "a circle through 19 points between its ends";
        ASSERT_EQ(plan.symbols.size(), 6u);
        ASSERT_EQ(plan.texts.size(), 6u);
        const char *letters[] = {"QD", "ZH", "HY", "YH", "HZ", "ZD"};
        for (int i = 0; i < 6; ++i) {
            const horizon_element_t *e = road_horizon(&road, i);
            EXPECT_EQ(plan.texts[i]->text, wxString(letters[i]) + "(" + Station(e->start_chainage + e->length) + ")");
            EXPECT_EQ(plan.symbols[i]->position.x, e->end_y) << "East runs to the right";
            EXPECT_EQ(plan.symbols[i]->position.y, e->end_x);
        }
        // Fitted: the plan's extent spans the canvas less its margins.
        const wxSize size = panel->PlanCanvas->GetClientSize();
        int left = 1 << 30, right = -(1 << 30), top = 1 << 30, bottom = -(1 << 30);
        for (const MyPolyline *polyline : plan.polylines)
            for (const MyPoint *p : polyline->points) {
                left = std::min(left, p->px);
                right = std::max(right, p->px);
                top = std::min(top, p->py);
                bottom = std::max(bottom, p->py);
            }
        EXPECT_TRUE(left == 20 || top == 20) << left << " " << top;
        EXPECT_TRUE(right >= size.GetWidth() - 22 || bottom >= size.GetHeight() - 22) << right << " " << bottom;
    }
}

TEST_F(PanelTest, ListAndPlanSelectionFollowEachOther)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    SelectRow(3);
    EXPECT_EQ(Selected(*panel),
              std::vector<int>{2});
    SelectRow(0);
    EXPECT_TRUE(panel->PlanCanvas->GetSelectedPolylines().empty()) << "the start point has no line";
    SelectRow(5);
    EXPECT_EQ(Selected(*panel), std::vector<int>{4});
}

TEST_F(PanelTest, RealInputClicksOnThePlanSelectRows)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    SelectRow(0);

    // A real click on the middle of the spiral after the circle (polyline 3)
    // selects row 4 and nothing else.
    const MyPolyline &spiral = *panel->PlanCanvas->GetMap().polylines[3];
    const MyPoint &middle = *spiral.points[10];
    wxUIActionSimulator mouse;
    mouse.MouseMove(panel->PlanCanvas->ClientToScreen(wxPoint(middle.px, middle.py)));
    PumpEventsFor(50);
    mouse.MouseClick();
    ASSERT_TRUE(PumpEventsUntil([this] { return SelectedRow() == 4; }, 3000));
    EXPECT_EQ(panel->ElementList->GetSelectedItemCount(), 1);
    EXPECT_EQ(Selected(*panel),
              std::vector<int>{3});

    // Clicking the first straight afterwards moves the selection.
    const MyPolyline &straight = *panel->PlanCanvas->GetMap().polylines[0];
    const int sx = (straight.points[0]->px + straight.points[1]->px) / 2;
    const int sy = (straight.points[0]->py + straight.points[1]->py) / 2;
    wxMilliSleep(600); // not a double click
    mouse.MouseMove(panel->PlanCanvas->ClientToScreen(wxPoint(sx, sy)));
    PumpEventsFor(50);
    mouse.MouseClick();
    ASSERT_TRUE(PumpEventsUntil([this] { return SelectedRow() == 1; }, 3000));
    EXPECT_EQ(Selected(*panel),
              std::vector<int>{0});
}
