// What is heard, through OpenAL Soft's wave-file output (chosen for this program before OpenAL
// starts): a positioned sound at the listener is louder than the same sound far away, a 2D sound
// ignores where it is played, and a paused play is not heard until resumed.
#include <cstdlib>

#include "../AudioTestSupport.h"
#include "audio/Sound.h"

using namespace audiotest;

namespace {

// Where this process's OpenAL writes; set once, before the first OpenAL call of the process.
const std::filesystem::path& waveFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path f = scratchFolder("wave");
        std::ofstream(f / "wave.conf") << "[general]\ndrivers = wave\nsample-type = int16\n"
                                       << "[wave]\nfile = " << (f / "out.wav").string() << "\n";
        ::setenv("ALSOFT_CONF", (f / "wave.conf").string().c_str(), 1);
        return f;
    }();
    return folder;
}

// Starts the output, plays the tone once where asked and waits for its end, closes the output (which
// finishes the file) and returns the samples written.
std::vector<std::int16_t> playAndRecord(bool positioned, Vector4 where, bool pauseFirst = false) {
    const std::filesystem::path folder = waveFolder();
    writeTone(folder / "tone.wav", 0.3);
    {
        RunningSoundSystem system;
        EXPECT_FALSE(system->isSilent());
        Sound sound;
        sound.positioned = positioned;
        sound.volume = 1.0f;
        sound.load((folder / "tone.wav").string());
        EXPECT_TRUE(sound.isLoaded());
        sound.play(where);
        if (pauseFirst) {
            sound.togglePause();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            sound.togglePause();
        }
        EXPECT_TRUE(waitUntil([&] { return !sound.isPlaying(); }));
    }
    return readWaveSamples(folder / "out.wav");
}

TEST(WaveOutput, NearSoundsAreLouderThanFarOnesAndFlatSoundsIgnorePosition) {
    const int near = peakOf(playAndRecord(true, Vector4(0, 0, 0, 1)));
    const int far = peakOf(playAndRecord(true, Vector4(9000, 0, 0, 1)));
    const int flatFar = peakOf(playAndRecord(false, Vector4(9000, 0, 0, 1)));
    RecordProperty("peaks", std::to_string(near) + " " + std::to_string(far) + " " + std::to_string(flatFar));
    EXPECT_GT(near, 8000);
    EXPECT_GT(far, 100);  // still heard at nine tenths of the maximum distance
    EXPECT_GT(near, 3 * far);
    EXPECT_GT(flatFar, 3 * far);
}

TEST(WaveOutput, APausedPlayIsSilentUntilResumed) {
    const std::vector<std::int16_t> samples = playAndRecord(false, Vector4(), true);
    ASSERT_GT(samples.size(), 44100u);
    // Stereo at the output's rate: the first 0.3 s (the pause lasted 0.4 s) hold no tone yet.
    const std::vector<std::int16_t> start(samples.begin(), samples.begin() + 2 * 13230);
    EXPECT_LT(peakOf(start), 200);
    EXPECT_GT(peakOf(samples), 8000);
}

}  // namespace
