// One frame of the gameplay components in a crowded level: 1,000 score spheres, 100 bumpers and 50
// patrolling platforms around a hero with its steering, size and logic (goal: at most 0.5 ms), and
// the per-frame search for the nearest sphere on its own.
#include <benchmark/benchmark.h>

#include <memory>

#include "editor/Editor.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/Input.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "game/BumperLogic.h"
#include "game/GrowShrink.h"
#include "game/HeroLogic.h"
#include "game/Movement.h"
#include "game/PatrollingComponent.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

namespace {

class CrowdedLevel {
public:
    CrowdedLevel() : state(std::make_unique<GameState>()) {
        initializeLogicTypeIds();
        currentGameState = state.get();
        hero = add(Vector4(0.0f, 1.0f, 0.0f, 1.0f), new Sphere(1.0f),
                   {new Movement(), new GrowShrink(), new HeroLogic()});
        hero->body->setMass(1.0f);
        state->rootEntity = hero;
        for (int i = 0; i < 1000; ++i)
            add(Vector4(float(i % 40) * 3.0f, 1.0f, float(i / 40) * -3.0f, 1.0f), new Sphere(0.5f),
                {new ScoreSphereLogic()});
        for (int i = 0; i < 100; ++i)
            add(Vector4(float(i % 10) * 7.0f, 1.0f, float(i / 10) * 7.0f, 1.0f), new Sphere(1.0f), {new BumperLogic()});
        for (int i = 0; i < 50; ++i) {
            const Vector4 start(float(i) * 5.0f, 0.0f, 50.0f, 1.0f);
            add(start, new Rect(), {new PatrollingComponent(start, start + Vector4(0.0f, 0.0f, 40.0f, 0.0f))});
        }
        state->flushAddedEntities();
        scoreSpheresAtPlayStart = static_cast<int>(liveScoreSpheres.count);
        Input::isKeyDown('W') = true;
    }
    ~CrowdedLevel() {
        Input::isKeyDown('W') = false;
        state.reset();
        currentGameState = nullptr;
    }

    Entity* add(Vector4 position, Shape* shape, std::initializer_list<Component*> components) {
        auto* entity = new Entity();
        auto* body = new Body();
        body->position = position;
        body->setShape(shape);
        entity->addComponent(body);
        entity->addComponent(new Graphics());
        for (Component* c : components) entity->addComponent(c);
        state->addEntity(entity);
        return entity;
    }

    // The gameplay part of a frame: every entity's components, then the next target.
    void frame() {
        currentTime += 1.0 / 60.0;
        state->update(1.0f / 60.0f);
        ScoreSphereLogic::updateNextTarget();
    }

    std::unique_ptr<GameState> state;
    Entity* hero = nullptr;
};

void BM_GameplayFrame(benchmark::State& run) {
    CrowdedLevel level;
    for (auto _ : run) {
        level.frame();
        // The hero keeps rolling among the spheres, so the distances change every frame.
        level.hero->body->position = level.hero->body->position + Vector4(0.01f, 0.0f, -0.01f, 0.0f);
    }
    run.counters["spheres"] = static_cast<double>(liveScoreSpheres.count);
}
BENCHMARK(BM_GameplayFrame)->Unit(benchmark::kMicrosecond);

void BM_NextTarget(benchmark::State& run) {
    CrowdedLevel level;
    level.frame();
    for (auto _ : run) {
        ScoreSphereLogic::updateNextTarget();
        benchmark::DoNotOptimize(nextScoreSpherePosition);
    }
}
BENCHMARK(BM_NextTarget)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
