// The ribbon's colours, fonts and metrics: every colour follows from the two
// scheme colours, labels stay legible on every background they are drawn on,
// and the settings survive get/set and cloning.
#include "ThemeTestSupport.h"
#include "art_metric.h"

#include <wx/ribbon/bar.h>

#include <cmath>
#include <memory>

using themetest::ContrastRatio;
using themetest::Distance;

namespace {

// Reads members that have no setting id.
class ProbeArt : public wxRibbonMetricArtProvider
{
public:
    using wxRibbonMetricArtProvider::wxRibbonMetricArtProvider;
    wxColour ToolBackground() const { return m_tool_background_colour; }
    wxColour ToolHoverBackground() const { return m_tool_hover_background_colour; }
    wxColour ToolActiveBackgroundGradient() const { return m_tool_active_background_gradient_colour; }
    wxColour ToggleBrush() const { return m_ribbon_toggle_brush.GetColour(); }
    bool ToggleBitmapsOk() const { return m_ribbon_toggle_up_bitmap[0].IsOk() && m_ribbon_bar_help_button_bitmap[1].IsOk(); }
    bool GalleryBitmapsOk() const { return m_gallery_up_bitmap[3].IsOk() && m_gallery_extension_bitmap[0].IsOk(); }
    wxSize GalleryUpBitmapSize() const { return m_gallery_up_bitmap[0].GetSize(); }
    double SeparatorVisibility() const { return m_cached_tab_separator_visibility; }
    int ToggleOffset() const { return m_toggle_button_offset; }
};

// An HSL colour worked out independently of the toolkit's type.
struct Hsl {
    double h, s, l;
};

Hsl ToHsl(const wxColour &c)
{
    const double r = c.Red() / 255.0, g = c.Green() / 255.0, b = c.Blue() / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    Hsl out{0, 0, (mx + mn) / 2};
    const double d = mx - mn;
    if (d > 0) {
        out.s = d / (1 - std::fabs(2 * out.l - 1));
        if (mx == r)
            out.h = 60 * std::fmod((g - b) / d + 6, 6);
        else if (mx == g)
            out.h = 60 * ((b - r) / d + 2);
        else
            out.h = 60 * ((r - g) / d + 4);
    }
    return out;
}

wxColour ToRgb(const Hsl &c)
{
    const double chroma = (1 - std::fabs(2 * c.l - 1)) * c.s;
    const double hp = c.h / 60;
    const double x = chroma * (1 - std::fabs(std::fmod(hp, 2) - 1));
    double r = 0, g = 0, b = 0;
    if (hp < 1) { r = chroma; g = x; }
    else if (hp < 2) { r = x; g = chroma; }
    else if (hp < 3) { g = chroma; b = x; }
    else if (hp < 4) { g = x; b = chroma; }
    else if (hp < 5) { r = x; b = chroma; }
    else { r = chroma; b = x; }
    const double m = c.l - chroma / 2;
    auto byte = [](double v) { return (unsigned char)std::lround(std::min(1.0, std::max(0.0, v)) * 255); };
    return wxColour(byte(r + m), byte(g + m), byte(b + m));
}

struct Scheme {
    Hsl primary, secondary;
    bool primaryGrey, secondaryGrey;
};

Scheme MapScheme(const wxColour &primary, const wxColour &secondary)
{
    Scheme s{ToHsl(primary), ToHsl(secondary), false, false};
    s.primaryGrey = s.primary.s <= 0.01;
    if (!s.primaryGrey)
        s.primary.s = std::cos(s.primary.s * M_PI) * -0.25 + 0.5;
    s.primary.l = std::cos(s.primary.l * M_PI) * -0.3 + 0.53;
    s.secondaryGrey = s.secondary.s <= 0.01;
    if (!s.secondaryGrey)
        s.secondary.s = std::cos(s.secondary.s * M_PI) * -0.34 + 0.5;
    s.secondary.l = std::cos(s.secondary.l * M_PI) * -0.4 + 0.5;
    return s;
}

Hsl Derive(Hsl base, bool grey, double hue, double desaturate, double darken)
{
    base.h = std::fmod(base.h + hue + 360, 360);
    base.s = std::min(1.0, std::max(0.0, base.s - (grey ? 0 : desaturate)));
    base.l = std::min(1.0, std::max(0.0, base.l - darken));
    return base;
}

class RibbonArtScheme : public themetest::ToolkitTest
{
};

} // namespace

TEST_F(RibbonArtScheme, DefaultSchemeDerivesDarkGreysAndLightLabels)
{
    wxRibbonMetricArtProvider art(true);
    wxColour primary, secondary, tertiary;
    art.GetColourScheme(&primary, &secondary, &tertiary);
    EXPECT_EQ(primary, wxColour(64, 64, 64));
    EXPECT_EQ(secondary, wxColour(0, 48, 48));
    EXPECT_EQ(tertiary, wxColour(255, 255, 255));
    art.GetColourScheme(nullptr, nullptr, nullptr); // null out-pointers are allowed

    // A grey primary: luminance 0.3185 less the row's darkening, no hue.
    const Scheme s = MapScheme(primary, secondary);
    EXPECT_NEAR(s.primary.l, 0.3185, 0.001);
    EXPECT_NEAR(ToHsl(art.GetColour(wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR)).l, 0.199, 0.004);
    EXPECT_NEAR(ToHsl(art.GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR)).l, 0.249, 0.004);
    EXPECT_NEAR(ToHsl(art.GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR)).l, 0.809, 0.004);
    EXPECT_EQ(ToHsl(art.GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR)).s, 0.0);

    // The secondary is a saturated dark cyan mapped to 0.84 and about 0.117.
    EXPECT_NEAR(s.secondary.s, 0.84, 1e-6);
    EXPECT_NEAR(s.secondary.l, 0.117, 0.001);
    const Hsl hover = ToHsl(art.GetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_COLOUR));
    EXPECT_NEAR(hover.h, 179.8, 1.0);
    EXPECT_NEAR(hover.s, 0.68, 0.02);
    EXPECT_NEAR(hover.l, 0.217, 0.004);
}

TEST_F(RibbonArtScheme, DerivedColoursFollowTheTableForAColouredScheme)
{
    // A coloured primary exercises hue shift and desaturation; negative
    // darkening rows lighten.
    const wxColour primary(120, 60, 40), secondary(30, 90, 160);
    ProbeArt art(false);
    art.SetColourScheme(primary, secondary, *wxBLACK);
    const Scheme s = MapScheme(primary, secondary);
    ASSERT_FALSE(s.primaryGrey);

    struct Row {
        const char *name;
        wxColour actual;
        bool fromPrimary;
        double hue, desaturate, darken;
    };
    const Row rows[] = {
        {"page background top", art.GetColour(wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR), true, -0.1, -0.03, 0.12},
        {"page hover background", art.GetColour(wxRIBBON_ART_PAGE_HOVER_BACKGROUND_COLOUR), true, 0.1, 0.19, 0.1},
        {"tab label", art.GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR), true, 4.3, 0.13, -0.49},
        {"tab border", art.GetColour(wxRIBBON_ART_TAB_BORDER_COLOUR), true, 1.4, 0.03, -0.05},
        {"panel label", art.GetColour(wxRIBBON_ART_PANEL_LABEL_COLOUR), true, 2.8, -0.14, -0.35},
        {"panel minimised border", art.GetColour(wxRIBBON_ART_PANEL_MINIMISED_BORDER_COLOUR), true, -5.3, -0.24,
         -0.06},
        {"gallery disabled face", art.GetColour(wxRIBBON_ART_GALLERY_BUTTON_DISABLED_FACE_COLOUR), true, 0, -1.0, 0},
        {"toolbar face", art.GetColour(wxRIBBON_ART_TOOLBAR_FACE_COLOUR), true, 1.4, -0.17, -0.22},
        {"tool background", art.ToolBackground(), true, 1.4, -0.09, 0.03},
        {"tab hover gradient", art.GetColour(wxRIBBON_ART_TAB_HOVER_BACKGROUND_GRADIENT_COLOUR), false, -1.5, -0.34,
         0.01},
        {"button bar active", art.GetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_COLOUR), false, -9.9, 0.14,
         -0.14},
        {"button bar hover border", art.GetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR), false, -6.2, -0.47,
         -0.14},
        {"tool hover background", art.ToolHoverBackground(), false, -1.8, 0.16, -0.12},
        {"tool active gradient", art.ToolActiveBackgroundGradient(), false, -6.6, 0.16, -0.1},
        {"toggle brush", art.ToggleBrush(), false, -0.9, 0.16, -0.07},
    };
    for (const Row &row : rows) {
        const Hsl expected = row.fromPrimary ? Derive(s.primary, s.primaryGrey, row.hue, row.desaturate, row.darken)
                                             : Derive(s.secondary, s.secondaryGrey, row.hue, row.desaturate, row.darken);
        EXPECT_LE(Distance(row.actual, ToRgb(expected)), 1) << row.name;
    }

    // The page border ignores desaturation even for a coloured primary.
    const Hsl border = Derive(s.primary, s.primaryGrey, 1.4, 0, -0.08);
    EXPECT_LE(Distance(art.GetColour(wxRIBBON_ART_PAGE_BORDER_COLOUR), ToRgb(border)), 1);
    // Copies rather than rows of their own.
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_PANEL_HOVER_LABEL_COLOUR), art.GetColour(wxRIBBON_ART_PANEL_LABEL_COLOUR));
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR), art.GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR));
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_PANEL_MINIMISED_LABEL_COLOUR), art.GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR));
    EXPECT_EQ(art.SeparatorVisibility(), -1.0);
    EXPECT_TRUE(art.ToggleBitmapsOk());
    EXPECT_TRUE(art.GalleryBitmapsOk());
}

TEST_F(RibbonArtScheme, GreyLimitIsOneHundredthSaturation)
{
    // Saturation exactly 0.01 counts as grey: desaturation rows change nothing.
    const Hsl greyish = Hsl{200, 0.01, 0.4};
    const Hsl coloured = Hsl{200, 0.011, 0.4};
    for (const Hsl &base : {greyish, coloured}) {
        wxRibbonMetricArtProvider art(false);
        const wxColour primary = ToRgb(base);
        art.SetColourScheme(primary, wxColour(0, 48, 48), *wxWHITE);
        const Scheme s = MapScheme(primary, wxColour(0, 48, 48));
        const Hsl expected = Derive(s.primary, s.primaryGrey, 0.1, 0.19, 0.1);
        EXPECT_LE(Distance(art.GetColour(wxRIBBON_ART_PAGE_HOVER_BACKGROUND_COLOUR), ToRgb(expected)), 1);
    }
}

TEST_F(RibbonArtScheme, LabelsKeepReadableContrastOnEveryState)
{
    wxRibbonMetricArtProvider art(true);
    const wxColour tabLabel = art.GetColour(wxRIBBON_ART_TAB_LABEL_COLOUR);
    const wxColour buttonLabel = art.GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR);
    const wxColour panelLabel = art.GetColour(wxRIBBON_ART_PANEL_LABEL_COLOUR);
    const wxColour panelHoverLabel = art.GetColour(wxRIBBON_ART_PANEL_HOVER_LABEL_COLOUR);

    struct Case {
        const char *state;
        wxColour text;
        int background;
    };
    const Case cases[] = {
        {"tab normal", tabLabel, wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR},
        {"tab hovered top", tabLabel, wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_COLOUR},
        {"tab hovered top end", tabLabel, wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR},
        {"tab hovered", tabLabel, wxRIBBON_ART_TAB_HOVER_BACKGROUND_COLOUR},
        {"tab hovered end", tabLabel, wxRIBBON_ART_TAB_HOVER_BACKGROUND_GRADIENT_COLOUR},
        {"tab selected", tabLabel, wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_COLOUR},
        {"tab selected end", tabLabel, wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_GRADIENT_COLOUR},
        {"button normal top", buttonLabel, wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR},
        {"button normal", buttonLabel, wxRIBBON_ART_PAGE_BACKGROUND_COLOUR},
        {"button normal end", buttonLabel, wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR},
        {"button on hovered panel", buttonLabel, wxRIBBON_ART_PAGE_HOVER_BACKGROUND_COLOUR},
        {"button on hovered panel end", buttonLabel, wxRIBBON_ART_PAGE_HOVER_BACKGROUND_GRADIENT_COLOUR},
        {"button hovered top", buttonLabel, wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_TOP_COLOUR},
        {"button hovered", buttonLabel, wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_COLOUR},
        {"button hovered end", buttonLabel, wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_GRADIENT_COLOUR},
    };
    for (const Case &c : cases)
        EXPECT_GE(ContrastRatio(c.text, art.GetColour(c.background)), 4.5) << c.state;

    // The scheme gives panel captions a mid grey and pressed buttons a
    // brighter cyan: less contrast, still well clear of unreadable.
    const Case weaker[] = {
        {"panel label", panelLabel, wxRIBBON_ART_PANEL_LABEL_BACKGROUND_COLOUR},
        {"panel label hovered", panelHoverLabel, wxRIBBON_ART_PANEL_HOVER_LABEL_BACKGROUND_COLOUR},
        {"button pressed top", buttonLabel, wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_TOP_COLOUR},
        {"button pressed", buttonLabel, wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_COLOUR},
        {"button pressed end", buttonLabel, wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_GRADIENT_COLOUR},
    };
    for (const Case &c : weaker)
        EXPECT_GE(ContrastRatio(c.text, art.GetColour(c.background)), 3.5) << c.state;
}

TEST_F(RibbonArtScheme, ColoursFontsAndMetricsReadBackWhatWasSet)
{
    wxRibbonMetricArtProvider art(true);
    const wxColour c(11, 22, 33);
    const int ids[] = {wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR, wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR,
                       wxRIBBON_ART_GALLERY_HOVER_BACKGROUND_COLOUR, wxRIBBON_ART_GALLERY_BUTTON_FACE_COLOUR,
                       wxRIBBON_ART_TAB_CTRL_BACKGROUND_GRADIENT_COLOUR, wxRIBBON_ART_PANEL_BORDER_COLOUR,
                       wxRIBBON_ART_PAGE_TOGGLE_HOVER_FACE_COLOUR, wxRIBBON_ART_TOOLBAR_HOVER_BORDER_COLOUR,
                       wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR, wxRIBBON_ART_PAGE_HOVER_BACKGROUND_COLOUR};
    for (int id : ids) {
        art.SetColour(id, c);
        EXPECT_EQ(art.GetColour(id), c) << id;
    }
    // Paired ids share one brush or pen.
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR), c);
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_TOOLBAR_BORDER_COLOUR), c);

    // The active gallery top id writes the normal top brush.
    const wxColour activeTop = art.GetColour(wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_TOP_COLOUR);
    art.SetColour(wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_TOP_COLOUR, *wxRED);
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_TOP_COLOUR), *wxRED);
    EXPECT_NE(activeTop, *wxRED);

    // The active tab top colours do not exist: black, and setting is ignored.
    art.SetColour(wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_COLOUR, *wxRED);
    EXPECT_EQ(art.GetColour(wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_COLOUR), wxColour(0, 0, 0));

    wxFont big = *wxNORMAL_FONT;
    big.SetPointSize(17);
    for (int id : {wxRIBBON_ART_PANEL_LABEL_FONT, wxRIBBON_ART_BUTTON_BAR_LABEL_FONT, wxRIBBON_ART_TAB_LABEL_FONT}) {
        EXPECT_EQ(art.GetFont(id), *wxNORMAL_FONT);
        art.SetFont(id, big);
        EXPECT_EQ(art.GetFont(id).GetPointSize(), 17);
    }

    const int defaults[] = {3, 2, 1, 2, 3, 1, 1, 3, 4, 4, 4, 4};
    for (int id = 0; id < 12; ++id) {
        EXPECT_EQ(art.GetMetric(id), defaults[id]) << id;
        art.SetMetric(id, 40 + id);
        EXPECT_EQ(art.GetMetric(id), 40 + id);
    }
}

TEST_F(RibbonArtScheme, UnknownIdsAssertAndChangeNothing)
{
    themetest::AssertRecorder recorder;
    wxRibbonMetricArtProvider art(true);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PANEL_LABEL_FONT), 0);
    art.SetMetric(wxRIBBON_ART_PANEL_LABEL_FONT, 9);
    EXPECT_FALSE(art.GetFont(wxRIBBON_ART_TAB_SEPARATION_SIZE).IsOk());
    art.SetFont(wxRIBBON_ART_TAB_LABEL_COLOUR, *wxSWISS_FONT);
    EXPECT_FALSE(art.GetColour(wxRIBBON_ART_TAB_ACTIVE_LABEL_COLOUR).IsOk());
    EXPECT_FALSE(art.GetColour(wxRIBBON_ART_TOOL_BACKGROUND_COLOUR).IsOk());
    art.SetColour(wxRIBBON_ART_PANEL_HOVER_BORDER_COLOUR, *wxRED);
    ASSERT_EQ(themetest::AssertRecorder::Messages().size(), 7u);
    for (const std::string &message : themetest::AssertRecorder::Messages())
        EXPECT_EQ(message, "Invalid Metric Ordinal");
    for (int id = 0; id < 12; ++id)
        EXPECT_NE(art.GetMetric(id), 9);
}

TEST_F(RibbonArtScheme, VerticalFlowMovesPageBordersOnceAndTurnsGalleryArrows)
{
    ProbeArt art(true);
    art.SetFlags(wxRIBBON_BAR_FLOW_VERTICAL | wxRIBBON_BAR_SHOW_PAGE_LABELS);
    art.SetFlags(wxRIBBON_BAR_FLOW_VERTICAL);
    EXPECT_EQ(art.GetFlags(), wxRIBBON_BAR_FLOW_VERTICAL);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_LEFT_SIZE), 3);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_TOP_SIZE), 0);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_RIGHT_SIZE), 3);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_BOTTOM_SIZE), 2);
    art.SetFlags(0);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_LEFT_SIZE), 2);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_TOP_SIZE), 1);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_RIGHT_SIZE), 2);
    EXPECT_EQ(art.GetMetric(wxRIBBON_ART_PAGE_BORDER_BOTTOM_SIZE), 3);
    EXPECT_EQ(art.GalleryUpBitmapSize(), wxSize(5, 5));
}

TEST_F(RibbonArtScheme, CloneCopiesSettingsButPlacesBarButtonsAfresh)
{
    ProbeArt art(true);
    art.SetMetric(wxRIBBON_ART_TOOL_GROUP_SEPARATION_SIZE, 5);
    art.SetColourScheme(wxColour(90, 30, 30), wxColour(0, 0, 90), wxColour(1, 2, 3));
    art.SetColour(wxRIBBON_ART_PANEL_LABEL_COLOUR, wxColour(250, 240, 230));
    art.SetFlags(wxRIBBON_BAR_SHOW_PAGE_LABELS);
    art.GetBarToggleButtonArea(wxRect(0, 0, 500, 100));
    ASSERT_EQ(art.ToggleOffset(), 22);

    std::unique_ptr<wxRibbonArtProvider> copy(art.Clone());
    ASSERT_NE(dynamic_cast<wxRibbonMetricArtProvider *>(copy.get()), nullptr);
    EXPECT_EQ(copy->GetMetric(wxRIBBON_ART_TOOL_GROUP_SEPARATION_SIZE), 5);
    EXPECT_EQ(copy->GetFlags(), wxRIBBON_BAR_SHOW_PAGE_LABELS);
    EXPECT_EQ(copy->GetColour(wxRIBBON_ART_PANEL_LABEL_COLOUR), wxColour(250, 240, 230));
    EXPECT_EQ(copy->GetColour(wxRIBBON_ART_PAGE_BACKGROUND_COLOUR), art.GetColour(wxRIBBON_ART_PAGE_BACKGROUND_COLOUR));
    wxColour tertiary;
    copy->GetColourScheme(nullptr, nullptr, &tertiary);
    EXPECT_EQ(tertiary, wxColour(1, 2, 3));
    // The help button was pushed out by the original; the copy starts over,
    // so whichever it is asked for first takes the outer place.
    EXPECT_EQ(copy->GetRibbonHelpButtonArea(wxRect(0, 0, 500, 100)), wxRect(478, 2, 20, 20));
    EXPECT_EQ(copy->GetBarToggleButtonArea(wxRect(0, 0, 500, 100)), wxRect(456, 2, 20, 20));
}
