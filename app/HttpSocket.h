// A plain TCP connection to an HTTP server for the update check and the setup
// download.  Both run on worker threads, so they use the system's sockets: the
// toolkit's sockets hand their descriptors to the GUI thread's event loop,
// which then handles them while the worker reads and closes them.
#pragma once

#include <wx/stopwatch.h>

#include <sys/types.h>

#include <functional>
#include <string>

class HttpSocket
{
public:
    // Asked now and then while a wait lasts; true ends the wait at once.
    typedef std::function<bool()> Stopped;

    HttpSocket() = default;
    ~HttpSocket() { Close(); }
    HttpSocket(const HttpSocket &) = delete;
    HttpSocket &operator=(const HttpSocket &) = delete;

    // Connects to one of the host's addresses before clock reaches limit
    // milliseconds.
    bool Connect(const std::string &host, unsigned short port, const wxStopWatch &clock, long limit,
                 const Stopped &stopped = nullptr);
    bool SendAll(const std::string &text, const wxStopWatch &clock, long limit, const Stopped &stopped = nullptr);
    // Sends "GET path" to host, which the socket is connected to on port (0:
    // the HTTP default), asking for accept (none when empty) and for the
    // connection to close after the answer.
    bool SendGet(const std::string &path, const std::string &host, unsigned short port, const std::string &accept,
                 const wxStopWatch &clock, long limit, const Stopped &stopped = nullptr);
    // True when bytes or the end of the connection can be read within
    // milliseconds.
    bool WaitReadable(int milliseconds) const;
    // Bytes read; 0 when the server closed, NOTHING_YET when no byte is
    // waiting, -1 on an error.
    enum { NOTHING_YET = -2 };
    ssize_t Read(char *buffer, size_t size);
    void Close();

private:
    bool WaitFor(short events, const wxStopWatch &clock, long limit, const Stopped &stopped) const;

    int m_fd = -1;
};
