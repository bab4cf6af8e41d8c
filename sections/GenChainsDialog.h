// Asks for a start chainage, an end chainage and a spacing from which the
// road section dialog generates evenly spaced chain list rows.
#pragma once

#include <wx/dialog.h>

class wxButton;
class wxStaticText;
class wxTextCtrl;

class GenChainsDialog : public wxDialog
{
public:
    GenChainsDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                    const wxSize &size = wxDefaultSize);
    ~GenChainsDialog() override;

    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL3;

    wxTextCtrl *GetStartField() const { return m_startField; }
    wxTextCtrl *GetEndField() const { return m_endField; }
    wxTextCtrl *GetSpacingField() const { return m_spacingField; }

private:
    wxButton *m_cancelButton;
    wxButton *m_okButton;
    wxStaticText *m_startLabel;
    wxStaticText *m_endLabel;
    wxStaticText *m_spacingLabel;
    wxTextCtrl *m_endField;
    wxTextCtrl *m_spacingField;
    wxTextCtrl *m_startField;

    wxDECLARE_EVENT_TABLE();
};
