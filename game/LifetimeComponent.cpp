// The countdown, the closing fade and the removal of a timed entity.
#include "game/LifetimeComponent.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/FadeOutComponent.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "game/GameplayHelpers.h"

namespace {

const auto& lifetimeType = registerType<LifetimeComponent>("LifetimeComponent");

const Field<LifetimeComponent> lifetimeFields[] = {
    field<&LifetimeComponent::time>("time"),
    field<&LifetimeComponent::fadeOutTime>("fadeOutTime"),
};

}  // namespace

LifetimeComponent::LifetimeComponent(const LifetimeComponent& other)
    : Component(other),
      EventHandler(),
      time(other.time),
      fadeOutTime(other.fadeOutTime),
      endsWithPlay(other.endsWithPlay) {}

Component* LifetimeComponent::clone() const { return new LifetimeComponent(*this); }

void LifetimeComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, lifetimeFields);
}

void LifetimeComponent::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, 0, "Component");
    Component::write(out, 0);
    writeBaseEnd(out);
    writeFields(out, *this, lifetimeFields);
}

void LifetimeComponent::initialize() {
    Component::initialize();
    followEditMode(this);
    if (!endsWithPlay) return;
    EventHandler::registerHandler<Message>(MessageType::EditMode, this, [](LifetimeComponent& lifetime, Message&) {
        Entity* entity = lifetime.getOwner();
        if (entity && currentGameState) currentGameState->removeEntity(entity);
    });
}

void LifetimeComponent::update(float dt) {
    if (disabled) return;
    time -= dt;
    Entity* entity = getOwner();
    if (!entity) return;
    if (time <= 0.0f) {
        if (currentGameState) currentGameState->removeEntity(entity);
        return;
    }
    if (fadeOutTime >= time) {
        entity->addComponent(new FadeOutComponent(time, time, -1.0f, false));
        fadeOutTime = 0.0f;
    }
}
