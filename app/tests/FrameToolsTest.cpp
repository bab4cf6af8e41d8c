// The tool commands through the main frame: slicing, About, the manual and
// the update offer with its download from a loopback server of the test's own.
#include "AboutDialog.h"
#include "FileChooser.h"
#include "FrameTestSupport.h"
#include "HelpDialog.h"
#include "PointSliceDialog.h"
#include "SetupDownload.h"
#include "SetupDownloadDialog.h"
#include "StatusView.h"
#include "TaskTestSupport.h"
#include "UpdateVersionEvent.h"
#include "las_samples.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace frametest;
namespace fs = std::filesystem;

namespace {

// Answers each modal dialog with what answer() says, after recording it.
class ScriptedDialogs : public wxModalDialogHook
{
public:
    struct Shown {
        std::string title, message;
        bool box;
    };

    explicit ScriptedDialogs(std::function<int(wxDialog *)> answer) : m_answer(std::move(answer)) { Register(); }

    std::vector<Shown> shown;

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        for (const Shown &s : shown)
            if (s.box)
                messages.push_back(s.message);
        return messages;
    }

protected:
    int Enter(wxDialog *dialog) override
    {
        Shown record{dialog->GetTitle().utf8_string(), std::string(), false};
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog)) {
            record.message = box->GetMessage().utf8_string();
            record.box = true;
        }
        shown.push_back(record);
        return m_answer(dialog);
    }
    void Exit(wxDialog *) override {}

private:
    std::function<int(wxDialog *)> m_answer;
};

class FixedChooser : public FileChooser
{
public:
    explicit FixedChooser(std::string path) : m_path(std::move(path)) {}
    bool AskPath(wxWindow *, const wxString &, const wxString &, long, wxString *path) override
    {
        *path = wxString::FromUTF8(m_path.c_str());
        return true;
    }

private:
    std::string m_path;
};

std::vector<fs::path> PiecesOf(const fs::path &las)
{
    std::vector<fs::path> pieces;
    const std::string stem = las.stem().string() + "_";
    for (const auto &entry : fs::directory_iterator(las.parent_path()))
        if (entry.path().filename().string().rfind(stem, 0) == 0)
            pieces.push_back(entry.path());
    return pieces;
}

class FrameToolsTest : public FrameTest
{
protected:

    // Slices path with the counts typed into the dialog; the file comes
    // through the frame's chooser and the dialog's own browse button.
    std::vector<std::string> Slice(const std::string &path, std::vector<wxString> counts)
    {
        frame->SetFileChooser(std::make_unique<FixedChooser>(path));
        ScriptedDialogs dialogs([&](wxDialog *dialog) {
            auto *slice = dynamic_cast<PointSliceDialog *>(dialog);
            if (!slice)
                return int(wxID_OK);
            if (!path.empty()) {
                wxCommandEvent browse(wxEVT_BUTTON, int(PointSliceDialog::ID_BUTTON1));
                browse.SetEventObject(slice->BrowseButton);
                slice->BrowseButton->GetEventHandler()->ProcessEvent(browse);
            }
            for (int k = 0; k < 3; k++)
                slice->SliceText[k]->ChangeValue(counts[k]);
            return int(wxID_OK);
        });
        Click(CorvaneFrame::ID_RIBBON_SLICE);
        EXPECT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 120000));
        return dialogs.Messages();
    }

    TempDir dir;
};

} // namespace

// ---- Slicing -------------------------------------------------------------------------------

TEST_F(FrameToolsTest, SlicingACorridorTwoByThreeByOneWritesSixPiecesHoldingEveryPoint)
{
    lasgen::CorridorSpec spec;
    spec.points = 60000;
    spec.length = 120;
    // Along the X axis, so that every cell of the grid holds ground.
    spec.start_azimuth = M_PI / 2;
    spec.threads = 1;
    const std::string las = dir.file("ribbon.las");
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;

    std::vector<wxString> progress;
    frame->Bind(EVT_TASK_PROGRESS, [&](TaskThreadEvent &event) {
        event.Skip();
        progress.push_back(frame->GetStatusView()->GetProgressMessage());
    });
    const std::vector<std::string> boxes = Slice(las, {"2", "3", "1"});
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0]);
    EXPECT_FALSE(progress.empty()) << "the status panel showed no progress";
    // The progress gives way to what was written where.
    EXPECT_FALSE(frame->GetStatusView()->IsShowingPercent());
    EXPECT_EQ(frame->GetStatusView()->GetProgressLabel(),
              "Slicing finished: 6 pieces written to " + dir.path().string() + " as ribbon_X_Y_Z.las.");

    const std::vector<fs::path> pieces = PiecesOf(las);
    EXPECT_EQ(6u, pieces.size());
    long long total = 0;
    double box[6];
    for (const fs::path &piece : pieces)
        total += velmo_read_point_number(piece.c_str(), box);
    EXPECT_EQ(60000, total);
}

TEST_F(FrameToolsTest, SlicingARealSampleKeepsItsPointCount)
{
    const fs::path sample = las_sample("1.2-with-color.las");
    const fs::path copy = dir.path() / "sample.las";
    fs::copy_file(sample, copy);
    double box[6];
    const int points = velmo_read_point_number(copy.c_str(), box);
    ASSERT_GT(points, 0);

    EXPECT_TRUE(Slice(copy.string(), {"2", "2", "1"}).empty());
    long long total = 0;
    for (const fs::path &piece : PiecesOf(copy))
        total += velmo_read_point_number(piece.c_str(), box);
    EXPECT_EQ(points, total);
}

TEST_F(FrameToolsTest, UnusableCountsOrNoFileStartNothingAndSayWhy)
{
    lasgen::CorridorSpec spec;
    spec.points = 2000;
    spec.threads = 1;
    const std::string las = dir.file("small.las");
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;

    const std::vector<std::vector<wxString>> refused = {{"0", "1", "1"},     {"2", "-1", "-1"}, {"a", "2", "2"},
                                                        {"2", "", "2"},      {"1", "1", "0x"},
                                                        {"2,5", "1", "1"},   {"1", "2.9", "1"},
                                                        {"1", "1", "3 slices"},
                                                        {"99999", "99999", "99999"}};
    for (const auto &counts : refused) {
        SCOPED_TRACE((counts[0] + "," + counts[1] + "," + counts[2]).ToStdString());
        const std::vector<std::string> boxes = Slice(las, counts);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_TRUE(boxes[0].find("slice count must be a whole number of at least 1") != std::string::npos ||
                    boxes[0] == "The slice counts ask for too many pieces.")
            << boxes[0];
    }
    const std::vector<std::string> boxes = Slice("", {"2", "2", "2"});
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Choose the LAS file to slice with the \"...\" button.", boxes[0]);
    EXPECT_TRUE(PiecesOf(las).empty());
}

TEST_F(FrameToolsTest, AFileThatIsNotLasShowsTheLibrarysMessage)
{
    const std::string text = dir.file("notes.las");
    std::ofstream(text) << "not a point cloud\n";
    const std::vector<std::string> boxes = Slice(text, {"2", "1", "1"});
    // The dialog refuses the file when it is chosen and keeps OK disabled;
    // the script presses OK all the same, and the frame has no file to cut.
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(0u, boxes[0].find("The file is not a LAS file this program can read.\nNot a LAS file: ")) << boxes[0];
    EXPECT_TRUE(PiecesOf(text).empty());
    EXPECT_FALSE(frame->IsTaskRunning());
}

TEST_F(FrameToolsTest, SliceWhileATaskRunsIsRefusedButAboutAndHelpStillOpen)
{
    lasgen::CorridorSpec spec;
    spec.points = 20000;
    spec.threads = 1;
    const std::string las = dir.file("big.las");
    std::string error;
    ASSERT_TRUE(lasgen::write_corridor(spec, las, &error)) << error;
    frame->SetFileChooser(std::make_unique<FixedChooser>(las));
    std::vector<wxString> opened;
    ScriptedDialogs dialogs([&](wxDialog *dialog) {
        opened.push_back(dialog->GetClassInfo()->GetClassName());
        if (auto *slice = dynamic_cast<PointSliceDialog *>(dialog)) {
            slice->ShowFileFacts(wxString::FromUTF8(las.c_str()));
            slice->SliceText[0]->ChangeValue("8");
        }
        return int(wxID_OK);
    });
    Click(CorvaneFrame::ID_RIBBON_SLICE);
    ASSERT_TRUE(frame->IsTaskRunning());
    Click(CorvaneFrame::ID_RIBBON_SLICE);
    Click(CorvaneFrame::ID_RIBBON_ABOUT);
    Click(CorvaneFrame::ID_RIBBON_HELP);
    ASSERT_EQ(4u, dialogs.shown.size());
    EXPECT_EQ("Task is running...", dialogs.shown[1].message);
    EXPECT_EQ("About", dialogs.shown[2].title);
    EXPECT_EQ("Manual", dialogs.shown[3].title);
    ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 120000));
    EXPECT_EQ(8u, PiecesOf(las).size());
}

// ---- About and the manual ------------------------------------------------------------------

TEST_F(FrameToolsTest, AboutShowsThePictureTheVersionAndOk)
{
    wxString title;
    bool picture = false, ok = false;
    ScriptedDialogs dialogs([&](wxDialog *dialog) {
        if (auto *about = dynamic_cast<AboutDialog *>(dialog)) {
            title = about->TitleText->GetLabel();
            picture = about->PictureButton->GetBitmapLabel().IsOk();
            ok = about->OkButton->GetId() == wxID_OK && about->OkButton->GetLabel() == "OK";
        }
        return int(wxID_OK);
    });
    Click(CorvaneFrame::ID_RIBBON_ABOUT);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("About", dialogs.shown[0].title);
    EXPECT_EQ(wxString("Corvane v") + cvVersion, title);
    EXPECT_TRUE(picture) << "icons/about.png was not found beside the program";
    EXPECT_TRUE(ok);
}

TEST_F(FrameToolsTest, HelpShowsTheManualBesideTheProgramWhateverTheWorkingDirectory)
{
    const wxString before = wxGetCwd();
    ASSERT_TRUE(wxSetWorkingDirectory(wxString::FromUTF8(dir.path().c_str())));
    wxString address, pageTitle;
    ScriptedDialogs dialogs([&](wxDialog *dialog) {
        if (auto *help = dynamic_cast<HelpDialog *>(dialog)) {
            wxWebView *view = help->GetWebView();
            if (!view)
                return int(wxID_OK);
            // The hook stands for the modal loop: the page loads meanwhile.
            dialog->Show();
            PumpEventsUntil([&] { return !view->IsBusy() && !view->GetCurrentTitle().empty(); }, 20000);
            address = view->GetCurrentURL();
            pageTitle = view->GetCurrentTitle();
            dialog->Hide();
        }
        return int(wxID_OK);
    });
    Click(CorvaneFrame::ID_RIBBON_HELP);
    wxSetWorkingDirectory(before);
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ("Manual", dialogs.shown[0].title);
    ASSERT_TRUE(fs::exists(HelpDialog::ManualPath().utf8_string())) << HelpDialog::ManualPath();
    EXPECT_TRUE(address.EndsWith("/doc/manual.html")) << address;
    EXPECT_FALSE(address.StartsWith(wxString("file://") + wxString::FromUTF8(dir.path().c_str()))) << address;
    EXPECT_EQ("Corvane user manual", pageTitle);
}

// ---- Update offer and download -------------------------------------------------------------

namespace {

class UpdateOfferTest : public FrameToolsTest
{
protected:
    void SetUp() override
    {
        const char *old = getenv("XDG_DATA_HOME");
        if (old)
            savedDataHome = old;
        hadDataHome = old != nullptr;
        FrameToolsTest::SetUp();
        if (HasFatalFailure())
            return;
        setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
        folder = dir.path() / std::string(wxTheApp->GetAppName().utf8_string());
    }
    void TearDown() override
    {
        // The server sends until the download is gone.
        if (frame && frame->GetSetupDownload())
            frame->GetSetupDownload()->Stop();
        dripServer.reset();
        dialogs.reset();
        if (hadDataHome)
            setenv("XDG_DATA_HOME", savedDataHome.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        FrameToolsTest::TearDown();
    }

    // Posts the offer as the update check would and answers Yes to the
    // download, No to starting the setup and closeAnswer to a question on
    // closing; with wait, returns the dialogs shown once the download is
    // over.
    std::vector<ScriptedDialogs::Shown> Offer(const std::string &version, const std::string &url, int size,
                                              const std::string &description = "Faster sections",
                                              int setupAnswer = wxID_NO, bool wait = true)
    {
        dialogs = std::make_unique<ScriptedDialogs>([this, setupAnswer](wxDialog *dialog) {
            auto *box = dynamic_cast<wxMessageDialogBase *>(dialog);
            if (!box || !(box->GetMessageDialogStyle() & wxYES_NO))
                return int(wxID_OK);
            if (dialog->GetTitle() == "Warning")
                return closeAnswer;
            return int(dialog->GetTitle() == "Update" ? wxID_YES : setupAnswer);
        });
        auto *event = new UpdateVersionEvent;
        event->SetVersion(version.c_str());
        event->SetUrl(url.c_str());
        event->SetDescription(description.c_str());
        event->SetFileSize(size);
        wxQueueEvent(frame, event);
        // Handled here and now: on a loaded machine a short pump may end
        // before the offer is handled, and an unstarted download looks ended.
        static_cast<wxEvtHandler *>(frame)->ProcessPendingEvents();
        PumpWithIdleFor(100);
        if (wait) {
            EXPECT_TRUE(PumpWithIdleUntil([this] { return !frame->GetSetupDownload(); }, 30000))
                << "the download did not end";
        }
        return dialogs->shown;
    }

    // Offers a download from a server that sends one byte of the setup file
    // every tenth of a second for minutes; returns once bytes arrive.
    SetupDownloadDialog *StartEndlessDownload()
    {
        std::vector<std::string> pieces{tasktest::OneShotHttpServer::Answer(Binary(4000)).substr(0, 100)};
        pieces.resize(3000, "x");
        dripServer = std::make_unique<tasktest::OneShotHttpServer>(pieces, false, 100);
        Offer("99.0.0", Url(dripServer->port()), 4000, "x", wxID_NO, false);
        SetupDownloadDialog *download = frame->GetSetupDownload();
        EXPECT_TRUE(download);
        EXPECT_TRUE(download && PumpWithIdleUntil([download] { return download->GetReceived() > 0; }, 10000));
        return download;
    }

    bool PartialFileExists() const
    {
        for (const fs::path &file : FolderFiles())
            if (file.extension() == ".part")
                return true;
        return false;
    }

    std::string Url(unsigned short port) const
    {
        return "http://127.0.0.1:" + std::to_string(port) + "/cv/corvane_setup";
    }

    static std::string Binary(size_t size)
    {
        std::string body(size, '\0');
        for (size_t i = 0; i < size; i++)
            body[i] = char((i * 7 + 3) & 0xff);
        return body;
    }

    std::vector<fs::path> FolderFiles() const
    {
        std::vector<fs::path> files;
        if (fs::exists(folder))
            for (const auto &entry : fs::directory_iterator(folder))
                files.push_back(entry.path());
        return files;
    }

    std::string savedDataHome;
    bool hadDataHome = false;
    fs::path folder;
    std::unique_ptr<ScriptedDialogs> dialogs;
    int closeAnswer = wxID_NO;
    std::unique_ptr<tasktest::OneShotHttpServer> dripServer;
};

} // namespace

TEST_F(UpdateOfferTest, ANewerVersionIsDownloadedWholeAndMadeExecutable)
{
    const std::string body = Binary(200000);
    const std::string answer = tasktest::OneShotHttpServer::Answer(body);
    tasktest::OneShotHttpServer server({answer.substr(0, 70000), answer.substr(70000)});
    const auto shown = Offer("99.0.1", Url(server.port()), (int)body.size(), "Faster sections\\nNew export");
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("Update", shown[0].title);
    EXPECT_EQ("New version:99.0.1\nFaster sections\nNew export\nWill you download it now?", shown[0].message);
    EXPECT_EQ("Setup", shown[1].title);
    EXPECT_EQ("Download finished,will you setup it now?", shown[1].message);
    EXPECT_EQ(0u, server.request().rfind("GET /cv/corvane_setup ", 0)) << server.request();

    const fs::path setup = folder / "corvane_99.0.1_setup";
    ASSERT_EQ(std::vector<fs::path>{setup}, FolderFiles());
    EXPECT_EQ(body, read_bytes(setup.string()));
    struct stat info;
    ASSERT_EQ(0, stat(setup.c_str(), &info));
    EXPECT_TRUE(info.st_mode & S_IXUSR);
}

TEST_F(UpdateOfferTest, YesToSetupStartsTheDownloadedInstaller)
{
    const fs::path marker = dir.path() / "installer-ran";
    const std::string script = "#!/bin/sh\necho ran > '" + marker.string() + "'\n";
    tasktest::OneShotHttpServer server({tasktest::OneShotHttpServer::Answer(script)});
    const auto shown = Offer("99.0.2", Url(server.port()), (int)script.size(), "x", wxID_YES);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("Setup", shown[1].title);
    EXPECT_TRUE(PumpWithIdleUntil([&] { return fs::exists(marker); }, 10000)) << "the installer did not run";
    EXPECT_EQ("ran\n", read_bytes(marker.string()));
}

TEST_F(UpdateOfferTest, AnEqualOrOlderVersionOrAHostileVersionTextOffersNothing)
{
    const unsigned short nobody = tasktest::ClosedPort();
    for (const std::string &version : {std::string(cvVersion), std::string("0.0.1"), std::string("../../../tmp/x"),
                                      std::string("99.0.0/../../x"), std::string("99.0.0 ; rm"),
                                      std::string("99..1"), std::string("99.0.0.")}) {
        SCOPED_TRACE(version);
        EXPECT_TRUE(Offer(version, Url(nobody), 1).empty());
    }
    EXPECT_FALSE(fs::exists(folder));
}

// Yes would only lead to a refusal: such an offer is not made.
TEST_F(UpdateOfferTest, AnOfferThatCannotBeDownloadedIsNotMade)
{
    const std::string url = Url(tasktest::ClosedPort());
    const struct {
        std::string url;
        int size;
    } offers[] = {{"https://127.0.0.1/cv/corvane_setup", 1000}, {"ftp://127.0.0.1/setup", 1000},
                  {"127.0.0.1/setup", 1000},                     {"http://127.0.0.1:99999/setup", 1000},
                  {url, int(SetupDownload::SIZE_LIMIT + 1)},    {url, -1}};
    for (const auto &offer : offers) {
        SCOPED_TRACE(offer.url + " " + std::to_string(offer.size));
        EXPECT_TRUE(Offer("99.0.0", offer.url, offer.size).empty());
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(UpdateOfferTest, ARefusedConnectionSaysSoAndLeavesNoFile)
{
    const auto shown = Offer("99.0.0", Url(tasktest::ClosedPort()), 1000);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("Cannot connect to the update server 127.0.0.1.", shown[1].message);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(UpdateOfferTest, AnErrorStatusIsNotSaved)
{
    tasktest::OneShotHttpServer server({tasktest::OneShotHttpServer::Answer("no such file", "404 Not Found")});
    const auto shown = Offer("99.0.0", Url(server.port()), 12);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("The update server answered with status 404 instead of sending the setup file.", shown[1].message);
    EXPECT_TRUE(FolderFiles().empty());

    tasktest::OneShotHttpServer moved({tasktest::OneShotHttpServer::Answer("elsewhere", "302 Found")});
    const auto again = Offer("99.0.0", Url(moved.port()), 9);
    ASSERT_EQ(2u, again.size());
    EXPECT_EQ("The update server answered with status 302 instead of sending the setup file.", again[1].message);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(UpdateOfferTest, AShortBodyIsRemovedAndAnEarlierSetupFileKept)
{
    fs::create_directories(folder);
    const fs::path setup = folder / "corvane_99.0.0_setup";
    std::ofstream(setup) << "earlier";
    const std::string body = Binary(5000);
    // Announced and declared 5000 bytes, only 3000 sent.
    std::string answer = tasktest::OneShotHttpServer::Answer(body);
    answer.resize(answer.size() - 2000);
    tasktest::OneShotHttpServer server({answer});
    const auto shown = Offer("99.0.0", Url(server.port()), 5000);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("The download stopped after 3000 of 5000 bytes.", shown[1].message);
    EXPECT_EQ(std::vector<fs::path>{setup}, FolderFiles());
    EXPECT_EQ("earlier", read_bytes(setup.string()));

    // Without a declared length the announced size is the measure.
    tasktest::OneShotHttpServer undeclared({tasktest::OneShotHttpServer::Answer(body.substr(0, 3000), "200 OK",
                                                                               false)});
    const auto again = Offer("99.0.0", Url(undeclared.port()), 5000);
    ASSERT_EQ(2u, again.size());
    EXPECT_EQ("The download stopped after 3000 of 5000 bytes.", again[1].message);
    EXPECT_EQ("earlier", read_bytes(setup.string()));
}

TEST_F(UpdateOfferTest, ALongBodyIsNotOfferedAsComplete)
{
    const std::string body = Binary(6000);
    tasktest::OneShotHttpServer undeclared({tasktest::OneShotHttpServer::Answer(body, "200 OK", false)});
    const auto shown = Offer("99.0.0", Url(undeclared.port()), 5000);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("The update server sent more than the announced 5000 bytes.", shown[1].message);
    EXPECT_TRUE(FolderFiles().empty());

    tasktest::OneShotHttpServer declared({tasktest::OneShotHttpServer::Answer(body)});
    const auto again = Offer("99.0.0", Url(declared.port()), 5000);
    ASSERT_EQ(2u, again.size());
    EXPECT_EQ("The update server sends 6000 bytes, but 5000 were announced.", again[1].message);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(UpdateOfferTest, WithoutAnAnnouncedSizeTheServersLengthDecides)
{
    const std::string body = Binary(3000);
    tasktest::OneShotHttpServer declared({tasktest::OneShotHttpServer::Answer(body)});
    const auto shown = Offer("99.0.0", Url(declared.port()), 0);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("Download finished,will you setup it now?", shown[1].message);
    EXPECT_EQ(body, read_bytes((folder / "corvane_99.0.0_setup").string()));

    tasktest::OneShotHttpServer undeclared({tasktest::OneShotHttpServer::Answer(body, "200 OK", false)});
    const auto again = Offer("99.0.1", Url(undeclared.port()), 0);
    ASSERT_EQ(2u, again.size());
    EXPECT_EQ("The update server did not say how large the setup file is.", again[1].message);
    EXPECT_FALSE(fs::exists(folder / "corvane_99.0.1_setup"));
}

TEST_F(UpdateOfferTest, ASilentServerEndsTheDownloadAfterTheTimeout)
{
    tasktest::UpdateServerConfig config("", 0, 2);
    tasktest::OneShotHttpServer silent({}, true);
    wxStopWatch clock;
    const auto shown = Offer("99.0.0", Url(silent.port()), 5000);
    EXPECT_LT(clock.Time(), 8000);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("The update server 127.0.0.1 did not answer in 2 seconds.", shown[1].message);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(UpdateOfferTest, AServerThatStallsMidwayEndsTheDownloadAfterTheTimeout)
{
    tasktest::UpdateServerConfig config("", 0, 1);
    const std::string body = Binary(4000);
    std::string head = tasktest::OneShotHttpServer::Answer(body);
    head.resize(head.size() - 3000);
    // The rest comes four seconds later, long after the timeout.
    tasktest::OneShotHttpServer stalling({head, body.substr(1000)}, false, 4000);
    const auto shown = Offer("99.0.0", Url(stalling.port()), 4000);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("The update server sent nothing for 1 seconds; the download stopped after 1000 of 4000 bytes.",
              shown[1].message);
    EXPECT_TRUE(FolderFiles().empty());
}

TEST_F(UpdateOfferTest, ASenderTooSlowForTheMinimumRateIsGivenUp)
{
    tasktest::UpdateServerConfig config("", 0, 1);
    const std::string answer = tasktest::OneShotHttpServer::Answer(Binary(4000));
    // Ten bytes a second and never a pause as long as the timeout, in the
    // body or already in the headers.
    std::vector<std::string> bodyDrip{answer.substr(0, 100)}, headDrip;
    bodyDrip.resize(60, "x");
    for (size_t i = 0; i < 60; i++)
        headDrip.push_back(answer.substr(i, 1));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {bodyDrip, "The update server sent fewer than 1024 bytes a second for 1 seconds; the download stopped after "},
        {headDrip, "The update server 127.0.0.1 did not answer in 1 seconds."}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.second);
        tasktest::OneShotHttpServer slow(c.first, false, 100);
        const auto shown = Offer("99.0.0", Url(slow.port()), 4000);
        ASSERT_EQ(2u, shown.size());
        EXPECT_EQ(0u, shown[1].message.rfind(c.second, 0)) << shown[1].message;
        EXPECT_TRUE(FolderFiles().empty());
    }
}

TEST_F(UpdateOfferTest, TheDownloadRunsBesideTheProgramAndCancelOrEscapeEndItLeavingNothing)
{
    tasktest::UpdateServerConfig config("", 0, 60);
    const std::vector<std::string> ways{"Cancel button", "Escape key", "close box"};
    for (const std::string &way : ways) {
        SCOPED_TRACE(way);
        SetupDownloadDialog *download = StartEndlessDownload();
        ASSERT_TRUE(download);
        ASSERT_TRUE(PartialFileExists());
        EXPECT_TRUE(download->IsShown());
        EXPECT_EQ("Update", download->GetTitle());
        EXPECT_TRUE(frame->IsEnabled()) << "the main window stays usable";
        // The program answers commands meanwhile.
        Click(CorvaneFrame::ID_RIBBON_ABOUT);
        ASSERT_EQ(2u, dialogs->shown.size());
        EXPECT_EQ(download, frame->GetSetupDownload());

        wxUIActionSimulator input;
        if (way == "Cancel button") {
            const wxPoint centre = download->CancelButton->GetScreenRect().GetPosition() +
                                   download->CancelButton->GetSize() / 2;
            input.MouseMove(centre);
            PumpWithIdleFor(50);
            input.MouseClick();
        } else if (way == "Escape key") {
            download->Raise();
            download->CancelButton->SetFocus();
            PumpWithIdleUntil([download] { return wxWindow::FindFocus() == download->CancelButton; }, 2000);
            input.Char(WXK_ESCAPE);
        } else {
            download->Close();
        }
        EXPECT_TRUE(PumpWithIdleUntil([this] { return !frame->GetSetupDownload(); }, 10000));
        EXPECT_TRUE(FolderFiles().empty());
        EXPECT_EQ(2u, dialogs->shown.size()) << "a cancelled download asks and says nothing more";
        frame->SetFocus();
        dripServer.reset();
    }
}

TEST_F(UpdateOfferTest, ClosingTheProgramDuringADownloadAsksThenStopsItAndRemovesThePartialFile)
{
    tasktest::UpdateServerConfig config("", 0, 60);
    SetupDownloadDialog *download = StartEndlessDownload();
    ASSERT_TRUE(download);
    closeAnswer = wxID_NO;
    EXPECT_FALSE(frame->Close());
    ASSERT_EQ(2u, dialogs->shown.size());
    EXPECT_EQ("Warning", dialogs->shown[1].title);
    EXPECT_EQ("The setup file of the new version is still being downloaded. Stop the download and close?",
              dialogs->shown[1].message);
    EXPECT_EQ(download, frame->GetSetupDownload()) << "No keeps the download going";
    const int64_t before = download->GetReceived();
    EXPECT_TRUE(PumpWithIdleUntil([&] { return download->GetReceived() > before; }, 10000));

    closeAnswer = wxID_YES;
    bool destroyed = false;
    frame->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent &event) {
        if (event.GetEventObject() == frame)
            destroyed = true;
        event.Skip();
    });
    EXPECT_TRUE(frame->Close());
    EXPECT_FALSE(PartialFileExists()) << "stopped before the close goes on";
    EXPECT_TRUE(PumpWithIdleUntil([&] { return destroyed; }));
    frame = nullptr;
    EXPECT_TRUE(FolderFiles().empty());
    EXPECT_EQ(3u, dialogs->shown.size());
}

TEST_F(UpdateOfferTest, APartialFileLeftByAKilledRunIsRemovedAndNeverTakenForTheSetup)
{
    fs::create_directories(folder);
    const fs::path part = folder / "corvane_99.0.0_setup.part";
    const fs::path outside = dir.path() / "outside";
    std::ofstream(outside) << "not the program's";
    const std::string body = Binary(3000);
    struct Case {
        const char *name;
        bool link, serverAnswers;
    };
    for (const Case &c : {Case{"file, no connection", false, false}, Case{"file, whole download", false, true},
                          Case{"link elsewhere, whole download", true, true}}) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (c.link)
            fs::create_symlink(outside, part);
        else
            std::ofstream(part) << "stale";
        std::unique_ptr<tasktest::OneShotHttpServer> server;
        if (c.serverAnswers)
            server = std::make_unique<tasktest::OneShotHttpServer>(
                std::vector<std::string>{tasktest::OneShotHttpServer::Answer(body)});
        const auto shown = Offer("99.0.0", Url(server ? server->port() : tasktest::ClosedPort()), 3000);
        ASSERT_EQ(2u, shown.size());
        const fs::path setup = folder / "corvane_99.0.0_setup";
        if (c.serverAnswers) {
            EXPECT_EQ("Download finished,will you setup it now?", shown[1].message);
            ASSERT_EQ(std::vector<fs::path>{setup}, FolderFiles());
            EXPECT_FALSE(fs::is_symlink(setup));
            EXPECT_EQ(body, read_bytes(setup.string()));
        } else {
            EXPECT_EQ("Cannot connect to the update server 127.0.0.1.", shown[1].message);
            EXPECT_TRUE(FolderFiles().empty());
        }
        EXPECT_EQ("not the program's", read_bytes(outside.string()));
    }
}

// Whatever is wrong with the answer, nothing is saved and the message says
// what happened, at once rather than after the time-out.
TEST(SetupDownloadAnswer, AnAnswerThatIsNotSoundHttpWithStatus200IsNotSavedAndSaysWhatHappened)
{
    TempDir dir;
    const std::string body = "#!/bin/sh\n", length = "Content-Length: 10\r\n";
    const std::string server = "The update server 127.0.0.1 ";
    const struct {
        std::vector<std::string> pieces;
        std::string message;
    } cases[] = {
        {{"HTTP/1.1 2000 Bogus\r\n" + length + "\r\n" + body},
         server + "did not answer with an HTTP status line: \"HTTP/1.1 2000 Bogus\"."},
        {{"HTTP/1.1 200x\r\n" + length + "\r\n" + body},
         server + "did not answer with an HTTP status line: \"HTTP/1.1 200x\"."},
        {{"HTTP/ 200\r\n" + length + "\r\n" + body}, server + "did not answer with an HTTP status line: \"HTTP/ 200\"."},
        {{"HTTP/1.1 204 No Content\r\n\r\n"},
         "The update server answered with status 204 instead of sending the setup file."},
        {{"HTTP/1.1 200 OK\r\nContent-Length : 10\r\n\r\n" + body},
         server + "sent a malformed header line: \"Content-Length : 10\"."},
        {{"HTTP/1.1 200 OK\r\n" + length + "Content-Length: 12\r\n\r\n" + body},
         server + "named two different lengths for the setup file."},
        {{}, server + "closed the connection without answering."},
        {{"HTTP/1.1 200 OK\r\nContent-"}, server + "closed the connection in the middle of its answer."},
        {{"HTTP/1.1 200 OK\r\nX-Pad: " + std::string(70000, 'p') + "\r\n\r\n" + body},
         server + "sent more than 64 KB of headers; its answer is not taken."},
        {{"HTTP/1.1 200 OK\nContent-Length: 10\n\n" + body},
         server + "sent a line that does not end in CR LF; its answer is not HTTP."},
        {{"HTTP/1.1 200 OK\r\n" + length + "\n" + body},
         server + "sent a line that does not end in CR LF; its answer is not HTTP."},
        {{"HTTP/1.1 200 OK\r" + length + "\r\n" + body},
         server + "sent a line that does not end in CR LF; its answer is not HTTP."},
    };
    const std::string setup = dir.file("setup");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        tasktest::OneShotHttpServer http(c.pieces, false, 20);
        SetupDownload download(30);
        EXPECT_FALSE(download.Fetch("http://127.0.0.1:" + std::to_string(http.port()) + "/setup", 10, setup));
        EXPECT_EQ(download.GetError(), c.message);
        EXPECT_TRUE(fs::is_empty(dir.path())) << "nothing is saved";
    }
    // The blank line may come split between two pieces.
    tasktest::OneShotHttpServer sound({"HTTP/1.1 200 OK\r\n" + length + "\r", "\n" + body}, false, 20);
    SetupDownload download(30);
    EXPECT_TRUE(download.Fetch("http://127.0.0.1:" + std::to_string(sound.port()) + "/setup", 10, setup))
        << download.GetError();
    EXPECT_EQ(read_bytes(setup), body);
}

TEST(SetupAddress, HostPortAndPathComeFromTheAddress)
{
    SetupDownload::Address a;
    ASSERT_TRUE(SetupDownload::ParseAddress("http://updates.example:8080/cv/setup", &a));
    EXPECT_EQ("updates.example", a.host);
    EXPECT_EQ(8080, a.port);
    EXPECT_EQ("/cv/setup", a.path);
    ASSERT_TRUE(SetupDownload::ParseAddress("HTTP://updates.example", &a));
    EXPECT_EQ(0, a.port);
    EXPECT_EQ("/", a.path);
    ASSERT_TRUE(SetupDownload::ParseAddress("//10.0.0.1/a?b=1", &a));
    EXPECT_EQ("10.0.0.1", a.host);
    EXPECT_EQ("/a?b=1", a.path);
    for (const char *bad : {"", "updates.example/setup", "https://updates.example/setup", "ftp://x/y", "http:///x",
                            "http://x:0/y", "http://x:65536/y", "http://x:80a/y", "http://x:/y",
                            "http://user@x/y", "http://x/a b", "http://x/a\r\nHost: y"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(SetupDownload::ParseAddress(bad, &a));
    }
}

TEST(SetupAddress, OnlyDigitsAndDotsMakeAVersionForAFileName)
{
    for (const char *good : {"1", "1.2.3", "10.20.300", "2026.12.9.1"})
        EXPECT_TRUE(SetupDownload::IsPlainVersion(good)) << good;
    for (const char *bad : {"", ".", "1.", ".1", "1..2", "1.2.3-beta", "../1", "1/2", "1.2\n", "１.２",
                            "111111111111111111111111111111111"})
        EXPECT_FALSE(SetupDownload::IsPlainVersion(bad)) << bad;
    EXPECT_FALSE(SetupDownload::IsPlainVersion(nullptr));
    EXPECT_EQ("/data/Corvane/corvane_1.2.3_setup", SetupDownload::SetupFilePath("/data/Corvane", "1.2.3"));
}
