// The chain list and custom-section text lines, the file reading under them
// and the number fields of the section dialogs.
#include "ChainListLine.h"
#include "CustomSectionLine.h"
#include "SectionText.h"
#include "decimal_comma_locale.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>

namespace {

struct Pair {
    bool taken;
    double first, second;
};

Pair Chain(const std::string &text)
{
    ChainListLine line;
    const bool taken = ChainListLine::Parse(text, &line);
    return {taken, line.first, line.second};
}

std::vector<std::string> Texts(const std::vector<SectionText::Line> &lines)
{
    std::vector<std::string> texts;
    for (const auto &line : lines)
        texts.push_back(line.text);
    return texts;
}

std::vector<SectionText::Line> LinesOf(const TempDir &dir, const std::string &bytes)
{
    const std::string path = dir.file("lines.txt");
    std::ofstream(path, std::ios::binary) << bytes;
    std::vector<SectionText::Line> lines;
    wxString error;
    EXPECT_TRUE(SectionText::ReadLines(path, [&lines](const SectionText::Line &line) {
        lines.push_back(line);
        return true;
    }, &error)) << error;
    return lines;
}

} // namespace

TEST(ChainListLineTest, SeparatorRunsBetweenTheTwoNumbers)
{
    for (const char *text : {"120,35.2", "120;35.2", "120,;, 35.2", "120\b35.2", "  120,35.2\r", "120,35.2,;\t"}) {
        const Pair row = Chain(text);
        EXPECT_TRUE(row.taken) << text;
        EXPECT_DOUBLE_EQ(120.0, row.first) << text;
        EXPECT_DOUBLE_EQ(35.2, row.second) << text;
    }
    const Pair exponent = Chain("-1.5e2,+2E-1");
    EXPECT_TRUE(exponent.taken);
    EXPECT_DOUBLE_EQ(-150.0, exponent.first);
    EXPECT_DOUBLE_EQ(0.2, exponent.second);
}

TEST(ChainListLineTest, AChainageAloneHasSecondValueZero)
{
    for (const char *text : {"120", "120\r", "120,", "120\t"}) {
        const Pair row = Chain(text);
        EXPECT_TRUE(row.taken) << text;
        EXPECT_DOUBLE_EQ(120.0, row.first) << text;
        EXPECT_DOUBLE_EQ(0.0, row.second) << text;
    }
}

// A space instead of a separator would silently drop the altitude.
TEST(ChainListLineTest, LinesThatWouldLoseOrInventAValueAreRefused)
{
    for (const char *text : {"", "   ", "K1+200,3", "# chainage,altitude", "120 35.2", "120\t35.2", "120 ,35.2",
                             "120,abc", "nan,1", "120,nan", "inf,2", "1e999,1", "chain 120", "120x,3",
                             "120,5 35,2", "120,35.2,99 text", "120,35.2,99", "120,35.2 m", "120,35.2x"})
        EXPECT_FALSE(Chain(text).taken) << "'" << text << "'";
}

TEST(CustomSectionLineTest, ThreeNumbersWithSeparatorRuns)
{
    for (const char *text : {"10,20,30", "10;20;30", "10,;20;,30", "10, 20, 30", "10\b20\b30", "10,20,30\r",
                             "10,20,30,; "}) {
        CustomSectionLine line;
        ASSERT_TRUE(CustomSectionLine::Parse(text, &line)) << text;
        EXPECT_DOUBLE_EQ(10.0, line.x);
        EXPECT_DOUBLE_EQ(20.0, line.y);
        EXPECT_DOUBLE_EQ(30.0, line.azimuth);
    }
    for (const char *text : {"10 20 30", "10\t20\t30", "10 ,20 ,30", "10,20", "x,y,azimuth", "", "10,nan,30",
                             "10,20,inf", "10,20,30,40", "10,20,30 comment", "10,5,20,5,30,5"}) {
        CustomSectionLine line;
        EXPECT_FALSE(CustomSectionLine::Parse(text, &line)) << "'" << text << "'";
    }
}

TEST(SectionTextTest, FileLinesEndAtAnyLineEndAndKeepALastLineWithoutOne)
{
    TempDir dir;
    const std::vector<std::string> rows{"0,12.5", "20;13.25", "40,,14"};
    for (const char *bytes : {"0,12.5\n20;13.25\n40,,14\n", "\xEF\xBB\xBF" "0,12.5\r\n20;13.25\r\n40,,14",
                              "0,12.5\r20;13.25\r40,,14\r", "0,12.5\r\n20;13.25\r40,,14\n"})
        EXPECT_EQ(rows, Texts(LinesOf(dir, bytes))) << bytes;
    EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), Texts(LinesOf(dir, "a\n\nb\n")));
    EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), Texts(LinesOf(dir, "a\r\rb")));
    EXPECT_TRUE(LinesOf(dir, "").empty());

    // A long line stays one line: cut in two, its tail would read as a row.
    const std::string longLine = "100," + std::string(1500, '5');
    std::vector<SectionText::Line> lines = LinesOf(dir, longLine + "\n7,8\n");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(longLine, lines[0].text);
    EXPECT_EQ(2, lines[1].number);
    // One too long for any row comes marked, and the next line is whole.
    lines = LinesOf(dir, std::string(SectionText::MAX_LINE_BYTES + 1, '5') + "\n7,8\n");
    ASSERT_EQ(2u, lines.size());
    EXPECT_FALSE(lines[0].whole);
    EXPECT_TRUE(lines[1].whole);
    EXPECT_EQ("7,8", lines[1].text);
}

TEST(SectionTextTest, RowsStopAtTheFirstOneBeyondTheRoomAndSkipLinesWithNul)
{
    TempDir dir;
    const std::string path = dir.file("rows.txt");
    const auto read = [&](const std::string &bytes, long room, int *taken, std::vector<int> *unread,
                          wxString *error) {
        std::ofstream(path, std::ios::binary) << bytes;
        *taken = 0;
        return SectionText::ReadRows(path, room, [taken](const std::string &text) {
            ChainListLine row;
            *taken += ChainListLine::Parse(text, &row);
            return ChainListLine::Parse(text, &row);
        }, unread, error);
    };
    int taken = 0;
    std::vector<int> unread;
    wxString error;
    EXPECT_TRUE(read(std::string("1,1\n2,\0\n\n3,3\n", 13), 2, &taken, &unread, &error)) << error;
    EXPECT_EQ(2, taken);
    EXPECT_EQ(std::vector<int>{2}, unread);

    unread.clear();
    EXPECT_FALSE(read("1,1\nx\n2,2\n3,3\n4,4\n", 2, &taken, &unread, &error));
    EXPECT_EQ(3, taken); // the row too many, then no more
    EXPECT_NE(wxNOT_FOUND, error.Find("at most 100000 rows")) << error;

    // Lines that are no rows, blank ones too, are bounded as well.
    for (const std::string &filler : {std::string("x\n"), std::string("\n")}) {
        std::string bytes;
        for (long k = 0; k <= SectionText::MAX_LINES; ++k)
            bytes += filler;
        unread.clear();
        EXPECT_FALSE(read("1,1\n" + bytes + "2,2\n", SectionText::MAX_ROWS, &taken, &unread, &error));
        EXPECT_NE(wxNOT_FOUND, error.Find("is not a list")) << error;
        EXPECT_LE(unread.size(), size_t(SectionText::MAX_ROWS + 1));
    }
}

TEST(SectionTextTest, AFileThatIsNoListIsAnErrorNamingIt)
{
    TempDir dir;
    const std::string huge = dir.file("cloud.las");
    {
        std::ofstream out(huge, std::ios::binary);
        out << "10,20\n";
        out.seekp(SectionText::MAX_FILE_BYTES);
        out << '\n';
    }
    const struct {
        std::string path;
        const char *reason;
    } cases[] = {{"/nonexistent/chains.txt", "Cannot open"},
                 {dir.path().string(), "not a regular file"},
                 {huge, "too large"}};
    for (const auto &c : cases) {
        bool visited = false;
        wxString error;
        EXPECT_FALSE(SectionText::ReadLines(c.path, [&visited](const SectionText::Line &) {
            visited = true;
            return true;
        }, &error)) << c.path;
        EXPECT_NE(wxNOT_FOUND, error.Find(c.path)) << error;
        EXPECT_NE(wxNOT_FOUND, error.Find(c.reason)) << error;
        EXPECT_FALSE(visited);
    }
}

TEST(SectionTextTest, FieldsReadTheCNotationWhateverTheLocale)
{
    DecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    EXPECT_DOUBLE_EQ(12.5, SectionText::LeadingNumber("12.5"));
    EXPECT_DOUBLE_EQ(3.0, SectionText::LeadingNumber(" 3abc"));
    EXPECT_DOUBLE_EQ(0.0, SectionText::LeadingNumber("abc"));
    double value = -1;
    EXPECT_TRUE(SectionText::WholeNumber(" 40.0 ", &value));
    EXPECT_DOUBLE_EQ(40.0, value);
    for (const char *text : {"", "  ", "40m", "nan", "-inf", "1e400", "1,5"})
        EXPECT_FALSE(SectionText::WholeNumber(text, &value)) << text;
    const Pair row = Chain("120.5;35.25");
    EXPECT_TRUE(row.taken);
    EXPECT_DOUBLE_EQ(120.5, row.first);
    EXPECT_DOUBLE_EQ(35.25, row.second);
    CustomSectionLine line;
    ASSERT_TRUE(CustomSectionLine::Parse("500010.125,4000020.5,45.75", &line));
    EXPECT_DOUBLE_EQ(500010.125, line.x);
    EXPECT_DOUBLE_EQ(4000020.5, line.y);
    EXPECT_DOUBLE_EQ(45.75, line.azimuth);
    EXPECT_EQ("1.500", SectionText::Fixed3(1.5));
    EXPECT_EQ("0.000", SectionText::Fixed3(-0.0001));
}

TEST(SectionTextTest, LineNumberListsStopAfterAFewAndZeroHasNoSign)
{
    for (double zero : {-0.0, -0.0004, 0.0})
        EXPECT_EQ("0.000", SectionText::Fixed3(zero)) << zero;
    EXPECT_EQ("-0.001", SectionText::Fixed3(-0.0006));
    EXPECT_EQ("2, 5, 9", SectionText::LineNumbers({2, 5, 9}));
    EXPECT_EQ("1, 2, 3, 4, 5, 6, 7, 8, ...", SectionText::LineNumbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}
