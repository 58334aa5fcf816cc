// The sound system of the game's sound layer: one output device (OpenAL Soft), a 3D listener, a pool
// of channels and the sounds made from files (decoded by libsndfile, once per file). With no device,
// or when the output cannot be started, it runs silently: every call still works and plays still end
// when their sound would have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundChannel.h"
#include "audio/SoundLayer.h"
#include "audio/SoundSample.h"

namespace SoundLayer {

struct DecodedData;

class System {
public:
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    Result getVersion(unsigned* result) const;
    // Output devices OpenAL lists (0 once the output was set to "no sound").
    Result getNumDrivers(int* count) const;
    // Capability bits and the speaker mode the driver asks for; any pointer may be null.
    Result getDriverCaps(int driver, unsigned* caps, int* minFrequency, int* maxFrequency, int* speakerMode) const;
    Result getDriverInfo(int driver, char* name, int nameLength) const;
    // Before init: OutputType::noSound makes the system silent.
    Result setOutput(int output);
    Result setSpeakerMode(int mode);
    Result setDSPBufferSize(unsigned bufferLength, int bufferCount);
    Result setSoftwareFormat(int sampleRate, int format, int outputChannels, int maxInputChannels, int resampler);
    // Opens the output with up to maxChannels plays at once. outputRefused when the output took the
    // device but not the speaker mode (set stereo and call again); outputFailed, after one line on
    // standard error, when there is no output at all: the system then runs silently.
    Result init(int maxChannels, unsigned flags, void* extraDriverData);
    // Doppler strength, world units per metre (the speed of sound scales with it) and roll-off scale.
    Result set3DSettings(float dopplerScale, float distanceFactor, float rolloffScale);
    Result get3DSettings(float* dopplerScale, float* distanceFactor, float* rolloffScale) const;
    Result set3DListenerAttributes(int listener, const Vector3* position, const Vector3* velocity,
                                   const Vector3* forward, const Vector3* up);
    Result get3DListenerAttributes(int listener, Vector3* position, Vector3* velocity, Vector3* forward,
                                   Vector3* up) const;
    // Once a frame: frees the channels whose plays have ended.
    Result update();
    // Stops everything and closes the output; sounds made before stay valid handles but play nothing.
    Result close();
    // Closes, then frees the system; sounds still held no longer reach it.
    Result release();

    // A sound from a file (its full path). Decoded data is shared by every sound of the same file and
    // mode: 3D sounds are mixed down to one channel.
    Result createSound(const std::string& path, unsigned mode, void* extraInfo, Sample** sound);
    // Starts the sound on a free channel (or the oldest one when all are taken), paused when asked.
    Result playSound(int channelIndex, Sample* sound, bool paused, Channel* channel);

    // --- Not part of the device calls: what tests and benchmarks look at ---
    bool isSilent() const { return silent; }
    bool isInitialized() const { return initialized; }
    int getOutput() const { return output; }
    // Decoded files held now, and their bytes of sample data.
    std::size_t decodedFileCount() const;
    std::size_t decodedBytes() const;
    // Channels taken by plays that have not ended yet.
    int activeChannelCount() const;

private:
    friend Result systemCreate(System** system);
    friend class Channel;
    friend class Sample;

    struct Slot;

    System();
    ~System();

    static System* fromSerial(std::uint32_t serial);
    Slot* findSlot(const Channel& channel);
    const Slot* findSlot(const Channel& channel) const;
    // Whether the slot's play has ended (and frees it when so).
    bool reclaimIfEnded(Slot& slot);
    void freeSlot(Slot& slot);
    void applyPosition(Slot& slot);
    void stopSoundPlays(Sample* sound);
    void forgetSample(Sample* sound);
    double now() const;
    Vector3 toOutput(const Vector3& v) const;

    std::uint32_t serial = 0;
    int output = OutputType::autoDetect;
    int speakerMode = SpeakerMode::stereo;
    bool initialized = false;
    bool silent = false;
    bool rightHanded = true;
    void* device = nullptr;
    void* context = nullptr;
    float dopplerScale = 1.0f;
    float distanceFactor = 1.0f;
    float rolloffScale = 1.0f;
    Vector3 listenerPosition, listenerVelocity;
    Vector3 listenerForward{0.0f, 0.0f, 1.0f};
    Vector3 listenerUp{0.0f, 1.0f, 0.0f};
    int maxChannels = 0;
    std::vector<Slot> slots;
    std::uint64_t playCounter = 0;
    std::map<std::string, std::weak_ptr<DecodedData>> decoded;
    std::vector<Sample*> samples;
};

// Makes a new system (not yet started).
Result systemCreate(System** system);

}  // namespace SoundLayer
