// The 2-D drawing canvas of the alignment editors: shows a MyMap through a
// back buffer, pans with the left button, zooms with the wheel (or by
// dragging in the zoom mode), selects by rectangle and picks by click.
#pragma once

#include "MyMap.h"

#include <wx/bitmap.h>
#include <wx/cursor.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/panel.h>
#include <wx/vector.h>

// Posted (queued) to the canvas itself after a pick; they travel up to the
// parent windows.  They carry id 0 and no index: the receiver asks the
// canvas for the selection (GetSelectedPolylines and its kin).
wxDECLARE_EVENT(EVT_MYCANVAS_POLYLINE_SELECTED, wxCommandEvent);
wxDECLARE_EVENT(EVT_MYCANVAS_POLYGON_SELECTED, wxCommandEvent);
wxDECLARE_EVENT(EVT_MYCANVAS_SYMBOL_SELECTED, wxCommandEvent);

enum CanvasMode { CANVAS_PAN = 0, CANVAS_BOX_SELECT = 1, CANVAS_PICK = 2 };

class MyCanvas : public wxPanel
{
public:
    MyCanvas(wxWindow *parent, wxWindowID id = wxID_ANY, const wxPoint &pos = wxDefaultPosition,
             const wxSize &size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
             const wxString &name = wxASCII_STR(wxPanelNameStr));
    ~MyCanvas() override;

    // View: pixel x = trunc((x - origin x) * scale) + 20,
    //       pixel y = 20 - trunc((y - origin y) * scale).
    void WorldToScreen(double x, double y, double *px, double *py) const;
    void ScreenToWorld(double px, double py, double *x, double *y) const;
    void UpdateView();
    void ZoomToExtents();
    void ZoomIn(double factor);
    void ZoomOut(double factor);
    void SetCaption(const wxString &caption);

    // Modes and what a click or rectangle may select.
    void SetPanMode();
    void SetBoxSelectMode();
    void SetPickMode();
    void SetSymbolsSelectable(int selectable);
    void SetPolylinesSelectable(int selectable);
    void SetPolygonsSelectable(int selectable);

    // Selection; indices out of range are ignored (false on reading).  No repaint.
    void SetPolylineSelected(int index, int selected);
    void SetSymbolSelected(int index, int selected);
    void SetPolygonSelected(int index, int selected);
    bool IsPolygonSelected(int index) const;
    wxVector<int> GetSelectedPolylines() const;
    wxVector<int> GetSelectedSymbols() const;
    wxVector<int> GetSelectedPolygons() const;

    // Content: each adds a copy; nothing is repainted or projected until
    // UpdateView or ZoomToExtents.
    void AddPolyline(int count, const wxRealPoint *points, const wxColour &penColour, int penWidth, int selectable,
                     const wxColour &selectedPenColour);
    void AddPolygon(int count, const wxRealPoint *points, const wxColour &fillColour, int outlineWidth,
                    int selectable, const wxColour &selectedFillColour);
    void AddSymbol(double x, double y, int type, int size, int penWidth, const wxColour &penColour,
                   const wxColour &fillColour, int selectable, const wxColour &selectedFillColour);
    void AddText(const wxString &text, double x, double y, const wxString &faceName, const wxColour &colour,
                 int height);
    void AddLine(double x1, double y1, double x2, double y2, const wxColour &penColour, int penWidth);
    void AddCircle(double x, double y, double radius, const wxColour &penColour, int penWidth);
    void Clear();
    void SetMap(const MyMap &source, bool fit);

    const MyMap &GetMap() const { return m_map; }
    double GetScale() const { return m_scale; }
    double GetOriginX() const { return m_originX; }
    double GetOriginY() const { return m_originY; }
    int GetMode() const { return m_mode; }
    const wxString &GetCaption() const { return m_caption; }

protected:
    virtual void OnLeftDown(wxMouseEvent &event);
    virtual void OnLeftUp(wxMouseEvent &event);
    virtual void OnMotion(wxMouseEvent &event);
    virtual void OnPaint(wxPaintEvent &event);
    virtual void OnMouseWheel(wxMouseEvent &event);
    virtual void OnSize(wxSizeEvent &event);

private:
    void ApplyView();
    void PanBy(double dx, double dy);
    void ZoomDragStep();
    void PickAt(double x, double y);
    void SelectInRectangle();
    void PostSelection(const wxEventType &type);

    double m_scale = 1.0;
    double m_originX = 0.0;
    double m_originY = 0.0;
    bool m_dragging = false;
    bool m_moved = false;
    double m_dragStartX = 0.0;
    double m_dragStartY = 0.0;
    double m_currentX = 0.0;
    double m_currentY = 0.0;
    bool m_symbolsSelectable = false;
    bool m_polylinesSelectable = false;
    bool m_polygonsSelectable = false;
    int m_mode = CANVAS_PAN;
    MyMap m_map;
    wxString m_caption;
    wxBitmap m_backBuffer;
    wxCursor m_savedCursor;
};
