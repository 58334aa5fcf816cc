// Steering, braking and jumping of the hero sphere from the held keys.
#include "game/Movement.h"

#include <cmath>

#include "core/Quaternion.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/MainLoop.h"
#include "game/GameplayHelpers.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"
#include "physics/CollisionMessage.h"

namespace {

const auto& movementType = registerType<Movement>("Movement");

const Field<Movement> movementFields[] = {
    field<&Movement::velocity>("velocity"),
    field<&Movement::brakeSpeed>("brakeSpeed"),
    field<&Movement::jumpTime>("jumpTime"),
    field<&Movement::jumpHeight>("jumpHeight"),
    field<&Movement::jumpToleranceTime>("jumpToleranceTime"),
    field<&Movement::groundNormalThreshold>("groundNormalThreshold"),
    field<&Movement::canKeepJumping>("canKeepJumping"),
};

}  // namespace

bool jumpMotion(float radius, float jumpHeight, float jumpTime, float& takeOffSpeed, float& gravity) {
    const float half = jumpTime * 0.5f;
    const float speed = 2.0f * radius * jumpHeight / half;
    const float fall = -(radius * jumpHeight) / (half * half);
    if (!std::isfinite(speed) || !std::isfinite(fall)) return false;
    takeOffSpeed = speed;
    gravity = fall;
    return true;
}

Movement::Movement() : lastGroundContactTime(currentTime), lastJumpTime(currentTime) {}

Movement::Movement(const Movement& other)
    : Component(other),
      EventHandler(),
      velocity(other.velocity),
      brakeSpeed(other.brakeSpeed),
      jumpTime(other.jumpTime),
      jumpHeight(other.jumpHeight),
      jumpToleranceTime(other.jumpToleranceTime),
      groundNormalThreshold(other.groundNormalThreshold),
      canKeepJumping(other.canKeepJumping),
      lastGroundContactTime(other.lastGroundContactTime),
      lastJumpTime(other.lastJumpTime) {}

Movement::~Movement() { collisionHandle.release(); }

Component* Movement::clone() const { return new Movement(*this); }

void Movement::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, movementFields);
}

void Movement::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, movementFields);
}

void Movement::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

bool Movement::isOnGround() const {
    return static_cast<float>(currentTime - lastGroundContactTime) <= jumpToleranceTime;
}

void Movement::onCollision(CollisionMessage& message) {
    if (disabled) return;
    Entity* other = findEntityById(message.otherEntityId);
    if (!other) return;
    // Triggers are passed through, so they are no ground to jump from.
    if (other->body && !other->body->resolve) return;
    if (message.contact.normal.y() > groundNormalThreshold) lastGroundContactTime = currentTime;
}

void Movement::update(float dt) {
    if (disabled) return;
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    if (!sphereOf(body)) return;
    const float radius = sphereRadius(body);

    Vector4 direction(0.0f, 0.0f, 0.0f, 0.0f);
    if (Input::isKeyDown('W')) direction = direction - Vector4(0.0f, 0.0f, 1.0f, 0.0f);
    if (Input::isKeyDown('S')) direction = direction + Vector4(0.0f, 0.0f, 1.0f, 0.0f);
    if (Input::isKeyDown('A')) direction = direction - Vector4(1.0f, 0.0f, 0.0f, 0.0f);
    if (Input::isKeyDown('D')) direction = direction + Vector4(1.0f, 0.0f, 0.0f, 0.0f);

    const float lengthSquared = dot4(direction, direction);
    if (lengthSquared > 0.0f) {
        if (lengthSquared != 1.0f) direction = direction / std::sqrt(lengthSquared);
        if (CameraComponent* camera = currentGameState ? currentGameState->getComponents<CameraComponent>() : nullptr) {
            const Quaternion turn = quaternionFromAxisAngle(Vector4(0.0f, 1.0f, 0.0f, 0.0f), camera->camera.rotateY);
            direction = quaternionRotate(turn, direction);
        }
        const float speed = std::sqrt(dot4(body->velocity, body->velocity));
        if (speed > 0.0f && std::isfinite(speed)) {
            const float c = dot4(body->velocity / speed, direction);
            if (c < -0.9f) direction = direction + direction * (c * (1.0f - brakeSpeed));
        }
        const Vector4 push = direction * (velocity * dt * radius * body->mass);
        if (std::isfinite(dot4(push, push))) body->accumulatedForce += push;
    }

    const double now = currentTime;
    if (!Input::isKeyDown(' ')) return;
    if (!isOnGround() && !canKeepJumping) return;
    if (!(static_cast<float>(now - lastJumpTime) > jumpToleranceTime)) return;
    float takeOffSpeed = 0.0f, gravity = 0.0f;
    if (!jumpMotion(radius, jumpHeight, jumpTime, takeOffSpeed, gravity)) return;
    body->velocity.setY(takeOffSpeed);
    body->acceleration = Vector4(0.0f, gravity, 0.0f, 0.0f);
    lastJumpTime = now;
}
