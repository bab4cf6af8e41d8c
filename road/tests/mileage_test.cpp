#include "road.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(Mileage, WritesKilometresAndPaddedMetres)
{
    EXPECT_STREQ(mileage(1234.5), "K1+234.50");
    EXPECT_STREQ(mileage(5.25), "K0+005.25");
    EXPECT_STREQ(mileage(5.5), "K0+005.50");
    EXPECT_STREQ(mileage(0.0), "K0+000.00");
    EXPECT_STREQ(mileage(45.678), "K0+045.68");
    EXPECT_STREQ(mileage(12000.0), "K12+000.00");
}

TEST(Mileage, NegativeChainagesTakeTheirOwnForms)
{
    EXPECT_STREQ(mileage(-500.0), "K0-500.00");
    EXPECT_STREQ(mileage(-1500.0), "-K1+500.00");
    EXPECT_STREQ(mileage(-0.25), "K0-000.25");
    EXPECT_STREQ(mileage(-2000.0), "-K2+000.00");
}

TEST(Mileage, RoundingCarriesIntoTheNextKilometre)
{
    EXPECT_STREQ(mileage(999.999), "K1+000.00");
    EXPECT_STREQ(mileage(9.999), "K0+010.00");
    EXPECT_STREQ(mileage(1999.996), "K2+000.00");
    EXPECT_STREQ(mileage(-999.999), "-K1+000.00");
}

TEST(Mileage, ReturnsOneStaticBufferAndSurvivesNonsense)
{
    const char *first = mileage(1.0);
    EXPECT_EQ(first, mileage(2.0));
    EXPECT_STREQ(first, "K0+002.00");
    EXPECT_STREQ(mileage(NAN), "nan");
    EXPECT_STREQ(mileage(INFINITY), "inf");
    EXPECT_LT(std::string(mileage(1e300)).size(), 64u);
}

} // namespace

namespace {

TEST(Mileage, FormatsIntoTheCallersBufferAndCutsToFit)
{
    char text[64];
    mileage_format(1234.5, text, sizeof text);
    EXPECT_STREQ(text, "K1+234.50");
    char small[5];
    mileage_format(1234.5, small, sizeof small);
    EXPECT_STREQ(small, "K1+2");
}

} // namespace
