// Shared pieces of the scene tests: stand-ins for the rendering and physics components (the engine
// knows them only by their hooks), a component that counts its calls, a state component, a resource
// kind, and helpers for the current game state, captured error lines and scratch files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/OStreamWrapper.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/PercentLoadedMessage.h"
#include "engine/Resource.h"

// The engine tests link neither the rendering nor the physics library, so these two stand-ins are the
// only classes of their names in the program: never include this header where those are linked.
// Stand-in for the drawing component: the entity caches it through asGraphics.
class Graphics : public Component {
public:
    Component* clone() const override { return new Graphics(*this); }
    Graphics* asGraphics() override { return this; }
    void update(float) override { ++updates; }
    int updates = 0;
};

// Stand-in for the rigid-body component: the entity caches it through asBody.
class Body : public Component {
public:
    Component* clone() const override { return new Body(*this); }
    Body* asBody() override { return this; }
    void update(float) override { ++updates; }
    int updates = 0;
};

// A component that records what happens to it. "count" is its one field in text.
class CountingComponent : public Component {
public:
    CountingComponent() { ++alive; }
    CountingComponent(const CountingComponent& other) : Component(other), count(other.count) { ++alive; }
    ~CountingComponent() override {
        --alive;
        ++destroyed;
    }
    Component* clone() const override { return new CountingComponent(*this); }
    int getVersion() const override { return 3; }
    void read(BaseInStream& in, int version) override {
        readBaseHeader(in);
        Component::read(in, 0);
        std::string key;
        while (readKey(in, key)) {
            if (key == "count") {
                readValue(in, count);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    void write(BaseOutStream& out, int) override {
        writeBaseHeader(out, 0, "Component");
        Component::write(out, 0);
        writeBaseEnd(out);
        writeField(out, "count", count);
        writeEnd(out);
    }
    void initialize() override {
        ++initializations;
        Component::initialize();
    }
    void update(float dt) override {
        ++updates;
        if (onUpdate) onUpdate(*this, dt);
    }

    int count = 0;
    int updates = 0;
    int initializations = 0;
    std::function<void(CountingComponent&, float)> onUpdate;

    static inline int alive = 0;
    static inline int destroyed = 0;
};

// A state component with one field ("speed") that records its calls.
class TestStateComponent : public GameStateComponent {
public:
    GameStateComponent* clone() const override { return new TestStateComponent(*this); }
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int) override {
        GameStateComponent::read(in, readBaseHeader(in));
        std::string key;
        while (readKey(in, key)) {
            if (key == "speed") {
                readValue(in, speed);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    void write(BaseOutStream& out, int) override {
        writeBaseHeader(out, 0, "GameStateComponent");
        GameStateComponent::write(out, 0);
        writeBaseEnd(out);
        writeField(out, "speed", speed);
        writeEnd(out);
    }
    void initialize() override { ++initializations; }
    void update(float dt) override {
        ++updates;
        if (onUpdate) onUpdate(*this, dt);
    }
    void draw() override { ++draws; }
    void unload() override { ++unloads; }

    float speed = 1.0f;
    int initializations = 0;
    int updates = 0;
    int draws = 0;
    int unloads = 0;
    std::function<void(TestStateComponent&, float)> onUpdate;
};

// A second state component class, to tell classes apart in lookups.
class OtherStateComponent : public TestStateComponent {
public:
    GameStateComponent* clone() const override { return new OtherStateComponent(*this); }
};

// A resource kind whose "platform object" is a number; counts how often one was freed.
class TestTexture : public Resource {
public:
    TestTexture() = default;
    TestTexture(const TestTexture& other) : Resource(other), handle(other.handle) {}
    TestTexture& operator=(const TestTexture& other) {
        if (this == &other) return *this;
        const int old = handle;
        if (shareFrom(other)) freed.push_back(old);
        handle = other.handle;
        return *this;
    }
    ~TestTexture() override {
        if (release()) freed.push_back(handle);
    }
    Resource* clone() const override { return new TestTexture(*this); }
    int getVersion() const { return 0; }
    void read(BaseInStream& in, int) {
        std::string key;
        while (readKey(in, key)) {
            if (key == "handle") {
                readValue(in, handle);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    void write(BaseOutStream& out, int) const {
        writeField(out, "handle", handle);
        writeEnd(out);
    }

    int handle = 0;
    static inline std::vector<int> freed;
};

// Another resource kind, for lookups of the wrong kind.
class TestSound : public TestTexture {
public:
    Resource* clone() const override { return new TestSound(*this); }
};

// Records every loading-bar position posted while it lives (they arrive as PercentLoadedMessages).
struct ProgressLog : EventHandler {
    ProgressLog() {
        registerGlobalHandler<PercentLoadedMessage>(30, this, [](ProgressLog& log, PercentLoadedMessage& m) {
            log.positions.push_back(m.percent);
        });
    }
    std::vector<float> positions;
};

// Makes a state current for the scope of a test and restores the previous one.
class CurrentState {
public:
    explicit CurrentState(GameState& state) : previous(currentGameState) { currentGameState = &state; }
    ~CurrentState() { currentGameState = previous; }

private:
    GameState* previous;
};

// The object's text as the writers produce it.
template <class T>
std::string textOf(const T& value) {
    std::ostringstream stream;
    OStreamWrapper out(stream);
    writeValue(out, value);
    return stream.str();
}

// A scratch folder of this test process inside the working (build) folder, emptied per use. ctest
// runs tests of one program side by side, so each process keeps its own.
inline std::filesystem::path scratchFolder(const std::string& name) {
    std::filesystem::path folder =
        std::filesystem::current_path() / "scene-test-files" / std::to_string(::getpid()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline void writeTextFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

inline std::string readTextFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs f with the error stream captured and returns what was written to it.
template <class F>
std::string capturedErrors(F&& f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}
