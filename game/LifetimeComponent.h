// A limited life for an entity: a countdown that fades the entity out over its last part and then
// has the entity removed. The default life never ends.
#pragma once

#include <limits>

#include "engine/Component.h"
#include "engine/EventHandler.h"

class LifetimeComponent : public Component, public EventHandler {
public:
    LifetimeComponent() = default;
    LifetimeComponent(float time, float fadeOutTime, bool endsWithPlay = false)
        : time(time), fadeOutTime(fadeOutTime), endsWithPlay(endsWithPlay) {}
    LifetimeComponent(const LifetimeComponent& other);
    LifetimeComponent& operator=(const LifetimeComponent&) = delete;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Stands still while the level is edited, so that an edited level keeps its timed objects; passing
    // feedback leaves the level instead.
    void initialize() override;
    void update(float dt) override;

    float time = std::numeric_limits<float>::infinity();  // seconds left
    float fadeOutTime = 0.0f;                              // 0 once the fade has started
    // Not saved: the entity is passing feedback of play (the checkpoint text), removed when editing
    // starts so that a level saved from the editor never holds it.
    bool endsWithPlay = false;
};
