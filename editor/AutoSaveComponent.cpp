// Autosave: the countdown while editing, the rotation of slots and the file names.
#include "editor/AutoSaveComponent.h"

#include <climits>
#include <filesystem>

#include "core/Configuration.h"
#include "core/FileLookup.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"

namespace {

const auto& registeredType = registerType<AutoSaveComponent>();

// Seconds between saves; a setting of 0 or less still waits a second.
float autoSaveInterval() {
    const float interval = configuration.getFloat("autoSaveInterval", 120.0f);
    return interval > 0.0f ? interval : 1.0f;
}

}  // namespace

AutoSaveComponent::AutoSaveComponent() : timeToSave(autoSaveInterval()) {}

AutoSaveComponent::AutoSaveComponent(const AutoSaveComponent& other)
    : GameStateComponent(other), EventHandler(), timeToSave(other.timeToSave), numAutoSaves(other.numAutoSaves) {}

AutoSaveComponent::~AutoSaveComponent() = default;

GameStateComponent* AutoSaveComponent::clone() const { return new AutoSaveComponent(*this); }

void AutoSaveComponent::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    GameStateComponent::read(in, baseVersion);
    std::string key;
    while (readKey(in, key)) {
        if (key == "numAutoSaves") {
            readValue(in, numAutoSaves);
        } else if (key == "fileName" && version == 0) {
            std::string dropped;
            readValue(in, dropped);
        } else if (key == "numAutoSaveFiles" && version == 0) {
            int dropped = 0;
            readValue(in, dropped);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void AutoSaveComponent::write(BaseOutStream& out, int) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeField(out, "numAutoSaves", numAutoSaves);
    writeEnd(out);
}

void AutoSaveComponent::initialize() {
    EventSystem* system = owner ? static_cast<EventSystem*>(owner) : currentEventSystem();
    registerHandler<Message>(system, MessageType::EditMode, this, [](AutoSaveComponent& self, Message&) {
        self.disabled = false;
        self.onDisabledChanged(false);
    });
    registerHandler<Message>(system, MessageType::PlayMode, this, [](AutoSaveComponent& self, Message&) {
        self.disabled = true;
        self.onDisabledChanged(true);
    });
}

int AutoSaveComponent::slotFor(int count, int files) {
    int slot = 1;
    if (files <= 1) return slot;
    for (int bit = 0; bit < 32 && slot < files; ++bit) {
        if ((static_cast<unsigned>(count) >> bit) & 1u) break;
        ++slot;
    }
    return slot;
}

std::string AutoSaveComponent::slotFileName(const std::string& pattern, int slot) {
    const std::size_t separator = pattern.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = pattern.find('.', nameStart);
    const std::string number = std::to_string(slot);
    if (dot == std::string::npos) return pattern + number;
    return pattern.substr(0, dot) + number + pattern.substr(dot);
}

std::string AutoSaveComponent::autoSavePath(int slot) {
    const std::string name = slotFileName(configuration.getString("autoSaveFileName", "autosave.lvl"), slot);
    const std::filesystem::path path(toNativePath(name));
    if (path.is_absolute()) return path.string();
    return getSettingsFolder() + path.string();
}

void AutoSaveComponent::update(float dt) {
    timeToSave -= dt;
    if (!(timeToSave < 0.0f)) return;
    timeToSave = autoSaveInterval();
    numAutoSaves = numAutoSaves == INT_MAX ? 1 : numAutoSaves + 1;
    const std::string path = autoSavePath(slotFor(numAutoSaves, configuration.getInt("numAutoSaveFiles", 5)));
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    GameState* state = owner ? owner : currentGameState;
    if (state) state->save(path);
}
