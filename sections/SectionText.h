// Numbers and lines of the section dialogs' fields and text files.  Numbers
// are read in the C notation whatever the user's locale, so a file written
// on one machine reads the same on every other.
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

class SectionText
{
public:
    // One line of a text file, numbered from 1.
    struct Line {
        int number;
        std::string text;
        bool whole = true;
    };

    // Reads the longest number at *cursor after optional white space and
    // moves the cursor past it; false, cursor unmoved, when none stands
    // there or it is not finite (nan, inf, overflow).
    static bool ReadNumber(const char **cursor, double *value);

    // The field's leading number as atof reads it: 0 when there is none.
    static double LeadingNumber(const wxString &text);

    // The whole field as one finite number, blanks around it allowed; false
    // for an empty field, trailing text or a value that is not finite.
    static bool WholeNumber(const wxString &text, double *value);

    // Larger files are refused: a full list fits in far less.
    static const long MAX_FILE_BYTES = 64L << 20;

    // A list holds at most this many rows: more is a slip, not a survey,
    // and would hold the program for minutes.
    static const long MAX_ROWS = 100000;

    // A file of more lines, blank ones included, is no list.
    static const long MAX_LINES = 10 * MAX_ROWS;

    // A row is a few numbers; a longer line is no row and is not kept.
    static const size_t MAX_LINE_BYTES = 4096;

    // Hands the file's lines in order to visit(line), which answers whether
    // to go on.  Lines end at LF, CR LF or CR; a UTF-8 byte-order mark is
    // dropped and a last line without its end is kept.  A line longer than
    // MAX_LINE_BYTES comes cut, with whole false.  False with a message
    // saying why when the file cannot be read, is not a regular file, is
    // larger than MAX_FILE_BYTES or is UTF-16 text.
    static bool ReadLines(const wxString &path, const std::function<bool(const Line &)> &visit, wxString *error);

    // True for a line of white space only.
    static bool IsBlank(const std::string &text);

    // True when the text from offset on is a run of separators (comma,
    // semicolon, backspace) and white space, or nothing.
    static bool IsTrailer(const std::string &text, size_t offset);

    // Reads the rows of a list file: take(text) parses one line and keeps
    // the row it reads, answering whether it could.  Lines holding a NUL or
    // too long for a row never reach take.  The numbers of the lines that
    // were neither a row nor blank go to *unread.  Reading stops, false with
    // a message, at the first row beyond room (the rows the list can still
    // take), after more than MAX_ROWS lines that are not rows or MAX_LINES
    // lines in all, or when the file cannot be read; the caller then drops
    // what take kept.
    static bool ReadRows(const wxString &path, long room, const std::function<bool(const std::string &)> &take,
                         std::vector<int> *unread, wxString *error);

    // ReadRows for a row type with a static Parse(text, &row).
    template <class Row>
    static bool ReadParsedRows(const wxString &path, long room, std::vector<Row> *rows, std::vector<int> *unread,
                               wxString *error)
    {
        return ReadRows(path, room, [rows](const std::string &text) {
            Row row;
            if (!Row::Parse(text, &row))
                return false;
            rows->push_back(row);
            return true;
        }, unread, error);
    }

    // "lines 2, 5 and 9"-style list of line numbers, the first few only.
    static wxString LineNumbers(const std::vector<int> &numbers);
    // What an import tells the user: the sentence of what came in, then
    // those of the lines not read and of the rows dropped (either may be
    // empty); empty when both are, so that a whole import needs no word.
    static wxString ImportReport(const wxString &imported, const wxString &unread, const wxString &dropped);

    // "%.3f" as the lists show values; never "-0.000".
    static wxString Fixed3(double value);
};
