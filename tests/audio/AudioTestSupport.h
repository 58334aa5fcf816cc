// Shared pieces of the sound tests: a running sound system for the test's length, generated tone
// files, the wave files OpenAL writes read back, and a game state made current.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/Sound.h"
#include "audio/SoundSystem.h"
#include "core/IStreamWrapper.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"

namespace audiotest {

// A scratch folder of this test process inside the working (build) folder, emptied per use.
inline std::filesystem::path scratchFolder(const std::string& name) {
    std::filesystem::path folder =
        std::filesystem::current_path() / "audio-test-files" / std::to_string(::getpid()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// A 16-bit PCM WAV file of a sine tone (every channel the same).
inline void writeTone(const std::filesystem::path& path, double seconds, double frequency = 440.0,
                      int channels = 1, int rate = 22050, double amplitude = 0.8) {
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&out](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&out](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * 2));
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (std::uint32_t f = 0; f < frames; ++f) {
        const auto sample = static_cast<std::int16_t>(amplitude * 32767.0 * std::sin(2.0 * M_PI * frequency * f / rate));
        for (int c = 0; c < channels; ++c) out.write(reinterpret_cast<const char*>(&sample), 2);
    }
}

// The 16-bit samples of a PCM WAV file (all channels interleaved); empty when it is not one.
inline std::vector<std::int16_t> readWaveSamples(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples;
    if (bytes.size() < 12 || std::string(bytes.data(), 4) != "RIFF") return samples;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        std::uint32_t size = 0;
        std::memcpy(&size, &bytes[pos + 4], 4);
        if (std::string(&bytes[pos], 4) == "data") {
            const std::size_t end = std::min(bytes.size(), pos + 8 + size);
            for (std::size_t i = pos + 8; i + 1 < end; i += 2) {
                std::int16_t s = 0;
                std::memcpy(&s, &bytes[i], 2);
                samples.push_back(s);
            }
            break;
        }
        pos += 8 + size + (size & 1);
    }
    return samples;
}

inline int peakOf(const std::vector<std::int16_t>& samples) {
    int peak = 0;
    for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

// Polls until the condition holds (sound plays in real time); false after the limit, so a test that
// waits for a play to end fails instead of hanging.
template <class F>
bool waitUntil(F&& condition, double limitSeconds = 10.0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The game's sound system, started for the scope (plainly, as the start-up does without a driver
// check) and closed at the end.
class RunningSoundSystem {
public:
    explicit RunningSoundSystem(bool silent = false) {
        SoundLayer::systemCreate(&fmodSystem);
        if (silent) fmodSystem->setOutput(SoundLayer::OutputType::noSound);
        fmodSystem->init(100, SoundLayer::InitFlag::rightHanded3D, nullptr);
        fmodSystem->set3DSettings(0.2f, 100.0f, 1.0f);
    }
    ~RunningSoundSystem() {
        if (!fmodSystem) return;
        fmodSystem->close();
        fmodSystem->release();
        fmodSystem = nullptr;
    }
    RunningSoundSystem(const RunningSoundSystem&) = delete;
    RunningSoundSystem& operator=(const RunningSoundSystem&) = delete;
    SoundLayer::System& operator*() const { return *fmodSystem; }
    SoundLayer::System* operator->() const { return fmodSystem; }
};

// Makes a state current for the scope and restores the previous one.
class CurrentState {
public:
    explicit CurrentState(GameState& state) : previous(currentGameState) { currentGameState = &state; }
    ~CurrentState() { currentGameState = previous; }

private:
    GameState* previous;
};

// Reads resource records from text into the state's table.
inline void readResources(GameState& state, const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "<sound records>");
    state.readResourceTable(in);
    state.nameResources();
}

// Runs f with the error stream captured and returns what was written to it.
template <class F>
std::string capturedErrors(F&& f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

inline int countLines(const std::string& text, const std::string& part) {
    int count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(part) != std::string::npos) ++count;
    return count;
}

}  // namespace audiotest
