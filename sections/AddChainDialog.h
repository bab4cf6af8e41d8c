// Asks for one chain list row: a chainage and a height, or a start and an
// end chainage when the caller relabels it for longitude sections.
#pragma once

#include <wx/dialog.h>

class wxButton;
class wxStaticText;
class wxTextCtrl;

class AddChainDialog : public wxDialog
{
public:
    AddChainDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
                   const wxSize &size = wxDefaultSize);
    ~AddChainDialog() override;

    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;

    wxStaticText *GetFirstLabel() const { return m_firstLabel; }
    wxStaticText *GetSecondLabel() const { return m_secondLabel; }
    wxTextCtrl *GetFirstField() const { return m_firstField; }
    wxTextCtrl *GetSecondField() const { return m_secondField; }

private:
    wxButton *m_cancelButton;
    wxButton *m_okButton;
    wxStaticText *m_firstLabel;
    wxStaticText *m_secondLabel;
    wxTextCtrl *m_firstField;
    wxTextCtrl *m_secondField;

    wxDECLARE_EVENT_TABLE();
};
