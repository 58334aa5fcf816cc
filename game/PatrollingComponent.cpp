// Patrol legs, waits and turns, and carrying the hero.
#include "game/PatrollingComponent.h"

#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "game/BumperLogic.h"
#include "game/FireDerezZone.h"
#include "game/GameplayHelpers.h"
#include "physics/Body.h"

namespace {

const auto& patrollingType = registerType<PatrollingComponent>("PatrollingComponent");

const Field<PatrollingComponent> patrollingFields[] = {
    field<&PatrollingComponent::velocityScaleFactor>("velocityScaleFactor"),
    field<&PatrollingComponent::idleTime>("idleTime"),
    field<&PatrollingComponent::arrivalTolerance>("arrivalTolerance"),
    field<&PatrollingComponent::startPosition>("startPosition"),
    field<&PatrollingComponent::endPosition>("endPosition"),
};

// The unit vector along d over all four lanes; zero (no step) for a zero or unusable d.
Vector4 unitDirection(const Vector4& d) {
    const float length = std::sqrt(dot4(d, d));
    if (!(length > 0.0f) || !std::isfinite(length)) return Vector4(0.0f, 0.0f, 0.0f, 0.0f);
    return d / length;
}

}  // namespace

PatrollingComponent::PatrollingComponent(const Vector4& startPosition, const Vector4& endPosition)
    : startPosition(startPosition), endPosition(endPosition) {}

PatrollingComponent::PatrollingComponent(const PatrollingComponent& other)
    : Component(other),
      EventHandler(),
      startPosition(other.startPosition),
      endPosition(other.endPosition),
      velocityScaleFactor(other.velocityScaleFactor),
      idleTime(other.idleTime),
      idleCountdown(other.idleCountdown),
      arrivalTolerance(other.arrivalTolerance),
      idling(other.idling),
      rider(other.rider) {}

PatrollingComponent::~PatrollingComponent() { collisionHandle.release(); }

Component* PatrollingComponent::clone() const { return new PatrollingComponent(*this); }

void PatrollingComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, patrollingFields);
}

void PatrollingComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, patrollingFields);
}

void PatrollingComponent::initialize() {
    Component::initialize();
    rider = nullptr;
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
    // A patrol made while the level is edited leaves its object where the designer put it.
    if (!disabled) moveStep(unitDirection(endPosition - startPosition));
}

void PatrollingComponent::onCollision(CollisionMessage& message) {
    if (disabled) return;
    if (Entity* hero = heroById(message.otherEntityId)) rider = hero;
}

void PatrollingComponent::update(float dt) {
    if (disabled) return;
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    if (!body) return;
    if (idling) {
        if (idleCountdown > 0.0f) {
            idleCountdown -= dt;
            return;
        }
        idleCountdown = idleTime;
        std::swap(startPosition, endPosition);
        idling = false;
        moveStep(unitDirection(endPosition - startPosition));
        return;
    }
    const Vector4 d = endPosition - body->position;
    if (dot4(d, d) <= arrivalTolerance * arrivalTolerance) {
        idling = true;
        body->velocity = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
        return;
    }
    moveStep(unitDirection(d));
}

void PatrollingComponent::moveStep(const Vector4& direction) {
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    if (!body) return;
    if (dot4(direction, direction) == 0.0f) {
        rider = nullptr;
        return;
    }
    Vector4 step = direction * velocityScaleFactor;
    step.setW(direction.w());
    body->position += step;
    // The rider is looked up again: it may have left the level since it touched the object.
    if (rider && rider == heroEntity() && rider->body && !entity->getComponent<FireDerezZone>() &&
        !entity->getComponent<BumperLogic>())
        rider->body->position += step;
    rider = nullptr;
}
