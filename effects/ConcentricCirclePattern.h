// Rings around the pattern's centre. Kind number 5 of the surface patterns; it also builds the ring
// texture of the loading screen and of data files ("ConcentricCirclePattern::buildTexture").
#pragma once

#include "core/PngFile.h"
#include "effects/Pattern.h"

class Texture;

class ConcentricCirclePattern : public Pattern {
public:
    static constexpr int kindNumber = 5;
    static constexpr int currentVersion = 2;
    // Size of the ring image: one full turn of longitude by pole to pole.
    static constexpr int ringTextureWidth = 2048;
    static constexpr int ringTextureHeight = 512;

    ConcentricCirclePattern();

    ConcentricCirclePattern* clone() const override;
    int getVersion() const override { return currentVersion; }
    int getPatternID() const override { return kindNumber; }
    // Every stored version from 0 to the current one.
    void read(BaseInStream& in, int version) override;
    // Always the current version.
    void write(BaseOutStream& out, int version) override;

    // The named parameters, each a view of one slot of the block.
    float& thinness() { return parameters[1]; }
    float thinness() const { return parameters[1]; }
    float& sharpness() { return parameters[2]; }
    float sharpness() const { return parameters[2]; }

    // The one-channel ring image laid out for a sphere: bands around both poles, scale setting how
    // many, thinness how thin and sharpness how hard their edges are. Computed on the CPU.
    static PixelImage buildRingImage(float scale, float thinness, float sharpness);
    // The ring image uploaded as a new texture (needs a GL context). Nothing is cached.
    static Texture buildTexture(float scale, float thinness, float sharpness);
};
