// What a file is to the program: one of the open project's own files, by any
// of its names, and whether a file holds a file of a kind the engine writes.
#include "velmo.h"

#include "lasgen.h"
#include "temp_dir.h"
#include "test_workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(FileRoles, EveryNameOfAProjectFileIsKnownAndOthersAreForeign)
{
    TempDir dir;
    Workspace w;
    const std::string project = dir.file("site/p.qpj");
    fs::create_directories(dir.file("site"));
    fs::create_directories(dir.file("other"));
    EXPECT_EQ(WKS_FILE_FOREIGN, wks_file_role(w.wks, project.c_str())) << "no project is open";
    ASSERT_NE(wks_create_project(w.wks, 0, project.c_str()), 0);
    lasgen::CorridorSpec spec;
    spec.points = 2000;
    spec.threads = 1;
    std::string error;
    const std::string las = dir.file("cloud.las");
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
    ASSERT_NE(nullptr, wks_import_velmo(w.wks, las.c_str(), nullptr));
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    const std::string pm = dir.file("other/centre.pm");
    ASSERT_EQ(0, road_export_haidi(&road, pm.c_str()));
    road_final(&road);
    ASSERT_NE(nullptr, wks_import_road(w.wks, pm.c_str(), 0));
    fs::create_symlink(las, dir.file("link.las"));
    fs::create_hard_link(pm, dir.file("hard.pm"));

    const struct {
        std::string path;
        int role;
    } cases[] = {
        {project, WKS_FILE_PROJECT},
        {dir.file("site/../site/p.qpj"), WKS_FILE_PROJECT},
        {project + "-lock", WKS_FILE_PROJECT},
        {project + "-journal", WKS_FILE_PROJECT},
        {dir.file("site/p.data"), WKS_FILE_DATA},
        {dir.file("site/p.data/1.tiles"), WKS_FILE_DATA},
        {dir.file("site/p.data/new/piece.las"), WKS_FILE_DATA},
        {las, WKS_FILE_CLOUD},
        {dir.file("link.las"), WKS_FILE_CLOUD},
        {pm, WKS_FILE_ROAD},
        {dir.file("other/../other/centre.pm"), WKS_FILE_ROAD},
        {dir.file("hard.pm"), WKS_FILE_ROAD},
        {dir.file("site/p.qpj.HDM"), WKS_FILE_FOREIGN},
        {dir.file("site/p.qpjx"), WKS_FILE_FOREIGN},
        {dir.file("site/p.datax/a.las"), WKS_FILE_FOREIGN},
        {dir.file("cloud.las.pm"), WKS_FILE_FOREIGN},
        {dir.file("other/centre2.pm"), WKS_FILE_FOREIGN},
        {"", WKS_FILE_FOREIGN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.role, wks_file_role(w.wks, c.path.c_str())) << c.path;
    EXPECT_EQ(WKS_FILE_FOREIGN, wks_file_role(w.wks, nullptr));
}

TEST(FileKinds, AFileIsOfAKindByItsContentsAndAnEmptyFileIsOfEveryKind)
{
    TempDir dir;
    const std::string las = dir.file("cloud.las");
    lasgen::CorridorSpec spec;
    spec.points = 500;
    spec.threads = 1;
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
    road_t road;
    road_init(&road);
    lasgen::build_alignment(spec, &road);
    const std::string haidi = dir.file("haidi.pm"), weidi = dir.file("weidi.pm");
    ASSERT_EQ(0, road_export_haidi(&road, haidi.c_str()));
    ASSERT_EQ(0, road_export_weidi(&road, weidi.c_str()));
    road_final(&road);
    const struct {
        const char *name;
        std::string bytes; // written unless the name is one made above
        int kind;
        bool of_kind;
    } cases[] = {
        {"cloud.las", "", VELMO_FILE_LAS, true},
        {"haidi.pm", "", VELMO_FILE_ROAD, true},
        {"weidi.pm", "", VELMO_FILE_ROAD, true},
        {"cloud.las", "", VELMO_FILE_ROAD, false},
        {"haidi.pm", "", VELMO_FILE_LAS, false},
        {"a.hdm", "HINTCAD5.83_HDM_SHUJU\r\n100.000\r\n0\r\n0\r\n", VELMO_FILE_HDM, true},
        {"b.hdm", "HINTCAD6.00_HDM_SHUJU\n", VELMO_FILE_HDM, true},
        {"c.hdm", "HINTCAD5.83_DMX_SHUJU\n", VELMO_FILE_HDM, false},
        {"a.dmx", "HINTCAD5.83_DMX_SHUJU\r\n       0.000\t 57.300000\r\n", VELMO_FILE_DMX, true},
        {"b.dmx", "my notes\n", VELMO_FILE_DMX, false},
        {"a.dxf", "  0\nSECTION\n  2\nHEADER\n", VELMO_FILE_DXF, true},
        {"b.dxf", "999\ndxflib\n  0\nSECTION\n", VELMO_FILE_DXF, true},
        {"c.dxf", "0\r\nSECTION\r\n", VELMO_FILE_DXF, true},
        {"d.dxf", "  0\nLINE\n", VELMO_FILE_DXF, false},
        {"a.dat", "1,,500123.456,3012345.678,45.210\r\n2,,1,2,3\r\n", VELMO_FILE_DAT, true},
        {"b.dat", "\r\n7,tree,1.5,-2,3e2\r\n", VELMO_FILE_DAT, true},
        {"c.dat", "1,,500123.456,3012345.678\r\n", VELMO_FILE_DAT, false},
        {"d.dat", "x,,1,2,3\r\n", VELMO_FILE_DAT, false},
        {"e.dat", "1,,1,5;2,3\r\n", VELMO_FILE_DAT, false},
        {"notes.txt", "my notes\n", VELMO_FILE_LAS, false},
        {"notes.txt", "my notes\n", VELMO_FILE_ROAD, false},
        {"empty", std::string(), VELMO_FILE_HDM, true},
        {"empty", std::string(), VELMO_FILE_LAS, true},
    };
    for (const auto &c : cases) {
        const std::string path = dir.file(c.name);
        if (!c.bytes.empty() || std::string(c.name) == "empty")
            write_bytes(path, c.bytes);
        EXPECT_EQ(c.of_kind ? 1 : 0, velmo_file_is_kind(path.c_str(), c.kind)) << c.name << " as " << c.kind;
    }
    fs::create_directories(dir.file("folder.las"));
    EXPECT_EQ(0, velmo_file_is_kind(dir.file("folder.las").c_str(), VELMO_FILE_LAS)) << "a folder";
    EXPECT_EQ(0, velmo_file_is_kind(dir.file("missing.las").c_str(), VELMO_FILE_LAS)) << "no file";
    EXPECT_EQ(0, velmo_file_is_kind(las.c_str(), 99)) << "no such kind";
}

TEST(FileKinds, TheNamesOfWhatAnExportOrASlicingWritesBesideItsFile)
{
    char out[VELMO_PATH_SIZE];
    const struct {
        const char *hdm, *dmx;
    } twins[] = {{"/d/lat.HDM", "/d/lat.DMX"}, {"/d/lat", "/d/lat.DMX"}, {"/d/lat.DMX", "/d/lat.DMX.DMX"},
                 {"/d.x/lat", "/d.x/lat.DMX"}};
    for (const auto &t : twins) {
        ASSERT_EQ(1, wks_latitude_dmx_path(t.hdm, out, sizeof out)) << t.hdm;
        EXPECT_STREQ(t.dmx, out);
    }
    const int ijk[3] = {2, 0, 11};
    ASSERT_EQ(1, velmo_slice_piece_path("/d/site.las", ijk, out, sizeof out));
    EXPECT_STREQ("/d/site_2_0_11.las", out);
    EXPECT_EQ(0, velmo_slice_piece_path("/d/site.las", ijk, out, 10)) << "does not fit";
    EXPECT_EQ(0, wks_latitude_dmx_path("/d/lat.HDM", out, 10)) << "does not fit";
}
