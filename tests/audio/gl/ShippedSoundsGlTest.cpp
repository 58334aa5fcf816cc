// The sounds the game ships: the first level's resources (loaded with a GL context, for their
// textures) hold every sound the gameplay plays, positioned and audible, and the music its Audio
// component plays; the files are small and decode.
#include <filesystem>

#include "../AudioTestSupport.h"
#include "audio/Audio.h"
#include "graphics/gl/GlContext.h"

using namespace audiotest;

namespace {

class ShippedSounds : public GlTest {};

TEST_F(ShippedSounds, FirstLevelHoldsEveryGameplaySoundAndItsMusic) {
    RunningSoundSystem system;
    GameState state("Content/Levels/level1.lvl");
    CurrentState current(state);
    const std::string errors = capturedErrors([&] {
        state.load();
        state.initialize();
    });
    EXPECT_EQ(countLines(errors, "sound"), 0) << errors;

    for (const char* name : {"respawn", "powerUp", "score1", "score2", "bumperSound", "checkPoint", "finalPowerUp",
                             "timeAttackOver"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(state.resources.count(name), 1u);
        Sound& sound = state.get<Sound>(name);
        EXPECT_TRUE(sound.isLoaded());
        EXPECT_TRUE(sound.positioned);
        EXPECT_GT(sound.volume, 0.0f);
        EXPECT_FALSE(sound.loop);
        unsigned length = 0;
        sound.sound->getLength(&length);
        EXPECT_GT(length, 100u);
        EXPECT_LT(length, 5000u);
    }

    Audio* audio = state.getComponents<Audio>();
    ASSERT_NE(audio, nullptr);
    ASSERT_GE(audio->playlist.size(), 2u);
    for (const std::string& name : audio->playlist) {
        SCOPED_TRACE(name);
        ASSERT_EQ(state.resources.count(name), 1u);
        Sound& track = state.get<Sound>(name);
        EXPECT_TRUE(track.isLoaded());
        EXPECT_FALSE(track.positioned);
        EXPECT_FALSE(track.loop);
        EXPECT_GT(track.volume, 0.0f);
        unsigned length = 0;
        track.sound->getLength(&length);
        EXPECT_GT(length, 10000u);
    }
    state.unload();

    for (const char* folder : {"Content/Sounds", "Content/Music"})
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            SCOPED_TRACE(entry.path().string());
            EXPECT_LT(entry.file_size(), 1u << 20);
        }
}

}  // namespace
