// The yes/no question before a run is abandoned: restarting the level, quitting the game or going
// back to the title menu. One file serves all three; the mode says what yes does.
#pragma once

#include "ui/Menu.h"

class KeyboardMessage;

class QuitConfirm : public Menu {
public:
    static constexpr const char* file = "Content/Menus/quit.menu";
    enum Mode { restartLevel = 0, quitGame = 1, backToMainMenu = 2 };

    // Reads its menu file and binds yes and no.
    explicit QuitConfirm(int mode = quitGame);
    QuitConfirm(const QuitConfirm& other);

    Menu* clone() const override;
    void bindActions() override;
    // The highlight starts on "no"; a released space or Enter chooses, released A/D or the arrows
    // move between the two.
    void initialize() override;

    void onKeyUp(KeyboardMessage& message);
    // What yes does in this mode; an unknown mode does nothing.
    void confirm();

    int confirmMode;
};
