#include "collections.h"

#include <stdint.h>

int cc_common_cmp_ptr(const void *key1, const void *key2)
{
    /* Relational operators on pointers into different objects are
     * undefined; their integer values order the same way and are not. */
    uintptr_t a = (uintptr_t) key1;
    uintptr_t b = (uintptr_t) key2;

    if (a == b)
        return 0;
    return a < b ? -1 : 1;
}
