// Reading and writing speed of the text format over a large generated level-like text: objects created
// by class name, each with scalar fields, strings, vectors, nested containers and a map.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "core/Vector4.h"
#include "tests/core/TextFormatTestClasses.h"

// One level object: the shared item part and a spread of field kinds.
struct BenchThing : CoreTestFieldItem<BenchThing, 1> {
    int id = 0;
    float mass = 1.0f;
    std::string name;
    Vector4 position;
    Vector4 color;
    std::vector<int> links;
    std::vector<std::vector<float>> path;
    std::map<std::string, float> tuning;

    using FieldTable = Field<BenchThing>[8];
    static const FieldTable& fields() {
        static constexpr Field<BenchThing> table[8] = {
            field<&BenchThing::id>("id"),       field<&BenchThing::mass>("mass"),
            field<&BenchThing::name>("name"),   field<&BenchThing::position>("position"),
            field<&BenchThing::color>("color"), field<&BenchThing::links>("links"),
            field<&BenchThing::path>("path"),   field<&BenchThing::tuning>("tuning"),
        };
        return table;
    }
};

static const auto& benchThingType = registerType<BenchThing>();

// The level: its things are the children of a node.
using BenchLevel = CoreTestNode;

namespace {

const BenchLevel& sampleLevel() {
    // Built once and kept: the node cannot be copied or moved.
    static const BenchLevel* const level = [] {
        auto* made = new BenchLevel;
        for (int i = 0; i < 20000; ++i) {
            auto thing = std::make_unique<BenchThing>();
            thing->id = i;
            thing->mass = 0.5f + static_cast<float>(i % 97) * 0.125f;
            thing->name = (i % 5 == 0) ? "score sphere " + std::to_string(i) : "bumper" + std::to_string(i);
            thing->position = Vector4(i * 0.37f, -12.25f, i * 1.5f, 1.0f);
            thing->color = Vector4(0.1f, 0.2f + (i % 7) * 0.1f, 0.9f, 1.0f);
            for (int k = 0; k < 4; ++k) thing->links.push_back(i * 4 + k);
            thing->path = {{0.0f, 1.5f, 3.25f}, {i * 0.001f, 2.0f}};
            thing->tuning = {{"bounce", 1.25f}, {"friction", 0.3f}};
            made->children.push_back(std::move(thing));
        }
        return made;
    }();
    return *level;
}

const std::string& sampleText() {
    static const std::string text = [] {
        std::ostringstream stream;
        OStreamWrapper out(stream);
        writeValue(out, sampleLevel());
        return stream.str();
    }();
    return text;
}

// The level-saving path: the file writer collects the text in memory (the file write itself is left out).
void BM_WriteText(benchmark::State& state) {
    const BenchLevel& level = sampleLevel();
    std::size_t bytes = 0;
    for (auto _ : state) {
        FileWriter out("bench-level.txt");
        writeValue(out, level);
        bytes += out.getText().size();
        benchmark::DoNotOptimize(out.getText().data());
        out.discard();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond);

// Writing through a caller's string stream (archetype copies, undo records).
void BM_WriteTextToStdStream(benchmark::State& state) {
    const BenchLevel& level = sampleLevel();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream stream;
        OStreamWrapper out(stream);
        writeValue(out, level);
        bytes += static_cast<std::size_t>(stream.tellp());
        benchmark::DoNotOptimize(stream);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteTextToStdStream)->Unit(benchmark::kMillisecond);

void BM_ReadTextFromMemory(benchmark::State& state) {
    const std::string& text = sampleText();
    for (auto _ : state) {
        FileReader in("level.txt", text);
        BenchLevel level;
        readValue(in, level);
        if (level.children.size() != sampleLevel().children.size()) state.SkipWithError("the text did not read back");
        benchmark::DoNotOptimize(level);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadTextFromMemory)->Unit(benchmark::kMillisecond);

void BM_ReadTextFromStdStream(benchmark::State& state) {
    const std::string& text = sampleText();
    for (auto _ : state) {
        std::istringstream stream(text);
        IStreamWrapper in(stream, "level.txt");
        BenchLevel level;
        readValue(in, level);
        benchmark::DoNotOptimize(level);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadTextFromStdStream)->Unit(benchmark::kMillisecond);

}  // namespace
