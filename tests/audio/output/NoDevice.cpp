// A machine without a sound device (OpenAL is given no output it can open, before it starts): the
// game starts its sound system silently with one line of explanation, and every sound and the
// playlist still behave, plays ending when their sound would have.
#include <cstdlib>

#include "../AudioTestSupport.h"
#include "audio/Audio.h"
#include "core/Configuration.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"

using namespace audiotest;

namespace {

const std::filesystem::path& noOutputFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path f = scratchFolder("no-output");
        std::ofstream(f / "none.conf") << "[general]\ndrivers = no-such-output\n";
        ::setenv("ALSOFT_CONF", (f / "none.conf").string().c_str(), 1);
        return f;
    }();
    return folder;
}

TEST(NoDevice, TheGameRunsSilentlyAndSoundsStillEndOnTime) {
    const std::filesystem::path folder = noOutputFolder();
    writeTone(folder / "short.wav", 0.15);
    writeTone(folder / "music.wav", 0.1, 330.0, 2);

    const std::string startErrors = capturedErrors([] { Audio::initializeSystem(); });
    ASSERT_NE(fmodSystem, nullptr);
    EXPECT_TRUE(fmodSystem->isSilent());
    EXPECT_EQ(fmodSystem->getOutput(), SoundLayer::OutputType::noSound);
    EXPECT_EQ(countLines(startErrors, "without sound"), 1);

    GameState state;
    CurrentState current(state);
    readResources(state, "blip Sound 1 filename " + (folder / "short.wav").string() +
                             " positioned true volume 1 end xPos 1 end\n"
                             "music1 Sound 1 filename " + (folder / "music.wav").string() + " volume 1 end\nend\n");
    Sound blip = state.get<Sound>("blip");
    ASSERT_TRUE(blip.isLoaded());
    unsigned length = 0;
    blip.sound->getLength(&length);
    EXPECT_EQ(length, 150u);

    // A paused play holds however long the pause lasts; resumed, it ends by itself.
    blip.playAtOwnPosition();
    EXPECT_TRUE(blip.isPlaying());
    blip.togglePause();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    fmodSystem->update();
    EXPECT_TRUE(blip.isPlaying());
    blip.togglePause();
    EXPECT_TRUE(waitUntil([&] {
        fmodSystem->update();
        return !blip.isPlaying();
    }));
    blip.stop();
    EXPECT_TRUE(blip.hasChannel());

    // The playlist moves on after the silent track.
    configuration.bools["muted"] = false;
    auto* audio = new Audio();
    audio->playlist = {"music1"};
    audio->entryCount = 1;
    audio->waitTime = 0.0f;
    state.addStateComponent(audio);
    state.flushAddedComponents();
    audio->update(0.016f);
    EXPECT_TRUE(audio->isMusicPlaying());
    const SoundLayer::Channel first = audio->music.channel;
    EXPECT_TRUE(waitUntil([&] {
        audio->update(0.016f);
        return audio->music.channel != first;
    }));
    EXPECT_TRUE(audio->isMusicPlaying());

    Message shutdown(MessageType::Shutdown);
    MessageDispatcher::dispatchNow(shutdown);
    EXPECT_EQ(fmodSystem, nullptr);
    blip.playAtOwnPosition();  // after shut-down: nothing, and no harm
    EXPECT_FALSE(blip.isPlaying());
}

TEST(NoDevice, AnOutputThatCannotOpenFallsBackToSilence) {
    noOutputFolder();
    SoundLayer::System* system = nullptr;
    SoundLayer::systemCreate(&system);
    SoundLayer::Result result = SoundLayer::Result::ok;
    const std::string errors = capturedErrors([&] { result = system->init(8, 0, nullptr); });
    EXPECT_EQ(result, SoundLayer::Result::outputFailed);
    EXPECT_EQ(countLines(errors, "without sound"), 1);
    EXPECT_TRUE(system->isSilent());
    EXPECT_TRUE(system->isInitialized());
    const SoundLayer::Vector3 here{1, 2, 3};
    EXPECT_EQ(system->set3DListenerAttributes(0, &here, nullptr, nullptr, nullptr), SoundLayer::Result::ok);
    EXPECT_EQ(system->set3DSettings(0.2f, 1.0f, 1.0f), SoundLayer::Result::ok);
    EXPECT_EQ(system->update(), SoundLayer::Result::ok);
    system->release();
}

}  // namespace
