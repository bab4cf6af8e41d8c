// Projects after a crash, with a second process, with crafted rows and on
// odd paths.
#include "velmo.h"

#include "project_files.h"
#include "small_disk.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace project_test;

namespace {

const char *const SPILL = "create table spill(b); with recursive c(i) as (select 1 union all select i + 1 "
                          "from c where i < 2000) insert into spill select randomblob(2000) from c;";

// Leaves a write transaction open and dies, as a killed save does: the file
// keeps a hot journal beside it.  The changes are made large enough to be
// spilled into the database file before the commit, as a save's are when it
// is killed half-way through writing them.
void die_inside_a_transaction(const std::string &database, const std::string &changes)
{
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "pragma cache_size = 1", nullptr, nullptr, nullptr);
        bool ok = sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr) == SQLITE_OK &&
                  sqlite3_exec(db, (changes + SPILL).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(database + "-journal")) << "the crash left no journal";
}

} // namespace

TEST(ProjectCrash, AKilledProjectWriteIsRolledBackAtOpen)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        ASSERT_NE(wks_import_road(w.wks, write_alignment(dir.file("a.pm")).c_str(), 0), nullptr);
        ASSERT_NE(add_custom(w.wks, "C1"), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0);
    }
    die_inside_a_transaction(project, "delete from roads; delete from sections; "
                                      "insert into sections(list, name, type) values(2, 'half', 2);");
    Workspace w;
    ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0) << wks_last_message(w.wks);
    EXPECT_EQ(array_size(w.wks->roads), 1u);
    ASSERT_EQ(array_size(w.wks->custom_sections), 1u);
    EXPECT_STREQ(item<section_t>(w.wks->custom_sections, 0)->name, "C1");
    EXPECT_FALSE(fs::exists(project + "-journal"));
}

TEST(ProjectCrash, AKilledRoadFileWriteKeepsTheProfile)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    std::string road_file;
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        wks_road_t *road = wks_import_road(w.wks, write_alignment(dir.file("a.pm")).c_str(), 0);
        ASSERT_NE(road, nullptr);
        add_profile(&road->road);
        ASSERT_NE(wks_export_project(w.wks), 0);
        road_file = only_file(dir.file("p.data"), ".road");
    }
    die_inside_a_transaction(road_file, "delete from vertical; delete from horizon;");
    for (int round = 0; round < 2; round++) {
        Workspace w;
        ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0);
        wks_road_t *road = item<wks_road_t>(w.wks->roads, 0);
        ASSERT_NE(road_open_file(road, road->path, road->format), 0);
        EXPECT_EQ(road_number_vertical(&road->road), 2) << "round " << round;
        EXPECT_NE(wks_export_project(w.wks), 0) << wks_last_message(w.wks);
    }
}

TEST(ProjectCrash, ARoadFileThatCannotBeReadIsNeverOverwritten)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    std::string road_file;
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        wks_road_t *road = wks_import_road(w.wks, write_alignment(dir.file("a.pm")).c_str(), 0);
        ASSERT_NE(road, nullptr);
        add_profile(&road->road);
        ASSERT_NE(wks_export_project(w.wks), 0);
        road_file = only_file(dir.file("p.data"), ".road");
    }
    std::string damaged = read_bytes(road_file);
    damaged[100] ^= 0x5a; // inside the header: no longer a database
    write_bytes(road_file, damaged);
    Workspace w;
    ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0);
    wks_road_t *road = item<wks_road_t>(w.wks->roads, 0);
    EXPECT_NE(road_open_file(road, road->path, road->format), 0) << "the centre line still loads";
    EXPECT_EQ(wks_export_project(w.wks), 0);
    EXPECT_NE(std::string(wks_last_message(w.wks)).find("could not be read"), std::string::npos);
    EXPECT_EQ(read_bytes(road_file), damaged);
}

TEST(ProjectLock, ASecondProcessIsRefusedWhileTheProjectIsOpen)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    }
    int to_parent[2], to_child[2];
    ASSERT_EQ(pipe(to_parent), 0);
    ASSERT_EQ(pipe(to_child), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        wks_t *wks = static_cast<wks_t *>(malloc(96));
        wks_init(wks);
        char opened = wks_open_project(wks, project.c_str()) ? 'y' : 'n', done;
        (void)!write(to_parent[1], &opened, 1);
        (void)!read(to_child[0], &done, 1);
        wks_destroy(wks);
        _exit(0);
    }
    char opened = 0;
    ASSERT_EQ(read(to_parent[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');
    {
        Workspace w;
        EXPECT_EQ(wks_open_project(w.wks, project.c_str()), 0);
        EXPECT_NE(std::string(wks_last_message(w.wks)).find("open in another program"), std::string::npos);
        EXPECT_EQ(w.wks->project, nullptr);
    }
    ASSERT_EQ(write(to_child[1], "x", 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {to_parent[0], to_parent[1], to_child[0], to_child[1]})
        close(fd);
    Workspace w;
    EXPECT_NE(wks_open_project(w.wks, project.c_str()), 0) << "the lock goes with the other process";
    Workspace same_process;
    EXPECT_NE(wks_open_project(same_process.wks, project.c_str()), 0) << "one process shares its hold";
}

TEST(ProjectRows, FileNamesOutsideTheDataFolderAreLeftOut)
{
    TempDir dir;
    std::string project = dir.file("p.qpj"), victim = dir.file("victim.tiles");
    write_bytes(victim, "keep me");
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        ASSERT_NE(wks_import_road(w.wks, write_alignment(dir.file("a.pm")).c_str(), 0), nullptr);
        ASSERT_NE(wks_import_road(w.wks, write_alignment(dir.file("b.pm")).c_str(), 0), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0);
    }
    sql(project, "update roads set road_file = '../escaped.road' where position = 0;"
                 "insert into clouds(id, position, path, store, point_count) values(40, 0, '/x.las', '" +
                     victim + "', 10);"
                 "insert into clouds(id, position, path, store, point_count) values(41, 1, '/y.las', '7.tiles', 10);");
    {
        Workspace w;
        ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0);
        EXPECT_EQ(array_size(w.wks->clouds), 0u);
        ASSERT_EQ(array_size(w.wks->roads), 1u);
        EXPECT_EQ(fs::path(item<wks_road_t>(w.wks->roads, 0)->path).filename(), "b.pm");
        std::string message = wks_last_message(w.wks);
        EXPECT_NE(message.find("../escaped.road"), std::string::npos) << message;
        EXPECT_NE(message.find(victim), std::string::npos) << message;
        EXPECT_NE(wks_export_project(w.wks), 0);
    }
    EXPECT_FALSE(fs::exists(dir.file("escaped.road")));
    EXPECT_EQ(read_bytes(victim), "keep me");
}

TEST(ProjectRows, ASectionRowWithIdZeroIsStoredOnceAndCanBeDeleted)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        ASSERT_NE(add_custom(w.wks, "C1"), nullptr);
    }
    sql(project, "update sections set id = 0");
    Workspace w;
    w.reopen(project);
    section_t *section = item<section_t>(w.wks->custom_sections, 0);
    const double range[2] = {-2, 2};
    ASSERT_NE(wks_modify_section_offset(w.wks, section, range), 0);
    ASSERT_NE(wks_export_project(w.wks), 0);
    ASSERT_NE(wks_save_section_data(w.wks, section), 0);
    EXPECT_EQ(count_rows(project, "sections"), 1);
    w.reopen(project);
    section = item<section_t>(w.wks->custom_sections, 0);
    EXPECT_EQ(section->normal_range[1], 2.0);
    ASSERT_NE(wks_save_remove_section(w.wks, section), 0);
    EXPECT_EQ(count_rows(project, "sections"), 0);
}

TEST(ProjectPaths, LongPathsWorkFullyOrAreRefusedUpFront)
{
    TempDir dir;
    std::string folder = dir.path().string();
    while (folder.size() < VELMO_PROJECT_PATH_MAX - 120)
        folder += "/" + std::string(60, 'd');
    fs::create_directories(folder);
    std::string pm = write_alignment(dir.file("a.pm"));
    // The longest accepted path: everything of the project can be written.
    std::string longest = folder + "/" + std::string(VELMO_PROJECT_PATH_MAX - folder.size() - 5, 'p') + ".qpj";
    ASSERT_EQ(longest.size(), size_t(VELMO_PROJECT_PATH_MAX));
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, longest.c_str()), 0) << wks_last_message(w.wks);
        wks_road_t *road = wks_import_road(w.wks, pm.c_str(), 0);
        ASSERT_NE(road, nullptr);
        add_profile(&road->road);
        ASSERT_NE(add_custom(w.wks, "C1"), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0) << wks_last_message(w.wks);
    }
    {
        Workspace w;
        w.reopen(longest);
        EXPECT_EQ(array_size(w.wks->custom_sections), 1u);
        wks_road_t *road = item<wks_road_t>(w.wks->roads, 0);
        ASSERT_NE(road_open_file(road, road->path, road->format), 0);
        EXPECT_EQ(road_number_vertical(&road->road), 2);
    }
    for (size_t length : {size_t(VELMO_PROJECT_PATH_MAX + 1), size_t(505), size_t(1023)}) {
        std::string path = folder + "/" + std::string(length - folder.size() - 5, 'q') + ".qpj";
        ASSERT_EQ(path.size(), length);
        Workspace w;
        EXPECT_EQ(wks_create_project(w.wks, 0, path.c_str()), 0) << length;
        EXPECT_NE(std::string(wks_last_message(w.wks)).find("at most"), std::string::npos) << length;
        std::error_code ec;
        EXPECT_FALSE(fs::exists(path, ec)) << length;
    }
}

namespace {

double offset_of(wks_t *wks, size_t index)
{
    return item<section_t>(wks->custom_sections, index)->normal_range[1];
}

// Section changes made while the project cannot be written: each call keeps
// its change, every save fails and says so until the disk takes it, and then
// one save stores it all.
void change_sections_while_unwritable(const std::string &project, const std::string &pm,
                                      const std::function<void(bool)> &unwritable)
{
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    wks_road_t *road = wks_import_road(w.wks, pm.c_str(), 0);
    ASSERT_NE(road, nullptr);
    ASSERT_NE(add_custom(w.wks, "before"), nullptr);
    ASSERT_NE(wks_export_project(w.wks), 0);

    unwritable(true);
    const double rows[4] = {20, 100, 40, 100};
    EXPECT_EQ(wks_generate_road_latitude_sections(w.wks, road, 2, rows, 5, 30), 2);
    EXPECT_NE(add_custom(w.wks, "after"), nullptr);
    const double range[2] = {-3, 3};
    EXPECT_NE(wks_modify_section_offset(w.wks, item<section_t>(w.wks->custom_sections, 0), range), 0);
    EXPECT_EQ(wks_export_project(w.wks), 0) << "a save that stores nothing must not succeed";
    EXPECT_NE(std::string(wks_last_message(w.wks)).find("cannot be written"), std::string::npos)
        << wks_last_message(w.wks);
    EXPECT_EQ(wks_export_project(w.wks), 0);

    unwritable(false);
    ASSERT_NE(wks_export_project(w.wks), 0) << wks_last_message(w.wks);
    w.reopen(project);
    EXPECT_EQ(array_size(w.wks->latitude_sections), 2u);
    ASSERT_EQ(array_size(w.wks->custom_sections), 2u);
    EXPECT_EQ(offset_of(w.wks, 0), 3.0);
    EXPECT_STREQ(item<section_t>(w.wks->custom_sections, 1)->name, "after");
}

} // namespace

TEST(ProjectDisk, SectionChangesOnAFullDiskArePendingUntilASaveStoresThem)
{
    if (!RunWhereASmallDiskMounts())
        return;
    TempDir dir;
    SmallDisk disk(dir.file("disk"));
    ASSERT_TRUE(disk.mounted()) << disk.why();
    std::string pm = write_alignment(dir.file("a.pm"));
    change_sections_while_unwritable(dir.file("disk/p.qpj"), pm, [&](bool full) {
        if (full)
            disk.fill();
        else
            disk.free_space();
    });
}

TEST(ProjectDisk, SectionChangesOnAReadOnlyMountArePendingUntilASaveStoresThem)
{
    if (!RunWhereASmallDiskMounts())
        return;
    TempDir dir;
    SmallDisk disk(dir.file("disk"));
    ASSERT_TRUE(disk.mounted()) << disk.why();
    std::string pm = write_alignment(dir.file("a.pm"));
    change_sections_while_unwritable(dir.file("disk/p.qpj"), pm, [&](bool read_only) {
        ASSERT_TRUE(disk.read_only(read_only));
    });
}

TEST(ProjectFolder, OpeningRemovesOnlyOrphansOfItsOwnKind)
{
    TempDir dir;
    std::string project = dir.file("p.qpj"), data = dir.file("p.data");
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        ASSERT_NE(wks_import_road(w.wks, write_alignment(dir.file("a.pm")).c_str(), 0), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0);
    }
    std::string road_file = fs::path(only_file(data, ".road")).filename().string();
    // Spill files of an import killed on a file system without unnamed
    // files are named after the store being written.
    const char *orphans[] = {"5.tiles", "5.tiles.part", "road7.road", "road7.road-journal", "1.tiles.part",
                             "5.tiles.part.spill0-0", "12.tiles.part.spill3-17"};
    std::string kept[] = {road_file, road_file + "-journal", "notes.txt", "05.tiles", "x.tiles", "road.road",
                          "5.tiles.bak", "5.tiles.part.spill", "5.tiles.part.spillx-1", "5.tiles.part.spill1-",
                          "5.tiles.spill0-0", "5.tiles.part.spill0-0.txt"};
    for (const char *name : orphans)
        write_bytes(data + "/" + name, "left behind");
    for (const std::string &name : kept)
        if (name != road_file)
            write_bytes(data + "/" + name, name == road_file + "-journal" ? "" : "the surveyor's");
    Workspace w;
    w.reopen(project);
    for (const char *name : orphans)
        EXPECT_FALSE(fs::exists(data + "/" + name)) << name;
    for (const std::string &name : kept)
        EXPECT_TRUE(fs::exists(data + "/" + name)) << name;
}

TEST(ProjectPaths, AnExistingProjectDeeperThanTheLimitIsRefusedAtOpen)
{
    TempDir dir;
    std::string folder = dir.path().string();
    while (folder.size() < VELMO_PROJECT_PATH_MAX)
        folder += "/" + std::string(60, 'd');
    fs::create_directories(folder);
    std::string moved = folder + "/p.qpj";
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    }
    fs::rename(dir.file("p.qpj"), moved);
    Workspace w;
    EXPECT_EQ(wks_open_project(w.wks, moved.c_str()), 0);
    EXPECT_NE(std::string(wks_last_message(w.wks)).find("at most"), std::string::npos);
}
