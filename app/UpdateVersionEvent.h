// The update service's answer when it announces a newer version.
#pragma once

#include <wx/event.h>

class UpdateVersionEvent : public wxThreadEvent
{
public:
    enum { VERSION_SIZE = 64, URL_SIZE = 260, DESCRIPTION_SIZE = 260 };

    UpdateVersionEvent();
    UpdateVersionEvent(const UpdateVersionEvent &other) = default;

    wxEvent *Clone() const override { return new UpdateVersionEvent(*this); }

    // NUL-terminated; the description is UTF-8.
    const char *GetVersion() const { return m_version; }
    const char *GetUrl() const { return m_url; }
    const char *GetDescription() const { return m_description; }
    int GetFileSize() const { return m_filesize; }

    // False (field unchanged) when the text does not fit the field.
    bool SetVersion(const char *text);
    bool SetUrl(const char *text);
    // A description too long for its field is cut at a character boundary.
    void SetDescription(const char *text);
    void SetFileSize(int size) { m_filesize = size; }

private:
    char m_version[VERSION_SIZE];
    char m_url[URL_SIZE];
    char m_description[DESCRIPTION_SIZE];
    int m_filesize;
};

typedef void (wxEvtHandler::*UpdateVersionEventFunction)(UpdateVersionEvent &);
#define UpdateVersionEventHandler(func) wxEVENT_HANDLER_CAST(UpdateVersionEventFunction, func)

wxDECLARE_EVENT(EVT_UPDATE_VERSION, UpdateVersionEvent);

#define EVT_UPDATE_VERSION_HANDLER(func) wx__DECLARE_EVT0(EVT_UPDATE_VERSION, UpdateVersionEventHandler(func))
