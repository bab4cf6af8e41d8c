/* Design surface: the profile, the model sections and the feeders combined
 * into one elevation at any chainage and offset. */
#include "road.h"
#include "road_table.h"

#include <math.h>
#include <string.h>

#define CENTRE_TOLERANCE 1e-6
/* The first and last sections also answer this far beyond their ends. */
#define SECTION_REACH 5.0
/* Points this close to a model's outer edge count as on it. */
#define EDGE_BAND 2.0
#define DEFAULT_MAX_OFFSET 10.0

/* ---- look-ups ---------------------------------------------------------- */

static const feeder_t *feeder_at(const road_t *road, int index)
{
    return table_at(&road->feeder, sizeof(feeder_t), index);
}

static const road_section_t *section_at(const road_t *road, int index)
{
    return table_at(&road->section, sizeof(road_section_t), index);
}

static const model_t *model_named(const road_t *road, const char *name)
{
    for (int i = 0; i < road_number_model(road); i++) {
        const model_t *model = table_at(&road->model, sizeof(model_t), i);
        if (strncmp(model->name, name, ROAD_NAME_SIZE) == 0)
            return model;
    }
    return NULL;
}

/* The model of that name when it has at least one node, or NULL. */
static const model_t *model_with_nodes(const road_t *road, const char *name)
{
    const model_t *model = model_named(road, name);
    return model && model_number_node(model) > 0 ? model : NULL;
}

static const model_node_t *node_at(const model_t *model, int index)
{
    return table_at(&model->nodes, sizeof(model_node_t), index);
}

/* A feeder lies on one side of the road, between its two kerb arcs' starts. */
static const feeder_t *feeder_covering(const road_t *road, double s, double side)
{
    for (int i = 0; i < road_number_feeder(road); i++) {
        const feeder_t *feeder = feeder_at(road, i);
        if (feeder->l1 < s && s < feeder->l2 && feeder->alf * side < 0.0)
            return feeder;
    }
    return NULL;
}

/* ---- between two models ------------------------------------------------ */

/* A section of two models, evaluated at one point.  Its nodes are vertices in
 * the plane (offset, chainage): the start model's at the section's start, the
 * end model's at its end. */
typedef struct section_blend {
    const model_t *start, *end;
    double start_chainage, end_chainage;
    double s, o;
    double dz;
} section_blend;

static double model_height(const model_t *model, double offset)
{
    double height = 0.0;
    model_elevation(model, offset, &height, NULL);
    return height;
}

/* Tries the triangle of three nodes; `of_end` says for each whether it is a
 * node of the end model. */
static int try_nodes(section_blend *blend, int of_end0, int i0, int of_end1, int i1, int of_end2, int i2)
{
    int of_end[3] = {of_end0, of_end1, of_end2}, index[3] = {i0, i1, i2};
    double xs[3], ys[3], zs[3];
    for (int v = 0; v < 3; v++) {
        const model_t *model = of_end[v] ? blend->end : blend->start;
        xs[v] = node_at(model, index[v])->offset;
        ys[v] = of_end[v] ? blend->end_chainage : blend->start_chainage;
        zs[v] = model_height(model, xs[v]);
    }
    return interpolate(blend->o, blend->s, xs, ys, zs, &blend->dz) == 0;
}

enum { START = 0, END = 1 };

/* Walks outwards from the zero nodes towards the last nodes, pairing the two
 * models' stretches while both have nodes left. */
static int walk_right(section_blend *blend, int is, int ie)
{
    int ns = model_number_node(blend->start), ne = model_number_node(blend->end);
    int last = ns - is < ne - ie ? ns - 1 : ne - 1;
    while ((is > ie ? is : ie) < last && is + 1 < ns && ie + 1 < ne) {
        if (try_nodes(blend, START, is, START, is + 1, END, ie) || try_nodes(blend, START, is + 1, END, ie, END, ie + 1))
            return 1;
        is++;
        ie++;
    }
    for (; is < ns - 1; is++) {
        if (try_nodes(blend, START, is, START, is + 1, END, ie))
            return 1;
    }
    for (; ie < ne - 1; ie++) {
        if (try_nodes(blend, START, is, END, ie, END, ie + 1))
            return 1;
    }
    return 0;
}

/* The same walk towards the first nodes. */
static int walk_left(section_blend *blend, int is, int ie)
{
    for (; is > 0 && ie > 0; is--, ie--) {
        if (try_nodes(blend, START, is, START, is - 1, END, ie) || try_nodes(blend, START, is - 1, END, ie, END, ie - 1))
            return 1;
    }
    for (; is > 0; is--) {
        if (try_nodes(blend, START, is, START, is - 1, END, ie))
            return 1;
    }
    for (; ie > 0; ie--) {
        if (try_nodes(blend, START, is, END, ie, END, ie - 1))
            return 1;
    }
    return 0;
}

static int zero_node(const model_t *model)
{
    for (int i = 0; i < model_number_node(model); i++) {
        if (fabs(node_at(model, i)->offset) < CENTRE_TOLERANCE)
            return i;
    }
    return 0;
}

/* Height above the centre line between two models.  At and beyond the outer
 * edge (or within 2 inside it) the surface keeps the edge's height, blended
 * along the section; inside, it is interpolated on the triangles between the
 * models' nodes.  Returns 0 with dz set, or -1 when no triangle holds the
 * point. */
static int two_model_height(const road_section_t *section, const model_t *start, const model_t *end,
                            double s, double o, double *dz, int *flag)
{
    double span = section->end_chainage - section->start_chainage;
    double t = span > 0.0 ? (s - section->start_chainage) / span : 0.0;
    int right = o > 0.0;
    double edge_start = node_at(start, right ? model_number_node(start) - 1 : 0)->offset;
    double edge_end = node_at(end, right ? model_number_node(end) - 1 : 0)->offset;
    double u = o - (edge_start + t * (edge_end - edge_start));
    if ((right && u >= -EDGE_BAND) || (!right && o <= 0.0 && u <= EDGE_BAND)) {
        *flag = (right && u > EDGE_BAND) || (!right && u <= -EDGE_BAND) ? 2 : 0;
        double h_start = model_height(start, edge_start), h_end = model_height(end, edge_end);
        *dz = h_start + t * (h_end - h_start);
        return 0;
    }
    *flag = 1;
    section_blend blend = {start, end, section->start_chainage, section->end_chainage, s, o, 0.0};
    int found = right ? walk_right(&blend, zero_node(start), zero_node(end))
                      : walk_left(&blend, zero_node(start), zero_node(end));
    if (!found)
        return -1;
    *dz = blend.dz;
    return 0;
}

/* Height above the centre line from the first section that answers; 0 when
 * none does.  A section naming a model the road lacks is passed over. */
static double section_height(const road_t *road, double s, double o, int *flag)
{
    int count = road_number_section(road);
    for (int i = 0; i < count; i++) {
        const road_section_t *section = section_at(road, i);
        double lo = section->start_chainage - (i == 0 ? SECTION_REACH : 0.0);
        double hi = section->end_chainage + (i == count - 1 ? SECTION_REACH : 0.0);
        if (!(lo <= s && s <= hi))
            continue;
        if (section->type == 1) {
            const model_t *model = model_named(road, section->start_model);
            if (!model)
                continue;
            double dz = 0.0;
            int edge;
            if (model_elevation(model, o, &dz, &edge) == 0)
                *flag = edge;
            return dz;
        }
        const model_t *start = model_with_nodes(road, section->start_model);
        const model_t *end = model_with_nodes(road, section->end_model);
        double dz;
        if (start && end && two_model_height(section, start, end, s, o, &dz, flag) == 0)
            return dz;
    }
    return 0.0;
}

int road_lo2h(const road_t *road, double s, double o, double *z, int *flag)
{
    if (!road)
        return 0;
    double centre = 0.0, height;
    int edge = 0, result = 0;
    if (road_l2h(road, s, &centre, NULL) < 0)
        centre = 0.0;
    const feeder_t *feeder = feeder_covering(road, s, o);
    if (feeder) {
        /* The feeder's grid holds absolute elevations. */
        height = centre;
        feeder_lo2h(feeder, s, o, &height, &edge);
        result = 1;
    } else {
        height = centre + section_height(road, s, o, &edge);
    }
    if (z)
        *z = height;
    if (flag)
        *flag = edge;
    return result;
}

/* ---- outer offset ------------------------------------------------------ */

/* Half the chord of a kerb arc's circle on the cross-section at distance
 * `along` from its centre.  Beyond the circle the cross-section misses the
 * arc: before the centre it runs along the road edge (a full half chord
 * puts the near point on the edge), past it into the side road (the circle's
 * widest point). */
static double half_chord(double radius, double along, int before_centre)
{
    double square = radius * radius - along * along;
    if (square >= 0.0)
        return sqrt(square);
    return before_centre ? radius : 0.0;
}

static double feeder_max_offset(const feeder_t *feeder, double s, double side)
{
    double g = feeder->alf < 1e-6 ? 1.0 : -1.0;
    double radius, edge, half;
    if (s < feeder->l0) {
        /* The centre as the grid places it: a cut arc starts |e1| of arc
         * length before l1. */
        double x = feeder->e1 < 0.0 ? feeder->l1 - feeder->r1 * sin(fabs(feeder->e1) / feeder->r1)
                                    : feeder->l1 + feeder->e1;
        radius = feeder->r1;
        edge = feeder->off1;
        half = half_chord(radius, s - x, s < x);
    } else {
        double x = feeder->e3 < 0.0 ? feeder->l2 + feeder->r2 * sin(fabs(feeder->e3) / feeder->r2)
                                    : feeder->l2 - feeder->e3;
        radius = feeder->r2;
        edge = feeder->off2;
        half = half_chord(radius, x - s, s > x);
    }
    double p = (radius - half + edge) * g, q = (half + radius + edge) * g;
    return fabs(side - p) < fabs(side - q) ? p : q;
}

static double outer_node_offset(const model_t *model, double side)
{
    return node_at(model, side > 0.0 ? model_number_node(model) - 1 : 0)->offset;
}

double road_maxoff(const road_t *road, double s, double side)
{
    if (!road)
        return DEFAULT_MAX_OFFSET;
    const feeder_t *feeder = feeder_covering(road, s, side);
    if (feeder)
        return feeder_max_offset(feeder, s, side);
    for (int i = 0; i < road_number_section(road); i++) {
        const road_section_t *section = section_at(road, i);
        if (!(section->start_chainage <= s && s <= section->end_chainage))
            continue;
        const model_t *start = model_with_nodes(road, section->start_model);
        if (!start)
            continue;
        /* A one-model section's surface is its start model alone. */
        const model_t *end = section->type == 1 ? start : model_with_nodes(road, section->end_model);
        if (!end)
            continue;
        double span = section->end_chainage - section->start_chainage;
        double t = span > 0.0 ? (s - section->start_chainage) / span : 0.0;
        double from = outer_node_offset(start, side), to = outer_node_offset(end, side);
        return from + t * (to - from);
    }
    return DEFAULT_MAX_OFFSET;
}
