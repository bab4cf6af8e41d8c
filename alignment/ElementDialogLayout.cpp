#include "ElementDialogLayout.h"

#include <wx/button.h>
#include <wx/font.h>
#include <wx/intl.h>
#include <wx/toplevel.h>

#include <algorithm>

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

wxStaticText *AddLabel(wxWindow *parent, wxSizer *grid, long id, const wxString &name, const wxString &text,
                       const wxSize &least)
{
    auto *label = new wxStaticText(parent, id, text, wxDefaultPosition, wxDefaultSize, 0, name);
    KeepAtLeast(label, least);
    grid->Add(label, 1, wxALL | wxEXPAND, 5);
    return label;
}

wxTextCtrl *AddField(wxWindow *parent, wxSizer *grid, long id, const wxString &name)
{
    wxTextCtrl *field = Field(parent, id, name);
    grid->Add(field, 1, wxALL | wxALIGN_CENTER, 5);
    return field;
}

void AddModeButtons(wxWindow *parent, wxSizer *grid, long lengthId, long mileageId, wxRadioButton **length,
                    wxRadioButton **mileage)
{
    *length = new wxRadioButton(parent, lengthId, _("Length"), wxDefaultPosition, wxDefaultSize, wxRB_GROUP,
                                wxDefaultValidator, "ID_RADIOBUTTON1");
    (*length)->SetValue(true);
    grid->Add(*length, 1, wxALL | wxALIGN_CENTER, 5);
    *mileage = new wxRadioButton(parent, mileageId, _("Mileage"), wxDefaultPosition, wxDefaultSize, 0,
                                 wxDefaultValidator, "ID_RADIOBUTTON2");
    grid->Add(*mileage, 1, wxALL | wxALIGN_CENTER, 5);
}

wxChoice *AddTurnChoice(wxWindow *parent, wxSizer *grid, long id)
{
    auto *turn = new wxChoice(parent, id, wxDefaultPosition, wxSize(100, -1), 0, nullptr, 0, wxDefaultValidator,
                              "ID_CHOICE1");
    turn->Append(_("Left"));
    turn->Append(_("Right"));
    turn->SetSelection(0);
    grid->Add(turn, 1, wxALL | wxALIGN_CENTER, 5);
    return turn;
}

} // namespace element_dialog

namespace element_dialog {

void KeepAtLeast(wxStaticText *label, const wxSize &size)
{
    label->InvalidateBestSize();
    const wxSize best = label->GetBestSize();
    label->SetMinSize(wxSize(std::max(size.x, best.x), std::max(size.y, best.y)));
}

namespace {

// Longer labels get room rather than being cut off.
void FitLabels(wxStaticText *firstLabel, wxStaticText *secondLabel)
{
    KeepAtLeast(firstLabel, firstLabel->GetMinSize());
    KeepAtLeast(secondLabel, secondLabel->GetMinSize());
    wxWindow *dialog = wxGetTopLevelParent(firstLabel);
    if (dialog && dialog->GetSizer()) {
        dialog->GetSizer()->Layout();
        dialog->Fit();
    }
}

} // namespace

void ShowLengthMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField)
{
    firstLabel->SetLabel(_("Length"));
    secondLabel->SetLabel(wxEmptyString);
    secondField->Enable(false);
    FitLabels(firstLabel, secondLabel);
}

void ShowMileageMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField)
{
    firstLabel->SetLabel(_("Start mileage"));
    secondLabel->SetLabel(_("End mileage"));
    secondField->Enable(true);
    FitLabels(firstLabel, secondLabel);
}

} // namespace element_dialog
