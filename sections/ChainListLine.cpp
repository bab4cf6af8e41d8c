#include "ChainListLine.h"

#include "SectionText.h"

namespace {

bool IsSeparator(char c)
{
    return c == ',' || c == ';' || c == '\b';
}

} // namespace

bool ChainListLine::Parse(const std::string &text, ChainListLine *line)
{
    const char *cursor = text.c_str();
    double first = 0, second = 0;
    if (!SectionText::ReadNumber(&cursor, &first))
        return false;
    const char *separators = cursor;
    while (IsSeparator(*cursor))
        ++cursor;
    const bool separated = cursor != separators;
    if (!SectionText::IsBlank(cursor)) {
        if (!separated || !SectionText::ReadNumber(&cursor, &second))
            return false;
    }
    line->first = first;
    line->second = second;
    return true;
}
