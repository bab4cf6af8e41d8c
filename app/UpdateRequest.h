// The request side of the update check: one GET to the update service and
// the reading of its small JSON answer.
#pragma once

#include <wx/event.h>
#include <wx/string.h>

class UpdateVersionEvent;

class UpdateRequest
{
public:
    // Configuration keys of the update server.  Without a host the check
    // does nothing; port 0 is the HTTP default.
    static const char HOST_KEY[];
    static const char PORT_KEY[];
    static const char TIMEOUT_KEY[];
    enum { DEFAULT_TIMEOUT = 10, ANSWER_LIMIT = 1024 };

    UpdateRequest(const wxString &host, unsigned short port, int timeoutSeconds);

    // Reads the server from the application's configuration; call it on the
    // GUI thread.
    static UpdateRequest FromConfig();

    // Asks the service and, when it answers 200 with a sound head and
    // announces a version newer than the program's, queues one
    // UpdateVersionEvent to dest.  Silent on failure.
    void Run(wxEvtHandler *dest) const;

    // Fills the event from the service's answer; false when the answer is not
    // a JSON object whose "version", "url", "description" and "filesize" are
    // strings, with a version and an address that fit their fields, a size
    // of digits alone, and an address and size the download can fetch.
    static bool ParseAnswer(const char *text, UpdateVersionEvent *event);

    // Versions "%d.%d.%d" compared as a x 10000 + b x 100 + c; parts the
    // announced text lacks keep the program's own value.
    static bool IsNewer(const char *announced, const char *own);

    const wxString &GetHost() const { return m_host; }
    unsigned short GetPort() const { return m_port; }
    int GetTimeout() const { return m_timeout; }

private:
    bool Fetch(char *answer, size_t *length) const;

    wxString m_host;
    unsigned short m_port;
    int m_timeout;
};
