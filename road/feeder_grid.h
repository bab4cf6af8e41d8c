/* Grid lines of a feeder, shared by feeder.c and feeder_grid.c (not exported). */
#ifndef CORVANE_FEEDER_GRID_H
#define CORVANE_FEEDER_GRID_H

#include "road.h"

/* Where each kind of grid line stands in a feeder's line order. */
typedef struct feeder_layout {
    int fan_lines;  /* the four fans: n1 + n2 + n3 + n4 + 2 lines from index 0 */
    int start_cap;  /* index of the start cap line, or -1 */
    int arc1_first; /* first side-road extension line beside the first arc */
    int end_cap;    /* index of the end cap line, or -1 */
    int arc2_first; /* first side-road extension line beside the second arc */
    int lines;      /* all lines */
} feeder_layout;

void feeder_layout_of(const feeder_t *feeder, feeder_layout *layout);

/* The line that closes the grid cell begun by `line`, or -1 when that line
 * begins no cell. */
int feeder_cell_partner(const feeder_t *feeder, const feeder_layout *layout, int line);

/* Number of grid lines the feeder's arrays hold: 0 before feeder_init, after
 * feeder_final, or when the counts were changed since feeder_init (the arrays
 * no longer match them). */
int feeder_usable_lines(const feeder_t *feeder);

#endif
