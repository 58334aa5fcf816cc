// Font faces through FreeType's cache subsystem: layout, measuring, text textures and font sheets.
#include "graphics/FreetypeFont.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <unordered_map>

#include FT_MODULE_H

#include "core/FileLookup.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"

FT_Library freetypeLibrary = nullptr;
FTC_Manager fontFaceCacheManager = nullptr;
FTC_CMapCache fontCharMapCache = nullptr;
FTC_ImageCache fontGlyphImageCache = nullptr;

namespace {

const auto& freetypeFontType = registerType<FreetypeFont>("FreetypeFont");

// Sheets stay until exit; held through a pointer that is never destroyed so that no texture is
// deleted after the GL context has gone.
std::unordered_map<std::string, FontSheet>& fontAtlasCache() {
    static auto* cache = new std::unordered_map<std::string, FontSheet>(8);
    return *cache;
}

// Drops every cached face of a face description before the description's address can be reused.
void deleteCacheId(FreetypeFont::CacheID* id) {
    if (fontFaceCacheManager) FTC_Manager_RemoveFaceID(fontFaceCacheManager, id);
    delete id;
}

FTC_ScalerRec makeScaler(FreetypeFont::CacheID* id, int size) {
    FTC_ScalerRec scaler;
    scaler.face_id = id;
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(size);
    scaler.pixel = 1;
    scaler.x_res = 0;
    scaler.y_res = 0;
    return scaler;
}

// Coverage (0-255) of bitmap pixel (column, row), row 0 at the bitmap's top.
std::uint8_t coverageAt(const FT_Bitmap& bitmap, unsigned column, unsigned row) {
    const int pitch = bitmap.pitch;
    const unsigned char* line = pitch >= 0 ? bitmap.buffer + static_cast<std::ptrdiff_t>(row) * pitch
                                           : bitmap.buffer + static_cast<std::ptrdiff_t>(bitmap.rows - 1 - row) * -pitch;
    switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO:
        return (line[column >> 3] & (0x80 >> (column & 7))) ? 255 : 0;
    case FT_PIXEL_MODE_GRAY:
        if (bitmap.num_grays == 256 || bitmap.num_grays == 0) return line[column];
        return static_cast<std::uint8_t>(line[column] * 255 / (bitmap.num_grays - 1));
    default:
        return 0;
    }
}

// An image of w x h luminance-alpha pixels, white and fully transparent; the empty record (reported)
// when it cannot be held.
PixelImage makeTextImage(int w, int h) {
    PixelImage image;
    const std::size_t bytes = static_cast<std::size_t>(w) * h * 2;
    std::shared_ptr<unsigned char[]> pixels(newPixelBlock(static_cast<std::size_t>(w) * 2, static_cast<std::uint32_t>(h)));
    if (!pixels) {
        std::cerr << "error: out of memory for a " << w << "x" << h << " text image" << std::endl;
        return image;
    }
    for (std::size_t i = 0; i < bytes; i += 2) {
        pixels[i] = 255;
        pixels[i + 1] = 0;
    }
    image.pixels = pixels;
    image.width = static_cast<std::uint32_t>(w);
    image.height = static_cast<std::uint32_t>(h);
    image.channels = 2;
    image.format = GL_LUMINANCE_ALPHA;
    image.bitDepth = 8;
    image.rowBytes = static_cast<std::size_t>(w) * 2;
    return image;
}

// Blends a glyph's coverage into the image with the bitmap's bottom-left pixel at (column0, row0);
// whatever falls outside the image is skipped.
void blitGlyph(PixelImage& image, FT_BitmapGlyph glyph, int column0, int row0) {
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int rows = static_cast<int>(bitmap.rows);
    const int columns = static_cast<int>(bitmap.width);
    unsigned char* pixels = image.pixels.get();
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    for (int r = 0; r < rows; ++r) {
        const int row = row0 + r;
        if (row >= height) break;
        if (row < 0) continue;
        for (int c = 0; c < columns; ++c) {
            const int column = column0 + c;
            if (column >= width) break;
            if (column < 0) continue;
            unsigned char& alpha = pixels[static_cast<std::size_t>(row) * image.rowBytes + static_cast<std::size_t>(column) * 2 + 1];
            alpha = blendCoverage(alpha, coverageAt(bitmap, static_cast<unsigned>(c), static_cast<unsigned>(rows - 1 - r)));
        }
    }
}

// The smallest even size at or above value (single precision, as the texture sizes are computed).
int evenCeiling(float value) {
    return 2 * static_cast<int>(std::ceil(value * 0.5f));
}

// FreeType's cache manager (2.12) leaves its weight counter unset and compares it whenever it caches a
// glyph, so when the cache is trimmed depended on leftover heap bytes. Every block handed to FreeType is
// therefore zeroed.
void* zeroedBlock(FT_Memory, long size) { return std::calloc(1, static_cast<std::size_t>(size)); }
void freeBlock(FT_Memory, void* block) { std::free(block); }
void* resizedBlock(FT_Memory, long, long size, void* block) { return std::realloc(block, static_cast<std::size_t>(size)); }
FT_MemoryRec_ freetypeMemory = {nullptr, zeroedBlock, freeBlock, resizedBlock};

}  // namespace

FT_Error faceRequester(FTC_FaceID faceId, FT_Library library, FT_Pointer, FT_Face* face) {
    auto* id = static_cast<FreetypeFont::CacheID*>(faceId);
    FT_Error error = FT_New_Face(library, id->path.c_str(), id->faceIndex, face);
    if (error) {
        std::cerr << "error: could not open font face " << id->faceIndex << " of \"" << id->path
                  << "\" (FreeType error " << error << ")" << std::endl;
    }
    return error;
}

bool initializeFontLibrary() {
    if (fontGlyphImageCache) return true;
    if (!freetypeLibrary) {
        if (FT_New_Library(&freetypeMemory, &freetypeLibrary)) {
            freetypeLibrary = nullptr;
            std::cerr << "error: FreeType could not start" << std::endl;
            return false;
        }
        FT_Add_Default_Modules(freetypeLibrary);
        FT_Set_Default_Properties(freetypeLibrary);
    }
    if (!fontFaceCacheManager &&
        FTC_Manager_New(freetypeLibrary, 0, 0, 0, faceRequester, nullptr, &fontFaceCacheManager)) {
        fontFaceCacheManager = nullptr;
        std::cerr << "error: FreeType's font cache could not start" << std::endl;
        return false;
    }
    if (!fontCharMapCache && FTC_CMapCache_New(fontFaceCacheManager, &fontCharMapCache)) {
        fontCharMapCache = nullptr;
        std::cerr << "error: FreeType's character map cache could not start" << std::endl;
        return false;
    }
    if (FTC_ImageCache_New(fontFaceCacheManager, &fontGlyphImageCache)) {
        fontGlyphImageCache = nullptr;
        std::cerr << "error: FreeType's glyph cache could not start" << std::endl;
        return false;
    }
    return true;
}

void clearFontSheetCache() {
    fontAtlasCache().clear();
}

void shutdownFontLibrary() {
    clearFontSheetCache();
    if (fontFaceCacheManager) FTC_Manager_Done(fontFaceCacheManager);
    fontFaceCacheManager = nullptr;
    fontCharMapCache = nullptr;
    fontGlyphImageCache = nullptr;
    // FT_Done_FreeType would also free the memory record, which is ours.
    if (freetypeLibrary) FT_Done_Library(freetypeLibrary);
    freetypeLibrary = nullptr;
}

std::uint8_t blendCoverage(std::uint8_t alpha, std::uint8_t coverage) {
    const float added = std::floor(static_cast<float>(coverage) * static_cast<float>(255 - alpha) / 255.0f + 0.5f);
    return static_cast<std::uint8_t>(alpha + static_cast<int>(added));
}

namespace {

// The length of the well-formed UTF-8 sequence at text[at], with its code; 0 when none starts there (a
// stray continuation byte, an overlong form, a surrogate, a code beyond U+10FFFF, a sequence cut short).
std::size_t utf8SequenceAt(const std::string& text, std::size_t at, std::uint32_t& code) {
    const unsigned lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // what the second byte may be
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned next = static_cast<unsigned char>(text[at + k]);
        if (next < (k == 1 ? low : 0x80u) || next > (k == 1 ? high : 0xBFu)) return 0;
        code = code << 6 | (next & 0x3F);
    }
    return length;
}

}  // namespace

std::wstring widenText(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t code = 0;
        const std::size_t length = utf8SequenceAt(text, at, code);
        // A byte that starts no character still draws, as its Latin-1 character.
        wide.push_back(static_cast<wchar_t>(length ? code : static_cast<unsigned char>(text[at])));
        at += length ? length : 1;
    }
    return wide;
}

std::wstring fontSheetText() {
    std::wstring text;
    for (int code = 32; code <= 255; ++code) {
        text.push_back(static_cast<wchar_t>(code));
        if ((code + 1) % 32 == 0) text.push_back(L'\n');
    }
    return text;
}

FreetypeFont::FreetypeFont() = default;

FreetypeFont::FreetypeFont(const std::string& fileName, int faceIndex) {
    initializeFontLibrary();
    std::string path;
    findFile(fileName, path);
    cacheId = std::shared_ptr<CacheID>(new CacheID{path, faceIndex}, deleteCacheId);
    // Opens the face now so that a bad font file is reported while its record is read.
    lookupFace();
}

FreetypeFont::FreetypeFont(const FreetypeFont& other)
    : Resource(other), cacheId(other.cacheId), size(other.size), wrapWidth(other.wrapWidth),
      border(other.border), kerning(other.kerning) {}

FreetypeFont& FreetypeFont::operator=(const FreetypeFont& other) {
    if (this == &other) return *this;
    Resource::operator=(other);
    cacheId = other.cacheId;
    size = other.size;
    wrapWidth = other.wrapWidth;
    border = other.border;
    kerning = other.kerning;
    return *this;
}

FreetypeFont::~FreetypeFont() {
    release();
}

FreetypeFont* FreetypeFont::clone() const {
    return new FreetypeFont(*this);
}

FT_Face FreetypeFont::lookupFace() const {
    if (!cacheId || !fontFaceCacheManager || size <= 0) return nullptr;
    FTC_ScalerRec scaler = makeScaler(cacheId.get(), size);
    FT_Size ftSize = nullptr;
    if (FTC_Manager_LookupSize(fontFaceCacheManager, &scaler, &ftSize) || !ftSize) return nullptr;
    return ftSize->face;
}

namespace {

// The layout of FreetypeFont::layoutText with the kerning choice made by the caller (font sheets are
// always laid out without kerning).
void layoutWith(const FreetypeFont& font, bool kerning, const std::wstring& text,
                const FreetypeFont::GlyphCallback& callback) {
    FreetypeFont::CacheID* id = font.getCacheId().get();
    const int size = font.getSize();
    // The face is looked up afresh: the cache manager may have closed the one seen last time.
    if (!font.lookupFace()) return;
    FTC_ScalerRec scaler = makeScaler(id, size);
    FTC_ImageTypeRec imageType;
    imageType.face_id = id;
    imageType.width = 0;
    imageType.height = static_cast<FT_UInt>(size);
    imageType.flags = FT_LOAD_RENDER;

    const float wrapWidth = font.getWrapWidth();
    int x = 0;
    int y = 0;
    FT_UInt previous = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t character = text[i];
        if (character == L'\n') {
            x = 0;
            y -= size;
            previous = 0;
            continue;
        }
        const FT_UInt glyphIndex =
            FTC_CMapCache_Lookup(fontCharMapCache, id, -1, static_cast<FT_UInt32>(character));
        FT_Glyph glyph = nullptr;
        FTC_Node node = nullptr;
        if (FTC_ImageCache_Lookup(fontGlyphImageCache, &imageType, glyphIndex, &glyph, &node) || !glyph)
            continue;
        if (glyph->format != FT_GLYPH_FORMAT_BITMAP) {
            FTC_Node_Unref(node, fontFaceCacheManager);
            continue;
        }
        auto bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
        x += bitmapGlyph->left;
        if (kerning && previous != 0) {
            // Kerning is scaled by the face's active size: make it this font's size first.
            FT_Size ftSize = nullptr;
            FT_Vector delta;
            if (!FTC_Manager_LookupSize(fontFaceCacheManager, &scaler, &ftSize) && ftSize &&
                !FT_Get_Kerning(ftSize->face, previous, glyphIndex, FT_KERNING_DEFAULT, &delta)) {
                x += static_cast<int>(delta.x / 64);
            }
        }
        previous = glyphIndex;
        const int advance = static_cast<int>(static_cast<float>(glyph->advance.x * (1.0 / 65536.0)));
        if (wrapWidth > 0.0f && static_cast<float>(size) * wrapWidth < static_cast<float>(x + advance)) {
            x = bitmapGlyph->left;
            y -= size;
            previous = 0;
        }
        callback(static_cast<int>(i), bitmapGlyph, x, y + bitmapGlyph->top - static_cast<int>(bitmapGlyph->bitmap.rows));
        x += advance;
        // The glyph stays in the cache only while it is referenced: it is released after its use.
        FTC_Node_Unref(node, fontFaceCacheManager);
    }
}

TextExtent measureWith(const FreetypeFont& font, bool kerning, const std::wstring& text) {
    TextExtent extent;
    extent.width = font.getWrapWidth();
    const int size = font.getSize();
    int rememberedBaseline = 0;
    layoutWith(font, kerning, text, [&](int, FT_BitmapGlyph glyph, int x, int bottom) {
        const int rows = static_cast<int>(glyph->bitmap.rows);
        const int baseline = bottom - glyph->top + rows;
        if (baseline != rememberedBaseline) extent.lastLineDescent = 0;
        rememberedBaseline = baseline;
        extent.lastLineDescent = std::max(extent.lastLineDescent, rows - glyph->top);
        extent.lines = 1 - baseline / size;
        const float advance = static_cast<float>(glyph->root.advance.x) / 65536.0f;
        extent.width = std::max(extent.width, (advance + static_cast<float>(x)) / static_cast<float>(size));
    });
    return extent;
}

}  // namespace

void FreetypeFont::layoutText(const std::wstring& text, const GlyphCallback& callback) const {
    layoutWith(*this, kerning, text, callback);
}

TextExtent FreetypeFont::measureText(const std::wstring& text) const {
    return measureWith(*this, kerning, text);
}

PixelImage FreetypeFont::renderToImage(const std::wstring& text) const {
    if (text.empty()) return PixelImage();
    const TextExtent extent = measureText(text);
    const int w = evenCeiling(static_cast<float>(size) * extent.width + static_cast<float>(2 * border));
    const int h = evenCeiling(static_cast<float>(size * extent.lines + extent.lastLineDescent + 2 * border));
    if (w <= 0 || h <= 0) return PixelImage();
    PixelImage image = makeTextImage(w, h);
    if (image.empty()) return image;
    const int firstBaselineRow = (extent.lines - 1) * size + extent.lastLineDescent + border;
    layoutText(text, [&](int, FT_BitmapGlyph glyph, int x, int y) {
        blitGlyph(image, glyph, x + border, firstBaselineRow + y);
    });
    return image;
}

Texture FreetypeFont::renderToTexture(const std::wstring& text) const {
    PixelImage image = renderToImage(text);
    if (image.empty()) return Texture();
    return Texture(image, GL_LUMINANCE_ALPHA);
}

FontSheetImage FreetypeFont::buildFontSheetImage(const std::wstring& text) const {
    FontSheetImage sheet;
    if (text.empty()) return sheet;
    const TextExtent extent = measureWith(*this, false, text);
    const int w = evenCeiling(static_cast<float>(size) * extent.width + static_cast<float>(2 * border));
    const int h = evenCeiling(static_cast<float>(extent.lastLineDescent + 2 * (size * extent.lines + border)));
    if (w <= 0 || h <= 0) return sheet;
    sheet.image = makeTextImage(w, h);
    // Without an image, rectangles would point into a texture that is never made.
    if (sheet.image.empty()) return sheet;
    const int firstBaselineRow = (2 * extent.lines - 1) * size + extent.lastLineDescent + border;
    layoutWith(*this, false, text, [&](int index, FT_BitmapGlyph glyph, int x, int bottom) {
        // Lines lie twice the size apart; within its line the glyph keeps its own offset from the
        // baseline (doubling that too would push glyphs that stand high, such as quotes, off the top).
        const int rows = static_cast<int>(glyph->bitmap.rows);
        const int baseline = bottom - glyph->top + rows;
        const int column0 = x + border;
        const int row0 = firstBaselineRow + 2 * baseline + (bottom - baseline);
        GlyphRect rect;
        rect.uMin = static_cast<float>(column0) / static_cast<float>(w);
        rect.vMin = static_cast<float>(row0) / static_cast<float>(h);
        rect.uMax = static_cast<float>(column0 + static_cast<int>(glyph->bitmap.width)) / static_cast<float>(w);
        rect.vMax = static_cast<float>(row0 + rows) / static_cast<float>(h);
        sheet.glyphRects[static_cast<std::int32_t>(text[static_cast<std::size_t>(index)])] = rect;
        blitGlyph(sheet.image, glyph, column0, row0);
    });
    return sheet;
}

FontSheet FreetypeFont::getFontSheet() const {
    std::ostringstream keyStream;
    keyStream << getName() << size;
    const std::string key = keyStream.str();
    auto& cache = fontAtlasCache();
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;

    FontSheetImage built = buildFontSheetImage(fontSheetText());
    FontSheet sheet;
    sheet.fontName = getName();
    if (!built.image.empty()) sheet.texture = Texture(built.image, GL_LUMINANCE_ALPHA);
    sheet.glyphRects = std::move(built.glyphRects);
    return cache.emplace(key, sheet).first->second;
}

void FreetypeFont::read(BaseInStream& in, int version) {
    std::string fileName;
    int faceIndex = 0;
    // Hand-written: the keys fill locals from which the font is opened anew.
    std::string key;
    while (readKey(in, key)) {
        if (key == "fileName") readValue(in, fileName);
        else if (key == "faceIndex") readValue(in, faceIndex);
        else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
    *this = FreetypeFont(fileName, faceIndex);
}
