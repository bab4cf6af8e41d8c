#include "section_corridor.h"

#include "section_state.h"
#include "sqlite_db.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace section_test;

namespace {

std::vector<section_t *> sections_of(Array *list)
{
    std::vector<section_t *> out;
    for (size_t i = 0; i < array_size(list); i++)
        out.push_back(item<section_t>(list, i));
    return out;
}

// What a surveyor sees of a section, for comparing before and after.
void expect_same_section(const section_t *a, const section_t *b)
{
    SCOPED_TRACE(a->name);
    EXPECT_STREQ(a->name, b->name);
    EXPECT_EQ(a->type, b->type);
    EXPECT_EQ(std::memcmp(a->normal_range, b->normal_range, sizeof a->normal_range), 0);
    EXPECT_EQ(std::memcmp(a->width_range, b->width_range, sizeof a->width_range), 0);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(a->center[k], b->center[k]);
        EXPECT_EQ(a->normal[k], b->normal[k]);
        EXPECT_EQ(a->axis_u[k], b->axis_u[k]);
        EXPECT_EQ(a->axis_v[k], b->axis_v[k]);
    }
    ASSERT_EQ(a->vertex_count, b->vertex_count);
    for (int i = 0; i < 3 * a->vertex_count; i++)
        EXPECT_EQ(a->vertices[i], b->vertices[i]);
    std::vector<velmo_point_t> ma = records(a->measurements), mb = records(b->measurements);
    ASSERT_EQ(ma.size(), mb.size());
    for (size_t i = 0; i < ma.size(); i++)
        EXPECT_EQ(std::memcmp(&ma[i], &mb[i], offsetof(velmo_point_t, reserved)), 0) << "measurement " << i;
    std::vector<velmo_point_t> ra = records(a->red_line), rb = records(b->red_line);
    ASSERT_EQ(ra.size(), rb.size());
    for (size_t i = 0; i < ra.size(); i++) {
        EXPECT_EQ(ra[i].u, rb[i].u);
        EXPECT_EQ(ra[i].v, rb[i].v);
        EXPECT_EQ(ra[i].x, rb[i].x);
    }
}

// A copy of a section's visible content that outlives its workspace.
struct Copy {
    section_t record;
    std::vector<double> vertices;
    Array *measurements = nullptr, *red_line = nullptr;
    std::vector<velmo_point_t> m, r;

    explicit Copy(const section_t *s) : record(*s), m(records(s->measurements)), r(records(s->red_line))
    {
        vertices.assign(s->vertices, s->vertices + 3 * s->vertex_count);
        record.vertices = vertices.data();
        array_new(&measurements);
        array_new(&red_line);
        for (velmo_point_t &p : m)
            array_add(measurements, &p);
        for (velmo_point_t &p : r)
            array_add(red_line, &p);
        record.measurements = measurements;
        record.red_line = red_line;
    }
    ~Copy()
    {
        array_destroy(measurements);
        array_destroy(red_line);
    }
    Copy(const Copy &) = delete;
    Copy &operator=(const Copy &) = delete;
};

// What another program opening the file now would find.
size_t stored_sections(const std::string &path)
{
    wks_t *other = new_workspace();
    size_t count = 0;
    if (wks_open_project(other, path.c_str()))
        count = array_size(other->latitude_sections) + array_size(other->longitude_sections) +
                array_size(other->custom_sections);
    wks_destroy(other);
    return count;
}

velmo_point_t *add_red_point(section_t *s, float u, float v)
{
    auto *p = static_cast<velmo_point_t *>(calloc(1, sizeof(velmo_point_t)));
    p->u = u;
    p->v = v;
    section_rev_proj_point(s, p);
    std::lock_guard<std::mutex> guard(s->state->lock);
    array_add(s->red_line, p);
    return p;
}

TEST(SectionStore, ReopenedProjectHasTheSameSectionsMeasurementsAndRanges)
{
    Project p(CorridorFiles::straight());
    std::vector<double> rows = latitude_rows(1020, 1100, 20, 99.5);
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 5, rows.data(), 1.0, 40.0), 5);
    EXPECT_EQ(stored_sections(p.path()), 5u) << "generated sections are saved at once";
    double lrows[] = {1010, 1060.5, 1100, 1190};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 2, lrows, 2.0), 2);
    double c[3] = {500050, 4000050, 0}, n[3] = {-1, 0, 0}, up[3] = {0, 0, 1}, r[2] = {-0.5, 0.5}, w[2] = {-15, 15};
    double z[3] = {0, 0, 1}, east[3] = {1, 0, 0}, ch[3] = {500050, 4000050, 101};
    section_t *custom = wks_add_custom_section(p.wks, "custom1", c, n, up, r, w);
    section_t *plan = wks_add_custom_section(p.wks, "plan \xe5\x9b\xbe", ch, z, east, r, w);
    ASSERT_TRUE(custom && plan);
    EXPECT_EQ(stored_sections(p.path()), 9u);

    // The worker computes every new section.
    for (Array *list : {p.wks->latitude_sections, p.wks->longitude_sections, p.wks->custom_sections})
        for (section_t *s : sections_of(list))
            ASSERT_NE(wks_export_section(p.wks, s), 0);

    std::vector<section_t *> lat = sections_of(p.wks->latitude_sections);
    std::vector<section_t *> lon = sections_of(p.wks->longitude_sections);
    ASSERT_NE(wks_cal_section(p.wks, lat[0], nullptr), 0);
    for (size_t i = 0; i < array_size(lat[0]->points); i += array_size(lat[0]->points) / 5)
        ASSERT_NE(section_add_meas(lat[0], item<velmo_point_t>(lat[0]->points, i)), nullptr);
    velmo_point_t click{};
    click.u = 3;
    click.v = 100;
    ASSERT_NE(section_create_meas(custom, &click, 0), nullptr);
    click.u = 1040;
    ASSERT_NE(section_create_meas(lon[0], &click, 0), nullptr);
    add_red_point(lat[0], -5, 100.1f);
    add_red_point(lat[0], 5, 100.2f);
    for (section_t *s : {lat[0], custom, lon[0]})
        ASSERT_NE(wks_save_section_data(p.wks, s), 0);

    double thick[2] = {-1.5, 1.5}, narrow[2] = {-7.5, 7.5};
    ASSERT_NE(wks_modify_section_offset(p.wks, lat[1], thick), 0);
    ASSERT_NE(wks_modify_section_width(p.wks, lat[2], narrow), 0);
    ASSERT_NE(wks_modify_section_offset(p.wks, lon[1], narrow), 0);
    ASSERT_NE(section_add_meas(lat[3], item<velmo_point_t>(lat[0]->points, 0)), nullptr);
    ASSERT_NE(wks_save_section_data(p.wks, lat[3]), 0);
    ASSERT_NE(section_clear_meas(lat[3]), 0);
    ASSERT_NE(wks_save_section_data(p.wks, lat[3]), 0);
    ASSERT_NE(wks_save_remove_section(p.wks, lat[4]), 0);
    ASSERT_NE(wks_remove_section(p.wks, lat[4]), 0);
    EXPECT_EQ(array_size(p.wks->latitude_sections), 4u);
    EXPECT_EQ(stored_sections(p.path()), 8u);
    // A section generated after a deletion still comes last.
    double later[] = {1010, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, later, 1.0, 40.0), 1);

    std::vector<std::unique_ptr<Copy>> before;
    for (Array *list : {p.wks->latitude_sections, p.wks->longitude_sections, p.wks->custom_sections})
        for (section_t *s : sections_of(list))
            before.push_back(std::make_unique<Copy>(s));
    p.reopen();
    std::vector<section_t *> after;
    for (Array *list : {p.wks->latitude_sections, p.wks->longitude_sections, p.wks->custom_sections})
        for (section_t *s : sections_of(list))
            after.push_back(s);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(array_size(p.wks->latitude_sections), 5u);
    EXPECT_EQ(array_size(p.wks->longitude_sections), 2u);
    EXPECT_EQ(array_size(p.wks->custom_sections), 2u);
    for (size_t i = 0; i < after.size(); i++)
        expect_same_section(&before[i]->record, after[i]);
    EXPECT_STREQ(item<section_t>(p.wks->latitude_sections, 4)->name, "LK1+010.00");
    EXPECT_GE(array_size(item<section_t>(p.wks->latitude_sections, 0)->measurements), 5u);
    EXPECT_EQ(array_size(item<section_t>(p.wks->latitude_sections, 3)->measurements), 0u);

    // Reopened sections compute and save like new ones.
    section_t *again = item<section_t>(p.wks->latitude_sections, 1);
    ASSERT_NE(wks_cal_section(p.wks, again, nullptr), 0);
    EXPECT_GT(array_size(again->points), 100u);
    ASSERT_NE(section_add_meas(again, item<velmo_point_t>(again->points, 0)), nullptr);
    ASSERT_NE(wks_save_section_data(p.wks, again), 0);
    p.reopen();
    EXPECT_EQ(array_size(item<section_t>(p.wks->latitude_sections, 1)->measurements), 1u);
}

TEST(SectionStore, DamagedRowsLoadWhatCanBeReadAndNothingElse)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1020, 0, 1040, 0, 1060, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 3, rows, 1.0, 40.0), 3);
    double lrows[] = {1010, 1050};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, lrows, 1.0), 1);
    velmo_point_t click{};
    click.v = 100;
    for (section_t *s : sections_of(p.wks->latitude_sections)) {
        ASSERT_NE(section_create_meas(s, &click, 0), nullptr);
        ASSERT_NE(wks_save_section_data(p.wks, s), 0);
    }
    {
        velmo::Database db(p.path(), velmo::Database::READ_WRITE);
        ASSERT_TRUE(db.exec("update sections set measurements = x'0102030405' where name = 'LK1+020.00'"));
        ASSERT_TRUE(db.exec("update sections set type = 7 where name = 'LK1+040.00'"));
        ASSERT_TRUE(db.exec("update sections set center_x = 1e999 where name = 'LK1+060.00'"));
        ASSERT_TRUE(db.exec("update sections set vertices = zeroblob(40) where list = 1"));
    }
    p.reopen();
    ASSERT_EQ(array_size(p.wks->latitude_sections), 1u);
    section_t *kept = item<section_t>(p.wks->latitude_sections, 0);
    EXPECT_STREQ(kept->name, "LK1+020.00");
    EXPECT_EQ(array_size(kept->measurements), 0u);
    ASSERT_EQ(array_size(p.wks->longitude_sections), 1u);
    section_t *line = item<section_t>(p.wks->longitude_sections, 0);
    EXPECT_EQ(line->vertex_count, 0);
    EXPECT_NE(wks_cal_section(p.wks, line, nullptr), 0);
    EXPECT_EQ(array_size(line->points), 0u);
    velmo_point_t point{};
    EXPECT_NE(section_rev_proj_point(line, &point), 0);
}

TEST(SectionStore, CallsWithoutAProjectOrOnAnotherWorkspaceWriteNothing)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1020, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, rows, 1.0, 40.0), 1);
    section_t *s = item<section_t>(p.wks->latitude_sections, 0);
    wks_t *other = new_workspace();
    EXPECT_EQ(wks_save_section_data(other, s), 0);
    EXPECT_EQ(wks_save_remove_section(other, s), 0);
    EXPECT_EQ(wks_remove_section(other, s), 0);
    EXPECT_EQ(wks_export_section(other, s), 0);
    EXPECT_EQ(wks_import_section(other, s), 0);
    double range[2] = {-1, 1};
    EXPECT_EQ(wks_modify_section_offset(other, s, range), 0);
    wks_destroy(other);
    EXPECT_EQ(stored_sections(p.path()), 1u);
    EXPECT_EQ(wks_save_section_data(p.wks, nullptr), 0);
    EXPECT_EQ(wks_remove_section(p.wks, nullptr), 0);

    // Once its row is deleted, a section is never written again.
    ASSERT_NE(wks_save_remove_section(p.wks, s), 0);
    ASSERT_NE(wks_modify_section_offset(p.wks, s, range), 0);
    ASSERT_NE(wks_export_section(p.wks, s), 0);
    EXPECT_EQ(stored_sections(p.path()), 0u);
    ASSERT_NE(wks_remove_section(p.wks, s), 0);
    EXPECT_EQ(wks_remove_section(p.wks, s), 0);
}

} // namespace

// A stored centre line with a vertex farther out than any road lies is left
// out when the project opens, and the open says so.
TEST(SectionStore, ALongitudeLineNoRoadCouldHaveIsLeftOutWithAMessage)
{
    Project p(CorridorFiles::straight());
    double lrows[] = {1010, 1050};
    ASSERT_EQ(wks_generate_road_longitude_sections(p.wks, p.road, 1, lrows, 1.0), 1);
    const std::string name = item<section_t>(p.wks->longitude_sections, 0)->name;
    for (double far : {2e8, 1e12, 9.4e25}) {
        {
            velmo::Database db(p.path(), velmo::Database::READ_WRITE);
            std::string blob;
            {
                velmo::Statement read(db, "select vertices from sections where list = 1");
                ASSERT_TRUE(read.step());
                blob = read.blob(0);
            }
            ASSERT_GE(blob.size(), 6 * 8u);
            // The last vertex's x, little-endian as stored.
            uint64_t bits;
            std::memcpy(&bits, &far, 8);
            for (int i = 0; i < 8; i++)
                blob[blob.size() - 24 + i] = char(bits >> (8 * i));
            velmo::Statement write(db, "update sections set vertices = ? where list = 1");
            write.bind_blob(1, blob.data(), blob.size());
            ASSERT_TRUE(write.run());
        }
        p.reopen();
        ASSERT_EQ(array_size(p.wks->longitude_sections), 1u) << far;
        section_t *line = item<section_t>(p.wks->longitude_sections, 0);
        EXPECT_EQ(line->vertex_count, 0) << far;
        const std::string message = wks_last_message(p.wks);
        EXPECT_NE(message.find("\"" + name + "\" has a centre line no road could have"), std::string::npos)
            << message;
    }
}
