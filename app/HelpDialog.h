// The program's manual, doc/manual.html beside the program, in a web view.
#pragma once

#include <wx/dialog.h>

class wxWebView;

class HelpDialog : public wxDialog
{
public:
    HelpDialog(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition);

    static const long ID_CUSTOM1;

    // The manual's file and the address the web view is given for it.
    static wxString ManualPath();
    static wxString ManualAddress();

    wxWebView *GetWebView() const { return m_webView; }

private:
    wxWebView *m_webView = nullptr;

    wxDECLARE_EVENT_TABLE();
};
