// Wheel steps, the radius easing toward the wanted size, the fit test of growth, and power-ups.
#include "game/GrowShrink.h"

#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameplayMessages.h"
#include "engine/MessageDispatcher.h"
#include "engine/MouseWheelMessage.h"
#include "game/GameplayHelpers.h"
#include "game/Movement.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Sphere.h"

namespace {

const auto& growShrinkType = registerType<GrowShrink>("GrowShrink");

const Field<GrowShrink> growShrinkFields[] = {
    field<&GrowShrink::growFactor>("growFactor"),
    field<&GrowShrink::growFactorIncrement>("growFactorIncrement"),
    field<&GrowShrink::minSize>("minSize"),
    field<&GrowShrink::maxSize>("maxSize"),
    field<&GrowShrink::adjustmentTime>("adjustmentTime"),
    field<&GrowShrink::currentTargetSize>("currentTargetSize"),
};

}  // namespace

GrowShrink::GrowShrink(const GrowShrink& other)
    : Component(other),
      EventHandler(),
      growFactor(other.growFactor),
      growFactorIncrement(other.growFactorIncrement),
      minSize(other.minSize),
      maxSize(other.maxSize),
      minSizeFloor(other.minSizeFloor),
      maxSizeCeiling(other.maxSizeCeiling),
      adjustmentTime(other.adjustmentTime),
      currentTargetSize(other.currentTargetSize) {}

Component* GrowShrink::clone() const { return new GrowShrink(*this); }

void GrowShrink::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, growShrinkFields);
}

void GrowShrink::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, growShrinkFields);
}

void GrowShrink::initialize() {
    Component::initialize();
    EventHandler::registerHandler<MouseWheelMessage>(MessageType::MouseWheel, this,
                                                     [](GrowShrink& g, MouseWheelMessage& m) { g.onMouseWheel(m); });
    followEditMode(this);
}

void GrowShrink::update(float dt) {
    if (!disabled) applySize(dt, false);
}

void GrowShrink::onMouseWheel(MouseWheelMessage& message) {
    if (disabled) return;
    float candidate = message.delta > 0.0f ? currentTargetSize * growFactor : currentTargetSize / growFactor;
    // Written so that a candidate that is not a number ends at a limit.
    candidate = candidate < maxSize ? candidate : maxSize;
    candidate = candidate > minSize ? candidate : minSize;
    currentTargetSize = candidate;
}

void GrowShrink::applySize(float dt, bool instant) {
    if (disabled) return;
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    Sphere* sphere = sphereOf(body);
    if (!sphere) return;
    const float r0 = sphere->radius;
    float r1 = currentTargetSize;
    if (!instant && adjustmentTime > 0.0f) r1 = (dt * currentTargetSize + (adjustmentTime - dt) * r0) / adjustmentTime;
    // A radius that is not a positive number would poison the body (mass, gravity, contacts).
    if (!(r1 > 0.0f) || !std::isfinite(r1) || r1 == r0) return;
    sphere->radius = r1;

    Movement* movement = entity->getComponent<Movement>();
    if (!instant) {
        const Vector4 position = body->position;
        if (movement && movement->isOnGround()) body->position += Vector4(0.0f, 1.05f * (r1 - r0), 0.0f, 0.0f);
        if (r1 > r0) {
            Physics* physics = currentPhysics();
            if (physics && !physics->tryResolveBody(body)) {
                sphere->radius = r0;
                currentTargetSize = r0;
                body->position = position;
                return;
            }
        }
    }
    sendMessage(new SizeChangeMessage(r0, r1));
    if (r0 > 0.0f) {
        const float ratio = r1 / r0;
        body->setMass(body->mass * ratio * ratio * ratio);
    }
    float takeOffSpeed = 0.0f, gravity = 0.0f;
    if (movement && jumpMotion(r1, movement->jumpHeight, movement->jumpTime, takeOffSpeed, gravity))
        body->acceleration = Vector4(0.0f, gravity, 0.0f, 0.0f);
}

void GrowShrink::powerUp() {
    minSize = std::max(minSize * 0.5f, minSizeFloor);
    maxSize = std::min(maxSize * 2.0f, maxSizeCeiling);
    growFactor += growFactorIncrement;
    sendMessage(new PowerUpMessage(minSize, maxSize, growFactor));
    Entity* entity = getOwner();
    if (entity && entity->body) playSoundAt("powerUp", entity->body->position);
}
