// Small arithmetic of the import: Morton codes of grid cells, hashes of a
// point's position and of raw records, fields read straight from records.
#pragma once

#include "velmo.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace velmo {
namespace tile_import {

inline uint32_t spread_bits2(uint32_t v)
{
    v &= 0xFFFF;
    v = (v | v << 8) & 0x00FF00FF;
    v = (v | v << 4) & 0x0F0F0F0F;
    v = (v | v << 2) & 0x33333333;
    v = (v | v << 1) & 0x55555555;
    return v;
}

inline uint32_t compact_bits2(uint32_t v)
{
    v &= 0x55555555;
    v = (v | v >> 1) & 0x33333333;
    v = (v | v >> 2) & 0x0F0F0F0F;
    v = (v | v >> 4) & 0x00FF00FF;
    v = (v | v >> 8) & 0x0000FFFF;
    return v;
}

inline uint64_t spread_bits3(uint32_t v)
{
    uint64_t x = v & 0x3FF;
    x = (x | x << 16) & 0x030000FF;
    x = (x | x << 8) & 0x0300F00F;
    x = (x | x << 4) & 0x030C30C3;
    x = (x | x << 2) & 0x09249249;
    return x;
}

// A well-mixed number from a point's position: the level a point gets among
// the points of its cell must not depend on the order the threads wrote them.
inline uint64_t position_hash(const tile_point_t &p)
{
    uint64_t h = uint64_t(uint32_t(p.x)) * 0x9E3779B97F4A7C15ull;
    h ^= uint64_t(uint32_t(p.y)) * 0xC2B2AE3D27D4EB4Full;
    h ^= uint64_t(uint32_t(p.z)) * 0x165667B19E3779F9ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

// A hash of a slice of raw records, to tell that the bytes read in the
// second pass are those of the first.  Sums and sums of sums in four lanes
// (a change of any word changes the first, words trading places change the
// second): it must cost next to nothing beside the decoding.
inline uint64_t records_hash(const uint8_t *data, size_t size)
{
    // Lanes in plain variables: kept in registers, not spilled each round.
    uint64_t s0 = 0, s1 = 0, s2 = 0, s3 = 0, t0 = 0, t1 = 0, t2 = 0, t3 = 0;
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        uint64_t w[4];
        std::memcpy(w, data + i, 32);
        s0 += w[0];
        s1 += w[1];
        s2 += w[2];
        s3 += w[3];
        t0 += s0;
        t1 += s1;
        t2 += s2;
        t3 += s3;
    }
    for (; i < size; ++i) {
        s0 += data[i];
        t0 += s0;
    }
    uint64_t h = size * 0x9E3779B97F4A7C15ull;
    for (uint64_t v : {s0, s1, s2, s3, t0, t1, t2, t3}) {
        h = (h ^ v) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    return h;
}

template <typename T> inline T record_field(const uint8_t *record, size_t at)
{
    T value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}

inline uint32_t clamp_cell(double f, uint32_t top)
{
    if (!(f > 0))
        return 0;
    if (f >= top)
        return top;
    return uint32_t(f);
}

} // namespace tile_import
} // namespace velmo
