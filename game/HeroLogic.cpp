// The hero's contact reactions, heat, tint and power-up glow.
#include "game/HeroLogic.h"

#include <algorithm>
#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameplayMessages.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "game/GameplayHelpers.h"
#include "game/GrowShrink.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/CollisionMessage.h"
#include "physics/Shape.h"

namespace {

const auto& heroLogicType = registerType<HeroLogic>("HeroLogic");

const Field<HeroLogic> heroLogicFields[] = {
    field<&HeroLogic::heat>("heat"),
    field<&HeroLogic::heatInstantDeath>("heatInstantDeath"),
    field<&HeroLogic::heatBurnDeath>("heatBurnDeath"),
    field<&HeroLogic::heatHalfLife>("heatHalfLife"),
    field<&HeroLogic::immuneToHeat>("immuneToHeat"),
};

enum : int { directedBumper = 2, bumper = 3, scoreSphere = 5, derezZone = 9, checkPoint = 10, fireDerezZone = 11 };

// A bumper's push per unit of the hero's mass, from its shape's radius.
float bumperPush(Entity& bumperEntity) { return 2.0f * shapeRadius(bumperEntity.body) * 8.0f; }

}  // namespace

HeroLogic::HeroLogic() : Logic("HERO") {}

HeroLogic::HeroLogic(const HeroLogic& other)
    : Logic(other),
      heat(other.heat),
      heatInstantDeath(other.heatInstantDeath),
      heatBurnDeath(other.heatBurnDeath),
      heatHalfLife(other.heatHalfLife),
      immuneToHeat(other.immuneToHeat),
      frameHeat(other.frameHeat),
      nextPowerUpCount(other.nextPowerUpCount),
      spheresCollected(other.spheresCollected),
      respawnPosition(other.respawnPosition),
      respawnSize(other.respawnSize),
      glowTimeLeft(other.glowTimeLeft),
      savedDiffuseColor(other.savedDiffuseColor),
      savedSpecularColor(other.savedSpecularColor) {}

HeroLogic::~HeroLogic() { collisionHandle.release(); }

Component* HeroLogic::clone() const { return new HeroLogic(*this); }

void HeroLogic::read(BaseInStream& in, int version) {
    const int logicVersion = readBaseHeader(in);
    readLogicFields(in, *this, logicVersion);
    readFields(in, *this, heroLogicFields);
}

void HeroLogic::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Logic::getVersion(), "Logic");
    writeLogicFields(out, *this, Logic::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, heroLogicFields);
}

void HeroLogic::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
    Entity* entity = getOwner();
    if (entity && entity->body) {
        respawnPosition = entity->body->position;
        if (sphereOf(entity->body)) respawnSize = sphereRadius(entity->body);
    }
}

void HeroLogic::onCollision(CollisionMessage& message) {
    if (disabled) return;
    Entity* other = findEntityById(message.otherEntityId);
    Logic* logic = other ? other->getComponent<Logic>() : nullptr;
    if (!logic) return;
    switch (logic->logicType) {
        case directedBumper:
            bounceOffDirectedBumper(*other, message.contact.normal);
            break;
        case bumper:
            bounceOffBumper(*other, message.contact.normal);
            break;
        case scoreSphere:
            collectScoreSphere(*other);
            break;
        case derezZone:
            respawnWithSound();
            break;
        case checkPoint:
            reachCheckPoint(*other);
            break;
        case fireDerezZone:
            touchFire(message);
            break;
        default:
            break;
    }
}

void HeroLogic::bounceOffBumper(Entity& bumperEntity, const Vector4& normal) {
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    if (!body) return;
    const float f = bumperPush(bumperEntity) * body->mass;
    Vector4 push = normal * f;
    push.setW(normal.w());
    body->accumulatedForce += push;
}

void HeroLogic::bounceOffDirectedBumper(Entity& bumperEntity, const Vector4& normal) {
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    Body* bumperBody = bumperEntity.body;
    if (!body || !bumperBody || !bumperBody->shape || bumperBody->shape->shapeType != Shape::CapsuleKind) return;
    const Capsule& capsule = *static_cast<const Capsule*>(bumperBody->shape);
    Vector4 a = capsule.direction;
    a = Vector4(-a.x(), -a.y(), -a.z(), a.w());
    // Only a hero that meets the bumper from its pushing side (within 60 degrees) is thrown back.
    if (!(dot4(a, normal) > 0.5f)) return;
    const float f = 2.0f * capsule.radius * 8.0f * body->mass;
    Vector4 push = a * f;
    push.setW(a.w());
    body->accumulatedForce += push;
}

void HeroLogic::collectScoreSphere(Entity& sphereEntity) {
    if (disabled) return;
    ScoreSphereLogic* sphere = sphereEntity.getComponent<ScoreSphereLogic>();
    // A sphere stays live while it fades, and may be touched again meanwhile: it counts once.
    if (!sphere || sphere->counted) return;
    sphere->counted = true;
    ++spheresCollected;
    if (spheresCollected < nextPowerUpCount) return;
    Entity* entity = getOwner();
    if (GrowShrink* growShrink = entity ? entity->getComponent<GrowShrink>() : nullptr) growShrink->powerUp();
    glowTimeLeft = 1.0f;
    nextPowerUpCount += 10;
    if (Graphics* graphics = entity ? entity->graphics : nullptr) {
        savedDiffuseColor = getDrawColor(*graphics);
        savedSpecularColor = getDrawSpecularColor(*graphics);
    }
    const bool allCollected = uncountedLiveScoreSpheres() == 0;
    sendMessage(new InfoMessage(allCollected ? "You've gotten all the spheres!" : "Power-up!"));
}

void HeroLogic::respawn() {
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    if (!body) return;
    body->position = respawnPosition;
    GrowShrink* growShrink = entity->getComponent<GrowShrink>();
    if (growShrink && !growShrink->disabled) {
        growShrink->currentTargetSize = respawnSize;
        growShrink->applySize(0.0f, true);
    }
    body->velocity = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
}

void HeroLogic::respawnWithSound() {
    playSoundAt("respawn", respawnPosition);
    respawn();
}

void HeroLogic::reachCheckPoint(Entity& checkPointEntity) {
    Entity* entity = getOwner();
    Body* checkPointBody = checkPointEntity.body;
    if (!entity || !checkPointBody) return;
    const float r = sphereRadius(entity->body);
    respawnSize = r;
    if (checkPointBody->shape) {
        const float s = checkPointBody->shape->getSize().y();
        if (s < r) {
            GrowShrink* growShrink = entity->getComponent<GrowShrink>();
            respawnSize = growShrink ? std::max(growShrink->minSize, s) : s;
        }
    }
    respawnPosition = checkPointBody->position;
}

void HeroLogic::touchFire(CollisionMessage& message) {
    if (immuneToHeat) return;
    Entity* entity = getOwner();
    const float x = safeDivide(message.contact.depth, sphereRadius(entity ? entity->body : nullptr));
    frameHeat = std::max(frameHeat, x);
    if (x > heatInstantDeath) {
        respawnWithSound();
        return;
    }
    heat += x * frameDelta;
    if (heat > heatBurnDeath) respawnWithSound();
}

void HeroLogic::update(float dt) {
    if (disabled) return;
    // A half-life of zero (or less) lets the heat go at once.
    heat = heatHalfLife > 0.0f ? heat * std::pow(0.5f, dt / heatHalfLife) : 0.0f;
    if (!std::isfinite(heat)) heat = 0.0f;
    const float fromFrame = safeDivide(frameHeat, heatInstantDeath);
    const float fromHeat = safeDivide(heat, heatBurnDeath);
    const float t = fromFrame > fromHeat ? fromFrame : fromHeat;
    frameHeat = 0.0f;

    Entity* entity = getOwner();
    Graphics* graphics = entity ? entity->graphics : nullptr;
    if (!graphics) return;
    const Vector4 drawn = getDrawColor(*graphics);
    graphics->diffuseColorOffset += (Vector4(1.0f, 0.0f, 0.0f, 1.0f) - drawn) * t;

    // Only a glow that ends puts the saved colours back: restoring outside a glow would paint the
    // hero with colours never saved.
    if (glowTimeLeft > 0.0f) {
        glowTimeLeft -= dt;
        if (glowTimeLeft > 0.0f) {
            const Vector4 brighten(dt, dt, dt, 0.0f);
            graphics->diffuseColor = drawn + brighten;
            graphics->specularColor = getDrawSpecularColor(*graphics) + brighten;
        } else {
            graphics->diffuseColor = savedDiffuseColor;
            graphics->specularColor = savedSpecularColor;
        }
    }
}
