// Makes its entity appear smoothly: every frame it lowers the alpha the entity's Graphics is drawn
// with (through the per-frame colour offsets, never the stored colours) from nothing to full, and
// removes itself when its time has run out.
#pragma once

#include "engine/Component.h"

class FadeInComponent : public Component {
public:
    // A fade of one second.
    FadeInComponent() = default;
    // A fade of fadeInTime seconds with timeLeft seconds to go (all of it by default).
    explicit FadeInComponent(float fadeInTime);
    FadeInComponent(float fadeInTime, float timeLeft);
    FadeInComponent(const FadeInComponent& other) = default;

    FadeInComponent* clone() const override;
    int getVersion() const override { return 1; }
    // The "Component" part, "fadeInTime", "timeLeft", "end" (version 0 also carried two original
    // alphas, read and dropped).
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void update(float dt) override;

    float fadeInTime = 1.0f;
    float timeLeft = 1.0f;
};

// The share of the fade still to go: timeLeft / fadeTime, or 0 when that is not above 0. A fade time
// that is not above 0 counts as a fade already over.
float fadeFraction(float timeLeft, float fadeTime);

// The keys of a fade's block after its "Component" part, until "end": the fade time under fadeKey and
// "timeLeft"; blocks of version 0 also hold "originalDiffuseAlpha" and "originalSpecularAlpha".
void readFadeFields(BaseInStream& in, int version, const char* fadeKey, float& fadeTime, float& timeLeft);
