#include "collections.h"

#include <stdatomic.h>
#include <stdint.h>
#include <stdlib.h>

#define ARRAY_INITIAL_CAPACITY 8

/*
 * Slots and the link to the buffer this one replaced share one allocation,
 * so retiring a buffer can never fail for want of memory. Slots are atomic
 * because readers on other threads load them while the writer stores: a
 * slot store releases the record its pointer leads to, a load acquires it.
 */
struct slot_buffer {
    struct slot_buffer *retired;
    size_t capacity;
    _Atomic(void *) slots[];
};

#define MAX_CAPACITY \
    ((SIZE_MAX - sizeof(struct slot_buffer)) / sizeof(_Atomic(void *)))

struct array_s {
    _Atomic(size_t) size;
    _Atomic(struct slot_buffer *) buffer;
    /* A non-zero stride marks a view: no buffer, element i is computed. */
    char *base;
    size_t stride;
};

static bool is_view(const Array *ar)
{
    return ar->stride != 0;
}

static struct slot_buffer *slot_buffer_new(size_t capacity)
{
    struct slot_buffer *buf;

    if (capacity > MAX_CAPACITY)
        return NULL;
    buf = malloc(sizeof(*buf) + capacity * sizeof(buf->slots[0]));
    if (buf) {
        buf->retired = NULL;
        buf->capacity = capacity;
    }
    return buf;
}

static size_t grown_capacity(size_t capacity)
{
    if (capacity > MAX_CAPACITY / 2)
        return MAX_CAPACITY;
    return capacity * 2;
}

/* Copies the used slots into a buffer twice the size and publishes it. The
 * old buffer stays alive, chained behind the new one, for readers that
 * loaded it before the switch. */
static enum cc_stat grow(Array *ar, struct slot_buffer *old, size_t used,
                         struct slot_buffer **grown)
{
    size_t capacity = grown_capacity(old->capacity);
    struct slot_buffer *buf;
    size_t i;

    if (capacity <= old->capacity)
        return CC_ERR_MAX_CAPACITY;
    buf = slot_buffer_new(capacity);
    if (!buf)
        return CC_ERR_ALLOC;
    for (i = 0; i < used; i++) {
        void *element = atomic_load_explicit(&old->slots[i],
                                             memory_order_relaxed);
        atomic_store_explicit(&buf->slots[i], element, memory_order_relaxed);
    }
    buf->retired = old;
    atomic_store_explicit(&ar->buffer, buf, memory_order_release);
    *grown = buf;
    return CC_OK;
}

static void *element_at(const Array *ar, struct slot_buffer *buf,
                        size_t index)
{
    if (is_view(ar))
        return ar->base + index * ar->stride;
    return atomic_load_explicit(&buf->slots[index], memory_order_acquire);
}

static struct slot_buffer *current_buffer(const Array *ar)
{
    return atomic_load_explicit(&ar->buffer, memory_order_acquire);
}

enum cc_stat array_new(Array **out)
{
    Array *ar = malloc(sizeof(*ar));
    struct slot_buffer *buf = slot_buffer_new(ARRAY_INITIAL_CAPACITY);

    if (!ar || !buf) {
        free(ar);
        free(buf);
        return CC_ERR_ALLOC;
    }
    atomic_init(&ar->size, 0);
    atomic_init(&ar->buffer, buf);
    ar->base = NULL;
    ar->stride = 0;
    *out = ar;
    return CC_OK;
}

enum cc_stat array_new_strided(void *base, size_t count, size_t stride,
                               Array **out)
{
    Array *ar;

    if (stride == 0 || (!base && count > 0))
        return CC_ERR_INVALID_RANGE;
    if (count > SIZE_MAX / stride
        || (uintptr_t) base > UINTPTR_MAX - count * stride)
        return CC_ERR_INVALID_RANGE;
    ar = malloc(sizeof(*ar));
    if (!ar)
        return CC_ERR_ALLOC;
    atomic_init(&ar->size, count);
    atomic_init(&ar->buffer, NULL);
    ar->base = base;
    ar->stride = stride;
    *out = ar;
    return CC_OK;
}

void array_destroy(Array *ar)
{
    struct slot_buffer *buf;

    if (!ar)
        return;
    buf = atomic_load_explicit(&ar->buffer, memory_order_relaxed);
    while (buf) {
        struct slot_buffer *older = buf->retired;
        free(buf);
        buf = older;
    }
    free(ar);
}

enum cc_stat array_add(Array *ar, void *element)
{
    size_t size;
    struct slot_buffer *buf;

    if (is_view(ar))
        return CC_ERR_MAX_CAPACITY;
    size = atomic_load_explicit(&ar->size, memory_order_relaxed);
    buf = atomic_load_explicit(&ar->buffer, memory_order_relaxed);
    if (size == buf->capacity) {
        enum cc_stat status = grow(ar, buf, size, &buf);
        if (status != CC_OK)
            return status;
    }
    atomic_store_explicit(&buf->slots[size], element, memory_order_release);
    atomic_store_explicit(&ar->size, size + 1, memory_order_release);
    return CC_OK;
}

enum cc_stat array_remove_at(Array *ar, size_t index, void **out)
{
    size_t size, i;
    struct slot_buffer *buf;

    if (is_view(ar))
        return CC_ERR_INVALID_RANGE;
    size = atomic_load_explicit(&ar->size, memory_order_relaxed);
    if (index >= size)
        return CC_ERR_OUT_OF_RANGE;
    buf = atomic_load_explicit(&ar->buffer, memory_order_relaxed);
    if (out)
        *out = atomic_load_explicit(&buf->slots[index], memory_order_relaxed);
    /* Slot by slot rather than memmove: readers may be loading these. */
    for (i = index; i + 1 < size; i++) {
        void *next = atomic_load_explicit(&buf->slots[i + 1],
                                          memory_order_relaxed);
        atomic_store_explicit(&buf->slots[i], next, memory_order_release);
    }
    atomic_store_explicit(&ar->size, size - 1, memory_order_release);
    return CC_OK;
}

enum cc_stat array_remove(Array *ar, void *element, void **out)
{
    size_t index;

    if (is_view(ar))
        return CC_ERR_INVALID_RANGE;
    if (array_index_of(ar, element, &index) != CC_OK)
        return CC_ERR_VALUE_NOT_FOUND;
    return array_remove_at(ar, index, out);
}

enum cc_stat array_get_at(const Array *ar, size_t index, void **out)
{
    /* Size before buffer: the buffer published before a size always holds
     * that many slots, and buffers only ever get larger. */
    if (index >= array_size(ar))
        return CC_ERR_OUT_OF_RANGE;
    *out = element_at(ar, current_buffer(ar), index);
    return CC_OK;
}

enum cc_stat array_get_last(const Array *ar, void **out)
{
    size_t size = array_size(ar);

    if (size == 0)
        return CC_ERR_VALUE_NOT_FOUND;
    return array_get_at(ar, size - 1, out);
}

enum cc_stat array_index_of(const Array *ar, void *element, size_t *index)
{
    size_t size = array_size(ar);
    struct slot_buffer *buf = current_buffer(ar);
    size_t i;

    for (i = 0; i < size; i++) {
        if (element_at(ar, buf, i) == element) {
            *index = i;
            return CC_OK;
        }
    }
    return CC_ERR_OUT_OF_RANGE;
}

size_t array_size(const Array *ar)
{
    return atomic_load_explicit(&ar->size, memory_order_acquire);
}

void array_iter_init(ArrayIter *iter, Array *ar)
{
    iter->ar = ar;
    iter->index = 0;
    iter->last_removed = false;
}

enum cc_stat array_iter_next(ArrayIter *iter, void **out)
{
    if (array_get_at(iter->ar, iter->index, out) != CC_OK)
        return CC_ITER_END;
    iter->index++;
    iter->last_removed = false;
    return CC_OK;
}

enum cc_stat array_iter_remove(ArrayIter *iter, void **out)
{
    enum cc_stat status;

    if (iter->index == 0 || iter->last_removed)
        return CC_ERR_VALUE_NOT_FOUND;
    status = array_remove_at(iter->ar, iter->index - 1, out);
    if (status == CC_OK) {
        iter->index--;
        iter->last_removed = true;
    }
    return status;
}
