// The stack of menus shown over a level: only the top menu answers, is updated and drawn. Pausing
// the level opens the title menu (while it holds the start-up level) or the pause menu; resuming
// closes them all. A popped menu lives on until the manager's next update, because menus pop
// themselves from inside their own handlers.
#pragma once

#include <vector>

#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"
#include "graphics/PerspectiveCamera.h"

class Menu;
class PauseMessage;

class alignas(16) MenuManager : public GameStateComponent, public EventHandler {
public:
    MenuManager();
    // The camera, and a clone of every open menu, initialised, only the top one to be activated.
    MenuManager(const MenuManager& other);
    MenuManager& operator=(const MenuManager&) = delete;
    // Deletes the menus still open or waiting to be deleted.
    ~MenuManager() override;

    GameStateComponent* clone() const override;
    // The "GameStateComponent" part, "camera", "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for the level's pause and resume.
    void initialize() override;
    // Deletes the closed menus, then activates and updates the top menu.
    void update(float dt) override;
    void draw() override;
    // Closes and deletes every menu at once.
    void unload() override;

    // Initialises the menu (ownership passes) and puts it on top; it answers from the next update.
    void pushMenu(Menu* menu);
    // Deactivates the top menu and moves it to the closed list.
    void popMenu();
    // immediate: every open menu gets onClose and is deleted now; otherwise all are popped.
    void closeAll(bool immediate);

    void onPause(PauseMessage& message);

    Menu* topMenu() const { return openMenus.empty() ? nullptr : openMenus.back(); }

    PerspectiveCamera camera;
    std::vector<Menu*> openMenus;    // owned; the top menu last
    std::vector<Menu*> closedMenus;  // owned; deleted at the next update
};
