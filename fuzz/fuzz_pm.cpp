// The two ".pm" centre-line readers on any bytes.
#include "fuzz_input.h"
#include "road.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::write_input(data, size, "input.pm");
    for (int format = 0; format < 2; format++) {
        road_t road;
        road_init(&road);
        int read = format ? road_import_weidi(&road, path.c_str()) : road_import_haidi(&road, path.c_str());
        if (read == 0 && road_number_horizon(&road) > 1) {
            double x = 0, y = 0;
            const horizon_element_t *start = road_horizon(&road, 0);
            road_l2xy(&road, start->start_chainage + 10, &x, &y, nullptr);
        }
        road_final(&road);
    }
    fuzz::remove_file(path);
    return 0;
}
