// A checkpoint: the hero stores it as its respawn point (by its logic type); the checkpoint itself
// gives the feedback of an arrival: it dims, the checkpoint reached before it gets its colour back, a
// sound plays and a floating "Checkpoint" text rises, fades and goes.
#pragma once

#include "engine/Logic.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;
class Entity;

class CheckPointLogic : public Logic {
public:
    CheckPointLogic() : Logic("CHECK_POINT") {}
    CheckPointLogic(const CheckPointLogic& other) : Logic(other) {}
    // No longer the current checkpoint.
    ~CheckPointLogic() override;

    Component* clone() const override { return new CheckPointLogic(*this); }
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override { readLogicSection(in, *this); }
    void write(BaseOutStream& out, int version) override { writeLogicSection(out, *this); }
    // Listens for contacts and for play and edit mode.
    void initialize() override;

    // Only the hero is tested against other bodies, so every contact is the hero's arrival.
    void onCollision(CollisionMessage& message);
    // The floating text over this checkpoint, queued into the running state; null without a body.
    Entity* spawnCheckpointText();

    // The checkpoint reached last, or null.
    static CheckPointLogic* currentCheckPoint;

private:
    UnregisterHandle collisionHandle;
};
