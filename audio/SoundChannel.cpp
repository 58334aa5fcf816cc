// Channel handles: every call finds its play through the system's slot table and its generation.
#include "audio/SoundChannel.h"

#include <algorithm>
#include <cmath>

#include "audio/SoundSlots.h"

namespace SoundLayer {

Result Channel::setVolume(float volume) {
    System* system = System::fromSerial(systemSerial);
    System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    slot->volume = volume;
    if (!system->silent) alSourcef(slot->source, AL_GAIN, std::max(volume, 0.0f));
    return Result::ok;
}

Result Channel::getVolume(float* volume) const {
    const System* system = System::fromSerial(systemSerial);
    const System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    if (volume) *volume = slot->volume;
    return Result::ok;
}

Result Channel::set3DAttributes(const Vector3* position, const Vector3* velocity) {
    System* system = System::fromSerial(systemSerial);
    System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    if (position) slot->position = *position;
    if (velocity) slot->velocity = *velocity;
    system->applyPosition(*slot);
    return Result::ok;
}

Result Channel::get3DAttributes(Vector3* position, Vector3* velocity) const {
    const System* system = System::fromSerial(systemSerial);
    const System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    if (position) *position = slot->position;
    if (velocity) *velocity = slot->velocity;
    return Result::ok;
}

Result Channel::set3DSpread(float angle) {
    System* system = System::fromSerial(systemSerial);
    System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    slot->spread = angle;
    if (!system->silent && slot->threeD && hasSourceRadius()) {
        // A spread sound seems as wide as that angle seen from its minimum distance.
        const float half = std::clamp(angle, 0.0f, 179.0f) * 0.5f * 3.14159265f / 180.0f;
        alSourcef(slot->source, AL_SOURCE_RADIUS, slot->sample->minDistance * std::tan(half));
    }
    return Result::ok;
}

Result Channel::get3DSpread(float* angle) const {
    const System* system = System::fromSerial(systemSerial);
    const System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    if (angle) *angle = slot->spread;
    return Result::ok;
}

Result Channel::setPaused(bool paused) {
    System* system = System::fromSerial(systemSerial);
    System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    if (paused == slot->paused) return Result::ok;
    if (system->silent) {
        const double time = system->now();
        if (paused)
            slot->playedBefore += time - slot->runStart;
        else
            slot->runStart = time;
        slot->paused = paused;
        return Result::ok;
    }
    if (paused) {
        if (slot->started) {
            alSourcePause(slot->source);
            ALint state = AL_STOPPED;
            alGetSourcei(slot->source, AL_SOURCE_STATE, &state);
            if (state == AL_STOPPED) {  // it ended just before the pause
                system->freeSlot(*slot);
                return Result::invalidHandle;
            }
        }
    } else {
        alSourcePlay(slot->source);
        slot->started = true;
    }
    slot->paused = paused;
    return Result::ok;
}

Result Channel::getPaused(bool* paused) const {
    const System* system = System::fromSerial(systemSerial);
    const System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    if (paused) *paused = slot->paused;
    return Result::ok;
}

Result Channel::isPlaying(bool* playing) const {
    const System* system = System::fromSerial(systemSerial);
    const System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (playing) *playing = slot != nullptr;
    return slot ? Result::ok : Result::invalidHandle;
}

Result Channel::stop() {
    System* system = System::fromSerial(systemSerial);
    System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (!slot) return Result::invalidHandle;
    system->freeSlot(*slot);
    return Result::ok;
}

Result Channel::getCurrentSound(Sample** sound) const {
    const System* system = System::fromSerial(systemSerial);
    const System::Slot* slot = system ? system->findSlot(*this) : nullptr;
    if (sound) *sound = slot ? slot->sample : nullptr;
    return slot ? Result::ok : Result::invalidHandle;
}

}  // namespace SoundLayer
