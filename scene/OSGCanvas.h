// A toolkit OpenGL canvas hosting one 3-D view: it owns the GL context and
// the scene graph's graphics window, and turns the toolkit's input into scene
// graph GUI events for the viewer's camera manipulator.
#pragma once

#include <osg/ref_ptr>

#include <wx/cursor.h>
#include <wx/glcanvas.h>

class GraphicsWindowWX;

class OSGCanvas : public wxGLCanvas
{
public:
    OSGCanvas(wxWindow *parent, wxWindowID id = wxID_ANY, const int *attributes = nullptr,
              const wxPoint &position = wxDefaultPosition, const wxSize &size = wxDefaultSize,
              long style = 0, const wxString &name = wxGLCanvasName);
    ~OSGCanvas() override;

    // The graphics window to give a viewer's camera; null after
    // SetGraphicsWindow(nullptr), and then input is ignored.
    GraphicsWindowWX *GetGraphicsWindow() const { return m_graphicsWindow.get(); }
    void SetGraphicsWindow(GraphicsWindowWX *window);

    // Shows the cursor that was set before it was hidden, or hides it.
    void UseCursor(bool show);
    bool MakeContextCurrent();

private:
    void OnSize(wxSizeEvent &event);
    void OnPaint(wxPaintEvent &event);
    void OnEraseBackground(wxEraseEvent &event);
    void OnChar(wxKeyEvent &event);
    void OnKeyUp(wxKeyEvent &event);
    void OnEnterWindow(wxMouseEvent &event);
    void OnMouseDown(wxMouseEvent &event);
    void OnMouseUp(wxMouseEvent &event);
    void OnMouseMotion(wxMouseEvent &event);
    void OnMouseWheel(wxMouseEvent &event);

    double EventTime() const;

    wxGLContext *m_context;
    osg::ref_ptr<GraphicsWindowWX> m_graphicsWindow;
    wxCursor m_savedCursor;
    bool m_cursorHidden = false;

    wxDECLARE_EVENT_TABLE();
};
