// The tiles of an opened cloud, for tests that look at them one by one.
#pragma once

#include "velmo.h"

#include <vector>

inline std::vector<tile_t *> tiles_of(velmo_t *cloud)
{
    std::vector<tile_t *> tiles;
    if (!cloud->tiles)
        return tiles;
    TreeTableIter it;
    TreeTableEntry entry;
    treetable_iter_init(&it, cloud->tiles);
    while (treetable_iter_next(&it, &entry) == CC_OK)
        tiles.push_back(static_cast<tile_t *>(entry.value));
    return tiles;
}
