// The import's store file: its room on the disk, the tiles as they are
// written, and its head and directory last.
#include "tile_import_state.h"

#include "positioned_io.h"
#include "tile_format.h"

#include <cerrno>
#include <cstring>

#include <sys/statvfs.h>
#include <unistd.h>

namespace velmo {
namespace tile_import {

std::string Import::store_folder() const
{
    const size_t slash = part_path_.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : part_path_.substr(0, slash);
}

// Bytes free on the store's file system; UINT64_MAX when it does not say.
uint64_t Import::free_disk_bytes() const
{
    struct statvfs disk;
    if (::statvfs(store_folder().c_str(), &disk) != 0)
        return UINT64_MAX;
    return uint64_t(disk.f_bavail) * disk.f_frsize;
}

// Looking at the free space first makes a full disk fail now, not at the
// end.  The space is not reserved with fallocate: writing into reserved
// blocks costs several times a plain write once the kernel starts writing
// the file back.  A disk that fills meanwhile still fails the writes.
bool Import::allocate_file()
{
    if (free_disk_bytes() < file_size_ + file_spill_bytes_) {
        errno = ENOSPC;
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    if (::ftruncate(fd_, off_t(file_size_)) != 0) {
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    return true;
}

bool Import::store_tile(const TileOutput &tile)
{
    const uint64_t index_at = tile_format::kHeaderSize + tiles_.size() * sizeof(StoreTile) +
                              index_start_[tile.tile] * sizeof(uint32_t);
    const uint64_t points_at = points_offset_ + tiles_[tile.tile].first * sizeof(tile_point_t);
    if (tile.points.size() > 0) {
        tile_ends_[2 * tile.tile] = tile.points[0];
        tile_ends_[2 * tile.tile + 1] = tile.points[tile.points.size() - 1];
    }
    if (pwrite_all(fd_, tile.index.data(), tile.index.size() * sizeof(uint32_t), index_at) &&
        pwrite_all(fd_, tile.points.data(), tile.points.size() * sizeof(tile_point_t), points_at))
        return true;
    fail(system_error("Cannot write the tile store", part_path_));
    return false;
}

bool Import::commit()
{
    tile_format::Header h;
    std::memset(&h, 0, sizeof h);
    std::memcpy(h.magic, tile_format::kMagic, sizeof h.magic);
    h.version = tile_format::kVersion;
    h.header_size = uint32_t(tile_format::kHeaderSize);
    h.tile_record_size = sizeof(StoreTile);
    h.point_record_size = sizeof(tile_point_t);
    h.point_count = point_count_;
    h.tile_count = tiles_.size();
    h.directory_offset = tile_format::kHeaderSize;
    h.points_offset = points_offset_;
    h.index_offset = tile_format::kHeaderSize + tiles_.size() * sizeof(StoreTile);
    h.index_count = index_count_;
    h.file_size = file_size_;
    for (int a = 0; a < 3; ++a) {
        h.scale[a] = header_.scale[a];
        h.offset[a] = header_.offset[a];
        h.base[a] = base_[a];
        h.box[a] = point_count_ ? double(box_.min[a]) * h.scale[a] + h.offset[a] : 0;
        h.box[a + 3] = point_count_ ? double(box_.max[a]) * h.scale[a] + h.offset[a] : 0;
    }
    h.root[0] = h.box[0];
    h.root[1] = h.box[1];
    h.root[2] = side_;
    h.colour_shift = colour_shift_;
    h.max_intensity = max_intensity_;
    h.tile_limit = limit_;
    h.max_depth = uint32_t(depth_);
    // From the points as they were written: read back from a large store
    // they may already have left the page cache for the disk.
    size_t next = 0;
    std::vector<tile_point_t> sample;
    for (size_t t = 0; t < tiles_.size(); ++t)
        if (tiles_[t].count > 0)
            sample.insert(sample.end(), {tile_ends_[2 * t], tile_ends_[2 * t + 1]});
    tile_format::points_sample(
        tiles_.data(), tiles_.size(),
        [&](uint64_t, tile_point_t *out) {
            *out = sample[next++];
            return true;
        },
        &h.points_sample);
    h.checksum = tile_format::checksum(h, tiles_.data(), tiles_.size());
    const size_t directory_size = tiles_.size() * sizeof(StoreTile);
    if (!pwrite_all(fd_, &h, sizeof h, 0) ||
        (directory_size && !pwrite_all(fd_, tiles_.data(), directory_size, h.directory_offset))) {
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        fail(system_error("Cannot write the tile store", part_path_));
        return false;
    }
    if (::rename(part_path_.c_str(), store_path_.c_str()) != 0) {
        fail(system_error("Cannot write the tile store", store_path_));
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace tile_import
} // namespace velmo
