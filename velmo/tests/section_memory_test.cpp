// What sections hold over a long session: their points only while shown,
// and the arrays a new computation or design line replaced only until the
// window has taken the new ones.
#include "section_corridor.h"
#include "section_state.h"

#include <gtest/gtest.h>

#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' own allocator keeps the count (their runtime defines it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace section_test;

namespace {

// Bytes the heap has handed out to this thread's arena and not taken back
// (the engine's helper threads keep their scratch in arenas of their own).
size_t heap_in_use()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

void set_thickness(wks_t *wks, section_t *section, double thickness)
{
    const double range[2] = {-thickness / 2, thickness / 2};
    ASSERT_NE(wks_modify_section_offset(wks, section, range), 0);
}

void set_width(wks_t *wks, section_t *section, double width)
{
    const double range[2] = {-width / 2, width / 2};
    ASSERT_NE(wks_modify_section_width(wks, section, range), 0);
}

// A ground line of many vertices drawn into a DXF file, to be imported as a
// design line again and again.
std::string design_drawing(wks_t *wks, section_t *section, const TempDir &dir)
{
    for (int i = 0; i < 2000; i++) {
        velmo_point_t m{};
        m.u = float(-20 + i * 0.02);
        m.v = float(100 + 0.01 * i);
        section_rev_proj_point(section, &m);
        section_add_meas(section, &m);
    }
    const std::string path = dir.file("design.dxf");
    EXPECT_NE(section_export_dxf(wks, section, path.c_str(), 0), 0) << section_last_message(section);
    section_clear_meas(section);
    return path;
}

struct SessionWork {
    std::string name;
    // One step of the surveyor's work; returns the section on show after it.
    std::function<section_t *(int step)> step;
};

} // namespace

// Each kind of work is repeated with the window's hand-over after every
// step: what the heap holds then must not grow with the steps (it grew by
// a whole section's points at each, up to gigabytes in a day).
TEST(SectionMemory, WhatSectionsHoldStaysBoundedHoweverLongTheWorkGoesOn)
{
    Project p(CorridorFiles::straight());
    std::vector<section_t *> sections = latitude_sections(p, 1020, 1180, 20);
    ASSERT_EQ(sections.size(), 9u);
    section_t *shown = sections[4];
    TempDir dir;
    const std::string drawing = design_drawing(p.wks, sections[0], dir);

    const SessionWork work[] = {
        {"thickness changed", [&](int step) {
             set_thickness(p.wks, shown, step % 2 ? 1.2 : 1.0);
             wks_cal_section(p.wks, shown, nullptr);
             return shown;
         }},
        {"width changed", [&](int step) {
             set_width(p.wks, shown, step % 2 ? 20.0 : 40.0);
             wks_cal_section(p.wks, shown, nullptr);
             return shown;
         }},
        {"sections opened in turn", [&](int step) {
             section_t *next = sections[size_t(step) % sections.size()];
             wks_cal_section(p.wks, next, nullptr);
             return next;
         }},
        {"design line imported", [&](int step) {
             if (step == 0)
                 wks_cal_section(p.wks, shown, nullptr);
             EXPECT_NE(section_import_dxf(shown, drawing.c_str()), 0) << section_last_message(shown);
             return shown;
         }},
    };
    for (const SessionWork &w : work) {
        section_t *on_show = nullptr;
        for (int step = 0; step < 4; step++)
            wks_release_section_points(p.wks, on_show = w.step(step));
        const size_t before = heap_in_use();
        for (int step = 4; step < 40; step++)
            wks_release_section_points(p.wks, on_show = w.step(step));
        const size_t after = heap_in_use();
        // One step replaces a section's points (or the design line): a few
        // thousand records.
        size_t one_step = 2000;
        for (section_t *s : sections)
            one_step = std::max(one_step, size_t(array_size(s->points)));
        one_step *= sizeof(velmo_point_t) + 16;
        EXPECT_LT(after, before + 2 * one_step) << w.name << ": " << (after - before) / 1024 << " KB more after 36 steps";
        for (section_t *s : sections)
            if (s != on_show)
                EXPECT_EQ(array_size(s->points), 0u) << w.name << ": " << s->name << " is not shown";
        EXPECT_GT(array_size(on_show->points), 1000u) << w.name;
    }
}

// Giving up its points changes nothing a surveyor can see of a section: it
// shows the same points when opened again, and keeps its measurements, its
// design line and the ground line its files are written from.
TEST(SectionMemory, ASectionThatGaveUpItsPointsKeepsEverythingElse)
{
    Project p(CorridorFiles::straight());
    std::vector<section_t *> sections = latitude_sections(p, 1050, 1070, 20);
    ASSERT_EQ(sections.size(), 2u);
    section_t *section = sections[0];
    ASSERT_NE(wks_cal_section(p.wks, section, nullptr), 0);
    const std::vector<velmo_point_t> points = records(section->points);
    const std::vector<velmo::GroundPoint> automatic = velmo::section_ground_line(p.wks, section, true);
    ASSERT_GT(points.size(), 1000u);
    ASSERT_GT(automatic.size(), 100u);
    velmo_point_t *kept = section_add_meas(section, &points[10]);
    ASSERT_NE(kept, nullptr);
    velmo_point_t red{};
    red.u = 1;
    red.v = 2;
    section_rev_proj_point(section, &red);
    auto *design = static_cast<velmo_point_t *>(malloc(sizeof red));
    *design = red;
    ASSERT_EQ(array_add(section->red_line, design), CC_OK);

    ASSERT_NE(wks_release_section_points(p.wks, sections[1]), 0);
    EXPECT_EQ(array_size(section->points), 0u);
    ASSERT_EQ(array_size(section->measurements), 1u);
    EXPECT_EQ(item<velmo_point_t>(section->measurements, 0), kept) << "a measurement the window holds stays";
    EXPECT_EQ(kept->x, points[10].x);
    ASSERT_EQ(array_size(section->red_line), 1u);
    EXPECT_EQ(item<velmo_point_t>(section->red_line, 0)->u, 1.0f);
    section_remove_meas(section, kept);
    const std::vector<velmo::GroundPoint> again = velmo::section_ground_line(p.wks, section, true);
    ASSERT_EQ(again.size(), automatic.size());
    for (size_t i = 0; i < again.size(); i++) {
        EXPECT_DOUBLE_EQ(again[i].u, automatic[i].u) << i;
        EXPECT_DOUBLE_EQ(again[i].v, automatic[i].v) << i;
    }

    ASSERT_NE(wks_cal_section(p.wks, section, nullptr), 0);
    std::vector<velmo_point_t> reopened = records(section->points);
    ASSERT_EQ(reopened.size(), points.size());
    auto order = [](const velmo_point_t &a, const velmo_point_t &b) {
        return std::lexicographical_compare(reinterpret_cast<const unsigned char *>(&a),
                                            reinterpret_cast<const unsigned char *>(&a) + sizeof a,
                                            reinterpret_cast<const unsigned char *>(&b),
                                            reinterpret_cast<const unsigned char *>(&b) + sizeof b);
    };
    std::vector<velmo_point_t> first = points;
    std::sort(first.begin(), first.end(), order);
    std::sort(reopened.begin(), reopened.end(), order);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), reopened.begin(), [](const auto &a, const auto &b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    })) << "the points shown again are those shown before";
}
