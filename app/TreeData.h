// What one item of the workspace tree stands for: a point cloud, a road or a
// section of the workspace, exactly one of them.  The tree owns the object
// and deletes it with its item; the workspace object itself is never owned.
#pragma once

#include "velmo.h"

#include <wx/clntdata.h>

class TreeData : public wxClientData
{
public:
    explicit TreeData(velmo_t *cloud) : m_cloud(cloud) {}
    explicit TreeData(wks_road_t *road) : m_road(road) {}
    explicit TreeData(section_t *section) : m_section(section) {}

    velmo_t *GetCloud() const { return m_cloud; }
    wks_road_t *GetRoad() const { return m_road; }
    section_t *GetSection() const { return m_section; }

private:
    velmo_t *m_cloud = nullptr;
    wks_road_t *m_road = nullptr;
    section_t *m_section = nullptr;
};
