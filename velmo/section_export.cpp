// Ground lines of sections written for road-design programs: HintCAD HDM
// (cross sections) and DMX (longitudinal ground line) files, and coordinate
// DAT files.
#include "velmo.h"

#include "c_notation.h"
#include "section_state.h"
#include "workspace_state.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace velmo {

namespace {

const char HDM_HEADER[] = "HINTCAD5.83_HDM_SHUJU\r\n";
const char DMX_HEADER[] = "HINTCAD5.83_DMX_SHUJU\r\n";

// A road point lies on a latitude section's centre within this, and the
// road's tangent runs along the section's normal within this cosine.
const double CENTRE_ON_ROAD = 0.01;
const double TANGENT_ALONG_NORMAL = 0.99;

// One section's ground line and the station it is filed under.
struct Station {
    double station;
    std::vector<GroundPoint> line;
};

// One file of an export: written aside first, then put in place.
struct OutputFile {
    std::string path;
    std::string text;
};

void append_format(std::string &out, const char *format, ...)
{
    char buffer[128];
    va_list args;
    va_start(args, format);
    int n = c_vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0)
        out.append(buffer, std::min<size_t>(size_t(n), sizeof buffer - 1));
}

// Millimetres, the resolution of every number in the files.
long long millimetres(double metres)
{
    return std::llround(metres * 1000.0);
}

template <typename T>
T *list_item(Array *list, size_t index)
{
    void *item = nullptr;
    if (array_get_at(list, index, &item) != CC_OK)
        return nullptr;
    return static_cast<T *>(item);
}

std::vector<GroundPoint> finite_points(std::vector<GroundPoint> line)
{
    line.erase(std::remove_if(line.begin(), line.end(),
                              [](const GroundPoint &p) { return !std::isfinite(p.u) || !std::isfinite(p.v); }),
               line.end());
    return line;
}

std::vector<GroundPoint> ground_line(wks_t *wks, section_t *section, bool automatic)
{
    if (!section || !section->state)
        return {};
    return finite_points(section_ground_line(wks, section, automatic));
}

// ---- files ------------------------------------------------------------------

// errno tells why when the write fails (0: it was cut short).
bool write_part(const std::string &path, const std::string &text)
{
    std::string part = path + ".part";
    FILE *file = std::fopen(part.c_str(), "wb");
    if (!file)
        return false;
    errno = 0;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        int error = errno;
        std::remove(part.c_str());
        errno = error;
    }
    return ok;
}

// Every file is written in full beside its target before any is put in
// place, so a failed export leaves neither half files nor half a pair.
int write_files(const std::vector<OutputFile> &files)
{
    size_t written = 0;
    while (written < files.size() && write_part(files[written].path, files[written].text))
        written++;
    bool ok = written == files.size();
    for (size_t i = 0; i < written; i++) {
        std::string part = files[i].path + ".part";
        if (!ok || std::rename(part.c_str(), files[i].path.c_str()) != 0) {
            std::remove(part.c_str());
            ok = false;
        }
    }
    return ok ? 1 : 0;
}

} // namespace

int section_file_failure(section_t *section, const std::string &message)
{
    section->state->file_message = message;
    return 0;
}

std::string cannot_write(const std::string &path, int error)
{
    return "Cannot write \"" + path + "\": " +
           (error ? std::string(std::strerror(error)) : std::string("the file could not be written in full")) + ".";
}

namespace {

bool same_text_ignoring_case(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "<stem>.DMX" beside an HDM path; never the HDM path itself, even on a file
// system that ignores case.
std::string dmx_beside(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string twin = (has_extension ? path.substr(0, dot) : path) + ".DMX";
    return same_text_ignoring_case(twin, path) ? path + ".DMX" : twin;
}

// ---- HDM and DMX text -------------------------------------------------------

// A side of a station, its points ordered outwards from the centre stake.
// Each pair is the difference of the rounded distances and heights from the
// stake, so summing the pairs gives every point back to the millimetre
// however many points the side has.
void append_side(std::string &out, const std::vector<GroundPoint> &side, double centre_z)
{
    append_format(out, "%zu", side.size());
    long long distance = 0, height = 0;
    for (const GroundPoint &p : side) {
        long long d = millimetres(std::fabs(p.u)), h = millimetres(p.v - centre_z);
        append_format(out, "\t%.3f\t%.3f", double(d - distance) / 1000.0, double(h - height) / 1000.0);
        distance = d;
        height = h;
    }
    out += "\r\n";
}

void append_hdm_station(std::string &out, const Station &s)
{
    double centre_z = ground_height_at(s.line, 0.0);
    std::vector<GroundPoint> left, right;
    for (const GroundPoint &p : s.line) {
        long long offset = millimetres(p.u);
        if (offset < 0)
            left.push_back(p);
        else if (offset > 0)
            right.push_back(p);
    }
    std::reverse(left.begin(), left.end());
    append_format(out, "%.3f\r\n", s.station);
    append_side(out, left, centre_z);
    append_side(out, right, centre_z);
}

std::string hdm_text(const std::vector<Station> &stations)
{
    std::string out = HDM_HEADER;
    for (const Station &s : stations)
        append_hdm_station(out, s);
    return out;
}

// Appends a DMX line unless its station does not lie beyond the last one:
// the file's stations must increase.
void append_dmx_line(std::string &out, long long *last_station, double station, double elevation)
{
    long long key = millimetres(station);
    if (*last_station != LLONG_MIN && key <= *last_station)
        return;
    *last_station = key;
    append_format(out, "%12.3f\t%10.6f\r\n", station, elevation);
}

std::string centre_dmx_text(const std::vector<Station> &stations)
{
    std::string out = DMX_HEADER;
    long long last = LLONG_MIN;
    for (const Station &s : stations)
        append_dmx_line(out, &last, s.station, ground_height_at(s.line, 0.0));
    return out;
}

// Longitude sections in chainage order; where two overlap, the one that
// starts first keeps the overlap.
std::string profile_dmx_text(std::vector<Station> sections)
{
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Station &a, const Station &b) { return a.line.front().u < b.line.front().u; });
    std::string out = DMX_HEADER;
    long long last = LLONG_MIN;
    for (const Station &s : sections)
        for (const GroundPoint &p : s.line)
            append_dmx_line(out, &last, p.u, p.v);
    return out;
}

// ---- stations -----------------------------------------------------------------

// Chainage of a latitude section from its name, "L" + mileage text such as
// "LK1+234.50", "L-K1+234.50" or "LK0-005.00".
bool chainage_from_name(const char *name, double *chainage)
{
    const char *p = name;
    if (*p++ != 'L')
        return false;
    bool negative = *p == '-';
    if (negative)
        p++;
    if (*p++ != 'K' || !std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    double km = 0, metres = 0;
    const char *end = read_c_number(p, &km);
    if (!end)
        return false;
    char sign = *end;
    if ((sign != '+' && sign != '-') || !std::isdigit(static_cast<unsigned char>(end[1])))
        return false;
    end = read_c_number(end + 1, &metres);
    if (!end || *end != '\0' || !std::isfinite(km) || !std::isfinite(metres))
        return false;
    double value = km * 1000.0 + (sign == '-' ? -metres : metres);
    *chainage = negative ? -value : value;
    return true;
}

// A latitude section's centre is a road point and its normal runs against
// the road: the road that passes through the centre along the normal gives
// the exact chainage.  Roads edited or removed since the section was cut
// leave the mileage in its name.
bool latitude_chainage(wks_t *wks, const section_t *section, double *chainage)
{
    double best_offset = CENTRE_ON_ROAD;
    bool found = false;
    for (size_t i = 0; i < array_size(wks->roads); i++) {
        wks_road_t *road = list_item<wks_road_t>(wks->roads, i);
        double s = 0, azimuth = 0, offset = 0;
        if (!road || road_xy2l(&road->road, section->center[1], section->center[0], &s, nullptr, nullptr, &azimuth,
                               &offset) < 0)
            continue;
        double along = std::fabs(std::sin(azimuth) * section->normal[0] + std::cos(azimuth) * section->normal[1]);
        if (std::fabs(offset) <= best_offset && along >= TANGENT_ALONG_NORMAL && std::isfinite(s)) {
            best_offset = std::fabs(offset);
            *chainage = s;
            found = true;
        }
    }
    return found || chainage_from_name(section->name, chainage);
}

std::vector<Station> latitude_stations(wks_t *wks, bool automatic)
{
    std::vector<Station> stations;
    for (size_t i = 0; i < array_size(wks->latitude_sections); i++) {
        section_t *section = list_item<section_t>(wks->latitude_sections, i);
        double chainage = 0;
        if (!section || section->type != SECTION_LATITUDE || !latitude_chainage(wks, section, &chainage))
            continue;
        std::vector<GroundPoint> line = ground_line(wks, section, automatic);
        if (!line.empty())
            stations.push_back({chainage, std::move(line)});
    }
    std::stable_sort(stations.begin(), stations.end(),
                     [](const Station &a, const Station &b) { return a.station < b.station; });
    return stations;
}

// Custom sections have no chainage: each is filed under its place in the
// custom list (1, 2, ...), so the numbers match the workspace tree.
// Horizontal sections have no ground profile and are left out.
std::vector<Station> custom_stations(wks_t *wks, bool automatic)
{
    std::vector<Station> stations;
    for (size_t i = 0; i < array_size(wks->custom_sections); i++) {
        section_t *section = list_item<section_t>(wks->custom_sections, i);
        if (!section || section->type != SECTION_CUSTOM)
            continue;
        std::vector<GroundPoint> line = ground_line(wks, section, automatic);
        if (!line.empty())
            stations.push_back({double(i + 1), std::move(line)});
    }
    return stations;
}

std::vector<Station> longitude_profiles(wks_t *wks, bool automatic)
{
    std::vector<Station> profiles;
    for (size_t i = 0; i < array_size(wks->longitude_sections); i++) {
        section_t *section = list_item<section_t>(wks->longitude_sections, i);
        if (!section || section->type != SECTION_LONGITUDE)
            continue;
        std::vector<GroundPoint> line = ground_line(wks, section, automatic);
        if (!line.empty())
            profiles.push_back({0.0, std::move(line)});
    }
    return profiles;
}

// The dialog's options; a missing array means its defaults.
struct Options {
    bool own_file;
    bool extra;
    bool section_points;
};

Options latitude_options(const int options[3])
{
    if (!options)
        return {true, false, false};
    return {options[0] != 0, options[1] != 0, options[2] != 0};
}

Options single_options(const int options[3])
{
    if (!options)
        return {true, false, false};
    return {options[0] != 0, false, options[1] != 0};
}

bool usable(wks_t *wks, const char *path)
{
    return wks && path_ok(path);
}

} // namespace

} // namespace velmo

using namespace velmo;

// options: [0] the HDM at path, [1] a DMX beside it with each section's
// centre ground elevation, [2] sections without measurements use their
// automatic ground line.  Returns the number of sections written.
int wks_export_latitude_sections(wks_t *wks, const char *path, const int options[3])
{
    Options o = latitude_options(options);
    if (!usable(wks, path) || (!o.own_file && !o.extra))
        return 0;
    std::vector<Station> stations = latitude_stations(wks, o.section_points);
    if (stations.empty())
        return 0;
    std::vector<OutputFile> files;
    if (o.own_file)
        files.push_back({path, hdm_text(stations)});
    if (o.extra)
        files.push_back({dmx_beside(path), centre_dmx_text(stations)});
    return write_files(files) ? int(stations.size()) : 0;
}

// options: [0] the DMX at path, [1] automatic ground lines.
int wks_export_longitude_sections(wks_t *wks, const char *path, const int options[3])
{
    Options o = single_options(options);
    if (!usable(wks, path) || !o.own_file)
        return 0;
    std::vector<Station> profiles = longitude_profiles(wks, o.section_points);
    if (profiles.empty())
        return 0;
    return write_files({{path, profile_dmx_text(profiles)}}) ? int(profiles.size()) : 0;
}

// options: [0] the HDM at path, [1] automatic ground lines.
int wks_export_custom_sections(wks_t *wks, const char *path, const int options[3])
{
    Options o = single_options(options);
    if (!usable(wks, path) || !o.own_file)
        return 0;
    std::vector<Station> stations = custom_stations(wks, o.section_points);
    if (stations.empty())
        return 0;
    return write_files({{path, hdm_text(stations)}}) ? int(stations.size()) : 0;
}

// The ground line as "n,,east,north,elevation" lines; the filter index the
// program passes picks nothing here.
int section_export_dat(wks_t *wks, section_t *section, const char *path, int /*filter*/)
{
    if (!wks || !section || !section->state)
        return 0;
    if (!path_ok(path))
        return section_file_failure(section, path ? "The file's path is empty or too long." : "No file was given.");
    std::vector<GroundPoint> line = ground_line(wks, section, true);
    if (line.empty())
        return section_file_failure(section, "The section has no ground line to export.");
    std::string text;
    int number = 1;
    for (const GroundPoint &p : line)
        append_format(text, "%d,,%.3f,%.3f,%.3f\r\n", number++, p.x, p.y, p.z);
    if (!write_part(path, text))
        return section_file_failure(section, cannot_write(path, errno));
    std::string part = std::string(path) + ".part";
    if (std::rename(part.c_str(), path) != 0) {
        int error = errno;
        std::remove(part.c_str());
        return section_file_failure(section, cannot_write(path, error));
    }
    section->state->file_message.clear();
    return 1;
}

int wks_latitude_dmx_path(const char *path, char *out, size_t size)
{
    if (!path || !out || size == 0)
        return 0;
    try {
        return copy_whole(out, size, dmx_beside(path)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

const char *section_last_message(const section_t *section)
{
    return section && section->state ? section->state->file_message.c_str() : "";
}
