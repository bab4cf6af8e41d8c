// Input dialog of a profile's start point: chainage, elevation and grade.
// It only lays out its fields; the vertical element panel reads and checks
// them after OK.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

class V_StartPoint : public wxDialog
{
public:
    V_StartPoint(wxWindow *parent, wxWindowID id = -1, const wxPoint &pos = wxDefaultPosition,
                 const wxSize &size = wxDefaultSize);
    ~V_StartPoint() override;

    wxTextCtrl *MileageText = nullptr;
    wxTextCtrl *HeightText = nullptr;
    wxTextCtrl *SlopeText = nullptr;

    static const long ID_STATICTEXT1;
    static const long ID_STATICLINE1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICLINE2;

private:
    wxDECLARE_EVENT_TABLE();
};
