// Point clouds in the model view as paged octree tiles.  Each tile becomes a
// paged level-of-detail node whose six children are tile names; the viewer's
// database pager hands a name to the octree reader plug-in when the camera
// comes close enough.  Names carry the addresses of the cloud and tile
// records, so they are valid only inside this process.
#pragma once

#include "velmo.h"

// Room for "%p_%p_%d_%d.octree": two 64-bit pointers in hexadecimal, two ints,
// the separators, the suffix and the terminating zero.
#define SCENE_TILE_NAME_SIZE 96

// The finest and the coarsest level a tile is shown at; a lower level keeps
// more of the tile's points.
#define SCENE_TILE_COARSEST_LEVEL 8
#define SCENE_TILE_FINEST_LEVEL 3

// Prints the tile name of (cloud, tile, level, mode) into buffer, which holds
// at least SCENE_TILE_NAME_SIZE bytes; returns the name's length.
int SceneFormatTileName(char *buffer, velmo_t *cloud, tile_t *tile, int level, int mode);

// Shows a cloud as one group of paged tiles in a colour mode (ColorMode).  A
// cloud that is shown already stays as it is, whatever the mode; a cloud
// without tiles gets no group.
void SceneShowCloud(velmo_t *cloud, int mode);

// Tiles of the shown clouds that hold loaded points (any level).
size_t SceneLoadedTileCount();
