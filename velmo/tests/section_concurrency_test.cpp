#include "section_corridor.h"

#include "section_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using namespace section_test;

namespace {

// Reads a list as the scene does: size first, then every record.
double touch(const Array *list)
{
    double sum = 0;
    for (size_t i = 0; list && i < array_size(list); i++) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK && item) {
            const auto *p = static_cast<const velmo_point_t *>(item);
            sum += p->u + p->v + p->w + p->x;
        }
    }
    return sum;
}

// While the worker recomputes and saves a section, the GUI draws its
// points and measurements, measures, undoes, changes its thickness and
// saves; the pager-like readers draw it too.  Nothing may crash or tear.
TEST(SectionConcurrency, ReadersAndTheGuiWorkWhileTheWorkerRecomputes)
{
    Project p(CorridorFiles::straight());
    double rows[] = {1100, 0};
    ASSERT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, 1, rows, 1.0, 40.0), 1);
    section_t *s = item<section_t>(p.wks->latitude_sections, 0);
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);

    std::atomic<bool> stop{false};
    std::atomic<long> reads{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; t++)
        readers.emplace_back([&] {
            while (!stop.load()) {
                double sum = touch(__atomic_load_n(&s->points, __ATOMIC_ACQUIRE)) + touch(s->measurements);
                if (std::isfinite(sum))
                    reads.fetch_add(1);
            }
        });
    const double thickness[3] = {0.6, 1.4, 1.0};
    std::thread gui([&] {
        for (int round = 0; round < 60; round++) {
            Array *points = __atomic_load_n(&s->points, __ATOMIC_ACQUIRE);
            velmo_point_t *picked = array_size(points) ? item<velmo_point_t>(points, size_t(round * 37) % array_size(points)) : nullptr;
            velmo_point_t *m = picked ? section_add_meas(s, picked) : nullptr;
            velmo_point_t click{};
            click.u = float(round % 20 - 10);
            click.w = 0.1f;
            velmo_point_t *free_click = section_create_meas(s, &click, 1);
            if (m && round % 3 == 0)
                section_remove_meas(s, m);
            if (round % 10 == 9) {
                double t = thickness[(round / 10) % 3];
                double range[2] = {-t / 2, t / 2};
                wks_modify_section_offset(p.wks, s, range);
            }
            if (round % 7 == 0 && free_click)
                section_remove_meas(s, free_click);
            if (round % 5 == 0)
                wks_save_section_data(p.wks, s);
            if (round == 45)
                section_clear_meas(s);
        }
    });
    for (int i = 0; i < 12; i++) {
        if (i % 3 == 2)
            ASSERT_NE(wks_export_section(p.wks, s), 0);
        else
            ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    }
    gui.join();
    // The worker's last run follows the GUI's last change.
    ASSERT_NE(wks_cal_section(p.wks, s, nullptr), 0);
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_GT(reads.load(), 0);
    for (const velmo_point_t &q : records(s->points))
        ASSERT_LE(std::fabs(q.w), float(s->normal_range[1]));
    std::vector<velmo_point_t> m = records(s->measurements);
    for (size_t i = 1; i < m.size(); i++)
        EXPECT_LE(m[i - 1].u, m[i].u);
    ASSERT_NE(wks_save_section_data(p.wks, s), 0);
    p.reopen();
    EXPECT_EQ(array_size(item<section_t>(p.wks->latitude_sections, 0)->measurements), m.size());
}

} // namespace
