// Painting of a map at the pixel positions of its last view.  Pixel
// positions far outside the window (a deep zoom on survey coordinates) are
// not handed to the drawing back end, whose fixed-point coordinates would
// wrap: such geometry is clipped in double precision from the map
// coordinates first.
#include "MyMap.h"

#include <wx/dc.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Pixel coordinates the back end draws exactly.
const int kSafePixel = 1 << 20;
// Geometry is clipped to the window grown by this many pixels, so that wide
// pens and joins outside the window are not cut visibly.
const double kClipMargin = 64.0;
// The stroker's cost grows faster than the number of pieces in one path:
// paths are stroked in batches of at most this many pieces.
const int kMaxSubpaths = 256;

bool IsSafe(const MyPoint &point)
{
    return point.px > -kSafePixel && point.px < kSafePixel && point.py > -kSafePixel && point.py < kSafePixel;
}

struct PixelRect {
    double left, top, right, bottom;
};

// Liang-Barsky: false when the segment misses the rectangle, else the
// segment is shortened to the part inside.
bool ClipSegment(const PixelRect &rect, wxRealPoint &a, wxRealPoint &b)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - rect.left, rect.right - a.x, a.y - rect.top, rect.bottom - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const wxRealPoint start = a;
    a = wxRealPoint(start.x + t0 * dx, start.y + t0 * dy);
    b = wxRealPoint(start.x + t1 * dx, start.y + t1 * dy);
    return true;
}

// Sutherland-Hodgman against one edge of the rectangle at a time.
std::vector<wxRealPoint> ClipPolygon(const PixelRect &rect, std::vector<wxRealPoint> points)
{
    auto clipEdge = [&points](auto inside, auto cross) {
        std::vector<wxRealPoint> out;
        for (size_t i = 0; i < points.size(); ++i) {
            const wxRealPoint &current = points[i];
            const wxRealPoint &previous = points[(i + points.size() - 1) % points.size()];
            if (inside(current)) {
                if (!inside(previous))
                    out.push_back(cross(previous, current));
                out.push_back(current);
            } else if (inside(previous)) {
                out.push_back(cross(previous, current));
            }
        }
        points.swap(out);
    };
    auto atX = [](double x) {
        return [x](const wxRealPoint &a, const wxRealPoint &b) {
            return wxRealPoint(x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x));
        };
    };
    auto atY = [](double y) {
        return [y](const wxRealPoint &a, const wxRealPoint &b) {
            return wxRealPoint(a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y);
        };
    };
    clipEdge([&rect](const wxRealPoint &p) { return p.x >= rect.left; }, atX(rect.left));
    clipEdge([&rect](const wxRealPoint &p) { return p.x <= rect.right; }, atX(rect.right));
    clipEdge([&rect](const wxRealPoint &p) { return p.y >= rect.top; }, atY(rect.top));
    clipEdge([&rect](const wxRealPoint &p) { return p.y <= rect.bottom; }, atY(rect.bottom));
    return points;
}

wxPoint Rounded(const wxRealPoint &point)
{
    return wxPoint(static_cast<int>(std::lround(point.x)), static_cast<int>(std::lround(point.y)));
}

// Sets pens and brushes only when they change: a map of many thousand
// entities mostly repeats the same few.
class DrawState
{
public:
    explicit DrawState(wxDC &dc) : m_dc(dc) {}

    bool PenDiffers(const wxColour &colour, int width) const
    {
        return !m_penSet || colour != m_penColour || width != m_penWidth;
    }
    void Pen(const wxColour &colour, int width)
    {
        if (!PenDiffers(colour, width))
            return;
        m_dc.SetPen(wxPen(colour, width, wxPENSTYLE_SOLID));
        m_penSet = true;
        m_penColour = colour;
        m_penWidth = width;
    }
    void Brush(const wxColour &colour)
    {
        if (m_brushSet && !m_brushTransparent && colour == m_brushColour)
            return;
        m_dc.SetBrush(wxBrush(colour, wxBRUSHSTYLE_SOLID));
        m_brushSet = true;
        m_brushTransparent = false;
        m_brushColour = colour;
    }
    // Outlines (circles, arcs) must not take up the fill a polygon left.
    void NoBrush()
    {
        if (m_brushSet && m_brushTransparent)
            return;
        m_dc.SetBrush(*wxTRANSPARENT_BRUSH);
        m_brushSet = true;
        m_brushTransparent = true;
    }
    // On some device contexts a text colour change remakes the font.
    void TextColour(const wxColour &colour)
    {
        if (m_textColourSet && colour == m_textColour)
            return;
        m_dc.SetTextForeground(colour);
        m_textColourSet = true;
        m_textColour = colour;
    }
    void Font(const wxString &face, int pointSize)
    {
        if (m_fontSet && face == m_fontFace && pointSize == m_fontSize)
            return;
        m_dc.SetFont(wxFont(pointSize, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face,
                            wxFONTENCODING_DEFAULT));
        m_fontSet = true;
        m_fontFace = face;
        m_fontSize = pointSize;
    }

private:
    wxDC &m_dc;
    bool m_penSet = false, m_brushSet = false, m_brushTransparent = false, m_fontSet = false, m_textColourSet = false;
    wxColour m_penColour, m_brushColour, m_textColour;
    int m_penWidth = 0, m_fontSize = 0;
    wxString m_fontFace;
};

class MapPainter
{
public:
    MapPainter(const MyMap &map, wxDC &dc, MySpriteCache &sprites)
        : m_map(map), m_dc(dc), m_state(dc), m_gc(dc.GetGraphicsContext()), m_sprites(sprites)
    {
        const wxSize size = dc.GetSize();
        m_width = size.GetWidth();
        m_height = size.GetHeight();
        m_clip = PixelRect{-kClipMargin, -kClipMargin, m_width + kClipMargin, m_height + kClipMargin};
    }

    void Polylines();
    void Polygons();
    void Lines();
    void Circles();
    void Arcs();
    void Texts();
    void Symbols();

private:
    // Untruncated pixel position straight from the map coordinates.
    wxRealPoint Exact(const MyPoint &point) const
    {
        const double s = m_map.ViewScale();
        return wxRealPoint(std::trunc((point.x - m_map.ViewOriginX()) * s) + 20.0,
                           20.0 - std::trunc((point.y - m_map.ViewOriginY()) * s));
    }
    void ClippedSegment(wxRealPoint a, wxRealPoint b)
    {
        if (ClipSegment(m_clip, a, b)) {
            const wxPoint p = Rounded(a), q = Rounded(b);
            m_dc.DrawLine(p, q);
        }
    }
    bool Visible(int left, int top, int right, int bottom, int grow) const
    {
        return right >= -grow && bottom >= -grow && left <= m_width + grow && top <= m_height + grow;
    }
    void Path(const wxVector<MyPoint *> &points, int penWidth);
    bool AddToPath(const wxVector<MyPoint *> &points, int penWidth);
    void StrokePending();
    void Sprite(const MySpriteCache::Sprite &sprite, int x, int y)
    {
        m_gc->DrawBitmap(sprite.bitmap, x - sprite.anchorX, y - sprite.anchorY, sprite.width, sprite.height);
    }

    const MyMap &m_map;
    wxDC &m_dc;
    DrawState m_state;
    // The device context's own graphics context, when it has one: then the
    // polylines of one pen are stroked as one path and symbols and labels
    // come from the sprite cache.
    wxGraphicsContext *m_gc;
    MySpriteCache &m_sprites;
    wxGraphicsPath m_pending;
    bool m_hasPending = false;
    int m_pendingSubpaths = 0;
    wxPoint m_pathEnd;
    int m_width = 0, m_height = 0;
    PixelRect m_clip;
    std::vector<wxPoint> m_buffer;
};

void MapPainter::Path(const wxVector<MyPoint *> &points, int penWidth)
{
    const size_t n = points.size();
    if (n < 2)
        return;
    m_buffer.clear();
    bool safe = true;
    int left = kSafePixel, top = kSafePixel, right = -kSafePixel, bottom = -kSafePixel;
    for (const MyPoint *point : points) {
        if (!IsSafe(*point)) {
            safe = false;
            break;
        }
        m_buffer.emplace_back(point->px, point->py);
        left = std::min(left, point->px);
        right = std::max(right, point->px);
        top = std::min(top, point->py);
        bottom = std::max(bottom, point->py);
    }
    if (safe) {
        if (Visible(left, top, right, bottom, penWidth + 2))
            m_dc.DrawLines(static_cast<int>(n), m_buffer.data());
        return;
    }
    for (size_t j = 0; j + 1 < n; ++j)
        ClippedSegment(Exact(*points[j]), Exact(*points[j + 1]));
}

// Adds the polyline to the pending path; false when its pixel positions lie
// beyond what the back end draws exactly.
bool MapPainter::AddToPath(const wxVector<MyPoint *> &points, int penWidth)
{
    int left = kSafePixel, top = kSafePixel, right = -kSafePixel, bottom = -kSafePixel;
    for (const MyPoint *point : points) {
        if (!IsSafe(*point))
            return false;
        left = std::min(left, point->px);
        right = std::max(right, point->px);
        top = std::min(top, point->py);
        bottom = std::max(bottom, point->py);
    }
    if (!Visible(left, top, right, bottom, penWidth + 2))
        return true;
    if (m_hasPending && m_pendingSubpaths >= kMaxSubpaths)
        StrokePending();
    if (!m_hasPending) {
        m_pending = m_gc->CreatePath();
        m_hasPending = true;
        m_pendingSubpaths = 0;
    }
    const MyPoint *previous = points[0];
    // A polyline that starts where the last one ended (the elements of an
    // alignment, one after the other) continues its stroke.
    const bool continues = m_pendingSubpaths > 0 && previous->px == m_pathEnd.x && previous->py == m_pathEnd.y;
    if (!continues) {
        m_pending.MoveToPoint(previous->px, previous->py);
        ++m_pendingSubpaths;
    }
    bool moved = continues;
    for (size_t j = 1; j < points.size(); ++j) {
        // Steps within one pixel add nothing to the stroke.
        if (points[j]->px == previous->px && points[j]->py == previous->py)
            continue;
        previous = points[j];
        m_pending.AddLineToPoint(previous->px, previous->py);
        moved = true;
    }
    if (!moved)
        m_pending.AddLineToPoint(previous->px, previous->py);
    m_pathEnd = wxPoint(previous->px, previous->py);
    return true;
}

void MapPainter::StrokePending()
{
    if (m_hasPending)
        m_gc->StrokePath(m_pending);
    m_hasPending = false;
}

void MapPainter::Polylines()
{
    for (const MyPolyline *polyline : m_map.polylines) {
        const wxColour &colour = polyline->IsHighlighted() ? polyline->selectedPenColour : polyline->penColour;
        if (!m_gc) {
            m_state.Pen(colour, polyline->penWidth);
            Path(polyline->points, polyline->penWidth);
            continue;
        }
        if (m_state.PenDiffers(colour, polyline->penWidth))
            StrokePending();
        m_state.Pen(colour, polyline->penWidth);
        if (polyline->points.size() >= 2 && !AddToPath(polyline->points, polyline->penWidth))
            Path(polyline->points, polyline->penWidth);
    }
    if (m_gc)
        StrokePending();
}

void MapPainter::Polygons()
{
    for (const MyPolygon *polygon : m_map.polygons) {
        m_state.Pen(*wxBLACK, polygon->outlineWidth);
        m_state.Brush(polygon->IsHighlighted() ? polygon->selectedFillColour : polygon->fillColour);
        if (polygon->points.empty())
            continue;
        m_buffer.clear();
        bool safe = true;
        for (const MyPoint *point : polygon->points) {
            safe = safe && IsSafe(*point);
            m_buffer.emplace_back(point->px, point->py);
        }
        if (!safe) {
            std::vector<wxRealPoint> exact;
            for (const MyPoint *point : polygon->points)
                exact.push_back(Exact(*point));
            m_buffer.clear();
            for (const wxRealPoint &point : ClipPolygon(m_clip, exact))
                m_buffer.push_back(Rounded(point));
            if (m_buffer.empty())
                continue;
        }
        m_dc.DrawPolygon(static_cast<int>(m_buffer.size()), m_buffer.data(), 0, 0, wxWINDING_RULE);
    }
}

void MapPainter::Lines()
{
    for (const MyLine *line : m_map.lines) {
        m_state.Pen(line->penColour, line->penWidth);
        if (IsSafe(line->p1) && IsSafe(line->p2))
            m_dc.DrawLine(line->p1.px, line->p1.py, line->p2.px, line->p2.py);
        else
            ClippedSegment(Exact(line->p1), Exact(line->p2));
    }
}

void MapPainter::Circles()
{
    m_state.NoBrush();
    for (const MyCircle *circle : m_map.circles) {
        m_state.Pen(circle->penColour, circle->penWidth);
        const int r = circle->pixelRadius;
        const MyPoint &c = circle->centre;
        if (IsSafe(c) && r < kSafePixel) {
            if (Visible(c.px - r, c.py - r, c.px + r, c.py + r, circle->penWidth + 2))
                m_dc.DrawEllipse(c.px - r, c.py - r, 2 * r, 2 * r);
            continue;
        }
        // So large on the screen that only its outline can show: drawn as
        // short chords clipped to the window.
        const wxRealPoint centre = Exact(c);
        const double radius = circle->radius * m_map.ViewScale();
        const int steps = 4096;
        wxRealPoint previous(centre.x + radius, centre.y);
        for (int k = 1; k <= steps; ++k) {
            const double a = 2.0 * M_PI * k / steps;
            const wxRealPoint next(centre.x + radius * std::cos(a), centre.y + radius * std::sin(a));
            ClippedSegment(previous, next);
            previous = next;
        }
    }
}

void MapPainter::Arcs()
{
    m_state.NoBrush();
    for (const MyArc *arc : m_map.arcs) {
        m_state.Pen(arc->penColour, arc->penWidth);
        const int r = arc->pixelRadius;
        const MyPoint &c = arc->centre;
        if (!IsSafe(c) || r >= kSafePixel)
            continue;
        const int x1 = static_cast<int>(std::trunc(c.px + r * std::cos(arc->startAngle)));
        const int y1 = static_cast<int>(std::trunc(c.py + r * std::sin(arc->startAngle)));
        const int x2 = static_cast<int>(std::trunc(c.px + r * std::cos(arc->endAngle)));
        const int y2 = static_cast<int>(std::trunc(c.py + r * std::sin(arc->endAngle)));
        m_dc.DrawArc(x1, y1, x2, y2, c.px, c.py);
    }
}

void MapPainter::Texts()
{
    for (const MyText *text : m_map.texts) {
        m_state.TextColour(text->colour);
        // A font needs a positive size; a height below one point is drawn at one.
        const int pointSize = std::max(1, static_cast<int>(std::trunc(text->height)));
        m_state.Font(text->faceName, pointSize);
        const MyPoint &anchor = text->anchor;
        if (!IsSafe(anchor) || !IsSafe(text->direction))
            continue;
        if (!Visible(anchor.px, anchor.py, anchor.px, anchor.py, 2000))
            continue;
        const int dx = text->direction.px - anchor.px;
        const int dy = text->direction.py - anchor.py;
        if (dy == 0 && dx >= 0 && m_gc) {
            Sprite(m_sprites.Text(*m_gc, text->text, text->faceName, pointSize, text->colour), anchor.px,
                   anchor.py);
        } else if (dy == 0 && dx >= 0) {
            m_dc.DrawText(text->text, anchor.px, anchor.py);
        } else {
            // Screen y grows downwards; the toolkit turns counter-clockwise.
            const double degrees = -std::atan2(double(dy), double(dx)) * 180.0 / M_PI;
            m_dc.DrawRotatedText(text->text, anchor.px, anchor.py, degrees);
        }
    }
}

void MapPainter::Symbols()
{
    for (const MySymbol *symbol : m_map.symbols) {
        m_state.Pen(symbol->penColour, symbol->penWidth);
        m_state.Brush(symbol->IsHighlighted() ? symbol->selectedFillColour : symbol->fillColour);
        const MyPoint &p = symbol->position;
        const int h = symbol->size / 2;
        if (!IsSafe(p) || !Visible(p.px - h, p.py - h, p.px + h, p.py + h, symbol->penWidth + 2))
            continue;
        if (m_gc) {
            Sprite(m_sprites.Symbol(*m_gc, symbol->type, symbol->size, symbol->penWidth, symbol->penColour,
                                    symbol->IsHighlighted() ? symbol->selectedFillColour : symbol->fillColour),
                   p.px, p.py);
            continue;
        }
        switch (symbol->type) {
        case SYMBOL_CIRCLE:
            m_dc.DrawEllipse(p.px - h, p.py - h, 2 * h, 2 * h);
            break;
        case SYMBOL_TRIANGLE:
            m_dc.DrawLine(p.px, p.py - h, p.px - h, p.py + h);
            m_dc.DrawLine(p.px - h, p.py + h, p.px + h, p.py + h);
            m_dc.DrawLine(p.px, p.py - h, p.px + h, p.py + h);
            break;
        case SYMBOL_SQUARE:
            // Centred on the point like the other two shapes.
            m_dc.DrawRectangle(p.px - h, p.py - h, 2 * h, 2 * h);
            break;
        default:
            break;
        }
    }
}

} // namespace

void MyMap::Draw(wxDC &dc) const
{
    MapPainter painter(*this, dc, m_sprites);
    painter.Polylines();
    painter.Polygons();
    painter.Lines();
    painter.Circles();
    painter.Arcs();
    painter.Texts();
    painter.Symbols();
}
