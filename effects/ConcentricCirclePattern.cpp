// ConcentricCirclePattern: defaults, copies, the stored versions of its block, and the ring texture
// that data files obtain by calling "ConcentricCirclePattern::buildTexture".
#include "effects/ConcentricCirclePattern.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <memory>

#include "core/Function.h"
#include "core/SerializeType.h"
#include "graphics/Texture.h"

namespace {

const auto& patternType = registerType<ConcentricCirclePattern>("ConcentricCirclePattern");

const bool ringTextureFunctionRegistered = [] {
    registerFunction<Texture(float, float, float)>("ConcentricCirclePattern::buildTexture",
                                                   &ConcentricCirclePattern::buildTexture);
    return true;
}();

const PatternField currentKeys[] = {{"thinness", 1}, {"sharpness", 2}};
const PatternField version0Keys[] = {{"scale", Pattern::scaleAfterBlock}, {"thinness", 1}, {"sharpness", 2}};
const PatternField version1Keys[] = {{"scale2", Pattern::scaleAfterBlock}, {"thinness", 1}, {"sharpness", 2}};

}  // namespace

ConcentricCirclePattern::ConcentricCirclePattern() {
    parameters[0] = 18.0f;
    parameters[1] = 0.7f;
    parameters[2] = 1.2f;
}

ConcentricCirclePattern* ConcentricCirclePattern::clone() const { return new ConcentricCirclePattern(*this); }

void ConcentricCirclePattern::read(BaseInStream& in, int version) {
    if (version <= 0) return readKindBlock(in, version0Keys, std::size(version0Keys));
    if (version == 1) return readKindBlock(in, version1Keys, std::size(version1Keys));
    readKindBlock(in, currentKeys, std::size(currentKeys));
}

void ConcentricCirclePattern::write(BaseOutStream& out, int version) {
    writeKindBlock(out, currentKeys, std::size(currentKeys));
}

PixelImage ConcentricCirclePattern::buildRingImage(float scale, float thinness, float sharpness) {
    constexpr float pi = 3.1415927f;

    PixelImage image;
    image.pixels = std::shared_ptr<unsigned char[]>(newPixelBlock(ringTextureWidth, ringTextureHeight));
    if (!image.pixels) {
        std::cerr << "error: out of memory for a " << ringTextureWidth << "x" << ringTextureHeight << " ring image"
                  << std::endl;
        return PixelImage();
    }
    image.width = ringTextureWidth;
    image.height = ringTextureHeight;
    image.channels = 1;
    image.format = GL_LUMINANCE;
    image.bitDepth = 8;
    image.rowBytes = ringTextureWidth;

    unsigned char* texel = image.pixels.get();
    for (int y = 0; y < ringTextureHeight; ++y) {
        const float latitude = (static_cast<float>(y) / static_cast<float>(ringTextureHeight) - 0.5f) * pi;
        const float c = std::cos(latitude);
        for (int x = 0; x < ringTextureWidth; ++x) {
            const float longitude = 2.0f * (static_cast<float>(x) / static_cast<float>(ringTextureWidth)) * pi;
            const float p = c * std::sin(longitude);
            const float q = c * std::cos(longitude);
            const float d = (2.0f - std::fabs(p) - std::fabs(q)) * scale;
            float r = (std::sin(d) - thinness) / (1.0f - thinness);
            // Written so that NaN (a thinness of exactly 1) falls to the dark side too.
            if (!(r > 0.0f)) r = 0.0f;
            float w = r * sharpness;
            if (!(w < 0.9999f)) w = 0.9999f;
            // Truncation toward zero keeps the value below 256.
            *texel++ = static_cast<unsigned char>(static_cast<std::int32_t>(w * 256.0f) & 0xFF);
        }
    }
    return image;
}

Texture ConcentricCirclePattern::buildTexture(float scale, float thinness, float sharpness) {
    const PixelImage image = buildRingImage(scale, thinness, sharpness);
    // An image that could not be held is reported already: drawn white without a second line.
    return Texture(image.empty() ? whitePixelImage() : image, GL_RGBA);
}
