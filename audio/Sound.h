// A sound of the game: a resource naming one sound file, played in 2D or at a place in the world.
// Copies share one sound of the sound system; each play takes a channel of its own, and the object
// remembers the channel of its latest play.
#pragma once

#include <string>

#include "audio/SoundChannel.h"
#include "core/Vector4.h"
#include "engine/Resource.h"

class BaseInStream;

namespace SoundLayer {
class Sample;
class System;
}  // namespace SoundLayer

// The game's one sound system: made by Audio::initializeSystem, gone after the shutdown message.
// Every call on a missing system, sound or channel does nothing.
extern SoundLayer::System* fmodSystem;

class alignas(16) Sound : public Resource {
public:
    Sound();
    // Shares the other's sound; the copy has no channel of its own yet.
    Sound(const Sound& other);
    Sound& operator=(const Sound& other);
    // The last copy releases the system's sound (which stops its plays); other copies never stop one.
    ~Sound() override;

    Sound* clone() const override;
    virtual int getVersion() const { return 1; }
    // Plays on a new channel at the position (x, y, z are used; a 2D sound ignores them).
    virtual void play(Vector4 where);
    virtual void playAtOwnPosition();
    // Pauses the latest play when it runs, resumes it when paused.
    virtual void togglePause();
    // Stops the latest play when it is still playing, and forgets its channel.
    virtual void stop();

    // Makes the system's sound from the file (found like every data file). A file that is missing or
    // cannot be decoded is reported in one line naming it, and the Sound then plays nothing.
    void load(const std::string& fileName);

    // The record of a resource file. Version 1: group one ("filename", "positioned", "volume",
    // "loop", in any order, closed by "end"), then for a positioned sound group two ("xPos", "yPos",
    // "zPos", "spread", closed by "end"). Version 0: the same values bare, in that order.
    void read(BaseInStream& in, int version);

    bool isLoaded() const { return sound != nullptr; }
    bool hasChannel() const { return channel.isSet(); }
    // Whether the latest play is still going (paused counts as going).
    bool isPlaying() const;

    Vector4 position;         // (x, y, z, 1) once a positioned record is read
    float volume = 0.0f;      // channel volume of every play
    float spread = 0.0f;      // 3D spread of every positioned play, degrees
    bool positioned = false;  // a 3D sound placed in the world
    bool loop = false;
    SoundLayer::Channel channel;          // the latest play; never copied
    SoundLayer::Sample* sound = nullptr;  // shared by all copies

private:
    void readGroup(BaseInStream& in, bool positionGroup, Vector4& place, std::string& fileName);
    void releaseSound();
};
