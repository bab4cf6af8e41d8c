#include "SectionText.h"

#include "c_notation.h"

#include <wx/intl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsSeparator(char c)
{
    return c == ',' || c == ';' || c == '\b';
}

const size_t CHUNK_BYTES = 64 * 1024;

// A byte-order mark, or a NUL in most of the odd or most of the even bytes:
// the other half of each ASCII character of UTF-16 text.
bool LooksLikeUtf16(const char *bytes, size_t size)
{
    if (size >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return true;
    const size_t pairs = std::min<size_t>(size, 1024) / 2;
    size_t evenNuls = 0, oddNuls = 0;
    for (size_t i = 0; i < pairs; ++i) {
        evenNuls += bytes[2 * i] == '\0';
        oddNuls += bytes[2 * i + 1] == '\0';
    }
    const auto most = [pairs](size_t nuls) { return pairs >= 2 && nuls * 2 >= pairs; };
    const auto few = [pairs](size_t nuls) { return nuls * 4 < pairs; };
    return (most(oddNuls) && few(evenNuls)) || (most(evenNuls) && few(oddNuls));
}

// Cuts a stream of bytes into lines at LF, CR LF and CR, keeping at most
// MAX_LINE_BYTES of each.
class LineCutter
{
public:
    explicit LineCutter(const std::function<bool(const SectionText::Line &)> &visit) : m_visit(visit) {}

    // False once the visitor asked to stop.
    bool Feed(const char *bytes, size_t size)
    {
        const char *end = bytes + size;
        while (bytes < end) {
            if (m_afterCarriageReturn && *bytes == '\n')
                ++bytes;
            m_afterCarriageReturn = false;
            const char *stop = std::find_if(bytes, end, [](char c) { return c == '\n' || c == '\r'; });
            Keep(bytes, size_t(stop - bytes));
            if (stop == end)
                return true;
            m_afterCarriageReturn = *stop == '\r';
            bytes = stop + 1;
            if (!Emit())
                return false;
        }
        return true;
    }

    // The last line, when the file does not end with a line end.
    void Finish()
    {
        if (!m_line.text.empty() || !m_line.whole)
            Emit();
    }

private:
    void Keep(const char *bytes, size_t size)
    {
        const size_t room = SectionText::MAX_LINE_BYTES - m_line.text.size();
        m_line.text.append(bytes, std::min(size, room));
        if (size > room)
            m_line.whole = false;
    }

    bool Emit()
    {
        m_line.number = ++m_number;
        const bool more = m_visit(m_line);
        m_line.text.clear();
        m_line.whole = true;
        return more;
    }

    const std::function<bool(const SectionText::Line &)> &m_visit;
    SectionText::Line m_line{0, std::string(), true};
    int m_number = 0;
    bool m_afterCarriageReturn = false;
};

// Listing more than this many skipped lines only buries the message.
const size_t LISTED_LINES = 8;

} // namespace

bool SectionText::ReadNumber(const char **cursor, double *value)
{
    const char *p = *cursor;
    while (IsSpace(*p))
        ++p;
    double number = 0;
    const char *end = velmo::read_c_number(p, &number);
    if (!end || !std::isfinite(number))
        return false;
    *value = number;
    *cursor = end;
    return true;
}

double SectionText::LeadingNumber(const wxString &text)
{
    const std::string bytes = text.utf8_string();
    const char *cursor = bytes.c_str();
    double value = 0;
    return ReadNumber(&cursor, &value) ? value : 0.0;
}

bool SectionText::WholeNumber(const wxString &text, double *value)
{
    const std::string bytes = text.utf8_string();
    const char *cursor = bytes.c_str();
    double number = 0;
    if (!ReadNumber(&cursor, &number) || !IsBlank(cursor))
        return false;
    *value = number;
    return true;
}

namespace {

// Opens what the user picked when it is a regular file small enough to be a
// list; false with the reason otherwise.
bool OpenListFile(const wxString &path, std::ifstream *file, wxString *error)
{
    const std::filesystem::path name(path.fn_str().data());
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(name, code);
    if (code || !std::filesystem::exists(status)) {
        *error = wxString::Format(_("Cannot open file %s."), path);
        return false;
    }
    // A pipe or a device would block the program or never end.
    if (!std::filesystem::is_regular_file(status)) {
        *error = wxString::Format(_("%s is not a regular file."), path);
        return false;
    }
    // A point cloud or an image picked by mistake is not read.
    const std::uintmax_t size = std::filesystem::file_size(name, code);
    if (code || size > std::uintmax_t(SectionText::MAX_FILE_BYTES)) {
        *error = wxString::Format(_("%s is too large for a list of sections (more than %d MB)."), path,
                                  int(SectionText::MAX_FILE_BYTES >> 20));
        return false;
    }
    file->open(name, std::ios::binary);
    if (!*file) {
        *error = wxString::Format(_("Cannot open file %s."), path);
        return false;
    }
    return true;
}

} // namespace

bool SectionText::ReadLines(const wxString &path, const std::function<bool(const Line &)> &visit, wxString *error)
{
    std::ifstream file;
    if (!OpenListFile(path, &file, error))
        return false;
    LineCutter cutter(visit);
    std::vector<char> chunk(CHUNK_BYTES);
    bool first = true;
    while (file) {
        file.read(chunk.data(), std::streamsize(chunk.size()));
        size_t got = size_t(file.gcount());
        const char *bytes = chunk.data();
        if (first) {
            first = false;
            if (LooksLikeUtf16(bytes, got)) {
                *error = wxString::Format(_("%s is UTF-16 text, which cannot be read as a list. Save it as UTF-8 "
                                            "or plain text and import it again."),
                                          path);
                return false;
            }
            if (got >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
                bytes += 3;
                got -= 3;
            }
        }
        if (!cutter.Feed(bytes, got))
            return true;
    }
    if (file.bad()) {
        *error = wxString::Format(_("Cannot read file %s."), path);
        return false;
    }
    cutter.Finish();
    return true;
}

bool SectionText::IsBlank(const std::string &text)
{
    for (char c : text)
        if (!IsSpace(c))
            return false;
    return true;
}

wxString SectionText::ImportReport(const wxString &imported, const wxString &unread, const wxString &dropped)
{
    if (unread.empty() && dropped.empty())
        return wxString();
    wxString report = imported;
    for (const wxString &part : {unread, dropped})
        if (!part.empty())
            report += " " + part;
    return report;
}

wxString SectionText::LineNumbers(const std::vector<int> &numbers)
{
    wxString list;
    for (size_t i = 0; i < numbers.size() && i < LISTED_LINES; ++i)
        list += wxString::Format(i == 0 ? "%d" : ", %d", numbers[i]);
    if (numbers.size() > LISTED_LINES)
        list += ", ...";
    return list;
}

bool SectionText::IsTrailer(const std::string &text, size_t offset)
{
    for (size_t i = offset; i < text.size(); ++i)
        if (!IsSpace(text[i]) && !IsSeparator(text[i]))
            return false;
    return true;
}

wxString SectionText::Fixed3(double value)
{
    const wxString text = wxString(velmo::c_number_text(value, 3));
    return text == "-0.000" ? wxString("0.000") : text;
}

bool SectionText::ReadRows(const wxString &path, long room, const std::function<bool(const std::string &)> &take,
                           std::vector<int> *unread, wxString *error)
{
    long rows = 0;
    bool full = false, garbage = false;
    const bool read = ReadLines(path, [&](const Line &line) {
        // However it is made up, a file this long is no list, and reading
        // it to its end would hold the program.
        if (line.number > MAX_LINES) {
            garbage = true;
            return false;
        }
        if (line.whole && line.text.find('\0') == std::string::npos) {
            if (take(line.text)) {
                full = ++rows > room;
                return !full;
            }
            if (IsBlank(line.text))
                return true;
        }
        unread->push_back(line.number);
        garbage = long(unread->size()) > MAX_ROWS;
        return !garbage;
    }, error);
    if (!read)
        return false;
    if (full && room >= MAX_ROWS)
        *error = wxString::Format(_("%s holds more than %ld rows; a list holds at most %ld rows."), path, room,
                                  MAX_ROWS);
    else if (full)
        *error = wxString::Format(_("%s holds more rows than the list has room for: the list holds %ld rows "
                                    "already and takes at most %ld rows in all."),
                                  path, MAX_ROWS - room, MAX_ROWS);
    else if (garbage)
        *error = wxString::Format(_("%s is not a list: it has more than %ld lines that are not rows."), path,
                                  MAX_ROWS);
    return !full && !garbage;
}
