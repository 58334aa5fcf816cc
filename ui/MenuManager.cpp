// The menu stack and its answer to pause and resume.
#include "ui/MenuManager.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/Editor.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/PauseMessage.h"
#include "ui/MainMenu.h"
#include "ui/Menu.h"
#include "ui/PauseMenu.h"

namespace {

const auto& menuManagerType = registerType<MenuManager>("MenuManager");

constexpr int pauseMessage = 26;

// A level carries the title menu when it has a menu stack to show it on.
const bool mainMenuHookInstalled = [] {
    editorHooks().hasMainMenu = [](GameState& level) { return level.getComponents<MenuManager>() != nullptr; };
    return true;
}();

}  // namespace

MenuManager::MenuManager() = default;

MenuManager::MenuManager(const MenuManager& other)
    : GameStateComponent(), EventHandler(), camera(other.camera) {
    owner = nullptr;
    disabled = false;
    for (Menu* menu : other.openMenus) {
        Menu* copy = menu->clone();
        copy->initialize();
        if (!openMenus.empty()) openMenus.back()->active = false;
        copy->active = false;
        openMenus.push_back(copy);
    }
}

MenuManager::~MenuManager() {
    for (Menu* menu : closedMenus) delete menu;
    for (Menu* menu : openMenus) delete menu;
}

GameStateComponent* MenuManager::clone() const { return new MenuManager(*this); }

void MenuManager::read(BaseInStream& in, int) {
    const int baseVersion = readBaseHeader(in);
    GameStateComponent::read(in, baseVersion);
    std::string key;
    while (readKey(in, key)) {
        if (key == "camera") {
            readValue(in, camera);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void MenuManager::write(BaseOutStream& out, int) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeField(out, "camera", camera);
    writeEnd(out);
}

void MenuManager::initialize() {
    EventSystem* system = owner ? static_cast<EventSystem*>(owner) : currentEventSystem();
    EventHandler::registerHandler<PauseMessage>(system, pauseMessage, this,
                                                [](MenuManager& manager, PauseMessage& message) { manager.onPause(message); });
}

void MenuManager::update(float dt) {
    while (!closedMenus.empty()) {
        Menu* menu = closedMenus.back();
        closedMenus.pop_back();
        menu->onClose();
        delete menu;
    }
    if (Menu* top = topMenu()) {
        top->active = true;
        top->update(dt);
    }
}

void MenuManager::draw() {
    if (Menu* top = topMenu()) top->draw(camera);
}

void MenuManager::unload() { closeAll(true); }

void MenuManager::pushMenu(Menu* menu) {
    if (!menu) return;
    menu->initialize();
    if (Menu* top = topMenu()) top->active = false;
    openMenus.push_back(menu);
}

void MenuManager::popMenu() {
    Menu* top = topMenu();
    if (!top) return;
    top->active = false;
    closedMenus.push_back(top);
    openMenus.pop_back();
}

void MenuManager::closeAll(bool immediate) {
    if (!immediate) {
        while (!openMenus.empty()) popMenu();
        return;
    }
    while (!openMenus.empty()) {
        Menu* menu = openMenus.back();
        openMenus.pop_back();
        menu->onClose();
        delete menu;
    }
}

void MenuManager::onPause(PauseMessage& message) {
    setMouseCaptured(!message.paused);
    if (!message.paused) {
        closeAll(false);
        return;
    }
    // The title menu stands over the start-up level for as long as that level is held by it.
    GameState* level = owner ? owner : currentGameState;
    if (level && level->mainMenuOpen)
        pushMenu(new MainMenu());
    else
        pushMenu(new PauseMenu());
}
