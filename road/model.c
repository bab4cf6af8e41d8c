/* Cross-section models: node lists and the height profile across the road. */
#include "road.h"
#include "road_table.h"

#define NODE_SIZE sizeof(model_node_t)

void model_init(model_t *model)
{
    vpool_init(&model->nodes, NODE_SIZE, 0);
}

void model_final(model_t *model)
{
    vpool_final(&model->nodes);
}

int model_number_node(const model_t *model)
{
    return table_count(&model->nodes, NODE_SIZE);
}

model_node_t *model_node(model_t *model, int index)
{
    return table_at(&model->nodes, NODE_SIZE, index);
}

/* Equal offsets: the newer node stands first. */
int model_insert_node(model_t *model, const model_node_t *node)
{
    int count = model_number_node(model), index = 0;
    while (index < count && model_node(model, index)->offset < node->offset)
        index++;
    table_insert(&model->nodes, NODE_SIZE, index, node);
    return 0;
}

int model_remove_node(model_t *model, int index)
{
    if (!model_node(model, index))
        return -1;
    table_remove(&model->nodes, NODE_SIZE, index);
    return 0;
}

int model_clear_node(model_t *model)
{
    vpool_wipe(&model->nodes);
    return 0;
}
