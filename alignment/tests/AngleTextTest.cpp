// Angle display text and d.mmss text.
#include "AngleText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double kPi = 3.141592653589793;

double Rad(double degrees)
{
    return degrees * kPi / 180.0;
}

double Deg(double radians)
{
    return radians * 180.0 / kPi;
}

std::string Utf8(const wxString &text)
{
    return std::string(text.utf8_str());
}

} // namespace

TEST(AngleTextTest, DisplayTextOfKnownAngles)
{
    EXPECT_EQ(Utf8(FormatAngleText(0.0)), "0°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(kPi / 2)), "90°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(kPi)), "180°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(123.75))), "123°45′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(0.5))), "0°30′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(-12.5))), "-12°30′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(-0.5))), "-0°30′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(400.0))), "400°00′00.0000″") << "not normalised";
    EXPECT_EQ(Utf8(FormatAngleText(Rad(123.0 + 45.0 / 60 + 6.78 / 3600))), "123°45′06.7800″");
}

TEST(AngleTextTest, SecondsRoundingToSixtyCarry)
{
    // Whole degrees often come back from radians a hair short.
    EXPECT_EQ(Utf8(FormatAngleText(Rad(30.0) * (1 - 1e-15))), "30°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(10.0 + 59.0 / 60 + 59.99996 / 3600))), "11°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(10.0 + 59.0 / 60 + 59.99994 / 3600))), "10°59′59.9999″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(10.0 + 20.0 / 60 + 59.99996 / 3600))), "10°21′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(359.0 + 59.0 / 60 + 59.99996 / 3600))), "360°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(359.0 + 59.0 / 60 + 59.9999 / 3600))), "359°59′59.9999″");
}

TEST(AngleTextTest, TinyNegativeAnglesKeepTheirSignAndNegativeZeroHasNone)
{
    EXPECT_EQ(Utf8(FormatAngleText(-0.0)), "0°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(-1e-13)), "-0°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(Rad(-0.00001 / 3600))), "-0°00′00.0000″");
    EXPECT_EQ(Utf8(FormatAngleText(NAN)), "---");
}

// Seconds are rounded once, from the exact angle the double holds: angles a
// hair below a half ten-thousandth, whose product with 36e6 rounds up to the
// half, and angles so large that the product runs out of digits.
TEST(AngleTextTest, SecondsAreRoundedOnceFromTheExactAngle)
{
    const struct {
        double radians;
        const char *text;
    } cases[] = {
        {4.444298955449675, "254°38′22.4629″"},
        {3.4390441823615063, "197°02′33.7819″"},
        {-1.9682983230965763, "-112°46′30.6722″"},
        {17237819.77299919, "987654321°00′00.0442″"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Utf8(FormatAngleText(c.radians)), c.text) << c.radians;
}

TEST(AngleTextTest, DmmssReading)
{
    EXPECT_NEAR(Deg(ParseDmmss("123.4530")), 123.0 + 45.0 / 60 + 30.0 / 3600, 1e-12);
    EXPECT_NEAR(Deg(ParseDmmss("123.45301234")), 123.0 + 45.0 / 60 + 30.1234 / 3600, 1e-12);
    EXPECT_EQ(ParseDmmss("90"), kPi / 2);
    EXPECT_NEAR(Deg(ParseDmmss("-12.3000")), -12.5, 1e-12);
    EXPECT_NEAR(Deg(ParseDmmss("-0.3000")), -0.5, 1e-12);
    EXPECT_NEAR(Deg(ParseDmmss("123.4")), 123.0 + 4.0 / 60, 1e-12) << "a lone digit is units";
    EXPECT_NEAR(Deg(ParseDmmss("123.456")), 123.0 + 45.0 / 60 + 6.0 / 3600, 1e-12);
    EXPECT_NEAR(Deg(ParseDmmss("123.45")), 123.75, 1e-12);
    EXPECT_EQ(ParseDmmss(""), 0.0);
    EXPECT_EQ(ParseDmmss("abc"), 0.0);
    EXPECT_NEAR(Deg(ParseDmmss("12,30")), 12.0, 1e-12);
    EXPECT_NEAR(Deg(ParseDmmss("10.7000")), 10.0 + 70.0 / 60, 1e-12) << "fields are not range-checked";
}

TEST(AngleTextTest, DisplayToDmmssAndBackRoundTripsOverTheCircle)
{
    EXPECT_EQ(Utf8(FormatDmmss(wxString::FromUTF8("123°45′30.1234″"))), "123.45301234");
    EXPECT_EQ(Utf8(FormatDmmss(wxString::FromUTF8("-0°30′00.0000″"))), "-0.30000000");
    EXPECT_EQ(Utf8(FormatDmmss("12.5")), "12.5") << "not display text: unchanged";
    // Every angle from 0 to 360 degrees in steps that hit odd seconds comes
    // back within the half ten-thousandth of a second the text keeps.
    for (double degrees = 0.0; degrees <= 360.0; degrees += 0.7312345) {
        const double back = Deg(ParseDmmss(FormatDmmss(FormatAngleText(Rad(degrees)))));
        EXPECT_NEAR(back * 3600.0, degrees * 3600.0, 0.00005 + 1e-9) << degrees;
    }
    for (double degrees : {-0.5, -12.5, -359.99, 359.9999999}) {
        const double back = Deg(ParseDmmss(FormatDmmss(FormatAngleText(Rad(degrees)))));
        EXPECT_NEAR(back, degrees, 0.00005 / 3600 + 1e-12) << degrees;
    }
}

TEST(AngleTextTest, TypedDmmssIsChecked)
{
    wxString why;
    for (const char *good : {"123.4530", "0", "-12.3000", "359.5959999", " 45.3 ", "+7.0001"})
        EXPECT_TRUE(CheckDmmss(good, &why)) << good << " " << why;
    for (const char *bad : {"", "   ", "abc", "12.6000", "12.0060", "12.5960", "1e3", "12.30.00", "NaN", "--1",
                            "12,30", "1234567890.0"}) {
        why.clear();
        EXPECT_FALSE(CheckDmmss(bad, &why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
    EXPECT_FALSE(CheckDmmss(wxString('1', 200), &why));
}
