// Loading, saving and updating a generated level of 10,000 entities with archetypes, components and
// state components (goals: load within 100 ms, save within 50 ms, one update within 1 ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/FileLookup.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"

// A component with a little data and a trivial update.
class BenchComponent : public Component {
public:
    Component* clone() const override { return new BenchComponent(*this); }
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int) override {
        Component::read(in, readBaseHeader(in));
        readFields(in, *this, fields());
    }
    void write(BaseOutStream& out, int) override {
        writeBaseHeader(out, 0, "Component");
        Component::write(out, 0);
        writeBaseEnd(out);
        writeFields(out, *this, fields());
    }
    void update(float dt) override { value += dt; }

    float value = 0.0f;
    Vector4 color{1.0f, 0.5f, 0.25f, 1.0f};

    using FieldTable = Field<BenchComponent>[2];
    static const FieldTable& fields() {
        static constexpr Field<BenchComponent> table[2] = {field<&BenchComponent::value>("value"),
                                                           field<&BenchComponent::color>("color")};
        return table;
    }
};

// A state component with a trivial update.
class BenchStateComponent : public GameStateComponent {
public:
    GameStateComponent* clone() const override { return new BenchStateComponent(*this); }
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int) override {
        GameStateComponent::read(in, readBaseHeader(in));
        readFields(in, *this, fields());
    }
    void write(BaseOutStream& out, int) override {
        writeBaseHeader(out, 0, "GameStateComponent");
        GameStateComponent::write(out, 0);
        writeBaseEnd(out);
        writeFields(out, *this, fields());
    }
    void update(float dt) override { elapsed += dt * rate; }

    float rate = 1.0f;
    float elapsed = 0.0f;

    using FieldTable = Field<BenchStateComponent>[1];
    static const FieldTable& fields() {
        static constexpr Field<BenchStateComponent> table[1] = {field<&BenchStateComponent::rate>("rate")};
        return table;
    }
};

namespace {

const auto& benchComponentType = registerType<BenchComponent>();
const auto& benchStateComponentType = registerType<BenchStateComponent>();

constexpr int entityCount = 10000;

const char* const logicNames[] = {"BUMPER", "SCORE_SPHERE", "CHECK_POINT", "DEREZ_ZONE", "BARRIER"};

std::string levelText() {
    std::ostringstream text;
    text << "Editor 2 resourceFileName \"\" end\n"
         << "components size 4\n";
    for (int i = 0; i < 4; ++i)
        text << "BenchStateComponent 1 0 GameStateComponent disabled 0 end rate " << (i + 1) << " end\n";
    text << "end\narchetypes\n";
    for (int i = 0; i < 5; ++i)
        text << "Kind" << i << " Archetype 1 text \"Entity 1 components Logic 1 0 Component disabled 0 end typeName "
             << logicNames[i] << " end BenchComponent 1 0 Component disabled 0 end value 0.5 color 0 1 0 1 end "
             << "end end \" end\n";
    text << "end\nentities size " << entityCount << "\n";
    for (int i = 0; i < entityCount; ++i) {
        // Every fifth entity is an archetype use; the others stand in full.
        if (i % 5 == 4) {
            text << "archetype Kind" << (i % 25) / 5 << "\n";
            continue;
        }
        text << "Entity 1 id " << (i + 1) << " components\n"
             << "Logic 1 0 Component disabled 0 end typeName " << (i == 0 ? "HERO" : logicNames[i % 5]) << " end\n"
             << "BenchComponent 1 0 Component disabled 0 end value " << i * 0.25f << " color 1 0.5 0.25 1 end\n"
             << "end end\n";
    }
    text << "end end\n";
    return text.str();
}

// The generated level, written once into a folder beside the program. The first entity id comes from
// "Content/nextID": without it the generated ids would collide, so the benchmark refuses to run.
const std::string& levelFile() {
    static const std::string path = [] {
        std::string found;
        if (!findFile("Content/nextID", found)) {
            std::fprintf(stderr, "level benchmark: \"Content/nextID\" is neither in the working folder nor beside the "
                                 "program (%s); not run\n", getExecutableDirectory().c_str());
            std::exit(1);
        }
        const std::string folder = getExecutableDirectory() + "bench-files";
        std::filesystem::create_directories(folder);
        const std::string file = folder + "/level10k.lvl";
        std::ofstream(file, std::ios::binary) << levelText();
        initializeLogicTypeIds();
        return file;
    }();
    return path;
}

void loadLevel(benchmark::State& bench) {
    const std::string& file = levelFile();
    for (auto _ : bench) {
        GameState state(file);
        currentGameState = &state;
        state.load();
        state.initialize();
        benchmark::DoNotOptimize(state.entities.data());
        bench.PauseTiming();
        // A figure of a level that did not load whole would measure something else.
        if (state.entities.size() != static_cast<std::size_t>(entityCount)) {
            std::fprintf(stderr, "level benchmark: %zu of %d entities loaded; not measured\n", state.entities.size(),
                         entityCount);
            std::exit(1);
        }
        state.unload();
        currentGameState = nullptr;
        bench.ResumeTiming();
    }
}
BENCHMARK(loadLevel)->Unit(benchmark::kMillisecond);

void saveLevel(benchmark::State& bench) {
    GameState state(levelFile());
    currentGameState = &state;
    state.load();
    state.initialize();
    const std::string saved = getExecutableDirectory() + "bench-files/saved10k.lvl";
    for (auto _ : bench) benchmark::DoNotOptimize(state.save(saved));
    state.unload();
    currentGameState = nullptr;
}
BENCHMARK(saveLevel)->Unit(benchmark::kMillisecond);

void updateLevel(benchmark::State& bench) {
    GameState state(levelFile());
    currentGameState = &state;
    state.load();
    state.initialize();
    for (auto _ : bench) state.update(0.016f);
    state.unload();
    currentGameState = nullptr;
}
BENCHMARK(updateLevel)->Unit(benchmark::kMicrosecond);

}  // namespace
