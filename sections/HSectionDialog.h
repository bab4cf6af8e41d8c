// Collects one horizontal section: its name, centre, orientation and two
// widths.  OK is refused, with a message, until every number field holds a
// number and both widths are positive.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

class HSectionDialog : public wxDialog
{
public:
    HSectionDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                   const wxSize &size = wxDefaultSize);
    ~HSectionDialog() override;

    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL5;
    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_TEXTCTRL2;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL4;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL6;
    static const long ID_STATICTEXT5;
    static const long ID_TEXTCTRL7;

    // The three centre boxes, "%.3f" each.
    void SetCenter(const double center[3]);

    bool AcceptInput();

    wxString GetSectionName() const;
    void GetCenter(double center[3]) const;
    double GetOrientation() const;
    double GetBufferWidth() const;
    double GetSectionWidth() const;

    wxTextCtrl *GetNameField() const { return m_name; }
    wxTextCtrl *GetCenterField(int axis) const { return m_center[axis]; }
    wxTextCtrl *GetOrientationField() const { return m_orientation; }
    wxTextCtrl *GetBufferWidthField() const { return m_bufferWidth; }
    wxTextCtrl *GetSectionWidthField() const { return m_sectionWidth; }

private:
    void Warn(const wxString &message);
    void OnOK(wxCommandEvent &event);

    wxTextCtrl *m_name;
    wxTextCtrl *m_center[3];
    wxTextCtrl *m_orientation;
    wxTextCtrl *m_bufferWidth;
    wxTextCtrl *m_sectionWidth;

    wxDECLARE_EVENT_TABLE();
};
