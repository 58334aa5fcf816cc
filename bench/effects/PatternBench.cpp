// Cost of choosing the patterns of one drawn object: its own patterns plus the farthest eight of the
// dispensers in reach, done for every object the pattern shader draws in every frame.
#include <benchmark/benchmark.h>

#include <memory>

#include "effects/ConcentricCirclePattern.h"
#include "effects/PatternDispenser.h"
#include "effects/WavePattern.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Graphics.h"
#include "graphics/PatternShader.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

Entity* addEntity(GameState& state, Vector4 position) {
    auto* entity = new Entity();
    auto* body = new Body();
    body->position = position;
    body->setShape(new Sphere(1.0f));
    entity->addComponent(body);
    entity->addComponent(new Graphics());
    state.addEntity(entity);
    return entity;
}

void patternSelection(benchmark::State& run) {
    GameState state;
    GameState* previous = currentGameState;
    currentGameState = &state;
    const int dispensers = static_cast<int>(run.range(0));
    for (int i = 0; i < dispensers; ++i) {
        Entity* source =
            addEntity(state, Vector4(static_cast<float>(i % 7) * 3.0f, 0.0f, static_cast<float>(i / 7) * 3.0f, 1.0f));
        auto* dispenser = new PatternDispenser();
        dispenser->setPattern(new ConcentricCirclePattern());
        dispenser->cutOffEnd = 50.0f;
        source->addComponent(dispenser);
    }
    Entity* drawn = addEntity(state, Vector4(5.0f, 0.0f, 5.0f, 1.0f));
    drawn->graphics->addPattern(new WavePattern());
    state.flushAddedEntities();
    PatternSlots slots;
    for (auto _ : run) {
        gatherPatternSlots(Matrix(), *drawn->graphics, slots);
        benchmark::DoNotOptimize(slots.params);
    }
    run.counters["slots"] = slots.filled;
    currentGameState = previous;
}
BENCHMARK(patternSelection)->Arg(4)->Arg(16)->Arg(64);

}  // namespace
