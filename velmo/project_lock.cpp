#include "project_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmo {

namespace {

struct Hold {
    int fd = -1; // -1: the medium could not be written, nothing is locked
    int users = 0;
};

std::mutex holds_lock;
std::map<std::string, Hold> holds;

// The releasing process unlinks the file before unlocking, so a lock taken
// on a file that is no longer the one at the path is taken again.
bool still_at_path(int fd, const std::string &path)
{
    struct stat held {}, current {};
    return fstat(fd, &held) == 0 && stat(path.c_str(), &current) == 0 && held.st_ino == current.st_ino &&
           held.st_dev == current.st_dev;
}

// The descriptor of a locked lock file, -1 for a medium that cannot be
// written, -2 when another process holds the lock or it cannot be taken.
int lock_file(const std::string &path, std::string *error)
{
    for (int attempt = 0; attempt < 10; attempt++) {
        // flock needs no write access, and a read-only descriptor leaves the
        // file system free to be remounted read-only.
        int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EROFS || errno == EACCES || errno == EPERM)
                return -1;
            *error = "The project's lock file \"" + path + "\" cannot be created.";
            return -2;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            bool busy = errno == EWOULDBLOCK;
            close(fd);
            if (busy) {
                *error = "The project is open in another program; close it there first.";
                return -2;
            }
            return -1;
        }
        if (still_at_path(fd, path))
            return fd;
        close(fd);
    }
    *error = "The project's lock file \"" + path + "\" keeps changing.";
    return -2;
}

} // namespace

std::unique_ptr<ProjectLock> ProjectLock::acquire(const std::string &project_path, std::string *error)
{
    std::string path = project_path + "-lock";
    std::lock_guard<std::mutex> guard(holds_lock);
    auto found = holds.find(path);
    if (found == holds.end()) {
        int fd = lock_file(path, error);
        if (fd == -2)
            return nullptr;
        found = holds.emplace(path, Hold{fd, 0}).first;
    }
    bool first = found->second.users++ == 0;
    return std::unique_ptr<ProjectLock>(new ProjectLock(path, first));
}

ProjectLock::~ProjectLock()
{
    std::lock_guard<std::mutex> guard(holds_lock);
    auto found = holds.find(lock_path_);
    if (found == holds.end() || --found->second.users > 0)
        return;
    if (found->second.fd >= 0) {
        unlink(lock_path_.c_str());
        close(found->second.fd);
    }
    holds.erase(found);
}

} // namespace velmo
