// The end-game reward's touch and its (empty) text form.
#include "game/EndGameReward.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/MessageDispatcher.h"
#include "game/GameplayHelpers.h"
#include "game/HeroLogic.h"
#include "game/Movement.h"
#include "physics/Body.h"

namespace {
const auto& rewardType = registerType<EndGameReward>("EndGameReward");
}

EndGameReward::~EndGameReward() { collisionHandle.release(); }

void EndGameReward::read(BaseInStream& in, int version) {
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void EndGameReward::write(BaseOutStream& out, int version) { writeEnd(out); }

void EndGameReward::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void EndGameReward::onCollision(CollisionMessage& message) {
    if (disabled) return;
    Entity* hero = heroById(message.otherEntityId);
    if (!hero) return;
    if (HeroLogic* logic = hero->getComponent<HeroLogic>()) logic->immuneToHeat = true;
    if (Movement* movement = hero->getComponent<Movement>()) movement->canKeepJumping = true;
    if (hero->body) playSoundAt("finalPowerUp", hero->body->position);
    sendMessage(new Message(MessageType::EndGameReward));
}
