// A road's sections: each latitude and longitude section knows the road it
// was generated on, also once the road has moved and after the project was
// closed; the name a row would give is the name its section gets; and
// sections go out of the project together, in one write.
#include "velmo.h"

#include "lasgen.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

std::string write_road(const std::string &path, double start_east)
{
    lasgen::CorridorSpec spec;
    spec.alignment = lasgen::Alignment::curved;
    spec.start_east = start_east;
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    EXPECT_EQ(0, road_export_haidi(&road, path.c_str()));
    road_final(&road);
    return path;
}

std::vector<section_t *> sections_of(Array *list)
{
    std::vector<section_t *> out;
    for (size_t i = 0; i < array_size(list); i++)
        out.push_back(item<section_t>(list, i));
    return out;
}

bool exec(const std::string &database, const char *sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Two roads 200 m apart, each with latitude sections at 20 and 40 and a
// longitude section over 10 to 70.
struct TwoRoads {
    TempDir dir;
    Workspace w;
    std::string project = dir.file("p.qpj");
    wks_road_t *a = nullptr, *b = nullptr;

    void make()
    {
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        a = wks_import_road(w.wks, write_road(dir.file("a.pm"), 500000.0).c_str(), 0);
        b = wks_import_road(w.wks, write_road(dir.file("b.pm"), 500200.0).c_str(), 0);
        ASSERT_TRUE(a && b);
        const double latitude[] = {20, 0, 40, 0}, longitude[] = {10, 70};
        for (wks_road_t *road : {a, b}) {
            ASSERT_EQ(2, wks_generate_road_latitude_sections(w.wks, road, 2, latitude, 1.0, 20.0));
            ASSERT_EQ(1, wks_generate_road_longitude_sections(w.wks, road, 1, longitude, 1.0));
        }
        ASSERT_NE(wks_export_project(w.wks), 0);
    }

    void reopen()
    {
        w.reopen(project);
        a = item<wks_road_t>(w.wks->roads, 0);
        b = item<wks_road_t>(w.wks->roads, 1);
        for (wks_road_t *road : {a, b})
            ASSERT_NE(road_open_file(road, road->path, road->format), 0);
    }

    // Which road each latitude, then longitude, section is on: 'a', 'b',
    // or '-' for neither.
    std::string owners()
    {
        std::string text;
        for (Array *list : {w.wks->latitude_sections, w.wks->longitude_sections})
            for (section_t *section : sections_of(list))
                text += wks_section_on_road(w.wks, a, section)   ? 'a'
                        : wks_section_on_road(w.wks, b, section) ? 'b'
                                                                 : '-';
        return text;
    }
};

} // namespace

TEST(SectionRoads, ASectionKnowsItsRoadAfterTheRoadMovesAndTheProjectReopens)
{
    TwoRoads p;
    p.make();
    EXPECT_EQ("aabbab", p.owners());
    // Road a moves 30 m east: its sections no longer lie on it, and are
    // still its own.
    for (int i = 0; i < road_number_horizon(&p.a->road); i++)
        road_horizon(&p.a->road, i)->start_y += 30.0;
    road_apply_horizon(&p.a->road);
    EXPECT_EQ("aabbab", p.owners());
    ASSERT_NE(wks_export_project(p.w.wks), 0);
    p.reopen();
    EXPECT_EQ("aabbab", p.owners());
    // A custom section is no road's, nor is any section of another workspace.
    const double centre[3] = {500000, 4000000, 0}, normal[3] = {1, 0, 0}, up[3] = {0, 0, 1}, range[2] = {-1, 1};
    section_t *custom = wks_add_custom_section(p.w.wks, "own", centre, normal, up, range, range);
    ASSERT_NE(nullptr, custom);
    EXPECT_EQ(0, wks_section_on_road(p.w.wks, p.a, custom));
    Workspace other;
    EXPECT_EQ(0, wks_section_on_road(other.wks, p.a, item<section_t>(p.w.wks->latitude_sections, 0)));
    EXPECT_EQ(0, wks_section_on_road(p.w.wks, nullptr, custom));
}

// A project written before sections recorded their road: a section counts
// as the road's when it lies on the road's centre line, and the file takes
// the record from the next section stored on.
TEST(SectionRoads, SectionsOfAnOlderProjectAreTheRoadsTheyLieOn)
{
    TwoRoads p;
    p.make();
    p.w.close();
    ASSERT_TRUE(exec(p.project, "alter table sections drop column road"));
    p.reopen();
    EXPECT_EQ("aabbab", p.owners());
    for (int i = 0; i < road_number_horizon(&p.a->road); i++)
        road_horizon(&p.a->road, i)->start_y += 30.0;
    road_apply_horizon(&p.a->road);
    EXPECT_EQ("--bb-b", p.owners()) << "moved away, nothing says they were a's";
    const double row[] = {60, 0};
    ASSERT_EQ(1, wks_generate_road_latitude_sections(p.w.wks, p.a, 1, row, 1.0, 20.0));
    p.reopen();
    EXPECT_EQ('a', p.owners()[4]) << "the new section recorded its road";
}

TEST(SectionRoads, ARowsNameIsTheNameOfTheSectionItMakes)
{
    TwoRoads p;
    p.make();
    const struct {
        int list;
        double row[2];
        bool makes;
    } rows[] = {
        {0, {20, 0}, true},    {0, {0, 3.5}, true},    {0, {123.456, 0}, true}, {0, {-5, 0}, false},
        {0, {1e9, 0}, false},  {1, {10, 70}, true},    {1, {-20, 30}, true},    {1, {150, 1e6}, true},
        {1, {70, 10}, false},  {1, {300, 400}, false}, {2, {20, 0}, false},
    };
    for (const auto &r : rows) {
        char name[VELMO_NAME_SIZE] = "";
        const int named = wks_road_section_name(p.a, r.list, r.row, name);
        EXPECT_EQ(r.makes ? 1 : 0, named) << r.list << ": " << r.row[0] << ", " << r.row[1];
        if (!r.makes)
            continue;
        Array *list = r.list == 0 ? p.w.wks->latitude_sections : p.w.wks->longitude_sections;
        const size_t before = array_size(list);
        ASSERT_EQ(1, r.list == 0 ? wks_generate_road_latitude_sections(p.w.wks, p.a, 1, r.row, 1.0, 20.0)
                                 : wks_generate_road_longitude_sections(p.w.wks, p.a, 1, r.row, 1.0));
        EXPECT_STREQ(item<section_t>(list, before)->name, name);
    }
    char name[VELMO_NAME_SIZE];
    const double row[] = {20, 0};
    EXPECT_EQ(0, wks_road_section_name(nullptr, 0, row, name));
}

TEST(SectionRoads, SectionsRemovedTogetherAreGoneFromTheProject)
{
    TwoRoads p;
    p.make();
    std::vector<section_t *> gone = {item<section_t>(p.w.wks->latitude_sections, 0),
                                     item<section_t>(p.w.wks->latitude_sections, 3),
                                     item<section_t>(p.w.wks->longitude_sections, 1)};
    const std::string kept = item<section_t>(p.w.wks->latitude_sections, 1)->name;
    gone.push_back(gone[0]); // twice, and one of no workspace's
    gone.push_back(nullptr);
    EXPECT_EQ(3, wks_remove_sections(p.w.wks, gone.data(), int(gone.size())));
    EXPECT_EQ(2u, array_size(p.w.wks->latitude_sections));
    EXPECT_EQ(1u, array_size(p.w.wks->longitude_sections));
    p.reopen();
    EXPECT_EQ(2u, array_size(p.w.wks->latitude_sections));
    EXPECT_EQ(1u, array_size(p.w.wks->longitude_sections));
    EXPECT_STREQ(kept.c_str(), item<section_t>(p.w.wks->latitude_sections, 0)->name);
    EXPECT_EQ(0, wks_remove_sections(p.w.wks, nullptr, 3));
}
