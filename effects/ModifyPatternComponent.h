// Swings one parameter of one of its entity's own surface patterns along a sine wave, so that a
// pattern's scale or thickness swells and shrinks over time. The stored parameter itself changes, so
// a level save writes the current value.
#pragma once

#include "engine/Component.h"

class ModifyPatternComponent : public Component {
public:
    ModifyPatternComponent() = default;
    ModifyPatternComponent(const ModifyPatternComponent& other) = default;

    ModifyPatternComponent* clone() const override;
    int getVersion() const override { return 0; }
    // The "Component" part, then "whichPattern", "whichParameter", "amplitude", "waveLength",
    // "pointAlongWave", "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // One step along the wave. Nothing happens (and the wave does not advance) while the entity has
    // no such pattern, the parameter index is outside the block, or the wave length is 0 or not a
    // number.
    void update(float dt) override;

    int whichPattern = 0;     // position in the entity's Graphics pattern list
    int whichParameter = 0;   // slot of that pattern's block, 0 to 7
    float amplitude = 1.0f;   // rise over the first half of a wave
    float waveLength = 1.0f;  // seconds per wave
    float pointAlongWave = 0.0f;
};
