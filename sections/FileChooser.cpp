#include "FileChooser.h"

#include <wx/filedlg.h>

bool DialogFileChooser::Choose(wxWindow *parent, const wxString &message, const wxString &wildcard, long style,
                               wxString *path)
{
    wxFileDialog dialog(parent, message, wxEmptyString, wxEmptyString, wildcard, style, wxDefaultPosition,
                        wxDefaultSize);
    dialog.CentreOnParent(wxBOTH);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    *path = dialog.GetPath();
    m_filterIndex = dialog.GetFilterIndex();
    return true;
}
