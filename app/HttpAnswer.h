// The head of an HTTP/1.x answer, received and read strictly, for the update
// check and the setup download alike: a status line "HTTP/1.x NNN reason",
// header fields "name: value", every line ending in CR LF, and the blank
// line after them.  Anything else is no answer to act on, and what was
// wrong is kept so that the user can be told.
#pragma once

#include "HttpSocket.h"

#include <wx/stopwatch.h>

#include <cstdint>
#include <string>

class HttpAnswer
{
public:
    // More than this before the blank line is no head of an answer.
    static const size_t HEAD_LIMIT = 65536;

    // How receiving the head ended.
    enum Arrival {
        HEAD_WHOLE,         // the blank line after the headers came
        CLOSED_SILENT,      // the server closed without sending a byte
        CLOSED_IN_HEAD,     // the server closed before the head was whole
        HEAD_TOO_LONG,      // more than HEAD_LIMIT bytes without the blank line
        LINE_END_NOT_CRLF,  // a line ended in LF or CR alone
        HEAD_TIMED_OUT,     // the time ran out
        HEAD_STOPPED,       // stopped() said so
        CONNECTION_FAILED   // the connection broke
    };

    // What reading the head found wrong.
    enum Fault {
        NO_FAULT,
        BAD_STATUS_LINE,  // not "HTTP/1.x NNN reason"
        BAD_HEADER_LINE,  // not "name: value", or an unusable Content-Length
        LENGTHS_DIFFER    // two Content-Length fields that disagree
    };

    // Reads from socket until the head is whole, before clock reaches limit
    // milliseconds; the body's first bytes are kept in GetEarlyBody().
    Arrival Receive(HttpSocket &socket, const wxStopWatch &clock, long limit,
                    const HttpSocket::Stopped &stopped = nullptr);

    // Reads the head received (or given, for tests); false with the fault
    // and the line at fault when it is not sound.
    bool Read();
    bool Read(const std::string &head);

    int GetStatus() const { return m_status; }
    // -1 when the answer does not say.
    int64_t GetLength() const { return m_length; }
    // A transfer coding other than identity: a body this program does not
    // decode.
    bool IsEncoded() const { return m_encoded; }
    Fault GetFault() const { return m_fault; }
    // The line at fault, cut, with all but printable ASCII shown as '?', for
    // a message.
    const std::string &GetFaultLine() const { return m_faultLine; }
    const std::string &GetEarlyBody() const { return m_early; }

private:
    bool ReadStatusLine(const std::string &line);
    bool ReadHeaderLine(const std::string &line);
    bool Refuse(Fault fault, const std::string &line);

    std::string m_head, m_early;
    int m_status = 0;
    int64_t m_length = -1;
    bool m_encoded = false;
    Fault m_fault = NO_FAULT;
    std::string m_faultLine;
};
