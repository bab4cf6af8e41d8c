// What a surveyor types into the alignment editors reads the same in every
// locale: a decimal point always, a decimal comma refused with a message.
// The program sets the locale from the system language, so a German user's
// editors run under one that writes "1,5".
#include "AngleText.h"
#include "H_Line.h"
#include "H_Round.h"
#include "HorizonElementReader.h"
#include "VerticalInput.h"
#include "V_Line.h"
#include "V_StartPoint.h"
#include "canvas_test_app.h"
#include "toolkit_decimal_comma_locale.h"

#include <gtest/gtest.h>

#include <wx/textctrl.h>

#include <cmath>
#include <functional>

namespace {

const double kPi = 3.141592653589793;

class DecimalCommaInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
    }
};

// One typed field: true with the value read, or false with the message.
struct Reading {
    bool taken;
    double value;
    wxString why;
};

TEST_F(DecimalCommaInput, TypedNumbersTakeAPointAndRefuseAComma)
{
    H_Line line(nullptr);
    H_Round circle(nullptr);
    V_Line grade(nullptr);
    V_StartPoint start(nullptr);
    const struct {
        const char *field;
        std::function<Reading(const char *)> read;
    } fields[] = {
        {"any field", [](const char *text) {
             double value = 0;
             return Reading{HorizonElementReader::ReadNumber(text, &value), value, wxString()};
         }},
        {"straight length", [&](const char *text) {
             horizon_element_t e{};
             wxString why;
             line.TextCtrl1->SetValue(text);
             return Reading{HorizonElementReader::ReadLine(line, &e, &why), e.length, why};
         }},
        {"circle radius", [&](const char *text) {
             horizon_element_t e{};
             wxString why;
             circle.TextCtrl1->SetValue(text);
             circle.TextCtrl2->SetValue("1");
             return Reading{HorizonElementReader::ReadCircle(circle, &e, &why), e.radius, why};
         }},
        {"grade length", [&](const char *text) {
             vertical_element_t e{};
             wxString why;
             grade.FirstText->SetValue(text);
             return Reading{VerticalInput::ReadLine(grade, &e, &why), e.length, why};
         }},
        {"start height", [&](const char *text) {
             vertical_element_t e{};
             wxString why;
             start.MileageText->SetValue("0");
             start.HeightText->SetValue(text);
             start.SlopeText->SetValue("0");
             return Reading{VerticalInput::ReadStartPoint(start, &e, &why), e.start_elevation, why};
         }},
    };
    const struct {
        const char *text;
        double value;
    } taken[] = {{"1.5", 1.5}, {"123.4567", 123.4567}, {" 36.3914 ", 36.3914}, {"2.5e2", 250.0}, {"+0.75", 0.75}};
    const char *refused[] = {"1,5", "123,4567", "1.234,5", "36,3914"};

    ToolkitDecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    for (const auto &field : fields) {
        for (const auto &t : taken) {
            const Reading r = field.read(t.text);
            EXPECT_TRUE(r.taken) << field.field << " \"" << t.text << "\": " << r.why;
            EXPECT_DOUBLE_EQ(t.value, r.value) << field.field << " \"" << t.text << "\"";
        }
        for (const char *text : refused) {
            const Reading r = field.read(text);
            EXPECT_FALSE(r.taken) << field.field << " \"" << text << "\"";
            if (&field != &fields[0])
                EXPECT_FALSE(r.why.empty()) << field.field << " \"" << text << "\" is refused without a message";
        }
    }
}

TEST_F(DecimalCommaInput, AzimuthsTakeTheirSecondsAfterAPoint)
{
    const struct {
        const char *text;
        double degrees;
    } angles[] = {
        {"123.45301234", 123 + 45 / 60.0 + 30.1234 / 3600},
        {"-12.30005", -(12 + 30 / 60.0 + 0.5 / 3600)},
        {"358.132705", 358 + 13 / 60.0 + 27.05 / 3600},
    };
    ToolkitDecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    for (const auto &a : angles) {
        wxString why;
        EXPECT_TRUE(CheckDmmss(a.text, &why)) << a.text << ": " << why;
        EXPECT_NEAR(a.degrees, ParseDmmss(a.text) * 180 / kPi, 1e-10) << a.text;
    }
    wxString why;
    EXPECT_FALSE(CheckDmmss("123,4530", &why));
    EXPECT_FALSE(why.empty());
}

} // namespace
