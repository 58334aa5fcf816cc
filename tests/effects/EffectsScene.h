// A running level for the effects tests: a current game state with a Physics component and the
// resources particles look up (an empty animation, a particle program and model without GL objects),
// entities with a body, and text helpers.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Animation.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/ParticleShader.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Shape.h"

class EffectsScene {
public:
    explicit EffectsScene(bool withPhysics = true)
        : previousState(currentGameState), ownedState(std::make_unique<GameState>()), state(*ownedState) {
        currentGameState = &state;
        state.addResource("smokyRingAnimation", std::make_unique<Animation>());
        state.addResource("particleShader", std::make_unique<ParticleShader>());
        state.addResource("defaultModel", std::make_unique<Model>());
        state.addResource("whitePixel", std::make_unique<Texture>());
        if (withPhysics) {
            state.addStateComponent(new Physics());
            state.flushAddedComponents();
        }
        physics = state.getComponents<Physics>();
    }
    ~EffectsScene() {
        ownedState.reset();
        currentGameState = previousState;
    }
    EffectsScene(const EffectsScene&) = delete;
    EffectsScene& operator=(const EffectsScene&) = delete;

    // An entity of the level with a body (and that shape) at the position; null shape for none.
    Entity* addEntity(Vector4 position, Shape* shape = nullptr, bool withGraphics = false) {
        auto* entity = new Entity();
        auto* body = new Body();
        body->position = position;
        body->setShape(shape);
        entity->addComponent(body);
        if (withGraphics) entity->addComponent(new Graphics());
        state.addEntity(entity);
        state.flushAddedEntities();
        return entity;
    }

    Physics* physics = nullptr;

private:
    GameState* previousState;
    std::unique_ptr<GameState> ownedState;

public:
    GameState& state;
};

template <class T>
std::string writeText(const T& value) {
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
