// The game state every level runs in, played or edited: it enters play mode when the level starts,
// answers Escape (pause while playing, quit while editing) and renders the whole frame.
#pragma once

#include <string>

#include "engine/EventHandler.h"
#include "engine/GameState.h"
#include "engine/UnregisterHandle.h"

class Camera;
class KeyboardMessage;

// Live score spheres when play mode was last entered; the HUD counts collected spheres from it (the
// hero keeps its own count, which a trip through the editor leaves alone).
extern int scoreSpheresAtPlayStart;

// What the level state needs of the gameplay and the menus without knowing their classes; they fill
// these in. Unset, a level has no score spheres, no guidance target and no main menu.
struct EditorHooks {
    // How many score spheres are alive.
    int (*liveScoreSphereCount)() = nullptr;
    // Picks the next score sphere to collect and publishes it for the guidance arrow (once per frame
    // of play).
    void (*updateNextTarget)() = nullptr;
    // Whether the level carries the menus that show the main menu over it.
    bool (*hasMainMenu)(GameState& level) = nullptr;
};
EditorHooks& editorHooks();

class Editor : public GameState, public EventHandler {
public:
    explicit Editor(const std::string& levelFileName);
    ~Editor() override;

    // Reads the level, then enters play mode: message 20 at once, the mouse captured, the camera on
    // the hero at the play distance. The first level of the run waits paused under the main menu
    // when the level has one. Registers the Escape key.
    void initialize() override;
    // The state's frame; while played, also the next score-sphere target.
    void update(float dt) override;
    // Clears to black, draws the scene through the level camera (a level without one shows black),
    // draws the property bars while editing, and swaps.
    void render() override;
    // Lets go of the Escape key, then unloads the level.
    void unload() override;
    // Frees the resources and then this state itself: the pointer must not be followed afterwards.
    void clearResources() override;

    // F1: editing on (message 21) while the level is neither paused nor under the main menu and the
    // hero carries an editor; while editing, back to the play view.
    void toggleEditing();
    // Message 20 (editing off), the mouse captured, the camera back on the hero at the play distance,
    // and the score spheres counted.
    void enterPlayView();

    // True while the root entity's editor component is there and enabled.
    bool isBeingEdited() const;
    // The camera the level is drawn with, or null when the level has no camera component.
    Camera* levelCamera();

private:
    void onKeyDown(KeyboardMessage& message);

    UnregisterHandle escapeHandle;
};
