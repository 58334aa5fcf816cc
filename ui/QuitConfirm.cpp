// The confirmation screen and what each of its modes does.
#include "ui/QuitConfirm.h"

#include "core/SerializeType.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "ui/MainMenu.h"

namespace {

const auto& quitConfirmType = registerType<QuitConfirm>("QuitConfirm");

}  // namespace

QuitConfirm::QuitConfirm(int mode) : Menu(2), confirmMode(mode) { loadFile(file); }

QuitConfirm::QuitConfirm(const QuitConfirm& other) : Menu(other), confirmMode(other.confirmMode) {}

Menu* QuitConfirm::clone() const {
    auto* copy = new QuitConfirm(*this);
    copy->bindActions();
    return copy;
}

void QuitConfirm::bindActions() {
    bindAction(0, [this] { confirm(); });
    bindAction(1, menuBack);
}

void QuitConfirm::initialize() {
    Menu::initialize();
    if (options.size() > 1) selectNext();
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onActivationKey(message); });
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onKeyUp(message); });
}

void QuitConfirm::onKeyUp(KeyboardMessage& message) {
    if (!active) return;
    if (message.key == keyD || message.key == keyRight)
        selectNext();
    else if (message.key == keyA || message.key == keyLeft)
        selectPrevious();
}

void QuitConfirm::confirm() {
    GameState* level = currentGameState;
    if (!level) return;
    switch (confirmMode) {
    case restartLevel:
        level->setPaused(false);
        nextGameState = &restartGameState;
        break;
    case quitGame:
        nextGameState = &quitGameState;
        break;
    case backToMainMenu: {
        // The level below has been played: starting from this title menu loads the start-up level anew.
        level->mainMenuOpen = true;
        auto* title = new MainMenu();
        title->startsNewLevel = true;
        pushMenu(title);
    }
        break;
    default:
        break;
    }
}
