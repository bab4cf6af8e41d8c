#include "velmo.h"

#include "decimal_comma_locale.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

// A real five-element alignment written as a ".pm" file in either format.
std::string write_alignment(const std::string &path, int format)
{
    road_t road;
    road_init(&road);
    horizon_element_t e{};
    e.type = HORIZON_START;
    e.start_x = 41801.83399;
    e.start_y = 36973.58929;
    e.start_azimuth = 6.252194703415;
    road_insert_horizon(&road, &e, 0);
    const double lengths[] = {36.39140501, 35, 50.30392997, 35, 22.44628361};
    const int types[] = {HORIZON_LINE, HORIZON_TRANSITION, HORIZON_CIRCLE, HORIZON_TRANSITION, HORIZON_LINE};
    const double start_radius[] = {0, 0, 0, 54, 0}, end_radius[] = {0, 54, 0, 0, 0};
    for (int i = 0; i < 5; i++) {
        horizon_element_t h{};
        h.type = types[i];
        h.length = lengths[i];
        h.radius = 54;
        h.start_radius = start_radius[i];
        h.end_radius = end_radius[i];
        h.direction = 1;
        road_insert_horizon(&road, &h, i + 1);
    }
    road_apply_horizon(&road);
    int result = format == 1 ? road_export_weidi(&road, path.c_str()) : road_export_haidi(&road, path.c_str());
    EXPECT_EQ(result, 0);
    road_final(&road);
    return path;
}

void add_profile(road_t *road)
{
    vertical_element_t start{}, grade{};
    start.type = VERTICAL_START;
    start.start_elevation = 120.5;
    start.start_grade = atan(0.015);
    grade.type = VERTICAL_GRADE;
    grade.length = 180;
    road_insert_vertical(road, &start, 0);
    road_insert_vertical(road, &grade, 1);
    road_apply_vertical(road);
}

TEST(Project, CreateGivesAnEmptyNamedProjectWithItsDataFolder)
{
    TempDir dir;
    Workspace w;
    std::string path = dir.file("Bridge km4.qpj");
    ASSERT_NE(wks_create_project(w.wks, 0, path.c_str()), 0);
    ASSERT_NE(w.wks->project, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char *>(w.wks->project), "Bridge km4");
    EXPECT_TRUE(fs::is_directory(dir.file("Bridge km4.data")));
    EXPECT_EQ(array_size(w.wks->clouds), 0u);
    EXPECT_EQ(w.wks->base_elevation, 0.0);
    w.reopen(path);
    EXPECT_STREQ(w.wks->project->name, "Bridge km4");
}

TEST(Project, RefusesFilesThatAreNotOursAndLeavesThemUntouched)
{
    TempDir dir;
    std::string text = dir.file("notes.qpj");
    write_bytes(text, "not a project\n");
    std::string other = dir.file("other.qpj");
    {
        Workspace maker;
        ASSERT_NE(wks_create_project(maker.wks, 0, other.c_str()), 0);
    }
    // An SQLite file of another program.
    std::string foreign = dir.file("foreign.qpj");
    {
        road_t road;
        road_init(&road);
        ASSERT_EQ(road_export_file(&road, foreign.c_str()), 0);
        road_final(&road);
    }
    std::string before_text = read_bytes(text), before_foreign = read_bytes(foreign);
    for (const std::string &path : {text, foreign, dir.file("missing.qpj"), std::string(2000, 'a')}) {
        Workspace w;
        EXPECT_EQ(wks_open_project(w.wks, path.c_str()), 0) << path.substr(0, 80);
        EXPECT_EQ(w.wks->project, nullptr);
    }
    EXPECT_EQ(read_bytes(text), before_text);
    EXPECT_EQ(read_bytes(foreign), before_foreign);

    Workspace w;
    EXPECT_EQ(wks_create_project(w.wks, 0, text.c_str()), 0) << "an existing file is never replaced";
    EXPECT_EQ(read_bytes(text), before_text);
    EXPECT_EQ(wks_open_project(w.wks, nullptr), 0);
    ASSERT_NE(wks_open_project(w.wks, other.c_str()), 0);
    EXPECT_EQ(wks_open_project(w.wks, other.c_str()), 0) << "only into an empty workspace";
}

// With files written in the C locale, and the project worked on in the
// decimal-comma locale when asked.
void check_road_round_trip(bool decimal_comma)
{
    TempDir dir;
    std::string project = dir.file("roads.qpj");
    std::string haidi = write_alignment(dir.file("main.pm"), 0);
    std::string weidi = write_alignment(dir.file("ramp.pm"), 1);
    std::optional<DecimalCommaLocale> locale;
    if (decimal_comma) {
        locale.emplace();
        ASSERT_DECIMAL_COMMA_LOCALE(*locale);
    }
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    wks_road_t *first = wks_import_road(w.wks, haidi.c_str(), 0);
    wks_road_t *second = wks_import_road(w.wks, weidi.c_str(), 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(road_number_horizon(&first->road), 6);
    add_profile(&second->road);
    ASSERT_NE(wks_export_project(w.wks), 0);

    w.reopen(project);
    ASSERT_EQ(array_size(w.wks->roads), 2u);
    wks_road_t *a = item<wks_road_t>(w.wks->roads, 0), *b = item<wks_road_t>(w.wks->roads, 1);
    EXPECT_EQ(fs::path(a->path).filename(), "main.pm");
    EXPECT_EQ(a->format, 0);
    EXPECT_EQ(b->format, 1);
    ASSERT_NE(road_open_file(a, a->path, a->format), 0);
    ASSERT_NE(road_open_file(b, b->path, b->format), 0);
    EXPECT_EQ(road_number_horizon(&a->road), 6);
    EXPECT_EQ(road_number_vertical(&a->road), 0);
    ASSERT_EQ(road_number_vertical(&b->road), 2) << "the profile survives in the road file";
    double z = 0, x = 0, y = 0;
    EXPECT_EQ(road_l2h(&b->road, 100, &z, nullptr), 1);
    EXPECT_NEAR(z, 122.0, 1e-9);
    EXPECT_EQ(road_l2xy(&b->road, 100, &x, &y, nullptr), 3);
    double ax = 0, ay = 0;
    road_l2xy(&a->road, 100, &ax, &ay, nullptr);
    EXPECT_NEAR(x, ax, 1e-3);
    EXPECT_NEAR(y, ay, 1e-3);
}

TEST(ProjectRoads, RoundTripKeepsOrderFormatsElementsAndProfile)
{
    check_road_round_trip(false);
}

// The program sets the locale from the system language; a German user's
// program reads the roads everyone else writes, and keeps them as well.
TEST(ProjectRoads, RoundTripIgnoresADecimalCommaLocale)
{
    check_road_round_trip(true);
}

TEST(ProjectRoads, UnreadableRoadsAddNothing)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    Workspace w;
    EXPECT_EQ(wks_import_road(w.wks, write_alignment(dir.file("a.pm"), 0).c_str(), 0), nullptr)
        << "no project is open";
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    std::string garbage = dir.file("garbage.pm");
    write_bytes(garbage, "Z L12\nnonsense\n");
    EXPECT_EQ(wks_import_road(w.wks, garbage.c_str(), 0), nullptr);
    EXPECT_EQ(wks_import_road(w.wks, dir.file("missing.pm").c_str(), 1), nullptr);
    EXPECT_EQ(wks_import_road(w.wks, std::string(1500, 'r').c_str(), 0), nullptr);
    EXPECT_EQ(array_size(w.wks->roads), 0u);
}

TEST(ProjectRoads, ImportRefusesAFileWithAnElementOfUnknownKindNamingItsLineAndCode)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    std::string whole = write_alignment(dir.file("whole.pm"), 1), gaps = dir.file("gaps.pm");
    write_bytes(gaps, "HINTCAD5.83_PM_SHUJU_PM\n3\tNULL\tNULL\t0.0000\n"
                      "1\t0.000000\t0.300000\t0.000000\t100.000000\t200.000000\n"
                      "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t1\n1\t2\t3\t4\t5\t6\t7\t8\n0\t20\t\t0\t0\n"
                      "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t8\n1\t2\t3\t4\t5\t6\t7\t8\n0\t20\t\t0\t0\n"
                      "-1\t0.0000\t20.000000\t0.000000\t9999.000000\t9999.000000\t1\n1\t2\t3\t4\t5\t6\t7\t8\n0\t20\t\t0\t0\n");
    EXPECT_EQ(wks_import_road(w.wks, gaps.c_str(), 1), nullptr);
    EXPECT_EQ(array_size(w.wks->roads), 0u);
    const std::string message = wks_last_message(w.wks);
    EXPECT_EQ(message.rfind("Nothing of \"" + gaps + "\" was imported: line 7 holds an element of code 8,", 0), 0u)
        << message;
    ASSERT_NE(wks_import_road(w.wks, whole.c_str(), 1), nullptr);
    EXPECT_STREQ(wks_last_message(w.wks), "") << "a whole import says nothing";
}

TEST(ProjectRoads, CreatedRoadsStartEmptyOrLoadAnExistingFile)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    wks_road_t *fresh = wks_create_road(w.wks, dir.file("new.pm").c_str());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->format, 0);
    EXPECT_EQ(road_number_horizon(&fresh->road), 0);
    wks_road_t *existing = wks_create_road(w.wks, write_alignment(dir.file("old.pm"), 1).c_str());
    ASSERT_NE(existing, nullptr);
    EXPECT_EQ(existing->format, 1) << "an existing WeiDi file is not overwritten as HaiDi";
    EXPECT_EQ(road_number_horizon(&existing->road), 6);
    ASSERT_EQ(array_size(w.wks->roads), 2u);
    EXPECT_EQ(item<wks_road_t>(w.wks->roads, 1), existing);
}

TEST(ProjectRoads, RemovalIsSavedAndTheRoadFileGoesWithTheWorkspace)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    wks_road_t *a = wks_import_road(w.wks, write_alignment(dir.file("a.pm"), 0).c_str(), 0);
    wks_road_t *b = wks_import_road(w.wks, write_alignment(dir.file("b.pm"), 0).c_str(), 0);
    ASSERT_NE(wks_export_project(w.wks), 0);
    size_t files_before = std::distance(fs::directory_iterator(dir.file("p.data")), fs::directory_iterator());
    EXPECT_EQ(files_before, 2u);
    EXPECT_NE(wks_remove_road(w.wks, a), 0);
    EXPECT_EQ(wks_remove_road(w.wks, a), 0) << "already gone";
    EXPECT_EQ(road_number_horizon(&a->road), 6) << "still readable until the workspace goes";
    ASSERT_NE(wks_export_project(w.wks), 0);
    w.reopen(project);
    ASSERT_EQ(array_size(w.wks->roads), 1u);
    EXPECT_EQ(fs::path(item<wks_road_t>(w.wks->roads, 0)->path).filename(), "b.pm");
    (void)b;
    size_t files_after = std::distance(fs::directory_iterator(dir.file("p.data")), fs::directory_iterator());
    EXPECT_EQ(files_after, 1u);
}

TEST(Vectors, SubtractAndDot)
{
    double a[3] = {4, 5, 6}, b[3] = {1, 1, 1}, d[3];
    vector_sub(a, b, d);
    EXPECT_EQ(d[0], 3);
    EXPECT_EQ(d[2], 5);
    EXPECT_EQ(vector_dot(a, b), 15);
}

TEST(Version, IsThreeNumbers)
{
    int major = -1, minor = -1, patch = -1;
    EXPECT_EQ(sscanf(cvVersion, "%d.%d.%d", &major, &minor, &patch), 3);
}

} // namespace
