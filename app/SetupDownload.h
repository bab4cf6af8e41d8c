// Fetching the setup file an update offer points to: one HTTP GET whose body
// is written beside its final name and renamed into place only when it is
// whole, that is when the server answered 200 and sent exactly the announced
// number of bytes.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>

class SetupDownload
{
public:
    // The largest setup file taken; anything bigger is refused before or
    // while it arrives.
    static const int64_t SIZE_LIMIT = 512LL * 1048576;

    struct Address {
        wxString host;
        unsigned short port = 0; // 0: the HTTP default
        wxString path;
    };

    // "http://host[:port]/path"; false for another scheme, no host or a port
    // that is no port.  An address without a path asks for "/".
    static bool ParseAddress(const wxString &url, Address *address);

    // A version text that may become part of a file name: digits separated
    // by single dots, at most 32 characters.
    static bool IsPlainVersion(const char *version);

    // The setup file's path in folder for that version.
    static wxString SetupFilePath(const wxString &folder, const wxString &version);

    // The per-user data folder where setup files are kept.
    static wxString UserDataFolder();

    // Called with the bytes received so far and the bytes expected.
    typedef std::function<void(int64_t received, int64_t expected)> Progress;

    explicit SetupDownload(int timeoutSeconds, int64_t sizeLimit = SIZE_LIMIT);

    // Fetches url into path (replacing it), expecting announcedSize bytes
    // (0 or less: the size the server names in its header).  False, with the
    // reason in GetError() and no file left behind, when the download is not
    // whole; an existing file at path is then kept.
    bool Fetch(const wxString &url, int64_t announcedSize, const wxString &path, const Progress &progress = nullptr);

    const wxString &GetError() const { return m_error; }

private:
    bool Fail(const wxString &reason);

    int m_timeout;
    int64_t m_sizeLimit;
    wxString m_error;
};
