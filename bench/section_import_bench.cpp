// section_import_bench: how long reading a chain list file holds the
// program, for files a surveyor might pick by mistake.
//
//   section_import_bench [--dir PATH]
//
// Writes five files and times reading each one's rows as the chain list
// import does: 5,000,000 rows (58 MB, refused at its first row too many),
// 64 MB of lines that are no rows, 64 MB of empty and 64 MB of blank lines,
// and a full list of 100,000 rows.  Each should take well under a second.
#include "ChainListLine.h"
#include "SectionText.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

void Write(const std::string &path, long lines, const std::function<std::string(long)> &line)
{
    std::ofstream out(path, std::ios::binary);
    for (long k = 0; k < lines; ++k)
        out << line(k);
}

void Time(const char *name, const std::string &path)
{
    const Clock::time_point start = Clock::now();
    long rows = 0;
    std::vector<int> unread;
    wxString error;
    const bool read = SectionText::ReadRows(path, SectionText::MAX_ROWS, [&rows](const std::string &text) {
        ChainListLine row;
        rows += ChainListLine::Parse(text, &row);
        return ChainListLine::Parse(text, &row);
    }, &unread, &error);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s_seconds=%.6g\n%s_read=%d\n%s_rows=%ld\n", name, seconds, name, int(read), name, rows);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    std::string dir = (fs::temp_directory_path() / "corvane-import-bench").string();
    if (argc == 3 && std::string(argv[1]) == "--dir")
        dir = argv[2];
    fs::create_directories(dir);
    const std::string rows = dir + "/rows.txt", words = dir + "/words.txt", empty = dir + "/empty.txt",
                      blank = dir + "/blank.txt", full = dir + "/full.txt";
    Write(rows, 5000000, [](long k) { return std::to_string(k) + ",12.5\n"; });
    Write(words, (SectionText::MAX_FILE_BYTES - 16) / 16, [](long) { return std::string("chainage;height\n"); });
    Write(empty, SectionText::MAX_FILE_BYTES - 16, [](long) { return std::string("\n"); });
    Write(blank, (SectionText::MAX_FILE_BYTES - 16) / 2, [](long) { return std::string(" \n"); });
    Write(full, SectionText::MAX_ROWS, [](long k) { return std::to_string(k) + ",1\n"; });
    Time("five_million_rows", rows);
    Time("lines_no_rows", words);
    Time("empty_lines", empty);
    Time("blank_lines", blank);
    Time("full_list", full);
    fs::remove_all(dir);
    return 0;
}
