// A barrier that keeps a small hero out: every contact pushes a hero smaller than the entry radius
// away, and once a power-up raises the hero's largest size above the entry radius the barrier stops
// blocking, so that a hero grown to that radius rolls through.
#pragma once

#include "engine/Logic.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;
class PowerUpMessage;

class EndGameBarrier : public Logic {
public:
    EndGameBarrier() : Logic("BARRIER") {}
    EndGameBarrier(const EndGameBarrier& other);
    ~EndGameBarrier() override;

    Component* clone() const override { return new EndGameBarrier(*this); }
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for power-ups, contacts, and play and edit mode.
    void initialize() override;

    void onCollision(CollisionMessage& message);
    void onPowerUp(PowerUpMessage& message);

    float pushBackForce = 500.0f;  // change of the hero's speed per contact
    float entryRadius = 9999.5f;

private:
    UnregisterHandle collisionHandle;
};
