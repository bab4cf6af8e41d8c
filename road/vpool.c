/* vpool: the road library's growable byte buffer. */
#include "road.h"

#include <stdlib.h>
#include <string.h>

void vpool_init(vpool *pool, uint64_t block, uint64_t limit)
{
    pool->base = NULL;
    pool->data = NULL;
    pool->length = 0;
    pool->size = 0;
    pool->block = block ? block : VPOOL_DEFAULT_BLOCK;
    pool->limit = limit ? limit : VPOOL_DEFAULT_LIMIT;
    pool->error = 0;
}

void vpool_final(vpool *pool)
{
    free(pool->base);
}

void vpool_reset(vpool *pool)
{
    free(pool->base);
    pool->base = NULL;
    pool->data = NULL;
    pool->size = 0;
    pool->length = 0;
    pool->error = 0;
}

void vpool_wipe(vpool *pool)
{
    pool->length = 0;
    pool->error = 0;
}

/* Bytes free behind the live bytes. */
static uint64_t vpool_tail_room(const vpool *pool)
{
    return pool->size - (uint64_t)(pool->data - pool->base) - pool->length;
}

/* Growth reallocates to the exact need: tables grow one record at a time and
 * the road files are small, so the simple policy is kept. */
static int vpool_make_room(vpool *pool, uint64_t count)
{
    if (count > pool->size - pool->length) {
        uint64_t need = pool->length + count;
        if (need < pool->length || need > SIZE_MAX)
            return VPOOL_ENOMEM;
        char *block = malloc((size_t)need);
        if (!block)
            return VPOOL_ENOMEM;
        if (pool->length)
            memcpy(block, pool->data, (size_t)pool->length);
        free(pool->base);
        pool->base = block;
        pool->data = block;
        pool->size = need;
    } else if (vpool_tail_room(pool) < count && pool->data != pool->base) {
        memmove(pool->base, pool->data, (size_t)pool->length);
        pool->data = pool->base;
    }
    return 0;
}

void *vpool_expand(vpool *pool, uint64_t position, uint64_t count)
{
    if (vpool_make_room(pool, count) != 0) {
        pool->error = VPOOL_ENOMEM;
        return NULL;
    }
    if (position > pool->length)
        position = pool->length;
    char *at = pool->data + position;
    if (count && pool->length > position)
        memmove(at + count, at, (size_t)(pool->length - position));
    pool->length += count;
    pool->error = 0;
    return at;
}

void *vpool_insert(vpool *pool, uint64_t position, const void *source, uint64_t count)
{
    char *at = vpool_expand(pool, position, count);
    if (at && count)
        memcpy(at, source, (size_t)count);
    return at;
}

int vpool_truncate(vpool *pool, uint64_t position, uint64_t count, int keep)
{
    if (position >= pool->length || count > pool->length - position) {
        pool->error = VPOOL_ERANGE;
        return VPOOL_ERANGE;
    }
    if (keep) {
        pool->data += position;
        pool->length = count;
    } else if (position == 0) {
        pool->data += count;
        pool->length -= count;
    } else {
        char *at = pool->data + position;
        memmove(at, at + count, (size_t)(pool->length - position - count));
        pool->length -= count;
    }
    pool->error = 0;
    return 0;
}

void vpool_export(vpool *pool, void **out, uint64_t *length)
{
    if (pool->data != pool->base && pool->length)
        memmove(pool->base, pool->data, (size_t)pool->length);
    *out = pool->base;
    *length = pool->length;
    pool->base = NULL;
    pool->data = NULL;
    pool->size = 0;
    pool->length = 0;
    pool->error = 0;
}
