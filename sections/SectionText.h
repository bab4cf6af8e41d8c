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

    // Larger files are refused: a million rows fit in far less.
    static const long MAX_FILE_BYTES = 64L << 20;

    // The lines of a text file: a UTF-8 byte-order mark is dropped, a last
    // line without its line feed is kept, a carriage return before the line
    // feed is dropped.  False with a message saying why when the file cannot
    // be read.
    static bool ReadLines(const wxString &path, std::vector<Line> *lines, wxString *error);

    // True for a line of white space only.
    static bool IsBlank(const std::string &text);

    // Hands every line to take(text), which adds the row it reads and says
    // whether it could; the numbers of the lines that were neither a row nor
    // blank go to *unread.  The number of rows taken.
    static int TakeRows(const std::vector<Line> &lines, const std::function<bool(const std::string &)> &take,
                        std::vector<int> *unread);

    // "lines 2, 5 and 9"-style list of line numbers, the first few only.
    static wxString LineNumbers(const std::vector<int> &numbers);
};
