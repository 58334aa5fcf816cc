// Music and 3D sound of a level or screen: a state component that keeps the sound system's listener
// on the hero and the camera, plays its playlist one track after another with a wait between them,
// lowers the music while the game is paused, follows the hero's size and honours the "muted" setting.
// Its static half starts the sound system with the program and closes it on the shutdown message.
#pragma once

#include <string>
#include <vector>

#include "audio/Sound.h"
#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"

class BaseInStream;
class BaseOutStream;
class PauseMessage;
class SizeChangeMessage;

class alignas(16) Audio : public GameStateComponent, public EventHandler {
public:
    // Lives from start-up to the shutdown message, on which it closes the sound system and deletes itself.
    class AudioEventHandler : public EventHandler {
    public:
        AudioEventHandler();
        ~AudioEventHandler() override;
    };

    // Music volume while the game is paused.
    static constexpr float duckedVolume = 0.1f;

    Audio();
    // Playlist, position in it, music (sharing its sound, without its channel), countdown and wait;
    // the copy has no registrations until initialised.
    Audio(const Audio& other);
    Audio& operator=(const Audio&) = delete;
    ~Audio() override;

    GameStateComponent* clone() const override;
    int getVersion() const override { return 0; }
    // The "GameStateComponent" part, then "waitTime" and "playlist" in either order.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Follows size changes (18) and pauses (26) in the owning state.
    void initialize() override;
    void update(float dt) override;
    void unload() override;

    // Starts the sound system (once, before any sound is loaded); runs silently without a device.
    static void initializeSystem();
    // Closes and frees the sound system.
    static void shutdownSystem(Message& message);

    // Plays the playlist entry at playlistIndex (clamped into the list) unless muted.
    void playPlaylistEntry();
    // Mute on: stops the music. Mute off: plays the current entry from its start. Acts on the
    // "muted" setting (not saved here), so it works between tracks as well as during one.
    void toggleMute();
    void stopMusic();
    void onSizeChange(SizeChangeMessage& message);
    void onPause(PauseMessage& message);

    bool isMusicPlaying() const;
    // The "muted" setting; an absent one is added as false.
    static bool& muted();

    std::vector<std::string> playlist;  // resource names of the music Sounds
    int entryCount = 0;                 // playlist size when it was read
    int playlistIndex = -1;             // the entry playing or last played
    Sound music;                        // copy of the current entry; its channel is the music channel
    float countdown = 0.0f;             // seconds left before the next entry starts
    float waitTime = 10.0f;             // seconds of silence between tracks
};
