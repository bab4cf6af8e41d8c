#include "road.h"
#include "file_test_support.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace test_roads;
using namespace file_tests;

const char *const kQuotedModel = "Type 'A' cut";
const char *const kOtherModel = "O'Neil's ramp";

void add_model(road_t *road, const char *name, std::initializer_list<model_node_t> nodes)
{
    model_t model{};
    std::strncpy(model.name, name, ROAD_NAME_SIZE - 1);
    model_init(&model);
    for (const model_node_t &node : nodes)
        model_insert_node(&model, &node);
    ASSERT_EQ(road_insert_model(road, &model), 0);
}

void add_section(road_t *road, double from, double to, const char *start_model, const char *end_model, int type)
{
    road_section_t s{};
    s.start_chainage = from;
    s.end_chainage = to;
    std::strncpy(s.start_model, start_model, ROAD_NAME_SIZE - 1);
    std::strncpy(s.end_model, end_model, ROAD_NAME_SIZE - 1);
    s.type = type;
    ASSERT_EQ(road_insert_section(road, &s), 0);
}

void add_feeder(road_t *road)
{
    const double values[16] = {100, 80, 120, 2, 2.5, 3, 7.5, 7.25, 10, 12, 1.2, 1.0, 0.5, 2, 5, -1};
    const int counts[4] = {3, 4, 2, 5};
    feeder_t feeder{};
    ASSERT_EQ(feeder_init(&feeder, "Mill lane", values, counts, 1), 0);
    for (int line = 0; line < feeder_number_line(&feeder); line++) {
        for (int k = 0; k <= line % 4; k++)
            feeder_insert_elevation(&feeder, line, k, 100 + line + k / 10.0);
    }
    road_insert_feeder(road, &feeder);
}

// Every table of the handle holds something worth keeping.
void full_road(road_t *road)
{
    road_in_use(road);
    road_offset_t offsets[] = {{10, 3.5}, {50, 4.0}, {50, 4.5}, {0.1 + 0.2, 1.0 / 3}};
    for (const road_offset_t &entry : offsets) {
        road_insert_horizon_off(road, &entry);
        road_offset_t vertical = {entry.chainage * 2, -entry.value};
        road_insert_vertical_off(road, &vertical);
    }
    add_model(road, kQuotedModel, {{-7.5, 0.02}, {0, 0}, {3.5, -0.02}, {7.5, 0.03}});
    add_model(road, kOtherModel, {{-4, 0.015}, {4, 0.015}});
    add_model(road, std::string(63, 'm').c_str(), {});
    add_section(road, 0, 100, kQuotedModel, kQuotedModel, 0);
    add_section(road, 100, 179.14161859, kQuotedModel, kOtherModel, 1);
    add_feeder(road);
    add_feeder(road);
    std::strcpy(road_feeder(road, 1)->name, "Ferry road");
}

void expect_same_models(road_t *expected, road_t *actual)
{
    ASSERT_EQ(road_number_model(actual), road_number_model(expected));
    for (int i = 0; i < road_number_model(expected); i++) {
        model_t *e = road_model_index(expected, i), *a = road_model_index(actual, i);
        EXPECT_STREQ(a->name, e->name);
        ASSERT_EQ(model_number_node(a), model_number_node(e)) << e->name;
        for (int k = 0; k < model_number_node(e); k++) {
            EXPECT_EQ(model_node(a, k)->offset, model_node(e, k)->offset);
            EXPECT_EQ(model_node(a, k)->slope, model_node(e, k)->slope);
        }
    }
}

void expect_same_feeders(road_t *expected, road_t *actual)
{
    ASSERT_EQ(road_number_feeder(actual), road_number_feeder(expected));
    for (int i = 0; i < road_number_feeder(expected); i++) {
        const feeder_t *e = road_feeder(expected, i), *a = road_feeder(actual, i);
        EXPECT_STREQ(a->name, e->name);
        const double ev[] = {e->l0, e->l1, e->off1, e->l2, e->off2, e->r1, e->a1, e->r2, e->a2, e->alf,
                             e->det0, e->det1, e->det2, e->e1, e->e2, e->e3};
        const double av[] = {a->l0, a->l1, a->off1, a->l2, a->off2, a->r1, a->a1, a->r2, a->a2, a->alf,
                             a->det0, a->det1, a->det2, a->e1, a->e2, a->e3};
        for (int v = 0; v < 16; v++)
            EXPECT_EQ(av[v], ev[v]) << "value " << v;
        EXPECT_EQ(a->n1, e->n1);
        EXPECT_EQ(a->n2, e->n2);
        EXPECT_EQ(a->n3, e->n3);
        EXPECT_EQ(a->n4, e->n4);
        EXPECT_EQ(a->de_type, e->de_type);
        ASSERT_EQ(feeder_number_line(a), feeder_number_line(e));
        for (int line = 0; line < feeder_number_line(e); line++) {
            ASSERT_EQ(feeder_number_elevation(a, line), feeder_number_elevation(e, line));
            for (int k = 0; k < feeder_number_elevation(e, line); k++)
                EXPECT_EQ(feeder_elevation(a, line, k), feeder_elevation(e, line, k));
            double ex, ey, ax, ay;
            ASSERT_EQ(feeder_coord(e, line, 0, &ex, &ey), 0);
            ASSERT_EQ(feeder_coord(a, line, 0, &ax, &ay), 0);
            EXPECT_EQ(ax, ex);
            EXPECT_EQ(ay, ey);
        }
    }
}

bool same_bytes(const vpool &a, const vpool &b)
{
    return a.length == b.length && (a.length == 0 || std::memcmp(a.data, b.data, a.length) == 0);
}

// The file stores doubles as they are: everything comes back bit for bit.
void expect_same_road(road_t *expected, road_t *actual)
{
    ASSERT_EQ(road_number_horizon(actual), road_number_horizon(expected));
    EXPECT_TRUE(same_bytes(actual->horizon, expected->horizon));
    ASSERT_EQ(road_number_vertical(actual), road_number_vertical(expected));
    EXPECT_TRUE(same_bytes(actual->vertical, expected->vertical));
    ASSERT_EQ(road_number_horizon_off(actual), road_number_horizon_off(expected));
    for (int i = 0; i < road_number_horizon_off(expected); i++) {
        EXPECT_EQ(road_horizon_off(actual, i)->chainage, road_horizon_off(expected, i)->chainage);
        EXPECT_EQ(road_horizon_off(actual, i)->value, road_horizon_off(expected, i)->value);
    }
    ASSERT_EQ(road_number_vertical_off(actual), road_number_vertical_off(expected));
    for (int i = 0; i < road_number_vertical_off(expected); i++) {
        EXPECT_EQ(road_vertical_off(actual, i)->chainage, road_vertical_off(expected, i)->chainage);
        EXPECT_EQ(road_vertical_off(actual, i)->value, road_vertical_off(expected, i)->value);
    }
    expect_same_models(expected, actual);
    ASSERT_EQ(road_number_section(actual), road_number_section(expected));
    for (int i = 0; i < road_number_section(expected); i++) {
        const road_section_t *e = road_section(expected, i), *a = road_section(actual, i);
        EXPECT_EQ(a->start_chainage, e->start_chainage);
        EXPECT_EQ(a->end_chainage, e->end_chainage);
        EXPECT_STREQ(a->start_model, e->start_model);
        EXPECT_STREQ(a->end_model, e->end_model);
        EXPECT_EQ(a->type, e->type);
    }
    expect_same_feeders(expected, actual);
}

// Rewrites bytes inside a stored file in place, to damage its schema.
void patch_file(const std::string &path, const std::string &from, const std::string &to)
{
    ASSERT_EQ(from.size(), to.size());
    std::string bytes = read_bytes(path);
    size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    for (; at != std::string::npos; at = bytes.find(from, at))
        bytes.replace(at, from.size(), to);
    write_bytes(path, bytes);
}

TEST(RoadFile, WriteAndReadKeepEveryTable)
{
    ScratchFile file("road_round_trip.db");
    Road written, read;
    full_road(written.get());
    ASSERT_EQ(road_export_file(written.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_file(read.get(), file.c_str()), 0);
    expect_same_road(written.get(), read.get());
    EXPECT_STREQ(road_model_index(read.get(), 0)->name, kQuotedModel) << "a quote in a name survives";
    EXPECT_STREQ(road_section(read.get(), 1)->end_model, kOtherModel);
    expect_same_centre_line(written.get(), read.get(), 0.0);
    double z0, z1;
    ASSERT_GE(road_l2h(written.get(), 60, &z0, nullptr), 0);
    ASSERT_GE(road_l2h(read.get(), 60, &z1, nullptr), 0);
    EXPECT_EQ(z1, z0);
}

TEST(RoadFile, WritingAgainReplacesEveryRow)
{
    ScratchFile file("road_again.db");
    Road full, small, read;
    full_road(full.get());
    five_element_alignment(small.get());
    ASSERT_EQ(road_export_file(full.get(), file.c_str()), 0);
    ASSERT_EQ(road_export_file(small.get(), file.c_str()), 0);
    ASSERT_EQ(road_import_file(read.get(), file.c_str()), 0);
    expect_same_road(small.get(), read.get());
}

TEST(RoadFile, ReadingAddsToWhatTheRoadHolds)
{
    ScratchFile file("road_adds.db");
    Road stored, r;
    full_road(stored.get());
    ASSERT_EQ(road_export_file(stored.get(), file.c_str()), 0);
    add_model(r.get(), kOtherModel, {{-1, 0.5}});
    road_offset_t entry = {20, 1};
    road_insert_horizon_off(r.get(), &entry);
    ASSERT_EQ(road_import_file(r.get(), file.c_str()), 0);
    ASSERT_EQ(road_number_model(r.get()), 3) << "a model of a name already there is not added";
    EXPECT_EQ(model_number_node(road_model_name(r.get(), kOtherModel)), 1);
    EXPECT_EQ(model_number_node(road_model_name(r.get(), kQuotedModel)), 4);
    EXPECT_EQ(road_number_horizon_off(r.get()), 5);
    EXPECT_EQ(road_horizon_off(r.get(), 2)->chainage, 20.0) << "offsets stay in chainage order";
    EXPECT_EQ(road_number_horizon(r.get()), 6);
    EXPECT_EQ(road_number_feeder(r.get()), 2);
}

TEST(RoadFile, FilesThatAreNotRoadFilesLeaveTheRoadAsItWas)
{
    ScratchFile text("road_text.db"), empty("road_empty.db"), missing_table("road_missing.db"),
        short_table("road_short.db"), missing("road_missing_file.db");
    write_bytes(text.path(), "NE\n0.0000 1.0000 2.0000 10D0F0M\nZ L10.0000\n");
    write_bytes(empty.path(), "");
    Road stored;
    full_road(stored.get());
    ASSERT_EQ(road_export_file(stored.get(), missing_table.c_str()), 0);
    patch_file(missing_table.path(), "fele", "felx");
    ASSERT_EQ(road_export_file(stored.get(), short_table.c_str()), 0);
    patch_file(short_table.path(), "np,ele )", "np     )");

    Road r;
    full_road(r.get());
    RoadSnapshot before(r.get());
    int models = road_number_model(r.get()), feeders = road_number_feeder(r.get());
    for (const ScratchFile *file : {&text, &empty, &missing_table, &short_table, &missing}) {
        EXPECT_EQ(road_import_file(r.get(), file->c_str()), -1) << file->path();
        EXPECT_TRUE(before.same_as(r.get())) << file->path();
    }
    EXPECT_FALSE(file_exists(missing.path())) << "looking for a road file does not create one";
    EXPECT_EQ(road_import_file(r.get(), nullptr), -1);
    EXPECT_EQ(road_import_file(r.get(), ""), -1);
    EXPECT_EQ(road_import_file(r.get(), std::string(1024, 'r').c_str()), -1);
    EXPECT_TRUE(before.same_as(r.get()));
    EXPECT_EQ(road_number_model(r.get()), models);
    EXPECT_EQ(road_number_feeder(r.get()), feeders);
}

// A road file is a file like any other: one whose centre line lies where no
// road could (a damaged number) is refused as a ".pm" file with it would be,
// before it can make every section of the road crawl.
TEST(RoadFile, ACentreLineNoRoadCouldHaveIsRefused)
{
    struct Case {
        const char *name;
        horizon_element_t start;
        double length;
    };
    const Case cases[] = {
        {"far_start.db", start_point(9.4e25, 0, 0, 0), 100},
        {"far_north.db", start_point(0, -2e8, 0, 0), 100},
        {"far_chainage.db", start_point(0, 0, 0, 3e7), 100},
        {"long_line.db", start_point(0, 0, 0, 0), 1e12},
    };
    for (const Case &c : cases) {
        ScratchFile file(c.name);
        Road stored;
        append(stored.get(), c.start);
        append(stored.get(), line(c.length));
        ASSERT_EQ(road_export_file(stored.get(), file.c_str()), 0) << c.name;
        Road r;
        five_element_alignment(r.get());
        RoadSnapshot before(r.get());
        EXPECT_EQ(road_import_file(r.get(), file.c_str()), -1) << c.name;
        EXPECT_TRUE(before.same_as(r.get())) << c.name;
    }
}

TEST(RoadFile, AFailedWriteReportsItAndKeepsTheOldFile)
{
    ScratchFile text("road_write_text.db"), stored_file("road_write_stored.db");
    Road full, small;
    full_road(full.get());
    five_element_alignment(small.get());

    write_bytes(text.path(), "not a database\n");
    EXPECT_EQ(road_export_file(full.get(), text.c_str()), -1);
    EXPECT_EQ(read_bytes(text.path()), "not a database\n");

    // The last table cannot take its rows: everything written before it in
    // the same write is rolled back.
    ASSERT_EQ(road_export_file(full.get(), stored_file.c_str()), 0);
    patch_file(stored_file.path(), "np,ele )", "np     )");
    std::string before = read_bytes(stored_file.path());
    EXPECT_EQ(road_export_file(small.get(), stored_file.c_str()), -1);
    EXPECT_EQ(read_bytes(stored_file.path()), before);

    EXPECT_EQ(road_export_file(full.get(), "/nonexistent-folder/road.db"), -1);
    EXPECT_EQ(road_export_file(full.get(), ::testing::TempDir().c_str()), -1) << "a folder";
    EXPECT_EQ(road_export_file(full.get(), nullptr), -1);
    EXPECT_EQ(road_export_file(full.get(), ""), -1);
    EXPECT_EQ(road_export_file(full.get(), std::string(1024, 'r').c_str()), -1);
}

} // namespace
