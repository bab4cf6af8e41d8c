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
    const char *begin = text.c_str();
    const char *cursor = begin;
    double first = 0, second = 0;
    if (!SectionText::ReadNumber(&cursor, &first))
        return false;
    const char *separators = cursor;
    while (IsSeparator(*cursor))
        ++cursor;
    const bool separated = cursor != separators;
    if (!SectionText::IsTrailer(text, size_t(cursor - begin))) {
        if (!separated || !SectionText::ReadNumber(&cursor, &second) ||
            !SectionText::IsTrailer(text, size_t(cursor - begin)))
            return false;
    }
    line->first = first;
    line->second = second;
    return true;
}
