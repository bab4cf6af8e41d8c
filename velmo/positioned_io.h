// Positioned reads and writes of a whole range of a file.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <unistd.h>

namespace velmo {
namespace tile_import {

// Repeats a positioned read or write until all of it is done; short
// transfers and interrupted calls are normal on large files.
template <typename Byte, typename Transfer>
inline bool transfer_all(Transfer transfer, int fd, Byte *data, size_t size, uint64_t offset)
{
    while (size > 0) {
        ssize_t n = transfer(fd, data, size, off_t(offset));
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
    return transfer_all(::pwrite, fd, static_cast<const char *>(data), size, offset);
}

inline bool pread_all(int fd, void *data, size_t size, uint64_t offset)
{
    return transfer_all(::pread, fd, static_cast<char *>(data), size, offset);
}

} // namespace tile_import
} // namespace velmo
