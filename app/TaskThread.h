// The one worker thread of the program: each object runs one task against the
// shared workspace and reports only by queueing events to its receiver.
#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/thread.h>

#include <vector>

#include "TaskThreadEvent.h"
#include "UpdateVersionEvent.h"
#include "velmo.h"

enum TaskCode {
    TASK_IMPORT_LAS = 1,
    TASK_IMPORT_HAIDI = 2,
    TASK_IMPORT_WEIDI = 3,
    TASK_LATITUDE_SECTIONS = 4,
    TASK_LONGITUDE_SECTIONS = 5,
    TASK_CUSTOM_SECTIONS = 6,
    TASK_SLICE_LAS = 7,
    TASK_REMOVE_CLOUD = 8,
    TASK_LOAD_SECTION = 9,
    TASK_RELOAD_SECTION = 10,
    TASK_OPEN_PROJECT = 11,
    TASK_CHECK_UPDATE = 12,
    TASK_PICK_SECTION = 13
};

// What a progress step carries besides its counts.
struct TaskResult {
    int code;
    velmo_t *cloud;
    section_t *section;
    wks_road_t *road;
};

class TaskThread : public wxThread
{
public:
    // Tasks 1, 2, 3, 7 and 12; slice is the three slice counts of task 7, or
    // null.  Task 12 reads the update server from the configuration here, on
    // the constructing (GUI) thread.
    TaskThread(wxEvtHandler *dest, int code, const wxString &path, const int *slice = nullptr);
    TaskThread(wxEvtHandler *dest, int code, velmo_t *cloud);             // task 8
    TaskThread(wxEvtHandler *dest, int code, section_t *section);         // tasks 9, 10, 13
    TaskThread(wxEvtHandler *dest, int code, double x, double y, double z); // task 13
    TaskThread(wxEvtHandler *dest, int code, int first, int last);        // tasks 4, 5, 6
    ~TaskThread() override;

    wxEvtHandler *GetDest() const { return m_dest; }
    int GetCode() const { return m_code; }

    // What task commands answer while a task runs, and the refusal to close.
    static wxString BusyMessage();
    static wxString BusyCloseMessage();

    // True while some task thread is registered for progress callbacks.
    static bool HasCurrentTask();
    // True until the last code of every task thread has run: the toolkit
    // still cleans up a detached thread after deleting its object, and a
    // process ending meanwhile crashes in that clean-up.
    static bool AnyThreadRunning();

    // Marks a finish event whose task did its work but whose save of the
    // project failed; the event's message then says why.
    enum { FINISH_SAVE_FAILED = 1 };

    // The UTF-8 form of a path for the library, in a VELMO_PATH_SIZE buffer;
    // the empty text, and false, when it does not fit whole.
    static bool PathToUtf8(const wxString &path, char *buffer);

    // The engine's latest message to this task; the finish event carries it,
    // so a task that produced nothing can say why.  Call under the
    // registration lock only.
    void RememberMessage(const wxString &message) { m_lastMessage = message.Clone(); }

protected:
    ExitCode Entry() override;

private:
    void Init(wxEvtHandler *dest, int code);
    void Register();
    void PostEvent(wxEventType type);

    bool TakePath(char *buffer);
    void SaveProjectAfterTask();
    void ImportCloud();
    void ImportRoad(int format);
    void ComputeNewSections();
    static wxString SectionsFailure(const std::vector<section_t *> &block);
    void SlicePoints();
    int CountSlicePieces(time_t started) const;
    void RemoveCloud();
    void ComputeSection();
    void OpenProject();
    void CheckUpdate();
    void PickSection();

    wxEvtHandler *m_dest;
    int m_code;
    wxString m_path;
    int m_slice[3];
    velmo_t *m_cloud;
    section_t *m_section;
    wks_road_t *m_road;
    double m_x, m_y, m_z;
    int m_first, m_last;
    wxString m_lastMessage;
    bool m_saveFailed = false;
    // How many pieces a slicing wrote where; the finish event carries it.
    wxString m_sliceReport;
    // Update server, read from the configuration when the check is built.
    wxString m_updateHost;
    unsigned short m_updatePort;
    int m_updateTimeout;
};

// The most recently constructed task thread, cleared when that thread ends;
// read only under the registration lock (PostTaskProgress and
// TaskProgressCallback take it).
extern TaskThread *g_taskThread;

// Queues one EVT_TASK_PROGRESS to the current task's receiver.
void PostTaskProgress(int total, int current, const char *message, const TaskResult &result);
// The progress callback handed to velmo: a step with code 0 and no objects.
void TaskProgressCallback(int total, int current, const char *message);
