// The DirectedBumperLogic's sound on every touch of the hero.
#include "game/DirectedBumperLogic.h"

#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "game/GameplayHelpers.h"
#include "game/HeroLogic.h"
#include "physics/Body.h"

namespace {
const auto& registeredType = registerType<DirectedBumperLogic>("DirectedBumperLogic");
}

DirectedBumperLogic::~DirectedBumperLogic() { collisionHandle.release(); }

void DirectedBumperLogic::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void DirectedBumperLogic::onCollision(CollisionMessage& message) {
    Entity* other = findEntityById(message.otherEntityId);
    if (other && other->getComponent<HeroLogic>()) playBumperSound();
}

void DirectedBumperLogic::playBumperSound() {
    Entity* entity = getOwner();
    if (!disabled && entity && entity->body) playSoundAt("bumperSound", entity->body->position);
}
