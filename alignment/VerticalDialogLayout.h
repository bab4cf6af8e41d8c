// The layout shared by the vertical element dialogs: a bold heading, a
// separator, a two-column grid of fields, a separator and the OK and Cancel
// buttons.
#pragma once

#include <wx/string.h>

class wxDialog;
class wxFlexGridSizer;
class wxWindow;
class wxTextCtrl;

class VerticalDialogLayout
{
public:
    // Starts the layout of dialog with its heading and first separator.
    VerticalDialogLayout(wxDialog *dialog, long headingId, const wxString &heading, long lineId);

    // The two-column grid the fields go into, row by row.
    wxFlexGridSizer *Fields() const { return m_fields; }
    // A field label, expanded to its cell.
    void AddLabel(wxWindow *label);
    // Any other field, centred in its cell.
    void AddField(wxWindow *field);
    // An empty text field with a simple border.
    wxTextCtrl *NewTextField(long id, const char *name);
    // Closes the layout with the second separator and the buttons, and fits
    // the dialog around it.
    void Finish(long lineId);

private:
    wxDialog *m_dialog;
    wxFlexGridSizer *m_outer;
    wxFlexGridSizer *m_fields;
};
