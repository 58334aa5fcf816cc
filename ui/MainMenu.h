// The title menu. Over the start-up level it holds the level paused, carries the hero far away,
// enlarges it and circles the camera around it; from here play starts (ordinary or one of the two
// time-attack modes once unlocked), and the how-to-play, best-times, options, credits and quit
// screens open.
#pragma once

#include "core/Vector4.h"
#include "ui/Menu.h"

class KeyboardMessage;

class alignas(16) MainMenu : public Menu {
public:
    static constexpr const char* file = "Content/Menus/main.menu";
    // Where the hero waits while the title menu is up (kept empty in every level), and its size there.
    static const Vector4 orbitPoint;
    static constexpr float orbitRadius = 100.0f;

    // Reads its menu file and binds the eight actions.
    MainMenu();
    MainMenu(const MainMenu& other);

    Menu* clone() const override;
    void bindActions() override;
    // Takes the hero and the camera over; whether play resumes this level or starts a new one is
    // decided here, from whether the level is held by the title menu.
    void initialize() override;
    // Turns the camera a little every frame: one turn in 2000 frames.
    void update(float dt) override;
    // The two time-attack items are unavailable until their mode is unlocked.
    bool isItemAvailable(std::size_t index) const override;

    void startNormal();
    void startTimeAttack();
    void startSuperTimeAttack();
    // Resumes the held level (hero and camera put back, message 29) or requests a new level state.
    void startGame();

    void onKeyDown(KeyboardMessage& message);
    // After a key step, goes on in the same direction past the items that cannot be chosen.
    void skipUnavailableItems(bool forward);

    // Set by whoever opens the title menu over a level that has been played: starting then loads the
    // start-up level anew.
    bool startsNewLevel = false;
    bool overStartupLevel = false;
    float orbitPhase = -1.0f;
    float savedCameraRotateY = 0.0f;
    // The camera's distance to the hero, put back with the hero so that play resumes at once as it was.
    float savedCameraDistance = 0.0f;
    Vector4 savedHeroPosition{0.0f, 0.0f, 0.0f, 1.0f};
    float savedHeroRadius = 0.0f;
    bool heroTaken = false;
};

// Whether a time-attack item's text names a mode that "timerModeEnable" has not unlocked.
bool isTimeAttackTextLocked(const std::string& text, int timerModeEnable);
