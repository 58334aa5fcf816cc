// Cost of the property bars: building the bar over an entity with 50 components (serialising it into
// struct types and adding its variable and buttons), and the bars' share of an editor frame with three
// bars open: the check that every bar still stands on live memory (the game's own code), and that check
// with the bar layer's layout pass (ImGui, without a GL context).
#include <benchmark/benchmark.h>

#include <memory>

#include "core/Configuration.h"
#include "editor/TweakBar.h"
#include "effects/PatternDispenser.h"
#include "effects/WavePattern.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Sphere.h"
#include "platform/TweakBarLayer.h"

namespace {

// A level with one entity of `components` components (bodies, graphics and pattern dispensers in turn).
struct Level {
    explicit Level(int components) {
        currentGameState = &state;
        entity = new Entity;
        for (int i = 0; i < components; ++i) {
            if (i % 3 == 0) {
                auto* body = new Body;
                body->setShape(new Sphere(1.0f + float(i)));
                entity->addComponent(body);
            } else if (i % 3 == 1) {
                entity->addComponent(new Graphics);
            } else {
                auto* dispenser = new PatternDispenser;
                dispenser->setPattern(new WavePattern);
                entity->addComponent(dispenser);
            }
        }
        state.addEntity(entity);
        state.flushAddedEntities();
        state.addStateComponent(new Physics);
        state.flushAddedComponents();
    }
    ~Level() { currentGameState = nullptr; }

    GameState state;
    Entity* entity = nullptr;
};

void BM_BuildEntityBar50Components(benchmark::State& run) {
    Level level(50);
    for (auto _ : run) {
        TweakBar<Entity> bar("Entity", level.entity);
        benchmark::DoNotOptimize(bar.bar);
    }
}
BENCHMARK(BM_BuildEntityBar50Components)->Unit(benchmark::kMillisecond);

// Three bars as Place and Modify mode open them: an entity of five components, the state components
// and the settings.
struct ThreeBars {
    ThreeBars() : level(5) {
        entityBar = std::make_unique<TweakBar<Entity>>("Entity", level.entity);
        componentsBar = std::make_unique<TweakBar<CloningContainer<GameStateComponent>>>("GameStateComponents",
                                                                                         &level.state.stateComponents);
        settingsBar = std::make_unique<TweakBar<Configuration>>("Configuration", &configuration);
    }
    Level level;
    std::unique_ptr<TweakBar<Entity>> entityBar;
    std::unique_ptr<TweakBar<CloningContainer<GameStateComponent>>> componentsBar;
    std::unique_ptr<TweakBar<Configuration>> settingsBar;
};

void BM_ThreeBarsCheckPerFrame(benchmark::State& run) {
    ThreeBars bars;
    for (auto _ : run) validateTweakBars();
}
BENCHMARK(BM_ThreeBarsCheckPerFrame)->Unit(benchmark::kMicrosecond);

void BM_ThreeBarsFramePerFrame(benchmark::State& run) {
    TwInit(TW_OPENGL, nullptr);
    TwWindowSize(1024, 768);
    {
        ThreeBars bars;
        for (auto _ : run) TwDraw();
    }
    TwTerminate();
}
BENCHMARK(BM_ThreeBarsFramePerFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
