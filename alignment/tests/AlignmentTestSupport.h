// The horizontal element panel under test: the toolkit started once per
// test binary, a shown frame holding the panel and a road of its own, and a
// hook that fills and answers the modal dialogs the panel opens.
#pragma once

#include "HorizonPanel.h"
#include "canvas_test_app.h"
#include "road.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace aligntest {

inline std::string DataFile(const char *name)
{
    return std::string(ROAD_TEST_DATA_DIR) + "/" + name;
}

// Answers modal dialogs in order with the queued answers; a message box
// with no answer queued is answered with OK (Yes for questions) and
// remembered.
class DialogScript : public wxModalDialogHook
{
public:
    using Answer = std::function<int(wxDialog *)>;

    DialogScript() { Register(); }
    ~DialogScript() override { Unregister(); }

    void Then(Answer answer) { m_answers.push_back(std::move(answer)); }
    std::vector<wxString> messages;
    std::vector<wxString> titles;
    int unanswered = 0;

protected:
    int Enter(wxDialog *dialog) override
    {
        if (auto *box = dynamic_cast<wxMessageDialogBase *>(dialog)) {
            messages.push_back(box->GetMessage());
            titles.push_back(box->GetTitle());
            if (!m_answers.empty() && m_answers.front() == nullptr) {
                m_answers.pop_front();
                return wxID_NO;
            }
            return (box->GetMessageDialogStyle() & wxYES_NO) ? wxID_YES : wxID_OK;
        }
        if (m_answers.empty()) {
            ++unanswered;
            return wxID_CANCEL;
        }
        Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer(dialog);
    }
    void Exit(wxDialog *) override {}

private:
    std::deque<Answer> m_answers;
};

inline std::vector<int> Selected(const HorizonPanel &panel)
{
    const wxVector<int> selected = panel.PlanCanvas->GetSelectedPolylines();
    return std::vector<int>(selected.begin(), selected.end());
}

class PanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TOOLKIT_STARTED();
        road_init(&road);
        frame = new wxFrame(nullptr, wxID_ANY, "horizon");
        panel = new HorizonPanel(frame);
        auto *sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(panel, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->SetClientSize(1100, 760);
        frame->Show();
        ASSERT_TRUE(WaitUntilShown(panel));
        PumpEventsFor(50);
    }
    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        PumpEventsFor(20);
        road_final(&road);
    }

    void Press(wxButton *button)
    {
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(click);
        PumpEventsFor(10);
    }
    void SelectRow(int row)
    {
        panel->ElementList->Select(row);
        PumpEventsFor(10);
    }
    int SelectedRow() const { return static_cast<int>(panel->ElementList->GetFirstSelected()); }
    wxString Cell(int row, int column) const { return panel->ElementList->GetItemText(row, column); }

    road_t road;
    wxFrame *frame = nullptr;
    HorizonPanel *panel = nullptr;
};

} // namespace aligntest
