// The SQLite road file reader on any bytes (seeded with real road files, so
// that mutations reach its tables).
#include "fuzz_input.h"
#include "road.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::write_input(data, size, "input.road");
    road_t road;
    road_init(&road);
    if (road_import_file(&road, path.c_str()) == 0) {
        road_apply_horizon(&road);
        road_apply_vertical(&road);
    }
    road_final(&road);
    fuzz::remove_file(path);
    fuzz::remove_file(path + "-journal");
    return 0;
}
