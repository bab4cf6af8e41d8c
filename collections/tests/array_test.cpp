#include "collections.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// Callers store and compare these numerically; the numbering must not move.
static_assert(CC_OK == 0 && CC_ERR_ALLOC == 1 && CC_ERR_INVALID_CAPACITY == 2
                  && CC_ERR_INVALID_RANGE == 3 && CC_ERR_MAX_CAPACITY == 4
                  && CC_ERR_KEY_NOT_FOUND == 6 && CC_ERR_VALUE_NOT_FOUND == 7
                  && CC_ERR_OUT_OF_RANGE == 8 && CC_ITER_END == 9,
              "status codes keep their values");

namespace {

struct ArrayFixture : ::testing::Test {
    Array *ar = nullptr;
    std::vector<int> values = std::vector<int>(1000);

    void SetUp() override
    {
        ASSERT_EQ(array_new(&ar), CC_OK);
        for (size_t i = 0; i < values.size(); i++)
            values[i] = static_cast<int>(i);
    }
    void TearDown() override { array_destroy(ar); }

    void add_first(size_t n)
    {
        for (size_t i = 0; i < n; i++)
            ASSERT_EQ(array_add(ar, &values[i]), CC_OK);
    }
    std::vector<int> contents() const
    {
        std::vector<int> out;
        for (size_t i = 0; i < array_size(ar); i++) {
            void *p = nullptr;
            EXPECT_EQ(array_get_at(ar, i, &p), CC_OK);
            out.push_back(*static_cast<int *>(p));
        }
        return out;
    }
};

TEST_F(ArrayFixture, GrowthPastInitialCapacityKeepsOrder)
{
    add_first(values.size());
    ASSERT_EQ(array_size(ar), values.size());
    EXPECT_EQ(contents(), values);
    void *last = nullptr;
    ASSERT_EQ(array_get_last(ar, &last), CC_OK);
    EXPECT_EQ(last, &values.back());
}

TEST_F(ArrayFixture, IndexPastTheEndIsOutOfRangeAndLeavesOutAlone)
{
    void *sentinel = &values[999];
    void *out = sentinel;
    EXPECT_EQ(array_get_at(ar, 0, &out), CC_ERR_OUT_OF_RANGE);
    EXPECT_EQ(array_remove_at(ar, 0, &out), CC_ERR_OUT_OF_RANGE);
    EXPECT_EQ(array_get_last(ar, &out), CC_ERR_VALUE_NOT_FOUND);

    add_first(3);
    EXPECT_EQ(array_get_at(ar, 3, &out), CC_ERR_OUT_OF_RANGE);
    EXPECT_EQ(array_get_at(ar, SIZE_MAX, &out), CC_ERR_OUT_OF_RANGE);
    EXPECT_EQ(array_remove_at(ar, 3, &out), CC_ERR_OUT_OF_RANGE);
    EXPECT_EQ(out, sentinel);
    EXPECT_EQ(array_size(ar), 3u);
}

TEST_F(ArrayFixture, RemoveAtShiftsLaterElementsDown)
{
    add_first(20);
    void *removed = nullptr;
    ASSERT_EQ(array_remove_at(ar, 0, &removed), CC_OK);
    EXPECT_EQ(removed, &values[0]);
    ASSERT_EQ(array_remove_at(ar, 18, &removed), CC_OK);
    EXPECT_EQ(removed, &values[19]);
    ASSERT_EQ(array_remove_at(ar, 5, nullptr), CC_OK);

    std::vector<int> expected;
    for (int v = 1; v < 19; v++)
        if (v != 6)
            expected.push_back(v);
    EXPECT_EQ(contents(), expected);

    // The freed slots are reused by later appends.
    ASSERT_EQ(array_add(ar, &values[500]), CC_OK);
    expected.push_back(500);
    EXPECT_EQ(contents(), expected);
}

TEST_F(ArrayFixture, RemoveAndIndexOfFindTheFirstOccurrence)
{
    add_first(4);
    ASSERT_EQ(array_add(ar, &values[1]), CC_OK);

    size_t index = 77;
    ASSERT_EQ(array_index_of(ar, &values[1], &index), CC_OK);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(array_index_of(ar, &values[9], &index), CC_ERR_OUT_OF_RANGE);
    EXPECT_EQ(index, 1u);

    void *removed = nullptr;
    ASSERT_EQ(array_remove(ar, &values[1], &removed), CC_OK);
    EXPECT_EQ(removed, &values[1]);
    EXPECT_EQ(contents(), (std::vector<int>{0, 2, 3, 1}));
    EXPECT_EQ(array_remove(ar, &values[9], nullptr), CC_ERR_VALUE_NOT_FOUND);
}

TEST_F(ArrayFixture, IterRemoveContinuesWithTheNextElement)
{
    add_first(10);
    ArrayIter iter;
    array_iter_init(&iter, ar);
    void *p = nullptr;
    EXPECT_EQ(array_iter_remove(&iter, nullptr), CC_ERR_VALUE_NOT_FOUND);

    std::vector<int> seen;
    while (array_iter_next(&iter, &p) == CC_OK) {
        int v = *static_cast<int *>(p);
        seen.push_back(v);
        if (v % 2 == 0) {
            void *removed = nullptr;
            ASSERT_EQ(array_iter_remove(&iter, &removed), CC_OK);
            EXPECT_EQ(removed, p);
            EXPECT_EQ(array_iter_remove(&iter, nullptr), CC_ERR_VALUE_NOT_FOUND);
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(contents(), (std::vector<int>{1, 3, 5, 7, 9}));
    EXPECT_EQ(array_iter_next(&iter, &p), CC_ITER_END);
}

// A tile store's layout: fixed-size records, the level byte first.
struct StoredPoint {
    uint8_t level;
    int32_t x, y, z;
};

TEST(ArrayStridedView, ElementsAreTheRecordsInPlace)
{
    StoredPoint points[6];
    for (int i = 0; i < 6; i++)
        points[i] = {static_cast<uint8_t>(8 - i), i, 10 * i, 100 * i};

    Array *view = nullptr;
    ASSERT_EQ(array_new_strided(points, 6, sizeof(StoredPoint), &view), CC_OK);
    ASSERT_EQ(array_size(view), 6u);
    for (size_t i = 0; i < 6; i++) {
        void *p = nullptr;
        ASSERT_EQ(array_get_at(view, i, &p), CC_OK);
        EXPECT_EQ(p, &points[i]);
        EXPECT_EQ(static_cast<StoredPoint *>(p)->level, 8 - i);
        EXPECT_EQ(static_cast<StoredPoint *>(p)->y, 10 * static_cast<int>(i));
    }
    void *p = nullptr;
    EXPECT_EQ(array_get_at(view, 6, &p), CC_ERR_OUT_OF_RANGE);
    ASSERT_EQ(array_get_last(view, &p), CC_OK);
    EXPECT_EQ(p, &points[5]);
    size_t index = 0;
    ASSERT_EQ(array_index_of(view, &points[3], &index), CC_OK);
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(array_index_of(view, &points[3].x, &index), CC_ERR_OUT_OF_RANGE);

    ArrayIter iter;
    array_iter_init(&iter, view);
    size_t walked = 0;
    while (array_iter_next(&iter, &p) == CC_OK)
        EXPECT_EQ(p, &points[walked++]);
    EXPECT_EQ(walked, 6u);
    array_destroy(view);
}

TEST(ArrayStridedView, StrideMaySkipInterleavedRecords)
{
    StoredPoint points[6] = {};
    Array *every_other = nullptr;
    ASSERT_EQ(array_new_strided(&points[1], 3, 2 * sizeof(StoredPoint),
                                &every_other),
              CC_OK);
    void *p = nullptr;
    ASSERT_EQ(array_get_at(every_other, 2, &p), CC_OK);
    EXPECT_EQ(p, &points[5]);
    array_destroy(every_other);
}

TEST(ArrayStridedView, ChangesAreRefusedAndLeaveTheViewIntact)
{
    StoredPoint points[3] = {};
    Array *view = nullptr;
    ASSERT_EQ(array_new_strided(points, 3, sizeof(StoredPoint), &view), CC_OK);

    void *removed = nullptr;
    EXPECT_EQ(array_add(view, &points[0]), CC_ERR_MAX_CAPACITY);
    EXPECT_EQ(array_remove_at(view, 0, &removed), CC_ERR_INVALID_RANGE);
    EXPECT_EQ(array_remove(view, &points[1], &removed), CC_ERR_INVALID_RANGE);
    EXPECT_EQ(removed, nullptr);

    ArrayIter iter;
    array_iter_init(&iter, view);
    void *p = nullptr;
    ASSERT_EQ(array_iter_next(&iter, &p), CC_OK);
    EXPECT_EQ(array_iter_remove(&iter, nullptr), CC_ERR_INVALID_RANGE);
    ASSERT_EQ(array_iter_next(&iter, &p), CC_OK);
    EXPECT_EQ(p, &points[1]);

    EXPECT_EQ(array_size(view), 3u);
    array_destroy(view);
}

TEST(ArrayStridedView, BadLayoutsAreRefused)
{
    StoredPoint points[2] = {};
    Array *view = reinterpret_cast<Array *>(&points);  // must stay untouched
    Array *const before = view;

    EXPECT_EQ(array_new_strided(points, 2, 0, &view), CC_ERR_INVALID_RANGE);
    EXPECT_EQ(array_new_strided(nullptr, 2, 8, &view), CC_ERR_INVALID_RANGE);
    EXPECT_EQ(array_new_strided(points, SIZE_MAX / 4, 8, &view),
              CC_ERR_INVALID_RANGE);
    auto near_top = reinterpret_cast<void *>(UINTPTR_MAX - 15);
    EXPECT_EQ(array_new_strided(near_top, 4, 8, &view), CC_ERR_INVALID_RANGE);
    EXPECT_EQ(view, before);

    // An empty tile has no records at all.
    ASSERT_EQ(array_new_strided(nullptr, 0, sizeof(StoredPoint), &view), CC_OK);
    void *p = nullptr;
    EXPECT_EQ(array_size(view), 0u);
    EXPECT_EQ(array_get_at(view, 0, &p), CC_ERR_OUT_OF_RANGE);
    array_destroy(view);
}

// One writer appends records while readers walk the array on other threads:
// every element below the size a reader sees must be there and complete,
// across every buffer growth.
TEST(ArrayConcurrency, ReadersSeeEveryPublishedElementWhileWriterAppends)
{
    constexpr size_t kCount = 100000;
    constexpr int kReaders = 3;
    std::vector<long> records(kCount);
    Array *ar = nullptr;
    ASSERT_EQ(array_new(&ar), CC_OK);

    std::atomic<bool> done{false};
    std::atomic<long> faults{0};
    auto read_all = [&] {
        size_t size = array_size(ar);
        for (size_t i = 0; i < size; i++) {
            void *p = nullptr;
            if (array_get_at(ar, i, &p) != CC_OK || p != &records[i]
                || *static_cast<long *>(p) != static_cast<long>(i) * 7)
                faults++;
        }
        return size;
    };
    std::vector<std::thread> readers;
    for (int r = 0; r < kReaders; r++)
        readers.emplace_back([&] {
            while (!done.load())
                read_all();
            EXPECT_EQ(read_all(), kCount);
        });

    for (size_t i = 0; i < kCount; i++) {
        records[i] = static_cast<long>(i) * 7;  // written before publication
        if (array_add(ar, &records[i]) != CC_OK) {
            ADD_FAILURE() << "append " << i << " failed";
            break;
        }
    }
    done = true;
    for (auto &t : readers)
        t.join();
    EXPECT_EQ(faults.load(), 0);
    array_destroy(ar);
}

// Removal is not atomic for readers, but a reader must only ever get
// pointers the array held, never freed or foreign memory.
TEST(ArrayConcurrency, ReadersStaySafeWhileWriterRemovesAndRegrows)
{
    constexpr size_t kCount = 1000;
    std::vector<long> records(kCount);
    for (size_t i = 0; i < kCount; i++)
        records[i] = static_cast<long>(i);
    Array *ar = nullptr;
    ASSERT_EQ(array_new(&ar), CC_OK);

    std::atomic<bool> done{false};
    std::atomic<long> faults{0};
    std::thread reader([&] {
        while (!done.load()) {
            size_t size = array_size(ar);
            for (size_t i = 0; i < size; i++) {
                void *p = nullptr;
                if (array_get_at(ar, i, &p) != CC_OK)
                    continue;  // shrank meanwhile
                auto *rec = static_cast<long *>(p);
                if (rec < records.data() || rec >= records.data() + kCount
                    || *rec != rec - records.data())
                    faults++;
            }
        }
    });
    bool written = true;
    for (int round = 0; round < 10 && written; round++) {
        for (size_t i = 0; i < kCount && written; i++)
            written = array_add(ar, &records[i]) == CC_OK;
        while (written && array_size(ar) > 0)
            written = array_remove_at(ar, array_size(ar) / 2, nullptr) == CC_OK;
    }
    done = true;
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(faults.load(), 0);
    array_destroy(ar);
}

}  // namespace
