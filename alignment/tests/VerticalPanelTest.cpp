// The "Vertical" page driven through its buttons, list and query field on a
// real road handle, with the element dialogs answered from a script: the road
// library is checked after each command, and so are the list and the canvas.
#include "VerticalTestSupport.h"
#include "MyCanvas.h"
#include "MyPolyline.h"
#include "VerticalPanel.h"
#include "V_Line.h"
#include "V_Round.h"
#include "V_StartPoint.h"
#include "toolkit_decimal_comma_locale.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstring>

using namespace vertest;

namespace {

class VerticalPanelTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (HasFatalFailure())
            return;
        frame = new wxFrame(nullptr, wxID_ANY, "profile", wxDefaultPosition, wxSize(900, 700));
        panel = new VerticalPanel(frame);
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(panel, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->Show();
        ASSERT_TRUE(WaitUntilShown(panel->ProfileCanvas));
    }
    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        PumpEventsFor(20);
    }

    void Press(wxButton *button)
    {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    void Select(long row) { panel->ElementList->Select(row, true); }
    long Selected() const
    {
        return panel->ElementList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    }
    wxString Cell(long row, long column) const { return panel->GetCellText(row, column); }
    std::vector<int> Highlighted() const
    {
        std::vector<int> indices;
        for (int i : panel->ProfileCanvas->GetSelectedPolylines())
            indices.push_back(i);
        return indices;
    }
    const MyMap &Map() const { return panel->ProfileCanvas->GetMap(); }
    void Query(const wxString &chainage)
    {
        panel->MileageText->ChangeValue(chainage);
        wxCommandEvent enter(wxEVT_TEXT_ENTER, panel->MileageText->GetId());
        enter.SetEventObject(panel->MileageText);
        panel->MileageText->GetEventHandler()->ProcessEvent(enter);
    }

    static std::function<void(V_StartPoint &)> TypeStart(const char *m, const char *h, const char *s)
    {
        return [=](V_StartPoint &d) {
            d.MileageText->SetValue(m);
            d.HeightText->SetValue(h);
            d.SlopeText->SetValue(s);
        };
    }
    static std::function<void(V_Line &)> TypeLength(const char *length)
    {
        return [=](V_Line &d) { d.FirstText->SetValue(length); };
    }
    static std::function<void(V_Round &)> TypeCurve(const char *radius, const char *length, int turn)
    {
        return [=](V_Round &d) {
            d.RadiusText->SetValue(radius);
            d.FirstText->SetValue(length);
            d.TurnChoice->SetSelection(turn);
        };
    }

    wxFrame *frame = nullptr;
    VerticalPanel *panel = nullptr;
    TestRoad road;
};

} // namespace

TEST_F(VerticalPanelTest, BuildsAProfileFromNothing)
{
    panel->SetRoad(road.get());
    EXPECT_EQ(panel->ElementList->GetItemCount(), 0);
    EXPECT_FALSE(panel->LineButton->IsEnabled());
    EXPECT_FALSE(panel->CircleButton->IsEnabled());
    EXPECT_FALSE(panel->IsModified());
    EXPECT_EQ(Map().polylines.size(), 0u);

    DialogScript script;
    script.ThenOk<V_StartPoint>(TypeStart("100", "50", "2"));
    Press(panel->PointButton);
    ASSERT_EQ(road.count(), 1);
    EXPECT_DOUBLE_EQ(road.at(0).start_grade, std::atan(0.02));
    EXPECT_EQ(Cell(0, 1), "Point");
    EXPECT_EQ(Cell(0, 4), "2.0000");
    EXPECT_EQ(Selected(), 0);
    EXPECT_TRUE(panel->LineButton->IsEnabled());
    EXPECT_TRUE(panel->IsModified());
    EXPECT_EQ(Map().symbols.size(), 1u);

    script.ThenOk<V_Line>(TypeLength("200"));
    Press(panel->LineButton);
    script.ThenOk<V_Round>(TypeCurve("3000", "120", 0));
    Press(panel->CircleButton);
    script.ThenOk<V_Line>([](V_Line &d) {
        d.MileageRadio->SetValue(true);
        d.FirstText->SetValue("420");
        d.SecondText->SetValue("570");
    });
    Press(panel->LineButton);
    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(script.Messages().empty());

    ASSERT_EQ(road.count(), 4);
    EXPECT_DOUBLE_EQ(road.at(3).length, 150.0);
    EXPECT_NEAR(road.at(3).start_elevation, 53.999520048, 1e-6);
    EXPECT_EQ(Cell(2, 1), "Curve");
    EXPECT_EQ(Cell(2, 6), "3000.0000");
    EXPECT_EQ(Cell(2, 7), "Up");
    EXPECT_EQ(Cell(3, 2), "420.0000");
    EXPECT_EQ(Selected(), 3);
    // Three polylines, the curve sampled, the selected last grade lit.
    ASSERT_EQ(Map().polylines.size(), 3u);
    EXPECT_EQ(Map().polylines[1]->points.size(), 21u);
    EXPECT_EQ(Map().texts.size(), 4u);
    EXPECT_EQ(Highlighted(), std::vector<int>{2});
}

TEST_F(VerticalPanelTest, QueryGivesDesignElevationAndGrade)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    DialogScript script;
    Query("");
    EXPECT_TRUE(panel->HeightText->GetValue().empty());
    Query("360");
    EXPECT_EQ(panel->HeightText->GetValue(), "54.600");
    Query("420");
    EXPECT_EQ(panel->HeightText->GetValue(), "54.000");
    EXPECT_EQ(panel->SlopeText->GetValue(), "-2.001%");
    // Before the start the start grade carries on.
    Query("0");
    EXPECT_EQ(panel->HeightText->GetValue(), "48.000");
    EXPECT_EQ(panel->SlopeText->GetValue(), "2.000%");
    EXPECT_TRUE(script.Messages().empty());
    Query("K0+360");
    EXPECT_EQ(script.Messages().size(), 1u);
    EXPECT_EQ(panel->HeightText->GetValue(), "48.000");
}

TEST_F(VerticalPanelTest, EditPresetsTheRowAndChainsTheRest)
{
    CrestProfile(road.get());
    Append(road.get(), Curve(60.0, 1500.0, 1));
    road_apply_vertical(road.get());
    panel->SetRoad(road.get());
    DialogScript script;

    Select(4);
    wxString presetTurn;
    script.ThenOk<V_Round>([&](V_Round &d) {
        presetTurn = d.TurnChoice->GetStringSelection();
        EXPECT_EQ(d.RadiusText->GetValue(), "1500.0000");
        EXPECT_EQ(d.FirstText->GetValue(), "60.0000");
        d.RadiusText->SetValue("2000");
    });
    Press(panel->EditButton);
    EXPECT_EQ(presetTurn, "Down");
    EXPECT_DOUBLE_EQ(road.at(4).radius, 2000.0);
    EXPECT_EQ(road.at(4).turn, 1);

    // A new start grade moves every later element.
    const double oldEnd = road.at(4).end_elevation;
    Select(0);
    script.ThenOk<V_StartPoint>([](V_StartPoint &d) {
        EXPECT_EQ(d.MileageText->GetValue(), "100.0000");
        d.SlopeText->SetValue("1");
    });
    Press(panel->PointButton);
    EXPECT_EQ(road.count(), 5);
    EXPECT_NEAR(road.at(1).end_elevation, 52.0, 1e-9);
    EXPECT_LT(road.at(4).end_elevation, oldEnd);

    // Cancel leaves road, list and flag alone.
    panel->SetRoad(road.get());
    const vertical_element_t before = road.at(2);
    Select(2);
    script.Then(wxID_CANCEL);
    Press(panel->EditButton);
    EXPECT_EQ(std::memcmp(&before, &road.at(2), sizeof before), 0);
    EXPECT_FALSE(panel->IsModified());
}

// Under a German locale the list and the dialogs it prefills write a
// decimal point, so an unchanged element is read back unchanged, and the
// query shows the elevation as it is typed.
TEST_F(VerticalPanelTest, EditAndQueryKeepTheirNumbersUnderADecimalCommaLocale)
{
    Append(road.get(), StartPoint(100.25, 50.125, 2.5));
    Append(road.get(), Grade(200.5));
    Append(road.get(), Curve(120.75, 3000.5, 0));
    road_apply_vertical(road.get());
    ToolkitDecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    panel->SetRoad(road.get());
    EXPECT_EQ(Cell(1, 5), "200.5000");

    DialogScript script;
    const vertical_element_t start = road.at(0), curve = road.at(2);
    Select(0);
    script.ThenOk<V_StartPoint>([](V_StartPoint &d) { EXPECT_EQ(d.HeightText->GetValue(), "50.1250"); });
    Press(panel->PointButton);
    Select(2);
    script.ThenOk<V_Round>([](V_Round &d) { EXPECT_EQ(d.RadiusText->GetValue(), "3000.5000"); });
    Press(panel->EditButton);
    EXPECT_TRUE(script.Messages().empty()) << script.Messages()[0];
    EXPECT_DOUBLE_EQ(road.at(0).start_elevation, start.start_elevation);
    EXPECT_DOUBLE_EQ(road.at(2).radius, curve.radius);
    EXPECT_DOUBLE_EQ(road.at(2).length, curve.length);

    Query("100.25");
    EXPECT_EQ(panel->HeightText->GetValue(), "50.125");
    EXPECT_EQ(panel->SlopeText->GetValue(), "2.500%");
}

TEST_F(VerticalPanelTest, BadInputIsRefusedWithItsReasonAndChangesNothing)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    std::vector<vertical_element_t> before;
    for (int i = 0; i < road.count(); ++i)
        before.push_back(road.at(i));
    DialogScript script;

    script.ThenOk<V_Line>(TypeLength("abc")).Then(wxID_OK);
    Press(panel->LineButton);
    script.ThenOk<V_Round>(TypeCurve("0", "50", 0)).Then(wxID_OK);
    Press(panel->CircleButton);
    script.ThenOk<V_Round>(TypeCurve("-300", "50", 0)).Then(wxID_OK);
    Press(panel->CircleButton);
    script.ThenOk<V_Line>([](V_Line &d) {
        d.MileageRadio->SetValue(true);
        d.FirstText->SetValue("100");
        d.SecondText->SetValue("100");
    });
    script.Then(wxID_OK);
    Press(panel->LineButton);
    Select(0);
    script.ThenOk<V_StartPoint>(TypeStart("100", "50", "150")).Then(wxID_OK);
    Press(panel->PointButton);
    // A crest of radius 300 cannot run 400 m from -2 %.
    script.ThenOk<V_Round>(TypeCurve("300", "400", 0)).Then(wxID_OK);
    Press(panel->CircleButton);
    // Nor can the existing crest be stretched past its room.
    Select(2);
    script.ThenOk<V_Round>([](V_Round &d) { d.FirstText->SetValue("5000"); }).Then(wxID_OK);
    Press(panel->EditButton);

    const auto messages = script.Messages();
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages[3], wxString(L"里程输入有误，请重新输入！"));
    EXPECT_EQ(script.shown[1].title, wxString(L"错误"));
    ASSERT_EQ(road.count(), int(before.size()));
    for (int i = 0; i < road.count(); ++i)
        EXPECT_EQ(std::memcmp(&before[i], &road.at(i), sizeof before[i]), 0) << "element " << i;
    EXPECT_FALSE(panel->IsModified());
    EXPECT_EQ(panel->ElementList->GetItemCount(), 4);
}

TEST_F(VerticalPanelTest, MovesKeepTheStartAndTheView)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    DialogScript script;

    for (long row : {0L, 1L}) {
        Select(row);
        Press(panel->UpButton);
        EXPECT_EQ(road.at(1).type, VERTICAL_GRADE) << "Up on row " << row;
    }
    Select(3);
    Press(panel->DownButton);
    EXPECT_EQ(road.at(3).type, VERTICAL_GRADE);
    EXPECT_FALSE(panel->IsModified());

    const double scale = panel->ProfileCanvas->GetScale();
    Select(2);
    Press(panel->UpButton);
    EXPECT_EQ(road.at(1).type, VERTICAL_CURVE);
    EXPECT_EQ(road.at(2).type, VERTICAL_GRADE);
    EXPECT_DOUBLE_EQ(road.at(2).length, 200.0);
    EXPECT_DOUBLE_EQ(road.at(1).start_chainage, 100.0);
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(Highlighted(), std::vector<int>{0});
    EXPECT_DOUBLE_EQ(panel->ProfileCanvas->GetScale(), scale);
    EXPECT_TRUE(panel->IsModified());

    Press(panel->DownButton);
    EXPECT_EQ(road.at(1).type, VERTICAL_GRADE);
    EXPECT_EQ(road.at(2).type, VERTICAL_CURVE);
    EXPECT_NEAR(road.at(3).start_elevation, 53.999520048, 1e-6);
    EXPECT_EQ(Selected(), 2);
    EXPECT_TRUE(script.Messages().empty());
}

TEST_F(VerticalPanelTest, DeleteAsksAndKeepsTheStartWhileOthersFollow)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    DialogScript script;

    Select(1);
    script.Then(wxID_NO);
    Press(panel->DeleteButton);
    EXPECT_EQ(road.count(), 4);
    EXPECT_EQ(script.shown.back().title, wxString(L"竖曲线要素"));

    Select(0);
    script.Then(wxID_YES);
    Press(panel->DeleteButton);
    EXPECT_EQ(road.count(), 4);
    EXPECT_EQ(script.Messages().size(), 3u) << "the refusal says why";

    Select(3);
    script.Then(wxID_YES);
    Press(panel->DeleteButton);
    EXPECT_EQ(road.count(), 3);
    EXPECT_EQ(Selected(), 2);

    Select(1);
    script.Then(wxID_YES);
    Press(panel->DeleteButton);
    ASSERT_EQ(road.count(), 2);
    EXPECT_EQ(road.at(1).type, VERTICAL_CURVE);
    EXPECT_DOUBLE_EQ(road.at(1).start_chainage, 100.0);
    EXPECT_EQ(Selected(), 1);

    Select(1);
    script.Then(wxID_YES);
    Press(panel->DeleteButton);
    Select(0);
    script.Then(wxID_YES);
    Press(panel->DeleteButton);
    EXPECT_EQ(road.count(), 0);
    EXPECT_EQ(panel->ElementList->GetItemCount(), 0);
    EXPECT_FALSE(panel->LineButton->IsEnabled());
    EXPECT_EQ(Map().symbols.size(), 0u);
}

TEST_F(VerticalPanelTest, ListSelectionLightsItsElementOnly)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    Select(2);
    PumpEventsFor(20);
    EXPECT_EQ(Highlighted(), std::vector<int>{1});
    Select(0);
    PumpEventsFor(20);
    EXPECT_TRUE(Highlighted().empty());
    Select(3);
    panel->ElementList->Select(3, false);
    PumpEventsFor(20);
    EXPECT_TRUE(Highlighted().empty());
}

// Where picking is offered, a click on an element's line selects that
// element's row, whichever line was lit before.
TEST_F(VerticalPanelTest, CanvasRealInputPickSelectsThePickedElement)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    panel->ProfileCanvas->SetPolylinesSelectable(1);
    wxUIActionSimulator sim;
    for (int line : {2, 0, 1}) {
        const MyPolyline *polyline = Map().polylines[line];
        const size_t k = polyline->points.size() / 2;
        const MyPoint *a = polyline->points[k - 1], *b = polyline->points[k];
        const wxPoint middle((a->px + b->px) / 2, (a->py + b->py) / 2);
        sim.MouseMove(panel->ProfileCanvas->ClientToScreen(middle));
        PumpEventsFor(50);
        sim.MouseClick();
        PumpEventsUntil([&] { return Selected() == line + 1; }, 2000);
        EXPECT_EQ(Selected(), line + 1) << "line " << line;
        EXPECT_EQ(Highlighted(), std::vector<int>{line});
        wxMilliSleep(600); // not a double click
    }
}

TEST_F(VerticalPanelTest, CanvasRealInputClickOnTheCurveSelectsNothing)
{
    CrestProfile(road.get());
    panel->SetRoad(road.get());
    const MyPolyline *curve = Map().polylines[1];
    const MyPoint *middle = curve->points[10];
    const wxPoint at = panel->ProfileCanvas->ClientToScreen(wxPoint(middle->px, middle->py));
    wxUIActionSimulator sim;
    sim.MouseMove(at);
    PumpEventsFor(50);
    sim.MouseClick();
    PumpEventsFor(200);
    EXPECT_TRUE(Highlighted().empty());
    EXPECT_EQ(Selected(), -1);
}
