// File paths as the engine takes them: UTF-8 in a buffer of VELMO_PATH_SIZE
// bytes, whatever the user's locale.
#pragma once

#include <wx/string.h>

class VelmoPath
{
public:
    // The UTF-8 form of path in buffer (VELMO_PATH_SIZE bytes); the empty
    // text, and false, when it does not fit whole or holds a NUL.
    static bool ToUtf8(const wxString &path, char *buffer);
    // Why ToUtf8 refused the path, naming it.
    static wxString Refusal(const wxString &path);
};
