#include "VelmoPath.h"

#include "velmo.h"

#include <wx/intl.h>

#include <cstring>

bool VelmoPath::ToUtf8(const wxString &path, char *buffer)
{
    buffer[0] = '\0';
    const wxScopedCharBuffer utf8 = path.utf8_str();
    if (!utf8.data() || utf8.length() >= VELMO_PATH_SIZE || std::strlen(utf8.data()) != utf8.length())
        return false;
    std::memcpy(buffer, utf8.data(), utf8.length() + 1);
    return true;
}

wxString VelmoPath::Refusal(const wxString &path)
{
    return wxString::Format(_("The path \"%s\" cannot be used: in UTF-8 it is longer than %d bytes, or it holds "
                              "a character that is not allowed."),
                            path, VELMO_PATH_SIZE - 1);
}
