// Message boxes of the alignment editors.
#pragma once

#include <wx/string.h>

// An input the user has to correct: caption "错误", OK, error icon, centred.
void ShowInputError(const wxString &message);
