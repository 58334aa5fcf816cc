// Textures on a real context: pictures arrive with their bottom row first, records cut clamped
// rectangles, unusable pictures become one white pixel with an error line, and copies share one GL
// texture that the last copy deletes.
#include <cstring>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/FileReader.h"
#include "core/PngFile.h"
#include "core/TextFormat.h"
#include "graphics/Texture.h"
#include "graphics/gl/GlContext.h"

namespace {

const char* const sheetPath = "Content/Images/smokyRing.png";

class TextureGlTest : public GlTest {};

// Level 0 of the texture as RGBA bytes (GLU rescales sides that are not powers of two, so the size
// is asked of GL).
std::vector<unsigned char> texels(const Texture& texture) {
    glBindTexture(GL_TEXTURE_2D, texture.getGLName());
    GLint w = 0;
    GLint h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return bytes;
}

void expectWhitePixel(const Texture& texture) {
    ASSERT_NE(texture.getGLName(), 0u);
    EXPECT_EQ(texture.getWidth(), 1);
    EXPECT_EQ(texture.getHeight(), 1);
    auto bytes = texels(texture);
    EXPECT_EQ(bytes, std::vector<unsigned char>(4, 255));
}

TEST_F(TextureGlTest, WholePictureKeepsItsSizeAndBottomRowFirst) {
    PixelImage image = readPngImage(sheetPath);
    ASSERT_FALSE(image.empty());
    Texture texture = Texture::loadFile(sheetPath);
    ASSERT_NE(texture.getGLName(), 0u);
    EXPECT_EQ(texture.getWidth(), 256);
    EXPECT_EQ(texture.getHeight(), 128);
    auto bytes = texels(texture);
    for (std::uint32_t y : {0u, 30u, 64u, 127u})
        for (std::uint32_t x : {0u, 32u, 100u, 255u})
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(bytes[(y * 256 + x) * 4 + c], image.pixels[image.offset(x, y) + c]) << x << "," << y;
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, texture.getGLName());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    // Four-fold anisotropy, except in the software rasteriser, whose anisotropic sampling can hang a frame.
    GLfloat anisotropy = 0.0f;
    glGetTexParameterfv(GL_TEXTURE_2D, 0x84FE, &anisotropy);
    const bool software = std::strstr(reinterpret_cast<const char*>(glGetString(GL_RENDERER)), "llvmpipe");
    EXPECT_EQ(anisotropy, software ? 1.0f : 4.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

TEST_F(TextureGlTest, RecordCutsItsRectangleFromTheBottomLeft) {
    PixelImage image = readPngImage(sheetPath);
    FileReader in("record", std::string("Texture 1 fileName ") + sheetPath + " maxX 64 maxY 32 end");
    Texture texture;
    readValue(in, texture);
    ASSERT_FALSE(in.hasFailed());
    EXPECT_EQ(texture.getWidth(), 64);
    EXPECT_EQ(texture.getHeight(), 32);
    auto bytes = texels(texture);
    for (std::uint32_t y = 0; y < 32; y += 7)
        for (std::uint32_t x = 0; x < 64; x += 9)
            EXPECT_EQ(bytes[(y * 64 + x) * 4 + 3], image.pixels[image.offset(x, y) + 3]) << x << "," << y;

    // The old positional record: file, minX, minY, maxX, maxY.
    FileReader old("old", std::string("Texture 0 ") + sheetPath + " 192 64 400 400");
    Texture clamped;
    readValue(old, clamped);
    EXPECT_EQ(clamped.getWidth(), 64);
    EXPECT_EQ(clamped.getHeight(), 64);
    auto cut = texels(clamped);
    EXPECT_EQ(cut[(10 * 64 + 20) * 4 + 3], image.pixels[image.offset(212, 74) + 3]);
}

TEST_F(TextureGlTest, UnusablePicturesBecomeOneWhitePixelWithAnErrorLine) {
    testing::internal::CaptureStderr();
    Texture missing = Texture::loadFile("Content/Images/noSuchPicture.png");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("noSuchPicture.png"), std::string::npos) << log;
    expectWhitePixel(missing);

    const std::string notPng = writeTempFile("notAPicture.png", "this is text, not a picture");
    testing::internal::CaptureStderr();
    Texture garbage = Texture::loadFile(notPng);
    log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("error"), std::string::npos);
    expectWhitePixel(garbage);

    testing::internal::CaptureStderr();
    Texture empty(PixelImage(), GL_RGBA);
    log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("error"), std::string::npos);
    expectWhitePixel(empty);
}

TEST_F(TextureGlTest, RectanglesWithNothingInsideBecomeOneWhitePixel) {
    PixelImage image = readPngImage(sheetPath);
    testing::internal::CaptureStderr();
    Texture inverted = Texture::loadSubImage(image, 50, 10, 20, 40);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("error: texture rectangle"), std::string::npos) << log;
    expectWhitePixel(inverted);

    testing::internal::CaptureStderr();
    Texture outside = Texture::loadSubImage(image, -40, -40, -8, -8);
    log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("error"), std::string::npos);
    expectWhitePixel(outside);

    // A rectangle that starts left of the picture is clamped into it (and reported).
    testing::internal::CaptureStderr();
    Texture partly = Texture::loadSubImage(image, -10, 0, 16, 16);
    log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("clamped"), std::string::npos) << log;
    EXPECT_EQ(partly.getWidth(), 16);
    EXPECT_EQ(partly.getHeight(), 16);
}

TEST_F(TextureGlTest, OddRowWidthsUploadTightlyPacked) {
    // Two RGB pixels make six-byte rows: read with GL's default four-byte row alignment, every row
    // after the first would start two bytes late. Rows padded beyond their pixels upload the same.
    const int w = 2;
    const int h = 4;
    for (const std::size_t padding : {0u, 3u}) {
        PixelImage image;
        image.rowBytes = w * 3 + padding;
        image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[image.rowBytes * h]);
        for (std::size_t i = 0; i < image.rowBytes * h; ++i) image.pixels[i] = static_cast<unsigned char>(i * 11);
        image.width = w;
        image.height = h;
        image.channels = 3;
        image.format = GL_RGB;
        image.bitDepth = 8;
        Texture texture(image, GL_RGBA);
        ASSERT_EQ(texture.getWidth(), 2);
        ASSERT_EQ(texture.getHeight(), 4);
        auto bytes = texels(texture);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(bytes[(y * w + x) * 4 + c], image.pixels[y * image.rowBytes + x * 3 + c])
                        << x << "," << y << " with " << padding << " bytes of padding";
    }
}

// Whether a texture can let what lies behind show through: known from its texels, kept by copies.
TEST_F(TextureGlTest, KnowsWhetherAnyTexelIsSeeThrough) {
    auto image = [](int channels, unsigned format, unsigned char last) {
        PixelImage result;
        const int w = 3;
        const int h = 2;
        result.rowBytes = static_cast<std::size_t>(w * channels + 1);  // a padded row
        result.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[result.rowBytes * h]);
        std::fill(result.pixels.get(), result.pixels.get() + result.rowBytes * h, 255);
        // The padding byte after each row is not a texel.
        result.pixels[result.rowBytes - 1] = 0;
        result.pixels[result.rowBytes * h - 2] = last;  // the alpha of the last texel
        result.width = w;
        result.height = h;
        result.channels = channels;
        result.format = format;
        result.bitDepth = 8;
        return result;
    };
    EXPECT_TRUE(Texture(image(4, GL_RGBA, 255), GL_RGBA).isOpaque());
    EXPECT_FALSE(Texture(image(4, GL_RGBA, 254), GL_RGBA).isOpaque());
    EXPECT_FALSE(Texture(image(2, GL_LUMINANCE_ALPHA, 0), GL_LUMINANCE_ALPHA).isOpaque());
    // Without an alpha channel every texel is opaque, whatever its bytes.
    EXPECT_TRUE(Texture(image(3, GL_RGB, 0), GL_RGBA).isOpaque());
    const Texture ring = Texture::loadFile(sheetPath);
    EXPECT_FALSE(ring.isOpaque());
    Texture copy;
    copy = ring;
    EXPECT_FALSE(copy.isOpaque());
    EXPECT_FALSE(Texture(ring).isOpaque());
    EXPECT_TRUE(Texture::loadFile("Content/Images/whitePixel.png").isOpaque());
    EXPECT_TRUE(Texture().isOpaque());
}

TEST_F(TextureGlTest, CopiesShareOneTextureThatTheLastCopyDeletes) {
    auto* first = new Texture(Texture::loadFile(sheetPath));
    const unsigned name = first->getGLName();
    Texture* clone = first->clone();
    first->setName("ring");
    EXPECT_EQ(clone->getName(), "ring");
    EXPECT_EQ(clone->getGLName(), name);
    delete first;
    EXPECT_EQ(glIsTexture(name), GL_TRUE);

    Texture other(whitePixelImage(), GL_RGBA);
    *clone = *clone;
    EXPECT_EQ(glIsTexture(name), GL_TRUE);
    *clone = other;
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
    EXPECT_EQ(other.useCount(), 2);
    delete clone;
    EXPECT_EQ(glIsTexture(other.getGLName()), GL_TRUE);
    EXPECT_EQ(GlContext::drainErrors(), 0);
}

}  // namespace
