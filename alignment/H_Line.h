// A straight of the horizontal alignment: its length, or the start and end
// mileage it spans.  Shows fields only; the owner reads and checks them.
#pragma once

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class H_Line : public wxDialog
{
public:
    H_Line(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
           const wxSize &size = wxDefaultSize);

    static const long ID_STATICTEXT1;
    static const long ID_STATICLINE1;
    static const long ID_RADIOBUTTON1;
    static const long ID_RADIOBUTTON2;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICLINE2;

    wxStaticText *StaticText1; // header
    wxRadioButton *RadioButton1; // "Length"
    wxRadioButton *RadioButton2; // "Mileage"
    wxStaticText *StaticText2; // first measure label
    wxTextCtrl *TextCtrl1;     // length or start mileage
    wxStaticText *StaticText3; // second measure label
    wxTextCtrl *TextCtrl2;     // end mileage

    void OnLengthSelected(wxCommandEvent &event);
    void OnMileageSelected(wxCommandEvent &event);

private:
    wxDECLARE_EVENT_TABLE();
};
