// Particle records: copies that are made whole at once, and their text.
#include "effects/Particle.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "physics/Body.h"
#include "physics/Physics.h"

namespace {
const auto& particleType = registerType<Particle>("Particle");
}  // namespace

void keepOutOfPhysics(Entity& entity) {
    Body* body = entity.body;
    if (body == nullptr) return;
    if (Physics* physics = body->getPhysics()) physics->removeBody(body);
}

Particle::Particle() = default;

Particle::Particle(const Entity& templateEntity, bool inUse) : entity(templateEntity), inUse(inUse) {
    entity.initialize();
    keepOutOfPhysics(entity);
}

Particle::Particle(const Particle& other) : Particle(other.entity, other.inUse) {}

Particle::~Particle() = default;

const auto& Particle::fields() {
    static constexpr Field<Particle> table[] = {field<&Particle::entity>("entity"), field<&Particle::inUse>("inUse")};
    return table;
}

void Particle::read(BaseInStream& in, int version) { readFields(in, *this, fields()); }

void Particle::write(BaseOutStream& out, int version) {
    writeFields(out, *this, fields());
}
