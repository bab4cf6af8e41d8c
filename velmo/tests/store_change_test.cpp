// A cloud's tile store changed on disk by another program while the project
// is open (a sync tool, a backup, a user), and a store that is not its
// cloud's at the next open.
#include "cloud_tiles.h"
#include "velmo.h"

#include "lasgen.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string corridor(const TempDir &dir, const std::string &name, uint64_t points, double east,
                     const std::function<void(lasgen::CorridorSpec *)> &shape = nullptr)
{
    lasgen::CorridorSpec spec;
    spec.points = points;
    spec.length = 80;
    spec.start_east = east;
    spec.threads = 1;
    if (shape)
        shape(&spec);
    std::string path = dir.file(name), error;
    EXPECT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
    return path;
}

bool contains(const char *text, const std::string &part)
{
    return std::string(text ? text : "").find(part) != std::string::npos;
}

// A vertical section across the middle of a cloud.
section_t *section_across(wks_t *wks, const velmo_t *cloud, const char *name)
{
    const double centre[3] = {(cloud->box[0] + cloud->box[3]) / 2, (cloud->box[1] + cloud->box[4]) / 2, 0};
    const double normal[3] = {1, 0, 0}, up[3] = {0, 0, 1}, thickness[2] = {-0.5, 0.5}, width[2] = {-60, 60};
    return wks_add_custom_section(wks, name, centre, normal, up, thickness, width);
}

// Writes bytes over a file in place, as a copy onto it does: the same file,
// which a mapping of it sees.
void overwrite(const std::string &path, const std::string &bytes)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

// Checks made in a child process: each failed one is written to stderr,
// and the child's exit code says whether any failed.
struct ChildChecks {
    int failed = 0;
    void expect(bool ok, const std::string &what)
    {
        if (!ok) {
            std::fprintf(stderr, "failed: %s\n", what.c_str());
            failed++;
        }
    }
};

struct StoreChange {
    const char *name;
    std::function<void(const std::string &store, const std::string &other_store)> apply;
};

struct StoreRead {
    const char *name;
    // Reads the changed cloud as a caller would; whether the read failed.
    std::function<bool(wks_t *, velmo_t *, section_t *)> fails;
};

// A project of two clouds whose first cloud's store is changed under it,
// then read: the read fails with a message naming the cloud, the other
// cloud still computes, the project still saves, and a reopen reads the
// first cloud whole again.
void read_after_change(const std::string &folder, const StoreChange &change, const StoreRead &read)
{
    ChildChecks check;
    const std::string project = folder + "/p.qpj";
    Workspace w;
    check.expect(wks_create_project(w.wks, 0, project.c_str()) != 0, "create");
    velmo_t *a = wks_import_velmo(w.wks, (folder + "/a.las").c_str(), nullptr);
    velmo_t *b = wks_import_velmo(w.wks, (folder + "/b.las").c_str(), nullptr);
    if (!a || !b) {
        std::fprintf(stderr, "failed: import\n");
        _exit(1);
    }
    section_t *across_a = section_across(w.wks, a, "A");
    section_t *across_b = section_across(w.wks, b, "B");
    check.expect(wks_export_project(w.wks) != 0, "first save");
    check.expect(wks_cal_section(w.wks, across_a, nullptr) != 0, "section before the change");
    const size_t shown = array_size(across_a->points);
    check.expect(shown > 0, "section points before the change");

    change.apply(folder + "/p.data/1.tiles", folder + "/p.data/2.tiles");
    check.expect(read.fails(w.wks, a, across_a), "the read of the changed store fails");
    check.expect(contains(velmo_last_message(a), "a.las") && contains(velmo_last_message(a), "Reopen the project"),
                 std::string("the cloud says why: ") + velmo_last_message(a));
    check.expect(array_size(across_a->points) == shown, "the section keeps what it showed");
    check.expect(wks_cal_section(w.wks, across_b, nullptr) != 0 && array_size(across_b->points) > 0,
                 "the other cloud's section computes");
    check.expect(std::string(velmo_last_message(b)).empty(), "the other cloud has nothing to say");
    check.expect(wks_export_project(w.wks) != 0, std::string("save after the change: ") + wks_last_message(w.wks));

    w.close();
    w.open_empty();
    check.expect(wks_open_project(w.wks, project.c_str()) != 0, "reopen");
    velmo_t *reopened = item<velmo_t>(w.wks->clouds, 0);
    check.expect(reopened && velmo_open_file(reopened) != 0 && velmo_get_point_num(reopened) == 20000,
                 "the reopened cloud is whole");
    section_t *again = item<section_t>(w.wks->custom_sections, 0);
    check.expect(again && wks_cal_section(w.wks, again, nullptr) != 0 && array_size(again->points) == shown,
                 "the reopened section shows what it showed");
    w.close();
    _exit(check.failed ? 1 : 0);
}

} // namespace

// No read goes past the file's end (which kills the process), a store
// written over in place is not taken for the cloud's, and the failure is
// told, not taken for an empty cloud.
TEST(StoreChange, ReadsOfAStoreChangedUnderTheProjectFailWithAMessageAndTheProjectGoesOn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir dir;
    corridor(dir, "a.las", 20000, 500000);
    corridor(dir, "b.las", 3000, 501000);
    const StoreChange changes[] = {
        // At a page's end: the rest of a page cut inside reads as zeros.
        {"cut to half", [](const std::string &store, const std::string &) {
             fs::resize_file(store, fs::file_size(store) / 2 / 4096 * 4096);
         }},
        {"cut to nothing", [](const std::string &store, const std::string &) { fs::resize_file(store, 0); }},
        {"zeroed", [](const std::string &store, const std::string &) {
             overwrite(store, std::string(size_t(fs::file_size(store)), '\0'));
         }},
        {"replaced by another cloud's", [](const std::string &store, const std::string &other) {
             overwrite(store, read_bytes(other));
         }},
    };
    const StoreRead reads[] = {
        {"section", [](wks_t *wks, velmo_t *, section_t *section) {
             return wks_cal_section(wks, section, nullptr) == 0 && contains(section_last_message(section), "a.las") &&
                    contains(section_last_message(section), "Reopen the project");
         }},
        {"tile", [](wks_t *, velmo_t *cloud, section_t *) {
             bool failed = true;
             for (tile_t *tile : tiles_of(cloud)) {
                 std::vector<tile_point_t> points(tile->point_count);
                 failed = velmo_read_tile_points(cloud, tile, 0, points.size(), points.data()) == 0 && failed;
             }
             return failed;
         }},
        {"release", [](wks_t *, velmo_t *cloud, section_t *) {
             return velmo_release_tile_points(cloud, tiles_of(cloud).front(), SIZE_MAX) == 0;
         }},
    };
    for (const StoreChange &change : changes)
        for (const StoreRead &read : reads) {
            SCOPED_TRACE(std::string(change.name) + ", " + read.name);
            EXPECT_EXIT(read_after_change(dir.path().string(), change, read), ::testing::ExitedWithCode(0), "");
            fs::remove_all(dir.file("p.data"));
            fs::remove(dir.file("p.qpj"));
        }
}

// A store that is not made from its cloud's LAS file (another cloud's copied
// over it, or one of the file before it changed) would show other points as
// the cloud's: it is rebuilt, with a message.  The cloud's own store is
// taken as it is.
TEST(StoreChange, AStoreNotMadeFromItsLasFileIsRebuiltAtOpenWithAMessage)
{
    TempDir dir;
    const std::string project = dir.file("p.qpj");
    struct Case {
        const char *name;
        std::string other_las; // whose store is put in place of the cloud's; empty: none
    } cases[] = {
        {"its own", ""},
        {"another cloud's", corridor(dir, "fewer.las", 3000, 500000)},
        // From the same start, so of the same offsets, but along another way.
        {"one of as many points elsewhere",
         corridor(dir, "elsewhere.las", 20000, 500000, [](lasgen::CorridorSpec *s) { s->start_azimuth = 2.5; })},
        {"one of the same points at another scale",
         corridor(dir, "scaled.las", 20000, 500000, [](lasgen::CorridorSpec *s) { s->scale = 0.0005; })},
    };
    std::string own, own_store = dir.file("p.data/1.tiles");
    double own_box[6];
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        velmo_t *cloud = wks_import_velmo(w.wks, corridor(dir, "a.las", 20000, 500000).c_str(), nullptr);
        ASSERT_NE(cloud, nullptr);
        std::copy(cloud->box, cloud->box + 6, own_box);
        for (const Case &c : cases)
            if (!c.other_las.empty())
                ASSERT_NE(wks_import_velmo(w.wks, c.other_las.c_str(), nullptr), nullptr) << c.name;
        ASSERT_NE(wks_export_project(w.wks), 0);
        own = read_bytes(own_store);
    }
    for (size_t i = 0; i < std::size(cases); i++) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.name);
        if (!c.other_las.empty())
            write_bytes(own_store, read_bytes(dir.file("p.data/" + std::to_string(i + 1) + ".tiles")));
        Workspace w;
        w.reopen(project);
        velmo_t *cloud = item<velmo_t>(w.wks->clouds, 0);
        ASSERT_NE(velmo_open_file(cloud), 0);
        EXPECT_EQ(velmo_get_point_num(cloud), 20000);
        for (int k = 0; k < 6; k++)
            EXPECT_EQ(cloud->box[k], own_box[k]) << k;
        const std::string message = velmo_last_message(cloud);
        if (c.other_las.empty()) {
            EXPECT_EQ(message, "");
        } else {
            EXPECT_NE(message.find("not the one of the point cloud"), std::string::npos) << message;
            EXPECT_NE(message.find("a.las"), std::string::npos) << message;
            EXPECT_NE(message.find("rebuilt"), std::string::npos) << message;
        }
        w.close();
        EXPECT_TRUE(read_bytes(own_store) == own) << "the cloud's own store, rebuilt";
    }
}
