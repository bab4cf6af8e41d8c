// Section frames: latitude and longitude sections along a road, custom
// vertical and horizontal sections by hand, and the way back from a
// section's (u, v, w) to the world.
#include "velmo.h"

#include "section_state.h"
#include "workspace_state.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace velmo {

namespace {

// Chainages reach the library rounded to the millimetre, so a row at the
// road's end may lie a rounding step beyond it.
const double CHAINAGE_TOLERANCE = 1e-3;
// Spacing of a longitude section's centre-line vertices (m).
const double VERTEX_SPACING = 1.0;

const double UP[3] = {0.0, 0.0, 1.0};

// Station text in a buffer of our own: mileage() shares one between threads.
std::string mileage_text(double chainage)
{
    char text[64];
    mileage_format(chainage, text, sizeof text);
    return text;
}

// Cuts a UTF-8 name to fit the record without splitting a character.
void set_name(section_t *section, const std::string &name)
{
    size_t n = name.size() < VELMO_NAME_SIZE - 1 ? name.size() : VELMO_NAME_SIZE - 1;
    if (n < name.size())
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
            n--;
    name.copy(section->name, n);
    section->name[n] = '\0';
}

void set3(double out[3], double x, double y, double z)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

void cross(const double a[3], const double b[3], double out[3])
{
    set3(out, a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]);
}

bool finite3(const double v[3])
{
    return v && std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The horizontal part of a vector as a unit vector; false when it has none.
bool horizontal_unit(const double v[3], double out[3])
{
    double length = std::hypot(v[0], v[1]);
    if (!(length > 1e-12 * (std::fabs(v[2]) + 1.0)) || !std::isfinite(length))
        return false;
    set3(out, v[0] / length, v[1] / length, 0.0);
    return true;
}

struct RoadExtent {
    double start, end;
};

bool road_extent(road_t *road, RoadExtent *extent)
{
    int count = road_number_horizon(road);
    if (count < 2)
        return false;
    const horizon_element_t *first = road_horizon(road, 0);
    const horizon_element_t *last = road_horizon(road, count - 1);
    extent->start = first->start_chainage;
    extent->end = last->start_chainage + last->length;
    return std::isfinite(extent->start) && std::isfinite(extent->end) && extent->end > extent->start;
}

bool on_road(const RoadExtent &extent, double chainage)
{
    return chainage >= extent.start - CHAINAGE_TOLERANCE && chainage <= extent.end + CHAINAGE_TOLERANCE;
}

// World point and travel direction of the centre line at a chainage; false
// in a gap of the alignment.
bool road_point(const road_t *road, double chainage, double *east, double *north, double tangent[3])
{
    double x = 0, y = 0, azimuth = 0;
    if (road_l2xy(road, chainage, &x, &y, &azimuth) < 0 || !std::isfinite(x) || !std::isfinite(y) ||
        !std::isfinite(azimuth))
        return false;
    *east = y;
    *north = x;
    set3(tangent, std::sin(azimuth), std::cos(azimuth), 0.0);
    return true;
}

std::string latitude_name(double chainage)
{
    return "L" + mileage_text(chainage);
}

std::string longitude_name(double start, double end)
{
    return "V" + mileage_text(start) + "-" + mileage_text(end);
}

// The chainage range a longitude row spans on the road: cut at the road's
// ends; false when nothing of it is left.
bool longitude_span(const RoadExtent &extent, const double row[2], double *start, double *end)
{
    *start = std::fmax(row[0], extent.start);
    *end = std::fmin(row[1], extent.end);
    return std::isfinite(row[0]) && std::isfinite(row[1]) && *end > *start;
}

bool latitude_row_on_road(const RoadExtent &extent, const double row[2])
{
    return std::isfinite(row[0]) && std::isfinite(row[1]) && on_road(extent, row[0]);
}

// Seen looking forward along the road, u is the offset to the right of
// travel and v the elevation.
section_t *latitude_section(const road_t *road, double chainage, double altitude, double buffer, double width)
{
    double east, north, tangent[3];
    if (!road_point(road, chainage, &east, &north, tangent))
        return nullptr;
    section_t *section = section_new(SECTION_LATITUDE, 0);
    if (!section)
        return nullptr;
    set_name(section, latitude_name(chainage));
    set3(section->center, east, north, altitude);
    set3(section->normal, -tangent[0], -tangent[1], 0.0);
    set3(section->axis_v, 0.0, 0.0, 1.0);
    cross(section->axis_v, section->normal, section->axis_u);
    section->normal_range[0] = -buffer / 2;
    section->normal_range[1] = buffer / 2;
    section->width_range[0] = -width / 2;
    section->width_range[1] = width / 2;
    return section;
}

std::vector<double> centre_line(const road_t *road, double start, double end)
{
    std::vector<double> vertices;
    double east, north, tangent[3];
    for (long k = 0;; k++) {
        double chainage = start + k * VERTEX_SPACING;
        bool last = chainage >= end - 1e-6;
        if (last)
            chainage = end;
        if (road_point(road, chainage, &east, &north, tangent))
            vertices.insert(vertices.end(), {east, north, chainage});
        if (last)
            break;
    }
    return vertices;
}

// Seen from the right of the road, u is the chainage and v the elevation;
// w is the offset from the centre line, positive to the right.
section_t *longitude_section(const road_t *road, double start, double end, double buffer)
{
    std::vector<double> vertices = centre_line(road, start, end);
    double east, north, tangent[3];
    if (vertices.size() < 6 || !road_point(road, start, &east, &north, tangent))
        return nullptr;
    section_t *section = section_new(SECTION_LONGITUDE, 1);
    if (!section)
        return nullptr;
    section->vertices = static_cast<double *>(malloc(vertices.size() * sizeof(double)));
    if (!section->vertices) {
        section_free(section);
        return nullptr;
    }
    std::copy(vertices.begin(), vertices.end(), section->vertices);
    section->vertex_count = int(vertices.size() / 3);
    set_name(section, longitude_name(start, end));
    set3(section->center, vertices[0], vertices[1], 0.0);
    set3(section->axis_v, 0.0, 0.0, 1.0);
    cross(tangent, UP, section->normal);
    cross(section->axis_v, section->normal, section->axis_u);
    section->normal_range[0] = -buffer / 2;
    section->normal_range[1] = buffer / 2;
    section->width_range[0] = start;
    section->width_range[1] = end;
    return section;
}

bool usable_road(wks_t *wks, wks_road_t *road, int n, const double *rows, RoadExtent *extent)
{
    size_t index = 0;
    return wks && wks->state && road && rows && n >= 1 && array_index_of(wks->roads, road, &index) == CC_OK &&
           road_extent(&road->road, extent);
}

bool positive(double width)
{
    return std::isfinite(width) && width > 0;
}

// Saves the new sections in one transaction, then publishes them at the end
// of their list; a failed save leaves them to wks_export_section.  Sections
// of a road record its id.
int add_sections(wks_t *wks, Array *list, const std::vector<section_t *> &sections, const wks_road_t *road = nullptr)
{
    for (section_t *section : sections) {
        section->state->workspace = wks;
        section->state->road = road ? road->state->id : 0;
    }
    if (!sections.empty())
        sections_store(wks, sections);
    int added = 0;
    for (section_t *section : sections) {
        if (array_add(list, section) == CC_OK)
            added++;
        else
            section_free(section);
    }
    return added;
}

// Out of memory half-way through a batch: nothing is added.
int discard(const std::vector<section_t *> &sections)
{
    for (section_t *section : sections)
        section_free(section);
    return 0;
}

void unproject_longitude(const section_t *section, double u, double w, double *x, double *y)
{
    const double *v = section->vertices;
    int count = section->vertex_count;
    if (!v || count < 2) {
        *x = section->center[0] + (u - section->width_range[0]) * section->axis_u[0] + w * section->normal[0];
        *y = section->center[1] + (u - section->width_range[0]) * section->axis_u[1] + w * section->normal[1];
        return;
    }
    int low = 0, high = count - 1; // the segment whose chainages bracket u
    while (high - low > 1) {
        int middle = (low + high) / 2;
        if (v[3 * middle + 2] <= u)
            low = middle;
        else
            high = middle;
    }
    const double *a = v + 3 * low, *b = v + 3 * high;
    double dx = b[0] - a[0], dy = b[1] - a[1], length = std::hypot(dx, dy), span = b[2] - a[2];
    double t = span > 0 ? (u - a[2]) / span : 0.0;
    double rx = length > 0 ? dy / length : 0.0, ry = length > 0 ? -dx / length : 0.0;
    *x = a[0] + t * dx + w * rx;
    *y = a[1] + t * dy + w * ry;
}

// A section of an older project records no road; one generated on the road
// sits on its centre line: a latitude section's centre on it, facing along
// the road; a longitude section's polyline along it.  The road library's x
// is north, y east.
const double ON_LINE = 0.01;

bool on_centre_line(const road_t *road, double chainage, double east, double north)
{
    double x = 0.0, y = 0.0, azimuth = 0.0;
    return road_l2xy(road, chainage, &x, &y, &azimuth) >= 0 && std::fabs(x - north) < ON_LINE &&
           std::fabs(y - east) < ON_LINE;
}

bool lies_across(const road_t *road, const section_t *section)
{
    double chainage = 0.0, x = 0.0, y = 0.0, azimuth = 0.0, offset = 0.0;
    if (road_xy2l(road, section->center[1], section->center[0], &chainage, &x, &y, &azimuth, &offset) < 0)
        return false;
    return std::fabs(offset) < ON_LINE && std::fabs(section->normal[0] + std::sin(azimuth)) < 1e-3 &&
           std::fabs(section->normal[1] + std::cos(azimuth)) < 1e-3;
}

bool lies_along(const road_t *road, const section_t *section)
{
    const int last = section->vertex_count - 1;
    const double *v = section->vertices;
    return v && last >= 1 && on_centre_line(road, v[2], v[0], v[1]) &&
           on_centre_line(road, v[3 * last + 2], v[3 * last], v[3 * last + 1]);
}

} // namespace

void section_unproject(const section_t *section, velmo_point_t *point)
{
    double u = point->u, v = point->v, w = point->w;
    const double *c = section->center, *au = section->axis_u, *av = section->axis_v, *n = section->normal;
    switch (section->type) {
    case SECTION_LONGITUDE:
        unproject_longitude(section, u, w, &point->x, &point->y);
        point->z = v;
        break;
    case SECTION_HORIZONTAL:
        point->x = c[0] + u * au[0] + v * av[0] + w * n[0];
        point->y = c[1] + u * au[1] + v * av[1] + w * n[1];
        point->z = c[2] + u * au[2] + v * av[2] + w * n[2];
        break;
    default:
        point->x = c[0] + u * au[0] + w * n[0];
        point->y = c[1] + u * au[1] + w * n[1];
        point->z = v;
        break;
    }
}

} // namespace velmo

using namespace velmo;

extern "C" {

// Rows beyond the road's ends, in a gap of the alignment or not finite are
// skipped; so are all rows when a width is not positive.
int wks_generate_road_latitude_sections(wks_t *wks, wks_road_t *road, int n, const double *rows,
                                        double buffer_width, double section_width)
{
    RoadExtent extent;
    if (!usable_road(wks, road, n, rows, &extent) || !positive(buffer_width) || !positive(section_width))
        return 0;
    std::vector<section_t *> sections;
    try {
        sections.reserve(size_t(n));
        for (int i = 0; i < n; i++) {
            if (!latitude_row_on_road(extent, rows + 2 * i))
                continue;
            if (section_t *section =
                    latitude_section(&road->road, rows[2 * i], rows[2 * i + 1], buffer_width, section_width))
                sections.push_back(section);
        }
    } catch (...) {
        return discard(sections);
    }
    return add_sections(wks, wks->latitude_sections, sections, road);
}

// A range reaching beyond the road is cut at its ends; rows that keep no
// length (end <= start among them) are skipped.
int wks_generate_road_longitude_sections(wks_t *wks, wks_road_t *road, int n, const double *rows,
                                         double buffer_width)
{
    RoadExtent extent;
    if (!usable_road(wks, road, n, rows, &extent) || !positive(buffer_width))
        return 0;
    std::vector<section_t *> sections;
    try {
        sections.reserve(size_t(n));
        for (int i = 0; i < n; i++) {
            double start = 0, end = 0;
            if (!longitude_span(extent, rows + 2 * i, &start, &end))
                continue;
            if (section_t *section = longitude_section(&road->road, start, end, buffer_width))
                sections.push_back(section);
        }
    } catch (...) {
        return discard(sections);
    }
    return add_sections(wks, wks->longitude_sections, sections, road);
}

// A vertical normal makes a horizontal section, whose up argument is then
// its orientation; any other normal is taken horizontal and makes a
// vertical section with v the elevation.  Ranges are kept as given, so
// zero widths make an empty section that a later width change can fill.
section_t *wks_add_custom_section(wks_t *wks, const char *name, const double center[3], const double normal[3],
                                  const double up[3], const double normal_range[2], const double width_range[2])
{
    if (!wks || !wks->state || !finite3(center) || !finite3(normal) || !finite3(up) || !normal_range ||
        !width_range || !std::isfinite(normal_range[0]) || !std::isfinite(normal_range[1]) ||
        !std::isfinite(width_range[0]) || !std::isfinite(width_range[1]))
        return nullptr;
    double horizontal[3], orientation[3];
    bool vertical_normal = !horizontal_unit(normal, horizontal);
    if (vertical_normal && (normal[2] == 0.0 || !horizontal_unit(up, orientation)))
        return nullptr;
    section_t *section = section_new(vertical_normal ? SECTION_HORIZONTAL : SECTION_CUSTOM, 2);
    if (!section)
        return nullptr;
    try {
        set_name(section, name ? name : "");
    } catch (...) {
        section_free(section);
        return nullptr;
    }
    set3(section->center, center[0], center[1], center[2]);
    if (vertical_normal) {
        set3(section->normal, 0.0, 0.0, 1.0);
        set3(section->axis_v, orientation[0], orientation[1], 0.0);
    } else {
        set3(section->normal, horizontal[0], horizontal[1], 0.0);
        set3(section->axis_v, 0.0, 0.0, 1.0);
    }
    cross(section->axis_v, section->normal, section->axis_u);
    section->normal_range[0] = normal_range[0];
    section->normal_range[1] = normal_range[1];
    section->width_range[0] = width_range[0];
    section->width_range[1] = width_range[1];
    add_sections(wks, wks->custom_sections, {section});
    return section;
}

int wks_road_section_name(wks_road_t *road, int list, const double row[2], char name[VELMO_NAME_SIZE])
{
    RoadExtent extent;
    double east, north, tangent[3], start = 0, end = 0;
    if (!road || !row || !name || (list != 0 && list != 1) || !road_extent(&road->road, &extent))
        return 0;
    try {
        std::string text;
        if (list == 0 && latitude_row_on_road(extent, row) && road_point(&road->road, row[0], &east, &north, tangent))
            text = latitude_name(row[0]);
        else if (list == 1 && longitude_span(extent, row, &start, &end) && road_point(&road->road, start, &east, &north, tangent))
            text = longitude_name(start, end);
        if (text.empty())
            return 0;
        copy_text(name, VELMO_NAME_SIZE, text);
        return 1;
    } catch (...) {
        return 0;
    }
}

int wks_section_on_road(const wks_t *wks, const wks_road_t *road, const section_t *section)
{
    size_t index = 0;
    if (!wks || !road || !road->state || !section || !section->state || section->state->workspace != wks ||
        array_index_of(wks->roads, const_cast<wks_road_t *>(road), &index) != CC_OK)
        return 0;
    if (section->type != SECTION_LATITUDE && section->type != SECTION_LONGITUDE)
        return 0;
    if (section->state->road != 0)
        return section->state->road == road->state->id;
    return section->type == SECTION_LATITUDE ? lies_across(&road->road, section) : lies_along(&road->road, section);
}

int section_rev_proj_point(section_t *section, velmo_point_t *point)
{
    if (!section || !point)
        return 0;
    section_unproject(section, point);
    return 1;
}

} // extern "C"
