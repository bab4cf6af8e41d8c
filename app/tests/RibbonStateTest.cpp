// The ribbon as the mouse leaves it: every page keeps its full panels after
// the bar was folded and unfolded on another page, and no button keeps its
// hovered or pressed face once the dialog it opened has closed.  Real input
// through the X server; needs a display (run under Xvfb).
#include "FrameTestSupport.h"

#include <wx/button.h>
#include <wx/modalhook.h>
#include <wx/ribbon/art.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>
#include <wx/uiaction.h>

using namespace frametest;

namespace {

using RibbonStateTest = FrameTest;

std::vector<wxRibbonPanel *> PanelsOf(wxRibbonPage *page)
{
    std::vector<wxRibbonPanel *> panels;
    for (wxWindow *child : page->GetChildren())
        if (auto *panel = wxDynamicCast(child, wxRibbonPanel))
            if (!panel->GetLabel().empty()) // the logo panel has no label
                panels.push_back(panel);
    return panels;
}

wxRibbonButtonBar *ButtonBarOf(wxRibbonPanel *panel)
{
    for (wxWindow *child : panel->GetChildren())
        if (auto *bar = wxDynamicCast(child, wxRibbonButtonBar))
            return bar;
    return nullptr;
}

void ClickAt(wxUIActionSimulator &mouse, const wxPoint &screen)
{
    mouse.MouseMove(screen);
    PumpWithIdleFor(100);
    mouse.MouseClick();
    PumpWithIdleFor(200);
}

void ClickToggle(wxRibbonBar *bar)
{
    // Two clicks in quick succession would make a double click.
    PumpWithIdleFor(600);
    wxUIActionSimulator mouse;
    const wxRect toggle = bar->GetArtProvider()->GetBarToggleButtonArea(bar->GetSize());
    ClickAt(mouse, bar->ClientToScreen(wxPoint(toggle.x + toggle.width / 2, toggle.y + toggle.height / 2)));
}

// Lets each modal dialog come up and closes it as the surveyor does, with a
// click on its OK button.
class CloseByClickingOk : public wxModalDialogHook
{
public:
    CloseByClickingOk() { Register(); }
    ~CloseByClickingOk() override { Unregister(); }
    bool closed = false;

protected:
    int Enter(wxDialog *dialog) override
    {
        dialog->CallAfter([this, dialog] {
            wxWindow *ok = dialog->FindWindow(wxID_OK);
            for (int i = 0; i < 100 && ok && !ok->IsShownOnScreen(); ++i) {
                wxYield();
                wxMilliSleep(20);
            }
            if (!ok || !ok->IsShownOnScreen()) {
                dialog->EndModal(wxID_CANCEL);
                return;
            }
            wxUIActionSimulator mouse;
            mouse.MouseMove(ok->GetScreenRect().GetPosition() + ok->GetSize() / 2);
            wxYield();
            wxMilliSleep(100);
            wxYield();
            mouse.MouseClick();
            for (int i = 0; i < 50 && dialog->IsModal(); ++i) {
                wxYield();
                wxMilliSleep(20);
            }
            if (dialog->IsModal())
                dialog->EndModal(wxID_CANCEL);
            else
                closed = true;
        });
        return wxID_NONE;
    }
    void Exit(wxDialog *) override {}
};

} // namespace

TEST_F(RibbonStateTest, EveryPageKeepsItsFullPanelsAfterFoldingAndUnfolding)
{
    wxRibbonBar *bar = frame->GetRibbonBar();
    ASSERT_EQ(bar->GetActivePage(), 0);
    const int unfolded = bar->GetSize().GetHeight();
    ClickToggle(bar);
    ASSERT_FALSE(bar->ArePanelsShown());
    ASSERT_LT(bar->GetSize().GetHeight(), unfolded);
    ClickToggle(bar);
    ASSERT_TRUE(bar->ArePanelsShown());
    EXPECT_EQ(bar->GetSize().GetHeight(), unfolded);

    for (size_t p = 0; p < bar->GetPageCount(); ++p) {
        bar->SetActivePage(p);
        PumpWithIdleFor(100);
        wxRibbonPage *page = bar->GetPage(int(p));
        for (wxRibbonPanel *panel : PanelsOf(page)) {
            EXPECT_FALSE(panel->IsMinimised()) << page->GetLabel() << " / " << panel->GetLabel();
            // Tall enough for a large button and the panel's label.
            EXPECT_GE(panel->GetSize().GetHeight(), 60) << page->GetLabel() << " / " << panel->GetLabel();
        }
    }
}

TEST_F(RibbonStateTest, NoButtonKeepsItsFaceAfterTheDialogItOpenedCloses)
{
    wxRibbonBar *bar = frame->GetRibbonBar();
    bar->SetActivePage(size_t(0));
    PumpWithIdleFor(100);
    wxRibbonButtonBar *user = nullptr;
    for (wxRibbonPanel *panel : PanelsOf(bar->GetPage(0)))
        if (panel->GetLabel() == "User")
            user = ButtonBarOf(panel);
    ASSERT_NE(user, nullptr);

    // "About" is the second button of its bar; its dialog is closed by a
    // click on its OK button, which lies over the model view.
    const wxRect about = user->GetItemRect(int(CorvaneFrame::ID_RIBBON_ABOUT));
    ASSERT_FALSE(about.IsEmpty());
    CloseByClickingOk closer;
    wxUIActionSimulator mouse;
    ClickAt(mouse, user->ClientToScreen(about.GetPosition() + about.GetSize() / 2));
    PumpWithIdleUntil([&] { return closer.closed; }, 5000);
    ASSERT_TRUE(closer.closed) << "the About dialog did not come up";
    PumpWithIdleFor(200);
    ASSERT_FALSE(user->GetScreenRect().Contains(wxGetMousePosition()));
    EXPECT_EQ(user->GetHoveredItem(), nullptr);
    EXPECT_EQ(user->GetActiveItem(), nullptr);
}
