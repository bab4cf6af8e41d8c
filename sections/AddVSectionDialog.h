// Asks for one custom section: its centre x and y and its azimuth.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

class AddVSectionDialog : public wxDialog
{
public:
    AddVSectionDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                      const wxSize &size = wxDefaultSize);
    ~AddVSectionDialog() override;

    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL3;

    wxTextCtrl *GetCenterXField() const { return m_centerX; }
    wxTextCtrl *GetCenterYField() const { return m_centerY; }
    wxTextCtrl *GetAzimuthField() const { return m_azimuth; }

private:
    wxTextCtrl *m_centerX;
    wxTextCtrl *m_centerY;
    wxTextCtrl *m_azimuth;

    wxDECLARE_EVENT_TABLE();
};
