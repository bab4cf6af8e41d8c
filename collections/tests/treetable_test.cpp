#include "collections.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace {

// Keys and values are small integers carried in the pointers themselves.
void *as_ptr(intptr_t n)
{
    return reinterpret_cast<void *>(n);
}
intptr_t as_int(const void *p)
{
    return reinterpret_cast<intptr_t>(p);
}

size_t comparisons = 0;

int cmp_int(const void *k1, const void *k2)
{
    comparisons++;
    intptr_t a = as_int(k1), b = as_int(k2);
    return a < b ? -1 : a > b;
}

int cmp_int_descending(const void *k1, const void *k2)
{
    return cmp_int(k2, k1);
}

using Pairs = std::vector<std::pair<intptr_t, intptr_t>>;

Pairs walk(TreeTable *table)
{
    Pairs out;
    TreeTableIter iter;
    TreeTableEntry entry;
    treetable_iter_init(&iter, table);
    while (treetable_iter_next(&iter, &entry) == CC_OK)
        out.emplace_back(as_int(entry.key), as_int(entry.value));
    return out;
}

struct TreeTableFixture : ::testing::Test {
    TreeTable *table = nullptr;

    void SetUp() override { ASSERT_EQ(treetable_new(cmp_int, &table), CC_OK); }
    void TearDown() override { treetable_destroy(table); }

    void add(intptr_t key, intptr_t value)
    {
        ASSERT_EQ(treetable_add(table, as_ptr(key), as_ptr(value)), CC_OK);
    }
};

TEST_F(TreeTableFixture, RandomAddsAndRemovesMatchAnOrderedMap)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<intptr_t> key_of(-1000, 1000);
    std::map<intptr_t, intptr_t> model;

    for (int step = 0; step < 30000; step++) {
        intptr_t key = key_of(rng);
        void *out = nullptr;
        if (rng() % 3 == 0) {
            enum cc_stat status = treetable_remove(table, as_ptr(key), &out);
            auto it = model.find(key);
            if (it == model.end()) {
                ASSERT_EQ(status, CC_ERR_KEY_NOT_FOUND);
            } else {
                ASSERT_EQ(status, CC_OK);
                ASSERT_EQ(as_int(out), it->second);
                model.erase(it);
            }
        } else {
            add(key, step);
            model[key] = step;
        }
        ASSERT_EQ(treetable_size(table), model.size());
        if (step % 1000 == 999) {
            ASSERT_EQ(walk(table), Pairs(model.begin(), model.end()));
        }
    }
    for (intptr_t key = -1001; key <= 1001; key++) {
        void *out = nullptr;
        bool present = model.count(key) != 0;
        ASSERT_EQ(treetable_contains_key(table, as_ptr(key)), present);
        ASSERT_EQ(treetable_get(table, as_ptr(key), &out),
                  present ? CC_OK : CC_ERR_KEY_NOT_FOUND);
    }
    void *first = nullptr, *last = nullptr;
    ASSERT_EQ(treetable_get_first_key(table, &first), CC_OK);
    ASSERT_EQ(treetable_get_last_key(table, &last), CC_OK);
    EXPECT_EQ(as_int(first), model.begin()->first);
    EXPECT_EQ(as_int(last), model.rbegin()->first);
}

TEST_F(TreeTableFixture, AddingAnExistingKeyReplacesItsValue)
{
    add(5, 50);
    add(7, 70);
    add(5, 55);
    EXPECT_EQ(treetable_size(table), 2u);
    void *out = nullptr;
    ASSERT_EQ(treetable_get(table, as_ptr(5), &out), CC_OK);
    EXPECT_EQ(as_int(out), 55);
    EXPECT_EQ(walk(table), (Pairs{{5, 55}, {7, 70}}));
}

TEST_F(TreeTableFixture, MissingKeysAndEmptyTablesReportKeyNotFound)
{
    void *out = as_ptr(-1);
    EXPECT_EQ(treetable_get(table, as_ptr(1), &out), CC_ERR_KEY_NOT_FOUND);
    EXPECT_EQ(treetable_remove(table, as_ptr(1), &out), CC_ERR_KEY_NOT_FOUND);
    EXPECT_EQ(treetable_get_first_key(table, &out), CC_ERR_KEY_NOT_FOUND);
    EXPECT_EQ(treetable_get_last_key(table, &out), CC_ERR_KEY_NOT_FOUND);
    EXPECT_EQ(as_int(out), -1);
    EXPECT_FALSE(treetable_contains(table, as_ptr(1)));

    add(1, 10);
    ASSERT_EQ(treetable_remove(table, as_ptr(1), nullptr), CC_OK);
    EXPECT_EQ(treetable_size(table), 0u);
    EXPECT_EQ(treetable_remove(table, as_ptr(1), nullptr), CC_ERR_KEY_NOT_FOUND);

    TreeTableIter iter;
    TreeTableEntry entry;
    treetable_iter_init(&iter, table);
    EXPECT_EQ(treetable_iter_next(&iter, &entry), CC_ITER_END);
}

TEST_F(TreeTableFixture, RemoveAllEmptiesTheTableForReuse)
{
    for (intptr_t k = 0; k < 100; k++)
        add(k, k);
    treetable_remove_all(table);
    EXPECT_EQ(treetable_size(table), 0u);
    EXPECT_TRUE(walk(table).empty());
    add(3, 30);
    EXPECT_EQ(walk(table), (Pairs{{3, 30}}));
}

TEST(TreeTable, IterationFollowsTheComparatorsOrder)
{
    TreeTable *table = nullptr;
    ASSERT_EQ(treetable_new(cmp_int_descending, &table), CC_OK);
    for (intptr_t k : {4, 9, 1, 7, 3})
        ASSERT_EQ(treetable_add(table, as_ptr(k), as_ptr(k * 10)), CC_OK);
    EXPECT_EQ(walk(table), (Pairs{{9, 90}, {7, 70}, {4, 40}, {3, 30}, {1, 10}}));
    void *first = nullptr;
    ASSERT_EQ(treetable_get_first_key(table, &first), CC_OK);
    EXPECT_EQ(as_int(first), 9);
    treetable_destroy(table);
}

TEST_F(TreeTableFixture, IterRemoveKeepsTheWalkGoing)
{
    for (intptr_t k = 0; k < 200; k++)
        add(k, k + 1000);

    TreeTableIter iter;
    TreeTableEntry entry;
    treetable_iter_init(&iter, table);
    EXPECT_EQ(treetable_iter_remove(&iter, nullptr), CC_ERR_KEY_NOT_FOUND);

    std::vector<intptr_t> visited;
    while (treetable_iter_next(&iter, &entry) == CC_OK) {
        visited.push_back(as_int(entry.key));
        if (as_int(entry.key) % 3 != 0) {
            void *value = nullptr;
            ASSERT_EQ(treetable_iter_remove(&iter, &value), CC_OK);
            EXPECT_EQ(as_int(value), as_int(entry.key) + 1000);
            EXPECT_EQ(treetable_iter_remove(&iter, nullptr),
                      CC_ERR_KEY_NOT_FOUND);
        }
    }
    ASSERT_EQ(visited.size(), 200u);
    for (intptr_t k = 0; k < 200; k++)
        EXPECT_EQ(visited[k], k);

    Pairs expected;
    for (intptr_t k = 0; k < 200; k += 3)
        expected.emplace_back(k, k + 1000);
    EXPECT_EQ(walk(table), expected);
    EXPECT_EQ(treetable_size(table), expected.size());
}

TEST_F(TreeTableFixture, IterRemoveOfEveryEntryEmptiesTheTable)
{
    for (intptr_t k : {5, 3, 8, 1, 4, 7, 9, 2, 6})
        add(k, k);
    TreeTableIter iter;
    TreeTableEntry entry;
    treetable_iter_init(&iter, table);
    size_t removed = 0;
    while (treetable_iter_next(&iter, &entry) == CC_OK) {
        ASSERT_EQ(treetable_iter_remove(&iter, nullptr), CC_OK);
        removed++;
    }
    EXPECT_EQ(removed, 9u);
    EXPECT_EQ(treetable_size(table), 0u);
    EXPECT_TRUE(walk(table).empty());
}

// A balanced tree finds any key within 2 log2(n + 1) comparisons, however
// the keys arrived; a degenerate one would need up to n.
size_t worst_lookup(TreeTable *table, intptr_t lowest, intptr_t highest)
{
    size_t worst = 0;
    for (intptr_t k = lowest; k <= highest; k++) {
        void *out = nullptr;
        comparisons = 0;
        treetable_get(table, as_ptr(k), &out);
        worst = std::max(worst, comparisons);
    }
    return worst;
}

size_t height_bound(const TreeTable *table)
{
    return 2 * static_cast<size_t>(std::ceil(std::log2(treetable_size(table) + 1)));
}

TEST_F(TreeTableFixture, LookupsStayLogarithmicForSortedInput)
{
    const intptr_t n = 4095;
    for (intptr_t k = 0; k < n; k++)
        add(k, k);
    for (intptr_t k = 2 * n; k > n; k--)
        add(k, k);
    for (intptr_t k = 0; k < 2 * n; k += 2)
        ASSERT_EQ(treetable_remove(table, as_ptr(k), nullptr), CC_OK);
    EXPECT_LE(worst_lookup(table, 0, 2 * n), height_bound(table));
}

// Removals that skip rebalancing only show after long mixed use: the tree
// still answers correctly but drifts out of shape.
TEST_F(TreeTableFixture, LookupsStayLogarithmicUnderLongChurn)
{
    std::mt19937 rng(7);
    for (int step = 1; step <= 200000; step++) {
        intptr_t key = rng() % 512;
        if (rng() % 2)
            add(key, step);
        else
            treetable_remove(table, as_ptr(key), nullptr);
        if (step % 10000 == 0) {
            ASSERT_LE(worst_lookup(table, 0, 511), height_bound(table))
                << "after " << step << " changes";
        }
    }
}

TEST(CommonCmpPtr, OrdersPointersByAddress)
{
    int block[2] = {0, 0};
    EXPECT_EQ(cc_common_cmp_ptr(&block[0], &block[1]), -1);
    EXPECT_EQ(cc_common_cmp_ptr(&block[1], &block[0]), 1);
    EXPECT_EQ(cc_common_cmp_ptr(&block[1], &block[1]), 0);
    EXPECT_EQ(cc_common_cmp_ptr(nullptr, &block[0]), -1);
}

}  // namespace
