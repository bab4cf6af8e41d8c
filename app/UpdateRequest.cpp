#include "UpdateRequest.h"

#include "UpdateVersionEvent.h"
#include "velmo.h"

#include <wx/config.h>
#include <wx/protocol/http.h>
#include <wx/stopwatch.h>

#include <yajl/yajl_tree.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

const char UpdateRequest::HOST_KEY[] = "UpdateServer/Host";
const char UpdateRequest::PORT_KEY[] = "UpdateServer/Port";
const char UpdateRequest::TIMEOUT_KEY[] = "UpdateServer/Timeout";

static const char UPDATE_PATH[] = "/cv/cv_update.php";

UpdateRequest::UpdateRequest(const wxString &host, unsigned short port, int timeoutSeconds)
    : m_host(host), m_port(port), m_timeout(timeoutSeconds > 0 ? timeoutSeconds : (int)DEFAULT_TIMEOUT)
{
}

UpdateRequest UpdateRequest::FromConfig()
{
    wxString host;
    long port = 0, timeout = DEFAULT_TIMEOUT;
    if (wxConfigBase *config = wxConfigBase::Get()) {
        config->Read(HOST_KEY, &host, wxString());
        config->Read(PORT_KEY, &port, 0L);
        config->Read(TIMEOUT_KEY, &timeout, (long)DEFAULT_TIMEOUT);
    }
    host.Trim(true).Trim(false);
    // A port that is no port leaves the check off rather than asking some
    // other server.
    if (port < 0 || port > USHRT_MAX)
        host.clear();
    if (timeout <= 0 || timeout > 600)
        timeout = DEFAULT_TIMEOUT;
    return UpdateRequest(host, (unsigned short)(host.empty() ? 0 : port), (int)timeout);
}

void UpdateRequest::Run(wxEvtHandler *dest) const
{
    if (m_host.empty())
        return;
    char answer[ANSWER_LIMIT + 1];
    size_t length = 0;
    if (!Fetch(answer, &length))
        return;
    answer[length] = '\0';
    std::unique_ptr<UpdateVersionEvent> event(new UpdateVersionEvent);
    if (ParseAnswer(answer, event.get()) && IsNewer(event->GetVersion(), cvVersion) && dest)
        wxQueueEvent(dest, event.release());
}

// At most ANSWER_LIMIT bytes of the body.  The body may arrive in several
// pieces, so reading goes on until it ends, the limit is reached or the time
// is up.
bool UpdateRequest::Fetch(char *answer, size_t *length) const
{
    *length = 0;
    wxHTTP http;
    http.SetMethod("GET");
    http.SetTimeout(m_timeout);
    // The check runs on a worker thread.  A socket without wxSOCKET_BLOCK
    // registers its descriptor with the GUI thread's event loop, which then
    // handles its input and loss events while this thread reads and closes
    // it: a race that crashed now and then.  A blocking socket has no events.
    http.SetFlags(wxSOCKET_BLOCK);
    if (!http.Connect(m_host, m_port))
        return false;
    std::unique_ptr<wxInputStream> stream(http.GetInputStream(UPDATE_PATH));
    if (!stream) {
        http.Close();
        return false;
    }
    if (http.GetResponse() / 100 == 2 && stream->GetSize() != 0) {
        wxStopWatch clock;
        while (*length < ANSWER_LIMIT && clock.Time() < m_timeout * 1000L) {
            stream->Read(answer + *length, ANSWER_LIMIT - *length);
            size_t got = stream->LastRead();
            if (got == 0)
                break;
            *length += got;
        }
    }
    stream.reset();
    http.Close();
    return *length > 0;
}

// Reads a whole number as "%d" does, kept within int.
static bool ReadInt(const char *text, const char **end, int *value)
{
    char *stop = nullptr;
    errno = 0;
    long number = strtol(text, &stop, 10);
    if (stop == text)
        return false;
    if (number > INT_MAX)
        number = INT_MAX;
    if (number < INT_MIN)
        number = INT_MIN;
    *value = (int)number;
    *end = stop;
    return true;
}

static int ReadFileSize(const char *text)
{
    const char *end;
    int size = 0;
    if (!ReadInt(text, &end, &size) || size < 0)
        return 0;
    return size;
}

bool UpdateRequest::ParseAnswer(const char *text, UpdateVersionEvent *event)
{
    yajl_val tree = yajl_tree_parse(text, nullptr, 0);
    if (!tree)
        return false;
    bool versionCame = false, refused = false;
    if (YAJL_IS_OBJECT(tree)) {
        for (size_t i = 0; i < tree->u.object.len; i++) {
            const char *key = tree->u.object.keys[i];
            yajl_val value = tree->u.object.values[i];
            // Only strings carry values in this answer.
            if (!YAJL_IS_STRING(value))
                continue;
            const char *string = YAJL_GET_STRING(value);
            if (strcmp(key, "version") == 0) {
                refused |= !event->SetVersion(string);
                versionCame = true;
            } else if (strcmp(key, "url") == 0) {
                // A cut address would fetch some other file.
                refused |= !event->SetUrl(string);
            } else if (strcmp(key, "description") == 0) {
                event->SetDescription(string);
            } else if (strcmp(key, "filesize") == 0) {
                event->SetFileSize(ReadFileSize(string));
            }
        }
    }
    yajl_tree_free(tree);
    return versionCame && !refused;
}

// parts keeps its values for the parts the text lacks, as "%d.%d.%d" would.
static void ReadVersion(const char *text, int parts[3])
{
    const char *at = text;
    for (int k = 0; k < 3; k++) {
        if (k > 0) {
            if (*at != '.')
                return;
            at++;
        }
        if (!ReadInt(at, &at, &parts[k]))
            return;
    }
}

static long long VersionNumber(const int parts[3])
{
    return parts[0] * 10000LL + parts[1] * 100LL + parts[2];
}

bool UpdateRequest::IsNewer(const char *announced, const char *own)
{
    int parts[3] = {0, 0, 0};
    ReadVersion(own, parts);
    long long local = VersionNumber(parts);
    ReadVersion(announced, parts);
    return VersionNumber(parts) > local;
}
