#include "SavePathAsker.h"

#include <wx/filedlg.h>

bool AskSavePath(const SavePathAsker &asker, wxWindow *parent, const wxString &message, const wxString &wildcard,
                 long style, wxString *path, int *filter)
{
    if (asker)
        return asker(parent, message, wildcard, style, path, filter);
    wxFileDialog dialog(parent, message, wxEmptyString, wxEmptyString, wildcard, style);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    *path = dialog.GetPath();
    *filter = dialog.GetFilterIndex();
    return true;
}
