// A small level for the physics tests: a running game state with a Physics component, entities made
// of one body each, and the collision messages every entity received.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "physics/Body.h"
#include "physics/CollisionMessage.h"
#include "physics/Physics.h"
#include "physics/Ray.h"
#include "physics/Shape.h"

struct ReceivedCollision {
    std::uint32_t otherEntityId;
    Contact contact;
};

class PhysicsScene {
public:
    explicit PhysicsScene(bool withPhysics = true)
        : previousState(currentGameState), ownedState(std::make_unique<GameState>()), state(*ownedState) {
        currentGameState = &state;
        if (withPhysics) {
            state.addStateComponent(new Physics());
            state.flushAddedComponents();
        }
        physics = state.getComponents<Physics>();
    }
    ~PhysicsScene() {
        setEditorControlQuery(nullptr);
        ownedState.reset();
        currentGameState = previousState;
    }
    PhysicsScene(const PhysicsScene&) = delete;
    PhysicsScene& operator=(const PhysicsScene&) = delete;

    // An entity with one body of that shape, registered with the physics world; mass 0 is immovable.
    // The body may be handed in (made beforehand, to choose where it lives).
    Entity* add(Shape* shape, Vector4 position, float mass = 0.0f, Body* madeBody = nullptr) {
        Body* body = madeBody ? madeBody : new Body();
        body->setShape(shape);
        body->position = position;
        body->previousPosition = position;
        body->setMass(mass);
        Entity* entity = new Entity();
        entity->addComponent(body);
        state.addEntity(entity);
        state.flushAddedEntities();
        entity->registerDirectHandler<CollisionMessage>(
            CollisionMessage::messageType, entity, [this](Entity& receiver, CollisionMessage& message) {
                received[receiver.id].push_back({message.otherEntityId, message.contact});
            });
        return entity;
    }

    // The hero: the root entity, with its sweep ray.
    Entity* addHero(Shape* shape, Vector4 position, float mass = 1.0f, Body* madeBody = nullptr) {
        Entity* hero = add(shape, position, mass, madeBody);
        state.rootEntity = hero;
        hero->body->setSweepRay(new Ray(Vector4(1, 0, 0, 0)));
        return hero;
    }

    // One frame of the state (the physics step runs unless it is disabled), then the delivery of the
    // messages it queued.
    void step(float dt) {
        state.update(dt);
        updateMessageQueues();
    }

    std::vector<ReceivedCollision>& messagesOf(Entity* entity) { return received[entity->id]; }
    void clearMessages() { received.clear(); }

private:
    GameState* previousState;
    std::unique_ptr<GameState> ownedState;

public:
    GameState& state;
    Physics* physics = nullptr;
    std::map<std::uint32_t, std::vector<ReceivedCollision>> received;
};

inline Vector4 at(float x, float y, float z) { return Vector4(x, y, z, 1.0f); }
inline Vector4 along(float x, float y, float z) { return Vector4(x, y, z, 0.0f); }
