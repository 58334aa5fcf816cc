// The BumperLogic's sound on every touch of the hero.
#include "game/BumperLogic.h"

#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "game/GameplayHelpers.h"
#include "game/HeroLogic.h"
#include "physics/Body.h"

namespace {
const auto& registeredType = registerType<BumperLogic>("BumperLogic");
}

BumperLogic::~BumperLogic() { collisionHandle.release(); }

void BumperLogic::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void BumperLogic::onCollision(CollisionMessage& message) {
    Entity* other = findEntityById(message.otherEntityId);
    if (other && other->getComponent<HeroLogic>()) playBumperSound();
}

void BumperLogic::playBumperSound() {
    Entity* entity = getOwner();
    if (!disabled && entity && entity->body) playSoundAt("bumperSound", entity->body->position);
}
