#include "las_file.h"
#include "las_writer.h"
#include "lasgen.h"
#include "velmo.h"

#include "las_samples.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using velmo::LasFile;

namespace {

struct Call {
    int total, current;
    std::string message;
};
std::vector<Call> calls;

void remember(int total, int current, const char *message) { calls.push_back({total, current, message}); }


std::string corridor(const TempDir &dir, int format, int minor, uint64_t points)
{
    lasgen::CorridorSpec spec;
    spec.points = points;
    spec.point_format = format;
    spec.version_minor = minor;
    spec.alignment = lasgen::Alignment::curved;
    spec.length = 120;
    const std::string path = dir.file("corridor.las");
    std::string error;
    EXPECT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
    return path;
}

// Every record of a file, each as a string, sorted: the file's points as a set.
std::vector<std::string> record_set(const LasFile &las)
{
    const uint16_t length = las.header().record_length;
    std::vector<uint8_t> bytes(las.point_count() * length);
    EXPECT_TRUE(las.read_records(0, las.point_count(), bytes.data()));
    std::vector<std::string> records;
    for (uint64_t i = 0; i < las.point_count(); i++)
        records.emplace_back(reinterpret_cast<const char *>(bytes.data() + i * length), length);
    std::sort(records.begin(), records.end());
    return records;
}

std::vector<fs::path> pieces_in(const fs::path &folder, const std::string &stem)
{
    std::vector<fs::path> found;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem + "_", 0) == 0)
            found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Checks the pieces of a slicing: each a valid LAS file of the source's
// version and format, inside its own box, and together every source point
// exactly once.
void expect_pieces_partition(const std::string &source_path, const int counts[3])
{
    auto source = LasFile::open(source_path, nullptr);
    ASSERT_NE(source, nullptr);
    const velmo::LasHeader &s = source->header();
    const fs::path folder = fs::path(source_path).parent_path();
    const std::string stem = fs::path(source_path).stem().string();
    std::vector<std::string> gathered;
    for (int i = 0; i < counts[0]; i++) {
        for (int j = 0; j < counts[1]; j++) {
            for (int k = 0; k < counts[2]; k++) {
                const int index[3] = {i, j, k};
                const std::string name = stem + "_" + std::to_string(i) + "_" + std::to_string(j) + "_" +
                                         std::to_string(k) + ".las";
                if (!fs::exists(folder / name))
                    continue;
                SCOPED_TRACE(name);
                std::string error;
                auto piece = LasFile::open((folder / name).string(), &error);
                ASSERT_NE(piece, nullptr) << error;
                const velmo::LasHeader &p = piece->header();
                EXPECT_GT(piece->point_count(), 0u) << "empty pieces are not written";
                EXPECT_EQ(p.version_minor, s.version_minor);
                EXPECT_EQ(p.point_format, s.point_format);
                EXPECT_EQ(p.record_length, s.record_length);
                for (int a = 0; a < 3; a++) {
                    const double step = (s.max[a] - s.min[a]) / counts[a];
                    const double slack = s.scale[a];
                    EXPECT_GE(p.min[a], s.min[a] + index[a] * step - slack) << "axis " << a;
                    EXPECT_LE(p.max[a], s.min[a] + (index[a] + 1) * step + slack) << "axis " << a;
                    EXPECT_LE(p.min[a], p.max[a]);
                }
                auto records = record_set(*piece);
                gathered.insert(gathered.end(), records.begin(), records.end());
            }
        }
    }
    std::sort(gathered.begin(), gathered.end());
    EXPECT_EQ(gathered.size(), source->point_count());
    EXPECT_TRUE(gathered == record_set(*source)) << "every point in exactly one piece";
}

} // namespace

TEST(LasSlice, TwoByTwoPiecesHoldEveryPointOnce)
{
    TempDir dir;
    const std::string path = corridor(dir, 3, 2, 40000);
    const int counts[3] = {2, 2, 1};
    calls.clear();
    ASSERT_NE(velmo_slice_points(path.c_str(), counts, remember), 0);
    EXPECT_EQ(pieces_in(dir.path(), "corridor").size(), 4u) << "a curved corridor reaches all four quarters";
    expect_pieces_partition(path, counts);
    for (const auto &entry : fs::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().extension(), ".part");

    ASSERT_FALSE(calls.empty());
    EXPECT_LE(calls.size(), 300u);
    for (const auto &call : calls) {
        EXPECT_EQ(call.message, "Slicing point cloud...");
        EXPECT_GE(call.current, 0);
        EXPECT_LE(call.current, call.total);
    }
    EXPECT_EQ(calls.back().current, calls.back().total);
}

TEST(LasSlice, PiecesKeepEveryFormatAndVersion)
{
    const struct {
        int format, minor;
    } kinds[] = {{0, 0}, {1, 1}, {2, 2}, {4, 3}, {5, 3}, {6, 4}, {8, 4}, {10, 4}};
    for (const auto &kind : kinds) {
        SCOPED_TRACE("format " + std::to_string(kind.format));
        TempDir dir;
        const std::string path = corridor(dir, kind.format, kind.minor, 5000);
        const int counts[3] = {3, 1, 2};
        ASSERT_NE(velmo_slice_points(path.c_str(), counts, nullptr), 0);
        expect_pieces_partition(path, counts);
    }
}

TEST(LasSlice, RealFilesAreCutWithTheirReferenceSystem)
{
    for (const char *name : {"1.2-with-color.las", "vegetation_1_3.las", "simple1_4.las"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string path = dir.file(name);
        fs::copy_file(las_sample(name), path);
        const int counts[3] = {2, 3, 2};
        ASSERT_NE(velmo_slice_points(path.c_str(), counts, nullptr), 0);
        expect_pieces_partition(path, counts);
        auto source = LasFile::open(path, nullptr);
        for (const auto &piece_path : pieces_in(dir.path(), fs::path(name).stem().string())) {
            auto piece = LasFile::open(piece_path.string(), nullptr);
            ASSERT_NE(piece, nullptr);
            EXPECT_EQ(piece->vlr_bytes(), source->vlr_bytes());
            EXPECT_EQ(piece->header().evlr_count, source->header().evlr_count);
        }
    }
}

TEST(LasSlice, PointsOnBoundariesGoToExactlyOnePiece)
{
    TempDir dir;
    velmo::LasWriteSpec spec;
    spec.scale[0] = spec.scale[1] = spec.scale[2] = 0.5;
    const std::string path = dir.file("grid.las");
    auto writer = velmo::LasWriter::create(path, spec, nullptr);
    ASSERT_NE(writer, nullptr);
    // Every corner, edge middle and centre of a 4 x 4 x 2 box, twice over.
    for (int copy = 0; copy < 2; copy++) {
        for (int x = 0; x <= 8; x += 2) {
            for (int y = 0; y <= 8; y += 2) {
                for (int z = 0; z <= 4; z += 2) {
                    velmo::LasPoint p;
                    p.X = x;
                    p.Y = y;
                    p.Z = z;
                    ASSERT_TRUE(writer->write(p));
                }
            }
        }
    }
    ASSERT_TRUE(writer->finish());
    const int counts[3] = {2, 2, 2};
    ASSERT_NE(velmo_slice_points(path.c_str(), counts, nullptr), 0);
    EXPECT_EQ(pieces_in(dir.path(), "grid").size(), 8u);
    expect_pieces_partition(path, counts);
}

TEST(LasSlice, ManyPiecesAtOnce)
{
    TempDir dir;
    const std::string path = corridor(dir, 1, 2, 30000);
    const int counts[3] = {40, 40, 1}; // more pieces than files kept open
    ASSERT_NE(velmo_slice_points(path.c_str(), counts, nullptr), 0);
    expect_pieces_partition(path, counts);
}

TEST(LasSlice, RefusesWhatItCannotSliceAndSaysWhy)
{
    TempDir dir;
    const std::string good = dir.file("good.las");
    fs::copy_file(las_sample("1.2-with-color.las"), good);
    const std::string text = dir.file("text.las");
    write_bytes(text, std::string(500, 't'));
    const std::string long_path = dir.file(std::string(1030, 'l'));
    const int one[3] = {1, 1, 1}, zero[3] = {2, 0, 1}, negative[3] = {-1, 2, 2}, many[3] = {101, 100, 1};
    const struct {
        const char *path;
        const int *counts;
        std::string message;
    } cases[] = {
        {text.c_str(), one, "Not a LAS file: " + text},
        {nullptr, one, "No file to slice."},
        {"", one, "Path is too long or empty."},
        {long_path.c_str(), one, "Path is too long or empty."},
        {good.c_str(), zero, "Slice counts must be at least 1."},
        {good.c_str(), negative, "Slice counts must be at least 1."},
        {good.c_str(), nullptr, "Slice counts must be at least 1."},
        {good.c_str(), many, "Too many slices: at most 10000 pieces."},
    };
    for (const auto &c : cases) {
        calls.clear();
        EXPECT_EQ(velmo_slice_points(c.path, c.counts, remember), 0) << c.message;
        ASSERT_FALSE(calls.empty()) << c.message;
        EXPECT_EQ(calls.back().message, c.message);
        EXPECT_EQ(velmo_slice_points(c.path, c.counts, nullptr), 0) << "without a callback";
    }
    EXPECT_TRUE(pieces_in(dir.path(), "good").empty());
    EXPECT_TRUE(pieces_in(dir.path(), "text").empty());
}

TEST(LasSlice, AFailedWriteLeavesNoPieces)
{
    TempDir dir;
    const std::string path = corridor(dir, 3, 2, 20000);
    // A folder where one piece should go makes that piece fail.
    fs::create_directory(dir.file("corridor_1_0_0.las"));
    const int counts[3] = {2, 2, 1};
    calls.clear();
    EXPECT_EQ(velmo_slice_points(path.c_str(), counts, remember), 0);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().message, "Cannot write file: " + dir.file("corridor_1_0_0.las"));
    const auto left = pieces_in(dir.path(), "corridor");
    ASSERT_EQ(left.size(), 1u) << "only the folder that was in the way";
    EXPECT_TRUE(fs::is_directory(left[0]));
}
