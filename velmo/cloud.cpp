// Point clouds of the workspace: import, opening, removal and tile reading.
#include "velmo.h"

#include "las_file.h"
#include "project_file.h"
#include "workspace_state.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace velmo {

namespace {

int compare_tiles(const void *a, const void *b)
{
    uint64_t ca = static_cast<const tile_t *>(a)->code, cb = static_cast<const tile_t *>(b)->code;
    return ca < cb ? -1 : ca > cb ? 1 : 0;
}

// The height colour ramp spans whole metres and never zero.
void set_height_scale(velmo_t *cloud)
{
    double span = cloud->box[5] - cloud->box[2];
    cloud->height_step = 1.0;
    cloud->step_count = span > 1.0 && std::isfinite(span) ? (int)std::ceil(span) : 1;
}

// Builds the tile records over a mapped store and publishes them.
bool publish_tiles(velmo_t *cloud, std::unique_ptr<TileStore> store)
{
    auto *state = cloud->state;
    std::vector<tile_t> tiles(store->tile_count());
    const tile_point_t *points = store->points();
    for (size_t i = 0; i < tiles.size(); i++) {
        const StoreTile &stored = store->tile(i);
        tile_t &tile = tiles[i];
        memcpy(tile.box, stored.box, sizeof tile.box);
        tile.code = stored.code;
        tile.point_count = stored.count;
        tile.first_point = (uint32_t)stored.first;
        void *base = const_cast<tile_point_t *>(points + stored.first);
        if (array_new_strided(stored.count ? base : nullptr, stored.count, sizeof(tile_point_t), &tile.entries) !=
            CC_OK)
            return false;
    }
    TreeTable *table = nullptr;
    if (treetable_new(compare_tiles, &table) != CC_OK)
        return false;
    state->tiles = std::move(tiles);
    for (tile_t &tile : state->tiles)
        treetable_add(table, &tile, &tile);
    memcpy(cloud->box, store->box(), sizeof cloud->box);
    __atomic_store_n(&state->point_count, uint64_t(store->point_count()), __ATOMIC_RELEASE);
    set_height_scale(cloud);
    state->store = std::move(store);
    // The GUI may be walking the clouds while a task opens this one: it
    // sees either no table or the whole of it.
    __atomic_store_n(&cloud->tiles, table, __ATOMIC_RELEASE);
    return true;
}

bool build_store(velmo_t *cloud, velmo_progress_callback_t progress)
{
    std::string error;
    auto las = LasFile::open(cloud->path, &error);
    if (!las) {
        report(progress, error.c_str());
        return false;
    }
    std::error_code ec;
    fs::create_directories(fs::path(cloud->state->store_path).parent_path(), ec);
    Progress forward = [progress](int total, int current, const char *message) {
        if (progress)
            progress(total, current, message);
    };
    if (!TileStore::build(*las, cloud->state->store_path, forward, &error)) {
        report(progress, error.c_str());
        return false;
    }
    return true;
}

// Maps the cloud's store, building it from the LAS file when it is missing
// or damaged.
bool open_or_build(velmo_t *cloud, velmo_progress_callback_t progress)
{
    std::string error;
    auto store = TileStore::open(cloud->state->store_path, &error);
    if (!store) {
        if (!build_store(cloud, progress))
            return false;
        store = TileStore::open(cloud->state->store_path, &error);
        if (!store) {
            report(progress, error.c_str());
            return false;
        }
    }
    return publish_tiles(cloud, std::move(store));
}

} // namespace

bool cloud_missing(const velmo_t *cloud)
{
    std::error_code las_ec, store_ec;
    return !fs::exists(cloud->path, las_ec) && !las_ec && !fs::exists(cloud->state->store_path, store_ec) &&
           !store_ec;
}

void mark_empty(velmo_t *cloud)
{
    __atomic_store_n(&cloud->state->point_count, uint64_t(0), __ATOMIC_RELEASE);
    for (double &value : cloud->box)
        value = 0.0;
    cloud->state->missing = true;
}

velmo_t *cloud_new(const char *las_path, int64_t id, const std::string &store_path)
{
    auto *cloud = static_cast<velmo_t *>(calloc(1, sizeof(velmo_t)));
    if (!cloud)
        return nullptr;
    copy_text(cloud->path, sizeof cloud->path, las_path);
    cloud->state = new (std::nothrow) velmo_cloud_state;
    if (!cloud->state) {
        free(cloud);
        return nullptr;
    }
    cloud->state->id = id;
    cloud->state->store_path = store_path;
    cloud->step_count = 1;
    cloud->height_step = 1.0;
    return cloud;
}

void cloud_free(velmo_t *cloud)
{
    if (!cloud)
        return;
    if (cloud->tiles)
        treetable_destroy(cloud->tiles);
    if (cloud->state) {
        for (tile_t &tile : cloud->state->tiles)
            if (tile.entries)
                array_destroy(tile.entries);
        delete cloud->state;
    }
    free(cloud);
}

} // namespace velmo

using namespace velmo;

extern "C" {

velmo_t *wks_import_velmo(wks_t *wks, const char *path, velmo_progress_callback_t progress)
{
    if (!wks || !wks->state || !wks->project) {
        report(progress, "No project is open.");
        return nullptr;
    }
    if (!path_ok(path)) {
        report(progress, path ? "The path is empty or too long." : "No file was given.");
        return nullptr;
    }
    int64_t id = wks->state->next_id;
    std::string store = (fs::path(wks->state->data_folder) / (std::to_string(id) + ".tiles")).string();
    velmo_t *cloud = cloud_new(fs::absolute(path).lexically_normal().c_str(), id, store);
    if (!cloud)
        return nullptr;
    if (!build_store(cloud, progress) || !open_or_build(cloud, progress)) {
        std::error_code ec;
        fs::remove(store, ec);
        cloud_free(cloud);
        return nullptr;
    }
    wks->state->next_id = id + 1;
    list_append(wks->clouds, cloud);
    workspace_update_extent(wks);
    return cloud;
}

int wks_remove_velmo(wks_t *wks, velmo_t *cloud)
{
    if (!wks || !wks->state || !cloud || !list_remove(wks->clouds, cloud))
        return 0;
    wks->state->removed_clouds.push_back(cloud);
    workspace_update_extent(wks);
    return 1;
}

void velmo_set_progress_callback(velmo_t *cloud, velmo_progress_callback_t progress)
{
    if (!cloud || !cloud->state)
        return;
    std::lock_guard<std::mutex> lock(cloud->state->open_mutex);
    cloud->progress = progress;
}

int velmo_open_file(velmo_t *cloud)
{
    if (!cloud || !cloud->state)
        return 0;
    std::lock_guard<std::mutex> lock(cloud->state->open_mutex);
    velmo_progress_callback_t progress = cloud->progress;
    cloud->progress = nullptr;
    if (cloud->tiles)
        return 1;
    if (open_or_build(cloud, progress))
        return 1;
    // Neither a store nor its LAS file: the cloud has no points to offer,
    // whatever the project file remembered.
    if (cloud_missing(cloud)) {
        report(progress, ("The point cloud is missing: neither \"" + std::string(cloud->path) + "\" nor its store \"" +
                          cloud->state->store_path + "\" exists.").c_str());
        mark_empty(cloud);
    }
    return 0;
}

int velmo_get_point_num(velmo_t *cloud)
{
    if (!cloud || !cloud->state)
        return 0;
    uint64_t count = __atomic_load_n(&cloud->state->point_count, __ATOMIC_ACQUIRE);
    return count > INT32_MAX ? INT32_MAX : (int)count;
}

int velmo_read_point_osg(velmo_t *cloud, tile_t *tile, tile_point_t *entry, velmo_point_t *point)
{
    (void)tile;
    if (!cloud || !entry || !point || !cloud->state || !cloud->state->store)
        return 0;
    cloud->state->store->decode(*entry, point);
    return 1;
}

int velmo_release_tile_points(velmo_t *cloud, tile_t *tile, size_t count)
{
    if (!cloud || !tile || !cloud->state || !cloud->state->store)
        return 0;
    count = std::min<size_t>(count, tile->point_count);
    if (count == 0)
        return 1;
    // A read of a file mapping maps the cached pages up to 64 KB around the
    // page it faults in, so the window given back reaches as far beyond the
    // points read, within the store's points.  Pages shared with a neighbour
    // tile cost it no more than a fault when it reads them next: a read-only
    // shared mapping drops nothing but this process's claim on them.
    const uintptr_t fault_around = 64 * 1024;
    static const uintptr_t page = (uintptr_t)sysconf(_SC_PAGESIZE);
    const TileStore &store = *cloud->state->store;
    const uintptr_t lowest = (uintptr_t)store.points() & ~(page - 1);
    const uintptr_t highest = ((uintptr_t)(store.points() + store.point_count()) + page - 1) & ~(page - 1);
    const tile_point_t *first = store.points() + tile->first_point;
    uintptr_t begin = std::max(lowest, (uintptr_t)first & ~(fault_around - 1));
    uintptr_t end = std::min(highest, ((uintptr_t)(first + count) + fault_around - 1) & ~(fault_around - 1));
    return begin >= end || madvise((void *)begin, end - begin, MADV_DONTNEED) == 0 ? 1 : 0;
}

} // extern "C"
