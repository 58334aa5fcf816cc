// The sound system's start-up and shut-down, and the Audio state component: listener, playlist,
// ducking while paused, size-dependent distance scale and mute.
#include "audio/Audio.h"

#include <algorithm>
#include <cstring>

#include "audio/SoundSystem.h"
#include "core/Configuration.h"
#include "core/Quaternion.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/GameplayMessages.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/PauseMessage.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"

namespace {

const auto& audioType = registerType<Audio>();

constexpr int channelCount = 100;
constexpr unsigned initFlags =
    SoundLayer::InitFlag::rightHanded3D | SoundLayer::InitFlag::softwareOcclusion | SoundLayer::InitFlag::softwareHrtf;
constexpr float dopplerScale = 0.2f;
constexpr float startDistanceFactor = 100.0f;
constexpr float rolloffScale = 1.0f;
// A playlist entry that does not start holds the list at least this long, so that a list of broken
// entries with no wait cannot try one every frame.
constexpr float failedEntryWait = 1.0f;

SoundLayer::Vector3 toVector3(Vector4 v) { return {v.x(), v.y(), v.z()}; }

const Field<Audio> audioFields[] = {
    field<&Audio::waitTime>("waitTime"),
    field<&Audio::playlist>("playlist"),
};

}  // namespace

Audio::AudioEventHandler::AudioEventHandler() {
    registerGlobalHandler<Message>(MessageType::Shutdown, this, [](AudioEventHandler& self, Message& message) {
        Audio::shutdownSystem(message);
        delete &self;
    });
}

Audio::AudioEventHandler::~AudioEventHandler() = default;

void Audio::initializeSystem() {
    if (fmodSystem) return;
    new AudioEventHandler;  // deletes itself on the shutdown message
    SoundLayer::systemCreate(&fmodSystem);
    unsigned version = 0;
    fmodSystem->getVersion(&version);
    int drivers = 0;
    fmodSystem->getNumDrivers(&drivers);
    if (drivers == 0) {
        fmodSystem->setOutput(SoundLayer::OutputType::noSound);
    } else {
        unsigned caps = 0;
        int speakerMode = SoundLayer::SpeakerMode::stereo;
        fmodSystem->getDriverCaps(0, &caps, nullptr, nullptr, &speakerMode);
        fmodSystem->setSpeakerMode(speakerMode);
        if (caps & SoundLayer::Caps::hardwareEmulated) fmodSystem->setDSPBufferSize(1024, 10);
        char name[256] = {};
        fmodSystem->getDriverInfo(0, name, sizeof name);
        // This driver family mixes badly at its own rate; float output at 48 kHz suits it.
        if (std::strstr(name, "SigmaTel"))
            fmodSystem->setSoftwareFormat(48000, SoundLayer::SoundFormat::pcmFloat, 0, 0, SoundLayer::Resampler::linear);
    }
    if (fmodSystem->init(channelCount, initFlags, nullptr) == SoundLayer::Result::outputRefused) {
        fmodSystem->setSpeakerMode(SoundLayer::SpeakerMode::stereo);
        fmodSystem->init(channelCount, initFlags, nullptr);
    }
    fmodSystem->set3DSettings(dopplerScale, startDistanceFactor, rolloffScale);
}

void Audio::shutdownSystem(Message&) {
    if (!fmodSystem) return;
    fmodSystem->close();
    fmodSystem->release();
    fmodSystem = nullptr;
}

Audio::Audio() = default;

Audio::Audio(const Audio& other)
    : GameStateComponent(other),
      EventHandler(other),
      playlist(other.playlist),
      entryCount(other.entryCount),
      playlistIndex(other.playlistIndex),
      music(other.music),
      countdown(other.countdown),
      waitTime(other.waitTime) {}

Audio::~Audio() = default;

GameStateComponent* Audio::clone() const { return new Audio(*this); }

void Audio::read(BaseInStream& in, int) {
    GameStateComponent::read(in, readBaseHeader(in));
    playlist.clear();
    readFields(in, *this, audioFields);
    entryCount = static_cast<int>(playlist.size());
}

void Audio::write(BaseOutStream& out, int) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, audioFields);
}

void Audio::initialize() {
    EventSystem* system = owner ? static_cast<EventSystem*>(owner) : currentEventSystem();
    EventHandler::registerHandler<SizeChangeMessage>(system, MessageType::SizeChange, this,
                                                     [](Audio& self, SizeChangeMessage& m) { self.onSizeChange(m); });
    EventHandler::registerHandler<PauseMessage>(system, MessageType::Pause, this,
                                                [](Audio& self, PauseMessage& m) { self.onPause(m); });
}

bool& Audio::muted() { return configuration.bools["muted"]; }

bool Audio::isMusicPlaying() const { return music.hasChannel() && music.isPlaying(); }

void Audio::update(float dt) {
    GameState* state = owner ? owner : currentGameState;
    if (fmodSystem && state) {
        Entity* hero = state->rootEntity;
        CameraComponent* camera = state->getComponents<CameraComponent>();
        if (hero && hero->body && camera) {
            const Quaternion q = camera->camera.getOrientation();
            const SoundLayer::Vector3 position = toVector3(hero->body->position);
            const SoundLayer::Vector3 velocity = toVector3(hero->body->velocity);
            const SoundLayer::Vector3 forward = toVector3(quaternionRotate(q, Vector4(0.0f, 0.0f, -1.0f, 0.0f)));
            const SoundLayer::Vector3 up = toVector3(quaternionRotate(q, Vector4(0.0f, 1.0f, 0.0f, 0.0f)));
            fmodSystem->set3DListenerAttributes(0, &position, &velocity, &forward, &up);
        }
        fmodSystem->update();
    }
    if (isMusicPlaying() || muted() || playlist.empty()) return;
    countdown -= dt;
    if (countdown <= 0.0f) {
        playlistIndex += 1;
        if (playlistIndex >= entryCount) playlistIndex = 0;
        playPlaylistEntry();
    }
}

void Audio::playPlaylistEntry() {
    music.stop();
    if (playlist.empty()) return;
    playlistIndex = std::clamp(playlistIndex, 0, static_cast<int>(playlist.size()) - 1);
    GameState* state = owner ? owner : currentGameState;
    if (!state) return;
    music = state->get<Sound>(playlist[static_cast<std::size_t>(playlistIndex)]);
    if (muted()) return;
    music.playAtOwnPosition();
    countdown = waitTime;
    if (!isMusicPlaying()) {
        countdown = std::max(waitTime, failedEntryWait);
        return;
    }
    if (state->paused) music.channel.setVolume(duckedVolume);
}

void Audio::toggleMute() {
    bool& setting = muted();
    if (!setting) {
        setting = true;
        music.stop();
    } else {
        setting = false;
        playPlaylistEntry();
    }
}

void Audio::stopMusic() { music.stop(); }

void Audio::unload() { stopMusic(); }

void Audio::onSizeChange(SizeChangeMessage& message) {
    if (fmodSystem) fmodSystem->set3DSettings(dopplerScale, message.newSize, rolloffScale);
}

void Audio::onPause(PauseMessage& message) {
    if (isMusicPlaying()) music.channel.setVolume(message.paused ? duckedVolume : 1.0f);
}
