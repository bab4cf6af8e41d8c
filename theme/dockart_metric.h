// The dark look of the main window's docking panes: the toolkit's plain dock
// look with every grey and every system caption colour turned to its inverse.
#ifndef CORVANE_DOCKART_METRIC_H
#define CORVANE_DOCKART_METRIC_H

#include <wx/font.h>
#include <wx/aui/framemanager.h>
#include <wx/aui/dockart.h>
#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/font.h>
#include <wx/pen.h>

// A bitmap from a 16 x 16 one-bit pattern (XBM order, 0 = drawn): drawn pixels
// in `colour`, the rest masked out.  Shared by the dock art and the tab art.
wxBitmap BitmapFromBits(const unsigned char bits[], int width, int height, const wxColour &colour);

// `text` shortened with "..." to fit `maxSize` pixels in the dc's font.
wxString ChopText(wxDC &dc, const wxString &text, int maxSize);

class wxAuiMetricDockArt : public wxAuiDockArt
{
public:
    wxAuiMetricDockArt();

    wxAuiDockArt *Clone() override;
    int GetMetric(int id) override;
    void SetMetric(int id, int newVal) override;
    void SetFont(int id, const wxFont &font) override;
    wxFont GetFont(int id) override;
    wxColour GetColour(int id) override;
    void SetColour(int id, const wxColor &colour) override;

    void DrawSash(wxDC &dc, wxWindow *window, int orientation, const wxRect &rect) override;
    void DrawBackground(wxDC &dc, wxWindow *window, int orientation, const wxRect &rect) override;
    void DrawCaption(wxDC &dc, wxWindow *window, const wxString &text, const wxRect &rect,
                     wxAuiPaneInfo &pane) override;
    void DrawGripper(wxDC &dc, wxWindow *window, const wxRect &rect, wxAuiPaneInfo &pane) override;
    void DrawBorder(wxDC &dc, wxWindow *window, const wxRect &rect, wxAuiPaneInfo &pane) override;
    void DrawPaneButton(wxDC &dc, wxWindow *window, int button, int buttonState, const wxRect &rect,
                        wxAuiPaneInfo &pane) override;

    void InitBitmaps();

protected:
    void DrawCaptionBackground(wxDC &dc, const wxRect &rect, bool active);
    void DrawIcon(wxDC &dc, wxWindow *window, const wxRect &rect, wxAuiPaneInfo &pane);

    wxPen m_borderPen;
    wxBrush m_sashBrush;
    wxBrush m_backgroundBrush;
    wxBrush m_gripperBrush;
    wxFont m_captionFont;
    wxBitmap m_inactiveCloseBitmap;
    wxBitmap m_inactivePinBitmap;
    wxBitmap m_inactiveMaximizeBitmap;
    wxBitmap m_inactiveRestoreBitmap;
    wxBitmap m_activeCloseBitmap;
    wxBitmap m_activePinBitmap;
    wxBitmap m_activeMaximizeBitmap;
    wxBitmap m_activeRestoreBitmap;
    wxPen m_gripperPen1;
    wxPen m_gripperPen2;
    wxPen m_gripperPen3;
    wxColour m_baseColour;
    wxColour m_activeCaptionColour;
    wxColour m_activeCaptionGradientColour;
    wxColour m_activeCaptionTextColour;
    wxColour m_inactiveCaptionColour;
    wxColour m_inactiveCaptionGradientColour;
    wxColour m_inactiveCaptionTextColour;
    int m_borderSize;
    int m_captionSize;
    int m_sashSize;
    int m_buttonSize;
    int m_gripperSize;
    int m_gradientType;
};

#endif
