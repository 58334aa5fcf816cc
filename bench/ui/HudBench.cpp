// The HUD of the first level over 600 frames of steady time-attack play on a headless context: the cost
// of its update and of its draw calls in the game's own code (goal: at most 0.3 ms per frame together),
// and how often its text labels render a new texture (goal: 0 while their values stay the same).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include "bench/BenchGlContext.h"

#include <iostream>
#include <map>

#include "core/Configuration.h"
#include "editor/Editor.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "game/GrowShrink.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/CameraComponent.h"
#include "graphics/GlStartup.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "ui/HUD.h"
#include "ui/TextureTextComponent.h"

namespace {

constexpr int width = 1024;
constexpr int height = 768;

bool hudContext() {
    static int state = 0;  // 0 not tried, 1 ready, 2 failed
    if (state) return state == 1;
    state = 2;
    if (!openBenchGlContext("hud bench", width, height)) return false;
    viewportWidth = width;
    viewportHeight = height;
    initializeGraphics();
    glViewport(0, 0, width, height);
    state = 1;
    return true;
}

// The first level's resources, a rolling hero, the game camera and the level's HUD in a Time Attack run.
struct HudLevel {
    HudLevel() : state("") {
        currentGameState = &state;
        configuration.intSetting("timerMode") = 1;
        state.loadResourceFile("Content/Resources/level1.res");
        hero = new Entity();
        hero->addComponent(new Body());
        hero->addComponent(new GrowShrink());
        state.addEntity(hero);
        state.flushAddedEntities();
        state.rootEntity = hero;
        hero->body->velocity = Vector4(3, 0, 4, 0);
        state.addStateComponent(new CameraComponent());
        hud = new HUD();
        hud->fileName = "Content/HUD/level1.hud";
        state.addStateComponent(hud);
        state.flushAddedComponents();
        scoreSpheresAtPlayStart = 12;
        liveScoreSpheres.count = 7;
    }
    ~HudLevel() {
        liveScoreSpheres.count = 0;
        currentGameState = nullptr;
    }

    // The GL texture each text label shows now.
    std::map<Entity*, unsigned> labelTextures() const {
        std::map<Entity*, unsigned> textures;
        for (auto& entity : hud->entities)
            if (entity->getComponent<TextureTextComponent>() && entity->graphics && entity->graphics->getTexture())
                textures[entity.get()] = entity->graphics->getTexture()->getGLName();
        return textures;
    }

    GameState state;
    Entity* hero = nullptr;
    HUD* hud = nullptr;
};

void hudFrame(benchmark::State& run, bool draw) {
    if (!hudContext()) {
        run.SkipWithError("no GL context");
        return;
    }
    HudLevel level;
    // Settle: the first frames render the values once.
    for (int i = 0; i < 10; ++i) level.hud->update(1.0f / 60.0f);
    // 600 frames of steady play (the hero rolls at one speed, no sphere is collected): count the labels
    // that showed a new texture.
    const std::map<Entity*, unsigned> before = level.labelTextures();
    for (int i = 0; i < 600; ++i) {
        level.hud->update(1.0f / 60.0f);
        if (draw) level.hud->draw();
    }
    int rebuilds = 0;
    for (auto& [entity, name] : level.labelTextures())
        if (before.at(entity) != name) ++rebuilds;
    for (auto _ : run) {
        level.hud->update(1.0f / 60.0f);
        if (draw) level.hud->draw();
    }
    if (draw) glFinish();
    run.counters["labelsRebuiltIn600Frames"] = rebuilds;
}

void hudUpdate(benchmark::State& run) { hudFrame(run, false); }
void hudUpdateAndDraw(benchmark::State& run) { hudFrame(run, true); }

}  // namespace

BENCHMARK(hudUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(hudUpdateAndDraw)->Unit(benchmark::kMicrosecond);
