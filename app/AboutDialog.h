// The "About" box: the product picture, the name with the program's version
// and an OK button.
#pragma once

#include <wx/dialog.h>

class wxBitmapButton;
class wxButton;
class wxStaticLine;
class wxStaticText;

class AboutDialog : public wxDialog
{
public:
    AboutDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                const wxSize &size = wxDefaultSize);

    static const long ID_BITMAPBUTTON1;
    static const long ID_STATICTEXT1;
    static const long ID_STATICLINE1;
    static const long ID_STATICTEXT2;
    static const long ID_STATICTEXT3;

    wxBitmapButton *PictureButton = nullptr;
    wxStaticText *TitleText = nullptr;
    wxStaticLine *TitleLine = nullptr;
    wxStaticText *PurposeText = nullptr;
    wxStaticText *ManualText = nullptr;
    wxButton *OkButton = nullptr;

    wxDECLARE_EVENT_TABLE();
};
