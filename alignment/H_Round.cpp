#include "H_Round.h"

#include "ElementDialogLayout.h"

#include <wx/intl.h>
#include <wx/sizer.h>

const long H_Round::ID_STATICTEXT1 = wxNewId();
const long H_Round::ID_STATICLINE1 = wxNewId();
const long H_Round::ID_RADIOBUTTON1 = wxNewId();
const long H_Round::ID_RADIOBUTTON2 = wxNewId();
const long H_Round::ID_STATICTEXT4 = wxNewId();
const long H_Round::ID_CHOICE1 = wxNewId();
const long H_Round::ID_STATICTEXT2 = wxNewId();
const long H_Round::ID_TEXTCTRL1 = wxNewId();
const long H_Round::ID_STATICTEXT3 = wxNewId();
const long H_Round::ID_TEXTCTRL2 = wxNewId();
const long H_Round::ID_STATICTEXT5 = wxNewId();
const long H_Round::ID_TEXTCTRL3 = wxNewId();
const long H_Round::ID_STATICLINE2 = wxNewId();

wxBEGIN_EVENT_TABLE(H_Round, wxDialog)
wxEND_EVENT_TABLE()

H_Round::H_Round(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    using namespace element_dialog;
    // 1. Caption-only frame.
    Create(parent, id, _(wxString::FromUTF8("平曲线")), pos, size, wxCAPTION);
    // 2-4. Header and separator.
    auto *top = new wxFlexGridSizer(0, 1, 0, 0);
    StaticText1 = Header(this, ID_STATICTEXT1, "ID_STATICTEXT1", _("Circle"));
    top->Add(StaticText1, 1, wxALL | wxEXPAND, 5);
    top->Add(Separator(this, ID_STATICLINE1, "ID_STATICLINE1"), 1, wxALL | wxEXPAND, 5);
    // 5-7. The field grid: mode, turn, radii, then the two measure rows.
    auto *grid = new wxFlexGridSizer(0, 2, 0, 0);
    auto label = [this, grid](long labelId, const char *name, const wxString &text) {
        return AddLabel(this, grid, labelId, name, text, wxSize(70, 15));
    };
    auto field = [this, grid](long fieldId, const char *name) { return AddField(this, grid, fieldId, name); };
    AddModeButtons(this, grid, ID_RADIOBUTTON1, ID_RADIOBUTTON2, &RadioButton1, &RadioButton2);
    label(ID_STATICTEXT4, "ID_STATICTEXT4", _("Turn"));
    Choice1 = AddTurnChoice(this, grid, ID_CHOICE1);
    label(ID_STATICTEXT2, "ID_STATICTEXT2", _("Radius"));
    TextCtrl1 = field(ID_TEXTCTRL1, "ID_TEXTCTRL1");
    StaticText3 = label(ID_STATICTEXT3, "ID_STATICTEXT3", _("Length"));
    TextCtrl2 = field(ID_TEXTCTRL2, "ID_TEXTCTRL2");
    StaticText5 = label(ID_STATICTEXT5, "ID_STATICTEXT5", wxEmptyString);
    TextCtrl3 = field(ID_TEXTCTRL3, "ID_TEXTCTRL3");
    TextCtrl3->Enable(false);
    top->Add(grid, 1, wxALL | wxEXPAND, 5);
    top->Add(Separator(this, ID_STATICLINE2, "ID_STATICLINE2"), 1, wxALL | wxEXPAND, 5);
    top->Add(Buttons(this), 1, wxALL | wxALIGN_CENTER, 5);
    // 8. Fit and centre.
    SetSizerAndFit(top);
    Centre(wxBOTH);
    Bind(wxEVT_RADIOBUTTON, &H_Round::OnLengthSelected, this, ID_RADIOBUTTON1);
    Bind(wxEVT_RADIOBUTTON, &H_Round::OnMileageSelected, this, ID_RADIOBUTTON2);
}

void H_Round::OnLengthSelected(wxCommandEvent &)
{
    if (RadioButton1->GetValue())
        element_dialog::ShowLengthMode(StaticText3, StaticText5, TextCtrl3);
}

void H_Round::OnMileageSelected(wxCommandEvent &)
{
    if (RadioButton2->GetValue())
        element_dialog::ShowMileageMode(StaticText3, StaticText5, TextCtrl3);
}
