#include "DialogInputCheck.h"

#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

void DialogInputCheck::Install(wxDialog &dialog, Check check, const wxString &caption)
{
    wxDialog *owner = &dialog;
    dialog.Bind(
        wxEVT_BUTTON,
        [owner, check, caption](wxCommandEvent &event) {
            wxString why;
            wxWindow *field = nullptr;
            if (check(&why, &field)) {
                event.Skip();
                return;
            }
            wxMessageBox(why, caption, wxOK | wxICON_ERROR | wxCENTRE, owner);
            if (!field)
                return;
            field->SetFocus();
            if (auto *text = dynamic_cast<wxTextCtrl *>(field))
                text->SelectAll();
        },
        wxID_OK);
}

bool DialogInputCheck::Refuse(const wxString &message, wxWindow *at, wxString *why, wxWindow **field)
{
    if (why)
        *why = message;
    if (field)
        *field = at;
    return false;
}
