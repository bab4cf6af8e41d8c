// The frame's two road commands: the element editor on a road of the project,
// which writes the road back to its own ".pm" file and the project after a
// change, and the export of a road to a ".pm" file of either format.
#include "CorvaneFrame.h"

#include "FileChooser.h"
#include "HorizonPanel.h"
#include "RoadElementDialog.h"
#include "RoadsDialog.h"
#include "SaveGuard.h"
#include "TaskThread.h"

#include <wx/choice.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

namespace {

enum RoadFormat { FORMAT_HAIDI = 0, FORMAT_WEIDI = 1 };

// The road chosen in the selection dialog, or null when none was.
wks_road_t *ChosenRoad(const RoadsDialog &dialog)
{
    const int index = dialog.RoadChoice->GetSelection();
    if (index < 0 || !g_workspace || size_t(index) >= array_size(g_workspace->roads))
        return nullptr;
    void *item = nullptr;
    if (array_get_at(g_workspace->roads, size_t(index), &item) != CC_OK)
        return nullptr;
    return static_cast<wks_road_t *>(item);
}

int WriteRoad(wks_road_t *road, int format, const char *path)
{
    return format == FORMAT_WEIDI ? road_export_weidi(&road->road, path) : road_export_haidi(&road->road, path);
}

// Shows the roads of the workspace from index first on in the model view.
void ShowRoadsFrom(size_t first)
{
    const size_t count = array_size(g_workspace->roads);
    for (size_t i = first; i < count; ++i) {
        void *item = nullptr;
        if (array_get_at(g_workspace->roads, i, &item) == CC_OK && item)
            SceneShowRoad(static_cast<wks_road_t *>(item));
    }
}

int CountSectionsOn(const wks_road_t *road)
{
    int count = 0;
    Array *lists[] = {g_workspace->latitude_sections, g_workspace->longitude_sections};
    for (int l = 0; l < 2; ++l) {
        const size_t size = lists[l] ? array_size(lists[l]) : 0;
        for (size_t i = 0; i < size; ++i) {
            void *item = nullptr;
            if (array_get_at(lists[l], i, &item) != CC_OK || !item)
                continue;
            count += wks_section_on_road(g_workspace, road, static_cast<const section_t *>(item)) ? 1 : 0;
        }
    }
    return count;
}

} // namespace

SavePathAsker CorvaneFrame::SaveAsker(long style, FileChooser::SaveCheck check)
{
    return [this, style, check](wxWindow *parent, const wxString &message, const wxString &wildcard, wxString *path,
                                int *filter) {
        if (!m_fileChooser)
            m_fileChooser = std::make_unique<DialogFileChooser>();
        const bool chosen = m_fileChooser->Choose(parent, message, wildcard, style, path, check);
        *filter = m_fileChooser->GetFilterIndex();
        return chosen;
    };
}

void CorvaneFrame::OnRoadElements(wxRibbonButtonBarEvent &)
{
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    wks_road_t *road = nullptr;
    const size_t roadCount = array_size(g_workspace->roads);
    {
        RoadsDialog roads(this, -1);
        // A new road's file is never replaced: the road selection reads a
        // road file that is there, so nothing is asked about it.
        roads.SetSavePathAsker(SaveAsker(wxFD_SAVE, SaveGuard::NewRoad()));
        const int answer = roads.ShowModal();
        road = answer == wxID_OK ? ChosenRoad(roads) : nullptr;
    }
    // Roads made with "Create" are shown and ticked as imported ones are,
    // also when the surveyor then cancels.
    ShowRoadsFrom(roadCount);
    if (!road) {
        if (array_size(g_workspace->roads) != roadCount)
            UpdateWorkspaceTree();
        return;
    }
    // Counted on the road as it was: an edit may move its centre line away
    // from them.
    const int sectionsOnRoad = CountSectionsOn(road);
    bool modified = false;
    {
        RoadElementDialog editor(this, &road->road, -1);
        editor.HorizonPage->SetSavePathAsker(
            SaveAsker(wxFD_SAVE | wxFD_OVERWRITE_PROMPT, SaveGuard::Writing({VELMO_FILE_ROAD})));
        editor.ShowModal();
        modified = editor.IsModified();
    }
    if (modified) {
        // A road of another format number is kept in HaiDi, the format every
        // road file of the program can be read back from.
        const int format = road->format == FORMAT_WEIDI ? FORMAT_WEIDI : FORMAT_HAIDI;
        if (WriteRoad(road, format, road->path) != 0)
            ShowError(wxString::Format(_("The road could not be written to \"%s\"; that file was left as it "
                                         "was. The changes stay in the project."),
                                       wxString::FromUTF8(road->path)));
        // The profile lives in the project's road file, not in the ".pm".
        if (!wks_export_project(g_workspace))
            ShowError(_("The project could not be saved; the road's changes are not stored in it."));
    }
    if (modified)
        SceneHideRoad(road);
    SceneShowRoad(road);
    // Rebuilt once the scene holds the road, so that its tick says so.
    UpdateWorkspaceTree();
    if (modified && sectionsOnRoad > 0)
        wxMessageBox(wxString::Format(wxPLURAL("%d section was generated on this road. It keeps its former "
                                               "place and contents until it is generated again: generate it "
                                               "again and answer Replace.",
                                               "%d sections were generated on this road. They keep their former "
                                               "place and contents until they are generated again: generate "
                                               "them again and answer Replace.",
                                               sectionsOnRoad),
                                      sectionsOnRoad),
                     _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}


void CorvaneFrame::OnExportRoad(wxRibbonButtonBarEvent &)
{
    // A task may be loading or importing roads; the list and the handles are
    // left to it until it finishes.
    if (RefuseWithoutProject() || RefuseWhileBusy())
        return;
    wks_road_t *road = nullptr;
    {
        RoadsDialog roads(this, -1);
        roads.CreateButton->Disable();
        if (roads.ShowModal() != wxID_OK)
            return;
        road = ChosenRoad(roads);
    }
    if (!road)
        return;
    wxString path;
    int filter = 0;
    if (!ChooseFile(_("Select haidi road file to export."), _("Haidi road file(*.pm)|*.pm|Weidi road file(*.pm)|*.pm"),
                    wxFD_SAVE | wxFD_OVERWRITE_PROMPT, &path, SaveGuard::Writing({VELMO_FILE_ROAD})))
        return;
    filter = m_fileChooser->GetFilterIndex();
    char buffer[VELMO_PATH_SIZE];
    TaskThread::PathToUtf8(path, buffer);
    if (buffer[0] == '\0') {
        ShowError(_("The path of the road file is too long."));
        return;
    }
    if (WriteRoad(road, filter == 0 ? FORMAT_HAIDI : FORMAT_WEIDI, buffer) != 0) {
        ShowError(wxString::Format(_("The road file \"%s\" could not be written."), path));
        return;
    }
    wxMessageBox(_("Export road file finished."), wxMessageBoxCaptionStr, wxOK | wxCENTRE, this);
}
