// The trigger at the end of a time-attack run: when the hero touches its entity it shows its own line
// during a run of its mode, unlocks its mode for the main menu (saving the settings), stops the clock
// of its mode, and leaves the level, so it fires once.
#pragma once

#include <string>

#include "engine/Component.h"
#include "engine/EventHandler.h"

class CollisionMessage;

class TimerOffComponent : public Component, public EventHandler {
public:
    TimerOffComponent() = default;
    // Base part, "message" and "mode"; starts unregistered and uninitialised.
    TimerOffComponent(const TimerOffComponent& other);
    ~TimerOffComponent() override;

    TimerOffComponent* clone() const override;
    int getVersion() const override { return 0; }
    // The "Component" part, then "message" and "mode" by key, until "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Registers the contact handler on the owner entity (replacing an earlier one) and follows the
    // level between playing and editing.
    void initialize() override;

    void onCollision(CollisionMessage& message);

    std::string message;  // shown when reached in a run of this mode; empty for none
    int mode = 1;         // 1 Time Attack, 2 Super Time Attack

private:
    UnregisterHandle collisionHandle;
    // Contacts while the level is edited are the designer moving the hero, not a run.
    bool editing = false;
};
