#include "TaskThreadEvent.h"

TaskThreadEvent::TaskThreadEvent(wxEventType type, int total, int current, const wxString &message, int code,
                                 velmo_t *cloud, section_t *section, wks_road_t *road)
    : wxThreadEvent(type, wxID_ANY),
      m_total(total),
      m_current(current),
      m_message(message.Clone()),
      m_code(code),
      m_cloud(cloud),
      m_section(section),
      m_road(road)
{
}

// The copy may be handled on another thread than the original: the message
// must not share its buffer.
TaskThreadEvent::TaskThreadEvent(const TaskThreadEvent &other)
    : wxThreadEvent(other),
      m_total(other.m_total),
      m_current(other.m_current),
      m_message(other.m_message.Clone()),
      m_code(other.m_code),
      m_cloud(other.m_cloud),
      m_section(other.m_section),
      m_road(other.m_road)
{
}

int TaskThreadEvent::GetPercent() const
{
    return Percent(m_total, m_current);
}

int TaskThreadEvent::Percent(int total, int current)
{
    long long steps = (long long)total + 1;
    if (steps <= 0 || current <= 0)
        return 0;
    long long percent = (long long)current * 100 / steps;
    return percent > 100 ? 100 : (int)percent;
}
