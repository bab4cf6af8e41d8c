// Opening any bytes as a project file, then loading its clouds and roads and
// computing and exporting the first section it holds.
#include "fuzz_input.h"
#include "velmo.h"

#include <cstdlib>
#include <filesystem>

namespace {

void compute_first_section(wks_t *wks)
{
    for (Array *list : {wks->longitude_sections, wks->latitude_sections, wks->custom_sections}) {
        void *item = nullptr;
        if (!list || array_size(list) == 0 || array_get_at(list, 0, &item) != CC_OK)
            continue;
        auto *section = static_cast<section_t *>(item);
        wks_cal_section(wks, section, nullptr);
        wks_export_section(wks, section);
        return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::write_input(data, size, "input.qpj");
    std::filesystem::create_directories(fuzz::folder() + "/input.data");
    auto *wks = static_cast<wks_t *>(std::malloc(96));
    wks_init(wks);
    if (wks_open_project(wks, path.c_str())) {
        for (size_t i = 0; i < array_size(wks->roads); i++) {
            void *item = nullptr;
            array_get_at(wks->roads, i, &item);
            auto *road = static_cast<wks_road_t *>(item);
            road_open_file(road, road->path, road->format);
        }
        for (size_t i = 0; i < array_size(wks->clouds); i++) {
            void *item = nullptr;
            array_get_at(wks->clouds, i, &item);
            velmo_get_point_num(static_cast<velmo_t *>(item));
        }
        double centre[3];
        wks_get_center(wks, centre);
        compute_first_section(wks);
    }
    wks_destroy(wks);
    std::error_code ec;
    std::filesystem::remove_all(fuzz::folder() + "/input.data", ec);
    fuzz::remove_file(path);
    fuzz::remove_file(path + "-journal");
    return 0;
}
