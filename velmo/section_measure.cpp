// Measurements of a section: its ground points picked by the surveyor, kept
// ordered by u so that they read as a profile.
#include "velmo.h"

#include "section_state.h"
#include "workspace_state.h"

#include <cmath>
#include <cstdlib>
#include <new>

namespace velmo {

namespace {

float u_at(const Array *list, size_t index)
{
    void *item = nullptr;
    array_get_at(list, index, &item);
    return static_cast<const velmo_point_t *>(item)->u;
}

// The arrays only append, so the records after the new one's place are
// taken from the front of that run and appended again.  The new record is
// appended first: the array then has room for the rest, and the shuffle
// cannot fail half-way.  Readers on other threads stay memory-safe meanwhile.
bool insert_by_u(Array *list, velmo_point_t *record)
{
    size_t size = array_size(list), place = size;
    while (place > 0 && u_at(list, place - 1) > record->u)
        place--;
    if (array_add(list, record) != CC_OK)
        return false;
    for (size_t i = place; i < size; i++) {
        void *item = nullptr;
        array_remove_at(list, place, &item);
        array_add(list, item);
    }
    return true;
}

// Height of the section point nearest in u, for a click that gave none.
bool nearest_height(const section_t *section, float u, float *v)
{
    const Array *points = __atomic_load_n(&section->points, __ATOMIC_ACQUIRE);
    double best = HUGE_VAL;
    for (size_t i = 0; points && i < array_size(points); i++) {
        void *item = nullptr;
        array_get_at(points, i, &item);
        const auto *p = static_cast<const velmo_point_t *>(item);
        double d = std::fabs(double(p->u) - u);
        if (d < best && std::isfinite(p->v)) {
            best = d;
            *v = p->v;
        }
    }
    return best < HUGE_VAL;
}

bool nearest_measured_height(section_t *section, float u, float *v)
{
    std::lock_guard<std::mutex> guard(section->state->lock);
    double best = HUGE_VAL;
    for (size_t i = 0; i < array_size(section->measurements); i++) {
        void *item = nullptr;
        array_get_at(section->measurements, i, &item);
        const auto *p = static_cast<const velmo_point_t *>(item);
        double d = std::fabs(double(p->u) - u);
        if (d < best) {
            best = d;
            *v = p->v;
        }
    }
    return best < HUGE_VAL;
}

} // namespace

bool measurement_ok(const velmo_point_t &p)
{
    const double plane[3] = {p.u, p.v, p.w}, world[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; k++)
        if (!std::isfinite(plane[k]) || std::fabs(plane[k]) > MEASUREMENT_LIMIT ||
            !(std::fabs(world[k]) <= WORLD_LIMIT))
            return false;
    return true;
}

} // namespace velmo

using namespace velmo;

extern "C" {

velmo_point_t *section_add_meas(section_t *section, const velmo_point_t *point)
{
    if (!section || !section->state || !section->measurements || !point || !measurement_ok(*point))
        return nullptr;
    auto *record = static_cast<velmo_point_t *>(malloc(sizeof(velmo_point_t)));
    if (!record)
        return nullptr;
    *record = *point;
    std::lock_guard<std::mutex> guard(section->state->lock);
    if (!insert_by_u(section->measurements, record)) {
        free(record);
        return nullptr;
    }
    return record;
}

// A click gives u and one more coordinate: the front view (0) gives v, and
// the measurement lies in the section plane; the side view (1) gives w, and
// the height comes from the section point nearest in u (else the nearest
// measurement).
velmo_point_t *section_create_meas(section_t *section, const velmo_point_t *point, int view_mode)
{
    if (!section || !section->state || !point)
        return nullptr;
    const double plane[3] = {point->u, point->v, point->w};
    for (double value : plane)
        if (!std::isfinite(value) || std::fabs(value) > MEASUREMENT_LIMIT)
            return nullptr;
    velmo_point_t m = *point;
    if (view_mode == 0)
        m.w = 0.0f;
    else if (view_mode == 1 && !nearest_height(section, m.u, &m.v))
        nearest_measured_height(section, m.u, &m.v);
    section_unproject(section, &m);
    return section_add_meas(section, &m);
}

// The record is retired, not freed: the frame may still hold it.
int section_remove_meas(section_t *section, velmo_point_t *measurement)
{
    if (!section || !section->state || !measurement)
        return 0;
    std::lock_guard<std::mutex> guard(section->state->lock);
    size_t index = 0;
    if (array_index_of(section->measurements, measurement, &index) != CC_OK)
        return 0;
    array_remove_at(section->measurements, index, nullptr);
    section_retire_point(section, measurement);
    return 1;
}

int section_clear_meas(section_t *section)
{
    if (!section || !section->state)
        return 0;
    std::lock_guard<std::mutex> guard(section->state->lock);
    while (array_size(section->measurements) > 0) {
        void *item = nullptr;
        array_remove_at(section->measurements, array_size(section->measurements) - 1, &item);
        section_retire_point(section, static_cast<velmo_point_t *>(item));
    }
    return 1;
}

} // extern "C"
