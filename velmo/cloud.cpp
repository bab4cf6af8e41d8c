// Point clouds of the workspace: import, opening, removal and tile reading.
#include "velmo.h"

#include "las_file.h"
#include "project_file.h"
#include "workspace_state.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

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

// Whether every sampled point of the LAS file lies in the store's box: the
// box is made from the same integers with the same arithmetic.
bool las_points_inside(const TileStore &store, const LasFile &las)
{
    const uint64_t count = las.point_count();
    const LasHeader &h = las.header();
    const double *box = store.box();
    const uint64_t samples = std::min<uint64_t>(count, 16);
    std::vector<uint8_t> record(h.record_length);
    for (uint64_t i = 0; i < samples; i++) {
        LasPoint p;
        if (!las.read_records(samples > 1 ? i * (count - 1) / (samples - 1) : 0, 1, record.data()))
            return true; // the LAS file tells nothing; the store stays
        las.decode(record.data(), &p);
        const double world[3] = {double(p.X) * h.scale[0] + h.offset[0], double(p.Y) * h.scale[1] + h.offset[1],
                                 double(p.Z) * h.scale[2] + h.offset[2]};
        for (int k = 0; k < 3; k++) {
            const double slack = 1e-9 * (1 + std::fabs(world[k]));
            if (!(world[k] >= box[k] - slack && world[k] <= box[k + 3] + slack))
                return false;
        }
    }
    return true;
}

// Why a store is not the one made from the cloud's LAS file as it is now
// (another cloud's store copied over it, or a LAS file changed since): ""
// when it is, or when the LAS file cannot be read to tell.
std::string foreign_store(const TileStore &store, const velmo_t *cloud)
{
    std::string error;
    auto las = LasFile::open(cloud->path, &error);
    if (!las)
        return std::string();
    const LasHeader &h = las->header();
    std::string why;
    if (store.point_count() != h.point_count)
        why = "it holds " + std::to_string(store.point_count()) + " points where the LAS file has " +
              std::to_string(h.point_count);
    for (int k = 0; k < 3 && why.empty(); k++)
        if (store.scale()[k] != h.scale[k] || store.offset()[k] != h.offset[k])
            why = "it was made from a file of other scales or offsets";
    if (why.empty() && !las_points_inside(store, *las))
        why = "it lies elsewhere than the points of the LAS file";
    if (why.empty())
        return why;
    return "The tile store \"" + cloud->state->store_path + "\" is not the one of the point cloud \"" +
           std::string(cloud->path) + "\": " + why + ". It is rebuilt from the LAS file.";
}

// Maps the cloud's store, building it from the LAS file when it is missing,
// damaged or, with verify, made from another file.
bool open_or_build(velmo_t *cloud, velmo_progress_callback_t progress, bool verify)
{
    std::string error;
    auto store = TileStore::open(cloud->state->store_path, &error);
    if (store && verify) {
        const std::string foreign = foreign_store(*store, cloud);
        if (!foreign.empty()) {
            set_cloud_message(cloud, foreign);
            report(progress, foreign.c_str());
            store.reset();
        }
    }
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

// The tile's index in the cloud's published tiles; false for a tile of
// another cloud or none.
bool tile_index(const velmo_t *cloud, const tile_t *tile, size_t *index)
{
    const std::vector<tile_t> &tiles = cloud->state->tiles;
    if (!tile || tiles.empty() || tile < tiles.data() || tile >= tiles.data() + tiles.size())
        return false;
    *index = size_t(tile - tiles.data());
    return true;
}

} // namespace

bool cloud_missing(const velmo_t *cloud)
{
    std::error_code las_ec, store_ec;
    return !fs::exists(cloud->path, las_ec) && !las_ec && !fs::exists(cloud->state->store_path, store_ec) &&
           !store_ec;
}

void set_cloud_message(velmo_t *cloud, const std::string &text)
{
    velmo_cloud_state *state = cloud->state;
    std::lock_guard<std::mutex> lock(state->message_lock);
    state->messages.push_back(text);
    state->message.store(state->messages.back().c_str(), std::memory_order_release);
}

// The first reader to find the store changed says so, once.
std::string cloud_store_unreadable(const velmo_t *cloud)
{
    velmo_cloud_state *state = cloud->state;
    const std::string name = "\"" + std::string(cloud->path) + "\"";
    if (state->store && state->store->unchanged())
        return "The tile store of the point cloud " + name + " cannot be read (" + state->store_path + ").";
    const std::string lost = "The tile store of the point cloud " + name +
                             " was changed on disk by another program while the project was open; its points "
                             "cannot be read. Reopen the project to read them again.";
    if (!state->store_lost.exchange(true))
        set_cloud_message(const_cast<velmo_t *>(cloud), lost);
    return lost;
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
    if (!copy_path(cloud->path, las_path)) {
        free(cloud);
        return nullptr;
    }
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
    std::string absolute, why;
    if (!record_path(path, &absolute, &why)) {
        report(progress, why.c_str());
        return nullptr;
    }
    int64_t id = wks->state->next_id;
    std::string store = (fs::path(wks->state->data_folder) / (std::to_string(id) + ".tiles")).string();
    velmo_t *cloud = cloud_new(absolute.c_str(), id, store);
    if (!cloud)
        return nullptr;
    if (!build_store(cloud, progress) || !open_or_build(cloud, progress, false)) {
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
    if (open_or_build(cloud, progress, true))
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
    const TileStore &store = *cloud->state->store;
    // An entry of the mapping is not read once the store is known changed;
    // copies (velmo_read_tile_points) are.
    const bool mapped = entry >= store.points() && entry < store.points() + store.point_count();
    if (mapped && cloud->state->store_lost.load(std::memory_order_relaxed))
        return 0;
    store.decode(*entry, point);
    return 1;
}

size_t velmo_read_tile_points(velmo_t *cloud, tile_t *tile, size_t first, size_t count, tile_point_t *out)
{
    size_t index = 0;
    if (!cloud || !cloud->state || !cloud->state->store || !out || !tile_index(cloud, tile, &index))
        return 0;
    const TileStore &store = *cloud->state->store;
    const StoreTile &stored = store.tile(index);
    if (first >= stored.count)
        return 0;
    const uint32_t n = uint32_t(std::min<size_t>(count, stored.count - first));
    if (!store.unchanged() || !store.copy_points(stored.first + first, n, out)) {
        cloud_store_unreadable(cloud);
        return 0;
    }
    return n;
}

int velmo_release_tile_points(velmo_t *cloud, tile_t *tile, size_t count)
{
    if (!cloud || !tile || !cloud->state || !cloud->state->store)
        return 0;
    count = std::min<size_t>(count, tile->point_count);
    if (count == 0)
        return 1;
    const TileStore &store = *cloud->state->store;
    if (!store.unchanged()) {
        cloud_store_unreadable(cloud);
        return 0;
    }
    // A read of a file mapping maps the cached pages up to 64 KB around the
    // page it faults in, so the window given back reaches as far beyond the
    // points read, within the store's points.  Pages shared with a neighbour
    // tile cost it no more than a fault when it reads them next: a read-only
    // shared mapping drops nothing but this process's claim on them.
    const uintptr_t fault_around = 64 * 1024;
    static const uintptr_t page = (uintptr_t)sysconf(_SC_PAGESIZE);
    const uintptr_t lowest = (uintptr_t)store.points() & ~(page - 1);
    const uintptr_t highest = ((uintptr_t)(store.points() + store.point_count()) + page - 1) & ~(page - 1);
    const tile_point_t *first = store.points() + tile->first_point;
    uintptr_t begin = std::max(lowest, (uintptr_t)first & ~(fault_around - 1));
    uintptr_t end = std::min(highest, ((uintptr_t)(first + count) + fault_around - 1) & ~(fault_around - 1));
    return begin >= end || madvise((void *)begin, end - begin, MADV_DONTNEED) == 0 ? 1 : 0;
}

const char *velmo_last_message(const velmo_t *cloud)
{
    return cloud && cloud->state ? cloud->state->message.load(std::memory_order_acquire) : "";
}

} // extern "C"
