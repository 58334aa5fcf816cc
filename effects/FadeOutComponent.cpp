// The fade-out: its per-frame alpha offsets, the kept final alpha and its text.
#include "effects/FadeOutComponent.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/FadeInComponent.h"
#include "engine/Entity.h"
#include "graphics/Graphics.h"

namespace {

const auto& fadeOutType = registerType<FadeOutComponent>("FadeOutComponent");

const Field<FadeOutComponent> fadeOutFields[] = {
    field<&FadeOutComponent::fadeOutTime>("fadeOutTime"),
    field<&FadeOutComponent::timeLeft>("timeLeft"),
};

}  // namespace

FadeOutComponent::FadeOutComponent(float fadeOutTime) : fadeOutTime(fadeOutTime), timeLeft(fadeOutTime) {}

FadeOutComponent::FadeOutComponent(float fadeOutTime, float timeLeft, float finalAlpha, bool keepFinalAlpha)
    : fadeOutTime(fadeOutTime), timeLeft(timeLeft), finalAlpha(finalAlpha), keepFinalAlpha(keepFinalAlpha) {}

FadeOutComponent* FadeOutComponent::clone() const { return new FadeOutComponent(*this); }

void FadeOutComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFadeFields(in, version, "fadeOutTime", fadeOutTime, timeLeft);
}

void FadeOutComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, fadeOutFields);
}

void FadeOutComponent::update(float dt) {
    timeLeft -= dt;
    Entity* entity = getOwner();
    Graphics* graphics = entity ? entity->graphics : nullptr;
    if (graphics) {
        const Vector4 diffuse = getDrawColor(*graphics) + graphics->diffuseColorOffset;
        const Vector4 specular = getDrawSpecularColor(*graphics) + graphics->specularColorOffset;
        const float k = 1.0f - finalAlpha;
        const float t = fadeFraction(timeLeft, fadeOutTime);
        graphics->diffuseColorOffset.setW(graphics->diffuseColorOffset.w() + diffuse.w() * k * (t - 1.0f));
        graphics->specularColorOffset.setW(graphics->specularColorOffset.w() + specular.w() * k * (t - 1.0f));
    }
    if (timeLeft < 0.0f && entity) {
        if (keepFinalAlpha && graphics) {
            Vector4 kept = getDrawColor(*graphics);
            kept.setW(finalAlpha);
            graphics->diffuseColor = kept;
        }
        entity->removeComponent(this);
    }
}
