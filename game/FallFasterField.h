// A volume that drags the hero down: each frame after the hero touched it, the hero's fall speeds up
// by a fixed amount until it reaches the field's greatest downward speed.
#pragma once

#include "engine/Logic.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;
class Entity;

class FallFasterField : public Logic {
public:
    FallFasterField() : Logic("FALL_FASTER") {}
    // Fields copied; no hero pending, no registrations.
    FallFasterField(const FallFasterField& other);
    ~FallFasterField() override;

    Component* clone() const override { return new FallFasterField(*this); }
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void initialize() override;
    // At most one push per frame, however many contacts came.
    void update(float dt) override;

    void onCollision(CollisionMessage& message);

    float downwardForce = -0.35f;     // change of vertical speed per frame of contact
    float maxDownwardVel = -350.0f;   // pushed only while the hero's vertical speed is above this
    Entity* pendingHero = nullptr;    // not owned

private:
    UnregisterHandle collisionHandle;
};
