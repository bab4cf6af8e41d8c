// The road library reads and writes its files and chainage texts with a
// decimal point whatever locale the calling program has set: a German user's
// files must read on every other machine, and every other machine's on his.
#include "road.h"
#include "decimal_comma_locale.h"
#include "file_test_support.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace test_roads;
using namespace file_tests;

TEST(DecimalComma, ElementFilesWrittenWithAPointReadTheSame)
{
    const struct {
        const char *name;
        int (*read)(road_t *, const char *);
        std::string path;
    } files[] = {
        {"HaiDi", road_import_haidi, data_file("haidi_five_elements.pm")},
        {"WeiDi", road_import_weidi, data_file("weidi_real_crlf.pm")},
    };
    DecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    for (const auto &file : files) {
        Road read;
        ASSERT_EQ(0, file.read(read.get(), file.path.c_str())) << file.name;
        ASSERT_EQ(6, road_number_horizon(read.get())) << file.name;
        const horizon_element_t *start = road_horizon(read.get(), 0);
        EXPECT_NEAR(41801.834, start->start_x, 1e-3) << file.name;
        EXPECT_NEAR(36973.589, start->start_y, 1e-3) << file.name;
        EXPECT_NEAR(36.3914, road_horizon(read.get(), 1)->length, 1e-4) << file.name;
        const horizon_element_t *last = road_horizon(read.get(), 5);
        EXPECT_NEAR(179.1416, last->start_chainage + last->length, 2e-3) << file.name;
    }
}

TEST(DecimalComma, RoadsAreWrittenWithAPointAndReadBackWhole)
{
    const struct {
        const char *name;
        int (*write)(const road_t *, const char *);
        int (*read)(road_t *, const char *);
        const char *start_line; // nullptr: not a text file
    } formats[] = {
        {"HaiDi", road_export_haidi, road_import_haidi, "0.0000 41801.8340 36973.5893 358D13F27M\n"},
        {"WeiDi", road_export_weidi, road_import_weidi,
         "1\t0.000000\t6.252195\t0.000000\t41801.833990\t36973.589290\n"},
        {"road file", road_export_file, road_import_file, nullptr},
    };
    Road road;
    five_element_alignment(road.get());
    DecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    for (const auto &format : formats) {
        ScratchFile file(std::string("decimal_comma_") + format.name);
        ASSERT_EQ(0, format.write(road.get(), file.c_str())) << format.name;
        if (format.start_line) {
            const std::string text = read_bytes(file.path());
            EXPECT_NE(std::string::npos, text.find(format.start_line)) << format.name << ":\n" << text;
            EXPECT_EQ(std::string::npos, text.find(',')) << format.name << ":\n" << text;
        }
        Road read;
        ASSERT_EQ(0, format.read(read.get(), file.c_str())) << format.name;
        expect_same_elements(road.get(), read.get(), 5e-5, M_PI / 180 / 3600);
    }
}

TEST(DecimalComma, ChainageTextsTakeAPoint)
{
    const struct {
        double chainage;
        const char *text;
    } texts[] = {
        {1234.5, "K1+234.50"}, {-0.25, "K0-000.25"}, {-1500.75, "-K1+500.75"}, {2.5e15, "2.5e+15"},
    };
    DecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    for (const auto &t : texts) {
        EXPECT_STREQ(t.text, mileage(t.chainage));
        char text[64];
        mileage_format(t.chainage, text, sizeof text);
        EXPECT_STREQ(t.text, text);
    }
}

} // namespace
