#include "MyCanvas.h"

#include "road.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <vector>

// Made in this order when the program loads.
wxDEFINE_EVENT(EVT_MYCANVAS_POLYLINE_SELECTED, wxCommandEvent);
wxDEFINE_EVENT(EVT_MYCANVAS_POLYGON_SELECTED, wxCommandEvent);
wxDEFINE_EVENT(EVT_MYCANVAS_SYMBOL_SELECTED, wxCommandEvent);

namespace {

const int kMargin = 20;
const double kWheelFactor = 1.2;
const double kDragZoomFactor = 1.08;
// Beyond these the view stops zooming: nanometres per pixel one way,
// a whole continent in a pixel the other.
const double kMaxScale = 1e9;
const double kMinScale = 1e-9;

// Four blue-grey arrows around the centre, transparent elsewhere.
wxCursor MakeMoveCursor()
{
    static const unsigned char colours[7][3] = {{0x3F, 0x5D, 0x71}, {0x72, 0x90, 0xA4}, {0x82, 0xA0, 0xB4},
                                                {0x40, 0x5E, 0x72}, {0x3C, 0x5A, 0x6E}, {0x43, 0x61, 0x75},
                                                {0x3E, 0x5C, 0x70}};
    const int size = 24, centre = 12;
    wxImage image(size, size);
    image.InitAlpha();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.SetAlpha(x, y, 0);
    auto plot = [&image](int x, int y, int shade) {
        const unsigned char *c = colours[shade % 7];
        image.SetRGB(x, y, c[0], c[1], c[2]);
        image.SetAlpha(x, y, 255);
    };
    for (int d = 1; d <= 10; ++d) {
        // Shafts, two pixels wide, from the centre outwards.
        for (int w = -1; w <= 0; ++w) {
            plot(centre + w, centre - d, d);
            plot(centre + w, centre + d - 1, d);
            plot(centre - d, centre + w, d);
            plot(centre + d - 1, centre + w, d);
        }
    }
    for (int tip = 0; tip < 4; ++tip) {
        // Arrow heads: widening rows behind each tip.
        for (int row = 0; row < 4; ++row)
            for (int w = -row - 1; w <= row; ++w) {
                const int along = 1 + row;
                switch (tip) {
                case 0: plot(centre + w, along, row + 1); break;
                case 1: plot(centre + w, size - 1 - along, row + 2); break;
                case 2: plot(along, centre + w, row + 3); break;
                default: plot(size - 1 - along, centre + w, row + 4); break;
                }
            }
    }
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, centre);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, centre);
    return wxCursor(image);
}

// Owns the point array of one test polygon for the plane predicates.
class PixelPolygon
{
public:
    void Add(double x, double y) { m_points.push_back(point2d{x, y}); }
    const polygon2d *Get()
    {
        m_polygon.count = static_cast<int>(m_points.size());
        m_polygon.points = m_points.data();
        return &m_polygon;
    }

private:
    std::vector<point2d> m_points;
    polygon2d m_polygon{0, nullptr};
};

PixelPolygon BandPolygon(const MyPolyline &polyline)
{
    PixelPolygon polygon;
    const size_t count = polyline.band.size();
    for (size_t i = 0; i < count; i += 2)
        polygon.Add(polyline.band[i]->px, polyline.band[i]->py);
    for (size_t i = count; i >= 2; i -= 2)
        polygon.Add(polyline.band[i - 1]->px, polyline.band[i - 1]->py);
    return polygon;
}

// A cheap test that rules out most polylines of a large map before the
// exact one.
bool BandBoundsContain(const MyPolyline &polyline, double x, double y)
{
    if (polyline.band.empty())
        return false;
    int left = polyline.band[0]->px, right = left, top = polyline.band[0]->py, bottom = top;
    for (const MyPoint *point : polyline.band) {
        left = std::min(left, point->px);
        right = std::max(right, point->px);
        top = std::min(top, point->py);
        bottom = std::max(bottom, point->py);
    }
    return x >= left && x <= right && y >= top && y <= bottom;
}

PixelPolygon OutlinePolygon(const MyPolygon &polygon)
{
    PixelPolygon outline;
    for (const MyPoint *point : polygon.points)
        outline.Add(point->px, point->py);
    return outline;
}

MyPoint *NewPoint(double x, double y)
{
    return new MyPoint(x, y);
}

template <typename T> wxVector<int> SelectedIndices(const wxVector<T *> &list)
{
    wxVector<int> indices;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i]->selected)
            indices.push_back(static_cast<int>(i));
    return indices;
}

template <typename T> void SetSelected(wxVector<T *> &list, int index, int selected)
{
    if (index >= 0 && static_cast<size_t>(index) < list.size())
        list[index]->selected = selected != 0;
}

} // namespace

MyCanvas::MyCanvas(wxWindow *parent, wxWindowID id, const wxPoint &pos, const wxSize &size, long style,
                   const wxString &name)
    : wxPanel(parent, id, pos, size, style | wxFULL_REPAINT_ON_RESIZE, name)
{
    // Every pixel comes from the back buffer: no background erase, no flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_LEFT_DOWN, &MyCanvas::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &MyCanvas::OnLeftUp, this);
    Bind(wxEVT_MOTION, &MyCanvas::OnMotion, this);
    Bind(wxEVT_PAINT, &MyCanvas::OnPaint, this);
    Bind(wxEVT_MOUSEWHEEL, &MyCanvas::OnMouseWheel, this);
    Bind(wxEVT_SIZE, &MyCanvas::OnSize, this);
    // The toolkit reports the second press of a quick double click as a
    // double click instead of a press: it is still a press here, or the
    // following release would be lost.
    Bind(wxEVT_LEFT_DCLICK, &MyCanvas::OnLeftDown, this);
}

MyCanvas::~MyCanvas()
{
    Unbind(wxEVT_LEFT_DOWN, &MyCanvas::OnLeftDown, this);
    Unbind(wxEVT_LEFT_UP, &MyCanvas::OnLeftUp, this);
    Unbind(wxEVT_MOTION, &MyCanvas::OnMotion, this);
    Unbind(wxEVT_PAINT, &MyCanvas::OnPaint, this);
    Unbind(wxEVT_MOUSEWHEEL, &MyCanvas::OnMouseWheel, this);
    Unbind(wxEVT_SIZE, &MyCanvas::OnSize, this);
    Unbind(wxEVT_LEFT_DCLICK, &MyCanvas::OnLeftDown, this);
}

// ---------------------------------------------------------------------------
// View

void MyCanvas::WorldToScreen(double x, double y, double *px, double *py) const
{
    if (px)
        *px = std::trunc((x - m_originX) * m_scale) + kMargin;
    if (py)
        *py = kMargin - std::trunc((y - m_originY) * m_scale);
}

void MyCanvas::ScreenToWorld(double px, double py, double *x, double *y) const
{
    if (x)
        *x = (px - kMargin) / m_scale + m_originX;
    if (y)
        *y = m_originY - (py - kMargin) / m_scale;
}

void MyCanvas::ApplyView()
{
    m_map.SetView(m_originX, m_originY, m_scale);
    Refresh(false);
}

void MyCanvas::UpdateView()
{
    ApplyView();
}

void MyCanvas::ZoomToExtents()
{
    m_map.ComputeExtents();
    const wxSize client = GetClientSize();
    const double w = client.GetWidth(), h = client.GetHeight();
    // A window narrower than its margins still gets a positive scale.
    const double usableW = std::max(w - 2 * kMargin, 1.0);
    const double usableH = std::max(h - 2 * kMargin, 1.0);
    const double spanX = m_map.maxX - m_map.minX;
    const double spanY = m_map.maxY - m_map.minY;
    if (!(spanX >= 0.0) || !(spanY >= 0.0)) {
        // Nothing with an extent: keep the scale, show the map origin.
        m_originX = 0.0;
        m_originY = 0.0;
        ApplyView();
        return;
    }
    // A flat extent (one point, or all points on a line) is fitted along its
    // other direction; a single point keeps the current scale.
    const double sx = spanX > 0.0 ? usableW / spanX : HUGE_VAL;
    const double sy = spanY > 0.0 ? usableH / spanY : HUGE_VAL;
    if (std::isfinite(sx) || std::isfinite(sy))
        m_scale = std::clamp(std::min(sx, sy), kMinScale, kMaxScale);
    if (sx > sy) {
        m_originY = m_map.maxY;
        m_originX = (m_map.minX + m_map.maxX) * 0.5 - w * 0.5 / m_scale;
    } else if (sy > sx) {
        m_originX = m_map.minX;
        m_originY = (m_map.minY + m_map.maxY) * 0.5 + h * 0.5 / m_scale;
    } else {
        m_originX = (m_map.minX + m_map.maxX) * 0.5 - w * 0.5 / m_scale;
        m_originY = (m_map.minY + m_map.maxY) * 0.5 + h * 0.5 / m_scale;
        if (std::isfinite(sx))
            m_originX = m_map.minX;
    }
    ApplyView();
}

void MyCanvas::ZoomIn(double factor)
{
    const double scale = m_scale * factor;
    if (!(scale <= kMaxScale))
        return;
    const wxSize client = GetClientSize();
    m_scale = scale;
    m_originX += client.GetWidth() * (factor - 1.0) * 0.5 / m_scale;
    m_originY -= client.GetHeight() * (factor - 1.0) * 0.5 / m_scale;
    ApplyView();
}

void MyCanvas::ZoomOut(double factor)
{
    const double scale = m_scale / factor;
    if (!(scale >= kMinScale))
        return;
    const wxSize client = GetClientSize();
    m_scale = scale;
    m_originX -= client.GetWidth() * (1.0 - 1.0 / factor) * 0.5 / m_scale;
    m_originY += client.GetHeight() * (1.0 - 1.0 / factor) * 0.5 / m_scale;
    ApplyView();
}

void MyCanvas::SetCaption(const wxString &caption)
{
    m_caption = caption;
}

void MyCanvas::PanBy(double dx, double dy)
{
    m_originX -= dx / m_scale;
    m_originY += dy / m_scale;
    ApplyView();
}

// ---------------------------------------------------------------------------
// Modes and selection

void MyCanvas::SetPanMode()
{
    m_mode = CANVAS_PAN;
}

void MyCanvas::SetBoxSelectMode()
{
    m_mode = CANVAS_BOX_SELECT;
}

void MyCanvas::SetPickMode()
{
    m_mode = CANVAS_PICK;
}

void MyCanvas::SetSymbolsSelectable(int selectable)
{
    m_symbolsSelectable = selectable != 0;
}

void MyCanvas::SetPolylinesSelectable(int selectable)
{
    m_polylinesSelectable = selectable != 0;
}

void MyCanvas::SetPolygonsSelectable(int selectable)
{
    m_polygonsSelectable = selectable != 0;
}

void MyCanvas::SetPolylineSelected(int index, int selected)
{
    SetSelected(m_map.polylines, index, selected);
}

void MyCanvas::SetSymbolSelected(int index, int selected)
{
    SetSelected(m_map.symbols, index, selected);
}

void MyCanvas::SetPolygonSelected(int index, int selected)
{
    SetSelected(m_map.polygons, index, selected);
}

bool MyCanvas::IsPolygonSelected(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_map.polygons.size() && m_map.polygons[index]->selected;
}

wxVector<int> MyCanvas::GetSelectedPolylines() const
{
    return SelectedIndices(m_map.polylines);
}

wxVector<int> MyCanvas::GetSelectedSymbols() const
{
    return SelectedIndices(m_map.symbols);
}

wxVector<int> MyCanvas::GetSelectedPolygons() const
{
    return SelectedIndices(m_map.polygons);
}

void MyCanvas::PostSelection(const wxEventType &type)
{
    Refresh(false);
    wxCommandEvent event(type, 0);
    GetEventHandler()->AddPendingEvent(event);
}

void MyCanvas::PickAt(double x, double y)
{
    const point2d click{x, y};
    if (m_polylinesSelectable) {
        for (MyPolyline *polyline : m_map.polylines) {
            if (!BandBoundsContain(*polyline, x, y))
                continue;
            PixelPolygon band = BandPolygon(*polyline);
            if (point_in_polygon2d(&click, band.Get()) == 1) {
                polyline->selected = true;
                PostSelection(EVT_MYCANVAS_POLYLINE_SELECTED);
                break;
            }
        }
    }
    if (m_polygonsSelectable) {
        for (MyPolygon *polygon : m_map.polygons) {
            PixelPolygon outline = OutlinePolygon(*polygon);
            if (point_in_polygon2d(&click, outline.Get()) == 1) {
                polygon->selected = true;
                PostSelection(EVT_MYCANVAS_POLYGON_SELECTED);
                break;
            }
        }
    }
    if (m_symbolsSelectable) {
        for (MySymbol *symbol : m_map.symbols) {
            if (std::hypot(symbol->position.px - x, symbol->position.py - y) <= symbol->size) {
                symbol->selected = true;
                PostSelection(EVT_MYCANVAS_SYMBOL_SELECTED);
                break;
            }
        }
    }
}

void MyCanvas::SelectInRectangle()
{
    PixelPolygon rectangle;
    rectangle.Add(m_dragStartX, m_dragStartY);
    rectangle.Add(m_currentX, m_dragStartY);
    rectangle.Add(m_currentX, m_currentY);
    rectangle.Add(m_dragStartX, m_currentY);
    if (m_polygonsSelectable) {
        // Dragged right to left, touching is enough; left to right, the
        // polygon must lie wholly inside.
        const bool crossing = m_dragStartX > m_currentX;
        for (MyPolygon *polygon : m_map.polygons) {
            PixelPolygon outline = OutlinePolygon(*polygon);
            if (crossing && polygon_crash_polygon2d(outline.Get(), rectangle.Get()) == 1)
                polygon->selected = true;
            if (polygon_contain_polygon2d(rectangle.Get(), outline.Get()) == 1)
                polygon->selected = true;
        }
        PostSelection(EVT_MYCANVAS_POLYGON_SELECTED);
    }
    if (m_symbolsSelectable) {
        const double left = std::min(m_dragStartX, m_currentX), right = std::max(m_dragStartX, m_currentX);
        const double top = std::min(m_dragStartY, m_currentY), bottom = std::max(m_dragStartY, m_currentY);
        for (MySymbol *symbol : m_map.symbols) {
            const MyPoint &p = symbol->position;
            if (p.px >= left && p.px <= right && p.py >= top && p.py <= bottom)
                symbol->selected = true;
        }
        PostSelection(EVT_MYCANVAS_SYMBOL_SELECTED);
    }
}

// ---------------------------------------------------------------------------
// Content

void MyCanvas::AddPolyline(int count, const wxRealPoint *points, const wxColour &penColour, int penWidth,
                           int selectable, const wxColour &selectedPenColour)
{
    MyPolyline *polyline = new MyPolyline();
    for (int i = 0; i < count && points; ++i)
        polyline->points.push_back(NewPoint(points[i].x, points[i].y));
    polyline->penColour = penColour;
    polyline->penWidth = penWidth;
    polyline->selectable = selectable != 0;
    polyline->selectedPenColour = selectedPenColour;
    m_map.polylines.push_back(polyline);
}

void MyCanvas::AddPolygon(int count, const wxRealPoint *points, const wxColour &fillColour, int outlineWidth,
                          int selectable, const wxColour &selectedFillColour)
{
    MyPolygon *polygon = new MyPolygon();
    for (int i = 0; i < count && points; ++i)
        polygon->points.push_back(NewPoint(points[i].x, points[i].y));
    polygon->fillColour = fillColour;
    polygon->outlineWidth = outlineWidth;
    polygon->selectable = selectable != 0;
    polygon->selectedFillColour = selectedFillColour;
    m_map.polygons.push_back(polygon);
}

void MyCanvas::AddSymbol(double x, double y, int type, int size, int penWidth, const wxColour &penColour,
                         const wxColour &fillColour, int selectable, const wxColour &selectedFillColour)
{
    MySymbol *symbol = new MySymbol();
    symbol->position = MyPoint(x, y);
    symbol->type = type;
    symbol->size = size;
    symbol->penWidth = penWidth;
    symbol->penColour = penColour;
    symbol->fillColour = fillColour;
    symbol->selectable = selectable != 0;
    symbol->selectedFillColour = selectedFillColour;
    m_map.symbols.push_back(symbol);
}

void MyCanvas::AddText(const wxString &text, double x, double y, const wxString &faceName, const wxColour &colour,
                       int height)
{
    MyText *label = new MyText();
    label->anchor = MyPoint(x, y);
    label->direction = MyPoint(x + 10.0, y);
    label->text = text;
    label->faceName = faceName;
    label->colour = colour;
    label->height = height;
    m_map.texts.push_back(label);
}

void MyCanvas::AddLine(double x1, double y1, double x2, double y2, const wxColour &penColour, int penWidth)
{
    MyLine *line = new MyLine();
    line->p1 = MyPoint(x1, y1);
    line->p2 = MyPoint(x2, y2);
    line->penColour = penColour;
    line->penWidth = penWidth;
    m_map.lines.push_back(line);
}

void MyCanvas::AddCircle(double x, double y, double radius, const wxColour &penColour, int penWidth)
{
    MyCircle *circle = new MyCircle();
    circle->centre = MyPoint(x, y);
    circle->radius = radius;
    circle->penColour = penColour;
    circle->penWidth = penWidth;
    m_map.circles.push_back(circle);
}

void MyCanvas::Clear()
{
    m_map.Clear();
}

void MyCanvas::SetMap(const MyMap &source, bool fit)
{
    m_map.CopyFrom(source);
    if (fit)
        ZoomToExtents();
}

// ---------------------------------------------------------------------------
// Mouse, paint and size

void MyCanvas::OnLeftDown(wxMouseEvent &event)
{
    m_dragging = true;
    m_dragStartX = event.GetX();
    m_dragStartY = event.GetY();
    m_savedCursor = GetCursor();
    event.Skip();
}

void MyCanvas::ZoomDragStep()
{
    const int dx = static_cast<int>(std::trunc(m_currentX - m_dragStartX));
    const int dy = static_cast<int>(std::trunc(m_currentY - m_dragStartY));
    const int f = std::abs(dx) - std::abs(dy);
    if (dx > 0 && f > 0)
        ZoomIn(kDragZoomFactor);
    else if (dx < 0 && f > 0)
        ZoomOut(kDragZoomFactor);
    else if (dy < 0 && f < 0)
        ZoomIn(kDragZoomFactor);
    else if (dy > 0 && f < 0)
        ZoomOut(kDragZoomFactor);
    m_dragStartX = m_currentX;
    m_dragStartY = m_currentY;
}

void MyCanvas::OnMotion(wxMouseEvent &event)
{
    m_currentX = event.GetX();
    m_currentY = event.GetY();
    if (m_dragging) {
        m_moved = true;
        switch (m_mode) {
        case CANVAS_PAN: {
            static const wxCursor moveCursor = MakeMoveCursor();
            SetCursor(moveCursor);
            break;
        }
        case CANVAS_BOX_SELECT:
            Refresh(false);
            break;
        case CANVAS_PICK:
            ZoomDragStep();
            break;
        default:
            break;
        }
    }
    event.Skip();
}

void MyCanvas::OnLeftUp(wxMouseEvent &event)
{
    m_currentX = event.GetX();
    m_currentY = event.GetY();
    if (m_dragging && m_moved) {
        m_moved = false;
        if (m_mode == CANVAS_PAN) {
            PanBy(m_currentX - m_dragStartX, m_currentY - m_dragStartY);
            SetCursor(m_savedCursor);
        } else if (m_mode == CANVAS_BOX_SELECT) {
            SelectInRectangle();
        }
    } else if (m_dragging) {
        PickAt(m_currentX, m_currentY);
    }
    m_dragging = false;
    event.Skip();
}

void MyCanvas::OnMouseWheel(wxMouseEvent &event)
{
    if (event.GetWheelRotation() > 0)
        ZoomIn(kWheelFactor);
    else
        ZoomOut(kWheelFactor);
    event.Skip();
}

void MyCanvas::OnSize(wxSizeEvent &event)
{
    const wxSize client = GetClientSize();
    if (client.GetWidth() > 0 && client.GetHeight() > 0)
        m_backBuffer.Create(client.GetWidth(), client.GetHeight(), wxBITMAP_SCREEN_DEPTH);
    else
        m_backBuffer = wxNullBitmap;
    event.Skip();
}

void MyCanvas::OnPaint(wxPaintEvent &)
{
    wxPaintDC dc(this);
    if (m_backBuffer.IsOk()) {
        const int w = m_backBuffer.GetWidth(), h = m_backBuffer.GetHeight();
        wxMemoryDC memory(m_backBuffer);
        memory.SetBrush(*wxWHITE_BRUSH);
        memory.DrawRectangle(0, 0, w, h);
        memory.DrawText(m_caption, 10, 10);
        m_map.Draw(memory);
        dc.Blit(0, 0, w, h, &memory, 0, 0, wxCOPY);
    }
    if (m_mode == CANVAS_BOX_SELECT && m_moved) {
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.SetPen(wxPen(wxColour(0, 0, 255, 255), 1, wxPENSTYLE_SOLID));
        const int x = static_cast<int>(std::trunc(m_dragStartX)), y = static_cast<int>(std::trunc(m_dragStartY));
        const int w = static_cast<int>(std::trunc(m_currentX - m_dragStartX));
        const int h = static_cast<int>(std::trunc(m_currentY - m_dragStartY));
        dc.DrawRectangle(std::min(x, x + w), std::min(y, y + h), std::abs(w), std::abs(h));
    }
}
