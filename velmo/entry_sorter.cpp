#include "entry_sorter.h"

namespace velmo {
namespace tile_import {

void EntrySorter::sort(Buffer<Entry> &entries, int low_bit)
{
    const size_t n = entries.size();
    if (n < 2)
        return;
    uint64_t top = 0;
    for (const Entry &e : entries)
        top |= e.key;
    int passes = 0;
    while (passes * kBits + low_bit < 64 && top >> (passes * kBits + low_bit) != 0)
        ++passes;
    counts.assign(size_t(passes) * kBuckets, 0);
    tmp.resize(n);
    for (const Entry &e : entries)
        for (int p = 0; p < passes; ++p)
            ++counts[size_t(p) * kBuckets + digit(e.key, low_bit, p)];
    for (int p = 0; p < passes; ++p) {
        uint32_t *c = &counts[size_t(p) * kBuckets];
        if (c[digit(entries[0].key, low_bit, p)] == n)
            continue; // every key has this digit
        uint32_t run = 0;
        for (int b = 0; b < kBuckets; ++b) {
            uint32_t v = c[b];
            c[b] = run;
            run += v;
        }
        for (const Entry &e : entries)
            tmp[c[digit(e.key, low_bit, p)]++] = e;
        entries.swap(tmp);
    }
}

} // namespace tile_import
} // namespace velmo
