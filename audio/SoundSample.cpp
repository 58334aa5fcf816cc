// Sounds made by the sound system: distances, mode, length and release.
#include "audio/SoundSample.h"

#include <cmath>

#include "audio/SoundSlots.h"

namespace SoundLayer {

Sample::~Sample() = default;

Result Sample::set3DMinMaxDistance(float minimum, float maximum) {
    if (!(minimum >= 0.0f) || !(maximum >= minimum)) return Result::invalidHandle;
    minDistance = minimum;
    maxDistance = maximum;
    return Result::ok;
}

Result Sample::get3DMinMaxDistance(float* minimum, float* maximum) const {
    if (minimum) *minimum = minDistance;
    if (maximum) *maximum = maxDistance;
    return Result::ok;
}

Result Sample::getMode(unsigned* result) const {
    if (result) *result = mode;
    return Result::ok;
}

Result Sample::getLength(unsigned* milliseconds) const {
    if (milliseconds) *milliseconds = data ? static_cast<unsigned>(std::lround(data->seconds * 1000.0)) : 0u;
    return Result::ok;
}

Result Sample::release() {
    if (system) {
        system->stopSoundPlays(this);
        system->forgetSample(this);
    }
    delete this;
    return Result::ok;
}

}  // namespace SoundLayer
