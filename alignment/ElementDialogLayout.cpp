#include "ElementDialogLayout.h"

#include <wx/button.h>
#include <wx/font.h>
#include <wx/intl.h>

namespace element_dialog {

wxStaticText *Header(wxWindow *parent, long id, const wxString &name, const wxString &text)
{
    auto *header = new wxStaticText(parent, id, text, wxDefaultPosition, wxDefaultSize, 0, name);
    header->SetFont(wxFont(10, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, wxEmptyString));
    return header;
}

wxStaticLine *Separator(wxWindow *parent, long id, const wxString &name, long style)
{
    return new wxStaticLine(parent, id, wxDefaultPosition, wxSize(250, -1), style, name);
}

wxTextCtrl *Field(wxWindow *parent, long id, const wxString &name, const wxString &text)
{
    // Wide enough for a survey coordinate or a d.mmss azimuth with its decimals.
    return new wxTextCtrl(parent, id, text, wxDefaultPosition, wxSize(150, -1), wxBORDER_SIMPLE, wxDefaultValidator,
                          name);
}

wxSizer *Buttons(wxWindow *parent)
{
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxButton(parent, wxID_OK, _("OK")), 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(new wxButton(parent, wxID_CANCEL, _("Cancel")), 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    return row;
}

} // namespace element_dialog

namespace element_dialog {

void ShowLengthMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField)
{
    firstLabel->SetLabel(_("Length"));
    secondLabel->SetLabel(wxEmptyString);
    secondField->Enable(false);
}

void ShowMileageMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField)
{
    firstLabel->SetLabel(_("Start mileage"));
    secondLabel->SetLabel(_("End mileage"));
    secondField->Enable(true);
}

} // namespace element_dialog
