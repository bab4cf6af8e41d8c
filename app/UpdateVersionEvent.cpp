#include "UpdateVersionEvent.h"

#include <cstring>

UpdateVersionEvent::UpdateVersionEvent() : wxThreadEvent(EVT_UPDATE_VERSION, wxID_ANY), m_filesize(0)
{
    m_version[0] = '\0';
    m_url[0] = '\0';
    m_description[0] = '\0';
}

static bool CopyWhole(char *field, size_t size, const char *text)
{
    size_t length = strlen(text);
    if (length >= size)
        return false;
    memcpy(field, text, length + 1);
    return true;
}

bool UpdateVersionEvent::SetVersion(const char *text)
{
    return CopyWhole(m_version, sizeof m_version, text);
}

bool UpdateVersionEvent::SetUrl(const char *text)
{
    return CopyWhole(m_url, sizeof m_url, text);
}

void UpdateVersionEvent::SetDescription(const char *text)
{
    size_t length = strlen(text);
    if (length >= sizeof m_description) {
        // Never end on half a UTF-8 character: step back over continuation bytes.
        length = sizeof m_description - 1;
        while (length > 0 && ((unsigned char)text[length] & 0xC0) == 0x80)
            length--;
    }
    memcpy(m_description, text, length);
    m_description[length] = '\0';
}
