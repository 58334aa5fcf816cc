// A running level for the gameplay tests: a current game state with physics and a camera, a hero
// built like the one of our levels, level objects, frames with the clock and message delivery of
// the main loop, and the held keys.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <map>

#include "audio/Sound.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "editor/Editor.h"
#include "effects/ConcentricCirclePattern.h"
#include "effects/PatternDispenser.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "game/GameplayHelpers.h"
#include "game/GrowShrink.h"
#include "game/HeroLogic.h"
#include "game/Movement.h"
#include "graphics/CameraComponent.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/CollisionMessage.h"
#include "physics/Physics.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

// A sound that notes where each of its copies played, by resource name.
class RecordingSound : public Sound {
public:
    explicit RecordingSound(std::string name) : soundName(std::move(name)) {}
    RecordingSound* clone() const override { return new RecordingSound(*this); }
    void play(Vector4 where) override { plays()[soundName].push_back(where); }
    static std::map<std::string, std::vector<Vector4>>& plays() {
        static std::map<std::string, std::vector<Vector4>> log;
        return log;
    }
    std::string soundName;
};

class PlayScene {
public:
    PlayScene() : previousState(currentGameState), ownedState(std::make_unique<GameState>()), state(*ownedState) {
        initializeLogicTypeIds();
        currentGameState = &state;
        currentTime = 1000.0;
        frameDelta = dt;
        state.addResource("defaultModel", std::make_unique<Model>());
        state.addResource("whitePixel", std::make_unique<Texture>());
        for (const char* name : {"respawn", "powerUp", "score1", "score2", "bumperSound", "checkPoint", "finalPowerUp"})
            state.addResource(name, std::make_unique<RecordingSound>(name));
        RecordingSound::plays().clear();
        state.addStateComponent(new Physics());
        camera = new CameraComponent();
        state.addStateComponent(camera);
        state.flushAddedComponents();
        physics = state.getComponents<Physics>();
        releaseKeys();
    }
    ~PlayScene() {
        releaseKeys();
        ownedState.reset();
        currentGameState = previousState;
        scoreSpheresAtPlayStart = 0;
    }
    PlayScene(const PlayScene&) = delete;
    PlayScene& operator=(const PlayScene&) = delete;

    // Where the named sound played, in order.
    static const std::vector<Vector4>& played(const std::string& name) { return RecordingSound::plays()[name]; }

    static void releaseKeys() {
        for (int key : {'W', 'A', 'S', 'D', ' '}) Input::isKeyDown(key) = false;
    }

    // The hero of our levels: a ball of that radius and mass 1 with its gravity, a look with one
    // pattern, steering, size (limits at the radius) and logic, and a pattern dispenser. It is the root.
    Entity* addHero(Vector4 position, float radius = 1.0f) {
        auto* hero = new Entity();
        auto* body = new Body();
        body->position = position;
        body->setMass(1.0f);
        body->setShape(new Sphere(radius));
        body->acceleration = Vector4(0.0f, -4.0f * radius, 0.0f, 0.0f);
        hero->addComponent(body);
        auto* graphics = new Graphics();
        graphics->diffuseColor = Vector4(1.0f, 0.25f, 0.2f, 1.0f);
        graphics->addPattern(new ConcentricCirclePattern());
        hero->addComponent(graphics);
        auto* growShrink = new GrowShrink();
        growShrink->minSize = growShrink->maxSize = growShrink->currentTargetSize = radius;
        hero->addComponent(new Movement());
        hero->addComponent(growShrink);
        hero->addComponent(new HeroLogic());
        auto* dispenser = new PatternDispenser();
        dispenser->setPattern(new ConcentricCirclePattern());
        hero->addComponent(dispenser);
        state.addEntity(hero);
        state.flushAddedEntities();
        state.rootEntity = hero;
        camera->targetEntity = static_cast<std::int32_t>(hero->id);
        return hero;
    }

    // A level object: a body with that shape (immovable), a look, and the given components.
    Entity* addObject(Vector4 position, Shape* shape, std::vector<Component*> components = {}, bool resolve = true) {
        auto* entity = new Entity();
        auto* body = new Body();
        body->position = position;
        body->setShape(shape);
        body->resolve = resolve;
        entity->addComponent(body);
        entity->addComponent(new Graphics());
        for (Component* c : components) entity->addComponent(c);
        state.addEntity(entity);
        state.flushAddedEntities();
        return entity;
    }

    Entity* addFloor(Shape* shape = nullptr) {
        if (!shape) {
            auto* rect = new Rect();
            rect->size = Vector4(50.0f, 0.5f, 50.0f, 0.0f);
            shape = rect;
        }
        return addObject(Vector4(0.0f, -0.5f, 0.0f, 1.0f), shape);
    }

    // One frame as the main loop runs it.
    void frame(int count = 1) {
        for (int i = 0; i < count; ++i) {
            currentTime += dt;
            frameDelta = dt;
            updateMessageQueues();
            state.update(dt);
        }
    }

    // A plain message to every handler, at once (the edit and play mode switches).
    static void broadcast(int type) { sendMessage(new Message(type), true); }

    static constexpr float dt = 1.0f / 64.0f;  // exact in binary, so sums of frames stay exact
    Physics* physics = nullptr;
    CameraComponent* camera = nullptr;

private:
    GameState* previousState;
    std::unique_ptr<GameState> ownedState;

public:
    GameState& state;
};

// Counts the messages of one type and keeps the last one.
template <class M>
class Receiver : public EventHandler {
public:
    explicit Receiver(int type) {
        registerGlobalHandler<M>(type, this, [](Receiver& self, M& m) { self.received.push_back(m); });
    }
    std::size_t count() const { return received.size(); }
    std::vector<M> received;
};

// A contact of other reported to receiver, delivered now (as the next frame would).
inline void touch(Entity* receiver, Entity* other, Vector4 normal, float depth = 0.1f) {
    Contact contact;
    contact.normal = normal;
    contact.depth = depth;
    CollisionMessage message(other->id, contact);
    receiver->deliver(message);
}

template <class T>
std::string writeText(T& value) {
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeValue(out, value);
    }
    return text.str();
}

// Reads a value from text; returns what went to the error stream.
template <class T>
std::string readText(const std::string& text, T& value) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "test.txt");
    testing::internal::CaptureStderr();
    readValue(in, value);
    return testing::internal::GetCapturedStderr();
}
