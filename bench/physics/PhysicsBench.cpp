// One physics step with the hero rolling over a floor among 100, 1,000 and 10,000 level bodies of
// mixed shapes: integration of every body, the hero's sweep and one pair test per body.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "physics/Body.h"
#include "physics/Capsule.h"
#include "physics/OBB.h"
#include "physics/Physics.h"
#include "physics/Plane.h"
#include "physics/Ray.h"
#include "physics/Rect.h"
#include "physics/Sphere.h"

namespace {

Shape* levelShape(int i) {
    switch (i % 5) {
    case 0: {
        Rect* box = new Rect();
        box->size = Vector4(1, 0.5f, 1, 0);
        return box;
    }
    case 1: return new Sphere(0.75f);
    case 2: {
        Capsule* capsule = new Capsule();
        capsule->direction = Vector4(0, 0, 1, 0);
        capsule->radius = 0.4f;
        return capsule;
    }
    case 3: {
        OBB* box = new OBB();
        box->size = Vector4(1, 1, 0.3f, 0);
        return box;
    }
    default: return new Plane();
    }
}

void physicsStep(benchmark::State& bench) {
    const int count = static_cast<int>(bench.range(0));
    GameState* previous = currentGameState;
    auto state = std::make_unique<GameState>();
    currentGameState = state.get();
    state->addStateComponent(new Physics());
    state->flushAddedComponents();
    Physics* physics = state->getComponents<Physics>();

    // Level bodies on a grid 4 units apart around the hero's path; one in ten drifts slowly.
    std::vector<std::unique_ptr<Body>> level;
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    for (int i = 0; i < count; ++i) {
        auto body = std::make_unique<Body>();
        body->setShape(levelShape(i));
        body->position = Vector4(4.0f * (i % side - side / 2) + 1.3f, 1.2f, 4.0f * (i / side - side / 2) + 0.7f, 1);
        body->rotation = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.1f * (i % 17));
        if (i % 10 == 0) body->velocity = Vector4(0.01f, 0, 0, 0);
        physics->addBody(body.get());
        level.push_back(std::move(body));
    }
    Body floor;
    Rect* ground = new Rect();
    ground->size = Vector4(4.0f * side, 0.5f, 4.0f * side, 0);
    floor.setShape(ground);
    floor.position = Vector4(0, -0.5f, 0, 1);
    physics->addBody(&floor);

    Entity* hero = new Entity();
    Body* heroBody = new Body();
    heroBody->setShape(new Sphere(1));
    heroBody->setMass(1);
    heroBody->acceleration = Vector4(0, -10, 0, 0);
    heroBody->position = Vector4(0, 1, 0, 1);
    hero->addComponent(heroBody);
    state->addEntity(hero);
    state->flushAddedEntities();
    state->rootEntity = hero;
    heroBody->setSweepRay(new Ray());

    const float dt = 1.0f / 60;
    int frame = 0;
    for (auto _ : bench) {
        // The hero circles on the floor, so every step sweeps and touches the floor.
        float t = 0.02f * static_cast<float>(frame++ % 300);
        heroBody->velocity = Vector4(6 * std::cos(t), heroBody->velocity.y(), 6 * std::sin(t), 0);
        physics->update(dt);
        hero->deliverDueMessages(currentTime);
        benchmark::DoNotOptimize(heroBody->position);
    }
    bench.SetComplexityN(count);
    bench.SetItemsProcessed(bench.iterations() * count);
    bench.counters["per_body"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);

    state.reset();
    for (auto& body : level) body.reset();
    currentGameState = previous;
}

}  // namespace

BENCHMARK(physicsStep)->Arg(100)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
