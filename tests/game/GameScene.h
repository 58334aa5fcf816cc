// A running level for the gameplay tests: a current game state with a hero (the root entity), entities
// with bodies and graphics, queued messages delivered on demand, a scratch folder per test process,
// and captured error lines.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Entity.h"
#include "game/BestTime.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

class GameScene {
public:
    GameScene() : previousState(currentGameState), ownedState(std::make_unique<GameState>()), state(*ownedState) {
        currentGameState = &state;
        state.addResource("whitePixel", std::make_unique<Texture>());
        hero = addEntity(Vector4(0, 1, 0, 1));
        state.rootEntity = hero;
    }
    ~GameScene() {
        ownedState.reset();
        currentGameState = previousState;
    }
    GameScene(const GameScene&) = delete;
    GameScene& operator=(const GameScene&) = delete;

    // An entity of the level with a sphere body at the position and, when asked, a Graphics.
    Entity* addEntity(Vector4 position, bool withGraphics = false) {
        auto* entity = new Entity();
        auto* body = new Body();
        body->position = position;
        body->setShape(new Sphere(1.0f));
        entity->addComponent(body);
        if (withGraphics) entity->addComponent(new Graphics());
        state.addEntity(entity);
        state.flushAddedEntities();
        return entity;
    }

    // Lets time pass so that every message queued so far is due, and delivers them.
    void deliverQueued() {
        currentTime += 1.0;
        updateMessageQueues();
    }

    Entity* hero = nullptr;

private:
    GameState* previousState;
    std::unique_ptr<GameState> ownedState;

public:
    GameState& state;
};

// Counts the messages of one type broadcast in the current game state while it lives.
template <class M>
struct MessageLog : EventHandler {
    explicit MessageLog(int type) {
        EventHandler::registerHandler<M>(type, this, [](MessageLog& log, M& message) { log.received.push_back(message); });
    }
    std::vector<M> received;
};

// A scratch folder of this test process, emptied per use.
inline std::filesystem::path gameScratchFolder(const std::string& name) {
    std::filesystem::path folder =
        std::filesystem::current_path() / "game-test-files" / std::to_string(::getpid()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

template <class F>
std::string capturedErrors(F&& f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

// Readable best-times entries in failure messages.
inline void PrintTo(const BestTime& entry, std::ostream* out) {
    *out << '"' << entry.name << "\" " << entry.min << ':' << entry.sec;
}
