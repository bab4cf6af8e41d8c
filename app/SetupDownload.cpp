#include "SetupDownload.h"

#include <wx/app.h>
#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/protocol/http.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const size_t READ_BLOCK = 65536;
const int POLL_MS = 100;
const size_t VERSION_LIMIT = 32;

// The bytes the server says it sends, or -1 when it does not say.
int64_t HeaderLength(wxHTTP &http)
{
    const wxString text = http.GetHeader("Content-Length").Trim().Trim(false);
    long long length = -1;
    if (text.empty() || !text.ToLongLong(&length) || length < 0)
        return -1;
    return length;
}

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

bool SetupDownload::Fail(const wxString &reason)
{
    m_error = reason;
    return false;
}

bool SetupDownload::Fetch(const wxString &url, int64_t announcedSize, const wxString &path,
                          const Progress &progress)
{
    m_error.clear();
    Address address;
    if (!ParseAddress(url, &address))
        return Fail(wxString::Format(_("The setup file's address is not an http address: %s"), url));
    if (announcedSize > m_sizeLimit)
        return Fail(wxString::Format(_("The setup file is larger than %s MB; it was not downloaded."),
                                     Megabytes(m_sizeLimit)));

    wxHTTP http;
    http.SetMethod("GET");
    http.SetTimeout(m_timeout);
    if (!http.Connect(address.host, address.port))
        return Fail(wxString::Format(_("Cannot connect to the update server %s."), address.host));
    std::unique_ptr<wxInputStream> stream(http.GetInputStream(address.path));
    const int status = http.GetResponse();
    // The client connects only when asked for the stream.
    const bool connectFailed = http.GetError() == wxPROTO_CONNERR;
    if (!stream || status != 200) {
        stream.reset();
        http.Close();
        if (status == 0 && connectFailed)
            return Fail(wxString::Format(_("Cannot connect to the update server %s."), address.host));
        if (status == 0)
            return Fail(wxString::Format(_("The update server %s did not answer in %d seconds."), address.host,
                                         m_timeout));
        return Fail(wxString::Format(_("The update server answered with status %d instead of sending the setup "
                                       "file."),
                                     status));
    }

    const int64_t declared = HeaderLength(http);
    const int64_t expected = announcedSize > 0 ? announcedSize : declared;
    wxString refusal;
    if (expected <= 0)
        refusal = _("The update server did not say how large the setup file is.");
    else if (expected > m_sizeLimit)
        refusal = wxString::Format(_("The setup file is larger than %s MB; it was not downloaded."),
                                   Megabytes(m_sizeLimit));
    else if (declared >= 0 && declared != expected)
        refusal = wxString::Format(_("The update server sends %lld bytes, but %lld were announced."),
                                   (long long)declared, (long long)expected);
    if (!refusal.empty()) {
        stream.reset();
        http.Close();
        return Fail(refusal);
    }

    // Written aside: the setup file of an earlier download stays until this
    // one is whole.
    const wxString part = path + ".part";
    wxLogNull noToolkitMessages;
    wxFile file;
    if (!file.Create(part, true, wxS_IRUSR | wxS_IWUSR)) {
        stream.reset();
        http.Close();
        return Fail(wxString::Format(_("Cannot create the file %s."), part));
    }
    wxString failure;
    int64_t received = 0;
    std::vector<char> block(READ_BLOCK);
    if (progress)
        progress(0, expected);
    // Reads take what has arrived and never block, so that a server that
    // stops sending is noticed after the timeout and the progress window
    // keeps being drawn meanwhile.  A server that has sent everything may
    // have closed the connection already; its socket then takes no flags.
    const bool open = http.GetSocket() != wxSOCKET_T(-1);
    if (open)
        http.SetFlags(wxSOCKET_NOWAIT);
    wxStopWatch quiet;
    for (;;) {
        // One byte past the announced size is enough to tell a body that is
        // too long.
        const size_t want = (size_t)std::min<int64_t>((int64_t)block.size(), expected + 1 - received);
        stream->Read(block.data(), want);
        const size_t got = stream->LastRead();
        if (got > 0) {
            if (received + (int64_t)got > expected) {
                failure = wxString::Format(_("The update server sent more than the announced %lld bytes."),
                                           (long long)expected);
                break;
            }
            if (file.Write(block.data(), got) != got) {
                failure = wxString::Format(_("Cannot write the file %s."), part);
                break;
            }
            received += (int64_t)got;
            if (progress)
                progress(received, expected);
            quiet.Start();
            continue;
        }
        // The end of the body, or the server closed the connection.
        if (stream->Eof() || http.GetSocket() == wxSOCKET_T(-1) || !http.IsConnected()
            || (http.Error() && http.LastError() != wxSOCKET_WOULDBLOCK))
            break;
        if (quiet.Time() >= m_timeout * 1000L) {
            // A body of unstated length that is already whole, from a server
            // that keeps the connection open.
            if (received == expected)
                break;
            failure = wxString::Format(_("The update server sent nothing for %d seconds; the download stopped "
                                         "after %lld of %lld bytes."),
                                       m_timeout, (long long)received, (long long)expected);
            break;
        }
        http.WaitForRead(0, POLL_MS);
        if (progress)
            progress(received, expected);
    }
    stream.reset();
    http.Close();
    if (failure.empty() && received < expected)
        failure = wxString::Format(_("The download stopped after %lld of %lld bytes."), (long long)received,
                                   (long long)expected);
    if (!file.Close() && failure.empty())
        failure = wxString::Format(_("Cannot write the file %s."), part);
    if (failure.empty() && chmod(part.fn_str(), 0755) != 0)
        failure = wxString::Format(_("Cannot make the file %s executable."), part);
    if (failure.empty() && !wxRenameFile(part, path, true))
        failure = wxString::Format(_("Cannot rename %s to %s."), part, path);
    if (!failure.empty()) {
        wxRemoveFile(part);
        return Fail(failure);
    }
    return true;
}
