// corvane-lasgen: writes a synthetic road-corridor LAS file.
#include "lasgen.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>

namespace {

// The defaults shown are read from a default corridor, so the help cannot
// drift from them.
std::string usage()
{
    const lasgen::CorridorSpec d;
    char text[4096];
    std::snprintf(
        text, sizeof text,
        "usage: corvane-lasgen --out PATH [options]\n"
        "Writes a synthetic road corridor as the LAS file PATH and its centre line as\n"
        "a HaiDi road file beside it, named as PATH with the extension .pm\n"
        "(corridor.las -> corridor.pm): import that file as the road, and sections\n"
        "along it cut the corridor's cross-section.  A road file of that name is\n"
        "never replaced: unless it already holds this centre line nothing is written.\n"
        "  --points N            number of points (%llu)\n"
        "  --format F            point format 0-10 (%d)\n"
        "  --version 1.x         LAS version 1.0-1.4 (1.%d; formats 6-10 need 1.4)\n"
        "  --alignment A         straight or curved (straight)\n"
        "  --length L            corridor length in metres of chainage (%g)\n"
        "  --seed S              random seed (%llu)\n"
        "  --radius R            curve radius (%g)\n"
        "  --transition L        transition length (%g)\n"
        "  --east E --north N    world start point (%.0f, %.0f)\n"
        "  --azimuth DEG         start direction, degrees from north towards east\n"
        "                        (%.3f, that is %g rad)\n"
        "  --start-chainage S    chainage at the start (%g)\n"
        "  --half-width W        road surface half width (%g)\n"
        "  --crown-slope C       road crown fall per metre (%g)\n"
        "  --kerb-height H       kerb step (%g)\n"
        "  --footpath-width W    footpath width (%g)\n"
        "  --ditch-width W       ditch width (%g)\n"
        "  --ditch-depth D       ditch depth (%g)\n"
        "  --ground-width W      flat ground beyond the ditch (%g)\n"
        "  --centre-height Z     road centre height at the start (%g)\n"
        "  --grade G             rise per metre along the road (%g)\n"
        "  --trees SHARE         share of tree points, 0 for none (%g)\n"
        "  --tree-spacing S      distance between trees (%g)\n"
        "  --noise N             largest z error of ground points (%g)\n"
        "  --scale S             LAS coordinate step (%g)\n"
        "  --threads T           worker threads, 0 for one per core (%d)\n",
        static_cast<unsigned long long>(d.points), d.point_format, d.version_minor, d.length,
        static_cast<unsigned long long>(d.seed), d.curve_radius, d.transition_length, d.start_east, d.start_north,
        d.start_azimuth * 180.0 / M_PI, d.start_azimuth, d.start_chainage, d.half_width, d.crown_slope,
        d.kerb_height, d.footpath_width, d.ditch_width, d.ditch_depth, d.ground_width, d.centre_height, d.grade,
        d.tree_share, d.tree_spacing, d.noise, d.scale, d.threads);
    return text;
}

bool parse_number(const char *text, double *out)
{
    char *end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value))
        return false;
    *out = value;
    return true;
}

bool parse_whole(const char *text, uint64_t *out)
{
    char *end = nullptr;
    if (text[0] == '-')
        return false;
    unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0')
        return false;
    *out = value;
    return true;
}

bool parse_version(const char *text, int *minor)
{
    if (std::strlen(text) != 3 || text[0] != '1' || text[1] != '.' || text[2] < '0' || text[2] > '4')
        return false;
    *minor = text[2] - '0';
    return true;
}

using Setter = std::function<bool(const char *)>;

std::map<std::string, Setter> setters(lasgen::CorridorSpec *s, std::string *out)
{
    auto number = [](double *field) { return [field](const char *v) { return parse_number(v, field); }; };
    auto whole = [](uint64_t *field) { return [field](const char *v) { return parse_whole(v, field); }; };
    return {
        {"--out", [out](const char *v) { *out = v; return *v != '\0'; }},
        {"--points", whole(&s->points)},
        {"--seed", whole(&s->seed)},
        {"--format", [s](const char *v) { double f; return parse_number(v, &f) && (s->point_format = int(f)) == f; }},
        {"--threads", [s](const char *v) { double f; return parse_number(v, &f) && (s->threads = int(f)) == f; }},
        {"--version", [s](const char *v) { return parse_version(v, &s->version_minor); }},
        {"--alignment",
         [s](const char *v) {
             bool curved = std::strcmp(v, "curved") == 0;
             s->alignment = curved ? lasgen::Alignment::curved : lasgen::Alignment::straight;
             return curved || std::strcmp(v, "straight") == 0;
         }},
        {"--azimuth",
         [s](const char *v) {
             double degrees = 0;
             bool ok = parse_number(v, &degrees);
             s->start_azimuth = degrees * M_PI / 180.0;
             return ok;
         }},
        {"--length", number(&s->length)},
        {"--radius", number(&s->curve_radius)},
        {"--transition", number(&s->transition_length)},
        {"--east", number(&s->start_east)},
        {"--north", number(&s->start_north)},
        {"--start-chainage", number(&s->start_chainage)},
        {"--half-width", number(&s->half_width)},
        {"--crown-slope", number(&s->crown_slope)},
        {"--kerb-height", number(&s->kerb_height)},
        {"--footpath-width", number(&s->footpath_width)},
        {"--ditch-width", number(&s->ditch_width)},
        {"--ditch-depth", number(&s->ditch_depth)},
        {"--ground-width", number(&s->ground_width)},
        {"--centre-height", number(&s->centre_height)},
        {"--grade", number(&s->grade)},
        {"--trees", number(&s->tree_share)},
        {"--tree-spacing", number(&s->tree_spacing)},
        {"--noise", number(&s->noise)},
        {"--scale", number(&s->scale)},
    };
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether the road file at path holds exactly the centre line of spec; when
// not, *error says that the file is kept.
bool is_centre_line(const lasgen::CorridorSpec &spec, const std::string &path, std::string *error)
{
    std::string fresh = (std::filesystem::temp_directory_path() / "corvane-lasgen-XXXXXX").string();
    const int fd = mkstemp(fresh.data());
    if (fd < 0) {
        *error = "cannot compare " + path + " with the centre line: no temporary file";
        return false;
    }
    close(fd);
    const bool written = lasgen::write_centre_line(spec, fresh, error);
    const bool same = written && std::filesystem::is_regular_file(path) && read_file(fresh) == read_file(path);
    std::remove(fresh.c_str());
    if (written && !same)
        *error = path + " exists and is not the centre line of this corridor; corvane-lasgen replaces no road "
                        "file it did not write: move it away or give --out another name";
    return same;
}

} // namespace

int main(int argc, char **argv)
{
    lasgen::CorridorSpec spec;
    std::string out;
    auto table = setters(&spec, &out);
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage().c_str(), stdout);
            return 0;
        }
        auto setter = table.find(argv[i]);
        if (setter == table.end() || i + 1 >= argc || !setter->second(argv[i + 1])) {
            std::fprintf(stderr, "corvane-lasgen: bad option or value: %s\n%s", argv[i], usage().c_str());
            return 2;
        }
        i++;
    }
    if (out.empty()) {
        std::fputs(usage().c_str(), stderr);
        return 2;
    }
    const std::string road = lasgen::centre_line_path(out);
    if (road == out) {
        std::fprintf(stderr, "corvane-lasgen: %s is the name of the road file written beside the LAS file; "
                             "give the LAS file another extension\n", out.c_str());
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::string error;
    // The small road file first: a folder that cannot take it fails at once,
    // and a road file made for a cloud that could not be written goes again.
    // A road file already there is never replaced: it is either this
    // corridor's centre line, from an earlier run, or someone's road.
    const bool road_existed = access(road.c_str(), F_OK) == 0;
    bool ok = road_existed ? is_centre_line(spec, road, &error) : lasgen::write_centre_line(spec, road, &error);
    if (ok && !(ok = lasgen::write_corridor(spec, out, &error)) && !road_existed)
        std::remove(road.c_str());
    if (!ok) {
        std::fprintf(stderr, "corvane-lasgen: %s\n", error.c_str());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("wrote %llu points to %s in %.2f s (%.1f M points/s)\n", static_cast<unsigned long long>(spec.points),
                out.c_str(), seconds, seconds > 0 ? spec.points / seconds / 1e6 : 0.0);
    std::printf("wrote the centre line to %s\n", road.c_str());
    return 0;
}
