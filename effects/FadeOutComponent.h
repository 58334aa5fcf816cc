// Makes its entity disappear smoothly: every frame it scales the alpha the entity's Graphics is drawn
// with (through the per-frame colour offsets) from full down to finalAlpha times full, and removes
// itself when its time has run out; with keepFinalAlpha the entity keeps that alpha afterwards.
#pragma once

#include "engine/Component.h"

class FadeOutComponent : public Component {
public:
    // A fade of one second to the factor -1 (the alpha is gone half-way).
    FadeOutComponent() = default;
    // A fade of fadeOutTime seconds with all of it to go, to the factor -1.
    explicit FadeOutComponent(float fadeOutTime);
    FadeOutComponent(float fadeOutTime, float timeLeft, float finalAlpha, bool keepFinalAlpha);
    FadeOutComponent(const FadeOutComponent& other) = default;

    FadeOutComponent* clone() const override;
    int getVersion() const override { return 1; }
    // The "Component" part, "fadeOutTime", "timeLeft", "end"; finalAlpha and keepFinalAlpha are not
    // stored (version 0 also carried two original alphas, read and dropped).
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void update(float dt) override;

    float fadeOutTime = 1.0f;
    float timeLeft = 1.0f;
    // The factor on the alpha when timeLeft reaches 0.
    float finalAlpha = -1.0f;
    // At the end, write finalAlpha into the alpha of the Graphics' diffuseColor.
    bool keepFinalAlpha = false;
};
