// dxf_import_bench: how long a DXF design line takes to import into a
// section, and how soon a drawing of far too many vertices is refused.
//
//   dxf_import_bench [--dir PATH]
//
// Prints the seconds of an import of VELMO_DESIGN_LINE_MAX vertices and of
// the refusal of a polyline of 1,000,000 vertices; the refusal should take a
// small part of the import, since it stops reading at the limit.
#include "velmo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void write_polyline(const std::string &path, int vertices)
{
    std::ofstream out(path, std::ios::binary);
    out << "  0\nSECTION\n  2\nENTITIES\n  0\nPOLYLINE\n  8\nDESIGN\n 66\n1\n";
    for (int i = 0; i < vertices; i++)
        out << "  0\nVERTEX\n  8\nDESIGN\n 10\n" << i * 1e-4 << "\n 20\n" << (i % 100) * 1e-2 << "\n 30\n0\n";
    out << "  0\nSEQEND\n  0\nENDSEC\n  0\nEOF\n";
}

double timed_import(section_t *section, const std::string &path, int *result)
{
    auto start = std::chrono::steady_clock::now();
    *result = section_import_dxf(section, path.c_str());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    fs::path dir = fs::temp_directory_path() / "corvane-dxf-bench";
    if (argc == 3 && std::strcmp(argv[1], "--dir") == 0)
        dir = argv[2];
    fs::remove_all(dir);
    fs::create_directories(dir);
    wks_t *wks = static_cast<wks_t *>(calloc(1, 256));
    if (!wks || !wks_init(wks) || !wks_create_project(wks, 0, (dir / "bench.qpj").c_str())) {
        std::fprintf(stderr, "cannot create the benchmark project in %s\n", dir.c_str());
        return 1;
    }
    const double centre[3] = {0, 0, 0}, normal[3] = {0, 1, 0}, up[3] = {0, 0, 1};
    const double normal_range[2] = {-0.5, 0.5}, width_range[2] = {-20, 20};
    section_t *section = wks_add_custom_section(wks, "bench", centre, normal, up, normal_range, width_range);
    if (!section) {
        std::fprintf(stderr, "cannot add the benchmark section\n");
        return 1;
    }
    const std::string most = (dir / "most.dxf").string(), huge = (dir / "huge.dxf").string();
    write_polyline(most, VELMO_DESIGN_LINE_MAX);
    write_polyline(huge, 1000000);
    int imported = 0, refused = 0;
    std::printf("import_%d_vertices_s=%.6g\n", VELMO_DESIGN_LINE_MAX, timed_import(section, most, &imported));
    std::printf("refuse_1000000_vertices_s=%.6g\n", timed_import(section, huge, &refused));
    if (!imported || refused)
        std::fprintf(stderr, "unexpected: import %d, refusal %d (%s)\n", imported, refused,
                     section_last_message(section));
    wks_destroy(wks);
    fs::remove_all(dir);
    return imported && !refused ? 0 : 1;
}
