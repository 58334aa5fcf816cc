// Text as geometry: one quad per character cut from the font's sheet, in font-size units.
#include "graphics/FontSheetGraphics.h"

#include <iostream>
#include <limits>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Model.h"

namespace {

const auto& fontSheetGraphicsType = registerType<FontSheetGraphics>("FontSheetGraphics");

// Four vertices per glyph must stay addressable by 16-bit indices.
constexpr int maxGlyphs = 65536 / 4;

bool drawsNoQuad(wchar_t code) {
    return code == 9 || code == 10 || code == 32;
}

// The running state's font of that name; with no state running, a default font (reported like any
// missing resource).
FreetypeFont& lookUpFont(const std::string& name) {
    if (currentGameState) return currentGameState->get<FreetypeFont>(name);
    static FreetypeFont none;
    std::cerr << "error: tried to load a resource that doesn't exist" << std::endl;
    return none;
}

}  // namespace

MeshData buildTextMeshData(const std::wstring& text, FontSheet& sheet, const FreetypeFont& font) {
    int count = 0;
    for (wchar_t code : text)
        if (!drawsNoQuad(code)) ++count;
    if (count > maxGlyphs) {
        std::cerr << "error: text of " << count << " characters is longer than the " << maxGlyphs
                  << " a text mesh holds; the rest is cut" << std::endl;
        count = maxGlyphs;
    }

    MeshData mesh;
    mesh.mode = MeshData::triangles;
    mesh.vertices = AlignedSharedArray<Vertex>(4 * count);
    mesh.indices.reserve(static_cast<std::size_t>(count) * 6);
    const float s = static_cast<float>(font.getSize());
    int q = 0;
    font.layoutText(text, [&](int index, FT_BitmapGlyph glyph, int x, int y) {
        const wchar_t code = text[static_cast<std::size_t>(index)];
        if (drawsNoQuad(code) || q >= count) return;
        const GlyphRect r = sheet.glyphRects[static_cast<std::int32_t>(code)];
        const float left = static_cast<float>(x) / s;
        const float right = static_cast<float>(x + static_cast<int>(glyph->bitmap.width)) / s;
        const float bottom = static_cast<float>(y) / s;
        const float top = static_cast<float>(y + static_cast<int>(glyph->bitmap.rows)) / s;
        const float corners[4][4] = {
            {left, bottom, r.uMin, r.vMin},
            {right, bottom, r.uMax, r.vMin},
            {right, top, r.uMax, r.vMax},
            {left, top, r.uMin, r.vMax},
        };
        for (int k = 0; k < 4; ++k) {
            Vertex& v = mesh.vertices[4 * q + k];
            v.position = Vector4(corners[k][0], corners[k][1], 0.0f, 1.0f);
            v.normal = Vector4(0.0f, 0.0f, -1.0f, 0.0f);
            v.texX = corners[k][2];
            v.texY = corners[k][3];
        }
        const auto base = static_cast<unsigned short>(4 * q);
        for (unsigned short offset : {0, 1, 2, 0, 2, 3}) mesh.indices.push_back(static_cast<unsigned short>(base + offset));
        ++q;
    });

    // The bounds a model built from these arrays gets: the span of every vertex.
    const float inf = std::numeric_limits<float>::infinity();
    mesh.boundsMin = Vector4(inf, inf, inf, 1.0f);
    mesh.boundsMax = Vector4(-inf, -inf, -inf, 1.0f);
    for (const Vertex& v : mesh.vertices) {
        mesh.boundsMin = componentMin(mesh.boundsMin, v.position);
        mesh.boundsMax = componentMax(mesh.boundsMax, v.position);
    }
    return mesh;
}

FontSheetGraphics::FontSheetGraphics() = default;

FontSheetGraphics::FontSheetGraphics(const FontSheetGraphics& other)
    : Graphics(other), text(other.text), sheet(other.sheet) {}

FontSheetGraphics& FontSheetGraphics::operator=(const FontSheetGraphics& other) {
    if (this == &other) return *this;
    Graphics::operator=(other);
    text = other.text;
    sheet = other.sheet;
    return *this;
}

FontSheetGraphics::~FontSheetGraphics() = default;

FontSheetGraphics* FontSheetGraphics::clone() const {
    return new FontSheetGraphics(*this);
}

const auto& FontSheetGraphics::fields() {
    static constexpr Field<FontSheetGraphics> table[] = {
        // The font's name lives in the sheet it names.
        {"fontName", 8, [](BaseInStream& in, FontSheetGraphics& g) { readValue(in, g.sheet.fontName); },
         [](BaseOutStream& out, const FontSheetGraphics& g) { writeValue(out, g.sheet.fontName); }},
        field<&FontSheetGraphics::text>("text"),
    };
    return table;
}

void FontSheetGraphics::read(BaseInStream& in, int version) {
    const int graphicsVersion = readBaseHeader(in, Graphics::currentVersion);
    Graphics::read(in, graphicsVersion);
    ::readFields(in, *this, fields());
    refreshSheet();
}

void FontSheetGraphics::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Graphics::currentVersion, "Graphics");
    Graphics::write(out, Graphics::currentVersion);
    writeBaseEnd(out);
    ::writeFields(out, *this, fields());
    refreshSheet();
}

void FontSheetGraphics::refreshSheet() {
    if (sheet.fontName.empty()) return;
    const std::string fontName = sheet.fontName;
    sheet = lookUpFont(fontName).getFontSheet();
    // A font missing from the resources gives a nameless default sheet; the text keeps naming its
    // font so that saving it does not lose the name.
    sheet.fontName = fontName;
    setTexture(sheet.texture);
    buildTextMesh();
}

void FontSheetGraphics::buildTextMesh() {
    if (text.empty()) return;
    const FreetypeFont font = lookUpFont(sheet.fontName);
    const MeshData mesh = buildTextMeshData(widenText(text), sheet, font);
    setModel(Model(mesh.vertices, mesh.indices));
}
