// The sound system over OpenAL Soft: device start-up with its silent fallback, the listener, the
// channel pool with generation-counted handles, and sounds decoded once per file by libsndfile.
#include "audio/SoundSystem.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "audio/SoundSlots.h"

namespace SoundLayer {

namespace {

std::vector<System*>& liveSystems() {
    static std::vector<System*> systems;
    return systems;
}

std::uint32_t nextSerial = 1;

constexpr float speedOfSound = 343.3f;


// Probing for a device makes the sound libraries below OpenAL write lines of their own to standard
// error when there is none (ALSA does so for every missing card). The game explains a missing device
// in one line itself, so their output is dropped while probing, unless OpenAL's log was asked for.
class QuietStandardError {
public:
    QuietStandardError() {
        if (std::getenv("ALSOFT_LOGLEVEL")) return;
        std::cerr.flush();
        saved = ::dup(STDERR_FILENO);
        const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved < 0 || nothing < 0 || ::dup2(nothing, STDERR_FILENO) < 0) restore();
        if (nothing >= 0) ::close(nothing);
    }
    ~QuietStandardError() { restore(); }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    void restore() {
        if (saved < 0) return;
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        saved = -1;
    }
    int saved = -1;
};

// The device names OpenAL lists, in order.
std::vector<std::string> listDevices() {
    QuietStandardError quiet;
    const ALCchar* list = nullptr;
    if (alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE)
        list = alcGetString(nullptr, ALC_ALL_DEVICES_SPECIFIER);
    if (!list) list = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
    std::vector<std::string> names;
    while (list && *list) {
        names.emplace_back(list);
        list += std::strlen(list) + 1;
    }
    return names;
}

// Decodes a whole file to 16-bit samples; mono when asked, and always for more than two channels
// (OpenAL's plain formats carry one or two).
Result decodeFile(const std::string& path, bool mono, std::vector<short>& samples, int& channels, int& rate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error) ? Result::badFile : Result::fileNotFound;
    }
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0 || info.frames > (1LL << 31) / info.channels) {
        sf_close(file);
        return Result::badFile;
    }
    std::vector<short> interleaved(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t frames = sf_readf_short(file, interleaved.data(), info.frames);
    sf_close(file);
    if (frames <= 0) return Result::badFile;
    interleaved.resize(static_cast<std::size_t>(frames) * static_cast<std::size_t>(info.channels));
    rate = info.samplerate;
    if (info.channels == 1 || (info.channels == 2 && !mono)) {
        channels = info.channels;
        samples.swap(interleaved);
        return Result::ok;
    }
    channels = 1;
    samples.resize(static_cast<std::size_t>(frames));
    for (sf_count_t f = 0; f < frames; ++f) {
        long sum = 0;
        for (int c = 0; c < info.channels; ++c) sum += interleaved[static_cast<std::size_t>(f * info.channels + c)];
        samples[static_cast<std::size_t>(f)] = static_cast<short>(sum / info.channels);
    }
    return Result::ok;
}

}  // namespace

bool hasSourceRadius() {
    static const bool present = alIsExtensionPresent("AL_EXT_SOURCE_RADIUS") == AL_TRUE;
    return present;
}

Result systemCreate(System** system) {
    if (!system) return Result::invalidHandle;
    *system = new System();
    return Result::ok;
}

System::System() : serial(nextSerial++) { liveSystems().push_back(this); }

System::~System() {
    auto& systems = liveSystems();
    systems.erase(std::remove(systems.begin(), systems.end(), this), systems.end());
}

System* System::fromSerial(std::uint32_t serial) {
    if (serial == 0) return nullptr;
    for (System* system : liveSystems())
        if (system->serial == serial) return system;
    return nullptr;
}

double System::now() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Vector3 System::toOutput(const Vector3& v) const {
    // OpenAL is right-handed; a left-handed world turns z round.
    return rightHanded ? v : Vector3{v.x, v.y, -v.z};
}

Result System::getVersion(unsigned* result) const {
    if (result) *result = SoundLayer::version;
    return Result::ok;
}

Result System::getNumDrivers(int* count) const {
    if (!count) return Result::invalidHandle;
    *count = output == OutputType::noSound ? 0 : static_cast<int>(listDevices().size());
    return Result::ok;
}

Result System::getDriverCaps(int driver, unsigned* caps, int* minFrequency, int* maxFrequency,
                             int* speakerModeOut) const {
    if (caps) *caps = 0;  // OpenAL Soft mixes in software, with no emulation penalty to work round
    if (minFrequency) *minFrequency = 8000;
    if (maxFrequency) *maxFrequency = 192000;
    if (speakerModeOut) *speakerModeOut = SpeakerMode::stereo;
    return driver == 0 ? Result::ok : Result::invalidHandle;
}

Result System::getDriverInfo(int driver, char* name, int nameLength) const {
    if (!name || nameLength <= 0) return Result::invalidHandle;
    name[0] = '\0';
    const std::vector<std::string> devices = listDevices();
    if (driver < 0 || driver >= static_cast<int>(devices.size())) return Result::invalidHandle;
    std::strncpy(name, devices[static_cast<std::size_t>(driver)].c_str(), static_cast<std::size_t>(nameLength) - 1);
    name[nameLength - 1] = '\0';
    return Result::ok;
}

Result System::setOutput(int newOutput) {
    if (initialized) return Result::ok;
    output = newOutput;
    return Result::ok;
}

Result System::setSpeakerMode(int mode) {
    speakerMode = mode;
    return Result::ok;
}

// OpenAL Soft chooses its own mixing buffers and format (see its configuration file).
Result System::setDSPBufferSize(unsigned, int) { return Result::ok; }
Result System::setSoftwareFormat(int, int, int, int, int) { return Result::ok; }

Result System::init(int channelCount, unsigned flags, void*) {
    if (initialized) return Result::ok;
    maxChannels = std::clamp(channelCount, 1, 4095);
    rightHanded = (flags & InitFlag::rightHanded3D) != 0;
    auto startSilent = [this](const char* why) {
        std::cerr << "sound: " << why << "; the game runs without sound" << std::endl;
        silent = true;
        initialized = true;
        slots.assign(static_cast<std::size_t>(maxChannels), Slot());
    };
    if (output == OutputType::noSound) {
        startSilent("no audio device");
        return Result::ok;
    }
    ALCdevice* openedDevice = nullptr;
    {
        QuietStandardError quiet;
        openedDevice = alcOpenDevice(nullptr);
    }
    if (!openedDevice) {
        startSilent("the audio device could not be opened");
        return Result::outputFailed;
    }
    ALCcontext* createdContext = alcCreateContext(openedDevice, nullptr);
    if (!createdContext || alcMakeContextCurrent(createdContext) != ALC_TRUE) {
        if (createdContext) alcDestroyContext(createdContext);
        alcCloseDevice(openedDevice);
        if (speakerMode != SpeakerMode::stereo) return Result::outputRefused;
        startSilent("the audio output could not be started");
        return Result::outputFailed;
    }
    device = openedDevice;
    context = createdContext;
    silent = false;
    initialized = true;
    slots.assign(static_cast<std::size_t>(maxChannels), Slot());
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
    set3DSettings(dopplerScale, distanceFactor, rolloffScale);
    set3DListenerAttributes(0, &listenerPosition, &listenerVelocity, &listenerForward, &listenerUp);
    return Result::ok;
}

Result System::set3DSettings(float doppler, float distance, float rolloff) {
    dopplerScale = doppler;
    if (distance > 0.0f && std::isfinite(distance)) distanceFactor = distance;
    rolloffScale = rolloff;
    if (!initialized || silent) return Result::ok;
    alDopplerFactor(std::max(dopplerScale, 0.0f));
    alSpeedOfSound(speedOfSound * distanceFactor);
    for (Slot& slot : slots)
        if (slot.active && slot.threeD) alSourcef(slot.source, AL_ROLLOFF_FACTOR, std::max(rolloffScale, 0.0f));
    return Result::ok;
}

Result System::get3DSettings(float* doppler, float* distance, float* rolloff) const {
    if (doppler) *doppler = dopplerScale;
    if (distance) *distance = distanceFactor;
    if (rolloff) *rolloff = rolloffScale;
    return Result::ok;
}

Result System::set3DListenerAttributes(int listener, const Vector3* position, const Vector3* velocity,
                                       const Vector3* forward, const Vector3* up) {
    if (listener != 0) return Result::invalidHandle;
    if (position) listenerPosition = *position;
    if (velocity) listenerVelocity = *velocity;
    if (forward) listenerForward = *forward;
    if (up) listenerUp = *up;
    if (!initialized || silent) return Result::ok;
    const Vector3 p = toOutput(listenerPosition);
    const Vector3 v = toOutput(listenerVelocity);
    const Vector3 f = toOutput(listenerForward);
    const Vector3 u = toOutput(listenerUp);
    alListener3f(AL_POSITION, p.x, p.y, p.z);
    alListener3f(AL_VELOCITY, v.x, v.y, v.z);
    const ALfloat orientation[6] = {f.x, f.y, f.z, u.x, u.y, u.z};
    alListenerfv(AL_ORIENTATION, orientation);
    return Result::ok;
}

Result System::get3DListenerAttributes(int listener, Vector3* position, Vector3* velocity, Vector3* forward,
                                       Vector3* up) const {
    if (listener != 0) return Result::invalidHandle;
    if (position) *position = listenerPosition;
    if (velocity) *velocity = listenerVelocity;
    if (forward) *forward = listenerForward;
    if (up) *up = listenerUp;
    return Result::ok;
}

Result System::update() {
    if (!initialized) return Result::notInitialized;
    for (Slot& slot : slots)
        if (slot.active) reclaimIfEnded(slot);
    return Result::ok;
}

Result System::close() {
    if (!initialized) return Result::ok;
    for (Slot& slot : slots) {
        if (slot.active) freeSlot(slot);
        if (slot.source != 0) alDeleteSources(1, &slot.source);
        slot.source = 0;
    }
    for (auto& [key, weak] : decoded)
        if (auto data = weak.lock(); data && data->buffer != 0) {
            alDeleteBuffers(1, &data->buffer);
            data->buffer = 0;
        }
    if (context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(static_cast<ALCcontext*>(context));
    }
    if (device) alcCloseDevice(static_cast<ALCdevice*>(device));
    context = nullptr;
    device = nullptr;
    initialized = false;
    return Result::ok;
}

Result System::release() {
    close();
    for (Sample* sample : samples) sample->system = nullptr;
    samples.clear();
    delete this;
    return Result::ok;
}

Result System::createSound(const std::string& path, unsigned mode, void*, Sample** sound) {
    if (!sound) return Result::invalidHandle;
    *sound = nullptr;
    if (!initialized) return Result::notInitialized;
    const bool threeD = (mode & Mode::threeD) != 0;
    const std::string key = path + (threeD ? "\n3d" : "\n2d");
    std::shared_ptr<DecodedData> data;
    if (auto found = decoded.find(key); found != decoded.end()) data = found->second.lock();
    if (!data) {
        std::vector<short> pcm;
        int channels = 0;
        int rate = 0;
        const Result result = decodeFile(path, threeD, pcm, channels, rate);
        if (result != Result::ok) return result;
        data = std::make_shared<DecodedData>();
        data->channels = channels;
        data->rate = rate;
        data->seconds = static_cast<double>(pcm.size() / static_cast<std::size_t>(channels)) / rate;
        if (!silent) {
            alGetError();
            alGenBuffers(1, &data->buffer);
            alBufferData(data->buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, pcm.data(),
                         static_cast<ALsizei>(pcm.size() * sizeof(short)), rate);
            if (alGetError() != AL_NO_ERROR) return Result::badFile;  // the buffer goes with data
            data->bytes = pcm.size() * sizeof(short);
        }
        decoded[key] = data;
    }
    Sample* sample = new Sample();
    sample->system = this;
    sample->data = std::move(data);
    sample->path = path;
    sample->mode = mode;
    samples.push_back(sample);
    *sound = sample;
    return Result::ok;
}

Result System::playSound(int channelIndex, Sample* sound, bool paused, Channel* channel) {
    if (channel) channel->clear();
    if (!initialized) return Result::notInitialized;
    if (!sound || sound->system != this || !sound->data) return Result::invalidHandle;

    Slot* slot = nullptr;
    if (channelIndex >= 0 && channelIndex < maxChannels) {
        slot = &slots[static_cast<std::size_t>(channelIndex)];
    } else {
        for (Slot& candidate : slots)
            if (!candidate.active || reclaimIfEnded(candidate)) {
                slot = &candidate;
                break;
            }
        if (!slot)
            slot = &*std::min_element(slots.begin(), slots.end(),
                                      [](const Slot& a, const Slot& b) { return a.order < b.order; });
    }
    if (slot->active) freeSlot(*slot);
    if (!silent && slot->source == 0) {
        alGetError();
        alGenSources(1, &slot->source);
        if (alGetError() != AL_NO_ERROR) {
            slot->source = 0;
            return Result::noFreeChannel;
        }
    }

    slot->active = true;
    slot->paused = paused;
    slot->started = false;
    slot->loop = (sound->mode & Mode::loopNormal) != 0;
    slot->threeD = (sound->mode & Mode::threeD) != 0;
    slot->sample = sound;
    slot->data = sound->data;
    slot->volume = 1.0f;
    slot->spread = 0.0f;
    slot->position = Vector3();
    slot->velocity = Vector3();
    slot->order = ++playCounter;
    slot->playedBefore = 0.0;
    slot->runStart = now();

    if (!silent) {
        const unsigned source = slot->source;
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, static_cast<ALint>(slot->data->buffer));
        alSourcei(source, AL_LOOPING, slot->loop ? AL_TRUE : AL_FALSE);
        alSourcef(source, AL_GAIN, 1.0f);
        alSourcef(source, AL_PITCH, 1.0f);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
        if (hasSourceRadius()) alSourcef(source, AL_SOURCE_RADIUS, 0.0f);
        if (slot->threeD) {
            alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
            alSourcef(source, AL_REFERENCE_DISTANCE, sound->minDistance);
            alSourcef(source, AL_MAX_DISTANCE, sound->maxDistance);
            alSourcef(source, AL_ROLLOFF_FACTOR, std::max(rolloffScale, 0.0f));
        } else {
            alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        }
        if (!paused) {
            alSourcePlay(source);
            slot->started = true;
        }
    }
    if (channel)
        *channel = Channel(serial, static_cast<std::uint32_t>(slot - slots.data()), slot->generation);
    return Result::ok;
}

std::size_t System::decodedFileCount() const {
    std::size_t count = 0;
    for (const auto& [key, weak] : decoded)
        if (!weak.expired()) ++count;
    return count;
}

std::size_t System::decodedBytes() const {
    std::size_t bytes = 0;
    for (const auto& [key, weak] : decoded)
        if (auto data = weak.lock()) bytes += data->bytes;
    return bytes;
}

int System::activeChannelCount() const {
    int count = 0;
    for (const Slot& slot : slots)
        if (slot.active) ++count;
    return count;
}

System::Slot* System::findSlot(const Channel& channel) {
    if (channel.slot >= slots.size()) return nullptr;
    Slot& slot = slots[channel.slot];
    if (!slot.active || slot.generation != channel.generation) return nullptr;
    if (reclaimIfEnded(slot)) return nullptr;
    return &slot;
}

const System::Slot* System::findSlot(const Channel& channel) const {
    return const_cast<System*>(this)->findSlot(channel);
}

bool System::reclaimIfEnded(Slot& slot) {
    if (!slot.active) return true;
    bool ended = false;
    if (silent) {
        const double played = slot.playedBefore + (slot.paused ? 0.0 : now() - slot.runStart);
        ended = !slot.loop && played >= slot.data->seconds;
    } else if (slot.started && !slot.paused) {
        ALint state = AL_STOPPED;
        alGetSourcei(slot.source, AL_SOURCE_STATE, &state);
        ended = state == AL_STOPPED || state == AL_INITIAL;
    }
    if (ended) freeSlot(slot);
    return ended;
}

void System::freeSlot(Slot& slot) {
    if (slot.source != 0) {
        alSourceStop(slot.source);
        alSourcei(slot.source, AL_BUFFER, 0);
    }
    slot.active = false;
    slot.paused = false;
    slot.started = false;
    slot.sample = nullptr;
    slot.data.reset();
    ++slot.generation;
}

void System::applyPosition(Slot& slot) {
    if (silent || !slot.threeD) return;
    const Vector3 p = toOutput(slot.position);
    const Vector3 v = toOutput(slot.velocity);
    alSource3f(slot.source, AL_POSITION, p.x, p.y, p.z);
    alSource3f(slot.source, AL_VELOCITY, v.x, v.y, v.z);
}

void System::stopSoundPlays(Sample* sound) {
    for (Slot& slot : slots)
        if (slot.active && slot.sample == sound) freeSlot(slot);
}

void System::forgetSample(Sample* sound) { samples.erase(std::remove(samples.begin(), samples.end(), sound), samples.end()); }

}  // namespace SoundLayer
