// Section records: their life, their ranges and their removal.
#include "velmo.h"

#include "section_state.h"
#include "workspace_state.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace velmo {

namespace {

Array *new_array()
{
    Array *list = nullptr;
    return array_new(&list) == CC_OK ? list : nullptr;
}

void collect_records(const Array *list, std::vector<void *> *records)
{
    for (size_t i = 0; list && i < array_size(list); i++) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK && item)
            records->push_back(item);
    }
}

Array *list_of(wks_t *wks, int list)
{
    return list == 0 ? wks->latitude_sections : list == 1 ? wks->longitude_sections : wks->custom_sections;
}

bool range_ok(const double range[2])
{
    return range && std::isfinite(range[0]) && std::isfinite(range[1]);
}

bool owned_by(const wks_t *wks, const section_t *section)
{
    return wks && section && section->state && section->state->workspace == wks;
}

} // namespace

section_t *section_new(int type, int list)
{
    auto *section = static_cast<section_t *>(calloc(1, sizeof(section_t)));
    if (!section)
        return nullptr;
    section->type = type;
    section->points = new_array();
    section->red_line = new_array();
    section->measurements = new_array();
    section->state = new (std::nothrow) velmo_section_state;
    if (!section->points || !section->red_line || !section->measurements || !section->state) {
        section_free(section);
        return nullptr;
    }
    section->state->list = list;
    return section;
}

// A record may sit in a live array and in the retired list at once only by a
// slip elsewhere; freeing each address once keeps such a slip harmless.
void section_free(section_t *section)
{
    if (!section)
        return;
    std::vector<void *> records;
    std::vector<Array *> arrays = {section->points, section->red_line, section->measurements};
    if (section->state) {
        records.insert(records.end(), section->state->retired_points.begin(), section->state->retired_points.end());
        arrays.insert(arrays.end(), section->state->retired_arrays.begin(), section->state->retired_arrays.end());
    }
    for (Array *list : arrays)
        collect_records(list, &records);
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    for (void *record : records)
        free(record);
    std::sort(arrays.begin(), arrays.end());
    arrays.erase(std::unique(arrays.begin(), arrays.end()), arrays.end());
    for (Array *list : arrays)
        array_destroy(list);
    free(section->vertices);
    delete section->state;
    free(section);
}

// Out of memory for the bookkeeping, a record is leaked rather than freed
// under a reader.
void section_retire_point(section_t *section, velmo_point_t *record) noexcept
{
    try {
        section->state->retired_points.push_back(record);
    } catch (...) {
    }
}

void section_retire_array(section_t *section, Array *old) noexcept
{
    if (!old)
        return;
    try {
        section->state->retired_arrays.push_back(old);
    } catch (...) {
    }
}

void section_release(section_t *section, bool keep_points)
{
    std::vector<Array *> arrays;
    {
        std::lock_guard<std::mutex> guard(section->state->lock);
        arrays.swap(section->state->retired_arrays);
        Array *empty = keep_points || array_size(section->points) == 0 ? nullptr : new_array();
        if (empty) {
            arrays.push_back(section->points);
            __atomic_store_n(&section->points, empty, __ATOMIC_RELEASE);
        }
    }
    for (Array *list : arrays)
        free_point_records(list);
}

void free_point_records(Array *list)
{
    for (size_t i = 0; i < array_size(list); i++) {
        void *item = nullptr;
        if (array_get_at(list, i, &item) == CC_OK)
            free(item);
    }
    array_destroy(list);
}

} // namespace velmo

using namespace velmo;

namespace {

// A new range makes the points and the cached ground line out of date; the
// caller recomputes the points.
int set_range(wks_t *wks, section_t *section, const double range[2], bool width)
{
    if (!owned_by(wks, section) || !range_ok(range))
        return 0;
    {
        std::lock_guard<std::mutex> guard(section->state->lock);
        double *target = width ? section->width_range : section->normal_range;
        target[0] = range[0];
        target[1] = range[1];
        section->state->revision++;
        section->state->auto_line_valid = false;
    }
    sections_store(wks, {section});
    return 1;
}

} // namespace

extern "C" {

int wks_modify_section_offset(wks_t *wks, section_t *section, const double range[2])
{
    return set_range(wks, section, range, false);
}

// Longitude sections span their chainage range: their width is fixed.
int wks_modify_section_width(wks_t *wks, section_t *section, const double range[2])
{
    if (!section || section->type == SECTION_LONGITUDE)
        return 0;
    return set_range(wks, section, range, true);
}

// Sections not shown give up their points: the section view computes them
// again when it opens one.  Removed sections are released as well; their
// records stay for whoever still holds them.
int wks_release_section_points(wks_t *wks, const section_t *shown)
{
    if (!wks || !wks->state)
        return 0;
    std::vector<section_t *> sections = wks->state->removed_sections;
    for (Array *list : {wks->latitude_sections, wks->longitude_sections, wks->custom_sections})
        for (size_t i = 0; list && i < array_size(list); i++) {
            void *item = nullptr;
            if (array_get_at(list, i, &item) == CC_OK && item)
                sections.push_back(static_cast<section_t *>(item));
        }
    for (section_t *section : sections)
        if (section->state)
            section_release(section, section == shown);
    return 1;
}

// Everything a section has was loaded with the project; only check it.
int wks_import_section(wks_t *wks, section_t *section)
{
    return owned_by(wks, section) ? 1 : 0;
}

// The record goes at wks_destroy: the GUI and the scene may still hold it.
int wks_remove_section(wks_t *wks, section_t *section)
{
    if (!owned_by(wks, section) || !wks->state)
        return 0;
    try {
        wks->state->removed_sections.push_back(section);
    } catch (...) {
        return 0;
    }
    if (!list_remove(list_of(wks, section->state->list), section)) {
        wks->state->removed_sections.pop_back();
        return 0;
    }
    return 1;
}

int wks_remove_sections(wks_t *wks, section_t *const *sections, int count)
{
    if (!wks || !wks->state || !sections || count <= 0)
        return 0;
    std::vector<section_t *> owned;
    try {
        for (int i = 0; i < count; i++)
            if (owned_by(wks, sections[i]) && std::find(owned.begin(), owned.end(), sections[i]) == owned.end())
                owned.push_back(sections[i]);
    } catch (...) {
        return 0;
    }
    // A failed write leaves the rows to the next wks_export_project, as for
    // a single removal.
    sections_store_delete(wks, owned);
    int removed = 0;
    for (section_t *section : owned)
        removed += wks_remove_section(wks, section);
    return removed;
}

} // extern "C"
