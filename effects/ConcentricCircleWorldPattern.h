// Rings laid in world space around the vertical axis through the world's origin.
// Kind number 6 of the surface patterns.
#pragma once

#include "effects/Pattern.h"

class ConcentricCircleWorldPattern : public Pattern {
public:
    static constexpr int kindNumber = 6;
    static constexpr int currentVersion = 0;

    ConcentricCircleWorldPattern();
    ConcentricCircleWorldPattern* clone() const override;
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
};
