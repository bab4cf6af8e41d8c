#include "AlignmentMessages.h"

#include <wx/msgdlg.h>

void ShowInputError(const wxString &message)
{
    wxMessageBox(message, wxString::FromUTF8("错误"), wxOK | wxICON_ERROR | wxCENTRE, nullptr);
}
