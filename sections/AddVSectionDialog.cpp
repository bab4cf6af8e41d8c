#include "AddVSectionDialog.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

const long AddVSectionDialog::ID_STATICTEXT1 = wxNewId();
const long AddVSectionDialog::ID_TEXTCTRL1 = wxNewId();
const long AddVSectionDialog::ID_STATICTEXT2 = wxNewId();
const long AddVSectionDialog::ID_TEXTCTRL2 = wxNewId();
const long AddVSectionDialog::ID_STATICTEXT3 = wxNewId();
const long AddVSectionDialog::ID_TEXTCTRL3 = wxNewId();

wxBEGIN_EVENT_TABLE(AddVSectionDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

wxTextCtrl *AddRow(wxWindow *parent, wxSizer *grid, long labelId, const char *labelName, const wxString &label,
                   long fieldId, const char *fieldName)
{
    grid->Add(new wxStaticText(parent, labelId, label, wxDefaultPosition, wxDefaultSize, 0, labelName), 1,
              wxALL | wxALIGN_CENTER_VERTICAL, 5);
    auto *field = new wxTextCtrl(parent, fieldId, wxEmptyString, wxDefaultPosition, wxSize(160, -1), 0,
                                 wxDefaultValidator, fieldName);
    grid->Add(field, 1, wxALL | wxEXPAND, 5);
    return field;
}

} // namespace

AddVSectionDialog::AddVSectionDialog(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    Create(parent, id, _("Add vertical section"), pos, size, wxDEFAULT_DIALOG_STYLE);
    auto *column = new wxFlexGridSizer(0, 1, 0, 0);
    auto *grid = new wxFlexGridSizer(0, 2, 0, 0);
    m_centerX = AddRow(this, grid, ID_STATICTEXT1, "ID_STATICTEXT1", _("Center X"), ID_TEXTCTRL1, "ID_TEXTCTRL1");
    m_centerY = AddRow(this, grid, ID_STATICTEXT2, "ID_STATICTEXT2", _("Center Y"), ID_TEXTCTRL2, "ID_TEXTCTRL2");
    m_azimuth = AddRow(this, grid, ID_STATICTEXT3, "ID_STATICTEXT3", _("Azimuth angle"), ID_TEXTCTRL3,
                       "ID_TEXTCTRL3");
    column->Add(grid, 1, wxALL | wxEXPAND, 5);
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, wxID_OK, _("OK")), 1, wxALL, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 1, wxALL, 5);
    column->Add(buttons, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    SetSizer(column);
    column->Fit(this);
    column->SetSizeHints(this);
    CentreOnParent();
    m_centerX->SetFocus();
}

AddVSectionDialog::~AddVSectionDialog() = default;
