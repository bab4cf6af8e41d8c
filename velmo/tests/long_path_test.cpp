// Paths that the engine itself makes longer than a record holds: a relative
// path made absolute, a project's relative row resolved beside the moved
// project.  Cut short, such a path names another file.
#include "velmo.h"

#include "lasgen.h"
#include "project_files.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace project_test;

namespace {

std::string last_progress;

void remember(int, int, const char *message)
{
    last_progress = message ? message : "";
}

void write_cloud(const std::string &path, uint64_t points)
{
    lasgen::CorridorSpec spec;
    spec.points = points;
    spec.length = 40;
    spec.threads = 1;
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
}

// A folder of exactly `length` bytes inside base.
std::string folder_of_length(const std::string &base, size_t length)
{
    std::string folder = base;
    while (folder.size() + 101 < length)
        folder += "/" + std::string(100, 'd');
    folder += "/" + std::string(length - folder.size() - 1, 'e');
    fs::create_directories(folder);
    return folder;
}

// The test runs in a folder of its own and goes back where it was.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string &folder) : before_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

bool has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

// A relative path is short; made absolute it may not fit the record.  It is
// taken whole when it fits and refused by name when it does not, never
// cut short to the other file its first 1,023 bytes would name.
TEST(ProjectPaths, RelativePathsAreCheckedMadeAbsoluteAndNeverCut)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    const std::string folder = folder_of_length(dir.path().string(), 1000);
    CurrentFolder here(folder);

    struct Kind {
        const char *name, *extension;
        std::function<void(const std::string &path)> write;
        // Adds the file by its relative path: the record's path, or null.
        std::function<const char *(const std::string &relative)> add;
        std::function<std::string()> reason;
    } kinds[] = {
        {"cloud import", ".las", [](const std::string &path) { write_cloud(path, 3000); },
         [&](const std::string &relative) {
             velmo_t *cloud = wks_import_velmo(w.wks, relative.c_str(), remember);
             return cloud ? cloud->path : nullptr;
         },
         [] { return last_progress; }},
        {"road import", ".pm", [](const std::string &path) { write_alignment(path); },
         [&](const std::string &relative) {
             wks_road_t *road = wks_import_road(w.wks, relative.c_str(), 0);
             return road ? road->path : nullptr;
         },
         [&] { return std::string(wks_last_message(w.wks)); }},
        {"road creation", ".pm", [](const std::string &) {},
         [&](const std::string &relative) {
             wks_road_t *road = wks_create_road(w.wks, relative.c_str());
             return road ? road->path : nullptr;
         },
         [&] { return std::string(wks_last_message(w.wks)); }},
    };
    for (const Kind &kind : kinds)
        for (size_t length : {size_t(1023), size_t(1024), size_t(1027)}) {
            SCOPED_TRACE(std::string(kind.name) + ", " + std::to_string(length) + " bytes");
            const std::string relative =
                std::string(length - folder.size() - 1 - std::strlen(kind.extension), 'f') + kind.extension;
            const std::string absolute = folder + "/" + relative;
            ASSERT_EQ(absolute.size(), length);
            kind.write(relative); // the road library takes no longer path
            // The file a cut path would name.
            kind.write(absolute.substr(0, 1023));
            const char *kept = kind.add(relative);
            if (length < VELMO_PATH_SIZE) {
                ASSERT_NE(kept, nullptr) << kind.reason();
                EXPECT_EQ(std::string(kept), absolute);
            } else {
                EXPECT_EQ(kept, nullptr) << "kept as " << (kept ? kept : "");
                EXPECT_TRUE(has(kind.reason(), absolute) && has(kind.reason(), "too long")) << kind.reason();
            }
        }
    EXPECT_EQ(array_size(w.wks->clouds), 1u);
    EXPECT_EQ(array_size(w.wks->roads), 2u);
}

// A project moved deeper with its files: the paths its rows resolve to no
// longer fit.  It opens, says which files it cannot reach, shows the cloud
// from its store and the road from its road file, and saves the rows as it
// read them, so that moved back it finds every file again.
TEST(ProjectPaths, AProjectMovedDeeperSaysWhatItCannotReachAndKeepsItsRows)
{
    TempDir dir;
    const std::string home = dir.file("home"), deeper = dir.file(std::string(40, 'm')) + "/home";
    const std::string files = folder_of_length(home, 1000);
    const std::string las = files + "/c.las", pm = files + "/r.pm";
    write_cloud(las, 3000);
    write_alignment(pm);
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, (home + "/p.qpj").c_str()), 0);
        ASSERT_NE(wks_import_velmo(w.wks, las.c_str(), nullptr), nullptr);
        ASSERT_NE(wks_import_road(w.wks, pm.c_str(), 0), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0);
    }
    fs::create_directories(fs::path(deeper).parent_path());
    fs::rename(home, deeper);
    {
        Workspace w;
        w.reopen(deeper + "/p.qpj");
        const std::string message = wks_last_message(w.wks);
        for (const std::string &file : {las, pm}) {
            const std::string moved = deeper + file.substr(home.size());
            EXPECT_GT(moved.size(), 1023u);
            EXPECT_TRUE(has(message, "cannot reach") && has(message, moved)) << message;
        }
        velmo_t *cloud = item<velmo_t>(w.wks->clouds, 0);
        wks_road_t *road = item<wks_road_t>(w.wks->roads, 0);
        EXPECT_EQ(std::string(cloud->path), las) << "the row's own path, not one cut short";
        EXPECT_EQ(std::string(road->path), pm);
        EXPECT_NE(velmo_open_file(cloud), 0);
        EXPECT_EQ(velmo_get_point_num(cloud), 3000);
        EXPECT_NE(road_open_file(road, road->path, road->format), 0);
        EXPECT_EQ(road_number_horizon(&road->road), 2);
        ASSERT_NE(wks_export_project(w.wks), 0) << wks_last_message(w.wks);
    }
    fs::rename(deeper, home);
    Workspace w;
    w.reopen(home + "/p.qpj");
    EXPECT_STREQ(wks_last_message(w.wks), "");
    EXPECT_EQ(std::string(item<velmo_t>(w.wks->clouds, 0)->path), las);
    EXPECT_EQ(std::string(item<wks_road_t>(w.wks->roads, 0)->path), pm);
}
