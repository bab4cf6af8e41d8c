// The main window's look: one dark ribbon art shared by every ribbon control
// and one dark dock art, both owned by the toolkit objects they were given to.
#include "FrameTestSupport.h"

#include "art_metric.h"
#include "dockart_metric.h"

#include <wx/aui/framemanager.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>

namespace {

using FrameLook = frametest::FrameTest;

void CollectRibbonControls(wxWindow *window, std::vector<wxRibbonControl *> &found)
{
    for (wxWindow *child : window->GetChildren()) {
        if (auto *control = wxDynamicCast(child, wxRibbonControl))
            found.push_back(control);
        CollectRibbonControls(child, found);
    }
}

} // namespace

TEST_F(FrameLook, RibbonAndPanesUseOneDarkArtEach)
{
    wxRibbonBar *bar = frame->GetRibbonBar();
    auto *art = dynamic_cast<wxRibbonMetricArtProvider *>(bar->GetArtProvider());
    ASSERT_NE(art, nullptr);
    EXPECT_EQ(art->GetFlags(), long(bar->GetWindowStyleFlag()));
    // A dark grey row behind light tab labels.
    EXPECT_LT(art->GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR).Red(), 80);
    EXPECT_GT(art->GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR).Red(), 180);

    std::vector<wxRibbonControl *> controls;
    CollectRibbonControls(bar, controls);
    ASSERT_GE(controls.size(), 6u); // two pages with their panels and button bars
    for (wxRibbonControl *control : controls)
        EXPECT_EQ(control->GetArtProvider(), art) << control->GetClassInfo()->GetClassName();

    auto *dock = dynamic_cast<wxAuiMetricDockArt *>(frame->GetAuiManager()->GetArtProvider());
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->GetColour(wxAUI_DOCKART_BACKGROUND_COLOUR), wxColour(63, 63, 63));
}
