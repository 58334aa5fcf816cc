// Cost of opening a menu over a level on a headless context: its file read, its item entities built
// and its text rendered into textures, until it is on the stack (goal: at most 30 ms).
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <iostream>
#include <memory>

#include "bench/BenchGlContext.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/GlStartup.h"
#include "ui/BestTimesScreen.h"
#include "ui/MenuManager.h"
#include "ui/PagedMenu.h"
#include "ui/PauseMenu.h"

namespace {

constexpr int width = 1024;
constexpr int height = 768;

// One hidden window with a GL 2.1 context for the whole run; false when none can be made.
bool ensureContext() {
    static int state = 0;  // 0 not tried, 1 ready, 2 failed
    if (state) return state == 1;
    state = 2;
    if (!openBenchGlContext("menu bench", width, height)) return false;
    viewportWidth = width;
    viewportHeight = height;
    initializeGraphics();
    glViewport(0, 0, width, height);
    state = 1;
    return true;
}

// The first level's resources and a menu stack, made current.
struct MenuLevel {
    MenuLevel() : state("") {
        currentGameState = &state;
        state.loadResourceFile("Content/Resources/level1.res");
        manager = new MenuManager();
        state.addStateComponent(manager);
        state.flushAddedComponents();
    }
    ~MenuLevel() {
        state.unload();
        currentGameState = nullptr;
    }
    GameState state;
    MenuManager* manager = nullptr;
};

template <class M>
void openMenu(benchmark::State& run) {
    if (!ensureContext()) {
        run.SkipWithError("no GL context");
        return;
    }
    MenuLevel level;
    for (auto _ : run) {
        level.manager->pushMenu(new M());
        glFinish();
        run.PauseTiming();
        level.manager->popMenu();
        level.manager->update(0.016f);
        run.ResumeTiming();
    }
}

void openPauseMenu(benchmark::State& run) { openMenu<PauseMenu>(run); }
void openHowToPlay(benchmark::State& run) { openMenu<HowToPlayMenu>(run); }
void openBestTimes(benchmark::State& run) { openMenu<BestTimesScreen>(run); }

BENCHMARK(openPauseMenu)->Unit(benchmark::kMillisecond);
BENCHMARK(openHowToPlay)->Unit(benchmark::kMillisecond);
BENCHMARK(openBestTimes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
