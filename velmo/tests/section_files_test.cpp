#include "velmo.h"

#include "section_state.h"
#include "decimal_comma_locale.h"
#include "temp_dir.h"
#include "workspace_state.h"

#include "lasgen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- sections built by hand --------------------------------------------------

struct Frame {
    double center[3];
    double normal[3];
    double axis_u[3];
};

// A vertical section across a road of azimuth a through (x, y): u to the
// right of travel, v the elevation.
Frame across(double x, double y, double azimuth)
{
    double s = std::sin(azimuth), c = std::cos(azimuth);
    return {{x, y, 0}, {-s, -c, 0}, {c, -s, 0}};
}

section_t *new_section(int type, const char *name, const Frame &frame)
{
    auto *section = static_cast<section_t *>(calloc(1, sizeof(section_t)));
    std::snprintf(section->name, sizeof section->name, "%s", name);
    section->type = type;
    section->normal_range[0] = -0.5;
    section->normal_range[1] = 0.5;
    section->width_range[0] = -20;
    section->width_range[1] = 20;
    for (int k = 0; k < 3; k++) {
        section->center[k] = frame.center[k];
        section->normal[k] = frame.normal[k];
        section->axis_u[k] = frame.axis_u[k];
    }
    section->axis_v[2] = 1;
    array_new(&section->points);
    array_new(&section->red_line);
    array_new(&section->measurements);
    section->state = new velmo_section_state;
    section->state->list = type == SECTION_LONGITUDE ? 1 : type == SECTION_LATITUDE ? 0 : 2;
    return section;
}

velmo_point_t *add_point(section_t *section, Array *list, double u, double v)
{
    auto *p = static_cast<velmo_point_t *>(calloc(1, sizeof(velmo_point_t)));
    p->u = float(u);
    p->v = float(v);
    p->x = section->center[0] + u * section->axis_u[0];
    p->y = section->center[1] + u * section->axis_u[1];
    p->z = v;
    array_add(list, p);
    return p;
}

std::vector<velmo_point_t> records(Array *list)
{
    std::vector<velmo_point_t> out;
    for (size_t i = 0; i < array_size(list); i++) {
        void *item = nullptr;
        array_get_at(list, i, &item);
        out.push_back(*static_cast<velmo_point_t *>(item));
    }
    return out;
}

// Numbers of the process in another locale's manner while the test runs.
struct NumericLocale {
    bool taken;
    explicit NumericLocale(const char *name) : taken(std::setlocale(LC_NUMERIC, name) != nullptr) {}
    ~NumericLocale() { std::setlocale(LC_NUMERIC, "C"); }
};

// A workspace whose hand-built sections are taken back before it goes.
struct Workspace {
    wks_t *wks;
    std::vector<std::pair<Array *, section_t *>> owned;

    Workspace()
    {
        wks = static_cast<wks_t *>(malloc(96));
        wks_init(wks);
    }
    ~Workspace()
    {
        for (auto &[list, section] : owned) {
            array_remove(list, section, nullptr);
            velmo::section_free(section);
        }
        wks_destroy(wks);
    }
    section_t *add(Array *list, int type, const char *name, const Frame &frame)
    {
        section_t *section = new_section(type, name, frame);
        section->state->workspace = wks;
        array_add(list, section);
        owned.push_back({list, section});
        return section;
    }
};

// ---- reading the files back ------------------------------------------------------

std::vector<std::string> crlf_lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "last line not ended by CRLF";
        if (end == std::string::npos)
            break;
        std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos) << "bare LF in " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> fields(const std::string &line, char separator)
{
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, separator);)
        out.push_back(f);
    return out;
}

// One HDM station: its number and each side's points, rebuilt from the
// incremental pairs as (distance from the centre, height above it).
struct HdmStation {
    double station;
    std::vector<std::pair<double, double>> left, right;
};

std::vector<std::pair<double, double>> rebuild_side(const std::string &line)
{
    std::vector<std::string> f = fields(line, '\t');
    EXPECT_FALSE(f.empty());
    size_t n = std::stoul(f[0]);
    EXPECT_EQ(f.size(), 1 + 2 * n) << line;
    std::vector<std::pair<double, double>> points;
    double d = 0, h = 0;
    for (size_t i = 0; i < n && 2 + 2 * i < f.size(); i++) {
        double step = std::stod(f[1 + 2 * i]);
        EXPECT_GE(step, 0.0) << "distances are never negative";
        d += step;
        h += std::stod(f[2 + 2 * i]);
        points.push_back({d, h});
    }
    return points;
}

std::vector<HdmStation> read_hdm(const std::string &path)
{
    std::vector<std::string> lines = crlf_lines(read_bytes(path));
    EXPECT_FALSE(lines.empty());
    if (lines.empty())
        return {};
    EXPECT_EQ(lines[0], "HINTCAD5.83_HDM_SHUJU");
    EXPECT_EQ((lines.size() - 1) % 3, 0u);
    std::vector<HdmStation> stations;
    for (size_t i = 1; i + 2 < lines.size(); i += 3)
        stations.push_back({std::stod(lines[i]), rebuild_side(lines[i + 1]), rebuild_side(lines[i + 2])});
    return stations;
}

std::vector<std::pair<double, double>> read_dmx(const std::string &path)
{
    std::vector<std::string> lines = crlf_lines(read_bytes(path));
    EXPECT_FALSE(lines.empty());
    if (lines.empty())
        return {};
    EXPECT_EQ(lines[0], "HINTCAD5.83_DMX_SHUJU");
    std::vector<std::pair<double, double>> rows;
    for (size_t i = 1; i < lines.size(); i++) {
        double station = 0, elevation = 0;
        char expected[64];
        EXPECT_EQ(std::sscanf(lines[i].c_str(), "%lf\t%lf", &station, &elevation), 2);
        std::snprintf(expected, sizeof expected, "%12.3f\t%10.6f", station, elevation);
        EXPECT_EQ(lines[i], expected);
        if (!rows.empty()) {
            EXPECT_GT(station, rows.back().first) << "stations increase";
        }
        rows.push_back({station, elevation});
    }
    return rows;
}

// Runs the system's Python with ezdxf, an independent DXF reader; empty when
// it is not there.
std::string run_python(const std::string &script, const std::string &argument)
{
    if (!fs::exists("/usr/bin/python3"))
        return "";
    std::string command = "/usr/bin/python3 -c '" + script + "' '" + argument + "' 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "";
    std::string out;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

bool have_ezdxf()
{
    return run_python("import ezdxf; print(\"ok\")", "") == "ok\n";
}

// "layer type entities vertices" per layer and entity type of the model space.
std::map<std::string, std::pair<int, int>> ezdxf_census(const std::string &path)
{
    const char *script = R"(
import sys, ezdxf, collections
doc = ezdxf.readfile(sys.argv[1])
count = collections.Counter(); vertices = collections.Counter()
for e in doc.modelspace():
    key = e.dxf.layer + " " + e.dxftype()
    count[key] += 1
    if e.dxftype() == "POLYLINE": vertices[key] += len(e.vertices)
    if e.dxftype() == "LWPOLYLINE": vertices[key] += len(e)
for key in sorted(count): print(key, count[key], vertices[key])
)";
    std::map<std::string, std::pair<int, int>> census;
    std::stringstream in(run_python(script, path));
    for (std::string layer, type; in >> layer >> type;) {
        int n = 0, v = 0;
        in >> n >> v;
        census[layer + " " + type] = {n, v};
    }
    return census;
}

// ---- HDM ---------------------------------------------------------------------

// Irregular ground on both sides, no measurement at the centre stake.
void measure_irregular_ground(section_t *section)
{
    for (int i = 0; i <= 160; i++) {
        double u = -20.1 + i * 0.25;
        add_point(section, section->measurements, u, 100.0 + 0.37 * std::sin(u * 1.7) + 0.0123 * u);
    }
}

TEST(SectionFiles, HdmPairsRebuildTheGroundLineToTheMillimetre)
{
    TempDir dir;
    Workspace w;
    section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+020.00", across(100, 200, 0.3));
    measure_irregular_ground(section);
    std::string path = dir.file("road.HDM");
    int options[3] = {1, 0, 0};
    ASSERT_NE(wks_export_latitude_sections(w.wks, path.c_str(), options), 0);

    std::vector<HdmStation> stations = read_hdm(path);
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_DOUBLE_EQ(stations[0].station, 20.0);
    std::vector<velmo_point_t> ground = records(section->measurements);
    std::vector<velmo::GroundPoint> line;
    for (const auto &p : ground)
        line.push_back({p.u, p.v, p.x, p.y, p.z});
    double centre = velmo::ground_height_at(line, 0.0);
    size_t left = 0, right = 0;
    for (const auto &p : ground)
        (p.u < 0 ? left : right)++;
    ASSERT_EQ(stations[0].left.size(), left);
    ASSERT_EQ(stations[0].right.size(), right);
    for (size_t i = 0; i < left; i++) {
        const velmo_point_t &p = ground[left - 1 - i];
        EXPECT_NEAR(stations[0].left[i].first, -p.u, 0.001);
        EXPECT_NEAR(centre + stations[0].left[i].second, p.v, 0.001);
    }
    for (size_t i = 0; i < right; i++) {
        const velmo_point_t &p = ground[left + i];
        EXPECT_NEAR(stations[0].right[i].first, p.u, 0.001);
        EXPECT_NEAR(centre + stations[0].right[i].second, p.v, 0.001);
    }
}

// A straight and a curved road as ".pm" files in the workspace.
void import_road(wks_t *wks, const std::string &path, lasgen::Alignment alignment, road_t *road)
{
    lasgen::CorridorSpec spec;
    spec.alignment = alignment;
    road_init(road);
    lasgen::build_alignment(spec, road);
    ASSERT_EQ(road_export_haidi(road, path.c_str()), 0);
    ASSERT_NE(wks_import_road(wks, path.c_str(), 0), nullptr);
}

TEST(SectionFiles, HdmStationsAreChainagesOnTheRoadThroughTheCentreInOrder)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("roads.qpj").c_str()), 0);
    road_t straight, curved;
    import_road(w.wks, dir.file("straight.pm"), lasgen::Alignment::straight, &straight);
    import_road(w.wks, dir.file("curved.pm"), lasgen::Alignment::curved, &curved);
    // Named at other chainages: the road through the centre decides.
    const double chainages[] = {133.333, 27.5, 81.25};
    for (double s : chainages) {
        double north = 0, east = 0, azimuth = 0;
        road_l2xy(&curved, s, &north, &east, &azimuth);
        Frame frame = across(east, north, azimuth);
        section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK9+999.00", frame);
        add_point(section, section->measurements, -2, 50);
        add_point(section, section->measurements, 3, 51);
    }
    // Cut on a road since removed: its name keeps the mileage.
    section_t *orphan = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK1+234.50", across(0, 0, 0));
    add_point(orphan, orphan->measurements, -1, 10);
    add_point(orphan, orphan->measurements, 1, 10);

    std::string path = dir.file("road.HDM");
    EXPECT_EQ(wks_export_latitude_sections(w.wks, path.c_str(), nullptr), 4);
    std::vector<HdmStation> stations = read_hdm(path);
    ASSERT_EQ(stations.size(), 4u);
    EXPECT_DOUBLE_EQ(stations[0].station, 27.5);
    EXPECT_DOUBLE_EQ(stations[1].station, 81.25);
    EXPECT_DOUBLE_EQ(stations[2].station, 133.333);
    EXPECT_DOUBLE_EQ(stations[3].station, 1234.5);
    road_final(&straight);
    road_final(&curved);
}

TEST(SectionFiles, LatitudeOptionsChooseFilesAndAutomaticGround)
{
    TempDir dir;
    Workspace w;
    section_t *measured = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+040.00", across(0, 0, 0));
    add_point(measured, measured->measurements, -4, 101);
    add_point(measured, measured->measurements, 6, 104); // centre at 102.2
    section_t *unmeasured = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+020.00", across(50, 0, 0));
    for (int i = 0; i < 40; i++)
        add_point(unmeasured, unmeasured->points, -5 + i * 0.25, 90.0);

    std::string hdm = dir.file("a.HDM"), dmx = dir.file("a.DMX");
    int plain[3] = {1, 0, 0};
    EXPECT_EQ(wks_export_latitude_sections(w.wks, hdm.c_str(), plain), 1);
    EXPECT_EQ(read_hdm(hdm).size(), 1u);
    EXPECT_FALSE(fs::exists(dmx));

    int with_points_and_dmx[3] = {1, 1, 1};
    EXPECT_EQ(wks_export_latitude_sections(w.wks, hdm.c_str(), with_points_and_dmx), 2);
    std::vector<HdmStation> stations = read_hdm(hdm);
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_DOUBLE_EQ(stations[0].station, 20.0);
    EXPECT_GT(stations[0].left.size() + stations[0].right.size(), 0u);
    std::vector<std::pair<double, double>> centres = read_dmx(dmx);
    ASSERT_EQ(centres.size(), 2u);
    EXPECT_DOUBLE_EQ(centres[0].first, 20.0);
    EXPECT_NEAR(centres[0].second, 90.0, 0.05);
    EXPECT_DOUBLE_EQ(centres[1].first, 40.0);
    EXPECT_NEAR(centres[1].second, 102.2, 1e-6);

    fs::remove(hdm);
    fs::remove(dmx);
    int dmx_only[3] = {0, 1, 0};
    EXPECT_EQ(wks_export_latitude_sections(w.wks, hdm.c_str(), dmx_only), 1);
    EXPECT_FALSE(fs::exists(hdm));
    EXPECT_EQ(read_dmx(dmx).size(), 1u);
    int nothing[3] = {0, 0, 0};
    EXPECT_EQ(wks_export_latitude_sections(w.wks, dir.file("b.HDM").c_str(), nothing), 0);
    EXPECT_FALSE(fs::exists(dir.file("b.HDM")));
}

TEST(SectionFiles, CustomHdmFilesSectionsUnderTheirPlaceInTheList)
{
    TempDir dir;
    Workspace w;
    section_t *first = w.add(w.wks->custom_sections, SECTION_CUSTOM, "A", across(0, 0, 1));
    add_point(first, first->measurements, -1, 5);
    add_point(first, first->measurements, 2, 8);
    section_t *flat = w.add(w.wks->custom_sections, SECTION_HORIZONTAL, "H", across(0, 0, 0));
    add_point(flat, flat->measurements, -1, 5);
    add_point(flat, flat->measurements, 1, 5);
    w.add(w.wks->custom_sections, SECTION_CUSTOM, "empty", across(0, 0, 0));
    section_t *fourth = w.add(w.wks->custom_sections, SECTION_CUSTOM, "D", across(0, 0, 2));
    add_point(fourth, fourth->measurements, 1, 3);
    add_point(fourth, fourth->measurements, 2, 4);

    std::string path = dir.file("custom.HDM");
    int options[3] = {1, 0, 0};
    EXPECT_EQ(wks_export_custom_sections(w.wks, path.c_str(), options), 2);
    std::vector<HdmStation> stations = read_hdm(path);
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_DOUBLE_EQ(stations[0].station, 1.0);
    EXPECT_DOUBLE_EQ(stations[1].station, 4.0);
    // All on the right: the centre takes the nearest ground, flat.
    EXPECT_TRUE(stations[1].left.empty());
    ASSERT_EQ(stations[1].right.size(), 2u);
    EXPECT_DOUBLE_EQ(stations[1].right[0].first, 1.0);
    EXPECT_DOUBLE_EQ(stations[1].right[0].second, 0.0);
    EXPECT_DOUBLE_EQ(stations[1].right[1].second, 1.0);
}

// ---- DMX and DAT -----------------------------------------------------------------

TEST(SectionFiles, LongitudeDmxIsOneIncreasingProfile)
{
    TempDir dir;
    Workspace w;
    section_t *later = w.add(w.wks->longitude_sections, SECTION_LONGITUDE, "V2", across(0, 0, 0));
    for (double s : {100.0, 120.0, 140.0})
        add_point(later, later->measurements, s, s / 10);
    section_t *earlier = w.add(w.wks->longitude_sections, SECTION_LONGITUDE, "V1", across(0, 0, 0));
    for (double s : {0.0, 50.0, 110.0})
        add_point(earlier, earlier->measurements, s, s / 10 + 0.5);
    section_t *automatic = w.add(w.wks->longitude_sections, SECTION_LONGITUDE, "V3", across(0, 0, 0));
    for (int i = 0; i <= 20; i++)
        add_point(automatic, automatic->points, 200 + i, 7.0);

    std::string path = dir.file("road.DMX");
    int options[3] = {1, 0, 0};
    EXPECT_EQ(wks_export_longitude_sections(w.wks, path.c_str(), options), 2);
    std::vector<std::pair<double, double>> rows = read_dmx(path);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_DOUBLE_EQ(rows[2].first, 110.0);
    EXPECT_DOUBLE_EQ(rows[2].second, 11.5); // the section that starts first keeps the overlap
    EXPECT_DOUBLE_EQ(rows[3].first, 120.0);

    int with_points[3] = {1, 1, 0};
    EXPECT_EQ(wks_export_longitude_sections(w.wks, path.c_str(), with_points), 3);
    rows = read_dmx(path);
    ASSERT_GT(rows.size(), 5u);
    EXPECT_GE(rows.back().first, 215.0);
    EXPECT_NEAR(rows.back().second, 7.0, 0.01);
}

TEST(SectionFiles, DatListsTheGroundLinePoints)
{
    TempDir dir;
    Workspace w;
    Frame frame = across(500123.4561, 3012345.6784, 0);
    section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+000.00", frame);
    add_point(section, section->measurements, -1, 45.21);
    add_point(section, section->measurements, 2, 46.0);
    std::string path = dir.file("section.dxf"); // the program's filter decides, not the name
    ASSERT_NE(section_export_dat(w.wks, section, path.c_str(), 1), 0);
    EXPECT_EQ(read_bytes(path), "1,,500122.456,3012345.678,45.210\r\n"
                                "2,,500125.456,3012345.678,46.000\r\n");
}

// ---- bad input -----------------------------------------------------------------

TEST(SectionFiles, ExportsThatCannotWriteReturnZeroAndLeaveNothing)
{
    TempDir dir;
    Workspace w;
    int options[3] = {1, 1, 1};
    std::string path = dir.file("x.HDM");
    write_bytes(path, "earlier export");
    EXPECT_EQ(wks_export_latitude_sections(w.wks, path.c_str(), options), 0) << "no sections";
    EXPECT_EQ(wks_export_longitude_sections(w.wks, path.c_str(), options), 0);
    EXPECT_EQ(wks_export_custom_sections(w.wks, path.c_str(), options), 0);

    section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+000.00", across(0, 0, 0));
    add_point(section, section->red_line, 0, 1);
    EXPECT_EQ(wks_export_latitude_sections(w.wks, path.c_str(), options), 0) << "no ground anywhere";
    EXPECT_EQ(section_export_dat(w.wks, section, path.c_str(), 1), 0);
    add_point(section, section->measurements, -1, 1);
    add_point(section, section->measurements, 1, 1);

    std::string file = dir.file("plain.txt");
    write_bytes(file, "keep");
    const std::string missing = dir.file("missing/x.HDM");
    const std::pair<std::string, std::string> refusals[] = {
        {missing, "Cannot write \"" + missing + "\": No such file or directory."},
        {file + "/x.HDM", "Cannot write \"" + file + "/x.HDM\": Not a directory."},
        {std::string(), "The file's path is empty or too long."},
        {"/" + std::string(VELMO_PATH_SIZE, 'a'), "The file's path is empty or too long."},
    };
    for (const auto &[bad, why] : refusals) {
        EXPECT_EQ(wks_export_latitude_sections(w.wks, bad.c_str(), options), 0) << bad;
        EXPECT_EQ(section_export_dat(w.wks, section, bad.c_str(), 1), 0) << bad;
        EXPECT_EQ(section_last_message(section), why);
        EXPECT_EQ(section_export_dxf(w.wks, section, bad.c_str(), 0), 0) << bad;
        EXPECT_EQ(section_last_message(section), why);
    }
    EXPECT_EQ(wks_export_latitude_sections(nullptr, path.c_str(), options), 0);
    EXPECT_EQ(wks_export_latitude_sections(w.wks, nullptr, options), 0);
    EXPECT_EQ(section_export_dat(w.wks, nullptr, path.c_str(), 1), 0);
    EXPECT_EQ(section_export_dxf(w.wks, nullptr, path.c_str(), 0), 0);
    EXPECT_EQ(section_import_dxf(nullptr, path.c_str()), 0);
    EXPECT_EQ(section_import_dxf(section, nullptr), 0);
    EXPECT_EQ(read_bytes(file), "keep");
    EXPECT_EQ(read_bytes(path), "earlier export");
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"plain.txt", "x.HDM"}));
}

// ---- DXF -------------------------------------------------------------------------

TEST(SectionFiles, DxfExportIsReadByEzdxfAndGivesTheRedLineBack)
{
    ASSERT_TRUE(have_ezdxf()) << "/usr/bin/python3 with ezdxf is not installed (tools/install-deps.sh installs it)";
    TempDir dir;
    Workspace w;
    section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+100.00", across(10, 20, 0.7));
    for (int i = 0; i < 25; i++)
        add_point(section, section->points, -6 + i * 0.5, 30 + 0.01 * i);
    measure_irregular_ground(section);
    const double design[][2] = {{-7, 30.2}, {-3.5, 30.27}, {0, 30.34}, {3.5, 30.27}, {3.5, 30.42}, {7, 30.42}};
    for (const auto &d : design)
        add_point(section, section->red_line, d[0], d[1]);

    std::string path = dir.file("section.dxf");
    ASSERT_NE(section_export_dxf(w.wks, section, path.c_str(), 0), 0);
    std::map<std::string, std::pair<int, int>> census = ezdxf_census(path);
    EXPECT_EQ(census.size(), 3u);
    EXPECT_EQ(census["POINTS POINT"], std::make_pair(25, 0));
    EXPECT_EQ(census["GROUND POLYLINE"], std::make_pair(1, 161));
    EXPECT_EQ(census["DESIGN POLYLINE"], std::make_pair(1, 6));

    section_t *other = w.add(w.wks->custom_sections, SECTION_CUSTOM, "C", across(-5, 3, 2.0));
    velmo_point_t *old = add_point(other, other->red_line, 1, 1);
    ASSERT_NE(section_import_dxf(other, path.c_str()), 0);
    std::vector<velmo_point_t> red = records(other->red_line);
    ASSERT_EQ(red.size(), 6u);
    for (size_t i = 0; i < red.size(); i++) {
        EXPECT_NEAR(red[i].u, design[i][0], 1e-5);
        EXPECT_NEAR(red[i].v, design[i][1], 1e-5);
        EXPECT_EQ(red[i].w, 0.0f);
        EXPECT_NEAR(red[i].x, -5 + design[i][0] * std::cos(2.0), 1e-4) << "world point by reverse projection";
        EXPECT_NEAR(red[i].z, design[i][1], 1e-4);
    }
    ASSERT_EQ(other->state->retired_arrays.size(), 1u);
    size_t at = 0;
    EXPECT_EQ(array_index_of(other->state->retired_arrays[0], old, &at), CC_OK)
        << "the replaced record stays readable";
}

TEST(SectionFiles, ImportedRedLineIsSavedInTheProject)
{
    TempDir dir;
    std::string project = dir.file("design.qpj"), drawing = dir.file("design.dxf");
    {
        Workspace w;
        section_t *source = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+000.00", across(0, 0, 0));
        add_point(source, source->red_line, -3, 10.5);
        add_point(source, source->red_line, 4, 11.25);
        ASSERT_NE(section_export_dxf(w.wks, source, drawing.c_str(), 0), 0);
    }
    {
        Workspace w;
        ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
        const double centre[3] = {10, 20, 0}, normal[3] = {0, -1, 0}, up[3] = {0, 0, 1};
        const double thickness[2] = {-0.5, 0.5}, width[2] = {-10, 10};
        section_t *section = wks_add_custom_section(w.wks, "C1", centre, normal, up, thickness, width);
        ASSERT_NE(section, nullptr);
        ASSERT_NE(section_import_dxf(section, drawing.c_str()), 0);
    }
    Workspace w;
    ASSERT_NE(wks_open_project(w.wks, project.c_str()), 0);
    ASSERT_EQ(array_size(w.wks->custom_sections), 1u);
    void *item = nullptr;
    array_get_at(w.wks->custom_sections, 0, &item);
    std::vector<velmo_point_t> red = records(static_cast<section_t *>(item)->red_line);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_FLOAT_EQ(red[1].u, 4.0f);
    EXPECT_FLOAT_EQ(red[1].v, 11.25f);
}

// Design lines drawn by another program: pieces in any order and direction,
// LINE, LWPOLYLINE and POLYLINE, R12 and 2000.
TEST(SectionFiles, DxfImportJoinsLinesDrawnElsewhereIntoOneDesignLine)
{
    ASSERT_TRUE(have_ezdxf()) << "/usr/bin/python3 with ezdxf is not installed (tools/install-deps.sh installs it)";
    const char *script = R"(
import sys, ezdxf
for version, name in (("R12", "r12.dxf"), ("R2000", "r2000.dxf")):
    doc = ezdxf.new(version); msp = doc.modelspace()
    msp.add_line((3.5, 0.15), (3.5, 0.0))
    msp.add_line((8, 0.15), (3.5, 0.15))
    msp.add_polyline2d([(-8, 0.15), (-3.5, 0.15), (-3.5, 0.0)])
    if version == "R12": msp.add_polyline2d([(3.5, 0.0), (0, 0.07), (-3.5, 0.0)])
    else: msp.add_lwpolyline([(3.5, 0.0), (0, 0.07), (-3.5, 0.0)])
    msp.add_circle((0, 0), 1)
    doc.saveas(sys.argv[1] + "/" + name)
print("written")
)";
    TempDir dir;
    ASSERT_EQ(run_python(script, dir.path().string()), "written\n");
    const double expected[][2] = {{-8, 0.15}, {-3.5, 0.15}, {-3.5, 0}, {0, 0.07}, {3.5, 0}, {3.5, 0.15}, {8, 0.15}};
    for (const char *name : {"r12.dxf", "r2000.dxf"}) {
        Workspace w;
        section_t *section = w.add(w.wks->custom_sections, SECTION_CUSTOM, "C", across(0, 0, 0));
        ASSERT_NE(section_import_dxf(section, dir.file(name).c_str()), 0) << name;
        std::vector<velmo_point_t> red = records(section->red_line);
        ASSERT_EQ(red.size(), 7u) << name;
        for (size_t i = 0; i < red.size(); i++) {
            EXPECT_NEAR(red[i].u, expected[i][0], 1e-6) << name << " " << i;
            EXPECT_NEAR(red[i].v, expected[i][1], 1e-6) << name << " " << i;
        }
    }
}

TEST(SectionFiles, DxfImportOfBrokenFilesKeepsTheRedLine)
{
    TempDir dir;
    Workspace w;
    section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+100.00", across(0, 0, 0));
    add_point(section, section->measurements, -2, 1);
    add_point(section, section->measurements, 2, 1);
    add_point(section, section->red_line, -1, 2);
    add_point(section, section->red_line, 1, 2);
    std::string good = dir.file("good.dxf");
    ASSERT_NE(section_export_dxf(w.wks, section, good.c_str(), 0), 0);
    std::string bytes = read_bytes(good);

    std::string text = bytes.substr(0, bytes.find("ENTITIES"));
    std::map<std::string, std::string> broken = {
        {"empty.dxf", ""},
        {"text.dxf", "station,offset,height\n1,2,3\n"},
        {"binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0\x00\xff\x10", 26)},
        {"truncated.dxf", bytes.substr(0, bytes.size() * 2 / 3)},
        {"no entities.dxf", text + "ENTITIES\n  0\nENDSEC\n  0\nEOF\n"},
        {"huge count.dxf", text + "ENTITIES\n  0\nLWPOLYLINE\n  8\nDESIGN\n 90\n500000000\n 10\n1\n 20\n2\n"
                                  "  0\nENDSEC\n  0\nEOF\n"},
    };
    std::string design = text + "ENTITIES\n  0\nPOLYLINE\n  8\nDESIGN\n 66\n1\n";
    auto vertex = [](const std::string &u, const std::string &v) {
        return "  0\nVERTEX\n  8\nDESIGN\n 10\n" + u + "\n 20\n" + v + "\n 30\n0\n";
    };
    const std::string end = "  0\nSEQEND\n  0\nENDSEC\n  0\nEOF\n";
    broken["inf.dxf"] = design + vertex("0", "1") + vertex("inf", "2") + end;
    broken["overflow.dxf"] = design + vertex("0", "1") + vertex("1", "1e400") + end;
    broken["far.dxf"] = design + vertex("0", "1") + vertex("2e7", "2") + end;
    std::string many = design;
    for (int i = 0; i <= VELMO_DESIGN_LINE_MAX; i++)
        many += vertex(std::to_string(i * 0.001), "1");
    broken["many.dxf"] = many + end;
    // Shapes the reader would take otherwise than a check line by line: a
    // count read from its leading digits, a name cut at a NUL, a line split
    // at the reader's buffer.
    auto lwpolyline = [](const std::string &name, const std::string &layer, const std::string &count) {
        return "  0\n" + name + "\n  8\n" + layer + "\n 90\n" + count + "\n 10\n0\n 20\n1\n 10\n1\n 20\n1\n";
    };
    const std::string entities = text + "ENTITIES\n", close = "  0\nENDSEC\n  0\nEOF\n";
    broken["count with letters.dxf"] =
        entities + lwpolyline("LWPOLYLINE", "DESIGN", "2") + lwpolyline("LWPOLYLINE", "DESIGN", "600000000x") + close;
    broken["signed count.dxf"] = entities + lwpolyline("LWPOLYLINE", "DESIGN", "-2") + close;
    broken["nul in a name.dxf"] = entities + lwpolyline(std::string("LWPOLYLINE\0x", 12), "DESIGN", "2") + close;
    broken["nul in a code.dxf"] = entities + lwpolyline("LWPOLYLINE", "DESIGN", "2") + std::string(" 10\0 7\n", 8) +
                                  "5\n" + close;
    broken["claims.dxf"] = entities + lwpolyline("LWPOLYLINE", "DESIGN", "60000") +
                           lwpolyline("LWPOLYLINE", "DESIGN", "60000") + close;
    broken["long layer.dxf"] = entities + lwpolyline("LWPOLYLINE", std::string(1500, 'D'), "2") + close;
    const std::map<std::string, std::string> why = {
        {"empty.dxf", "The file is empty."},
        {"text.dxf", "line 1 is not a group code"},
        {"binary.dxf", "line 1 is not a group code"},
        {"truncated.dxf", "It is cut short"},
        {"no entities.dxf", "holds no line"},
        {"huge count.dxf", "claims 500000000 items"},
        {"inf.dxf", "\"inf\" on line"},
        {"overflow.dxf", "\"1e400\" on line"},
        {"far.dxf", "farther than 10000 km"},
        {"many.dxf", "more than 100000 line vertices"},
        {"count with letters.dxf", "the count \"600000000x\" on line"},
        {"signed count.dxf", "the count \"-2\" on line"},
        {"nul in a name.dxf", "holds a NUL byte"},
        {"nul in a code.dxf", "holds a NUL byte"},
        {"long layer.dxf", "is longer than 1000 bytes"},
        {"claims.dxf", "claims more than 100000 line vertices"},
    };
    Array *before = section->red_line;
    for (const auto &[name, content] : broken) {
        write_bytes(dir.file(name), content);
        EXPECT_EQ(section_import_dxf(section, dir.file(name).c_str()), 0) << name;
        EXPECT_EQ(section->red_line, before) << name;
        EXPECT_NE(std::string(section_last_message(section)).find(why.at(name)), std::string::npos)
            << name << ": " << section_last_message(section);
    }
    // Cut anywhere before its last pair, an export of ours is refused.
    std::string cut = dir.file("cut.dxf");
    for (size_t size = 0; size + 4 < bytes.size(); size += 37) {
        write_bytes(cut, bytes.substr(0, size));
        ASSERT_EQ(section_import_dxf(section, cut.c_str()), 0) << size;
    }
    EXPECT_EQ(section_import_dxf(section, dir.file("absent.dxf").c_str()), 0);
    EXPECT_EQ(section_last_message(section), "\"" + dir.file("absent.dxf") + "\" was not imported. The file does not exist.");
    EXPECT_EQ(section_import_dxf(section, dir.path().string().c_str()), 0);
    EXPECT_NE(std::string(section_last_message(section)).find("not a regular file"), std::string::npos);
    EXPECT_EQ(array_size(section->red_line), 2u);
    EXPECT_TRUE(section->state->retired_arrays.empty());
    ASSERT_NE(section_import_dxf(section, good.c_str()), 0);
    EXPECT_STREQ(section_last_message(section), "");
}

// What the design line is read from is what was checked: nothing after the
// end marker, and nothing of entities a design line is not made of, however
// long their lines; numbers read alike in every locale.
TEST(SectionFiles, DxfImportReadsTheDesignLineBeforeTheEndMarkerAlone)
{
    TempDir dir;
    Workspace w;
    section_t *section = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+100.00", across(0, 0, 0));
    const std::string head = "  0\nSECTION\n  2\nENTITIES\n", close = "  0\nENDSEC\n  0\nEOF\n";
    auto lwpolyline = [](const std::string &count, const std::string &vertices) {
        return "  0\nLWPOLYLINE\n  8\nDESIGN\n 90\n" + count + "\n" + vertices;
    };
    const std::string design = lwpolyline("2", " 10\n-1.5\n 20\n2.25\n 10\n1.5\n 20\n2.75\n");
    const std::string after = lwpolyline("356948853", " 10\n40\n 20\n9\n 10\n41\n 20\n9\n") + close;
    const std::string long_text = "  0\nTEXT\n  8\nNOTES\n  1\n" + std::string(5000, 'n') + "\n";
    const std::string comment = "999\n" + std::string(3000, 'c') + "\n";
    const std::map<std::string, std::string> files = {
        {"after the end.dxf", head + design + close + after},
        {"long text.dxf", head + long_text + design + close},
        {"long comment.dxf", comment + head + design + close},
        {"hatch.dxf", head + "  0\nHATCH\n  8\nDESIGN\n 91\n1\n 92\n2\n 93\n3\n" + design + close},
    };
    NumericLocale decimal_comma("de_DE.UTF-8");
    ASSERT_TRUE(decimal_comma.taken) << "the de_DE.UTF-8 locale is needed (locales-all)";
    for (const auto &[name, content] : files) {
        write_bytes(dir.file(name), content);
        EXPECT_NE(section_import_dxf(section, dir.file(name).c_str()), 0) << name << ": " << section_last_message(section);
        std::vector<velmo_point_t> red = records(section->red_line);
        ASSERT_EQ(red.size(), 2u) << name;
        EXPECT_EQ(red[0].u, -1.5f) << name;
        EXPECT_EQ(red[0].v, 2.25f) << name;
        EXPECT_EQ(red[1].u, 1.5f) << name;
        EXPECT_EQ(red[1].v, 2.75f) << name;
    }
}

// ---- a surveyed corridor -------------------------------------------------------

// The lowest of the design heights over a bin of the automatic ground line and
// the highest, widened by the tolerance.
bool within_design(const lasgen::CorridorSpec &spec, double chainage, double offset, double height)
{
    const double tolerance = 0.02, half_bin = 0.125;
    double low = 1e300, high = -1e300;
    for (int i = 0; i <= 10; i++) {
        double z = lasgen::design_height(spec, chainage, offset - half_bin + i * half_bin / 5);
        low = std::min(low, z);
        high = std::max(high, z);
    }
    return height >= low - tolerance && height <= high + tolerance;
}

void check_corridor_exports(lasgen::Alignment alignment)
{
    TempDir dir;
    Workspace w;
    ASSERT_NE(wks_create_project(w.wks, 0, dir.file("corridor.qpj").c_str()), 0);
    lasgen::CorridorSpec spec;
    spec.alignment = alignment;
    spec.points = 400000;
    std::string las = dir.file("corridor.las"), error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
    ASSERT_NE(wks_import_velmo(w.wks, las.c_str(), nullptr), nullptr);
    road_t road;
    import_road(w.wks, dir.file("corridor.pm"), alignment, &road);
    road_final(&road);
    void *item = nullptr;
    array_get_at(w.wks->roads, 0, &item);
    auto *record = static_cast<wks_road_t *>(item);

    std::vector<double> rows;
    for (double s = 20; s <= 180; s += 20)
        rows.insert(rows.end(), {s, 0.0});
    ASSERT_EQ(wks_generate_road_latitude_sections(w.wks, record, 9, rows.data(), 1.0, 2 * 12.0), 9);
    const double range[2] = {10, 190};
    ASSERT_EQ(wks_generate_road_longitude_sections(w.wks, record, 1, range, 1.0), 1);
    for (Array *list : {w.wks->latitude_sections, w.wks->longitude_sections})
        for (size_t i = 0; i < array_size(list); i++) {
            array_get_at(list, i, &item);
            ASSERT_NE(wks_export_section(w.wks, static_cast<section_t *>(item)), 0);
        }

    std::string hdm = dir.file("corridor.HDM");
    int options[3] = {1, 1, 1};
    ASSERT_EQ(wks_export_latitude_sections(w.wks, hdm.c_str(), options), 9);
    std::vector<HdmStation> stations = read_hdm(hdm);
    std::vector<std::pair<double, double>> centres = read_dmx(dir.file("corridor.DMX"));
    ASSERT_EQ(stations.size(), 9u);
    ASSERT_EQ(centres.size(), 9u);
    for (size_t k = 0; k < stations.size(); k++) {
        const HdmStation &st = stations[k];
        EXPECT_NEAR(st.station, 20.0 * double(k + 1), 0.0005);
        EXPECT_NEAR(centres[k].second, lasgen::design_height(spec, st.station, 0), 0.02);
        EXPECT_GT(st.left.size(), 40u);
        EXPECT_GT(st.right.size(), 40u);
        for (const auto &[d, h] : st.left)
            EXPECT_TRUE(within_design(spec, st.station, -d, centres[k].second + h)) << st.station << " left " << d;
        for (const auto &[d, h] : st.right)
            EXPECT_TRUE(within_design(spec, st.station, d, centres[k].second + h)) << st.station << " right " << d;
    }

    std::string dmx = dir.file("profile.DMX");
    int profile[3] = {1, 1, 0};
    ASSERT_EQ(wks_export_longitude_sections(w.wks, dmx.c_str(), profile), 1);
    std::vector<std::pair<double, double>> ground = read_dmx(dmx);
    EXPECT_GT(ground.size(), 600u);
    for (const auto &[station, elevation] : ground)
        EXPECT_NEAR(elevation, lasgen::design_height(spec, station, 0), 0.02) << station;
}

TEST(SectionFiles, StraightCorridorExportsItsKnownCrossSectionsAndProfile)
{
    check_corridor_exports(lasgen::Alignment::straight);
}

TEST(SectionFiles, CurvedCorridorExportsItsKnownCrossSectionsAndProfile)
{
    check_corridor_exports(lasgen::Alignment::curved);
}

// ---- locale ----------------------------------------------------------------------

// The first line where two texts part, "" when they are the same.
std::string first_difference(const std::string &a, const std::string &b)
{
    std::istringstream in_a(a), in_b(b);
    for (std::string line_a, line_b;;) {
        bool more_a = bool(std::getline(in_a, line_a)), more_b = bool(std::getline(in_b, line_b));
        if (!more_a && !more_b)
            return "";
        if (more_a != more_b || line_a != line_b)
            return (more_a ? line_a : "(end)") + " instead of " + (more_b ? line_b : "(end)");
    }
}

// The program sets the locale from the system language: a German user's
// exports must hold the very bytes everyone else's do, a decimal point in
// every number, and his DXF import must read a drawing made anywhere.
TEST(SectionFiles, ExportsAndDxfImportIgnoreADecimalCommaLocale)
{
    TempDir dir;
    Workspace w;
    section_t *latitude = w.add(w.wks->latitude_sections, SECTION_LATITUDE, "LK0+020.50", across(500.25, 300.75, 0.3));
    measure_irregular_ground(latitude);
    const double design[][2] = {{-7.25, 30.2}, {0, 30.345}, {7.5, 30.125}};
    for (const auto &d : design)
        add_point(latitude, latitude->red_line, d[0], d[1]);
    section_t *custom = w.add(w.wks->custom_sections, SECTION_CUSTOM, "C", across(0, 0, 1));
    measure_irregular_ground(custom);
    section_t *longitude = w.add(w.wks->longitude_sections, SECTION_LONGITUDE, "V", across(0, 0, 0));
    for (double s : {0.5, 20.25, 40.125})
        add_point(longitude, longitude->measurements, s, 57.3 - s / 100);

    int plain[3] = {1, 0, 0}, with_dmx[3] = {1, 1, 0};
    const struct {
        const char *name;
        std::vector<std::string> files;
        std::function<int(const std::string &)> write;
    } exports[] = {
        {"DAT", {"a.dat"}, [&](const std::string &p) { return section_export_dat(w.wks, latitude, p.c_str(), 1); }},
        {"DXF", {"a.dxf"}, [&](const std::string &p) { return section_export_dxf(w.wks, latitude, p.c_str(), 0); }},
        {"latitude HDM and DMX", {"a.HDM", "a.DMX"},
         [&](const std::string &p) { return wks_export_latitude_sections(w.wks, p.c_str(), with_dmx); }},
        {"custom HDM", {"a.HDM"}, [&](const std::string &p) { return wks_export_custom_sections(w.wks, p.c_str(), plain); }},
        {"longitude DMX", {"a.DMX"},
         [&](const std::string &p) { return wks_export_longitude_sections(w.wks, p.c_str(), plain); }},
    };
    fs::create_directories(dir.path() / "c");
    fs::create_directories(dir.path() / "de");
    for (const auto &e : exports) {
        const std::string c = dir.file("c/" + e.files[0]), de = dir.file("de/" + e.files[0]);
        ASSERT_NE(e.write(c), 0) << e.name;
        {
            DecimalCommaLocale locale;
            ASSERT_DECIMAL_COMMA_LOCALE(locale);
            EXPECT_NE(e.write(de), 0) << e.name << ": " << section_last_message(latitude);
        }
        for (const std::string &file : e.files) {
            const std::string written = read_bytes(dir.file("c/" + file));
            EXPECT_NE(written.find('.'), std::string::npos) << e.name << " " << file;
            EXPECT_EQ(first_difference(read_bytes(dir.file("de/" + file)), written), "") << e.name << " " << file;
        }
    }

    section_t *other = w.add(w.wks->custom_sections, SECTION_CUSTOM, "D", across(0, 0, 0));
    {
        DecimalCommaLocale locale;
        ASSERT_DECIMAL_COMMA_LOCALE(locale);
        ASSERT_NE(section_import_dxf(other, dir.file("c/a.dxf").c_str()), 0) << section_last_message(other);
    }
    std::vector<velmo_point_t> red = records(other->red_line);
    ASSERT_EQ(red.size(), 3u);
    for (size_t i = 0; i < red.size(); i++) {
        EXPECT_NEAR(red[i].u, design[i][0], 1e-5);
        EXPECT_NEAR(red[i].v, design[i][1], 1e-5);
    }
}

} // namespace
