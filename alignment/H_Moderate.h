// A transition curve (spiral) of the horizontal alignment: turn, start and end
// radius (0 for a straight end) and length (or start and end mileage).
// Shows fields only; the owner reads and checks them.
#pragma once

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class H_Moderate : public wxDialog
{
public:
    H_Moderate(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
               const wxSize &size = wxDefaultSize);

    static const long ID_STATICTEXT1;
    static const long ID_STATICLINE1;
    static const long ID_RADIOBUTTON1;
    static const long ID_RADIOBUTTON2;
    static const long ID_STATICTEXT5;
    static const long ID_CHOICE1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICTEXT6;
    static const long ID_TEXTCTRL4;
    static const long ID_STATICLINE2;

    wxStaticText *StaticText1;   // header
    wxRadioButton *RadioButton1; // "Length"
    wxRadioButton *RadioButton2; // "Mileage"
    wxChoice *Choice1;           // turn: "Left", "Right"
    wxTextCtrl *TextCtrl1;       // start radius
    wxTextCtrl *TextCtrl2;       // end radius
    wxStaticText *StaticText4;   // first measure label
    wxTextCtrl *TextCtrl3;       // length or start mileage
    wxStaticText *StaticText6;   // second measure label
    wxTextCtrl *TextCtrl4;       // end mileage

    void OnLengthSelected(wxCommandEvent &event);
    void OnMileageSelected(wxCommandEvent &event);

private:
    wxDECLARE_EVENT_TABLE();
};
