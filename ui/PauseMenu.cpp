// The pause menu and the screen-opening actions the menus share.
#include "ui/PauseMenu.h"

#include "core/SerializeType.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "ui/BestTimesScreen.h"
#include "ui/OptionsMenu.h"
#include "ui/PagedMenu.h"
#include "ui/QuitConfirm.h"

namespace {

const auto& pauseMenuType = registerType<PauseMenu>("PauseMenu");

}  // namespace

void showBestTimes() { pushMenu(new BestTimesScreen()); }
void showHowToPlay() { pushMenu(new HowToPlayMenu()); }
void showOptions() { pushMenu(new OptionsMenu()); }
void showCredits() { pushMenu(new Credits()); }
void confirmRestart() { pushMenu(new QuitConfirm(QuitConfirm::restartLevel)); }
void confirmQuit() { pushMenu(new QuitConfirm(QuitConfirm::quitGame)); }
void confirmMainMenu() { pushMenu(new QuitConfirm(QuitConfirm::backToMainMenu)); }

PauseMenu::PauseMenu() : Menu(7) { loadFile(file); }

PauseMenu::PauseMenu(const PauseMenu& other) : Menu(other), resumeRequested(other.resumeRequested) {}

Menu* PauseMenu::clone() const {
    auto* copy = new PauseMenu(*this);
    copy->bindActions();
    return copy;
}

void PauseMenu::bindActions() {
    bindAction(0, [this] { resumeRequested = true; });
    bindAction(1, confirmRestart);
    bindAction(2, showBestTimes);
    bindAction(3, showHowToPlay);
    bindAction(4, showOptions);
    bindAction(5, confirmMainMenu);
    bindAction(6, confirmQuit);
}

void PauseMenu::initialize() {
    Menu::initialize();
    listen<KeyboardMessage>(MessageType::KeyDown, [this](Menu&, KeyboardMessage& message) { onKeyDown(message); });
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onActivationKey(message); });
}

void PauseMenu::update(float dt) {
    Menu::update(dt);
    if (!resumeRequested) return;
    resumeRequested = false;
    if (currentGameState) currentGameState->setPaused(false);
}

void PauseMenu::onKeyDown(KeyboardMessage& message) {
    if (!active) return;
    if (message.key == keyDown || message.key == keyS)
        selectNext();
    else if (message.key == keyUp || message.key == keyW)
        selectPrevious();
}
