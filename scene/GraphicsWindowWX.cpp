#include "GraphicsWindowWX.h"

#include "OSGCanvas.h"

#include <osg/State>

#include <wx/utils.h>

GraphicsWindowWX::GraphicsWindowWX(OSGCanvas *canvas)
    : m_canvas(canvas)
{
    // The base class has already made the event queue.
    _traits = new GraphicsContext::Traits;
    const wxPoint position = canvas->GetPosition();
    const wxSize size = canvas->GetSize();
    _traits->x = position.x;
    _traits->y = position.y;
    _traits->width = size.GetWidth();
    _traits->height = size.GetHeight();
    InitState();
}

void GraphicsWindowWX::InitState()
{
    if (!valid())
        return;
    setState(new osg::State);
    getState()->setGraphicsContext(this);
    GraphicsContext *shared = _traits.valid() ? _traits->sharedContext.get() : nullptr;
    if (shared && shared->getState()) {
        // Objects of a shared context live under its id, so both must use it.
        getState()->setContextID(shared->getState()->getContextID());
        incrementContextIDUsageCount(getState()->getContextID());
    } else {
        getState()->setContextID(osg::GraphicsContext::createNewContextID());
    }
}

bool GraphicsWindowWX::isRealizedImplementation() const
{
    return m_canvas && m_canvas->IsShownOnScreen();
}

bool GraphicsWindowWX::makeCurrentImplementation()
{
    // A context that could not be made current must not be drawn into.
    return m_canvas && m_canvas->MakeContextCurrent();
}

void GraphicsWindowWX::swapBuffersImplementation()
{
    if (m_canvas)
        m_canvas->SwapBuffers();
}

void GraphicsWindowWX::grabFocus()
{
    if (m_canvas)
        m_canvas->SetFocus();
}

void GraphicsWindowWX::grabFocusIfPointerInWindow()
{
    if (m_canvas && wxFindWindowAtPoint(wxGetMousePosition()) == m_canvas)
        m_canvas->SetFocus();
}

void GraphicsWindowWX::useCursor(bool show)
{
    if (m_canvas)
        m_canvas->UseCursor(show);
}
