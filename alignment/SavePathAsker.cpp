#include "SavePathAsker.h"

#include <wx/filedlg.h>

bool AskSavePath(const SavePathAsker &asker, wxWindow *parent, const wxString &message, const wxString &wildcard,
                 wxString *path, int *filter)
{
    if (asker)
        return asker(parent, message, wildcard, path, filter);
    wxFileDialog dialog(parent, message, wxEmptyString, wxEmptyString, wildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    *path = dialog.GetPath();
    *filter = dialog.GetFilterIndex();
    return true;
}
