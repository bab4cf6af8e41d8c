#include "RoadsDialog.h"

#include "SceneManager.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <cstring>
#include <filesystem>

const long RoadsDialog::ID_STATICTEXT1 = wxNewId();
const long RoadsDialog::ID_CHOICE1 = wxNewId();
const long RoadsDialog::ID_BUTTON1 = wxNewId();

wxBEGIN_EVENT_TABLE(RoadsDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

const int CENTRED = wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;

Array *RoadList()
{
    return g_workspace ? g_workspace->roads : nullptr;
}

// Whether the file reads as a road of either ".pm" kind, or is empty.
bool IsRoadFile(const wxString &path)
{
    const wxScopedCharBuffer utf8 = path.utf8_str();
    return utf8.data() && velmo_file_is_kind(utf8.data(), VELMO_FILE_ROAD);
}

} // namespace

RoadsDialog::RoadsDialog(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _("Road selection"), wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "id");
    SetClientSize(wxDefaultSize);
    Move(wxDefaultPosition);
    auto *outer = new wxFlexGridSizer(0, 1, 0, 0);
    auto *grid = new wxFlexGridSizer(0, 3, 0, 0);
    RoadLabel = new wxStaticText(this, ID_STATICTEXT1, _("Road"), wxDefaultPosition, wxDefaultSize, 0,
                                 "ID_STATICTEXT1");
    grid->Add(RoadLabel, 1, CENTRED, 5);
    RoadChoice = new wxChoice(this, ID_CHOICE1, wxDefaultPosition, wxSize(150, -1), 0, nullptr, 0,
                              wxDefaultValidator, "ID_CHOICE1");
    grid->Add(RoadChoice, 1, CENTRED, 5);
    CreateButton = new wxButton(this, ID_BUTTON1, _("Create"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ID_BUTTON1");
    grid->Add(CreateButton, 1, CENTRED, 5);
    outer->Add(grid, 1, CENTRED, 5);
    auto *box = new wxBoxSizer(wxHORIZONTAL);
    OkButton = new wxButton(this, wxID_OK, _("OK"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                            "wxID_OK");
    box->Add(OkButton, 1, CENTRED, 5);
    CancelButton = new wxButton(this, wxID_CANCEL, _("Cancel"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "wxID_CANCEL");
    box->Add(CancelButton, 1, CENTRED, 5);
    outer->Add(box, 1, CENTRED, 5);
    SetSizer(outer);
    outer->SetSizeHints(this);
    CentreOnParent(wxBOTH);

    Bind(wxEVT_BUTTON, &RoadsDialog::OnCreate, this, ID_BUTTON1);
    Bind(wxEVT_BUTTON, &RoadsDialog::OnOk, this, wxID_OK);
    FillRoads();
}

RoadsDialog::~RoadsDialog()
{
}

void RoadsDialog::FillRoads()
{
    RoadChoice->Clear();
    Array *roads = RoadList();
    const size_t count = roads ? array_size(roads) : 0;
    for (size_t i = 0; i < count; ++i) {
        void *item = nullptr;
        if (array_get_at(roads, i, &item) != CC_OK || !item)
            continue;
        const auto *road = static_cast<const wks_road_t *>(item);
        RoadChoice->Append(wxFileName(wxString::FromUTF8(road->path)).GetFullName());
    }
    if (RoadChoice->GetCount() > 0)
        RoadChoice->SetSelection(int(RoadChoice->GetCount()) - 1);
}

bool RoadsDialog::ChooseNewRoadFile(wxString *path)
{
    int filter = 0;
    // An existing road file is added as it is, never replaced: nothing to ask.
    return AskSavePath(m_savePathAsker, this, _("Input road file to create"), _("Haidi road file(*.pm)|*.pm"), path,
                       &filter);
}

wxString RoadsDialog::RefuseNewRoadFile(const wxString &path)
{
    if (!wxFileName(path).GetExt().IsSameAs("pm", false))
        return wxString::Format(_("\"%s\" is not a road file: a road file's name ends in \".pm\"."), path);
    Array *roads = RoadList();
    for (size_t i = 0; roads && i < array_size(roads); ++i) {
        void *item = nullptr;
        if (array_get_at(roads, i, &item) != CC_OK || !item)
            continue;
        const wxString known = wxString::FromUTF8(static_cast<const wks_road_t *>(item)->path);
        std::error_code error;
        if (std::filesystem::equivalent(known.utf8_string(), path.utf8_string(), error) ||
            wxFileName(known).SameAs(wxFileName(path))) {
            RoadChoice->SetSelection(int(i));
            return wxString::Format(_("The road \"%s\" is already in the project; it is selected."), path);
        }
    }
    // The editor writes the road over its file when it closes: a file that
    // holds anything but a road must not become one.
    if (wxFileName::Exists(path) && !IsRoadFile(path))
        return wxString::Format(_("\"%s\" is not a road file; it was left as it is."), path);
    return wxString();
}

void RoadsDialog::OnCreate(wxCommandEvent &)
{
    wxString chosen;
    if (!ChooseNewRoadFile(&chosen))
        return;
    const wxScopedCharBuffer utf8 = chosen.utf8_str();
    const char *path = utf8.data() ? utf8.data() : "";
    if (path[0] == '\0' || std::strlen(path) >= VELMO_PATH_SIZE) {
        wxMessageBox(path[0] == '\0' ? _("No road file was given.") : _("The road file's path is too long."),
                     _("Error"), wxOK | wxCENTRE | wxICON_ERROR, this);
        return;
    }
    const wxString refusal = RefuseNewRoadFile(chosen);
    if (!refusal.empty()) {
        wxMessageBox(refusal, _("Error"), wxOK | wxCENTRE | wxICON_ERROR, this);
        return;
    }
    // A road file that is there is read, not replaced.
    const bool existing = wxFileName::FileExists(chosen) && wxFileName::GetSize(chosen) != 0;
    if (!g_workspace || !wks_create_road(g_workspace, path)) {
        const wxString reason = g_workspace ? wxString::FromUTF8(wks_last_message(g_workspace)) : wxString();
        wxMessageBox(wxString::Format(_("The road \"%s\" could not be created."), chosen) +
                         (reason.empty() ? wxString() : "\n" + reason),
                     _("Error"), wxOK | wxCENTRE | wxICON_ERROR, this);
        FillRoads();
        return;
    }
    if (!wks_export_project(g_workspace))
        wxMessageBox(_("The project could not be saved with the new road."), _("Error"),
                     wxOK | wxCENTRE | wxICON_ERROR, this);
    FillRoads();
    if (existing)
        wxMessageBox(wxString::Format(_("The file %s already holds a road; that road was added to the project as "
                                        "it is, and the file was not replaced."),
                                      chosen),
                     _("Message"), wxOK | wxCENTRE, this);
}

// OK without a road would close the dialog and do nothing at all; the
// surveyor learns why instead.
void RoadsDialog::OnOk(wxCommandEvent &event)
{
    if (RoadChoice->GetSelection() >= 0) {
        event.Skip();
        return;
    }
    wxMessageBox(CreateButton->IsEnabled() ? _("The project has no road. Import one, or press \"Create\" to make one.")
                                           : _("The project has no road."),
                 _("Warning"), wxOK | wxCENTRE | wxICON_WARNING, this);
}
