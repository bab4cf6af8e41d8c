#include "UpdateRequest.h"

#include "UpdateVersionEvent.h"
#include "velmo.h"

#include <wx/config.h>
#include <wx/stopwatch.h>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <yajl/yajl_tree.h>

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

// Milliseconds left until a deadline, at least 0.
int MillisecondsLeft(const wxStopWatch &clock, long limit)
{
    long left = limit - clock.Time();
    return left > 0 ? (int)left : 0;
}

bool WaitFor(int fd, short events, const wxStopWatch &clock, long limit)
{
    pollfd p{fd, events, 0};
    int ready;
    do {
        ready = poll(&p, 1, MillisecondsLeft(clock, limit));
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (p.revents & (events | POLLHUP | POLLERR));
}

// A connected socket to one of the host's addresses, -1 when none answers
// in time.
int ConnectTo(const std::string &host, unsigned short port, const wxStopWatch &clock, long limit)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0 && MillisecondsLeft(clock, limit) > 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        int error = 0;
        socklen_t size = sizeof error;
        bool connected = connect(fd, a->ai_addr, a->ai_addrlen) == 0 ||
                         (errno == EINPROGRESS && WaitFor(fd, POLLOUT, clock, limit) &&
                          getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0);
        if (!connected) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

bool SendAll(int fd, const std::string &text, const wxStopWatch &clock, long limit)
{
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += (size_t)n;
        else if (n < 0 && (errno == EAGAIN || errno == EINTR) && WaitFor(fd, POLLOUT, clock, limit))
            continue;
        else
            return false;
    }
    return true;
}

// The status line and headers, then at most `limit` bytes of the body, read
// until the server closes, the body is full or the time is up.
std::string Receive(int fd, size_t bodyLimit, const wxStopWatch &clock, long limit)
{
    std::string bytes;
    char buffer[2048];
    for (;;) {
        size_t head = bytes.find("\r\n\r\n");
        if (head != std::string::npos && bytes.size() - head - 4 >= bodyLimit)
            break;
        if (bytes.size() > 65536 || !WaitFor(fd, POLLIN, clock, limit))
            break;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, (size_t)n);
    }
    return bytes;
}

} // namespace

// At most ANSWER_LIMIT bytes of the body.  The body may arrive in several
// pieces, so reading goes on until it ends, the limit is reached or the time
// is up.  The check runs on a worker thread, so it talks to the server with
// the system's sockets: the toolkit's sockets hand their descriptors to the
// GUI thread's event loop, which then handles them while this thread reads
// and closes them, and crashed now and then.
bool UpdateRequest::Fetch(char *answer, size_t *length) const
{
    *length = 0;
    const long limit = m_timeout * 1000L;
    wxStopWatch clock;
    const std::string host = m_host.ToStdString(wxConvUTF8);
    int fd = ConnectTo(host, m_port ? m_port : 80, clock, limit);
    if (fd < 0)
        return false;
    std::string request = std::string("GET ") + UPDATE_PATH + " HTTP/1.0\r\nHost: " + host +
                          "\r\nAccept: application/json\r\nConnection: close\r\n\r\n";
    std::string bytes = SendAll(fd, request, clock, limit) ? Receive(fd, ANSWER_LIMIT, clock, limit) : std::string();
    close(fd);
    size_t head = bytes.find("\r\n\r\n");
    // "HTTP/1.x 2xx ..." and a body.
    if (head == std::string::npos || bytes.compare(0, 5, "HTTP/") != 0)
        return false;
    size_t space = bytes.find(' ');
    if (space == std::string::npos || space > head || bytes.size() < space + 2 || bytes[space + 1] != '2')
        return false;
    std::string body = bytes.substr(head + 4, ANSWER_LIMIT);
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
