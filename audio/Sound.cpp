// Sound records, loading through the sound system and playing, pausing and stopping the latest play.
#include "audio/Sound.h"

#include <iostream>

#include "audio/SoundSystem.h"
#include "core/FileLookup.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"

SoundLayer::System* fmodSystem = nullptr;

namespace {

const auto& soundType = registerType<Sound>("Sound");

// Creation modes: every sound is decoded whole at load, never streamed during play.
constexpr unsigned flatMode = SoundLayer::Mode::createCompressedSample;
constexpr unsigned placedMode = SoundLayer::Mode::threeD | SoundLayer::Mode::software |
                                SoundLayer::Mode::createCompressedSample | SoundLayer::Mode::linearRolloff;

// The keys of the two groups of a version-1 record.
bool isGroupKey(const std::string& token, bool positionGroup) {
    if (positionGroup) return token == "xPos" || token == "yPos" || token == "zPos" || token == "spread";
    return token == "filename" || token == "positioned" || token == "volume" || token == "loop";
}

bool isValueToken(const std::string& token) {
    return isNumberToken(token) || isValueDirective(token);
}

// Whether the next tokens are a position group: one of its keys followed by a value. A resource named
// like a key ("spread") is followed by its class instead.
bool positionGroupFollows(BaseInStream& in) {
    std::string key;
    if (!nextToken(in, key)) return false;
    std::string value;
    const bool found = nextToken(in, value);
    if (found) in.unget(value);
    in.unget(key);
    return isGroupKey(key, true) && found && isValueToken(value);
}

// A number field: a word where the number belongs (`volume loud`) is reported and leaves the field as
// it was, where the plain conversion would make it 0.
void readNumber(BaseInStream& in, const std::string& key, float& value) {
    std::string token;
    if (!nextToken(in, token)) return;
    if (isValueToken(token)) {
        in.unget(token);
        readValue(in, value);
        return;
    }
    in.warn("key \"" + key + "\" of a Sound record holds \"" + token + "\" where a number belongs; it is left as it was");
}

constexpr float minDistance = 1.0f;
constexpr float maxDistance = 10000.0f;

const char* describe(SoundLayer::Result result) {
    switch (result) {
    case SoundLayer::Result::fileNotFound:
        return "the file was not found";
    case SoundLayer::Result::badFile:
        return "the file could not be decoded";
    default:
        return "the sound system refused it";
    }
}

}  // namespace

Sound::Sound() = default;

Sound::Sound(const Sound& other)
    : Resource(other),
      position(other.position),
      volume(other.volume),
      spread(other.spread),
      positioned(other.positioned),
      loop(other.loop),
      sound(other.sound) {}

Sound& Sound::operator=(const Sound& other) {
    if (this == &other) return *this;
    SoundLayer::Sample* previous = sound;
    if (shareFrom(other) && previous) previous->release();
    position = other.position;
    volume = other.volume;
    spread = other.spread;
    positioned = other.positioned;
    loop = other.loop;
    sound = other.sound;
    channel.clear();
    return *this;
}

Sound::~Sound() { releaseSound(); }

void Sound::releaseSound() {
    if (release() && sound) sound->release();
    sound = nullptr;
}

Sound* Sound::clone() const { return new Sound(*this); }

void Sound::load(const std::string& fileName) {
    if (fileName.empty()) {
        std::cerr << "error: a sound record names no file; the sound stays silent" << std::endl;
        return;
    }
    if (!fmodSystem) return;  // no sound system: every sound is silent
    std::string path;
    findFile(fileName, path);
    unsigned mode = positioned ? placedMode : flatMode;
    if (loop) mode |= SoundLayer::Mode::loopNormal;
    SoundLayer::Sample* created = nullptr;
    const SoundLayer::Result result = fmodSystem->createSound(path, mode, nullptr, &created);
    if (result != SoundLayer::Result::ok || !created) {
        if (result != SoundLayer::Result::notInitialized)
            std::cerr << "error: sound file \"" << fileName << "\" cannot be played: " << describe(result) << std::endl;
        return;
    }
    // A record read again replaces the sound only for this group of copies.
    if (sound && useCount() == 1) sound->release();
    sound = created;
    sound->set3DMinMaxDistance(minDistance, maxDistance);
}

void Sound::play(Vector4 where) {
    if (!fmodSystem) {
        channel.clear();
        return;
    }
    fmodSystem->playSound(SoundLayer::channelFree, sound, true, &channel);
    channel.setVolume(volume);
    if (positioned) {
        const SoundLayer::Vector3 place{where.x(), where.y(), where.z()};
        const SoundLayer::Vector3 still;
        channel.set3DAttributes(&place, &still);
        channel.set3DSpread(spread);
    }
    channel.setPaused(false);
}

void Sound::playAtOwnPosition() { play(position); }

void Sound::togglePause() {
    if (!channel.isSet()) return;
    bool paused = false;
    channel.getPaused(&paused);
    channel.setPaused(!paused);
}

void Sound::stop() {
    if (!channel.isSet()) return;
    bool playing = false;
    channel.isPlaying(&playing);
    if (playing) {
        channel.stop();
        channel.clear();
    }
}

bool Sound::isPlaying() const {
    bool playing = false;
    channel.isPlaying(&playing);
    return playing;
}

// One group of a version-1 record: keys in any order until "end". A key the group does not know is
// reported and stepped over with its value by the shared skip. A position group that is not there at
// all (it does not start with one of its keys and a value) is reported and left to the next reader.
void Sound::readGroup(BaseInStream& in, bool positionGroup, Vector4& place, std::string& fileName) {
    std::string token;
    if (positionGroup && !positionGroupFollows(in)) {
        // An empty group keeps the defaults.
        if (nextToken(in, token) && token == "end") return;
        in.unget(token);
        in.warn("a positioned Sound record has no position group (found \"" + token + "\")");
        return;
    }
    float x = place.x(), y = place.y(), z = place.z();
    while (true) {
        if (!nextToken(in, token)) {
            in.warn("a Sound record ends before its \"end\"");
            break;
        }
        if (token == "end") break;
        const bool known = isGroupKey(token, positionGroup);
        // A key right before "end" or another key of its group has no value: taking that token as its
        // value would carry the reading on into the records after this one.
        std::string next;
        if (nextToken(in, next)) in.unget(next);
        if (next == "end" || isGroupKey(next, positionGroup))
            in.warn("key \"" + token + "\" of a Sound record has no value; it is skipped");
        else if (!known)
            skipUnknownKey(in, token);
        else if (token == "filename")
            readValue(in, fileName);
        else if (token == "positioned")
            readValue(in, positioned);
        else if (token == "volume")
            readNumber(in, token, volume);
        else if (token == "loop")
            readValue(in, loop);
        else if (token == "xPos")
            readNumber(in, token, x);
        else if (token == "yPos")
            readNumber(in, token, y);
        else if (token == "zPos")
            readNumber(in, token, z);
        else
            readNumber(in, token, spread);
        if (in.hasFailed()) break;
    }
    place = Vector4(x, y, z, place.w());
}

void Sound::read(BaseInStream& in, int version) {
    std::string fileName;
    Vector4 place;
    if (version == 0) {
        readValue(in, fileName);
        readValue(in, positioned);
        readValue(in, volume);
        readValue(in, loop);
        if (positioned) {
            float x = 0.0f, y = 0.0f, z = 0.0f;
            readValue(in, x);
            readValue(in, y);
            readValue(in, z);
            readValue(in, spread);
            place = Vector4(x, y, z, 0.0f);
        }
    } else {
        readGroup(in, false, place, fileName);
        // A 2D sound has no place: a position group it carries is read and ignored.
        if (!positioned && positionGroupFollows(in)) {
            in.warn("a Sound record that is not positioned has a position group; it is ignored");
            Vector4 ignoredPlace;
            const float keptSpread = spread;
            readGroup(in, true, ignoredPlace, fileName);
            spread = keptSpread;
        }
        if (positioned && !in.hasFailed()) readGroup(in, true, place, fileName);
    }
    if (positioned) position = Vector4(place.x(), place.y(), place.z(), 1.0f);
    load(fileName);
}
