// The first score sphere's power-up.
#include "game/FirstScoreSphere.h"

#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "game/GameplayHelpers.h"
#include "game/GrowShrink.h"

namespace {
const auto& firstScoreSphereType = registerType<FirstScoreSphere>("FirstScoreSphere");
}

FirstScoreSphere::FirstScoreSphere(const FirstScoreSphere& other) : ScoreSphereLogic(other) {}

FirstScoreSphere::~FirstScoreSphere() { firstHandle.release(); }

Component* FirstScoreSphere::clone() const { return new FirstScoreSphere(*this); }

void FirstScoreSphere::initialize() {
    ScoreSphereLogic::initialize();
    firstHandle = onContact(getOwner(), [this](CollisionMessage& message) { onFirstCollision(message); });
}

void FirstScoreSphere::onFirstCollision(CollisionMessage& message) {
    // While the level is edited the hero may be moved through the sphere: that is no pick-up.
    if (disabled) return;
    Entity* hero = heroById(message.otherEntityId);
    GrowShrink* growShrink = hero ? hero->getComponent<GrowShrink>() : nullptr;
    if (!growShrink) return;
    growShrink->powerUp();
    if (!growShrink->disabled) growShrink->currentTargetSize = growShrink->minSize;
}
