// A font face (file and face index) with its pixel size and layout settings, laid out glyph by glyph
// through FreeType's caches; renders text into a texture, or all of codes 32-255 into a font sheet.
// Copies share the face description and the resource count; settings belong to each copy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_GLYPH_H

#include "core/PngFile.h"
#include "engine/Resource.h"
#include "graphics/FontSheet.h"
#include "graphics/Texture.h"

class BaseInStream;

// The FreeType library and its caches, made once at start-up (initializeFontLibrary) and kept for the
// whole run.
extern FT_Library freetypeLibrary;
extern FTC_Manager fontFaceCacheManager;
extern FTC_CMapCache fontCharMapCache;
extern FTC_ImageCache fontGlyphImageCache;

// Opens the face that a FreetypeFont::CacheID names; handed to the cache manager.
FT_Error faceRequester(FTC_FaceID faceId, FT_Library library, FT_Pointer requestData, FT_Face* face);
// Creates the library, the cache manager and the two caches unless they exist; false (with an error
// line) when FreeType cannot start. Fonts made before start-up call it themselves.
bool initializeFontLibrary();
// Forgets every cached font sheet (their GL textures go with their last copy). Call while the GL
// context that made them is still current.
void clearFontSheetCache();
// Clears the sheet cache, then closes the caches and the library.
void shutdownFontLibrary();

// How much room a text takes: lines, width in multiples of the font size, and how far the last
// line's glyphs reach below its baseline (pixels).
struct TextExtent {
    int lines = 0;
    float width = 0.0f;
    int lastLineDescent = 0;
};

// A rendered font sheet before it goes to GL: luminance-alpha pixels and the glyph rectangles.
struct FontSheetImage {
    PixelImage image;
    std::map<std::int32_t, GlyphRect> glyphRects;
};

class FreetypeFont : public Resource {
public:
    // What the face cache knows a face by: its address is the FreeType face ID.
    struct CacheID {
        std::string path;
        int faceIndex = 0;
    };

    // Called once per drawn character: index into the text, its rendered glyph, and the left and
    // bottom edges of its bitmap (pixels, y upward from the first baseline).
    using GlyphCallback = std::function<void(int index, FT_BitmapGlyph glyph, int x, int y)>;

    // No face: lays out nothing.
    FreetypeFont();
    // The face faceIndex of the file (looked up beside the executable and in the settings folder too).
    FreetypeFont(const std::string& fileName, int faceIndex);
    FreetypeFont(const FreetypeFont& other);
    FreetypeFont& operator=(const FreetypeFont& other);
    ~FreetypeFont() override;

    FreetypeFont* clone() const override;
    virtual int getVersion() const { return 0; }

    // The face and its size at this font's pixel size, looked up in the cache now (the cache may
    // have closed it since the last call); null when the font has none or FreeType cannot open it.
    FT_Face lookupFace() const;
    bool hasFace() const { return lookupFace() != nullptr; }

    // Walks the text: a newline starts a new line one size lower; other characters are placed with
    // their bearing, kerning (when on) and advance, and wrapped when a wrap width is set.
    void layoutText(const std::wstring& text, const GlyphCallback& callback) const;
    TextExtent measureText(const std::wstring& text) const;
    // White pixels with the text's coverage in alpha, luminance-alpha, rows from the bottom, a border
    // all round. An empty result (width 0) for empty text or a font without a face.
    PixelImage renderToImage(const std::wstring& text) const;
    // renderToImage uploaded as a luminance-alpha texture; empty text gives an empty Texture.
    Texture renderToTexture(const std::wstring& text) const;
    // The sheet pixels and glyph rectangles of a text, lines twice the size apart, laid out without
    // kerning.
    FontSheetImage buildFontSheetImage(const std::wstring& text) const;
    // This font's sheet of codes 32 to 255, built once per font name and size and then shared.
    FontSheet getFontSheet() const;

    int getSize() const { return size; }
    void setSize(int pixels) { size = pixels; }
    float getWrapWidth() const { return wrapWidth; }
    void setWrapWidth(float multiplesOfSize) { wrapWidth = multiplesOfSize; }
    int getBorder() const { return border; }
    void setBorder(int pixels) { border = pixels; }
    bool getKerning() const { return kerning; }
    void setKerning(bool on) { kerning = on; }
    const std::shared_ptr<CacheID>& getCacheId() const { return cacheId; }

    // The record: "fileName" and "faceIndex"; the font then holds that face.
    virtual void read(BaseInStream& in, int version);

private:
    std::shared_ptr<CacheID> cacheId;
    int size = 64;
    float wrapWidth = -1.0f;
    int border = 2;
    bool kerning = true;
};

// One glyph's coverage s blended over alpha a: a + floor(s * (255 - a) / 255 + 0.5).
std::uint8_t blendCoverage(std::uint8_t alpha, std::uint8_t coverage);
// The characters every text is laid out by: UTF-8 decoded, and each byte that is not part of a
// well-formed UTF-8 sequence taken as its Latin-1 character, so no text fails to draw.
std::wstring widenText(const std::string& text);
// What a font sheet holds: codes 32 to 255, a newline after each run of 32 (seven lines).
std::wstring fontSheetText();
