#include "road.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Pool {
    vpool pool;
    Pool() { vpool_init(&pool, 0, 0); }
    ~Pool() { vpool_final(&pool); }
    std::string text() const { return std::string(pool.data, pool.length); }
    void put(uint64_t position, const char *s) { vpool_insert(&pool, position, s, strlen(s)); }
};

TEST(Vpool, InitStoresDefaultsAndAllocatesNothing)
{
    vpool pool;
    vpool_init(&pool, 0, 0);
    EXPECT_EQ(pool.block, 4096u);
    EXPECT_EQ(pool.limit, 2147483647u);
    EXPECT_EQ(pool.base, nullptr);
    EXPECT_EQ(pool.length, 0u);
    vpool_init(&pool, 24, 1000);
    EXPECT_EQ(pool.block, 24u);
    EXPECT_EQ(pool.limit, 1000u);
}

TEST(Vpool, InsertKeepsBytesInOrderAndClipsPastTheEnd)
{
    Pool p;
    p.put(0, "ace");
    p.put(1, "b");
    p.put(3, "d");
    p.put(1000, "fg");
    EXPECT_EQ(p.text(), "abcdefg");
    EXPECT_EQ(p.pool.size, 7u) << "growth reallocates to the exact need";
    EXPECT_EQ(p.pool.error, 0);
}

TEST(Vpool, ExpandReturnsRoomAtThePosition)
{
    Pool p;
    p.put(0, "ad");
    char *room = static_cast<char *>(vpool_expand(&p.pool, 1, 2));
    ASSERT_NE(room, nullptr);
    memcpy(room, "bc", 2);
    EXPECT_EQ(p.text(), "abcd");
}

TEST(Vpool, TruncateRejectsRangesOutsideTheLiveBytes)
{
    Pool p;
    EXPECT_EQ(vpool_truncate(&p.pool, 0, 0, 0), 34) << "empty pool";
    EXPECT_EQ(p.pool.error, 34);
    p.put(0, "abc");
    EXPECT_EQ(vpool_truncate(&p.pool, 3, 0, 0), 34) << "position equal to length";
    EXPECT_EQ(vpool_truncate(&p.pool, 1, 3, 0), 34) << "range past the end";
    EXPECT_EQ(p.text(), "abc");
}

TEST(Vpool, TruncateCutsKeepsAndDropsTheFront)
{
    Pool p;
    p.put(0, "abcdef");
    EXPECT_EQ(vpool_truncate(&p.pool, 2, 2, 0), 0);
    EXPECT_EQ(p.text(), "abef");
    EXPECT_EQ(vpool_truncate(&p.pool, 0, 1, 0), 0);
    EXPECT_EQ(p.text(), "bef");
    EXPECT_EQ(p.pool.data, p.pool.base + 1) << "a front cut moves data, copying nothing";
    EXPECT_EQ(vpool_truncate(&p.pool, 1, 1, 1), 0);
    EXPECT_EQ(p.text(), "e");
}

TEST(Vpool, GrowthAfterDroppingEverythingReusesOrReallocates)
{
    Pool p;
    p.put(0, "abcd");
    EXPECT_EQ(vpool_truncate(&p.pool, 0, 4, 0), 0);
    EXPECT_EQ(p.pool.length, 0u);
    EXPECT_EQ(p.pool.data, p.pool.base + 4);
    p.put(0, "xy");
    EXPECT_EQ(p.text(), "xy");
    EXPECT_EQ(p.pool.data, p.pool.base) << "live bytes moved back to the block's start";
    p.put(2, "zzzz");
    EXPECT_EQ(p.text(), "xyzzzz");
}

TEST(Vpool, ExportMovesLiveBytesToTheBlockStartAndEmptiesThePool)
{
    Pool p;
    p.put(0, "abcdef");
    vpool_truncate(&p.pool, 0, 2, 0);
    void *out = nullptr;
    uint64_t length = 0;
    char *base = p.pool.base;
    vpool_export(&p.pool, &out, &length);
    ASSERT_EQ(out, base);
    EXPECT_EQ(std::string(static_cast<char *>(out), length), "cdef");
    EXPECT_EQ(p.pool.base, nullptr);
    EXPECT_EQ(p.pool.length, 0u);
    EXPECT_EQ(p.pool.size, 0u);
    free(out);
}

TEST(Vpool, ResetFreesAndWipeKeepsMemory)
{
    Pool p;
    p.put(0, "abc");
    vpool_wipe(&p.pool);
    EXPECT_EQ(p.pool.length, 0u);
    EXPECT_NE(p.pool.base, nullptr);
    vpool_reset(&p.pool);
    EXPECT_EQ(p.pool.base, nullptr);
    EXPECT_EQ(p.pool.size, 0u);
    p.put(0, "again");
    EXPECT_EQ(p.text(), "again");
}

TEST(Vpool, FailedGrowthReportsOutOfMemoryAndChangesNothing)
{
    Pool p;
    p.put(0, "abc");
    EXPECT_EQ(vpool_expand(&p.pool, 0, UINT64_MAX - 1), nullptr);
    EXPECT_EQ(p.pool.error, 12);
    EXPECT_EQ(p.text(), "abc");
}

} // namespace
