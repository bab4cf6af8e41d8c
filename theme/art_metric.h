// The program's own art: the dark ribbon of the main window and a dark-text
// tab art for AUI notebooks.
#ifndef CORVANE_ART_METRIC_H
#define CORVANE_ART_METRIC_H

#include <wx/aui/auibook.h>
#include <wx/aui/tabart.h>
#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/event.h>
#include <wx/font.h>
#include <wx/pen.h>
#include <wx/ribbon/art.h>
#include <wx/ribbon/art_internal.h>

class wxRibbonPage;

// Draws the ribbon bar in a dark scheme: every colour follows from a dark grey
// primary and a dark cyan secondary colour.
class wxRibbonMetricArtProvider : public wxRibbonArtProvider
{
public:
    explicit wxRibbonMetricArtProvider(bool set_colour_scheme = true);
    ~wxRibbonMetricArtProvider() override;

    wxRibbonArtProvider *Clone() const override;
    void SetFlags(long flags) override;
    long GetFlags() const override;
    int GetMetric(int id) const override;
    void SetMetric(int id, int new_val) override;
    void SetFont(int id, const wxFont &font) override;
    wxFont GetFont(int id) const override;
    wxColour GetColour(int id) const override;
    void SetColour(int id, const wxColor &colour) override;
    void GetColourScheme(wxColour *primary, wxColour *secondary, wxColour *tertiary) const override;
    void SetColourScheme(const wxColour &primary, const wxColour &secondary, const wxColour &tertiary) override;

    void DrawTabCtrlBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawTab(wxDC &dc, wxWindow *wnd, const wxRibbonPageTabInfo &tab) override;
    void DrawTabSeparator(wxDC &dc, wxWindow *wnd, const wxRect &rect, double visibility) override;
    void DrawPageBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawScrollButton(wxDC &dc, wxWindow *wnd, const wxRect &rect, long style) override;
    void DrawPanelBackground(wxDC &dc, wxRibbonPanel *wnd, const wxRect &rect) override;
    void DrawGalleryBackground(wxDC &dc, wxRibbonGallery *wnd, const wxRect &rect) override;
    void DrawGalleryItemBackground(wxDC &dc, wxRibbonGallery *wnd, const wxRect &rect,
                                   wxRibbonGalleryItem *item) override;
    void DrawMinimisedPanel(wxDC &dc, wxRibbonPanel *wnd, const wxRect &rect, wxBitmap &bitmap) override;
    void DrawButtonBarBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawButtonBarButton(wxDC &dc, wxWindow *wnd, const wxRect &rect, wxRibbonButtonKind kind, long state,
                             const wxString &label, const wxBitmap &bitmap_large,
                             const wxBitmap &bitmap_small) override;
    void DrawToolBarBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawToolGroupBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawTool(wxDC &dc, wxWindow *wnd, const wxRect &rect, const wxBitmap &bitmap, wxRibbonButtonKind kind,
                  long state) override;
    void DrawToggleButton(wxDC &dc, wxRibbonBar *wnd, const wxRect &rect, wxRibbonDisplayMode mode) override;
    void DrawHelpButton(wxDC &dc, wxRibbonBar *wnd, const wxRect &rect) override;

    void GetBarTabWidth(wxDC &dc, wxWindow *wnd, const wxString &label, const wxBitmap &bitmap, int *ideal,
                        int *small_begin_need_separator, int *small_must_have_separator, int *minimum) override;
    int GetTabCtrlHeight(wxDC &dc, wxWindow *wnd, const wxRibbonPageTabInfoArray &pages) override;
    wxSize GetScrollButtonMinimumSize(wxDC &dc, wxWindow *wnd, long style) override;
    wxSize GetPanelSize(wxDC &dc, const wxRibbonPanel *wnd, wxSize client_size, wxPoint *client_offset) override;
    wxSize GetPanelClientSize(wxDC &dc, const wxRibbonPanel *wnd, wxSize size, wxPoint *client_offset) override;
    wxRect GetPanelExtButtonArea(wxDC &dc, const wxRibbonPanel *wnd, wxRect rect) override;
    wxSize GetGallerySize(wxDC &dc, const wxRibbonGallery *wnd, wxSize client_size) override;
    wxSize GetGalleryClientSize(wxDC &dc, const wxRibbonGallery *wnd, wxSize size, wxPoint *client_offset,
                                wxRect *scroll_up_button, wxRect *scroll_down_button,
                                wxRect *extension_button) override;
    wxRect GetPageBackgroundRedrawArea(wxDC &dc, const wxRibbonPage *wnd, wxSize page_old_size,
                                       wxSize page_new_size) override;
    bool GetButtonBarButtonSize(wxDC &dc, wxWindow *wnd, wxRibbonButtonKind kind, wxRibbonButtonBarButtonState size,
                                const wxString &label, wxCoord text_min_width, wxSize bitmap_size_large,
                                wxSize bitmap_size_small, wxSize *button_size, wxRect *normal_region,
                                wxRect *dropdown_region) override;
    wxCoord GetButtonBarButtonTextWidth(wxDC &dc, const wxString &label, wxRibbonButtonKind kind,
                                        wxRibbonButtonBarButtonState size) override;
    wxSize GetMinimisedPanelMinimumSize(wxDC &dc, const wxRibbonPanel *wnd, wxSize *desired_bitmap_size,
                                        wxDirection *expanded_panel_direction) override;
    wxSize GetToolSize(wxDC &dc, wxWindow *wnd, wxSize bitmap_size, wxRibbonButtonKind kind, bool is_first,
                       bool is_last, wxRect *dropdown_region) override;
    wxRect GetBarToggleButtonArea(const wxRect &rect) override;
    wxRect GetRibbonHelpButtonArea(const wxRect &rect) override;

    virtual void DrawGalleryButton(wxDC &dc, wxRect rect, wxRibbonGalleryButtonState state, wxBitmap *bitmaps);

protected:
    void CloneTo(wxRibbonMetricArtProvider *copy) const;
    void ReallyDrawTabSeparator(wxWindow *wnd, const wxRect &rect, double visibility);
    void DrawPartialPageBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect, bool allow_hovered = true);
    void DrawPartialPageBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect, wxRibbonPage *page,
                                   wxPoint offset, bool hovered = false);
    void DrawPanelBorder(wxDC &dc, const wxRect &rect, wxPen &primary_colour, wxPen &secondary_colour);
    void RemovePanelPadding(wxRect *rect);
    void DrawDropdownArrow(wxDC &dc, int x, int y, const wxColour &colour);
    void DrawGalleryBackgroundCommon(wxDC &dc, wxRibbonGallery *wnd, const wxRect &rect);
    void DrawMinimisedPanelCommon(wxDC &dc, wxRibbonPanel *wnd, const wxRect &rect, wxRect *preview_rect);
    void DrawButtonBarButtonForeground(wxDC &dc, const wxRect &rect, wxRibbonButtonKind kind, long state,
                                       const wxString &label, const wxBitmap &bitmap_large,
                                       const wxBitmap &bitmap_small);

    wxBitmap m_cached_tab_separator;
    wxBitmap m_gallery_up_bitmap[4];
    wxBitmap m_gallery_down_bitmap[4];
    wxBitmap m_gallery_extension_bitmap[4];
    wxBitmap m_toolbar_drop_bitmap;
    wxBitmap m_panel_extension_bitmap[2];
    wxBitmap m_ribbon_toggle_up_bitmap[2];
    wxBitmap m_ribbon_toggle_down_bitmap[2];
    wxBitmap m_ribbon_toggle_pin_bitmap[2];
    wxBitmap m_ribbon_bar_help_button_bitmap[2];

    wxColour m_primary_scheme_colour;
    wxColour m_secondary_scheme_colour;
    wxColour m_tertiary_scheme_colour;
    wxColour m_button_bar_label_colour;
    wxColour m_button_bar_label_disabled_colour;
    wxColour m_tab_label_colour;
    wxColour m_tab_separator_colour;
    wxColour m_tab_separator_gradient_colour;
    wxColour m_tab_active_background_colour;
    wxColour m_tab_active_background_gradient_colour;
    wxColour m_tab_hover_background_colour;
    wxColour m_tab_hover_background_gradient_colour;
    wxColour m_tab_hover_background_top_colour;
    wxColour m_tab_hover_background_top_gradient_colour;
    wxColour m_panel_label_colour;
    wxColour m_panel_minimised_label_colour;
    wxColour m_panel_hover_label_colour;
    wxColour m_panel_active_background_colour;
    wxColour m_panel_active_background_gradient_colour;
    wxColour m_panel_active_background_top_colour;
    wxColour m_panel_active_background_top_gradient_colour;
    wxColour m_panel_button_face_colour;
    wxColour m_panel_button_hover_face_colour;
    wxColour m_page_toggle_face_colour;
    wxColour m_page_toggle_hover_face_colour;
    wxColour m_page_background_colour;
    wxColour m_page_background_gradient_colour;
    wxColour m_page_background_top_colour;
    wxColour m_page_background_top_gradient_colour;
    wxColour m_page_hover_background_colour;
    wxColour m_page_hover_background_gradient_colour;
    wxColour m_page_hover_background_top_colour;
    wxColour m_page_hover_background_top_gradient_colour;
    wxColour m_button_bar_hover_background_colour;
    wxColour m_button_bar_hover_background_gradient_colour;
    wxColour m_button_bar_hover_background_top_colour;
    wxColour m_button_bar_hover_background_top_gradient_colour;
    wxColour m_button_bar_active_background_colour;
    wxColour m_button_bar_active_background_gradient_colour;
    wxColour m_button_bar_active_background_top_colour;
    wxColour m_button_bar_active_background_top_gradient_colour;
    wxColour m_gallery_button_background_colour;
    wxColour m_gallery_button_background_gradient_colour;
    wxColour m_gallery_button_hover_background_colour;
    wxColour m_gallery_button_hover_background_gradient_colour;
    wxColour m_gallery_button_active_background_colour;
    wxColour m_gallery_button_active_background_gradient_colour;
    wxColour m_gallery_button_disabled_background_colour;
    wxColour m_gallery_button_disabled_background_gradient_colour;
    wxColour m_gallery_button_face_colour;
    wxColour m_gallery_button_hover_face_colour;
    wxColour m_gallery_button_active_face_colour;
    wxColour m_gallery_button_disabled_face_colour;
    wxColour m_tool_face_colour;
    wxColour m_tool_background_top_colour;
    wxColour m_tool_background_top_gradient_colour;
    wxColour m_tool_background_colour;
    wxColour m_tool_background_gradient_colour;
    wxColour m_tool_hover_background_top_colour;
    wxColour m_tool_hover_background_top_gradient_colour;
    wxColour m_tool_hover_background_colour;
    wxColour m_tool_hover_background_gradient_colour;
    wxColour m_tool_active_background_top_colour;
    wxColour m_tool_active_background_top_gradient_colour;
    wxColour m_tool_active_background_colour;
    wxColour m_tool_active_background_gradient_colour;

    wxBrush m_tab_ctrl_background_brush;
    wxBrush m_panel_label_background_brush;
    wxBrush m_panel_hover_label_background_brush;
    wxBrush m_panel_hover_button_background_brush;
    wxBrush m_gallery_hover_background_brush;
    wxBrush m_gallery_button_background_top_brush;
    wxBrush m_gallery_button_hover_background_top_brush;
    wxBrush m_gallery_button_active_background_top_brush;
    wxBrush m_gallery_button_disabled_background_top_brush;
    wxBrush m_ribbon_toggle_brush;

    wxFont m_tab_label_font;
    wxFont m_panel_label_font;
    wxFont m_button_bar_label_font;

    wxPen m_page_border_pen;
    wxPen m_panel_border_pen;
    wxPen m_panel_border_gradient_pen;
    wxPen m_panel_minimised_border_pen;
    wxPen m_panel_minimised_border_gradient_pen;
    wxPen m_panel_hover_button_border_pen;
    wxPen m_tab_border_pen;
    wxPen m_button_bar_hover_border_pen;
    wxPen m_button_bar_active_border_pen;
    wxPen m_gallery_border_pen;
    wxPen m_gallery_item_border_pen;
    wxPen m_toolbar_border_pen;
    wxPen m_ribbon_toggle_pen;

    double m_cached_tab_separator_visibility;
    long m_flags;

    int m_tab_separation_size;
    int m_page_border_left;
    int m_page_border_top;
    int m_page_border_right;
    int m_page_border_bottom;
    int m_panel_x_separation_size;
    int m_panel_y_separation_size;
    int m_tool_group_separation_size;
    int m_gallery_bitmap_padding_left_size;
    int m_gallery_bitmap_padding_right_size;
    int m_gallery_bitmap_padding_top_size;
    int m_gallery_bitmap_padding_bottom_size;
    int m_toggle_button_offset;
    int m_help_button_offset;
};

// Plain slanted notebook tabs with text colours of their own for normal and
// selected tabs.  No window of the program installs it.
class MetricTabArtProvider : public wxAuiTabArt
{
public:
    MetricTabArtProvider();
    ~MetricTabArtProvider() override;

    wxAuiTabArt *Clone() override;
    void SetFlags(unsigned int flags) override;
    void SetSizingInfo(const wxSize &tabCtrlSize, size_t tabCount, wxWindow *wnd = nullptr) override;
    void SetNormalFont(const wxFont &font) override;
    void SetSelectedFont(const wxFont &font) override;
    void SetMeasuringFont(const wxFont &font) override;
    void SetColour(const wxColour &colour) override;
    void SetActiveColour(const wxColour &colour) override;
    void DrawBorder(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawBackground(wxDC &dc, wxWindow *wnd, const wxRect &rect) override;
    void DrawTab(wxDC &dc, wxWindow *wnd, const wxAuiNotebookPage &pane, const wxRect &inRect,
                 int closeButtonState, wxRect *outTabRect, wxRect *outButtonRect, int *xExtent) override;
    void DrawButton(wxDC &dc, wxWindow *wnd, const wxRect &inRect, int bitmapId, int buttonState, int orientation,
                    wxRect *outRect) override;
    wxSize GetTabSize(wxDC &dc, wxWindow *wnd, const wxString &caption, const wxBitmapBundle &bitmap, bool active,
                      int closeButtonState, int *xExtent) override;
    int ShowDropDown(wxWindow *wnd, const wxAuiNotebookPageArray &items, int activeIdx) override;
    int GetIndentSize() override;
    int GetBorderWidth(wxWindow *wnd) override;
    int GetAdditionalBorderSpace(wxWindow *wnd) override;
    int GetBestTabCtrlSize(wxWindow *wnd, const wxAuiNotebookPageArray &pages,
                           const wxSize &requiredBmpSize) override;

    void SetNormalTextColour(const wxColour &colour);
    void SetSelectedTextColour(const wxColour &colour);

protected:
    wxFont m_normalFont;
    wxFont m_selectedFont;
    wxFont m_measuringFont;
    wxPen m_normalBkPen;
    wxPen m_selectedBkPen;
    wxBrush m_normalBkBrush;
    wxBrush m_selectedBkBrush;
    wxBrush m_bkBrush;
    wxBitmap m_activeCloseBmp;
    wxBitmap m_disabledCloseBmp;
    wxBitmap m_activeLeftBmp;
    wxBitmap m_disabledLeftBmp;
    wxBitmap m_activeRightBmp;
    wxBitmap m_disabledRightBmp;
    wxBitmap m_activeWindowListBmp;
    wxBitmap m_disabledWindowListBmp;
    int m_fixedTabWidth;
    unsigned int m_flags;
    wxColour m_normalTextColour;
    wxColour m_selectedTextColour;
};

// Catches the menu choice of a pop-up menu shown by the tab art, so that the
// choice is returned instead of being sent on as a command.
class wxAuiCommandCapture : public wxEvtHandler
{
public:
    wxAuiCommandCapture() : m_lastId(0) {}
    int GetCommandId() const { return m_lastId; }
    bool ProcessEvent(wxEvent &evt) override;

private:
    int m_lastId;
};

#endif
