// The three vertical element dialogs as a surveyor meets them, and the
// reading of what was typed into them.
#include "VerticalTestSupport.h"
#include "HorizonElementReader.h"
#include "VerticalInput.h"
#include "V_Line.h"
#include "V_Round.h"
#include "V_StartPoint.h"

#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <limits>

using namespace vertest;

namespace {

class VerticalDialogs : public WindowTest
{
};

// Clicks a control as the user would and lets the toolkit deliver it.
void ClickOn(wxWindow *window)
{
    wxUIActionSimulator sim;
    const wxRect rect = window->GetScreenRect();
    sim.MouseMove(rect.GetLeft() + 8, rect.GetTop() + rect.GetHeight() / 2);
    PumpEventsFor(50);
    sim.MouseClick();
    PumpEventsUntil([] { return false; }, 200);
}

template <class D> void CheckLengthMode(D &dialog)
{
    EXPECT_TRUE(dialog.LengthRadio->GetValue());
    EXPECT_FALSE(dialog.MileageRadio->GetValue());
    EXPECT_EQ(dialog.FirstLabel->GetLabel(), "Length");
    EXPECT_EQ(dialog.SecondLabel->GetLabel(), "");
    EXPECT_FALSE(dialog.SecondText->IsEnabled());
}

template <class D> void SwitchModesKeepingTexts(D &dialog)
{
    dialog.Show();
    ASSERT_TRUE(WaitUntilShown(&dialog));
    CheckLengthMode(dialog);
    dialog.FirstText->SetValue("100");
    ClickOn(dialog.MileageRadio);
    ASSERT_TRUE(dialog.MileageRadio->GetValue()) << "the click did not reach the radio button";
    EXPECT_FALSE(dialog.LengthRadio->GetValue());
    EXPECT_EQ(dialog.FirstLabel->GetLabel(), "Start mileage");
    EXPECT_EQ(dialog.SecondLabel->GetLabel(), "End mileage");
    EXPECT_TRUE(dialog.SecondText->IsEnabled());
    dialog.SecondText->SetValue("250");
    ClickOn(dialog.LengthRadio);
    CheckLengthMode(dialog);
    EXPECT_EQ(dialog.FirstText->GetValue(), "100");
    EXPECT_EQ(dialog.SecondText->GetValue(), "250");
    dialog.Hide();
}

} // namespace

TEST_F(VerticalDialogs, OpenAsTheSurveyorExpects)
{
    V_StartPoint start(nullptr);
    EXPECT_EQ(start.GetTitle(), wxString(L"竖曲线"));
    EXPECT_TRUE(start.MileageText->GetValue().empty());
    auto *height = wxDynamicCast(start.FindWindow(V_StartPoint::ID_STATICTEXT3), wxStaticText);
    auto *slope = wxDynamicCast(start.FindWindow(V_StartPoint::ID_STATICTEXT4), wxStaticText);
    ASSERT_TRUE(height && slope);
    EXPECT_EQ(height->GetLabel(), " Height");
    EXPECT_EQ(slope->GetLabel(), wxString(L"Slope(％)"));
    EXPECT_EQ(start.FindWindow(V_StartPoint::ID_TEXTCTRL3)->GetName(), "ID_TEXTCTRL3");
    EXPECT_FALSE(start.GetWindowStyle() & wxCLOSE_BOX);

    V_Line line(nullptr);
    CheckLengthMode(line);
    V_Round round(nullptr);
    CheckLengthMode(round);
    EXPECT_EQ(round.TurnChoice->GetSelection(), 0);
    EXPECT_EQ(round.TurnChoice->GetString(1), "Down");
}

TEST_F(VerticalDialogs, LengthAndMileageModesSwitchByRealInputClicks)
{
    V_Line line(nullptr);
    SwitchModesKeepingTexts(line);
    V_Round round(nullptr);
    SwitchModesKeepingTexts(round);
}

TEST_F(VerticalDialogs, ReadingRefusesWhatIsNotASoundNumber)
{
    V_StartPoint start(nullptr);
    vertical_element_t e = StartPoint(-1.0, -1.0, 0.0);
    const vertical_element_t untouched = e;
    wxString error;
    const char *bad[] = {"", "  ", "abc", "12abc", "nan", "inf", "-inf", "1e400", "1e8"};
    for (const char *text : bad) {
        start.MileageText->SetValue(text);
        start.HeightText->SetValue("10");
        start.SlopeText->SetValue("1");
        error.clear();
        EXPECT_FALSE(VerticalInput::ReadStartPoint(start, &e, &error)) << "\"" << text << "\"";
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(e.start_chainage, untouched.start_chainage);

    start.MileageText->SetValue(" 1234.5 ");
    start.SlopeText->SetValue("100.5");
    EXPECT_FALSE(VerticalInput::ReadStartPoint(start, &e, &error));
    EXPECT_TRUE(error.Contains("100")) << error;
    start.SlopeText->SetValue("-100");
    ASSERT_TRUE(VerticalInput::ReadStartPoint(start, &e, &error)) << error;
    start.SlopeText->SetValue("2");
    ASSERT_TRUE(VerticalInput::ReadStartPoint(start, &e, &error)) << error;
    EXPECT_EQ(e.type, VERTICAL_START);
    EXPECT_DOUBLE_EQ(e.start_chainage, 1234.5);
    EXPECT_DOUBLE_EQ(e.start_elevation, 10.0);
    EXPECT_DOUBLE_EQ(e.start_grade, std::atan(0.02));

    V_Round round(nullptr);
    round.FirstText->SetValue("80");
    for (const char *radius : {"0", "-5", "", "x"}) {
        round.RadiusText->SetValue(radius);
        EXPECT_FALSE(VerticalInput::ReadCurve(round, &e, &error)) << radius;
    }
    round.RadiusText->SetValue("2500");
    for (const char *length : {"0", "-1", "nan"}) {
        round.FirstText->SetValue(length);
        EXPECT_FALSE(VerticalInput::ReadCurve(round, &e, &error)) << length;
    }
    round.FirstText->SetValue("80");
    round.TurnChoice->SetSelection(1);
    ASSERT_TRUE(VerticalInput::ReadCurve(round, &e, &error)) << error;
    EXPECT_EQ(e.type, VERTICAL_CURVE);
    EXPECT_DOUBLE_EQ(e.radius, 2500.0);
    EXPECT_DOUBLE_EQ(e.length, 80.0);
    EXPECT_EQ(e.turn, 1);
}

TEST_F(VerticalDialogs, MileageModeTakesTheDifferenceOfOrderedChainages)
{
    V_Line line(nullptr);
    line.MileageRadio->SetValue(true);
    line.LengthRadio->SetValue(false);
    line.FirstText->SetValue("100");
    line.SecondText->SetValue("100");
    vertical_element_t e{};
    wxString error;
    EXPECT_FALSE(VerticalInput::ReadLine(line, &e, &error));
    EXPECT_EQ(error, HorizonElementReader::MileageMessage());
    line.SecondText->SetValue("90");
    EXPECT_FALSE(VerticalInput::ReadLine(line, &e, &error));
    line.SecondText->SetValue("250");
    ASSERT_TRUE(VerticalInput::ReadLine(line, &e, &error)) << error;
    EXPECT_DOUBLE_EQ(e.length, 150.0);

    // Back in Length mode the second field no longer counts.
    line.LengthRadio->SetValue(true);
    line.SecondText->SetValue("junk");
    ASSERT_TRUE(VerticalInput::ReadLine(line, &e, &error)) << error;
    EXPECT_DOUBLE_EQ(e.length, 100.0);
}
