// The sort of a tile's entries by the cells their keys begin with.
#pragma once

#include "import_buffer.h"

#include <cstdint>
#include <vector>

namespace velmo {
namespace tile_import {

// A point of a tile being levelled: its sort key, where it is, and its
// cell of the tile's grid (in what would be padding: sorted along for free).
struct Entry {
    uint64_t key;
    uint32_t index;
    uint32_t cell;
};
static_assert(sizeof(Entry) == 16, "entries stay 16 bytes");

// Sorts entries by the bits of their key from low_bit up, keeping the order
// of entries that agree on those bits: points of one cell stay in the order
// of the file, so the store is the same whatever the threads did.  Digits
// every key shares cost one counting pass and no move.
struct EntrySorter {
    static constexpr int kBits = 11;
    static constexpr int kBuckets = 1 << kBits;
    std::vector<uint32_t> counts;
    Buffer<Entry> tmp;

    void sort(Buffer<Entry> &entries, int low_bit);
    static uint32_t digit(uint64_t key, int low_bit, int pass)
    {
        return uint32_t(key >> (low_bit + pass * kBits)) & (kBuckets - 1);
    }
};

} // namespace tile_import
} // namespace velmo
