#include "CustomSectionLine.h"

#include "SectionText.h"

namespace {

// A run of one or more separators right at the cursor.
bool SkipSeparators(const char **cursor)
{
    const char *p = *cursor;
    while (*p == ',' || *p == ';' || *p == '\b')
        ++p;
    const bool found = p != *cursor;
    *cursor = p;
    return found;
}

} // namespace

bool CustomSectionLine::Parse(const std::string &text, CustomSectionLine *line)
{
    const char *begin = text.c_str();
    const char *cursor = begin;
    double x = 0, y = 0, azimuth = 0;
    if (!SectionText::ReadNumber(&cursor, &x) || !SkipSeparators(&cursor) ||
        !SectionText::ReadNumber(&cursor, &y) || !SkipSeparators(&cursor) ||
        !SectionText::ReadNumber(&cursor, &azimuth) || !SectionText::IsTrailer(text, size_t(cursor - begin)))
        return false;
    line->x = x;
    line->y = y;
    line->azimuth = azimuth;
    return true;
}
