// A particle's life: the countdown, the fade-out and the release of its record.
#include "effects/ParticleLifetimeComponent.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/FadeOutComponent.h"
#include "effects/ParticleEmitter.h"
#include "engine/Entity.h"

namespace {

const auto& lifetimeType = registerType<ParticleLifetimeComponent>("ParticleLifetimeComponent");

const Field<ParticleLifetimeComponent> lifetimeFields[] = {
    field<&ParticleLifetimeComponent::timeRemaining>("timeRemaining"),
    field<&ParticleLifetimeComponent::fadeOutTime>("fadeOutTime"),
    field<&ParticleLifetimeComponent::particleID>("particleID"),
};

}  // namespace

ParticleLifetimeComponent::ParticleLifetimeComponent(ParticleEmitter* emitter, std::uint32_t particleID,
                                                     float timeRemaining, float fadeOutTime)
    : emitter(emitter), particleID(particleID), timeRemaining(timeRemaining), fadeOutTime(fadeOutTime) {}

ParticleLifetimeComponent::ParticleLifetimeComponent(const ParticleLifetimeComponent& other)
    : Component(),
      emitter(other.emitter),
      particleID(other.particleID),
      timeRemaining(other.timeRemaining),
      fadeOutTime(other.fadeOutTime) {}

ParticleLifetimeComponent* ParticleLifetimeComponent::clone() const { return new ParticleLifetimeComponent(*this); }

void ParticleLifetimeComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, lifetimeFields);
}

void ParticleLifetimeComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, lifetimeFields);
}

bool ParticleLifetimeComponent::isBoundToRecord() const {
    if (emitter == nullptr || owner == nullptr) return false;
    if (particleID >= emitter->particles.size()) return false;
    return &emitter->particles[particleID].entity == owner;
}

void ParticleLifetimeComponent::update(float dt) {
    if (!isBoundToRecord()) return;
    timeRemaining -= dt;
    if (timeRemaining <= 0.0f) {
        emitter->particles[particleID].inUse = false;
        emitter->unusedIDs.push_back(particleID);
        return;
    }
    if (timeRemaining <= fadeOutTime) {
        owner->addComponent(new FadeOutComponent(fadeOutTime));
        fadeOutTime = 0.0f;
    }
}
