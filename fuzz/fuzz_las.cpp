// LAS reader and tile-store import: any bytes as a LAS file are refused with
// a reason or read, imported and decoded within the header's promises.
#include "fuzz_input.h"
#include "las_file.h"
#include "tile_store.h"
#include "velmo.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::write_input(data, size, "input.las");
    double box[6];
    velmo_read_point_number(path.c_str(), box);
    // Slicing divides the points' own box: no header box may upset it.
    const int counts[3] = {2, 2, 1};
    if (velmo_slice_points(path.c_str(), counts, nullptr)) {
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < 2; j++)
                fuzz::remove_file(fuzz::folder() + "/input_" + std::to_string(i) + "_" + std::to_string(j) + "_0.las");
    }
    std::string error;
    auto las = velmo::LasFile::open(path, &error);
    if (las) {
        uint64_t count = std::min<uint64_t>(las->point_count(), 64);
        std::vector<uint8_t> records(size_t(count) * las->header().record_length + 1);
        las->read_records(0, count, records.data());
        std::string store = fuzz::folder() + "/input.tiles";
        velmo::TileStoreOptions options;
        options.threads = 1;
        if (velmo::TileStore::build(*las, store, nullptr, &error, options)) {
            auto opened = velmo::TileStore::open(store, &error);
            if (opened) {
                velmo_point_t point;
                for (size_t i = 0; i < std::min<uint64_t>(opened->point_count(), 256); i++)
                    opened->decode(opened->points()[i], &point);
            }
        }
        fuzz::remove_file(store);
    }
    fuzz::remove_file(path);
    return 0;
}
