// The glyph quads of font-sheet text: four vertices and six indices per visible character, in
// font-size units, textured from the sheet; blanks, tabs and newlines take room but get no quad.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "graphics/FontSheetGraphics.h"
#include "graphics/FreetypeFont.h"

namespace {

class FontSheetMeshTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(font.hasFace());
        FontSheetImage built = font.buildFontSheetImage(fontSheetText());
        sheet.glyphRects = built.glyphRects;
    }

    FreetypeFont font{"Fonts/DejaVuSans-Bold.ttf", 0};
    FontSheet sheet;
};

std::vector<unsigned short> indicesOf(const MeshData& mesh) {
    return mesh.indices;
}

TEST_F(FontSheetMeshTest, TwoLettersMakeTwoQuads) {
    MeshData mesh = buildTextMeshData(L"AB", sheet, font);
    ASSERT_EQ(mesh.vertices.size(), 8);
    EXPECT_EQ(indicesOf(mesh), (std::vector<unsigned short>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));

    // Corners in font-size units from the layout, textured with the glyph's sheet rectangle.
    std::vector<std::array<int, 4>> placed;
    font.layoutText(L"AB", [&](int, FT_BitmapGlyph glyph, int x, int y) {
        placed.push_back({x, y, static_cast<int>(glyph->bitmap.width), static_cast<int>(glyph->bitmap.rows)});
    });
    ASSERT_EQ(placed.size(), 2u);
    const GlyphRect b = sheet.glyphRects[L'B'];
    const Vertex* q = &mesh.vertices[4];
    const float s = 64.0f;
    EXPECT_FLOAT_EQ(q[0].position.x(), placed[1][0] / s);
    EXPECT_FLOAT_EQ(q[0].position.y(), placed[1][1] / s);
    EXPECT_FLOAT_EQ(q[2].position.x(), (placed[1][0] + placed[1][2]) / s);
    EXPECT_FLOAT_EQ(q[2].position.y(), (placed[1][1] + placed[1][3]) / s);
    EXPECT_FLOAT_EQ(q[1].position.x(), q[2].position.x());
    EXPECT_FLOAT_EQ(q[1].position.y(), q[0].position.y());
    EXPECT_FLOAT_EQ(q[3].position.x(), q[0].position.x());
    EXPECT_FLOAT_EQ(q[3].position.y(), q[2].position.y());
    const float expectedTex[4][2] = {{b.uMin, b.vMin}, {b.uMax, b.vMin}, {b.uMax, b.vMax}, {b.uMin, b.vMax}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(q[k].texX, expectedTex[k][0]) << k;
        EXPECT_EQ(q[k].texY, expectedTex[k][1]) << k;
        EXPECT_EQ(q[k].normal, Vector4(0.0f, 0.0f, -1.0f, 0.0f));
        EXPECT_EQ(q[k].position.z(), 0.0f);
        EXPECT_EQ(q[k].position.w(), 1.0f);
    }
    // The first baseline is y = 0: B stands on it, about 0.73 of a line high.
    EXPECT_NEAR(q[0].position.y(), 0.0f, 0.02f);
    EXPECT_GT(q[2].position.y(), 0.6f);
    EXPECT_LT(q[2].position.y(), 0.85f);
}

TEST_F(FontSheetMeshTest, BlanksAndTabsTakeRoomButNoQuad) {
    MeshData tight = buildTextMeshData(L"AB", sheet, font);
    for (const wchar_t* text : {L"A B", L"A\tB"}) {
        MeshData mesh = buildTextMeshData(text, sheet, font);
        ASSERT_EQ(mesh.vertices.size(), 8);
        ASSERT_EQ(mesh.indices.size(), 12u);
        EXPECT_EQ(mesh.indices[6], 4);
    }
    MeshData spaced = buildTextMeshData(L"A B", sheet, font);
    EXPECT_GT(spaced.vertices[4].position.x(), tight.vertices[4].position.x() + 0.2f);
}

TEST_F(FontSheetMeshTest, SecondLineLiesOneUnitLower) {
    MeshData mesh = buildTextMeshData(L" Time:\n00:00", sheet, font);
    ASSERT_EQ(mesh.vertices.size(), 40);
    ASSERT_EQ(mesh.indices.size(), 60u);
    // Quads 0-4 are "Time:", 5-9 "00:00"; the colons are quads 4 and 7.
    const Vertex& firstColon = mesh.vertices[4 * 4];
    const Vertex& secondColon = mesh.vertices[4 * 7];
    EXPECT_FLOAT_EQ(secondColon.position.y(), firstColon.position.y() - 1.0f);
    for (int q = 5; q < 10; ++q) EXPECT_LT(mesh.vertices[4 * q + 2].position.y(), 0.0f) << q;
    // The second line starts again at the left.
    EXPECT_LT(mesh.vertices[4 * 5].position.x(), 0.1f);
    EXPECT_GT(mesh.boundsMax.y(), 0.6f);
    EXPECT_LT(mesh.boundsMin.y(), -0.95f);
}

TEST_F(FontSheetMeshTest, CharactersMissingFromTheSheetGetAnEmptyRectangle) {
    sheet.glyphRects.erase(L'Z');
    MeshData mesh = buildTextMeshData(L"ZA", sheet, font);
    ASSERT_EQ(mesh.vertices.size(), 8);
    ASSERT_EQ(sheet.glyphRects.count(L'Z'), 1u);
    EXPECT_EQ(sheet.glyphRects[L'Z'], GlyphRect());
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(mesh.vertices[k].texX, 0.0f);
        EXPECT_EQ(mesh.vertices[k].texY, 0.0f);
    }
    // The quad itself still has the glyph's size.
    EXPECT_GT(mesh.vertices[2].position.x(), mesh.vertices[0].position.x());
}

TEST_F(FontSheetMeshTest, WhiteSpaceOnlyTextHasNoQuads) {
    MeshData mesh = buildTextMeshData(L" \t\n  \n", sheet, font);
    EXPECT_EQ(mesh.vertices.size(), 0);
    EXPECT_TRUE(mesh.indices.empty());
}

TEST_F(FontSheetMeshTest, TextsBeyondSixteenBitIndicesAreCut) {
    const std::wstring text(16384 + 10, L'x');
    testing::internal::CaptureStderr();
    MeshData mesh = buildTextMeshData(text, sheet, font);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("cut"), std::string::npos);
    EXPECT_EQ(mesh.vertices.size(), 65536);
    ASSERT_EQ(mesh.indices.size(), 16384u * 6);
    EXPECT_EQ(mesh.indices.back(), 65535);
}

TEST_F(FontSheetMeshTest, FacelessFontStillBuildsAnUndrawnMesh) {
    FreetypeFont none;
    MeshData mesh = buildTextMeshData(L"AB", sheet, none);
    EXPECT_EQ(mesh.vertices.size(), 8);
    EXPECT_TRUE(mesh.indices.empty());
}

}  // namespace
