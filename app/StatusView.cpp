#include "StatusView.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/toplevel.h>

#include <algorithm>

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

static wxFont StatusFont()
{
    return wxFont(10, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false, wxString::FromUTF8("微软雅黑"));
}

// The message column's right edge and the three text columns' left edges.
// A message that fits keeps the fixed columns (a fifth, two fifths, a fifth
// and a fifth of the width); a longer one, such as a path, takes the width
// the texts leave free, each text keeping the room it needs up to its own
// column's width.
StatusView::Columns StatusView::LayOut(const wxSize &size) const
{
    const int w = size.GetWidth();
    const int c1 = w / 5, c3 = 3 * w / 5, c4 = 4 * w / 5;
    Columns columns{c1 - 32, {c1, c3, c4}};
    const wxString label = GetProgressLabel();
    const int wanted = label.empty() ? 0 : TextWidth(label) + 4;
    if (wanted <= columns.messageEnd)
        return columns;
    const int shares[TEXT_COUNT] = {c3 - c1, c4 - c3, w - c4};
    int right = w - GRIP_SIZE;
    for (int i = TEXT_COUNT - 1; i >= 0; --i) {
        const int needed = m_texts[i].empty() ? 0 : std::min(TextWidth(m_texts[i]) + 8, shares[i]);
        right -= needed;
        columns.textStart[i] = right;
    }
    columns.messageEnd = std::max(columns.messageEnd, std::min(wanted, right - 4));
    // Texts that still fit follow the message; the rest keep the right end.
    int left = columns.messageEnd + 4;
    for (int i = 0; i < TEXT_COUNT; ++i) {
        columns.textStart[i] = std::max(left, std::min(columns.textStart[i], left));
        left = columns.textStart[i] + (m_texts[i].empty() ? 0 : TextWidth(m_texts[i]) + 8);
    }
    return columns;
}

int StatusView::TextWidth(const wxString &text) const
{
    const wxFont font = StatusFont();
    int width = 0;
    GetTextExtent(text, &width, nullptr, nullptr, nullptr, &font);
    return width;
}

wxRect StatusView::MessageArea(const wxSize &size) const
{
    return wxRect(0, 0, LayOut(size).messageEnd, size.GetHeight());
}

wxRect StatusView::TextArea(int index, const wxSize &size) const
{
    if (index < 0 || index >= TEXT_COUNT)
        return wxRect();
    const Columns columns = LayOut(size);
    const int end = index + 1 < TEXT_COUNT ? columns.textStart[index + 1] : size.GetWidth() - GRIP_SIZE;
    return wxRect(columns.textStart[index] + 4, 0, std::max(0, end - columns.textStart[index] - 8),
                  size.GetHeight());
}

void StatusView::Draw(wxDC &dc, const wxSize &size) const
{
    const int w = size.GetWidth(), h = size.GetHeight();
    const Columns columns = LayOut(size);

    const wxColour background("#404040");
    dc.SetBrush(wxBrush(background));
    dc.SetPen(wxPen(background));
    dc.DrawRectangle(0, 0, w, h);

    dc.SetPen(wxPen(wxColour("#cccccc"), 1));
    dc.DrawLine(0, 0, 0, h);
    for (int x : columns.textStart)
        dc.DrawLine(x, 0, x, h);

    dc.SetFont(StatusFont());
    dc.SetTextForeground(wxColour("#ffffff"));

    const int progressWidth = columns.messageEnd;
    const int barWidth = (int)(progressWidth * m_fraction);
    if (barWidth > 0) {
        dc.SetBrush(wxBrush(wxColour(100, 100, 100, 100)));
        dc.DrawRectangle(0, 0, barWidth, h);
    }
    DrawColumnText(dc, GetProgressLabel(), wxRect(0, 0, progressWidth, h));

    for (int i = 0; i < TEXT_COUNT; ++i)
        DrawColumnText(dc, m_texts[i], TextArea(i, size));

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
