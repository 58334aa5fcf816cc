// The shared gameplay helpers: the hero, sphere radii and positioned sounds.
#include "game/GameplayHelpers.h"

#include <memory>

#include "audio/Sound.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/Shape.h"
#include "physics/Sphere.h"

Entity* heroEntity() { return currentGameState ? currentGameState->rootEntity : nullptr; }

Entity* heroById(std::uint32_t id) {
    Entity* hero = heroEntity();
    return hero && findEntityById(id) == hero ? hero : nullptr;
}

Sphere* sphereOf(Body* body) {
    if (!body || !body->shape || body->shape->shapeType != Shape::SphereKind) return nullptr;
    return static_cast<Sphere*>(body->shape);
}

float sphereRadius(Body* body) {
    Sphere* sphere = sphereOf(body);
    return sphere ? sphere->radius : 0.0f;
}

float shapeRadius(Body* body) {
    if (!body || !body->shape) return 0.0f;
    switch (body->shape->shapeType) {
        case Shape::SphereKind:
            return static_cast<Sphere*>(body->shape)->radius;
        case Shape::CapsuleKind:
            return static_cast<Capsule*>(body->shape)->radius;
        default:
            return body->shape->getBoundingRadius();
    }
}

void playSoundAt(const std::string& name, const Vector4& position) {
    if (!currentGameState) return;
    // A copy of its own plays, so that the resource's channel stays free; the sound outlives the copy.
    std::unique_ptr<Sound> copy(currentGameState->get<Sound>(name).clone());
    if (copy) copy->play(position);
}
