// A bumper: the hero bounces off it along the contact normal (the push is the hero's); the bumper
// sounds at every touch.
#pragma once

#include "engine/Logic.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;

class BumperLogic : public Logic {
public:
    BumperLogic() : Logic("BUMPER") {}
    // Logic part copied; no registrations.
    BumperLogic(const BumperLogic& other) : Logic(other) {}
    ~BumperLogic() override;

    Component* clone() const override { return new BumperLogic(*this); }
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override { readLogicSection(in, *this); }
    void write(BaseOutStream& out, int version) override { writeLogicSection(out, *this); }
    // Listens for contacts and for play and edit mode.
    void initialize() override;

    void onCollision(CollisionMessage& message);
    // "bumperSound" at the bumper, unless disabled.
    void playBumperSound();

private:
    UnregisterHandle collisionHandle;
};
