#include "HttpAnswer.h"

#include <algorithm>
#include <cstring>

namespace {

// How long one wait lasts before stopped() is asked again.
const int POLL_MS = 50;
// How much of a line at fault a message shows.
const size_t FAULT_LINE_SHOWN = 80;

const char HEAD_END[] = "\r\n\r\n";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The characters of a field name (a token).
bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || std::strchr("!#$%&'*+-.^_`|~", c);
}

// Visible characters, space, tab and bytes of other encodings: what a
// reason phrase or a field value may hold.
bool IsTextCharacter(char c)
{
    const unsigned char u = (unsigned char)c;
    return u == '\t' || (u >= ' ' && u != 127);
}

bool IsText(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), IsTextCharacter);
}

std::string Lowered(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

std::string TrimmedOfSpaces(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Digits only, at most 18 of them (no sign, no exponent, no spaces); -1
// otherwise.
int64_t Digits(const std::string &text)
{
    if (text.empty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), IsDigit))
        return -1;
    return std::stoll(text);
}

// Where in text[from, to) a line ends otherwise than in CR LF; npos when
// nowhere.  A CR as the last byte received may still be followed by its LF.
size_t LineEndNotCrLf(const std::string &text, size_t from, size_t to)
{
    for (size_t i = from; i < to; i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return i;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] != '\n')
            return i;
    }
    return std::string::npos;
}

} // namespace

HttpAnswer::Arrival HttpAnswer::Receive(HttpSocket &socket, const wxStopWatch &clock, long limit,
                                        const HttpSocket::Stopped &stopped)
{
    std::string bytes;
    char buffer[4096];
    for (;;) {
        if (stopped && stopped())
            return HEAD_STOPPED;
        const long left = limit - clock.Time();
        if (left <= 0)
            return HEAD_TIMED_OUT;
        if (!socket.WaitReadable((int)std::min<long>(left, POLL_MS)))
            continue;
        const ssize_t n = socket.Read(buffer, sizeof buffer);
        if (n == HttpSocket::NOTHING_YET)
            continue;
        if (n < 0)
            return CONNECTION_FAILED;
        if (n == 0)
            return bytes.empty() ? CLOSED_SILENT : CLOSED_IN_HEAD;
        // The blank line may straddle two reads.
        const size_t searchFrom = bytes.size() > 3 ? bytes.size() - 3 : 0;
        const size_t checkFrom = bytes.empty() ? 0 : bytes.size() - 1;
        bytes.append(buffer, (size_t)n);
        const size_t end = bytes.find(HEAD_END, searchFrom);
        const size_t headLength = end == std::string::npos ? bytes.size() : end + 4;
        if (LineEndNotCrLf(bytes, checkFrom, headLength) != std::string::npos)
            return LINE_END_NOT_CRLF;
        if (headLength > HEAD_LIMIT)
            return HEAD_TOO_LONG;
        if (end != std::string::npos) {
            m_head = bytes.substr(0, headLength);
            m_early = bytes.substr(headLength);
            return HEAD_WHOLE;
        }
    }
}

bool HttpAnswer::Read()
{
    return Read(m_head);
}

bool HttpAnswer::Read(const std::string &head)
{
    m_status = 0;
    m_length = -1;
    m_encoded = false;
    m_fault = NO_FAULT;
    m_faultLine.clear();
    size_t start = 0, end = head.find("\r\n");
    if (end == std::string::npos)
        return Refuse(BAD_STATUS_LINE, head);
    if (!ReadStatusLine(head.substr(0, end)))
        return false;
    for (start = end + 2; (end = head.find("\r\n", start)) != std::string::npos && end > start; start = end + 2)
        if (!ReadHeaderLine(head.substr(start, end - start)))
            return false;
    // What follows the headers must be the blank line and nothing else.
    if (end == std::string::npos || end + 2 != head.size())
        return Refuse(BAD_HEADER_LINE, head.substr(start));
    return true;
}

// "HTTP/1." digit, a space, three digits from 100 to 599, then nothing or a
// space and a reason phrase.
bool HttpAnswer::ReadStatusLine(const std::string &line)
{
    const bool shaped = line.size() >= 12 && line.compare(0, 7, "HTTP/1.") == 0 && IsDigit(line[7]) &&
                        line[8] == ' ' && IsDigit(line[9]) && IsDigit(line[10]) && IsDigit(line[11]) &&
                        (line.size() == 12 || line[12] == ' ') && IsText(line);
    const int status = shaped ? std::stoi(line.substr(9, 3)) : 0;
    if (status < 100 || status > 599)
        return Refuse(BAD_STATUS_LINE, line);
    m_status = status;
    return true;
}

// A token, a colon straight after it, and a value of text.  No line may
// continue the one before it (a leading space or tab).
bool HttpAnswer::ReadHeaderLine(const std::string &line)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::all_of(line.begin(), line.begin() + (long)colon, IsNameCharacter) || !IsText(line))
        return Refuse(BAD_HEADER_LINE, line);
    const std::string name = Lowered(line.substr(0, colon));
    const std::string value = TrimmedOfSpaces(line.substr(colon + 1));
    if (name == "content-length") {
        const int64_t length = Digits(value);
        if (length < 0)
            return Refuse(BAD_HEADER_LINE, line);
        if (m_length >= 0 && length != m_length)
            return Refuse(LENGTHS_DIFFER, line);
        m_length = length;
    } else if (name == "transfer-encoding" && Lowered(value) != "identity") {
        m_encoded = true;
    }
    return true;
}

bool HttpAnswer::Refuse(Fault fault, const std::string &line)
{
    m_fault = fault;
    m_faultLine = line.substr(0, FAULT_LINE_SHOWN);
    for (char &c : m_faultLine)
        if (c < ' ' || c > '~')
            c = '?';
    return false;
}
