// The barrier's push-back and its opening on a power-up.
#include "game/EndGameBarrier.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameplayMessages.h"
#include "game/GameplayHelpers.h"
#include "physics/Body.h"
#include "physics/Shape.h"

namespace {

const auto& barrierType = registerType<EndGameBarrier>("EndGameBarrier");

const Field<EndGameBarrier> barrierFields[] = {
    field<&EndGameBarrier::pushBackForce>("pushBackForce"),
    field<&EndGameBarrier::entryRadius>("entryRadius"),
};

}  // namespace

EndGameBarrier::EndGameBarrier(const EndGameBarrier& other)
    : Logic(other), pushBackForce(other.pushBackForce), entryRadius(other.entryRadius) {}

EndGameBarrier::~EndGameBarrier() { collisionHandle.release(); }

void EndGameBarrier::read(BaseInStream& in, int version) {
    const int logicVersion = readBaseHeader(in);
    readLogicFields(in, *this, logicVersion);
    readFields(in, *this, barrierFields);
}

void EndGameBarrier::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Logic::getVersion(), "Logic");
    writeLogicFields(out, *this, Logic::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, barrierFields);
}

void EndGameBarrier::initialize() {
    Component::initialize();
    EventHandler::registerHandler<PowerUpMessage>(MessageType::PowerUp, this,
                                                  [](EndGameBarrier& b, PowerUpMessage& m) { b.onPowerUp(m); });
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void EndGameBarrier::onCollision(CollisionMessage& message) {
    if (disabled) return;
    Entity* hero = heroById(message.otherEntityId);
    Body* heroBody = hero ? hero->body : nullptr;
    if (!sphereOf(heroBody)) return;
    if (!(entryRadius > sphereRadius(heroBody))) return;
    // The barrier's message points toward the barrier, except for a Plane, whose contact runs the
    // other way: either way the push must drive the hero away from the barrier.
    Vector4 away = message.contact.normal;
    Entity* self = getOwner();
    const bool plane = self && self->body && self->body->shape && self->body->shape->shapeType == Shape::PlaneKind;
    if (!plane) away = -away;
    Vector4 push = away * (heroBody->mass * pushBackForce);
    push.setW(away.w());
    heroBody->accumulatedForce += push;
}

void EndGameBarrier::onPowerUp(PowerUpMessage& message) {
    Entity* self = getOwner();
    if (self && self->body && entryRadius < message.maxSize) self->body->resolve = false;
}
