#include "VerticalDialogLayout.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

const int BORDER = 5;
const int CENTRED = wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;

} // namespace

VerticalDialogLayout::VerticalDialogLayout(wxDialog *dialog, long headingId, const wxString &heading, long lineId)
    : m_dialog(dialog), m_outer(new wxFlexGridSizer(0, 1, 0, 0)), m_fields(new wxFlexGridSizer(0, 2, 0, 0))
{
    auto *title = new wxStaticText(dialog, headingId, heading, wxDefaultPosition, wxDefaultSize, 0,
                                   "ID_STATICTEXT1");
    title->SetFont(wxFont(10, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, wxEmptyString,
                          wxFONTENCODING_DEFAULT));
    m_outer->Add(title, 1, CENTRED, BORDER);
    auto *line = new wxStaticLine(dialog, lineId, wxDefaultPosition, wxSize(250, -1), wxLI_HORIZONTAL,
                                  "ID_STATICLINE1");
    m_outer->Add(line, 1, CENTRED, BORDER);
}

void VerticalDialogLayout::AddLabel(wxWindow *label)
{
    m_fields->Add(label, 1, wxALL | wxEXPAND, BORDER);
}

void VerticalDialogLayout::AddField(wxWindow *field)
{
    m_fields->Add(field, 1, CENTRED, BORDER);
}

wxTextCtrl *VerticalDialogLayout::NewTextField(long id, const char *name)
{
    return new wxTextCtrl(m_dialog, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE,
                          wxDefaultValidator, name);
}

void VerticalDialogLayout::Finish(long lineId)
{
    m_outer->Add(m_fields, 1, CENTRED, BORDER);
    auto *line = new wxStaticLine(m_dialog, lineId, wxDefaultPosition, wxSize(250, -1), wxLI_HORIZONTAL,
                                  "ID_STATICLINE2");
    m_outer->Add(line, 1, CENTRED, BORDER);
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(m_dialog, wxID_OK, _("OK"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                              "wxID_OK"),
                 1, CENTRED, BORDER);
    buttons->Add(new wxButton(m_dialog, wxID_CANCEL, _("Cancel"), wxDefaultPosition, wxDefaultSize, 0,
                              wxDefaultValidator, "wxID_CANCEL"),
                 1, CENTRED, BORDER);
    m_outer->Add(buttons, 0, CENTRED, BORDER);
    m_dialog->SetSizer(m_outer);
    m_outer->SetSizeHints(m_dialog);
}
