#include "road.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace test_roads;

TEST(RoadTables, StartPointMayOnlyStandFirst)
{
    Road r;
    horizon_element_t start = start_point(0, 0, 0, 0);
    EXPECT_EQ(road_insert_horizon(r.get(), &start, 1), -1);
    horizon_element_t l = line(10);
    EXPECT_EQ(road_insert_horizon(r.get(), &l, 0), 0) << "only the start point is restricted";
    EXPECT_EQ(road_insert_horizon(r.get(), &start, 1), -1);
    EXPECT_EQ(road_insert_horizon(r.get(), &start, 0), 0);
    EXPECT_EQ(road_number_horizon(r.get()), 2);
    EXPECT_EQ(road_horizon(r.get(), 0)->type, HORIZON_START);
}

TEST(RoadTables, InsertAtCountAppendsAndPastItFails)
{
    Road r;
    vertical_element_t v{};
    v.type = VERTICAL_GRADE;
    EXPECT_EQ(road_insert_vertical(r.get(), &v, 1), -1);
    EXPECT_EQ(road_insert_vertical(r.get(), &v, -1), -1);
    for (int i = 0; i < 3; i++) {
        v.length = i;
        EXPECT_EQ(road_insert_vertical(r.get(), &v, road_number_vertical(r.get())), 0);
    }
    EXPECT_EQ(road_number_vertical(r.get()), 3);
    EXPECT_EQ(road_vertical(r.get(), 2)->length, 2.0);
    EXPECT_EQ(road_vertical(r.get(), 3), nullptr);
    EXPECT_EQ(road_vertical(r.get(), -1), nullptr);
}

TEST(RoadTables, ModifyAndRemoveCheckTheIndex)
{
    Road r;
    for (double length : {1.0, 2.0, 3.0}) {
        horizon_element_t l = line(length);
        road_insert_horizon(r.get(), &l, road_number_horizon(r.get()));
    }
    horizon_element_t l = line(9);
    EXPECT_EQ(road_modify_horizon(r.get(), &l, 3), -1);
    EXPECT_EQ(road_modify_horizon(r.get(), &l, 1), 0);
    EXPECT_EQ(road_horizon(r.get(), 1)->length, 9.0);
    EXPECT_EQ(road_remove_horizon(r.get(), 3), -1);
    EXPECT_EQ(road_remove_horizon(r.get(), 0), 0);
    EXPECT_EQ(road_number_horizon(r.get()), 2);
    EXPECT_EQ(road_horizon(r.get(), 0)->length, 9.0);
    horizon_element_t front = line(7);
    EXPECT_EQ(road_insert_horizon(r.get(), &front, 0), 0) << "room at the front after a front cut";
    EXPECT_EQ(road_horizon(r.get(), 0)->length, 7.0);
    EXPECT_EQ(road_horizon(r.get(), 2)->length, 3.0);
    road_clear_horizon(r.get());
    EXPECT_EQ(road_number_horizon(r.get()), 0);
}

TEST(RoadTables, OffsetsStayInChainageOrderNewerFirstOnTies)
{
    Road r;
    road_offset_t entries[] = {{50, 1}, {10, 2}, {50, 3}, {30, 4}};
    for (auto &e : entries)
        EXPECT_EQ(road_insert_horizon_off(r.get(), &e), 0);
    ASSERT_EQ(road_number_horizon_off(r.get()), 4);
    EXPECT_EQ(road_horizon_off(r.get(), 0)->value, 2);
    EXPECT_EQ(road_horizon_off(r.get(), 1)->value, 4);
    EXPECT_EQ(road_horizon_off(r.get(), 2)->value, 3) << "the newer entry stands first";
    EXPECT_EQ(road_horizon_off(r.get(), 3)->value, 1);
    road_offset_t moved = {5, 9};
    EXPECT_EQ(road_modify_horizon_off(r.get(), &moved, 3), 0);
    EXPECT_EQ(road_horizon_off(r.get(), 3)->chainage, 5) << "modify does not resort";
    EXPECT_EQ(road_erase_horizon_off(r.get(), 4), -1);
    EXPECT_EQ(road_erase_horizon_off(r.get(), 0), 0);
    EXPECT_EQ(road_clear_horizon_off(r.get()), 0);
    EXPECT_EQ(road_number_horizon_off(r.get()), 0);
    EXPECT_EQ(road_number_vertical_off(r.get()), 0);
}

TEST(RoadTables, SectionsNeedALengthAndKeepChainageOrder)
{
    Road r;
    road_section_t s{};
    s.start_chainage = s.end_chainage = 100;
    EXPECT_EQ(road_insert_section(r.get(), &s), -1) << "end equal to start";
    s.start_chainage = 100;
    s.end_chainage = 200;
    strcpy(s.start_model, "late");
    EXPECT_EQ(road_insert_section(r.get(), &s), 0);
    s.start_chainage = 0;
    s.end_chainage = 100;
    strcpy(s.start_model, "early");
    EXPECT_EQ(road_insert_section(r.get(), &s), 0);
    EXPECT_STREQ(road_section(r.get(), 0)->start_model, "early");
    s.end_chainage = -1;
    EXPECT_EQ(road_modify_section(r.get(), &s, 0), -1);
    EXPECT_EQ(road_clear_section(r.get()), 0);
    EXPECT_EQ(road_clear_section(r.get()), 34) << "already empty";
}

TEST(RoadTables, ModelsAreUniqueByNameAndOwnTheirNodes)
{
    Road r;
    EXPECT_EQ(road_model_name(r.get(), "any"), nullptr);
    EXPECT_EQ(road_clear_model(r.get()), 34);
    model_t m{};
    strcpy(m.name, "crown");
    model_init(&m);
    model_node_t nodes[] = {{10, 0.02}, {-10, 0.02}, {0, 0}, {10, -1}};
    for (auto &n : nodes)
        model_insert_node(&m, &n);
    ASSERT_EQ(model_number_node(&m), 4);
    EXPECT_EQ(model_node(&m, 0)->offset, -10);
    EXPECT_EQ(model_node(&m, 2)->slope, -1) << "equal offsets: newer first";
    EXPECT_EQ(road_insert_model(r.get(), &m), 0);
    model_t twin{};
    strcpy(twin.name, "crown");
    model_init(&twin);
    EXPECT_EQ(road_insert_model(r.get(), &twin), -1);
    strcpy(twin.name, "flat");
    EXPECT_EQ(road_modify_model(r.get(), &twin, 0), 0) << "frees the old nodes";
    EXPECT_EQ(road_model_name(r.get(), "crown"), nullptr);
    EXPECT_EQ(model_number_node(road_model_name(r.get(), "flat")), 0);
    EXPECT_EQ(road_modify_model(r.get(), road_model_index(r.get(), 0), 0), 0)
        << "a model written over itself keeps its nodes";
    EXPECT_EQ(road_remove_model(r.get(), 1), -1);
    EXPECT_EQ(road_remove_model(r.get(), 0), 0);
    EXPECT_EQ(road_number_model(r.get()), 0);
}

} // namespace
