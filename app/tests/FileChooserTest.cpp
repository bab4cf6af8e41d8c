// The one question behind every save dialog of the program: the typed name
// gets the chosen filter's extension, and replacing a file of the final
// name needs a Yes.  The dialog answers from a script, the question from a
// modal hook.  Needs a display (Xvfb) for the question.
#include "FileChooser.h"
#include "FrameTestSupport.h"
#include "temp_dir.h"

#include <wx/filedlg.h>

#include <deque>
#include <filesystem>
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
        // A name with a dot of its own still gets the filter's extension.
        {{{"lat.txt", 0}}, wxFD_SAVE, wxID_NO, "lat.txt.dxf", 0},
        {{{"road.v2", 1}}, wxFD_SAVE, wxID_NO, "road.v2.dat", 0},
        {{{"road.", 1}}, wxFD_SAVE, wxID_NO, "road.dat", 0},
        {{{"lat.DXF", 0}}, wxFD_SAVE, wxID_NO, "lat.DXF", 0},
        {{{"lat.dxf", 1}}, wxFD_SAVE, wxID_NO, "lat.dxf.dat", 0},
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

// A folder is never offered to be replaced, and a file the command's check
// refuses is refused whatever the user would answer: the reason is shown,
// nothing is asked, and another name is asked for.
TEST(FileChooserTest, FoldersAndRefusedFilesAreNeverOfferedToBeReplaced)
{
    ASSERT_TOOLKIT_STARTED();
    TempDir dir;
    const wxString folder = wxString::FromUTF8(dir.path().string()) + "/";
    std::filesystem::create_directories(dir.file("sections.hdm"));
    std::ofstream(dir.file("notes.hdm")) << "my notes";
    const FileChooser::SaveCheck refuseNotes = [](const wxString &path, int) {
        return path.EndsWith("notes.hdm") ? wxString("refused: ") + path : wxString();
    };
    const struct {
        const char *typed;
        wxString refusal; // the message shown first
    } cases[] = {
        {"sections", folder + "sections.hdm is a folder. Choose a file name."},
        {"sections.hdm", folder + "sections.hdm is a folder. Choose a file name."},
        {"notes", "refused: " + folder + "notes.hdm"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        TypedNames chooser;
        chooser.typed.push_back({folder + c.typed, 2});
        chooser.typed.push_back({folder + "other", 2});
        DialogAnswerer boxes(wxID_YES);
        wxString path;
        ASSERT_TRUE(chooser.Choose(nullptr, "Export", EXPORTS, SAVE_ASKING, &path, refuseNotes));
        EXPECT_EQ(folder + "other.hdm", path);
        EXPECT_EQ(2, chooser.asked);
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_EQ(c.refusal, boxes.shown[0].message);
        EXPECT_FALSE(boxes.shown[0].style & wxYES_NO) << "nothing was asked";
    }
    EXPECT_EQ("my notes", read_bytes(dir.file("notes.hdm")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("sections.hdm")));
}
