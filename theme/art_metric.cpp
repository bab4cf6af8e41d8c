// The dark ribbon art.  Geometry follows the toolkit's own ribbon look; the
// colours all derive from the scheme's primary and secondary colour, so a new
// scheme recolours the whole ribbon consistently.
#include "art_metric.h"

#include <wx/aui/framemanager.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include "dockart_metric.h"
#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/gallery.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>
#include <wx/ribbon/toolbar.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Face images: "x" is painted in the face colour, "." stays transparent.
const char *const galleryUpXpm[] = {"5 5 2 1", "x c #FF00FF", ". c None", ".....", "..x..", ".xxx.", "xxxxx", "....."};
const char *const galleryDownXpm[] = {"5 5 2 1", "x c #FF00FF", ". c None", ".....", "xxxxx", ".xxx.", "..x..", "....."};
const char *const galleryLeftXpm[] = {"5 5 2 1", "x c #FF00FF", ". c None", "...x.", "..xx.", ".xxx.", "..xx.", "...x."};
const char *const galleryRightXpm[] = {"5 5 2 1", "x c #FF00FF", ". c None", ".x...", ".xx..", ".xxx.", ".xx..", ".x..."};
const char *const galleryExtensionXpm[] = {"5 5 2 1", "x c #FF00FF", ". c None", "xxxxx", ".....", "xxxxx", ".xxx.", "..x.."};
const char *const panelExtensionXpm[] = {"7 7 2 1", "x c #FF00FF", ". c None", "xxxxxx.", "x......", "x......",
                                         "x..x..x", "x...xxx", "x...xxx", "...xxxx"};
const char *const ribbonToggleUpXpm[] = {"7 9 2 1", "x c #FF00FF", ". c None", "...x...", "..xxx..", ".xx.xx.",
                                         "xx.x.xx", "x.xxx.x", ".xx.xx.", "xx...xx", "x.....x", "......."};
const char *const ribbonToggleDownXpm[] = {"7 9 2 1", "x c #FF00FF", ". c None", ".......", "x.....x", "xx...xx",
                                           ".xx.xx.", "x.xxx.x", "xx.x.xx", ".xx.xx.", "..xxx..", "...x..."};
const char *const ribbonTogglePinXpm[] = {"12 9 2 1", "x c #FF00FF", ". c None", "...xx.......", "...xxx...xxx",
                                          "...xxxxxxxxx", "xxxxxxxxxxxx", "xxxxxxxxxxxx", "xxxxxxxxxxxx",
                                          "...xxxxxxxxx", "...xxx...xxx", "...xx......."};
// A blue disc with a light question mark; it holds no face colour, so it
// looks the same in every scheme.
const char *const ribbonHelpXpm[] = {"12 12 5 1",    ". c None",     "b c #1C4E9C",  "l c #3F7FD8",
                                     "w c #F4F8FF",  "s c #0E2F66",  "...sbbbbs...", "..bllllllb..",
                                     ".blllwwllllb", "sllwwllwwlls", "bllllllwwllb", "blllllwwlllb",
                                     "bllllwwllllb", "bllllwwllllb", "sllllllllls.", ".blllwwlllb.",
                                     "..bllwwllb..", "...sbbbbs..."};

// Channel-wise mean, rounded down: the highlighted tab sits between the
// active and the hovered look.
wxColour Mean(const wxColour &a, const wxColour &b)
{
    return wxColour((a.Red() + b.Red()) / 2, (a.Green() + b.Green()) / 2, (a.Blue() + b.Blue()) / 2);
}

wxSize LabelExtent(wxDC &dc, const wxString &text)
{
    wxCoord w = 0, h = 0;
    dc.GetTextExtent(text, &w, &h);
    return wxSize(w, h);
}

// The narrowest width of the wider line when a large button's label may
// break onto two lines; `extraOnSecond` leaves room for a drop-down arrow.
int NarrowestLabelWidth(wxDC &dc, const wxString &label, int extraOnSecond)
{
    int best = LabelExtent(dc, label).x;
    for (size_t pos = 0; pos < label.Length(); ++pos) {
        if (!wxRibbonCanLabelBreakAtPosition(label, pos))
            continue;
        const int first = LabelExtent(dc, label.Mid(0, pos)).x;
        const int second = LabelExtent(dc, label.Mid(pos + 1)).x + extraOnSecond;
        best = std::min(best, std::max(first, second));
    }
    return best;
}

bool HasDropdown(wxRibbonButtonKind kind)
{
    return kind == wxRIBBON_BUTTON_DROPDOWN || kind == wxRIBBON_BUTTON_HYBRID;
}

} // namespace

wxRibbonMetricArtProvider::wxRibbonMetricArtProvider(bool set_colour_scheme) : m_flags(0)
{
    m_tab_label_font = *wxNORMAL_FONT;
    m_button_bar_label_font = m_tab_label_font;
    m_panel_label_font = m_tab_label_font;
    if (set_colour_scheme)
        SetColourScheme(wxColour(64, 64, 64), wxColour(0, 48, 48), wxColour(255, 255, 255));
    m_cached_tab_separator_visibility = -10.0;
    m_tab_separation_size = 3;
    m_page_border_left = 2;
    m_page_border_top = 1;
    m_page_border_right = 2;
    m_page_border_bottom = 3;
    m_panel_x_separation_size = 1;
    m_panel_y_separation_size = 1;
    m_tool_group_separation_size = 3;
    m_gallery_bitmap_padding_left_size = 4;
    m_gallery_bitmap_padding_right_size = 4;
    m_gallery_bitmap_padding_top_size = 4;
    m_gallery_bitmap_padding_bottom_size = 4;
    m_toggle_button_offset = 22;
    m_help_button_offset = 22;
}

wxRibbonMetricArtProvider::~wxRibbonMetricArtProvider() = default;

wxRibbonArtProvider *wxRibbonMetricArtProvider::Clone() const
{
    wxRibbonMetricArtProvider *copy = new wxRibbonMetricArtProvider(true);
    CloneTo(copy);
    return copy;
}

void wxRibbonMetricArtProvider::CloneTo(wxRibbonMetricArtProvider *copy) const
{
    for (int i = 0; i < 4; ++i) {
        copy->m_gallery_up_bitmap[i] = m_gallery_up_bitmap[i];
        copy->m_gallery_down_bitmap[i] = m_gallery_down_bitmap[i];
        copy->m_gallery_extension_bitmap[i] = m_gallery_extension_bitmap[i];
    }
    for (int i = 0; i < 2; ++i) {
        copy->m_panel_extension_bitmap[i] = m_panel_extension_bitmap[i];
        copy->m_ribbon_toggle_up_bitmap[i] = m_ribbon_toggle_up_bitmap[i];
        copy->m_ribbon_toggle_down_bitmap[i] = m_ribbon_toggle_down_bitmap[i];
        copy->m_ribbon_toggle_pin_bitmap[i] = m_ribbon_toggle_pin_bitmap[i];
        copy->m_ribbon_bar_help_button_bitmap[i] = m_ribbon_bar_help_button_bitmap[i];
    }
    copy->m_toolbar_drop_bitmap = m_toolbar_drop_bitmap;

    copy->m_primary_scheme_colour = m_primary_scheme_colour;
    copy->m_secondary_scheme_colour = m_secondary_scheme_colour;
    copy->m_tertiary_scheme_colour = m_tertiary_scheme_colour;

    copy->m_button_bar_label_colour = m_button_bar_label_colour;
    copy->m_button_bar_label_disabled_colour = m_button_bar_label_disabled_colour;
    copy->m_tab_label_colour = m_tab_label_colour;
    copy->m_tab_separator_colour = m_tab_separator_colour;
    copy->m_tab_separator_gradient_colour = m_tab_separator_gradient_colour;
    copy->m_tab_active_background_colour = m_tab_active_background_colour;
    copy->m_tab_active_background_gradient_colour = m_tab_active_background_gradient_colour;
    copy->m_tab_hover_background_colour = m_tab_hover_background_colour;
    copy->m_tab_hover_background_gradient_colour = m_tab_hover_background_gradient_colour;
    copy->m_tab_hover_background_top_colour = m_tab_hover_background_top_colour;
    copy->m_tab_hover_background_top_gradient_colour = m_tab_hover_background_top_gradient_colour;
    copy->m_panel_label_colour = m_panel_label_colour;
    copy->m_panel_minimised_label_colour = m_panel_minimised_label_colour;
    copy->m_panel_hover_label_colour = m_panel_hover_label_colour;
    copy->m_panel_active_background_colour = m_panel_active_background_colour;
    copy->m_panel_active_background_gradient_colour = m_panel_active_background_gradient_colour;
    copy->m_panel_active_background_top_colour = m_panel_active_background_top_colour;
    copy->m_panel_active_background_top_gradient_colour = m_panel_active_background_top_gradient_colour;
    copy->m_panel_button_face_colour = m_panel_button_face_colour;
    copy->m_panel_button_hover_face_colour = m_panel_button_hover_face_colour;
    copy->m_page_toggle_face_colour = m_page_toggle_face_colour;
    copy->m_page_toggle_hover_face_colour = m_page_toggle_hover_face_colour;
    copy->m_page_background_colour = m_page_background_colour;
    copy->m_page_background_gradient_colour = m_page_background_gradient_colour;
    copy->m_page_background_top_colour = m_page_background_top_colour;
    copy->m_page_background_top_gradient_colour = m_page_background_top_gradient_colour;
    copy->m_page_hover_background_colour = m_page_hover_background_colour;
    copy->m_page_hover_background_gradient_colour = m_page_hover_background_gradient_colour;
    copy->m_page_hover_background_top_colour = m_page_hover_background_top_colour;
    copy->m_page_hover_background_top_gradient_colour = m_page_hover_background_top_gradient_colour;
    copy->m_button_bar_hover_background_colour = m_button_bar_hover_background_colour;
    copy->m_button_bar_hover_background_gradient_colour = m_button_bar_hover_background_gradient_colour;
    copy->m_button_bar_hover_background_top_colour = m_button_bar_hover_background_top_colour;
    copy->m_button_bar_hover_background_top_gradient_colour = m_button_bar_hover_background_top_gradient_colour;
    copy->m_button_bar_active_background_colour = m_button_bar_active_background_colour;
    copy->m_button_bar_active_background_gradient_colour = m_button_bar_active_background_gradient_colour;
    copy->m_button_bar_active_background_top_colour = m_button_bar_active_background_top_colour;
    copy->m_button_bar_active_background_top_gradient_colour = m_button_bar_active_background_top_gradient_colour;
    copy->m_gallery_button_background_colour = m_gallery_button_background_colour;
    copy->m_gallery_button_background_gradient_colour = m_gallery_button_background_gradient_colour;
    copy->m_gallery_button_hover_background_colour = m_gallery_button_hover_background_colour;
    copy->m_gallery_button_hover_background_gradient_colour = m_gallery_button_hover_background_gradient_colour;
    copy->m_gallery_button_active_background_colour = m_gallery_button_active_background_colour;
    copy->m_gallery_button_active_background_gradient_colour = m_gallery_button_active_background_gradient_colour;
    copy->m_gallery_button_disabled_background_colour = m_gallery_button_disabled_background_colour;
    copy->m_gallery_button_disabled_background_gradient_colour = m_gallery_button_disabled_background_gradient_colour;
    copy->m_gallery_button_face_colour = m_gallery_button_face_colour;
    copy->m_gallery_button_hover_face_colour = m_gallery_button_hover_face_colour;
    copy->m_gallery_button_active_face_colour = m_gallery_button_active_face_colour;
    copy->m_gallery_button_disabled_face_colour = m_gallery_button_disabled_face_colour;
    copy->m_tool_face_colour = m_tool_face_colour;
    copy->m_tool_background_top_colour = m_tool_background_top_colour;
    copy->m_tool_background_top_gradient_colour = m_tool_background_top_gradient_colour;
    copy->m_tool_background_colour = m_tool_background_colour;
    copy->m_tool_background_gradient_colour = m_tool_background_gradient_colour;
    copy->m_tool_hover_background_top_colour = m_tool_hover_background_top_colour;
    copy->m_tool_hover_background_top_gradient_colour = m_tool_hover_background_top_gradient_colour;
    copy->m_tool_hover_background_colour = m_tool_hover_background_colour;
    copy->m_tool_hover_background_gradient_colour = m_tool_hover_background_gradient_colour;
    copy->m_tool_active_background_top_colour = m_tool_active_background_top_colour;
    copy->m_tool_active_background_top_gradient_colour = m_tool_active_background_top_gradient_colour;
    copy->m_tool_active_background_colour = m_tool_active_background_colour;
    copy->m_tool_active_background_gradient_colour = m_tool_active_background_gradient_colour;

    copy->m_tab_ctrl_background_brush = m_tab_ctrl_background_brush;
    copy->m_panel_label_background_brush = m_panel_label_background_brush;
    copy->m_panel_hover_label_background_brush = m_panel_hover_label_background_brush;
    copy->m_panel_hover_button_background_brush = m_panel_hover_button_background_brush;
    copy->m_gallery_hover_background_brush = m_gallery_hover_background_brush;
    copy->m_gallery_button_background_top_brush = m_gallery_button_background_top_brush;
    copy->m_gallery_button_hover_background_top_brush = m_gallery_button_hover_background_top_brush;
    copy->m_gallery_button_active_background_top_brush = m_gallery_button_active_background_top_brush;
    copy->m_gallery_button_disabled_background_top_brush = m_gallery_button_disabled_background_top_brush;
    copy->m_ribbon_toggle_brush = m_ribbon_toggle_brush;

    copy->m_tab_label_font = m_tab_label_font;
    copy->m_panel_label_font = m_panel_label_font;
    copy->m_button_bar_label_font = m_button_bar_label_font;

    copy->m_page_border_pen = m_page_border_pen;
    copy->m_panel_border_pen = m_panel_border_pen;
    copy->m_panel_border_gradient_pen = m_panel_border_gradient_pen;
    copy->m_panel_minimised_border_pen = m_panel_minimised_border_pen;
    copy->m_panel_minimised_border_gradient_pen = m_panel_minimised_border_gradient_pen;
    copy->m_panel_hover_button_border_pen = m_panel_hover_button_border_pen;
    copy->m_tab_border_pen = m_tab_border_pen;
    copy->m_button_bar_hover_border_pen = m_button_bar_hover_border_pen;
    copy->m_button_bar_active_border_pen = m_button_bar_active_border_pen;
    copy->m_gallery_border_pen = m_gallery_border_pen;
    copy->m_gallery_item_border_pen = m_gallery_item_border_pen;
    copy->m_toolbar_border_pen = m_toolbar_border_pen;
    copy->m_ribbon_toggle_pen = m_ribbon_toggle_pen;

    copy->m_flags = m_flags;
    copy->m_tab_separation_size = m_tab_separation_size;
    copy->m_page_border_left = m_page_border_left;
    copy->m_page_border_top = m_page_border_top;
    copy->m_page_border_right = m_page_border_right;
    copy->m_page_border_bottom = m_page_border_bottom;
    copy->m_panel_x_separation_size = m_panel_x_separation_size;
    copy->m_panel_y_separation_size = m_panel_y_separation_size;
    copy->m_tool_group_separation_size = m_tool_group_separation_size;
    copy->m_gallery_bitmap_padding_left_size = m_gallery_bitmap_padding_left_size;
    copy->m_gallery_bitmap_padding_right_size = m_gallery_bitmap_padding_right_size;
    copy->m_gallery_bitmap_padding_top_size = m_gallery_bitmap_padding_top_size;
    copy->m_gallery_bitmap_padding_bottom_size = m_gallery_bitmap_padding_bottom_size;
}

long wxRibbonMetricArtProvider::GetFlags() const
{
    return m_flags;
}

void wxRibbonMetricArtProvider::SetFlags(long flags)
{
    if ((flags ^ m_flags) & wxRIBBON_BAR_FLOW_VERTICAL) {
        // A vertical bar has its pages' thin borders on the other axis.
        const int change = (flags & wxRIBBON_BAR_FLOW_VERTICAL) ? 1 : -1;
        m_page_border_left += change;
        m_page_border_right += change;
        m_page_border_top -= change;
        m_page_border_bottom -= change;
    }
    m_flags = flags;

    // The gallery arrows point along the flow, so they are rebuilt.
    const int faces[] = {wxRIBBON_ART_GALLERY_BUTTON_FACE_COLOUR,
                         wxRIBBON_ART_GALLERY_BUTTON_HOVER_FACE_COLOUR,
                         wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_FACE_COLOUR,
                         wxRIBBON_ART_GALLERY_BUTTON_DISABLED_FACE_COLOUR,
                         wxRIBBON_ART_PANEL_BUTTON_FACE_COLOUR,
                         wxRIBBON_ART_PANEL_BUTTON_HOVER_FACE_COLOUR};
    for (int id : faces)
        SetColour(id, GetColour(id));
}

int wxRibbonMetricArtProvider::GetMetric(int id) const
{
    switch (id) {
    case wxRIBBON_ART_TAB_SEPARATION_SIZE:
        return m_tab_separation_size;
    case wxRIBBON_ART_PAGE_BORDER_LEFT_SIZE:
        return m_page_border_left;
    case wxRIBBON_ART_PAGE_BORDER_TOP_SIZE:
        return m_page_border_top;
    case wxRIBBON_ART_PAGE_BORDER_RIGHT_SIZE:
        return m_page_border_right;
    case wxRIBBON_ART_PAGE_BORDER_BOTTOM_SIZE:
        return m_page_border_bottom;
    case wxRIBBON_ART_PANEL_X_SEPARATION_SIZE:
        return m_panel_x_separation_size;
    case wxRIBBON_ART_PANEL_Y_SEPARATION_SIZE:
        return m_panel_y_separation_size;
    case wxRIBBON_ART_TOOL_GROUP_SEPARATION_SIZE:
        return m_tool_group_separation_size;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_LEFT_SIZE:
        return m_gallery_bitmap_padding_left_size;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_RIGHT_SIZE:
        return m_gallery_bitmap_padding_right_size;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_TOP_SIZE:
        return m_gallery_bitmap_padding_top_size;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_BOTTOM_SIZE:
        return m_gallery_bitmap_padding_bottom_size;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
        return 0;
    }
}

void wxRibbonMetricArtProvider::SetMetric(int id, int new_val)
{
    switch (id) {
    case wxRIBBON_ART_TAB_SEPARATION_SIZE:
        m_tab_separation_size = new_val;
        break;
    case wxRIBBON_ART_PAGE_BORDER_LEFT_SIZE:
        m_page_border_left = new_val;
        break;
    case wxRIBBON_ART_PAGE_BORDER_TOP_SIZE:
        m_page_border_top = new_val;
        break;
    case wxRIBBON_ART_PAGE_BORDER_RIGHT_SIZE:
        m_page_border_right = new_val;
        break;
    case wxRIBBON_ART_PAGE_BORDER_BOTTOM_SIZE:
        m_page_border_bottom = new_val;
        break;
    case wxRIBBON_ART_PANEL_X_SEPARATION_SIZE:
        m_panel_x_separation_size = new_val;
        break;
    case wxRIBBON_ART_PANEL_Y_SEPARATION_SIZE:
        m_panel_y_separation_size = new_val;
        break;
    case wxRIBBON_ART_TOOL_GROUP_SEPARATION_SIZE:
        m_tool_group_separation_size = new_val;
        break;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_LEFT_SIZE:
        m_gallery_bitmap_padding_left_size = new_val;
        break;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_RIGHT_SIZE:
        m_gallery_bitmap_padding_right_size = new_val;
        break;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_TOP_SIZE:
        m_gallery_bitmap_padding_top_size = new_val;
        break;
    case wxRIBBON_ART_GALLERY_BITMAP_PADDING_BOTTOM_SIZE:
        m_gallery_bitmap_padding_bottom_size = new_val;
        break;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
    }
}

void wxRibbonMetricArtProvider::SetFont(int id, const wxFont &font)
{
    switch (id) {
    case wxRIBBON_ART_TAB_LABEL_FONT:
        m_tab_label_font = font;
        break;
    case wxRIBBON_ART_BUTTON_BAR_LABEL_FONT:
        m_button_bar_label_font = font;
        break;
    case wxRIBBON_ART_PANEL_LABEL_FONT:
        m_panel_label_font = font;
        break;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
    }
}

wxFont wxRibbonMetricArtProvider::GetFont(int id) const
{
    switch (id) {
    case wxRIBBON_ART_TAB_LABEL_FONT:
        return m_tab_label_font;
    case wxRIBBON_ART_BUTTON_BAR_LABEL_FONT:
        return m_button_bar_label_font;
    case wxRIBBON_ART_PANEL_LABEL_FONT:
        return m_panel_label_font;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
        return wxNullFont;
    }
}

wxColour wxRibbonMetricArtProvider::GetColour(int id) const
{
    switch (id) {
    case wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR:
        return m_button_bar_label_colour;
    case wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR:
        return m_button_bar_label_disabled_colour;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR:
        return m_button_bar_hover_border_pen.GetColour();
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_TOP_COLOUR:
        return m_button_bar_hover_background_top_colour;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR:
        return m_button_bar_hover_background_top_gradient_colour;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_COLOUR:
        return m_button_bar_hover_background_colour;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_GRADIENT_COLOUR:
        return m_button_bar_hover_background_gradient_colour;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BORDER_COLOUR:
        return m_button_bar_active_border_pen.GetColour();
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_TOP_COLOUR:
        return m_button_bar_active_background_top_colour;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR:
        return m_button_bar_active_background_top_gradient_colour;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_COLOUR:
        return m_button_bar_active_background_colour;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        return m_button_bar_active_background_gradient_colour;
    case wxRIBBON_ART_GALLERY_BORDER_COLOUR:
        return m_gallery_border_pen.GetColour();
    case wxRIBBON_ART_GALLERY_HOVER_BACKGROUND_COLOUR:
        return m_gallery_hover_background_brush.GetColour();
    case wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_COLOUR:
        return m_gallery_button_background_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_GRADIENT_COLOUR:
        return m_gallery_button_background_gradient_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_TOP_COLOUR:
        return m_gallery_button_background_top_brush.GetColour();
    case wxRIBBON_ART_GALLERY_BUTTON_FACE_COLOUR:
        return m_gallery_button_face_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_BACKGROUND_COLOUR:
        return m_gallery_button_hover_background_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_BACKGROUND_GRADIENT_COLOUR:
        return m_gallery_button_hover_background_gradient_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_BACKGROUND_TOP_COLOUR:
        return m_gallery_button_hover_background_top_brush.GetColour();
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_FACE_COLOUR:
        return m_gallery_button_hover_face_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_COLOUR:
        return m_gallery_button_active_background_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        return m_gallery_button_active_background_gradient_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_TOP_COLOUR:
        return m_gallery_button_background_top_brush.GetColour();
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_FACE_COLOUR:
        return m_gallery_button_active_face_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_BACKGROUND_COLOUR:
        return m_gallery_button_disabled_background_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_BACKGROUND_GRADIENT_COLOUR:
        return m_gallery_button_disabled_background_gradient_colour;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_BACKGROUND_TOP_COLOUR:
        return m_gallery_button_disabled_background_top_brush.GetColour();
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_FACE_COLOUR:
        return m_gallery_button_disabled_face_colour;
    case wxRIBBON_ART_GALLERY_ITEM_BORDER_COLOUR:
        return m_gallery_item_border_pen.GetColour();
    case wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR:
    case wxRIBBON_ART_TAB_CTRL_BACKGROUND_GRADIENT_COLOUR:
        return m_tab_ctrl_background_brush.GetColour();
    case wxRIBBON_ART_TAB_LABEL_COLOUR:
        return m_tab_label_colour;
    case wxRIBBON_ART_TAB_SEPARATOR_COLOUR:
        return m_tab_separator_colour;
    case wxRIBBON_ART_TAB_SEPARATOR_GRADIENT_COLOUR:
        return m_tab_separator_gradient_colour;
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_COLOUR:
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR:
        return wxColour(0, 0, 0);
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_COLOUR:
        return m_tab_active_background_colour;
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        return m_tab_active_background_gradient_colour;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_COLOUR:
        return m_tab_hover_background_top_colour;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR:
        return m_tab_hover_background_top_gradient_colour;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_COLOUR:
        return m_tab_hover_background_colour;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_GRADIENT_COLOUR:
        return m_tab_hover_background_gradient_colour;
    case wxRIBBON_ART_TAB_BORDER_COLOUR:
        return m_tab_border_pen.GetColour();
    case wxRIBBON_ART_PANEL_BORDER_COLOUR:
        return m_panel_border_pen.GetColour();
    case wxRIBBON_ART_PANEL_BORDER_GRADIENT_COLOUR:
        return m_panel_border_gradient_pen.GetColour();
    case wxRIBBON_ART_PANEL_MINIMISED_BORDER_COLOUR:
        return m_panel_minimised_border_pen.GetColour();
    case wxRIBBON_ART_PANEL_MINIMISED_BORDER_GRADIENT_COLOUR:
        return m_panel_minimised_border_gradient_pen.GetColour();
    case wxRIBBON_ART_PANEL_LABEL_BACKGROUND_COLOUR:
    case wxRIBBON_ART_PANEL_LABEL_BACKGROUND_GRADIENT_COLOUR:
        return m_panel_label_background_brush.GetColour();
    case wxRIBBON_ART_PANEL_LABEL_COLOUR:
        return m_panel_label_colour;
    case wxRIBBON_ART_PANEL_MINIMISED_LABEL_COLOUR:
        return m_panel_minimised_label_colour;
    case wxRIBBON_ART_PANEL_HOVER_LABEL_BACKGROUND_COLOUR:
    case wxRIBBON_ART_PANEL_HOVER_LABEL_BACKGROUND_GRADIENT_COLOUR:
        return m_panel_hover_label_background_brush.GetColour();
    case wxRIBBON_ART_PANEL_HOVER_LABEL_COLOUR:
        return m_panel_hover_label_colour;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_TOP_COLOUR:
        return m_panel_active_background_top_colour;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR:
        return m_panel_active_background_top_gradient_colour;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_COLOUR:
        return m_panel_active_background_colour;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        return m_panel_active_background_gradient_colour;
    case wxRIBBON_ART_PANEL_BUTTON_FACE_COLOUR:
        return m_panel_button_face_colour;
    case wxRIBBON_ART_PANEL_BUTTON_HOVER_FACE_COLOUR:
        return m_panel_button_hover_face_colour;
    case wxRIBBON_ART_PAGE_TOGGLE_FACE_COLOUR:
        return m_page_toggle_face_colour;
    case wxRIBBON_ART_PAGE_TOGGLE_HOVER_FACE_COLOUR:
        return m_page_toggle_hover_face_colour;
    case wxRIBBON_ART_PAGE_BORDER_COLOUR:
        return m_page_border_pen.GetColour();
    case wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR:
        return m_page_background_top_colour;
    case wxRIBBON_ART_PAGE_BACKGROUND_TOP_GRADIENT_COLOUR:
        return m_page_background_top_gradient_colour;
    case wxRIBBON_ART_PAGE_BACKGROUND_COLOUR:
        return m_page_background_colour;
    case wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR:
        return m_page_background_gradient_colour;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_TOP_COLOUR:
        return m_page_hover_background_top_colour;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR:
        return m_page_hover_background_top_gradient_colour;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_COLOUR:
        return m_page_hover_background_colour;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_GRADIENT_COLOUR:
        return m_page_hover_background_gradient_colour;
    case wxRIBBON_ART_TOOLBAR_BORDER_COLOUR:
    case wxRIBBON_ART_TOOLBAR_HOVER_BORDER_COLOUR:
        return m_toolbar_border_pen.GetColour();
    case wxRIBBON_ART_TOOLBAR_FACE_COLOUR:
        return m_tool_face_colour;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
        return wxColour();
    }
}

void wxRibbonMetricArtProvider::SetColour(int id, const wxColor &colour)
{
    switch (id) {
    case wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR:
        m_button_bar_label_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR:
        m_button_bar_label_disabled_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR:
        m_button_bar_hover_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_TOP_COLOUR:
        m_button_bar_hover_background_top_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR:
        m_button_bar_hover_background_top_gradient_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_COLOUR:
        m_button_bar_hover_background_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_GRADIENT_COLOUR:
        m_button_bar_hover_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BORDER_COLOUR:
        m_button_bar_active_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_TOP_COLOUR:
        m_button_bar_active_background_top_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR:
        m_button_bar_active_background_top_gradient_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_COLOUR:
        m_button_bar_active_background_colour = colour;
        break;
    case wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        m_button_bar_active_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BORDER_COLOUR:
        m_gallery_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_GALLERY_HOVER_BACKGROUND_COLOUR:
        m_gallery_hover_background_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_COLOUR:
        m_gallery_button_background_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_GRADIENT_COLOUR:
        m_gallery_button_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_BACKGROUND_TOP_COLOUR:
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_TOP_COLOUR:
        m_gallery_button_background_top_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_FACE_COLOUR:
        m_gallery_button_face_colour = colour;
        if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
            m_gallery_up_bitmap[0] = wxRibbonLoadPixmap(galleryLeftXpm, colour);
            m_gallery_down_bitmap[0] = wxRibbonLoadPixmap(galleryRightXpm, colour);
        } else {
            m_gallery_up_bitmap[0] = wxRibbonLoadPixmap(galleryUpXpm, colour);
            m_gallery_down_bitmap[0] = wxRibbonLoadPixmap(galleryDownXpm, colour);
        }
        m_gallery_extension_bitmap[0] = wxRibbonLoadPixmap(galleryExtensionXpm, colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_BACKGROUND_COLOUR:
        m_gallery_button_hover_background_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_BACKGROUND_GRADIENT_COLOUR:
        m_gallery_button_hover_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_BACKGROUND_TOP_COLOUR:
        m_gallery_button_hover_background_top_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_HOVER_FACE_COLOUR:
        m_gallery_button_hover_face_colour = colour;
        if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
            m_gallery_up_bitmap[1] = wxRibbonLoadPixmap(galleryLeftXpm, colour);
            m_gallery_down_bitmap[1] = wxRibbonLoadPixmap(galleryRightXpm, colour);
        } else {
            m_gallery_up_bitmap[1] = wxRibbonLoadPixmap(galleryUpXpm, colour);
            m_gallery_down_bitmap[1] = wxRibbonLoadPixmap(galleryDownXpm, colour);
        }
        m_gallery_extension_bitmap[1] = wxRibbonLoadPixmap(galleryExtensionXpm, colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_COLOUR:
        m_gallery_button_active_background_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        m_gallery_button_active_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_FACE_COLOUR:
        m_gallery_button_active_face_colour = colour;
        if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
            m_gallery_up_bitmap[2] = wxRibbonLoadPixmap(galleryLeftXpm, colour);
            m_gallery_down_bitmap[2] = wxRibbonLoadPixmap(galleryRightXpm, colour);
        } else {
            m_gallery_up_bitmap[2] = wxRibbonLoadPixmap(galleryUpXpm, colour);
            m_gallery_down_bitmap[2] = wxRibbonLoadPixmap(galleryDownXpm, colour);
        }
        m_gallery_extension_bitmap[2] = wxRibbonLoadPixmap(galleryExtensionXpm, colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_BACKGROUND_COLOUR:
        m_gallery_button_disabled_background_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_BACKGROUND_GRADIENT_COLOUR:
        m_gallery_button_disabled_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_BACKGROUND_TOP_COLOUR:
        m_gallery_button_disabled_background_top_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_GALLERY_BUTTON_DISABLED_FACE_COLOUR:
        m_gallery_button_disabled_face_colour = colour;
        if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
            m_gallery_up_bitmap[3] = wxRibbonLoadPixmap(galleryLeftXpm, colour);
            m_gallery_down_bitmap[3] = wxRibbonLoadPixmap(galleryRightXpm, colour);
        } else {
            m_gallery_up_bitmap[3] = wxRibbonLoadPixmap(galleryUpXpm, colour);
            m_gallery_down_bitmap[3] = wxRibbonLoadPixmap(galleryDownXpm, colour);
        }
        m_gallery_extension_bitmap[3] = wxRibbonLoadPixmap(galleryExtensionXpm, colour);
        break;
    case wxRIBBON_ART_GALLERY_ITEM_BORDER_COLOUR:
        m_gallery_item_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR:
    case wxRIBBON_ART_TAB_CTRL_BACKGROUND_GRADIENT_COLOUR:
        m_tab_ctrl_background_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_TAB_LABEL_COLOUR:
        m_tab_label_colour = colour;
        break;
    case wxRIBBON_ART_TAB_SEPARATOR_COLOUR:
        m_tab_separator_colour = colour;
        break;
    case wxRIBBON_ART_TAB_SEPARATOR_GRADIENT_COLOUR:
        m_tab_separator_gradient_colour = colour;
        break;
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_COLOUR:
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR:
        break;
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_COLOUR:
        m_tab_active_background_colour = colour;
        break;
    case wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        m_tab_active_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_COLOUR:
        m_tab_hover_background_top_colour = colour;
        break;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR:
        m_tab_hover_background_top_gradient_colour = colour;
        break;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_COLOUR:
        m_tab_hover_background_colour = colour;
        break;
    case wxRIBBON_ART_TAB_HOVER_BACKGROUND_GRADIENT_COLOUR:
        m_tab_hover_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_TAB_BORDER_COLOUR:
        m_tab_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_BORDER_COLOUR:
        m_panel_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_BORDER_GRADIENT_COLOUR:
        m_panel_border_gradient_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_MINIMISED_BORDER_COLOUR:
        m_panel_minimised_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_MINIMISED_BORDER_GRADIENT_COLOUR:
        m_panel_minimised_border_gradient_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_LABEL_BACKGROUND_COLOUR:
    case wxRIBBON_ART_PANEL_LABEL_BACKGROUND_GRADIENT_COLOUR:
        m_panel_label_background_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_LABEL_COLOUR:
        m_panel_label_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_MINIMISED_LABEL_COLOUR:
        m_panel_minimised_label_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_HOVER_LABEL_BACKGROUND_COLOUR:
    case wxRIBBON_ART_PANEL_HOVER_LABEL_BACKGROUND_GRADIENT_COLOUR:
        m_panel_hover_label_background_brush.SetColour(colour);
        break;
    case wxRIBBON_ART_PANEL_HOVER_LABEL_COLOUR:
        m_panel_hover_label_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_TOP_COLOUR:
        m_panel_active_background_top_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR:
        m_panel_active_background_top_gradient_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_COLOUR:
        m_panel_active_background_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_ACTIVE_BACKGROUND_GRADIENT_COLOUR:
        m_panel_active_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_PANEL_BUTTON_FACE_COLOUR:
        m_panel_button_face_colour = colour;
        m_panel_extension_bitmap[0] = wxRibbonLoadPixmap(panelExtensionXpm, colour);
        break;
    case wxRIBBON_ART_PANEL_BUTTON_HOVER_FACE_COLOUR:
        m_panel_button_hover_face_colour = colour;
        m_panel_extension_bitmap[1] = wxRibbonLoadPixmap(panelExtensionXpm, colour);
        break;
    case wxRIBBON_ART_PAGE_TOGGLE_FACE_COLOUR:
        m_page_toggle_face_colour = colour;
        m_ribbon_toggle_down_bitmap[0] = wxRibbonLoadPixmap(ribbonToggleDownXpm, colour);
        m_ribbon_toggle_up_bitmap[0] = wxRibbonLoadPixmap(ribbonToggleUpXpm, colour);
        m_ribbon_toggle_pin_bitmap[0] = wxRibbonLoadPixmap(ribbonTogglePinXpm, colour);
        m_ribbon_bar_help_button_bitmap[0] = wxRibbonLoadPixmap(ribbonHelpXpm, colour);
        break;
    case wxRIBBON_ART_PAGE_TOGGLE_HOVER_FACE_COLOUR:
        m_page_toggle_hover_face_colour = colour;
        m_ribbon_toggle_down_bitmap[1] = wxRibbonLoadPixmap(ribbonToggleDownXpm, colour);
        m_ribbon_toggle_up_bitmap[1] = wxRibbonLoadPixmap(ribbonToggleUpXpm, colour);
        m_ribbon_toggle_pin_bitmap[1] = wxRibbonLoadPixmap(ribbonTogglePinXpm, colour);
        m_ribbon_bar_help_button_bitmap[1] = wxRibbonLoadPixmap(ribbonHelpXpm, colour);
        break;
    case wxRIBBON_ART_PAGE_BORDER_COLOUR:
        m_page_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR:
        m_page_background_top_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_BACKGROUND_TOP_GRADIENT_COLOUR:
        m_page_background_top_gradient_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_BACKGROUND_COLOUR:
        m_page_background_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR:
        m_page_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_TOP_COLOUR:
        m_page_hover_background_top_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR:
        m_page_hover_background_top_gradient_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_COLOUR:
        m_page_hover_background_colour = colour;
        break;
    case wxRIBBON_ART_PAGE_HOVER_BACKGROUND_GRADIENT_COLOUR:
        m_page_hover_background_gradient_colour = colour;
        break;
    case wxRIBBON_ART_TOOLBAR_BORDER_COLOUR:
    case wxRIBBON_ART_TOOLBAR_HOVER_BORDER_COLOUR:
        m_toolbar_border_pen.SetColour(colour);
        break;
    case wxRIBBON_ART_TOOLBAR_FACE_COLOUR:
        m_tool_face_colour = colour;
        m_toolbar_drop_bitmap = wxRibbonLoadPixmap(galleryDownXpm, colour);
        break;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
    }
}

void wxRibbonMetricArtProvider::GetColourScheme(wxColour *primary, wxColour *secondary, wxColour *tertiary) const
{
    if (primary)
        *primary = m_primary_scheme_colour;
    if (secondary)
        *secondary = m_secondary_scheme_colour;
    if (tertiary)
        *tertiary = m_tertiary_scheme_colour;
}

void wxRibbonMetricArtProvider::SetColourScheme(const wxColour &primary, const wxColour &secondary,
                                                const wxColour &tertiary)
{
    m_primary_scheme_colour = primary;
    m_secondary_scheme_colour = secondary;
    m_tertiary_scheme_colour = tertiary;

    wxRibbonHSLColour primary_hsl(primary);
    wxRibbonHSLColour secondary_hsl(secondary);

    // The mapped ranges keep every derived colour away from pure black and
    // white whatever scheme is given.
    const bool primary_is_gray = primary_hsl.saturation <= 0.01f;
    if (!primary_is_gray)
        primary_hsl.saturation = float(std::cos(primary_hsl.saturation * M_PI) * -0.25 + 0.5);
    primary_hsl.luminance = float(std::cos(primary_hsl.luminance * M_PI) * -0.3 + 0.53);
    const bool secondary_is_gray = secondary_hsl.saturation <= 0.01f;
    if (!secondary_is_gray)
        secondary_hsl.saturation = float(std::cos(secondary_hsl.saturation * M_PI) * -0.34 + 0.5);
    secondary_hsl.luminance = float(std::cos(secondary_hsl.luminance * M_PI) * -0.4 + 0.5);

    auto LikePrimary = [&](float h, float s, float d) {
        return primary_hsl.ShiftHue(h).Desaturated(primary_is_gray ? 0 : s).Darker(d).ToRGB();
    };
    auto LikeSecondary = [&](float h, float s, float d) {
        return secondary_hsl.ShiftHue(h).Desaturated(secondary_is_gray ? 0 : s).Darker(d).ToRGB();
    };

    m_page_border_pen = wxPen(primary_hsl.ShiftHue(1.4f).Darker(-0.08f).ToRGB());
    m_page_background_top_colour = LikePrimary(-0.1f, -0.03f, 0.12f);
    m_page_hover_background_top_colour = LikePrimary(-2.8f, 0.27f, 0.17f);
    m_page_background_top_gradient_colour = LikePrimary(0.1f, -0.1f, 0.08f);
    m_page_hover_background_top_gradient_colour = LikePrimary(3.2f, 0.16f, 0.13f);
    m_page_background_colour = LikePrimary(0.4f, -0.09f, 0.05f);
    m_page_hover_background_colour = LikePrimary(0.1f, 0.19f, 0.1f);
    m_page_background_gradient_colour = LikePrimary(-3.2f, 0.27f, 0.1f);
    m_page_hover_background_gradient_colour = LikePrimary(1.8f, 0.01f, 0.15f);
    m_tab_active_background_colour = LikePrimary(-0.1f, -0.31f, 0.16f);
    m_tab_active_background_gradient_colour = LikePrimary(-0.1f, -0.03f, 0.12f);
    m_tab_separator_colour = LikePrimary(0.9f, 0.24f, 0.05f);
    m_tab_ctrl_background_brush = wxBrush(LikePrimary(1.0f, 0.39f, 0.07f));
    m_tab_hover_background_colour = LikePrimary(1.3f, 0.15f, 0.1f);
    m_tab_hover_background_top_colour = LikePrimary(1.4f, 0.36f, 0.08f);
    m_tab_border_pen = wxPen(LikePrimary(1.4f, 0.03f, -0.05f));
    m_tab_separator_gradient_colour = LikePrimary(1.7f, -0.15f, -0.18f);
    m_tab_hover_background_top_gradient_colour = LikePrimary(1.8f, 0.34f, 0.13f);
    m_tab_label_colour = LikePrimary(4.3f, 0.13f, -0.49f);
    m_tab_hover_background_gradient_colour = LikeSecondary(-1.5f, -0.34f, 0.01f);

    m_panel_minimised_border_gradient_pen = wxPen(LikePrimary(-6.9f, -0.17f, -0.09f));
    m_panel_minimised_border_pen = wxPen(LikePrimary(-5.3f, -0.24f, -0.06f));
    m_panel_border_gradient_pen = wxPen(LikePrimary(-5.2f, -0.15f, -0.06f));
    m_panel_border_pen = wxPen(LikePrimary(-2.8f, -0.32f, 0.02f));
    m_panel_label_background_brush = wxBrush(LikePrimary(-1.5f, 0.03f, 0.05f));
    m_panel_active_background_gradient_colour = LikePrimary(0.5f, 0.34f, 0.05f);
    m_panel_hover_label_background_brush = wxBrush(LikePrimary(1.0f, 0.3f, 0.09f));
    m_panel_active_background_top_gradient_colour = LikePrimary(1.4f, -0.17f, -0.13f);
    m_panel_active_background_colour = LikePrimary(1.6f, -0.18f, -0.18f);
    m_panel_active_background_top_colour = LikePrimary(1.7f, -0.2f, -0.03f);
    m_panel_label_colour = LikePrimary(2.8f, -0.14f, -0.35f);
    m_panel_hover_label_colour = m_panel_label_colour;
    m_panel_minimised_label_colour = m_tab_label_colour;
    m_panel_hover_button_background_brush = wxBrush(LikeSecondary(-0.9f, 0.16f, -0.07f));
    m_panel_hover_button_border_pen = wxPen(LikeSecondary(-3.9f, -0.16f, -0.14f));
    SetColour(wxRIBBON_ART_PANEL_BUTTON_FACE_COLOUR, LikePrimary(1.4f, -0.21f, -0.23f));
    SetColour(wxRIBBON_ART_PANEL_BUTTON_HOVER_FACE_COLOUR, LikePrimary(1.5f, -0.24f, -0.29f));
    m_ribbon_toggle_brush = wxBrush(LikeSecondary(-0.9f, 0.16f, -0.07f));
    m_ribbon_toggle_pen = wxPen(LikeSecondary(-3.9f, -0.16f, -0.14f));
    SetColour(wxRIBBON_ART_PAGE_TOGGLE_FACE_COLOUR, LikePrimary(1.7f, -0.2f, -0.15f));
    SetColour(wxRIBBON_ART_PAGE_TOGGLE_HOVER_FACE_COLOUR, LikePrimary(1.8f, -0.23f, -0.21f));

    m_gallery_button_disabled_background_colour = LikePrimary(-2.8f, -0.46f, 0.09f);
    m_gallery_button_disabled_background_top_brush = wxBrush(LikePrimary(-2.8f, -0.36f, 0.15f));
    m_gallery_hover_background_brush = wxBrush(LikePrimary(-0.8f, 0.05f, 0.15f));
    m_gallery_border_pen = wxPen(LikePrimary(0.7f, -0.02f, 0.03f));
    m_gallery_button_background_top_brush = wxBrush(LikePrimary(0.8f, 0.34f, 0.13f));
    m_gallery_button_background_colour = LikePrimary(1.3f, 0.1f, 0.08f);
    SetColour(wxRIBBON_ART_GALLERY_BUTTON_FACE_COLOUR, LikePrimary(1.4f, -0.21f, -0.23f));
    SetColour(wxRIBBON_ART_GALLERY_BUTTON_HOVER_FACE_COLOUR, LikePrimary(1.5f, -0.24f, -0.29f));
    SetColour(wxRIBBON_ART_GALLERY_BUTTON_ACTIVE_FACE_COLOUR, LikePrimary(1.5f, -0.24f, -0.29f));
    SetColour(wxRIBBON_ART_GALLERY_BUTTON_DISABLED_FACE_COLOUR, LikePrimary(0.0f, -1.0f, 0.0f));
    m_gallery_button_disabled_background_gradient_colour = LikePrimary(1.5f, -0.43f, 0.12f);
    m_gallery_button_background_gradient_colour = LikePrimary(1.7f, 0.11f, 0.09f);
    m_gallery_item_border_pen = wxPen(LikeSecondary(-3.9f, -0.16f, -0.14f));
    m_gallery_button_hover_background_colour = LikeSecondary(-0.9f, 0.16f, -0.07f);
    m_gallery_button_hover_background_gradient_colour = LikeSecondary(0.1f, 0.12f, 0.03f);
    m_gallery_button_hover_background_top_brush = wxBrush(LikeSecondary(4.3f, 0.16f, 0.17f));
    m_gallery_button_active_background_colour = LikeSecondary(-9.9f, 0.03f, -0.22f);
    m_gallery_button_active_background_gradient_colour = LikeSecondary(-9.5f, 0.14f, -0.11f);
    m_gallery_button_active_background_top_brush = wxBrush(LikeSecondary(-9.0f, 0.15f, -0.08f));

    m_button_bar_label_colour = m_tab_label_colour;
    m_button_bar_label_disabled_colour = m_tab_label_colour;
    m_button_bar_hover_border_pen = wxPen(LikeSecondary(-6.2f, -0.47f, -0.14f));
    m_button_bar_hover_background_gradient_colour = LikeSecondary(-0.6f, 0.16f, 0.04f);
    m_button_bar_hover_background_colour = LikeSecondary(-0.2f, 0.16f, -0.1f);
    m_button_bar_hover_background_top_gradient_colour = LikeSecondary(0.2f, 0.16f, 0.03f);
    m_button_bar_hover_background_top_colour = LikeSecondary(8.8f, 0.16f, 0.17f);
    m_button_bar_active_border_pen = wxPen(LikeSecondary(-6.2f, -0.47f, -0.25f));
    m_button_bar_active_background_top_colour = LikeSecondary(-8.4f, 0.08f, 0.06f);
    m_button_bar_active_background_top_gradient_colour = LikeSecondary(-9.7f, 0.13f, -0.07f);
    m_button_bar_active_background_colour = LikeSecondary(-9.9f, 0.14f, -0.14f);
    m_button_bar_active_background_gradient_colour = LikeSecondary(-8.7f, 0.17f, -0.03f);

    m_toolbar_border_pen = wxPen(LikePrimary(1.4f, -0.21f, -0.16f));
    SetColour(wxRIBBON_ART_TOOLBAR_FACE_COLOUR, LikePrimary(1.4f, -0.17f, -0.22f));
    m_tool_background_top_colour = LikePrimary(-1.9f, -0.07f, 0.06f);
    m_tool_background_top_gradient_colour = LikePrimary(1.4f, 0.12f, 0.08f);
    m_tool_background_colour = LikePrimary(1.4f, -0.09f, 0.03f);
    m_tool_background_gradient_colour = LikePrimary(1.9f, 0.11f, 0.09f);
    m_tool_hover_background_top_colour = LikeSecondary(3.4f, 0.11f, 0.16f);
    m_tool_hover_background_top_gradient_colour = LikeSecondary(-1.4f, 0.04f, 0.08f);
    m_tool_hover_background_colour = LikeSecondary(-1.8f, 0.16f, -0.12f);
    m_tool_hover_background_gradient_colour = LikeSecondary(-2.6f, 0.16f, 0.05f);
    m_tool_active_background_top_colour = LikeSecondary(-9.9f, -0.12f, -0.09f);
    m_tool_active_background_top_gradient_colour = LikeSecondary(-8.5f, 0.16f, -0.12f);
    m_tool_active_background_colour = LikeSecondary(-7.9f, 0.16f, -0.2f);
    m_tool_active_background_gradient_colour = LikeSecondary(-6.6f, 0.16f, -0.1f);

    m_cached_tab_separator_visibility = -1.0;
}

// ---- Tabs, pages, scroll buttons, tools and sizes --------------------------

void wxRibbonMetricArtProvider::DrawTabCtrlBackground(wxDC &dc, wxWindow *, const wxRect &rect)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(m_tab_ctrl_background_brush);
    dc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);

    dc.SetPen(m_page_border_pen);
    const int bottom = rect.y + rect.height - 1;
    if (rect.width > 6)
        dc.DrawLine(rect.x + 3, bottom, rect.x + rect.width - 3, bottom);
    else
        dc.DrawLine(rect.x, bottom, rect.x + rect.width, bottom);
}

void wxRibbonMetricArtProvider::DrawTab(wxDC &dc, wxWindow *, const wxRibbonPageTabInfo &tab)
{
    const wxRect &r = tab.rect;
    if (r.height <= 2)
        return;

    if (tab.active || tab.hovered || tab.highlight) {
        wxRect background(r.x + 2, r.y + 2, r.width - 4, r.height - 2);
        if (tab.active) {
            dc.GradientFillLinear(background, m_tab_active_background_colour,
                                  m_tab_active_background_gradient_colour, wxSOUTH);
        } else {
            background.height -= 3;
            wxRect top = background;
            top.height = background.height / 2;
            wxRect rest = background;
            rest.y += top.height;
            rest.height -= top.height;
            if (tab.hovered) {
                dc.GradientFillLinear(top, m_tab_hover_background_top_colour,
                                      m_tab_hover_background_top_gradient_colour, wxSOUTH);
                dc.GradientFillLinear(rest, m_tab_hover_background_colour, m_tab_hover_background_gradient_colour,
                                      wxSOUTH);
            } else {
                dc.GradientFillLinear(
                    top, Mean(m_tab_active_background_colour, m_tab_hover_background_top_colour),
                    Mean(m_tab_active_background_gradient_colour, m_tab_hover_background_top_gradient_colour),
                    wxSOUTH);
                dc.GradientFillLinear(
                    rest, Mean(m_tab_active_background_colour, m_tab_hover_background_colour),
                    Mean(m_tab_active_background_gradient_colour, m_tab_hover_background_gradient_colour), wxSOUTH);
            }
        }

        const wxPoint border[] = {wxPoint(1, r.height - 2), wxPoint(1, 3),           wxPoint(3, 1),
                                  wxPoint(r.width - 4, 1),  wxPoint(r.width - 2, 3), wxPoint(r.width - 2, r.height - 1)};
        dc.SetPen(m_tab_border_pen);
        dc.DrawLines(6, border, r.x, r.y);

        if (tab.active) {
            // The active tab curves out into its page.
            const int bottom = r.y + r.height - 1;
            const int right = r.x + r.width - 1;
            dc.DrawPoint(r.x, bottom - 1);
            dc.DrawPoint(right, bottom - 1);
            dc.SetPen(wxPen(m_tab_active_background_gradient_colour));
            dc.DrawPoint(r.x + 1, bottom - 1);
            dc.DrawPoint(right - 1, bottom - 1);
            dc.DrawPoint(r.x + 1, bottom);
            dc.DrawPoint(r.x, bottom);
            dc.DrawPoint(right - 1, bottom);
            dc.DrawPoint(right, bottom);
        }
    }

    const wxBitmap &icon = tab.page->GetIcon();
    if ((m_flags & wxRIBBON_BAR_SHOW_PAGE_ICONS) && icon.IsOk()) {
        const int y = r.y + 1 + (r.height - 1 - icon.GetHeight()) / 2;
        const int x = (m_flags & wxRIBBON_BAR_SHOW_PAGE_LABELS) ? r.x + 4 : r.x + (r.width - icon.GetWidth()) / 2;
        dc.DrawBitmap(icon, x, y, true);
    }
    if (m_flags & wxRIBBON_BAR_SHOW_PAGE_LABELS) {
        const wxString label = tab.page->GetLabel();
        if (!label.IsEmpty()) {
            dc.SetFont(m_tab_label_font);
            dc.SetTextForeground(m_tab_label_colour);
            dc.SetBackgroundMode(wxTRANSPARENT);
            const wxSize text = LabelExtent(dc, label);
            int boxX = r.x + 3;
            int boxWidth = r.width - 5;
            if (m_flags & wxRIBBON_BAR_SHOW_PAGE_ICONS) {
                const int shift = 3 + (icon.IsOk() ? icon.GetWidth() : 0);
                boxX += shift;
                boxWidth -= shift;
            }
            const int y = r.y + (r.height - text.y) / 2;
            if (text.x < boxWidth) {
                dc.DrawText(label, boxX + (boxWidth - text.x) / 2 + 1, y);
            } else {
                dc.SetClippingRegion(boxX, r.y, boxWidth, r.height);
                dc.DrawText(label, boxX, y);
                dc.DestroyClippingRegion();
            }
        }
    }
}

void wxRibbonMetricArtProvider::DrawPageBackground(wxDC &dc, wxWindow *, const wxRect &rect)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(m_tab_ctrl_background_brush);
    dc.DrawRectangle(rect.x, rect.y, 2, rect.height);
    dc.DrawRectangle(rect.x + rect.width - 2, rect.y, 2, rect.height);
    dc.DrawRectangle(rect.x, rect.y + rect.height - 2, rect.width, 2);

    wxRect top(rect.x + 2, rect.y, rect.width - 4, (rect.height - 2) / 5);
    wxRect rest(rect.x + 2, rect.y + top.height, rect.width - 4, rect.height - 2 - top.height);
    dc.GradientFillLinear(top, m_page_background_top_colour, m_page_background_top_gradient_colour, wxSOUTH);
    dc.GradientFillLinear(rest, m_page_background_colour, m_page_background_gradient_colour, wxSOUTH);

    const int w = rect.width, h = rect.height;
    const wxPoint border[] = {wxPoint(2, 0),         wxPoint(1, 1),         wxPoint(1, h - 4),
                              wxPoint(3, h - 2),     wxPoint(w - 4, h - 2), wxPoint(w - 2, h - 4),
                              wxPoint(w - 2, 1),     wxPoint(w - 4, -1)};
    dc.SetPen(m_page_border_pen);
    dc.DrawLines(8, border, rect.x, rect.y);
}

void wxRibbonMetricArtProvider::DrawScrollButton(wxDC &dc, wxWindow *, const wxRect &rect_, long style)
{
    wxRect rect = rect_;
    const long direction = style & wxRIBBON_SCROLL_BTN_DIRECTION_MASK;
    const bool forPage = (style & wxRIBBON_SCROLL_BTN_FOR_MASK) == wxRIBBON_SCROLL_BTN_FOR_PAGE;
    if (forPage) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(m_tab_ctrl_background_brush);
        dc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);
        dc.SetClippingRegion(rect);
        switch (direction) {
        case wxRIBBON_SCROLL_BTN_LEFT:
            rect.x += 1;
            rect.y -= 1;
            rect.width -= 1;
            break;
        case wxRIBBON_SCROLL_BTN_RIGHT:
            rect.y -= 1;
            rect.width -= 1;
            break;
        case wxRIBBON_SCROLL_BTN_UP:
            rect.x += 1;
            rect.y -= 1;
            rect.width -= 2;
            rect.height += 1;
            break;
        default:
            rect.x += 1;
            rect.width -= 2;
            rect.height -= 1;
            break;
        }
    }

    const bool vertical = direction == wxRIBBON_SCROLL_BTN_UP || direction == wxRIBBON_SCROLL_BTN_DOWN;
    wxRect background(rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2);
    wxRect top = background;
    top.height = vertical ? background.height / 2 : background.height / 5;
    wxRect rest = background;
    rest.y += top.height;
    rest.height -= top.height;
    dc.GradientFillLinear(top, m_page_background_top_colour, m_page_background_top_gradient_colour, wxSOUTH);
    dc.GradientFillLinear(rest, m_page_background_colour, m_page_background_gradient_colour, wxSOUTH);

    const int w = rect.width, h = rect.height;
    wxPoint border[7];
    switch (direction) {
    case wxRIBBON_SCROLL_BTN_LEFT:
        border[0] = wxPoint(2, 0);
        border[1] = wxPoint(w - 1, 0);
        border[2] = wxPoint(w - 1, h - 1);
        border[3] = wxPoint(2, h - 1);
        border[4] = wxPoint(0, h - 3);
        border[5] = wxPoint(0, 2);
        break;
    case wxRIBBON_SCROLL_BTN_RIGHT:
        border[0] = wxPoint(0, 0);
        border[1] = wxPoint(w - 3, 0);
        border[2] = wxPoint(w - 1, 2);
        border[3] = wxPoint(w - 1, h - 3);
        border[4] = wxPoint(w - 3, h - 1);
        border[5] = wxPoint(0, h - 1);
        break;
    case wxRIBBON_SCROLL_BTN_UP:
        border[0] = wxPoint(2, 0);
        border[1] = wxPoint(w - 3, 0);
        border[2] = wxPoint(w - 1, 2);
        border[3] = wxPoint(w - 1, h - 1);
        border[4] = wxPoint(0, h - 1);
        border[5] = wxPoint(0, 2);
        break;
    default:
        border[0] = wxPoint(0, 0);
        border[1] = wxPoint(w - 1, 0);
        border[2] = wxPoint(w - 1, h - 3);
        border[3] = wxPoint(w - 3, h - 1);
        border[4] = wxPoint(2, h - 1);
        border[5] = wxPoint(0, h - 3);
        break;
    }
    border[6] = border[0];
    dc.SetPen(m_page_border_pen);
    dc.DrawLines(7, border, rect.x, rect.y);

    wxPoint arrow[3];
    switch (direction) {
    case wxRIBBON_SCROLL_BTN_LEFT:
        arrow[0] = wxPoint(w / 2 - 2, h / 2);
        arrow[1] = arrow[0] + wxPoint(3, -3);
        arrow[2] = arrow[0] + wxPoint(3, 3);
        break;
    case wxRIBBON_SCROLL_BTN_RIGHT:
        arrow[0] = wxPoint(w / 2 + 2, h / 2);
        arrow[1] = arrow[0] + wxPoint(-3, -3);
        arrow[2] = arrow[0] + wxPoint(-3, 3);
        break;
    case wxRIBBON_SCROLL_BTN_UP:
        arrow[0] = wxPoint(w / 2, h / 2 - 2);
        arrow[1] = arrow[0] + wxPoint(3, 3);
        arrow[2] = arrow[0] + wxPoint(-3, 3);
        break;
    default:
        arrow[0] = wxPoint(w / 2, h / 2 + 2);
        arrow[1] = arrow[0] + wxPoint(3, -3);
        arrow[2] = arrow[0] + wxPoint(-3, -3);
        break;
    }
    if (style & wxRIBBON_SCROLL_BTN_ACTIVE)
        arrow[0].y += 1;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush((style & wxRIBBON_SCROLL_BTN_HOVERED) ? m_tab_active_background_colour
                                                                : m_tab_label_colour));
    dc.DrawPolygon(3, arrow, rect.x, rect.y);

    if (forPage)
        dc.DestroyClippingRegion();
}

void wxRibbonMetricArtProvider::DrawGalleryItemBackground(wxDC &dc, wxRibbonGallery *wnd, const wxRect &rect,
                                                          wxRibbonGalleryItem *item)
{
    const bool selected = wnd->GetSelection() == item || wnd->GetActiveItem() == item;
    if (!selected && wnd->GetHoveredItem() != item)
        return;

    const int right = rect.x + rect.width - 1;
    const int bottom = rect.y + rect.height - 1;
    dc.SetPen(m_gallery_item_border_pen);
    dc.DrawLine(rect.x + 1, rect.y, right, rect.y);
    dc.DrawLine(rect.x, rect.y + 1, rect.x, bottom);
    dc.DrawLine(rect.x + 1, bottom, right, bottom);
    dc.DrawLine(right, rect.y + 1, right, bottom);

    const wxBrush &topBrush =
        selected ? m_gallery_button_active_background_top_brush : m_gallery_button_hover_background_top_brush;
    const wxColour &from =
        selected ? m_gallery_button_active_background_colour : m_gallery_button_hover_background_colour;
    const wxColour &to = selected ? m_gallery_button_active_background_gradient_colour
                                  : m_gallery_button_hover_background_gradient_colour;
    wxRect upper(rect.x + 1, rect.y + 1, rect.width - 2, rect.height / 3);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(topBrush);
    dc.DrawRectangle(upper.x, upper.y, upper.width, upper.height);
    wxRect lower(upper.x, upper.y + upper.height, upper.width, rect.height - 2 - upper.height);
    dc.GradientFillLinear(lower, from, to, wxSOUTH);
}

void wxRibbonMetricArtProvider::DrawGalleryButton(wxDC &dc, wxRect rect, wxRibbonGalleryButtonState state,
                                                  wxBitmap *bitmaps)
{
    const wxBrush *top = &m_gallery_button_background_top_brush;
    const wxColour *from = &m_gallery_button_background_colour;
    const wxColour *to = &m_gallery_button_background_gradient_colour;
    wxBitmap bitmap = bitmaps[0];
    switch (state) {
    case wxRIBBON_GALLERY_BUTTON_HOVERED:
        top = &m_gallery_button_hover_background_top_brush;
        from = &m_gallery_button_hover_background_colour;
        to = &m_gallery_button_hover_background_gradient_colour;
        bitmap = bitmaps[1];
        break;
    case wxRIBBON_GALLERY_BUTTON_ACTIVE:
        top = &m_gallery_button_active_background_top_brush;
        from = &m_gallery_button_active_background_colour;
        to = &m_gallery_button_active_background_gradient_colour;
        bitmap = bitmaps[2];
        break;
    case wxRIBBON_GALLERY_BUTTON_DISABLED:
        top = &m_gallery_button_disabled_background_top_brush;
        from = &m_gallery_button_disabled_background_colour;
        to = &m_gallery_button_disabled_background_gradient_colour;
        bitmap = bitmaps[3];
        break;
    default:
        break;
    }

    rect.x += 1;
    rect.y += 1;
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
        rect.width -= 1;
        rect.height -= 2;
    } else {
        rect.width -= 2;
        rect.height -= 1;
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*top);
    dc.DrawRectangle(rect.x, rect.y, rect.width, rect.height / 2);

    wxRect lower = rect;
    lower.height = (rect.height + 1) / 2;
    lower.y = rect.y + rect.height - lower.height;
    dc.GradientFillLinear(lower, *from, *to, wxSOUTH);
    if (bitmap.IsOk())
        dc.DrawBitmap(bitmap, rect.x + rect.width / 2 - 2, lower.y - 2, true);
}

void wxRibbonMetricArtProvider::DrawToolGroupBackground(wxDC &dc, wxWindow *, const wxRect &rect)
{
    const int w = rect.width, h = rect.height;
    const wxPoint outline[] = {wxPoint(2, 0),     wxPoint(w - 3, 0),     wxPoint(w - 1, 2),
                               wxPoint(w - 1, h - 3), wxPoint(w - 3, h - 1), wxPoint(2, h - 1),
                               wxPoint(0, h - 3), wxPoint(0, 2),         wxPoint(2, 0)};
    dc.SetPen(m_toolbar_border_pen);
    dc.DrawLines(9, outline, rect.x, rect.y);
}

void wxRibbonMetricArtProvider::DrawTool(wxDC &dc, wxWindow *, const wxRect &rect, const wxBitmap &bitmap,
                                         wxRibbonButtonKind kind, long state)
{
    if (kind == wxRIBBON_BUTTON_TOGGLE && (state & wxRIBBON_TOOLBAR_TOOL_TOGGLED))
        state ^= wxRIBBON_TOOLBAR_TOOL_ACTIVE_MASK;

    wxRect background = rect;
    background.Deflate(1);
    if (!(state & wxRIBBON_TOOLBAR_TOOL_LAST))
        background.width += 1;
    const bool isSplitHybrid =
        kind == wxRIBBON_BUTTON_HYBRID &&
        (state & (wxRIBBON_TOOLBAR_TOOL_HOVER_MASK | wxRIBBON_TOOLBAR_TOOL_ACTIVE_MASK));

    const wxColour *colours[4] = {&m_tool_background_top_colour, &m_tool_background_top_gradient_colour,
                                  &m_tool_background_colour, &m_tool_background_gradient_colour};
    if (state & wxRIBBON_TOOLBAR_TOOL_ACTIVE_MASK) {
        colours[0] = &m_tool_active_background_top_colour;
        colours[1] = &m_tool_active_background_top_gradient_colour;
        colours[2] = &m_tool_active_background_colour;
        colours[3] = &m_tool_active_background_gradient_colour;
    } else if (state & wxRIBBON_TOOLBAR_TOOL_HOVER_MASK) {
        colours[0] = &m_tool_hover_background_top_colour;
        colours[1] = &m_tool_hover_background_top_gradient_colour;
        colours[2] = &m_tool_hover_background_colour;
        colours[3] = &m_tool_hover_background_gradient_colour;
    }
    wxRect top = background;
    top.height = (background.height * 2) / 5;
    wxRect rest = background;
    rest.y += top.height;
    rest.height -= top.height;
    dc.GradientFillLinear(top, *colours[0], *colours[1], wxSOUTH);
    dc.GradientFillLinear(rest, *colours[2], *colours[3], wxSOUTH);

    if (isSplitHybrid) {
        // The half of a split tool away from the pointer keeps a quiet face.
        wxRect other = background;
        if (state & (wxRIBBON_TOOLBAR_TOOL_DROPDOWN_HOVERED | wxRIBBON_TOOLBAR_TOOL_DROPDOWN_ACTIVE)) {
            other.width -= 8;
        } else {
            other.x += other.width - 8;
            other.width = 7;
        }
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(m_tool_hover_background_top_colour));
        dc.DrawRectangle(other.x, other.y, other.width, other.height);
    }

    dc.SetPen(m_toolbar_border_pen);
    const int bottom = rect.y + rect.height - 1;
    const int right = rect.x + rect.width - 1;
    if (state & wxRIBBON_TOOLBAR_TOOL_FIRST) {
        dc.DrawPoint(rect.x + 1, rect.y + 1);
        dc.DrawPoint(rect.x + 1, bottom - 1);
    } else {
        dc.DrawLine(rect.x, rect.y + 1, rect.x, rect.y + rect.height - 1);
    }
    if (state & wxRIBBON_TOOLBAR_TOOL_LAST) {
        dc.DrawPoint(right - 1, rect.y + 1);
        dc.DrawPoint(right - 1, bottom - 1);
    }

    int avail = background.width;
    if (HasDropdown(kind)) {
        avail -= 8;
        if (isSplitHybrid)
            dc.DrawLine(background.x + avail + 1, background.y, background.x + avail + 1,
                        background.y + background.height);
        dc.DrawBitmap(m_toolbar_drop_bitmap, background.x + avail + 2,
                      background.y + background.height / 2 - 2, true);
    }
    if (bitmap.IsOk())
        dc.DrawBitmap(bitmap, background.x + (avail - bitmap.GetWidth()) / 2,
                      background.y + (background.height - bitmap.GetHeight()) / 2, true);
}

void wxRibbonMetricArtProvider::GetBarTabWidth(wxDC &dc, wxWindow *, const wxString &label, const wxBitmap &bitmap,
                                               int *ideal, int *small_begin_need_separator,
                                               int *small_must_have_separator, int *minimum)
{
    int width = 0, min = 0;
    if ((m_flags & wxRIBBON_BAR_SHOW_PAGE_LABELS) && !label.IsEmpty()) {
        dc.SetFont(m_tab_label_font);
        const int textWidth = LabelExtent(dc, label).x;
        width += textWidth;
        min += std::min(25, textWidth);
        if (bitmap.IsOk()) {
            width += 4;
            min += 2;
        }
    }
    if ((m_flags & wxRIBBON_BAR_SHOW_PAGE_ICONS) && bitmap.IsOk()) {
        width += bitmap.GetWidth();
        min += bitmap.GetWidth();
    }
    if (ideal)
        *ideal = width + 30;
    if (small_begin_need_separator)
        *small_begin_need_separator = width + 20;
    if (small_must_have_separator)
        *small_must_have_separator = width + 10;
    if (minimum)
        *minimum = min;
}

int wxRibbonMetricArtProvider::GetTabCtrlHeight(wxDC &dc, wxWindow *, const wxRibbonPageTabInfoArray &pages)
{
    if (pages.GetCount() <= 1 && !(m_flags & wxRIBBON_BAR_ALWAYS_SHOW_TABS))
        return 2;
    int textHeight = 0, iconHeight = 0;
    if (m_flags & wxRIBBON_BAR_SHOW_PAGE_LABELS) {
        dc.SetFont(m_tab_label_font);
        textHeight = LabelExtent(dc, "ABCDEFXj").y + 10;
    }
    if (m_flags & wxRIBBON_BAR_SHOW_PAGE_ICONS) {
        for (size_t i = 0; i < pages.GetCount(); ++i) {
            const wxBitmap &icon = pages.Item(i).page->GetIcon();
            if (icon.IsOk())
                iconHeight = std::max(iconHeight, icon.GetHeight() + 4);
        }
    }
    return std::max(textHeight, iconHeight);
}

wxSize wxRibbonMetricArtProvider::GetScrollButtonMinimumSize(wxDC &, wxWindow *, long)
{
    return wxSize(12, 12);
}

wxSize wxRibbonMetricArtProvider::GetPanelSize(wxDC &dc, const wxRibbonPanel *wnd, wxSize client_size,
                                               wxPoint *client_offset)
{
    dc.SetFont(m_panel_label_font);
    client_size.IncBy(0, LabelExtent(dc, wnd->GetLabel()).y);
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
        client_size.IncBy(4, 8);
        if (client_offset)
            *client_offset = wxPoint(2, 3);
    } else {
        client_size.IncBy(6, 6);
        if (client_offset)
            *client_offset = wxPoint(3, 2);
    }
    return client_size;
}

wxSize wxRibbonMetricArtProvider::GetPanelClientSize(wxDC &dc, const wxRibbonPanel *wnd, wxSize size,
                                                     wxPoint *client_offset)
{
    dc.SetFont(m_panel_label_font);
    size.DecBy(0, LabelExtent(dc, wnd->GetLabel()).y);
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
        size.DecBy(4, 8);
        if (client_offset)
            *client_offset = wxPoint(2, 3);
    } else {
        size.DecBy(6, 6);
        if (client_offset)
            *client_offset = wxPoint(3, 2);
    }
    size.x = std::max(size.x, 0);
    size.y = std::max(size.y, 0);
    return size;
}

wxRect wxRibbonMetricArtProvider::GetPanelExtButtonArea(wxDC &, const wxRibbonPanel *, wxRect rect)
{
    RemovePanelPadding(&rect);
    return wxRect(rect.x + rect.width - 13 - 1, rect.y + rect.height - 13 - 1, 13, 13);
}

wxSize wxRibbonMetricArtProvider::GetGallerySize(wxDC &, const wxRibbonGallery *, wxSize client_size)
{
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL)
        client_size.IncBy(3, 17);
    else
        client_size.IncBy(18, 2);
    return client_size;
}

wxSize wxRibbonMetricArtProvider::GetGalleryClientSize(wxDC &, const wxRibbonGallery *, wxSize size,
                                                       wxPoint *client_offset, wxRect *scroll_up_button,
                                                       wxRect *scroll_down_button, wxRect *extension_button)
{
    wxRect up, down, extension;
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
        up = wxRect(0, size.y - 15, (size.x + 2) / 3, 15);
        down = wxRect(up.x + up.width, up.y, up.width, 15);
        extension = wxRect(down.x + down.width, up.y, size.x - 2 * up.width, 15);
        size.DecBy(3, 17);
    } else {
        up = wxRect(size.x - 15, 0, 15, (size.y + 2) / 3);
        down = wxRect(up.x, up.y + up.height, 15, up.height);
        extension = wxRect(up.x, down.y + down.height, 15, size.y - 2 * up.height);
        size.DecBy(18, 2);
    }
    if (client_offset)
        *client_offset = wxPoint(2, 1);
    if (scroll_up_button)
        *scroll_up_button = up;
    if (scroll_down_button)
        *scroll_down_button = down;
    if (extension_button)
        *extension_button = extension;
    return size;
}

wxRect wxRibbonMetricArtProvider::GetPageBackgroundRedrawArea(wxDC &, const wxRibbonPage *, wxSize page_old_size,
                                                              wxSize page_new_size)
{
    const wxRect whole(page_new_size);
    if (page_new_size.GetWidth() != page_old_size.GetWidth()) {
        if (page_new_size.GetHeight() != page_old_size.GetHeight())
            return whole;
        // Only the right-hand edge of the page changes when it only widens.
        wxRect oldStrip(page_old_size.GetWidth() - 4, 0, 4, page_old_size.GetHeight());
        wxRect newStrip(page_new_size.GetWidth() - 4, 0, 4, page_new_size.GetHeight());
        return oldStrip.Union(newStrip).Intersect(whole);
    }
    if (page_new_size.GetHeight() != page_old_size.GetHeight())
        return whole;
    return wxRect(0, 0, 0, 0);
}

bool wxRibbonMetricArtProvider::GetButtonBarButtonSize(wxDC &dc, wxWindow *, wxRibbonButtonKind kind,
                                                       wxRibbonButtonBarButtonState size, const wxString &label,
                                                       wxCoord text_min_width, wxSize bitmap_size_large,
                                                       wxSize bitmap_size_small, wxSize *button_size,
                                                       wxRect *normal_region, wxRect *dropdown_region)
{
    const int dropExtra = 8;
    dc.SetFont(m_button_bar_label_font);
    switch (size & wxRIBBON_BUTTONBAR_BUTTON_SIZE_MASK) {
    case wxRIBBON_BUTTONBAR_BUTTON_SMALL:
    case wxRIBBON_BUTTONBAR_BUTTON_MEDIUM: {
        *button_size = bitmap_size_small + wxSize(6, 4);
        switch (kind) {
        case wxRIBBON_BUTTON_DROPDOWN:
            button_size->x += dropExtra;
            *normal_region = wxRect(0, 0, 0, 0);
            *dropdown_region = wxRect(*button_size);
            break;
        case wxRIBBON_BUTTON_HYBRID:
            *normal_region = wxRect(0, 0, button_size->x, button_size->y);
            *dropdown_region = wxRect(button_size->x, 0, dropExtra, button_size->y);
            button_size->x += dropExtra;
            break;
        default:
            *normal_region = wxRect(*button_size);
            *dropdown_region = wxRect(0, 0, 0, 0);
            break;
        }
        if ((size & wxRIBBON_BUTTONBAR_BUTTON_SIZE_MASK) == wxRIBBON_BUTTONBAR_BUTTON_MEDIUM) {
            const int textWidth = std::max<int>(LabelExtent(dc, label).x, text_min_width);
            button_size->x += textWidth;
            if (kind == wxRIBBON_BUTTON_DROPDOWN) {
                dropdown_region->width += textWidth;
            } else {
                normal_region->width += textWidth;
                if (kind == wxRIBBON_BUTTON_HYBRID)
                    dropdown_region->x += textWidth;
            }
        }
        break;
    }
    case wxRIBBON_BUTTONBAR_BUTTON_LARGE: {
        const int lineHeight = LabelExtent(dc, label).y;
        int labelWidth = NarrowestLabelWidth(dc, label, HasDropdown(kind) ? dropExtra : 0);
        labelWidth = std::max<int>(labelWidth, text_min_width);
        button_size->x = std::max(bitmap_size_large.x + 4, labelWidth) + 6;
        button_size->y = bitmap_size_large.y + 4 + 2 * lineHeight;
        switch (kind) {
        case wxRIBBON_BUTTON_DROPDOWN:
            *normal_region = wxRect(0, 0, 0, 0);
            *dropdown_region = wxRect(*button_size);
            break;
        case wxRIBBON_BUTTON_HYBRID:
            *normal_region = wxRect(0, 0, button_size->x, bitmap_size_large.y + 2);
            *dropdown_region = wxRect(0, normal_region->height, button_size->x, button_size->y - normal_region->height);
            break;
        default:
            *normal_region = wxRect(*button_size);
            *dropdown_region = wxRect(0, 0, 0, 0);
            break;
        }
        break;
    }
    default:
        break;
    }
    return true;
}

wxCoord wxRibbonMetricArtProvider::GetButtonBarButtonTextWidth(wxDC &dc, const wxString &label,
                                                               wxRibbonButtonKind kind,
                                                               wxRibbonButtonBarButtonState size)
{
    dc.SetFont(m_button_bar_label_font);
    switch (size & wxRIBBON_BUTTONBAR_BUTTON_SIZE_MASK) {
    case wxRIBBON_BUTTONBAR_BUTTON_LARGE: {
        const bool plain = kind == wxRIBBON_BUTTON_NORMAL || kind == wxRIBBON_BUTTON_TOGGLE;
        return NarrowestLabelWidth(dc, label, plain ? 0 : 8);
    }
    case wxRIBBON_BUTTONBAR_BUTTON_MEDIUM:
        return LabelExtent(dc, label).x;
    default:
        return 0;
    }
}

wxSize wxRibbonMetricArtProvider::GetMinimisedPanelMinimumSize(wxDC &dc, const wxRibbonPanel *wnd,
                                                               wxSize *desired_bitmap_size,
                                                               wxDirection *expanded_panel_direction)
{
    if (desired_bitmap_size)
        *desired_bitmap_size = wxSize(16, 16);
    if (expanded_panel_direction)
        *expanded_panel_direction = (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) ? wxEAST : wxSOUTH;

    dc.SetFont(m_panel_label_font);
    wxSize label = LabelExtent(dc, wnd->GetLabel());
    label.IncBy(2, 2);
    label.x += 6;
    label.y *= 2; // room for the drop-down arrow under the label
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL)
        return wxSize(42 + label.x, std::max(42, label.y));
    return wxSize(std::max(42, label.x), 42 + label.y);
}

wxSize wxRibbonMetricArtProvider::GetToolSize(wxDC &, wxWindow *, wxSize bitmap_size, wxRibbonButtonKind kind,
                                              bool, bool is_last, wxRect *dropdown_region)
{
    wxSize size = bitmap_size + wxSize(7, 6);
    if (is_last)
        size.x += 1;
    if (HasDropdown(kind)) {
        size.x += 8;
        if (dropdown_region) {
            if (kind == wxRIBBON_BUTTON_DROPDOWN)
                *dropdown_region = wxRect(size);
            else
                *dropdown_region = wxRect(size.x - 8, 0, 8, size.y);
        }
    } else if (dropdown_region) {
        *dropdown_region = wxRect(0, 0, 0, 0);
    }
    return size;
}

wxRect wxRibbonMetricArtProvider::GetBarToggleButtonArea(const wxRect &rect)
{
    const wxRect area(rect.GetWidth() - m_toggle_button_offset, 2, 20, 20);
    // Whichever of the two buttons is placed first takes the outer place.
    if (m_toggle_button_offset == 22 && m_help_button_offset == 22)
        m_help_button_offset += 22;
    return area;
}

wxRect wxRibbonMetricArtProvider::GetRibbonHelpButtonArea(const wxRect &rect)
{
    const wxRect area(rect.GetWidth() - m_help_button_offset, 2, 20, 20);
    if (m_toggle_button_offset == 22 && m_help_button_offset == 22)
        m_toggle_button_offset += 22;
    return area;
}

// ---- Panels, galleries, button bars and the bar's own buttons -------------

void wxRibbonMetricArtProvider::DrawTabSeparator(wxDC &dc, wxWindow *wnd, const wxRect &rect, double visibility)
{
    if (visibility <= 0.0)
        return;
    visibility = std::min(visibility, 1.0);
    if (!m_cached_tab_separator.IsOk() || m_cached_tab_separator.GetSize() != rect.GetSize() ||
        visibility != m_cached_tab_separator_visibility)
        ReallyDrawTabSeparator(wnd, wxRect(0, 0, rect.width, rect.height), visibility);
    dc.DrawBitmap(m_cached_tab_separator, rect.x, rect.y, false);
}

void wxRibbonMetricArtProvider::ReallyDrawTabSeparator(wxWindow *wnd, const wxRect &rect, double visibility)
{
    if (!m_cached_tab_separator.IsOk() || m_cached_tab_separator.GetSize() != rect.GetSize())
        m_cached_tab_separator = wxBitmap(rect.GetSize());

    wxMemoryDC dc(m_cached_tab_separator);
    DrawTabCtrlBackground(dc, wnd, rect);

    const wxColour background = m_tab_ctrl_background_brush.GetColour();
    const int x = rect.x + rect.width / 2;
    const double h = rect.height - 1;
    auto blend = [&](unsigned char separator, unsigned char gradient, unsigned char back, double p) {
        const double v = (p * gradient + (1.0 - p) * separator) * visibility + back * (1.0 - visibility) + 0.5;
        return static_cast<unsigned char>(std::min(255.0, std::max(0.0, v)));
    };
    for (int i = 0; i < rect.height - 1; ++i) {
        const double p = i / h;
        const wxColour c(blend(m_tab_separator_colour.Red(), m_tab_separator_gradient_colour.Red(),
                               background.Red(), p),
                         blend(m_tab_separator_colour.Green(), m_tab_separator_gradient_colour.Green(),
                               background.Green(), p),
                         blend(m_tab_separator_colour.Blue(), m_tab_separator_gradient_colour.Blue(),
                               background.Blue(), p));
        dc.SetPen(wxPen(c));
        dc.DrawPoint(x, rect.y + i);
    }
    dc.SelectObject(wxNullBitmap);
    m_cached_tab_separator_visibility = visibility;
}

void wxRibbonMetricArtProvider::DrawPartialPageBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect,
                                                          bool allow_hovered)
{
    wxPoint offset(wnd->GetPosition());
    wxWindow *parent = wnd->GetParent();
    // dynamic_cast rather than wxDynamicCast: that macro casts the window
    // down to the class before it checks the class, which is undefined for a
    // window of another class (the bar, a page).
    wxRibbonPanel *panel = dynamic_cast<wxRibbonPanel *>(wnd);
    wxRibbonPage *page = nullptr;
    bool hovered = false;

    if (panel) {
        hovered = allow_hovered && panel->IsHovered();
        if (panel->GetExpandedDummy()) {
            offset = panel->GetExpandedDummy()->GetPosition();
            parent = panel->GetExpandedDummy()->GetParent();
        }
    }
    for (; parent; parent = parent->GetParent()) {
        if (!panel) {
            panel = dynamic_cast<wxRibbonPanel *>(parent);
            if (panel) {
                hovered = allow_hovered && panel->IsHovered();
                if (panel->GetExpandedDummy())
                    parent = panel->GetExpandedDummy();
            }
        }
        page = dynamic_cast<wxRibbonPage *>(parent);
        if (page)
            break;
        offset += parent->GetPosition();
    }

    if (page) {
        DrawPartialPageBackground(dc, wnd, rect, page, offset, hovered);
        return;
    }
    // Outside any page (the bar's own buttons) the tab row lies behind.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(dynamic_cast<wxRibbonBar *>(wnd) ? m_tab_ctrl_background_brush : *wxWHITE_BRUSH);
    dc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);
}

void wxRibbonMetricArtProvider::DrawPartialPageBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect,
                                                          wxRibbonPage *page, wxPoint offset, bool hovered)
{
    wxRect background;
    if (wnd->GetSizer() && wnd->GetParent() != page) {
        // An expanded panel in a window of its own.
        background = wnd->GetParent()->GetSize();
        offset = wxPoint(0, 0);
    } else {
        background = page->GetSize();
        page->AdjustRectToIncludeScrollButtons(&background);
        background.height -= 2;
    }
    background.x = 0;
    background.width = INT_MAX;

    wxRect upper = background;
    upper.height /= 5;
    wxRect lower = background;
    lower.y += upper.height;
    lower.height -= upper.height;

    wxRect paint = rect;
    paint.Offset(offset);

    const wxColour &upperFrom = hovered ? m_page_hover_background_top_colour : m_page_background_top_colour;
    const wxColour &upperTo =
        hovered ? m_page_hover_background_top_gradient_colour : m_page_background_top_gradient_colour;
    const wxColour &lowerFrom = hovered ? m_page_hover_background_colour : m_page_background_colour;
    const wxColour &lowerTo = hovered ? m_page_hover_background_gradient_colour : m_page_background_gradient_colour;

    auto paintBand = [&](const wxRect &band, const wxColour &from, const wxColour &to) {
        if (!band.Intersects(paint))
            return;
        wxRect piece = band.Intersect(paint);
        // Colours at the piece's own top and bottom, so that pieces painted
        // separately join into one smooth band.
        const wxColour start =
            wxRibbonInterpolateColour(from, to, piece.y, band.y, band.y + band.height);
        const wxColour end =
            wxRibbonInterpolateColour(from, to, piece.y + piece.height, band.y, band.y + band.height);
        piece.Offset(-offset.x, -offset.y);
        dc.GradientFillLinear(piece, start, end, wxSOUTH);
    };
    paintBand(upper, upperFrom, upperTo);
    paintBand(lower, lowerFrom, lowerTo);
}

void wxRibbonMetricArtProvider::RemovePanelPadding(wxRect *rect)
{
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
        rect->y += 1;
        rect->height -= 2;
    } else {
        rect->x += 1;
        rect->width -= 2;
    }
}

void wxRibbonMetricArtProvider::DrawPanelBorder(wxDC &dc, const wxRect &rect, wxPen &primary_colour,
                                                wxPen &secondary_colour)
{
    const int w = rect.width, h = rect.height;
    wxPoint points[9] = {wxPoint(2, 0),         wxPoint(w - 3, 0),     wxPoint(w - 1, 2),
                         wxPoint(w - 1, h - 3), wxPoint(w - 3, h - 1), wxPoint(2, h - 1),
                         wxPoint(0, h - 3),     wxPoint(0, 2),         wxPoint(2, 0)};
    if (primary_colour.GetColour() == secondary_colour.GetColour()) {
        dc.SetPen(primary_colour);
        dc.DrawLines(9, points, rect.x, rect.y);
        return;
    }
    dc.SetPen(primary_colour);
    dc.DrawLines(3, points, rect.x, rect.y);
    dc.DrawLine(rect.x + 2, rect.y, rect.x, rect.y + 2);

    dc.SetPen(secondary_colour);
    dc.DrawLines(3, points + 4, rect.x, rect.y);
    dc.DrawLine(rect.x + w - 3, rect.y + h - 1, rect.x + w - 1, rect.y + h - 3);

    const wxPoint sides[] = {wxPoint(w - 1, 2), wxPoint(0, 2)};
    wxRibbonDrawParallelGradientLines(dc, 2, sides, 0, 1, h - 4, rect.x, rect.y, primary_colour.GetColour(),
                                      secondary_colour.GetColour());
}

void wxRibbonMetricArtProvider::DrawPanelBackground(wxDC &dc, wxRibbonPanel *wnd, const wxRect &rect)
{
    DrawPartialPageBackground(dc, wnd, rect, false);

    wxRect trueRect = rect;
    RemovePanelPadding(&trueRect);

    dc.SetFont(m_panel_label_font);
    dc.SetPen(*wxTRANSPARENT_PEN);
    const bool hovered = wnd->IsHovered();
    dc.SetBrush(hovered ? m_panel_hover_label_background_brush : m_panel_label_background_brush);
    dc.SetTextForeground(hovered ? m_panel_hover_label_colour : m_panel_label_colour);

    wxString label = wnd->GetLabel();
    const wxSize labelSize = LabelExtent(dc, label);
    wxRect labelRect(trueRect.x + 1, 0, trueRect.width - 2, labelSize.y + 2);
    labelRect.y = trueRect.y + trueRect.height - 1 - labelRect.height;
    const wxRect labelBackground = labelRect;
    const bool hasExtButton = wnd->HasExtButton();
    if (hasExtButton)
        labelRect.width -= 13;

    bool clipLabel = false;
    wxSize textSize = labelSize;
    if (textSize.x > labelRect.width) {
        // Keep at least three characters before the dots; below that the
        // label is shown clipped instead.
        if (LabelExtent(dc, label.Mid(0, 3) + "...").x > labelRect.width) {
            clipLabel = true;
        } else {
            for (size_t len = label.Length() - 1; len >= 3; --len) {
                const wxString shortened = label.Mid(0, len) + "...";
                const wxSize size = LabelExtent(dc, shortened);
                if (size.x <= labelRect.width) {
                    label = shortened;
                    textSize = size;
                    break;
                }
            }
        }
    }

    dc.DrawRectangle(labelBackground.x, labelBackground.y, labelBackground.width, labelBackground.height);
    const int textY = labelRect.y + (labelRect.height - textSize.y) / 2;
    if (clipLabel) {
        dc.SetClippingRegion(labelRect);
        dc.DrawText(label, labelRect.x, textY);
        dc.DestroyClippingRegion();
    } else {
        dc.DrawText(label, labelRect.x + (labelRect.width - textSize.x) / 2, textY);
    }

    if (hasExtButton) {
        const int right = labelRect.x + labelRect.width - 1;
        const int bottom = labelRect.y + labelRect.height - 1;
        if (wnd->IsExtButtonHovered()) {
            dc.SetPen(m_panel_hover_button_border_pen);
            dc.SetBrush(m_panel_hover_button_background_brush);
            dc.DrawRoundedRectangle(right, bottom - 13, 13, 13, 1.0);
            dc.DrawBitmap(m_panel_extension_bitmap[1], right + 3, bottom - 10, true);
        } else {
            dc.DrawBitmap(m_panel_extension_bitmap[0], right + 3, bottom - 10, true);
        }
    }

    if (hovered) {
        wxRect client(trueRect.x + 1, trueRect.y + 1, trueRect.width - 2, trueRect.height - 2 - labelRect.height);
        DrawPartialPageBackground(dc, wnd, client, true);
    }
    DrawPanelBorder(dc, trueRect, m_panel_border_pen, m_panel_border_gradient_pen);
}

void wxRibbonMetricArtProvider::DrawGalleryBackground(wxDC &dc, wxRibbonGallery *wnd, const wxRect &rect)
{
    DrawPartialPageBackground(dc, wnd, rect, true);
    const bool vertical = (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) != 0;
    if (wnd->IsHovered()) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(m_gallery_hover_background_brush);
        if (vertical)
            dc.DrawRectangle(rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 16);
        else
            dc.DrawRectangle(rect.x + 1, rect.y + 1, rect.width - 16, rect.height - 2);
    }
    const int x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    dc.SetPen(m_gallery_border_pen);
    dc.DrawLine(x + 1, y, x + w - 1, y);
    dc.DrawLine(x, y + 1, x, y + h - 1);
    dc.DrawLine(x + 1, y + h - 1, x + w - 1, y + h - 1);
    dc.DrawLine(x + w - 1, y + 1, x + w - 1, y + h - 1);
    DrawGalleryBackgroundCommon(dc, wnd, rect);
}

void wxRibbonMetricArtProvider::DrawGalleryBackgroundCommon(wxDC &dc, wxRibbonGallery *wnd, const wxRect &rect)
{
    const int x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    wxRect up, down, extension;
    if (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) {
        dc.DrawLine(x, y + h - 15, x + w, y + h - 15);
        up = wxRect(x, y + h - 15, w / 3, 15);
        down = wxRect(up.x + up.width, up.y, up.width, 15);
        extension = wxRect(down.x + down.width, up.y, w - 2 * (w / 3) - 1, 15);
        dc.DrawLine(down.x, down.y, down.x, down.y + down.height);
        dc.DrawLine(extension.x, extension.y, extension.x, extension.y + extension.height);
    } else {
        dc.DrawLine(x + w - 15, y, x + w - 15, y + h);
        up = wxRect(x + w - 15, y, 15, h / 3);
        down = wxRect(up.x, up.y + up.height, 15, up.height);
        extension = wxRect(up.x, down.y + down.height, 15, h - 2 * (h / 3) - 1);
        dc.DrawLine(down.x, down.y, down.x + down.width, down.y);
        dc.DrawLine(extension.x, extension.y, extension.x + extension.width, extension.y);
    }
    DrawGalleryButton(dc, up, wnd->GetUpButtonState(), m_gallery_up_bitmap);
    DrawGalleryButton(dc, down, wnd->GetDownButtonState(), m_gallery_down_bitmap);
    DrawGalleryButton(dc, extension, wnd->GetExtensionButtonState(), m_gallery_extension_bitmap);
}

void wxRibbonMetricArtProvider::DrawMinimisedPanelCommon(wxDC &dc, wxRibbonPanel *wnd, const wxRect &trueRect,
                                                         wxRect *preview_rect)
{
    const bool vertical = (m_flags & wxRIBBON_BAR_FLOW_VERTICAL) != 0;
    wxRect preview(0, 0, 32, 32);
    if (vertical) {
        preview.x = trueRect.x + 4;
        preview.y = trueRect.y + (trueRect.height - 32) / 2;
    } else {
        preview.x = trueRect.x + (trueRect.width - 32) / 2;
        preview.y = trueRect.y + 4;
    }
    if (preview_rect)
        *preview_rect = preview;

    dc.SetFont(m_panel_label_font);
    const wxString label = wnd->GetLabel();
    const wxSize labelSize = LabelExtent(dc, label);
    wxPoint labelPos;
    if (vertical)
        labelPos = wxPoint(preview.x + 37, trueRect.y + (trueRect.height - labelSize.y) / 2);
    else
        labelPos = wxPoint(trueRect.x + (trueRect.width - labelSize.x + 1) / 2, preview.y + 37);
    dc.SetTextForeground(m_panel_minimised_label_colour);
    dc.DrawText(label, labelPos);

    // The arrow says the panel opens in the flow direction.
    wxPoint arrow[3];
    if (vertical) {
        arrow[0] = wxPoint(labelPos.x + labelSize.x + 5, labelPos.y + labelSize.y / 2);
        arrow[1] = arrow[0] + wxPoint(-3, 3);
        arrow[2] = arrow[0] + wxPoint(-3, -3);
    } else {
        arrow[0] = wxPoint(trueRect.width / 2, labelPos.y + labelSize.y + 5);
        arrow[1] = arrow[0] + wxPoint(-3, -3);
        arrow[2] = arrow[0] + wxPoint(3, -3);
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(m_panel_minimised_label_colour));
    dc.DrawPolygon(3, arrow, trueRect.x, trueRect.y);
}

void wxRibbonMetricArtProvider::DrawMinimisedPanel(wxDC &dc, wxRibbonPanel *wnd, const wxRect &rect,
                                                   wxBitmap &bitmap)
{
    DrawPartialPageBackground(dc, wnd, rect, false);
    wxRect trueRect = rect;
    RemovePanelPadding(&trueRect);

    if (wnd->GetExpandedPanel() != nullptr) {
        wxRect client(trueRect.x + 1, trueRect.y + 1, trueRect.width - 2, 0);
        client.height = rect.y + rect.height / 5 - client.y;
        dc.GradientFillLinear(client, m_panel_active_background_top_colour,
                              m_panel_active_background_top_gradient_colour, wxSOUTH);
        wxRect below(client.x, client.y + client.height, client.width, 0);
        below.height = trueRect.y + trueRect.height - below.y;
        dc.GradientFillLinear(below, m_panel_active_background_colour, m_panel_active_background_gradient_colour,
                              wxSOUTH);
    } else if (wnd->IsHovered()) {
        wxRect client(trueRect.x + 1, trueRect.y + 1, trueRect.width - 2, trueRect.height - 2);
        DrawPartialPageBackground(dc, wnd, client, true);
    }

    wxRect preview;
    DrawMinimisedPanelCommon(dc, wnd, trueRect, &preview);

    dc.SetBrush(m_panel_hover_label_background_brush);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(preview.x + 1, preview.y + preview.height - 8, preview.width - 2, 7);

    const int mid = rect.y + rect.height / 5 - preview.y;
    if (mid < 0) {
        wxRect fill(preview.x + 1, preview.y + 1, preview.width - 2, preview.height - 9);
        dc.GradientFillLinear(fill, m_page_hover_background_colour, m_page_hover_background_gradient_colour,
                              wxSOUTH);
    } else if (mid >= preview.height) {
        wxRect fill(preview.x + 1, preview.y + 1, preview.width - 2, preview.height - 9);
        dc.GradientFillLinear(fill, m_page_hover_background_top_colour,
                              m_page_hover_background_top_gradient_colour, wxSOUTH);
    } else {
        wxRect top(preview.x + 1, preview.y + 1, preview.width - 2, mid);
        dc.GradientFillLinear(top, m_page_hover_background_top_colour,
                              m_page_hover_background_top_gradient_colour, wxSOUTH);
        wxRect bottom(preview.x + 1, preview.y + mid, preview.width - 2, preview.height - 7 - mid);
        dc.GradientFillLinear(bottom, m_page_hover_background_colour, m_page_hover_background_gradient_colour,
                              wxSOUTH);
    }

    if (bitmap.IsOk())
        dc.DrawBitmap(bitmap, preview.x + (preview.width - bitmap.GetWidth()) / 2,
                      preview.y + (preview.height - 7 - bitmap.GetHeight()) / 2, true);

    DrawPanelBorder(dc, preview, m_panel_border_pen, m_panel_border_gradient_pen);
    DrawPanelBorder(dc, trueRect, m_panel_minimised_border_pen, m_panel_minimised_border_gradient_pen);
}

void wxRibbonMetricArtProvider::DrawButtonBarBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect)
{
    DrawPartialPageBackground(dc, wnd, rect, true);
}

void wxRibbonMetricArtProvider::DrawToolBarBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect)
{
    DrawPartialPageBackground(dc, wnd, rect, true);
}

void wxRibbonMetricArtProvider::DrawButtonBarButton(wxDC &dc, wxWindow *, const wxRect &rect,
                                                    wxRibbonButtonKind kind, long state, const wxString &label,
                                                    const wxBitmap &bitmap_large, const wxBitmap &bitmap_small)
{
    if (kind == wxRIBBON_BUTTON_TOGGLE) {
        kind = wxRIBBON_BUTTON_NORMAL;
        if (state & wxRIBBON_BUTTONBAR_BUTTON_TOGGLED)
            state ^= wxRIBBON_BUTTONBAR_BUTTON_ACTIVE_MASK;
    }

    if (state & (wxRIBBON_BUTTONBAR_BUTTON_HOVER_MASK | wxRIBBON_BUTTONBAR_BUTTON_ACTIVE_MASK)) {
        const bool active = (state & wxRIBBON_BUTTONBAR_BUTTON_ACTIVE_MASK) != 0;
        dc.SetPen(active ? m_button_bar_active_border_pen : m_button_bar_hover_border_pen);

        wxRect background(rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2);
        wxRect top = background;
        top.height = background.height / 3;
        wxRect bottom = background;
        bottom.y += top.height;
        bottom.height -= top.height;

        if (kind == wxRIBBON_BUTTON_HYBRID) {
            const bool normalHovered = (state & wxRIBBON_BUTTONBAR_BUTTON_NORMAL_HOVERED) != 0;
            switch (state & wxRIBBON_BUTTONBAR_BUTTON_SIZE_MASK) {
            case wxRIBBON_BUTTONBAR_BUTTON_LARGE: {
                const int split = rect.y + bitmap_large.GetHeight() + 4;
                dc.DrawLine(rect.x, split, rect.x + rect.width, split);
                // Each band is cut to the half of the button under the pointer.
                for (wxRect *band : {&top, &bottom}) {
                    int y0 = band->y, y1 = band->y + band->height;
                    if (normalHovered)
                        y1 = std::min(y1, split - 1);
                    else
                        y0 = std::max(y0, split + 1);
                    band->y = y0;
                    band->height = std::max(0, y1 - y0);
                }
                break;
            }
            case wxRIBBON_BUTTONBAR_BUTTON_MEDIUM: {
                if (normalHovered) {
                    top.width -= 9;
                    bottom.width -= 9;
                    const int x = top.x + top.width;
                    dc.DrawLine(x, rect.y, x, rect.y + rect.height);
                } else {
                    const int x = background.x + background.width - 8;
                    top.x = bottom.x = x;
                    top.width = bottom.width = 8;
                    dc.DrawLine(x - 1, rect.y, x - 1, rect.y + rect.height);
                }
                break;
            }
            default:
                break;
            }
        }

        if (active) {
            dc.GradientFillLinear(top, m_button_bar_active_background_top_colour,
                                  m_button_bar_active_background_top_gradient_colour, wxSOUTH);
            dc.GradientFillLinear(bottom, m_button_bar_active_background_colour,
                                  m_button_bar_active_background_gradient_colour, wxSOUTH);
        } else {
            dc.GradientFillLinear(top, m_button_bar_hover_background_top_colour,
                                  m_button_bar_hover_background_top_gradient_colour, wxSOUTH);
            dc.GradientFillLinear(bottom, m_button_bar_hover_background_colour,
                                  m_button_bar_hover_background_gradient_colour, wxSOUTH);
        }

        const int w = rect.width, h = rect.height;
        const wxPoint outline[] = {wxPoint(2, 0),         wxPoint(w - 3, 0),     wxPoint(w - 1, 2),
                                   wxPoint(w - 1, h - 3), wxPoint(w - 3, h - 1), wxPoint(2, h - 1),
                                   wxPoint(0, h - 3),     wxPoint(0, 2),         wxPoint(2, 0)};
        dc.DrawLines(9, outline, rect.x, rect.y);
    }

    dc.SetFont(m_button_bar_label_font);
    dc.SetTextForeground((state & wxRIBBON_BUTTONBAR_BUTTON_DISABLED) ? m_button_bar_label_disabled_colour
                                                                       : m_button_bar_label_colour);
    DrawButtonBarButtonForeground(dc, rect, kind, state, label, bitmap_large, bitmap_small);
}

void wxRibbonMetricArtProvider::DrawButtonBarButtonForeground(wxDC &dc, const wxRect &rect, wxRibbonButtonKind kind,
                                                              long state, const wxString &label,
                                                              const wxBitmap &bitmap_large,
                                                              const wxBitmap &bitmap_small)
{
    const wxColour arrowColour = dc.GetTextForeground();
    switch (state & wxRIBBON_BUTTONBAR_BUTTON_SIZE_MASK) {
    case wxRIBBON_BUTTONBAR_BUTTON_LARGE: {
        const int padding = 2;
        dc.DrawBitmap(bitmap_large, rect.x + (rect.width - bitmap_large.GetWidth()) / 2, rect.y + padding, true);
        int y = rect.y + padding + bitmap_large.GetHeight() + padding;
        const int arrowWidth = kind == wxRIBBON_BUTTON_NORMAL ? 0 : 8;
        const wxSize labelSize = LabelExtent(dc, label);
        if (labelSize.x + 2 * padding <= rect.width) {
            dc.DrawText(label, rect.x + (rect.width - labelSize.x) / 2, y);
            if (arrowWidth != 0)
                DrawDropdownArrow(dc, rect.x + rect.width / 2, y + (labelSize.y * 3) / 2, arrowColour);
            break;
        }
        for (size_t breaki = label.Length(); breaki-- > 0;) {
            if (!wxRibbonCanLabelBreakAtPosition(label, breaki))
                continue;
            const wxString first = label.Mid(0, breaki);
            const wxSize firstSize = LabelExtent(dc, first);
            if (firstSize.x + 2 * padding > rect.width)
                continue;
            dc.DrawText(first, rect.x + (rect.width - firstSize.x) / 2, y);
            y += labelSize.y;
            const wxString rest = label.Mid(breaki + 1);
            const wxSize restSize = LabelExtent(dc, rest);
            const int x = rect.x + (rect.width - restSize.x - arrowWidth) / 2;
            dc.DrawText(rest, x, y);
            if (arrowWidth != 0)
                DrawDropdownArrow(dc, x + 2 + restSize.x, y + restSize.y / 2 + 1, arrowColour);
            break;
        }
        break;
    }
    case wxRIBBON_BUTTONBAR_BUTTON_MEDIUM: {
        const int x = rect.x + 2;
        dc.DrawBitmap(bitmap_small, x, rect.y + (rect.height - bitmap_small.GetHeight()) / 2, true);
        const int textX = x + bitmap_small.GetWidth() + 2;
        const wxSize labelSize = LabelExtent(dc, label);
        dc.DrawText(label, textX, rect.y + (rect.height - labelSize.y) / 2);
        if (kind != wxRIBBON_BUTTON_NORMAL)
            DrawDropdownArrow(dc, textX + labelSize.x + 3, rect.y + rect.height / 2, arrowColour);
        break;
    }
    default:
        break;
    }
}

void wxRibbonMetricArtProvider::DrawDropdownArrow(wxDC &dc, int x, int y, const wxColour &colour)
{
    const wxPoint arrow[] = {wxPoint(1, 2), wxPoint(-2, -1), wxPoint(4, -1)};
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(colour));
    dc.DrawPolygon(3, arrow, x, y, wxODDEVEN_RULE);
}

void wxRibbonMetricArtProvider::DrawToggleButton(wxDC &dc, wxRibbonBar *wnd, const wxRect &rect,
                                                 wxRibbonDisplayMode mode)
{
    DrawPartialPageBackground(dc, wnd, rect, false);
    dc.DestroyClippingRegion();
    dc.SetClippingRegion(rect);

    int index = 0;
    if (wnd->IsToggleButtonHovered()) {
        dc.SetPen(m_ribbon_toggle_pen);
        dc.SetBrush(m_ribbon_toggle_brush);
        dc.DrawRoundedRectangle(rect.x, rect.y, 20, 20, 1.0);
        index = 1;
    }
    switch (mode) {
    case wxRIBBON_BAR_PINNED:
        dc.DrawBitmap(m_ribbon_toggle_up_bitmap[index], rect.x + 7, rect.y + 6, true);
        break;
    case wxRIBBON_BAR_MINIMIZED:
        dc.DrawBitmap(m_ribbon_toggle_down_bitmap[index], rect.x + 7, rect.y + 6, true);
        break;
    case wxRIBBON_BAR_EXPANDED:
        dc.DrawBitmap(m_ribbon_toggle_pin_bitmap[index], rect.x + 4, rect.y + 5, true);
        break;
    }
    dc.DestroyClippingRegion();
}

void wxRibbonMetricArtProvider::DrawHelpButton(wxDC &dc, wxRibbonBar *wnd, const wxRect &rect)
{
    DrawPartialPageBackground(dc, wnd, rect, false);
    dc.DestroyClippingRegion();
    dc.SetClippingRegion(rect);

    int index = 0;
    if (wnd->IsHelpButtonHovered()) {
        dc.SetPen(m_ribbon_toggle_pen);
        dc.SetBrush(m_ribbon_toggle_brush);
        dc.DrawRoundedRectangle(rect.x, rect.y, 20, 20, 1.0);
        index = 1;
    }
    dc.DrawBitmap(m_ribbon_bar_help_button_bitmap[index], rect.x + 4, rect.y + 5, true);
    dc.DestroyClippingRegion();
}

// ---- Notebook tab art -------------------------------------------------------

namespace {

const unsigned char tabCloseBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xE7, 0xF3, 0xCF,
                                      0xF9, 0x9F, 0xFC, 0x3F, 0xFE, 0x3F, 0xFE, 0x9F, 0xFC, 0xCF, 0xF9,
                                      0xE7, 0xF3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const unsigned char tabLeftBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F, 0xFE, 0x3F,
                                     0xFE, 0x1F, 0xFE, 0x0F, 0xFE, 0x1F, 0xFE, 0x3F, 0xFE, 0x7F, 0xFE,
                                     0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const unsigned char tabRightBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDF, 0xFF, 0x9F, 0xFF, 0x1F,
                                      0xFF, 0x1F, 0xFE, 0x1F, 0xFC, 0x1F, 0xFE, 0x1F, 0xFF, 0x9F, 0xFF,
                                      0xDF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const unsigned char tabWindowListBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0x0F, 0xF8, 0xFF, 0xFF, 0x0F, 0xF8, 0x1F, 0xFC, 0x3F, 0xFE,
                                           0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

const int firstPageMenuId = 1000;

// A tab button over its highlight square: pressed buttons sink by `offset`.
void DrawButtons(wxDC &dc, const wxSize &offset, const wxRect &rect, const wxBitmap &bitmap,
                 const wxColour &background, int state)
{
    wxRect r = rect;
    if (state == wxAUI_BUTTON_STATE_PRESSED)
        r.Offset(offset.x, offset.y);
    if (state == wxAUI_BUTTON_STATE_PRESSED || state == wxAUI_BUTTON_STATE_HOVER) {
        dc.SetBrush(wxBrush(background.ChangeLightness(120)));
        dc.SetPen(wxPen(background.ChangeLightness(75)));
        dc.DrawRectangle(r.x, r.y, 16 - offset.x, 16 - offset.y);
    }
    dc.DrawBitmap(bitmap, r.x, r.y, true);
}

} // namespace

MetricTabArtProvider::MetricTabArtProvider()
{
    m_normalFont = *wxNORMAL_FONT;
    m_selectedFont = *wxNORMAL_FONT;
    m_selectedFont.SetWeight(wxFONTWEIGHT_BOLD);
    m_measuringFont = m_selectedFont;

    m_fixedTabWidth = 100;
    m_flags = 0;

    const wxColour base = wxSystemSettings::GetColour(wxSYS_COLOUR_3DFACE);
    m_bkBrush = wxBrush(base);
    m_normalBkBrush = wxBrush(base);
    m_normalBkPen = wxPen(base);
    m_selectedBkBrush = *wxWHITE_BRUSH;
    m_selectedBkPen = *wxWHITE_PEN;

    const wxColour disabled(128, 128, 128);
    m_activeCloseBmp = BitmapFromBits(tabCloseBits, 16, 16, *wxBLACK);
    m_disabledCloseBmp = BitmapFromBits(tabCloseBits, 16, 16, disabled);
    m_activeLeftBmp = BitmapFromBits(tabLeftBits, 16, 16, *wxBLACK);
    m_disabledLeftBmp = BitmapFromBits(tabLeftBits, 16, 16, disabled);
    m_activeRightBmp = BitmapFromBits(tabRightBits, 16, 16, *wxBLACK);
    m_disabledRightBmp = BitmapFromBits(tabRightBits, 16, 16, disabled);
    m_activeWindowListBmp = BitmapFromBits(tabWindowListBits, 16, 16, *wxBLACK);
    m_disabledWindowListBmp = BitmapFromBits(tabWindowListBits, 16, 16, disabled);

    // Black on the white selected tab: white text there would vanish until a
    // caller picked another fill.
    m_normalTextColour = *wxBLACK;
    m_selectedTextColour = *wxBLACK;
}

MetricTabArtProvider::~MetricTabArtProvider() = default;

wxAuiTabArt *MetricTabArtProvider::Clone()
{
    return new MetricTabArtProvider(*this);
}

void MetricTabArtProvider::SetFlags(unsigned int flags)
{
    m_flags = flags;
}

void MetricTabArtProvider::SetSizingInfo(const wxSize &tabCtrlSize, size_t tabCount, wxWindow *)
{
    m_fixedTabWidth = 100;
    int total = tabCtrlSize.x - GetIndentSize() - 4;
    if (m_flags & wxAUI_NB_CLOSE_BUTTON)
        total -= m_activeCloseBmp.GetWidth();
    if (m_flags & wxAUI_NB_WINDOWLIST_BUTTON)
        total -= m_activeWindowListBmp.GetWidth();
    if (tabCount > 0)
        m_fixedTabWidth = total / int(tabCount);
    m_fixedTabWidth = std::max(m_fixedTabWidth, 100);
    m_fixedTabWidth = std::min(m_fixedTabWidth, total / 2);
    m_fixedTabWidth = std::min(m_fixedTabWidth, 220);
}

void MetricTabArtProvider::SetNormalFont(const wxFont &font)
{
    m_normalFont = font;
}

void MetricTabArtProvider::SetSelectedFont(const wxFont &font)
{
    m_selectedFont = font;
}

void MetricTabArtProvider::SetMeasuringFont(const wxFont &font)
{
    m_measuringFont = font;
}

void MetricTabArtProvider::SetColour(const wxColour &colour)
{
    m_bkBrush = wxBrush(colour);
    m_normalBkBrush = wxBrush(colour);
    m_normalBkPen = wxPen(colour);
}

void MetricTabArtProvider::SetActiveColour(const wxColour &colour)
{
    m_selectedBkBrush = wxBrush(colour);
    m_selectedBkPen = wxPen(colour);
}

void MetricTabArtProvider::SetNormalTextColour(const wxColour &colour)
{
    m_normalTextColour = colour;
}

void MetricTabArtProvider::SetSelectedTextColour(const wxColour &colour)
{
    m_selectedTextColour = colour;
}

void MetricTabArtProvider::DrawBorder(wxDC &dc, wxWindow *wnd, const wxRect &rect)
{
    const int n = GetBorderWidth(wnd);
    wxRect r = rect;
    for (int i = 0; i < n; ++i) {
        dc.DrawRectangle(r.x, r.y, r.width, r.height);
        r.Deflate(1);
    }
}

void MetricTabArtProvider::DrawBackground(wxDC &dc, wxWindow *, const wxRect &rect)
{
    dc.SetBrush(m_bkBrush);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(-1, -1, rect.GetWidth() + 2, rect.GetHeight() + 2);
    dc.SetPen(*wxGREY_PEN);
    dc.DrawLine(0, rect.GetHeight() - 1, rect.GetWidth(), rect.GetHeight() - 1);
}

void MetricTabArtProvider::DrawTab(wxDC &dc, wxWindow *wnd, const wxAuiNotebookPage &page, const wxRect &inRect,
                                   int closeButtonState, wxRect *outTabRect, wxRect *outButtonRect, int *xExtent)
{
    const wxString caption = page.caption.IsEmpty() ? wxString("Xj") : page.caption;
    dc.SetFont(m_selectedFont);
    const wxSize selectedSize = LabelExtent(dc, caption);
    dc.SetFont(m_normalFont);
    const wxSize normalSize = LabelExtent(dc, caption);

    const wxSize tabSize = GetTabSize(dc, wnd, page.caption, page.bitmap, page.active, closeButtonState, xExtent);
    const int x = inRect.x, w = tabSize.x, h = tabSize.y;
    const int y = inRect.y + inRect.height - h;

    wxSize textSize;
    if (page.active) {
        dc.SetPen(m_selectedBkPen);
        dc.SetBrush(m_selectedBkBrush);
        dc.SetFont(m_selectedFont);
        dc.SetTextForeground(m_selectedTextColour);
        textSize = selectedSize;
    } else {
        dc.SetPen(m_normalBkPen);
        dc.SetBrush(m_normalBkBrush);
        dc.SetFont(m_normalFont);
        dc.SetTextForeground(m_normalTextColour);
        textSize = normalSize;
    }

    wxPoint shape[7] = {wxPoint(x, y + h - 1), wxPoint(x + h - 3, y + 2), wxPoint(x + h + 3, y),
                        wxPoint(x + w - 2, y), wxPoint(x + w, y + 2),     wxPoint(x + w, y + h - 1)};
    shape[6] = shape[0];
    dc.SetClippingRegion(inRect);
    dc.DrawPolygon(6, shape);
    dc.SetPen(*wxGREY_PEN);
    dc.DrawLines(7, shape);

    const bool closeShown = closeButtonState != wxAUI_BUTTON_STATE_HIDDEN;
    const int closeWidth = closeShown ? m_activeCloseBmp.GetWidth() : 0;
    int textX = closeShown ? x + h / 2 + (w - closeWidth) / 2 - textSize.x / 2 : x + h / 3 + w / 2 - textSize.x / 2;
    textX = std::max(textX, x + h);

    const wxString shown = ChopText(dc, page.caption, w - (textX - x) - closeWidth);
    const int textY = (y + h) / 2 - textSize.y / 2 + 1;
    dc.DrawText(shown, textX, textY);

    if (page.active && wnd && wnd->HasFocus()) {
        wxRect focus(textX, textY, selectedSize.x, selectedSize.y);
        focus.Inflate(2);
        wxRendererNative::Get().DrawFocusRect(wnd, dc, focus, 0);
    }

    if (closeShown) {
        const wxBitmap &bmp = page.active ? m_activeCloseBmp : m_disabledCloseBmp;
        const wxRect rect(x + w - closeWidth - 1, y + h / 2 - bmp.GetHeight() / 2 + 1, closeWidth, h - 1);
        DrawButtons(dc, wxSize(1, 1), rect, bmp, *wxWHITE, closeButtonState);
        if (outButtonRect)
            *outButtonRect = rect;
    }
    if (outTabRect)
        *outTabRect = wxRect(x, y, w, h);
    dc.DestroyClippingRegion();
}

void MetricTabArtProvider::DrawButton(wxDC &dc, wxWindow *, const wxRect &inRect, int bitmapId, int buttonState,
                                      int orientation, wxRect *outRect)
{
    const bool disabled = (buttonState & wxAUI_BUTTON_STATE_DISABLED) != 0;
    wxBitmap bmp;
    switch (bitmapId) {
    case wxAUI_BUTTON_CLOSE:
        bmp = disabled ? m_disabledCloseBmp : m_activeCloseBmp;
        break;
    case wxAUI_BUTTON_LEFT:
        bmp = disabled ? m_disabledLeftBmp : m_activeLeftBmp;
        break;
    case wxAUI_BUTTON_RIGHT:
        bmp = disabled ? m_disabledRightBmp : m_activeRightBmp;
        break;
    case wxAUI_BUTTON_WINDOWLIST:
        bmp = disabled ? m_disabledWindowListBmp : m_activeWindowListBmp;
        break;
    default:
        return;
    }
    if (!bmp.IsOk())
        return;

    wxRect rect(0, (inRect.y + inRect.height) / 2 - bmp.GetHeight() / 2, bmp.GetWidth(), bmp.GetHeight());
    rect.x = orientation == wxLEFT ? inRect.x : inRect.x + inRect.width - bmp.GetWidth();
    DrawButtons(dc, wxSize(1, 1), rect, bmp, *wxWHITE, buttonState);
    if (outRect)
        *outRect = rect;
}

wxSize MetricTabArtProvider::GetTabSize(wxDC &dc, wxWindow *, const wxString &caption, const wxBitmapBundle &, bool,
                                        int closeButtonState, int *xExtent)
{
    dc.SetFont(m_measuringFont);
    const wxSize text = LabelExtent(dc, caption);
    const int height = text.y + 4;
    int width = text.x + height + 5;
    if (closeButtonState != wxAUI_BUTTON_STATE_HIDDEN)
        width += m_activeCloseBmp.GetWidth();
    if (m_flags & wxAUI_NB_TAB_FIXED_WIDTH)
        width = m_fixedTabWidth;
    if (xExtent)
        *xExtent = width - (height / 2) - 1;
    return wxSize(width, height);
}

int MetricTabArtProvider::ShowDropDown(wxWindow *wnd, const wxAuiNotebookPageArray &pages, int activeIdx)
{
    wxMenu menu;
    for (size_t i = 0; i < pages.GetCount(); ++i)
        menu.AppendCheckItem(firstPageMenuId + int(i), pages.Item(i).caption);
    if (activeIdx != -1)
        menu.Check(firstPageMenuId + activeIdx, true);

    wxPoint pt = ::wxGetMousePosition();
    pt = wnd->ScreenToClient(pt);
    pt.x = pt.x < 100 ? 0 : pt.x - 100;
    const wxRect client = wnd->GetClientRect();
    pt.y = client.y + client.height;

    wxAuiCommandCapture *capture = new wxAuiCommandCapture;
    wnd->PushEventHandler(capture);
    wnd->PopupMenu(&menu, pt);
    const int command = capture->GetCommandId();
    wnd->PopEventHandler(true);

    return command >= firstPageMenuId ? command - firstPageMenuId : -1;
}

int MetricTabArtProvider::GetIndentSize()
{
    return 0;
}

int MetricTabArtProvider::GetBorderWidth(wxWindow *wnd)
{
    wxAuiManager *manager = wxAuiManager::GetManager(wnd);
    if (manager && manager->GetArtProvider())
        return manager->GetArtProvider()->GetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE);
    return 1;
}

int MetricTabArtProvider::GetAdditionalBorderSpace(wxWindow *)
{
    return 0;
}

int MetricTabArtProvider::GetBestTabCtrlSize(wxWindow *wnd, const wxAuiNotebookPageArray &, const wxSize &)
{
    wxClientDC dc(wnd);
    dc.SetFont(m_measuringFont);
    int extent = 0;
    const wxSize size =
        GetTabSize(dc, wnd, "ABCDEFGHIj", wxBitmapBundle(), true, wxAUI_BUTTON_STATE_HIDDEN, &extent);
    return size.y + 3;
}

bool wxAuiCommandCapture::ProcessEvent(wxEvent &evt)
{
    if (evt.GetEventType() == wxEVT_MENU) {
        m_lastId = evt.GetId();
        return true;
    }
    if (GetNextHandler())
        return GetNextHandler()->ProcessEvent(evt);
    return false;
}
