#include "las_file.h"
#include "las_writer.h"

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
using velmo::LasPoint;
using velmo::LasWriter;
using velmo::LasWriteSpec;

namespace {


// A point using every field the format can hold, different for each i.
LasPoint varied_point(int i, uint8_t format)
{
    LasPoint p;
    p.X = -50000 + i * 37;
    p.Y = 123456 - i * 11;
    p.Z = (i * 7919) % 40000 - 20000;
    p.intensity = static_cast<uint16_t>(i * 331);
    const int max_returns = format < 6 ? 7 : 15;
    p.number_of_returns = static_cast<uint8_t>(1 + i % max_returns);
    p.return_number = static_cast<uint8_t>(1 + (i / 3) % p.number_of_returns);
    p.classification = static_cast<uint8_t>(format < 6 ? i % 32 : i % 256);
    p.user_data = static_cast<uint8_t>(i * 13);
    p.scan_angle = static_cast<int16_t>(format < 6 ? i % 181 - 90 : (i * 97) % 30001 - 15000);
    p.point_source_id = static_cast<uint16_t>(i * 101);
    if (velmo::las_format_has_time(format))
        p.gps_time = 1.0e8 + i * 0.123456789;
    if (velmo::las_format_has_colour(format)) {
        p.red = static_cast<uint16_t>(i * 257);
        p.green = static_cast<uint16_t>(65535 - i * 3);
        p.blue = static_cast<uint16_t>(i * 1009);
        p.has_colour = true;
    }
    return p;
}

void expect_same_point(const LasPoint &a, const LasPoint &b)
{
    EXPECT_EQ(a.X, b.X);
    EXPECT_EQ(a.Y, b.Y);
    EXPECT_EQ(a.Z, b.Z);
    EXPECT_EQ(a.intensity, b.intensity);
    EXPECT_EQ(a.return_number, b.return_number);
    EXPECT_EQ(a.number_of_returns, b.number_of_returns);
    EXPECT_EQ(a.classification, b.classification);
    EXPECT_EQ(a.user_data, b.user_data);
    EXPECT_EQ(a.scan_angle, b.scan_angle);
    EXPECT_EQ(a.point_source_id, b.point_source_id);
    EXPECT_EQ(a.gps_time, b.gps_time);
    EXPECT_EQ(a.has_colour, b.has_colour);
    EXPECT_EQ(a.red, b.red);
    EXPECT_EQ(a.green, b.green);
    EXPECT_EQ(a.blue, b.blue);
}

std::vector<uint8_t> all_records(const LasFile &las)
{
    std::vector<uint8_t> records(las.point_count() * las.header().record_length);
    EXPECT_TRUE(las.read_records(0, las.point_count(), records.data()));
    return records;
}

} // namespace

TEST(LasWriter, EveryFormatAndVersionReadsBackFieldForField)
{
    TempDir dir;
    const int count = 3000;
    for (uint8_t format = 0; format <= 10; format++) {
        for (uint8_t minor = format >= 6 ? 4 : 0; minor <= 4; minor++) {
            SCOPED_TRACE("format " + std::to_string(format) + " version 1." + std::to_string(minor));
            LasWriteSpec spec;
            spec.version_minor = minor;
            spec.point_format = format;
            spec.scale[0] = 0.01;
            spec.offset[1] = 4000000.0;
            spec.buffer_bytes = 4096; // many flushes
            const std::string path = dir.file("f" + std::to_string(format) + "v" + std::to_string(minor) + ".las");
            std::string error;
            auto writer = LasWriter::create(path, spec, &error);
            ASSERT_NE(writer, nullptr) << error;
            uint64_t by_return[16] = {};
            for (int i = 0; i < count; i++) {
                LasPoint p = varied_point(i, format);
                by_return[p.return_number]++;
                ASSERT_TRUE(writer->write(p));
            }
            ASSERT_TRUE(writer->finish()) << writer->error();
            EXPECT_FALSE(fs::exists(path + ".part"));

            auto las = LasFile::open(path, &error);
            ASSERT_NE(las, nullptr) << error;
            const velmo::LasHeader &h = las->header();
            EXPECT_EQ(h.version_minor, minor);
            EXPECT_EQ(h.point_format, format);
            EXPECT_EQ(h.record_length, velmo::las_format_record_size(format));
            ASSERT_EQ(las->point_count(), uint64_t(count));
            EXPECT_EQ(h.scale[0], 0.01);
            EXPECT_EQ(h.offset[1], 4000000.0);
            const std::string head = las->header_bytes();
            uint32_t legacy;
            std::memcpy(&legacy, head.data() + 107, 4);
            EXPECT_EQ(legacy, format < 6 ? uint32_t(count) : 0u) << "formats 6-10 use only the 64-bit count";
            uint32_t legacy_first_returns;
            std::memcpy(&legacy_first_returns, head.data() + 111, 4);
            EXPECT_EQ(legacy_first_returns, format < 6 ? by_return[1] : 0u);
            if (minor == 4) {
                uint64_t second_returns;
                std::memcpy(&second_returns, head.data() + 255 + 8, 8);
                EXPECT_EQ(second_returns, by_return[2]);
            }

            std::vector<uint8_t> records = all_records(*las);
            double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
            for (int i = 0; i < count; i++) {
                LasPoint back;
                las->decode(records.data() + i * h.record_length, &back);
                expect_same_point(back, varied_point(i, format));
                const int32_t stored[3] = {back.X, back.Y, back.Z};
                for (int a = 0; a < 3; a++) {
                    low[a] = std::min(low[a], stored[a] * h.scale[a] + h.offset[a]);
                    high[a] = std::max(high[a], stored[a] * h.scale[a] + h.offset[a]);
                }
                if (HasFailure())
                    return;
            }
            for (int a = 0; a < 3; a++) {
                EXPECT_DOUBLE_EQ(h.min[a], low[a]);
                EXPECT_DOUBLE_EQ(h.max[a], high[a]);
            }
        }
    }
}

TEST(LasWriter, RawRecordsKeepTheirExtraBytes)
{
    TempDir dir;
    LasWriteSpec spec;
    spec.point_format = 1;
    spec.record_length = 28 + 6;
    spec.buffer_bytes = 100;
    std::vector<uint8_t> records(500 * spec.record_length);
    for (size_t i = 0; i < records.size(); i++)
        records[i] = static_cast<uint8_t>(i * 7 + 3);
    auto writer = LasWriter::create(dir.file("extra.las"), spec, nullptr);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->write(records.data(), 3));       // through the buffer
    ASSERT_TRUE(writer->write(records.data() + 3 * spec.record_length, 497)); // straight through
    ASSERT_TRUE(writer->finish());
    auto las = LasFile::open(dir.file("extra.las"), nullptr);
    ASSERT_NE(las, nullptr);
    EXPECT_EQ(las->header().record_length, spec.record_length);
    EXPECT_EQ(all_records(*las), records);
}

TEST(LasWriter, ClearsWaveformReferencesItCannotCarry)
{
    TempDir dir;
    for (uint8_t format : {4, 5, 9, 10}) {
        LasWriteSpec spec;
        spec.version_minor = 4;
        spec.point_format = format;
        spec.global_encoding = 0x0002 | 0x0001;
        const uint16_t length = velmo::las_format_record_size(format);
        const uint8_t wave = velmo::las_format_layout(format).wave;
        std::vector<uint8_t> records(10 * length, 0x11);
        const std::string path = dir.file("wave" + std::to_string(format) + ".las");
        auto writer = LasWriter::create(path, spec, nullptr);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write(records.data(), 10));
        ASSERT_TRUE(writer->finish());
        auto las = LasFile::open(path, nullptr);
        ASSERT_NE(las, nullptr);
        EXPECT_EQ(las->header().global_encoding, 0x0001) << "no waveform packets are claimed";
        std::vector<uint8_t> back = all_records(*las);
        for (int i = 0; i < 10; i++) {
            EXPECT_EQ(back[i * length + wave], 0) << "format " << int(format);
            EXPECT_EQ(back[i * length + wave + 1], 0x11) << "the rest of the packet stays";
        }
    }
}

TEST(LasWriter, CopiesTheLayoutAndRecordsOfARealFile)
{
    TempDir dir;
    for (const char *name : {"1.0_0.las", "1.2-with-color.las", "vegetation_1_3.las", "simple1_4.las"}) {
        SCOPED_TRACE(name);
        auto source = LasFile::open(las_sample(name), nullptr);
        ASSERT_NE(source, nullptr);
        const std::string path = dir.file(std::string("copy-") + name);
        auto writer = LasWriter::create(path, velmo::las_write_spec_like(*source), nullptr);
        ASSERT_NE(writer, nullptr);
        std::vector<uint8_t> records = all_records(*source);
        ASSERT_TRUE(writer->write(records.data(), source->point_count()));
        ASSERT_TRUE(writer->finish());

        auto copy = LasFile::open(path, nullptr);
        ASSERT_NE(copy, nullptr);
        const velmo::LasHeader &a = source->header(), &b = copy->header();
        EXPECT_EQ(b.version_minor, a.version_minor);
        EXPECT_EQ(b.point_format, a.point_format);
        EXPECT_EQ(b.vlr_count, a.vlr_count);
        EXPECT_EQ(copy->vlr_bytes(), source->vlr_bytes());
        EXPECT_EQ(copy->header_bytes().substr(8, 16), source->header_bytes().substr(8, 16)) << "project GUID";
        EXPECT_EQ(all_records(*copy), records);
        EXPECT_EQ(b.evlr_count, a.evlr_count);
        std::string evlrs_a, evlrs_b;
        uint32_t n_a = 0, n_b = 0;
        EXPECT_TRUE(source->read_evlrs(1 << 20, &evlrs_a, &n_a));
        EXPECT_TRUE(copy->read_evlrs(1 << 20, &evlrs_b, &n_b));
        EXPECT_EQ(evlrs_b, evlrs_a) << "the reference system travels with the points";
    }
}

TEST(LasWriter, FailedOrAbandonedWritesLeaveNothingBehind)
{
    TempDir dir;
    std::string error;
    const std::string path = dir.file("abandoned.las");
    {
        auto writer = LasWriter::create(path, LasWriteSpec(), &error);
        ASSERT_NE(writer, nullptr);
        EXPECT_TRUE(fs::exists(path + ".part"));
        ASSERT_TRUE(writer->write(varied_point(1, 0)));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + ".part"));

    auto discarded = LasWriter::create(path, LasWriteSpec(), &error);
    ASSERT_NE(discarded, nullptr);
    discarded->discard();
    EXPECT_FALSE(discarded->write(varied_point(1, 0)));
    EXPECT_FALSE(discarded->finish());
    EXPECT_TRUE(fs::is_empty(dir.path()));

    const std::string nowhere = dir.file("no/such/folder/x.las");
    EXPECT_EQ(LasWriter::create(nowhere, LasWriteSpec(), &error), nullptr);
    EXPECT_EQ(error, "Cannot write file: " + nowhere);

    const std::string someone_elses = path + ".part";
    write_bytes(someone_elses, "not ours");
    LasWriteSpec bad;
    bad.point_format = 7; // needs 1.4
    EXPECT_EQ(LasWriter::create(path, bad, &error), nullptr);
    bad.point_format = 11;
    bad.version_minor = 4;
    EXPECT_EQ(LasWriter::create(path, bad, &error), nullptr);
    bad.point_format = 1;
    bad.record_length = 27;
    EXPECT_EQ(LasWriter::create(path, bad, &error), nullptr);
    bad.record_length = 0;
    bad.scale[2] = 0;
    EXPECT_EQ(LasWriter::create(path, bad, &error), nullptr);
    EXPECT_EQ(read_bytes(someone_elses), "not ours") << "a refused layout touches no file";
    fs::remove(someone_elses);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(LasWriter, AnEmptyFileIsAValidLasFile)
{
    TempDir dir;
    for (uint8_t minor : {0, 4}) {
        LasWriteSpec spec;
        spec.version_minor = minor;
        const std::string path = dir.file("empty" + std::to_string(minor) + ".las");
        auto writer = LasWriter::create(path, spec, nullptr);
        ASSERT_TRUE(writer && writer->finish());
        auto las = LasFile::open(path, nullptr);
        ASSERT_NE(las, nullptr);
        EXPECT_EQ(las->point_count(), 0u);
        EXPECT_EQ(las->header().max[0], 0.0);
    }
}
