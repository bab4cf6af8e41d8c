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
    AddModeButtons(this, grid, ID_RADIOBUTTON1, ID_RADIOBUTTON2, &RadioButton1, &RadioButton2);
    StaticText2 = AddLabel(this, grid, ID_STATICTEXT2, "ID_STATICTEXT2", _(" Length"), wxSize(80, 20));
    TextCtrl1 = AddField(this, grid, ID_TEXTCTRL1, "ID_TEXTCTRL1");
    StaticText3 = AddLabel(this, grid, ID_STATICTEXT3, "ID_STATICTEXT3", wxEmptyString, wxSize(80, 20));
    TextCtrl2 = AddField(this, grid, ID_TEXTCTRL2, "ID_TEXTCTRL2");
    TextCtrl2->Enable(false);
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
