#include "V_Line.h"

#include "VerticalDialogLayout.h"

#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

const long V_Line::ID_STATICTEXT1 = wxNewId();
const long V_Line::ID_STATICLINE1 = wxNewId();
const long V_Line::ID_RADIOBUTTON1 = wxNewId();
const long V_Line::ID_RADIOBUTTON2 = wxNewId();
const long V_Line::ID_STATICTEXT2 = wxNewId();
const long V_Line::ID_TEXTCTRL1 = wxNewId();
const long V_Line::ID_STATICTEXT3 = wxNewId();
const long V_Line::ID_TEXTCTRL2 = wxNewId();
const long V_Line::ID_STATICLINE2 = wxNewId();

wxBEGIN_EVENT_TABLE(V_Line, wxDialog)
wxEND_EVENT_TABLE()

V_Line::V_Line(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &)
{
    Create(parent, id, _(L"竖曲线"), wxDefaultPosition, wxDefaultSize, wxCAPTION, "id");
    SetClientSize(wxDefaultSize);
    Move(wxDefaultPosition);
    VerticalDialogLayout layout(this, ID_STATICTEXT1, _("Line"), ID_STATICLINE1);
    // The first button starts a new group so that the two act together.
    LengthRadio = new wxRadioButton(this, ID_RADIOBUTTON1, _("Length"), wxDefaultPosition, wxDefaultSize,
                                    wxRB_GROUP, wxDefaultValidator, "ID_RADIOBUTTON1");
    layout.AddField(LengthRadio);
    MileageRadio = new wxRadioButton(this, ID_RADIOBUTTON2, _("Mileage"), wxDefaultPosition, wxDefaultSize, 0,
                                     wxDefaultValidator, "ID_RADIOBUTTON2");
    layout.AddField(MileageRadio);
    FirstLabel = new wxStaticText(this, ID_STATICTEXT2, _("Length"), wxDefaultPosition, wxSize(80, 20), 0,
                                  "ID_STATICTEXT2");
    layout.AddLabel(FirstLabel);
    FirstText = layout.NewTextField(ID_TEXTCTRL1, "ID_TEXTCTRL1");
    layout.AddField(FirstText);
    SecondLabel = new wxStaticText(this, ID_STATICTEXT3, wxEmptyString, wxDefaultPosition, wxSize(80, 20), 0,
                                   "ID_STATICTEXT3");
    layout.AddLabel(SecondLabel);
    SecondText = layout.NewTextField(ID_TEXTCTRL2, "ID_TEXTCTRL2");
    layout.AddField(SecondText);
    layout.Finish(ID_STATICLINE2);

    LengthRadio->SetValue(true);
    SecondText->Disable();
    Connect(ID_RADIOBUTTON1, wxEVT_RADIOBUTTON, wxCommandEventHandler(V_Line::OnLengthRadio));
    Connect(ID_RADIOBUTTON2, wxEVT_RADIOBUTTON, wxCommandEventHandler(V_Line::OnMileageRadio));
    // Typing goes to the first number, not to the mode buttons.
    FirstText->SetFocus();
    CentreOnScreen(wxBOTH);
}

V_Line::~V_Line()
{
}

void V_Line::OnLengthRadio(wxCommandEvent &)
{
    if (!LengthRadio->GetValue())
        return;
    FirstLabel->SetLabel(_("Length"));
    SecondLabel->SetLabel(wxEmptyString);
    SecondText->Disable();
}

void V_Line::OnMileageRadio(wxCommandEvent &)
{
    if (!MileageRadio->GetValue())
        return;
    FirstLabel->SetLabel(_("Start mileage"));
    SecondLabel->SetLabel(_("End mileage"));
    SecondText->Enable();
}
