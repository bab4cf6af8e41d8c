// Saves killed with SIGKILL at random moments: every change a save reported
// as stored must be there when the project is opened again.
#include "velmo.h"

#include "project_files.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace project_test;

namespace {

// Child: opens the project and keeps changing and saving it; after each
// save that succeeded, tells the parent the number of the change.
[[noreturn]] void save_until_killed(const std::string &project, int first, int report)
{
    wks_t *wks = new_workspace();
    if (!wks_open_project(wks, project.c_str()))
        _exit(2);
    wks_road_t *road = item<wks_road_t>(wks->roads, 0);
    if (!road || !road_open_file(road, road->path, road->format))
        _exit(3);
    int ready = 0;
    if (write(report, &ready, sizeof ready) != sizeof ready)
        _exit(6);
    for (int change = first;; change++) {
        std::string name = "S" + std::to_string(change);
        if (!add_custom(wks, name.c_str()))
            _exit(4);
        const double range[2] = {-1.0 - change, 1.0 + change};
        wks_modify_section_offset(wks, item<section_t>(wks->custom_sections, 0), range);
        if (!wks_export_project(wks))
            _exit(5);
        if (write(report, &change, sizeof change) != sizeof change)
            _exit(6);
    }
}

std::set<std::string> section_names(wks_t *wks)
{
    std::set<std::string> names;
    for (size_t i = 0; i < array_size(wks->custom_sections); i++)
        names.insert(item<section_t>(wks->custom_sections, i)->name);
    return names;
}

} // namespace

TEST(ProjectKill, EveryStoredChangeSurvivesFiftyKillsDuringSaves)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        wks_road_t *road = wks_import_road(w.wks, write_alignment(dir.file("a.pm")).c_str(), 0);
        ASSERT_NE(road, nullptr);
        add_profile(&road->road);
        ASSERT_NE(add_custom(w.wks, "S0"), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0);
    }
    std::mt19937 random(20);
    std::uniform_int_distribution<int> delay_us(0, 100000);
    int stored = 0; // changes S0 .. S<stored> were reported stored
    for (int round = 0; round < 50; round++) {
        int pipe_fds[2];
        ASSERT_EQ(pipe(pipe_fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipe_fds[0]);
            save_until_killed(project, stored + 1, pipe_fds[1]);
        }
        close(pipe_fds[1]);
        // The kill comes at a random moment of the saves, however slowly the
        // child got ready on a busy machine.
        int ready = -1;
        ASSERT_EQ(read(pipe_fds[0], &ready, sizeof ready), (ssize_t)sizeof ready);
        ASSERT_EQ(ready, 0);
        usleep(useconds_t(delay_us(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself: " << WEXITSTATUS(status);
        int change = 0;
        while (read(pipe_fds[0], &change, sizeof change) == sizeof change)
            stored = std::max(stored, change);
        close(pipe_fds[0]);

        Workspace w;
        ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0) << "kill " << round << ": " << wks_last_message(w.wks);
        std::set<std::string> names = section_names(w.wks);
        for (int k = 0; k <= stored; k++)
            ASSERT_TRUE(names.count("S" + std::to_string(k))) << "kill " << round << " lost S" << k;
        ASSERT_EQ(array_size(w.wks->roads), 1u);
        wks_road_t *road = item<wks_road_t>(w.wks->roads, 0);
        ASSERT_NE(road_open_file(road, road->path, road->format), 0);
        ASSERT_EQ(road_number_vertical(&road->road), 2) << "kill " << round << " lost the profile";
        // The changes that were under way when the kill came are either all
        // there or not at all; the next child goes on after what is there.
        for (const std::string &name : names)
            stored = std::max(stored, std::stoi(name.substr(1)));
    }
    EXPECT_GT(stored, 10) << "the kills came before any save could finish";
}
