// Tile store: import of LAS files into levelled square tiles, and reading.
#include "tile_store.h"

#include "las_writer.h"
#include "lasgen.h"
#include "las_samples.h"
#include "temp_dir.h"
#include "section_grid.h"
#include "tile_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

using namespace velmo;
namespace fs = std::filesystem;

namespace {

// What a surveyor sees of a point: position on the file's grid and attributes.
using PointKey = std::tuple<int64_t, int64_t, int64_t, int, int, int, int, int>;

struct Cloud {
    std::vector<LasPoint> points;
    uint8_t format = 3;
    double scale = 0.01;
    double offset[3] = {500000, 4000000, 100};
};

std::string write_las(const std::string &path, const Cloud &cloud)
{
    LasWriteSpec spec;
    spec.point_format = cloud.format;
    spec.sync = false;
    for (int a = 0; a < 3; ++a) {
        spec.scale[a] = cloud.scale;
        spec.offset[a] = cloud.offset[a];
    }
    std::string error;
    auto writer = LasWriter::create(path, spec, &error);
    EXPECT_TRUE(writer) << error;
    for (const LasPoint &p : cloud.points)
        writer->write(p);
    EXPECT_TRUE(writer->finish()) << writer->error();
    return path;
}

LasPoint make_point(int32_t x, int32_t y, int32_t z)
{
    LasPoint p;
    p.X = x;
    p.Y = y;
    p.Z = z;
    // Attributes follow from the position, so no two points differ only in them.
    p.classification = uint8_t((x ^ y) & 7);
    p.intensity = uint16_t((x * 7 + z) & 1023);
    p.red = uint16_t(x & 255);
    p.green = uint16_t(y & 255);
    p.blue = uint16_t(z & 255);
    p.has_colour = true;
    return p;
}

// A field of random points with a dense spot and a thin line, without
// repeated positions.
Cloud random_cloud(size_t count, uint32_t seed)
{
    Cloud cloud;
    std::mt19937 rng(seed);
    std::set<std::tuple<int32_t, int32_t, int32_t>> seen;
    while (cloud.points.size() < count) {
        int32_t x, y;
        switch (rng() % 4) {
        case 0: x = int32_t(rng() % 600) + 2000, y = int32_t(rng() % 600) + 3000; break;
        case 1: x = int32_t(rng() % 10000), y = 5000; break;
        default: x = int32_t(rng() % 10000), y = int32_t(rng() % 7000);
        }
        int32_t z = int32_t(rng() % 3000) - 500;
        if (seen.insert({x, y, z}).second)
            cloud.points.push_back(make_point(x, y, z));
    }
    return cloud;
}

std::unique_ptr<LasFile> open_las(const std::string &path)
{
    std::string error;
    auto las = LasFile::open(path, &error);
    EXPECT_TRUE(las) << error;
    return las;
}

std::unique_ptr<TileStore> build_store(const std::string &las_path, const std::string &store_path,
                                       const TileStoreOptions &options = TileStoreOptions())
{
    auto las = open_las(las_path);
    if (!las)
        return nullptr;
    std::string error;
    EXPECT_TRUE(TileStore::build(*las, store_path, Progress(), &error, options)) << error;
    auto store = TileStore::open(store_path, &error);
    EXPECT_TRUE(store) << error;
    return store;
}

int64_t grid_value(double world, double scale, double offset) { return std::llround((world - offset) / scale); }

std::vector<PointKey> las_keys(const std::string &path)
{
    auto las = open_las(path);
    const LasHeader &h = las->header();
    std::vector<uint8_t> records(size_t(las->point_count()) * h.record_length);
    EXPECT_TRUE(las->read_records(0, las->point_count(), records.data()));
    std::vector<PointKey> keys;
    for (uint64_t i = 0; i < las->point_count(); ++i) {
        LasPoint p;
        las->decode(&records[i * h.record_length], &p);
        keys.emplace_back(p.X, p.Y, p.Z, p.classification, 0, 0, 0, 0);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<velmo_point_t> tile_points(const TileStore &store, size_t tile)
{
    const StoreTile &t = store.tile(tile);
    std::vector<velmo_point_t> out(t.count);
    for (uint32_t i = 0; i < t.count; ++i)
        store.decode(store.points()[t.first + i], &out[i]);
    return out;
}

std::vector<PointKey> store_keys(const TileStore &store, const LasHeader &h, bool attributes)
{
    std::vector<PointKey> keys;
    for (size_t t = 0; t < store.tile_count(); ++t)
        for (const velmo_point_t &p : tile_points(store, t))
            keys.emplace_back(grid_value(p.x, h.scale[0], h.offset[0]), grid_value(p.y, h.scale[1], h.offset[1]),
                              grid_value(p.z, h.scale[2], h.offset[2]), p.classification,
                              attributes ? p.red : 0, attributes ? p.green : 0, attributes ? p.blue : 0,
                              attributes ? p.intensity : 0);
    std::sort(keys.begin(), keys.end());
    return keys;
}

int tile_depth(const StoreTile &t) { return int(t.code >> 58); }

// A level-L cell of a tile, as the import defines it.
std::tuple<int64_t, int64_t, int64_t> level_cell(const StoreTile &t, const velmo_point_t &p, int level)
{
    const double edge = (t.box[3] - t.box[0]) / std::ldexp(1.0, 11 - level);
    const int64_t top = int64_t(std::ldexp(1.0, 11 - level)) - 1;
    return {std::clamp<int64_t>(int64_t(std::floor((p.x - t.box[0]) / edge)), 0, top),
            std::clamp<int64_t>(int64_t(std::floor((p.y - t.box[1]) / edge)), 0, top),
            int64_t(std::floor((p.z - t.box[2]) / edge))};
}

} // namespace

// A cloud whose coordinates and tile edges are exact binary fractions, so a
// test computes the same cells as the import.
class TileStoreGrid : public testing::Test {
protected:
    void SetUp() override
    {
        cloud = random_cloud(40000, 7);
        cloud.scale = 0.125;
        cloud.offset[0] = cloud.offset[1] = cloud.offset[2] = 0;
        cloud.points.push_back(make_point(0, 0, 0));
        cloud.points.push_back(make_point(16384, 16384, 0)); // square of 2048 m
        options.tile_limit = 1500;
        options.chunk_bytes = 64 << 10;
        las_path = write_las(dir.file("grid.las"), cloud);
        store = build_store(las_path, dir.file("grid.tiles"), options);
        ASSERT_TRUE(store);
    }
    TempDir dir;
    Cloud cloud;
    TileStoreOptions options;
    std::string las_path;
    std::unique_ptr<TileStore> store;
};

TEST_F(TileStoreGrid, ImportKeepsEveryPointExactlyOnce)
{
    auto las = open_las(las_path);
    EXPECT_EQ(store->point_count(), cloud.points.size());
    EXPECT_EQ(store_keys(*store, las->header(), false), las_keys(las_path));
    uint64_t next = 0;
    for (size_t t = 0; t < store->tile_count(); ++t) {
        EXPECT_EQ(store->tile(t).first, next);
        next += store->tile(t).count;
    }
    EXPECT_EQ(next, store->point_count());
}

TEST_F(TileStoreGrid, TilesAreDisjointSquaresHoldingTheirPointsWithinTheLimit)
{
    ASSERT_GT(store->tile_count(), 8u);
    std::set<std::pair<int, uint64_t>> squares;
    for (size_t t = 0; t < store->tile_count(); ++t) {
        const StoreTile &tile = store->tile(t);
        const double width = tile.box[3] - tile.box[0];
        EXPECT_EQ(width, tile.box[4] - tile.box[1]);
        EXPECT_EQ(width, std::ldexp(2048.0, -tile_depth(tile)));
        EXPECT_TRUE(tile.count <= options.tile_limit || tile_depth(tile) == options.max_depth) << tile.count;
        squares.insert({tile_depth(tile), tile.code & 0xFFFFFFFF});
        double zmin = INFINITY, zmax = -INFINITY;
        for (const velmo_point_t &p : tile_points(*store, t)) {
            EXPECT_TRUE(p.x >= tile.box[0] && p.x <= tile.box[3] && p.y >= tile.box[1] && p.y <= tile.box[4]);
            zmin = std::min(zmin, p.z);
            zmax = std::max(zmax, p.z);
        }
        EXPECT_EQ(zmin, tile.box[2]);
        EXPECT_EQ(zmax, tile.box[5]);
    }
    // No square lies inside another: an ancestor's position is a prefix of its descendants'.
    for (auto [depth, position] : squares)
        for (int up = 1; up <= depth; ++up)
            EXPECT_FALSE(squares.count({depth - up, position >> (2 * up)}));
    const double *box = store->box();
    EXPECT_EQ(box[0], 0);
    EXPECT_EQ(box[3], 2048);
    EXPECT_EQ(box[2], -500 * 0.125);
}

TEST_F(TileStoreGrid, LevelsDescendAndEachLevelHoldsOnePointPerOccupiedCell)
{
    size_t level8 = 0;
    for (size_t t = 0; t < store->tile_count(); ++t) {
        const StoreTile &tile = store->tile(t);
        const tile_point_t *stored = store->points() + tile.first;
        const auto points = tile_points(*store, t);
        for (int level = 4; level <= 8; ++level) {
            std::map<std::tuple<int64_t, int64_t, int64_t>, int> taken; // points of this level
            std::set<std::tuple<int64_t, int64_t, int64_t>> covered;    // cells with a point of >= level
            std::set<std::tuple<int64_t, int64_t, int64_t>> occupied;
            for (uint32_t i = 0; i < tile.count; ++i) {
                auto cell = level_cell(tile, points[i], level);
                occupied.insert(cell);
                if (stored[i].level >= level)
                    covered.insert(cell);
                if (stored[i].level == level) {
                    EXPECT_EQ(++taken[cell], 1) << "two level-" << level << " points in one cell";
                }
            }
            EXPECT_EQ(covered, occupied) << "level " << level << " leaves a cell empty";
        }
        for (uint32_t i = 0; i < tile.count; ++i) {
            EXPECT_GE(stored[i].level, 3);
            EXPECT_LE(stored[i].level, 8);
            if (i > 0) {
                EXPECT_LE(stored[i].level, stored[i - 1].level);
            }
            level8 += stored[i].level == 8;
        }
    }
    EXPECT_GT(level8, store->tile_count());
}

// A section reads the cells its slab meets as runs of the store: every
// point must lie in the cell and level the cell index puts it in.
TEST_F(TileStoreGrid, EachLevelIsStoredCellByCellWhereTheCellIndexSays)
{
    const Quantisation q = quantisation_of(*store);
    for (size_t t = 0; t < store->tile_count(); ++t) {
        const StoreTile &tile = store->tile(t);
        const tile_point_t *stored = store->points() + tile.first;
        TileGrid grid;
        grid.shape(tile.box, tile.count);
        std::vector<uint32_t> cells(tile.count);
        grid.find_cells(stored, q, 0, tile.count, cells.data());
        const uint32_t *starts = store->cell_index(t);
        const size_t buckets = tile_format::kIndexLevels * grid.cells();
        ASSERT_EQ(starts[0], 0u);
        ASSERT_EQ(starts[buckets], tile.count);
        for (size_t b = 0; b < buckets; ++b) {
            ASSERT_LE(starts[b], starts[b + 1]);
            for (uint32_t i = starts[b]; i < starts[b + 1]; ++i) {
                EXPECT_EQ(stored[i].level, tile_format::kIndexTopLevel - int(b / grid.cells())) << "tile " << t;
                EXPECT_EQ(cells[i], b % grid.cells()) << "tile " << t << ", point " << i;
            }
        }
    }
}

// Points copied from the file are those of the mapping, whether read from
// memory alone or waited for; a range that reaches beyond the store is
// refused rather than read.
TEST_F(TileStoreGrid, CopiedPointsAreThoseOfTheMapping)
{
    const uint64_t n = store->point_count();
    ASSERT_GT(n, 10u);
    struct Case {
        uint64_t first;
        uint64_t count;
        bool copied;
    };
    const Case cases[] = {{0, n, true},     {0, 1, true},      {n - 1, 1, true}, {n / 3, n / 2, true},
                          {n, 0, true},     {n, 1, false},     {n - 1, 2, false}, {n + 1, 0, false},
                          {1, n, false},    {~0ull - 1, 2, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " " + std::to_string(c.count));
        store->will_need(c.first, uint32_t(c.count));
        std::vector<tile_point_t> copy(c.count + 1);
        ASSERT_EQ(store->copy_points(c.first, uint32_t(c.count), copy.data()), c.copied);
        if (c.copied)
            EXPECT_EQ(std::memcmp(copy.data(), store->points() + c.first, c.count * sizeof copy[0]), 0);
        // From memory alone it may find some not read yet, never others.
        std::vector<tile_point_t> cached(c.count + 1);
        if (store->copy_points(c.first, uint32_t(c.count), cached.data(), true)) {
            EXPECT_TRUE(c.copied);
            EXPECT_EQ(std::memcmp(cached.data(), copy.data(), c.count * sizeof copy[0]), 0);
        }
    }
}

TEST_F(TileStoreGrid, RebuildGivesTheSameFileWhateverTheThreads)
{
    TileStoreOptions one = options;
    one.threads = 1;
    one.chunk_bytes = 1 << 20;
    ASSERT_TRUE(build_store(las_path, dir.file("one.tiles"), one));
    EXPECT_TRUE(read_bytes(dir.file("one.tiles")) == read_bytes(dir.file("grid.tiles")));
}

TEST_F(TileStoreGrid, HeaderBoxThatLiesChangesNothing)
{
    for (double shift : {-3.5, 2.0}) {
        std::string bytes = read_bytes(las_path);
        for (int i = 0; i < 6; ++i) { // max x, min x, max y, min y, max z, min z
            double v;
            std::memcpy(&v, &bytes[179 + 8 * i], 8);
            v += (i % 2 ? -shift : shift);
            std::memcpy(&bytes[179 + 8 * i], &v, 8);
        }
        write_bytes(dir.file("lying.las"), bytes);
        ASSERT_TRUE(build_store(dir.file("lying.las"), dir.file("lying.tiles"), options));
        EXPECT_TRUE(read_bytes(dir.file("lying.tiles")) == read_bytes(dir.file("grid.tiles"))) << shift;
    }
}

TEST_F(TileStoreGrid, ProgressCountsUpToItsTotalInAFewHundredCalls)
{
    std::vector<std::pair<int, int>> calls;
    Progress progress = [&](int total, int current, const char *message) {
        EXPECT_STREQ(message, "Importing point cloud...");
        calls.push_back({total, current});
    };
    TileStoreOptions small = options;
    small.chunk_bytes = 1024; // about 1,200 chunks
    auto las = open_las(las_path);
    std::string error;
    ASSERT_TRUE(TileStore::build(*las, dir.file("progress.tiles"), progress, &error, small)) << error;
    ASSERT_GE(calls.size(), 3u);
    EXPECT_LE(calls.size(), 300u);
    EXPECT_EQ(calls.front().second, 0);
    EXPECT_EQ(calls.back().second, calls.back().first);
    for (size_t i = 1; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].first, calls[0].first);
        EXPECT_GT(calls[i].second, calls[i - 1].second);
    }
}

TEST_F(TileStoreGrid, CancelledImportLeavesTheOldStoreAndNoPartialFile)
{
    const std::string before = read_bytes(dir.file("grid.tiles"));
    auto las = open_las(las_path);
    for (int stop_at : {1, 2, 3}) {
        int calls = 0;
        Progress cancel = [&](int, int, const char *) {
            if (++calls == stop_at)
                throw std::runtime_error("cancelled");
        };
        TileStoreOptions other = options;
        other.tile_limit = 700;
        other.chunk_bytes = 1024;
        std::string error;
        EXPECT_THROW(TileStore::build(*las, dir.file("grid.tiles"), cancel, &error, other), std::runtime_error);
    }
    EXPECT_FALSE(fs::exists(dir.file("grid.tiles.part")));
    EXPECT_TRUE(read_bytes(dir.file("grid.tiles")) == before);
}

TEST(TileStore, CorridorImportKeepsEveryPointWithItsAttributes)
{
    TempDir dir;
    lasgen::CorridorSpec spec;
    spec.points = 150000;
    spec.alignment = lasgen::Alignment::curved;
    spec.length = 400;
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, dir.file("road.las"), &error)) << error;
    TileStoreOptions options;
    options.tile_limit = 4000;
    auto store = build_store(dir.file("road.las"), dir.file("road.tiles"), options);
    ASSERT_TRUE(store);
    auto las = open_las(dir.file("road.las"));
    EXPECT_EQ(store->point_count(), spec.points);
    EXPECT_EQ(store_keys(*store, las->header(), false), las_keys(dir.file("road.las")));
    EXPECT_GT(store->tile_count(), 40u);
}

TEST(TileStore, PileOfOnePositionIsCutIntoPartsOfTheLimit)
{
    TempDir dir;
    Cloud cloud;
    for (int i = 0; i < 5000; ++i)
        cloud.points.push_back(make_point(100, 100, 100));
    for (int i = 0; i < 50; ++i)
        cloud.points.push_back(make_point(i * 40, 3000 - i * 20, i));
    write_las(dir.file("pile.las"), cloud);
    TileStoreOptions options;
    options.tile_limit = 1000;
    auto store = build_store(dir.file("pile.las"), dir.file("pile.tiles"), options);
    ASSERT_TRUE(store);
    std::set<uint64_t> codes;
    int deepest = 0;
    for (size_t t = 0; t < store->tile_count(); ++t) {
        const StoreTile &tile = store->tile(t);
        EXPECT_LE(tile.count, options.tile_limit);
        EXPECT_TRUE(codes.insert(tile.code).second) << "tiles share a code";
        deepest += tile_depth(tile) == options.max_depth;
    }
    EXPECT_GE(deepest, 5);
    EXPECT_EQ(store->point_count(), cloud.points.size());
}

TEST(TileStore, ColourOf8BitFilesIsKeptAnd16BitColourIsShifted)
{
    TempDir dir;
    for (bool wide : {false, true}) {
        Cloud cloud;
        cloud.format = 2;
        const uint16_t colours[3][3] = {{200, 100, 50}, {255, 0, 1}, {7, 8, 9}};
        for (int i = 0; i < 3; ++i) {
            LasPoint p = make_point(i, i, i);
            p.red = uint16_t(colours[i][0] * (wide ? 257 : 1));
            p.green = uint16_t(colours[i][1] * (wide ? 257 : 1));
            p.blue = uint16_t(colours[i][2] * (wide ? 257 : 1));
            cloud.points.push_back(p);
        }
        write_las(dir.file("colour.las"), cloud);
        auto store = build_store(dir.file("colour.las"), dir.file("colour.tiles"));
        ASSERT_TRUE(store);
        for (const velmo_point_t &p : tile_points(*store, 0)) {
            int i = int(std::llround((p.x - cloud.offset[0]) / cloud.scale));
            EXPECT_EQ(p.x, double(i) * cloud.scale + cloud.offset[0]); // the LAS reader's arithmetic, to the bit
            EXPECT_EQ(p.z, double(i) * cloud.scale + cloud.offset[2]);
            EXPECT_EQ(p.u + p.v + p.w + p.gps_time + p.return_number + p.point_source_id, 0);
            EXPECT_EQ(p.red, colours[i][0]) << wide;
            EXPECT_EQ(p.green, colours[i][1]) << wide;
            EXPECT_EQ(p.blue, colours[i][2]) << wide;
        }
    }
}

TEST(TileStore, IntensityIsScaledToTheFileMaximum)
{
    TempDir dir;
    for (uint16_t max : {uint16_t(0), uint16_t(1000), uint16_t(65535)}) {
        Cloud cloud;
        cloud.format = 0;
        const uint16_t raw[3] = {max, uint16_t(max / 2), 0};
        for (int i = 0; i < 3; ++i) {
            LasPoint p = make_point(i, 0, 0);
            p.intensity = raw[i];
            cloud.points.push_back(p);
        }
        write_las(dir.file("i.las"), cloud);
        auto store = build_store(dir.file("i.las"), dir.file("i.tiles"));
        ASSERT_TRUE(store);
        for (const velmo_point_t &p : tile_points(*store, 0)) {
            int i = int(std::llround((p.x - cloud.offset[0]) / cloud.scale));
            EXPECT_EQ(p.intensity, max ? raw[i] * 255 / max : 0) << max;
            EXPECT_EQ(p.red + p.green + p.blue, 0); // format 0 has no colour
        }
    }
}

TEST(TileStore, DamagedStoresAreRefused)
{
    TempDir dir;
    Cloud cloud = random_cloud(3000, 3);
    write_las(dir.file("a.las"), cloud);
    TileStoreOptions options;
    options.tile_limit = 500;
    ASSERT_TRUE(build_store(dir.file("a.las"), dir.file("a.tiles"), options));
    const std::string good = read_bytes(dir.file("a.tiles"));
    tile_format::Header header;
    std::memcpy(&header, good.data(), sizeof header);
    ASSERT_GT(header.tile_count, 2u);

    auto patched = [&](size_t at, const void *bytes, size_t size) {
        std::string s = good;
        std::memcpy(&s[at], bytes, size);
        return s;
    };
    // A directory that passes its checksum but whose tiles overlap.
    std::string overlapping = good;
    {
        StoreTile *tiles = reinterpret_cast<StoreTile *>(&overlapping[header.directory_offset]);
        tiles[1].first -= 1;
        tile_format::Header h = header;
        h.checksum = tile_format::checksum(h, tiles, h.tile_count);
        std::memcpy(&overlapping[0], &h, sizeof h);
    }
    const uint32_t other_version = tile_format::kVersion + 1;
    const char flip = char(good[header.directory_offset + 10] ^ 0x20);
    // Points that never reached the disk read back as zeros.
    const StoreTile *first_tiles = reinterpret_cast<const StoreTile *>(&good[header.directory_offset]);
    const std::string zeros(sizeof(tile_point_t), '\0');
    const size_t last_point = header.points_offset + (first_tiles[1].first + first_tiles[1].count - 1) * sizeof(tile_point_t);
    const std::map<std::string, std::string> damaged = {
        {"empty", ""},
        {"half header", good.substr(0, 100)},
        {"truncated", good.substr(0, good.size() - 1)},
        {"longer", good + "x"},
        {"directory byte", patched(header.directory_offset + 10, &flip, 1)},
        {"magic", patched(0, "LASF", 4)},
        {"version", patched(offsetof(tile_format::Header, version), &other_version, 4)},
        {"overlapping tiles", overlapping},
        {"zeroed first point", patched(header.points_offset, zeros.data(), zeros.size())},
        {"zeroed last point of a tile", patched(last_point, zeros.data(), zeros.size())},
    };
    for (const auto &[name, bytes] : damaged) {
        write_bytes(dir.file("bad.tiles"), bytes);
        std::string error;
        EXPECT_FALSE(TileStore::open(dir.file("bad.tiles"), &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    std::string error;
    EXPECT_FALSE(TileStore::open(dir.file("missing.tiles"), &error));
    write_bytes(dir.file("copy.tiles"), good);
    EXPECT_TRUE(TileStore::open(dir.file("copy.tiles"), &error)) << error;
}

TEST(TileStore, BuildIntoMissingFolderFailsCleanly)
{
    TempDir dir;
    write_las(dir.file("a.las"), random_cloud(100, 1));
    auto las = open_las(dir.file("a.las"));
    std::string error;
    EXPECT_FALSE(TileStore::build(*las, dir.file("no/such/folder/a.tiles"), Progress(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir.file("no")));
}

TEST(TileStore, EmptyLasFileGivesAnEmptyStore)
{
    TempDir dir;
    write_las(dir.file("empty.las"), Cloud());
    auto store = build_store(dir.file("empty.las"), dir.file("empty.tiles"));
    ASSERT_TRUE(store);
    EXPECT_EQ(store->point_count(), 0u);
    EXPECT_EQ(store->tile_count(), 0u);
}

TEST(TileStore, SharedLasFilesImportWithTheirHeaderCounts)
{
    TempDir dir;
    int files = 0;
    for (const fs::path &sample_path : las_samples()) {
        ++files;
        const std::string las_path = sample_path.string();
        auto las = open_las(las_path);
        ASSERT_TRUE(las) << las_path;
        TileStoreOptions options;
        options.tile_limit = 2000;
        auto store = build_store(las_path, dir.file("shared.tiles"), options);
        ASSERT_TRUE(store) << las_path;
        EXPECT_EQ(store->point_count(), las->point_count()) << las_path;
        EXPECT_EQ(store_keys(*store, las->header(), false), las_keys(las_path)) << las_path;
        for (size_t t = 0; t < store->tile_count(); ++t)
            for (const velmo_point_t &p : tile_points(*store, t))
                ASSERT_TRUE(p.red <= 255 && p.green <= 255 && p.blue <= 255 && p.intensity <= 255) << las_path;
    }
    EXPECT_GE(files, 4);
}

TEST(TileStore, TilesDecodeOnManyThreadsWhileAnotherCloudImports)
{
    TempDir dir;
    write_las(dir.file("a.las"), random_cloud(30000, 11));
    TileStoreOptions options;
    options.tile_limit = 1000;
    auto store = build_store(dir.file("a.las"), dir.file("a.tiles"), options);
    ASSERT_TRUE(store);
    lasgen::CorridorSpec spec;
    spec.points = 300000;
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, dir.file("b.las"), &error)) << error;

    auto sum_of_tiles = [&]() {
        double sum = 0;
        velmo_point_t p;
        for (size_t t = 0; t < store->tile_count(); ++t) {
            const StoreTile &tile = store->tile(t);
            for (uint32_t i = 0; i < tile.count; ++i) {
                store->decode(store->points()[tile.first + i], &p);
                sum += p.x - tile.box[0] + p.z + p.intensity + p.red;
            }
        }
        return sum;
    };
    const double expected = sum_of_tiles();
    std::atomic<bool> importing{true};
    std::atomic<int> mismatches{0}, rounds{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 8; ++r)
        readers.emplace_back([&]() {
            do {
                mismatches += sum_of_tiles() != expected;
                ++rounds;
            } while (importing);
        });
    auto las = open_las(dir.file("b.las"));
    bool built = TileStore::build(*las, dir.file("b.tiles"), Progress(), &error, options);
    importing = false;
    for (std::thread &t : readers)
        t.join();
    EXPECT_TRUE(built) << error;
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(rounds, 8);
    EXPECT_TRUE(TileStore::open(dir.file("b.tiles"), &error)) << error;
}

// Scratch records hold a point's place in its tile in 24 bits a side: tiles
// wider than that (a sparse cloud tens of kilometres across at millimetres)
// must still come back whole, with or without the quadtree.
TEST(TileStore, CloudWiderThanScratchRecordsReachKeepsEveryPoint)
{
    TempDir dir;
    Cloud cloud;
    cloud.scale = 0.001;
    for (int32_t i = 0; i < 3000; ++i)
        cloud.points.push_back(make_point(i * 10007, (i * 7919) % 20000000, i % 500));
    write_las(dir.file("wide.las"), cloud);
    auto las = open_las(dir.file("wide.las"));
    const auto expected = las_keys(dir.file("wide.las"));
    struct Cut {
        uint32_t limit;
        int depth;
    };
    for (Cut cut : {Cut{300000, 11}, Cut{500, 1}, Cut{500, 0}, Cut{200, 11}}) {
        TileStoreOptions options;
        options.tile_limit = cut.limit;
        options.max_depth = cut.depth;
        auto store = build_store(dir.file("wide.las"), dir.file("wide.tiles"), options);
        ASSERT_TRUE(store) << cut.limit << " " << cut.depth;
        EXPECT_EQ(store_keys(*store, las->header(), false), expected) << cut.limit << " " << cut.depth;
    }
}
