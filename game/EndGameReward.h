// The hero's last power-up, given at every touch: immunity to heat, endless jumping, its sound and a
// message that the guidance arrow reacts to.
#pragma once

#include "engine/Component.h"
#include "engine/EventHandler.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;

class EndGameReward : public Component, public EventHandler {
public:
    EndGameReward() = default;
    EndGameReward(const EndGameReward& other) : Component(other), EventHandler() {}
    EndGameReward& operator=(const EndGameReward&) = delete;
    ~EndGameReward() override;

    Component* clone() const override { return new EndGameReward(*this); }
    int getVersion() const override { return 0; }
    // The part holds nothing but "end" ("disabled" is not stored).
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void initialize() override;

    void onCollision(CollisionMessage& message);

private:
    UnregisterHandle collisionHandle;
};
