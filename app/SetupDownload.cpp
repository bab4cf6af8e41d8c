#include "SetupDownload.h"

#include "HttpAnswer.h"
#include "HttpSocket.h"

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const size_t READ_BLOCK = 65536;
// How often a download that waits for bytes looks whether it was cancelled.
const int POLL_MS = 50;
const size_t VERSION_LIMIT = 32;

wxString Megabytes(int64_t bytes)
{
    return wxString::Format("%lld", (long long)(bytes / 1048576));
}

} // namespace

bool SetupDownload::ParseAddress(const wxString &url, Address *address)
{
    const int slashes = url.Find("//");
    if (slashes == wxNOT_FOUND)
        return false;
    const wxString scheme = url.Left(slashes).Lower();
    if (!scheme.empty() && scheme != "http:")
        return false;
    wxString rest = url.Mid(slashes + 2);
    const int pathStart = rest.Find('/');
    wxString hostPort = pathStart == wxNOT_FOUND ? rest : rest.Left(pathStart);
    address->path = pathStart == wxNOT_FOUND ? wxString("/") : rest.Mid(pathStart);
    address->port = 0;
    const int colon = hostPort.Find(':', true);
    if (colon != wxNOT_FOUND) {
        const wxString port = hostPort.Mid(colon + 1);
        unsigned long number = 0;
        if (port.empty() || !port.IsNumber() || !port.ToULong(&number) || number == 0 || number > 65535)
            return false;
        address->port = (unsigned short)number;
        hostPort = hostPort.Left(colon);
    }
    address->host = hostPort;
    // Spaces or controls in the request line would let the address say more
    // than one request.
    for (wxUniChar c : address->host + address->path)
        if (c <= ' ' || c == 127)
            return false;
    return !address->host.empty() && address->host.find_first_of("@?#") == wxString::npos;
}

bool SetupDownload::CanFetch(const wxString &url, int64_t announcedSize)
{
    Address address;
    return announcedSize >= 0 && announcedSize <= SIZE_LIMIT && ParseAddress(url, &address);
}

bool SetupDownload::IsPlainVersion(const char *version)
{
    if (!version)
        return false;
    const size_t length = std::strlen(version);
    if (length == 0 || length > VERSION_LIMIT)
        return false;
    bool digitBefore = false;
    for (size_t i = 0; i < length; i++) {
        const char c = version[i];
        if (c >= '0' && c <= '9') {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

wxString SetupDownload::SetupFilePath(const wxString &folder, const wxString &version)
{
    return folder + wxFILE_SEP_PATH + wxString::Format(_("corvane_%s_setup"), version);
}

wxString SetupDownload::UserDataFolder()
{
    // The toolkit's classic per-user folder is "~/.Corvane", the name of the
    // configuration file; data goes to the desktop's data folder instead.
    wxString base;
    if (!wxGetEnv("XDG_DATA_HOME", &base) || !wxIsAbsolutePath(base))
        base = wxGetHomeDir() + "/.local/share";
    const wxString name = wxTheApp ? wxTheApp->GetAppName() : wxString("Corvane");
    return base + wxFILE_SEP_PATH + name;
}

SetupDownload::SetupDownload(int timeoutSeconds, int64_t sizeLimit)
    : m_timeout(timeoutSeconds > 0 ? timeoutSeconds : 10), m_sizeLimit(sizeLimit)
{
}

wxString SetupDownload::PartialFilePath(const wxString &path)
{
    return path + ".part";
}

bool SetupDownload::Fail(const wxString &reason)
{
    m_error = reason;
    return false;
}

bool SetupDownload::FailOrCancelled(const wxString &reason)
{
    return Fail(m_cancelled ? _("The download was cancelled.") : reason);
}

bool SetupDownload::Fetch(const wxString &url, int64_t announcedSize, const wxString &path)
{
    m_error.clear();
    m_received = 0;
    m_expected = std::max<int64_t>(announcedSize, 0);
    // A partial file is left only when the program was killed while it
    // downloaded; it is no setup file and goes before anything else can
    // fail.
    const wxString part = PartialFilePath(path);
    if (unlink(part.fn_str()) != 0 && errno != ENOENT)
        return Fail(wxString::Format(_("Cannot remove the unfinished download %s."), part));
    Address address;
    if (!ParseAddress(url, &address))
        return Fail(wxString::Format(_("The setup file's address is not an http address: %s"), url));
    if (announcedSize > m_sizeLimit)
        return Fail(wxString::Format(_("The setup file is larger than %s MB; it was not downloaded."),
                                     Megabytes(m_sizeLimit)));

    const std::string host = address.host.ToStdString(wxConvUTF8);
    const wxStopWatch clock;
    HttpSocket socket;
    const auto cancelled = [this] { return m_cancelled.load(); };
    if (!socket.Connect(host, address.port ? address.port : 80, clock, m_timeout * 1000L, cancelled) ||
        !socket.SendGet(address.path.ToStdString(wxConvUTF8), host, address.port, std::string(), clock,
                        m_timeout * 1000L, cancelled))
        return FailOrCancelled(wxString::Format(_("Cannot connect to the update server %s."), address.host));
    HttpAnswer head;
    const wxStopWatch headClock;
    const HttpAnswer::Arrival arrival = head.Receive(socket, headClock, m_timeout * 1000L, cancelled);
    if (arrival != HttpAnswer::HEAD_WHOLE)
        return FailOrCancelled(ArrivalFailure(arrival, address.host));
    if (!head.Read())
        return Fail(HeadFailure(head, address.host));
    if (head.GetStatus() != 200)
        return Fail(wxString::Format(_("The update server answered with status %d instead of sending the setup "
                                       "file."),
                                     head.GetStatus()));
    const int64_t expected = announcedSize > 0 ? announcedSize : head.GetLength();
    if (head.IsEncoded())
        return Fail(_("The update server sent the setup file in a transfer encoding; it was not downloaded."));
    if (expected <= 0)
        return Fail(_("The update server did not say how large the setup file is."));
    if (expected > m_sizeLimit)
        return Fail(wxString::Format(_("The setup file is larger than %s MB; it was not downloaded."),
                                     Megabytes(m_sizeLimit)));
    if (head.GetLength() >= 0 && head.GetLength() != expected)
        return Fail(wxString::Format(_("The update server sends %lld bytes, but %lld were announced."),
                                     (long long)head.GetLength(), (long long)expected));
    m_expected = expected;

    // Written aside: the setup file of an earlier download stays until this
    // one is whole.  O_EXCL: whatever took the name since is not written
    // through.
    const int file = open(part.fn_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        return Fail(wxString::Format(_("Cannot create the file %s."), part));
    wxString failure = ReceiveBody(socket, head.GetEarlyBody(), expected, head.GetLength() == expected, file, part);
    socket.Close();
    if (close(file) != 0 && failure.empty())
        failure = wxString::Format(_("Cannot write the file %s."), part);
    if (failure.empty() && chmod(part.fn_str(), 0755) != 0)
        failure = wxString::Format(_("Cannot make the file %s executable."), part);
    if (failure.empty() && rename(part.fn_str(), path.fn_str()) != 0)
        failure = wxString::Format(_("Cannot rename %s to %s."), part, path);
    if (!failure.empty()) {
        unlink(part.fn_str());
        return FailOrCancelled(failure);
    }
    return true;
}

wxString SetupDownload::ArrivalFailure(int arrival, const wxString &host) const
{
    switch (arrival) {
    case HttpAnswer::CLOSED_SILENT:
        return wxString::Format(_("The update server %s closed the connection without answering."), host);
    case HttpAnswer::CLOSED_IN_HEAD:
        return wxString::Format(_("The update server %s closed the connection in the middle of its answer."), host);
    case HttpAnswer::HEAD_TOO_LONG:
        return wxString::Format(_("The update server %s sent more than %d KB of headers; its answer is not "
                                  "taken."),
                                host, int(HttpAnswer::HEAD_LIMIT / 1024));
    case HttpAnswer::LINE_END_NOT_CRLF:
        return wxString::Format(_("The update server %s sent a line that does not end in CR LF; its answer is "
                                  "not HTTP."),
                                host);
    case HttpAnswer::CONNECTION_FAILED:
        return wxString::Format(_("The connection to the update server %s broke off."), host);
    default:
        return wxString::Format(_("The update server %s did not answer in %d seconds."), host, m_timeout);
    }
}

wxString SetupDownload::HeadFailure(const HttpAnswer &answer, const wxString &host)
{
    const wxString shown = wxString::FromAscii(answer.GetFaultLine().c_str());
    switch (answer.GetFault()) {
    case HttpAnswer::BAD_STATUS_LINE:
        return wxString::Format(_("The update server %s did not answer with an HTTP status line: \"%s\"."), host,
                                shown);
    case HttpAnswer::LENGTHS_DIFFER:
        return wxString::Format(_("The update server %s named two different lengths for the setup file."), host);
    default:
        return wxString::Format(_("The update server %s sent a malformed header line: \"%s\"."), host, shown);
    }
}

wxString SetupDownload::Append(int file, const char *data, size_t size, int64_t expected, const wxString &fileName)
{
    if (m_received + (int64_t)size > expected)
        return wxString::Format(_("The update server sent more than the announced %lld bytes."), (long long)expected);
    for (size_t written = 0; written < size;) {
        const ssize_t n = write(file, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return wxString::Format(_("Cannot write the file %s."), fileName);
        written += (size_t)n;
    }
    m_received += (int64_t)size;
    return wxString();
}

// Ends on the server's close, or once the declared length is in; refuses a
// body that pauses longer than the timeout, that brings fewer than MIN_RATE
// bytes a second over any timeout's span, or that is not whole within the
// time its size takes at MIN_RATE (plus the timeout).
wxString SetupDownload::ReceiveBody(HttpSocket &socket, const std::string &early, int64_t expected,
                                    bool lengthDeclared, int file, const wxString &fileName)
{
    const long timeout = m_timeout * 1000L;
    const long deadline = timeout + (long)(expected * 1000 / MIN_RATE);
    wxString failure = Append(file, early.data(), early.size(), expected, fileName);
    const wxStopWatch clock;
    long lastByte = 0, spanStart = 0;
    int64_t spanBytes = m_received;
    std::vector<char> block(READ_BLOCK);
    while (failure.empty() && !m_cancelled && !(lengthDeclared && m_received == expected)) {
        if (socket.WaitReadable(POLL_MS)) {
            // One byte past the announced size is enough to tell a body that
            // is too long.
            const size_t want = (size_t)std::min<int64_t>((int64_t)block.size(), expected + 1 - m_received);
            const ssize_t n = socket.Read(block.data(), want);
            if (n == 0 || n == -1)
                break;
            if (n > 0) {
                failure = Append(file, block.data(), (size_t)n, expected, fileName);
                lastByte = clock.Time();
            }
        }
        const long now = clock.Time();
        const int64_t received = m_received;
        if (received == expected) {
            // A body of unstated length that is already whole, from a server
            // that keeps the connection open.
            if (now - lastByte >= timeout)
                break;
        } else if (now - lastByte >= timeout) {
            failure = wxString::Format(_("The update server sent nothing for %d seconds; the download stopped "
                                         "after %lld of %lld bytes."),
                                       m_timeout, (long long)received, (long long)expected);
        } else if (now >= deadline) {
            failure = wxString::Format(_("The setup file did not arrive within %ld seconds; the download stopped "
                                         "after %lld of %lld bytes."),
                                       deadline / 1000, (long long)received, (long long)expected);
        } else if (now - spanStart >= timeout) {
            if (received - spanBytes < MIN_RATE * m_timeout)
                failure = wxString::Format(_("The update server sent fewer than %lld bytes a second for %d seconds; "
                                             "the download stopped after %lld of %lld bytes."),
                                           (long long)MIN_RATE, m_timeout, (long long)received,
                                           (long long)expected);
            spanStart = now;
            spanBytes = received;
        }
    }
    if (m_cancelled)
        return _("The download was cancelled.");
    if (failure.empty() && m_received < expected)
        failure = wxString::Format(_("The download stopped after %lld of %lld bytes."), (long long)m_received,
                                   (long long)expected);
    return failure;
}
