// The current section's DXF import and DXF or DAT export say why they fail,
// and a failed import leaves the red line as it was.  Needs a display (Xvfb).
#include "SectionViewTestSupport.h"

using namespace sectionview;

namespace {

const std::string kEnd = "  0\nENDSEC\n  0\nEOF\n";

std::string Entities(const std::string &body)
{
    return "  0\nSECTION\n  2\nENTITIES\n" + body + kEnd;
}

std::string Line(const std::string &x1, const std::string &y1, const std::string &x2, const std::string &y2)
{
    return "  0\nLINE\n  8\nDESIGN\n 10\n" + x1 + "\n 20\n" + y1 + "\n 30\n0\n 11\n" + x2 + "\n 21\n" + y2 +
           "\n 31\n0\n";
}

std::string ManyVertices(int count)
{
    std::string body = "  0\nPOLYLINE\n  8\nDESIGN\n 66\n1\n";
    for (int i = 0; i < count; ++i)
        body += "  0\nVERTEX\n  8\nDESIGN\n 10\n" + std::to_string(i * 1e-3) + "\n 20\n1\n 30\n0\n";
    return Entities(body + "  0\nSEQEND\n");
}

} // namespace

TEST_F(SectionViewTest, AFailedDxfImportSaysWhyAndKeepsTheRedLine)
{
    section_t *section = Latitude(1);
    MakeCurrent(section);
    wxCommandEvent click(wxEVT_BUTTON);
    const std::string good = dir.file("design.dxf");
    write_bytes(good, Entities(Line("-5", "1", "5", "2")));
    {
        DialogAnswerer none(wxID_OK);
        script->answers.push_back({wxString::FromUTF8(good), 0});
        frame->OnImportDxf(click);
        EXPECT_TRUE(none.shown.empty());
    }
    Array *kept = section->red_line;
    ASSERT_EQ(2u, CountOf(kept));

    const std::string valid = Entities(Line("-5", "1", "5", "2"));
    const struct {
        const char *name;
        std::string bytes;
        const char *why;
    } cases[] = {
        {"empty.dxf", "", "The file is empty."},
        {"random.dxf", std::string("\x93\x11zq\xff\x02 7\n\x80\n", 11), "not a group code"},
        {"truncated.dxf", valid.substr(0, valid.size() / 2), "cut short"},
        {"inf.dxf", Entities(Line("-5", "1", "inf", "2")), "\"inf\""},
        {"overflow.dxf", Entities(Line("-5", "1e400", "5", "2")), "\"1e400\""},
        {"far.dxf", Entities(Line("-5", "1", "5", "3e8")), "farther than"},
        {"many.dxf", ManyVertices(VELMO_DESIGN_LINE_MAX + 1), "more than 100000 line vertices"},
        {"missing.dxf", "", "does not exist"},
    };
    for (const auto &c : cases) {
        const std::string path = dir.file(c.name);
        if (std::string(c.name) != "missing.dxf")
            write_bytes(path, c.bytes);
        DialogAnswerer boxes(wxID_OK);
        script->answers.push_back({wxString::FromUTF8(path), 0});
        frame->OnImportDxf(click);
        ASSERT_EQ(1u, boxes.shown.size()) << c.name;
        EXPECT_EQ("Error", boxes.shown[0].title) << c.name;
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(wxString::FromUTF8(c.why)))
            << c.name << ": " << boxes.shown[0].message;
        EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(wxString::FromUTF8(path))) << c.name;
        EXPECT_EQ(kept, section->red_line) << c.name;
        EXPECT_EQ(2u, CountOf(section->red_line)) << c.name;
    }
}

TEST_F(SectionViewTest, AFailedExportOfTheCurrentSectionSaysWhy)
{
    section_t *section = Latitude(1);
    MakeCurrent(section);
    Key('A');
    LeftClick(MouseAt(*PointNearU(section, -3.0f)));
    LeftClick(MouseAt(*PointNearU(section, 3.0f)));
    Key('S');
    wxCommandEvent click(wxEVT_BUTTON);
    const std::string missing = dir.file("no such folder/section.dxf");
    const std::string tooLong = dir.file(std::string(1100, 'n') + ".dxf");
    const struct {
        std::string path;
        int filter;
        wxString why;
    } cases[] = {
        {missing, 0, wxString::FromUTF8("Cannot write \"" + missing + "\": No such file or directory.")},
        // Saved as DAT, the name gets the DAT extension.
        {missing, 1, wxString::FromUTF8("Cannot write \"" + missing + ".dat\": No such file or directory.")},
        {tooLong, 0, "The file's path is too long."},
        {tooLong, 1, "The file's path is too long."},
    };
    for (const auto &c : cases) {
        DialogAnswerer boxes(wxID_OK);
        script->answers.push_back({wxString::FromUTF8(c.path), c.filter});
        frame->OnExportSectionFile(click);
        ASSERT_EQ(1u, boxes.shown.size()) << c.filter;
        EXPECT_EQ("Error", boxes.shown[0].title) << c.filter;
        EXPECT_EQ(c.why, boxes.shown[0].message) << c.filter;
    }
}
