// Fetching the setup file an update offer points to: one HTTP GET whose body
// is written beside its final name and renamed into place only when it is
// whole, that is when the server answered 200 and sent exactly the announced
// number of bytes.  Fetch blocks and runs on a worker thread; the GUI thread
// reads the progress and may cancel meanwhile.
#pragma once

#include <wx/string.h>

#include <atomic>
#include <cstdint>
#include <string>

class HttpAnswer;
class HttpSocket;

class SetupDownload
{
public:
    // The largest setup file taken; anything bigger is refused before or
    // while it arrives.
    static const int64_t SIZE_LIMIT = 512LL * 1048576;
    // Bytes a second a server must keep up, averaged over the timeout; the
    // whole file must also arrive within the time its size takes at that
    // rate.
    static const int64_t MIN_RATE = 1024;

    struct Address {
        wxString host;
        unsigned short port = 0; // 0: the HTTP default
        wxString path;
    };

    // "http://host[:port]/path"; false for another scheme, no host or a port
    // that is no port.  An address without a path asks for "/".
    static bool ParseAddress(const wxString &url, Address *address);

    // Whether an offer can be fetched at all: an address ParseAddress takes
    // and an announced size from 0 (unknown) to SIZE_LIMIT.  An offer that
    // cannot is not made.
    static bool CanFetch(const wxString &url, int64_t announcedSize);

    // A version text that may become part of a file name: digits separated
    // by single dots, at most 32 characters.
    static bool IsPlainVersion(const char *version);

    // The setup file's path in folder for that version.
    static wxString SetupFilePath(const wxString &folder, const wxString &version);

    // The per-user data folder where setup files are kept.
    static wxString UserDataFolder();

    explicit SetupDownload(int timeoutSeconds, int64_t sizeLimit = SIZE_LIMIT);

    // Fetches url into path (replacing it), expecting announcedSize bytes
    // (0 or less: the size the server names in its header).  False, with the
    // reason in GetError() and no file left behind, when the download is not
    // whole or was cancelled; an existing file at path is then kept.  The
    // partial file of a download that never ended is removed first.
    bool Fetch(const wxString &url, int64_t announcedSize, const wxString &path);

    // Any thread: ends a running Fetch within a fraction of a second.
    void Cancel() { m_cancelled = true; }
    bool WasCancelled() const { return m_cancelled; }
    // Any thread: the bytes received and expected so far (0 while unknown).
    int64_t GetReceived() const { return m_received; }
    int64_t GetExpected() const { return m_expected; }

    // Read once Fetch has returned.
    const wxString &GetError() const { return m_error; }

    // Where the body is written until it is whole.
    static wxString PartialFilePath(const wxString &path);

private:
    bool Fail(const wxString &reason);
    bool FailOrCancelled(const wxString &reason);
    // What went wrong, for the user, when the head did not arrive whole or
    // is not sound.
    wxString ArrivalFailure(int arrival, const wxString &host) const;
    static wxString HeadFailure(const HttpAnswer &answer, const wxString &host);
    // The body after the bytes that came with the head, into file; the reason
    // when it is not whole, empty when it is.
    wxString ReceiveBody(HttpSocket &socket, const std::string &early, int64_t expected, bool lengthDeclared,
                         int file, const wxString &fileName);
    wxString Append(int file, const char *data, size_t size, int64_t expected, const wxString &fileName);

    int m_timeout;
    int64_t m_sizeLimit;
    wxString m_error;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int64_t> m_received{0}, m_expected{0};
};
