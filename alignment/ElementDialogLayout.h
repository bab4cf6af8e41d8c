// Pieces shared by the layouts of the horizontal element dialogs.
#pragma once

#include <wx/choice.h>
#include <wx/radiobut.h>
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

// Rows of the two-column field grid.  A label is at least `least` and wider
// where its text needs it ("Start mileage").
wxStaticText *AddLabel(wxWindow *parent, wxSizer *grid, long id, const wxString &name, const wxString &text,
                       const wxSize &least);
wxTextCtrl *AddField(wxWindow *parent, wxSizer *grid, long id, const wxString &name);
// The "Length" / "Mileage" pair, Length chosen.
void AddModeButtons(wxWindow *parent, wxSizer *grid, long lengthId, long mileageId, wxRadioButton **length,
                    wxRadioButton **mileage);
// The "Left" / "Right" turn, Left chosen.
wxChoice *AddTurnChoice(wxWindow *parent, wxSizer *grid, long id);

} // namespace element_dialog

namespace element_dialog {

// Gives a label at least the given size, more when its text needs it.
void KeepAtLeast(wxStaticText *label, const wxSize &size);

// Length mode: one field for the length.  Mileage mode: start and end
// mileage.  Typed texts stay in both.
void ShowLengthMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField);
void ShowMileageMode(wxStaticText *firstLabel, wxStaticText *secondLabel, wxTextCtrl *secondField);

} // namespace element_dialog
