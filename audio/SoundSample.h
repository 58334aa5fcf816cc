// One sound made by the sound system from a file: its decoded data (shared with every other sound of
// the same file), its mode and its 3D distances. Released with release(), which stops its plays.
#pragma once

#include <memory>
#include <string>

#include "audio/SoundLayer.h"

namespace SoundLayer {

class System;
struct DecodedData;

class Sample {
public:
    Sample(const Sample&) = delete;
    Sample& operator=(const Sample&) = delete;

    // Distances of the linear roll-off: full volume up to min, silence from max on.
    Result set3DMinMaxDistance(float minDistance, float maxDistance);
    Result get3DMinMaxDistance(float* minDistance, float* maxDistance) const;
    Result getMode(unsigned* mode) const;
    // Length of one pass in milliseconds.
    Result getLength(unsigned* milliseconds) const;
    // Stops every play of this sound and frees it; the decoded data goes with the last sound of its file.
    Result release();

    const std::string& getPath() const { return path; }

private:
    friend class System;
    friend class Channel;
    Sample() = default;
    ~Sample();

    System* system = nullptr;  // null once the system was released
    std::shared_ptr<DecodedData> data;
    std::string path;
    unsigned mode = 0;
    float minDistance = 1.0f;
    float maxDistance = 10000.0f;
};

}  // namespace SoundLayer
