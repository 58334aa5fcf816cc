// Text on screen: a font-sheet text read from its record is drawn through the basic program and read
// back from the frame buffer; ink appears where the glyph quads are and nowhere else. Also the sheet
// cache, the sharing of the sheet texture, and text rendered into a texture.
#include <gtest/gtest.h>

#include <cstdlib>

#include <sstream>

#include "core/FileReader.h"
#include "core/OStreamWrapper.h"
#include "core/PngFile.h"
#include "core/TextFormat.h"
#include "graphics/BasicShader.h"
#include "graphics/FontSheetGraphics.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Model.h"
#include "graphics/ScopedGameState.h"
#include "graphics/gl/GlContext.h"

namespace {

class TextRenderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        clearFontSheetCache();
        state.add<FreetypeFont>("Verdana Bold", std::make_unique<FreetypeFont>("Fonts/DejaVuSans-Bold.ttf", 0));
        state.add<Texture>("whitePixel", std::make_unique<Texture>(whitePixelImage(), GL_RGBA));
        state.add<Program>("basic", std::make_unique<BasicShader>());
    }
    void TearDown() override { clearFontSheetCache(); }

    static std::unique_ptr<FontSheetGraphics> readText(const std::string& fontName, const std::string& text) {
        auto graphics = std::make_unique<FontSheetGraphics>();
        FileReader in("record", "FontSheetGraphics 0\n 5 Graphics\n  0 Component end\n  programName basic\n end\n"
                                " fontName \"" + fontName + "\"\n text \"" + text + "\"\nend\n");
        readValue(in, *graphics);
        EXPECT_FALSE(in.hasFailed());
        return graphics;
    }

    ScopedGameState state;
};

TEST_F(TextRenderTest, ALineOfTextLeavesInkWhereItsQuadsAre) {
    std::unique_ptr<FontSheetGraphics> text = readText("Verdana Bold", "Hi Tovik");
    ASSERT_NE(text->getModel(), nullptr);
    ASSERT_NE(text->getTexture(), nullptr);
    EXPECT_EQ(text->getModel()->getIndexCount(), 7 * 6);
    EXPECT_TRUE(text->textureName.empty());
    EXPECT_EQ(text->getTexture()->getGLName(), text->sheet.texture.getGLName());

    // x from 0 to 6 font units across the 256 pixels, y from -1 to 1 over the 128 rows.
    TestCamera camera;
    camera.projection = Matrix::makeScale(Vector4(1.0f / 3.0f, 1.0f, 1.0f, 1.0f)) *
                        Matrix::makeTranslation(Vector4(-3.0f, 0.0f, 0.0f, 1.0f));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    text->draw(Matrix(), camera);
    glDisable(GL_BLEND);
    EXPECT_EQ(GlContext::drainErrors(), 0);

    const Vector4 low = text->getModel()->boundsMin;
    const Vector4 high = text->getModel()->boundsMax;
    auto column = [](float x) { return static_cast<int>(x * 256.0f / 6.0f); };
    auto row = [](float y) { return static_cast<int>((y + 1.0f) * 64.0f); };
    const int x0 = column(low.x()) - 1;
    const int x1 = column(high.x()) + 1;
    const int y0 = row(low.y()) - 1;
    const int y1 = row(high.y()) + 1;
    ASSERT_GT(x1 - x0, 100) << "the text spans more than 2.5 font units";
    ASSERT_LT(x1, GlContext::width);

    auto pixels = GlContext::readPixels(0, 0, GlContext::width, GlContext::height);
    if (const char* dump = std::getenv("TOVIK_DUMP_TEXT")) {
        PixelImage shot;
        shot.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[pixels.size()]);
        std::copy(pixels.begin(), pixels.end(), shot.pixels.get());
        shot.width = GlContext::width;
        shot.height = GlContext::height;
        shot.channels = 4;
        shot.format = GL_RGBA;
        shot.bitDepth = 8;
        shot.rowBytes = GlContext::width * 4;
        writePngImage(dump, shot, "");
    }
    int inkInside = 0;
    int inkOutside = 0;
    int left = GlContext::width;
    int right = -1;
    for (int y = 0; y < GlContext::height; ++y) {
        for (int x = 0; x < GlContext::width; ++x) {
            const unsigned char* p = &pixels[(y * GlContext::width + x) * 4];
            const bool ink = p[0] > 96;
            EXPECT_EQ(p[0], p[2]) << "white text on black stays grey";
            if (!ink) continue;
            if (x >= x0 && x <= x1 && y >= y0 && y <= y1) {
                ++inkInside;
                left = std::min(left, x);
                right = std::max(right, x);
            } else {
                ++inkOutside;
            }
        }
    }
    EXPECT_EQ(inkOutside, 0);
    EXPECT_GT(inkInside, 400);
    // The ink runs the whole width of the text, not just part of it.
    EXPECT_LT(left, x0 + 12);
    EXPECT_GT(right, x1 - 12);
    // The gap between "Hi" and "Tovik" stays dark at the height of the letters' middles.
    const int middleRow = row(0.35f);
    int darkRun = 0;
    int longestDark = 0;
    for (int x = left; x <= right; ++x) {
        darkRun = pixels[(middleRow * GlContext::width + x) * 4] > 96 ? 0 : darkRun + 1;
        longestDark = std::max(longestDark, darkRun);
    }
    EXPECT_GT(longestDark, 8);
}

TEST_F(TextRenderTest, SheetsAreBuiltOncePerFontAndShared) {
    FreetypeFont& font = state.state.get<FreetypeFont>("Verdana Bold");
    FontSheet first = font.getFontSheet();
    ASSERT_NE(first.texture.getGLName(), 0u);
    EXPECT_EQ(first.fontName, "Verdana Bold");
    EXPECT_EQ(first.glyphRects.size(), 224u);
    FontSheet second = font.getFontSheet();
    EXPECT_EQ(second.texture.getGLName(), first.texture.getGLName()) << "no second texture";
    FreetypeFont smaller(font);
    smaller.setSize(32);
    EXPECT_NE(smaller.getFontSheet().texture.getGLName(), first.texture.getGLName());

    // Copies of a text share the sheet texture; the last holder deletes it.
    const unsigned name = first.texture.getGLName();
    {
        std::unique_ptr<FontSheetGraphics> text = readText("Verdana Bold", "AB");
        std::unique_ptr<FontSheetGraphics> copy(text->clone());
        EXPECT_EQ(copy->getTexture()->getGLName(), name);
        EXPECT_EQ(copy->text, "AB");
        text.reset();
        EXPECT_EQ(glIsTexture(name), GL_TRUE);
    }
    first = FontSheet();
    second = FontSheet();
    EXPECT_EQ(glIsTexture(name), GL_TRUE) << "the cache still holds the sheet";
    clearFontSheetCache();
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
}

TEST_F(TextRenderTest, MissingFontStillBuildsTheTextAndKeepsItsName) {
    testing::internal::CaptureStderr();
    std::unique_ptr<FontSheetGraphics> text = readText("No Such Font", "AB");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("error: tried to load a resource that doesn't exist"), std::string::npos);
    EXPECT_EQ(text->sheet.fontName, "No Such Font") << "a later save still names the font";
    ASSERT_NE(text->getModel(), nullptr);
    EXPECT_EQ(text->getModel()->getIndexCount(), 0);
}

TEST_F(TextRenderTest, EmptyFontNameReadsWithoutFetchingASheet) {
    std::unique_ptr<FontSheetGraphics> text = readText("", "AB");
    EXPECT_EQ(text->getModel(), nullptr);
    EXPECT_EQ(text->textureName, "whitePixel");
}

TEST_F(TextRenderTest, NewTextNeedsARebuildAndEmptyTextKeepsTheMesh) {
    std::unique_ptr<FontSheetGraphics> text = readText("Verdana Bold", "AB");
    Model* before = text->getModel();
    ASSERT_NE(before, nullptr);
    text->text = " Time:\n00:00";
    EXPECT_EQ(text->getModel()->getIndexCount(), 12) << "nothing changes until the mesh is rebuilt";
    text->buildTextMesh();
    EXPECT_EQ(text->getModel()->getIndexCount(), 60);
    text->text = "";
    text->buildTextMesh();
    EXPECT_EQ(text->getModel()->getIndexCount(), 60);
    text->text = " \n ";
    text->buildTextMesh();
    EXPECT_EQ(text->getModel()->getIndexCount(), 0);
    // A UTF-8 name: one quad per letter, four rather than one per byte.
    text->text = "Jos\xC3\xA9";
    text->buildTextMesh();
    EXPECT_EQ(text->getModel()->getIndexCount(), 24);

    // Its record keeps the font and the text, and reading it back builds the mesh again.
    text->text = "Go";
    std::ostringstream written;
    {
        OStreamWrapper out(written);
        writeValue(out, *text);
    }
    EXPECT_EQ(text->getModel()->getIndexCount(), 12) << "writing refreshes the mesh too";
    FileReader in("written", written.str());
    FontSheetGraphics again;
    readValue(in, again);
    EXPECT_FALSE(in.hasFailed()) << written.str();
    EXPECT_EQ(again.text, "Go");
    EXPECT_EQ(again.sheet.fontName, "Verdana Bold");
    ASSERT_NE(again.getModel(), nullptr);
    EXPECT_EQ(again.getModel()->getIndexCount(), 12);
}

TEST_F(TextRenderTest, RenderedTextTextureHoldsTheCoverage) {
    FreetypeFont font = state.state.get<FreetypeFont>("Verdana Bold");
    PixelImage image = font.renderToImage(L"Checkpoint");
    Texture texture = font.renderToTexture(L"Checkpoint");
    ASSERT_NE(texture.getGLName(), 0u);
    EXPECT_EQ(texture.getWidth(), static_cast<int>(image.width));
    EXPECT_EQ(texture.getHeight(), static_cast<int>(image.height));
    EXPECT_EQ(font.renderToTexture(L"").getGLName(), 0u);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

}  // namespace
