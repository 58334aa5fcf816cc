// Checkpoint arrivals: the colour hand-over, the sound and the floating text.
#include "game/CheckPointLogic.h"

#include <algorithm>

#include "core/SerializeType.h"
#include "effects/FadeInComponent.h"
#include "effects/FadeOutComponent.h"
#include "effects/Pattern.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "game/GameplayHelpers.h"
#include "game/LifetimeComponent.h"
#include "graphics/CameraIndependentGraphics.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Plane.h"

CheckPointLogic* CheckPointLogic::currentCheckPoint = nullptr;

namespace {
const auto& checkPointType = registerType<CheckPointLogic>("CheckPointLogic");
}

CheckPointLogic::~CheckPointLogic() {
    collisionHandle.release();
    if (currentCheckPoint == this) currentCheckPoint = nullptr;
}

void CheckPointLogic::initialize() {
    Component::initialize();
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void CheckPointLogic::onCollision(CollisionMessage&) {
    if (disabled || currentCheckPoint == this) return;
    Entity* entity = getOwner();
    if (!entity) return;
    if (currentCheckPoint) {
        Entity* previous = currentCheckPoint->getOwner();
        if (previous && previous->graphics && entity->graphics) {
            previous->graphics->diffuseColor = getDrawColor(*entity->graphics);
            previous->addComponent(new FadeInComponent(0.2f, 0.2f));
        }
    }
    currentCheckPoint = this;
    entity->addComponent(new FadeOutComponent(0.2f, 0.2f, 0.1f, true));
    spawnCheckpointText();
    Entity* hero = heroEntity();
    if (hero && hero->body) playSoundAt("checkPoint", hero->body->position);
}

Entity* CheckPointLogic::spawnCheckpointText() {
    Entity* checkPoint = getOwner();
    Body* checkPointBody = checkPoint ? checkPoint->body : nullptr;
    if (!checkPointBody || !currentGameState) return nullptr;

    auto* text = new Entity();
    auto* body = new Body();
    body->resolve = false;
    body->collides = false;
    text->addComponent(body);
    float m = 0.0f;
    if (checkPointBody->shape) {
        const Vector4 size = checkPointBody->shape->getSize();
        m = std::max({size.x(), size.y(), size.z()});
    }
    auto* plane = new Plane();
    plane->size = Vector4(m, m, m, 0.0f);
    body->setShape(plane);
    body->position = checkPointBody->position;
    Entity* hero = heroEntity();
    if (hero && hero->body) {
        Vector4 drift = hero->body->velocity;
        drift.setY(0.0f);
        body->velocity = drift * 0.5f;
    }
    body->acceleration = Vector4(0.0f, m, 0.0f, 0.0f);

    auto* graphics = new CameraIndependentGraphics();
    graphics->setModelName("defaultModel");
    graphics->setProgramName("patternShader");
    FreetypeFont font = currentGameState->get<FreetypeFont>("Verdana Bold");
    font.setSize(64);
    graphics->setTexture(font.renderToTexture(L"Checkpoint"));
    if (Graphics* look = checkPoint->graphics) {
        Vector4 color = getDrawColor(*look);
        color.setW(0.9999f);
        graphics->diffuseColor = color;
        graphics->specularColor = getDrawSpecularColor(*look);
        for (Pattern* pattern : look->patterns)
            if (pattern) graphics->addPattern(pattern->clone());
    }
    text->addComponent(graphics);
    text->addComponent(new FadeInComponent(1.0f, 1.0f));
    text->addComponent(new LifetimeComponent(3.0f, 1.0f, true));
    currentGameState->addEntity(text);
    return text;
}
