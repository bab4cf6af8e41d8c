#include "UpdateRequest.h"

#include "HttpAnswer.h"
#include "HttpSocket.h"
#include "SetupDownload.h"
#include "UpdateVersionEvent.h"
#include "velmo.h"

#include <wx/config.h>
#include <wx/stopwatch.h>

#include <yajl/yajl_tree.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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

namespace {

// The body after the head, until the server closes, the declared length or
// limit bytes are in, or the time is up; false when a declared length did
// not arrive whole.
bool ReceiveBody(HttpSocket &socket, const HttpAnswer &head, size_t limit, const wxStopWatch &clock, long timeout,
                 std::string *body)
{
    *body = head.GetEarlyBody();
    const size_t wanted = head.GetLength() >= 0 ? (size_t)std::min<int64_t>(head.GetLength(), (int64_t)limit) : limit;
    char buffer[2048];
    while (body->size() < wanted) {
        const long left = timeout - clock.Time();
        if (left <= 0 || !socket.WaitReadable((int)left))
            return false;
        const ssize_t n = socket.Read(buffer, sizeof buffer);
        if (n == HttpSocket::NOTHING_YET)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        body->append(buffer, (size_t)n);
    }
    body->resize(std::min(body->size(), wanted));
    return head.GetLength() < 0 || body->size() == wanted;
}

} // namespace

// At most ANSWER_LIMIT bytes of the body of a sound answer with status 200;
// a larger declared body is no answer of this service.
bool UpdateRequest::Fetch(char *answer, size_t *length) const
{
    *length = 0;
    const long limit = m_timeout * 1000L;
    wxStopWatch clock;
    const std::string host = m_host.ToStdString(wxConvUTF8);
    HttpSocket socket;
    if (!socket.Connect(host, m_port ? m_port : 80, clock, limit) ||
        !socket.SendGet(UPDATE_PATH, host, m_port, "application/json", clock, limit))
        return false;
    HttpAnswer head;
    std::string body;
    if (head.Receive(socket, clock, limit) != HttpAnswer::HEAD_WHOLE || !head.Read() || head.GetStatus() != 200 ||
        head.IsEncoded() || head.GetLength() > (int64_t)ANSWER_LIMIT ||
        !ReceiveBody(socket, head, ANSWER_LIMIT, clock, limit, &body))
        return false;
    memcpy(answer, body.data(), body.size());
    *length = body.size();
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

// Digits only and within int: "1e9", " 77 bytes" or "-5" is no size, and an
// answer with it is refused.
static bool ReadFileSize(const char *text, int *size)
{
    const size_t digits = std::strspn(text, "0123456789");
    if (digits == 0 || text[digits] != '\0' || digits > 10)
        return false;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX)
        return false;
    *size = (int)value;
    return true;
}

// The members this answer knows; anything else in the object is ignored.
static bool IsKnownMember(const char *key)
{
    for (const char *known : {"version", "url", "description", "filesize"})
        if (strcmp(key, known) == 0)
            return true;
    return false;
}

bool UpdateRequest::ParseAnswer(const char *text, UpdateVersionEvent *event)
{
    yajl_val tree = yajl_tree_parse(text, nullptr, 0);
    if (!tree)
        return false;
    bool versionCame = false, urlCame = false, refused = !YAJL_IS_OBJECT(tree);
    for (size_t i = 0; !refused && i < tree->u.object.len; i++) {
        const char *key = tree->u.object.keys[i];
        yajl_val value = tree->u.object.values[i];
        if (!IsKnownMember(key))
            continue;
        // A known member of another type is a malformed answer: offering it
        // would show a version without an address to fetch it from.
        if (!YAJL_IS_STRING(value)) {
            refused = true;
            break;
        }
        const char *string = YAJL_GET_STRING(value);
        if (strcmp(key, "version") == 0) {
            refused |= !event->SetVersion(string);
            versionCame = string[0] != '\0';
        } else if (strcmp(key, "url") == 0) {
            // A cut address would fetch some other file.
            refused |= !event->SetUrl(string);
            urlCame = string[0] != '\0';
        } else if (strcmp(key, "description") == 0) {
            event->SetDescription(string);
        } else {
            int size = 0;
            refused |= !ReadFileSize(string, &size);
            event->SetFileSize(size);
        }
    }
    yajl_tree_free(tree);
    // An offer the download would refuse is not made at all.
    return versionCame && urlCame && !refused &&
           SetupDownload::CanFetch(wxString::FromUTF8(event->GetUrl()), event->GetFileSize());
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
