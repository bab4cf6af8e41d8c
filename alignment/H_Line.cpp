#include "H_Line.h"

#include "ElementDialogLayout.h"

#include <wx/intl.h>
#include <wx/sizer.h>

const long H_Line::ID_STATICTEXT1 = wxNewId();
const long H_Line::ID_STATICLINE1 = wxNewId();
const long H_Line::ID_RADIOBUTTON1 = wxNewId();
const long H_Line::ID_RADIOBUTTON2 = wxNewId();
const long H_Line::ID_STATICTEXT2 = wxNewId();
const long H_Line::ID_TEXTCTRL1 = wxNewId();
const long H_Line::ID_STATICTEXT3 = wxNewId();
const long H_Line::ID_TEXTCTRL2 = wxNewId();
const long H_Line::ID_STATICLINE2 = wxNewId();

wxBEGIN_EVENT_TABLE(H_Line, wxDialog)
wxEND_EVENT_TABLE()

H_Line::H_Line(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    using namespace element_dialog;
    // 1. Caption-only frame.
    Create(parent, id, _(wxString::FromUTF8("平曲线")), pos, size, wxCAPTION);
    // 2-4. Header and separator.
    auto *top = new wxFlexGridSizer(0, 1, 0, 0);
    StaticText1 = Header(this, ID_STATICTEXT1, "ID_STATICTEXT1", _("Line"));
    top->Add(StaticText1, 1, wxALL | wxEXPAND, 5);
    top->Add(Separator(this, ID_STATICLINE1, "ID_STATICLINE1"), 1, wxALL | wxEXPAND, 5);
    // 5-7. The field grid: mode, then the two measure rows.
    auto *grid = new wxFlexGridSizer(0, 2, 0, 0);
    RadioButton1 = new wxRadioButton(this, ID_RADIOBUTTON1, _("Length"), wxDefaultPosition, wxDefaultSize,
                                     wxRB_GROUP, wxDefaultValidator, "ID_RADIOBUTTON1");
    RadioButton1->SetValue(true);
    grid->Add(RadioButton1, 1, wxALL | wxALIGN_CENTER, 5);
    RadioButton2 = new wxRadioButton(this, ID_RADIOBUTTON2, _("Mileage"), wxDefaultPosition, wxDefaultSize, 0,
                                     wxDefaultValidator, "ID_RADIOBUTTON2");
    grid->Add(RadioButton2, 1, wxALL | wxALIGN_CENTER, 5);
    // At least 80 x 20, and wider where a label needs it ("Start mileage").
    StaticText2 = new wxStaticText(this, ID_STATICTEXT2, _(" Length"), wxDefaultPosition, wxDefaultSize, 0,
                                   "ID_STATICTEXT2");
    element_dialog::KeepAtLeast(StaticText2, wxSize(80, 20));
    grid->Add(StaticText2, 1, wxALL | wxEXPAND, 5);
    TextCtrl1 = Field(this, ID_TEXTCTRL1, "ID_TEXTCTRL1");
    grid->Add(TextCtrl1, 1, wxALL | wxALIGN_CENTER, 5);
    StaticText3 = new wxStaticText(this, ID_STATICTEXT3, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                   "ID_STATICTEXT3");
    element_dialog::KeepAtLeast(StaticText3, wxSize(80, 20));
    grid->Add(StaticText3, 1, wxALL | wxEXPAND, 5);
    TextCtrl2 = Field(this, ID_TEXTCTRL2, "ID_TEXTCTRL2");
    TextCtrl2->Enable(false);
    grid->Add(TextCtrl2, 1, wxALL | wxALIGN_CENTER, 5);
    top->Add(grid, 1, wxALL | wxEXPAND, 5);
    top->Add(Separator(this, ID_STATICLINE2, "ID_STATICLINE2"), 1, wxALL | wxEXPAND, 5);
    top->Add(Buttons(this), 1, wxALL | wxALIGN_CENTER, 5);
    // 8. Fit and centre.
    SetSizerAndFit(top);
    Centre(wxBOTH);
    Bind(wxEVT_RADIOBUTTON, &H_Line::OnLengthSelected, this, ID_RADIOBUTTON1);
    Bind(wxEVT_RADIOBUTTON, &H_Line::OnMileageSelected, this, ID_RADIOBUTTON2);
}

void H_Line::OnLengthSelected(wxCommandEvent &)
{
    if (RadioButton1->GetValue())
        element_dialog::ShowLengthMode(StaticText2, StaticText3, TextCtrl2);
}

void H_Line::OnMileageSelected(wxCommandEvent &)
{
    if (RadioButton2->GetValue())
        element_dialog::ShowMileageMode(StaticText2, StaticText3, TextCtrl2);
}
