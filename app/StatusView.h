// The dark status bar at the bottom of the main window: task progress with
// its message, three status texts and a grip that resizes the whole window.
#pragma once

#include <wx/dc.h>
#include <wx/panel.h>
#include <wx/string.h>

#include <functional>

class StatusView : public wxPanel
{
public:
    enum { TEXT_COUNT = 3, GRIP_NORMAL = 0, GRIP_RESIZE = 2 };

    // Only parent and id are used: the panel always takes the default
    // position and size.
    StatusView(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
               const wxSize &size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
               const wxString &name = wxPanelNameStr);

    // Index 0 the coordinates under the mouse, 1 the measured distance, 2 the
    // current section; other indexes are refused.
    void SetStatusText(int index, const wxString &text);
    void SetProgress(int percent, const wxString &message);
    // A message without a percent, such as why a command failed.
    void ShowMessage(const wxString &message);

    wxString GetStatusText(int index) const;
    double GetProgressFraction() const { return m_fraction; }
    int GetProgressPercent() const { return m_percent; }
    const wxString &GetProgressMessage() const { return m_message; }
    // The message followed by "[n%]", or nothing without a message.
    wxString GetProgressLabel() const;
    bool IsDragging() const { return m_dragging; }
    bool IsShowingPercent() const { return m_showPercent; }
    int GetGripState() const { return m_gripState; }

    // What a drag of the grip does with the mouse movement (dx, dy); without
    // one the top-level window grows by that much, and its own size handling
    // lays out the rest.  The main frame passes its FitStatusPanel here.
    void SetGrowHandler(const std::function<void(int dx, int dy)> &grow) { m_grow = grow; }

    // Paints the panel as it is at the given size onto any device context.
    void Draw(wxDC &dc, const wxSize &size) const;
    // Where the message and the texts are drawn at the given size.
    wxRect MessageArea(const wxSize &size) const;
    wxRect TextArea(int index, const wxSize &size) const;

private:
    struct Columns {
        int messageEnd;
        int textStart[TEXT_COUNT];
    };
    Columns LayOut(const wxSize &size) const;
    int TextWidth(const wxString &text) const;

    void OnPaint(wxPaintEvent &event);
    void OnLeftDown(wxMouseEvent &event);
    void OnLeftUp(wxMouseEvent &event);
    void OnMotion(wxMouseEvent &event);
    void OnSize(wxSizeEvent &event);
    void OnCaptureLost(wxMouseCaptureLostEvent &event);

    bool InGrip(int x, int y) const;
    void EndDrag();
    void GrowFrame(int dx, int dy);

    wxString m_message;
    wxString m_texts[TEXT_COUNT];
    bool m_showPercent = true;
    double m_fraction;
    int m_percent;
    wxWindow *m_frame;
    int m_lastX, m_lastY;
    bool m_dragging;
    int m_gripState;
    std::function<void(int, int)> m_grow;

    wxDECLARE_EVENT_TABLE();
};
