// Pictures of symbols and labels rendered once and then copied into place:
// a plan repaints the same few symbol styles and the same labels on every
// pan, zoom and selection, and shaping a text or rasterising an outline
// costs far more than copying its pixels.
#pragma once

#include <wx/colour.h>
#include <wx/graphics.h>
#include <wx/string.h>

#include <unordered_map>

class MySpriteCache
{
public:
    struct Sprite {
        wxGraphicsBitmap bitmap;
        int width = 0;
        int height = 0;
        // Pixel of the sprite that goes on the anchor point.
        int anchorX = 0;
        int anchorY = 0;
    };

    // Symbol of the given style centred on its point (as MyMap draws it).
    const Sprite &Symbol(wxGraphicsContext &target, int type, int size, int penWidth, const wxColour &pen,
                         const wxColour &fill);
    // Unrotated text whose top left is its anchor.
    const Sprite &Text(wxGraphicsContext &target, const wxString &text, const wxString &faceName, int pointSize,
                       const wxColour &colour);
    void Clear();

private:
    std::unordered_map<wxString, Sprite> m_symbols;
    std::unordered_map<wxString, Sprite> m_texts;
};
