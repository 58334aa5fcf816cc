// The vocabulary of the game's sound layer: result codes, the mode and start-up flag values the game
// passes, and the small vector type of its 3D calls. The layer itself (SoundSystem, SoundChannel,
// SoundSample) runs over OpenAL Soft and libsndfile; nothing outside audio/ sees either library.
#pragma once

namespace SoundLayer {

enum class Result {
    ok,
    invalidHandle,    // no such system, sound or channel (also a channel whose play has ended)
    notInitialized,   // the system was not started, or was closed
    fileNotFound,
    badFile,          // the file exists but cannot be decoded
    noFreeChannel,    // every channel is taken and none could be stolen
    outputRefused,    // the output did not take the chosen speaker mode; start again in stereo
    outputFailed,     // no output could be started: the system runs silently
};

// Sound creation mode bits.
namespace Mode {
constexpr unsigned loopOff = 0x1;
constexpr unsigned loopNormal = 0x2;
constexpr unsigned twoD = 0x8;
constexpr unsigned threeD = 0x10;
constexpr unsigned hardware = 0x20;
constexpr unsigned software = 0x40;
constexpr unsigned createStream = 0x80;
constexpr unsigned createSample = 0x100;
constexpr unsigned createCompressedSample = 0x200;
constexpr unsigned linearRolloff = 0x200000;
}  // namespace Mode

// System start-up flags.
namespace InitFlag {
constexpr unsigned normal = 0x0;
constexpr unsigned rightHanded3D = 0x2;
constexpr unsigned softwareOcclusion = 0x8;
constexpr unsigned softwareHrtf = 0x10;
}  // namespace InitFlag

// Driver capability bits.
namespace Caps {
constexpr unsigned hardware = 0x1;
constexpr unsigned hardwareEmulated = 0x2;
}  // namespace Caps

namespace OutputType {
constexpr int autoDetect = 0;
constexpr int unknown = 1;
constexpr int noSound = 2;
}  // namespace OutputType

namespace SpeakerMode {
constexpr int raw = 0;
constexpr int mono = 1;
constexpr int stereo = 2;
}  // namespace SpeakerMode

namespace SoundFormat {
constexpr int pcm16 = 2;
constexpr int pcmFloat = 5;
}  // namespace SoundFormat

namespace Resampler {
constexpr int linear = 1;
}

// playSound's channel index asking for any free channel.
constexpr int channelFree = -1;

// The layer's version number: 0xAAAABBCC, major, minor, release.
constexpr unsigned version = 0x00010000;

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

}  // namespace SoundLayer
