// Input dialog of a grade line: its length, or the chainages of its two ends.
// It only lays out its fields and switches between the two ways of giving
// the length; the vertical element panel reads and checks them after OK.
#pragma once

#include <wx/dialog.h>

class wxCommandEvent;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class V_Line : public wxDialog
{
public:
    V_Line(wxWindow *parent, wxWindowID id = -1, const wxPoint &pos = wxDefaultPosition,
           const wxSize &size = wxDefaultSize);
    ~V_Line() override;

    wxRadioButton *LengthRadio = nullptr;
    wxRadioButton *MileageRadio = nullptr;
    wxStaticText *FirstLabel = nullptr;
    wxTextCtrl *FirstText = nullptr;
    wxStaticText *SecondLabel = nullptr;
    wxTextCtrl *SecondText = nullptr;

    static const long ID_STATICTEXT1;
    static const long ID_STATICLINE1;
    static const long ID_RADIOBUTTON1;
    static const long ID_RADIOBUTTON2;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICLINE2;

private:
    void OnLengthRadio(wxCommandEvent &event);
    void OnMileageRadio(wxCommandEvent &event);

    wxDECLARE_EVENT_TABLE();
};
