// The first level's frame at 1024x768 with four samples per pixel, drawn offscreen the way the game
// draws it: the frame time (until glFinish; an offscreen four-sample framebuffer is slower than the
// window's), and what the rasteriser is given to do, which does not depend on how busy the machine
// is: the samples that pass the depth test (and are shaded), and the pattern slots the surface program
// is handed for them.
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <iostream>
#include <memory>
#include <vector>

#include "bench/BenchGlContext.h"
#include "core/Function.h"
#include "editor/Editor.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "graphics/Camera.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Graphics.h"
#include "graphics/PatternShader.h"
#include "graphics/Program.h"
#include "graphics/SceneDraw.h"
#include "physics/Body.h"
#if __has_include("audio/Audio.h")
#include "audio/Audio.h"
#define TOVIK_BENCH_AUDIO 1
#endif

namespace {

constexpr int width = 1024;
constexpr int height = 768;
constexpr int samples = 4;
const char* const levelFile = "Content/Levels/level1.lvl";

// A hidden window's GL 2.1 context drawing into a four-sample framebuffer of the game's size; false
// when none can be made.
bool ensureTarget() {
    static int state = 0;  // 0 not tried, 1 ready, 2 failed
    if (state) return state == 1;
    state = 2;
    if (!openBenchGlContext("first level bench", 64, 64)) return false;
    if (!glGenFramebuffers || !glRenderbufferStorageMultisample) {
        std::cerr << "first level bench: no multisampled framebuffers" << std::endl;
        return false;
    }
    GLuint framebuffer = 0, colour = 0, depth = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cerr << "first level bench: the four-sample framebuffer is incomplete" << std::endl;
        return false;
    }
    viewportWidth = width;
    viewportHeight = height;
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    registerCoreFunctions();
    initializeFontLibrary();
    initializeLogicTypeIds();
#ifdef TOVIK_BENCH_AUDIO
    Audio::initializeSystem();
#endif
    state = 1;
    return true;
}

// The first level as the game runs it, after two seconds of play: the camera has settled and the
// emitter's smoke is up.
class FirstLevel {
public:
    FirstLevel() {
        firstLoad = false;  // a menu over the level would change the picture
        editor = new Editor(levelFile);
        currentGameState = nextGameState = previousGameState = editor;
        editor->load();
        editor->initialize();
        for (int i = 0; i < 120; ++i) {
            currentTime += 1.0 / 60.0;
            frameDelta = 1.0f / 60.0f;
            updateMessageQueues();
            editor->update(frameDelta);
        }
    }
    ~FirstLevel() {
        editor->unload();
        editor->clearResources();  // deletes the state
        currentGameState = nextGameState = previousGameState = nullptr;
    }
    FirstLevel(const FirstLevel&) = delete;
    FirstLevel& operator=(const FirstLevel&) = delete;

    void drawFrame() {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (Camera* camera = editor->levelCamera()) editor->draw(camera);
    }

    Editor* editor;
};

// What one frame hands the rasteriser, draw by draw, in the scene's own order and culling.
struct FrameWork {
    double samples = 0;          // samples that passed the depth test, all draws
    double patternSamples = 0;   // of those, drawn with the surface program
    double slotSamples = 0;      // pattern slots handed to a draw, times its samples
    double emptySamples = 0;     // samples of surface draws without any slot
    int draws = 0;
    int patternDraws = 0;
    int slots = 0;
};

// With nearestFirst false the entities are drawn in the stored order, far to near in each class, as
// the scene draw did before opaque surfaces were drawn nearest first.
FrameWork measureFrame(FirstLevel& level, bool nearestFirst) {
    FrameWork work;
    GameState& state = *level.editor;
    Camera* camera = level.editor->levelCamera();
    if (!camera) return work;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_MULTISAMPLE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, *camera, scratch);
    std::vector<Entity*> order = state.entities;
    if (nearestFirst) orderForDrawing(state.entities, *camera, order);
    GLuint query = 0;
    glGenQueries(1, &query);
    bool translucent = false;
    for (Entity* entity : order) {
        Graphics* graphics = entity->graphics;
        if (!graphics || graphics->disabled || !entity->body || graphics->drawGroup != 0) continue;
        if (!translucent && !(getDrawColor(*graphics).w() >= 1.0f)) {
            translucent = true;
            glDepthMask(GL_FALSE);
            glDisable(GL_CULL_FACE);
        }
        if (entity != state.rootEntity && camera->isCulled(*entity->body)) continue;
        const Matrix world = getBodyWorldMatrix(*entity->body);
        PatternSlots slots;
        const bool patterned = dynamic_cast<PatternShader*>(graphics->program) != nullptr;
        if (patterned) gatherPatternSlots(world, *graphics, slots);
        glBeginQuery(GL_SAMPLES_PASSED, query);
        graphics->draw(world, *camera);
        glEndQuery(GL_SAMPLES_PASSED);
        GLuint passed = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &passed);
        work.samples += passed;
        ++work.draws;
        if (patterned) {
            ++work.patternDraws;
            work.slots += slots.filled;
            work.patternSamples += passed;
            work.slotSamples += static_cast<double>(passed) * slots.filled;
            if (slots.filled == 0) work.emptySamples += passed;
        }
    }
    glDeleteQueries(1, &query);
    glDepthMask(GL_TRUE);
    glDisable(GL_MULTISAMPLE);
    return work;
}

void firstLevelFrame(benchmark::State& state) {
    if (!ensureTarget()) {
        state.SkipWithError("no GL context with multisampled framebuffers");
        return;
    }
    FirstLevel level;
    for (auto _ : state) {
        level.drawFrame();
        glFinish();
    }
    const FrameWork work = measureFrame(level, state.range(0) == 0);
    state.counters["draws"] = work.draws;
    state.counters["samples"] = work.samples;
    state.counters["surfaceSamples"] = work.patternSamples;
    state.counters["slotsPerFrame"] = work.slots;
    state.counters["slotSamples"] = work.slotSamples;
    // The surface program walks one slot's worth of pattern code even where it has none.
    state.counters["slotlessSamples"] = work.emptySamples;
}
// Argument 0: the counts in the order the game draws; 1: in the stored far-to-near order.
BENCHMARK(firstLevelFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
