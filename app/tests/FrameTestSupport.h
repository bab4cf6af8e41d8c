// The main frame under test: the toolkit started as in the scene's window
// tests, an event pump that also sends idle events (the frame renders from
// them), and a hook that answers modal dialogs instead of showing them.
#pragma once

#include "CorvaneFrame.h"
#include "OSGCanvas.h"
#include "SceneManager.h"
#include "TaskThread.h"
#include "RibbonClick.h"
#include "canvas_test_app.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace frametest {

// Handles pending and idle events until done() or the time is up; returns
// done().
inline bool PumpWithIdleUntil(const std::function<bool()> &done, int milliseconds = 5000)
{
    return PumpEventsUntil(done, milliseconds, true);
}

inline void PumpWithIdleFor(int milliseconds)
{
    PumpWithIdleUntil([] { return false; }, milliseconds);
}

// Answers every modal dialog with `answer` and remembers what message boxes
// said.
class DialogAnswerer : public wxModalDialogHook
{
public:
    struct Shown {
        wxString title;
        wxString message;
        long style;
    };

    explicit DialogAnswerer(int answer = wxID_CANCEL) : m_answer(answer) { Register(); }

    std::vector<Shown> shown;

protected:
    int Enter(wxDialog *dialog) override
    {
        Shown record{dialog->GetTitle(), wxString(), 0};
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog)) {
            record.message = box->GetMessage();
            record.style = box->GetMessageDialogStyle();
        }
        shown.push_back(record);
        return m_answer == wxID_OK && (record.style & wxYES_NO) ? wxID_YES : m_answer;
    }
    void Exit(wxDialog *) override {}

private:
    int m_answer;
};

// One main frame per test, shown, with the update check of its start over.
class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        static bool handlers = false;
        if (!handlers) {
            wxInitAllImageHandlers();
            handlers = true;
        }
        SceneInit();
        frame = new CorvaneFrame(nullptr, wxID_ANY);
        frame->Show();
        ASSERT_TRUE(WaitUntilShown(frame->GetModelCanvas()));
        ASSERT_TRUE(PumpWithIdleUntil([this] { return !frame->IsTaskRunning(); }, 20000))
            << "the start-up update check did not finish";
    }

    void TearDown() override
    {
        if (frame) {
            frame->Destroy();
            PumpWithIdleFor(50);
            frame = nullptr;
        }
        // A test program ending while the toolkit still cleans up a finished
        // task thread crashes in that clean-up.
        EXPECT_TRUE(PumpWithIdleUntil([] { return !TaskThread::AnyThreadRunning(); }, 20000));
        if (wxTheApp)
            SceneDestroy();
    }

    // Frames the model viewer has rendered so far.
    static unsigned FrameNumber(osgViewer::Viewer *viewer)
    {
        return viewer->getFrameStamp() ? viewer->getFrameStamp()->getFrameNumber() : 0;
    }

    // Clicks a ribbon button of the frame as the user's mouse would.
    void Click(long id) { EXPECT_TRUE(ClickRibbonButton(frame->GetRibbonBar(), id)) << "button " << id; }

    CorvaneFrame *frame = nullptr;
};

} // namespace frametest
