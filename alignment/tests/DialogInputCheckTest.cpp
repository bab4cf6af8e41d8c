// A bad value typed into an element dialog keeps the dialog open with what
// was typed, says which field is wrong and puts the focus on it; a good one
// then goes through.  Real mouse and keyboard through the X server.
#include "AlignmentTestSupport.h"
#include "H_Line.h"
#include "test_roads.h"

#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cmath>

using namespace aligntest;

namespace {

// The click is left to the event loop that runs when the caller returns:
// a dialog closed from inside a nested event loop would never leave its
// own modal loop.
void SendClick(wxWindow *window)
{
    wxUIActionSimulator input;
    const wxRect rect = window->GetScreenRect();
    input.MouseMove(rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2));
    PumpEventsFor(50);
    input.MouseClick();
}

void ClickOn(wxWindow *window)
{
    SendClick(window);
    PumpEventsFor(150);
}

void TypeInto(wxTextCtrl *field, const char *text)
{
    ClickOn(field);
    field->SelectAll();
    wxUIActionSimulator input;
    input.Text(text);
    PumpEventsFor(150);
}

// Runs the action once the dialog is on screen, from a timer: timers fire
// inside the dialog's modal loop.  (A dialog the input missed stays open
// until the test's time-out.)
class WhenShown : public wxTimer
{
public:
    WhenShown(wxDialog **dialog, std::function<void(wxDialog *)> action) : m_dialog(dialog), m_action(std::move(action))
    {
        Start(100);
    }
    void Notify() override
    {
        if (!*m_dialog || !(*m_dialog)->IsShownOnScreen())
            return;
        Stop();
        wxDialog *dialog = *m_dialog;
        m_action(dialog);
    }

private:
    wxDialog **m_dialog;
    std::function<void(wxDialog *)> m_action;
};

// What the dialog looked like after OK was pressed with the bad value.
struct AfterBadOk {
    bool open = false;
    wxString typed;
    bool focused = false;
};

} // namespace

TEST_F(PanelTest, RealInputABadFieldKeepsTheElementDialogOpenWithItInFocus)
{
    test_roads::five_element_alignment(&road);
    panel->SetRoad(&road);
    struct Case {
        std::string name;
        wxButton *button;
        std::function<wxTextCtrl *(wxDialog *)> field;
        const char *bad, *good;
        wxString reason;
    };
    const Case cases[] = {
        {"line length", panel->LineButton,
         [](wxDialog *d) { return dynamic_cast<H_Line &>(*d).TextCtrl1; }, "12x", "25",
         wxString::FromUTF8("长度")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int before = road_number_horizon(&road);
        DialogScript script;
        AfterBadOk seen;
        wxDialog *shown = nullptr;
        // The element dialog shows itself; it is driven once it is up.
        script.Then([&](wxDialog *dialog) {
            shown = dialog;
            return int(wxID_NONE);
        });
        WhenShown driver(&shown, [&](wxDialog *dialog) {
            wxTextCtrl *field = c.field(dialog);
            TypeInto(field, c.bad);
            ClickOn(dialog->FindWindow(wxID_OK));
            seen.open = dialog->IsShown();
            seen.typed = field->GetValue();
            seen.focused = wxWindow::FindFocus() == field;
            TypeInto(field, c.good);
            SendClick(dialog->FindWindow(wxID_OK));
        });
        Press(c.button);
        ASSERT_TRUE(PumpEventsUntil([&] { return road_number_horizon(&road) == before + 1; }, 5000));
        EXPECT_TRUE(seen.open);
        EXPECT_EQ(wxString::FromUTF8(c.bad), seen.typed);
        EXPECT_TRUE(seen.focused);
        ASSERT_EQ(1u, script.messages.size());
        EXPECT_NE(wxNOT_FOUND, script.messages[0].Find(c.reason)) << script.messages[0];
    }
    EXPECT_DOUBLE_EQ(25.0, road_horizon(&road, road_number_horizon(&road) - 1)->length);
}
