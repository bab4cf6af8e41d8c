// corvane-lasgen: writes a synthetic road-corridor LAS file.
#include "lasgen.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

const char kUsage[] =
    "usage: corvane-lasgen --out PATH [options]\n"
    "  --points N            number of points (1000000)\n"
    "  --format F            point format 0-10 (3)\n"
    "  --version 1.x         LAS version 1.0-1.4 (1.2; formats 6-10 need 1.4)\n"
    "  --alignment A         straight or curved (straight)\n"
    "  --length L            corridor length in metres of chainage (200)\n"
    "  --seed S              random seed (1)\n"
    "  --radius R            curve radius (150)\n"
    "  --transition L        transition length (40)\n"
    "  --east E --north N    world start point (500000, 4000000)\n"
    "  --azimuth DEG         start direction, degrees from north towards east (34.4)\n"
    "  --start-chainage S    chainage at the start (0)\n"
    "  --half-width W        road surface half width (3.5)\n"
    "  --crown-slope C       road crown fall per metre (0.02)\n"
    "  --kerb-height H       kerb step (0.15)\n"
    "  --footpath-width W    footpath width (1.5)\n"
    "  --ditch-width W       ditch width (2)\n"
    "  --ditch-depth D       ditch depth (0.8)\n"
    "  --ground-width W      flat ground beyond the ditch (6)\n"
    "  --centre-height Z     road centre height at the start (100)\n"
    "  --grade G             rise per metre along the road (0.01)\n"
    "  --trees SHARE         share of tree points, 0 for none (0.05)\n"
    "  --tree-spacing S      distance between trees (25)\n"
    "  --noise N             largest z error of ground points (0)\n"
    "  --scale S             LAS coordinate step (0.001)\n"
    "  --threads T           worker threads, 0 for one per core (0)\n";

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

} // namespace

int main(int argc, char **argv)
{
    lasgen::CorridorSpec spec;
    std::string out;
    auto table = setters(&spec, &out);
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        auto setter = table.find(argv[i]);
        if (setter == table.end() || i + 1 >= argc || !setter->second(argv[i + 1])) {
            std::fprintf(stderr, "corvane-lasgen: bad option or value: %s\n%s", argv[i], kUsage);
            return 2;
        }
        i++;
    }
    if (out.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!lasgen::write_corridor(spec, out, &error)) {
        std::fprintf(stderr, "corvane-lasgen: %s\n", error.c_str());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("wrote %llu points to %s in %.2f s (%.1f M points/s)\n", static_cast<unsigned long long>(spec.points),
                out.c_str(), seconds, seconds > 0 ? spec.points / seconds / 1e6 : 0.0);
    return 0;
}
