// Projects over synthetic road corridors for the section tests: a LAS file
// whose ground is known exactly, and its alignment as a ".pm" road file.
#pragma once

#include "velmo.h"

#include "lasgen.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace section_test {

struct Corridor {
    lasgen::CorridorSpec spec;
    std::string las, pm;
};

// Each generated on first use, once per test program, in a folder removed
// at exit.
class CorridorFiles {
public:
    static const Corridor &straight()
    {
        static const Corridor corridor = instance().make("straight", [](lasgen::CorridorSpec *spec) {
            spec->points = 400000;
            spec->length = 200;
            spec->start_chainage = 1000;
        });
        return corridor;
    }
    static const Corridor &curved()
    {
        static const Corridor corridor = instance().make("curved", [](lasgen::CorridorSpec *spec) {
            spec->points = 1200000; // several tiles
            spec->alignment = lasgen::Alignment::curved;
            spec->length = 300;
            spec->start_azimuth = 2.2;
        });
        return corridor;
    }

private:
    static CorridorFiles &instance()
    {
        static CorridorFiles files;
        return files;
    }

    CorridorFiles()
    {
        folder_ = std::filesystem::temp_directory_path() / ("corvane-section-corridors-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
    }
    ~CorridorFiles()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    template <typename Shape>
    Corridor make(const std::string &name, Shape shape)
    {
        Corridor c;
        shape(&c.spec);
        c.las = (folder_ / (name + ".las")).string();
        c.pm = (folder_ / (name + ".pm")).string();
        std::string error;
        if (!lasgen::write_corridor(c.spec, c.las, &error))
            ADD_FAILURE() << error;
        road_t road;
        road_init(&road);
        lasgen::build_alignment(c.spec, &road);
        if (road_export_haidi(&road, c.pm.c_str()) != 0)
            ADD_FAILURE() << "cannot write " << c.pm;
        road_final(&road);
        return c;
    }

    std::filesystem::path folder_;
};

inline std::vector<velmo_point_t> records(Array *list)
{
    std::vector<velmo_point_t> out;
    for (size_t i = 0; i < array_size(list); i++)
        out.push_back(*item<velmo_point_t>(list, i));
    return out;
}

// A project in its own folder holding one corridor's cloud and road.
class Project {
public:
    explicit Project(const Corridor &corridor) : corridor_(corridor), path_(dir_.file("survey.qpj"))
    {
        wks = new_workspace();
        EXPECT_NE(wks_create_project(wks, 0, path_.c_str()), 0);
        cloud = wks_import_velmo(wks, corridor.las.c_str(), nullptr);
        road = wks_import_road(wks, corridor.pm.c_str(), 0);
        EXPECT_NE(cloud, nullptr);
        EXPECT_NE(road, nullptr);
        wks_export_project(wks);
    }
    ~Project() { wks_destroy(wks); }
    Project(const Project &) = delete;
    Project &operator=(const Project &) = delete;

    // Closes the workspace and opens the project again as the program does.
    void reopen()
    {
        wks_destroy(wks);
        wks = new_workspace();
        ASSERT_NE(wks_open_project(wks, path_.c_str()), 0);
        cloud = item<velmo_t>(wks->clouds, 0);
        road = item<wks_road_t>(wks->roads, 0);
        velmo_open_file(cloud);
        wks_update_bounding_box(wks);
        road_open_file(road, road->path, road->format);
        Array *lists[3] = {wks->latitude_sections, wks->longitude_sections, wks->custom_sections};
        for (Array *list : lists)
            for (size_t i = 0; i < array_size(list); i++)
                wks_import_section(wks, item<section_t>(list, i));
    }

    const std::string &path() const { return path_; }
    const lasgen::CorridorSpec &spec() const { return corridor_.spec; }

    wks_t *wks = nullptr;
    velmo_t *cloud = nullptr;
    wks_road_t *road = nullptr;

private:
    const Corridor &corridor_;
    TempDir dir_;
    std::string path_;
};

// Latitude rows {chainage, altitude} every step metres over [start, end].
inline std::vector<double> latitude_rows(double start, double end, double step, double altitude = 0)
{
    std::vector<double> rows;
    for (double c = start; c <= end + 1e-9; c += step)
        rows.insert(rows.end(), {c, altitude});
    return rows;
}

// Latitude sections generated every step metres over [start, end], 40 m
// wide, in the order of their list.
inline std::vector<section_t *> latitude_sections(Project &p, double start, double end, double step)
{
    std::vector<double> rows = latitude_rows(start, end, step);
    const int count = int(rows.size() / 2);
    EXPECT_EQ(wks_generate_road_latitude_sections(p.wks, p.road, count, rows.data(), 1.0, 40.0), count);
    std::vector<section_t *> sections;
    for (size_t i = 0; i < array_size(p.wks->latitude_sections); i++)
        sections.push_back(item<section_t>(p.wks->latitude_sections, i));
    return sections;
}

inline double dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // namespace section_test
