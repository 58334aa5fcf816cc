// Counts a particle's life down, starts its fade-out when the life left reaches the fade-out time,
// and at the end hands the particle's record back to its emitter's pool. It never deletes anything:
// the entity stays in its record for the next emission.
#pragma once

#include <cstdint>
#include <limits>

#include "engine/Component.h"

class ParticleEmitter;

class ParticleLifetimeComponent : public Component {
public:
    // Bound to no emitter, no record, an endless life and no fade-out.
    ParticleLifetimeComponent() = default;
    ParticleLifetimeComponent(ParticleEmitter* emitter, std::uint32_t particleID, float timeRemaining,
                              float fadeOutTime);
    // Same emitter, record and times; no owner, enabled, not initialised.
    ParticleLifetimeComponent(const ParticleLifetimeComponent& other);

    ParticleLifetimeComponent* clone() const override;
    int getVersion() const override { return 0; }
    // The "Component" part, "timeRemaining", "fadeOutTime", "particleID", "end". The emitter is not
    // stored; the emitter binds its records again when it is initialised.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Does nothing unless the component is the one of a record of its emitter (it may stand on any
    // entity through the editor or a data file).
    void update(float dt) override;

    // Whether the component belongs to record particleID of its emitter.
    bool isBoundToRecord() const;

    ParticleEmitter* emitter = nullptr;  // not owned
    std::uint32_t particleID = 0xFFFFFFFFu;
    float timeRemaining = std::numeric_limits<float>::infinity();
    // Length of the fade-out still to be started; 0 once it has started.
    float fadeOutTime = 0.0f;
};
