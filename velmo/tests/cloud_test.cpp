#include "cloud_tiles.h"
#include "velmo.h"

#include "lasgen.h"
#include "tile_format.h"
#include "las_samples.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::mutex messages_mutex;
std::vector<std::string> messages;

void remember(int, int, const char *message)
{
    std::lock_guard<std::mutex> lock(messages_mutex);
    messages.push_back(message ? message : "");
}

std::string last_message()
{
    std::lock_guard<std::mutex> lock(messages_mutex);
    return messages.empty() ? std::string() : messages.back();
}


// Decodes every point of a cloud at level 3 and checks each lies in its tile.
uint64_t decode_all(velmo_t *cloud)
{
    uint64_t count = 0;
    for (tile_t *tile : tiles_of(cloud)) {
        for (size_t i = 0; i < array_size(tile->entries); i++) {
            void *entry = nullptr;
            array_get_at(tile->entries, i, &entry);
            velmo_point_t p;
            memset(&p, 0, sizeof p);
            if (!velmo_read_point_osg(cloud, tile, static_cast<tile_point_t *>(entry), &p))
                return 0;
            if (p.x < tile->box[0] - 1e-6 || p.x > tile->box[3] + 1e-6 || p.z < tile->box[2] - 1e-6 ||
                p.z > tile->box[5] + 1e-6)
                return 0;
            count++;
        }
    }
    return count;
}

std::string corridor(const TempDir &dir, const std::string &name, uint64_t points, double east = 500000.0)
{
    lasgen::CorridorSpec spec;
    spec.points = points;
    spec.start_east = east;
    spec.length = 120;
    std::string path = dir.file(name), error;
    EXPECT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
    return path;
}

// Header count and box read straight from the file, independently of the engine.
struct HeaderFacts {
    uint64_t count = 0;
    double box[6] = {0};
};

HeaderFacts read_header(const std::string &path)
{
    std::string bytes = read_bytes(path);
    HeaderFacts facts;
    auto at = [&](size_t offset, void *out, size_t size) { memcpy(out, bytes.data() + offset, size); };
    uint32_t legacy = 0;
    at(107, &legacy, 4);
    facts.count = legacy;
    double max_x, min_x, max_y, min_y, max_z, min_z;
    at(179, &max_x, 8);
    at(187, &min_x, 8);
    at(195, &max_y, 8);
    at(203, &min_y, 8);
    at(211, &max_z, 8);
    at(219, &min_z, 8);
    double box[6] = {min_x, min_y, min_z, max_x, max_y, max_z};
    memcpy(facts.box, box, sizeof box);
    if (bytes[25] >= 4 && legacy == 0)
        at(247, &facts.count, 8);
    return facts;
}

TEST(CloudImport, EveryRealSampleImportsWithItsHeaderCountAndBox)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("samples.qpj").c_str()), 0);
    int imported = 0;
    for (const fs::path &sample_path : las_samples()) {
        SCOPED_TRACE(sample_path.filename().string());
        HeaderFacts facts = read_header(sample_path.string());
        velmo_t *cloud = wks_import_velmo(w.wks, sample_path.c_str(), remember);
        ASSERT_NE(cloud, nullptr) << last_message();
        EXPECT_EQ((uint64_t)velmo_get_point_num(cloud), facts.count);
        for (int k = 0; k < 3; k++) {
            EXPECT_GE(cloud->box[k], facts.box[k] - 0.01);
            EXPECT_LE(cloud->box[3 + k], facts.box[3 + k] + 0.01);
        }
        EXPECT_EQ(decode_all(cloud), facts.count);
        // Colours are 0-255 and not all black where the file has colour.
        int brightest = 0;
        for (tile_t *tile : tiles_of(cloud)) {
            for (size_t i = 0; i < array_size(tile->entries); i++) {
                void *e = nullptr;
                array_get_at(tile->entries, i, &e);
                velmo_point_t p{};
                velmo_read_point_osg(cloud, tile, static_cast<tile_point_t *>(e), &p);
                EXPECT_LE(p.red, 255);
                EXPECT_LE(p.intensity, 255);
                brightest = std::max<int>(brightest, p.red + p.green + p.blue);
            }
        }
        if (sample_path.filename() == "1.2-with-color.las" || sample_path.filename() == "simple1_4.las") {
            EXPECT_GT(brightest, 0);
        }
        imported++;
    }
    EXPECT_EQ(imported, 4);
    EXPECT_EQ(array_size(w.wks->clouds), 4u);
    EXPECT_LT(w.wks->base_elevation, 1e300);
}

TEST(CloudProject, TwoCloudsAndTwoRoadsSurviveCloseAndReopen)
{
    TempDir dir;
    std::string project = dir.file("corridor.qpj");
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    velmo_t *a = wks_import_velmo(w.wks, corridor(dir, "a.las", 60000).c_str(), remember);
    velmo_t *b = wks_import_velmo(w.wks, corridor(dir, "b.las", 40000, 500300).c_str(), remember);
    ASSERT_TRUE(a && b) << last_message();
    road_t road;
    road_init(&road);
    lasgen::CorridorSpec spec;
    lasgen::build_alignment(spec, &road);
    road_apply_horizon(&road);
    ASSERT_EQ(road_export_haidi(&road, dir.file("one.pm").c_str()), 0);
    ASSERT_EQ(road_export_weidi(&road, dir.file("two.pm").c_str()), 0);
    road_final(&road);
    ASSERT_NE(wks_import_road(w.wks, dir.file("one.pm").c_str(), 0), nullptr);
    ASSERT_NE(wks_import_road(w.wks, dir.file("two.pm").c_str(), 1), nullptr);
    ASSERT_NE(wks_export_project(w.wks), 0);
    std::vector<uint64_t> codes;
    for (tile_t *t : tiles_of(a))
        codes.push_back(t->code * 1000003 + t->point_count);
    double box_b[6];
    memcpy(box_b, b->box, sizeof box_b);
    double base = w.wks->base_elevation;

    w.reopen(project);
    ASSERT_EQ(array_size(w.wks->clouds), 2u);
    ASSERT_EQ(array_size(w.wks->roads), 2u);
    EXPECT_DOUBLE_EQ(w.wks->base_elevation, base) << "known before the clouds open";
    velmo_t *ra = item<velmo_t>(w.wks->clouds, 0), *rb = item<velmo_t>(w.wks->clouds, 1);
    EXPECT_EQ(fs::path(ra->path).filename(), "a.las");
    EXPECT_EQ(velmo_get_point_num(rb), 40000);
    for (velmo_t *cloud : {ra, rb}) {
        velmo_set_progress_callback(cloud, remember);
        ASSERT_NE(velmo_open_file(cloud), 0);
        EXPECT_EQ(cloud->progress, nullptr) << "the callback does not outlive the call";
    }
    std::vector<uint64_t> reopened;
    for (tile_t *t : tiles_of(ra))
        reopened.push_back(t->code * 1000003 + t->point_count);
    EXPECT_EQ(reopened, codes);
    for (int k = 0; k < 6; k++)
        EXPECT_DOUBLE_EQ(rb->box[k], box_b[k]);
    EXPECT_EQ(decode_all(ra), 60000u);
    for (size_t i = 0; i < 2; i++) {
        wks_road_t *r = item<wks_road_t>(w.wks->roads, i);
        ASSERT_NE(road_open_file(r, r->path, r->format), 0);
        EXPECT_EQ(road_number_horizon(&r->road), 2);
        EXPECT_EQ(r->format, (int)i);
    }
}

TEST(CloudProject, RemovalKeepsOtherCloudsAndTheRemovedTilesReadable)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    velmo_t *a = wks_import_velmo(w.wks, corridor(dir, "a.las", 30000).c_str(), remember);
    velmo_t *b = wks_import_velmo(w.wks, corridor(dir, "b.las", 20000, 501000).c_str(), remember);
    ASSERT_TRUE(a && b);
    ASSERT_NE(wks_remove_velmo(w.wks, a), 0);
    EXPECT_EQ(wks_remove_velmo(w.wks, a), 0);
    ASSERT_EQ(array_size(w.wks->clouds), 1u);
    EXPECT_EQ(item<velmo_t>(w.wks->clouds, 0), b);
    EXPECT_EQ(decode_all(a), 30000u) << "a pager may still read the removed cloud";
    EXPECT_EQ(decode_all(b), 20000u);
    EXPECT_NEAR(w.wks->center_x, (b->box[0] + b->box[3]) / 2, 1e-9) << "the extent follows the removal";
    ASSERT_NE(wks_export_project(w.wks), 0);
    w.reopen(project);
    ASSERT_EQ(array_size(w.wks->clouds), 1u);
    EXPECT_EQ(fs::path(item<velmo_t>(w.wks->clouds, 0)->path).filename(), "b.las");
    EXPECT_FALSE(fs::exists(dir.file("p.data/1.tiles"))) << "the removed store went with the old workspace";
}

// A damaged store, and one an older version wrote (a layout without the
// cell index the sections read), are rebuilt from the LAS file.
TEST(CloudProject, ADamagedOrOlderTileStoreIsRebuiltFromItsLasFile)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    ASSERT_NE(wks_import_velmo(w.wks, corridor(dir, "a.las", 25000).c_str(), remember), nullptr);
    ASSERT_NE(wks_export_project(w.wks), 0);
    w.close();
    std::string store = dir.file("p.data/1.tiles");
    const std::string good = read_bytes(store);
    ASSERT_GT(good.size(), 200u);
    std::string damaged = good;
    for (size_t i = 20; i < 200; i++)
        damaged[i] = (char)~damaged[i];
    std::string older = good;
    velmo::tile_format::Header header;
    std::memcpy(&header, older.data(), sizeof header);
    header.version = 2;
    header.index_offset = header.index_count = 0;
    std::memcpy(&older[0], &header, sizeof header);
    for (const auto &[name, bytes] : {std::make_pair("damaged", damaged.substr(0, damaged.size() / 2)),
                                      std::make_pair("older", older)}) {
        SCOPED_TRACE(name);
        write_bytes(store, bytes);
        w.open_empty();
        ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0);
        velmo_t *cloud = item<velmo_t>(w.wks->clouds, 0);
        ASSERT_NE(velmo_open_file(cloud), 0);
        EXPECT_EQ(decode_all(cloud), 25000u);
        w.close();
        EXPECT_EQ(read_bytes(store), good);
    }

    // Without its LAS file the cloud stays empty and the project still opens.
    fs::remove(store);
    fs::remove(dir.file("a.las"));
    w.open_empty();
    ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0);
    velmo_t *cloud = item<velmo_t>(w.wks->clouds, 0);
    EXPECT_EQ(velmo_open_file(cloud), 0);
    EXPECT_EQ(cloud->tiles, nullptr);
}

TEST(CloudImport, BadFilesAreRefusedWithAMessageAndChangeNothing)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    std::string good = corridor(dir, "good.las", 5000);
    std::string las = read_bytes(good);
    write_bytes(dir.file("text.las"), "this is no point cloud\n");
    write_bytes(dir.file("empty.las"), "");
    write_bytes(dir.file("truncated.las"), las.substr(0, las.size() - 1000));
    std::string laz = las;
    laz[104] = (char)(laz[104] | 0x80);
    write_bytes(dir.file("compressed.laz"), laz);
    std::string lying = las;
    uint32_t huge = 4000000000u;
    memcpy(&lying[107], &huge, 4);
    write_bytes(dir.file("lying.las"), lying);
    std::string offset = las;
    uint32_t far = (uint32_t)las.size() + 10;
    memcpy(&offset[96], &far, 4);
    write_bytes(dir.file("offset.las"), offset);
    std::string before = read_bytes(project);

    struct Case {
        std::string path, message;
    } cases[] = {
        {dir.file("text.las"), "Not a LAS file"},     {dir.file("empty.las"), "Not a LAS file"},
        {dir.file("truncated.las"), "truncated"},     {dir.file("compressed.laz"), "LAZ"},
        {dir.file("lying.las"), ""},                  {dir.file("offset.las"), ""},
        {dir.file("missing.las"), "Cannot open"},     {std::string(1100, 'x'), "too long"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.substr(0, 60));
        messages.clear();
        EXPECT_EQ(wks_import_velmo(w.wks, c.path.c_str(), remember), nullptr);
        EXPECT_NE(last_message().find(c.message), std::string::npos) << last_message();
        EXPECT_FALSE(last_message().empty());
    }
    EXPECT_EQ(wks_import_velmo(w.wks, nullptr, nullptr), nullptr);
    EXPECT_EQ(array_size(w.wks->clouds), 0u);
    EXPECT_EQ(w.wks->base_elevation, 0.0);
    EXPECT_EQ(read_bytes(project), before);
    EXPECT_TRUE(fs::is_empty(dir.file("p.data"))) << "no store is left behind";
    EXPECT_EQ(velmo_read_point_number(dir.file("text.las").c_str(), nullptr), 0);
}

// Pagers read one cloud's tiles on several threads while another imports.
TEST(CloudConcurrency, TilesStayReadableWhileAnotherCloudImports)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    velmo_t *a = wks_import_velmo(w.wks, corridor(dir, "a.las", 80000).c_str(), nullptr);
    ASSERT_NE(a, nullptr);
    std::string second = corridor(dir, "b.las", 150000, 502000);
    std::atomic<bool> importing{true};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 8; t++) {
        readers.emplace_back([&] {
            do {
                if (decode_all(a) != 80000u)
                    bad++;
                // The list grows under the readers' feet.
                for (size_t i = 0; i < array_size(w.wks->clouds); i++)
                    if (!item<velmo_t>(w.wks->clouds, i))
                        bad++;
            } while (importing.load());
        });
    }
    velmo_t *b = wks_import_velmo(w.wks, second.c_str(), nullptr);
    importing = false;
    for (auto &r : readers)
        r.join();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(decode_all(b), 150000u);
}

// Several pagers open a reloaded cloud at once while the GUI sets its
// progress callback.
TEST(CloudConcurrency, OpeningOnManyThreadsWhileTheCallbackIsSet)
{
    TempDir dir;
    std::string project = dir.file("p.qpj");
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    ASSERT_NE(wks_import_velmo(w.wks, corridor(dir, "a.las", 20000).c_str(), nullptr), nullptr);
    ASSERT_NE(wks_export_project(w.wks), 0);
    w.reopen(project);
    velmo_t *cloud = item<velmo_t>(w.wks->clouds, 0);
    std::atomic<int> opened{0};
    std::vector<std::thread> pagers;
    for (int t = 0; t < 6; t++)
        pagers.emplace_back([&] {
            for (int i = 0; i < 50; i++)
                opened += velmo_open_file(cloud);
        });
    for (int i = 0; i < 300; i++)
        velmo_set_progress_callback(cloud, remember);
    for (auto &p : pagers)
        p.join();
    EXPECT_EQ(opened.load(), 300);
    EXPECT_EQ(velmo_get_point_num(cloud), 20000);
}

// The 3-D view asks for the centre, and draws roads and sections at the base
// elevation, while a worker's import moves both.
TEST(CloudConcurrency, TheCentreIsReadWhileAnImportMovesIt)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("p.qpj").c_str()), 0);
    std::string las = corridor(dir, "a.las", 20000);
    std::atomic<bool> importing{true};
    std::thread viewer([&] {
        double centre[3];
        while (importing.load()) {
            wks_get_center(w.wks, centre);
            wks_get_base_elevation(w.wks);
        }
    });
    velmo_t *cloud = wks_import_velmo(w.wks, las.c_str(), nullptr);
    for (int i = 0; i < 200; i++)
        wks_update_bounding_box(w.wks);
    importing = false;
    viewer.join();
    ASSERT_NE(cloud, nullptr);
    double centre[3];
    wks_get_center(w.wks, centre);
    EXPECT_DOUBLE_EQ(centre[0], (cloud->box[0] + cloud->box[3]) / 2);
    EXPECT_DOUBLE_EQ(wks_get_base_elevation(w.wks), cloud->box[2]);
}

TEST(CloudFiles, ACloudWhoseFileAndStoreAreGoneIsEmptyAndMissing)
{
    TempDir dir;
    std::string project = dir.file("p.qpj"), las = corridor(dir, "a.las", 20000);
    std::string store;
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        ASSERT_NE(wks_import_velmo(w.wks, las.c_str(), nullptr), nullptr);
        ASSERT_NE(wks_export_project(w.wks), 0);
        store = fs::directory_iterator(dir.file("p.data"))->path().string();
    }
    fs::remove(las);
    fs::remove(store);
    Workspace w;
    w.reopen(project);
    ASSERT_EQ(array_size(w.wks->clouds), 1u) << "kept, so that the surveyor can remove it";
    velmo_t *cloud = item<velmo_t>(w.wks->clouds, 0);
    EXPECT_EQ(velmo_get_point_num(cloud), 0);
    EXPECT_EQ(cloud->box[3], 0.0);
    EXPECT_EQ(w.wks->center_x, 0.0) << "the missing cloud does not stretch the workspace";
    velmo_set_progress_callback(cloud, remember);
    EXPECT_EQ(velmo_open_file(cloud), 0);
    EXPECT_NE(last_message().find("missing"), std::string::npos) << last_message();
}

} // namespace
