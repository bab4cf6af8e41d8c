#include "MySpriteCache.h"

#include "MySymbol.h"

#include <wx/brush.h>
#include <wx/font.h>
#include <wx/pen.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Labels of a large plan are many but finite; a map refilled again and
// again with new ones must not grow the cache without end.
const size_t kMaxTexts = 20000;

wxImage TransparentImage(int width, int height)
{
    wxImage image(width, height);
    image.InitAlpha();
    unsigned char *alpha = image.GetAlpha();
    std::fill(alpha, alpha + size_t(width) * height, 0);
    return image;
}

wxString ColourKey(const wxColour &colour)
{
    return wxString::Format("%08x", colour.GetRGBA());
}

} // namespace

const MySpriteCache::Sprite &MySpriteCache::Symbol(wxGraphicsContext &target, int type, int size, int penWidth,
                                                   const wxColour &pen, const wxColour &fill)
{
    const wxString key =
        wxString::Format("%d/%d/%d/", type, size, penWidth) + ColourKey(pen) + "/" + ColourKey(fill);
    auto found = m_symbols.find(key);
    if (found != m_symbols.end())
        return found->second;

    const int h = size / 2;
    const int reach = h + penWidth + 2;
    Sprite sprite;
    sprite.width = sprite.height = 2 * reach + 1;
    sprite.anchorX = sprite.anchorY = reach;
    wxImage image = TransparentImage(sprite.width, sprite.height);
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        gc->SetPen(wxPen(pen, penWidth, wxPENSTYLE_SOLID));
        gc->SetBrush(wxBrush(fill, wxBRUSHSTYLE_SOLID));
        const int x = reach, y = reach;
        switch (type) {
        case SYMBOL_CIRCLE:
            gc->DrawEllipse(x - h, y - h, 2 * h, 2 * h);
            break;
        case SYMBOL_TRIANGLE:
            gc->StrokeLine(x, y - h, x - h, y + h);
            gc->StrokeLine(x - h, y + h, x + h, y + h);
            gc->StrokeLine(x, y - h, x + h, y + h);
            break;
        case SYMBOL_SQUARE:
            gc->DrawRectangle(x - h, y - h, 2 * h, 2 * h);
            break;
        default:
            break;
        }
    }
    sprite.bitmap = target.CreateBitmapFromImage(image);
    return m_symbols.emplace(key, sprite).first->second;
}

const MySpriteCache::Sprite &MySpriteCache::Text(wxGraphicsContext &target, const wxString &text,
                                                 const wxString &faceName, int pointSize, const wxColour &colour)
{
    const wxString key = wxString::Format("%d/", pointSize) + ColourKey(colour) + "/" + faceName + "/" + text;
    auto found = m_texts.find(key);
    if (found != m_texts.end())
        return found->second;
    if (m_texts.size() >= kMaxTexts)
        m_texts.clear();

    const wxFont font(pointSize, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, faceName,
                      wxFONTENCODING_DEFAULT);
    target.SetFont(font, colour);
    double w = 0, h = 0;
    target.GetTextExtent(text, &w, &h);
    Sprite sprite;
    sprite.width = std::max(1, int(std::ceil(w)) + 2);
    sprite.height = std::max(1, int(std::ceil(h)) + 2);
    wxImage image = TransparentImage(sprite.width, sprite.height);
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        gc->SetFont(font, colour);
        gc->DrawText(text, 0, 0);
    }
    sprite.bitmap = target.CreateBitmapFromImage(image);
    return m_texts.emplace(key, sprite).first->second;
}

void MySpriteCache::Clear()
{
    m_symbols.clear();
    m_texts.clear();
}
