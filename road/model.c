/* Cross-section models: node lists and the height profile across the road. */
#include "road.h"
#include "road_table.h"

#include <math.h>
#include <stdlib.h>

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

/* ---- height profile ---------------------------------------------------- */

#define CENTRE_TOLERANCE 1e-6
#define EDGE_BAND 2.0

static int centre_node(const model_node_t *nodes, int count)
{
    for (int i = 0; i < count; i++) {
        if (fabs(nodes[i].offset) < CENTRE_TOLERANCE)
            return i;
    }
    return -1;
}

/* Heights of the nodes relative to the centre line, walking outwards from the
 * reference: the first node on the centre line, or else the centre line
 * itself at its place in the offset order.  Each node's slope is that of the
 * stretch towards the centre line, so a positive slope rises outwards on both
 * sides. */
static void model_node_heights(const model_node_t *nodes, int count, double *heights)
{
    int left, right; /* innermost nodes not yet computed on each side */
    int centre = centre_node(nodes, count);
    if (centre >= 0) {
        heights[centre] = 0.0;
        left = centre - 1;
        right = centre + 1;
    } else {
        int split = 0;
        while (split < count && nodes[split].offset < 0.0)
            split++;
        if (split > 0)
            heights[split - 1] = -nodes[split - 1].offset * nodes[split - 1].slope;
        if (split < count)
            heights[split] = nodes[split].offset * nodes[split].slope;
        left = split - 2;
        right = split + 1;
    }
    for (int j = left; j >= 0; j--)
        heights[j] = heights[j + 1] + (nodes[j + 1].offset - nodes[j].offset) * nodes[j].slope;
    for (int k = right; k < count; k++)
        heights[k] = heights[k - 1] + (nodes[k].offset - nodes[k - 1].offset) * nodes[k].slope;
}

/* Straight line through (x0, h0) and (x1, h1) at x; two nodes at the same
 * offset give the first one's height instead of a division by zero. */
static double line_through(double x0, double h0, double x1, double h1, double x)
{
    if (x1 == x0)
        return h0;
    return h0 + (x - x0) * (h1 - h0) / (x1 - x0);
}

static double profile_height(const model_node_t *nodes, const double *heights, int count, double x)
{
    if (count == 1)
        return heights[0];
    if (x < nodes[0].offset)
        return line_through(nodes[0].offset, heights[0], nodes[1].offset, heights[1], x);
    if (x > nodes[count - 1].offset)
        return line_through(nodes[count - 2].offset, heights[count - 2],
                            nodes[count - 1].offset, heights[count - 1], x);
    for (int i = 0; i + 1 < count; i++) {
        if (nodes[i].offset <= x && x <= nodes[i + 1].offset)
            return line_through(nodes[i].offset, heights[i], nodes[i + 1].offset, heights[i + 1], x);
    }
    return 0.0;
}

static int profile_edge(double first, double last, double x)
{
    if (x < first - EDGE_BAND || x > last + EDGE_BAND)
        return 2;
    if (fabs(x - first) <= EDGE_BAND || fabs(x - last) <= EDGE_BAND)
        return 0;
    return 1;
}

int model_elevation(const model_t *model, double x, double *height, int *edge)
{
    if (!model)
        return -1;
    int count = model_number_node(model);
    if (count < 1)
        return -1;
    const model_node_t *nodes = (const model_node_t *)model->nodes.data;
    double *heights = malloc((size_t)count * sizeof(double));
    if (!heights)
        return -1;
    model_node_heights(nodes, count, heights);
    double h = profile_height(nodes, heights, count, x);
    free(heights);
    if (height)
        *height = h;
    if (edge)
        *edge = profile_edge(nodes[0].offset, nodes[count - 1].offset, x);
    return 0;
}
