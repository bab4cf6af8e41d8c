/* Vertical alignment: chaining the profile and design elevation at a chainage. */
#include "road.h"
#include "road_table.h"

#include <math.h>

#define TWO_PI (2.0 * M_PI)

/* fmod rather than repeated subtraction: a file may hold any value. */
static double normalize_grade(double g)
{
    if (g >= 0.0 && g <= TWO_PI)
        return g;
    g = fmod(g, TWO_PI);
    return g < 0.0 ? g + TWO_PI : g;
}

/* Elevation and grade of an element at chainage s. */
static void element_evaluate(const vertical_element_t *e, double s, double *elevation, double *grade)
{
    double z = 0.0, g = 0.0;
    if (e->type == VERTICAL_GRADE) {
        z = e->start_elevation + (s - e->start_chainage) * tan(e->start_grade);
        g = e->start_grade;
    } else if (e->type == VERTICAL_CURVE) {
        double towards_centre = e->start_grade + (e->turn ? M_PI / 2.0 : -M_PI / 2.0);
        double cs = e->start_chainage + e->radius * cos(towards_centre);
        double cz = e->start_elevation + e->radius * sin(towards_centre);
        /* Past the end of a curve longer than its radius allows the circle
         * has no point; the top (or bottom) of the circle is answered
         * instead of NaN. */
        double w = sqrt(fmax(0.0, e->radius * e->radius - (s - cs) * (s - cs)));
        z = e->turn == 1 ? cz - w : cz + w;
        g = atan2(cz - z, cs - s) + (e->turn ? -M_PI / 2.0 : M_PI / 2.0);
    }
    *elevation = z;
    *grade = normalize_grade(g);
}

int road_apply_vertical(road_t *road)
{
    int count = road_number_vertical(road);
    if (count == 0)
        return 0;
    vertical_element_t *first = road_vertical(road, 0);
    first->end_chainage = first->start_chainage;
    first->end_elevation = first->start_elevation;
    first->end_grade = first->start_grade;
    for (int i = 1; i < count; i++) {
        vertical_element_t *prev = road_vertical(road, i - 1), *e = road_vertical(road, i);
        e->start_chainage = prev->end_chainage;
        e->start_elevation = prev->end_elevation;
        e->start_grade = prev->end_grade;
        e->end_chainage = e->start_chainage + e->length;
        element_evaluate(e, e->end_chainage, &e->end_elevation, &e->end_grade);
    }
    return 0;
}

int road_l2h(const road_t *road, double s, double *elevation, double *grade)
{
    int count = road_number_vertical(road);
    if (count < 2)
        return -1;
    const vertical_element_t *first = table_at(&road->vertical, sizeof(vertical_element_t), 0);
    const vertical_element_t *last = table_at(&road->vertical, sizeof(vertical_element_t), count - 1);
    double z, g;
    int result;
    if (s <= first->start_chainage) {
        z = first->start_elevation + (s - first->start_chainage) * tan(first->start_grade);
        g = first->start_grade;
        result = 0;
    } else if (s >= last->end_chainage) {
        z = last->end_elevation + (s - last->end_chainage) * tan(last->end_grade);
        g = last->end_grade;
        result = count - 1;
    } else {
        result = -1;
        for (int i = 0; i < count && result < 0; i++) {
            const vertical_element_t *e = table_at(&road->vertical, sizeof(vertical_element_t), i);
            if (e->start_chainage <= s && s <= e->end_chainage) {
                element_evaluate(e, s, &z, &g);
                result = i;
            }
        }
        if (result < 0)
            return -1;
    }
    if (elevation)
        *elevation = z;
    if (grade)
        *grade = g;
    return result;
}
