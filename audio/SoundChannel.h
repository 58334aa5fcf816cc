// A handle to one play of a sound. It names a channel slot and the generation of the play that took
// it, so a handle kept after its play has ended (or after the slot went to a newer play, or after the
// system was released) answers "not playing" and ignores every call instead of touching someone
// else's sound.
#pragma once

#include <cstdint>

#include "audio/SoundLayer.h"

namespace SoundLayer {

class Sample;
class System;

class Channel {
public:
    Channel() = default;

    Result setVolume(float volume);
    Result getVolume(float* volume) const;
    // Position and velocity in world units; null leaves that one as it was.
    Result set3DAttributes(const Vector3* position, const Vector3* velocity);
    Result get3DAttributes(Vector3* position, Vector3* velocity) const;
    // Speaker spread of the play in degrees (0-360); kept, and heard as the source's size.
    Result set3DSpread(float angle);
    Result get3DSpread(float* angle) const;
    Result setPaused(bool paused);
    Result getPaused(bool* paused) const;
    // True while the play has not ended (a paused play counts as playing). A stale handle sets false
    // and answers invalidHandle.
    Result isPlaying(bool* playing) const;
    Result stop();
    Result getCurrentSound(Sample** sound) const;

    // Whether the handle names a play at all (it may have ended since).
    bool isSet() const { return systemSerial != 0; }
    void clear() { *this = Channel(); }
    bool operator==(const Channel& other) const = default;

private:
    friend class System;
    Channel(std::uint32_t systemSerial, std::uint32_t slot, std::uint32_t generation)
        : systemSerial(systemSerial), slot(slot), generation(generation) {}

    std::uint32_t systemSerial = 0;
    std::uint32_t slot = 0;
    std::uint32_t generation = 0;
};

}  // namespace SoundLayer
