// A game state made current for the length of a test, so that resource lookups by name find what the
// test put in it; the previous current state comes back afterwards.
#pragma once

#include <memory>
#include <string>

#include "engine/GameState.h"
#include "engine/MainLoop.h"

class ScopedGameState {
public:
    ScopedGameState() : previous(currentGameState) { currentGameState = &state; }
    ~ScopedGameState() { currentGameState = previous; }
    ScopedGameState(const ScopedGameState&) = delete;
    ScopedGameState& operator=(const ScopedGameState&) = delete;

    template <class T>
    T& add(const std::string& name, std::unique_ptr<T> resource) {
        T& stored = *resource;
        state.addResource(name, std::move(resource));
        return stored;
    }

    GameState state;

private:
    GameState* previous;
};
