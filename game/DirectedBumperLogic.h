// A directed bumper: it throws the hero back only along its own direction and only when met from
// that side (the push is the hero's); it sounds at every touch.
#pragma once

#include "engine/Logic.h"
#include "engine/UnregisterHandle.h"

class CollisionMessage;

class DirectedBumperLogic : public Logic {
public:
    DirectedBumperLogic() : Logic("DIRECTED_BUMPER") {}
    // Logic part copied; no registrations.
    DirectedBumperLogic(const DirectedBumperLogic& other) : Logic(other) {}
    ~DirectedBumperLogic() override;

    Component* clone() const override { return new DirectedBumperLogic(*this); }
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
