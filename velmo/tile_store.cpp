// Opening and reading a tile store; the import is in tile_import.cpp.
#include "tile_store.h"

#include "section_grid.h"
#include "tile_format.h"
#include "tile_import.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace velmo {

namespace tile_format {

uint64_t fnv1a(uint64_t hash, const void *data, size_t size)
{
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 0x100000001B3ull;
    }
    return hash;
}

uint64_t checksum(const Header &header, const StoreTile *tiles, uint64_t tile_count)
{
    Header copy = header;
    copy.checksum = 0;
    uint64_t hash = fnv1a(0xCBF29CE484222325ull, &copy, sizeof copy);
    return fnv1a(hash, tiles, size_t(tile_count) * sizeof(StoreTile));
}

uint64_t index_numbers(const StoreTile &tile)
{
    return kIndexLevels * uint64_t(TileGrid::cell_count(tile.box, tile.count)) + 1;
}

} // namespace tile_format

struct TileStore::Mapping {
    void *address = MAP_FAILED;
    size_t size = 0;
    int fd = -1; // the store's file, read by copy_points
    tile_format::Header header;     // as read at open
    std::vector<StoreTile> tiles;   // the directory, as read at open
    const tile_point_t *points = nullptr;
    const uint32_t *index = nullptr;
    std::vector<uint64_t> index_start; // of each tile's cell index
    mutable std::atomic<bool> changed{false};

    ~Mapping()
    {
        if (address != MAP_FAILED)
            ::munmap(address, size);
        if (fd >= 0)
            ::close(fd);
    }
};

bool TileStore::build(const LasFile &las, const std::string &store_path, const Progress &progress,
                      std::string *error, const TileStoreOptions &options)
{
    return import_tile_store(las, store_path, progress, options, error);
}

namespace {

bool finite_box(const double box[6])
{
    for (int i = 0; i < 6; ++i)
        if (!std::isfinite(box[i]))
            return false;
    return box[0] <= box[3] && box[1] <= box[4] && box[2] <= box[5];
}

// Everything a reader relies on: sizes that fit the file, tiles that cover
// the points once and in order, numbers that decode to finite coordinates.
bool valid_layout(const tile_format::Header &h, uint64_t file_size)
{
    using namespace tile_format;
    if (h.header_size != kHeaderSize || h.tile_record_size != sizeof(StoreTile) ||
        h.point_record_size != sizeof(tile_point_t) || h.file_size != file_size)
        return false;
    if (h.directory_offset != kHeaderSize || h.tile_count > (file_size - kHeaderSize) / sizeof(StoreTile))
        return false;
    if (h.index_offset != kHeaderSize + h.tile_count * sizeof(StoreTile) ||
        h.index_count > (file_size - h.index_offset) / sizeof(uint32_t))
        return false;
    if (h.points_offset != points_offset(h.tile_count, h.index_count) || h.points_offset > file_size ||
        h.point_count != (file_size - h.points_offset) / sizeof(tile_point_t) ||
        h.points_offset + h.point_count * sizeof(tile_point_t) != file_size)
        return false;
    for (int a = 0; a < 3; ++a)
        if (!(h.scale[a] > 0) || !std::isfinite(h.scale[a]) || !std::isfinite(h.offset[a]) ||
            h.base[a] < -(int64_t(1) << 40) || h.base[a] > (int64_t(1) << 40))
            return false;
    return finite_box(h.box);
}

bool valid_directory(const tile_format::Header &h, const StoreTile *tiles, std::vector<uint64_t> *index_start)
{
    uint64_t next = 0, numbers = 0;
    index_start->resize(size_t(h.tile_count));
    for (uint64_t i = 0; i < h.tile_count; ++i) {
        const StoreTile &t = tiles[i];
        if (t.first != next || t.count == 0 || t.count > h.point_count - next || !finite_box(t.box))
            return false;
        next += t.count;
        (*index_start)[i] = numbers;
        numbers += tile_format::index_numbers(t);
    }
    return next == h.point_count && numbers == h.index_count;
}

bool read_all(int fd, void *out, size_t size, uint64_t at)
{
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::pread(fd, static_cast<char *>(out) + done, size - done, off_t(at + done));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

// Nothing of the mapping is read here: header, directory and the sample of
// points are read from the file, whose size is known, so that a file cut
// short meanwhile is refused rather than faulted on.
std::unique_ptr<TileStore> TileStore::open(const std::string &store_path, std::string *error)
{
    auto refuse = [&](const char *why) -> std::unique_ptr<TileStore> {
        if (error)
            *error = std::string(why) + ": " + store_path;
        return nullptr;
    };
    auto map = std::make_unique<Mapping>();
    const int fd = map->fd = ::open(store_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return refuse("Cannot open the tile store");
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) < tile_format::kHeaderSize)
        return refuse("The tile store is damaged");
    tile_format::Header &h = map->header;
    if (!read_all(fd, &h, sizeof h, 0))
        return refuse("The tile store is damaged");
    if (std::memcmp(h.magic, tile_format::kMagic, sizeof h.magic) != 0)
        return refuse("Not a tile store");
    if (h.version != tile_format::kVersion)
        return refuse("The tile store was written by another version");
    if (!valid_layout(h, uint64_t(st.st_size)))
        return refuse("The tile store is damaged");
    try {
        map->tiles.resize(size_t(h.tile_count));
    } catch (const std::bad_alloc &) {
        return refuse("The tile store is damaged");
    }
    const StoreTile *tiles = map->tiles.data();
    if (!read_all(fd, map->tiles.data(), map->tiles.size() * sizeof(StoreTile), h.directory_offset) ||
        tile_format::checksum(h, tiles, h.tile_count) != h.checksum ||
        !valid_directory(h, tiles, &map->index_start))
        return refuse("The tile store is damaged");
    // Faulting in two pages of the mapping per tile would cost more than the
    // rest of the opening.  copy_points' callers read short runs all over
    // the file and say ahead what they will read (will_need): reading ahead
    // of each run would read mostly points nobody asks for.
    uint64_t sample = 0;
    const uint64_t points_offset = h.points_offset;
    bool sampled = tile_format::points_sample(tiles, h.tile_count,
                                              [fd, points_offset](uint64_t index, tile_point_t *out) {
                                                  return read_all(fd, out, sizeof *out, points_offset + index * sizeof *out);
                                              },
                                              &sample);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    if (!sampled || sample != h.points_sample)
        return refuse("The tile store is damaged");

    map->size = size_t(st.st_size);
    map->address = ::mmap(nullptr, map->size, PROT_READ, MAP_SHARED, fd, 0);
    if (map->address == MAP_FAILED)
        return refuse("Cannot map the tile store");
    const char *bytes = static_cast<const char *>(map->address);
    map->points = reinterpret_cast<const tile_point_t *>(bytes + h.points_offset);
    map->index = reinterpret_cast<const uint32_t *>(bytes + h.index_offset);
    std::unique_ptr<TileStore> store(new TileStore());
    store->map_ = std::move(map);
    return store;
}

TileStore::~TileStore() = default;

uint64_t TileStore::point_count() const { return map_->header.point_count; }

const double *TileStore::box() const { return map_->header.box; }

const double *TileStore::scale() const { return map_->header.scale; }

const double *TileStore::offset() const { return map_->header.offset; }

size_t TileStore::tile_count() const { return map_->tiles.size(); }

const StoreTile &TileStore::tile(size_t index) const { return map_->tiles[index]; }

const tile_point_t *TileStore::points() const { return map_->points; }

const uint32_t *TileStore::cell_index(size_t tile) const { return map_->index + map_->index_start[tile]; }

// A file replaced by a rename leaves this one as it was; one truncated,
// zeroed or written over in place changes its size or its header, which
// every writer of a store writes first.
bool TileStore::unchanged() const
{
    Mapping &m = *map_;
    if (m.changed.load(std::memory_order_acquire))
        return false;
    struct stat st;
    tile_format::Header now;
    const bool same = ::fstat(m.fd, &st) == 0 && uint64_t(st.st_size) == m.header.file_size &&
                      read_all(m.fd, &now, sizeof now, 0) && std::memcmp(&now, &m.header, sizeof now) == 0;
    if (!same)
        m.changed.store(true, std::memory_order_release);
    return same;
}

bool TileStore::copy_points(uint64_t first, uint32_t count, tile_point_t *out, bool cached_only) const
{
    if (first > point_count() || count > point_count() - first || map_->changed.load(std::memory_order_acquire))
        return false;
    const size_t bytes = size_t(count) * sizeof *out;
    const uint64_t at = map_->header.points_offset + first * sizeof *out;
    for (size_t done = 0; done < bytes;) {
        struct iovec to = {reinterpret_cast<char *>(out) + done, bytes - done};
        const ssize_t n = ::preadv2(map_->fd, &to, 1, off_t(at + done), cached_only ? RWF_NOWAIT : 0);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

void TileStore::will_need(uint64_t first, uint32_t count) const
{
    if (first <= point_count() && count <= point_count() - first)
        ::posix_fadvise(map_->fd, off_t(map_->header.points_offset + first * sizeof(tile_point_t)),
                        off_t(uint64_t(count) * sizeof(tile_point_t)), POSIX_FADV_WILLNEED);
}

void TileStore::decode(const tile_point_t &stored, velmo_point_t *out) const
{
    const tile_format::Header &h = map_->header;
    std::memset(out, 0, sizeof *out);
    // The same arithmetic as the LAS reader's, so world values match it to the bit.
    out->x = double(int64_t(stored.x) + h.base[0]) * h.scale[0] + h.offset[0];
    out->y = double(int64_t(stored.y) + h.base[1]) * h.scale[1] + h.offset[1];
    out->z = double(int64_t(stored.z) + h.base[2]) * h.scale[2] + h.offset[2];
    out->red = stored.red;
    out->green = stored.green;
    out->blue = stored.blue;
    out->intensity = stored.intensity;
    out->classification = stored.classification;
}

} // namespace velmo
