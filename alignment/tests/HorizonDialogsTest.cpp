// The horizontal element dialogs: layout state, mode switching, and the
// checked reading of what was typed.
#include "H_Line.h"
#include "H_Moderate.h"
#include "H_Round.h"
#include "H_StartPoint.h"
#include "HorizonElementReader.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
    }
    // Clicks a radio button as the toolkit reports it.
    template <typename Dialog> void Choose(Dialog &dialog, wxRadioButton *button)
    {
        button->SetValue(true);
        wxCommandEvent event(wxEVT_RADIOBUTTON, button->GetId());
        event.SetEventObject(button);
        dialog.GetEventHandler()->ProcessEvent(event);
    }
};

const double kPi = 3.141592653589793;

} // namespace

TEST_F(DialogTest, StartPointOpensWithZerosAndReadsBack)
{
    H_StartPoint dialog(nullptr);
    EXPECT_EQ(dialog.GetTitle(), wxString::FromUTF8("平曲线"));
    for (wxTextCtrl *field : {dialog.TextCtrl1, dialog.TextCtrl2, dialog.TextCtrl3, dialog.TextCtrl4})
        EXPECT_EQ(field->GetValue(), "0");
    EXPECT_EQ(dialog.FindWindow(H_StartPoint::ID_STATICTEXT3)->GetLabel(), "Mileage(m) ");
    EXPECT_EQ(dialog.FindWindow(H_StartPoint::ID_TEXTCTRL4)->GetName(), "ID_TEXTCTRL4");

    dialog.TextCtrl3->ChangeValue("1250.5");
    dialog.TextCtrl4->ChangeValue("358.132700");
    dialog.TextCtrl1->ChangeValue("4498765.4321");
    dialog.TextCtrl2->ChangeValue(" 3512345.678 ");
    horizon_element_t e;
    wxString why;
    ASSERT_TRUE(HorizonElementReader::ReadStartPoint(dialog, &e, &why)) << why;
    EXPECT_EQ(e.type, HORIZON_START);
    EXPECT_EQ(e.start_chainage, 1250.5);
    EXPECT_NEAR(e.start_azimuth * 180 / kPi, 358.0 + 13.0 / 60 + 27.0 / 3600, 1e-12);
    EXPECT_EQ(e.start_x, 4498765.4321);
    EXPECT_EQ(e.start_y, 3512345.678);
    EXPECT_EQ(e.length, 0.0);
}

TEST_F(DialogTest, StartPointRefusesBadFields)
{
    H_StartPoint dialog(nullptr);
    const struct {
        wxTextCtrl *field;
        const char *text;
    } cases[] = {{dialog.TextCtrl3, ""},        {dialog.TextCtrl3, "abc"},     {dialog.TextCtrl3, "nan"},
                 {dialog.TextCtrl3, "1e400"},   {dialog.TextCtrl1, "12a"},     {dialog.TextCtrl2, "inf"},
                 {dialog.TextCtrl2, "0x10"},    {dialog.TextCtrl4, "12.6000"}, {dialog.TextCtrl4, "12.3075"},
                 {dialog.TextCtrl4, "north"},   {dialog.TextCtrl1, "1e12"}};
    for (const auto &c : cases) {
        for (wxTextCtrl *field : {dialog.TextCtrl1, dialog.TextCtrl2, dialog.TextCtrl3, dialog.TextCtrl4})
            field->ChangeValue("0");
        c.field->ChangeValue(c.text);
        horizon_element_t e;
        wxString why;
        EXPECT_FALSE(HorizonElementReader::ReadStartPoint(dialog, &e, &why)) << c.text;
        EXPECT_FALSE(why.empty()) << c.text;
    }
    dialog.TextCtrl3->ChangeValue(wxString('1', 500));
    horizon_element_t e;
    wxString why;
    EXPECT_FALSE(HorizonElementReader::ReadStartPoint(dialog, &e, &why)) << "overlong text";
}

TEST_F(DialogTest, LineSwitchesBetweenLengthAndMileageKeepingTexts)
{
    H_Line dialog(nullptr);
    EXPECT_EQ(dialog.StaticText2->GetLabel(), " Length");
    EXPECT_TRUE(dialog.TextCtrl1->IsEnabled());
    EXPECT_EQ(dialog.StaticText3->GetLabel(), "");
    EXPECT_FALSE(dialog.TextCtrl2->IsEnabled());
    EXPECT_TRUE(dialog.RadioButton1->GetValue());

    dialog.TextCtrl1->ChangeValue("100");
    Choose(dialog, dialog.RadioButton2);
    EXPECT_EQ(dialog.StaticText2->GetLabel(), "Start mileage");
    EXPECT_EQ(dialog.StaticText3->GetLabel(), "End mileage");
    EXPECT_TRUE(dialog.TextCtrl2->IsEnabled());
    dialog.TextCtrl2->ChangeValue("250");
    horizon_element_t e;
    wxString why;
    ASSERT_TRUE(HorizonElementReader::ReadLine(dialog, &e, &why)) << why;
    EXPECT_EQ(e.type, HORIZON_LINE);
    EXPECT_EQ(e.length, 150.0);

    dialog.TextCtrl2->ChangeValue("100");
    EXPECT_FALSE(HorizonElementReader::ReadLine(dialog, &e, &why));
    EXPECT_EQ(why, HorizonElementReader::MileageMessage());

    Choose(dialog, dialog.RadioButton1);
    EXPECT_EQ(dialog.StaticText2->GetLabel(), "Length");
    EXPECT_EQ(dialog.StaticText3->GetLabel(), "");
    EXPECT_FALSE(dialog.TextCtrl2->IsEnabled());
    EXPECT_EQ(dialog.TextCtrl2->GetValue(), "100") << "typed text stays";
    ASSERT_TRUE(HorizonElementReader::ReadLine(dialog, &e, &why));
    EXPECT_EQ(e.length, 100.0);
    for (const char *bad : {"", "0", "-5", "ten", "NaN", "1e300", "2e6"}) {
        dialog.TextCtrl1->ChangeValue(bad);
        EXPECT_FALSE(HorizonElementReader::ReadLine(dialog, &e, &why)) << bad;
    }
}

TEST_F(DialogTest, CircleReadsRadiusLengthAndTurn)
{
    H_Round dialog(nullptr);
    EXPECT_EQ(dialog.Choice1->GetSelection(), 0);
    EXPECT_EQ(dialog.Choice1->GetString(1), "Right");
    EXPECT_FALSE(dialog.TextCtrl3->IsEnabled());
    dialog.TextCtrl1->ChangeValue("54");
    dialog.TextCtrl2->ChangeValue("50.30392997");
    dialog.Choice1->SetSelection(1);
    horizon_element_t e;
    wxString why;
    ASSERT_TRUE(HorizonElementReader::ReadCircle(dialog, &e, &why)) << why;
    EXPECT_EQ(e.type, HORIZON_CIRCLE);
    EXPECT_EQ(e.radius, 54.0);
    EXPECT_EQ(e.length, 50.30392997);
    EXPECT_EQ(e.direction, 1);

    Choose(dialog, dialog.RadioButton2);
    EXPECT_EQ(dialog.StaticText3->GetLabel(), "Start mileage");
    dialog.TextCtrl2->ChangeValue("1000");
    dialog.TextCtrl3->ChangeValue("1020.5");
    ASSERT_TRUE(HorizonElementReader::ReadCircle(dialog, &e, &why));
    EXPECT_DOUBLE_EQ(e.length, 20.5);

    for (const char *radius : {"0", "-54", "", "r54", "nan"}) {
        dialog.TextCtrl1->ChangeValue(radius);
        EXPECT_FALSE(HorizonElementReader::ReadCircle(dialog, &e, &why)) << radius;
    }
    // An arc of more than two turns is a typing slip.
    dialog.TextCtrl1->ChangeValue("1");
    Choose(dialog, dialog.RadioButton1);
    dialog.TextCtrl2->ChangeValue("20");
    EXPECT_FALSE(HorizonElementReader::ReadCircle(dialog, &e, &why));
}

TEST_F(DialogTest, TransitionNeedsRadiiThatMakeASpiral)
{
    H_Moderate dialog(nullptr);
    EXPECT_FALSE(dialog.TextCtrl4->IsEnabled());
    dialog.TextCtrl1->ChangeValue("0");
    dialog.TextCtrl2->ChangeValue("54");
    dialog.TextCtrl3->ChangeValue("35");
    horizon_element_t e;
    wxString why;
    ASSERT_TRUE(HorizonElementReader::ReadTransition(dialog, &e, &why)) << why;
    EXPECT_EQ(e.type, HORIZON_TRANSITION);
    EXPECT_EQ(e.start_radius, 0.0);
    EXPECT_EQ(e.end_radius, 54.0);
    EXPECT_EQ(e.length, 35.0);
    EXPECT_EQ(e.direction, 0);

    const struct {
        const char *start, *end, *length;
    } bad[] = {{"0", "0", "35"}, {"54", "54", "35"}, {"-1", "54", "35"}, {"0", "54", "0"},
               {"0", "x", "35"}, {"0", "54", "-35"}, {"", "54", "35"}};
    for (const auto &c : bad) {
        dialog.TextCtrl1->ChangeValue(c.start);
        dialog.TextCtrl2->ChangeValue(c.end);
        dialog.TextCtrl3->ChangeValue(c.length);
        why.clear();
        EXPECT_FALSE(HorizonElementReader::ReadTransition(dialog, &e, &why)) << c.start << " " << c.end;
        EXPECT_FALSE(why.empty());
    }
    // A spiral between two different circles is fine.
    dialog.TextCtrl1->ChangeValue("300");
    dialog.TextCtrl2->ChangeValue("150");
    dialog.TextCtrl3->ChangeValue("40");
    EXPECT_TRUE(HorizonElementReader::ReadTransition(dialog, &e, &why));
}
