// Input dialog of a vertical curve: crest or sag, radius, and its length or
// the chainages of its two ends.  It only lays out its fields and switches
// between the two ways of giving the length; the vertical element panel reads
// and checks them after OK.
#pragma once

#include <wx/dialog.h>

class wxChoice;
class wxCommandEvent;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class V_Round : public wxDialog
{
public:
    V_Round(wxWindow *parent, wxWindowID id = -1, const wxPoint &pos = wxDefaultPosition,
            const wxSize &size = wxDefaultSize);
    ~V_Round() override;

    wxRadioButton *LengthRadio = nullptr;
    wxRadioButton *MileageRadio = nullptr;
    wxChoice *TurnChoice = nullptr;
    wxTextCtrl *RadiusText = nullptr;
    wxStaticText *FirstLabel = nullptr;
    wxTextCtrl *FirstText = nullptr;
    wxStaticText *SecondLabel = nullptr;
    wxTextCtrl *SecondText = nullptr;

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

private:
    void OnLengthRadio(wxCommandEvent &event);
    void OnMileageRadio(wxCommandEvent &event);

    wxDECLARE_EVENT_TABLE();
};
