// Base of the services a game state owns rather than an entity: physics, camera, sound, menus, HUD,
// the intro screen and autosave.
#pragma once

#include "core/Type.h"

class BaseInStream;
class BaseOutStream;
class GameState;

class GameStateComponent {
public:
    static constexpr unsigned serializeFlags = typeIsGameStateComponent;

    GameStateComponent() = default;
    // Takes over owner and "disabled" (as copyBase).
    GameStateComponent(const GameStateComponent& other);
    GameStateComponent& operator=(const GameStateComponent& other);
    virtual ~GameStateComponent();

    virtual GameStateComponent* clone() const = 0;
    virtual int getVersion() const { return 0; }
    // The base part: the one field "disabled".
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);
    // Called once when the component joins its state. Nothing here.
    virtual void initialize();
    // One frame, dt in seconds, while the component is enabled. Nothing here.
    virtual void update(float dt);
    // Called after the scene is drawn, while the component is enabled. Nothing here.
    virtual void draw();
    // Called when the state unloads, before its components are destroyed. Nothing here.
    virtual void unload();
    // Called by whoever has just changed `disabled`, with the new value. Nothing here.
    virtual void onDisabledChanged(bool newDisabled);
    // Copies owner and "disabled".
    virtual void copyBase(const GameStateComponent& other);

    GameState* getOwner() const { return owner; }

    GameState* owner = nullptr;  // set by the state when the component joins it
    bool disabled = false;       // a disabled component is neither updated nor drawn
};

// The GameStateComponent part: "disabled" and "end".
void readGameStateComponentFields(BaseInStream& in, GameStateComponent& component);
void writeGameStateComponentFields(BaseOutStream& out, const GameStateComponent& component);
