// Text layout through the FreeType caches (bearing, kerning, newlines, wrapping), measuring, the
// rendered coverage and the font sheet's glyph rectangles. No GL: pixels are checked before upload.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/FreetypeFont.h"

namespace {

const char* const boldFont = "Fonts/DejaVuSans-Bold.ttf";
const char* const monoFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

struct Placed {
    int index;
    int x;
    int y;
    int left;
    int top;
    int rows;
    int width;
};

std::vector<Placed> layout(const FreetypeFont& font, const std::wstring& text) {
    std::vector<Placed> placed;
    font.layoutText(text, [&](int index, FT_BitmapGlyph glyph, int x, int y) {
        placed.push_back({index, x, y, glyph->left, glyph->top, static_cast<int>(glyph->bitmap.rows),
                          static_cast<int>(glyph->bitmap.width)});
    });
    return placed;
}

// The metrics FreeType gives for one character at a pixel size, loaded without the caches: the
// independent reference the layout is checked against.
struct Reference {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    Reference(const char* path, int size) {
        FT_Init_FreeType(&library);
        if (FT_New_Face(library, path, 0, &face)) face = nullptr;
        if (face) FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    }
    ~Reference() {
        if (face) FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    int left(wchar_t c) {
        FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER);
        return face->glyph->bitmap_left;
    }
    int top(wchar_t c) {
        FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER);
        return face->glyph->bitmap_top;
    }
    int rows(wchar_t c) {
        FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER);
        return static_cast<int>(face->glyph->bitmap.rows);
    }
    float advance(wchar_t c) {
        FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER);
        return static_cast<float>(face->glyph->advance.x) / 64.0f;
    }
    int kerning(wchar_t a, wchar_t b) {
        FT_Vector delta{0, 0};
        FT_Get_Kerning(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(a)),
                       FT_Get_Char_Index(face, static_cast<FT_ULong>(b)), FT_KERNING_DEFAULT, &delta);
        return static_cast<int>(delta.x / 64);
    }
};

std::string builtFontPath() {
    return boldFont;
}

class FreetypeFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(initializeFontLibrary());
        std::FILE* file = std::fopen(boldFont, "rb");
        ASSERT_NE(file, nullptr) << "the build copies " << boldFont << " beside the binaries";
        std::fclose(file);
    }
};

TEST_F(FreetypeFontTest, PlacesGlyphsWithBearingKerningAndAdvance) {
    FreetypeFont font(boldFont, 0);
    ASSERT_TRUE(font.hasFace());
    Reference ref(boldFont, 64);
    ASSERT_NE(ref.face, nullptr);
    ASSERT_LT(ref.kerning(L'A', L'V'), 0) << "the font should kern A and V";

    auto kerned = layout(font, L"AV");
    ASSERT_EQ(kerned.size(), 2u);
    const int aLeft = ref.left(L'A');
    const int aAdvance = static_cast<int>(ref.advance(L'A'));
    EXPECT_EQ(kerned[0].x, aLeft);
    // The bearing stays in the pen: V starts from A's bearing plus its advance.
    EXPECT_EQ(kerned[1].x, aLeft + aAdvance + ref.left(L'V') + ref.kerning(L'A', L'V'));
    EXPECT_EQ(kerned[0].y, ref.top(L'A') - ref.rows(L'A'));

    font.setKerning(false);
    auto plain = layout(font, L"AV");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[1].x, aLeft + aAdvance + ref.left(L'V'));
    EXPECT_EQ(plain[1].x - kerned[1].x, -ref.kerning(L'A', L'V'));
}

TEST_F(FreetypeFontTest, NewlineStartsALineOneSizeLowerAndForgetsKerning) {
    FreetypeFont font(boldFont, 0);
    Reference ref(boldFont, 64);
    // "A\nV": no kerning across the line break.
    auto placed = layout(font, L"AB\nV");
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[2].index, 3);
    EXPECT_EQ(placed[2].x, ref.left(L'V'));
    EXPECT_EQ(placed[2].y, -64 + ref.top(L'V') - ref.rows(L'V'));

    TextExtent extent = font.measureText(L"AB\nV");
    EXPECT_EQ(extent.lines, 2);
    TextExtent three = font.measureText(L"A\n\nB");
    EXPECT_EQ(three.lines, 3);
}

TEST_F(FreetypeFontTest, WrapsLinesThatPassTheWrapWidth) {
    FreetypeFont font(boldFont, 0);
    font.setSize(10);
    font.setWrapWidth(2.0f);
    Reference ref(boldFont, 10);
    const std::wstring text = L"WAVEWAVEWAVE";
    auto placed = layout(font, text);
    ASSERT_EQ(placed.size(), text.size());
    int lines = 1;
    for (std::size_t i = 1; i < placed.size(); ++i) {
        if (placed[i].y - placed[i].top + placed[i].rows != placed[i - 1].y - placed[i - 1].top + placed[i - 1].rows) {
            ++lines;
            // A wrapped glyph starts the new line at its own bearing, ten pixels lower.
            EXPECT_EQ(placed[i].x, placed[i].left);
            EXPECT_EQ((placed[i].y - placed[i].top + placed[i].rows) -
                          (placed[i - 1].y - placed[i - 1].top + placed[i - 1].rows),
                      -10);
        } else {
            // Nothing on a line passes 20 pixels, except a first glyph that is wider by itself.
            EXPECT_LE(placed[i].x + static_cast<int>(ref.advance(text[i])), 20) << "glyph " << i;
        }
    }
    EXPECT_GE(lines, 4);
    EXPECT_EQ(font.measureText(text).lines, lines);
    // The width reported never falls below the wrap width.
    EXPECT_GE(font.measureText(L"W").width, 2.0f);
}

TEST_F(FreetypeFontTest, RendersWhiteTextWithCoverageInAlphaAndABorder) {
    FreetypeFont font(boldFont, 0);
    Reference ref(boldFont, 64);
    PixelImage image = font.renderToImage(L"A");
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image.channels, 2);
    EXPECT_EQ(ref.rows(L'A') - ref.top(L'A'), 0) << "A sits on the baseline";
    EXPECT_EQ(image.height, 68u);
    const float needed = ref.advance(L'A') + static_cast<float>(ref.left(L'A')) + 4.0f;
    EXPECT_GE(static_cast<float>(image.width), needed);
    EXPECT_LT(static_cast<float>(image.width), needed + 2.0f);
    EXPECT_EQ(image.width % 2, 0u);

    int inked = 0;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const unsigned char* p = image.pixels.get() + image.offset(x, y);
            EXPECT_EQ(p[0], 255);
            if (p[1] > 0) {
                ++inked;
                // The two-pixel border stays clear.
                EXPECT_GE(x, 2u);
                EXPECT_GE(y, 2u);
                EXPECT_LT(y, image.height - 2);
            }
        }
    }
    EXPECT_GT(inked, 200);
    // The apex of A is at the top of the glyph, its feet on the bottom row above the border.
    bool bottomInk = false;
    for (std::uint32_t x = 0; x < image.width; ++x) bottomInk |= image.pixels[image.offset(x, 2) + 1] > 128;
    EXPECT_TRUE(bottomInk);
}

TEST_F(FreetypeFontTest, EmptyTextAndFacelessFontsRenderNothing) {
    FreetypeFont font(boldFont, 0);
    EXPECT_TRUE(font.renderToImage(L"").empty());
    FreetypeFont none;
    EXPECT_FALSE(none.hasFace());
    EXPECT_TRUE(layout(none, L"abc").empty());
    EXPECT_TRUE(none.renderToImage(L"abc").empty());
    EXPECT_TRUE(none.buildFontSheetImage(fontSheetText()).glyphRects.empty());

    testing::internal::CaptureStderr();
    FreetypeFont missing("Fonts/no-such-font.ttf", 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no-such-font.ttf"), std::string::npos);
    EXPECT_TRUE(missing.renderToImage(L"abc").empty());
}

TEST(BlendCoverage, AccumulatesOverlappingCoverage) {
    EXPECT_EQ(blendCoverage(128, 128), 192);
    EXPECT_EQ(blendCoverage(0, 77), 77);
    EXPECT_EQ(blendCoverage(200, 0), 200);
    EXPECT_EQ(blendCoverage(255, 255), 255);
    EXPECT_EQ(blendCoverage(254, 255), 255);
}

TEST(WidenText, DecodesUtf8AndDrawsEveryOtherByteAsLatin1) {
    auto codes = [](const std::string& text) {
        const std::wstring wide = widenText(text);
        return std::vector<int>(wide.begin(), wide.end());
    };
    // Two, three and four bytes; then stray bytes, a cut sequence, an overlong form, a surrogate and
    // a code beyond U+10FFFF, each byte of them one Latin-1 character.
    EXPECT_EQ(codes("a\n\xC3\xA9\xC5\x81\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<int>{'a', '\n', 0xE9, 0x141, 0x20AC, 0x1F600}));
    EXPECT_EQ(codes("\xE9\xFF\xA9\xE2\x82"), (std::vector<int>{0xE9, 0xFF, 0xA9, 0xE2, 0x82}));
    EXPECT_EQ(codes("\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80"),
              (std::vector<int>{0xC0, 0xAF, 0xED, 0xA0, 0x80, 0xF4, 0x90, 0x80, 0x80}));
}

// The cache manager keeps only a couple of faces open and moves the active size around; a layout must
// not depend on what other fonts did in between.
TEST_F(FreetypeFontTest, LayoutIsUnchangedByOtherFontsUsingTheCache) {
    FreetypeFont large(boldFont, 0);
    FreetypeFont small(large);
    small.setSize(20);
    const auto first = layout(large, L"AVATar To");

    // Same face, another size: kerning must not be taken at 20 pixels afterwards.
    layout(small, L"AVATar To");
    auto again = layout(large, L"AVATar To");
    ASSERT_EQ(again.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(again[i].x, first[i].x) << "glyph " << i;

    // Faces of their own push the first one out of the cache.
    std::vector<FreetypeFont> others;
    for (int i = 0; i < 4; ++i) others.emplace_back(boldFont, 0);
    for (auto& other : others) {
        other.setSize(30 + 7 * static_cast<int>(&other - others.data()));
        layout(other, L"Tovik AV");
    }
    again = layout(large, L"AVATar To");
    ASSERT_EQ(again.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(again[i].x, first[i].x) << "glyph " << i;
        EXPECT_EQ(again[i].y, first[i].y) << "glyph " << i;
    }
}

// A face description that goes away takes its cached face with it: a new description (possibly at the
// same address) opens its own file.
TEST_F(FreetypeFontTest, NewFontsNeverGetTheFaceOfAGoneOne) {
    std::FILE* file = std::fopen(monoFontPath, "rb");
    if (!file) GTEST_SKIP() << monoFontPath << " not installed";
    std::fclose(file);
    for (int i = 0; i < 20; ++i) {
        const bool mono = i % 2 == 1;
        auto font = std::make_unique<FreetypeFont>(mono ? std::string(monoFontPath) : builtFontPath(), 0);
        FT_Face face = font->lookupFace();
        ASSERT_NE(face, nullptr);
        const std::string family = face->family_name;
        EXPECT_EQ(family, mono ? "DejaVu Sans Mono" : "DejaVu Sans") << "round " << i;
    }
}

TEST_F(FreetypeFontTest, FontSheetHoldsEveryCodeInsideItsTexture) {
    FreetypeFont font(boldFont, 0);
    FontSheetImage sheet = font.buildFontSheetImage(fontSheetText());
    ASSERT_FALSE(sheet.image.empty());
    EXPECT_EQ(sheet.glyphRects.size(), 224u);
    EXPECT_EQ(sheet.glyphRects.count(L'\n'), 0u);
    EXPECT_EQ(sheet.glyphRects.begin()->first, 32);
    EXPECT_EQ(sheet.glyphRects.rbegin()->first, 255);

    const float w = static_cast<float>(sheet.image.width);
    const float h = static_cast<float>(sheet.image.height);
    for (const auto& [code, rect] : sheet.glyphRects) {
        EXPECT_GE(rect.uMin, 0.0f) << code;
        EXPECT_GE(rect.vMin, 0.0f) << code;
        EXPECT_LE(rect.uMax, 1.0f) << code;
        EXPECT_LE(rect.vMax, 1.0f) << code;
        EXPECT_LE(rect.uMin, rect.uMax) << code;
        EXPECT_LE(rect.vMin, rect.vMax) << code;
        if (rect.uMax == rect.uMin || code < 33 || code == 127 || (code >= 128 && code < 161)) continue;
        // Every visible glyph's rectangle covers its ink.
        int ink = 0;
        const auto x0 = static_cast<std::uint32_t>(rect.uMin * w + 0.5f);
        const auto x1 = static_cast<std::uint32_t>(rect.uMax * w + 0.5f);
        const auto y0 = static_cast<std::uint32_t>(rect.vMin * h + 0.5f);
        const auto y1 = static_cast<std::uint32_t>(rect.vMax * h + 0.5f);
        for (std::uint32_t y = y0; y < y1; ++y)
            for (std::uint32_t x = x0; x < x1; ++x) ink += sheet.image.pixels[sheet.image.offset(x, y) + 1] > 0;
        EXPECT_GT(ink, 0) << "code " << code;
    }
    // The first line of the sheet (codes 32-63) lies above the second (64-95), two sizes apart.
    EXPECT_GT(sheet.glyphRects[L'0'].vMin, sheet.glyphRects[L'@'].vMin);
    EXPECT_NEAR((sheet.glyphRects[L'H'].vMin - sheet.glyphRects[L'h'].vMin) * h, 128.0f, 0.5f);
    // Quotes stand high above the baseline and still lie on the sheet.
    EXPECT_GT(sheet.glyphRects[L'"'].vMin, sheet.glyphRects[L'0'].vMin);
    EXPECT_LE(sheet.glyphRects[L'"'].vMax, 1.0f);
}

TEST_F(FreetypeFontTest, FontSheetIsLaidOutWithoutKerning) {
    FreetypeFont kerned(boldFont, 0);
    FreetypeFont plain(boldFont, 0);
    plain.setKerning(false);
    const std::wstring text = L"AVAVAV";
    EXPECT_EQ(kerned.buildFontSheetImage(text).glyphRects.at(L'V').uMin,
              plain.buildFontSheetImage(text).glyphRects.at(L'V').uMin);
    EXPECT_TRUE(kerned.getKerning()) << "building a sheet leaves the font's own setting alone";
}

}  // namespace
