#include "OSGCanvas.h"

#include "GraphicsWindowWX.h"

#include <wx/dcclient.h>
#include <wx/image.h>

wxBEGIN_EVENT_TABLE(OSGCanvas, wxGLCanvas)
    EVT_SIZE(OSGCanvas::OnSize)
    EVT_PAINT(OSGCanvas::OnPaint)
    EVT_ERASE_BACKGROUND(OSGCanvas::OnEraseBackground)
    EVT_CHAR(OSGCanvas::OnChar)
    EVT_KEY_UP(OSGCanvas::OnKeyUp)
    EVT_ENTER_WINDOW(OSGCanvas::OnEnterWindow)
    EVT_LEFT_DOWN(OSGCanvas::OnMouseDown)
    EVT_MIDDLE_DOWN(OSGCanvas::OnMouseDown)
    EVT_RIGHT_DOWN(OSGCanvas::OnMouseDown)
    EVT_LEFT_UP(OSGCanvas::OnMouseUp)
    EVT_MIDDLE_UP(OSGCanvas::OnMouseUp)
    EVT_RIGHT_UP(OSGCanvas::OnMouseUp)
    EVT_MOTION(OSGCanvas::OnMouseMotion)
    EVT_MOUSEWHEEL(OSGCanvas::OnMouseWheel)
wxEND_EVENT_TABLE()

OSGCanvas::OSGCanvas(wxWindow *parent, wxWindowID id, const int *attributes, const wxPoint &position,
                     const wxSize &size, long style, const wxString &name)
    : wxGLCanvas(parent, id, attributes, position, size, style | wxFULL_REPAINT_ON_RESIZE, name)
    , m_context(new wxGLContext(this))
    , m_savedCursor(*wxSTANDARD_CURSOR)
{
    m_graphicsWindow = new GraphicsWindowWX(this);
}

OSGCanvas::~OSGCanvas()
{
    SetGraphicsWindow(nullptr);
    delete m_context;
}

void OSGCanvas::SetGraphicsWindow(GraphicsWindowWX *window)
{
    // A viewer may outlive the canvas; the window it keeps must then stop
    // drawing into this canvas.
    if (m_graphicsWindow.valid() && m_graphicsWindow.get() != window)
        m_graphicsWindow->DetachCanvas();
    m_graphicsWindow = window;
}

void OSGCanvas::UseCursor(bool show)
{
    if (show) {
        if (m_cursorHidden)
            SetCursor(m_savedCursor);
        m_cursorHidden = false;
        return;
    }
    // Hiding twice must not save the invisible cursor over the real one.
    if (m_cursorHidden)
        return;
    m_savedCursor = GetCursor();
    wxImage blank(1, 1);
    blank.SetMaskColour(0, 0, 0);
    blank.SetMask(true);
    SetCursor(wxCursor(blank));
    m_cursorHidden = true;
}

bool OSGCanvas::MakeContextCurrent()
{
    return m_context && SetCurrent(*m_context);
}

double OSGCanvas::EventTime() const
{
    return m_graphicsWindow->getEventQueue()->getTime();
}

void OSGCanvas::OnSize(wxSizeEvent &)
{
    if (!m_graphicsWindow.valid())
        return;
    const wxSize size = GetClientSize();
    m_graphicsWindow->getEventQueue()->windowResize(0, 0, size.GetWidth(), size.GetHeight(), EventTime());
    m_graphicsWindow->resized(0, 0, size.GetWidth(), size.GetHeight());
    m_graphicsWindow->requestRedraw();
}

void OSGCanvas::OnPaint(wxPaintEvent &)
{
    // Frames are drawn by the viewer on idle; an exposed canvas (a dialog or
    // menu closed over it, a resize) asks it for one.
    wxPaintDC dc(this);
    if (m_graphicsWindow.valid())
        m_graphicsWindow->requestRedraw();
}

void OSGCanvas::OnEraseBackground(wxEraseEvent &)
{
    // Not erasing avoids flicker: every frame covers the whole canvas.
}

void OSGCanvas::OnChar(wxKeyEvent &event)
{
    if (m_graphicsWindow.valid())
        m_graphicsWindow->getEventQueue()->keyPress(event.GetUnicodeKey(), EventTime());
}

void OSGCanvas::OnKeyUp(wxKeyEvent &event)
{
    if (m_graphicsWindow.valid())
        m_graphicsWindow->getEventQueue()->keyRelease(event.GetUnicodeKey(), EventTime());
}

void OSGCanvas::OnEnterWindow(wxMouseEvent &)
{
    SetFocus();
}

void OSGCanvas::OnMouseDown(wxMouseEvent &event)
{
    if (m_graphicsWindow.valid())
        m_graphicsWindow->getEventQueue()->mouseButtonPress(event.GetX(), event.GetY(), event.GetButton(),
                                                            EventTime());
}

void OSGCanvas::OnMouseUp(wxMouseEvent &event)
{
    if (m_graphicsWindow.valid())
        m_graphicsWindow->getEventQueue()->mouseButtonRelease(event.GetX(), event.GetY(), event.GetButton(),
                                                              EventTime());
}

void OSGCanvas::OnMouseMotion(wxMouseEvent &event)
{
    if (m_graphicsWindow.valid())
        m_graphicsWindow->getEventQueue()->mouseMotion(event.GetX(), event.GetY(), EventTime());
}

void OSGCanvas::OnMouseWheel(wxMouseEvent &event)
{
    // A sideways swipe of a touchpad is no zoom.
    if (!m_graphicsWindow.valid() || event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL)
        return;
    // In floating point, so that a fine step of a smooth wheel keeps its sign.
    double delta = 0.0;
    if (event.GetWheelDelta() != 0)
        delta = double(event.GetWheelRotation()) / event.GetWheelDelta() * event.GetLinesPerAction();
    const auto motion = delta >= 0.0 ? osgGA::GUIEventAdapter::SCROLL_DOWN : osgGA::GUIEventAdapter::SCROLL_UP;
    m_graphicsWindow->getEventQueue()->mouseScroll(motion, EventTime());
}
