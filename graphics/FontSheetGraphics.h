// A Graphics that shows a line or block of text as geometry: one textured quad per visible character,
// cut out of its font's sheet. Measured in font-size units: a line is 1.0 high, the first baseline at
// y = 0, later lines at -1, -2, ...; quads face -z.
#pragma once

#include <string>

#include "graphics/FontSheet.h"
#include "graphics/Graphics.h"
#include "graphics/MeshData.h"

class FreetypeFont;

// The quads of a text: four vertices and six indices per character other than tab, newline and
// blank. Characters missing from the sheet are entered in it with an all-zero rectangle. A text with
// more glyphs than 16-bit indices can reach is cut at the last glyph that fits.
MeshData buildTextMeshData(const std::wstring& text, FontSheet& sheet, const FreetypeFont& font);

class FontSheetGraphics : public Graphics {
public:
    FontSheetGraphics();
    FontSheetGraphics(const FontSheetGraphics& other);
    FontSheetGraphics& operator=(const FontSheetGraphics& other);
    ~FontSheetGraphics() override;

    FontSheetGraphics* clone() const override;
    int getVersion() const override { return 0; }
    // The "Graphics" base part, "fontName", "text", "end"; then the sheet is fetched and the mesh built.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();

    // Rebuilds the mesh from text and sheet and makes it this object's model. An empty text keeps
    // the current mesh.
    void buildTextMesh();

    const std::string& getText() const { return text; }
    void setText(const std::string& value) { text = value; }
    const FontSheet& getSheet() const { return sheet; }

    std::string text = "Font Sheet";
    FontSheet sheet;

private:
    // Fetches the named font's sheet, takes its texture and rebuilds the mesh (nothing for an empty
    // font name).
    void refreshSheet();
};
