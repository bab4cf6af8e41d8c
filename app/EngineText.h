// Text the engine holds (section and project names) as the program shows
// it.  Names are stored as UTF-8 whatever the user's locale, so they are
// read as UTF-8 whatever the locale too: under the C locale a conversion
// through the locale turns "断面1" into an empty text.
#pragma once

#include <wx/string.h>

class EngineText
{
public:
    // The name read as UTF-8.  Bytes that are not UTF-8 (a project written
    // by another program in its own encoding) are read in the locale's
    // encoding, or byte by byte, so that a name never shows empty.
    static wxString Name(const char *text);
};
