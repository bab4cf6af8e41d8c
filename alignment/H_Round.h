// A circular curve of the horizontal alignment: turn, radius and length (or
// start and end mileage).  Shows fields only; the owner reads and checks them.
#pragma once

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class H_Round : public wxDialog
{
public:
    H_Round(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
            const wxSize &size = wxDefaultSize);

    static const long ID_STATICTEXT1;
    static const long ID_STATICLINE1;
    static const long ID_RADIOBUTTON1;
    static const long ID_RADIOBUTTON2;
    static const long ID_STATICTEXT4;
    static const long ID_CHOICE1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT5;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICLINE2;

    wxStaticText *StaticText1;   // header
    wxRadioButton *RadioButton1; // "Length"
    wxRadioButton *RadioButton2; // "Mileage"
    wxChoice *Choice1;           // turn: "Left", "Right"
    wxTextCtrl *TextCtrl1;       // radius
    wxStaticText *StaticText3;   // first measure label
    wxTextCtrl *TextCtrl2;       // length or start mileage
    wxStaticText *StaticText5;   // second measure label
    wxTextCtrl *TextCtrl3;       // end mileage

    void OnLengthSelected(wxCommandEvent &event);
    void OnMileageSelected(wxCommandEvent &event);

private:
    wxDECLARE_EVENT_TABLE();
};
