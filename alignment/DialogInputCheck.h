// Keeps an input dialog open when OK is pressed while a field does not
// read: the message says which field is wrong and why, that field takes the
// focus with its text selected, and everything typed stays as it was.  The
// alignment editors' element dialogs and the section dialogs all use it.
#pragma once

#include <wx/string.h>

#include <functional>

class wxDialog;
class wxWindow;

class DialogInputCheck
{
public:
    // True when the fields read; otherwise false with the message and the
    // field to correct.
    using Check = std::function<bool(wxString *why, wxWindow **field)>;

    // Runs check on every press of the dialog's OK button (wxID_OK) before
    // the dialog may close.  caption titles the message box.
    static void Install(wxDialog &dialog, Check check, const wxString &caption);

    // Install for an element dialog and its reader: OK closes the dialog
    // only once read(dialog, &element, why, field) takes its fields.  The
    // editors' messages are titled "错误".
    template <typename Element, typename Dialog>
    static void InstallReader(Dialog &dialog, bool (*read)(const Dialog &, Element *, wxString *, wxWindow **))
    {
        Install(
            dialog,
            [&dialog, read](wxString *why, wxWindow **field) {
                Element unused;
                return read(dialog, &unused, why, field);
            },
            wxString::FromUTF8("错误"));
    }

    // A refusal for checks: fills why and field, answers false.
    static bool Refuse(const wxString &message, wxWindow *at, wxString *why, wxWindow **field);
};
