// Cutting rectangles out of decoded images: clamping into the image, the copied bytes, and the
// sprite-grid frame order. No GL: only the pixel work before an upload.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <climits>

#include "graphics/Animation.h"
#include "graphics/Texture.h"

namespace {

// An image whose every byte names its position: byte = (row * 16 + column) * channels + channel.
PixelImage numberedImage(int width, int height, int channels) {
    PixelImage image;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[rowBytes * height]);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                image.pixels[y * rowBytes + x * channels + c] = static_cast<unsigned char>((y * 16 + x) * channels + c);
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    image.channels = channels;
    image.format = channels == 3 ? GL_RGB : GL_RGBA;
    image.bitDepth = 8;
    image.rowBytes = rowBytes;
    return image;
}

TextureRect rect(int minX, int minY, int maxX, int maxY) {
    return TextureRect{minX, minY, maxX, maxY};
}

TEST(ClampTextureRect, KeepsRectanglesInsideTheImage) {
    TextureRect r = rect(0, 0, 64, 32);
    ASSERT_TRUE(clampTextureRect(100, 50, r));
    EXPECT_EQ(r.maxX, 64);
    EXPECT_EQ(r.maxY, 32);

    TextureRect whole;
    ASSERT_TRUE(clampTextureRect(100, 50, whole));
    EXPECT_EQ(whole.maxX, 100);
    EXPECT_EQ(whole.maxY, 50);

    // A min at or beyond the edge becomes the last column: one pixel wide when max is beyond too.
    TextureRect edge = rect(100, 60, 500, 70);
    ASSERT_TRUE(clampTextureRect(100, 50, edge));
    EXPECT_EQ(edge.minX, 99);
    EXPECT_EQ(edge.maxX, 100);
    EXPECT_EQ(edge.minY, 49);
    EXPECT_EQ(edge.maxY, 50);

    TextureRect negative = rect(-5, -3, 4, 2);
    ASSERT_TRUE(clampTextureRect(100, 50, negative));
    EXPECT_EQ(negative.minX, 0);
    EXPECT_EQ(negative.minY, 0);
}

TEST(ClampTextureRect, RefusesRectanglesWithNothingInside) {
    TextureRect inverted = rect(10, 0, 5, 10);
    EXPECT_FALSE(clampTextureRect(100, 50, inverted));
    TextureRect empty = rect(3, 3, 3, 9);
    EXPECT_FALSE(clampTextureRect(100, 50, empty));
    TextureRect left = rect(-20, 0, -10, 10);
    EXPECT_FALSE(clampTextureRect(100, 50, left));
    TextureRect any;
    EXPECT_FALSE(clampTextureRect(0, 0, any));
}

TEST(CopyImageRect, CopiesTightRowsOfOddWidths) {
    // Three bytes per pixel and five pixels a row: rows are 15 bytes, not padded to 16.
    PixelImage image = numberedImage(5, 4, 3);
    TextureRect r = rect(1, 1, 4, 3);
    ASSERT_TRUE(clampTextureRect(5, 4, r));
    PixelImage cut = copyImageRect(image, r);
    ASSERT_EQ(cut.width, 3u);
    ASSERT_EQ(cut.height, 2u);
    EXPECT_EQ(cut.rowBytes, 9u);
    EXPECT_EQ(cut.channels, 3);
    EXPECT_EQ(cut.format, static_cast<unsigned>(GL_RGB));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(cut.pixels[y * 9 + x * 3 + c], image.pixels[(y + 1) * 15 + (x + 1) * 3 + c])
                    << x << "," << y << "," << c;
}

TEST(CopyImageRect, ACopyTooLargeToHoldIsReportedAndEmpty) {
    // Only the size is read before the copy is made, so the image need not have the pixels it claims.
    PixelImage huge = numberedImage(1, 1, 4);
    huge.width = huge.height = INT_MAX;
    huge.rowBytes = std::size_t(INT_MAX) * 4;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(copyImageRect(huge, rect(0, 0, INT_MAX, INT_MAX)).empty());
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("out of memory"), std::string::npos) << report;
}

TEST(CopyImageRect, TakesTheLastPixelOfAClampedEdge) {
    PixelImage image = numberedImage(8, 8, 4);
    TextureRect r = rect(50, 50, 60, 60);
    ASSERT_TRUE(clampTextureRect(8, 8, r));
    PixelImage cut = copyImageRect(image, r);
    ASSERT_EQ(cut.width, 1u);
    ASSERT_EQ(cut.height, 1u);
    EXPECT_EQ(cut.pixels[0], image.pixels[image.offset(7, 7)]);
}

TEST(PixelImages, WhitePixelAndUsability) {
    PixelImage white = whitePixelImage();
    ASSERT_TRUE(isUsableImage(white));
    EXPECT_EQ(white.width, 1u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(white.pixels[i], 255);

    EXPECT_FALSE(isUsableImage(PixelImage()));
    PixelImage palette = numberedImage(4, 4, 4);
    palette.channels = 0;
    EXPECT_FALSE(isUsableImage(palette));
    PixelImage deep = numberedImage(4, 4, 4);
    deep.bitDepth = 16;
    EXPECT_FALSE(isUsableImage(deep));
}

TEST(SpriteGrid, FramesRunRowByRowFromTheBottomLeft) {
    SpriteSheetLayout layout;
    layout.spriteWidth = 16;
    layout.spriteHeight = 16;
    layout.numRows = 2;
    layout.numColumns = 3;
    layout.numSprites = 99;
    auto rects = spriteGridRects(layout);
    ASSERT_EQ(rects.size(), 6u);
    const int expected[6][2] = {{0, 0}, {16, 0}, {32, 0}, {0, 16}, {16, 16}, {32, 16}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rects[i].minX, expected[i][0]) << i;
        EXPECT_EQ(rects[i].minY, expected[i][1]) << i;
        EXPECT_EQ(rects[i].maxX, expected[i][0] + 16) << i;
        EXPECT_EQ(rects[i].maxY, expected[i][1] + 16) << i;
    }
    layout.numRows = 0;
    EXPECT_TRUE(spriteGridRects(layout).empty());
    layout.numRows = -3;
    EXPECT_EQ(spriteGridCount(layout), 0);
}

}  // namespace
