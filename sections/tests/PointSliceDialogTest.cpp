// The slice dialog as the user drives it: the browse button with a chooser of
// the test's own, the facts shown for the chosen file and the count fields.
#include "FileChooser.h"
#include "PointSliceDialog.h"
#include "canvas_test_app.h"
#include "lasgen.h"
#include "temp_dir.h"
#include "velmo.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <climits>
#include <filesystem>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Answers the browse button with the queued paths; an empty queue is a
// cancelled chooser.
class QueuedChooser : public FileChooser
{
public:
    std::deque<wxString> answers;
    std::vector<wxString> messages, wildcards;
    std::vector<long> styles;

    bool AskPath(wxWindow *, const wxString &message, const wxString &wildcard, long style, wxString *path) override
    {
        messages.push_back(message);
        wildcards.push_back(wildcard);
        styles.push_back(style);
        if (answers.empty())
            return false;
        *path = answers.front();
        answers.pop_front();
        return true;
    }
};

// Records message boxes instead of showing them.
class BoxRecorder : public wxModalDialogHook
{
public:
    BoxRecorder() { Register(); }
    std::vector<wxString> messages;

protected:
    int Enter(wxDialog *dialog) override
    {
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog))
            messages.push_back(box->GetMessage());
        return wxID_OK;
    }
    void Exit(wxDialog *) override {}
};

class PointSliceDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        dialog = new PointSliceDialog(nullptr, wxID_ANY);
        dialog->SetFileChooser(&chooser);
        dialog->Show();
        ASSERT_TRUE(WaitUntilShown(dialog));
    }

    void TearDown() override
    {
        if (dialog)
            dialog->Destroy();
        PumpEventsFor(20);
    }

    // A real click on the "..." button.
    void ClickBrowse()
    {
        wxUIActionSimulator sim;
        const wxRect rect = dialog->BrowseButton->GetScreenRect();
        sim.MouseMove(rect.GetLeft() + rect.GetWidth() / 2, rect.GetTop() + rect.GetHeight() / 2);
        PumpEventsFor(30);
        sim.MouseClick();
        const size_t before = chooser.messages.size();
        PumpEventsUntil([&] { return chooser.messages.size() > before; }, 3000);
        PumpEventsFor(30);
    }

    std::string WriteBytes(const std::string &name, size_t bytes)
    {
        const std::string path = dir.file(name);
        std::ofstream out(path, std::ios::binary);
        out << std::string(bytes, 'x');
        return path;
    }

    std::string WriteCorridor(const std::string &name, uint64_t points)
    {
        lasgen::CorridorSpec spec;
        spec.points = points;
        spec.length = 80.0;
        spec.threads = 1;
        std::string error;
        const std::string path = dir.file(name);
        EXPECT_TRUE(lasgen::write_corridor(spec, path, &error)) << error;
        return path;
    }

    static std::string Contents(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::vector<wxString> Facts() const
    {
        return {dialog->PathText->GetValue(), dialog->CapacityText->GetValue(), dialog->PointNumText->GetValue(),
                dialog->ExtentText[0]->GetValue(), dialog->ExtentText[1]->GetValue(),
                dialog->ExtentText[2]->GetValue()};
    }

    TempDir dir;
    QueuedChooser chooser;
    PointSliceDialog *dialog = nullptr;
};

} // namespace

TEST_F(PointSliceDialogTest, StartsWithEmptyFactsAndOneSliceAlongEachAxis)
{
    EXPECT_EQ("Velmo slice", dialog->GetTitle());
    for (const wxString &fact : Facts())
        EXPECT_TRUE(fact.empty());
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ("1", dialog->GetSliceText(k));
        EXPECT_TRUE(dialog->SliceText[k]->IsEnabled());
    }
    // The path comes only from the chooser, the facts only from the file.
    EXPECT_FALSE(dialog->PathText->IsEnabled());
    EXPECT_FALSE(dialog->CapacityText->IsEnabled());
    EXPECT_FALSE(dialog->PointNumText->IsEnabled());
    EXPECT_GE(dialog->PathText->GetSize().GetWidth(), 300);
    EXPECT_TRUE(dialog->GetPath().empty());
    EXPECT_FALSE(dialog->OkButton->IsEnabled());
}

TEST_F(PointSliceDialogTest, BrowsingShowsTheFilesSizePointsAndExtent)
{
    const std::string las = WriteCorridor("corridor.las", 30000);
    chooser.answers.push_back(wxString::FromUTF8(las.c_str()));
    ClickBrowse();
    ASSERT_EQ(1u, chooser.messages.size()) << "the button did not reach the chooser";
    EXPECT_EQ("Select las file to slice.", chooser.messages[0]);
    EXPECT_EQ("Las file(*.las)|*.las", chooser.wildcards[0]);
    EXPECT_EQ(wxFD_OPEN, chooser.styles[0]);

    double box[6];
    ASSERT_EQ(30000, velmo_read_point_number(las.c_str(), box));
    EXPECT_EQ(wxString::FromUTF8(las.c_str()), dialog->GetPath());
    EXPECT_EQ("30000", dialog->PointNumText->GetValue());
    const uintmax_t bytes = std::filesystem::file_size(las);
    EXPECT_EQ(std::to_string(bytes / 1048576), dialog->CapacityText->GetValue().ToStdString());
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(wxString::Format("%.0f", box[k + 3] - box[k]), dialog->ExtentText[k]->GetValue()) << "axis " << k;
        EXPECT_NE("0", dialog->ExtentText[k]->GetValue()) << "axis " << k;
    }
}

TEST_F(PointSliceDialogTest, CapacityIsWholeMegabytesRoundedDown)
{
    // A small corridor padded with bytes after its points to the sizes.
    const std::string las = WriteCorridor("corridor.las", 2000);
    const std::string corridor = Contents(las);
    ASSERT_LT(corridor.size(), 1048575u);
    for (const auto &[bytes, megabytes] : {std::pair<size_t, const char *>{1048575, "0"}, {1048576, "1"},
                                          {1048576 + 524288, "1"}}) {
        const std::string path = dir.file(std::to_string(bytes) + ".las");
        std::ofstream(path, std::ios::binary) << corridor << std::string(bytes - corridor.size(), '\0');
        ASSERT_TRUE(dialog->ShowFileFacts(wxString::FromUTF8(path.c_str()))) << bytes;
        EXPECT_EQ(megabytes, dialog->CapacityText->GetValue()) << bytes;
        EXPECT_EQ("2000", dialog->PointNumText->GetValue());
    }
}

// A file the engine cannot read as LAS is named as such with the engine's
// reason; the facts stay empty and OK stays disabled.
TEST_F(PointSliceDialogTest, AFileThatIsNotLasSaysWhyAndOkStaysDisabled)
{
    const std::string las = WriteCorridor("corridor.las", 2000);
    const std::string corridor = Contents(las);
    const struct {
        const char *name;
        std::string bytes;
    } files[] = {
        {"notes.las", "chainage,offset\n100,2.5\n"},
        {"empty.las", ""},
        {"cut.las", corridor.substr(0, 200)},
        {"short.las", corridor.substr(0, corridor.size() - 100)},
    };
    EXPECT_FALSE(dialog->OkButton->IsEnabled());
    BoxRecorder boxes;
    for (const auto &file : files) {
        const std::string path = dir.file(file.name);
        std::ofstream(path, std::ios::binary) << file.bytes;
        EXPECT_FALSE(dialog->ShowFileFacts(wxString::FromUTF8(path.c_str()))) << file.name;
        ASSERT_FALSE(boxes.messages.empty()) << file.name;
        EXPECT_TRUE(boxes.messages.back().StartsWith("The file is not a LAS file this program can read.\n"))
            << boxes.messages.back();
        EXPECT_NE(wxNOT_FOUND, boxes.messages.back().Find(file.name)) << boxes.messages.back();
        EXPECT_FALSE(dialog->OkButton->IsEnabled()) << file.name;
        for (const wxString &fact : Facts())
            EXPECT_TRUE(fact.empty()) << file.name;
    }
    EXPECT_EQ(std::size(files), boxes.messages.size());
    ASSERT_TRUE(dialog->ShowFileFacts(wxString::FromUTF8(las.c_str())));
    EXPECT_TRUE(dialog->OkButton->IsEnabled());
}

TEST_F(PointSliceDialogTest, AnotherFileReplacesEveryFactButKeepsTheTypedCounts)
{
    const std::string first = WriteCorridor("first.las", 30000);
    const std::string second = WriteCorridor("second.las", 5000);
    dialog->SliceText[0]->ChangeValue("4");
    dialog->SliceText[2]->ChangeValue("2");
    chooser.answers.push_back(wxString::FromUTF8(first.c_str()));
    ClickBrowse();
    chooser.answers.push_back(wxString::FromUTF8(second.c_str()));
    ClickBrowse();
    EXPECT_EQ(wxString::FromUTF8(second.c_str()), dialog->GetPath());
    EXPECT_EQ("5000", dialog->PointNumText->GetValue());
    EXPECT_EQ("4", dialog->GetSliceText(0));
    EXPECT_EQ("1", dialog->GetSliceText(1));
    EXPECT_EQ("2", dialog->GetSliceText(2));

    // A cancelled chooser keeps the file and its facts.
    const std::vector<wxString> before = Facts();
    ClickBrowse();
    EXPECT_EQ(3u, chooser.messages.size());
    EXPECT_EQ(before, Facts());
}

TEST_F(PointSliceDialogTest, AFileThatCannotBeOpenedSaysSoAndChangesNothing)
{
    const std::string las = WriteCorridor("corridor.las", 2000);
    ASSERT_TRUE(dialog->ShowFileFacts(wxString::FromUTF8(las.c_str())));
    const std::vector<wxString> before = Facts();
    BoxRecorder boxes;
    for (const std::string &bad : {dir.file("missing.las"), dir.path().string()}) {
        chooser.answers.push_back(wxString::FromUTF8(bad.c_str()));
        ClickBrowse();
    }
    const wxString overlong = wxString::FromUTF8(dir.file(std::string(1100, 'a') + ".las").c_str());
    EXPECT_FALSE(dialog->ShowFileFacts(overlong));
    ASSERT_EQ(3u, boxes.messages.size());
    EXPECT_EQ(wxString::Format("Cannot open file %s.", wxString::FromUTF8(dir.file("missing.las").c_str())),
              boxes.messages[0]);
    EXPECT_EQ(before, Facts());
}

// A count is a whole number and nothing else: text that only begins with
// one ("2,5", "2.9", "3 slices") reads as no count at all, so it is refused
// rather than sliced as its first digits.
TEST(PointSliceCount, ReadsOnlyAWholeNumber)
{
    const struct {
        const char *text;
        int count;
    } cases[] = {
        {"2", 2},      {" 3 ", 3},    {"-2", -2},  {"+4", 4},   {"007", 7},
        {"2,5", 0},    {"2.9", 0},    {"2.0", 0},  {"3 slices", 0}, {"x2", 0},
        {"", 0},       {" ", 0},      {"1e2", 0},  {"0x10", 0}, {"2 3", 0},
        {"99999999999999999999", INT_MAX},         {"-99999999999999999999", INT_MIN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.count, PointSliceDialog::ReadCount(c.text)) << "\"" << c.text << "\"";
}
