// The windowless playthrough of a level (see Playthrough.h).
#include "Playthrough.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Configuration.h"
#include "core/FileLookup.h"
#include "core/Random.h"
#include "editor/Editor.h"
#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/GameplayMessages.h"
#include "engine/Input.h"
#include "engine/KeyboardMessage.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/MouseMoveMessage.h"
#include "engine/MouseWheelMessage.h"
#include "game/BestTimesLists.h"
#include "game/EndOfFirstPart.h"
#include "game/EndOfGameComponent.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/CameraComponent.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

int keyCode(const std::string& name) {
    if (name == "Space") return ' ';
    if (name.size() == 1 && std::string("WASD").find(name[0]) != std::string::npos) return name[0];
    return -1;
}

std::string keyName(int key) { return key == ' ' ? "Space" : std::string(1, static_cast<char>(key)); }

}  // namespace

bool readRecording(const std::string& path, std::vector<RecordedInput>& out, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        const auto hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        RecordedInput input;
        std::string kind, key;
        if (!(words >> input.frame)) {
            if (words.eof() && line.find_first_not_of(" \t\r") == std::string::npos) continue;
            error = path + ":" + std::to_string(number) + ": no frame number";
            return false;
        }
        bool ok = static_cast<bool>(words >> kind);
        if (ok && (kind == "down" || kind == "up")) {
            input.kind = kind == "down" ? RecordedInput::KeyDown : RecordedInput::KeyUp;
            ok = static_cast<bool>(words >> key) && (input.key = keyCode(key)) > 0;
        } else if (ok && kind == "wheel") {
            input.kind = RecordedInput::Wheel;
            ok = static_cast<bool>(words >> input.amount) && input.amount != 0.0f;
        } else if (ok && kind == "move") {
            input.kind = RecordedInput::MouseMove;
            ok = static_cast<bool>(words >> input.dx >> input.dy);
        } else {
            ok = false;
        }
        if (!ok || (!out.empty() && input.frame < out.back().frame)) {
            error = path + ":" + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
        out.push_back(input);
    }
    return true;
}

bool writeRecording(const std::string& path, const std::vector<RecordedInput>& inputs, const std::string& header) {
    std::ofstream file(path);
    std::istringstream lines(header);
    for (std::string line; std::getline(lines, line);) file << "# " << line << "\n";
    for (const RecordedInput& input : inputs) {
        file << input.frame << ' ';
        switch (input.kind) {
            case RecordedInput::KeyDown: file << "down " << keyName(input.key); break;
            case RecordedInput::KeyUp: file << "up " << keyName(input.key); break;
            case RecordedInput::Wheel: file << "wheel " << input.amount; break;
            case RecordedInput::MouseMove: file << "move " << input.dx << ' ' << input.dy; break;
        }
        file << "\n";
    }
    return static_cast<bool>(file);
}

// Hears what the level tells the player: info lines and the final reward.
struct Playthrough::Listener : EventHandler {
    explicit Listener(Playthrough& owner) {
        info = registerHandler<InfoMessage>(nullptr, MessageType::Info, this,
                                            [&owner](Listener&, InfoMessage& m) { owner.infoTexts.push_back(m.text); });
        reward = registerHandler(nullptr, MessageType::EndGameReward, this,
                                 [&owner](Listener&, Message&) { ++owner.rewards; });
    }
    UnregisterHandle info, reward;
};

Playthrough::Playthrough(const std::string& levelFile, const std::string& settingsFolder, int timerMode) {
    setenv("XDG_DATA_HOME", settingsFolder.c_str(), 1);
    const std::string keptIn = getSettingsFolder();
    std::filesystem::create_directories(keptIn);
    previousSettingsFile = configuration.fileName;
    configuration.fileName = keptIn + "config.cfg";
    configuration.intSetting("timerMode") = timerMode;
    bestTimesLists() = BestTimesLists();
    bestTimesLists().load(keptIn + "lists.tm", "Content/lists.tm");
    fuzzsupport::ensureGl();
    fuzzsupport::ensureSound();
    seedRandom(1);
    static bool started = [] {
        new Input::InputEventHandler;  // lives until the shutdown message, like the game's
        initializeLogicTypeIds();
        return true;
    }();
    (void)started;
    for (int key : {'W', 'A', 'S', 'D', ' '}) Input::isKeyDown(key) = false;
    firstLoad = false;  // no title menu over this level
    currentTime = 100.0;
    frameDelta = frameTime;
    listener = new Listener(*this);
    level = new Editor(levelFile);
    currentGameState = level;
    level->load();
    level->initialize();
}

Playthrough::~Playthrough() {
    for (int key : {'W', 'A', 'S', 'D', ' '}) Input::isKeyDown(key) = false;
    level->unload();
    level->clearResources();  // frees the level too
    currentGameState = nullptr;
    delete listener;
    configuration.intSetting("timerMode") = 0;
    configuration.fileName = previousSettingsFile;
}

void Playthrough::send(const RecordedInput& input) {
    switch (input.kind) {
        case RecordedInput::KeyDown: sendMessage(new KeyboardMessage(MessageType::KeyDown, input.key)); break;
        case RecordedInput::KeyUp: sendMessage(new KeyboardMessage(MessageType::KeyUp, input.key)); break;
        case RecordedInput::Wheel: sendMessage(new MouseWheelMessage(input.amount)); break;
        case RecordedInput::MouseMove: sendMessage(new MouseMoveMessage(512, 384, 512 + input.dx, 384 + input.dy)); break;
    }
}

void Playthrough::frame() {
    currentTime += frameTime;
    frameDelta = frameTime;
    updateMessageQueues();
    level->update(frameTime);
    ++frameNumber;
    noteEndLines();
}

void Playthrough::replayFrame(const std::vector<RecordedInput>& inputs, std::size_t& next) {
    while (next < inputs.size() && inputs[next].frame <= frameNumber) send(inputs[next++]);
    frame();
}

Entity* Playthrough::hero() const { return level->rootEntity; }

int Playthrough::liveScoreSpheres() const { return static_cast<int>(::liveScoreSpheres.count); }

void Playthrough::noteEndLines() {
    for (Entity* entity : level->entities)
        for (auto& component : entity->components) {
            auto* line = dynamic_cast<EndOfFirstPart*>(component.get());
            if (!line || !line->triggered) continue;
            if (dynamic_cast<EndOfGameComponent*>(line))
                endOfGame = true;
            else
                endOfFirstPart = true;
        }
}

float Playthrough::cameraTurn() const {
    CameraComponent* camera = level->getComponents<CameraComponent>();
    return camera ? camera->camera.rotateY : 0.0f;
}
