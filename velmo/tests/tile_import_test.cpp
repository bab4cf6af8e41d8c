// Tile store import: the same file whatever the threads, and a LAS file
// that changes under the import.
#include "tile_store.h"

#include "las_writer.h"
#include "small_disk.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace velmo;
namespace fs = std::filesystem;

namespace {

std::string write_points(const std::string &path, const std::vector<LasPoint> &points)
{
    LasWriteSpec spec;
    spec.point_format = 3;
    spec.sync = false;
    for (int a = 0; a < 3; ++a) {
        spec.scale[a] = 0.01;
        spec.offset[a] = a == 2 ? 100 : 500000 + 1000 * a;
    }
    std::string error;
    auto writer = LasWriter::create(path, spec, &error);
    EXPECT_TRUE(writer) << error;
    for (const LasPoint &p : points)
        writer->write(p);
    EXPECT_TRUE(writer->finish()) << writer->error();
    return path;
}

LasPoint point_at(int32_t x, int32_t y, int32_t z, std::mt19937 &rng)
{
    LasPoint p;
    p.X = x;
    p.Y = y;
    p.Z = z;
    p.classification = uint8_t(rng() % 20);
    p.intensity = uint16_t(rng() % 4000);
    p.red = uint16_t(rng() % 256);
    p.green = uint16_t(rng() % 256);
    p.blue = uint16_t(rng() % 256);
    p.has_colour = true;
    return p;
}

// Points that tie on position but differ in what they carry: a few
// thousand positions each taken many times, and a pile on one spot big
// enough to be cut into parts, in shuffled order.
std::vector<LasPoint> tied_points(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<LasPoint> points;
    for (int i = 0; i < 2500; ++i) {
        const int32_t x = int32_t(rng() % 20000), y = int32_t(rng() % 9000), z = int32_t(rng() % 500);
        for (int k = int(rng() % 8); k >= 0; --k)
            points.push_back(point_at(x, y, z, rng));
    }
    for (int i = 0; i < 6000; ++i)
        points.push_back(point_at(7000, 4000, 55, rng));
    std::shuffle(points.begin(), points.end(), rng);
    return points;
}

bool build(const std::string &las_path, const std::string &store_path, const TileStoreOptions &options,
           std::string *error)
{
    auto las = LasFile::open(las_path, error);
    return las && TileStore::build(*las, store_path, Progress(), error, options);
}

uint64_t fnv1a(const std::string &bytes)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes)
        h = (h ^ c) * 0x100000001b3ull;
    return h;
}

// The store this version has always written for tied_points(5) with a limit
// of 1000 points a tile: a change of the import that moves one byte of it
// needs a new store version.
constexpr uint64_t kTiedStoreHash = 0x0e911f99cf091b80ull;

} // namespace

TEST(TileImport, StoreIsTheSameByteForByteWhateverTheThreadCountAndTiming)
{
    TempDir dir;
    write_points(dir.file("tied.las"), tied_points(5));
    TileStoreOptions options;
    options.tile_limit = 1000;
    options.chunk_bytes = 3000; // some 90 points: chunks interleave between threads
    std::string first;
    for (unsigned threads : {1u, 3u, 8u})
        for (int round = 0; round < 2; ++round) {
            options.threads = threads;
            std::string error;
            ASSERT_TRUE(build(dir.file("tied.las"), dir.file("tied.tiles"), options, &error)) << error;
            const std::string bytes = read_bytes(dir.file("tied.tiles"));
            if (first.empty()) {
                first = bytes;
                EXPECT_EQ(fnv1a(bytes), kTiedStoreHash) << std::hex << fnv1a(bytes);
                auto store = TileStore::open(dir.file("tied.tiles"), &error);
                ASSERT_TRUE(store) << error;
                size_t parts_of_pile = 0;
                for (size_t t = 0; t < store->tile_count(); ++t)
                    parts_of_pile += (store->tile(t).code >> 32 & 0x3FFFFFF) != 0;
                EXPECT_GE(parts_of_pile, 4u) << "the pile must be cut into parts";
            }
            EXPECT_TRUE(bytes == first) << threads << " threads, round " << round;
        }
    // Scratch files per few leaves instead of one for the whole cloud, with
    // none, some or all of them in memory: only the import's use of the disk
    // and of memory changes, not the store.
    for (uint64_t group : {1ull, 2500ull, 7000ull})
        for (uint64_t memory : {uint64_t(0), uint64_t(40000), TileStoreOptions::kAutoSpillMemory})
            for (unsigned threads : {1u, 3u}) {
                options.threads = threads;
                options.group_points = group;
                options.spill_memory = memory;
                std::string error;
                ASSERT_TRUE(build(dir.file("tied.las"), dir.file("tied.tiles"), options, &error)) << error;
                EXPECT_TRUE(read_bytes(dir.file("tied.tiles")) == first)
                    << "groups of " << group << " points, " << memory << " bytes in memory, " << threads << " threads";
            }
}

// A file rewritten in place between the passes, with the same box and the
// same number of points in every cell, would give a store mixing both.
TEST(TileImport, LasFileRewrittenDuringTheImportFailsIt)
{
    TempDir dir;
    std::vector<LasPoint> points = tied_points(9);
    const std::string las_path = write_points(dir.file("moving.las"), points);
    const std::string original = read_bytes(las_path);
    for (LasPoint &p : points)
        p.intensity = uint16_t(p.intensity ^ 1);
    const std::string rewritten = read_bytes(write_points(dir.file("other.las"), points));
    ASSERT_EQ(rewritten.size(), original.size());

    for (unsigned threads : {1u, 8u}) {
        write_bytes(las_path, original);
        TileStoreOptions options;
        options.tile_limit = 1000;
        options.chunk_bytes = 64 << 10;
        options.threads = threads;
        options.between_passes = [&]() {
            int fd = ::open(las_path.c_str(), O_WRONLY); // in place: the reader's descriptor sees it
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::pwrite(fd, rewritten.data(), rewritten.size(), 0), ssize_t(rewritten.size()));
            ::close(fd);
        };
        std::string error;
        EXPECT_FALSE(build(las_path, dir.file("moving.tiles"), options, &error));
        EXPECT_EQ(error, "The LAS file changed during the import") << threads;
        EXPECT_FALSE(fs::exists(dir.file("moving.tiles")));
        EXPECT_FALSE(fs::exists(dir.file("moving.tiles.part")));
    }
    // Untouched, the same file imports.
    write_bytes(las_path, original);
    TileStoreOptions options;
    options.tile_limit = 1000;
    std::string error;
    EXPECT_TRUE(build(las_path, dir.file("moving.tiles"), options, &error)) << error;
}

// The store and the import's scratch files need about twice the store's size
// when the scratch is on the disk; with room for the store alone, the
// scratch is kept in memory.
TEST(TileImport, FullDiskFailsTheImportCleanlyBeforeOrWhileWriting)
{
    if (!RunWhereASmallDiskMounts())
        return;
    TempDir dir;
    SmallDisk disk(dir.file("disk"));
    ASSERT_TRUE(disk.mounted()) << disk.why();
    std::vector<LasPoint> points = tied_points(3);
    std::vector<LasPoint> more = tied_points(4);
    points.insert(points.end(), more.begin(), more.end());
    const std::string las_path = write_points(dir.file("big.las"), points); // outside the small disk
    const std::string store = dir.file("disk/cloud.tiles");
    write_bytes(store, "the old store");

    TileStoreOptions options;
    options.tile_limit = 1000;
    options.spill_memory = 0;
    std::string error;
    EXPECT_FALSE(build(las_path, store, options, &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;

    // Room enough at the start, none once the writing begins; then room for
    // the scratch files but not for the store, where the levelling's writes
    // fail with the disk's reason.  The same with the scratch in memory, and
    // where the import chooses (a cloud this small keeps its scratch on the
    // disk when there is room).
    std::vector<LasPoint> few(points.begin(), points.begin() + 6000);
    const std::string small_las = write_points(dir.file("small.las"), few);
    for (uint64_t memory : {uint64_t(0), TileStoreOptions::kSpillMemoryCap, TileStoreOptions::kAutoSpillMemory}) {
        options.spill_memory = memory;
        options.threads = 0;
        options.between_passes = [&]() { disk.fill(); };
        error.clear();
        EXPECT_FALSE(build(small_las, store, options, &error));
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
        disk.free_space();

        options.threads = 1;
        options.between_passes = [&]() { disk.fill(120 << 10); };
        error.clear();
        EXPECT_FALSE(build(small_las, store, options, &error));
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
        disk.free_space();
    }

    EXPECT_EQ(read_bytes(store), "the old store");
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(dir.file("disk")))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"cloud.tiles"});

    options.between_passes = nullptr;
    EXPECT_TRUE(build(small_las, store, options, &error)) << error;

    // Room for the store but not for its scratch: scratch the import may
    // keep in memory goes there, whatever the cloud's size.
    ASSERT_TRUE(build(small_las, dir.file("roomy.tiles"), options, &error)) << error;
    const std::string expected = read_bytes(dir.file("roomy.tiles"));
    disk.fill(expected.size() + (16 << 10)); // the scratch takes 16 bytes a point
    options.spill_memory = 0;
    EXPECT_FALSE(build(small_las, store, options, &error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    options.spill_memory = TileStoreOptions::kAutoSpillMemory;
    error.clear();
    ASSERT_TRUE(build(small_las, store, options, &error)) << error;
    EXPECT_TRUE(read_bytes(store) == expected);
}
