// The sound system on OpenAL Soft's null output: the Audio component's frame with 32 positioned
// sounds playing, start-up and shut-down of the sound system, and the decoded memory of many copies
// of one sound.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "audio/Audio.h"
#include "audio/SoundSystem.h"
#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"

namespace {

const std::filesystem::path folder = std::filesystem::current_path() / "audio-bench-files";

// A looping mono tone long enough to outlast any run.
void writeTone(const std::filesystem::path& path, double seconds) {
    const int rate = 22050;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&out](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&out](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + frames * 2);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(frames * 2);
    for (std::uint32_t f = 0; f < frames; ++f) {
        const auto s = static_cast<std::int16_t>(20000.0 * std::sin(2.0 * M_PI * 440.0 * f / rate));
        out.write(reinterpret_cast<const char*>(&s), 2);
    }
}

void prepare() {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "null.conf") << "[general]\ndrivers = null\n";
    ::setenv("ALSOFT_CONF", (folder / "null.conf").string().c_str(), 1);
    writeTone(folder / "tone.wav", 2.0);
}

void readResources(GameState& state, const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    state.readResourceTable(in);
    state.nameResources();
}

void shutDownSound() {
    Message shutdown(MessageType::Shutdown);
    MessageDispatcher::dispatchNow(shutdown);
}

// One frame of the Audio component: listener from the hero and the camera, the system's update over
// 32 playing positioned channels, and the music check.
void BM_AudioFrame32Channels(benchmark::State& run) {
    Audio::initializeSystem();
    configuration.bools["muted"] = false;
    {
        GameState state;
        GameState* previous = currentGameState;
        currentGameState = &state;
        const std::string tone = (folder / "tone.wav").string();
        readResources(state, "effect Sound 1 filename " + tone + " positioned true volume 0.5 loop true end end\n"
                             "music Sound 1 filename " + tone + " volume 1 loop true end\nend\n");
        auto* hero = new Entity();
        auto* body = new Body();
        hero->addComponent(body);
        state.addEntity(hero);
        state.flushAddedEntities();
        state.rootEntity = hero;
        state.addStateComponent(new CameraComponent());
        auto* audio = new Audio();
        audio->playlist = {"music"};
        audio->entryCount = 1;
        state.addStateComponent(audio);
        state.flushAddedComponents();

        std::vector<Sound> effects(32, state.get<Sound>("effect"));
        for (std::size_t i = 0; i < effects.size(); ++i)
            effects[i].play(Vector4(static_cast<float>(i), 0.0f, static_cast<float>(i) * 2.0f, 1.0f));
        audio->update(0.016f);
        float x = 0.0f;
        for (auto _ : run) {
            body->position = Vector4(x, 1.0f, 0.0f, 1.0f);
            body->velocity = Vector4(1.0f, 0.0f, 0.5f, 0.0f);
            x += 0.01f;
            audio->update(0.016f);
        }
        run.counters["channels"] = static_cast<double>(fmodSystem->activeChannelCount());
        run.counters["musicPlaying"] = audio->isMusicPlaying() ? 1.0 : 0.0;
        audio->unload();
        currentGameState = previous;
    }
    shutDownSound();
}
BENCHMARK(BM_AudioFrame32Channels)->Unit(benchmark::kMicrosecond);

// Start-up as the program does it, then the shutdown message.
void BM_SoundSystemStartUpAndShutDown(benchmark::State& run) {
    for (auto _ : run) {
        Audio::initializeSystem();
        benchmark::DoNotOptimize(fmodSystem);
        shutDownSound();
    }
}
BENCHMARK(BM_SoundSystemStartUpAndShutDown)->Unit(benchmark::kMillisecond);

// Decoded bytes held while that many copies of one sound play: one decoded buffer per file.
void BM_DecodedMemoryOfCopies(benchmark::State& run) {
    Audio::initializeSystem();
    {
        GameState state;
        const std::string tone = (folder / "tone.wav").string();
        readResources(state, "effect Sound 1 filename " + tone + " positioned true volume 0.5 end end\nend\n");
        Sound& stored = state.get<Sound>("effect");
        for (auto _ : run) {
            std::vector<Sound> copies(static_cast<std::size_t>(run.range(0)), stored);
            for (Sound& copy : copies) copy.playAtOwnPosition();
            benchmark::DoNotOptimize(copies.data());
        }
        run.counters["decodedFiles"] = static_cast<double>(fmodSystem->decodedFileCount());
        run.counters["decodedBytes"] = static_cast<double>(fmodSystem->decodedBytes());
    }
    shutDownSound();
}
BENCHMARK(BM_DecodedMemoryOfCopies)->Arg(1)->Arg(32)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    prepare();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
