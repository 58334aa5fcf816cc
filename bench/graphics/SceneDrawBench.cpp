// Cost of one scene draw with 1,000 and 10,000 entities on a headless context: whole frames through a
// real program (frames per second with llvmpipe), the game's own share of a frame (sorting, culling,
// world matrices, passes and uniform values, with a program that issues no GL calls) and the sort.
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <iostream>
#include <memory>

#include "bench/BenchGlContext.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/BasicShader.h"
#include "graphics/Graphics.h"
#include "graphics/Model.h"
#include "graphics/PerspectiveCamera.h"
#include "graphics/SceneDraw.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

constexpr int width = 640;
constexpr int height = 360;

// One hidden window with a GL 2.1 context for the whole run; false when none can be made.
bool ensureContext() {
    static int state = 0;  // 0 not tried, 1 ready, 2 failed
    if (state) return state == 1;
    state = 2;
    if (!openBenchGlContext("scene bench", width, height)) return false;
    viewportWidth = width;
    viewportHeight = height;
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    state = 1;
    return true;
}

// The plain textured program made usable inside a scene pass.
class PassShader : public BasicShader {
public:
    PassShader() = default;
    PassShader(const PassShader& other) = default;
    PassShader* clone() const override { return new PassShader(*this); }
    void setCamera(Camera& camera) override {
        glUseProgram(glName);
        setUniformInt(glName, "texture", 0);
        Program::setCamera(camera);
    }
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override {
        setUniformVector(glName, "color", getDrawColor(graphics) + graphics.diffuseColorOffset);
        Program::drawGraphicsInPass(world, graphics);
    }
    void endPass() override { glUseProgram(0); }
};

// Everything a program computes for an object, without a GL call: what the game itself spends.
class NoDrawProgram : public Program {
public:
    explicit NoDrawProgram(unsigned name) { glName = name; }
    NoDrawProgram(const NoDrawProgram& other) = default;
    ~NoDrawProgram() override { glName = 0; }
    NoDrawProgram* clone() const override { return new NoDrawProgram(*this); }
    void setCamera(Camera& camera) override {
        benchmark::DoNotOptimize(camera.getView());
        benchmark::DoNotOptimize(camera.getProjection());
    }
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override {
        Matrix inverse = world.inverse();
        Vector4 color = getDrawColor(graphics) + graphics.diffuseColorOffset;
        benchmark::DoNotOptimize(inverse);
        benchmark::DoNotOptimize(color);
    }
    void endPass() override {}
};

// A field of entities in front of and around the camera: three meshes, two programs, one in ten
// translucent, some behind or beside the view.
struct Scene {
    GameState state;
    PerspectiveCamera camera;

    Scene(int count, bool realPrograms) {
        currentGameState = &state;
        camera.distance = 40;
        camera.rotateX = -0.35f;
        camera.updateView();
        camera.updateProjection();
        Texture white(whitePixelImage(), GL_RGBA);
        const Model meshes[3] = {Model::createBox(), Model::createSphere(16), Model::createCapsule(16)};
        std::unique_ptr<Program> programs[2];
        if (realPrograms) {
            programs[0] = std::make_unique<PassShader>();
            programs[1] = std::make_unique<PassShader>();
        } else {
            programs[0] = std::make_unique<NoDrawProgram>(1);
            programs[1] = std::make_unique<NoDrawProgram>(2);
        }
        const int side = 100;
        for (int i = 0; i < count; ++i) {
            Entity* entity = new Entity();
            Body* body = new Body();
            body->setShape(new Sphere(0.4f));
            const float x = static_cast<float>(i % side) - side / 2.0f;
            const float z = 20.0f - static_cast<float>(i / side) * 1.5f;
            body->position = Vector4(x * 1.2f, static_cast<float>((i * 7) % 5) * 0.5f, z, 1.0f);
            entity->addComponent(body);
            Graphics* graphics = new Graphics();
            graphics->setModel(meshes[i % 3]);
            graphics->setProgram(*programs[(i / 7) % 2]);
            graphics->setTexture(white);
            graphics->diffuseColor = Vector4(0.2f + 0.1f * (i % 8), 0.5f, 0.8f, i % 10 == 0 ? 0.5f : 1.0f);
            entity->addComponent(graphics);
            state.addEntity(entity);
        }
        state.flushAddedEntities();
    }
    ~Scene() { currentGameState = nullptr; }
};

void reportFrames(benchmark::State& state, const Scene& scene) {
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["entities"] = static_cast<double>(scene.state.entities.size());
}

// Whole frames on the driver: clear, draw the scene, wait for the picture.
void sceneFrame(benchmark::State& state) {
    if (!ensureContext()) {
        state.SkipWithError("no GL context");
        return;
    }
    Scene scene(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScene(scene.state, scene.camera);
        glFinish();
    }
    reportFrames(state, scene);
}
BENCHMARK(sceneFrame)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The game's own work per frame: the same draw with programs that issue no GL calls.
void sceneDrawGameCpu(benchmark::State& state) {
    if (!ensureContext()) {
        state.SkipWithError("no GL context");
        return;
    }
    Scene scene(static_cast<int>(state.range(0)), false);
    for (auto _ : state) drawScene(scene.state, scene.camera);
    reportFrames(state, scene);
}
BENCHMARK(sceneDrawGameCpu)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The draw order alone, from an order the camera has just turned away from.
void sceneSort(benchmark::State& state) {
    if (!ensureContext()) {
        state.SkipWithError("no GL context");
        return;
    }
    Scene scene(static_cast<int>(state.range(0)), false);
    std::vector<DrawOrderKey> scratch;
    float angle = 0.0f;
    for (auto _ : state) {
        angle += 0.5f;
        scene.camera.rotateY = angle;
        scene.camera.updateView();
        sortForDrawing(scene.state.entities, scene.camera, scratch);
    }
}
BENCHMARK(sceneSort)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
