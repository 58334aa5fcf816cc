// The ring image behind "ConcentricCirclePattern::buildTexture", checked as an image on the CPU.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "core/Function.h"
#include "effects/ConcentricCirclePattern.h"

namespace {

constexpr int width = ConcentricCirclePattern::ringTextureWidth;
constexpr int height = ConcentricCirclePattern::ringTextureHeight;

int texel(const PixelImage& image, int x, int y) { return image.pixels[static_cast<std::size_t>(y) * width + x]; }

// The texel value at (x, y) worked out independently, in double precision, from the ring formula.
int expectedTexel(int x, int y, double scale, double thinness, double sharpness) {
    const double pi = 3.14159265358979;
    const double c = std::cos((y / 512.0 - 0.5) * pi);
    const double phi = 2.0 * (x / 2048.0) * pi;
    const double d = (2.0 - std::fabs(c * std::sin(phi)) - std::fabs(c * std::cos(phi))) * scale;
    double r = (std::sin(d) - thinness) / (1.0 - thinness);
    if (!(r > 0.0)) r = 0.0;
    double w = r * sharpness;
    if (!(w < 0.9999)) w = 0.9999;
    return static_cast<int>(w * 256.0);
}

}  // namespace

TEST(RingImage, LoadingScreenRingsHaveTheLayoutAndTheirValues) {
    const PixelImage image = ConcentricCirclePattern::buildRingImage(18.5f, 0.8f, 1.2f);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(image.width, 2048u);
    EXPECT_EQ(image.height, 512u);
    EXPECT_EQ(image.channels, 1);
    EXPECT_EQ(image.format, static_cast<unsigned>(GL_LUMINANCE));
    EXPECT_EQ(image.rowBytes, 2048u);

    // The pole row is dark; the rest follows the formula (allowing single-precision rounding where a
    // value sits on a boundary between two bytes).
    for (int x = 0; x < width; ++x) ASSERT_EQ(texel(image, x, 0), 0) << x;
    int off = 0;
    int lit = 0;
    for (int y = 0; y < height; y += 7) {
        for (int x = 0; x < width; x += 13) {
            const int expected = expectedTexel(x, y, 18.5, 0.8, 1.2);
            if (std::abs(texel(image, x, y) - expected) > 1) ++off;
            if (texel(image, x, y) > 0) ++lit;
        }
    }
    EXPECT_LE(off, 3);
    EXPECT_GT(lit, 1000);  // there are rings at all
}

TEST(RingImage, EquatorColumnZeroSitsAtTheScaleItself) {
    // d = scale exactly there; with no thinness and unit sharpness the texel is 256 * sin(scale).
    const PixelImage image = ConcentricCirclePattern::buildRingImage(0.5f, 0.0f, 1.0f);
    EXPECT_EQ(texel(image, 0, 256), static_cast<int>(std::sin(0.5f) * 256.0f));
    // Where sin d is not positive the texel is 0: with scale 3.5 that column has d = 3.5.
    const PixelImage dark = ConcentricCirclePattern::buildRingImage(3.5f, 0.0f, 1.0f);
    EXPECT_EQ(texel(dark, 0, 256), 0);
}

TEST(RingImage, HardEdgesClipAt255AndFullThinnessIsDark) {
    const PixelImage hard = ConcentricCirclePattern::buildRingImage(18.0f, 0.0f, 1000.0f);
    int maximum = 0;
    for (int i = 0; i < width * height; ++i) maximum = std::max<int>(maximum, hard.pixels[static_cast<std::size_t>(i)]);
    EXPECT_EQ(maximum, 255);

    const PixelImage none = ConcentricCirclePattern::buildRingImage(18.0f, 1.0f, 1.2f);
    for (int i = 0; i < width * height; ++i) ASSERT_EQ(none.pixels[static_cast<std::size_t>(i)], 0) << i;
}

TEST(RingImage, LongitudeWrapsAndBothHalvesMirror) {
    const PixelImage image = ConcentricCirclePattern::buildRingImage(6.0f, 0.3f, 1.5f);
    // |sin| and |cos| repeat every quarter turn: the image repeats every 512 columns.
    for (int y = 1; y < height; y += 31)
        for (int x = 0; x < 512; x += 17)
            ASSERT_NEAR(texel(image, x, y), texel(image, x + 1024, y), 1) << x << "," << y;
}

TEST(RingImage, RegisteredAsADataFunction) {
    auto function = findFunction("ConcentricCirclePattern::buildTexture");
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function->getArgumentCount(), 3);
}
