#include "TaskThread.h"

#include "SceneManager.h"
#include "UpdateRequest.h"
#include "VelmoPath.h"

#include <wx/datetime.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

// Made here, in this order, so every run of the program numbers them alike.
wxDEFINE_EVENT(EVT_TASK_PROGRESS, TaskThreadEvent);
wxDEFINE_EVENT(EVT_TASK_FINISH, TaskThreadEvent);
wxDEFINE_EVENT(EVT_TASK_START, TaskThreadEvent);
wxDEFINE_EVENT(EVT_UPDATE_VERSION, UpdateVersionEvent);

TaskThread *g_taskThread = nullptr;

// Guards g_taskThread: a progress callback may come from a library call on
// any thread, also after the thread that registered it has been deleted.
static std::mutex g_taskThreadLock;

// Task threads whose last code has not run yet.
static std::atomic<int> g_runningThreads{0};

namespace {

// Lives as long as its thread: thread-local objects are destroyed after the
// toolkit's own thread clean-up.
struct RunningThreadMark {
    RunningThreadMark() { ++g_runningThreads; }
    ~RunningThreadMark() { --g_runningThreads; }
};

} // namespace

namespace {

template <typename T>
T *ItemAt(Array *list, long index)
{
    void *out = nullptr;
    if (!list || index < 0 || array_get_at(list, (size_t)index, &out) != CC_OK)
        return nullptr;
    return static_cast<T *>(out);
}

long SizeOf(Array *list)
{
    return list ? (long)array_size(list) : 0;
}

} // namespace

TaskThread::TaskThread(wxEvtHandler *dest, int code, const wxString &path, const int *slice)
    : wxThread(wxTHREAD_DETACHED)
{
    Init(dest, code);
    m_path = path.Clone();
    if (slice)
        memcpy(m_slice, slice, sizeof m_slice);
    if (code == TASK_CHECK_UPDATE) {
        UpdateRequest request = UpdateRequest::FromConfig();
        m_updateHost = request.GetHost().Clone();
        m_updatePort = request.GetPort();
        m_updateTimeout = request.GetTimeout();
    }
    Register();
}

TaskThread::TaskThread(wxEvtHandler *dest, int code, velmo_t *cloud) : wxThread(wxTHREAD_DETACHED)
{
    Init(dest, code);
    m_cloud = cloud;
    Register();
}

TaskThread::TaskThread(wxEvtHandler *dest, int code, section_t *section) : wxThread(wxTHREAD_DETACHED)
{
    Init(dest, code);
    m_section = section;
    Register();
}

TaskThread::TaskThread(wxEvtHandler *dest, int code, double x, double y, double z)
    : wxThread(wxTHREAD_DETACHED)
{
    Init(dest, code);
    m_x = x;
    m_y = y;
    m_z = z;
    Register();
}

TaskThread::TaskThread(wxEvtHandler *dest, int code, int first, int last) : wxThread(wxTHREAD_DETACHED)
{
    Init(dest, code);
    m_first = first;
    m_last = last;
    Register();
}

// A detached thread deletes itself after Entry: from then on no progress
// callback may find it.
TaskThread::~TaskThread()
{
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    if (g_taskThread == this)
        g_taskThread = nullptr;
}

void TaskThread::Init(wxEvtHandler *dest, int code)
{
    m_dest = dest;
    m_code = code;
    memset(m_slice, 0, sizeof m_slice);
    m_cloud = nullptr;
    m_section = nullptr;
    m_road = nullptr;
    m_x = m_y = m_z = 0.0;
    m_first = m_last = 0;
    m_updatePort = 0;
    m_updateTimeout = UpdateRequest::DEFAULT_TIMEOUT;
}

void TaskThread::Register()
{
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    g_taskThread = this;
}

bool TaskThread::AnyThreadRunning()
{
    return g_runningThreads.load() > 0;
}

bool TaskThread::HasCurrentTask()
{
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    return g_taskThread != nullptr;
}

wxString TaskThread::BusyMessage()
{
    return _("Task is running...");
}

wxString TaskThread::BusyCloseMessage()
{
    return _("Task is still running,please wait...");
}

wxThread::ExitCode TaskThread::Entry()
{
    static thread_local RunningThreadMark mark;
    (void)mark;
    if (m_dest) {
        PostEvent(EVT_TASK_START);
        wxMilliSleep(100);
    }
    switch (m_code) {
    case TASK_IMPORT_LAS:
        ImportCloud();
        break;
    case TASK_IMPORT_HAIDI:
        ImportRoad(0);
        break;
    case TASK_IMPORT_WEIDI:
        ImportRoad(1);
        break;
    case TASK_LATITUDE_SECTIONS:
    case TASK_LONGITUDE_SECTIONS:
    case TASK_CUSTOM_SECTIONS:
        ComputeNewSections();
        break;
    case TASK_SLICE_LAS:
        SlicePoints();
        break;
    case TASK_REMOVE_CLOUD:
        RemoveCloud();
        break;
    case TASK_LOAD_SECTION:
    case TASK_RELOAD_SECTION:
        ComputeSection();
        break;
    case TASK_OPEN_PROJECT:
        OpenProject();
        break;
    case TASK_CHECK_UPDATE:
        CheckUpdate();
        break;
    case TASK_PICK_SECTION:
        PickSection();
        break;
    default:
        break;
    }
    if (m_dest)
        PostEvent(EVT_TASK_FINISH);
    return 0;
}

void TaskThread::PostEvent(wxEventType type)
{
    wxString message;
    bool saveFailed = false;
    if (type == EVT_TASK_FINISH) {
        std::lock_guard<std::mutex> lock(g_taskThreadLock);
        message = m_lastMessage.Clone();
        saveFailed = m_saveFailed;
    }
    auto *event = new TaskThreadEvent(type, 0, 0, message, m_code, m_cloud, m_section, m_road);
    if (saveFailed)
        event->SetInt(FINISH_SAVE_FAILED);
    if (type == EVT_TASK_FINISH && m_code == TASK_SLICE_LAS) {
        std::lock_guard<std::mutex> lock(g_taskThreadLock);
        event->SetString(m_sliceReport.Clone());
    }
    wxQueueEvent(m_dest, event);
}

// A path the library cannot take whole becomes the empty path, which it
// refuses: cutting it short could name another file.
bool TaskThread::PathToUtf8(const wxString &path, char *buffer)
{
    return VelmoPath::ToUtf8(path, buffer);
}

// A path the library cannot be given is refused here, by name: the library
// would only see an empty one.
bool TaskThread::TakePath(char *buffer)
{
    if (PathToUtf8(m_path, buffer))
        return true;
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    RememberMessage(VelmoPath::Refusal(m_path));
    return false;
}

void TaskThread::ImportCloud()
{
    char path[VELMO_PATH_SIZE];
    if (!TakePath(path) || !g_workspace)
        return;
    m_cloud = wks_import_velmo(g_workspace, path, TaskProgressCallback);
    // A refused file changed nothing to save, and its reason must stay the
    // last word.
    if (m_cloud)
        SaveProjectAfterTask();
}

// A save that fails after work that succeeded is still a failure the user
// must hear of: the finish event carries the engine's reason and a mark.
void TaskThread::SaveProjectAfterTask()
{
    if (wks_export_project(g_workspace))
        return;
    const wxString reason = wxString::FromUTF8(wks_last_message(g_workspace));
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    m_saveFailed = true;
    RememberMessage(reason.empty() ? wxString(_("The project could not be saved.")) : reason);
}

void TaskThread::ImportRoad(int format)
{
    char path[VELMO_PATH_SIZE];
    if (!TakePath(path) || !g_workspace)
        return;
    m_road = wks_import_road(g_workspace, path, format);
    {
        std::lock_guard<std::mutex> lock(g_taskThreadLock);
        if (!m_road) {
            // The engine's reason, when it has one, names the line at fault.
            const wxString reason = wxString::FromUTF8(wks_last_message(g_workspace));
            RememberMessage(reason.empty() ? wxString::Format(_("Not a readable %s road file: %s"),
                                                              format ? "WeiDi" : "HaiDi", m_path)
                                           : reason);
            return;
        }
        // What was left out of the road the finish event passes on.
        RememberMessage(wxString::FromUTF8(wks_last_message(g_workspace)));
    }
    SaveProjectAfterTask();
}

void TaskThread::ComputeNewSections()
{
    const char *message = "Generating sections...";
    int n = m_last - m_first;
    TaskProgressCallback(n, 0, message);
    if (!g_workspace)
        return;
    Array *list = m_code == TASK_LATITUDE_SECTIONS    ? g_workspace->latitude_sections
                  : m_code == TASK_LONGITUDE_SECTIONS ? g_workspace->longitude_sections
                                                      : g_workspace->custom_sections;
    // Computed a block at a time on the workspace's threads; each section is
    // shown once its block is saved.
    std::vector<section_t *> block;
    wxString failure;
    for (int first = m_first; first < m_last; first += WKS_EXPORT_BLOCK) {
        const int last = std::min(m_last, first + WKS_EXPORT_BLOCK);
        block.clear();
        for (int i = first; i < last; i++)
            block.push_back(ItemAt<section_t>(list, i));
        if (wks_export_sections(g_workspace, block.data(), int(block.size())) < int(block.size()) && failure.empty())
            failure = SectionsFailure(block);
        for (int i = first; i < last; i++)
            PostTaskProgress(n, i - m_first + 1, message, TaskResult{m_code, nullptr, block[size_t(i - first)], nullptr});
    }
    // The finish event carries a message only when sections were left out.
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    RememberMessage(failure);
}

// Why sections of a block were left out: the engine's reason for the first
// that has one.
wxString TaskThread::SectionsFailure(const std::vector<section_t *> &block)
{
    for (section_t *section : block) {
        const wxString reason = section ? wxString::FromUTF8(section_last_message(section)) : wxString();
        if (!reason.empty())
            return reason;
    }
    return _("Some of the sections could not be computed.");
}

void TaskThread::SlicePoints()
{
    char path[VELMO_PATH_SIZE];
    if (!TakePath(path))
        return;
    const time_t started = wxDateTime::Now().GetTicks();
    const bool sliced = velmo_slice_points(path, m_slice, TaskProgressCallback) != 0;
    const int pieces = sliced ? CountSlicePieces(started) : 0;
    // The finish event carries a message only when the slicing failed: the
    // library's reason, or ours when it gave none.
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    if (sliced) {
        const wxFileName source(m_path);
        m_sliceReport = wxString::Format(wxPLURAL("Slicing finished: %d piece written to %s as %s_X_Y_Z.las.",
                                                  "Slicing finished: %d pieces written to %s as %s_X_Y_Z.las.",
                                                  pieces),
                                         pieces, source.GetPath(), source.GetName());
        RememberMessage(wxString());
    }
    else if (m_lastMessage.empty())
        RememberMessage(wxString::Format(_("Cannot slice file %s."), m_path));
}

// The pieces are "<stem>_<i>_<j>_<k>.las" beside the file, one for each
// box that holds points; a piece left from an earlier slicing is older than
// this one.
int TaskThread::CountSlicePieces(time_t started) const
{
    const wxFileName source(m_path);
    int count = 0;
    for (int i = 0; i < m_slice[0]; ++i)
        for (int j = 0; j < m_slice[1]; ++j)
            for (int k = 0; k < m_slice[2]; ++k) {
                const wxFileName piece(source.GetPath(),
                                       wxString::Format("%s_%d_%d_%d.las", source.GetName(), i, j, k));
                // File times are whole seconds.
                if (piece.FileExists() && piece.GetModificationTime().GetTicks() >= started - 1)
                    ++count;
            }
    return count;
}

void TaskThread::RemoveCloud()
{
    // Gives the pager a moment to let go of the cloud's tiles, which the
    // frame has just taken out of the scene.
    wxMilliSleep(100);
    if (!g_workspace || !m_cloud)
        return;
    wks_remove_velmo(g_workspace, m_cloud);
    SaveProjectAfterTask();
}

// The finish event carries a message only when the section could not be
// computed: the engine's reason (a cloud's store changed on disk, say).
void TaskThread::ComputeSection()
{
    if (!g_workspace || !m_section)
        return;
    wxString failure;
    if (!wks_cal_section(g_workspace, m_section, TaskProgressCallback)) {
        failure = wxString::FromUTF8(section_last_message(m_section));
        if (failure.empty())
            failure = _("The section could not be computed.");
    }
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    RememberMessage(failure);
}

// Opens the project's clouds, roads and sections one by one, so the frame can
// show each as soon as it is ready.
void TaskThread::OpenProject()
{
    if (!g_workspace)
        return;
    Array *sectionLists[] = {g_workspace->latitude_sections, g_workspace->longitude_sections,
                             g_workspace->custom_sections};
    long roads = SizeOf(g_workspace->roads);
    long total = roads;
    for (Array *list : sectionLists)
        total += SizeOf(list);

    long clouds = SizeOf(g_workspace->clouds);
    for (long i = 0; i < clouds; i++) {
        velmo_t *cloud = ItemAt<velmo_t>(g_workspace->clouds, i);
        if (!cloud)
            continue;
        velmo_set_progress_callback(cloud, TaskProgressCallback);
        velmo_open_file(cloud);
        PostTaskProgress((int)clouds, (int)i, "Importing project...", TaskResult{m_code, cloud, nullptr, nullptr});
    }
    wks_update_bounding_box(g_workspace);
    TaskProgressCallback((int)total, 0, "Importing project...");

    for (long i = 0; i < roads; i++) {
        wks_road_t *road = ItemAt<wks_road_t>(g_workspace->roads, i);
        if (road)
            road_open_file(road, road->path, road->format);
        PostTaskProgress((int)total, (int)(i + 1), "Importing road...", TaskResult{m_code, nullptr, nullptr, road});
    }

    long step = roads;
    for (Array *list : sectionLists) {
        long count = SizeOf(list);
        for (long i = 0; i < count; i++) {
            section_t *section = ItemAt<section_t>(list, i);
            if (section)
                wks_import_section(g_workspace, section);
            PostTaskProgress((int)total, (int)++step, "Importing sections...",
                             TaskResult{m_code, nullptr, section, nullptr});
        }
    }
}

void TaskThread::CheckUpdate()
{
    UpdateRequest(m_updateHost, m_updatePort, m_updateTimeout).Run(m_dest);
}

// The section the frame picked on screen, while the workspace still holds
// it; or, given a point, the first latitude section whose slab holds the
// point, the slab taken twice as thick as the section so a pick near its
// face still finds it.
void TaskThread::PickSection()
{
    Array *list = g_workspace ? g_workspace->latitude_sections : nullptr;
    if (m_section) {
        bool held = false;
        for (long i = 0; i < SizeOf(list) && !held; i++)
            held = ItemAt<section_t>(list, i) == m_section;
        if (!held)
            m_section = nullptr;
        return;
    }
    if (!g_workspace)
        return;
    const double point[3] = {m_x, m_y, m_z};
    long count = SizeOf(list);
    for (long i = 0; i < count; i++) {
        section_t *section = ItemAt<section_t>(list, i);
        if (!section || section->type != SECTION_LATITUDE)
            continue;
        double d[3];
        vector_sub(point, section->center, d);
        double a = vector_dot(section->axis_u, d);
        double b = vector_dot(section->normal, d);
        if (section->width_range[0] < a && a < section->width_range[1] && 2 * section->normal_range[0] < b &&
            b < 2 * section->normal_range[1]) {
            m_section = section;
            return;
        }
    }
}

static void QueueProgress(int total, int current, const char *message, const TaskResult &result)
{
    std::lock_guard<std::mutex> lock(g_taskThreadLock);
    if (!g_taskThread || !g_taskThread->GetDest())
        return;
    wxString text = message ? wxString::FromUTF8(message) : wxString();
    if (!text.empty())
        g_taskThread->RememberMessage(text);
    wxQueueEvent(g_taskThread->GetDest(), new TaskThreadEvent(EVT_TASK_PROGRESS, total, current, text, result.code,
                                                              result.cloud, result.section, result.road));
}

void PostTaskProgress(int total, int current, const char *message, const TaskResult &result)
{
    QueueProgress(total, current, message, result);
}

void TaskProgressCallback(int total, int current, const char *message)
{
    QueueProgress(total, current, message, TaskResult{0, nullptr, nullptr, nullptr});
}
