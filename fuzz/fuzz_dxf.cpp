// The design-line import of a section from any bytes as a DXF file.
#include "fuzz_input.h"
#include "velmo.h"

#include <cstdlib>

namespace {

section_t *test_section()
{
    static section_t *section = [] {
        auto *wks = static_cast<wks_t *>(std::malloc(96));
        wks_init(wks);
        const double centre[3] = {10, 20, 0}, normal[3] = {0, -1, 0}, up[3] = {0, 0, 1};
        const double thickness[2] = {-0.5, 0.5}, width[2] = {-10, 10};
        return wks_add_custom_section(wks, "fuzz", centre, normal, up, thickness, width);
    }();
    return section;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::write_input(data, size, "input.dxf");
    section_import_dxf(test_section(), path.c_str());
    fuzz::remove_file(path);
    return 0;
}
