#include "ScenePointClouds.h"

#include "SceneObjects.h"

#include <osg/PagedLOD>

#include <cfloat>
#include <cstdio>

namespace {

// Ranges grow by halves from the coarsest child: the coarsest level is shown
// from 64 tile widths outwards, the finest from 4 widths inwards.
osg::ref_ptr<osg::PagedLOD> make_tile_node(velmo_t *cloud, tile_t *tile, int mode)
{
    const double *box = tile->box;
    osg::ref_ptr<osg::PagedLOD> node = new osg::PagedLOD;
    node->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    node->setCenter(osg::Vec3((float)((box[0] + box[3]) / 2), (float)((box[1] + box[4]) / 2),
                              (float)((box[2] + box[5]) / 2)));
    // The X width alone decides; tiles are square in X-Y.
    double width = box[3] - box[0];
    node->setRadius((float)(0.707 * width));

    float range_max = FLT_MAX;
    float range_min = (float)(64 * width);
    for (int level = SCENE_TILE_COARSEST_LEVEL; level >= SCENE_TILE_FINEST_LEVEL; level--) {
        unsigned int child = SCENE_TILE_COARSEST_LEVEL - level;
        if (level == SCENE_TILE_FINEST_LEVEL)
            range_min = 0.0f;
        char name[SCENE_TILE_NAME_SIZE];
        SceneFormatTileName(name, cloud, tile, level, mode);
        node->setFileName(child, name);
        node->setRange(child, range_min, range_max);
        range_max = range_min;
        range_min = range_min * 0.5f;
    }
    return node;
}

} // namespace

int SceneFormatTileName(char *buffer, velmo_t *cloud, tile_t *tile, int level, int mode)
{
    return snprintf(buffer, SCENE_TILE_NAME_SIZE, "%p_%p_%d_%d.octree", (void *)cloud, (void *)tile, level, mode);
}

void SceneShowCloud(velmo_t *cloud, int mode)
{
    if (!cloud || SceneTableContains(CloudTable, cloud))
        return;
    // A task may be opening the cloud: its table is published whole, once.
    TreeTable *tiles = __atomic_load_n(&cloud->tiles, __ATOMIC_ACQUIRE);
    if (!tiles || treetable_size(tiles) == 0)
        return;
    osg::ref_ptr<osg::Group> group = new osg::Group;
    if (!SceneTableAdd(CloudTable, cloud, group.get()))
        return;
    TreeTableIter it;
    TreeTableEntry entry;
    treetable_iter_init(&it, tiles);
    while (treetable_iter_next(&it, &entry) == CC_OK)
        group->addChild(make_tile_node(cloud, static_cast<tile_t *>(entry.value), mode).get());
    SceneAddToModel(group.get());
}

size_t SceneLoadedTileCount()
{
    size_t loaded = 0;
    TreeTableIter it;
    TreeTableEntry entry;
    if (!CloudTable)
        return 0;
    treetable_iter_init(&it, CloudTable);
    while (treetable_iter_next(&it, &entry) == CC_OK) {
        const osg::Group *group = static_cast<const osg::Group *>(entry.value);
        for (unsigned int i = 0; i < group->getNumChildren(); i++) {
            const osg::Group *tile = group->getChild(i)->asGroup();
            loaded += tile && tile->getNumChildren() > 0 ? 1 : 0;
        }
    }
    return loaded;
}
