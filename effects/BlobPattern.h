// Soft blobs scattered over the surface at two scales. Kind number 3 of the surface patterns.
#pragma once

#include "effects/Pattern.h"

class BlobPattern : public Pattern {
public:
    static constexpr int kindNumber = 3;
    static constexpr int currentVersion = 2;

    BlobPattern();
    BlobPattern* clone() const override;
    int getVersion() const override { return currentVersion; }
    int getPatternID() const override { return kindNumber; }
    // Every stored version from 0 to the current one.
    void read(BaseInStream& in, int version) override;
    // Always the current version.
    void write(BaseOutStream& out, int version) override;

    // The named parameters, each a view of one slot of the block.
    float& scale2() { return parameters[1]; }
    float scale2() const { return parameters[1]; }
    float& thinness() { return parameters[2]; }
    float thinness() const { return parameters[2]; }
    float& sharpness() { return parameters[3]; }
    float sharpness() const { return parameters[3]; }
};
