// The frame's project, import and tree pop-up commands; the other commands
// live in files of their own beside this one.
#include "CorvaneFrame.h"

#include "FileChooser.h"
#include "StatusView.h"
#include "TaskThread.h"
#include "TreeData.h"
#include "VelmoPath.h"

#include <wx/file.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/propgrid/propgrid.h>
#include <wx/ribbon/buttonbar.h>

#include <cstring>
#include <filesystem>

namespace {

// The first bytes of a WeiDi road file; anything else is read as HaiDi.
const char WEIDI_MAGIC[] = "HINTCA";
const size_t ROAD_PROBE_SIZE = 1024;

bool IsWeiDiFile(const wxString &path)
{
    char probe[ROAD_PROBE_SIZE];
    std::memset(probe, 0, sizeof probe);
    wxFile file;
    // A file that cannot be read goes to the library as HaiDi, which refuses it.
    wxLogNull quiet;
    if (!file.Open(path, wxFile::read))
        return false;
    file.Read(probe, sizeof probe);
    file.Close();
    return std::memcmp(probe, WEIDI_MAGIC, std::strlen(WEIDI_MAGIC)) == 0;
}

wxString WithProjectExtension(const wxString &path)
{
    wxFileName name(path);
    if (name.GetExt().Lower() != "qpj")
        return path + ".qpj";
    return path;
}

// The engine's own reason, on a line of its own; empty when it gave none.
wxString EngineReason(const wks_t *workspace)
{
    const wxString reason = wxString::FromUTF8(wks_last_message(workspace));
    return reason.empty() ? wxString() : "\n" + reason;
}

// Opens or creates the project in a throw-away workspace; *why gets the
// engine's reason when it refuses.
bool ProjectCanBeLoaded(const char *path, bool create, wxString *why)
{
    auto *probe = static_cast<wks_t *>(malloc(sizeof(wks_t) > 96 ? sizeof(wks_t) : 96));
    if (!probe)
        return false;
    if (!wks_init(probe)) {
        wks_destroy(probe);
        return false;
    }
    const int loaded = create ? wks_create_project(probe, 0, path) : wks_open_project(probe, path);
    *why = EngineReason(probe);
    wks_destroy(probe);
    return loaded != 0;
}

// The engine answers only yes or no; the surveyor is told what to check.
wxString ProjectFailureMessage(const wxString &path, bool create)
{
    if (create)
        return wxString::Format(_("Cannot create project file %s: check that its folder exists and that you may "
                                  "write there."),
                                path);
    if (!wxFileName::FileExists(path))
        return wxString::Format(_("Cannot open project file %s: the file does not exist."), path);
    return wxString::Format(_("Cannot open project file %s: it is not a Corvane project, it is damaged, or it is "
                              "open in another program."),
                            path);
}

} // namespace

// ---- Seams and shared steps of the commands ------------------------------------------------

void CorvaneFrame::SetFileChooser(std::unique_ptr<FileChooser> chooser)
{
    m_fileChooser = chooser ? std::move(chooser) : std::make_unique<DialogFileChooser>();
}

bool CorvaneFrame::ChooseFile(const wxString &message, const wxString &wildcard, long style, wxString *path,
                              const FileChooser::SaveCheck &check)
{
    if (!m_fileChooser)
        m_fileChooser = std::make_unique<DialogFileChooser>();
    return m_fileChooser->Choose(this, message, wildcard, style, path, check);
}

void CorvaneFrame::ShowError(const wxString &message)
{
    wxMessageBox(message, _("Error"), wxOK | wxCENTRE | wxICON_ERROR, this);
}

void CorvaneFrame::ReportFailure(const wxString &message)
{
    m_statusView->ShowMessage(message);
    ShowError(message);
}

bool CorvaneFrame::Confirm(const wxString &question, bool noByDefault)
{
    wxMessageDialog dialog(this, question, _("Warning"), wxYES_NO | wxCENTRE | (noByDefault ? wxNO_DEFAULT : 0));
    return dialog.ShowModal() == wxID_YES;
}

bool CorvaneFrame::RefuseWithoutProject()
{
    if (g_workspace && g_workspace->project)
        return false;
    wxMessageBox(_("No project is open. Open a project (File > Open) or create one (File > New) first."), _("Warning"),
                 wxOK | wxCENTRE | wxICON_WARNING, this);
    return true;
}

bool CorvaneFrame::RefuseWhileBusy()
{
    if (!m_runningTask)
        return false;
    ShowError(TaskThread::BusyMessage());
    return true;
}

void CorvaneFrame::StartTask(TaskThread *task)
{
    m_runningTask = task;
    // A thread that never started sends no finish event; left in the guard
    // it would refuse every later command.
    if (task->Run() != wxTHREAD_NO_ERROR) {
        delete task;
        m_runningTask = nullptr;
        return;
    }
    ++m_tasksStarted;
}

void CorvaneFrame::SaveProject()
{
    if (g_workspace && g_workspace->project && !wks_export_project(g_workspace))
        ShowError(wxString::FromUTF8(wks_last_message(g_workspace)));
}

// ---- Project commands ----------------------------------------------------------------------

void CorvaneFrame::OnOpenProject(wxRibbonButtonBarEvent &)
{
    if (RefuseWhileBusy())
        return;
    wxString path;
    if (!ChooseFile(_("Select project file to open."), _("Corvane project file(*.qpj)|*.qpj"), wxFD_OPEN, &path))
        return;
    LoadProject(path, false);
}

void CorvaneFrame::OnCreateProject(wxRibbonButtonBarEvent &)
{
    if (RefuseWhileBusy())
        return;
    wxString path;
    if (!ChooseFile(_("Select project file to create."), _("Corvane project file(*.qpj)|*.qpj"), wxFD_SAVE, &path))
        return;
    // The Open dialog lists project files by their extension only.
    path = WithProjectExtension(path);
    // The only guard against overwriting; the open project stays untouched.
    if (wxFileName::FileExists(path)) {
        ShowError(_("Project file already exists,please delete it firstly."));
        return;
    }
    LoadProject(path, true);
}

void CorvaneFrame::LoadProject(const wxString &path, bool create)
{
    char buffer[VELMO_PATH_SIZE];
    if (!TaskThread::PathToUtf8(path, buffer)) {
        ReportFailure(ProjectFailureMessage(path, create) + "\n" + VelmoPath::Refusal(path));
        return;
    }
    // The file is tried in a workspace of its own first, so that one the
    // engine refuses leaves the open project open and intact.
    wxString why;
    if (!IsOpenProject(path) && !ProjectCanBeLoaded(buffer, create, &why)) {
        ReportFailure(ProjectFailureMessage(path, create) + why);
        return;
    }
    ResetWorkspace();
    m_viewTimeLog.OpenStarted();
    // A created project is on disk by now; it opens like any other.
    if (!wks_open_project(g_workspace, buffer)) {
        UpdateWorkspaceTree();
        ReportFailure(ProjectFailureMessage(path, false) + EngineReason(g_workspace));
        return;
    }
    UpdateWorkspaceTree();
    // What the open had to leave out: rows naming files outside the data
    // folder.
    const wxString leftOut = wxString::FromUTF8(wks_last_message(g_workspace));
    if (!leftOut.empty())
        ShowError(leftOut);
    StartTask(new TaskThread(this, TASK_OPEN_PROJECT, wxEmptyString, nullptr));
}

bool CorvaneFrame::IsOpenProject(const wxString &path) const
{
    return g_workspace && g_workspace->project &&
           wxFileName(wxString::FromUTF8(g_workspace->project->path)).SameAs(wxFileName(path));
}

// ---- Import commands -----------------------------------------------------------------------

void CorvaneFrame::OnImportLasFile(wxRibbonButtonBarEvent &)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    wxString path;
    if (!ChooseFile(_("Select las file to import."), _("Las file(*.las)|*.las"), wxFD_OPEN, &path))
        return;
    // A second import of the same file counts every point twice in each
    // section and export, and keeps a second store on disk.
    if (FindCloudOfFile(path) &&
        !Confirm(wxString::Format(_("The point cloud file %s is already in the project.\nImport it again?"), path),
                 true))
        return;
    StartTask(new TaskThread(this, TASK_IMPORT_LAS, path, nullptr));
}

velmo_t *CorvaneFrame::FindCloudOfFile(const wxString &path) const
{
    Array *clouds = g_workspace ? g_workspace->clouds : nullptr;
    const std::filesystem::path chosen(path.utf8_string());
    for (size_t i = 0; clouds && i < array_size(clouds); i++) {
        void *item = nullptr;
        if (array_get_at(clouds, i, &item) != CC_OK || !item)
            continue;
        auto *cloud = static_cast<velmo_t *>(item);
        std::error_code error;
        // The same file under another name (a link, "..") is the same cloud.
        if (std::filesystem::equivalent(chosen, std::filesystem::path(cloud->path), error) ||
            wxFileName(wxString::FromUTF8(cloud->path)).SameAs(wxFileName(path)))
            return cloud;
    }
    return nullptr;
}

void CorvaneFrame::OnImportRoad(wxRibbonButtonBarEvent &)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    wxString path;
    if (!ChooseFile(_("Select haidi road file to import."), _("Haidi/Weidi road file(*.pm)|*.pm"), wxFD_OPEN,
                    &path))
        return;
    const int code = IsWeiDiFile(path) ? TASK_IMPORT_WEIDI : TASK_IMPORT_HAIDI;
    StartTask(new TaskThread(this, code, path, nullptr));
}

// ---- Tree pop-up menu commands ---------------------------------------------------------------

void CorvaneFrame::DeleteMenuCloud()
{
    if (m_runningTask)
        return;
    if (!Confirm(_("Are you sure to delete selected velmo?")) || !m_menuCloud)
        return;
    velmo_t *cloud = m_menuCloud;
    m_menuCloud = nullptr;
    SceneHideCloud(cloud);
    // The cloud leaves the workspace on the worker; until the finish rebuilds
    // the tree, its item must not offer it to be shown again.
    const wxTreeListItem item = FindTreeItem(cloud);
    if (item.IsOk())
        m_workspaceTree->DeleteItem(item);
    m_propertyGrid->Clear();
    StartTask(new TaskThread(this, TASK_REMOVE_CLOUD, cloud));
}

void CorvaneFrame::DeleteMenuRoad()
{
    if (m_runningTask)
        return;
    if (!Confirm(_("Are you sure to delete selected road?")) || !m_menuRoad)
        return;
    wks_road_t *road = m_menuRoad;
    m_menuRoad = nullptr;
    SceneHideRoad(road);
    wks_remove_road(g_workspace, road);
    if (!wks_export_project(g_workspace))
        ReportFailure(wxString::FromUTF8(wks_last_message(g_workspace)) + "\n" + _("The project could not be saved."));
    m_propertyGrid->Clear();
    UpdateWorkspaceTree();
    m_modelViewer->home();
}
