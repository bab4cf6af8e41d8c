// The main window's dock art.  The layout of captions, grippers and buttons is
// the toolkit's plain dock look; the colours are its greys and system caption
// colours inverted, which gives dark panes with light captions.
#include "dockart_metric.h"

#include <wx/aui/auibook.h>
#include <wx/dc.h>
#include <wx/image.h>
#include <wx/settings.h>

namespace {

wxColour Inverse(const wxColour &c)
{
    return wxColour(255 - c.Red(), 255 - c.Green(), 255 - c.Blue());
}

// The highlight colour's light companion, used for the gradient end of active
// captions.
wxColour LightContrast(const wxColour &c)
{
    const bool dark = c.Red() < 128 && c.Green() < 128 && c.Blue() < 128;
    return c.ChangeLightness(dark ? 160 : 120);
}

const unsigned char closeBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xCF, 0xF3, 0x9F,
                                   0xF9, 0x3F, 0xFC, 0x7F, 0xFE, 0x3F, 0xFC, 0x9F, 0xF9, 0xCF, 0xF3,
                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const unsigned char maximizeBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0xF0, 0xF7, 0xF7, 0x07,
                                      0xF0, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7,
                                      0x07, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const unsigned char restoreBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x1F, 0xF0, 0x1F, 0xF0, 0xDF,
                                     0xF7, 0x07, 0xF4, 0x07, 0xF4, 0xF7, 0xF5, 0xF7, 0xF1, 0xF7, 0xFD,
                                     0xF7, 0xFD, 0x07, 0xFC, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const unsigned char pinBits[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x1F, 0xFC, 0xDF, 0xFC, 0xDF,
                                 0xFC, 0xDF, 0xFC, 0xDF, 0xFC, 0xDF, 0xFC, 0x0F, 0xF8, 0x7F, 0xFF,
                                 0x7F, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Integer steps so that a caption gradient ends exactly on its end colour.
void DrawGradientRectangle(wxDC &dc, const wxRect &rect, const wxColour &start, const wxColour &end, int direction)
{
    const int rd = end.Red() - start.Red();
    const int gd = end.Green() - start.Green();
    const int bd = end.Blue() - start.Blue();
    const int high = direction == wxAUI_GRADIENT_VERTICAL ? rect.GetHeight() - 1 : rect.GetWidth() - 1;
    for (int i = 0; i <= high; ++i) {
        const int r = high == 0 ? start.Red() : start.Red() + ((i * rd * 100) / high) / 100;
        const int g = high == 0 ? start.Green() : start.Green() + ((i * gd * 100) / high) / 100;
        const int b = high == 0 ? start.Blue() : start.Blue() + ((i * bd * 100) / high) / 100;
        dc.SetPen(wxPen(wxColour(r, g, b)));
        if (direction == wxAUI_GRADIENT_VERTICAL)
            dc.DrawLine(rect.x, rect.y + i, rect.x + rect.width, rect.y + i);
        else
            dc.DrawLine(rect.x + i, rect.y, rect.x + i, rect.y + rect.height);
    }
}

} // namespace

wxBitmap BitmapFromBits(const unsigned char bits[], int width, int height, const wxColour &colour)
{
    wxImage image = wxBitmap(reinterpret_cast<const char *>(bits), width, height).ConvertToImage();
    image.Replace(0, 0, 0, 123, 123, 123);
    image.Replace(255, 255, 255, colour.Red(), colour.Green(), colour.Blue());
    image.SetMaskColour(123, 123, 123);
    return wxBitmap(image);
}

wxString ChopText(wxDC &dc, const wxString &text, int maxSize)
{
    wxCoord x, y;
    dc.GetTextExtent(text, &x, &y);
    if (x <= maxSize)
        return text;
    size_t fitting = 0;
    for (size_t i = 0; i < text.Length(); ++i) {
        dc.GetTextExtent(text.Left(i) + "...", &x, &y);
        if (x > maxSize)
            break;
        fitting = i;
    }
    return text.Left(fitting) + "...";
}

wxAuiMetricDockArt::wxAuiMetricDockArt()
{
    const wxColour grey(192, 192, 192);
    m_baseColour = Inverse(grey);
    const wxColour darker1 = Inverse(grey.ChangeLightness(85));
    const wxColour darker2 = Inverse(grey.ChangeLightness(75));
    const wxColour darker3 = Inverse(grey.ChangeLightness(60));
    const wxColour darker5 = Inverse(grey.ChangeLightness(40));
    const wxColour lighter = Inverse(grey.ChangeLightness(97));

    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    m_activeCaptionColour = Inverse(highlight);
    m_activeCaptionGradientColour = Inverse(LightContrast(highlight));
    m_activeCaptionTextColour = Inverse(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
    m_inactiveCaptionColour = darker1;
    m_inactiveCaptionGradientColour = lighter;
    m_inactiveCaptionTextColour = *wxWHITE;

    m_sashBrush = wxBrush(m_baseColour);
    m_backgroundBrush = wxBrush(m_baseColour);
    m_gripperBrush = wxBrush(m_baseColour);
    m_borderPen = wxPen(darker2);
    m_gripperPen1 = wxPen(darker5);
    m_gripperPen2 = wxPen(darker3);
    m_gripperPen3 = *wxWHITE_PEN;

    m_captionFont = wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false);

    m_borderSize = 1;
    m_captionSize = 17;
    m_sashSize = 4;
    m_buttonSize = 14;
    m_gripperSize = 9;
    m_gradientType = wxAUI_GRADIENT_VERTICAL;

    InitBitmaps();
}

void wxAuiMetricDockArt::InitBitmaps()
{
    m_inactiveCloseBitmap = BitmapFromBits(closeBits, 16, 16, m_inactiveCaptionTextColour);
    m_activeCloseBitmap = BitmapFromBits(closeBits, 16, 16, m_activeCaptionTextColour);
    m_inactiveMaximizeBitmap = BitmapFromBits(maximizeBits, 16, 16, m_inactiveCaptionTextColour);
    m_activeMaximizeBitmap = BitmapFromBits(maximizeBits, 16, 16, m_activeCaptionTextColour);
    m_inactiveRestoreBitmap = BitmapFromBits(restoreBits, 16, 16, m_inactiveCaptionTextColour);
    m_activeRestoreBitmap = BitmapFromBits(restoreBits, 16, 16, m_activeCaptionTextColour);
    m_inactivePinBitmap = BitmapFromBits(pinBits, 16, 16, m_inactiveCaptionTextColour);
    m_activePinBitmap = BitmapFromBits(pinBits, 16, 16, m_activeCaptionTextColour);
}

wxAuiDockArt *wxAuiMetricDockArt::Clone()
{
    return new wxAuiMetricDockArt(*this);
}

int wxAuiMetricDockArt::GetMetric(int id)
{
    switch (id) {
    case wxAUI_DOCKART_SASH_SIZE:
        return m_sashSize;
    case wxAUI_DOCKART_CAPTION_SIZE:
        return m_captionSize;
    case wxAUI_DOCKART_GRIPPER_SIZE:
        return m_gripperSize;
    case wxAUI_DOCKART_PANE_BORDER_SIZE:
        return m_borderSize;
    case wxAUI_DOCKART_PANE_BUTTON_SIZE:
        return m_buttonSize;
    case wxAUI_DOCKART_GRADIENT_TYPE:
        return m_gradientType;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
        return 0;
    }
}

void wxAuiMetricDockArt::SetMetric(int id, int newVal)
{
    switch (id) {
    case wxAUI_DOCKART_SASH_SIZE:
        m_sashSize = newVal;
        break;
    case wxAUI_DOCKART_CAPTION_SIZE:
        m_captionSize = newVal;
        break;
    case wxAUI_DOCKART_GRIPPER_SIZE:
        m_gripperSize = newVal;
        break;
    case wxAUI_DOCKART_PANE_BORDER_SIZE:
        m_borderSize = newVal;
        break;
    case wxAUI_DOCKART_PANE_BUTTON_SIZE:
        m_buttonSize = newVal;
        break;
    case wxAUI_DOCKART_GRADIENT_TYPE:
        m_gradientType = newVal;
        break;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
    }
}

void wxAuiMetricDockArt::SetFont(int id, const wxFont &font)
{
    if (id == wxAUI_DOCKART_CAPTION_FONT)
        m_captionFont = font;
}

wxFont wxAuiMetricDockArt::GetFont(int id)
{
    if (id == wxAUI_DOCKART_CAPTION_FONT)
        return m_captionFont;
    return wxNullFont;
}

wxColour wxAuiMetricDockArt::GetColour(int id)
{
    switch (id) {
    case wxAUI_DOCKART_BACKGROUND_COLOUR:
        return m_backgroundBrush.GetColour();
    case wxAUI_DOCKART_SASH_COLOUR:
        return m_sashBrush.GetColour();
    case wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR:
        return m_inactiveCaptionColour;
    case wxAUI_DOCKART_INACTIVE_CAPTION_GRADIENT_COLOUR:
        return m_inactiveCaptionGradientColour;
    case wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR:
        return m_inactiveCaptionTextColour;
    case wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR:
        return m_activeCaptionColour;
    case wxAUI_DOCKART_ACTIVE_CAPTION_GRADIENT_COLOUR:
        return m_activeCaptionGradientColour;
    case wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR:
        return m_activeCaptionTextColour;
    case wxAUI_DOCKART_BORDER_COLOUR:
        return m_borderPen.GetColour();
    case wxAUI_DOCKART_GRIPPER_COLOUR:
        return m_gripperBrush.GetColour();
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
        return wxColour();
    }
}

void wxAuiMetricDockArt::SetColour(int id, const wxColor &colour)
{
    switch (id) {
    case wxAUI_DOCKART_BACKGROUND_COLOUR:
        m_backgroundBrush.SetColour(colour);
        break;
    case wxAUI_DOCKART_SASH_COLOUR:
        m_sashBrush.SetColour(colour);
        break;
    case wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR:
        m_inactiveCaptionColour = colour;
        break;
    case wxAUI_DOCKART_INACTIVE_CAPTION_GRADIENT_COLOUR:
        m_inactiveCaptionGradientColour = colour;
        break;
    case wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR:
        m_inactiveCaptionTextColour = colour;
        break;
    case wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR:
        m_activeCaptionColour = colour;
        break;
    case wxAUI_DOCKART_ACTIVE_CAPTION_GRADIENT_COLOUR:
        m_activeCaptionGradientColour = colour;
        break;
    case wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR:
        m_activeCaptionTextColour = colour;
        break;
    case wxAUI_DOCKART_BORDER_COLOUR:
        m_borderPen.SetColour(colour);
        break;
    case wxAUI_DOCKART_GRIPPER_COLOUR:
        m_gripperBrush.SetColour(colour);
        m_gripperPen1.SetColour(colour.ChangeLightness(40));
        m_gripperPen2.SetColour(colour.ChangeLightness(60));
        break;
    default:
        wxFAIL_MSG("Invalid Metric Ordinal");
    }
    InitBitmaps();
}

void wxAuiMetricDockArt::DrawSash(wxDC &dc, wxWindow *, int, const wxRect &rect)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(m_sashBrush);
    dc.DrawRectangle(rect);
}

void wxAuiMetricDockArt::DrawBackground(wxDC &dc, wxWindow *, int, const wxRect &rect)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(m_backgroundBrush);
    dc.DrawRectangle(rect);
}

void wxAuiMetricDockArt::DrawBorder(wxDC &dc, wxWindow *window, const wxRect &rect, wxAuiPaneInfo &pane)
{
    dc.SetPen(m_borderPen);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    wxRect r = rect;
    const int n = GetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE);
    if (pane.IsToolbar()) {
        for (int i = 0; i < n; ++i) {
            dc.SetPen(*wxWHITE_PEN);
            dc.DrawLine(r.x, r.y, r.x + r.width, r.y);
            dc.DrawLine(r.x, r.y, r.x, r.y + r.height);
            dc.SetPen(m_borderPen);
            dc.DrawLine(r.x, r.y + r.height - 1, r.x + r.width, r.y + r.height - 1);
            dc.DrawLine(r.x + r.width - 1, r.y, r.x + r.width - 1, r.y + r.height);
            r.Deflate(1);
        }
        return;
    }
    wxAuiNotebook *notebook = dynamic_cast<wxAuiNotebook *>(window);
    if (notebook && notebook->GetArtProvider()) {
        notebook->GetArtProvider()->DrawBorder(dc, window, rect);
        return;
    }
    for (int i = 0; i < n; ++i) {
        dc.DrawRectangle(r.x, r.y, r.width, r.height);
        r.Deflate(1);
    }
}

void wxAuiMetricDockArt::DrawCaptionBackground(wxDC &dc, const wxRect &rect, bool active)
{
    if (m_gradientType == wxAUI_GRADIENT_NONE) {
        dc.SetBrush(wxBrush(active ? m_activeCaptionColour : m_inactiveCaptionColour));
        dc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);
    } else if (active) {
        DrawGradientRectangle(dc, rect, m_activeCaptionGradientColour, m_activeCaptionColour, m_gradientType);
    } else {
        DrawGradientRectangle(dc, rect, m_inactiveCaptionColour, m_inactiveCaptionGradientColour, m_gradientType);
    }
}

void wxAuiMetricDockArt::DrawIcon(wxDC &dc, wxWindow *window, const wxRect &rect, wxAuiPaneInfo &pane)
{
    const wxBitmap icon = pane.icon.GetBitmapFor(window);
    dc.DrawBitmap(icon, rect.x + 2, rect.y + (rect.height - icon.GetHeight()) / 2, true);
}

void wxAuiMetricDockArt::DrawCaption(wxDC &dc, wxWindow *window, const wxString &text, const wxRect &rect,
                                     wxAuiPaneInfo &pane)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetFont(m_captionFont);
    const bool active = pane.HasFlag(wxAuiPaneInfo::optionActive);
    DrawCaptionBackground(dc, rect, active);

    int captionOffset = 0;
    if (pane.icon.IsOk()) {
        DrawIcon(dc, window, rect, pane);
        captionOffset += pane.icon.GetBitmapFor(window).GetWidth() + 3;
    }
    dc.SetTextForeground(active ? m_activeCaptionTextColour : m_inactiveCaptionTextColour);

    wxCoord w, h;
    dc.GetTextExtent("ABCDEFHXfgkj", &w, &h);

    int clipWidth = rect.width - 3 - 2;
    if (pane.HasCloseButton())
        clipWidth -= m_buttonSize;
    if (pane.HasPinButton())
        clipWidth -= m_buttonSize;
    if (pane.HasMaximizeButton())
        clipWidth -= m_buttonSize;

    const wxString drawText = ChopText(dc, text, clipWidth);
    dc.SetClippingRegion(rect.x, rect.y, clipWidth, rect.height);
    dc.DrawText(drawText, rect.x + 3 + captionOffset, rect.y + rect.height / 2 - h / 2 - 1);
    dc.DestroyClippingRegion();
}

void wxAuiMetricDockArt::DrawGripper(wxDC &dc, wxWindow *, const wxRect &rect, wxAuiPaneInfo &pane)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(m_gripperBrush);
    dc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);

    if (!pane.HasGripperTop()) {
        for (int d = 5;; d += 4) {
            const int x = rect.x, y = rect.y + d;
            dc.SetPen(m_gripperPen1);
            dc.DrawPoint(x + 3, y);
            dc.SetPen(m_gripperPen2);
            dc.DrawPoint(x + 3, y + 1);
            dc.DrawPoint(x + 4, y);
            dc.SetPen(m_gripperPen3);
            dc.DrawPoint(x + 5, y + 1);
            dc.DrawPoint(x + 5, y + 2);
            dc.DrawPoint(x + 4, y + 2);
            if (d + 4 >= rect.height - 4)
                break;
        }
    } else {
        for (int d = 5;; d += 4) {
            const int x = rect.x + d, y = rect.y;
            dc.SetPen(m_gripperPen1);
            dc.DrawPoint(x, y + 3);
            dc.SetPen(m_gripperPen2);
            dc.DrawPoint(x + 1, y + 3);
            dc.DrawPoint(x, y + 4);
            dc.SetPen(m_gripperPen3);
            dc.DrawPoint(x + 1, y + 5);
            dc.DrawPoint(x + 2, y + 5);
            dc.DrawPoint(x + 2, y + 4);
            if (d + 4 >= rect.width - 4)
                break;
        }
    }
}

void wxAuiMetricDockArt::DrawPaneButton(wxDC &dc, wxWindow *, int button, int buttonState, const wxRect &rect,
                                        wxAuiPaneInfo &pane)
{
    const bool active = pane.HasFlag(wxAuiPaneInfo::optionActive);
    wxBitmap bmp;
    if (button == wxAUI_BUTTON_MAXIMIZE_RESTORE) {
        if (pane.IsMaximized())
            bmp = active ? m_activeRestoreBitmap : m_inactiveRestoreBitmap;
        else
            bmp = active ? m_activeMaximizeBitmap : m_inactiveMaximizeBitmap;
    } else if (button == wxAUI_BUTTON_PIN) {
        bmp = active ? m_activePinBitmap : m_inactivePinBitmap;
    } else {
        bmp = active ? m_activeCloseBitmap : m_inactiveCloseBitmap;
    }

    int x = rect.x;
    int y = rect.y + rect.height / 2 - bmp.GetHeight() / 2;
    if (buttonState == wxAUI_BUTTON_STATE_PRESSED || buttonState == wxAUI_BUTTON_STATE_HOVER) {
        if (buttonState == wxAUI_BUTTON_STATE_PRESSED) {
            ++x;
            ++y;
        }
        const wxColour base = active ? m_activeCaptionColour : m_inactiveCaptionColour;
        dc.SetBrush(wxBrush(base.ChangeLightness(120)));
        dc.SetPen(wxPen(base.ChangeLightness(70)));
        dc.DrawRectangle(x, y, 15, 15);
    }
    dc.DrawBitmap(bmp, x, y, true);
}
