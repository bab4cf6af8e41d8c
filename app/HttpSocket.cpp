#include "HttpSocket.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// How long a wait lasts at most before asking whether to stop.
const int STOP_CHECK_MS = 50;

int MillisecondsLeft(const wxStopWatch &clock, long limit)
{
    long left = limit - clock.Time();
    return left > 0 ? (int)left : 0;
}

} // namespace

bool HttpSocket::WaitFor(short events, const wxStopWatch &clock, long limit, const Stopped &stopped) const
{
    pollfd p{m_fd, events, 0};
    for (;;) {
        if (stopped && stopped())
            return false;
        const int left = MillisecondsLeft(clock, limit);
        const int slice = stopped ? std::min(left, STOP_CHECK_MS) : left;
        const int ready = poll(&p, 1, slice);
        if (ready > 0)
            return (p.revents & (events | POLLHUP | POLLERR)) != 0;
        if ((ready == 0 && slice == left) || (ready < 0 && errno != EINTR))
            return false;
    }
}

bool HttpSocket::Connect(const std::string &host, unsigned short port, const wxStopWatch &clock, long limit,
                         const Stopped &stopped)
{
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    for (addrinfo *a = found; a && m_fd < 0 && MillisecondsLeft(clock, limit) > 0; a = a->ai_next) {
        m_fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (m_fd < 0)
            continue;
        int error = 0;
        socklen_t size = sizeof error;
        const bool connected = connect(m_fd, a->ai_addr, a->ai_addrlen) == 0 ||
                               (errno == EINPROGRESS && WaitFor(POLLOUT, clock, limit, stopped) &&
                                getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0);
        if (!connected)
            Close();
    }
    freeaddrinfo(found);
    return m_fd >= 0;
}

bool HttpSocket::SendAll(const std::string &text, const wxStopWatch &clock, long limit, const Stopped &stopped)
{
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(m_fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += (size_t)n;
        else if (n < 0 && (errno == EAGAIN || errno == EINTR) && WaitFor(POLLOUT, clock, limit, stopped))
            continue;
        else
            return false;
    }
    return true;
}

// HTTP/1.0, so that the body ends with the connection and comes in no
// transfer coding.  A port other than the default belongs in the Host line:
// a server of several sites tells them apart by it.
bool HttpSocket::SendGet(const std::string &path, const std::string &host, unsigned short port,
                         const std::string &accept, const wxStopWatch &clock, long limit, const Stopped &stopped)
{
    std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + host;
    if (port != 0 && port != 80)
        request += ":" + std::to_string(port);
    request += "\r\n";
    if (!accept.empty())
        request += "Accept: " + accept + "\r\n";
    request += "Connection: close\r\n\r\n";
    return SendAll(request, clock, limit, stopped);
}

bool HttpSocket::WaitReadable(int milliseconds) const
{
    wxStopWatch clock;
    return WaitFor(POLLIN, clock, milliseconds, nullptr);
}

ssize_t HttpSocket::Read(char *buffer, size_t size)
{
    for (;;) {
        const ssize_t n = recv(m_fd, buffer, size, 0);
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return NOTHING_YET;
        if (errno != EINTR)
            return -1;
    }
}

void HttpSocket::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}
