#include "HelpDialog.h"

#include "AppResources.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/webview.h>

const long HelpDialog::ID_CUSTOM1 = wxNewId();

wxBEGIN_EVENT_TABLE(HelpDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {

wxString EscapeHtml(wxString text)
{
    text.Replace("&", "&amp;");
    text.Replace("<", "&lt;");
    text.Replace(">", "&gt;");
    return text;
}

} // namespace

HelpDialog::HelpDialog(wxWindow *parent, wxWindowID id, const wxPoint &)
{
    Create(parent, id, _("Manual"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "id");
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    // The web engine's GPU buffer path paints nothing on X servers without
    // direct rendering (virtual and remote displays); a page of text needs
    // no GPU.  A user's own setting is kept.
    if (!wxGetEnv("WEBKIT_DISABLE_DMABUF_RENDERER", nullptr))
        wxSetEnv("WEBKIT_DISABLE_DMABUF_RENDERER", "1");
    if (wxWebView::IsBackendAvailable(wxWebViewBackendDefault))
        m_webView = wxWebView::New(this, ID_CUSTOM1, wxWebViewDefaultURLStr, wxDefaultPosition, wxSize(1024, 768),
                                   wxWebViewBackendDefault, 0, "ID_CUSTOM1");
    if (m_webView) {
        row->Add(m_webView, 1, wxALL | wxALIGN_CENTER, 5);
    } else {
        row->Add(new wxStaticText(this, wxID_ANY,
                                  wxString::Format(_("This system cannot show web pages; the manual is the file %s."),
                                                   ManualPath())),
                 1, wxALL | wxALIGN_CENTER, 20);
    }
    // The web view keeps Escape to itself; the dialog closes on it as any
    // other dialog does.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent &key) {
        if (key.GetKeyCode() == WXK_ESCAPE)
            IsModal() ? EndModal(wxID_CANCEL) : (void)Close();
        else
            key.Skip();
    });
    SetSizer(row);
    row->Fit(this);
    row->SetSizeHints(this);
    Centre(wxBOTH);
    if (!m_webView)
        return;
    // The manual is found beside the program, not under the working
    // directory, and loaded as a plain file so its pictures load with it.
    if (wxFileName::FileExists(ManualPath()))
        m_webView->LoadURL(ManualAddress());
    else
        m_webView->SetPage(wxString::Format("<html><body><h2>%s</h2><p>%s</p></body></html>", _("Manual"),
                                            EscapeHtml(wxString::Format(_("The manual was not found at %s."),
                                                                        ManualPath()))),
                           wxEmptyString);
}

wxString HelpDialog::ManualPath()
{
    return AppResourcePath("doc/manual.html");
}

wxString HelpDialog::ManualAddress()
{
    return wxFileSystem::FileNameToURL(wxFileName(ManualPath()));
}
