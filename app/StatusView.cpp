#include "StatusView.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/toplevel.h>

wxBEGIN_EVENT_TABLE(StatusView, wxPanel)
wxEND_EVENT_TABLE()

// The grip answers in the bottom-right square of this size.
static const int GRIP_SIZE = 19;

StatusView::StatusView(wxWindow *parent, wxWindowID id, const wxPoint &, const wxSize &, long, const wxString &)
    : m_fraction(0.0), m_percent(0), m_frame(parent), m_lastX(0), m_lastY(0), m_dragging(false),
      m_gripState(GRIP_NORMAL)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "id");
    Bind(wxEVT_PAINT, &StatusView::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &StatusView::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &StatusView::OnLeftUp, this);
    Bind(wxEVT_MOTION, &StatusView::OnMotion, this);
    Bind(wxEVT_SIZE, &StatusView::OnSize, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &StatusView::OnCaptureLost, this);
}

void StatusView::SetStatusText(int index, const wxString &text)
{
    if (index < 0 || index >= TEXT_COUNT)
        return;
    m_texts[index] = text;
    Refresh(false);
}

// The percentage is kept as given: percent / 100.0 x 100 does not always
// come back as the same whole number.
void StatusView::SetProgress(int percent, const wxString &message)
{
    m_percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    m_message = message;
    m_fraction = m_percent / 100.0;
    m_showPercent = true;
    Refresh(false);
}

void StatusView::ShowMessage(const wxString &message)
{
    SetProgress(0, message);
    m_showPercent = false;
}

wxString StatusView::GetStatusText(int index) const
{
    return index >= 0 && index < TEXT_COUNT ? m_texts[index] : wxString();
}

wxString StatusView::GetProgressLabel() const
{
    if (m_message.empty())
        return wxString();
    if (!m_showPercent)
        return m_message;
    return m_message + wxString::Format("[%d%%]", m_percent);
}

static void DrawColumnText(wxDC &dc, const wxString &text, const wxRect &rect)
{
    if (text.empty() || rect.width <= 0)
        return;
    wxDCClipper clip(dc, rect);
    dc.DrawLabel(text, rect, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
}

void StatusView::Draw(wxDC &dc, const wxSize &size) const
{
    const int w = size.GetWidth(), h = size.GetHeight();
    const int c1 = w / 5, c2 = 2 * w / 5, c3 = c1 + c2, c4 = c1 + c3;

    const wxColour background("#404040");
    dc.SetBrush(wxBrush(background));
    dc.SetPen(wxPen(background));
    dc.DrawRectangle(0, 0, w, h);

    dc.SetPen(wxPen(wxColour("#cccccc"), 1));
    for (int x : {0, c1, c3, c4})
        dc.DrawLine(x, 0, x, h);

    dc.SetFont(wxFont(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false,
                      wxString::FromUTF8("微软雅黑")));
    dc.SetTextForeground(wxColour("#ffffff"));

    const int progressWidth = c1 - 32;
    const int barWidth = (int)(progressWidth * m_fraction);
    if (barWidth > 0) {
        dc.SetBrush(wxBrush(wxColour(100, 100, 100, 100)));
        dc.DrawRectangle(0, 0, barWidth, h);
    }
    DrawColumnText(dc, GetProgressLabel(), wxRect(0, 0, progressWidth, h));

    DrawColumnText(dc, m_texts[0], wxRect(c1 + 4, 0, c2 - 8, h));
    DrawColumnText(dc, m_texts[1], wxRect(c3 + 4, 0, c1 - 8, h));
    DrawColumnText(dc, m_texts[2], wxRect(c4 + 4, 0, c1 - 8, h));

    const wxColour grip("#a0a0a0");
    dc.SetBrush(wxBrush(grip));
    dc.SetPen(wxPen(grip));
    const wxPoint dots[] = {{10, 10}, {10, 16}, {10, 22}, {16, 10}, {16, 16}, {22, 10}};
    for (const wxPoint &dot : dots)
        dc.DrawEllipse(w - dot.x, h - dot.y, 4, 4);
}

void StatusView::OnPaint(wxPaintEvent &)
{
    wxAutoBufferedPaintDC dc(this);
    Draw(dc, GetClientSize());
}

bool StatusView::InGrip(int x, int y) const
{
    const wxSize size = GetClientSize();
    return x >= size.GetWidth() - GRIP_SIZE && y >= size.GetHeight() - GRIP_SIZE;
}

void StatusView::OnLeftDown(wxMouseEvent &event)
{
    m_lastX = event.GetX();
    m_lastY = event.GetY();
    if (InGrip(m_lastX, m_lastY)) {
        m_dragging = true;
        SetCursor(wxCursor(wxCURSOR_SIZENWSE));
        if (!HasCapture())
            CaptureMouse();
    }
    event.Skip();
}

void StatusView::OnMotion(wxMouseEvent &event)
{
    const int x = event.GetX(), y = event.GetY();
    if (m_dragging) {
        GrowFrame(x - m_lastX, y - m_lastY);
    } else if (m_gripState == GRIP_NORMAL) {
        if (InGrip(x, y)) {
            m_gripState = GRIP_RESIZE;
            SetCursor(wxCursor(wxCURSOR_SIZENWSE));
        }
    } else if (x < GetClientSize().GetWidth() - GRIP_SIZE - 1) {
        SetCursor(wxCursor(wxCURSOR_ARROW));
        m_gripState = GRIP_NORMAL;
        Refresh();
    }
    m_lastX = x;
    m_lastY = y;
}

void StatusView::OnLeftUp(wxMouseEvent &event)
{
    if (m_dragging) {
        EndDrag();
        if (HasCapture())
            ReleaseMouse();
    }
    event.Skip();
}

// Another window took the mouse: the drag cannot go on.
void StatusView::OnCaptureLost(wxMouseCaptureLostEvent &)
{
    EndDrag();
}

void StatusView::EndDrag()
{
    SetCursor(wxCursor(wxCURSOR_ARROW));
    m_dragging = false;
}

void StatusView::OnSize(wxSizeEvent &)
{
    Refresh(false);
}

void StatusView::GrowFrame(int dx, int dy)
{
    if (m_grow) {
        m_grow(dx, dy);
        return;
    }
    wxWindow *top = wxGetTopLevelParent(m_frame ? m_frame : this);
    if (top)
        top->SetSize(top->GetSize() + wxSize(dx, dy));
}
