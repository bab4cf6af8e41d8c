/* Feeder grid geometry: the end points of every grid line of a junction area.
 *
 * Plane frame: x is the chainage, y the negated offset.  The outline runs
 * along the road edge, round the first kerb arc into the side road, and back
 * round the second kerb arc; each grid line joins a point of that outline to
 * a point of the centre line or of the side road's axis. */
#include "feeder_grid.h"

#include <math.h>

void feeder_layout_of(const feeder_t *feeder, feeder_layout *layout)
{
    layout->fan_lines = feeder->n1 + feeder->n2 + feeder->n3 + feeder->n4 + 2;
    layout->start_cap = feeder->start_cap ? layout->fan_lines : -1;
    layout->arc1_first = layout->fan_lines + feeder->start_cap;
    layout->end_cap = feeder->end_cap ? layout->arc1_first + feeder->arc1_extension : -1;
    layout->arc2_first = layout->arc1_first + feeder->arc1_extension + feeder->end_cap;
    layout->lines = layout->arc2_first + feeder->arc2_extension;
}

int feeder_cell_partner(const feeder_t *feeder, const feeder_layout *layout, int line)
{
    int arc1_last_fan = feeder->n1 + feeder->n2;
    if (line < 0 || line >= layout->lines)
        return -1;
    if (line < layout->fan_lines - 1)
        return line == arc1_last_fan ? -1 : line + 1;
    if (line == layout->fan_lines - 1)
        return -1;
    if (line == layout->start_cap)
        return 0;
    if (line == layout->end_cap)
        return arc1_last_fan + 1;
    /* Without lines of its own beside the first arc, arc1_first is already
     * the first line beside the second. */
    if (feeder->arc1_extension > 0 && line == layout->arc1_first)
        return arc1_last_fan;
    if (line == layout->arc2_first)
        return layout->fan_lines - 1;
    return line - 1;
}

/* ---- the outline ------------------------------------------------------- */

/* One kerb arc of the outline and what its extension lines need of it. */
typedef struct kerb_arc {
    double radius;
    double sweep;
    double cut;         /* angle already cut off at the start (e1 or e3 < 0) */
    point2d centre;
    point2d end;        /* the arc's end from the sweep alone, without the cut */
    double right_angle_x; /* x of the end when the arc turns a right angle */
    double end_slope;   /* slope of the side road's edge leaving the arc */
} kerb_arc;

/* The derived values every grid line shares. */
typedef struct grid_frame {
    double sigma;      /* 1: the feeder lies at negative offsets (y > 0); -1 otherwise */
    double edge_before; /* y of the road edge before the junction */
    double edge_after;  /* y of the road edge after it */
    kerb_arc first, second;
} grid_frame;

/* Point of the first arc at angle t: the arc leaves the road edge turning
 * away from the centre line in the direction of increasing chainage. */
static point2d first_arc_point(const feeder_t *feeder, const grid_frame *frame, double t)
{
    point2d p = {frame->first.centre.x + feeder->r1 * sin(t),
                 frame->edge_before + frame->sigma * feeder->r1 * (1.0 - cos(t))};
    return p;
}

/* The second arc mirrors the first: it leaves the road edge towards lower
 * chainages. */
static point2d second_arc_point(const feeder_t *feeder, const grid_frame *frame, double t)
{
    point2d p = {frame->second.centre.x - feeder->r2 * sin(t),
                 frame->edge_after + frame->sigma * feeder->r2 * (1.0 - cos(t))};
    return p;
}

static void grid_frame_init(const feeder_t *feeder, grid_frame *frame)
{
    double sigma = feeder->alf > 0.0 ? 1.0 : -1.0;
    frame->sigma = sigma;
    frame->edge_before = sigma * feeder->off1;
    frame->edge_after = sigma * feeder->off2;

    kerb_arc *first = &frame->first;
    first->radius = feeder->r1;
    first->sweep = feeder->a1;
    first->cut = feeder->e1 < 0.0 ? fabs(feeder->e1) / feeder->r1 : 0.0;
    first->centre.x = feeder->e1 < 0.0 ? feeder->l1 - feeder->r1 * sin(first->cut) : feeder->l1 + feeder->e1;
    first->centre.y = sigma * (feeder->off1 + feeder->r1);
    first->end = first_arc_point(feeder, frame, feeder->a1);
    first->right_angle_x = first->centre.x + feeder->r1;
    first->end_slope = sigma * tan(feeder->a1);

    kerb_arc *second = &frame->second;
    second->radius = feeder->r2;
    second->sweep = feeder->a2;
    second->cut = feeder->e3 < 0.0 ? fabs(feeder->e3) / feeder->r2 : 0.0;
    second->centre.x = feeder->e3 < 0.0 ? feeder->l2 + feeder->r2 * sin(second->cut) : feeder->l2 - feeder->e3;
    second->centre.y = sigma * (feeder->off2 + feeder->r2);
    second->end = second_arc_point(feeder, frame, feeder->a2);
    second->right_angle_x = second->centre.x - feeder->r2;
    second->end_slope = -sigma * tan(feeder->a2);
}

/* Point of the side road's axis at a distance from the centre line. */
static point2d axis_point(const feeder_t *feeder, double distance)
{
    point2d p = {feeder->l0 + distance * cos(feeder->alf), distance * sin(feeder->alf)};
    return p;
}

/* The point of the arc's circle in the direction of p as seen from the
 * centre; p at the centre itself gets the circle's point nearest the road. */
static point2d radial_point(const kerb_arc *arc, double sigma, point2d p)
{
    double dx = p.x - arc->centre.x, dy = p.y - arc->centre.y;
    double distance = hypot(dx, dy);
    if (!(distance > 0.0)) {
        point2d towards_road = {arc->centre.x, arc->centre.y - sigma * arc->radius};
        return towards_road;
    }
    point2d q = {arc->centre.x + arc->radius * dx / distance, arc->centre.y + arc->radius * dy / distance};
    return q;
}

/* Foot of the perpendicular from p on the line through `through` with slope t. */
static point2d foot_on_slope(point2d through, double t, point2d p)
{
    double tt = t * t;
    point2d q = {(tt * through.x + p.x + t * p.y - t * through.y) / (1.0 + tt),
                 (through.y + t * p.x - t * through.x + tt * p.y) / (1.0 + tt)};
    return q;
}

/* ---- writing the lines ------------------------------------------------- */

static void set_line(feeder_t *feeder, int line, point2d outer, point2d inner)
{
    double *xy = feeder->segments + 4 * (size_t)line;
    xy[0] = outer.x;
    xy[1] = outer.y;
    xy[2] = inner.x;
    xy[3] = inner.y;
}

/* Outer end of a fan line: on the arc at an equal angle step (type 0) or
 * straight out from the arc's centre through the inner end (type 1). */
static point2d fan_outer(const feeder_t *feeder, const grid_frame *frame, int second, double t, point2d inner)
{
    const kerb_arc *arc = second ? &frame->second : &frame->first;
    if (feeder->de_type == 1)
        return radial_point(arc, frame->sigma, inner);
    return second ? second_arc_point(feeder, frame, t) : first_arc_point(feeder, frame, t);
}

static void set_first_fans(feeder_t *feeder, const grid_frame *frame)
{
    double step = feeder->a1 / (feeder->n1 + feeder->n2);
    for (int k = 0; k < feeder->n1; k++) {
        point2d inner = {feeder->l0 - (feeder->n1 - k) * feeder->det0, 0.0};
        set_line(feeder, k, fan_outer(feeder, frame, 0, frame->first.cut + k * step, inner), inner);
    }
    for (int j = 0; j <= feeder->n2; j++) {
        point2d inner = axis_point(feeder, j * feeder->det2);
        double t = frame->first.cut + (feeder->n1 + j) * step;
        set_line(feeder, feeder->n1 + j, fan_outer(feeder, frame, 0, t, inner), inner);
    }
}

static void set_second_fans(feeder_t *feeder, const grid_frame *frame)
{
    int base = feeder->n1 + feeder->n2 + 1;
    double step = feeder->a2 / (feeder->n3 + feeder->n4);
    for (int k = 0; k < feeder->n3; k++) {
        point2d inner = {feeder->l0 + (feeder->n3 - k) * feeder->det1, 0.0};
        set_line(feeder, base + k, fan_outer(feeder, frame, 1, frame->second.cut + k * step, inner), inner);
    }
    for (int j = 0; j <= feeder->n4; j++) {
        point2d inner = axis_point(feeder, j * feeder->det2);
        double t = frame->second.cut + (feeder->n3 + j) * step;
        set_line(feeder, base + feeder->n3 + j, fan_outer(feeder, frame, 1, t, inner), inner);
    }
}

/* A cap closes the grid at l1 or l2, across the road from the outline to the
 * centre line. */
static void set_caps(feeder_t *feeder, const grid_frame *frame, const feeder_layout *layout)
{
    if (layout->start_cap >= 0) {
        double y = frame->edge_before;
        if (feeder->e1 < 0.0)
            y += frame->sigma * feeder->r1 * (1.0 - cos(frame->first.cut));
        point2d outer = {feeder->l1, y}, inner = {feeder->l1, 0.0};
        set_line(feeder, layout->start_cap, outer, inner);
    }
    if (layout->end_cap >= 0) {
        double y = frame->edge_after;
        if (feeder->e3 < 0.0)
            y += frame->sigma * feeder->r2 * (1.0 - cos(frame->second.cut));
        point2d outer = {feeder->l2, y}, inner = {feeder->l2, 0.0};
        set_line(feeder, layout->end_cap, outer, inner);
    }
}

/* Outer end of a side-road extension line.  `carried` holds the last outer
 * end found by one of the rules; it starts at the arc's end, so an arc that
 * sweeps no positive angle still gets a point of its own side. */
static point2d extension_outer(const kerb_arc *arc, double sigma, point2d inner, point2d *carried)
{
    if (fabs(arc->end.y) > fabs(inner.y)) {
        *carried = radial_point(arc, sigma, inner);
    } else if (arc->end.x == arc->right_angle_x) {
        carried->x = arc->end.x;
        carried->y = inner.y;
    } else if (arc->sweep > 0.0) {
        *carried = foot_on_slope(arc->end, arc->end_slope, inner);
    }
    return *carried;
}

/* The extension lines continue the grid along the side road beyond the
 * shorter fan; when e2 is set the last one reaches e2 past the longer fan
 * along the direction the arc leaves in. */
static void set_extensions(feeder_t *feeder, const grid_frame *frame, const feeder_layout *layout)
{
    int longer = feeder->n2 > feeder->n4 ? feeder->n2 : feeder->n4;
    point2d far_axis = axis_point(feeder, longer * feeder->det2);
    int reaches = feeder->e2 > 1e-6;

    point2d carried = frame->first.end;
    for (int j = 0; j < feeder->arc1_extension; j++) {
        point2d inner = axis_point(feeder, feeder->det2 * (feeder->n2 + 1 + j));
        if (reaches && j == feeder->arc1_extension - 1) {
            inner.x = far_axis.x + feeder->e2 * cos(feeder->a1);
            inner.y = far_axis.y + feeder->e2 * frame->sigma * sin(feeder->a1);
        }
        point2d outer = extension_outer(&frame->first, frame->sigma, inner, &carried);
        set_line(feeder, layout->arc1_first + j, outer, inner);
    }

    carried = frame->second.end;
    for (int j = 0; j < feeder->arc2_extension; j++) {
        point2d inner = axis_point(feeder, feeder->det2 * (feeder->n4 + 1 + j));
        if (reaches && j == feeder->arc2_extension - 1) {
            inner.x = far_axis.x - feeder->e2 * cos(feeder->a2);
            inner.y = far_axis.y + feeder->e2 * frame->sigma * sin(feeder->a2);
        }
        point2d outer = extension_outer(&frame->second, frame->sigma, inner, &carried);
        set_line(feeder, layout->arc2_first + j, outer, inner);
    }
}

int feeder_modify(feeder_t *feeder)
{
    if (feeder_usable_lines(feeder) == 0)
        return -1;
    feeder_layout layout;
    grid_frame frame;
    feeder_layout_of(feeder, &layout);
    grid_frame_init(feeder, &frame);
    if (feeder->de_type == 0 || feeder->de_type == 1) {
        set_first_fans(feeder, &frame);
        set_second_fans(feeder, &frame);
    } else {
        /* An unknown grid type has no rule for the fans: they collapse to
         * the origin rather than keep stale or uninitialised points. */
        point2d origin = {0.0, 0.0};
        for (int line = 0; line < layout.fan_lines; line++)
            set_line(feeder, line, origin, origin);
    }
    set_caps(feeder, &frame, &layout);
    set_extensions(feeder, &frame, &layout);
    return 0;
}
