#include "AddChainDialog.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

const long AddChainDialog::ID_STATICTEXT1 = wxNewId();
const long AddChainDialog::ID_TEXTCTRL1 = wxNewId();
const long AddChainDialog::ID_STATICTEXT2 = wxNewId();
const long AddChainDialog::ID_TEXTCTRL2 = wxNewId();

wxBEGIN_EVENT_TABLE(AddChainDialog, wxDialog)
wxEND_EVENT_TABLE()

AddChainDialog::AddChainDialog(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _("Add chain"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
    auto *column = new wxFlexGridSizer(0, 1, 0, 0);
    auto *fields = new wxFlexGridSizer(0, 2, 0, 0);
    m_firstLabel = new wxStaticText(this, ID_STATICTEXT1, _("Chain"), wxDefaultPosition, wxDefaultSize, 0,
                                    "ID_STATICTEXT1");
    fields->Add(m_firstLabel, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_firstField = new wxTextCtrl(this, ID_TEXTCTRL1, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "ID_TEXTCTRL1");
    fields->Add(m_firstField, 1, wxALL | wxEXPAND, 5);
    m_secondLabel = new wxStaticText(this, ID_STATICTEXT2, _("Height"), wxDefaultPosition, wxDefaultSize, 0,
                                     "ID_STATICTEXT2");
    fields->Add(m_secondLabel, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    m_secondField = new wxTextCtrl(this, ID_TEXTCTRL2, "0", wxDefaultPosition, wxDefaultSize, 0,
                                   wxDefaultValidator, "ID_TEXTCTRL2");
    fields->Add(m_secondField, 1, wxALL | wxEXPAND, 5);
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
    m_firstField->SetFocus();
}

AddChainDialog::~AddChainDialog() = default;
