// The start point of a horizontal alignment: chainage, azimuth (d.mmss)
// and plane coordinates.  Shows fields only; the owner reads and checks them.
#pragma once

#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class H_StartPoint : public wxDialog
{
public:
    H_StartPoint(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                 const wxSize &size = wxDefaultSize);

    static const long ID_STATICTEXT5;
    static const long ID_STATICLINE1;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL4;
    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICLINE2;

    wxStaticText *StaticText5; // header
    wxTextCtrl *TextCtrl3;     // "Mileage(m) "
    wxTextCtrl *TextCtrl4;     // "Direction(d.mmss)"
    wxTextCtrl *TextCtrl1;     // "North"
    wxTextCtrl *TextCtrl2;     // "East "

private:
    wxDECLARE_EVENT_TABLE();
};
