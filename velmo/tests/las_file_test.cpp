#include "las_file.h"
#include "velmo.h"

#include "las_samples.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using velmo::LasFile;
using velmo::LasPoint;

namespace {

// What the tests read from a header themselves, to compare with the reader.
struct PlainHeader {
    int minor = 0, format = 0, record_length = 0;
    uint32_t offset = 0;
    uint64_t count = 0;
    double scale[3], offset_xyz[3], min[3], max[3];
};

template <typename T> T at(const std::string &bytes, size_t position)
{
    T value;
    std::memcpy(&value, bytes.data() + position, sizeof value);
    return value;
}

template <typename T> void set(std::string *bytes, size_t position, T value)
{
    std::memcpy(&(*bytes)[position], &value, sizeof value);
}

PlainHeader plain_header(const std::string &bytes)
{
    PlainHeader h;
    h.minor = bytes[25];
    h.offset = at<uint32_t>(bytes, 96);
    h.format = static_cast<uint8_t>(bytes[104]);
    h.record_length = at<uint16_t>(bytes, 105);
    h.count = at<uint32_t>(bytes, 107);
    if (h.minor == 4 && at<uint64_t>(bytes, 247) != 0)
        h.count = at<uint64_t>(bytes, 247);
    for (int i = 0; i < 3; i++) {
        h.scale[i] = at<double>(bytes, 131 + 8 * i);
        h.offset_xyz[i] = at<double>(bytes, 155 + 8 * i);
        h.max[i] = at<double>(bytes, 179 + 16 * i);
        h.min[i] = at<double>(bytes, 187 + 16 * i);
    }
    return h;
}

std::string open_error(const std::string &path)
{
    std::string error;
    EXPECT_EQ(LasFile::open(path, &error), nullptr) << path;
    return error;
}

} // namespace

TEST(LasFile, EverySharedSampleOpensWithItsOwnHeaderValues)
{
    const auto paths = las_samples();
    ASSERT_GE(paths.size(), 4u);
    for (const auto &path : paths) {
        SCOPED_TRACE(path);
        const PlainHeader expected = plain_header(read_bytes(path));
        std::string error;
        auto las = LasFile::open(path, &error);
        ASSERT_NE(las, nullptr) << error;
        const velmo::LasHeader &h = las->header();
        EXPECT_EQ(las->point_count(), expected.count);
        EXPECT_EQ(h.version_minor, expected.minor);
        EXPECT_EQ(h.point_format, expected.format);
        EXPECT_EQ(h.record_length, expected.record_length);
        EXPECT_EQ(h.offset_to_points, expected.offset);
        EXPECT_EQ(las->vlr_bytes().size(), expected.offset - h.header_size);
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(h.min[i], expected.min[i]);
            EXPECT_EQ(h.max[i], expected.max[i]);
            EXPECT_EQ(h.scale[i], expected.scale[i]);
        }
    }
}

TEST(LasFile, DecodedPointsLieInTheHeaderBoxWithPlausibleAttributes)
{
    for (const auto &path : las_samples()) {
        SCOPED_TRACE(path);
        const std::string bytes = read_bytes(path);
        const PlainHeader plain = plain_header(bytes);
        auto las = LasFile::open(path, nullptr);
        ASSERT_NE(las, nullptr);
        const uint64_t n = las->point_count();
        std::vector<uint8_t> records(n * plain.record_length);
        ASSERT_TRUE(las->read_records(0, n, records.data()));
        ASSERT_EQ(0, std::memcmp(records.data(), bytes.data() + plain.offset, records.size()))
            << "records are the file's own bytes";
        uint32_t colour_max = 0, colour_min = UINT32_MAX;
        for (uint64_t i = 0; i < n; i++) {
            LasPoint p;
            const uint8_t *record = records.data() + i * plain.record_length;
            las->decode(record, &p);
            const int32_t stored[3] = {p.X, p.Y, p.Z};
            for (int a = 0; a < 3; a++) {
                double world = stored[a] * plain.scale[a] + plain.offset_xyz[a];
                // Some writers truncate rather than round when they store a
                // point, so a header box may be off by up to a whole step.
                double slack = plain.scale[a] + 1e-9 * std::fabs(world);
                ASSERT_GE(world, plain.min[a] - slack) << "point " << i << " axis " << a;
                ASSERT_LE(world, plain.max[a] + slack) << "point " << i << " axis " << a;
            }
            const int class_byte = plain.format < 6 ? (record[15] & 31) : record[16];
            ASSERT_EQ(p.classification, class_byte);
            EXPECT_EQ(p.has_colour, velmo::las_format_has_colour(plain.format));
            if (p.has_colour) {
                colour_max = std::max({colour_max, uint32_t(p.red), uint32_t(p.green), uint32_t(p.blue)});
                colour_min = std::min({colour_min, uint32_t(p.red), uint32_t(p.green), uint32_t(p.blue)});
            }
        }
        if (velmo::las_format_has_colour(plain.format)) {
            EXPECT_GT(colour_max, colour_min) << "colours vary";
            EXPECT_GT(colour_max, 0u);
        }
    }
}

TEST(LasFile, ReadsRecordRangesFromManyThreadsAtOnce)
{
    auto las = LasFile::open(las_sample("simple1_4.las"), nullptr);
    ASSERT_NE(las, nullptr);
    const uint64_t n = las->point_count();
    const uint16_t length = las->header().record_length;
    std::vector<uint8_t> whole(n * length);
    ASSERT_TRUE(las->read_records(0, n, whole.data()));

    std::vector<int> mismatches(8, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; t++) {
        threads.emplace_back([&, t] {
            std::vector<uint8_t> part(1000 * length);
            for (uint64_t first = t * 97; first + 1000 <= n; first += 1013) {
                if (!las->read_records(first, 1000, part.data()) ||
                    std::memcmp(part.data(), whole.data() + first * length, part.size()) != 0)
                    mismatches[t]++;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    for (int count : mismatches)
        EXPECT_EQ(count, 0);

    std::vector<uint8_t> one(length);
    EXPECT_TRUE(las->read_records(n - 1, 1, one.data()));
    EXPECT_FALSE(las->read_records(n, 1, one.data())) << "past the last record";
    EXPECT_FALSE(las->read_records(1, UINT64_MAX, one.data())) << "a count that wraps around";
}

TEST(LasFile, RefusesFilesThatAreNotLasWithTheReason)
{
    TempDir dir;
    const std::string text = dir.file("notes.las"), empty = dir.file("empty.las"),
                      stub = dir.file("stub.las"), future = dir.file("future.las");
    write_bytes(text, std::string(400, 'x'));
    write_bytes(empty, "");
    write_bytes(stub, "LASF" + std::string(100, '\0'));
    for (const auto &path : {text, empty, stub})
        EXPECT_EQ(open_error(path), "Not a LAS file: " + path);
    // A LAS file of a version this reader does not know is told as such.
    const std::pair<int, int> versions[] = {{1, 5}, {1, 9}, {2, 0}, {0, 9}};
    for (const auto &[major, minor] : versions) {
        std::string newer = las_sample_bytes("1.2-with-color.las");
        newer[24] = char(major);
        newer[25] = char(minor);
        write_bytes(future, newer);
        EXPECT_EQ(open_error(future), "LAS version " + std::to_string(major) + "." + std::to_string(minor) +
                                          " is not read (versions 1.0 to 1.4 are): " + future);
    }

    const std::string missing = dir.file("missing.las");
    EXPECT_EQ(open_error(missing), "Cannot open file: " + missing);
    EXPECT_EQ(open_error(dir.path().string()), "Cannot open file: " + dir.path().string()) << "a folder";
    const std::string long_path = dir.file(std::string(1100, 'a') + ".las");
    EXPECT_EQ(open_error(long_path), "Cannot open file: " + long_path);
    EXPECT_EQ(open_error(""), "Cannot open file: ");
}

TEST(LasFile, RefusesDamagedFilesWithTheReason)
{
    TempDir dir;
    const std::string colour = las_sample_bytes("1.2-with-color.las");
    const std::string modern = las_sample_bytes("simple1_4.las");
    const std::string oldest = las_sample_bytes("1.0_0.las");
    struct Case {
        const char *name;
        std::string bytes;
        const char *reason;
    };
    std::vector<Case> cases;
    auto add = [&](const char *name, std::string bytes, const char *reason) {
        cases.push_back({name, std::move(bytes), reason});
    };

    add("cut.las", colour.substr(0, colour.size() - 500), "LAS file is truncated: ");
    add("cut-in-header.las", modern.substr(0, 300), "LAS file is truncated: ");
    std::string more = colour;
    set<uint32_t>(&more, 107, at<uint32_t>(colour, 107) + 10);
    add("more-points.las", more, "LAS file is truncated: ");
    std::string two_counts = modern;
    set<uint32_t>(&two_counts, 107, 5);
    add("two-counts.las", two_counts, "LAS header is inconsistent: ");
    std::string into_evlr = modern;
    set<uint64_t>(&into_evlr, 247, at<uint64_t>(modern, 247) + 3);
    add("points-over-evlr.las", into_evlr, "LAS header is inconsistent: ");
    std::string huge = modern;
    set<uint32_t>(&huge, 107, 0);
    set<uint64_t>(&huge, 247, UINT64_MAX / 8);
    add("huge-count.las", huge, "LAS header is inconsistent: ");
    std::string early = colour;
    set<uint32_t>(&early, 96, 200);
    add("offset-in-header.las", early, "LAS header is inconsistent: ");
    std::string into_vlrs = oldest;
    set<uint32_t>(&into_vlrs, 96, at<uint16_t>(oldest, 94) + 60);
    add("offset-in-vlrs.las", into_vlrs, "LAS header is inconsistent: ");
    std::string beyond = colour;
    set<uint32_t>(&beyond, 96, static_cast<uint32_t>(colour.size() + 100));
    add("offset-beyond.las", beyond, "LAS file is truncated: ");
    std::string short_records = colour;
    set<uint16_t>(&short_records, 105, 20);
    add("short-records.las", short_records, "LAS header is inconsistent: ");
    std::string format_11 = colour;
    format_11[104] = 11;
    add("format-11.las", format_11, "LAS header is inconsistent: ");
    std::string small_header = modern;
    set<uint16_t>(&small_header, 94, 227);
    add("1.4-small-header.las", small_header, "LAS header is inconsistent: ");
    std::string no_scale = colour;
    set<double>(&no_scale, 131 + 8, 0.0);
    add("zero-scale.las", no_scale, "LAS header is inconsistent: ");
    std::string nan_scale = colour;
    set<double>(&nan_scale, 131 + 16, std::nan(""));
    add("nan-scale.las", nan_scale, "LAS header is inconsistent: ");
    // Steps near the smallest doubles give coordinates of no extent, whose
    // grid of tile cells would have infinitely many cells per metre.
    const std::pair<const char *, double> steps[] = {
        {"subnormal-scale.las", 3.5e-310}, {"least-scale.las", -4.9e-324}, {"tiny-scale.las", 1e-300},
        {"sub-picometre-scale.las", 5e-13}};
    for (const auto &[name, step] : steps) {
        std::string fine = colour;
        set<double>(&fine, 131 + 8, step);
        set<double>(&fine, 155 + 8, 0.0);
        add(name, fine, "LAS scale factor is below 1e-12, finer than any survey measures: ");
    }
    std::string inf_box = colour;
    set<double>(&inf_box, 179, HUGE_VAL);
    add("infinite-box.las", inf_box, "LAS header is inconsistent: ");
    for (uint8_t bit : {0x80, 0x40}) {
        std::string laz = colour;
        laz[104] = static_cast<char>(laz[104] | bit);
        add(bit == 0x80 ? "compressed.las" : "compressed-40.las", laz, "LAZ files are not supported: ");
    }

    for (const auto &c : cases) {
        const std::string path = dir.file(c.name);
        write_bytes(path, c.bytes);
        EXPECT_EQ(open_error(path), c.reason + path) << c.name;
    }
}

TEST(LasFile, AcceptsTheLegacyCountAloneInLas14)
{
    TempDir dir;
    std::string modern = las_sample_bytes("simple1_4.las");
    const uint64_t count = at<uint64_t>(modern, 247);
    set<uint64_t>(&modern, 247, 0);
    set<uint32_t>(&modern, 107, static_cast<uint32_t>(count));
    write_bytes(dir.file("legacy.las"), modern);
    auto las = LasFile::open(dir.file("legacy.las"), nullptr);
    ASSERT_NE(las, nullptr);
    EXPECT_EQ(las->point_count(), count);
}

TEST(LasFile, ExtendedVlrsOfLas14AreAvailable)
{
    const std::string bytes = las_sample_bytes("simple1_4.las");
    auto las = LasFile::open(las_sample("simple1_4.las"), nullptr);
    ASSERT_NE(las, nullptr);
    const uint64_t evlr_offset = at<uint64_t>(bytes, 235);
    ASSERT_GT(las->header().evlr_count, 0u);
    std::string evlrs;
    uint32_t count = 0;
    ASSERT_TRUE(las->read_evlrs(1 << 20, &evlrs, &count));
    EXPECT_EQ(count, las->header().evlr_count);
    EXPECT_EQ(evlrs, bytes.substr(evlr_offset)) << "no waveform records in this file, so all are kept";
    EXPECT_FALSE(las->read_evlrs(10, &evlrs, &count)) << "over the limit";
}

TEST(LasHeaderSummary, GivesTheCountAndBoxOfTheHeader)
{
    for (const auto &path : las_samples()) {
        SCOPED_TRACE(path);
        const PlainHeader expected = plain_header(read_bytes(path));
        double box[6];
        EXPECT_EQ(velmo_read_point_number(path.c_str(), box), static_cast<int32_t>(expected.count));
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(box[i], expected.min[i]);
            EXPECT_EQ(box[3 + i], expected.max[i]);
        }
        EXPECT_EQ(velmo_read_point_number(path.c_str(), nullptr), static_cast<int32_t>(expected.count));
    }
}

TEST(LasHeaderSummary, GivesZeroForAnythingUnreadable)
{
    TempDir dir;
    write_bytes(dir.file("text.las"), std::string(1000, 'z'));
    std::string cut = las_sample_bytes("1.2-with-color.las");
    write_bytes(dir.file("cut.las"), cut.substr(0, cut.size() / 2));
    std::string long_path(1500, 'b');
    for (const std::string &path : {dir.file("text.las"), dir.file("cut.las"), dir.file("none.las"), long_path}) {
        double box[6] = {1, 2, 3, 4, 5, 6};
        EXPECT_EQ(velmo_read_point_number(path.c_str(), box), 0) << path;
        for (double v : box)
            EXPECT_EQ(v, 0.0);
    }
    double box[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(velmo_read_point_number(nullptr, box), 0);
    EXPECT_EQ(box[5], 0.0);
    EXPECT_EQ(velmo_read_point_number(nullptr, nullptr), 0);
}

TEST(LasHeaderSummary, ClampsCountsBeyondInt32)
{
    TempDir dir;
    // A 1.4 header over a sparse file long enough for 2^31 + 5 records.
    std::string bytes = las_sample_bytes("simple1_4.las").substr(0, 375);
    const uint64_t count = (uint64_t(1) << 31) + 5;
    set<uint32_t>(&bytes, 96, 375);
    set<uint32_t>(&bytes, 100, 0);
    set<uint32_t>(&bytes, 107, 0);
    set<uint64_t>(&bytes, 235, 0);
    set<uint32_t>(&bytes, 243, 0);
    set<uint64_t>(&bytes, 247, count);
    const std::string path = dir.file("big.las");
    write_bytes(path, bytes);
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const uint16_t length = at<uint16_t>(bytes, 105);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(375 + count * length)), 0);
    ::close(fd);
    double box[6];
    EXPECT_EQ(velmo_read_point_number(path.c_str(), box), INT32_MAX);
    EXPECT_EQ(box[0], plain_header(bytes).min[0]);
}
