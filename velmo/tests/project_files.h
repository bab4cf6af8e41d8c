// Small projects and direct looks into their files, for the tests of
// crashes, locks, crafted rows and failing file systems.
#pragma once

#include "velmo.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace project_test {

// A straight-and-curve alignment as a HaiDi ".pm" file.
inline std::string write_alignment(const std::string &path)
{
    road_t road;
    road_init(&road);
    horizon_element_t start{};
    start.type = HORIZON_START;
    start.start_x = 41801.8;
    start.start_y = 36973.6;
    start.start_azimuth = 0.3;
    road_insert_horizon(&road, &start, 0);
    horizon_element_t line{};
    line.type = HORIZON_LINE;
    line.length = 120;
    road_insert_horizon(&road, &line, 1);
    road_apply_horizon(&road);
    EXPECT_EQ(road_export_haidi(&road, path.c_str()), 0);
    road_final(&road);
    return path;
}

// A two-element vertical profile: what only the road file keeps.
inline void add_profile(road_t *road)
{
    vertical_element_t start{}, grade{};
    start.type = VERTICAL_START;
    start.start_elevation = 120.5;
    start.start_grade = std::atan(0.015);
    grade.type = VERTICAL_GRADE;
    grade.length = 100;
    road_insert_vertical(road, &start, 0);
    road_insert_vertical(road, &grade, 1);
    road_apply_vertical(road);
}

inline section_t *add_custom(wks_t *wks, const char *name)
{
    const double centre[3] = {10, 20, 0}, normal[3] = {0, -1, 0}, up[3] = {0, 0, 1};
    const double thickness[2] = {-0.5, 0.5}, width[2] = {-10, 10};
    return wks_add_custom_section(wks, name, centre, normal, up, thickness, width);
}

// The one file of a folder whose name ends with the suffix.
inline std::string only_file(const std::string &folder, const std::string &suffix)
{
    std::string found;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            EXPECT_TRUE(found.empty()) << "two files end with " << suffix;
            found = entry.path().string();
        }
    }
    EXPECT_FALSE(found.empty()) << "no file ends with " << suffix;
    return found;
}

// Changes a database file behind the engine's back.
inline void sql(const std::string &database, const std::string &statements)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char *error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

inline int count_rows(const std::string &database, const std::string &table)
{
    sqlite3 *db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        std::string query = "select count(*) from " + table;
        if (sqlite3_prepare_v2(db, query.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            count = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return count;
}

} // namespace project_test
