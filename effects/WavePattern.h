// Bands that wave across the surface, stretched along two axes. Kind number 2 of the surface patterns.
#pragma once

#include "effects/Pattern.h"

class WavePattern : public Pattern {
public:
    static constexpr int kindNumber = 2;
    static constexpr int currentVersion = 1;

    WavePattern();
    WavePattern* clone() const override;
    int getVersion() const override { return currentVersion; }
    int getPatternID() const override { return kindNumber; }
    // Every stored version from 0 to the current one.
    void read(BaseInStream& in, int version) override;
    // Always the current version.
    void write(BaseOutStream& out, int version) override;

    // The named parameters, each a view of one slot of the block.
    float& scaleX() { return parameters[1]; }
    float scaleX() const { return parameters[1]; }
    float& scaleY() { return parameters[2]; }
    float scaleY() const { return parameters[2]; }
    float& thinness() { return parameters[3]; }
    float thinness() const { return parameters[3]; }
    float& sharpness() { return parameters[4]; }
    float sharpness() const { return parameters[4]; }
};
