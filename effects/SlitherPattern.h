// A band that slithers across the surface like a snake's track. Kind number 7 of the surface patterns.
#pragma once

#include "effects/Pattern.h"

class SlitherPattern : public Pattern {
public:
    static constexpr int kindNumber = 7;
    static constexpr int currentVersion = 0;

    SlitherPattern();
    SlitherPattern* clone() const override;
    int getVersion() const override { return currentVersion; }
    int getPatternID() const override { return kindNumber; }
    // Every stored version from 0 to the current one.
    void read(BaseInStream& in, int version) override;
    // Always the current version.
    void write(BaseOutStream& out, int version) override;

    // The named parameters, each a view of one slot of the block.
    float& width() { return parameters[1]; }
    float width() const { return parameters[1]; }
    float& thinness() { return parameters[2]; }
    float thinness() const { return parameters[2]; }
    float& frequency() { return parameters[3]; }
    float frequency() const { return parameters[3]; }
    float& amplitude() { return parameters[4]; }
    float amplitude() const { return parameters[4]; }
};
