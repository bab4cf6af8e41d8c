// The scene graph's graphics window for a 3-D view hosted by an OSGCanvas:
// the viewer renders through it into the canvas and reads the canvas's input
// from its event queue.
#pragma once

#include <osgViewer/GraphicsWindow>

class OSGCanvas;

class GraphicsWindowWX : public osgViewer::GraphicsWindow
{
public:
    explicit GraphicsWindowWX(OSGCanvas *canvas);

    // The canvas this window renders into; null once the canvas is gone.
    OSGCanvas *GetCanvas() const { return m_canvas; }
    // Called by the canvas when it is destroyed, so that a viewer still
    // holding this window renders nothing instead of touching a dead window.
    void DetachCanvas() { m_canvas = nullptr; }

    bool valid() const override { return true; }
    bool realizeImplementation() override { return true; }
    bool isRealizedImplementation() const override;
    void closeImplementation() override {}
    bool makeCurrentImplementation() override;
    bool releaseContextImplementation() override { return true; }
    void swapBuffersImplementation() override;

    void grabFocus() override;
    void grabFocusIfPointerInWindow() override;
    void useCursor(bool show) override;

private:
    void InitState();

    OSGCanvas *m_canvas;
};
