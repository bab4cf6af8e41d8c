// The one question behind every save dialog of the program: the typed name
// gets the chosen filter's extension, and replacing a file of the final
// name needs a Yes.  The dialog answers from a script, the question from a
// modal hook.  Needs a display (Xvfb) for the question.
#include "FileChooser.h"
#include "FrameTestSupport.h"
#include "temp_dir.h"

#include <wx/filedlg.h>

#include <deque>
#include <fstream>

using namespace frametest;

namespace {

// Answers each question for a path with the next typed name and filter.
class TypedNames : public FileChooser
{
public:
    std::deque<std::pair<wxString, int>> typed;
    int asked = 0;
    int GetFilterIndex() const override { return m_filter; }

protected:
    bool AskPath(wxWindow *, const wxString &, const wxString &, long, wxString *path) override
    {
        ++asked;
        if (typed.empty())
            return false;
        *path = typed.front().first;
        m_filter = typed.front().second;
        typed.pop_front();
        return true;
    }

private:
    int m_filter = 0;
};

const long SAVE_ASKING = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
const char EXPORTS[] = "DXF file(*.dxf)|*.dxf|DAT file(*.dat)|*.dat|HDM file(*.hdm)|*.hdm";

} // namespace

TEST(FileChooserTest, SavedNamesGetTheFilterExtensionAndReplaceOnlyAfterYes)
{
    ASSERT_TOOLKIT_STARTED();
    TempDir dir;
    const wxString folder = wxString::FromUTF8(dir.path().string()) + "/";
    std::ofstream(dir.file("kept.hdm")) << "old";
    std::ofstream(dir.file("plain")) << "a file without extension";
    struct Case {
        std::vector<std::pair<wxString, int>> typed;
        long style;
        int answer; // to the replace question
        wxString expected; // empty: nothing chosen
        size_t questions;
    };
    const Case cases[] = {
        {{{"lat", 2}}, wxFD_SAVE, wxID_NO, "lat.hdm", 0},
        {{{"lat", 1}}, wxFD_SAVE, wxID_NO, "lat.dat", 0},
        {{{"lat.txt", 0}}, wxFD_SAVE, wxID_NO, "lat.txt", 0},
        {{{"lat", 1}}, wxFD_OPEN, wxID_NO, "lat", 0},
        // "plain" exists, "plain.dxf" does not: nothing to ask.
        {{{"plain", 0}}, SAVE_ASKING, wxID_NO, "plain.dxf", 0},
        // A command that refuses existing files itself asks nothing.
        {{{"kept", 2}}, wxFD_SAVE, wxID_NO, "kept.hdm", 0},
        {{{"kept", 2}}, SAVE_ASKING, wxID_YES, "kept.hdm", 1},
        {{{"kept", 2}, {"other", 2}}, SAVE_ASKING, wxID_NO, "other.hdm", 1},
        {{{"kept.hdm", 2}}, SAVE_ASKING, wxID_NO, "", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.front().first + (c.style & wxFD_SAVE ? " saved" : " opened"));
        TypedNames chooser;
        for (const auto &[name, filter] : c.typed)
            chooser.typed.push_back({folder + name, filter});
        DialogAnswerer boxes(c.answer);
        wxString path;
        const bool chosen = chooser.Choose(nullptr, "Export", EXPORTS, c.style, &path);
        EXPECT_EQ(chosen, !c.expected.empty());
        if (chosen)
            EXPECT_EQ(folder + c.expected, path);
        ASSERT_EQ(c.questions, boxes.shown.size());
        if (c.questions) {
            EXPECT_NE(wxNOT_FOUND, boxes.shown[0].message.Find(folder + "kept.hdm")) << boxes.shown[0].message;
            EXPECT_TRUE(boxes.shown[0].style & wxNO_DEFAULT);
        }
    }
    EXPECT_EQ("old", read_bytes(dir.file("kept.hdm")));
}
