/*
 * Collections: growable pointer arrays and ordered tree tables.
 *
 * The calls, names and status codes are those of the Collections-C library,
 * so code written against it builds unchanged. Ownership is the same too:
 * the containers store the caller's pointers and never free what they point
 * to; destroying a container frees only its own memory.
 *
 * Two additions serve the point-cloud engine:
 *
 *  - Strided views (array_new_strided): an Array whose element i is the
 *    address base + i * stride, so a block of fixed-size records (a mapped
 *    tile store, for instance) reads as an array of record pointers without
 *    storing one pointer per record. Views are read-only.
 *
 *  - One writer, many readers: while a single thread changes an ordinary
 *    array, any number of threads may call array_size, array_get_at,
 *    array_get_last, array_index_of and iterate, without a lock. array_add
 *    publishes the new size only after the element is stored, so a reader
 *    that sees size n sees every element below n. When the buffer grows the
 *    old one is kept (retired) until array_destroy, so a reader that loaded
 *    it earlier never touches freed memory. Removals stay memory-safe for
 *    readers, but a reader running during one may see an element twice or
 *    miss one. Writers must not overlap each other, and array_destroy must
 *    not overlap anything.
 *
 * Tree tables have no such guarantee: share one between threads only under
 * a lock, or publish it once it is complete and no longer changes.
 */
#ifndef CORVANE_COLLECTIONS_H
#define CORVANE_COLLECTIONS_H

#include <stdbool.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Common ------------------------------------------------------------ */

/* Status of every call that can fail. The values are fixed: callers may
 * store or compare them numerically. */
enum cc_stat {
    CC_OK                   = 0,

    CC_ERR_ALLOC            = 1,
    CC_ERR_INVALID_CAPACITY = 2,
    CC_ERR_INVALID_RANGE    = 3,
    CC_ERR_MAX_CAPACITY     = 4,
    CC_ERR_KEY_NOT_FOUND    = 6,
    CC_ERR_VALUE_NOT_FOUND  = 7,
    CC_ERR_OUT_OF_RANGE     = 8,

    CC_ITER_END             = 9
};

/* Orders two pointers by address: -1, 0 or 1. A tree table comparator for
 * tables keyed by the pointers themselves. */
int cc_common_cmp_ptr(const void *key1, const void *key2);

#define CC_CMP_POINTER cc_common_cmp_ptr

/* ---- Array ------------------------------------------------------------- */

typedef struct array_s Array;

/* Walks an array front to back; lives on the caller's stack. */
typedef struct array_iter_s {
    Array  *ar;
    size_t  index;
    bool    last_removed;
} ArrayIter;

/* Creates an empty array in *out. CC_ERR_ALLOC if memory runs out. */
enum cc_stat array_new(Array **out);

/* Creates in *out a read-only view of count records of stride bytes each,
 * starting at base: element i is base + i * stride. The records stay the
 * caller's and must outlive the view. CC_ERR_INVALID_RANGE when stride is 0,
 * base is NULL with a non-zero count, or the block would not fit in the
 * address space; CC_ERR_ALLOC if memory runs out. */
enum cc_stat array_new_strided(void *base, size_t count, size_t stride,
                               Array **out);

/* Frees the array, every buffer it retired while growing, and nothing the
 * elements point to. Accepts NULL. No other thread may be using it. */
void array_destroy(Array *ar);

/* Appends element. Safe against concurrent readers (see above).
 * CC_ERR_ALLOC or CC_ERR_MAX_CAPACITY when it cannot grow, the array being
 * left as it was; CC_ERR_MAX_CAPACITY on a view. */
enum cc_stat array_add(Array *ar, void *element);

/* Removes the element at index, shifting the later ones down, and stores it
 * in *out unless out is NULL. CC_ERR_OUT_OF_RANGE when index >= size;
 * CC_ERR_INVALID_RANGE on a view. */
enum cc_stat array_remove_at(Array *ar, size_t index, void **out);

/* Removes the first occurrence of element (compared as a pointer), storing
 * it in *out unless out is NULL. CC_ERR_VALUE_NOT_FOUND when absent;
 * CC_ERR_INVALID_RANGE on a view. */
enum cc_stat array_remove(Array *ar, void *element, void **out);

/* Stores the element at index in *out. CC_ERR_OUT_OF_RANGE when
 * index >= size. */
enum cc_stat array_get_at(const Array *ar, size_t index, void **out);

/* Stores the last element in *out. CC_ERR_VALUE_NOT_FOUND when empty. */
enum cc_stat array_get_last(const Array *ar, void **out);

/* Stores in *index the position of the first occurrence of element
 * (compared as a pointer). CC_ERR_OUT_OF_RANGE when absent. */
enum cc_stat array_index_of(const Array *ar, void *element, size_t *index);

/* Number of elements. */
size_t array_size(const Array *ar);

/* Starts an iteration over ar. */
void array_iter_init(ArrayIter *iter, Array *ar);

/* Stores the next element in *out; CC_ITER_END after the last one. */
enum cc_stat array_iter_next(ArrayIter *iter, void **out);

/* Removes the element the last array_iter_next returned, storing it in *out
 * unless out is NULL; the iteration goes on with the element after it.
 * CC_ERR_VALUE_NOT_FOUND when there is no such element (nothing returned
 * yet, or already removed); CC_ERR_INVALID_RANGE on a view. */
enum cc_stat array_iter_remove(ArrayIter *iter, void **out);

/* ---- TreeTable --------------------------------------------------------- */

/* An ordered map from keys to values (a red-black tree), ordered by the
 * comparator given at creation. Keys and values are the caller's pointers. */
typedef struct treetable_s TreeTable;

typedef struct tree_table_entry_s {
    void *key;
    void *value;
} TreeTableEntry;

/* Walks a table in key order; lives on the caller's stack. Removing through
 * treetable_iter_remove keeps it valid; any other change to the table ends
 * its use. */
typedef struct tree_table_iter_s {
    TreeTable       *table;
    struct rbnode_s *current;
    struct rbnode_s *next;
} TreeTableIter;

/* Creates an empty table in *out ordered by cmp, which returns a negative,
 * zero or positive int as k1 sorts before, with or after k2.
 * CC_ERR_ALLOC if memory runs out. */
enum cc_stat treetable_new(int (*cmp)(const void *k1, const void *k2),
                           TreeTable **out);

/* Frees the table and its entries, not the keys or values. Accepts NULL. */
void treetable_destroy(TreeTable *table);

/* Maps key to val; an existing key keeps its key pointer and gets the new
 * value. CC_ERR_ALLOC if memory runs out (the table is unchanged). */
enum cc_stat treetable_add(TreeTable *table, void *key, void *val);

/* Stores the value of key in *out. CC_ERR_KEY_NOT_FOUND when absent. */
enum cc_stat treetable_get(const TreeTable *table, const void *key,
                           void **out);

/* Removes key, storing its value in *out unless out is NULL.
 * CC_ERR_KEY_NOT_FOUND when absent. */
enum cc_stat treetable_remove(TreeTable *table, void *key, void **out);

/* Removes every entry. */
void treetable_remove_all(TreeTable *table);

/* Number of entries. */
size_t treetable_size(const TreeTable *table);

/* Whether the table holds key. */
bool treetable_contains(const TreeTable *table, const void *key);
bool treetable_contains_key(const TreeTable *table, const void *key);

/* Store the smallest / largest key in *out. CC_ERR_KEY_NOT_FOUND when the
 * table is empty. */
enum cc_stat treetable_get_first_key(const TreeTable *table, void **out);
enum cc_stat treetable_get_last_key(const TreeTable *table, void **out);

/* Starts an iteration over table in key order. */
void treetable_iter_init(TreeTableIter *iter, TreeTable *table);

/* Stores the next entry in *entry; CC_ITER_END after the last one. */
enum cc_stat treetable_iter_next(TreeTableIter *iter, TreeTableEntry *entry);

/* Removes the entry the last treetable_iter_next returned, storing its value
 * in *out unless out is NULL; the iteration goes on with the next key.
 * CC_ERR_KEY_NOT_FOUND when there is no such entry (nothing returned yet,
 * or already removed). */
enum cc_stat treetable_iter_remove(TreeTableIter *iter, void **out);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_COLLECTIONS_H */
