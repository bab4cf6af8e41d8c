// Synthetic road-corridor LAS files whose ground is known exactly, for tests
// and benchmarks of any size, point format and LAS version.
#pragma once

#include "road.h"

#include <cstdint>
#include <string>

namespace lasgen {

enum class Alignment {
    straight, // one line
    curved    // line, transition, right-hand circle, transition, line
};

// The corridor: points spread uniformly over the area within
// corridor_half_width() of the centre line, between start_chainage and
// start_chainage + length.  Offsets are positive to the right of travel.
struct CorridorSpec {
    uint64_t points = 1000000;
    int point_format = 3;            // 0 .. 10
    int version_minor = 2;           // LAS 1.x; formats 6 to 10 need 1.4
    Alignment alignment = Alignment::straight;
    double length = 200.0;           // m of chainage
    uint64_t seed = 1;

    // Alignment: world start point (east, north), road azimuth (radians from
    // north towards east) and chainage at the start.
    double start_east = 500000.0;
    double start_north = 4000000.0;
    double start_azimuth = 0.6;
    double start_chainage = 0.0;
    double curve_radius = 150.0;     // curved alignment
    double transition_length = 40.0; // curved alignment, each of the two

    // Cross section, the same on both sides: road surface with a crown out
    // to half_width, a kerb step up to a flat footpath, a V ditch, flat ground.
    double half_width = 3.5;
    double crown_slope = 0.02;       // fall per metre from the centre
    double kerb_height = 0.15;
    double footpath_width = 1.5;
    double ditch_width = 2.0;
    double ditch_depth = 0.8;
    double ground_width = 6.0;
    double centre_height = 100.0;    // road centre at the start chainage
    double grade = 0.01;             // rise per metre of chainage

    // Trees (class 5): crowns in a row on the flat ground of each side.
    double tree_share = 0.05;        // of all points; 0 for none
    double tree_spacing = 25.0;      // m between trees along a side
    double trunk_height = 3.0;       // ground to the crown's underside
    double crown_radius = 2.0;

    double noise = 0.0;              // ground points' z is off by at most this
    double scale = 0.001;            // LAS coordinate step
    int threads = 0;                 // 0: one per core
};

// Ground height at a chainage and offset, without trees or noise.
double design_height(const CorridorSpec &spec, double chainage, double offset);
// LAS class of the ground at an offset: 11 on the road surface, else 2.
int design_class(const CorridorSpec &spec, double offset);
// Offset of the corridor's outer edges.
double corridor_half_width(const CorridorSpec &spec);
// Builds the corridor's centre line into an initialised, empty road.
void build_alignment(const CorridorSpec &spec, road_t *road);
// A curved corridor of the given points at about 800 points a square metre:
// its length grows with the points and its curve's radius with the length,
// so the road turns by about a radian whatever its size and never meets
// itself.
CorridorSpec gentle_corridor(uint64_t points);

// Writes the corridor as a LAS file.  False with *error set when the description
// is not usable or the file cannot be written (nothing is left behind).
bool write_corridor(const CorridorSpec &spec, const std::string &path, std::string *error);

// The road file beside a LAS file: the same name with the extension ".pm".
std::string centre_line_path(const std::string &las_path);
// Writes the corridor's centre line as a HaiDi ".pm" road file, so that the
// program's sections along that road cut the generated cross-section.  False
// with *error set when it cannot be written (an old file is left as it was).
bool write_centre_line(const CorridorSpec &spec, const std::string &path, std::string *error);

} // namespace lasgen
