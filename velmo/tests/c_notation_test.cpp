// Numbers in files read and write with a decimal point under any locale.
#include "c_notation.h"
#include "decimal_comma_locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

TEST(CNotation, ReadsAndWritesAPointUnderADecimalCommaLocale)
{
    DecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    const struct {
        const char *text;
        double value;
        const char *rest;
    } read[] = {
        {"1.5", 1.5, ""},        {"-0.25;", -0.25, ";"}, {"+.5", 0.5, ""},     {"2.5e2x", 250.0, "x"},
        {"1,5", 1.0, ",5"},      {"1e400", HUGE_VAL, ""}, {"1e-400", 0.0, ""}, {"7.", 7.0, ""},
        {"0x1p3", 0.0, "x1p3"},
    };
    for (const auto &r : read) {
        double value = -1;
        const char *end = velmo::read_c_number(r.text, &value);
        ASSERT_NE(nullptr, end) << r.text;
        EXPECT_EQ(r.value, value) << r.text;
        EXPECT_STREQ(r.rest, end) << r.text;
    }
    for (const char *text : {"", " 1", "nan", "inf", "-inf", ".", "-", "+", "e5", ",5"}) {
        double value = -1;
        EXPECT_EQ(nullptr, velmo::read_c_number(text, &value)) << text;
        EXPECT_EQ(-1, value) << text;
    }
    EXPECT_EQ("1.500", velmo::c_number_text(1.5, 3));
    EXPECT_EQ("0.1", velmo::c_number_text(0.1));
    EXPECT_EQ("-12.3456", velmo::c_number_text(-12.34564, 4));
    char text[16];
    EXPECT_EQ(10, velmo::c_snprintf(text, sizeof text, "%10.3f", 2.5));
    EXPECT_STREQ("     2.500", text);
}
