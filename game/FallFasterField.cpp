// The fall-faster field's downward push.
#include "game/FallFasterField.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "game/GameplayHelpers.h"
#include "physics/Body.h"

namespace {

const auto& fallFasterType = registerType<FallFasterField>("FallFasterField");

const Field<FallFasterField> fallFasterFields[] = {
    field<&FallFasterField::downwardForce>("downwardForce"),
    field<&FallFasterField::maxDownwardVel>("maxDownwardVel"),
};

}  // namespace

FallFasterField::FallFasterField(const FallFasterField& other)
    : Logic(other), downwardForce(other.downwardForce), maxDownwardVel(other.maxDownwardVel) {}

FallFasterField::~FallFasterField() { collisionHandle.release(); }

void FallFasterField::read(BaseInStream& in, int version) {
    const int logicVersion = readBaseHeader(in);
    readLogicFields(in, *this, logicVersion);
    readFields(in, *this, fallFasterFields);
}

void FallFasterField::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Logic::getVersion(), "Logic");
    writeLogicFields(out, *this, Logic::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, fallFasterFields);
}

void FallFasterField::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void FallFasterField::onCollision(CollisionMessage& message) {
    if (disabled) return;
    if (Entity* hero = heroById(message.otherEntityId)) pendingHero = hero;
}

void FallFasterField::update(float) {
    if (disabled || !pendingHero) return;
    // The hero may have left the level since it touched the field.
    if (pendingHero != heroEntity()) {
        pendingHero = nullptr;
        return;
    }
    Body* body = pendingHero->body;
    if (!body) return;
    if (maxDownwardVel < body->velocity.y()) {
        body->accumulatedForce += Vector4(0.0f, body->mass * downwardForce, 0.0f, 0.0f);
        pendingHero = nullptr;
    }
}
