// Pass 1 of the import: the box, the largest colour and intensity, and the
// points counted on the fine grid; then the tiles those counts decide.
#include "tile_import_state.h"

#include "tile_format.h"

#include <cmath>
#include <cstring>

namespace velmo {
namespace tile_import {
namespace {

constexpr uint64_t kMaxParts = 1ull << 26; // part numbers fit between depth and position bits

} // namespace

void Import::scan(bool count_cells)
{
    if (count_cells)
        for (Scratch &s : scratch_)
            grid_.start_counting(s.counts);
    parallel(chunks_, [&](Scratch &s, uint64_t chunk) { scan_chunk(s, chunk, count_cells); });
    if (count_cells)
        for (Scratch &s : scratch_)
            grid_.merge(s.counts);
}

void Import::scan_chunk(Scratch &s, uint64_t chunk, bool count_cells)
{
    s.counts.chunk_cells.resize(count_cells ? size_t(chunk_points_) : 0);
    uint64_t count;
    auto scan_slice = [&](const uint8_t *records, size_t first, size_t n) {
        scan_records(s, records, first, n, count_cells);
        return true;
    };
    if (!read_chunk(s, chunk, &count, scan_slice))
        return;
    if (count_cells)
        grid_.count(s.counts, s.counts.chunk_cells.data(), size_t(count));
    done_ += count;
}

// Reads only the fields the counting needs, straight from the records:
// the first pass must cost little next to the second.
void Import::scan_records(Scratch &s, const uint8_t *record, size_t first, size_t count, bool count_cells)
{
    const size_t colour_at = fields_.colour;
    const uint16_t length = header_.record_length;
    uint32_t *cells = s.counts.chunk_cells.data() + (count_cells ? first : 0);
    // Kept in registers, not in the scratch record, for the whole slice.
    ScanStats stats = s.stats;
    for (size_t k = 0; k < count; ++k, record += length) {
        const int32_t x = record_field<int32_t>(record, 0), y = record_field<int32_t>(record, 4);
        stats.box.add(x, y, record_field<int32_t>(record, 8));
        stats.max_intensity = std::max(stats.max_intensity, record_field<uint16_t>(record, 12));
        if (colour_at)
            stats.max_colour = std::max({stats.max_colour, record_field<uint16_t>(record, colour_at),
                                         record_field<uint16_t>(record, colour_at + 2),
                                         record_field<uint16_t>(record, colour_at + 4)});
        if (count_cells)
            cells[k] = frame_.cell(x, y);
    }
    s.stats = stats;
}

void Import::merge_scan()
{
    for (Scratch &s : scratch_) {
        box_.add(s.stats.box);
        max_colour_ = std::max(max_colour_, s.stats.max_colour);
        max_intensity_ = std::max(max_intensity_, s.stats.max_intensity);
    }
    if (point_count_ == 0)
        box_ = IntBox{{0, 0, 0}, {0, 0, 0}};
    colour_shift_ = max_colour_ > 255 ? 8 : 0;
    // Re-based on the middle of the box, a coordinate always fits 32 bits.
    for (int a = 0; a < 3; ++a)
        base_[a] = box_.min[a] + (box_.max[a] - box_.min[a] + 1) / 2;
    side_ = square_side(box_, header_.scale);
}

void Import::decide_tiles()
{
    if (point_count_ > 0 && !use_grid_)
        add_leaf(0, 0, point_count_);
    if (use_grid_) {
        grid_.finish_counts();
        split(0, 0);
    }
    chunk_runs_.assign(chunks_, {});
    choose_spill_record();
    group_leaves();
    index_start_.resize(tiles_.size());
    for (size_t t = 0; t < tiles_.size(); ++t) {
        index_start_[t] = index_count_;
        index_count_ += tile_format::index_numbers(tiles_[t]);
    }
    q_ = quantisation_of(header_.scale, header_.offset, base_);
    points_offset_ = tile_format::points_offset(tiles_.size(), index_count_);
    file_size_ = points_offset_ + point_count_ * sizeof(tile_point_t);
    keep_spill_in_memory();
}

void Import::split(int depth, uint32_t morton)
{
    const uint32_t count = grid_.count(depth, morton);
    if (count > limit_ && depth < depth_) {
        for (uint32_t q = 0; q < 4; ++q)
            split(depth + 1, morton * 4 + q);
        return;
    }
    uint32_t leaf = kNoLeaf;
    if (count > 0) {
        leaf = uint32_t(leaves_.size());
        add_leaf(depth, morton, count);
    }
    grid_.set_leaf(depth, morton, leaf);
}

void Import::add_leaf(int depth, uint32_t morton, uint64_t count)
{
    const uint64_t first = leaves_.empty() ? 0 : leaves_.back().first + leaves_.back().count;
    const double width = std::ldexp(side_, -depth);
    const double x0 = double(box_.min[0]) * header_.scale[0] + header_.offset[0];
    const double y0 = double(box_.min[1]) * header_.scale[1] + header_.offset[1];
    const uint32_t i = compact_bits2(morton), j = compact_bits2(morton >> 1);
    // The leaf's cells start here in integer units; a unit or two lower
    // covers the rounding of the cell a point was counted in.
    Leaf leaf{first, count, box_.min[0], box_.min[1], depth};
    if (use_grid_) {
        const double cells = std::ldexp(1.0, depth_ - depth);
        leaf.x0 = frame_.min_x + int64_t(std::floor(i * cells / frame_.kx)) - 2;
        leaf.y0 = frame_.min_y + int64_t(std::floor(j * cells / frame_.ky)) - 2;
    }
    leaves_.push_back(leaf);
    // A leaf at the deepest level can still hold a pile of points: it is cut
    // in parts of one square, so no tile is too big to level or to draw.
    uint64_t parts = 1;
    if (count > limit_)
        parts = std::min<uint64_t>((count + limit_ - 1) / limit_, kMaxParts);
    uint64_t at = first;
    for (uint64_t part = 0; part < parts; ++part) {
        tile_leaf_.push_back(uint32_t(leaves_.size() - 1));
        tile_in_leaf_.push_back(at - first);
        const uint64_t size = count / parts + (part < count % parts ? 1 : 0);
        StoreTile t;
        std::memset(&t, 0, sizeof t);
        t.box[0] = x0 + i * width;
        t.box[1] = y0 + j * width;
        t.box[3] = x0 + (i + 1) * width;
        t.box[4] = y0 + (j + 1) * width;
        t.code = uint64_t(depth) << 58 | part << 32 | morton;
        t.first = at;
        t.count = uint32_t(size);
        tiles_.push_back(t);
        tile_width_.push_back(width);
        at += size;
    }
}

} // namespace tile_import
} // namespace velmo
