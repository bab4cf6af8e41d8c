// Events the worker thread queues to its receiver: a task's start, its
// progress steps and its finish.
#pragma once

#include <wx/event.h>
#include <wx/string.h>

#include "velmo.h"

class TaskThreadEvent : public wxThreadEvent
{
public:
    TaskThreadEvent(wxEventType type, int total, int current, const wxString &message, int code,
                    velmo_t *cloud, section_t *section, wks_road_t *road);
    TaskThreadEvent(const TaskThreadEvent &other);

    wxEvent *Clone() const override { return new TaskThreadEvent(*this); }

    int GetTotal() const { return m_total; }
    int GetCurrent() const { return m_current; }
    const wxString &GetMessage() const { return m_message; }
    int GetCode() const { return m_code; }
    velmo_t *GetCloud() const { return m_cloud; }
    section_t *GetSection() const { return m_section; }
    wks_road_t *GetRoad() const { return m_road; }

    // The percentage the status panel shows for this step: current x 100 /
    // (total + 1), so the last step stays below 100.  Kept within 0..100
    // whatever the library reports (point counts overflow current x 100).
    int GetPercent() const;
    static int Percent(int total, int current);

private:
    int m_total;
    int m_current;
    wxString m_message;
    int m_code;
    velmo_t *m_cloud;
    section_t *m_section;
    wks_road_t *m_road;
};

typedef void (wxEvtHandler::*TaskThreadEventFunction)(TaskThreadEvent &);
#define TaskThreadEventHandler(func) wxEVENT_HANDLER_CAST(TaskThreadEventFunction, func)

// Made in this order when the program starts: progress, finish, start (and
// the update event, see UpdateVersionEvent.h).
wxDECLARE_EVENT(EVT_TASK_PROGRESS, TaskThreadEvent);
wxDECLARE_EVENT(EVT_TASK_FINISH, TaskThreadEvent);
wxDECLARE_EVENT(EVT_TASK_START, TaskThreadEvent);

// Static event table entries, any window id.
#define EVT_TASK_PROGRESS_HANDLER(func) wx__DECLARE_EVT0(EVT_TASK_PROGRESS, TaskThreadEventHandler(func))
#define EVT_TASK_FINISH_HANDLER(func) wx__DECLARE_EVT0(EVT_TASK_FINISH, TaskThreadEventHandler(func))
#define EVT_TASK_START_HANDLER(func) wx__DECLARE_EVT0(EVT_TASK_START, TaskThreadEventHandler(func))
