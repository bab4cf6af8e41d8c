#include "H_StartPoint.h"

#include "ElementDialogLayout.h"

#include <wx/intl.h>
#include <wx/sizer.h>

const long H_StartPoint::ID_STATICTEXT5 = wxNewId();
const long H_StartPoint::ID_STATICLINE1 = wxNewId();
const long H_StartPoint::ID_STATICTEXT3 = wxNewId();
const long H_StartPoint::ID_TEXTCTRL3 = wxNewId();
const long H_StartPoint::ID_STATICTEXT4 = wxNewId();
const long H_StartPoint::ID_TEXTCTRL4 = wxNewId();
const long H_StartPoint::ID_STATICTEXT1 = wxNewId();
const long H_StartPoint::ID_TEXTCTRL1 = wxNewId();
const long H_StartPoint::ID_STATICTEXT2 = wxNewId();
const long H_StartPoint::ID_TEXTCTRL2 = wxNewId();
const long H_StartPoint::ID_STATICLINE2 = wxNewId();

wxBEGIN_EVENT_TABLE(H_StartPoint, wxDialog)
wxEND_EVENT_TABLE()

H_StartPoint::H_StartPoint(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size)
{
    using namespace element_dialog;
    // 1. Caption-only frame.
    Create(parent, id, _(wxString::FromUTF8("平曲线")), pos, size, wxCAPTION);
    // 2-4. Header and separator.
    auto *top = new wxBoxSizer(wxVERTICAL);
    StaticText5 = Header(this, ID_STATICTEXT5, "ID_STATICTEXT5", _("Start point"));
    top->Add(StaticText5, 0, wxALL | wxEXPAND, 5);
    top->Add(Separator(this, ID_STATICLINE1, "ID_STATICLINE1", wxLI_VERTICAL), 0, wxALL | wxEXPAND, 5);
    // 5-7. The field grid.
    auto *grid = new wxFlexGridSizer(0, 2, 0, 0);
    auto row = [this, grid](long labelId, const char *labelName, const wxString &label, wxTextCtrl *field,
                            int fieldFlags) {
        grid->Add(new wxStaticText(this, labelId, label, wxDefaultPosition, wxDefaultSize, 0, labelName), 1,
                  wxALL | wxEXPAND, 5);
        grid->Add(field, 1, wxALL | fieldFlags, 5);
    };
    TextCtrl3 = Field(this, ID_TEXTCTRL3, "ID_TEXTCTRL3", "0");
    row(ID_STATICTEXT3, "ID_STATICTEXT3", _("Mileage(m) "), TextCtrl3, wxALIGN_LEFT | wxALIGN_TOP);
    TextCtrl4 = Field(this, ID_TEXTCTRL4, "ID_TEXTCTRL4", "0");
    row(ID_STATICTEXT4, "ID_STATICTEXT4", _("Direction(d.mmss)"), TextCtrl4, wxALIGN_CENTER_HORIZONTAL);
    TextCtrl1 = Field(this, ID_TEXTCTRL1, "ID_TEXTCTRL1", "0");
    row(ID_STATICTEXT1, "ID_STATICTEXT1", _("North"), TextCtrl1, wxALIGN_CENTER_HORIZONTAL);
    TextCtrl2 = Field(this, ID_TEXTCTRL2, "ID_TEXTCTRL2", "0");
    row(ID_STATICTEXT2, "ID_STATICTEXT2", _("East "), TextCtrl2, wxALIGN_CENTER_HORIZONTAL);
    top->Add(grid, 1, wxALL | wxEXPAND, 5);
    top->Add(Separator(this, ID_STATICLINE2, "ID_STATICLINE2"), 0, wxALL | wxEXPAND, 5);
    top->Add(Buttons(this), 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    // 8. Fit and centre.
    SetSizerAndFit(top);
    Centre(wxBOTH);
}
