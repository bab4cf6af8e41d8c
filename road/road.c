/* The road handle and its element, offset and section tables. */
#include "road.h"
#include "road_table.h"

#include <string.h>

#define HORIZON_SIZE sizeof(horizon_element_t)
#define VERTICAL_SIZE sizeof(vertical_element_t)
#define OFFSET_SIZE sizeof(road_offset_t)
#define SECTION_SIZE sizeof(road_section_t)
#define MODEL_SIZE sizeof(model_t)
#define FEEDER_SIZE sizeof(feeder_t)

_Static_assert(sizeof(vertical_element_t) == 80, "vertical element record is 80 bytes");
_Static_assert(sizeof(model_t) == 120, "model record is 120 bytes");

void road_init(road_t *road)
{
    vpool_init(&road->horizon, HORIZON_SIZE, 0);
    vpool_init(&road->vertical, VERTICAL_SIZE, 0);
    vpool_init(&road->horizon_off, OFFSET_SIZE, 0);
    vpool_init(&road->vertical_off, OFFSET_SIZE, 0);
    vpool_init(&road->section, SECTION_SIZE, 0);
    vpool_init(&road->model, MODEL_SIZE, 0);
    vpool_init(&road->feeder, FEEDER_SIZE, 0);
}

void road_final(road_t *road)
{
    vpool_final(&road->horizon);
    vpool_final(&road->vertical);
    vpool_final(&road->horizon_off);
    vpool_final(&road->vertical_off);
    vpool_final(&road->section);
    for (int i = 0; i < road_number_model(road); i++)
        model_final(road_model_index(road, i));
    vpool_final(&road->model);
    for (int i = 0; i < road_number_feeder(road); i++)
        feeder_final(road_feeder(road, i));
    vpool_final(&road->feeder);
}

int road_number_horizon(const road_t *road) { return table_count(&road->horizon, HORIZON_SIZE); }
int road_number_vertical(const road_t *road) { return table_count(&road->vertical, VERTICAL_SIZE); }
int road_number_horizon_off(const road_t *road) { return table_count(&road->horizon_off, OFFSET_SIZE); }
int road_number_vertical_off(const road_t *road) { return table_count(&road->vertical_off, OFFSET_SIZE); }
int road_number_section(const road_t *road) { return table_count(&road->section, SECTION_SIZE); }
int road_number_model(const road_t *road) { return table_count(&road->model, MODEL_SIZE); }
int road_number_feeder(const road_t *road) { return table_count(&road->feeder, FEEDER_SIZE); }

horizon_element_t *road_horizon(road_t *road, int index) { return table_at(&road->horizon, HORIZON_SIZE, index); }
vertical_element_t *road_vertical(road_t *road, int index) { return table_at(&road->vertical, VERTICAL_SIZE, index); }
road_offset_t *road_horizon_off(road_t *road, int index) { return table_at(&road->horizon_off, OFFSET_SIZE, index); }
road_offset_t *road_vertical_off(road_t *road, int index) { return table_at(&road->vertical_off, OFFSET_SIZE, index); }
road_section_t *road_section(road_t *road, int index) { return table_at(&road->section, SECTION_SIZE, index); }
model_t *road_model_index(road_t *road, int index) { return table_at(&road->model, MODEL_SIZE, index); }
feeder_t *road_feeder(road_t *road, int index) { return table_at(&road->feeder, FEEDER_SIZE, index); }

model_t *road_model_name(road_t *road, const char *name)
{
    for (int i = 0; i < road_number_model(road); i++) {
        model_t *model = road_model_index(road, i);
        if (strncmp(model->name, name, ROAD_NAME_SIZE) == 0)
            return model;
    }
    return NULL;
}

/* ---- element tables ---------------------------------------------------- */

/* A start point may only stand first; any other type may go anywhere. */
static int element_insert(vpool *pool, size_t record, int type, int index, const void *element)
{
    if (index < 0 || index > table_count(pool, record) || (type == 0 && index != 0))
        return -1;
    table_insert(pool, record, index, element);
    return 0;
}

static int element_modify(vpool *pool, size_t record, int index, const void *element)
{
    void *slot = table_at(pool, record, index);
    if (!slot)
        return -1;
    memmove(slot, element, record);
    return 0;
}

static int element_remove(vpool *pool, size_t record, int index)
{
    if (!table_at(pool, record, index))
        return -1;
    table_remove(pool, record, index);
    return 0;
}

int road_insert_horizon(road_t *road, const horizon_element_t *element, int index)
{
    return element_insert(&road->horizon, HORIZON_SIZE, element->type, index, element);
}

int road_insert_vertical(road_t *road, const vertical_element_t *element, int index)
{
    return element_insert(&road->vertical, VERTICAL_SIZE, element->type, index, element);
}

int road_modify_horizon(road_t *road, const horizon_element_t *element, int index)
{
    return element_modify(&road->horizon, HORIZON_SIZE, index, element);
}

int road_modify_vertical(road_t *road, const vertical_element_t *element, int index)
{
    return element_modify(&road->vertical, VERTICAL_SIZE, index, element);
}

int road_remove_horizon(road_t *road, int index) { return element_remove(&road->horizon, HORIZON_SIZE, index); }
int road_remove_vertical(road_t *road, int index) { return element_remove(&road->vertical, VERTICAL_SIZE, index); }
void road_clear_horizon(road_t *road) { vpool_reset(&road->horizon); }
void road_clear_vertical(road_t *road) { vpool_reset(&road->vertical); }

/* ---- offset tables ----------------------------------------------------- */

/* Equal chainages: the newer entry stands first. */
static int offset_insert(vpool *pool, const road_offset_t *entry)
{
    int count = table_count(pool, OFFSET_SIZE), index = 0;
    while (index < count && ((road_offset_t *)table_at(pool, OFFSET_SIZE, index))->chainage < entry->chainage)
        index++;
    table_insert(pool, OFFSET_SIZE, index, entry);
    return 0;
}

int road_insert_horizon_off(road_t *road, const road_offset_t *entry) { return offset_insert(&road->horizon_off, entry); }
int road_insert_vertical_off(road_t *road, const road_offset_t *entry) { return offset_insert(&road->vertical_off, entry); }

int road_modify_horizon_off(road_t *road, const road_offset_t *entry, int index)
{
    return element_modify(&road->horizon_off, OFFSET_SIZE, index, entry);
}

int road_modify_vertical_off(road_t *road, const road_offset_t *entry, int index)
{
    return element_modify(&road->vertical_off, OFFSET_SIZE, index, entry);
}

int road_erase_horizon_off(road_t *road, int index) { return element_remove(&road->horizon_off, OFFSET_SIZE, index); }
int road_erase_vertical_off(road_t *road, int index) { return element_remove(&road->vertical_off, OFFSET_SIZE, index); }

int road_clear_horizon_off(road_t *road)
{
    vpool_wipe(&road->horizon_off);
    return 0;
}

int road_clear_vertical_off(road_t *road)
{
    vpool_wipe(&road->vertical_off);
    return 0;
}

/* ---- model sections ---------------------------------------------------- */

int road_insert_section(road_t *road, const road_section_t *section)
{
    if (!(section->start_chainage < section->end_chainage))
        return -1;
    int count = road_number_section(road), index = 0;
    while (index < count && road_section(road, index)->start_chainage < section->end_chainage)
        index++;
    table_insert(&road->section, SECTION_SIZE, index, section);
    return 0;
}

int road_modify_section(road_t *road, const road_section_t *section, int index)
{
    if (!(section->start_chainage < section->end_chainage))
        return -1;
    return element_modify(&road->section, SECTION_SIZE, index, section);
}

int road_remove_section(road_t *road, int index) { return element_remove(&road->section, SECTION_SIZE, index); }
int road_clear_section(road_t *road) { return table_clear(&road->section); }

/* ---- cross-section models ---------------------------------------------- */

int road_insert_model(road_t *road, const model_t *model)
{
    if (road_model_name(road, model->name))
        return -1;
    table_insert(&road->model, MODEL_SIZE, road_number_model(road), model);
    return 0;
}

int road_modify_model(road_t *road, const model_t *model, int index)
{
    model_t *stored = road_model_index(road, index);
    if (!stored)
        return -1;
    if (stored != model)
        model_final(stored);
    memmove(stored, model, MODEL_SIZE);
    return 0;
}

int road_remove_model(road_t *road, int index)
{
    model_t *stored = road_model_index(road, index);
    if (!stored)
        return -1;
    model_final(stored);
    table_remove(&road->model, MODEL_SIZE, index);
    return 0;
}

int road_clear_model(road_t *road)
{
    for (int i = 0; i < road_number_model(road); i++)
        model_final(road_model_index(road, i));
    return table_clear(&road->model);
}
