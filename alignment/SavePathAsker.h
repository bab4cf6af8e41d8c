// How the alignment dialogs ask for the path of a file to write.  The
// program hands each dialog its own chooser, which adds the filter's
// extension, refuses files the command must not write and asks before
// replacing a file only where the command writes over it (an export does,
// "Create" on an existing road file adds it as it is); without one the
// dialogs use the toolkit's save dialog.
#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

// Answers false when the user chose nothing.
using SavePathAsker = std::function<bool(wxWindow *parent, const wxString &message, const wxString &wildcard,
                                         wxString *path, int *filter)>;

// The asker's path, or the toolkit's save dialog's when there is no asker.
bool AskSavePath(const SavePathAsker &asker, wxWindow *parent, const wxString &message, const wxString &wildcard,
                 wxString *path, int *filter);
