// What a file on disk is to the program: one of the open project's own
// files, or a file of one of the kinds the engine writes.  The program asks
// before it lets a save replace anything.
#include "velmo.h"

#include "workspace_state.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace velmo {

namespace {

// Enough of a file's start to tell its kind.
const size_t HEAD_BYTES = 4096;

// The path with every link and ".." resolved as far as it exists.
fs::path resolved(const std::string &path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec)
        absolute = fs::path(path);
    fs::path canonical = fs::weakly_canonical(absolute, ec);
    return (ec ? absolute : canonical).lexically_normal();
}

bool same_file(const fs::path &a, const std::string &b)
{
    if (b.empty())
        return false;
    std::error_code ec;
    // A hard link has a name of its own.
    if (fs::equivalent(a, b, ec))
        return true;
    return a == resolved(b);
}

bool inside(const fs::path &path, const std::string &folder)
{
    if (folder.empty())
        return false;
    const fs::path top = resolved(folder);
    auto mismatch = std::mismatch(top.begin(), top.end(), path.begin(), path.end());
    return mismatch.first == top.end();
}

// The database's journal and the lock are named "<project file>-...".
bool beside_project(const fs::path &path, const std::string &project)
{
    const std::string own = resolved(project).string(), name = path.string();
    return name.size() > own.size() && name.compare(0, own.size(), own) == 0 && name[own.size()] == '-';
}

template <typename Record, typename Path>
bool any_of_list(Array *list, const fs::path &path, Path path_of)
{
    for (size_t i = 0; list && i < array_size(list); i++) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK && item && same_file(path, path_of(static_cast<Record *>(item))))
            return true;
    }
    return false;
}

std::string head_of(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    std::string head(HEAD_BYTES, '\0');
    file.read(&head[0], std::streamsize(head.size()));
    head.resize(size_t(std::max<std::streamsize>(file.gcount(), 0)));
    return head;
}

std::vector<std::string> lines_of(const std::string &text, size_t most)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < most) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n')
            start++;
    }
    return lines;
}

std::string trimmed(const std::string &text)
{
    size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        first++;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        last--;
    return text.substr(first, last - first);
}

bool ends_with(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "HINTCAD<version>_<what>_SHUJU" on the first line.
bool hintcad_file(const std::string &head, const char *what)
{
    const std::vector<std::string> lines = lines_of(head, 1);
    return !lines.empty() && lines[0].rfind("HINTCAD", 0) == 0 &&
           ends_with(trimmed(lines[0]), std::string("_") + what + "_SHUJU");
}

bool dxf_file(const std::string &head)
{
    if (head.rfind("AutoCAD Binary DXF", 0) == 0)
        return true;
    const std::vector<std::string> lines = lines_of(head, 2);
    if (lines.empty())
        return false;
    const std::string code = trimmed(lines[0]);
    return code == "999" || (code == "0" && lines.size() == 2 && trimmed(lines[1]) == "SECTION");
}

bool number(const std::string &text, bool whole)
{
    const std::string t = trimmed(text);
    const char *first = t.data(), *last = t.data() + t.size();
    if (first < last && *first == '+')
        first++;
    if (first == last)
        return false;
    std::from_chars_result read{};
    if (whole) {
        long long value = 0;
        read = std::from_chars(first, last, value);
    } else {
        double value = 0;
        read = std::from_chars(first, last, value);
    }
    return read.ec == std::errc() && read.ptr == last;
}

// "n,code,east,north,elevation" on the first line that holds anything.
bool dat_file(const std::string &head)
{
    for (const std::string &line : lines_of(head, 64)) {
        if (trimmed(line).empty())
            continue;
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            fields.push_back(line.substr(start, comma - start));
        fields.push_back(line.substr(start));
        return fields.size() >= 5 && number(fields[0], true) && number(fields[2], false) &&
               number(fields[3], false) && number(fields[4], false);
    }
    return false;
}

bool road_file(const char *path)
{
    road_t road;
    road_init(&road);
    const bool read = road_import_haidi(&road, path) == 0 || road_import_weidi(&road, path) == 0;
    road_final(&road);
    return read;
}

} // namespace

} // namespace velmo

using namespace velmo;

extern "C" {

int wks_file_role(const wks_t *wks, const char *path)
{
    if (!wks || !wks->state || !wks->project || !path_ok(path))
        return WKS_FILE_FOREIGN;
    try {
        const fs::path file = resolved(path);
        const velmo_workspace_state &state = *wks->state;
        if (same_file(file, state.project_path) || beside_project(file, state.project_path))
            return WKS_FILE_PROJECT;
        if (inside(file, state.data_folder))
            return WKS_FILE_DATA;
        if (any_of_list<velmo_t>(wks->clouds, file, [](velmo_t *cloud) { return std::string(cloud->path); }))
            return WKS_FILE_CLOUD;
        if (any_of_list<wks_road_t>(wks->roads, file, [](wks_road_t *road) { return std::string(road->path); }))
            return WKS_FILE_ROAD;
    } catch (...) {
        // A path the file system cannot even name is no file of the project.
    }
    return WKS_FILE_FOREIGN;
}

int velmo_file_is_kind(const char *path, int kind)
{
    if (!path_ok(path))
        return 0;
    try {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            return 0;
        if (fs::file_size(path, ec) == 0 && !ec)
            return 1;
        const std::string head = head_of(path);
        switch (kind) {
        case VELMO_FILE_LAS:
            return head.rfind("LASF", 0) == 0;
        case VELMO_FILE_HDM:
            return hintcad_file(head, "HDM");
        case VELMO_FILE_DMX:
            return hintcad_file(head, "DMX");
        case VELMO_FILE_DXF:
            return dxf_file(head);
        case VELMO_FILE_DAT:
            return dat_file(head);
        case VELMO_FILE_ROAD:
            return road_file(path);
        default:
            return 0;
        }
    } catch (...) {
        return 0;
    }
}

} // extern "C"
