#include "section_corridor.h"

#include "section_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
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

// Runs the sides at once; false when they have not all finished in a
// time no run of them comes near, which only a deadlock explains.  The sides
// are then left waiting, with what they use: freeing it would crash them.
bool all_finish(const std::vector<std::function<void()>> &sides)
{
    auto lock = std::make_shared<std::mutex>();
    auto finished = std::make_shared<std::condition_variable>();
    auto count = std::make_shared<size_t>(0);
    std::vector<std::thread> threads;
    for (const std::function<void()> &side : sides)
        threads.emplace_back([=] {
            side();
            std::lock_guard<std::mutex> guard(*lock);
            ++*count;
            finished->notify_all();
        });
    std::unique_lock<std::mutex> guard(*lock);
    bool done = finished->wait_for(guard, std::chrono::minutes(3), [&] { return *count == sides.size(); });
    guard.unlock();
    for (std::thread &thread : threads)
        done ? thread.join() : thread.detach();
    return done;
}

// The worker saves a batch of sections in another order than the project's
// while the GUI saves the project: both take the sections' locks in one
// order, so neither waits for the other for ever.
TEST(SectionConcurrency, BatchesInAnyOrderBesideProjectSavesFinish)
{
    TempDir dir;
    auto w = std::make_unique<Workspace>();
    ASSERT_NE(wks_create_project(w->wks, 0, dir.file("order.qpj").c_str()), 0);
    const double normal[3] = {0, -1, 0}, up[3] = {0, 0, 1}, thickness[2] = {-0.5, 0.5}, width[2] = {-10, 10};
    std::vector<section_t *> reversed;
    for (int i = 0; i < 100; i++) {
        const double centre[3] = {double(i), 0, 0};
        section_t *s = wks_add_custom_section(w->wks, ("C" + std::to_string(i)).c_str(), centre, normal, up,
                                              thickness, width);
        ASSERT_NE(s, nullptr);
        velmo_point_t click{};
        click.u = 1;
        section_create_meas(s, &click, 1);
        reversed.insert(reversed.begin(), s);
    }
    std::atomic<int> batches{0}, saves{0};
    std::atomic<bool> saving{true};
    bool finished = all_finish({
        [&] {
            while (saving.load())
                batches += wks_export_sections(w->wks, reversed.data(), int(reversed.size())) > 0;
        },
        [&] {
            for (int round = 0; round < 30; round++)
                saves += wks_export_project(w->wks);
            saving = false;
        },
    });
    if (!finished) {
        ADD_FAILURE() << "the batches and the project saves wait for each other";
        w.release(); // the workspace stays with the waiting threads
        return;
    }
    EXPECT_GT(batches.load(), 0);
    EXPECT_EQ(saves.load(), 30);
}

} // namespace
