#include "PointSliceDialog.h"

#include "FileChooser.h"
#include "VelmoPath.h"
#include "velmo.h"

#include <wx/button.h>
#include <wx/file.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <climits>
#include <algorithm>
#include <cstdlib>
#include <cstring>

const long PointSliceDialog::ID_STATICTEXT1 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL1 = wxNewId();
const long PointSliceDialog::ID_BUTTON1 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT2 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL2 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT3 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT4 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL4 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT5 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT9 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL7 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT10 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL8 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT11 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL9 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT6 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT7 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL3 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT8 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL10 = wxNewId();
const long PointSliceDialog::ID_STATICTEXT12 = wxNewId();
const long PointSliceDialog::ID_TEXTCTRL11 = wxNewId();

wxBEGIN_EVENT_TABLE(PointSliceDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

const long long BYTES_PER_MEGABYTE = 1048576;

wxTextCtrl *FactField(wxWindow *parent, long id, const wxString &name)
{
    auto *field = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, name);
    field->Disable();
    return field;
}

wxStaticText *Label(wxWindow *parent, long id, const wxString &text, const wxString &name)
{
    return new wxStaticText(parent, id, text, wxDefaultPosition, wxDefaultSize, 0, name);
}

} // namespace

PointSliceDialog::PointSliceDialog(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _("Velmo slice"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id");
    const int centred = wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;
    const int label = wxALL | wxALIGN_CENTER_VERTICAL;

    auto *outer = new wxFlexGridSizer(0, 1, 0, 0);
    auto *grid = new wxFlexGridSizer(0, 3, 0, 0);

    // File path.
    grid->Add(Label(this, ID_STATICTEXT1, _("File path"), "ID_STATICTEXT1"), 1, label, 5);
    PathText = new wxTextCtrl(this, ID_TEXTCTRL1, wxEmptyString, wxDefaultPosition, wxSize(300, -1), 0,
                              wxDefaultValidator, "ID_TEXTCTRL1");
    PathText->SetMinSize(wxSize(300, -1));
    PathText->Disable();
    grid->Add(PathText, 1, centred, 5);
    BrowseButton = new wxButton(this, ID_BUTTON1, _("..."), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ID_BUTTON1");
    grid->Add(BrowseButton, 1, centred, 5);

    // File capacity.
    grid->Add(Label(this, ID_STATICTEXT2, _("File capacity"), "ID_STATICTEXT2"), 1, label, 5);
    CapacityText = FactField(this, ID_TEXTCTRL2, "ID_TEXTCTRL2");
    grid->Add(CapacityText, 1, wxALL | wxEXPAND, 5);
    grid->Add(Label(this, ID_STATICTEXT3, _("MB"), "ID_STATICTEXT3"), 1, centred, 5);

    // Point number.
    grid->Add(Label(this, ID_STATICTEXT4, _("Point num"), "ID_STATICTEXT4"), 1, label, 5);
    PointNumText = FactField(this, ID_TEXTCTRL4, "ID_TEXTCTRL4");
    grid->Add(PointNumText, 1, wxALL | wxEXPAND, 5);
    grid->AddStretchSpacer(1);

    // Bounding box extents.
    grid->Add(Label(this, ID_STATICTEXT5, _("Boundingbox"), "ID_STATICTEXT5"), 1, label, 5);
    auto *extents = new wxFlexGridSizer(0, 6, 0, 0);
    const long extentLabels[3] = {ID_STATICTEXT9, ID_STATICTEXT10, ID_STATICTEXT11};
    const long extentFields[3] = {ID_TEXTCTRL7, ID_TEXTCTRL8, ID_TEXTCTRL9};
    const char *extentNames[3][2] = {{"ID_STATICTEXT9", "ID_TEXTCTRL7"},
                                     {"ID_STATICTEXT10", "ID_TEXTCTRL8"},
                                     {"ID_STATICTEXT11", "ID_TEXTCTRL9"}};
    const wxString axes[3] = {_("X"), _("Y"), _("Z")};
    for (int k = 0; k < 3; k++) {
        extents->Add(Label(this, extentLabels[k], axes[k], extentNames[k][0]), 1, centred, 5);
        ExtentText[k] = FactField(this, extentFields[k], extentNames[k][1]);
        extents->Add(ExtentText[k], 1, centred, 5);
    }
    grid->Add(extents, 1, wxALL | wxEXPAND, 5);
    grid->AddStretchSpacer(1);

    // Slice counts.
    grid->Add(Label(this, ID_STATICTEXT6, _("Slice num"), "ID_STATICTEXT6"), 1, label, 5);
    auto *counts = new wxFlexGridSizer(0, 6, 0, 0);
    const long countLabels[3] = {ID_STATICTEXT7, ID_STATICTEXT8, ID_STATICTEXT12};
    const long countFields[3] = {ID_TEXTCTRL3, ID_TEXTCTRL10, ID_TEXTCTRL11};
    const char *countNames[3][2] = {{"ID_STATICTEXT7", "ID_TEXTCTRL3"},
                                    {"ID_STATICTEXT8", "ID_TEXTCTRL10"},
                                    {"ID_STATICTEXT12", "ID_TEXTCTRL11"}};
    for (int k = 0; k < 3; k++) {
        counts->Add(Label(this, countLabels[k], axes[k], countNames[k][0]), 1, centred, 5);
        SliceText[k] = new wxTextCtrl(this, countFields[k], _("1"), wxDefaultPosition, wxDefaultSize, 0,
                                      wxDefaultValidator, countNames[k][1]);
        counts->Add(SliceText[k], 1, centred, 5);
    }
    grid->Add(counts, 1, wxALL | wxEXPAND, 5);
    grid->AddStretchSpacer(1);
    outer->Add(grid, 1, centred, 5);

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    OkButton = new wxButton(this, wxID_OK, _("OK"));
    OkButton->Disable();
    buttons->Add(OkButton, 1, centred, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 1, centred, 5);
    outer->Add(buttons, 1, centred, 5);

    SetSizer(outer);
    outer->Fit(this);
    outer->SetSizeHints(this);
    CentreOnParent(wxBOTH);

    Bind(wxEVT_BUTTON, &PointSliceDialog::OnBrowse, this, ID_BUTTON1);
}

wxString PointSliceDialog::GetPath() const
{
    return PathText->GetValue();
}

wxString PointSliceDialog::GetSliceText(int axis) const
{
    return axis >= 0 && axis < 3 ? SliceText[axis]->GetValue() : wxString();
}

int PointSliceDialog::ReadCount(const wxString &text)
{
    wxString trimmed = text;
    trimmed.Trim().Trim(false);
    const wxScopedCharBuffer utf8 = trimmed.utf8_str();
    const char *start = utf8.data() ? utf8.data() : "";
    // Digits after an optional sign and nothing else: "2,5" or "2.9" is no
    // count of slices, and slicing it as 2 would cut the file wrongly.
    const char *digits = start + (*start == '+' || *start == '-' ? 1 : 0);
    if (*digits == '\0' || std::strspn(digits, "0123456789") != std::strlen(digits))
        return 0;
    char *end = nullptr;
    errno = 0;
    long long number = std::strtoll(start, &end, 10);
    if (end == start)
        return 0;
    if (number > INT_MAX)
        return INT_MAX;
    if (number < INT_MIN)
        return INT_MIN;
    return (int)number;
}

void PointSliceDialog::OnBrowse(wxCommandEvent &)
{
    wxString path;
    const wxString message = _("Select las file to slice.");
    const wxString wildcard = _("Las file(*.las)|*.las");
    if (m_chooser) {
        if (!m_chooser->Choose(this, message, wildcard, wxFD_OPEN, &path))
            return;
    } else {
        DialogFileChooser chooser;
        if (!chooser.Choose(this, message, wildcard, wxFD_OPEN, &path))
            return;
    }
    ShowFileFacts(path);
}

bool PointSliceDialog::ShowFileFacts(const wxString &path)
{
    // The chooser also takes typed names of files that do not exist, and a
    // folder or a pipe would open but is no LAS file.
    wxFile file;
    bool opened = false;
    if (wxFileName::FileExists(path)) {
        wxLogNull quiet;
        opened = file.Open(path, wxFile::read);
    }
    if (!opened) {
        wxMessageBox(wxString::Format(_("Cannot open file %s."), path), _("Error"), wxOK | wxCENTRE | wxICON_ERROR,
                     this);
        return false;
    }
    char utf8[VELMO_PATH_SIZE];
    if (!VelmoPath::ToUtf8(path, utf8)) {
        wxMessageBox(wxString::Format(_("The path is too long: %s"), path), _("Error"),
                     wxOK | wxCENTRE | wxICON_ERROR, this);
        return false;
    }
    double box[6];
    char reason[VELMO_PATH_SIZE + 128];
    const int32_t points = velmo_read_las_facts(utf8, box, reason, sizeof reason);
    if (points < 0) {
        wxMessageBox(wxString::Format(_("The file is not a LAS file this program can read.\n%s"),
                                      wxString::FromUTF8(reason)),
                     _("Error"), wxOK | wxCENTRE | wxICON_ERROR, this);
        return false;
    }
    m_pointNumber = points;
    std::copy(box, box + 6, m_box);
    PathText->ChangeValue(path);
    const wxFileOffset length = file.Length();
    m_capacity = length > 0 ? (uint32_t)(length / BYTES_PER_MEGABYTE) : 0;
    CapacityText->ChangeValue(wxString::Format("%u", m_capacity));
    PointNumText->ChangeValue(wxString::Format("%d", m_pointNumber));
    for (int k = 0; k < 3; k++)
        ExtentText[k]->ChangeValue(wxString::Format("%.0f", m_box[k + 3] - m_box[k]));
    OkButton->Enable();
    return true;
}
