#include "EngineText.h"

wxString EngineText::Name(const char *text)
{
    if (!text || !*text)
        return wxString();
    const wxString utf8 = wxString::FromUTF8(text);
    if (!utf8.empty())
        return utf8;
    const wxString local(text, wxConvLibc);
    return local.empty() ? wxString::From8BitData(text) : local;
}
