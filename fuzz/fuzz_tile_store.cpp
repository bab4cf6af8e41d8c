// Mapping any bytes as a tile store, and decoding what it offers, through
// the mapping and as read from the file.
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
        tile_point_t copied[64];
        for (size_t t = 0; t < store->tile_count(); t++) {
            const velmo::StoreTile &tile = store->tile(t);
            const uint32_t some = uint32_t(std::min<uint64_t>(tile.count, 64));
            for (uint64_t i = 0; i < some; i++)
                store->decode(store->points()[tile.first + i], &point);
            store->will_need(tile.first, some);
            if (store->copy_points(tile.first, some, copied, true) || store->copy_points(tile.first, some, copied))
                for (uint32_t i = 0; i < some; i++)
                    store->decode(copied[i], &point);
        }
    }
    fuzz::remove_file(path);
    return 0;
}
