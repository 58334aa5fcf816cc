// The Audio state component on OpenAL's null output: start-up and shut-down of the sound system, its
// record, the playlist with its waits, ducking while paused, mute between tracks, the size-dependent
// distance scale and the listener on the hero and the camera.
#include <cmath>

#include "AudioTestSupport.h"
#include "audio/Audio.h"
#include "core/Configuration.h"
#include "core/OStreamWrapper.h"
#include "engine/Entity.h"
#include "engine/GameplayMessages.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"

using namespace audiotest;

namespace {

// A level with two short music tracks (and, when asked, a looping one) and an Audio component.
class AudioScene : public testing::Test {
protected:
    void SetUp() override {
        folder = scratchFolder("audio");
        writeTone(folder / "one.wav", 0.4, 330.0, 2);
        writeTone(folder / "two.wav", 0.4, 440.0, 2);
        readResources(state, "music1 Sound 1 filename " + (folder / "one.wav").string() + " volume 1 end\n"
                             "music2 Sound 1 filename " + (folder / "two.wav").string() + " volume 1 end\n"
                             "looping Sound 1 filename " + (folder / "one.wav").string() + " volume 1 loop true end\n"
                             "end\n");
        Audio::muted() = false;
    }
    void TearDown() override { configuration.bools.erase("muted"); }

    Audio& addAudio(std::vector<std::string> playlist, float wait = 10.0f) {
        auto* audio = new Audio();
        audio->playlist = std::move(playlist);
        audio->entryCount = static_cast<int>(audio->playlist.size());
        audio->waitTime = wait;
        state.addStateComponent(audio);
        state.flushAddedComponents();
        return *audio;
    }
    // What the music channel plays now: the resource name of its sound, or "" for nothing.
    std::string nowPlaying(Audio& audio) {
        if (!audio.isMusicPlaying()) return "";
        SoundLayer::Sample* sample = nullptr;
        audio.music.channel.getCurrentSound(&sample);
        for (const char* name : {"music1", "music2", "looping"})
            if (state.get<Sound>(name).sound == sample) return name;
        return "?";
    }
    // The track ends (as it would by itself a moment later).
    void endTrack(Audio& audio) {
        SoundLayer::Channel channel = audio.music.channel;
        channel.stop();
    }
    float musicVolume(Audio& audio) {
        float volume = -1.0f;
        audio.music.channel.getVolume(&volume);
        return volume;
    }

    std::filesystem::path folder;
    RunningSoundSystem system;
    GameState state;
    CurrentState current{state};
};

TEST_F(AudioScene, PlaylistPlaysInTurnWithWaitsBetweenTracks) {
    Audio& audio = addAudio({"music1", "music2"});
    audio.update(0.016f);
    EXPECT_EQ(nowPlaying(audio), "music1");
    EXPECT_EQ(audio.playlistIndex, 0);
    EXPECT_FLOAT_EQ(audio.countdown, 10.0f);

    // While a track plays the countdown stands still.
    audio.update(30.0f);
    EXPECT_EQ(nowPlaying(audio), "music1");
    endTrack(audio);
    audio.update(6.0f);
    EXPECT_EQ(nowPlaying(audio), "");
    audio.update(3.9f);
    EXPECT_EQ(nowPlaying(audio), "");
    audio.update(0.2f);
    EXPECT_EQ(nowPlaying(audio), "music2");
    endTrack(audio);
    audio.update(10.0f);
    EXPECT_EQ(nowPlaying(audio), "music1");  // round again

    // A track that ends by itself is noticed too.
    ASSERT_TRUE(waitUntil([&] {
        fmodSystem->update();
        return !audio.isMusicPlaying();
    }));
    audio.update(10.0f);
    EXPECT_EQ(nowPlaying(audio), "music2");

    // Leaving the level stops the music.
    audio.unload();
    EXPECT_EQ(nowPlaying(audio), "");

    // A single looping track never moves on.
    Audio& loop = addAudio({"looping"}, 0.0f);
    for (int i = 0; i < 5; ++i) loop.update(20.0f);
    EXPECT_EQ(nowPlaying(loop), "looping");
    EXPECT_EQ(loop.playlistIndex, 0);
}

TEST_F(AudioScene, EmptyBrokenAndWaitlessPlaylistsNeitherSpinNorCrash) {
    Audio& empty = addAudio({});
    for (int i = 0; i < 100; ++i) empty.update(0.016f);
    EXPECT_EQ(nowPlaying(empty), "");
    empty.toggleMute();
    empty.toggleMute();
    empty.playPlaylistEntry();
    EXPECT_EQ(nowPlaying(empty), "");
    EXPECT_EQ(fmodSystem->activeChannelCount(), 0);

    // Missing tracks with no wait: one attempt per second at most, and the good track is reached.
    Audio& broken = addAudio({"nothing", "music2"}, 0.0f);
    const std::string errors = capturedErrors([&] {
        for (int i = 0; i < 60; ++i) broken.update(0.016f);  // about one second
    });
    EXPECT_EQ(countLines(errors, "doesn't exist"), 1);
    EXPECT_EQ(nowPlaying(broken), "");
    capturedErrors([&] { broken.update(0.1f); });
    EXPECT_EQ(nowPlaying(broken), "music2");
    // With no wait the next track starts at the first frame after the end.
    endTrack(broken);
    capturedErrors([&] { broken.update(0.016f); });
    EXPECT_EQ(broken.playlistIndex, 0);
}

TEST_F(AudioScene, MuteActsOnTheSettingDuringAndBetweenTracks) {
    // Muted from the start: nothing plays and the countdown stands.
    Audio::muted() = true;
    Audio& audio = addAudio({"music1", "music2"});
    for (int i = 0; i < 10; ++i) audio.update(5.0f);
    EXPECT_EQ(nowPlaying(audio), "");
    EXPECT_EQ(audio.countdown, 0.0f);
    audio.toggleMute();
    EXPECT_FALSE(Audio::muted());
    EXPECT_EQ(nowPlaying(audio), "music1");

    // Muting while a track plays stops it.
    audio.toggleMute();
    EXPECT_TRUE(Audio::muted());
    EXPECT_EQ(nowPlaying(audio), "");
    audio.toggleMute();
    EXPECT_EQ(nowPlaying(audio), "music1");  // the same entry from its start

    // Between tracks the toggle still mutes: the next track does not start, and unmuting plays the
    // current entry again.
    endTrack(audio);
    audio.update(4.0f);
    audio.toggleMute();
    EXPECT_TRUE(Audio::muted());
    audio.update(20.0f);
    EXPECT_EQ(nowPlaying(audio), "");
    audio.toggleMute();
    EXPECT_FALSE(Audio::muted());
    EXPECT_EQ(nowPlaying(audio), "music1");

    // A setting changed elsewhere (the options file) is honoured at the next entry.
    Audio::muted() = true;
    audio.playPlaylistEntry();
    EXPECT_EQ(nowPlaying(audio), "");

    // An absent setting reads as false and is added.
    configuration.bools.erase("muted");
    audio.update(20.0f);
    EXPECT_EQ(configuration.bools.count("muted"), 1u);
    EXPECT_EQ(nowPlaying(audio), "music2");
}

TEST_F(AudioScene, MusicDucksWhilePausedAndDistanceFollowsTheHeroSize) {
    Audio& audio = addAudio({"music1", "music2"});
    audio.update(0.016f);
    EXPECT_FLOAT_EQ(musicVolume(audio), 1.0f);
    state.setPaused(true);
    EXPECT_FLOAT_EQ(musicVolume(audio), 0.1f);
    state.setPaused(false);
    EXPECT_FLOAT_EQ(musicVolume(audio), 1.0f);

    // An entry that starts while paused starts ducked.
    state.setPaused(true);
    endTrack(audio);
    audio.update(10.5f);
    EXPECT_EQ(nowPlaying(audio), "music2");
    EXPECT_FLOAT_EQ(musicVolume(audio), 0.1f);
    state.setPaused(false);

    float doppler = 0, distance = 0, rolloff = 0;
    fmodSystem->get3DSettings(&doppler, &distance, &rolloff);
    EXPECT_FLOAT_EQ(distance, 100.0f);
    SizeChangeMessage grown(1.0f, 2.5f);
    MessageDispatcher::dispatchNow(grown);
    fmodSystem->get3DSettings(&doppler, &distance, &rolloff);
    EXPECT_FLOAT_EQ(doppler, 0.2f);
    EXPECT_FLOAT_EQ(distance, 2.5f);
    EXPECT_FLOAT_EQ(rolloff, 1.0f);

    // A copy shares the music's sound but not its play, and listens to nothing until initialised.
    std::unique_ptr<GameStateComponent> copy(audio.clone());
    Audio& twin = static_cast<Audio&>(*copy);
    EXPECT_EQ(twin.music.sound, audio.music.sound);
    EXPECT_FALSE(twin.music.hasChannel());
    EXPECT_EQ(twin.playlist, audio.playlist);
    EXPECT_EQ(twin.playlistIndex, 1);
}

TEST_F(AudioScene, ListenerFollowsTheHeroAndTheCamera) {
    Audio& audio = addAudio({});
    SoundLayer::Vector3 position, velocity, forward, up;
    // Without a hero or a camera the listener stays where it is.
    audio.update(0.016f);
    fmodSystem->get3DListenerAttributes(0, &position, &velocity, &forward, &up);
    EXPECT_EQ(position.x, 0.0f);

    auto* hero = new Entity();
    auto* body = new Body();
    body->position = Vector4(3, 4, 5, 1);
    body->velocity = Vector4(1, 0, -2, 0);
    hero->addComponent(body);
    state.addEntity(hero);
    state.flushAddedEntities();
    state.rootEntity = hero;
    audio.update(0.016f);
    fmodSystem->get3DListenerAttributes(0, &position, &velocity, &forward, &up);
    EXPECT_EQ(position.x, 0.0f);  // still no camera

    auto* camera = new CameraComponent();
    camera->camera.rotateY = static_cast<float>(M_PI / 2);  // turned a quarter to the left
    state.addStateComponent(camera);
    state.flushAddedComponents();
    audio.update(0.016f);
    fmodSystem->get3DListenerAttributes(0, &position, &velocity, &forward, &up);
    EXPECT_EQ(position.x, 3.0f);
    EXPECT_EQ(position.y, 4.0f);
    EXPECT_EQ(position.z, 5.0f);
    EXPECT_EQ(velocity.z, -2.0f);
    EXPECT_NEAR(forward.x, -1.0f, 1e-5);
    EXPECT_NEAR(forward.z, 0.0f, 1e-5);
    EXPECT_NEAR(up.y, 1.0f, 1e-5);
}

TEST_F(AudioScene, RecordReadsEitherKeyOrderAndWritesBoth) {
    const std::string text =
        "Audio 0 0 GameStateComponent disabled 0 end playlist music2 music1 end waitTime 4 end";
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    Audio audio;
    readValue(in, audio);
    EXPECT_EQ(audio.playlist, (std::vector<std::string>{"music2", "music1"}));
    EXPECT_EQ(audio.entryCount, 2);
    EXPECT_EQ(audio.waitTime, 4.0f);
    EXPECT_EQ(audio.playlistIndex, -1);

    std::ostringstream written;
    OStreamWrapper out(written);
    writeValue(out, audio);
    Audio again;
    std::istringstream back(written.str());
    IStreamWrapper reread(back);
    readValue(reread, again);
    EXPECT_EQ(again.playlist, audio.playlist);
    EXPECT_EQ(again.waitTime, 4.0f);
    EXPECT_LT(written.str().find("waitTime"), written.str().find("playlist"));

    Audio defaults;
    std::istringstream bare("Audio 0 0 GameStateComponent disabled 0 end end");
    IStreamWrapper bareIn(bare);
    readValue(bareIn, defaults);
    EXPECT_EQ(defaults.waitTime, 10.0f);
    EXPECT_TRUE(defaults.playlist.empty());
}

// Start-up and shut-down as the program runs them: no system before, one after start-up (a second
// start-up changes nothing), none after the shutdown message.
TEST(AudioSystem, StartsOnceAndClosesOnTheShutdownMessage) {
    ASSERT_EQ(fmodSystem, nullptr);
    Audio::initializeSystem();
    ASSERT_NE(fmodSystem, nullptr);
    SoundLayer::System* started = fmodSystem;
    EXPECT_TRUE(started->isInitialized());
    EXPECT_FALSE(started->isSilent());  // the null output is a device
    float doppler = 0, distance = 0, rolloff = 0;
    started->get3DSettings(&doppler, &distance, &rolloff);
    EXPECT_FLOAT_EQ(doppler, 0.2f);
    EXPECT_FLOAT_EQ(distance, 100.0f);
    EXPECT_FLOAT_EQ(rolloff, 1.0f);
    Audio::initializeSystem();
    EXPECT_EQ(fmodSystem, started);

    Message shutdown(MessageType::Shutdown);
    MessageDispatcher::dispatchNow(shutdown);
    EXPECT_EQ(fmodSystem, nullptr);
    // The handler went with the message: a second one finds nothing to do.
    Message again(MessageType::Shutdown);
    MessageDispatcher::dispatchNow(again);
    EXPECT_EQ(fmodSystem, nullptr);
}

}  // namespace
