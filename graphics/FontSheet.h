// A font sheet: one texture holding the glyphs of one font at one size, with the texture rectangle of
// every character. Font-sheet text is built from it as one quad per character.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "graphics/Texture.h"

// Texture coordinates of one glyph's bitmap in its sheet.
struct GlyphRect {
    float uMin = 0.0f;  // left edge
    float vMin = 0.0f;  // bottom edge
    float uMax = 0.0f;  // right edge
    float vMax = 0.0f;  // top edge
};

inline bool operator==(const GlyphRect& a, const GlyphRect& b) {
    return a.uMin == b.uMin && a.vMin == b.vMin && a.uMax == b.uMax && a.vMax == b.vMax;
}

// A plain value: copies share the sheet's GL texture (the texture's own resource count).
struct FontSheet {
    std::string fontName = "Verdana Bold";
    Texture texture;
    std::map<std::int32_t, GlyphRect> glyphRects;
};
