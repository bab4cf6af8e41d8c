// Pieces shared by the layouts of the horizontal element dialogs.
#pragma once

#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace element_dialog {

// The element's name over the fields, in bold.
wxStaticText *Header(wxWindow *parent, long id, const wxString &name, const wxString &text);
wxStaticLine *Separator(wxWindow *parent, long id, const wxString &name, long style = wxLI_HORIZONTAL);
wxTextCtrl *Field(wxWindow *parent, long id, const wxString &name, const wxString &text = wxEmptyString);
// The "OK" and "Cancel" row.
wxSizer *Buttons(wxWindow *parent);

} // namespace element_dialog

namespace element_dialog {

// Gives a label at least the given size, more when its text needs it.
void KeepAtLeast(wxStaticText *label, const wxSize &size);

// Length mode: one field for the length.  Mileage mode: start and end
// mileage.  Typed texts stay in both.
void ShowLengthMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField);
void ShowMileageMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField);

} // namespace element_dialog
