// Pass 2 of the import: every point decoded and grouped by leaf, chunk by
// chunk, on its way to the scratch files.
#include "tile_import_state.h"

#include <cmath>
#include <cstring>

namespace velmo {
namespace tile_import {
namespace {

uint16_t scale_intensity(uint16_t raw, uint16_t max)
{
    return max ? uint16_t(uint32_t(raw) * 255 / max) : 0;
}

} // namespace

void Import::scatter()
{
    for (Scratch &s : scratch_)
        s.leaf_count.assign(leaves_.size(), 0);
    parallel(chunks_, [&](Scratch &s, uint64_t chunk) { scatter_chunk(s, chunk); });
}

// Straight from the record: the scatter must not pay for the fields the
// store does not keep.
bool Import::decode_record(const uint8_t *record, const Leaf &leaf, uint8_t *out) const
{
    const int32_t v[3] = {record_field<int32_t>(record, 0), record_field<int32_t>(record, 4),
                          record_field<int32_t>(record, 8)};
    for (int a = 0; a < 3; ++a)
        if (v[a] < box_.min[a] || v[a] > box_.max[a])
            return false;
    tile_point_t p{}; // padding too: the store is the same for the same LAS file
    p.classification = uint8_t(record[fields_.classification] & fields_.class_mask);
    p.intensity = scale_intensity(record_field<uint16_t>(record, 12), max_intensity_);
    if (fields_.colour) {
        p.red = uint16_t(record_field<uint16_t>(record, fields_.colour) >> colour_shift_);
        p.green = uint16_t(record_field<uint16_t>(record, fields_.colour + 2) >> colour_shift_);
        p.blue = uint16_t(record_field<uint16_t>(record, fields_.colour + 4) >> colour_shift_);
    }
    p.z = int32_t(int64_t(v[2]) - base_[2]);
    if (!compact_) {
        p.x = int32_t(int64_t(v[0]) - base_[0]);
        p.y = int32_t(int64_t(v[1]) - base_[1]);
        std::memcpy(out, &p, sizeof p);
        return true;
    }
    const int64_t dx = v[0] - leaf.x0, dy = v[1] - leaf.y0;
    if (dx < 0 || dx >= kSpillReach || dy < 0 || dy >= kSpillReach)
        return false; // not in the leaf's square: not the point the first pass counted
    SpillPoint sp;
    sp.x_class = uint32_t(dx) | uint32_t(p.classification) << 24;
    sp.y_intensity = uint32_t(dy) | uint32_t(p.intensity) << 24;
    sp.z = p.z;
    sp.rgb = uint32_t(p.red) | uint32_t(p.green) << 8 | uint32_t(p.blue) << 16;
    std::memcpy(out, &sp, sizeof sp);
    return true;
}

void Import::scatter_chunk(Scratch &s, uint64_t chunk)
{
    s.leaf_of.resize(chunk_points_);
    s.runs.clear();
    uint64_t count;
    auto leaves_of_slice = [&](const uint8_t *records, size_t first, size_t n) {
        return find_leaves(s, records, first, n);
    };
    if (!read_chunk(s, chunk, &count, leaves_of_slice))
        return;
    start_runs(s);
    // Each record is decoded straight into its leaf's run of the chunk, in
    // the order of the file.
    const uint16_t length = header_.record_length;
    s.sorted.resize(size_t(count) * spill_record_);
    const uint8_t *record = s.records.data();
    for (uint64_t k = 0; k < count; ++k, record += length) {
        const uint32_t leaf = s.leaf_of[k];
        if (!decode_record(record, leaves_[leaf], &s.sorted[size_t(s.leaf_count[leaf]++) * spill_record_])) {
            fail(kChanged);
            return;
        }
    }
    for (const LeafRun &r : s.runs)
        s.leaf_count[r.leaf] = 0;
    if (spill_runs(s, chunk))
        done_ += count;
}

// The leaf of each point of a slice of the chunk, counted per leaf.
bool Import::find_leaves(Scratch &s, const uint8_t *record, size_t first, size_t count)
{
    const uint16_t length = header_.record_length;
    uint32_t *leaf_of = s.leaf_of.data() + first;
    for (size_t k = 0; k < count; ++k, record += length) {
        const uint32_t leaf =
            use_grid_ ? grid_.leaf(frame_.cell(record_field<int32_t>(record, 0), record_field<int32_t>(record, 4))) : 0;
        if (leaf >= leaves_.size()) {
            fail(kChanged);
            return false;
        }
        leaf_of[k] = leaf;
        if (s.leaf_count[leaf]++ == 0)
            s.runs.push_back({leaf, 0, 0});
    }
    return true;
}

// Turns the chunk's per-leaf counts into where each leaf's run starts, in
// leaf order.
void Import::start_runs(Scratch &s)
{
    std::sort(s.runs.begin(), s.runs.end(), [](const LeafRun &a, const LeafRun &b) { return a.leaf < b.leaf; });
    uint32_t start = 0;
    for (LeafRun &r : s.runs) {
        r.start = start;
        r.count = s.leaf_count[r.leaf];
        s.leaf_count[r.leaf] = start;
        start += r.count;
    }
}

// Compact records when every leaf's square, seen from its origin, stays
// within their reach (always but for a cloud very wide for its points).
void Import::choose_spill_record()
{
    compact_ = true;
    for (size_t i = 0; i < leaves_.size() && compact_; ++i) {
        const double cells = use_grid_ ? std::ldexp(1.0, depth_ - leaves_[i].depth) : 0;
        const double reach_x = use_grid_ ? cells / frame_.kx : double(box_.max[0] - box_.min[0]);
        const double reach_y = use_grid_ ? cells / frame_.ky : double(box_.max[1] - box_.min[1]);
        compact_ = reach_x + 8 < double(kSpillReach) && reach_y + 8 < double(kSpillReach);
    }
    spill_record_ = compact_ ? sizeof(SpillPoint) : sizeof(tile_point_t);
}

} // namespace tile_import
} // namespace velmo
