// Sections computed at once by the GUI and the worker thread share the
// workspace's helper threads.
#include "section_corridor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using namespace section_test;

namespace {

bool same_points(const std::vector<velmo_point_t> &a, const std::vector<velmo_point_t> &b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

} // namespace

TEST(SectionConcurrency, TwoThreadsComputingSectionsAtOnceGetWhatEachGetsAlone)
{
    Project p(CorridorFiles::straight());
    std::vector<section_t *> sections = latitude_sections(p, 1020, 1180, 20);
    const int count = int(sections.size());
    ASSERT_EQ(count, 9);
    std::vector<std::vector<velmo_point_t>> alone;
    for (section_t *section : sections) {
        ASSERT_NE(wks_cal_section(p.wks, section, nullptr), 0);
        alone.push_back(records(section->points));
        ASSERT_FALSE(alone.back().empty());
    }
    std::atomic<int> differ{0};
    auto compute_half = [&](int first) {
        for (int round = 0; round < 4; round++)
            for (int i = first; i < count; i += 2) {
                if (!wks_cal_section(p.wks, sections[size_t(i)], nullptr))
                    differ++;
            }
    };
    std::thread worker(compute_half, 1);
    compute_half(0);
    worker.join();
    EXPECT_EQ(differ, 0);
    for (int i = 0; i < count; i++)
        EXPECT_TRUE(same_points(records(sections[size_t(i)]->points), alone[size_t(i)])) << i;
}
