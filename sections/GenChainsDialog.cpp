#include "GenChainsDialog.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

const long GenChainsDialog::ID_STATICTEXT1 = wxNewId();
const long GenChainsDialog::ID_TEXTCTRL1 = wxNewId();
const long GenChainsDialog::ID_STATICTEXT2 = wxNewId();
const long GenChainsDialog::ID_TEXTCTRL2 = wxNewId();
const long GenChainsDialog::ID_STATICTEXT3 = wxNewId();
const long GenChainsDialog::ID_TEXTCTRL3 = wxNewId();

wxBEGIN_EVENT_TABLE(GenChainsDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

wxTextCtrl *AddRow(wxWindow *parent, wxSizer *grid, long labelId, const wxString &labelName, const wxString &label,
                   long fieldId, const wxString &fieldName, wxStaticText **labelOut)
{
    *labelOut = new wxStaticText(parent, labelId, label, wxDefaultPosition, wxDefaultSize, 0, labelName);
    grid->Add(*labelOut, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    auto *field = new wxTextCtrl(parent, fieldId, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, fieldName);
    grid->Add(field, 1, wxALL | wxEXPAND, 5);
    return field;
}

} // namespace

GenChainsDialog::GenChainsDialog(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _("Generate chains"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
    auto *column = new wxFlexGridSizer(0, 1, 0, 0);
    auto *fields = new wxFlexGridSizer(0, 2, 0, 0);
    m_startField = AddRow(this, fields, ID_STATICTEXT1, "ID_STATICTEXT1", _("Start chain"), ID_TEXTCTRL1,
                          "ID_TEXTCTRL1", &m_startLabel);
    m_endField = AddRow(this, fields, ID_STATICTEXT2, "ID_STATICTEXT2", _("End chain"), ID_TEXTCTRL2, "ID_TEXTCTRL2",
                        &m_endLabel);
    m_spacingField = AddRow(this, fields, ID_STATICTEXT3, "ID_STATICTEXT3", _("Chain spacing"), ID_TEXTCTRL3,
                            "ID_TEXTCTRL3", &m_spacingLabel);
    column->Add(fields, 1, wxALL | wxEXPAND, 5);

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    m_okButton = new wxButton(this, wxID_OK, _("OK"));
    buttons->Add(m_okButton, 1, wxALL, 5);
    m_cancelButton = new wxButton(this, wxID_CANCEL, _("Cancel"));
    buttons->Add(m_cancelButton, 1, wxALL, 5);
    column->Add(buttons, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    SetSizer(column);
    column->Fit(this);
    column->SetSizeHints(this);
    Centre();
    m_startField->SetFocus();
}

GenChainsDialog::~GenChainsDialog() = default;
