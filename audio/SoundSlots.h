// The sound system's inner records, shared by the system, its channels and its sounds: the decoded
// data of one file and one channel slot. Only the sound layer's own sources include this.
#pragma once

#include <AL/al.h>
#include <AL/alext.h>

#include <cstdint>
#include <memory>

#include "audio/SoundSystem.h"

namespace SoundLayer {

// The samples of one file as the output holds them; shared by every sound made from that file.
struct DecodedData {
    unsigned buffer = 0;  // the OpenAL buffer; 0 while silent and once the output has closed
    double seconds = 0.0;
    std::size_t bytes = 0;
    int channels = 0;
    int rate = 0;

    ~DecodedData() {
        if (buffer != 0) alDeleteBuffers(1, &buffer);
    }
};

struct System::Slot {
    unsigned source = 0;           // the OpenAL source, made when the slot is first used
    std::uint32_t generation = 1;  // counts up whenever a play leaves the slot
    bool active = false;
    bool paused = false;
    bool started = false;  // the source was told to play at least once
    bool loop = false;
    bool threeD = false;
    Sample* sample = nullptr;
    std::shared_ptr<DecodedData> data;
    float volume = 1.0f;
    float spread = 0.0f;
    Vector3 position;
    Vector3 velocity;
    std::uint64_t order = 0;  // when the play began, for stealing the oldest
    // Silent plays keep time themselves: seconds played before the current run, and its start.
    double playedBefore = 0.0;
    double runStart = 0.0;
};

// Whether OpenAL can give a source a size (used for the 3D spread).
bool hasSourceRadius();

}  // namespace SoundLayer
