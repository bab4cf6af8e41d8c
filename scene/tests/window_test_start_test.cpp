// Compiled into every test program with window tests, which so checks
// itself: run again with no display, each of its window tests fails saying
// why, none is passed over as skipped, and the clean-up after the failed
// start ends the program normally.
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

extern char **environ;

namespace {

size_t Count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

} // namespace

TEST(WindowTestStart, WithoutADisplayEveryWindowTestFailsSayingWhyAndNoneCrashes)
{
    TempDir dir;
    const std::string output = dir.file("output.txt");
    std::vector<char *> envp;
    for (char **entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0)
            envp.push_back(*entry);
    envp.push_back(nullptr);
    std::string program = "/proc/self/exe";
    std::string others = "--gtest_filter=-WindowTestStart.*";
    char *argv[] = {program.data(), others.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    ASSERT_EQ(0, posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()));
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));

    const std::string said = read_bytes(output);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << ":\n" << said;
    EXPECT_EQ(1, WEXITSTATUS(status)) << said;
    const size_t reasons = Count(said, "DISPLAY is not set");
    EXPECT_GT(reasons, 0u) << said;
    EXPECT_EQ(Count(said, ": Failure\n"), reasons) << said;
    EXPECT_EQ(0u, Count(said, "[  SKIPPED ]")) << said;
}
