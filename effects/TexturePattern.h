// The object's own texture projected in world space as a pattern. Kind number 8 of the surface patterns.
#pragma once

#include "effects/Pattern.h"

class TexturePattern : public Pattern {
public:
    static constexpr int kindNumber = 8;
    static constexpr int currentVersion = 0;

    TexturePattern();
    TexturePattern* clone() const override;
    int getVersion() const override { return currentVersion; }
    int getPatternID() const override { return kindNumber; }
    // Every stored version from 0 to the current one.
    void read(BaseInStream& in, int version) override;
    // Always the current version.
    void write(BaseOutStream& out, int version) override;
};
