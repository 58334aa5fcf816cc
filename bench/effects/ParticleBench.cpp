// Cost of the particle system with 10,000 live particles: one frame's update (emission, the particles'
// components, integration) and one frame's draw, and how many heap allocations a steady-state frame
// makes. Runs on a hidden offscreen window so that the smoke animation has real textures.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/BenchGlContext.h"
#include "core/FileLookup.h"
#include "effects/ParticleEmitter.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Animation.h"
#include "graphics/Graphics.h"
#include "graphics/PerspectiveCamera.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Sphere.h"

// Every heap block of the program comes from malloc through the game's allocator; the benchmark is
// linked with --wrap=malloc so that these count them.
extern "C" {
void* __real_malloc(std::size_t size);
std::uint64_t mallocCalls = 0;
void* __wrap_malloc(std::size_t size) {
    ++mallocCalls;
    return __real_malloc(size);
}
}

namespace {

constexpr float frameTime = 1.0f / 60.0f;

// A level with one emitter that keeps about 10,000 particles alive (1,000 a second for 10 s).
struct ParticleScene {
    GameState state;
    Entity* owner = nullptr;
    ParticleEmitter* emitter = nullptr;
    std::unique_ptr<PerspectiveCamera> camera;

    explicit ParticleScene(const char* animation) {
        currentGameState = &state;
        state.loadResourceFile("Content/Resources/graphics.res");
        state.loadResourceFile("Content/Resources/effects.res");
        state.addStateComponent(new Physics());
        state.flushAddedComponents();

        owner = new Entity();
        auto* body = new Body();
        body->setShape(new Sphere(1.0f));
        owner->addComponent(body);
        emitter = new ParticleEmitter();
        emitter->animationName = animation;
        emitter->emissionRate = 1000.0f;
        emitter->lifeTime = 10.0f;
        emitter->particleVarianceBody->position = Vector4(1.0f, 1.0f, 1.0f, 0.0f);
        emitter->particleVarianceBody->velocity = Vector4(0.3f, 0.3f, 0.3f, 0.0f);
        owner->addComponent(emitter);
        state.addEntity(owner);
        state.flushAddedEntities();
        // Past one whole life: every record has been emitted, freed and reused.
        for (int i = 0; i < 11 * 60; ++i) emitter->update(frameTime);

        camera = std::make_unique<PerspectiveCamera>();
        camera->position = Vector4(0.0f, 5.0f, 0.0f, 1.0f);
        camera->distance = 40.0f;
        camera->rotateX = -0.3f;
        camera->updateView();
        camera->updateProjection();
    }
    ~ParticleScene() { currentGameState = nullptr; }
};

void reportFrame(benchmark::State& state, const ParticleScene& scene, std::uint64_t allocations) {
    const double frames = static_cast<double>(state.iterations());
    const double live = static_cast<double>(scene.emitter->liveParticleCount());
    state.counters["particles"] = live;
    state.counters["records"] = static_cast<double>(scene.emitter->particles.size());
    state.counters["allocs/frame"] = static_cast<double>(allocations) / frames;
    state.counters["allocs/particle/frame"] = static_cast<double>(allocations) / frames / live;
}

void particleUpdate(benchmark::State& state, const char* animation) {
    ParticleScene scene(animation);
    const std::uint64_t before = mallocCalls;
    for (auto _ : state) scene.emitter->update(frameTime);
    reportFrame(state, scene, mallocCalls - before);
}

void particleDraw(benchmark::State& state) {
    ParticleScene scene("smokyRingAnimation");
    const Matrix ownerWorld = getBodyWorldMatrix(*scene.owner->body);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glViewport(0, 0, 640, 480);
    // The driver builds its shader variants on the first draws; that is not the particles' cost.
    for (int i = 0; i < 3; ++i) scene.emitter->draw(ownerWorld, *scene.camera);
    glFinish();
    const std::uint64_t before = mallocCalls;
    for (auto _ : state) {
        scene.emitter->draw(ownerWorld, *scene.camera);
        glFinish();
    }
    reportFrame(state, scene, mallocCalls - before);
}

// The particles as the game plays them, with the animated smoke rings.
BENCHMARK_CAPTURE(particleUpdate, smokyRings, "smokyRingAnimation")->Unit(benchmark::kMillisecond);
// The same without an animation (a missing one gives an empty default): the emitter's own cost.
BENCHMARK_CAPTURE(particleUpdate, unanimated, "noAnimation")->Unit(benchmark::kMillisecond);
BENCHMARK(particleDraw)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
    std::string found;
    if (!findFile("Content/Resources/graphics.res", found)) {
        std::fprintf(stderr, "particle benchmark: \"Content\" is neither in the working folder nor beside the program; "
                             "not run\n");
        return 1;
    }
    if (!openBenchGlContext("particle benchmark", 640, 480)) {
        std::fprintf(stderr, "particle benchmark: no GL context (SDL_VIDEODRIVER=offscreen?)\n");
        return 1;
    }
    viewportWidth = 640;
    viewportHeight = 480;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
