#include "VelmoPath.h"

#include "velmo.h"

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
