// The title menu: its items, the hero's orbit while it is up, and starting play.
#include "ui/MainMenu.h"

#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "editor/Editor.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"
#include "graphics/CameraComponent.h"
#include "physics/Body.h"
#include "physics/Sphere.h"
#include "ui/PauseMenu.h"

namespace {

const auto& mainMenuType = registerType<MainMenu>("MainMenu");

constexpr int gameStartMessage = 29;
constexpr float pi = 3.1415927410125732f;

PerspectiveCamera* levelCamera() {
    CameraComponent* component = currentGameState ? currentGameState->getComponents<CameraComponent>() : nullptr;
    return component ? &component->camera : nullptr;
}

Body* heroBody() {
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    return hero ? hero->body : nullptr;
}

int unlockedModes() { return configuration.intSetting("timerModeEnable"); }

}  // namespace

const Vector4 MainMenu::orbitPoint{211143.0f, -225791.0f, 32937.0f, 1.0f};

bool isTimeAttackTextLocked(const std::string& text, int timerModeEnable) {
    const bool timeAttack = text.find("Time Attack Mode") != std::string::npos;
    const bool superTimeAttack = text.find("Super Time Attack") != std::string::npos;
    if (timerModeEnable == 0) return timeAttack || superTimeAttack;
    if (timerModeEnable == 1) return superTimeAttack;
    return false;
}

MainMenu::MainMenu() : Menu(8) { loadFile(file); }

MainMenu::MainMenu(const MainMenu& other)
    : Menu(other),
      startsNewLevel(other.startsNewLevel),
      overStartupLevel(other.overStartupLevel),
      orbitPhase(other.orbitPhase),
      savedCameraRotateY(other.savedCameraRotateY),
      savedCameraDistance(other.savedCameraDistance),
      savedHeroPosition(other.savedHeroPosition),
      savedHeroRadius(other.savedHeroRadius),
      heroTaken(other.heroTaken) {}

Menu* MainMenu::clone() const {
    auto* copy = new MainMenu(*this);
    copy->bindActions();
    return copy;
}

void MainMenu::bindActions() {
    bindAction(0, [this] { startNormal(); });
    bindAction(1, [this] { startTimeAttack(); });
    bindAction(2, [this] { startSuperTimeAttack(); });
    bindAction(3, showHowToPlay);
    bindAction(4, showBestTimes);
    bindAction(5, showOptions);
    bindAction(6, showCredits);
    bindAction(7, confirmQuit);
}

void MainMenu::initialize() {
    Menu::initialize();
    overStartupLevel = !startsNewLevel && currentGameState && currentGameState->mainMenuOpen;
    listen<KeyboardMessage>(MessageType::KeyDown, [this](Menu&, KeyboardMessage& message) { onKeyDown(message); });
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onActivationKey(message); });

    if (Body* body = heroBody()) {
        heroTaken = true;
        savedHeroPosition = body->position;
        body->position = orbitPoint;
        if (auto* sphere = dynamic_cast<Sphere*>(body->shape)) {
            savedHeroRadius = sphere->radius;
            sphere->radius = orbitRadius;
        }
    }
    if (PerspectiveCamera* camera = levelCamera()) {
        savedCameraRotateY = camera->rotateY;
        savedCameraDistance = camera->distance;
    }
}

void MainMenu::update(float dt) {
    Menu::update(dt);
    if (PerspectiveCamera* camera = levelCamera()) {
        camera->rotateY = orbitPhase * pi;
        camera->updateView();
    }
    orbitPhase += 0.001f;
    if (1.0f < orbitPhase) orbitPhase = -1.0f;
}

bool MainMenu::isItemAvailable(std::size_t index) const {
    return index < options.size() && !isTimeAttackTextLocked(entityText(options[index]), unlockedModes());
}

void MainMenu::startNormal() {
    configuration.intSetting("timerMode") = 0;
    startGame();
}

void MainMenu::startTimeAttack() {
    if (unlockedModes() < 1) return;
    configuration.intSetting("timerMode") = 1;
    startGame();
}

void MainMenu::startSuperTimeAttack() {
    if (unlockedModes() < 2) return;
    configuration.intSetting("timerMode") = 2;
    startGame();
}

void MainMenu::startGame() {
    GameState* level = currentGameState;
    if (!level) return;
    if (!overStartupLevel) {
        nextGameState = new Editor(configuration.stringSetting("startingState"));
        return;
    }
    if (Body* body = heroBody(); body && heroTaken) {
        body->position = savedHeroPosition;
        body->velocity = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
        if (auto* sphere = dynamic_cast<Sphere*>(body->shape); sphere && savedHeroRadius > 0.0f) sphere->radius = savedHeroRadius;
    }
    if (PerspectiveCamera* camera = levelCamera()) {
        camera->rotateY = savedCameraRotateY;
        if (savedCameraDistance > 0.0f) camera->distance = savedCameraDistance;
        camera->updateView();
    }
    level->mainMenuOpen = false;
    level->setPaused(false);
    sendMessage(new Message(gameStartMessage), true);
}

void MainMenu::onKeyDown(KeyboardMessage& message) {
    if (!active) return;
    if (message.key == keyDown || message.key == keyS) {
        selectNext();
        skipUnavailableItems(true);
    } else if (message.key == keyUp || message.key == keyW) {
        selectPrevious();
        skipUnavailableItems(false);
    }
}

void MainMenu::skipUnavailableItems(bool forward) {
    for (std::size_t steps = 0; steps < options.size() && !isItemAvailable(currentItem); ++steps) {
        if (forward)
            selectNext();
        else
            selectPrevious();
    }
}
