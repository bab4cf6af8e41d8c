// How the alignment dialogs ask for the path of a file to write.  The
// program hands them its own chooser, which adds the filter's extension;
// without one they use the toolkit's dialog.  Either asks before replacing
// an existing file only when the style says the command writes over it
// (wxFD_OVERWRITE_PROMPT): an export does, "Create" on a road file does not.
#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

// Answers false when the user chose nothing.
using SavePathAsker = std::function<bool(wxWindow *parent, const wxString &message, const wxString &wildcard,
                                         long style, wxString *path, int *filter)>;

// The asker's path, or the toolkit's save dialog's when there is no asker.
bool AskSavePath(const SavePathAsker &asker, wxWindow *parent, const wxString &message, const wxString &wildcard,
                 long style, wxString *path, int *filter);
