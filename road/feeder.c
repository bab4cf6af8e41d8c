/* Feeders: junction areas of side roads covered by grids of elevations. */
#include "road.h"
#include "road_table.h"

#include <stdlib.h>

#define FEEDER_SIZE sizeof(feeder_t)

int feeder_number_line(const feeder_t *feeder)
{
    return feeder->n1 + feeder->n2 + feeder->n3 + feeder->n4 + feeder->start_cap
         + feeder->arc1_extension + feeder->end_cap + feeder->arc2_extension + 2;
}

void feeder_final(feeder_t *feeder)
{
    if (feeder->elevations) {
        for (int line = 0; line < feeder_number_line(feeder); line++)
            vpool_final(&feeder->elevations[line]);
    }
    free(feeder->elevations);
    free(feeder->segments);
}

int road_insert_feeder(road_t *road, const feeder_t *feeder)
{
    table_insert(&road->feeder, FEEDER_SIZE, road_number_feeder(road), feeder);
    return 0;
}

int road_remove_feeder(road_t *road, int index)
{
    feeder_t *feeder = road_feeder(road, index);
    if (!feeder)
        return -1;
    feeder_final(feeder);
    table_remove(&road->feeder, FEEDER_SIZE, index);
    return 0;
}

int road_clear_feeder(road_t *road)
{
    for (int i = 0; i < road_number_feeder(road); i++)
        feeder_final(road_feeder(road, i));
    vpool_wipe(&road->feeder);
    return 0;
}
