// A small file system of the test's own (a tmpfs), to fill or to make
// read-only.  Mounting one needs root, or a user and mount namespace of the
// test's own: a test run by another user runs itself again in one
// (RunWhereASmallDiskMounts).
#pragma once

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

class SmallDisk {
public:
    explicit SmallDisk(const std::string &folder) : folder_(folder)
    {
        std::filesystem::create_directories(folder);
        mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0;
        if (!mounted_)
            why_ = "cannot mount a tmpfs on " + folder + ": " + std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (mounted_)
            umount2(folder_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string &why() const { return why_; }
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
    std::string why_;
    bool mounted_ = false;
};

// True when this process may mount a small disk itself (it runs as root).
// Otherwise the running test is run again by this program in a user and
// mount namespace of its own, where it may; that run's result becomes this
// test's (its output is shown when it fails, and a namespace that cannot be
// had fails with the reason), and the caller returns at once.
inline bool RunWhereASmallDiskMounts()
{
    if (geteuid() == 0)
        return true;
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        ADD_FAILURE() << "cannot find this test program to run the test again as root of its own namespace";
        return false;
    }
    const std::string command = std::string("exec unshare --user --map-root-user --mount '") + self +
                                "' --gtest_filter='" + test->test_suite_name() + "." + test->name() + "' 2>&1";
    FILE *run = popen(command.c_str(), "r");
    if (!run) {
        ADD_FAILURE() << "cannot start " << command << ": " << std::strerror(errno);
        return false;
    }
    std::string output;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, run)) > 0;)
        output.append(buffer, n);
    const int status = pclose(run);
    if (status != 0)
        ADD_FAILURE() << "mounting a small file system needs root or a user namespace of the test's own; the test "
                         "run again in one (" << command << ") ended with status "
                      << (WIFEXITED(status) ? WEXITSTATUS(status) : status) << ":\n" << output;
    return false;
}
