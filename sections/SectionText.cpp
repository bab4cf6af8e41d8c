#include "SectionText.h"

#include <wx/intl.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Listing more than this many skipped lines only buries the message.
const size_t LISTED_LINES = 8;

} // namespace

bool SectionText::ReadNumber(const char **cursor, double *value)
{
    const char *p = *cursor;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Only decimal digits and a point may start a number: from_chars would
    // take "nan" and "inf" as well.
    if (!(*p >= '0' && *p <= '9') && !(*p == '.' && p[1] >= '0' && p[1] <= '9'))
        return false;
    double number = 0;
    const char *end = p + std::strlen(p);
    const std::from_chars_result result = std::from_chars(p, end, number, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(number))
        return false;
    *value = negative ? -number : number;
    *cursor = result.ptr;
    return true;
}

double SectionText::LeadingNumber(const wxString &text)
{
    const std::string bytes = text.ToStdString();
    const char *cursor = bytes.c_str();
    double value = 0;
    return ReadNumber(&cursor, &value) ? value : 0.0;
}

bool SectionText::WholeNumber(const wxString &text, double *value)
{
    const std::string bytes = text.ToStdString();
    const char *cursor = bytes.c_str();
    double number = 0;
    if (!ReadNumber(&cursor, &number) || !IsBlank(cursor))
        return false;
    *value = number;
    return true;
}

bool SectionText::ReadLines(const wxString &path, std::vector<Line> *lines, wxString *error)
{
    std::ifstream file(path.fn_str(), std::ios::binary | std::ios::ate);
    if (!file) {
        *error = wxString::Format(_("Cannot open file %s."), path);
        return false;
    }
    // A point cloud or an image picked by mistake is not read into memory.
    if (file.tellg() > std::streamoff(MAX_FILE_BYTES)) {
        *error = wxString::Format(_("%s is too large for a list of sections (more than %d MB)."), path,
                                  int(MAX_FILE_BYTES >> 20));
        return false;
    }
    file.seekg(0);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        *error = wxString::Format(_("Cannot read file %s."), path);
        return false;
    }
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    lines->clear();
    int number = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string text = bytes.substr(start, end - start);
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        lines->push_back({++number, text});
        start = end + 1;
    }
    return true;
}

bool SectionText::IsBlank(const std::string &text)
{
    for (char c : text)
        if (!IsSpace(c))
            return false;
    return true;
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

int SectionText::TakeRows(const std::vector<Line> &lines, const std::function<bool(const std::string &)> &take,
                          std::vector<int> *unread)
{
    int taken = 0;
    for (const Line &line : lines) {
        if (take(line.text))
            ++taken;
        else if (!IsBlank(line.text))
            unread->push_back(line.number);
    }
    return taken;
}
