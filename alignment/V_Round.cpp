#include "V_Round.h"

#include "VerticalDialogLayout.h"

#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

const long V_Round::ID_STATICTEXT1 = wxNewId();
const long V_Round::ID_STATICLINE1 = wxNewId();
const long V_Round::ID_RADIOBUTTON1 = wxNewId();
const long V_Round::ID_RADIOBUTTON2 = wxNewId();
const long V_Round::ID_STATICTEXT4 = wxNewId();
const long V_Round::ID_CHOICE1 = wxNewId();
const long V_Round::ID_STATICTEXT2 = wxNewId();
const long V_Round::ID_TEXTCTRL1 = wxNewId();
const long V_Round::ID_STATICTEXT3 = wxNewId();
const long V_Round::ID_TEXTCTRL2 = wxNewId();
const long V_Round::ID_STATICTEXT5 = wxNewId();
const long V_Round::ID_TEXTCTRL3 = wxNewId();
const long V_Round::ID_STATICLINE2 = wxNewId();

wxBEGIN_EVENT_TABLE(V_Round, wxDialog)
wxEND_EVENT_TABLE()

V_Round::V_Round(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _(L"竖曲线"), wxDefaultPosition, wxDefaultSize, wxCAPTION, "id");
    SetClientSize(wxDefaultSize);
    Move(wxDefaultPosition);
    VerticalDialogLayout layout(this, ID_STATICTEXT1, _("Circle"), ID_STATICLINE1);
    LengthRadio = new wxRadioButton(this, ID_RADIOBUTTON1, _("Length"), wxDefaultPosition, wxDefaultSize,
                                    wxRB_GROUP, wxDefaultValidator, "ID_RADIOBUTTON1");
    layout.AddField(LengthRadio);
    MileageRadio = new wxRadioButton(this, ID_RADIOBUTTON2, _("Mileage"), wxDefaultPosition, wxDefaultSize, 0,
                                     wxDefaultValidator, "ID_RADIOBUTTON2");
    layout.AddField(MileageRadio);
    layout.AddLabel(new wxStaticText(this, ID_STATICTEXT4, _("Turn"), wxDefaultPosition, wxSize(70, 15), 0,
                                     "ID_STATICTEXT4"));
    TurnChoice = new wxChoice(this, ID_CHOICE1, wxDefaultPosition, wxSize(100, -1), 0, nullptr, 0,
                              wxDefaultValidator, "ID_CHOICE1");
    TurnChoice->Append(_("Up"));
    TurnChoice->Append(_("Down"));
    layout.AddField(TurnChoice);
    layout.AddLabel(new wxStaticText(this, ID_STATICTEXT2, _("Radius"), wxDefaultPosition, wxSize(70, 15), 0,
                                     "ID_STATICTEXT2"));
    RadiusText = layout.NewTextField(ID_TEXTCTRL1, "ID_TEXTCTRL1");
    layout.AddField(RadiusText);
    FirstLabel = new wxStaticText(this, ID_STATICTEXT3, _("Length"), wxDefaultPosition, wxSize(70, 15), 0,
                                  "ID_STATICTEXT3");
    layout.AddLabel(FirstLabel);
    FirstText = layout.NewTextField(ID_TEXTCTRL2, "ID_TEXTCTRL2");
    layout.AddField(FirstText);
    SecondLabel = new wxStaticText(this, ID_STATICTEXT5, wxEmptyString, wxDefaultPosition, wxSize(70, 15), 0,
                                   "ID_STATICTEXT5");
    layout.AddLabel(SecondLabel);
    SecondText = layout.NewTextField(ID_TEXTCTRL3, "ID_TEXTCTRL3");
    layout.AddField(SecondText);
    layout.Finish(ID_STATICLINE2);

    LengthRadio->SetValue(true);
    SecondText->Disable();
    TurnChoice->SetSelection(0);
    Connect(ID_RADIOBUTTON1, wxEVT_RADIOBUTTON, wxCommandEventHandler(V_Round::OnLengthRadio));
    Connect(ID_RADIOBUTTON2, wxEVT_RADIOBUTTON, wxCommandEventHandler(V_Round::OnMileageRadio));
    // Typing goes to the first number, not to the mode buttons.
    RadiusText->SetFocus();
    CentreOnScreen(wxBOTH);
}

V_Round::~V_Round()
{
}

void V_Round::OnLengthRadio(wxCommandEvent &)
{
    if (!LengthRadio->GetValue())
        return;
    FirstLabel->SetLabel(_("Length"));
    SecondLabel->SetLabel(wxEmptyString);
    SecondText->Disable();
}

void V_Round::OnMileageRadio(wxCommandEvent &)
{
    if (!MileageRadio->GetValue())
        return;
    FirstLabel->SetLabel(_("Start mileage"));
    SecondLabel->SetLabel(_("End mileage"));
    SecondText->Enable();
}
