// The ribbon art painting into memory bitmaps and sizing real ribbon
// controls: what a user sees of tabs, pages, panels and buttons.
#include "ThemeTestSupport.h"
#include "art_metric.h"

#include <wx/artprov.h>
#include <wx/frame.h>
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>

using themetest::Distance;
using themetest::FilledBitmap;
using themetest::PixelAt;

namespace {

class ProbeArt : public wxRibbonMetricArtProvider
{
public:
    ProbeArt() : wxRibbonMetricArtProvider(true) {}
    const wxBitmap &CachedSeparator() const { return m_cached_tab_separator; }
};

// A ribbon bar with two pages in a frame of its own, painted by a fresh
// provider of ours.
class RibbonArtDraw : public themetest::ToolkitTest
{
protected:
    void SetUp() override
    {
        themetest::ToolkitTest::SetUp();
        if (HasFatalFailure())
            return;
        frame = new wxFrame(nullptr, wxID_ANY, "ribbon", wxDefaultPosition, wxSize(700, 300));
        bar = new wxRibbonBar(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxRIBBON_BAR_DEFAULT_STYLE);
        art = new ProbeArt;
        bar->SetArtProvider(art);
        first = new wxRibbonPage(bar, wxID_ANY, "Files");
        panel = new wxRibbonPanel(first, wxID_ANY, "Project");
        buttons = new wxRibbonButtonBar(panel);
        buttons->AddButton(wxID_NEW, "New", wxArtProvider::GetBitmap(wxART_NEW, wxART_OTHER, wxSize(32, 32)));
        buttons->AddDropdownButton(wxID_OPEN, "Open", wxArtProvider::GetBitmap(wxART_FILE_OPEN, wxART_OTHER,
                                                                               wxSize(32, 32)));
        second = new wxRibbonPage(bar, wxID_ANY, "Tools");
        bar->Realize();
        frame->Show();
        WaitUntilShown(bar);
    }

    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        PumpEventsFor(20);
    }

    wxFrame *frame = nullptr;
    wxRibbonBar *bar = nullptr;
    ProbeArt *art = nullptr;
    wxRibbonPage *first = nullptr;
    wxRibbonPage *second = nullptr;
    wxRibbonPanel *panel = nullptr;
    wxRibbonButtonBar *buttons = nullptr;
};

// The brightest pixel of a region: where a light label stroke lies.
wxColour BrightestIn(const wxBitmap &bitmap, const wxRect &area)
{
    const wxImage image = bitmap.ConvertToImage();
    wxColour best(0, 0, 0);
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x) {
            const wxColour c(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
            if (c.Red() + c.Green() + c.Blue() > best.Red() + best.Green() + best.Blue())
                best = c;
        }
    return best;
}

} // namespace

TEST_F(RibbonArtDraw, BarHandsItsProviderToEveryControl)
{
    EXPECT_EQ(bar->GetArtProvider(), art);
    EXPECT_EQ(first->GetArtProvider(), art);
    EXPECT_EQ(panel->GetArtProvider(), art);
    EXPECT_EQ(buttons->GetArtProvider(), art);
    EXPECT_EQ(art->GetFlags(), long(bar->GetWindowStyleFlag()));
}

TEST_F(RibbonArtDraw, TabRowIsDarkWithABorderLineUnderIt)
{
    wxBitmap bitmap = FilledBitmap(60, 20, *wxRED);
    {
        wxMemoryDC dc(bitmap);
        art->DrawTabCtrlBackground(dc, bar, wxRect(0, 0, 60, 20));
    }
    const wxColour back = art->GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR);
    EXPECT_LE(Distance(PixelAt(bitmap, 30, 5), back), 1);
    EXPECT_LE(Distance(PixelAt(bitmap, 30, 19), art->GetColour(wxRIBBON_ART_PAGE_BORDER_COLOUR)), 1);
    EXPECT_LE(Distance(PixelAt(bitmap, 1, 19), back), 1); // the line leaves the corners out
}

TEST_F(RibbonArtDraw, TabsShowLightLabelsInEveryState)
{
    wxRibbonPageTabInfo tab;
    tab.rect = wxRect(0, 0, 80, 26);
    tab.page = first;
    tab.active = tab.hovered = tab.highlight = false;
    tab.shown = true;
    const wxColour label = art->GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR);

    struct State {
        const char *name;
        bool active, hovered;
        wxColour background;
    };
    const State states[] = {
        {"normal", false, false, *wxRED},
        {"hovered", false, true, art->GetColour(wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_COLOUR)},
        {"active", true, false, art->GetColour(wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_COLOUR)},
    };
    for (const State &state : states) {
        tab.active = state.active;
        tab.hovered = state.hovered;
        wxBitmap bitmap = FilledBitmap(80, 26, *wxRED);
        {
            wxMemoryDC dc(bitmap);
            art->DrawTab(dc, bar, tab);
        }
        // A plain tab gets no background of its own, only its label.
        EXPECT_LE(Distance(PixelAt(bitmap, 6, 4), state.background), 4) << state.name;
        EXPECT_LE(Distance(BrightestIn(bitmap, wxRect(20, 4, 40, 18)), label), 24) << state.name;
    }

    // A tab squeezed to 2 pixels draws nothing at all.
    tab.rect = wxRect(0, 0, 80, 2);
    wxBitmap flat = FilledBitmap(80, 26, *wxRED);
    {
        wxMemoryDC dc(flat);
        art->DrawTab(dc, bar, tab);
    }
    EXPECT_EQ(BrightestIn(flat, wxRect(0, 0, 80, 26)), *wxRED);
}

TEST_F(RibbonArtDraw, TabSeparatorBlendsIntoTheRowAndIsCached)
{
    const wxColour separator = art->GetColour(wxRIBBON_ART_TAB_SEPARATOR_COLOUR);
    const wxColour back = art->GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR);

    wxBitmap none = FilledBitmap(10, 20, *wxRED);
    {
        wxMemoryDC dc(none);
        art->DrawTabSeparator(dc, bar, wxRect(0, 0, 10, 20), 0.0);
    }
    EXPECT_EQ(PixelAt(none, 5, 5), *wxRED);
    EXPECT_FALSE(art->CachedSeparator().IsOk());

    wxBitmap full = FilledBitmap(10, 20, *wxRED);
    {
        wxMemoryDC dc(full);
        art->DrawTabSeparator(dc, bar, wxRect(0, 0, 10, 20), 3.0); // counts as 1
    }
    EXPECT_LE(Distance(PixelAt(full, 5, 0), separator), 1);
    EXPECT_LE(Distance(PixelAt(full, 0, 5), back), 1);
    const wxBitmap cached = art->CachedSeparator();
    {
        wxMemoryDC dc(full);
        art->DrawTabSeparator(dc, bar, wxRect(0, 0, 10, 20), 1.0);
    }
    EXPECT_TRUE(art->CachedSeparator().IsSameAs(cached));

    // Half visible: halfway between the separator and the row.
    wxBitmap half = FilledBitmap(10, 20, *wxRED);
    {
        wxMemoryDC dc(half);
        art->DrawTabSeparator(dc, bar, wxRect(0, 0, 10, 20), 0.5);
    }
    const wxColour mid((separator.Red() + back.Red()) / 2, (separator.Green() + back.Green()) / 2,
                       (separator.Blue() + back.Blue()) / 2);
    EXPECT_LE(Distance(PixelAt(half, 5, 0), mid), 1);
}

TEST_F(RibbonArtDraw, PageBackgroundHasDarkFrameAndGradientBands)
{
    wxBitmap bitmap = FilledBitmap(100, 60, *wxRED);
    {
        wxMemoryDC dc(bitmap);
        art->DrawPageBackground(dc, first, wxRect(0, 0, 100, 60));
    }
    const wxColour back = art->GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR);
    EXPECT_LE(Distance(PixelAt(bitmap, 0, 30), back), 1);
    EXPECT_LE(Distance(PixelAt(bitmap, 50, 59), back), 1);
    EXPECT_LE(Distance(PixelAt(bitmap, 50, 2), art->GetColour(wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR)), 3);
    EXPECT_LE(Distance(PixelAt(bitmap, 1, 30), art->GetColour(wxRIBBON_ART_PAGE_BORDER_COLOUR)), 1);
}

TEST_F(RibbonArtDraw, ButtonsShowHoverPressedAndDisabledLooks)
{
    const wxBitmap large = wxArtProvider::GetBitmap(wxART_NEW, wxART_OTHER, wxSize(32, 32));
    const wxBitmap small = wxArtProvider::GetBitmap(wxART_NEW, wxART_OTHER, wxSize(16, 16));
    const wxRect rect(0, 0, 50, 70);
    auto draw = [&](long state) {
        wxBitmap bitmap = FilledBitmap(50, 70, *wxRED);
        wxMemoryDC dc(bitmap);
        art->DrawButtonBarButton(dc, buttons, rect, wxRIBBON_BUTTON_NORMAL, state | wxRIBBON_BUTTONBAR_BUTTON_LARGE,
                                 "New", large, small);
        dc.SelectObject(wxNullBitmap);
        return bitmap;
    };
    const wxBitmap hovered = draw(wxRIBBON_BUTTONBAR_BUTTON_NORMAL_HOVERED);
    EXPECT_LE(Distance(PixelAt(hovered, 25, 0), art->GetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR)), 1);
    EXPECT_LE(Distance(PixelAt(hovered, 5, 1), art->GetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_TOP_COLOUR)),
              3);
    const wxBitmap pressed = draw(wxRIBBON_BUTTONBAR_BUTTON_NORMAL_ACTIVE);
    EXPECT_LE(Distance(PixelAt(pressed, 25, 0), art->GetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BORDER_COLOUR)), 1);
    EXPECT_LE(
        Distance(PixelAt(pressed, 5, 1), art->GetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_TOP_COLOUR)), 3);

    // A toggled toggle button looks pressed; pressing it again unpresses it.
    wxBitmap toggled = FilledBitmap(50, 70, *wxRED);
    {
        wxMemoryDC dc(toggled);
        art->DrawButtonBarButton(dc, buttons, rect, wxRIBBON_BUTTON_TOGGLE,
                                 wxRIBBON_BUTTONBAR_BUTTON_LARGE | wxRIBBON_BUTTONBAR_BUTTON_TOGGLED, "New", large,
                                 small);
    }
    EXPECT_LE(Distance(PixelAt(toggled, 25, 0), art->GetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BORDER_COLOUR)), 1);

    // A plain button draws no frame, only its icon and a light label.
    const wxBitmap plain = draw(0);
    EXPECT_EQ(PixelAt(plain, 25, 0), *wxRED);
    EXPECT_NE(PixelAt(plain, 25, 18), *wxRED); // the icon
    EXPECT_LE(Distance(BrightestIn(plain, wxRect(5, 38, 40, 20)), art->GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR)),
              24);
    const wxBitmap disabled = draw(wxRIBBON_BUTTONBAR_BUTTON_DISABLED);
    EXPECT_LE(Distance(BrightestIn(disabled, wxRect(5, 38, 40, 20)),
                       art->GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR)),
              24);

    // Small buttons show their hover frame but no foreground.
    wxBitmap smallHover = FilledBitmap(50, 70, *wxRED);
    {
        wxMemoryDC dc(smallHover);
        art->DrawButtonBarButton(dc, buttons, wxRect(0, 0, 22, 20), wxRIBBON_BUTTON_NORMAL,
                                 wxRIBBON_BUTTONBAR_BUTTON_SMALL | wxRIBBON_BUTTONBAR_BUTTON_NORMAL_HOVERED, "New",
                                 large, small);
    }
    EXPECT_LE(Distance(PixelAt(smallHover, 10, 0), art->GetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR)), 1);
}

TEST_F(RibbonArtDraw, BarButtonsSitOnTheTabRowAndSwapPlaces)
{
    EXPECT_EQ(art->GetBarToggleButtonArea(wxRect(0, 0, 500, 120)), wxRect(478, 2, 20, 20));
    EXPECT_EQ(art->GetRibbonHelpButtonArea(wxRect(0, 0, 500, 120)), wxRect(456, 2, 20, 20));
    ProbeArt other;
    EXPECT_EQ(other.GetRibbonHelpButtonArea(wxRect(0, 0, 500, 120)), wxRect(478, 2, 20, 20));
    EXPECT_EQ(other.GetBarToggleButtonArea(wxRect(0, 0, 500, 120)), wxRect(456, 2, 20, 20));

    // The toggle's background is the dark tab row, never a light patch.
    wxBitmap bitmap = FilledBitmap(20, 20, *wxRED);
    {
        wxMemoryDC dc(bitmap);
        art->DrawToggleButton(dc, bar, wxRect(0, 0, 20, 20), wxRIBBON_BAR_PINNED);
    }
    EXPECT_LE(Distance(PixelAt(bitmap, 1, 1), art->GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR)), 1);
    EXPECT_LE(Distance(BrightestIn(bitmap, wxRect(7, 6, 7, 9)), art->GetColour(wxRIBBON_ART_PAGE_TOGGLE_FACE_COLOUR)),
              1);
    wxBitmap help = FilledBitmap(20, 20, *wxRED);
    {
        wxMemoryDC dc(help);
        art->DrawHelpButton(dc, bar, wxRect(0, 0, 20, 20));
    }
    // Dark whether or not the pointer rests on it.
    EXPECT_LT(themetest::RelativeLuminance(PixelAt(help, 1, 1)), 0.1);
    EXPECT_NE(PixelAt(help, 10, 10), PixelAt(help, 1, 1)); // the icon
}

TEST_F(RibbonArtDraw, SizesFollowTheRibbonMetrics)
{
    wxMemoryDC dc;
    dc.SetFont(*wxNORMAL_FONT);
    wxRibbonPageTabInfoArray one;
    wxRibbonPageTabInfo info;
    info.page = first;
    one.Add(info);
    art->SetFlags(wxRIBBON_BAR_SHOW_PAGE_LABELS);
    EXPECT_EQ(art->GetTabCtrlHeight(dc, bar, one), 2);
    wxRibbonPageTabInfoArray two = one;
    info.page = second;
    two.Add(info);
    dc.SetFont(*wxNORMAL_FONT);
    const int textHeight = dc.GetTextExtent("ABCDEFXj").y;
    EXPECT_EQ(art->GetTabCtrlHeight(dc, bar, two), textHeight + 10);
    art->SetFlags(wxRIBBON_BAR_SHOW_PAGE_LABELS | wxRIBBON_BAR_ALWAYS_SHOW_TABS);
    EXPECT_EQ(art->GetTabCtrlHeight(dc, bar, one), textHeight + 10);
    art->SetFlags(wxRIBBON_BAR_SHOW_PAGE_LABELS);

    int ideal = 0, begin = 0, must = 0, minimum = 0;
    art->GetBarTabWidth(dc, bar, "Tools", wxNullBitmap, &ideal, &begin, &must, &minimum);
    const int labelWidth = dc.GetTextExtent("Tools").x;
    EXPECT_EQ(ideal, labelWidth + 30);
    EXPECT_EQ(begin, labelWidth + 20);
    EXPECT_EQ(must, labelWidth + 10);
    EXPECT_EQ(minimum, std::min(25, labelWidth));

    EXPECT_EQ(art->GetScrollButtonMinimumSize(dc, bar, 0), wxSize(12, 12));

    wxPoint offset;
    const int labelHeight = dc.GetTextExtent(panel->GetLabel()).y;
    EXPECT_EQ(art->GetPanelSize(dc, panel, wxSize(100, 50), &offset), wxSize(106, 56 + labelHeight));
    EXPECT_EQ(offset, wxPoint(3, 2));
    EXPECT_EQ(art->GetPanelClientSize(dc, panel, wxSize(106, 56 + labelHeight), &offset), wxSize(100, 50));
    EXPECT_EQ(art->GetPanelClientSize(dc, panel, wxSize(3, 3), nullptr), wxSize(0, 0));
    EXPECT_EQ(art->GetPanelExtButtonArea(dc, panel, wxRect(10, 20, 100, 80)), wxRect(95, 86, 13, 13));

    EXPECT_EQ(art->GetGallerySize(dc, nullptr, wxSize(100, 40)), wxSize(118, 42));
    wxRect up, down, extension;
    EXPECT_EQ(art->GetGalleryClientSize(dc, nullptr, wxSize(118, 42), &offset, &up, &down, &extension),
              wxSize(100, 40));
    EXPECT_EQ(offset, wxPoint(2, 1));
    EXPECT_EQ(up, wxRect(103, 0, 15, 14));
    EXPECT_EQ(down, wxRect(103, 14, 15, 14));
    EXPECT_EQ(extension, wxRect(103, 28, 15, 14));

    EXPECT_TRUE(art->GetPageBackgroundRedrawArea(dc, first, wxSize(300, 90), wxSize(300, 90)).IsEmpty());
    EXPECT_EQ(art->GetPageBackgroundRedrawArea(dc, first, wxSize(300, 90), wxSize(320, 90)), wxRect(296, 0, 24, 90));
    EXPECT_EQ(art->GetPageBackgroundRedrawArea(dc, first, wxSize(300, 90), wxSize(300, 80)), wxRect(0, 0, 300, 80));

    wxRect drop;
    EXPECT_EQ(art->GetToolSize(dc, bar, wxSize(16, 16), wxRIBBON_BUTTON_NORMAL, true, false, &drop), wxSize(23, 22));
    EXPECT_TRUE(drop.IsEmpty());
    EXPECT_EQ(art->GetToolSize(dc, bar, wxSize(16, 16), wxRIBBON_BUTTON_HYBRID, false, true, &drop), wxSize(32, 22));
    EXPECT_EQ(drop, wxRect(24, 0, 8, 22));

    wxSize size;
    wxRect normal;
    art->GetButtonBarButtonSize(dc, buttons, wxRIBBON_BUTTON_HYBRID, wxRIBBON_BUTTONBAR_BUTTON_SMALL, "Open", 0,
                                wxSize(32, 32), wxSize(16, 16), &size, &normal, &drop);
    EXPECT_EQ(size, wxSize(30, 20));
    EXPECT_EQ(normal, wxRect(0, 0, 22, 20));
    EXPECT_EQ(drop, wxRect(22, 0, 8, 20));
    dc.SetFont(art->GetFont(wxRIBBON_ART_BUTTON_BAR_LABEL_FONT));
    const int openWidth = dc.GetTextExtent("Open").x;
    art->GetButtonBarButtonSize(dc, buttons, wxRIBBON_BUTTON_HYBRID, wxRIBBON_BUTTONBAR_BUTTON_MEDIUM, "Open", 0,
                                wxSize(32, 32), wxSize(16, 16), &size, &normal, &drop);
    EXPECT_EQ(size, wxSize(30 + openWidth, 20));
    EXPECT_EQ(drop, wxRect(22 + openWidth, 0, 8, 20));
    art->GetButtonBarButtonSize(dc, buttons, wxRIBBON_BUTTON_NORMAL, wxRIBBON_BUTTONBAR_BUTTON_LARGE, "Open", 60,
                                wxSize(32, 32), wxSize(16, 16), &size, &normal, &drop);
    EXPECT_EQ(size.x, 66); // the minimum text width wins over the label
    EXPECT_EQ(size.y, 36 + 2 * dc.GetTextExtent("Open").y);
    EXPECT_EQ(art->GetButtonBarButtonTextWidth(dc, "Open", wxRIBBON_BUTTON_NORMAL, wxRIBBON_BUTTONBAR_BUTTON_SMALL), 0);
    // A two-word label breaks into its narrower arrangement.
    const int twoWords =
        art->GetButtonBarButtonTextWidth(dc, "Road elements", wxRIBBON_BUTTON_NORMAL, wxRIBBON_BUTTONBAR_BUTTON_LARGE);
    EXPECT_EQ(twoWords, std::max(dc.GetTextExtent("Road").x, dc.GetTextExtent("elements").x));

    wxSize bitmapSize;
    wxDirection direction;
    const wxSize minimised = art->GetMinimisedPanelMinimumSize(dc, panel, &bitmapSize, &direction);
    EXPECT_EQ(bitmapSize, wxSize(16, 16));
    EXPECT_EQ(direction, wxSOUTH);
    EXPECT_GE(minimised.y, 42 + labelHeight);
}

TEST_F(RibbonArtDraw, NarrowBarCollapsesPanelsAndPaintsThemDark)
{
    // Panels that no longer fit are minimised by the toolkit and drawn by us.
    frame->SetSize(wxSize(120, 300));
    frame->Layout();
    bar->Realize();
    PumpEventsFor(100);
    panel->Refresh();
    PumpEventsFor(100);
    wxBitmap bitmap = FilledBitmap(60, 80, *wxRED);
    {
        wxMemoryDC dc(bitmap);
        wxBitmap icon = wxArtProvider::GetBitmap(wxART_NEW, wxART_OTHER, wxSize(16, 16));
        art->DrawMinimisedPanel(dc, panel, wxRect(0, 0, 60, 80), icon);
    }
    EXPECT_NE(PixelAt(bitmap, 30, 2), *wxRED);
    EXPECT_LT(themetest::RelativeLuminance(PixelAt(bitmap, 3, 60)), 0.1);
    EXPECT_LE(Distance(BrightestIn(bitmap, wxRect(0, 40, 60, 30)),
                       art->GetColour(wxRIBBON_ART_PANEL_MINIMISED_LABEL_COLOUR)),
              24);
}

TEST_F(RibbonArtDraw, PanelsHaveACaptionStripAndTwoToneBorder)
{
    wxBitmap bitmap = FilledBitmap(120, 90, *wxRED);
    {
        wxMemoryDC dc(bitmap);
        art->DrawPanelBackground(dc, panel, wxRect(0, 0, 120, 90));
    }
    // No red left: the page shows through everywhere outside the strip.
    EXPECT_NE(PixelAt(bitmap, 60, 30), *wxRED);
    EXPECT_NE(PixelAt(bitmap, 0, 0), *wxRED);
    const wxColour strip = panel->IsHovered() ? art->GetColour(wxRIBBON_ART_PANEL_HOVER_LABEL_BACKGROUND_COLOUR)
                                              : art->GetColour(wxRIBBON_ART_PANEL_LABEL_BACKGROUND_COLOUR);
    EXPECT_LE(Distance(PixelAt(bitmap, 3, 86), strip), 1);
    EXPECT_LE(Distance(PixelAt(bitmap, 60, 0), art->GetColour(wxRIBBON_ART_PANEL_BORDER_COLOUR)), 1);
    EXPECT_LE(Distance(PixelAt(bitmap, 60, 89), art->GetColour(wxRIBBON_ART_PANEL_BORDER_GRADIENT_COLOUR)), 1);

    // A caption far too long for its panel still draws only inside the strip.
    panel->SetLabel("Point cloud classification and colouring");
    wxBitmap narrow = FilledBitmap(60, 90, *wxRED);
    {
        wxMemoryDC dc(narrow);
        art->DrawPanelBackground(dc, panel, wxRect(0, 0, 60, 90));
    }
    EXPECT_LE(Distance(PixelAt(narrow, 30, 0), art->GetColour(wxRIBBON_ART_PANEL_BORDER_COLOUR)), 1);
    EXPECT_LE(Distance(PixelAt(narrow, 59, 45), PixelAt(narrow, 59, 40)), 8); // right edge untouched by text
}
