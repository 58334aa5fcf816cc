// The fade-in: its per-frame alpha offsets and its text.
#include "effects/FadeInComponent.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "graphics/Graphics.h"

namespace {

const auto& fadeInType = registerType<FadeInComponent>("FadeInComponent");

const Field<FadeInComponent> fadeInFields[] = {
    field<&FadeInComponent::fadeInTime>("fadeInTime"),
    field<&FadeInComponent::timeLeft>("timeLeft"),
};

}  // namespace

float fadeFraction(float timeLeft, float fadeTime) {
    if (!(fadeTime > 0.0f)) return 0.0f;
    const float t = timeLeft / fadeTime;
    return t > 0.0f ? t : 0.0f;
}

void readFadeFields(BaseInStream& in, int version, const char* fadeKey, float& fadeTime, float& timeLeft) {
    std::string key;
    while (readKey(in, key)) {
        if (key == fadeKey) {
            readValue(in, fadeTime);
        } else if (key == "timeLeft") {
            readValue(in, timeLeft);
        } else if (version == 0 && (key == "originalDiffuseAlpha" || key == "originalSpecularAlpha")) {
            // Older fades restored these alphas at the end; the offsets made them unnecessary.
            float dropped = 0.0f;
            readValue(in, dropped);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

FadeInComponent::FadeInComponent(float fadeInTime) : fadeInTime(fadeInTime), timeLeft(fadeInTime) {}

FadeInComponent::FadeInComponent(float fadeInTime, float timeLeft) : fadeInTime(fadeInTime), timeLeft(timeLeft) {}

FadeInComponent* FadeInComponent::clone() const { return new FadeInComponent(*this); }

void FadeInComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFadeFields(in, version, "fadeInTime", fadeInTime, timeLeft);
}

void FadeInComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, fadeInFields);
}

void FadeInComponent::update(float dt) {
    timeLeft -= dt;
    Entity* entity = getOwner();
    if (Graphics* graphics = entity ? entity->graphics : nullptr) {
        // Both colours are taken before either offset changes.
        const Vector4 diffuse = getDrawColor(*graphics) + graphics->diffuseColorOffset;
        const Vector4 specular = getDrawSpecularColor(*graphics) + graphics->specularColorOffset;
        const float t = fadeFraction(timeLeft, fadeInTime);
        graphics->diffuseColorOffset.setW(graphics->diffuseColorOffset.w() - t * diffuse.w());
        graphics->specularColorOffset.setW(graphics->specularColorOffset.w() - t * specular.w());
    }
    if (timeLeft < 0.0f && entity) entity->removeComponent(this);
}
