// The Sound resource over the sound system on OpenAL's null output: its records in both versions and
// their malformed forms, shared decoding, plays, pauses, stops and channel handles that outlive their
// plays.
#include <cstring>

#include "AudioTestSupport.h"
#include "audio/Sound.h"

using namespace audiotest;

namespace {

class SoundTest : public testing::Test {
protected:
    void SetUp() override {
        folder = scratchFolder("sound");
        writeTone(folder / "tone.wav", 0.6);
        writeTone(folder / "stereo.wav", 0.6, 330.0, 2);
        writeTone(folder / "blip.wav", 0.05);
        std::ofstream(folder / "broken.wav") << "RIFF but not a wave file at all";
    }
    std::string file(const std::string& name) const { return (folder / name).string(); }

    std::filesystem::path folder;
    RunningSoundSystem system;
    GameState state;
    CurrentState current{state};
};

TEST_F(SoundTest, RecordsOfBothVersionsReadInAnyKeyOrderAndMalformedOnesNeitherStallNorShift) {
    const std::string text =
        "size 12\n"
        // Version 1, keys out of order, positioned: two groups, each closed by its own end.
        "placed Sound 1 loop false volume 0.7 positioned true filename " + file("tone.wav") + " end\n"
        "  spread 30 zPos -3 xPos 1.5 yPos 2 end\n"
        // Not positioned: no second group; no volume means silence.
        "flat Sound 1 filename " + file("stereo.wav") + " positioned false loop true end\n"
        // Version 0: bare values in their order.
        "bare Sound 0 " + file("tone.wav") + " true 0.5 false 4 5 6 90\n"
        // A group closed early keeps the defaults; missing coordinates are 0.
        "early Sound 1 positioned true filename " + file("tone.wav") + " end xPos 2 end\n"
        // An unknown key is stepped over with its value; a key given twice keeps the last value and
        // does not make the reader take the next key as the group's end.
        "odd Sound 1 filename " + file("tone.wav") + " pitch 2 volume 0.1 volume 0.3 positioned false end\n"
        // A key without a value, before "end" or before a key of its group, takes neither.
        "junky Sound 1 filename " + file("tone.wav") + " loop volume 1 junk end\n"
        "keyless Sound 1 filename " + file("tone.wav") + "\n junk\n volume 0.4\n loop end\n"
        // A 2D record that carries a position group: the group is read and ignored.
        "flat2 Sound 1 filename " + file("tone.wav") + " volume 0.2 end xPos 1 yPos 2 zPos 3 spread 40 end\n"
        // Positioned, but the second group is missing: the next record must still be read.
        "lost Sound 1 filename " + file("tone.wav") + " positioned true volume 1 end\n"
        "missing Sound 1 filename " + file("nothing-here.wav") + " volume 1 end\n"
        "broken Sound 1 filename " + file("broken.wav") + " volume 1 end\n"
        "last Sound 1 filename " + file("blip.wav") + " volume 0.9 end\n"
        "end\n";
    const std::string errors = capturedErrors([&] { readResources(state, text); });

    Sound& placed = state.get<Sound>("placed");
    EXPECT_TRUE(placed.positioned);
    EXPECT_FALSE(placed.loop);
    EXPECT_FLOAT_EQ(placed.volume, 0.7f);
    EXPECT_FLOAT_EQ(placed.spread, 30.0f);
    EXPECT_EQ(placed.position, Vector4(1.5f, 2.0f, -3.0f, 1.0f));
    ASSERT_TRUE(placed.isLoaded());
    unsigned mode = 0;
    placed.sound->getMode(&mode);
    EXPECT_EQ(mode, 0x200250u);
    float minDistance = 0, maxDistance = 0;
    placed.sound->get3DMinMaxDistance(&minDistance, &maxDistance);
    EXPECT_EQ(minDistance, 1.0f);
    EXPECT_EQ(maxDistance, 10000.0f);

    Sound& flat = state.get<Sound>("flat");
    EXPECT_FALSE(flat.positioned);
    EXPECT_TRUE(flat.loop);
    EXPECT_EQ(flat.volume, 0.0f);
    EXPECT_EQ(flat.position, Vector4(0, 0, 0, 0));
    flat.sound->getMode(&mode);
    EXPECT_EQ(mode, 0x202u);

    Sound& bare = state.get<Sound>("bare");
    EXPECT_TRUE(bare.positioned);
    EXPECT_FLOAT_EQ(bare.volume, 0.5f);
    EXPECT_FLOAT_EQ(bare.spread, 90.0f);
    EXPECT_EQ(bare.position, Vector4(4, 5, 6, 1));

    Sound& early = state.get<Sound>("early");
    EXPECT_EQ(early.volume, 0.0f);
    EXPECT_EQ(early.position, Vector4(2, 0, 0, 1));

    Sound& odd = state.get<Sound>("odd");
    EXPECT_FLOAT_EQ(odd.volume, 0.3f);
    EXPECT_TRUE(odd.isLoaded());
    EXPECT_EQ(countLines(errors, "\"pitch\""), 1);
    EXPECT_EQ(countLines(errors, "has no value"), 4);
    EXPECT_FLOAT_EQ(state.get<Sound>("junky").volume, 1.0f);
    EXPECT_FLOAT_EQ(state.get<Sound>("keyless").volume, 0.4f);
    Sound& flat2 = state.get<Sound>("flat2");
    EXPECT_FALSE(flat2.positioned);
    EXPECT_FLOAT_EQ(flat2.volume, 0.2f);
    EXPECT_EQ(flat2.position, Vector4(0, 0, 0, 0));
    EXPECT_EQ(flat2.spread, 0.0f);
    EXPECT_EQ(countLines(errors, "not positioned has a position group"), 1);

    Sound& lost = state.get<Sound>("lost");
    EXPECT_TRUE(lost.positioned);
    EXPECT_EQ(lost.position, Vector4(0, 0, 0, 1));
    EXPECT_EQ(countLines(errors, "no position group"), 1);

    // Unusable files: one line each naming the file, and a Sound that plays nothing.
    EXPECT_EQ(countLines(errors, "nothing-here.wav"), 1);
    EXPECT_EQ(countLines(errors, "broken.wav"), 1);
    Sound& missing = state.get<Sound>("missing");
    Sound& broken = state.get<Sound>("broken");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_FALSE(broken.isLoaded());
    missing.playAtOwnPosition();
    missing.togglePause();
    missing.stop();
    EXPECT_FALSE(missing.isPlaying());

    // Everything after the malformed records arrived whole.
    Sound& last = state.get<Sound>("last");
    EXPECT_FLOAT_EQ(last.volume, 0.9f);
    EXPECT_TRUE(last.isLoaded());
    EXPECT_EQ(state.resources.size(), 12u);
    EXPECT_EQ(system->activeChannelCount(), 0);

    // Sounds named like the keys of a record: a name is followed by its class, so none is taken for a
    // position group. A word where a number belongs is reported and leaves the field as it was.
    GameState named;
    const std::string tone = file("tone.wav");
    const std::string namedErrors = capturedErrors([&] {
        readResources(named, "volume Sound 1 filename " + tone + " volume loud end\n"
                             "spread Sound 1 filename " + tone + " volume 0.5 end\n"
                             "xPos Sound 1 filename " + tone + " positioned true end xPos 1 yPos 2 zPos 3 spread 4 end\n"
                             "zPos Sound 1 filename " + tone + " end\n"
                             "end\n");
    });
    ASSERT_EQ(named.resources.size(), 4u) << namedErrors;
    EXPECT_EQ(countLines(namedErrors, ""), 1);
    EXPECT_EQ(countLines(namedErrors, "\"loud\""), 1);
    EXPECT_FLOAT_EQ(named.get<Sound>("spread").volume, 0.5f);
    EXPECT_EQ(named.get<Sound>("xPos").position, Vector4(1, 2, 3, 1));
}

TEST_F(SoundTest, CopiesShareOneDecodedFileAndTheLastCopyReleasesIt) {
    readResources(state, "a Sound 1 filename " + file("tone.wav") + " volume 1 end\n"
                         "b Sound 1 filename " + file("tone.wav") + " volume 1 end\n"
                         "c Sound 1 filename " + file("tone.wav") + " positioned true volume 1 end end\nend\n");
    // Two 2D sounds of one file share its decoding; the 3D one is mixed down once on its own.
    EXPECT_EQ(system->decodedFileCount(), 2u);
    const std::size_t bytes = system->decodedBytes();
    EXPECT_EQ(bytes, 2u * static_cast<std::size_t>(0.6 * 22050) * 2u);

    Sound& stored = state.get<Sound>("a");
    SoundLayer::Sample* sample = stored.sound;
    {
        std::vector<Sound> copies(20, stored);
        for (Sound& copy : copies) {
            EXPECT_EQ(copy.sound, sample);
            copy.playAtOwnPosition();
        }
        EXPECT_EQ(system->activeChannelCount(), 20);
        EXPECT_EQ(system->decodedBytes(), bytes);
        EXPECT_EQ(stored.useCount(), 21);
    }
    // Destroying copies stops none of their plays: the stored Sound still holds the sound.
    EXPECT_EQ(system->activeChannelCount(), 20);
    EXPECT_EQ(stored.useCount(), 1);

    // Assignment drops the old sound's reference first; the last reference releases it and its plays.
    Sound other = state.get<Sound>("c");
    Sound holder = stored;
    state.resources.erase("a");
    EXPECT_EQ(system->activeChannelCount(), 20);
    holder = other;
    EXPECT_EQ(system->activeChannelCount(), 0);
    holder = holder;
    EXPECT_EQ(holder.sound, other.sound);
    state.resources.erase("b");
    EXPECT_EQ(system->decodedFileCount(), 1u);
}

TEST_F(SoundTest, PlaysPausesStopsAndKeepsHandlesSafeAfterThePlayEnded) {
    readResources(state, "tone Sound 1 filename " + file("tone.wav") + " positioned true volume 0.6 end "
                         "xPos 3 yPos 4 zPos 5 spread 20 end\n"
                         "blip Sound 1 filename " + file("blip.wav") + " volume 0.5 end\nend\n");
    Sound tone = state.get<Sound>("tone");
    EXPECT_FALSE(tone.hasChannel());

    // Two plays sound together; the object keeps the second.
    tone.play(Vector4(7, 8, 9, 1));
    const SoundLayer::Channel first = tone.channel;
    tone.playAtOwnPosition();
    const SoundLayer::Channel second = tone.channel;
    EXPECT_NE(first, second);
    bool playing = false;
    first.isPlaying(&playing);
    EXPECT_TRUE(playing);
    float volume = 0;
    second.getVolume(&volume);
    EXPECT_FLOAT_EQ(volume, 0.6f);
    SoundLayer::Vector3 where;
    first.get3DAttributes(&where, nullptr);
    EXPECT_EQ(where.x, 7.0f);
    second.get3DAttributes(&where, nullptr);
    EXPECT_EQ(where.z, 5.0f);
    float spread = 0;
    second.get3DSpread(&spread);
    EXPECT_EQ(spread, 20.0f);

    // Pause toggles act on the latest play only.
    tone.togglePause();
    bool paused = false;
    second.getPaused(&paused);
    EXPECT_TRUE(paused);
    EXPECT_TRUE(tone.isPlaying());  // a paused play still counts as playing
    first.getPaused(&paused);
    EXPECT_FALSE(paused);
    tone.togglePause();
    second.getPaused(&paused);
    EXPECT_FALSE(paused);

    // Stop ends the second play and forgets it; the first sounds on.
    tone.stop();
    EXPECT_FALSE(tone.hasChannel());
    second.isPlaying(&playing);
    EXPECT_FALSE(playing);
    first.isPlaying(&playing);
    EXPECT_TRUE(playing);

    // A play that ended by itself: the object keeps its handle, which answers "not playing" and
    // ignores calls, also once its slot went to a newer play.
    Sound blip = state.get<Sound>("blip");
    blip.playAtOwnPosition();
    SoundLayer::Channel ended = blip.channel;
    ASSERT_TRUE(waitUntil([&] { return !blip.isPlaying(); }));
    blip.stop();
    EXPECT_TRUE(blip.hasChannel());
    blip.togglePause();
    EXPECT_FALSE(blip.isPlaying());
    EXPECT_EQ(ended.setVolume(1.0f), SoundLayer::Result::invalidHandle);
    for (int i = 0; i < 100; ++i) tone.playAtOwnPosition();  // takes every slot, the old one too
    EXPECT_EQ(ended.stop(), SoundLayer::Result::invalidHandle);
    EXPECT_EQ(ended.setPaused(true), SoundLayer::Result::invalidHandle);
    EXPECT_EQ(system->activeChannelCount(), 100);
    first.isPlaying(&playing);
    EXPECT_FALSE(playing);  // the oldest play was taken over

    // Without a system every call is harmless and nothing plays.
    SoundLayer::System* saved = fmodSystem;
    fmodSystem = nullptr;
    tone.playAtOwnPosition();
    EXPECT_FALSE(tone.hasChannel());
    tone.togglePause();
    tone.stop();
    Sound unloaded;
    unloaded.load(file("tone.wav"));
    EXPECT_FALSE(unloaded.isLoaded());
    fmodSystem = saved;
    // A released system leaves the handles stale rather than dangling.
    SoundLayer::Channel late = tone.channel;
    tone.playAtOwnPosition();
    late = tone.channel;
    fmodSystem->close();
    late.isPlaying(&playing);
    EXPECT_FALSE(playing);
    EXPECT_EQ(late.setVolume(0.5f), SoundLayer::Result::invalidHandle);
}

}  // namespace
