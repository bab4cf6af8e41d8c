// Damaged ".pm" files: a seeded random mutator over real samples.  A read
// either succeeds with a chained road or fails and leaves the road alone;
// nothing crashes (the sanitizer build checks memory as well).
#include "road.h"
#include "file_test_support.h"
#include "test_roads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace test_roads;
using namespace file_tests;

using Reader = int (*)(road_t *, const char *);
using Writer = int (*)(const road_t *, const char *);

const char *const kOddNumbers[] = {"nan", "-nan", "inf", "-inf", "1e308", "-1e308", "1e999", "0",
                                   "-0", "-1", "2147483648", "99999999999", "1e-320", "0x1p3", "9999", ""};

class Mutator {
public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    std::string mutate(std::string text)
    {
        int steps = 1 + pick(4);
        for (int i = 0; i < steps; i++)
            text = mutate_once(text);
        return text;
    }

private:
    std::mt19937 random_;

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    size_t position(const std::string &text) { return text.empty() ? 0 : (size_t)pick((int)text.size()); }

    std::string mutate_once(std::string text)
    {
        switch (pick(7)) {
        case 0:
            if (!text.empty())
                text[position(text)] ^= (char)(1 << pick(8));
            break;
        case 1:
            text.insert(position(text), 1, "0123456789.-+eE \t\r\nZYHLR\0"[pick(26)]);
            break;
        case 2:
            if (!text.empty())
                text.erase(position(text), 1 + pick(8));
            break;
        case 3:
            text.resize(position(text));
            break;
        case 4:
            text = duplicate_line(text);
            break;
        case 5:
        case 6:
            text = replace_number(text);
            break;
        }
        return text;
    }

    std::string duplicate_line(const std::string &text)
    {
        size_t start = text.rfind('\n', position(text));
        start = start == std::string::npos ? 0 : start + 1;
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        return text.substr(0, end) + line + text.substr(end);
    }

    std::string replace_number(const std::string &text)
    {
        const std::string digits = "0123456789";
        size_t at = text.find_first_of(digits, position(text));
        if (at == std::string::npos)
            return text;
        size_t end = text.find_first_not_of(digits + ".-", at);
        end = end == std::string::npos ? text.size() : end;
        return text.substr(0, at) + kOddNumbers[pick(16)] + text.substr(end);
    }
};

struct Format {
    const char *name;
    Reader read;
    Writer write;
    std::vector<std::string> samples;
};

std::string written_sample(Writer write, void (*make)(road_t *), const char *name)
{
    ScratchFile file(name);
    Road r;
    make(r.get());
    EXPECT_EQ(write(r.get(), file.c_str()), 0);
    return read_bytes(file.path());
}

void run_fuzz(Format &format, unsigned seed, int iterations, std::chrono::milliseconds budget)
{
    ScratchFile input(std::string("fuzz_in_") + format.name), output(std::string("fuzz_out_") + format.name);
    Mutator mutator(seed);
    Road r;
    road_in_use(r.get());
    auto until = std::chrono::steady_clock::now() + budget;
    int done = 0, accepted = 0;
    for (; done < iterations && std::chrono::steady_clock::now() < until; done++) {
        std::string bytes = mutator.mutate(format.samples[done % format.samples.size()]);
        write_bytes(input.path(), bytes);
        RoadSnapshot before(r.get());
        int result = format.read(r.get(), input.c_str());
        if (result != 0) {
            ASSERT_EQ(result, -1);
            ASSERT_TRUE(before.same_as(r.get())) << "iteration " << done << " changed the road:\n" << bytes;
            continue;
        }
        accepted++;
        ASSERT_GE(road_number_horizon(r.get()), 1) << bytes;
        ASSERT_EQ(road_horizon(r.get(), 0)->type, HORIZON_START) << bytes;
        // Whatever was accepted can be evaluated and written out again.
        road_l2xy(r.get(), road_horizon(r.get(), 0)->start_chainage + 10, nullptr, nullptr, nullptr);
        format.write(r.get(), output.c_str());
        road_clear_horizon(r.get());
        five_element_alignment(r.get());
    }
    EXPECT_GE(done, 50) << "too few iterations in the time given";
    EXPECT_GT(accepted, 0) << "no mutation was harmless: the samples themselves may not read";
    ::testing::Test::RecordProperty(std::string(format.name) + "_iterations", done);
    ::testing::Test::RecordProperty(std::string(format.name) + "_accepted", accepted);
}

TEST(PmFuzz, DamagedHaiDiFilesNeverHalfLoad)
{
    Format haidi = {"haidi", road_import_haidi, road_export_haidi,
                    {read_bytes(data_file("haidi_five_elements.pm")),
                     written_sample(road_export_haidi, road_across_north, "fuzz_seed_haidi.pm")}};
    run_fuzz(haidi, 20240611u, 3000, std::chrono::milliseconds(1200));
}

TEST(PmFuzz, DamagedWeiDiFilesNeverHalfLoad)
{
    Format weidi = {"weidi", road_import_weidi, road_export_weidi,
                    {read_bytes(data_file("weidi_real_crlf.pm")),
                     written_sample(road_export_weidi, road_across_north, "fuzz_seed_weidi.pm")}};
    run_fuzz(weidi, 20240612u, 3000, std::chrono::milliseconds(1200));
}

} // namespace
