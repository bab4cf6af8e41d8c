// Import of a LAS file into a tile store (see TileStore::build).
#pragma once

#include "tile_store.h"

#include <string>

namespace velmo {

// Writes the store of the LAS file at store_path; false with *error set when
// it fails, leaving no file behind.  Exceptions of the progress callback pass
// on after the partial file is removed.
bool import_tile_store(const LasFile &las, const std::string &store_path, const Progress &progress,
                       const TileStoreOptions &options, std::string *error);

} // namespace velmo
