// An exclusive hold on a project for one process: two programs writing one
// project would hand out the same ids and overwrite each other's lists.
#pragma once

#include <memory>
#include <string>

namespace velmo {

class ProjectLock {
public:
    // Holds "<project>-lock" until destroyed; null, with the reason in
    // *error, while another process holds it.  Workspaces of one process
    // share the hold.  On a medium that cannot be written nothing is locked:
    // no other process can change the project there either.
    static std::unique_ptr<ProjectLock> acquire(const std::string &project_path, std::string *error);
    ~ProjectLock();
    // True when no other workspace of this process held the project when
    // this hold was taken.
    bool first() const { return first_; }
    ProjectLock(const ProjectLock &) = delete;
    ProjectLock &operator=(const ProjectLock &) = delete;

private:
    ProjectLock(std::string lock_path, bool first) : lock_path_(std::move(lock_path)), first_(first) {}
    std::string lock_path_;
    bool first_;
};

} // namespace velmo
