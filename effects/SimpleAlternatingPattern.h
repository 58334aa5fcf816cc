// Stripes that alternate with the distance from the pattern's centre. Kind number 1 of the surface patterns.
#pragma once

#include "effects/Pattern.h"

class SimpleAlternatingPattern : public Pattern {
public:
    static constexpr int kindNumber = 1;
    static constexpr int currentVersion = 1;

    SimpleAlternatingPattern();
    SimpleAlternatingPattern* clone() const override;
    int getVersion() const override { return currentVersion; }
    int getPatternID() const override { return kindNumber; }
    // Every stored version from 0 to the current one.
    void read(BaseInStream& in, int version) override;
    // Always the current version.
    void write(BaseOutStream& out, int version) override;

    // The named parameters, each a view of one slot of the block.
    float& sharpness() { return parameters[1]; }
    float sharpness() const { return parameters[1]; }
};
