// Mapping any bytes as a tile store, and decoding what it offers.
#include "fuzz_input.h"
#include "tile_store.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string path = fuzz::write_input(data, size, "input.tiles");
    std::string error;
    auto store = velmo::TileStore::open(path, &error);
    if (store) {
        velmo_point_t point;
        for (size_t t = 0; t < store->tile_count(); t++) {
            const velmo::StoreTile &tile = store->tile(t);
            for (uint64_t i = 0; i < std::min<uint64_t>(tile.count, 64); i++)
                store->decode(store->points()[tile.first + i], &point);
        }
    }
    fuzz::remove_file(path);
    return 0;
}
