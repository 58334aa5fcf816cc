// The menu a paused level shows: resume, restart, best times, how to play, options, back to the title
// menu and quit; the three that abandon the run ask first.
#pragma once

#include "ui/Menu.h"

class KeyboardMessage;

class PauseMenu : public Menu {
public:
    static constexpr const char* file = "Content/Menus/pause.menu";

    // Reads its menu file and binds the seven actions.
    PauseMenu();
    PauseMenu(const PauseMenu& other);

    Menu* clone() const override;
    void bindActions() override;
    // The menu's handlers, then W/S and the arrows move the highlight, a released space or Enter chooses.
    void initialize() override;
    // Resumes the level here, never inside the item's own handler.
    void update(float dt) override;

    void onKeyDown(KeyboardMessage& message);

    bool resumeRequested = false;
};

// Actions the title menu shares with the pause menu: each pushes a new screen on the running state's
// menu stack.
void showBestTimes();
void showHowToPlay();
void showOptions();
void showCredits();
// The question before restarting (mode 0), quitting (1) or going back to the title menu (2).
void confirmRestart();
void confirmQuit();
void confirmMainMenu();
