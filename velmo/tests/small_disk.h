// A small file system of the test's own (a tmpfs, so the tests must run as
// root), to fill or to make read-only.
#pragma once

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

class SmallDisk {
public:
    explicit SmallDisk(const std::string &folder) : folder_(folder)
    {
        std::filesystem::create_directories(folder);
        mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool read_only(bool on)
    {
        unsigned long flags = MS_REMOUNT | (on ? MS_RDONLY : 0);
        return mount("tmpfs", folder_.c_str(), "tmpfs", flags, "size=1m") == 0;
    }
    // Writes a filler file until nothing more fits, then gives back the
    // blocks of the given bytes.
    void fill(size_t leave = 0)
    {
        std::string block(4096, 'f');
        const std::string path = folder_ + "/filler";
        FILE *f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        while (fwrite(block.data(), 1, block.size(), f) == block.size() && fflush(f) == 0) {
        }
        fclose(f);
        const auto size = std::filesystem::file_size(path);
        std::filesystem::resize_file(path, size > leave ? size - leave : 0);
    }
    void free_space() { std::filesystem::remove(folder_ + "/filler"); }

private:
    std::string folder_;
    bool mounted_ = false;
};
