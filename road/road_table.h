/* Record tables on top of vpool, shared by the road library's modules. */
#ifndef CORVANE_ROAD_TABLE_H
#define CORVANE_ROAD_TABLE_H

#include "road.h"

/* Number of records of the given size in the pool. */
static inline int table_count(const vpool *pool, size_t record)
{
    return (int)(pool->length / record);
}

/* Record index, or NULL for a bad index. */
static inline void *table_at(const vpool *pool, size_t record, int index)
{
    if (index < 0 || index >= table_count(pool, record))
        return NULL;
    return pool->data + (size_t)index * record;
}

/* Copies a record in before index (callers have checked 0 <= index <= count).
 * A failed allocation leaves the table unchanged. */
static inline void table_insert(vpool *pool, size_t record, int index, const void *source)
{
    vpool_insert(pool, (uint64_t)index * record, source, record);
}

/* Cuts record index out; returns the cut's result (0 or 34). */
static inline int table_remove(vpool *pool, size_t record, int index)
{
    return vpool_truncate(pool, (uint64_t)index * record, record, 0);
}

/* Drops every record, keeping the memory; 0, or 34 when already empty. */
static inline int table_clear(vpool *pool)
{
    return vpool_truncate(pool, 0, pool->length, 0);
}

#endif
