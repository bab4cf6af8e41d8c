// The timing log is read by the benchmark scripts, whatever locale the
// program runs under.
#include "ViewTimeLog.h"
#include "decimal_comma_locale.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>

TEST(ViewTimeLogTest, SecondsCarryADecimalPointUnderADecimalCommaLocale)
{
    TempDir dir;
    const std::string path = dir.file("view.log");
    setenv("CORVANE_VIEW_LOG", path.c_str(), 1);
    {
        DecimalCommaLocale locale;
        ASSERT_DECIMAL_COMMA_LOCALE(locale);
        ViewTimeLog log;
        log.OpenStarted();
        log.OpenFinished();
    }
    unsetenv("CORVANE_VIEW_LOG");
    std::istringstream lines(read_bytes(path));
    const std::regex line("(open_started|open_finished) [0-9]+\\.[0-9]{6}");
    int count = 0;
    for (std::string text; std::getline(lines, text); ++count)
        EXPECT_TRUE(std::regex_match(text, line)) << text;
    EXPECT_EQ(2, count);
}
