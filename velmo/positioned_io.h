// Positioned reads and writes of a whole range of a file.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <unistd.h>

namespace velmo {
namespace tile_import {

// Writes go a piece at a time.  The kernel fills the page cache of a large
// write with large blocks of memory, and where a host takes the free memory
// of its virtual machines back, such blocks are mostly memory the host must
// fault in afresh: the store's writing took several times as long (1.1 s
// instead of 0.13 s for 480 MB).  A piece this size is served from the small
// free blocks at hand, as fast either way.
constexpr size_t kWritePiece = 64u << 10;

// Repeats a positioned read or write, at most piece bytes at a time, until
// all of it is done; short transfers and interrupted calls are normal on
// large files.
template <typename Byte, typename Transfer>
inline bool transfer_all(Transfer transfer, int fd, Byte *data, size_t size, uint64_t offset, size_t piece)
{
    while (size > 0) {
        ssize_t n = transfer(fd, data, std::min(size, piece), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

inline bool pwrite_all(int fd, const void *data, size_t size, uint64_t offset)
{
    return transfer_all(::pwrite, fd, static_cast<const char *>(data), size, offset, kWritePiece);
}

inline bool pread_all(int fd, void *data, size_t size, uint64_t offset)
{
    return transfer_all(::pread, fd, static_cast<char *>(data), size, offset, SIZE_MAX);
}

} // namespace tile_import
} // namespace velmo
