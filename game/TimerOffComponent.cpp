// The time-attack trigger: unlocking, the end of a run, and firing once.
#include "game/TimerOffComponent.h"

#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/GameplayMessages.h"
#include "engine/MainLoop.h"
#include "physics/CollisionMessage.h"

namespace {

const auto& timerOffType = registerType<TimerOffComponent>("TimerOffComponent");

const Field<TimerOffComponent> timerOffFields[] = {
    field<&TimerOffComponent::message>("message"),
    field<&TimerOffComponent::mode>("mode"),
};

}  // namespace

TimerOffComponent::TimerOffComponent(const TimerOffComponent& other)
    : Component(other), EventHandler(other), message(other.message), mode(other.mode) {}

TimerOffComponent::~TimerOffComponent() { collisionHandle.release(); }

TimerOffComponent* TimerOffComponent::clone() const { return new TimerOffComponent(*this); }

void TimerOffComponent::read(BaseInStream& in, int) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, timerOffFields);
}

void TimerOffComponent::write(BaseOutStream& out, int) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, timerOffFields);
}

void TimerOffComponent::initialize() {
    const bool first = !initialised;
    Component::initialize();
    Entity* entity = getOwner();
    if (!entity) return;
    collisionHandle.release();
    collisionHandle = EventHandler::registerDirectHandler<CollisionMessage>(
        MessageType::Collision, entity, [this](Entity&, CollisionMessage& contact) { onCollision(contact); });
    collisionHandle.setActive(true);
    if (first) {
        registerHandler(MessageType::EditMode, this, [](TimerOffComponent& self, Message&) { self.editing = true; });
        registerHandler(MessageType::PlayMode, this, [](TimerOffComponent& self, Message&) { self.editing = false; });
    }
}

void TimerOffComponent::onCollision(CollisionMessage& contact) {
    GameState* state = currentGameState;
    if (editing || !state || !state->rootEntity || contact.otherEntityId != state->rootEntity->id) return;

    if (configuration.intSetting("timerMode") == mode && !message.empty()) sendMessage(new InfoMessage(message));
    int& unlocked = configuration.intSetting("timerModeEnable");
    if (unlocked < mode) {
        unlocked = mode;
        // A failed save is reported by the writer; the unlock holds for this session anyway.
        configuration.save();
        if (mode == 1) sendMessage(new InfoMessage("Time Attack Mode unlocked!"));
        if (mode == 2) sendMessage(new InfoMessage("Super Time Attack Mode unlocked!"));
    }
    sendMessage(new TimerOffMessage(mode));

    collisionHandle.release();
    if (Entity* entity = getOwner()) state->removeEntity(entity);
}
